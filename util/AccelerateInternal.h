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
//
// An accelerator stays only while it saves at least 3% of the instructions
// of a whole read (Initialize, Read, destruction; scripts/oracle/count.sh)
// of the 10,000-cell synthetic device or of the largest real file, and the
// fuzz target fuzz_differential compares it with the reference. Those kept,
// with what each saved when last measured (10,000 cells / largest file):
//   the shared stream's read-ahead block instead of fgets   24% / 21%
//   the pre-pass's read-ahead block                           8% / 1%
//   plain lines and pieces taken straight from the block   6.6% / 0%, 11% / 11%
//   a port declaration in its usual form (PortReader)       3.6% / 0%
//   a boundary-register entry in its usual form            20% / 18%
//   pins of at most three letters packed into integers      11% / 7%
//   the SSE2 byte search of two characters (reader text)    1% / 7%
//   the SSE2 search of a piece's stop characters           22% / 20%
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
