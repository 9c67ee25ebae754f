// Ordered list of object pointers; the owner deletes what it holds.
#include "util/KObjList.h"

#include <cstddef>

KObjList::~KObjList() = default;

void KObjList::AddTail(KObject* obj)
{
    m_items.push_back(obj);
}

int KObjList::GetCount() const
{
    return static_cast<int>(m_items.size());
}

KObject* KObjList::GetAt(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_items.size())
        return nullptr;
    return m_items[static_cast<std::size_t>(index)];
}

KObject* KObjList::RemoveTail()
{
    if (m_items.empty())
        return nullptr;
    KObject* last = m_items.back();
    m_items.pop_back();
    return last;
}

bool KObjList::IsEmpty() const
{
    return m_items.empty();
}
