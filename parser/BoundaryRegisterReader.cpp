// BOUNDARY_REGISTER: stores every cell entry in the pin map's cell table,
// then ties the negative legs of the differential pairs to cells.
//
// Phase 1 gathers the string value with its comments kept (each commented
// piece is followed by "-- text*") and walks it once in four states:
//   Between     blanks, tabs, line ends, NULs and '"' are skipped; '-'
//               starts a comment; anything else starts an entry (that
//               first character is not counted for the nesting depth).
//   Entry       '(' and ')' track the nesting depth; the ')' that returns it
//               to 0 completes the entry, one below 0 fails (BAD_VALUE).
//   AfterEntry  ',' leads back to Between, white space is skipped, '-'
//               starts a comment, anything else fails (BAD_VALUE).
//   Comment     '-' and white space are dropped, '*' ends the comment and
//               gives its text to the entry completed last (if any); the
//               walk then goes back to the state the comment started from.
// So a comment behind the last entry of the string names that entry, and a
// ',' on a later piece still separates entries. An unfinished entry or
// comment at the end is dropped; no entry at all fails with BAD_VALUE. The
// accelerator (parser/UsualRegisterEntryInternal.h) reads an entry in its
// usual form whole where the walk finds it; phase 2 cuts any other entry.
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
// Running out of memory gives BSDL_ERR_NO_MEMORY.
#include <algorithm>
#include <deque>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "parser/BScanParser.h"
#include "model/PinMapAccessInternal.h"
#include "parser/ReaderTextInternal.h"
#include "parser/RegisterValueWordsInternal.h"
#include "parser/UsualRegisterEntryInternal.h"
#include "util/AccelerateInternal.h"
#include "util/CompilerInternal.h"

using namespace boundary_register;

namespace {

enum class SplitState { Between, Entry, AfterEntry, Comment };

// The characters a comment's name drops: white space and '-'.
inline bool IsDroppedFromComment(char c)
{
    return bscan_util::IsCharOf(c, bscan_util::kSpace | bscan_util::kDash);
}

// Phase 1. The comment names are written one after the other into
// `comments`, each ended by a NUL; the entries refer to them by offset.
int SplitEntries(char* data, size_t size, const Presets& presets,
                 std::vector<ListedEntry>& entries, std::string& comments)
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
#if !defined(BSCAN_PLAIN)
                // The accelerator reads entries in their usual form whole
                // here, together with the comma that usually follows each,
                // as long as they come one after another.
                if (bscan_accelerate::On()) {
                    UsualRunEnd end;
                    i = TakeUsualEntries(data, size, i, presets, entries, end);
                    if (end != UsualRunEnd::OtherEntry) {
                        state = end == UsualRunEnd::AfterEntry ? SplitState::AfterEntry
                                                               : SplitState::Between;
                        break;
                    }
                }
#else
                (void)presets;
#endif
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
                depth += data[at] == '(' ? 1 : -1;
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
            } else if (!bscan_util::IsSpace(c)) {
                return BSDL_ERR_BAD_VALUE;
            }
            break;
        }
        case SplitState::Comment: {
            // Up to the next '*', keeping all but '-' and white space.
            const size_t star = ReaderFind(data, i, size, '*');
            comments.append(data + i, star - i);
            comments.erase(std::remove_if(comments.end() - (star - i), comments.end(),
                                          IsDroppedFromComment),
                           comments.end());
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

// Takes the next field off the front of `rest`, as phase 2 above has it.
std::string_view TakeField(std::string_view& rest)
{
    const size_t comma = rest.find(',');
    if (comma == std::string_view::npos)
        return std::string_view();
    const std::string_view field = TrimBack(rest.substr(0, comma));
    rest = TrimFront(rest.substr(comma + 1));
    return field;
}

// Phase 2 for one entry: returns AddNewRegister's result or
// BSDL_ERR_BAD_VALUE for a value the tables do not know.
BSCAN_NOINLINE
int StoreEntry(BScanPinMap& pinMap, std::string_view entry, const char* commentName,
               const Presets& presets)
{
    int controlCell = -1;
    int vectorIndex = 0;
    eSignal safe = SIGNAL_X;
    eSignal disableValue = SIGNAL_LOW;
    eSignal disabledState = SIGNAL_Z;

    // The number before the first '(' (none: 0), the fields between it and
    // the last ')' (none: no fields), trimmed.
    const size_t open = entry.find('(');
    const int number = open == std::string_view::npos ? 0 : ReaderAtoi(entry.substr(0, open));
    const size_t close = entry.rfind(')');
    std::string_view rest;
    if (close != std::string_view::npos) {
        const size_t start = open == std::string_view::npos ? 0 : std::min(open + 1, close);
        rest = TrimFront(TrimBack(entry.substr(start, close - start)));
    }

    std::string cellType(TakeField(rest));

    // A port "*" names no port; a port "name(index)" names a vector element
    // (an index without its ')' is 0).
    const std::string_view port = TakeField(rest);
    const size_t index = port.find('(');
    std::string_view portName;
    if (port.find('*') == std::string_view::npos) {
        portName = TrimFront(TrimBack(port.substr(0, index)));
        const size_t end = port.find(')', index);
        if (index != std::string_view::npos && end != std::string_view::npos)
            vectorIndex = ReaderAtoi(port.substr(index + 1, end - index - 1));
    }
    std::string portText(portName);
    std::string function(TakeField(rest));

    // The safe value is the fourth field when a ',' follows it, else the
    // whole rest.
    std::string_view text = rest;
    const size_t comma = rest.find(',');
    if (comma != std::string_view::npos && comma > 0)
        text = TakeField(rest);
    else
        rest = std::string_view();
    if (!ConvertSafeValue(text, safe))
        return BSDL_ERR_BAD_VALUE;

    eSignal value = safe;
    PresetValue(presets, number, value);

    if (!rest.empty()) {
        controlCell = ReaderAtoi(TakeField(rest));
        if (!ConvertDisableValue(TakeField(rest), disableValue))
            return BSDL_ERR_BAD_VALUE;
        if (!ConvertDisabledState(rest, disabledState))
            return BSDL_ERR_BAD_VALUE;
    }

    return pinMap.AddNewRegister(number, &cellType[0], &portText[0], vectorIndex, &function[0],
                                 safe, controlCell, disableValue, disabledState, value,
                                 commentName);
}

// A pair whose negative leg names no cell: every port loses its
// differential marks and the pair list is emptied.
void DropDifferentialPairs(BScanPinMap& pinMap, std::deque<CDifferentialPair>& pairs)
{
    const KObjList* ports = pinMap.GetPinListArray();
    const int count = ports != nullptr ? ports->GetCount() : 0;
    for (int i = 0; i < count; ++i) {
        KPinNode* port = static_cast<KPinNode*>(ports->GetAt(i));
        if (port != nullptr) {
            port->SetPositive(false);
            port->SetNegative(false);
        }
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

        std::string negativeName = pair.GetNegativeElement();
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

        KPinNode* port = pinMap.GetPortwName(&negativeName[0]);
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
        // The value begins behind the statement's first '"'.
        const std::string_view line(statement != nullptr ? statement : "");
        const size_t quote = line.find('"');
        std::string begin;
        if (quote != std::string_view::npos && quote > 0)
            begin = TrimFront(line.substr(quote + 1));

        KByteBuffer value;
        int result = GetCompleteStringValue(file, begin.c_str(), &value, true);
        if (result < 0)
            return result;

        // Sized once for most values; the usual entries have their texts
        // ended in place in the gathered value, this reader's own buffer.
        char* const data = const_cast<char*>(value.GetText());
        const size_t size = static_cast<size_t>(value.GetTotalSize());
        std::vector<ListedEntry> entries;
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

        for (const ListedEntry& item : entries) {
            const char* commentName = item.comment == kNoComment ? "" : comments.c_str() + item.comment;
            if (item.usual) {
                result = PinMapAccess::AddRegister(*m_pinMap, data + item.start, item.packed, commentName);
            } else {
                const std::string_view entry(data + item.start, item.length);
                result = StoreEntry(*m_pinMap, entry, commentName, presets);
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
