#include "device/DescriptionLexerInternal.h"

#include <cstring>

namespace bscan_device {

void TokenizeFile(const std::string& text, std::vector<Token>& out)
{
    const std::size_t n = text.size();
    out.reserve(out.size() + n / 8 + 16);
    long long line = 1;
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++line;
            ++i;
        } else if (IsBlankCharacter(c)) {
            // The run of blanks up to the line's end, in one go.
            ++i;
            while (i < n && text[i] != '\n' && IsBlankCharacter(text[i]))
                ++i;
        } else if (c == '-' && i + 1 < n && text[i + 1] == '-') {
            const void* end = std::memchr(text.data() + i, '\n', n - i);
            i = end ? static_cast<std::size_t>(static_cast<const char*>(end) - text.data()) : n;
        } else if (c == '"') {
            std::size_t start = ++i;
            const void* quote = std::memchr(text.data() + i, '"', n - i);
            std::size_t close = quote ? static_cast<std::size_t>(static_cast<const char*>(quote) - text.data()) : n;
            const void* newline = std::memchr(text.data() + i, '\n', close - i);
            i = newline ? static_cast<std::size_t>(static_cast<const char*>(newline) - text.data()) : close;
            out.push_back(Token{TokenKind::String, '"', start, i - start, line});
            if (i < n && text[i] == '"')
                ++i;
        } else if (IsWordCharacter(c)) {
            std::size_t start = i;
            while (IsWordCharacter(text[i]))     // text[n] is '\0', no word character
                ++i;
            out.push_back(Token{TokenKind::Word, 0, start, i - start, line});
        } else if (c == ':' && i + 1 < n && text[i + 1] == '=') {
            out.push_back(Token{TokenKind::Symbol, '=', i, 2, line});
            i += 2;
        } else {
            out.push_back(Token{TokenKind::Symbol, static_cast<char>(c), i, 1, line});
            ++i;
        }
    }
}

}  // namespace bscan_device
