// BOUNDARY_REGISTER: stores every cell entry in the pin map's cell table,
// then ties the negative legs of the differential pairs to cells.
//
// Phase 1 gathers the string value with its comments kept (each commented
// piece is followed by "-- text*") and walks it once, character by
// character, in four states:
//   Between     blanks, tabs, line ends, NULs and '"' are skipped; '-'
//               starts a comment; anything else starts an entry (that
//               first character is not counted for the nesting depth).
//   Entry       characters belong to the entry; '(' and ')' track the
//               nesting depth; the ')' that returns it to 0 completes the
//               entry, a ')' below 0 fails with BSDL_ERR_BAD_VALUE.
//   AfterEntry  ',' leads back to Between, white space is skipped, '-'
//               starts a comment, anything else fails with
//               BSDL_ERR_BAD_VALUE.
//   Comment     '-' and white space are dropped, '*' ends the comment and
//               gives its text to the entry completed last (a comment
//               before the first entry names nothing); the walk then goes
//               back to the state the comment started from.
// Because a comment may follow AfterEntry, a comment behind the last entry
// of the string (which has no comma after it) names that entry, and a ','
// on a later piece still separates entries. An unfinished entry or comment
// at the end is dropped; no entry at all fails with BSDL_ERR_BAD_VALUE.
// The walk is linear in the length of the string. An entry in its usual
// form (see FindUsualEntry) is read whole where the walk finds it, in one
// pass that gives its end and its fields at once, straight into the pin
// map's entry that phase 2 then only hands over. Any other entry is found
// by its parentheses, kept as offsets into the gathered value and cut into
// fields in phase 2.
//
// Phase 2 needs the pin map (else BSDL_ERR_NO_PIN_MAP, nothing stored) and
// stores the entries in order with AddNewRegister. An entry reads
//     num (cell, port, function, safe [, ccell, disval, rslt])
// Fields are taken from the front: the text before the first ',' (trailing
// white space removed), the rest after it (leading white space removed).
// A missing ',' gives an empty field and leaves the whole rest, so an
// entry with five or six fields ends with BSDL_ERR_BAD_VALUE at its
// disable value. Values: safe "X" (any case), "1", "0"; disable value "1",
// "0"; disabled state "WEAK0", "WEAK1", "PULL0", "PULL1", "Z" (any case);
// any other text ends the reading with BSDL_ERR_BAD_VALUE. A cell's initial
// value is its preset when the parser holds presets that cover its number,
// else its safe value. The first negative AddNewRegister result ends the
// phase; otherwise the result is the last AddNewRegister result.
//
// Phase 3 runs after phase 2 whatever it returned and leaves the result
// and the scan bit image alone. For each pair: the positive cell is the
// first cell whose pin name is the positive element, the negative cell the
// first whose comment name is the negative element. A pair without a
// positive cell is passed over; a pair without a negative cell drops all
// differential information (port marks and pairs). Otherwise the pair gets
// both positions, and the negative cell at position n becomes a copy of the
// positive cell renamed to the negative element; when the positive cell
// has a control cell and n > 0, cell n - 1 becomes a copy of that control
// cell and the negative cell's control cell; when the negative element
// names a port, the negative cell serves that port.
//
// Entries and comment names of any length are read in full. Running out of
// memory gives BSDL_ERR_NO_MEMORY.
#include <cctype>
#include <climits>
#include <cstdint>
#include <cstring>
#include <deque>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "parser/BScanParser.h"
#include "parser/ReaderTextInternal.h"
#include "util/Platform.h"

namespace {

const size_t kNoComment = static_cast<size_t>(-1);

// An entry of the string value: where its text lies in the value and
// where its comment name lies in the comment texts (none: kNoComment). An
// entry in its usual form is read whole in phase 1 and kept compact, as
// the pin map's PackedEntry (private to it, the parser being its friend:
// the reading below takes it as the template parameter `Packed`): its
// numbers, its values (the initial value already set from the presets)
// and its texts as offsets from its start, each text already ended in
// place by a NUL written over the character behind it (the port "*" as the
// empty text, the NUL behind the cell type). Any other entry keeps its
// length, to be cut into fields in phase 2.
template <class Packed>
struct ListedEntry {
    size_t start;
    size_t comment;
    size_t length;                 // any other entry
    Packed packed;                 // a usual entry
    bool usual;

    // Left unset: a usual entry is read straight into the list's new last
    // element, and every other one is given all its members.
    ListedEntry() {}
    ListedEntry(size_t entryStart, size_t entryLength)
        : start(entryStart), comment(kNoComment), length(entryLength), packed(), usual(false)
    {
    }
};

// The longest usual entry kept compact; a longer one is read the general
// way, which gives the same.
const size_t kMaxUsualLength = 0xFFFF;

// The host's presets for cell `number`, when they cover it.
bool PresetValue(const unsigned char* values, const unsigned char* mask, int count, int number,
                 eSignal& value)
{
    if (values == nullptr || mask == nullptr || number < 0 || number >= count)
        return false;
    if (mask[number] != 0 && values[number] == 0)
        value = SIGNAL_LOW;
    else if (mask[number] != 0 && values[number] == 1)
        value = SIGNAL_HIGH;
    else
        value = SIGNAL_X;
    return true;
}

struct Presets {
    const unsigned char* values;
    const unsigned char* mask;
    int count;
};

// An entry in its usual form as FindUsualEntry finds it:
// its length, what it gives AddNewRegister and its texts as offsets from
// its start (an empty port text when the port is "*").
struct UsualEntry {
    size_t length;
    size_t cellStart;
    size_t cellEnd;
    size_t portStart;
    size_t portEnd;
    size_t functionStart;
    size_t functionEnd;
    int number;
    int vectorIndex;
    int controlCell;
    eSignal safe;
    eSignal disableValue;
    eSignal disabledState;
};

enum class SplitState { Between, Entry, AfterEntry, Comment };

// The characters skipped between entries (NUL, '"' and white space), one
// table lookup per character.
struct SkippedTable {
    bool of[256];
    constexpr SkippedTable() : of()
    {
        of[0] = true;
        of[static_cast<unsigned char>('"')] = true;
        of[static_cast<unsigned char>(' ')] = true;
        of[static_cast<unsigned char>('\t')] = true;
        of[static_cast<unsigned char>('\r')] = true;
        of[static_cast<unsigned char>('\n')] = true;
    }
};

constexpr SkippedTable kSkipped;

inline bool IsSkipped(char c)
{
    return kSkipped.of[static_cast<unsigned char>(c)];
}

// The characters a comment's name keeps, by character: all but '-' and
// white space (as ReaderIsWhiteSpace has it), 1 for those kept.
struct CommentKeptTable {
    unsigned char of[256];
    constexpr CommentKeptTable() : of()
    {
        for (int c = 0; c < 256; ++c)
            of[c] = kReaderWhiteSpace.of[c] || c == '-' ? 0 : 1;
    }
};

constexpr CommentKeptTable kCommentKept;

// Appends the characters of a comment's text that its name keeps: every
// character is written and the end moves on past the kept ones.
void AppendCommentText(std::string& comments, const char* text, size_t length)
{
    const size_t oldSize = comments.size();
    comments.resize(oldSize + length);
    char* out = &comments[0] + oldSize;
    for (size_t i = 0; i < length; ++i) {
        const char c = text[i];
        *out = c;
        out += kCommentKept.of[static_cast<unsigned char>(c)];
    }
    comments.resize(static_cast<size_t>(out - comments.data()));
}

inline bool IsBlank(const char* text, size_t at)
{
    return ReaderIsWhiteSpace(text[at]);
}

// The end of [start, end) with its trailing white space removed.
inline size_t TrimmedEnd(const char* text, size_t start, size_t end)
{
    while (end > start && IsBlank(text, end - 1))
        --end;
    return end;
}

// The start of [start, end) with its leading white space removed.
inline size_t TrimmedStart(const char* text, size_t start, size_t end)
{
    while (start < end && IsBlank(text, start))
        ++start;
    return start;
}

// A whole text compared with a word without regard to case, as the
// platform's compare has it; a text holding a NUL matches no word. A text
// of plain ASCII is compared here (the words hold no 'I', the one ASCII
// letter some locales fold differently); a text with other bytes goes to
// the platform's compare.
bool EqualsWordNoCase(std::string_view text, const char* word, size_t wordLength)
{
    char copy[8];
    if (text.size() != wordLength || wordLength >= sizeof copy)
        return false;
    bool plain = true;
    bool equal = true;
    for (size_t i = 0; i < wordLength; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\0')
            return false;
        if (c >= 0x80)
            plain = false;
        const char upper = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        if (upper != word[i])
            equal = false;
        copy[i] = static_cast<char>(c);
    }
    if (plain)
        return equal;
    copy[wordLength] = '\0';
    return bscan_platform::CompareNoCase(copy, word) == 0;
}

bool ConvertDisableValue(std::string_view text, eSignal& value)
{
    if (text == "1")
        value = SIGNAL_HIGH;
    else if (text == "0")
        value = SIGNAL_LOW;
    else
        return false;
    return true;
}

// A safe value is a disable value or X in either case.
bool ConvertSafeValue(std::string_view text, eSignal& value)
{
    if (EqualsWordNoCase(text, "X", 1)) {
        value = SIGNAL_X;
        return true;
    }
    return ConvertDisableValue(text, value);
}

// The safe values of one character, as usual entries write them (X, x, 1
// or 0), by character: the value plus one, 0 for any other character.
struct SafeCharTable {
    unsigned char of[256];
    constexpr SafeCharTable() : of()
    {
        of[static_cast<unsigned char>('X')] = SIGNAL_X + 1;
        of[static_cast<unsigned char>('x')] = SIGNAL_X + 1;
        of[static_cast<unsigned char>('1')] = SIGNAL_HIGH + 1;
        of[static_cast<unsigned char>('0')] = SIGNAL_LOW + 1;
    }
};

constexpr SafeCharTable kSafeChars;

// A safe value of one character, as usual entries write it, told by one
// table lookup.
inline bool ConvertSafeChar(char c, eSignal& value)
{
    const unsigned entry = kSafeChars.of[static_cast<unsigned char>(c)];
    if (entry == 0)
        return false;
    value = static_cast<eSignal>(entry - 1);
    return true;
}

// Four bytes of a text as one number, to compare them at once.
inline uint32_t FourBytes(const char* text)
{
    uint32_t bytes;
    std::memcpy(&bytes, text, 4);
    return bytes;
}

bool ConvertDisabledState(std::string_view text, eSignal& value)
{
    if (text.size() == 1 && (text[0] == 'Z' || text[0] == 'z')) {
        value = SIGNAL_Z;
        return true;
    }
    static const struct {
        const char* word;
        size_t length;
        eSignal value;
    } states[] = {{"WEAK0", 5, SIGNAL_WEAK0}, {"WEAK1", 5, SIGNAL_WEAK1},
                  {"PULL0", 5, SIGNAL_PULL0}, {"PULL1", 5, SIGNAL_PULL1},
                  {"Z", 1, SIGNAL_Z}};
    // A five-character text of plain ASCII is taken as its first four
    // bytes and its last one. Setting the case bit of the four turns
    // exactly the two cases of a letter into its lower case (a NUL or any
    // other character into no letter), so they are compared with the
    // lower-case words at once; the last byte is a digit, compared as is.
    if (text.size() == 5) {
        uint32_t head;
        std::memcpy(&head, text.data(), 4);
        const unsigned char last = static_cast<unsigned char>(text[4]);
        if ((head & 0x80808080u) == 0 && last < 0x80) {
            if (last != '0' && last != '1')
                return false;
            const uint32_t lower = head | 0x20202020u;
            const size_t digit = last == '1';
            if (lower == FourBytes("weak")) {
                value = states[digit].value;
                return true;
            }
            if (lower == FourBytes("pull")) {
                value = states[2 + digit].value;
                return true;
            }
            return false;
        }
    }
    for (const auto& state : states) {
        if (EqualsWordNoCase(text, state.word, state.length)) {
            value = state.value;
            return true;
        }
    }
    return false;
}

// The characters of a word of an entry in its usual form: the bytes
// above ','. All that ends a field (NUL, white space, ',', '(', ')' and
// '*') lies at or below it; the few other characters there ('!' to '+'
// and control characters) also end a word, and as none of them may follow
// a field in the usual form, an entry holding one is read the general way.
inline bool IsWordChar(char c)
{
    return static_cast<unsigned char>(c) > static_cast<unsigned char>(',');
}

// The end of the word at text[at]: the first character at or after `at`
// that is not a word character. The text is zero-terminated at `end` at
// the latest; where the processor has SSE2, 16 bytes are looked at a time
// while they lie before `end`.
inline size_t WordEnd(const char* text, size_t at, size_t end)
{
#if BSCAN_READER_SSE2
    const __m128i last = _mm_set1_epi8(',');
    while (end - at >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
        const unsigned stops = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(bytes, last), bytes)));
        if (stops != 0)
            return at + ReaderLowestBit(stops);
        at += 16;
    }
#else
    (void)end;
#endif
    while (IsWordChar(text[at]))
        ++at;
    return at;
}

inline bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// A control cell number: mostly a few digits, or -1.
inline int ReadControlCell(const char* text, size_t length)
{
    if (length >= 1 && length <= 8) {
        int value = 0;
        size_t at = 0;
        for (; at < length && IsDigit(text[at]); ++at)
            value = value * 10 + (text[at] - '0');
        if (at == length)
            return value;
    }
    return ReaderAtoi(std::string_view(text, length));
}

// Where the fields of an entry in its usual form lie (offsets from its
// start), and the numbers read on the way.
struct UsualFields {
    size_t starts[7];
    size_t ends[7];
    int count;
    int number;
    int vectorIndex;
    bool star;
    size_t nameEnd;
    size_t close;
};

#if (defined(__GNUC__) || defined(__clang__)) && defined(__BYTE_ORDER__) && \
    __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
#define BSCAN_REGISTER_WORD_DIGITS 1
#else
#define BSCAN_REGISTER_WORD_DIGITS 0
#endif

#if BSCAN_REGISTER_WORD_DIGITS
// The leading decimal digits of the eight bytes at `text`: their count (0
// to 8) and their value. The eight bytes are taken as one word (first byte
// lowest): a byte is a digit when its high half is 3 and its low half below
// 10; the digits are moved to the top of the word, behind zeros, and
// combined pairwise, then in fours, then all eight.
inline int LeadingDigits(const char* text, int& value)
{
    uint64_t word;
    std::memcpy(&word, text, 8);
    const uint64_t low = word & 0x0F0F0F0F0F0F0F0Full;
    const uint64_t other = ((word & 0xF0F0F0F0F0F0F0F0ull) ^ 0x3030303030303030ull) |
                           ((low + 0x0606060606060606ull) & 0x1010101010101010ull);
    const int count = other == 0 ? 8 : __builtin_ctzll(other) / 8;
    if (count == 0)
        return 0;
    uint64_t digits = low << (8 * (8 - count));
    digits = (digits * 10 + (digits >> 8)) & 0x00FF00FF00FF00FFull;
    digits = (digits * 100 + (digits >> 16)) & 0x0000FFFF0000FFFFull;
    digits = digits * 10000 + (digits >> 32);
    value = static_cast<int>(static_cast<uint32_t>(digits));
    return count;
}
#endif

// ReadControlCell for the `length` bytes at text[at], of which the value
// has `available` bytes before its NUL: where eight bytes are left, their
// leading digits are read as one word, and a text of digits only is their
// number; any other text is read as ReadControlCell reads it.
inline int ReadControlCellAt(const char* text, size_t available, size_t at, size_t length)
{
#if BSCAN_REGISTER_WORD_DIGITS
    if (available - at >= 8) {
        int value = 0;
        if (length != 0 && static_cast<size_t>(LeadingDigits(text + at, value)) == length)
            return value;
        return ReaderAtoi(std::string_view(text + at, length));
    }
#else
    (void)available;
#endif
    return ReadControlCell(text + at, length);
}

// The number before '(' (one to eight digits) and the blanks after it;
// returns the offset behind the '(' or 0 when there is none. Of the text,
// `available` bytes lie before a NUL.
inline size_t ReadEntryNumber(const char* text, size_t available, int& number)
{
    size_t at = 0;
    number = 0;
#if BSCAN_REGISTER_WORD_DIGITS
    if (available >= 8) {
        at = static_cast<size_t>(LeadingDigits(text, number));
        if (at == 8 && IsDigit(text[8]))
            return 0;
    } else
#else
    (void)available;
#endif
    {
        for (; IsDigit(text[at]); ++at) {
            if (at == 8)
                return 0;
            number = number * 10 + (text[at] - '0');
        }
    }
    if (at == 0)
        return 0;
    while (text[at] == ' ')
        ++at;
    if (text[at] != '(')
        return 0;
    return at + 1;
}

// What the reading of a port field finds: where its name ends, whether it
// is "*" and its index.
struct PortParts {
    int vectorIndex;
    bool star;
    size_t nameEnd;
};

// The port field from `start`, whose word ends at `at`: "*", a word or
// word(digits) with at most eight digits. Moves `at` behind it; false
// when it is none of these. `fields` is UsualFields or PortParts.
template <class Fields>
inline bool ReadPortField(const char* text, size_t start, size_t& at, Fields& fields)
{
    fields.nameEnd = at;
    if (at == start && text[at] == '*') {
        fields.star = true;
        ++at;
    } else if (at > start && text[at] == '(') {
        const size_t digit = ++at;
        for (; IsDigit(text[at]); ++at) {
            if (at - digit == 8)
                return false;
            fields.vectorIndex = fields.vectorIndex * 10 + (text[at] - '0');
        }
        if (at == digit || text[at] != ')')
            return false;
        ++at;
    }
    return at != start;
}

// Finds the fields of the entry at the start of `text`, of which
// `available` bytes lie before the NUL that ends the value, when it is in
// its usual form:
//     digits (cell, port, function, safe)
//     digits (cell, port, function, safe, ccell, disval, rslt)
// with at most eight digits, blanks only before '(' and around the fields,
// each field a word (see IsWordChar) and the port as ReadPortField has it.
// For such an entry every step of the general cutting gives exactly the
// fields found here, and its ')' is the one that brings the nesting depth
// back to 0.
bool FindUsualFields(const char* text, size_t available, UsualFields& fields)
{
    size_t at = ReadEntryNumber(text, available, fields.number);
    if (at == 0)
        return false;
    fields.count = 0;
    fields.vectorIndex = 0;
    fields.star = false;
    fields.nameEnd = 0;
    for (;;) {
        while (text[at] == ' ')
            ++at;
        const size_t start = at;
        at = WordEnd(text, at, available);
        if (fields.count == 1) {
            if (!ReadPortField(text, start, at, fields))
                return false;
        } else if (at == start) {
            return false;
        }
        fields.starts[fields.count] = start;
        fields.ends[fields.count] = at;
        ++fields.count;
        while (text[at] == ' ')
            ++at;
        if (text[at] == ')')
            break;
        if (text[at] != ',' || fields.count == 7)
            return false;
        ++at;
    }
    fields.close = at;
    return true;
}

// The end of a field of the entries most files hold: the field starts
// after at most one blank, is a word and is directly followed by `next`.
// Returns the word's end, or 0 when the field is not so written.
inline size_t TightWordEnd(const char* text, size_t available, size_t& at, char next)
{
    at += text[at] == ' ';
    const size_t end = WordEnd(text, at, available);
    return end > at && text[end] == next ? end : 0;
}

// Reads the entries most files hold, in their usual form with each field
// directly followed by its ',' or the closing ')' and at most one blank
// before a field, together with their values, straight into the list's
// element `item`; returns the entry's length. Every step here is one that
// the usual-form reading (FindUsualFields and the value tests) takes on
// such an entry, so an entry read here comes out as it would there; any
// other entry, a value that is not known or an entry longer than
// kMaxUsualLength is left to that reading (the result is 0, the text is
// left as it was and `item` is to be dropped). Each part is written to
// `item` once, in its own width, as soon as it is known, so that few values
// are kept along the walk and nothing is read back from wider memory
// written moments before.
template <class Packed>
#if defined(__GNUC__) || defined(__clang__)
__attribute__((always_inline))
#endif
inline size_t ReadTightEntry(char* text, size_t available, const Presets& presets, Packed& item)
{
    int number;
    size_t at = ReadEntryNumber(text, available, number);
    if (at == 0)
        return 0;
    item.number = number;

    // The cell type.
    size_t cellStart = at;
    const size_t cellEnd = TightWordEnd(text, available, cellStart, ',');
    if (cellEnd == 0)
        return 0;
    item.cellStart = static_cast<uint16_t>(cellStart);
    item.cellEnd = static_cast<uint16_t>(cellEnd);

    // The port; "*" is the empty text of the NUL behind the cell type.
    at = cellEnd + 1;
    at += text[at] == ' ';
    const size_t port = at;
    PortParts parts;
    parts.vectorIndex = 0;
    parts.star = false;
    at = WordEnd(text, at, available);
    if (!ReadPortField(text, port, at, parts) || text[at] != ',')
        return 0;
    const size_t portEnd = parts.star ? cellEnd : parts.nameEnd;
    item.portStart = static_cast<uint16_t>(parts.star ? cellEnd : port);
    item.portEnd = static_cast<uint16_t>(portEnd);
    item.portIndex = parts.star ? 0 : parts.vectorIndex;

    // The function.
    size_t functionStart = at + 1;
    const size_t functionEnd = TightWordEnd(text, available, functionStart, ',');
    if (functionEnd == 0)
        return 0;
    item.functionStart = static_cast<uint16_t>(functionStart);
    item.functionEnd = static_cast<uint16_t>(functionEnd);

    // The safe value: one character, then ',' or ')'.
    at = functionEnd + 1;
    at += text[at] == ' ';
    eSignal safe;
    if (!ConvertSafeChar(text[at], safe))
        return 0;
    eSignal value = safe;
    if (presets.values != nullptr)
        PresetValue(presets.values, presets.mask, presets.count, number, value);
    item.safe = static_cast<uint8_t>(safe);
    item.value = static_cast<uint8_t>(value);
    ++at;
    if (text[at] == ',') {
        // The control cell, the disable value (one digit) and the disabled
        // state, which ends the entry.
        size_t cellAt = at + 1;
        const size_t controlEnd = TightWordEnd(text, available, cellAt, ',');
        if (controlEnd == 0)
            return 0;
        at = controlEnd + 1;
        at += text[at] == ' ';
        if ((text[at] != '0' && text[at] != '1') || text[at + 1] != ',')
            return 0;
        item.disableValue = static_cast<uint8_t>(text[at] == '1' ? SIGNAL_HIGH : SIGNAL_LOW);
        size_t stateStart = at + 2;
        const size_t stateEnd = TightWordEnd(text, available, stateStart, ')');
        if (stateEnd == 0)
            return 0;
        // "Z" or "z", the usual state, and the four five-letter states of
        // plain ASCII are told here as ConvertDisabledState tells them;
        // any other text goes to it.
        eSignal disabledState = SIGNAL_Z;
        const size_t stateLength = stateEnd - stateStart;
        if (stateLength == 1 && (text[stateStart] | 0x20) == 'z') {
            // SIGNAL_Z
        } else if (stateLength == 5 && (FourBytes(text + stateStart) & 0x80808080u) == 0 &&
                   (text[stateStart + 4] == '0' || text[stateStart + 4] == '1')) {
            const uint32_t lower = FourBytes(text + stateStart) | 0x20202020u;
            const int digit = text[stateStart + 4] - '0';
            if (lower == FourBytes("weak"))
                disabledState = digit != 0 ? SIGNAL_WEAK1 : SIGNAL_WEAK0;
            else if (lower == FourBytes("pull"))
                disabledState = digit != 0 ? SIGNAL_PULL1 : SIGNAL_PULL0;
            else
                return 0;
        } else if (!ConvertDisabledState(std::string_view(text + stateStart, stateLength),
                                         disabledState)) {
            return 0;
        }
        item.disableResult = static_cast<uint8_t>(disabledState);
        item.controlCell = ReadControlCellAt(text, available, cellAt, controlEnd - cellAt);
        at = stateEnd;
    } else if (text[at] == ')') {
        item.controlCell = -1;
        item.disableValue = static_cast<uint8_t>(SIGNAL_LOW);
        item.disableResult = static_cast<uint8_t>(SIGNAL_Z);
    } else {
        return 0;
    }
    const size_t length = at + 1;
    if (length > kMaxUsualLength)
        return 0;

    // The texts are ended in place.
    text[cellEnd] = '\0';
    text[functionEnd] = '\0';
    text[portEnd] = '\0';
    return length;
}

// Finds the entry at the start of `text`, of which `available` bytes lie
// before the NUL that ends the value, when it is in its usual form (see
// FindUsualFields) with the safe value X, x, 1 or 0, the disable value 1
// or 0 and a disabled state the table knows. Returns false for any other
// entry, which is then read the general way. ReadTightEntry has read the
// entries most files hold already.
inline bool FindUsualEntry(const char* text, size_t available, UsualEntry& entry)
{
    UsualFields fields;
    if (!FindUsualFields(text, available, fields))
        return false;
    const int count = fields.count;
    if (count != 4 && count != 7)
        return false;
    const size_t* starts = fields.starts;
    const size_t* ends = fields.ends;

    if (ends[3] - starts[3] != 1)
        return false;
    if (!ConvertSafeChar(text[starts[3]], entry.safe))
        return false;
    entry.controlCell = -1;
    entry.disableValue = SIGNAL_LOW;
    entry.disabledState = SIGNAL_Z;
    if (count == 7) {
        eSignal disableValue;
        eSignal disabledState;
        if (!ConvertDisableValue(std::string_view(text + starts[5], ends[5] - starts[5]),
                                 disableValue) ||
            !ConvertDisabledState(std::string_view(text + starts[6], ends[6] - starts[6]),
                                  disabledState))
            return false;
        entry.disableValue = disableValue;
        entry.disabledState = disabledState;
        entry.controlCell = ReadControlCell(text + starts[4], ends[4] - starts[4]);
    }

    const bool star = fields.star;
    entry.length = fields.close + 1;
    entry.number = fields.number;
    entry.vectorIndex = star ? 0 : fields.vectorIndex;
    entry.cellStart = starts[0];
    entry.cellEnd = ends[0];
    entry.portStart = star ? 0 : starts[1];
    entry.portEnd = star ? 0 : fields.nameEnd;
    entry.functionStart = starts[2];
    entry.functionEnd = ends[2];
    return true;
}

// Reads the entry at the start of `text` in its usual form when it is not
// one that ReadTightEntry reads (see ReadUsualEntry); kept out of line, as
// few files hold such entries.
template <class Packed>
#if defined(__GNUC__) || defined(__clang__)
__attribute__((noinline))
#endif
size_t ReadLooseEntry(char* text, size_t available, const Presets& presets, Packed& item)
{
    UsualEntry entry;
    if (!FindUsualEntry(text, available, entry) || entry.length > kMaxUsualLength)
        return 0;
    text[entry.cellEnd] = '\0';
    text[entry.functionEnd] = '\0';
    item.portStart = static_cast<uint16_t>(entry.cellEnd);
    item.portEnd = static_cast<uint16_t>(entry.cellEnd);
    if (entry.portEnd != entry.portStart) {
        text[entry.portEnd] = '\0';
        item.portStart = static_cast<uint16_t>(entry.portStart);
        item.portEnd = static_cast<uint16_t>(entry.portEnd);
    }
    item.number = entry.number;
    item.portIndex = entry.vectorIndex;
    item.controlCell = entry.controlCell;
    item.cellStart = static_cast<uint16_t>(entry.cellStart);
    item.cellEnd = static_cast<uint16_t>(entry.cellEnd);
    item.functionStart = static_cast<uint16_t>(entry.functionStart);
    item.functionEnd = static_cast<uint16_t>(entry.functionEnd);
    eSignal value = entry.safe;
    PresetValue(presets.values, presets.mask, presets.count, entry.number, value);
    item.safe = static_cast<uint8_t>(entry.safe);
    item.disableValue = static_cast<uint8_t>(entry.disableValue);
    item.disableResult = static_cast<uint8_t>(entry.disabledState);
    item.value = static_cast<uint8_t>(value);
    return entry.length;
}

// Reads the entry at the start of `text` (see FindUsualEntry) into the
// list's element `item` and returns its length; 0 when it is not in its
// usual form (or longer than kMaxUsualLength), and then the text is left
// as it was and `item` is to be dropped. Its texts are ended in place (the
// splitting reads on behind the entry and never looks at it again). Kept
// out of line, so that its walk keeps its values in registers.
template <class Packed>
#if defined(__GNUC__) || defined(__clang__)
__attribute__((noinline))
#endif
size_t ReadUsualEntry(char* text, size_t available, const Presets& presets, Packed& item)
{
    const size_t tight = ReadTightEntry(text, available, presets, item);
    if (tight != 0)
        return tight;
    return ReadLooseEntry(text, available, presets, item);
}

// Reads the entry at data[at] when it is in its usual form and appends it
// to the list; returns its length, 0 when it is not in that form. While
// the list has room, the entry is read straight into a new last element,
// which is dropped again when the entry is not in that form; a full list
// grows only for an entry that is.
template <class Entry>
size_t TakeUsualEntry(char* data, size_t size, size_t at, const Presets& presets,
                      std::vector<Entry>& entries)
{
    if (entries.size() != entries.capacity()) {
        Entry& item = entries.emplace_back();
        const size_t length = ReadUsualEntry(data + at, size - at, presets, item.packed);
        if (length == 0) {
            entries.pop_back();
            return 0;
        }
        item.start = at;
        item.comment = kNoComment;
        item.usual = true;
        return length;
    }
    Entry item;
    const size_t length = ReadUsualEntry(data + at, size - at, presets, item.packed);
    if (length == 0)
        return 0;
    item.start = at;
    item.comment = kNoComment;
    item.usual = true;
    entries.push_back(item);
    return length;
}

// Where a run of usual entries (see TakeUsualEntries) stops: in the
// Between state (at the end of the value or at a '-'), in the AfterEntry
// state (an entry without a ',' right behind it), or at an entry that is not
// in its usual form.
enum class UsualRunEnd { Between, AfterEntry, OtherEntry };

// Reads the usual entries that follow one another from data[at], which
// starts an entry, as the splitting would one at a time: each entry with
// the ',' right behind it and the characters skipped before the next one.
// Returns where the run stops, and how in `end`. Kept out of line, so that
// the walk over a run of entries, the usual case, keeps its values in
// registers.
template <class Entry>
#if defined(__GNUC__) || defined(__clang__)
__attribute__((noinline))
#endif
size_t TakeUsualEntries(char* data, size_t size, size_t at, const Presets& presets,
                        std::vector<Entry>& entries, UsualRunEnd& end)
{
    for (;;) {
        const size_t length = TakeUsualEntry(data, size, at, presets, entries);
        if (length == 0) {
            end = UsualRunEnd::OtherEntry;
            return at;
        }
        at += length;
        if (at == size || data[at] != ',') {
            end = UsualRunEnd::AfterEntry;
            return at;
        }
        ++at;
        while (at < size && IsSkipped(data[at]))
            ++at;
        if (at == size || data[at] == '-') {
            end = UsualRunEnd::Between;
            return at;
        }
    }
}

// Phase 1: splits the gathered value into entries. The comment names are
// written one after the other into `comments`, each ended by a NUL, and the
// entries refer to them by offset.
template <class Entry>
int SplitEntries(char* data, size_t size, const Presets& presets, std::vector<Entry>& entries,
                 std::string& comments)
{
    SplitState state = SplitState::Between;
    SplitState afterComment = SplitState::Between;
    size_t commentStart = 0;
    size_t entryStart = 0;
    int depth = 0;

    size_t i = 0;
    while (i < size) {
        switch (state) {
        case SplitState::Between: {
            while (i < size && IsSkipped(data[i]))
                ++i;
            if (i == size)
                break;
            if (data[i] == '-') {
                commentStart = comments.size();
                afterComment = SplitState::Between;
                state = SplitState::Comment;
            } else {
                // Entries in their usual form are read whole here, together
                // with the comma that usually follows each, as long as they
                // come one after another.
                UsualRunEnd end;
                i = TakeUsualEntries(data, size, i, presets, entries, end);
                if (end != UsualRunEnd::OtherEntry) {
                    state = end == UsualRunEnd::AfterEntry ? SplitState::AfterEntry
                                                           : SplitState::Between;
                    break;
                }
                entryStart = i;
                depth = 0;
                state = SplitState::Entry;
            }
            ++i;
            break;
        }
        case SplitState::Entry: {
            // Up to the ')' that brings the depth back to 0; without one
            // the entry is left unfinished.
            size_t close = size;
            ReaderForEachEither(data, i, size, '(', ')', [&](size_t at) {
                if (data[at] == '(') {
                    ++depth;
                    return true;
                }
                --depth;
                if (depth > 0)
                    return true;
                close = at;
                return false;
            });
            i = close;
            if (i == size)
                break;
            ++i;
            if (depth < 0)
                return BSDL_ERR_BAD_VALUE;
            entries.emplace_back(entryStart, i - entryStart);
            state = SplitState::AfterEntry;
            break;
        }
        case SplitState::AfterEntry: {
            const char c = data[i++];
            if (c == ',') {
                state = SplitState::Between;
            } else if (c == '-') {
                commentStart = comments.size();
                afterComment = SplitState::AfterEntry;
                state = SplitState::Comment;
            } else if (!ReaderIsWhiteSpace(c)) {
                return BSDL_ERR_BAD_VALUE;
            }
            break;
        }
        case SplitState::Comment: {
            // Up to the next '*', keeping all but '-' and white space.
            const size_t star = ReaderFind(data, i, size, '*');
            AppendCommentText(comments, data + i, star - i);
            i = star;
            if (i == size)
                break;
            ++i;
            if (!entries.empty()) {
                comments += '\0';
                entries.back().comment = commentStart;
            } else {
                comments.resize(commentStart);
            }
            state = afterComment;
            break;
        }
        }
    }
    return entries.empty() ? BSDL_ERR_BAD_VALUE : BSDL_OK;
}

// The fields of an entry's body. The fields are taken from the front, each
// up to the next ',' with the white space around it dropped; once the
// commas run out, every further field is empty and the rest stays the text
// after the last comma. So one pass that notes the first commas gives the
// bounds of every field: field k (from 1) runs from after comma k - 1 to
// comma k, and the rest after k fields starts after comma k.
struct EntryFields {
    static const int kMaxCommas = 6;   // the seventh field is the whole rest
    const char* text;
    size_t bodyEnd;
    size_t starts[kMaxCommas + 1];     // starts[k]: the rest after k fields
    size_t commas[kMaxCommas];
    int count;                         // commas noted

    EntryFields(const char* entryText, size_t bodyStart, size_t end)
        : text(entryText), bodyEnd(end), count(0)
    {
        starts[0] = bodyStart;
        ReaderForEachEither(text, bodyStart, bodyEnd, ',', ',', [this](size_t at) {
            commas[count] = at;
            starts[count + 1] = TrimmedStart(text, at + 1, bodyEnd);
            return ++count < kMaxCommas;
        });
    }

    // Field k (from 1): empty when fewer than k commas were found.
    std::string_view Field(int k) const
    {
        if (k > count)
            return std::string_view();
        const size_t start = starts[k - 1];
        return std::string_view(text + start, TrimmedEnd(text, start, commas[k - 1]) - start);
    }

    // The rest after k fields were taken.
    std::string_view RestAfter(int k) const
    {
        const size_t start = starts[k < count ? k : count];
        return std::string_view(text + start, bodyEnd - start);
    }
};

// Phase 2 for one entry: returns AddNewRegister's result or
// BSDL_ERR_BAD_VALUE for a value the tables do not know. The cell type,
// port name and function are handed to AddNewRegister as writable
// zero-terminated texts, written one after the other into `texts`, which
// is kept across the entries so that its storage is reused. It is kept
// out of line: inlined into the loop over the entries, it only made that
// loop's register use worse.
#if defined(__GNUC__) || defined(__clang__)
__attribute__((noinline))
#endif
int StoreEntry(BScanPinMap& pinMap, std::string_view entry, const char* commentName,
               const Presets& presets, std::string& texts)
{
    int controlCell = -1;
    int vectorIndex = 0;
    eSignal safe = SIGNAL_X;
    eSignal disableValue = SIGNAL_LOW;
    eSignal disabledState = SIGNAL_Z;

    // The number before the first '(' (none: 0), the fields between it and
    // the last ')' (none: no fields), trimmed.
    const char* data = entry.data();
    const size_t size = entry.size();
    const size_t open = ReaderFind(data, 0, size, '(');
    const int number = open == size ? 0 : ReaderAtoi(std::string_view(data, open));

    size_t close = size;
    while (close > 0 && data[close - 1] != ')')
        --close;
    size_t bodyStart = 0;
    size_t bodyEnd = 0;
    if (close > 0) {
        bodyEnd = close - 1;
        if (open < size)
            bodyStart = open < bodyEnd ? open + 1 : bodyEnd;
    }
    bodyEnd = TrimmedEnd(data, bodyStart, bodyEnd);
    bodyStart = TrimmedStart(data, bodyStart, bodyEnd);
    const EntryFields fields(data, bodyStart, bodyEnd);

    // The three texts are parts of the entry, in its order and apart from
    // each other: the entry is copied once into `texts`, and each text is
    // ended by a NUL written over the character behind it in the copy (an
    // empty text is the NUL behind the copy).
    if (texts.size() < size + 1)
        texts.resize(size + 1);
    char* const copy = &texts[0];
    std::memcpy(copy, data, size);
    copy[size] = '\0';
    const auto textOf = [copy, data, size](std::string_view field) {
        if (field.empty())
            return copy + size;
        char* begin = copy + (field.data() - data);
        begin[field.size()] = '\0';
        return begin;
    };

    char* cellType = textOf(fields.Field(1));

    // A port "*" names no port; a port "name(index)" names a vector element
    // (an index without its ')' is 0).
    const std::string_view port = fields.Field(2);
    bool star = false;
    size_t index = std::string_view::npos;
    for (size_t k = port.size(); k-- > 0;) {
        if (port[k] == '*')
            star = true;
        else if (port[k] == '(')
            index = k;
    }
    std::string_view portName;
    if (!star) {
        if (index == std::string_view::npos) {
            portName = port;
        } else {
            const size_t nameEnd = TrimmedEnd(port.data(), 0, index);
            const size_t nameStart = TrimmedStart(port.data(), 0, nameEnd);
            portName = port.substr(nameStart, nameEnd - nameStart);
            const std::string_view text = port.substr(index + 1);
            const size_t end = text.find(')');
            if (end != std::string_view::npos)
                vectorIndex = ReaderAtoi(text.substr(0, end));
        }
    }
    char* portText = textOf(portName);

    char* function = textOf(fields.Field(3));

    // The safe value is the fourth field when a ',' follows it, else the
    // whole rest.
    std::string_view text;
    std::string_view rest;
    if (fields.count >= 4 && fields.commas[3] > fields.starts[3]) {
        text = fields.Field(4);
        rest = fields.RestAfter(4);
    } else {
        text = fields.RestAfter(3);
    }
    if (!ConvertSafeValue(text, safe))
        return BSDL_ERR_BAD_VALUE;

    eSignal value = safe;
    PresetValue(presets.values, presets.mask, presets.count, number, value);

    if (!rest.empty()) {
        controlCell = ReaderAtoi(fields.Field(5));
        if (!ConvertDisableValue(fields.Field(6), disableValue))
            return BSDL_ERR_BAD_VALUE;
        if (!ConvertDisabledState(fields.RestAfter(6), disabledState))
            return BSDL_ERR_BAD_VALUE;
    }

    return pinMap.AddNewRegister(number, cellType, portText, vectorIndex, function, safe,
                                 controlCell, disableValue, disabledState, value, commentName);
}

// A pair whose negative leg names no cell: every port loses its
// differential marks and the pair list is emptied.
void DropDifferentialPairs(BScanPinMap& pinMap, std::deque<CDifferentialPair>& pairs)
{
    const KObjList* ports = pinMap.GetPinListArray();
    const int count = ports != nullptr ? ports->GetCount() : 0;
    for (int i = 0; i < count; ++i) {
        KPinNode* port = static_cast<KPinNode*>(ports->GetAt(i));
        if (port == nullptr)
            continue;
        if (port->IsPositive())
            port->SetPositive(false);
        if (port->IsNegative())
            port->SetNegative(false);
    }
    pairs.clear();
}

// Phase 3: ties the negative leg of every differential pair to a cell.
void ResolveDifferentialPairs(BScanPinMap& pinMap, std::deque<CDifferentialPair>& pairs)
{
    for (size_t i = 0; i < pairs.size(); ++i) {
        CDifferentialPair& pair = pairs[i];
        KBScanCell* positive = pinMap.GetBScanCell(pair.GetPositiveElement());
        if (positive == nullptr)
            continue;
        KBScanCell* negative = pinMap.GetBScanCellByOriginalName(pair.GetNegativeElement());
        if (negative == nullptr) {
            DropDifferentialPairs(pinMap, pairs);
            return;
        }

        pair.SetPositiveBScanPosition(positive->GetBoundaryCellPosition());
        const int n = negative->GetBoundaryCellPosition();
        pair.SetNegativeBScanPosition(n);

        const std::string negativeName = pair.GetNegativeElement();
        *negative = *positive;
        negative->SetPinName(negativeName.c_str());
        negative->SetOriginalPinName(negativeName.c_str());
        negative->SetBoundaryCellPosition(n);

        KBScanCell* control = positive->GetControlCell();
        KBScanCell* previous = n > 0 ? pinMap.GetBScanCell(n - 1) : nullptr;
        if (control != nullptr && previous != nullptr) {
            *previous = *control;
            previous->SetBoundaryCellPosition(n - 1);
            negative->SetControlCell(previous);
        }

        std::string lookup = negativeName;
        KPinNode* port = pinMap.GetPortwName(&lookup[0]);
        if (port != nullptr) {
            negative->SetPinNode(port);
            port->AssociateBScanCell(negative);
        }
    }
}

}  // namespace

int BScanParser::ReadBSCANBoundaryRegister(FILE* file, char* statement)
{
    try {
        KString ks;
        std::string buffer(statement != nullptr ? statement : "");
        std::string begin;
        const int quote = ks.Find(buffer, '"');
        if (quote > 0) {
            ks.Right(begin, buffer, static_cast<int>(buffer.size()) - quote - 1);
            ks.TrimLeft(begin);
        }

        KByteBuffer value;
        int result = GetCompleteStringValue(file, begin.c_str(), &value, true);
        if (result < 0)
            return result;

        // An entry takes some twenty characters at least, so the list is
        // sized once for most values instead of growing step by step; when
        // that much memory is not to be had, it grows as the entries come.
        // The gathered value is this reader's own buffer: the usual entries
        // have their texts ended in place in it.
        char* const data = const_cast<char*>(value.GetText());
        const size_t size = static_cast<size_t>(value.GetTotalSize());
        using Entry = ListedEntry<BScanPinMap::PackedEntry>;
        std::vector<Entry> entries;
        try {
            entries.reserve(size / 32 + 1);
        } catch (const std::bad_alloc&) {
        }
        const Presets presets{m_presetValues, m_presetMask, m_presetCount};
        std::string comments;
        result = SplitEntries(data, size, presets, entries, comments);
        if (result < 0)
            return result;

        if (m_pinMap == nullptr)
            return BSDL_ERR_NO_PIN_MAP;

        std::string texts;
        for (const Entry& item : entries) {
            const char* commentName = item.comment == kNoComment ? "" : comments.c_str() + item.comment;
            if (item.usual) {
                result = m_pinMap->AddRegister(data + item.start, item.packed, commentName);
            } else {
                const std::string_view entry(data + item.start, item.length);
                result = StoreEntry(*m_pinMap, entry, commentName, presets, texts);
            }
            if (result < 0)
                break;
        }

        ResolveDifferentialPairs(*m_pinMap, m_differentialPairs);
        return result;
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    } catch (const std::length_error&) {
        return BSDL_ERR_NO_MEMORY;
    }
}
