// Bounded copy and append of zero-terminated texts.
// util_strncpy(dst, src, n, m): copies src into dst, all of it when n is 0,
// else at most n characters; dst is always terminated. util_strncat appends
// the same way. m is reserved and must be 0. dst must be large enough.
// Both return dst; a null src copies (appends) nothing.
#ifndef BSCAN_KUTILSTRING_H
#define BSCAN_KUTILSTRING_H

#include <cstddef>

#include "util/BScanExport.h"

BSCAN_API char* util_strncpy(char* dst, const char* src, size_t n, int m);
BSCAN_API char* util_strncat(char* dst, const char* src, size_t n, int m);

// Heap copy of a text (new[]), null for a null text. Released with delete[].
BSCAN_API char* util_strdup(const char* text);

#endif
