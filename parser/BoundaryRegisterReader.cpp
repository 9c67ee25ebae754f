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
// Entries are kept as offsets into the gathered value, so the walk is
// linear in the length of the string.
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
#include <deque>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "parser/BScanParser.h"
#include "parser/ReaderTextInternal.h"

namespace {

struct RegisterEntry {
    size_t start;               // offset of the entry text in the string value
    size_t length;
    std::string commentName;
};

enum class SplitState { Between, Entry, AfterEntry, Comment };

// Phase 1: splits the gathered value into entries with their comment names.
int SplitEntries(const char* data, size_t size, std::vector<RegisterEntry>& entries)
{
    SplitState state = SplitState::Between;
    SplitState afterComment = SplitState::Between;
    std::string comment;
    size_t entryStart = 0;
    int depth = 0;

    for (size_t i = 0; i < size; ++i) {
        const char c = data[i];
        switch (state) {
        case SplitState::Between:
            if (c == '\0' || c == '"' || ReaderIsWhiteSpace(c))
                break;
            if (c == '-') {
                comment.clear();
                afterComment = SplitState::Between;
                state = SplitState::Comment;
            } else {
                entryStart = i;
                depth = 0;
                state = SplitState::Entry;
            }
            break;
        case SplitState::Entry:
            // Characters other than parentheses simply belong to the entry.
            while (i + 1 < size && data[i] != '(' && data[i] != ')')
                ++i;
            if (data[i] == '(') {
                ++depth;
            } else if (data[i] == ')') {
                --depth;
                if (depth < 0)
                    return BSDL_ERR_BAD_VALUE;
                if (depth == 0) {
                    entries.push_back(RegisterEntry{entryStart, i - entryStart + 1, std::string()});
                    state = SplitState::AfterEntry;
                }
            }
            break;
        case SplitState::AfterEntry:
            if (c == ',') {
                state = SplitState::Between;
            } else if (c == '-') {
                comment.clear();
                afterComment = SplitState::AfterEntry;
                state = SplitState::Comment;
            } else if (!ReaderIsWhiteSpace(c)) {
                return BSDL_ERR_BAD_VALUE;
            }
            break;
        case SplitState::Comment:
            if (c == '*') {
                if (!entries.empty())
                    entries.back().commentName = comment;
                state = afterComment;
            } else if (c != '-' && !ReaderIsWhiteSpace(c)) {
                comment += c;
            }
            break;
        }
    }
    return entries.empty() ? BSDL_ERR_BAD_VALUE : BSDL_OK;
}

// Cutting steps on views into the entry text, with the clamping rules of
// the text helpers (a negative count gives nothing, a count beyond the
// text all of it) but without copying or moving the text.
std::string_view ViewLeft(std::string_view text, long long count)
{
    if (count < 0)
        return std::string_view();
    return text.substr(0, static_cast<size_t>(count) < text.size() ? static_cast<size_t>(count)
                                                                    : text.size());
}

std::string_view ViewRight(std::string_view text, long long count)
{
    if (count < 0)
        return std::string_view();
    if (static_cast<size_t>(count) >= text.size())
        return text;
    return text.substr(text.size() - static_cast<size_t>(count));
}

long long ViewFind(std::string_view text, char c)
{
    const size_t at = text.find(c);
    return at == std::string_view::npos ? -1 : static_cast<long long>(at);
}

std::string_view ViewTrimLeft(std::string_view text)
{
    size_t start = 0;
    while (start < text.size() && ReaderIsWhiteSpace(text[start]))
        ++start;
    return text.substr(start);
}

std::string_view ViewTrimRight(std::string_view text)
{
    size_t length = text.size();
    while (length > 0 && ReaderIsWhiteSpace(text[length - 1]))
        --length;
    return text.substr(0, length);
}

std::string_view ViewTrim(std::string_view text)
{
    return ViewTrimLeft(ViewTrimRight(text));
}

// Takes the next field from the front of `rest`: the text before the first
// ',' (trailing white space removed); `rest` becomes the text after it
// (leading white space removed). Without a ',' the field is empty and the
// rest stays whole.
std::string_view TakeField(std::string_view& rest)
{
    const long long comma = ViewFind(rest, ',');
    const std::string_view field = ViewTrimRight(ViewLeft(rest, comma));
    rest = ViewTrimLeft(ViewRight(rest, static_cast<long long>(rest.size()) - comma - 1));
    return field;
}

bool ConvertDisableValue(const std::string& text, eSignal& value)
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
bool ConvertSafeValue(const std::string& text, eSignal& value)
{
    if (EqualsNoCase(text, "X")) {
        value = SIGNAL_X;
        return true;
    }
    return ConvertDisableValue(text, value);
}

bool ConvertDisabledState(const std::string& text, eSignal& value)
{
    static const struct {
        const char* word;
        eSignal value;
    } states[] = {{"WEAK0", SIGNAL_WEAK0}, {"WEAK1", SIGNAL_WEAK1}, {"PULL0", SIGNAL_PULL0},
                  {"PULL1", SIGNAL_PULL1}, {"Z", SIGNAL_Z}};
    for (const auto& state : states) {
        if (EqualsNoCase(text, state.word)) {
            value = state.value;
            return true;
        }
    }
    return false;
}

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

// Texts handed to AddNewRegister, which wants writable zero-terminated
// buffers; kept across the entries so that their storage is reused.
struct EntryBuffers {
    std::string cellType;
    std::string portName;
    std::string function;
    std::string value;
};

// Phase 2 for one entry: returns AddNewRegister's result or
// BSDL_ERR_BAD_VALUE for a value the tables do not know.
int StoreEntry(BScanPinMap& pinMap, std::string_view entry, const std::string& commentName,
               const Presets& presets, EntryBuffers& buffers)
{
    int controlCell = -1;
    int vectorIndex = 0;
    eSignal safe = SIGNAL_X;
    eSignal disableValue = SIGNAL_LOW;
    eSignal disabledState = SIGNAL_Z;

    const long long open = ViewFind(entry, '(');
    const int number = ReaderAtoi(ViewTrim(ViewLeft(entry, open)));

    const size_t close = entry.rfind(')');
    std::string_view rest =
        ViewLeft(entry, close == std::string_view::npos ? -1 : static_cast<long long>(close));
    rest = ViewTrim(ViewRight(rest, static_cast<long long>(rest.size()) - open - 1));

    buffers.cellType.assign(TakeField(rest));

    const std::string_view port = TakeField(rest);
    buffers.portName.clear();
    if (ViewFind(port, '*') < 0) {
        const long long index = ViewFind(port, '(');
        if (index < 0) {
            buffers.portName.assign(port);
        } else {
            buffers.portName.assign(ViewTrim(ViewLeft(port, index)));
            std::string_view text =
                ViewRight(port, static_cast<long long>(port.size()) - index - 1);
            text = ViewTrim(ViewLeft(text, ViewFind(text, ')')));
            vectorIndex = ReaderAtoi(text);
        }
    }

    buffers.function.assign(TakeField(rest));

    if (ViewFind(rest, ',') > 0) {
        buffers.value.assign(TakeField(rest));
    } else {
        buffers.value.assign(rest);
        rest = std::string_view();
    }
    if (!ConvertSafeValue(buffers.value, safe))
        return BSDL_ERR_BAD_VALUE;

    eSignal value = safe;
    PresetValue(presets.values, presets.mask, presets.count, number, value);

    if (!rest.empty()) {
        controlCell = ReaderAtoi(TakeField(rest));
        buffers.value.assign(TakeField(rest));
        if (!ConvertDisableValue(buffers.value, disableValue))
            return BSDL_ERR_BAD_VALUE;
        buffers.value.assign(rest);
        if (!ConvertDisabledState(buffers.value, disabledState))
            return BSDL_ERR_BAD_VALUE;
    }

    return pinMap.AddNewRegister(number, &buffers.cellType[0], &buffers.portName[0], vectorIndex,
                                 &buffers.function[0], safe, controlCell, disableValue,
                                 disabledState, value, commentName.c_str());
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

        std::vector<RegisterEntry> entries;
        const char* data = value.GetText();
        result = SplitEntries(data, static_cast<size_t>(value.GetTotalSize()), entries);
        if (result < 0)
            return result;

        if (m_pinMap == nullptr)
            return BSDL_ERR_NO_PIN_MAP;

        const Presets presets{m_presetValues, m_presetMask, m_presetCount};
        EntryBuffers buffers;
        for (const RegisterEntry& item : entries) {
            const std::string_view entry(data + item.start, item.length);
            result = StoreEntry(*m_pinMap, entry, item.commentName, presets, buffers);
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
