// Working directory, case-insensitive comparison and case conversion for
// POSIX systems and Windows.
#include "util/Platform.h"

#include <cerrno>
#include <vector>

#include "util/AsciiCaseInternal.h"

#ifdef _WIN32
#  include <direct.h>
#  include <string.h>
#else
#  include <strings.h>
#  include <unistd.h>
#endif

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

void ToUpper(std::string& text)
{
    for (char& c : text)
        c = bscan_text::UpperChar(c);
}

}  // namespace bscan_platform
