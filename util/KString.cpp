// Plain, exact substring search and cutting over zero-terminated buffers
// and over growable texts. A missing position is -1; Left and Right clamp
// their count (negative: nothing, beyond the source: all of it).
#include "util/KString.h"

#include <cstring>

#include "util/CharClassInternal.h"

bool KIsWhiteSpace(char c)
{
    return bscan_util::IsSpace(c);
}

namespace {

int Position(const char* text, const char* found)
{
    return found ? static_cast<int>(found - text) : -1;
}

int Position(size_t pos)
{
    return pos == std::string::npos ? -1 : static_cast<int>(pos);
}

// Count of characters to take for a request of n from a text of len.
size_t Clamp(int n, size_t len)
{
    if (n < 0)
        return 0;
    return static_cast<size_t>(n) < len ? static_cast<size_t>(n) : len;
}

}  // namespace

// --- zero-terminated buffers -------------------------------------------

int KString::Find(const char* text, const char* pattern) const
{
    if (!text || !pattern)
        return -1;
    return Position(text, std::strstr(text, pattern));
}

int KString::Find(const char* text, char ch) const
{
    if (!text || ch == '\0')
        return -1;
    return Position(text, std::strchr(text, ch));
}

int KString::ReverseFind(const char* text, char ch) const
{
    if (!text || ch == '\0')
        return -1;
    return Position(text, std::strrchr(text, ch));
}

int KString::FindOneOf(const char* text, const char* set) const
{
    if (!text || !set)
        return -1;
    return Position(text, std::strpbrk(text, set));
}

int KString::ReverseFindOneOf(const char* text, const char* set) const
{
    if (!text || !set || !*set)
        return -1;
    for (size_t i = std::strlen(text); i > 0; --i) {
        if (std::strchr(set, text[i - 1]))
            return static_cast<int>(i - 1);
    }
    return -1;
}

void KString::Left(char* dst, const char* src, int n) const
{
    if (!dst)
        return;
    const size_t count = Clamp(n, src ? std::strlen(src) : 0);
    if (count > 0)
        std::memmove(dst, src, count);
    dst[count] = '\0';
}

void KString::Right(char* dst, const char* src, int n) const
{
    if (!dst)
        return;
    const size_t len = src ? std::strlen(src) : 0;
    const size_t count = Clamp(n, len);
    if (count > 0)
        std::memmove(dst, src + (len - count), count);
    dst[count] = '\0';
}

void KString::TrimLeft(char* buf) const
{
    if (!buf)
        return;
    size_t start = 0;
    while (buf[start] != '\0' && bscan_util::IsSpace(buf[start]))
        ++start;
    if (start > 0)
        std::memmove(buf, buf + start, std::strlen(buf + start) + 1);
}

void KString::TrimRight(char* buf) const
{
    if (!buf)
        return;
    size_t len = std::strlen(buf);
    while (len > 0 && bscan_util::IsSpace(buf[len - 1]))
        --len;
    buf[len] = '\0';
}

// --- growable texts ----------------------------------------------------

int KString::Find(const std::string& text, const char* pattern) const
{
    if (!pattern)
        return -1;
    return Position(text.find(pattern));
}

int KString::Find(const std::string& text, char ch) const
{
    if (ch == '\0')
        return -1;
    return Position(text.find(ch));
}

int KString::ReverseFind(const std::string& text, char ch) const
{
    if (ch == '\0')
        return -1;
    return Position(text.rfind(ch));
}

int KString::FindOneOf(const std::string& text, const char* set) const
{
    if (!set)
        return -1;
    return Position(text.find_first_of(set));
}

int KString::ReverseFindOneOf(const std::string& text, const char* set) const
{
    if (!set)
        return -1;
    return Position(text.find_last_of(set));
}

void KString::Left(std::string& dst, const std::string& src, int n) const
{
    size_t count = Clamp(n, src.size());
    if (&dst == &src)
        dst.erase(count);
    else
        dst.assign(src, 0, count);
}

void KString::Right(std::string& dst, const std::string& src, int n) const
{
    size_t count = Clamp(n, src.size());
    if (&dst == &src)
        dst.erase(0, src.size() - count);
    else
        dst.assign(src, src.size() - count, count);
}

void KString::TrimLeft(std::string& buf) const
{
    size_t start = 0;
    while (start < buf.size() && bscan_util::IsSpace(buf[start]))
        ++start;
    if (start > 0)
        buf.erase(0, start);
}

void KString::TrimRight(std::string& buf) const
{
    size_t len = buf.size();
    while (len > 0 && bscan_util::IsSpace(buf[len - 1]))
        --len;
    if (len < buf.size())
        buf.erase(len);
}

void KString::Trim(std::string& buf) const
{
    TrimRight(buf);
    TrimLeft(buf);
}
