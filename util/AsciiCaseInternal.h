// Case folding of ASCII letters (internal, not installed): BSDL words and
// port names compare without regard to case, and only the letters a-z and
// A-Z fold; every other byte stays as it is, whatever the host's locale.
#ifndef BSCAN_ASCIICASEINTERNAL_H
#define BSCAN_ASCIICASEINTERNAL_H

#include <string>
#include <string_view>

namespace bscan_text {

inline char UpperChar(char c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline char LowerChar(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string Upper(std::string text)
{
    for (char& c : text)
        c = UpperChar(c);
    return text;
}

inline std::string Lower(std::string text)
{
    for (char& c : text)
        c = LowerChar(c);
    return text;
}

// Equal but for the case of letters.
inline bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (UpperChar(a[i]) != UpperChar(b[i]))
            return false;
    return true;
}

}  // namespace bscan_text

#endif
