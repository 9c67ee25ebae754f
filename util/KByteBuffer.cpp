// Growable byte buffer, zero-terminated for reading as a text.
#include "util/KByteBuffer.h"

#include <cstdlib>
#include <functional>
#include <new>
#include <utility>

KByteBuffer::KByteBuffer(const KByteBuffer& other)
{
    if (other.m_size > 0)
        WriteData(other.m_bytes, other.m_size);
}

KByteBuffer& KByteBuffer::operator=(const KByteBuffer& other)
{
    if (this != &other) {
        KByteBuffer copy(other);
        *this = std::move(copy);
    }
    return *this;
}

KByteBuffer::KByteBuffer(KByteBuffer&& other) noexcept
    : m_bytes(std::exchange(other.m_bytes, nullptr)), m_size(std::exchange(other.m_size, 0)),
      m_capacity(std::exchange(other.m_capacity, 0))
{
}

KByteBuffer& KByteBuffer::operator=(KByteBuffer&& other) noexcept
{
    if (this != &other) {
        std::free(m_bytes);
        m_bytes = std::exchange(other.m_bytes, nullptr);
        m_size = std::exchange(other.m_size, 0);
        m_capacity = std::exchange(other.m_capacity, 0);
    }
    return *this;
}

KByteBuffer::~KByteBuffer()
{
    std::free(m_bytes);
}

void KByteBuffer::Grow(size_t more)
{
    if (more > static_cast<size_t>(-1) / 2 - m_size)
        throw std::bad_alloc();
    const size_t needed = m_size + more + 1;
    size_t capacity = m_capacity < 64 ? 64 : m_capacity;
    while (capacity < needed)
        capacity = capacity > static_cast<size_t>(-1) / 4 ? needed : capacity * 2;
    char* bytes = static_cast<char*>(std::realloc(m_bytes, capacity));
    if (!bytes)
        throw std::bad_alloc();
    bytes[m_size] = '\0';
    m_bytes = bytes;
    m_capacity = capacity;
}

KByteBuffer& KByteBuffer::WriteGrowing(const char* data, size_t length)
{
    // Bytes of the buffer itself move when it grows: keep their offset.
    const std::less<const char*> before;
    const bool inside = m_bytes && !before(data, m_bytes) && before(data, m_bytes + m_capacity);
    const size_t offset = inside ? static_cast<size_t>(data - m_bytes) : 0;
    Grow(length);
    if (inside)
        data = m_bytes + offset;
    std::memmove(m_bytes + m_size, data, length);
    m_size += length;
    m_bytes[m_size] = '\0';
    return *this;
}

KByteBuffer& KByteBuffer::WriteData(const char* text)
{
    if (text)
        WriteData(text, std::strlen(text));
    return *this;
}

int KByteBuffer::GetTotalSize() const
{
    return static_cast<int>(m_size);
}

char KByteBuffer::ReadData(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_size)
        return 0;
    return m_bytes[static_cast<size_t>(index)];
}

const char* KByteBuffer::GetText() const
{
    return m_bytes ? m_bytes : "";
}

void KByteBuffer::Clear()
{
    m_size = 0;
    if (m_bytes)
        m_bytes[0] = '\0';
}
