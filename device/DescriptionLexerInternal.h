// The light pass's two tokenizers: one for the file's text (VHDL words,
// numbers, quoted strings, symbols; "--" comments skipped) and one for the
// text of an assembled string value (items separated by BSDL's symbols).
// Tokens point into the text they were made from; nothing is copied.
#ifndef BSCAN_DESCRIPTIONLEXERINTERNAL_H
#define BSCAN_DESCRIPTIONLEXERINTERNAL_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "util/CharClassInternal.h"

namespace bscan_device {

enum class TokenKind : unsigned char { Word, String, Symbol };

// The tokenizers' classes, unions of the library's character classes:
// blanks are white space as the C library's isspace has it plus NUL; a
// word holds letters, digits, '_' and '.'; a string value's symbols are
// ( ) , : ; [ ] & * and '"'; '(', ')' and ',' break a field.
constexpr unsigned kBlankCharacter = bscan_util::kCSpace | bscan_util::kNul;
constexpr unsigned kWordCharacter =
    bscan_util::kLetter | bscan_util::kDigit | bscan_util::kUnderscore | bscan_util::kDot;
constexpr unsigned kFieldBreakCharacter = bscan_util::kParen | bscan_util::kComma;
constexpr unsigned kValueSymbolCharacter = kFieldBreakCharacter | bscan_util::kColon | bscan_util::kSemicolon |
                                           bscan_util::kBracket | bscan_util::kAmpersand | bscan_util::kStar |
                                           bscan_util::kQuote;

// The classes of `c`, to test several at one look.
inline unsigned CharacterClasses(char c) { return bscan_util::kCharClass.of[static_cast<unsigned char>(c)]; }
inline bool IsBlankCharacter(char c) { return bscan_util::IsCharOf(c, kBlankCharacter); }
inline bool IsWordCharacter(char c) { return bscan_util::IsCharOf(c, kWordCharacter); }
// Neither a blank nor '(', ')', ',': a character inside a field's text.
inline bool IsFieldCharacter(char c) { return !bscan_util::IsCharOf(c, kBlankCharacter | kFieldBreakCharacter); }

struct Token {
    TokenKind kind;
    char symbol;                 // the symbol's character ('=' for ":=")
    std::size_t offset;          // String: the first character after the quote
    std::size_t length;          // String: up to the closing quote (or the line's end)
    long long line;
};

// File text: words are runs of letters, digits, '_' and '.'; a string runs
// from '"' to the next '"' on the same line; ":=" is one symbol ('='); any
// other character that is not white space is a symbol of its own.
void TokenizeFile(const std::string& text, std::vector<Token>& out);

// String value text: items are runs of characters other than white space
// and ( ) , : ; [ ] & * and '"'; those characters are symbols. Makes the
// token that begins at or after `offset` and moves `offset` past it; false
// at the end of the text. Inline: the value readers make one token after
// another, thousands per register.
inline bool NextValueToken(const std::string& text, std::size_t& offset, Token& token)
{
    const std::size_t n = text.size();
    std::size_t i = offset;
    while (i < n && IsBlankCharacter(text[i]))
        ++i;
    if (i >= n) {
        offset = n;
        return false;
    }
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (bscan_util::IsCharOf(static_cast<char>(c), kValueSymbolCharacter)) {
        token = Token{TokenKind::Symbol, static_cast<char>(c), i, 1, 0};
        offset = i + 1;
        return true;
    }
    // The word runs to a blank or a symbol; the '\0' a string holds after
    // its last character is a blank, so the run stops at the end.
    std::size_t start = i;
    while (!bscan_util::IsCharOf(text[i], kBlankCharacter | kValueSymbolCharacter))
        ++i;
    token = Token{TokenKind::Word, 0, start, i - start, 0};
    offset = i;
    return true;
}

inline std::string TokenText(const std::string& text, const Token& token)
{
    return text.substr(token.offset, token.length);
}

// The token's text without a copy, for comparisons.
inline std::string_view TokenView(const std::string& text, const Token& token)
{
    return std::string_view(text.data() + token.offset, token.length);
}

}  // namespace bscan_device

#endif
