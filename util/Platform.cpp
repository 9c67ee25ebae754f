// Working directory, case-insensitive comparison and in-place case
// conversion for POSIX systems and Windows.
#include "util/Platform.h"

#include <cerrno>
#include <vector>

#ifdef _WIN32
#  include <direct.h>
#  include <string.h>
#else
#  include <strings.h>
#  include <unistd.h>
#endif

namespace {

char AsciiUpper(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

namespace bscan_platform {

bool GetWorkingDir(std::string& dir)
{
    // The path may be of any length: grow the buffer until it fits.
    std::vector<char> buf(256);
    for (;;) {
#ifdef _WIN32
        char* got = _getcwd(buf.data(), static_cast<int>(buf.size()));
#else
        char* got = getcwd(buf.data(), buf.size());
#endif
        if (got) {
            dir.assign(buf.data());
            return true;
        }
        if (errno != ERANGE || buf.size() > (1u << 24))
            return false;
        buf.resize(buf.size() * 2);
    }
}

bool ChangeDir(const char* dir)
{
    if (!dir)
        return false;
#ifdef _WIN32
    return _chdir(dir) == 0;
#else
    return chdir(dir) == 0;
#endif
}

int CompareNoCase(const char* a, const char* b)
{
    if (!a || !b)
        return (a ? 1 : 0) - (b ? 1 : 0);
#ifdef _WIN32
    return _stricmp(a, b);
#else
    return strcasecmp(a, b);
#endif
}

char* ToUpper(char* text)
{
    if (text) {
        for (char* p = text; *p; ++p)
            *p = AsciiUpper(*p);
    }
    return text;
}

char* ToLower(char* text)
{
    if (text) {
        for (char* p = text; *p; ++p)
            *p = AsciiLower(*p);
    }
    return text;
}

void ToUpper(std::string& text)
{
    for (char& c : text)
        c = AsciiUpper(c);
}

void ToLower(std::string& text)
{
    for (char& c : text)
        c = AsciiLower(c);
}

}  // namespace bscan_platform
