// Ordered list of object pointers; the owner deletes what it holds.
#include "util/KObjList.h"

#include <cstring>
#include <new>

KObjList::KObjList() : m_items(m_inline), m_count(0), m_capacity(kInlineCount), m_inline() {}

KObjList::KObjList(const KObjList& other) : KObjList()
{
    *this = other;
}

// On std::bad_alloc the list stays as it was.
KObjList& KObjList::operator=(const KObjList& other)
{
    if (this == &other) {
        return *this;
    }
    if (other.m_count > m_capacity) {
        Reallocate(other.m_count);
    }
    KObject::operator=(other);
    if (other.m_count > 0) {
        std::memcpy(m_items, other.m_items, sizeof(KObject*) * static_cast<size_t>(other.m_count));
    }
    m_count = other.m_count;
    return *this;
}

KObjList::~KObjList()
{
    if (m_items != m_inline) {
        delete[] m_items;
    }
}

// A heap array of `capacity` pointers holding the ones held so far.
void KObjList::Reallocate(int capacity)
{
    KObject** items = new KObject*[static_cast<size_t>(capacity)];
    std::memcpy(items, m_items, sizeof(KObject*) * static_cast<size_t>(m_count));
    if (m_items != m_inline) {
        delete[] m_items;
    }
    m_items = items;
    m_capacity = capacity;
}

void KObjList::AddTail(KObject* obj)
{
    if (m_count == m_capacity) {
        if (m_capacity > (1 << 29)) {
            throw std::bad_alloc();  // the count would leave int's range
        }
        Reallocate(m_capacity * 2);
    }
    m_items[m_count++] = obj;
}

int KObjList::GetCount() const
{
    return m_count;
}

KObject* KObjList::GetAt(int index) const
{
    if (index < 0 || index >= m_count) {
        return nullptr;
    }
    return m_items[index];
}

KObject* KObjList::RemoveTail()
{
    if (m_count == 0) {
        return nullptr;
    }
    return m_items[--m_count];
}

bool KObjList::IsEmpty() const
{
    return m_count == 0;
}
