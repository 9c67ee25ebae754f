// The classes of characters the library reads by (internal, not installed):
// one table of the 256 byte values, one named bit per class, and a predicate
// for each. The classes differ where BSDL text is read differently, and each
// is named for what it holds:
//
//   kSpace      blank, tab, carriage return, line feed: the white space of
//               the text helpers (KIsWhiteSpace) and the readers
//   kCSpace     kSpace plus vertical tab and form feed, as the C library's
//               isspace has them in the "C" locale
//   kLineSpace  blank, tab, carriage return: white space inside a line
//   kSeparator  blank, tab, line feed: what ends a word of a declaration (a
//               carriage return does not)
//   kBlank      blank and tab
//   kDigit      0 to 9
//   kLetter     A to Z and a to z
//   kText       the characters a BSDL file may hold: tab, line feed,
//               carriage return and the bytes 32 to 127
//   kDash       '-' (a comment's name drops it with white space)
//   kQuote      '"'
//   kNul        the NUL byte
//   kLineFeed   line feed alone
//   kParen      '(' and ')'
//   kSemicolon  ';'
//   kColon      ':'
//   kComma      ','
//   kSafeSignal X, x, 0 and 1: the safe value of an entry in its usual form
//   kUnderscore '_'
//   kDot        '.'
//   kBracket    '[' and ']'
//   kAmpersand  '&'
//   kStar       '*'
#ifndef BSCAN_CHARCLASSINTERNAL_H
#define BSCAN_CHARCLASSINTERNAL_H

#include <cstdint>

namespace bscan_util {

enum CharClass : uint32_t {
    kSpace = 1u << 0,
    kCSpace = 1u << 1,
    kLineSpace = 1u << 2,
    kSeparator = 1u << 3,
    kBlank = 1u << 4,
    kDigit = 1u << 5,
    kLetter = 1u << 6,
    kText = 1u << 7,
    kDash = 1u << 8,
    kQuote = 1u << 9,
    kNul = 1u << 10,
    kLineFeed = 1u << 11,
    kParen = 1u << 12,
    kSemicolon = 1u << 13,
    kColon = 1u << 14,
    kComma = 1u << 15,
    kSafeSignal = 1u << 16,
    kUnderscore = 1u << 17,
    kDot = 1u << 18,
    kBracket = 1u << 19,
    kAmpersand = 1u << 20,
    kStar = 1u << 21,
};

struct CharClassTable {
    uint32_t of[256];
    constexpr CharClassTable() : of()
    {
        for (int c = 32; c < 128; ++c)
            of[c] = kText;
        for (int c : {'\t', '\n', '\r'})
            of[c] = kText;
        for (int c : {' ', '\t', '\r', '\n'})
            of[c] |= kSpace | kCSpace;
        for (int c : {'\v', '\f'})
            of[c] |= kCSpace;
        for (int c : {' ', '\t', '\r'})
            of[c] |= kLineSpace;
        for (int c : {' ', '\t', '\n'})
            of[c] |= kSeparator;
        for (int c : {' ', '\t'})
            of[c] |= kBlank;
        for (int c = '0'; c <= '9'; ++c)
            of[c] |= kDigit;
        for (int c = 'A'; c <= 'Z'; ++c)
            of[c] |= kLetter;
        for (int c = 'a'; c <= 'z'; ++c)
            of[c] |= kLetter;
        of['-'] |= kDash;
        of['"'] |= kQuote;
        of[0] |= kNul;
        of['\n'] |= kLineFeed;
        of['('] |= kParen;
        of[')'] |= kParen;
        of[';'] |= kSemicolon;
        of[':'] |= kColon;
        of[','] |= kComma;
        for (int c : {'X', 'x', '0', '1'})
            of[c] |= kSafeSignal;
        of['_'] |= kUnderscore;
        of['.'] |= kDot;
        of['['] |= kBracket;
        of[']'] |= kBracket;
        of['&'] |= kAmpersand;
        of['*'] |= kStar;
    }
};

inline constexpr CharClassTable kCharClass{};

// True when `c` belongs to any of the classes in `classes`.
inline bool IsCharOf(char c, unsigned classes)
{
    return (kCharClass.of[static_cast<unsigned char>(c)] & classes) != 0;
}

inline bool IsSpace(char c) { return IsCharOf(c, kSpace); }
inline bool IsCSpace(char c) { return IsCharOf(c, kCSpace); }
inline bool IsLineSpace(char c) { return IsCharOf(c, kLineSpace); }
inline bool IsSeparator(char c) { return IsCharOf(c, kSeparator); }
inline bool IsBlank(char c) { return IsCharOf(c, kBlank); }
inline bool IsDigit(char c) { return IsCharOf(c, kDigit); }
inline bool IsLetter(char c) { return IsCharOf(c, kLetter); }
inline bool IsText(char c) { return IsCharOf(c, kText); }

}  // namespace bscan_util

#endif
