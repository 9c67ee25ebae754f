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

// An entry of the string value: where its text lies in the value and where
// its comment name lies in the comment texts (none: kNoComment).
struct RegisterEntry {
    size_t start;
    size_t length;
    size_t comment;
};

const size_t kNoComment = static_cast<size_t>(-1);

enum class SplitState { Between, Entry, AfterEntry, Comment };

// Phase 1: splits the gathered value into entries. The comment names are
// written one after the other into `comments`, each ended by a NUL, and the
// entries refer to them by offset.
int SplitEntries(const char* data, size_t size, std::vector<RegisterEntry>& entries,
                 std::string& comments)
{
    SplitState state = SplitState::Between;
    SplitState afterComment = SplitState::Between;
    size_t commentStart = 0;
    size_t entryStart = 0;
    int depth = 0;

    for (size_t i = 0; i < size; ++i) {
        const char c = data[i];
        switch (state) {
        case SplitState::Between:
            if (c == '\0' || c == '"' || ReaderIsWhiteSpace(c))
                break;
            if (c == '-') {
                commentStart = comments.size();
                afterComment = SplitState::Between;
                state = SplitState::Comment;
            } else {
                entryStart = i;
                depth = 0;
                state = SplitState::Entry;
            }
            break;
        case SplitState::Entry: {
            // Up to the next ')': the '(' before it only raise the depth,
            // so they are counted at once. Without a ')' the entry is left
            // unfinished.
            const char* begin = data + i;
            const char* end = data + size;
            const char* close = static_cast<const char*>(std::memchr(begin, ')', end - begin));
            if (close == nullptr) {
                i = size;
                break;
            }
            for (const char* open = begin;
                 (open = static_cast<const char*>(std::memchr(open, '(', close - open))) != nullptr;
                 ++open)
                ++depth;
            i = static_cast<size_t>(close - data);
            --depth;
            if (depth < 0)
                return BSDL_ERR_BAD_VALUE;
            if (depth == 0) {
                entries.push_back(RegisterEntry{entryStart, i - entryStart + 1, kNoComment});
                state = SplitState::AfterEntry;
            }
            break;
        }
        case SplitState::AfterEntry:
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
        case SplitState::Comment:
            if (c == '*') {
                if (!entries.empty()) {
                    comments += '\0';
                    entries.back().comment = commentStart;
                } else {
                    comments.resize(commentStart);
                }
                state = afterComment;
            } else if (c != '-' && !ReaderIsWhiteSpace(c)) {
                comments += c;
            }
            break;
        }
    }
    return entries.empty() ? BSDL_ERR_BAD_VALUE : BSDL_OK;
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
inline std::string_view TakeField(std::string_view& rest)
{
    const char* text = rest.data();
    const size_t size = rest.size();
    size_t comma = 0;
    while (comma < size && text[comma] != ',')
        ++comma;
    if (comma == size) {
        rest = ViewTrimLeft(rest);
        return std::string_view();
    }
    size_t end = comma;
    while (end > 0 && ReaderIsWhiteSpace(text[end - 1]))
        --end;
    size_t start = comma + 1;
    while (start < size && ReaderIsWhiteSpace(text[start]))
        ++start;
    rest = std::string_view(text + start, size - start);
    return std::string_view(text, end);
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

bool ConvertDisabledState(std::string_view text, eSignal& value)
{
    static const struct {
        const char* word;
        size_t length;
        eSignal value;
    } states[] = {{"WEAK0", 5, SIGNAL_WEAK0}, {"WEAK1", 5, SIGNAL_WEAK1},
                  {"PULL0", 5, SIGNAL_PULL0}, {"PULL1", 5, SIGNAL_PULL1},
                  {"Z", 1, SIGNAL_Z}};
    for (const auto& state : states) {
        if (EqualsWordNoCase(text, state.word, state.length)) {
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

// Copies `text` into `texts` at `at` with a NUL after it and returns where
// it begins; `at` moves past the NUL.
char* PutText(std::string& texts, size_t& at, std::string_view text)
{
    char* begin = &texts[at];
    if (!text.empty())
        std::memcpy(begin, text.data(), text.size());
    begin[text.size()] = '\0';
    at += text.size() + 1;
    return begin;
}

// Phase 2 for one entry: returns AddNewRegister's result or
// BSDL_ERR_BAD_VALUE for a value the tables do not know. The cell type,
// port name and function are handed to AddNewRegister as writable
// zero-terminated texts, written one after the other into `texts`, which
// is kept across the entries so that its storage is reused.
int StoreEntry(BScanPinMap& pinMap, std::string_view entry, const char* commentName,
               const Presets& presets, std::string& texts)
{
    int controlCell = -1;
    int vectorIndex = 0;
    eSignal safe = SIGNAL_X;
    eSignal disableValue = SIGNAL_LOW;
    eSignal disabledState = SIGNAL_Z;

    // The number before the first '(' (none: 0), the fields between it and
    // the last ')' (none: no fields).
    const size_t open = entry.find('(');
    const int number = open == std::string_view::npos ? 0 : ReaderAtoi(entry.substr(0, open));

    const size_t close = entry.rfind(')');
    std::string_view rest;
    if (close != std::string_view::npos) {
        rest = entry.substr(0, close);
        if (open != std::string_view::npos)
            rest = open < rest.size() ? rest.substr(open + 1) : std::string_view();
    }
    rest = ViewTrim(rest);

    // The three texts are parts of the entry, so they fit in its length
    // with their NULs.
    if (texts.size() < entry.size() + 3)
        texts.resize(entry.size() + 3);
    size_t at = 0;

    char* cellType = PutText(texts, at, TakeField(rest));

    // A port "*" names no port; a port "name(index)" names a vector element
    // (an index without its ')' is 0).
    const std::string_view port = TakeField(rest);
    std::string_view portName;
    if (port.find('*') == std::string_view::npos) {
        const size_t index = port.find('(');
        if (index == std::string_view::npos) {
            portName = port;
        } else {
            portName = ViewTrim(port.substr(0, index));
            const std::string_view text = port.substr(index + 1);
            const size_t end = text.find(')');
            if (end != std::string_view::npos)
                vectorIndex = ReaderAtoi(text.substr(0, end));
        }
    }
    char* portText = PutText(texts, at, portName);

    char* function = PutText(texts, at, TakeField(rest));

    std::string_view text;
    const size_t comma = rest.find(',');
    if (comma != std::string_view::npos && comma > 0) {
        text = TakeField(rest);
    } else {
        text = rest;
        rest = std::string_view();
    }
    if (!ConvertSafeValue(text, safe))
        return BSDL_ERR_BAD_VALUE;

    eSignal value = safe;
    PresetValue(presets.values, presets.mask, presets.count, number, value);

    if (!rest.empty()) {
        controlCell = ReaderAtoi(TakeField(rest));
        if (!ConvertDisableValue(TakeField(rest), disableValue))
            return BSDL_ERR_BAD_VALUE;
        if (!ConvertDisabledState(rest, disabledState))
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
        const char* data = value.GetText();
        const size_t size = static_cast<size_t>(value.GetTotalSize());
        std::vector<RegisterEntry> entries;
        try {
            entries.reserve(size / 32 + 1);
        } catch (const std::bad_alloc&) {
        }
        std::string comments;
        result = SplitEntries(data, size, entries, comments);
        if (result < 0)
            return result;

        if (m_pinMap == nullptr)
            return BSDL_ERR_NO_PIN_MAP;

        const Presets presets{m_presetValues, m_presetMask, m_presetCount};
        std::string texts;
        for (const RegisterEntry& item : entries) {
            const std::string_view entry(data + item.start, item.length);
            const char* commentName = item.comment == kNoComment ? "" : comments.c_str() + item.comment;
            result = StoreEntry(*m_pinMap, entry, commentName, presets, texts);
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
