// The boundary register reader's accelerator (internal, not installed):
// most entries, in their usual form, are read in one walk straight into
// the reader's list, with their values; any other entry is left to the
// reference steps of parser/BoundaryRegisterReader.cpp, which give the same
// for every entry. Also the presets both use.
#ifndef BSCAN_USUALREGISTERENTRYINTERNAL_H
#define BSCAN_USUALREGISTERENTRYINTERNAL_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "util/CharClassInternal.h"
#include "util/CompilerInternal.h"
#include "model/CellVocabularyInternal.h"
#include "model/Signals.h"
#include "parser/ReaderTextInternal.h"
#include "parser/RegisterValueWordsInternal.h"

namespace boundary_register {

using bscan_util::IsDigit;

const size_t kNoComment = static_cast<size_t>(-1);

// The longest usual entry kept compact; a longer one is read by the
// reference, which gives the same.
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

// The characters skipped between entries: NUL, '"' and white space.

inline bool IsSkipped(char c)
{
    return bscan_util::IsCharOf(c, bscan_util::kSpace | bscan_util::kQuote | bscan_util::kNul);
}

#if !defined(BSCAN_PLAIN)

// A safe value of one character, as usual entries write it: X or x, or
// 1 or 0 (SIGNAL_HIGH and SIGNAL_LOW are those digits' values).
static_assert(SIGNAL_LOW == 0 && SIGNAL_HIGH == 1, "a safe digit's value is the digit");
inline bool ConvertSafeChar(char c, eSignal& value)
{
    if (!bscan_util::IsCharOf(c, bscan_util::kSafeSignal))
        return false;
    value = bscan_util::IsDigit(c) ? static_cast<eSignal>(c - '0') : SIGNAL_X;
    return true;
}

// Four bytes of a text as one number, to compare them at once.
inline uint32_t FourBytes(const char* text)
{
    uint32_t bytes;
    std::memcpy(&bytes, text, 4);
    return bytes;
}

// The characters of a word of an entry in its usual form: the bytes
// above ','. All that ends a field (NUL, white space, ',', '(', ')' and
// '*') lies at or below it; the few other characters there ('!' to '+'
// and control characters) also end a word, and as none of them may follow
// a field in the usual form, an entry holding one is read by the reference.
inline bool IsWordChar(char c)
{
    return static_cast<unsigned char>(c) > static_cast<unsigned char>(',');
}

// The end of the word at text[at]: the first character at or after `at`
// that is not a word character.
inline size_t WordEnd(const char* text, size_t at)
{
    while (IsWordChar(text[at]))
        ++at;
    return at;
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

// The number before '(' (one to eight digits) and the blanks after it;
// returns the offset behind the '(' or 0 when there is none.
inline size_t ReadEntryNumber(const char* text, int& number)
{
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
// when it is none of these.
inline bool ReadPortField(const char* text, size_t start, size_t& at, PortParts& fields)
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

// The end of a field of the entries most files hold: the field starts
// after at most one blank, is a word and is directly followed by `next`.
// Returns the word's end, or 0 when the field is not so written.
inline size_t TightWordEnd(const char* text, size_t& at, char next)
{
    at += text[at] == ' ';
    const size_t end = WordEnd(text, at);
    return end > at && text[end] == next ? end : 0;
}

// Reads the entry at the start of `text` when it is in the form most files
// hold,
//     digits (cell, port, function, safe)
//     digits (cell, port, function, safe, ccell, disval, rslt)
// with at most eight digits, blanks only before '(' and at most one before
// a field, each field a word (see IsWordChar) directly followed by its ','
// or the closing ')', the port as ReadPortField has it and values the
// tables know, together with its values, straight into the list's element
// `item`; returns the entry's length. For such an entry its ')' is the one
// that brings the nesting depth back to 0, and the reference's cutting
// gives exactly these fields. Any other entry, or one longer than
// kMaxUsualLength, is left to the reference (the result is 0, the text is
// left as it was and `item` is to be dropped). Its texts are ended in
// place (the splitting reads on behind the entry and never looks at it
// again).
template <class Packed>
BSCAN_NOINLINE size_t ReadUsualEntry(char* text, const Presets& presets, Packed& item)
{
    int number;
    size_t at = ReadEntryNumber(text, number);
    if (at == 0)
        return 0;
    item.number = number;

    // The cell type.
    size_t cellStart = at;
    const size_t cellEnd = TightWordEnd(text, cellStart, ',');
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
    at = WordEnd(text, at);
    if (!ReadPortField(text, port, at, parts) || text[at] != ',')
        return 0;
    const size_t portEnd = parts.star ? cellEnd : parts.nameEnd;
    item.portStart = static_cast<uint16_t>(parts.star ? cellEnd : port);
    item.portEnd = static_cast<uint16_t>(portEnd);
    item.portIndex = parts.star ? 0 : parts.vectorIndex;

    // The function.
    size_t functionStart = at + 1;
    const size_t functionEnd = TightWordEnd(text, functionStart, ',');
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
        const size_t controlEnd = TightWordEnd(text, cellAt, ',');
        if (controlEnd == 0)
            return 0;
        at = controlEnd + 1;
        at += text[at] == ' ';
        if ((text[at] != '0' && text[at] != '1') || text[at + 1] != ',')
            return 0;
        item.disableValue = static_cast<uint8_t>(text[at] == '1' ? SIGNAL_HIGH : SIGNAL_LOW);
        size_t stateStart = at + 2;
        const size_t stateEnd = TightWordEnd(text, stateStart, ')');
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

// Reads the entry at data[at] when it is in its usual form and appends it
// to the list; returns its length, 0 when it is not in that form. While
// the list has room, the entry is read straight into a new last element,
// which is dropped again when the entry is not in that form; a full list
// grows only for an entry that is.
template <class Entry>
size_t TakeUsualEntry(char* data, size_t at, const Presets& presets,
                      std::vector<Entry>& entries)
{
    if (entries.size() != entries.capacity()) {
        Entry& item = entries.emplace_back();
        const size_t length = ReadUsualEntry(data + at, presets, item.packed);
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
    const size_t length = ReadUsualEntry(data + at, presets, item.packed);
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
        const size_t length = TakeUsualEntry(data, at, presets, entries);
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

#endif  // !BSCAN_PLAIN

}  // namespace boundary_register

#endif
