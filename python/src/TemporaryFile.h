// A private temporary file that holds a text while the library reads it
// (the library reads files only). Made with mkstemps in TMPDIR (or /tmp),
// removed by the destructor. Throws std::system_error when it cannot be
// made or written.
#ifndef BSCAN_PY_TEMPORARYFILE_H
#define BSCAN_PY_TEMPORARYFILE_H

#include <string>

class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& text);
    ~TemporaryFile();
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

#endif
