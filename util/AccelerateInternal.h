// The switch between the library's reference reading and its accelerators
// (internal, not installed).
//
// Every fast path of the readers is an optional accelerator of a plain
// reference step that defines the behaviour: it must give exactly what the
// reference gives. Built with BSCAN_PLAIN (the CMake option
// BSCAN_ACCELERATE=OFF) the accelerators are compiled out and On() is a
// constant false. Otherwise they run unless switched off at run time with
// Set(false), which only the library's own differential checks do (the
// switch is not exported). A reader asks On() once where it chooses its
// path; the shared input stream chooses when the file is opened.
#ifndef BSCAN_ACCELERATEINTERNAL_H
#define BSCAN_ACCELERATEINTERNAL_H

namespace bscan_accelerate {

#if defined(BSCAN_PLAIN)
constexpr bool On()
{
    return false;
}
inline void Set(bool) {}
#else
extern bool g_on;
inline bool On()
{
    return g_on;
}
inline void Set(bool on)
{
    g_on = on;
}
#endif

}  // namespace bscan_accelerate

#endif
