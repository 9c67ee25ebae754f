// Base class of the library's heap objects.
#include "util/KObject.h"

KObject::~KObject() = default;
