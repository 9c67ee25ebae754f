// PORT_GROUPING: differential port pairs, in groups of the kinds
// Differential_Voltage and Differential_Current (any case, handled alike):
//     KIND ( (P, N), (P, N), ... ), KIND ( ... ), ...
//
// The statement is completed to its ';', cut there, everything before the
// first '"' dropped, and every '"' and '&' blanked. The text is split into
// groups by counting parentheses: a group ends where the counts of '(' and
// ')' are equal with at least one ')' seen, and must be followed by ',' or
// the end of the text. A group's content (between its first '(' and last
// ')') is split into pairs the same way, a pair ending where both counts are
// exactly 1; content in which no pair ends is passed over. Each pair gives
// a positive and a negative name (around its first ','), upper-cased; the
// named ports are marked positive and negative, and a CDifferentialPair with
// both positions at -1 is appended to the parser's list, in file order,
// even without a pin map or a port of that name.
//
// Results: the statement reader's code when the statement cannot be
// completed; BSDL_ERR_FILE for every format error (no group, a group not
// followed by ',', unbalanced parentheses, an unknown kind, a pair without
// ',' or with an empty name) and when the parser holds no pair at the end
// (pairs of earlier statements count); otherwise 0. What was recorded
// before an error stays. Running out of memory gives BSDL_ERR_NO_MEMORY.
#include <algorithm>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "parser/BScanParser.h"
#include "parser/ReaderTextInternal.h"

namespace {

std::string Stripped(const std::string& text, size_t start, size_t end)
{
    while (start < end && KIsWhiteSpace(text[start]))
        ++start;
    while (end > start && KIsWhiteSpace(text[end - 1]))
        --end;
    return text.substr(start, end - start);
}

// The text between `open` and `close`, trimmed (empty when `close` is not
// behind `open`).
std::string Inside(const std::string& text, size_t open, size_t close)
{
    return Stripped(text, open + 1, std::max(close, open + 1));
}

// Where one element of a comma-separated list ends, scanning `text` from
// `start`: the element ends at the first character at which `done` holds
// for the counts of '(' and ')' seen since `start`.
enum class ElementEnd { Comma, End, Stray, Open };

template <typename Done>
ElementEnd FindElementEnd(const std::string& text, size_t start, Done done, size_t& separator,
                          int& opens, int& closes)
{
    opens = 0;
    closes = 0;
    size_t i = start;
    for (; i < text.size(); ++i) {
        if (text[i] == '(')
            ++opens;
        else if (text[i] == ')')
            ++closes;
        if (done(opens, closes))
            break;
    }
    if (i == text.size())
        return ElementEnd::Open;
    size_t j = i + 1;
    while (j < text.size() && KIsWhiteSpace(text[j]))
        ++j;
    separator = j;
    if (j == text.size())
        return ElementEnd::End;
    return text[j] == ',' ? ElementEnd::Comma : ElementEnd::Stray;
}

// Splits the prepared value into groups; false on a format error.
bool SplitGroups(const std::string& text, std::vector<std::string>& groups)
{
    auto groupDone = [](int opens, int closes) { return opens == closes && closes >= 1; };
    size_t start = 0;
    while (start < text.size()) {
        size_t separator = 0;
        int opens = 0;
        int closes = 0;
        const ElementEnd end = FindElementEnd(text, start, groupDone, separator, opens, closes);
        if (end == ElementEnd::Open)
            return opens == closes;                 // trailing text without parentheses
        if (end == ElementEnd::Stray)
            return false;
        groups.push_back(Stripped(text, start, separator));
        start = separator + 1;
    }
    return true;
}

}  // namespace

int BScanParser::ReadPortGroupingAttribute(FILE* file, const char* statement)
{
    try {
        KString ks;
        std::string buffer(statement != nullptr ? statement : "");
        const int completed = CompleteStatement(file, buffer, ';');
        if (completed < 0)
            return completed;

        std::string text;
        ks.Left(text, buffer, ks.Find(buffer, ';'));
        ks.Right(text, text, static_cast<int>(text.size()) - ks.Find(text, '"'));
        ks.Trim(text);
        std::replace_if(text.begin(), text.end(), [](char c) { return c == '"' || c == '&'; }, ' ');

        std::vector<std::string> groups;
        if (!SplitGroups(text, groups) || groups.empty())
            return BSDL_ERR_FILE;

        for (const std::string& group : groups) {
            const int open = ks.Find(group, '(');
            if (open < 0)
                return BSDL_ERR_FILE;
            const std::string kind = Stripped(group, 0, static_cast<size_t>(open));
            if (!EqualsNoCase(kind, "Differential_Voltage") &&
                !EqualsNoCase(kind, "Differential_Current"))
                return BSDL_ERR_FILE;
            const int close = ks.ReverseFind(group, ')');
            if (close < 0)
                return BSDL_ERR_FILE;
            const std::string content = Inside(group, open, close);

            auto pairDone = [](int opens, int closes) { return opens == 1 && closes == 1; };
            // Behind a last pair, start lies past the end.
            size_t start = 0;
            while (start <= content.size()) {
                size_t separator = 0;
                int opens = 0;
                int closes = 0;
                const ElementEnd end =
                    FindElementEnd(content, start, pairDone, separator, opens, closes);
                if (end == ElementEnd::Open)
                    break;                          // no pair ends: the rest of the group is passed over
                if (end == ElementEnd::Stray)
                    return BSDL_ERR_FILE;
                const std::string pair = content.substr(start, separator - start);
                start = separator + 1;

                // A pair holds both a '(' and a ')'.
                const std::string names = Inside(pair, pair.find('('), pair.rfind(')'));
                const size_t comma = names.find(',');
                if (comma == std::string::npos || comma == 0 || comma + 1 == names.size())
                    return BSDL_ERR_FILE;
                std::string positive = Stripped(names, 0, comma);
                std::string negative = Stripped(names, comma + 1, names.size());
                bscan_platform::ToUpper(positive);
                bscan_platform::ToUpper(negative);

                if (m_pinMap != nullptr) {
                    if (KPinNode* port = m_pinMap->GetPortwName(&positive[0]))
                        port->SetPositive(true);
                    if (KPinNode* port = m_pinMap->GetPortwName(&negative[0]))
                        port->SetNegative(true);
                }
                CDifferentialPair record;
                record.SetPositiveElement(positive.c_str());
                record.SetNegativeElement(negative.c_str());
                m_differentialPairs.push_back(record);
            }
        }
        return m_differentialPairs.empty() ? BSDL_ERR_FILE : BSDL_OK;
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    } catch (const std::length_error&) {
        return BSDL_ERR_NO_MEMORY;
    }
}
