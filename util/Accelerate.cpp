// The run-time switch of the accelerators (util/AccelerateInternal.h).
#include "util/AccelerateInternal.h"

namespace bscan_accelerate {

#if !defined(BSCAN_PLAIN)
bool g_on = true;
#endif

}  // namespace bscan_accelerate
