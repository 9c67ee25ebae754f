// Thin platform layer for reading a C stream line by line (internal to the
// library: neither exported nor installed). Every function here behaves the
// same on every C library; where the C library offers a cheaper way to do
// the same thing, it is used.
//
// - StreamGets / StreamAtEnd: fgets and feof. A stream is read by one
//   thread at a time here, so with glibc they skip the stream's lock.
// - StreamPending / StreamSkip: the bytes the stream has already buffered
//   and not yet handed out, and taking some of them. With glibc these are
//   the bytes from _IO_read_ptr to _IO_read_end, the ones its own
//   getc_unlocked takes from, so taking bytes here is what that many getc
//   calls would do. Elsewhere no pending bytes are shown and every read
//   goes through StreamGets.
#ifndef BSCAN_PLATFORMSTREAMINTERNAL_H
#define BSCAN_PLATFORMSTREAMINTERNAL_H

#include <cstddef>
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

// The stream's buffered, not yet read bytes: false when there are none to
// show (also when the stream is not yet oriented to bytes, which its first
// fgets would do).
inline bool StreamPending(FILE* stream, const char*& start, size_t& count)
{
#if defined(__GLIBC__) && !defined(BSCAN_PLAIN)
    if (stream->_mode >= 0 || stream->_IO_read_ptr >= stream->_IO_read_end)
        return false;
    start = stream->_IO_read_ptr;
    count = static_cast<size_t>(stream->_IO_read_end - stream->_IO_read_ptr);
    return true;
#else
    (void)stream;
    (void)start;
    (void)count;
    return false;
#endif
}

// Takes `count` of the bytes StreamPending showed.
inline void StreamSkip(FILE* stream, size_t count)
{
#if defined(__GLIBC__) && !defined(BSCAN_PLAIN)
    stream->_IO_read_ptr += count;
#else
    (void)stream;
    (void)count;
#endif
}

}  // namespace bscan_platform

#endif
