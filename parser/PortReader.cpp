// The port clause: one declaration per line (a declaration may run over
// several lines up to its ';'), each made into port nodes of the pin map.
//
// The clause may begin on the line of the word port or on the next line,
// and ends with the ')' and ';' that close it, either after the last
// declaration or on a line of their own. The reader follows an end text R:
// after each declaration, R becomes what follows the declaration's closing
// parenthesis (the one after a vector range, or the first one of a scalar
// declaration), and the clause has ended once R holds ");" or ") ;".
//
// A declaration is: names separated by commas, ':', a mode word, a type.
// A type holding "bit_vector" is a vector with a range (left to|downto
// right); each name gets the same range. Any other type makes scalar
// ports. The mode word goes to the pin map as written (only the lower-case
// words give a direction); an inout mode in any case gives the names list
// to the pin map's I/O names.
//
// Malformed declarations, where a separator is missing: without ':' the
// names list is empty (no port is made, though an "inout" first word still
// records an empty I/O name); a mode word with nothing after it is taken as
// the empty mode word and the type as the whole text; a range without ')'
// has the right bound 0. An empty name between two commas makes a port
// with the empty name; a comma at the end of the list adds nothing.
//
// A declaration that would take the pin map above BSCAN_MAX_PORT_NODES
// nodes is refused with BSDL_ERR_NO_MEMORY before any of it is made.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <new>
#include <string_view>

#include "parser/BScanParser.h"
#include "parser/ReaderTextInternal.h"
#include "parser/StatementReaderInternal.h"
#include "util/ShortBytesInternal.h"

namespace {

// Cutting steps with the clamping rules of the text helpers: a missing
// separator (npos) leaves nothing before it and the whole text after it.
inline std::string_view Before(std::string_view text, size_t at)
{
    return at == std::string_view::npos ? std::string_view() : text.substr(0, at);
}

inline std::string_view After(std::string_view text, size_t at)
{
    return at == std::string_view::npos ? text : text.substr(at + 1);
}

// The first blank, tab or newline (a carriage return does not end a word
// of a declaration).
inline size_t FindSeparator(std::string_view text)
{
    const auto at = std::find_if(text.begin(), text.end(), bscan_util::IsSeparator);
    return at == text.end() ? std::string_view::npos : static_cast<size_t>(at - text.begin());
}

inline bool HoldsClauseEnd(std::string_view text)
{
    return text.find(");") != std::string_view::npos ||
           text.find(") ;") != std::string_view::npos;
}

bool BeginsWithClauseEnd(std::string_view text)
{
    return text.substr(0, 2) == ");" || text.substr(0, 3) == ") ;";
}

// The end rule: what follows a declaration's closing parenthesis becomes
// the end text; a declaration without one leaves the end text as it was.
// `end` and `declaration` may be the same text. Returns whether the end
// text was set.
bool UpdateEndText(std::string& end, const std::string& declaration)
{
    // A vector's range begins at a '(' after the names; the ')' of a scalar
    // declaration stays in the end text.
    const std::string_view text(declaration);
    const size_t open = text.find('(');
    const bool ranged = open != std::string_view::npos && open > 0;
    const std::string_view range = ranged ? TrimFront(text.substr(open + 1)) : text;
    const size_t close = range.find(')');
    if (close == std::string_view::npos || close == 0)
        return false;
    end.assign(TrimFront(range.substr(ranged ? close + 1 : close)));
    return true;
}

// Whether a type names a vector: it holds "bit_vector".
inline bool HoldsBitVector(std::string_view type)
{
    const std::string_view word("bit_vector");
    return type.size() >= word.size() && type.find(word) != std::string_view::npos;
}

// Whether a mode word is inout in any case of its ASCII letters. Setting
// the 0x20 bit of a byte gives a letter of "inout" only for that letter in
// either case.
bool IsInoutWord(std::string_view text)
{
    if (text.size() != 5)
        return false;
    std::uint32_t head;
    std::memcpy(&head, text.data(), 4);
    std::uint32_t want;
    std::memcpy(&want, "inou", 4);
    return (head | 0x20202020u) == want && (text[4] | 0x20) == 't';
}

// Calls named(name) for each name of a declaration's names list, in the
// order written. A name ends at the next ',' (trailing white space
// removed); the next one begins after the white space behind that comma.
template <class Named>
void ForEachName(std::string_view list, Named named)
{
    const char* data = list.data();
    const size_t size = list.size();
    size_t start = 0;
    ReaderForEachEither(data, 0, size, ',', ',', [&](size_t comma) {
        named(TrimBack(list.substr(start, comma - start)));
        start = comma + 1;
        while (start < size && bscan_util::IsSpace(data[start]))
            ++start;
        return true;
    });
    if (start < size)
        named(list.substr(start));
}

// The number of names ForEachName hands on (a list without a comma is one
// name, even when empty): one for each comma, and the text behind the last
// one when there is any (the list ends with no white space).
size_t CountNames(std::string_view list)
{
    if (list.empty())
        return 1;
    return static_cast<size_t>(std::count(list.begin(), list.end(), ',')) + (list.back() != ',');
}

// The stops of the walk over the usual declaration: white space, the
// parentheses (which only other forms hold) and the ';' end the mode word;
// the list's separators ':' and ',' also end a name. The usual line ends
// with ';', so every walk stops within it.
constexpr unsigned kUsualModeStop = bscan_util::kSpace | bscan_util::kParen | bscan_util::kSemicolon;
constexpr unsigned kUsualNameStop = kUsualModeStop | bscan_util::kColon | bscan_util::kComma;

// The usual declaration, one name and a scalar type ending the line with
// ';' and no parenthesis anywhere (`NAME : mode bit;`), cut in one walk:
// the name is text[0, nameEnd), the mode word text[modeStart, modeEnd).
// Such a line neither ends the clause nor sets the end text, and the
// general cutting gives these very pieces; any other line is left to it.
struct UsualCut {
    size_t nameEnd;
    size_t modeStart;
    size_t modeEnd;
};

// The room for the name and mode word of a usual declaration.
const size_t kUsualRoom = 128;

bool CutUsualDeclaration(const char* text, size_t size, UsualCut& cut)
{
    if (size == 0 || text[size - 1] != ';')
        return false;
    // Each walk ends at the closing ';' at the latest.
    size_t at = 0;
    while (!bscan_util::IsCharOf(text[at], kUsualNameStop))
        ++at;
    if (at == 0)
        return false;
    cut.nameEnd = at;
    while (bscan_util::IsSpace(text[at]))
        ++at;
    if (text[at] != ':')
        return false;
    ++at;
    while (bscan_util::IsSpace(text[at]))
        ++at;
    cut.modeStart = at;
    while (!bscan_util::IsCharOf(text[at], kUsualModeStop))
        ++at;
    // The mode word ends at a blank, tab or newline (a carriage return in
    // it, a parenthesis or a missing type are other forms).
    if (!bscan_util::IsSeparator(text[at]) || at >= kUsualRoom)
        return false;
    cut.modeEnd = at;
    // The type: scalar, without a parenthesis.
    if (ReaderFindEither(text, at + 1, size, '(', ')') != size)
        return false;
    return !HoldsBitVector(TrimFront(std::string_view(text + at + 1, size - at - 1)));
}

// Makes the port of a usual declaration as CreatePort makes it, from a
// copy of the line's name and mode word (the pin map copies what it keeps).
int MakeUsualPort(BScanPinMap*& pinMap, const char* text, const UsualCut& cut)
{
    try {
        if (!pinMap)
            pinMap = new BScanPinMap();
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    }
    if (static_cast<int64_t>(pinMap->GetNumberOfPins()) + 1 > BSCAN_MAX_PORT_NODES)
        return BSDL_ERR_NO_MEMORY;
    char room[kUsualRoom];
    bscan_util::MoveShortBytes(room, text, cut.modeEnd);
    room[cut.nameEnd] = '\0';
    room[cut.modeEnd] = '\0';
    char* const mode = room + cut.modeStart;
    if (IsInoutWord(std::string_view(mode, cut.modeEnd - cut.modeStart)))
        pinMap->SetIOName(room);
    pinMap->AddNewPorts(room, mode, 1, true);
    return BSDL_OK;
}

}  // namespace

int BScanParser::ReadPort(FILE* file, char* line)
{
    const std::string_view first(line ? line : "");
    std::string end(TrimFront(After(first, first.find('('))));

    int result = BSDL_OK;
    if (!end.empty()) {
        int completed = CompleteStatement(file, end, ';');
        if (completed < 0)
            return completed;
        result = CreatePort(&end[0]);
        UpdateEndText(end, end);
    }
    if (HoldsClauseEnd(end) || result != BSDL_OK)
        return result;

    std::string declaration;
    for (;;) {
        // The usual declaration is one line without a comment, taken
        // straight out of the stream's buffered bytes; the usual form
        // (`NAME : mode bit;`) is made into its port at once. Any other
        // line is read by the general steps.
        PhysicalLineSource source(file);
        PreparedLine taken;
        int takenCount;
        if (TakeBufferedLine(source, m_lineNumber, taken, takenCount)) {
            UsualCut cut;
            const bool usual = CutUsualDeclaration(taken.text, taken.length, cut);
            if (usual) {
                result = MakeUsualPort(m_pinMap, taken.text, cut);
                if (result != BSDL_OK)
                    return result;
                continue;
            }
            try {
                declaration.assign(taken.text, taken.length);
            } catch (const std::bad_alloc&) {
                return BSDL_ERR_NO_MEMORY;
            }
        } else {
            int got = GetLine(file, declaration, nullptr);
            if (got < 0)
                return got;
        }
        // A declaration ends with its ';' on its first line, as a rule:
        // only one without a ';' is completed.
        if (declaration.find(';') == std::string::npos) {
            int got = CompleteStatement(file, declaration, ';');
            if (got < 0)
                return got;
        }
        if (BeginsWithClauseEnd(declaration))
            return BSDL_OK;

        // The end text is looked at again only when it was set anew.
        const bool ended = UpdateEndText(end, declaration) && HoldsClauseEnd(end);
        result = CreatePort(&declaration[0]);
        if (ended || result != BSDL_OK)
            return result;
    }
}

int BScanParser::CreatePort(char* declaration)
{
    try {
        if (!m_pinMap)
            m_pinMap = new BScanPinMap();

        // names : mode type
        const std::string_view text(declaration ? declaration : "");
        const size_t colon = text.find(':');
        const std::string_view namesList = TrimBack(Before(text, colon));
        const std::string_view remainder = TrimFront(After(text, colon));

        const size_t separator = FindSeparator(remainder);
        const std::string_view mode = TrimBack(Before(remainder, separator));
        const std::string_view type = TrimFront(After(remainder, separator));

        // The range of a vector, read once for all its names:
        // (left direction right).
        const bool vector = HoldsBitVector(type);
        int left = 0;
        int right = 0;
        if (vector) {
            std::string_view range = TrimFront(After(type, type.find('(')));
            const size_t afterLeft = FindSeparator(range);
            left = ReaderAtoi(Before(range, afterLeft));
            range = TrimFront(After(range, afterLeft));
            range = TrimFront(After(range, FindSeparator(range)));
            right = ReaderAtoi(Before(range, range.find(')')));
        }

        // The ceiling is checked before anything of the declaration is kept.
        const size_t count = CountNames(namesList);
        int64_t perName = 1;
        if (vector) {
            int64_t span = static_cast<int64_t>(right) - left;
            perName = (left < 0 || right < 0) ? 0 : (span < 0 ? -span : span) + 1;
        }
        int64_t total = static_cast<int64_t>(m_pinMap->GetNumberOfPins()) +
                        perName * static_cast<int64_t>(count);
        if (total > BSCAN_MAX_PORT_NODES)
            return BSDL_ERR_NO_MEMORY;

        if (IsInoutWord(mode))
            m_pinMap->SetIOName(std::string(namesList).c_str());
        if (namesList.empty())
            return BSDL_OK;

        std::string modeText(mode);
        const auto add = [&](std::string_view text) {
            std::string name(text);
            if (vector)
                m_pinMap->AddNewPorts(&name[0], &modeText[0], left, right);
            else
                m_pinMap->AddNewPorts(&name[0], &modeText[0], 1, true);
        };
        ForEachName(namesList, add);
        return BSDL_OK;
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    }
}
