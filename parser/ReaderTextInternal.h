// Text steps shared by several readers (internal, not installed).
//
// - ReaderAtoi: a decimal number read the way the runtime's atoi reads it
//   (leading white space, an optional sign, then digits up to the first
//   other character; 0 when there are no digits). A value beyond the range
//   of int is clamped to INT_MIN / INT_MAX instead of being undefined.
// - LastWordOfStatement: the text before the statement's first ';', trimmed
//   at its end, after its last blank, newline or tab, trimmed at its start.
// - WordFrom, TextAfterFirstQuote: words and value starts of a statement.
// - TrimFront, TrimBack: a view without its white space at one end.
// - EqualsNoCase: a whole text compared with a word without regard to case.
// - HoldsBlankTabOrNewline: the white-space test of names and list items.
// - EntryListWalker and SplitItemList: lists of entries NAME (item, ...).
#ifndef BSCAN_READERTEXTINTERNAL_H
#define BSCAN_READERTEXTINTERNAL_H

#include <algorithm>
#include <climits>
#include <string>
#include <string_view>
#include <vector>

#include "util/KString.h"
#include "util/Platform.h"
#include "util/AccelerateInternal.h"
#include "util/CharClassInternal.h"

// The byte searches' accelerator: 16 bytes a look with SSE2, unless
// compiled out (BSCAN_PLAIN); it serves only while bscan_accelerate::On().
#if !defined(BSCAN_PLAIN) && \
    (defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2))
#include <emmintrin.h>
#define BSCAN_READER_SSE2 1
#else
#define BSCAN_READER_SSE2 0
#endif

#if defined(_MSC_VER) && !defined(__clang__)
#include <intrin.h>
#endif

// The index of the lowest set bit of a non-zero mask.
inline unsigned ReaderLowestBit(unsigned mask)
{
#if defined(__GNUC__) || defined(__clang__)
    return static_cast<unsigned>(__builtin_ctz(mask));
#elif defined(_MSC_VER)
    unsigned long index = 0;
    _BitScanForward(&index, mask);
    return static_cast<unsigned>(index);
#else
    unsigned index = 0;
    while ((mask & 1U) == 0) {
        mask >>= 1;
        ++index;
    }
    return index;
#endif
}

#if BSCAN_READER_SSE2
// The walk the 16-byte searches share: the first position in [from, end)
// whose bit is set in stopsIn(at), the mask of the 16 bytes from `at`;
// `end` when there is none. Needs from < end and end >= 16: the last look
// begins at end - 16, possibly before `from`, whose bytes are then left out.
template <class StopsIn>
inline size_t ReaderFindBy16(size_t from, size_t end, StopsIn stopsIn)
{
    for (;;) {
        const size_t at = end - from >= 16 ? from : end - 16;
        const unsigned mask = stopsIn(at) >> (from - at);
        if (mask != 0)
            return from + ReaderLowestBit(mask);
        if (at + 16 >= end)
            return end;
        from = at + 16;
    }
}
#endif

// The position of the first byte in [from, end) of `text` that is `a` or
// `b`; `end` when there is none. The bytes text[0] to text[end - 1] must be
// readable: the SSE2 search's last look at 16 bytes may begin before `from`.
inline size_t ReaderFindEither(const char* text, size_t from, size_t end, char a, char b)
{
#if BSCAN_READER_SSE2
    if (bscan_accelerate::On() && from < end && end >= 16) {
        const __m128i wantA = _mm_set1_epi8(a);
        const __m128i wantB = _mm_set1_epi8(b);
        return ReaderFindBy16(from, end, [&](size_t at) {
            const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
            return static_cast<unsigned>(_mm_movemask_epi8(
                _mm_or_si128(_mm_cmpeq_epi8(chunk, wantA), _mm_cmpeq_epi8(chunk, wantB))));
        });
    }
#endif
    while (from < end && text[from] != a && text[from] != b)
        ++from;
    return from < end ? from : end;
}

inline size_t ReaderFind(const char* text, size_t from, size_t end, char c)
{
    return ReaderFindEither(text, from, end, c, c);
}

// Calls found(position) for every byte in [from, end) of `text` that is `a`
// or `b`, in order, until it returns false. The same bytes must be readable
// as for ReaderFindEither.
template <class Found>
inline void ReaderForEachEither(const char* text, size_t from, size_t end, char a, char b,
                                Found found)
{
    for (from = ReaderFindEither(text, from, end, a, b); from < end;
         from = ReaderFindEither(text, from + 1, end, a, b)) {
        if (!found(from))
            return;
    }
}

inline std::string_view TrimFront(std::string_view text)
{
    while (!text.empty() && bscan_util::IsSpace(text.front()))
        text.remove_prefix(1);
    return text;
}

inline std::string_view TrimBack(std::string_view text)
{
    while (!text.empty() && bscan_util::IsSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

inline int ReaderAtoi(std::string_view text)
{
    const char* at = text.data();
    const char* const end = at + text.size();
    while (at < end && bscan_util::IsCSpace(*at))
        ++at;
    bool negative = false;
    if (at < end && (*at == '+' || *at == '-')) {
        negative = *at == '-';
        ++at;
    }
    long long value = 0;
    for (; at < end; ++at) {
        const unsigned digit = static_cast<unsigned char>(*at) - static_cast<unsigned>('0');
        if (digit > 9)
            break;
        if (value <= static_cast<long long>(INT_MAX) + 1)
            value = value * 10 + digit;
    }
    return static_cast<int>(std::clamp<long long>(negative ? -value : value, INT_MIN, INT_MAX));
}

inline std::string LastWordOfStatement(const std::string& statement)
{
    KString ks;
    std::string text;
    ks.Left(text, statement, ks.Find(statement, ';'));
    ks.TrimRight(text);
    int separator = ks.ReverseFindOneOf(text, " \n\t");
    ks.Right(text, text, static_cast<int>(text.size()) - separator - 1);
    ks.TrimLeft(text);
    return text;
}

// A word of the statement: from `from` on, leading white space removed,
// cut before the first of `stops`, trailing white space removed.
inline std::string WordFrom(const std::string& statement, int from, const char* stops)
{
    KString ks;
    std::string word;
    ks.Right(word, statement, static_cast<int>(statement.size()) - from);
    ks.TrimLeft(word);
    ks.Left(word, word, ks.FindOneOf(word, stops));
    ks.TrimRight(word);
    return word;
}

// Where a string value begins on a statement's first line: after its first
// double quote (unless that is its first character), leading white space
// removed; empty when there is none.
inline std::string TextAfterFirstQuote(const std::string& line)
{
    KString ks;
    std::string start;
    int quote = ks.Find(line, '"');
    if (quote > 0) {
        ks.Right(start, line, static_cast<int>(line.size()) - quote - 1);
        ks.TrimLeft(start);
    }
    return start;
}

inline bool EqualsNoCase(const std::string& text, const char* word)
{
    return text.find('\0') == std::string::npos &&
           bscan_platform::CompareNoCase(text.c_str(), word) == 0;
}

inline bool HoldsBlankTabOrNewline(const std::string& text)
{
    return text.find_first_of(" \t\n") != std::string::npos;
}

// Walks the entries of a list value NAME (item, item, ...). The value is
// prepared once (cut at its first ';', everything before the first double
// quote dropped, trimmed); then each call of Next takes the text up to and
// including the next ')' as one entry:
// - the name is the entry's text before its first '(', reduced to what
//   follows the last double quote in it (the comma, closing quote, '&' and
//   opening quote between two entries), trimmed;
// - the list is the text between the '(' and the ')', trimmed, with every
//   double quote and '&' made a blank, so that a list running over two
//   joined pieces reads as one.
// Next returns false when no ')' is left. The walk keeps an offset into the
// value, so a long value is read in one linear pass.
class EntryListWalker {
public:
    explicit EntryListWalker(const std::string& statement)
    {
        KString ks;
        ks.Left(m_value, statement, ks.Find(statement, ';'));
        int quote = ks.Find(m_value, '"');
        ks.Right(m_value, m_value, static_cast<int>(m_value.size()) - quote);
        ks.Trim(m_value);
    }

    bool Next(std::string& name, std::string& list)
    {
        const size_t close = m_value.find(')', m_offset);
        if (close == std::string::npos)
            return false;
        std::string entry(m_value, m_offset, close + 1 - m_offset);
        m_offset = close + 1;

        KString ks;
        int open = ks.Find(entry, '(');
        ks.Left(name, entry, open);
        int lastQuote = ks.ReverseFind(name, '"');
        ks.Right(name, name, static_cast<int>(name.size()) - lastQuote - 1);
        ks.Trim(name);

        if (open < 0)
            list.clear();
        else
            list.assign(entry, open + 1, entry.size() - open - 2);
        ks.Trim(list);
        std::replace_if(list.begin(), list.end(), [](char c) { return c == '"' || c == '&'; }, ' ');
        return true;
    }

private:
    std::string m_value;
    size_t m_offset = 0;
};

// Splits an entry's list at its commas into items, each trimmed, in their
// order (the text after the last comma, or the whole list, last). Returns
// false when an item is empty or holds a blank, tab or newline; the items
// before it are left in `items`.
inline bool SplitItemList(const std::string& list, std::vector<std::string>& items)
{
    KString ks;
    items.clear();
    size_t start = 0;
    for (;;) {
        size_t comma = list.find(',', start);
        size_t end = comma == std::string::npos ? list.size() : comma;
        std::string item(list, start, end - start);
        ks.Trim(item);
        if (item.empty() || HoldsBlankTabOrNewline(item))
            return false;
        items.push_back(item);
        if (comma == std::string::npos)
            return true;
        start = comma + 1;
    }
}

#endif
