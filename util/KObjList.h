// Ordered list of KObject pointers. The list never deletes what it holds:
// an owner empties it with RemoveTail, deleting each object, and then
// deletes the list itself.
//
// The first few pointers live inside the list object itself, so a short
// list (a port's cells, say) costs no allocation of its own; longer lists
// move to a heap array that grows by doubling.
#ifndef BSCAN_KOBJLIST_H
#define BSCAN_KOBJLIST_H

#include "util/BScanExport.h"
#include "util/KObject.h"

class BSCAN_API KObjList : public KObject {
public:
    KObjList();
    KObjList(const KObjList& other);                // copies the pointers, not the objects
    KObjList& operator=(const KObjList& other);
    ~KObjList() override;

    void AddTail(KObject* obj);                     // appends; std::bad_alloc when memory is short
    int GetCount() const;
    KObject* GetAt(int index) const;                // null when index is out of range
    KObject* RemoveTail();                          // null when the list is empty
    bool IsEmpty() const;

private:
    static const int kInlineCount = 2;

    void Reallocate(int capacity);

    KObject** m_items;                              // m_inline or a heap array
    int m_count;
    int m_capacity;
    KObject* m_inline[kInlineCount];
};

#endif
