#include "TemporaryFile.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <vector>

TemporaryFile::TemporaryFile(const std::string& text)
{
    const char* dir = std::getenv("TMPDIR");
    const std::string pattern = std::string(dir && *dir ? dir : "/tmp") + "/bscan-XXXXXX.bsdl";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemps(name.data(), 5);
    if (fd < 0)
        throw std::system_error(errno, std::generic_category(), "cannot make a temporary file " + pattern);
    m_path = name.data();
    size_t written = 0;
    while (written < text.size()) {
        const ssize_t n = write(fd, text.data() + written, text.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int error = n < 0 ? errno : EIO;
            close(fd);
            unlink(m_path.c_str());
            throw std::system_error(error, std::generic_category(), "cannot write " + m_path);
        }
        written += static_cast<size_t>(n);
    }
    if (close(fd) != 0) {
        const int error = errno;
        unlink(m_path.c_str());
        throw std::system_error(error, std::generic_category(), "cannot write " + m_path);
    }
}

TemporaryFile::~TemporaryFile()
{
    unlink(m_path.c_str());
}
