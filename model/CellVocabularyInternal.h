// The cell types BC_0..BC_7 and the cell functions told from an entry's
// texts, and PinMapAccess::StoreEntryTexts: inline for the register
// storing, which runs once per cell; the cell's setters share the steps.
#ifndef BSCAN_CELLVOCABULARYINTERNAL_H
#define BSCAN_CELLVOCABULARYINTERNAL_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>

#include "model/KBScanCell.h"
#include "model/PinMapAccessInternal.h"
#include "model/PinMapIndex.h"
#include "model/Signals.h"
#include "util/CompilerInternal.h"
#include "util/Platform.h"


namespace cell_vocabulary {

using bscan_platform::UpperCasedWord;
using std::size_t;

// The first four and the last four of the 4 to 8 bytes at `text` (which
// overlap for fewer than eight) as one number: such a text is upper-cased,
// and a function name of that length told, at once.
inline std::uint64_t ShortTextWord(const char* text, size_t length)
{
    std::uint32_t first;
    std::uint32_t second;
    std::memcpy(&first, text, 4);
    std::memcpy(&second, text + length - 4, 4);
    return first | static_cast<std::uint64_t>(second) << 32;
}

// Converts a-z to A-Z in place in the `length` bytes at `text`; every
// other byte stays. Eight bytes are taken at a time, the last ones in a
// load that overlaps bytes already done (which upper-casing leaves as they
// are); a word is written back only when it changed.
BSCAN_ALWAYS_INLINE inline void UpperCaseInPlace(char* text, size_t length)
{
    if (length >= 8) {
        char* last = text + length - 8;
        for (char* at = text;; at += 8) {
            if (at > last) {
                at = last;
            }
            std::uint64_t word;
            std::memcpy(&word, at, 8);
            std::uint64_t upper = UpperCasedWord(word);
            if (upper != word) {
                std::memcpy(at, &upper, 8);
            }
            if (at == last) {
                return;
            }
        }
    }
    if (length >= 4) {
        std::uint64_t word = ShortTextWord(text, length);
        std::uint64_t upper = UpperCasedWord(word);
        if (upper != word) {
            const auto first = static_cast<std::uint32_t>(upper);
            const auto second = static_cast<std::uint32_t>(upper >> 32);
            std::memcpy(text, &first, 4);
            std::memcpy(text + length - 4, &second, 4);
        }
        return;
    }
    for (size_t i = 0; i < length; ++i) {
        if (text[i] >= 'a' && text[i] <= 'z') {
            text[i] = static_cast<char>(text[i] - 'a' + 'A');
        }
    }
}

template <size_t N>
inline std::uint64_t NameWord(const char (&name)[N])
{
    return ShortTextWord(name, N - 1);
}

// The function whose name is the upper-cased text of 4 to 8 bytes held as
// `upper` (see ShortTextWord); FUNC_NONE for any other text.
BSCAN_ALWAYS_INLINE inline CellFunction FunctionOfShortWord(std::uint64_t upper, size_t length)
{
    switch (length) {
    case 5:
        return upper == NameWord("INPUT")   ? FUNC_INPUT
               : upper == NameWord("CLOCK") ? FUNC_CLOCK
               : upper == NameWord("BIDIR") ? FUNC_BIDIR
                                            : FUNC_NONE;
    case 7:
        return upper == NameWord("OUTPUT2")   ? FUNC_OUTPUT2
               : upper == NameWord("OUTPUT3") ? FUNC_OUTPUT3
               : upper == NameWord("CONTROL") ? FUNC_CONTROL
                                              : FUNC_NONE;
    case 8:
        return upper == NameWord("CONTROLR")   ? FUNC_CONTROLR
               : upper == NameWord("INTERNAL") ? FUNC_INTERNAL
               : upper == NameWord("BIDIR_IN") ? FUNC_BIDIR_IN
                                               : FUNC_NONE;
    default:
        return FUNC_NONE;
    }
}

// The cell function whose upper-case name is the text of `length` bytes;
// FUNC_NONE for any other text.
BSCAN_ALWAYS_INLINE inline CellFunction FunctionNamed(const char* text, size_t length)
{
    if (length >= 4 && length <= 8) {
        return FunctionOfShortWord(ShortTextWord(text, length), length);
    }
    if (length == 9) {
        return std::memcmp(text, "BIDIR_OUT", 9) == 0 ? FUNC_BIDIR_OUT : FUNC_NONE;
    }
    return length == 12 && std::memcmp(text, "OBSERVE_ONLY", 12) == 0 ? FUNC_OBSERVE_ONLY
                                                                       : FUNC_NONE;
}

// Upper-cases the function text of `length` bytes in place and returns the
// function whose name it then is (FUNC_NONE for any other text).
BSCAN_ALWAYS_INLINE inline CellFunction UpperCasedFunction(char* text, size_t length)
{
    UpperCaseInPlace(text, length);
    return FunctionNamed(text, length);
}

// The function UpperCasedFunction gives for the text of `length` bytes,
// told without writing to the text: for a text that is read once and
// never again, such as a register entry in the boundary register reader's
// own copy of the value.
BSCAN_ALWAYS_INLINE inline CellFunction FunctionOfText(const char* text, size_t length)
{
    if (length >= 4 && length <= 8) {
        return FunctionOfShortWord(UpperCasedWord(ShortTextWord(text, length)), length);
    }
    if (length != 9 && length != 12) {
        return FUNC_NONE;  // no name has another length
    }
    char upper[12];
    std::memcpy(upper, text, length);
    UpperCaseInPlace(upper, length);
    return FunctionNamed(upper, length);
}

// The cell type the text of `length` bytes names: "BC_" in any case and
// one digit 0 to 7, nothing more (as KBScanCell::ConvertCellTypeToEnum
// tells a whole text); CELL_TYPE_NONE for any other text.
BSCAN_ALWAYS_INLINE inline CellType CellTypeNamed(const char* text, size_t length)
{
    // The four bytes are tested as one word: setting the case bit of the
    // first two turns 'B' into 'b' and 'C' into 'c' and no other byte into
    // either, and the digits '0' to '7' are the bytes 0x30 to 0x37, which
    // keep 0x30 once their low three bits are cleared. The byte patterns are
    // laid out in memory order, so the test holds whatever the byte order.
    if (length != 4) {
        return CELL_TYPE_NONE;
    }
    static const unsigned char kCaseBits[4] = {0x20, 0x20, 0x00, 0x00};
    static const unsigned char kMask[4] = {0xFF, 0xFF, 0xFF, 0xF8};
    static const unsigned char kWanted[4] = {'b', 'c', '_', '0'};
    std::uint32_t word;
    std::uint32_t caseBits;
    std::uint32_t mask;
    std::uint32_t wanted;
    std::memcpy(&word, text, 4);
    std::memcpy(&caseBits, kCaseBits, 4);
    std::memcpy(&mask, kMask, 4);
    std::memcpy(&wanted, kWanted, 4);
    if (((word | caseBits) & mask) == wanted) {
        return static_cast<CellType>(CELL_BC_0 + (text[3] - '0'));
    }
    return CELL_TYPE_NONE;
}

}  // namespace cell_vocabulary

// The told parts and the texts of a register entry stored in its cell,
// as the setters would store them one after the other.
BSCAN_ALWAYS_INLINE inline void PinMapAccess::StoreEntryTexts(KBScanCell& cell, bool setType,
                                                          CellType cellType, CellFunction function,
                                                          const char* originalName,
                                                          const char* pinName,
                                                          size_t pinNameLength)
{
    if (setType) {
        cell.m_cellType = cellType;
    }
    if (function != FUNC_NONE) {
        cell.m_function = function;
    }
    // The empty text again changes nothing. A cell without a name yet and
    // no index to tell (the usual case while reading) is given it here.
    if (originalName != nullptr && (originalName[0] != '\0' || !cell.m_originalPinName.empty())) {
        if (cell.m_originalPinName.empty() && (cell.m_owner == nullptr || !cell.m_owner->FilesCellNames())) {
            try {
                cell.m_originalPinName.append(originalName, std::strlen(originalName));
            } catch (const std::bad_alloc&) {
                // out of memory: the cell stays without a comment name
            }
        } else {
            cell.SetOriginalPinName(originalName);
        }
    }
    if (cell.m_pinName.empty() && (cell.m_owner == nullptr || !cell.m_owner->FilesCellNames())) {
        if (pinNameLength != 0) {
            try {
                cell.m_pinName.append(pinName, pinNameLength);
            } catch (const std::bad_alloc&) {
                // out of memory: the cell stays without a pin name
            }
        }
        return;
    }
    SetCellPinName(cell, pinName, pinNameLength);
}

#endif
