// Growable byte buffer. The bytes written are kept zero-terminated
// internally, so GetText() can be read as a C string (it stops at the first
// NUL byte written, if any).
#ifndef BSCAN_KBYTEBUFFER_H
#define BSCAN_KBYTEBUFFER_H

#include <cstddef>
#include <string>

#include "util/BScanExport.h"

class BSCAN_API KByteBuffer {
public:
    KByteBuffer() = default;
    KByteBuffer& WriteData(char ch);               // appends one byte
    KByteBuffer& WriteData(const char* text);      // appends a text (nothing for null)
    KByteBuffer& WriteData(const char* data, size_t length);  // appends length bytes (nothing for null)
    int GetTotalSize() const;                      // number of bytes held
    char ReadData(int index) const;                // byte at index, 0 outside
    const char* GetText() const;                   // the bytes, zero-terminated
    void Clear();

private:
    std::string m_data;
};

#endif
