// Bounded copy and append of zero-terminated texts, and a heap copy.
#include "util/KUtilString.h"

#include <cstring>
#include <new>

namespace {

// Number of characters of src that a copy with the limit n takes.
size_t TakenLength(const char* src, size_t n)
{
    if (n == 0)
        return std::strlen(src);
    const void* end = std::memchr(src, '\0', n);
    return end ? static_cast<size_t>(static_cast<const char*>(end) - src) : n;
}

}  // namespace

char* util_strncpy(char* dst, const char* src, size_t n, int /*m*/)
{
    if (!dst || !src)
        return dst;
    size_t len = TakenLength(src, n);
    std::memmove(dst, src, len);
    dst[len] = '\0';
    return dst;
}

char* util_strncat(char* dst, const char* src, size_t n, int /*m*/)
{
    if (!dst || !src)
        return dst;
    size_t start = std::strlen(dst);
    size_t len = TakenLength(src, n);
    std::memmove(dst + start, src, len);
    dst[start + len] = '\0';
    return dst;
}

char* util_strdup(const char* text)
{
    if (!text)
        return nullptr;
    size_t len = std::strlen(text);
    char* copy = new (std::nothrow) char[len + 1];
    if (copy)
        std::memcpy(copy, text, len + 1);
    return copy;
}
