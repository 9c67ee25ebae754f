// Base class of the library's heap objects (port nodes, cells, lists,
// the error handler). It only provides a virtual destructor so that an
// owner can delete any object through a KObject pointer.
#ifndef BSCAN_KOBJECT_H
#define BSCAN_KOBJECT_H

#include "util/BScanExport.h"

class BSCAN_API KObject {
public:
    KObject() = default;
    KObject(const KObject&) = default;
    KObject& operator=(const KObject&) = default;
    virtual ~KObject();
};

#endif
