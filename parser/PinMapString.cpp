// The pin map string walk is a template (parser/PinMapStringInternal.h) so
// that its per-pin callback is called directly; this unit only checks that
// the header compiles on its own.
#include "parser/PinMapStringInternal.h"
