// The boundary register reader's accelerator (internal, not installed):
// most entries, in their usual form, are read in one walk straight into
// the reader's list, with their values; any other entry is left to the
// reference steps of parser/BoundaryRegisterReader.cpp, which give the same
// for every entry. Also the list's entries and the presets both use.
#ifndef BSCAN_USUALREGISTERENTRYINTERNAL_H
#define BSCAN_USUALREGISTERENTRYINTERNAL_H

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "util/CharClassInternal.h"
#include "util/CompilerInternal.h"
#include "model/CellVocabularyInternal.h"
#include "model/PinMapAccessInternal.h"
#include "model/Signals.h"
#include "parser/ReaderTextInternal.h"
#include "parser/RegisterValueWordsInternal.h"

namespace boundary_register {

using bscan_util::IsDigit;

const size_t kNoComment = static_cast<size_t>(-1);

// The longest usual entry kept compact; a longer one is read by the
// reference, which gives the same.
const size_t kMaxUsualLength = 0xFFFF;

// An entry of the string value: where its text lies in the value and
// where its comment name lies in the comment texts (none: kNoComment). An
// entry in its usual form is read whole in phase 1 into the pin map's
// PackedEntry; any other entry keeps its length, to be cut into fields in
// phase 2.
struct ListedEntry {
    size_t start;
    size_t comment;
    size_t length;                      // any other entry
    PinMapAccess::PackedEntry packed;   // a usual entry
    bool usual;

    // Left unset: a usual entry is read straight into the list's new last
    // element, and every other one is given all its members.
    ListedEntry() {}
    ListedEntry(size_t entryStart, size_t entryLength)
        : start(entryStart), comment(kNoComment), length(entryLength), packed(), usual(false)
    {
    }
};

struct Presets {
    const unsigned char* values;
    const unsigned char* mask;
    int count;
};

// A cell's initial value from the host's presets, when they cover its
// number: 0 and 1 let through by the mask give LOW and HIGH, the rest X.
inline void PresetValue(const Presets& presets, int number, eSignal& value)
{
    if (presets.values == nullptr || presets.mask == nullptr || number < 0 ||
        number >= presets.count)
        return;
    const unsigned char preset = presets.mask[number] != 0 ? presets.values[number] : 2;
    value = preset == 0 ? SIGNAL_LOW : (preset == 1 ? SIGNAL_HIGH : SIGNAL_X);
}

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

// The characters of a word of an entry in its usual form: the bytes
// above ','. All that ends a field (NUL, white space, ',', '(', ')' and
// '*') lies at or below it; an entry holding one of the other bytes there
// ('!' to '+', control characters) is read by the reference.
inline bool IsWordChar(char c)
{
    return static_cast<unsigned char>(c) > static_cast<unsigned char>(',');
}

inline size_t WordEnd(const char* text, size_t at)
{
    while (IsWordChar(text[at]))
        ++at;
    return at;
}

// One to eight digits from text[at] as a number, with `at` moved behind
// them; false when there are none or more.
inline bool ReadDigits(const char* text, size_t& at, int& number)
{
    const size_t first = at;
    number = 0;
    for (; IsDigit(text[at]); ++at) {
        if (at - first == 8)
            return false;
        number = number * 10 + (text[at] - '0');
    }
    return at != first;
}

// The number before '(' and the blanks after it; returns the offset behind
// the '(' or 0 when there is none.
inline size_t ReadEntryNumber(const char* text, int& number)
{
    size_t at = 0;
    if (!ReadDigits(text, at, number))
        return 0;
    while (text[at] == ' ')
        ++at;
    if (text[at] != '(')
        return 0;
    return at + 1;
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

// Reads the entry at the start of `text` into `item` when it is in the
// form most files hold,
//     digits (cell, port, function, safe)
//     digits (cell, port, function, safe, ccell, disval, rslt)
// with at most eight digits, blanks only before '(' and at most one before
// a field, each field a word directly followed by its ',' or the closing
// ')', the port "*", a word or word(digits) and values the tables know;
// returns the entry's length. For such an entry its ')' is the one that
// brings the nesting depth back to 0, and the reference's cutting gives
// exactly these fields. Any other entry, or one longer than
// kMaxUsualLength, is left to the reference: the result is 0 and the text
// is left as it was. The port name is ended in place (the splitting never
// looks at an entry again).
BSCAN_NOINLINE
inline size_t ReadUsualEntry(char* text, const Presets& presets, PinMapAccess::PackedEntry& item)
{
    int number;
    size_t at = ReadEntryNumber(text, number);
    if (at == 0)
        return 0;
    item.number = number;

    size_t cellStart = at;
    const size_t cellEnd = TightWordEnd(text, cellStart, ',');
    if (cellEnd == 0)
        return 0;
    item.cellType =
        static_cast<uint8_t>(cell_vocabulary::CellTypeNamed(text + cellStart, cellEnd - cellStart));

    // The port; "*" is the empty text of the NUL behind the cell type.
    at = cellEnd + 1;
    at += text[at] == ' ';
    size_t portStart = at;
    size_t portEnd = WordEnd(text, at);
    int portIndex = 0;
    at = portEnd;
    if (at == portStart) {
        if (text[at] != '*')
            return 0;
        portStart = cellEnd;
        portEnd = cellEnd;
        ++at;
    } else if (text[at] == '(') {
        ++at;
        if (!ReadDigits(text, at, portIndex) || text[at] != ')')
            return 0;
        ++at;
    }
    if (text[at] != ',')
        return 0;
    item.portStart = static_cast<uint16_t>(portStart);
    item.portEnd = static_cast<uint16_t>(portEnd);
    item.portIndex = portIndex;

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
    PresetValue(presets, number, value);
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
        item.disableValue = static_cast<uint8_t>(text[at] - '0');
        size_t stateStart = at + 2;
        const size_t stateEnd = TightWordEnd(text, stateStart, ')');
        if (stateEnd == 0)
            return 0;
        // "Z" or "z", the usual state, is told here; any other goes to
        // ConvertDisabledState.
        eSignal disabledState = SIGNAL_Z;
        const std::string_view state(text + stateStart, stateEnd - stateStart);
        if ((state.size() != 1 || (state[0] | 0x20) != 'z') &&
            !ConvertDisabledState(state, disabledState))
            return 0;
        item.disableResult = static_cast<uint8_t>(disabledState);
        // The control cell: mostly a few digits, or -1.
        size_t digitsEnd = cellAt;
        int control;
        item.controlCell = ReadDigits(text, digitsEnd, control) && digitsEnd == controlEnd
                               ? control
                               : ReaderAtoi(std::string_view(text + cellAt, controlEnd - cellAt));
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
    text[cellEnd] = '\0';
    text[portEnd] = '\0';
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
// Each is read straight into a new last element of the list, dropped again
// when the entry is not in its usual form. Returns where the run stops, and
// how in `end`.
BSCAN_NOINLINE
inline size_t TakeUsualEntries(char* data, size_t size, size_t at, const Presets& presets,
                               std::vector<ListedEntry>& entries, UsualRunEnd& end)
{
    for (;;) {
        ListedEntry& item = entries.emplace_back();
        const size_t length = ReadUsualEntry(data + at, presets, item.packed);
        if (length == 0) {
            entries.pop_back();
            end = UsualRunEnd::OtherEntry;
            return at;
        }
        item.start = at;
        item.comment = kNoComment;
        item.usual = true;
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
