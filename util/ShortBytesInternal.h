// Moving a few bytes without a library call (internal to the library:
// neither exported nor installed). Names, pins and string-value pieces are
// mostly a few bytes long; for them a call to memcpy costs more than the
// copy itself.
#ifndef BSCAN_SHORTBYTESINTERNAL_H
#define BSCAN_SHORTBYTESINTERNAL_H

#include <cstddef>
#include <cstring>

namespace bscan_util {

// Moves `length` bytes from `from` to `to`; the two may overlap. Up to 32
// bytes go in two fixed-size loads and two stores that may overlap each
// other, every byte loaded before any is stored; longer texts go through
// memmove.
inline void MoveShortBytes(char* to, const char* from, size_t length)
{
    if (length > 32) {
        std::memmove(to, from, length);
    } else if (length >= 16) {
        char head[16];
        char tail[16];
        std::memcpy(head, from, 16);
        std::memcpy(tail, from + length - 16, 16);
        std::memcpy(to, head, 16);
        std::memcpy(to + length - 16, tail, 16);
    } else if (length >= 8) {
        char head[8];
        char tail[8];
        std::memcpy(head, from, 8);
        std::memcpy(tail, from + length - 8, 8);
        std::memcpy(to, head, 8);
        std::memcpy(to + length - 8, tail, 8);
    } else if (length >= 4) {
        char head[4];
        char tail[4];
        std::memcpy(head, from, 4);
        std::memcpy(tail, from + length - 4, 4);
        std::memcpy(to, head, 4);
        std::memcpy(to + length - 4, tail, 4);
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
