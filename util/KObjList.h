// Ordered list of KObject pointers. The list never deletes what it holds:
// an owner empties it with RemoveTail, deleting each object, and then
// deletes the list itself.
#ifndef BSCAN_KOBJLIST_H
#define BSCAN_KOBJLIST_H

#include <vector>

#include "util/BScanExport.h"
#include "util/KObject.h"

class BSCAN_API KObjList : public KObject {
public:
    KObjList() = default;
    KObjList(const KObjList&) = default;            // copies the pointers, not the objects
    KObjList& operator=(const KObjList&) = default;
    ~KObjList() override;

    void AddTail(KObject* obj);                     // appends
    int GetCount() const;
    KObject* GetAt(int index) const;                // null when index is out of range
    KObject* RemoveTail();                          // null when the list is empty
    bool IsEmpty() const;

private:
    std::vector<KObject*> m_items;
};

#endif
