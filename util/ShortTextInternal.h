// A text kept by its owner (internal, not installed): a short text (most
// names are) inside the object, a longer one in an allocation of its own.
// The part of std::string a hash table key needs: data(), size(), a text
// set by append() on an empty one, emptied by assigning an empty one.
// Setting a short text takes no library call.
#ifndef BSCAN_SHORTTEXTINTERNAL_H
#define BSCAN_SHORTTEXTINTERNAL_H

#include <cstddef>
#include <cstring>

#include "util/ShortBytesInternal.h"

namespace bscan_util {

class ShortText {
public:
    ShortText() = default;
    ~ShortText() { Release(); }
    ShortText(const ShortText&) = delete;
    ShortText& operator=(const ShortText&) = delete;
    ShortText& operator=(ShortText&& other) noexcept
    {
        if (this != &other) {
            Release();
            m_size = other.m_size;
            if (m_size > kShort)
                m_long = other.m_long;
            else
                std::memcpy(m_short, other.m_short, kShort);
            other.m_size = 0;
        }
        return *this;
    }

    const char* data() const { return m_size > kShort ? m_long : m_short; }
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }

    // Gives an empty text the `length` bytes at `text`. May throw
    // std::bad_alloc (a long text) and then leaves the text empty.
    void append(const char* text, std::size_t length)
    {
        if (length > kShort) {
            m_long = new char[length];
            std::memcpy(m_long, text, length);
        } else {
            MoveShortBytes(m_short, text, length);
        }
        m_size = length;
    }

private:
    static constexpr std::size_t kShort = 24;

    void Release()
    {
        if (m_size > kShort)
            delete[] m_long;
        m_size = 0;
    }

    std::size_t m_size = 0;
    union {
        char m_short[kShort];
        char* m_long;
    };
};

}  // namespace bscan_util

#endif
