// Growable byte buffer. The bytes written are kept zero-terminated
// internally, so GetText() can be read as a C string (it stops at the first
// NUL byte written, if any).
//
// Appending is the hot path of the string value reader (a piece per line):
// it is inline and copies the bytes once; the buffer grows by doubling,
// with realloc, so that a large buffer is usually extended in place.
// Running out of memory throws std::bad_alloc, as the standard containers do.
#ifndef BSCAN_KBYTEBUFFER_H
#define BSCAN_KBYTEBUFFER_H

#include <cstddef>
#include <cstring>

#include "util/BScanExport.h"

class BSCAN_API KByteBuffer {
public:
    KByteBuffer() = default;
    KByteBuffer(const KByteBuffer& other);
    KByteBuffer& operator=(const KByteBuffer& other);
    KByteBuffer(KByteBuffer&& other) noexcept;
    KByteBuffer& operator=(KByteBuffer&& other) noexcept;
    ~KByteBuffer();

    KByteBuffer& WriteData(char ch);               // appends one byte
    KByteBuffer& WriteData(const char* text);      // appends a text (nothing for null)
    KByteBuffer& WriteData(const char* data, size_t length);  // appends length bytes (nothing for null)
    int GetTotalSize() const;                      // number of bytes held
    char ReadData(int index) const;                // byte at index, 0 outside
    const char* GetText() const;                   // the bytes, zero-terminated
    void Clear();

private:
    // The library's string value reader appends a value's pieces in place
    // (parser/StatementReaderInternal.h).
    friend struct KByteBufferPieces;

    // Makes room for `more` bytes after the ones held and their NUL.
    void Grow(size_t more);
    // Appends when the buffer must grow first; `data` may lie in the buffer.
    KByteBuffer& WriteGrowing(const char* data, size_t length);

    char* m_bytes = nullptr;                       // m_size bytes and a NUL (malloc'd); null while nothing was written
    size_t m_size = 0;
    size_t m_capacity = 0;                         // bytes allocated, the NUL's included
};

inline KByteBuffer& KByteBuffer::WriteData(char ch)
{
    if (m_capacity - m_size < 2)
        Grow(1);
    m_bytes[m_size++] = ch;
    m_bytes[m_size] = '\0';
    return *this;
}

inline KByteBuffer& KByteBuffer::WriteData(const char* data, size_t length)
{
    if (!data)
        return *this;
    if (m_capacity - m_size <= length)
        return WriteGrowing(data, length);
    std::memcpy(m_bytes + m_size, data, length);
    m_size += length;
    m_bytes[m_size] = '\0';
    return *this;
}

#endif
