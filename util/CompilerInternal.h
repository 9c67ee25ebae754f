// The library's building blocks that the compiler and the C library decide
// (internal, not installed).
//
// BSCAN_ALWAYS_INLINE: a function or lambda that is always made part of its
// caller (write it before `inline` on a function, after the parameter list
// on a lambda). BSCAN_NOINLINE: a function kept out of line.
//
// kReadLength: the characters of one physical read of a BSDL file, as
// fgets(raw, kReadLength + 1, stream) takes them; a longer line arrives in
// several reads, each counted as a line.
#ifndef BSCAN_COMPILERINTERNAL_H
#define BSCAN_COMPILERINTERNAL_H

#include <cstddef>

#if defined(__GNUC__) || defined(__clang__)
#define BSCAN_ALWAYS_INLINE __attribute__((always_inline))
#define BSCAN_NOINLINE __attribute__((noinline))
#else
#define BSCAN_ALWAYS_INLINE
#define BSCAN_NOINLINE
#endif

namespace bscan_util {

constexpr std::size_t kReadLength = 254;

}  // namespace bscan_util

#endif
