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
#include <cstdint>
#include <new>

#include "parser/BScanParser.h"
#include "parser/ReaderTextInternal.h"

namespace {

bool HoldsClauseEnd(const std::string& text)
{
    KString ks;
    return ks.Find(text, ");") >= 0 || ks.Find(text, ") ;") >= 0;
}

bool BeginsWithClauseEnd(const std::string& text)
{
    KString ks;
    return ks.Find(text, ");") == 0 || ks.Find(text, ") ;") == 0;
}

// The end rule: what follows a declaration's closing parenthesis becomes
// the end text; a declaration without one leaves the end text as it was.
void UpdateEndText(std::string& end, const std::string& declaration)
{
    KString ks;
    int open = ks.Find(declaration, '(');
    if (open > 0) {
        std::string range;
        ks.Right(range, declaration, static_cast<int>(declaration.size()) - open - 1);
        ks.TrimLeft(range);
        int close = ks.Find(range, ')');
        if (close > 0) {
            ks.Right(end, range, static_cast<int>(range.size()) - close - 1);
            ks.TrimLeft(end);
        }
        return;
    }
    int close = ks.Find(declaration, ')');
    if (close > 0) {
        ks.Right(end, declaration, static_cast<int>(declaration.size()) - close);
        ks.TrimLeft(end);
    }
}

bool EqualsIgnoringCase(const std::string& text, const char* word)
{
    size_t i = 0;
    for (; i < text.size() && word[i] != '\0'; ++i) {
        char a = text[i];
        char b = word[i];
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return i == text.size() && word[i] == '\0';
}

// The names of a declaration's names list, in the order written. The list
// is walked with an offset, so a list of any length is cut in one pass.
std::vector<std::string> SplitNames(const std::string& list)
{
    KString ks;
    std::vector<std::string> names;
    size_t start = 0;
    while (start < list.size()) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos) {
            names.emplace_back(list, start);
            break;
        }
        names.emplace_back(list, start, comma - start);
        ks.TrimRight(names.back());
        start = comma + 1;
        while (start < list.size() && ReaderIsWhiteSpace(list[start]))
            ++start;
    }
    return names;
}

}  // namespace

int BScanParser::ReadPort(FILE* file, char* line)
{
    KString ks;
    std::string first(line ? line : "");
    std::string end;
    ks.Right(end, first, static_cast<int>(first.size()) - ks.Find(first, '(') - 1);
    ks.TrimLeft(end);

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
        int got = GetLine(file, declaration, nullptr);
        if (got < 0)
            return got;
        got = CompleteStatement(file, declaration, ';');
        if (got < 0)
            return got;
        if (BeginsWithClauseEnd(declaration))
            return BSDL_OK;

        UpdateEndText(end, declaration);
        result = CreatePort(&declaration[0]);
        if (HoldsClauseEnd(end) || result != BSDL_OK)
            return result;
    }
}

int BScanParser::CreatePort(char* declaration)
{
    try {
        if (!m_pinMap)
            m_pinMap = new BScanPinMap();

        KString ks;
        std::string text(declaration ? declaration : "");
        int colon = ks.Find(text, ':');
        std::string namesList;
        ks.Left(namesList, text, colon);
        ks.TrimRight(namesList);
        std::string remainder;
        ks.Right(remainder, text, static_cast<int>(text.size()) - colon - 1);
        ks.TrimLeft(remainder);

        int separator = ks.FindOneOf(remainder, " \t\n");
        std::string mode;
        ks.Left(mode, remainder, separator);
        ks.TrimRight(mode);
        std::string type;
        ks.Right(type, remainder, static_cast<int>(remainder.size()) - separator - 1);
        ks.TrimLeft(type);

        // The range of a vector, read once for all its names.
        bool vector = ks.Find(type, "bit_vector") >= 0;
        int left = 0;
        int right = 0;
        if (vector) {
            std::string range;
            ks.Right(range, type, static_cast<int>(type.size()) - ks.Find(type, '(') - 1);
            ks.TrimLeft(range);
            std::string bound;
            int afterLeft = ks.FindOneOf(range, " \t\n");
            ks.Left(bound, range, afterLeft);
            left = ReaderAtoi(bound);
            ks.Right(range, range, static_cast<int>(range.size()) - afterLeft - 1);
            ks.TrimLeft(range);
            int afterDirection = ks.FindOneOf(range, " \t\n");
            ks.Right(range, range, static_cast<int>(range.size()) - afterDirection - 1);
            ks.TrimLeft(range);
            ks.Left(bound, range, ks.Find(range, ')'));
            ks.TrimRight(bound);
            right = ReaderAtoi(bound);
        }

        // The ceiling is checked before anything of the declaration is kept.
        std::vector<std::string> names = SplitNames(namesList);
        int64_t perName = 1;
        if (vector) {
            int64_t span = static_cast<int64_t>(right) - left;
            perName = (left < 0 || right < 0) ? 0 : (span < 0 ? -span : span) + 1;
        }
        int64_t total = static_cast<int64_t>(m_pinMap->GetNumberOfPins()) +
                        perName * static_cast<int64_t>(names.size());
        if (total > BSCAN_MAX_PORT_NODES)
            return BSDL_ERR_NO_MEMORY;

        if (EqualsIgnoringCase(mode, "inout"))
            m_pinMap->SetIOName(namesList.c_str());
        if (namesList.empty())
            return BSDL_OK;

        for (std::string& name : names) {
            if (vector)
                m_pinMap->AddNewPorts(&name[0], &mode[0], left, right);
            else
                m_pinMap->AddNewPorts(&name[0], &mode[0], 1, true);
        }
        return BSDL_OK;
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    }
}
