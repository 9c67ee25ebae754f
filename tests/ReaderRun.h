// The tests' way of running one reader of the parser on a text: the text is
// written to a temporary file, the reader is called on the open stream, and
// what it left unread can be read from the same stream afterwards.
#pragma once

#include <cstdio>
#include <string>

namespace bscan_test {

// A temporary file holding `content`, open for reading from its start;
// closed (and so removed) with the object.
class TextFile {
public:
    explicit TextFile(const std::string& content) : m_stream(std::tmpfile())
    {
        if (m_stream) {
            std::fwrite(content.data(), 1, content.size(), m_stream);
            std::rewind(m_stream);
        }
    }
    ~TextFile()
    {
        if (m_stream)
            std::fclose(m_stream);
    }
    TextFile(const TextFile&) = delete;
    TextFile& operator=(const TextFile&) = delete;
    operator FILE*() const { return m_stream; }

private:
    FILE* m_stream;
};

// Calls `reader(stream)` on a stream holding `content` and returns its
// result; `after(stream)`, when given, runs before the stream is closed
// (to read what the reader left).
template <class Reader>
int RunReader(const std::string& content, Reader reader)
{
    TextFile file(content);
    return reader(static_cast<FILE*>(file));
}

template <class Reader, class After>
int RunReader(const std::string& content, Reader reader, After after)
{
    TextFile file(content);
    const int result = reader(static_cast<FILE*>(file));
    after(static_cast<FILE*>(file));
    return result;
}

}  // namespace bscan_test
