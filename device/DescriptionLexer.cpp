#include "device/DescriptionLexerInternal.h"

namespace bscan_device {

namespace {

bool IsWordChar(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '.';
}

bool IsBlank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v' || c == 0;
}

bool IsValueSymbol(unsigned char c)
{
    switch (c) {
    case '(': case ')': case ',': case ':': case ';': case '[': case ']': case '&': case '*': case '"':
        return true;
    default:
        return false;
    }
}

}  // namespace

void TokenizeFile(const std::string& text, std::vector<Token>& out)
{
    const std::size_t n = text.size();
    long long line = 1;
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            ++line;
            ++i;
        } else if (IsBlank(c)) {
            ++i;
        } else if (c == '-' && i + 1 < n && text[i + 1] == '-') {
            while (i < n && text[i] != '\n')
                ++i;
        } else if (c == '"') {
            std::size_t start = ++i;
            while (i < n && text[i] != '"' && text[i] != '\n')
                ++i;
            out.push_back(Token{TokenKind::String, '"', start, i - start, line});
            if (i < n && text[i] == '"')
                ++i;
        } else if (IsWordChar(c)) {
            std::size_t start = i;
            while (i < n && IsWordChar(static_cast<unsigned char>(text[i])))
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

void TokenizeValue(const std::string& text, std::vector<Token>& out)
{
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (IsBlank(c)) {
            ++i;
        } else if (IsValueSymbol(c)) {
            out.push_back(Token{TokenKind::Symbol, static_cast<char>(c), i, 1, 0});
            ++i;
        } else {
            std::size_t start = i;
            while (i < n && !IsBlank(static_cast<unsigned char>(text[i])) &&
                   !IsValueSymbol(static_cast<unsigned char>(text[i])))
                ++i;
            out.push_back(Token{TokenKind::Word, 0, start, i - start, 0});
        }
    }
}

}  // namespace bscan_device
