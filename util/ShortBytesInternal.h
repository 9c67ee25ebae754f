// Moving a few bytes without a library call (internal to the library:
// neither exported nor installed). Names, pins and string-value pieces are
// mostly a few bytes long; for them a call to memcpy costs more than the
// copy itself.
#ifndef BSCAN_SHORTBYTESINTERNAL_H
#define BSCAN_SHORTBYTESINTERNAL_H

#include <cstddef>
#include <cstring>

namespace bscan_util {

// Moves `length` bytes, N <= length <= 2 * N, as the first N and the last
// N of them (which may overlap), both loaded before either is stored.
template <size_t N>
inline void MoveHeadAndTail(char* to, const char* from, size_t length)
{
    char head[N];
    char tail[N];
    std::memcpy(head, from, N);
    std::memcpy(tail, from + length - N, N);
    std::memcpy(to, head, N);
    std::memcpy(to + length - N, tail, N);
}

// Moves `length` bytes from `from` to `to`; the two may overlap. Up to 32
// bytes go in two fixed-size loads and two stores that may overlap each
// other, every byte loaded before any is stored; longer texts go through
// memmove.
inline void MoveShortBytes(char* to, const char* from, size_t length)
{
    if (length > 32) {
        std::memmove(to, from, length);
    } else if (length >= 16) {
        MoveHeadAndTail<16>(to, from, length);
    } else if (length >= 8) {
        MoveHeadAndTail<8>(to, from, length);
    } else if (length >= 4) {
        MoveHeadAndTail<4>(to, from, length);
    } else if (length > 0) {
        // First, middle and last byte: all of one to three.
        const char first = from[0];
        const char middle = from[length / 2];
        const char last = from[length - 1];
        to[0] = first;
        to[length / 2] = middle;
        to[length - 1] = last;
    }
}

}  // namespace bscan_util

#endif
