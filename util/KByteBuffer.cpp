// Growable byte buffer, zero-terminated for reading as a text.
#include "util/KByteBuffer.h"

KByteBuffer& KByteBuffer::WriteData(char ch)
{
    m_data.push_back(ch);
    return *this;
}

KByteBuffer& KByteBuffer::WriteData(const char* text)
{
    if (text)
        m_data.append(text);
    return *this;
}

KByteBuffer& KByteBuffer::WriteData(const char* data, size_t length)
{
    if (data)
        m_data.append(data, length);
    return *this;
}

int KByteBuffer::GetTotalSize() const
{
    return static_cast<int>(m_data.size());
}

char KByteBuffer::ReadData(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_data.size())
        return 0;
    return m_data[static_cast<size_t>(index)];
}

const char* KByteBuffer::GetText() const
{
    return m_data.c_str();
}

void KByteBuffer::Clear()
{
    m_data.clear();
}
