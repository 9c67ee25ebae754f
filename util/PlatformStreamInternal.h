// Thin platform layer for reading a C stream line by line (internal to the
// library: neither exported nor installed). Every function here behaves the
// same on every C library; where the C library offers a cheaper way to do
// the same thing, it is used.
//
// - StreamGets / StreamAtEnd: fgets and feof. A stream is read by one
//   thread at a time here, so with glibc they skip the stream's lock.
#ifndef BSCAN_PLATFORMSTREAMINTERNAL_H
#define BSCAN_PLATFORMSTREAMINTERNAL_H

#include <cstdio>

namespace bscan_platform {

inline char* StreamGets(char* buffer, int size, FILE* stream)
{
#if defined(__GLIBC__) && defined(_GNU_SOURCE) && !defined(BSCAN_PLAIN)
    return fgets_unlocked(buffer, size, stream);
#else
    return std::fgets(buffer, size, stream);
#endif
}

inline bool StreamAtEnd(FILE* stream)
{
#if defined(__GLIBC__) && defined(_GNU_SOURCE) && !defined(BSCAN_PLAIN)
    return feof_unlocked(stream) != 0;
#else
    return std::feof(stream) != 0;
#endif
}

}  // namespace bscan_platform

#endif
