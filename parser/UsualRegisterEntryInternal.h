// A boundary register entry in its usual form, read in one walk (internal,
// not installed): the boundary register reader's phase 1 reads most
// entries here, straight into its list, and leaves any other entry to its
// general steps, which give the same.
#ifndef BSCAN_USUALREGISTERENTRYINTERNAL_H
#define BSCAN_USUALREGISTERENTRYINTERNAL_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "util/CompilerInternal.h"
#include "model/CellVocabularyInternal.h"
#include "model/Signals.h"
#include "parser/ReaderTextInternal.h"
#include "parser/RegisterValueWordsInternal.h"

namespace boundary_register {

const size_t kNoComment = static_cast<size_t>(-1);

// The longest usual entry kept compact; a longer one is read the general
// way, which gives the same.
const size_t kMaxUsualLength = 0xFFFF;

// The host's presets for cell `number`, when they cover it.
inline bool PresetValue(const unsigned char* values, const unsigned char* mask, int count,
                        int number, eSignal& value)
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

// The number before '(' (one to eight digits) and the blanks after it;
// returns the offset behind the '(' or 0 when there is none. Of the text,
// `available` bytes lie before a NUL.
inline size_t ReadEntryNumber(const char* text, size_t available, int& number)
{
    (void)available;
    size_t at = 0;
    number = 0;
    for (; IsDigit(text[at]); ++at) {
        if (at == 8)
            return 0;
        number = number * 10 + (text[at] - '0');
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
inline bool FindUsualFields(const char* text, size_t available, UsualFields& fields)
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
BSCAN_ALWAYS_INLINE inline size_t ReadTightEntry(char* text, size_t available, const Presets& presets, Packed& item)
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
    item.cellType =
        static_cast<uint8_t>(cell_vocabulary::CellTypeNamed(text + cellStart, cellEnd - cellStart));

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
    item.function = static_cast<uint8_t>(
        cell_vocabulary::FunctionOfText(text + functionStart, functionEnd - functionStart));

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
        item.controlCell = ReadControlCell(text + cellAt, controlEnd - cellAt);
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

    // The port name is ended in place (the port "*" by the NUL behind the
    // cell type).
    text[cellEnd] = '\0';
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
BSCAN_NOINLINE
size_t ReadLooseEntry(char* text, size_t available, const Presets& presets, Packed& item)
{
    UsualEntry entry;
    if (!FindUsualEntry(text, available, entry) || entry.length > kMaxUsualLength)
        return 0;
    text[entry.cellEnd] = '\0';
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
    item.cellType = static_cast<uint8_t>(
        cell_vocabulary::CellTypeNamed(text + entry.cellStart, entry.cellEnd - entry.cellStart));
    item.function = static_cast<uint8_t>(cell_vocabulary::FunctionOfText(
        text + entry.functionStart, entry.functionEnd - entry.functionStart));
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
BSCAN_NOINLINE
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
BSCAN_NOINLINE
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

}  // namespace boundary_register

#endif
