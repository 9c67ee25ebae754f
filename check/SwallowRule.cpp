// statement-swallowed: statements the core's statement reader reads on
// past. The core finds the end of an attribute's head by " is " with a
// blank on both sides on one line, so a head whose "is" is followed by a
// tab, or stands on a line of its own, runs on to the next line holding
// " is ". And it appends a blank to an attribute's first line before the
// BOUNDARY_REGISTER or PIN_MAP_STRING reader takes the value from it, so a
// value that stands whole on that line no longer ends in its ';' and the
// reader takes the following lines as further string pieces, up to one
// that ends in ';'. Statements in the lines taken so are lost.
#include "check/CheckContextInternal.h"

namespace bscan_check {

namespace {

// True when losing the statement that begins `prepared` changes what the
// core reads: the attributes and constants it reads, ports, the end.
bool CoreReads(const std::string& prepared)
{
    if (prepared.compare(0, 9, "attribute") == 0) {
        for (const char* name : {"PIN_MAP_STRING", "BOUNDARY_REGISTER", "BOUNDARY_LENGTH", "INSTRUCTION_LENGTH",
                                 "INSTRUCTION_OPCODE", "INSTRUCTION_CAPTURE", "REGISTER_ACCESS", "PORT_GROUPING"})
            if (prepared.find(name) != std::string::npos)
                return true;
        return false;
    }
    if (prepared.compare(0, 8, "constant") == 0)
        return prepared.find("PIN_MAP_STRING") != std::string::npos ||
               prepared.find("BOUNDARY_REGISTER") != std::string::npos;
    return prepared.compare(0, 4, "port") == 0 || prepared.compare(0, 3, "end") == 0;
}

bool BeginsStatement(const std::string& prepared)
{
    for (const char* word : {"attribute", "constant", "port", "end", "use", "entity"})
        if (prepared.compare(0, std::char_traits<char>::length(word), word) == 0)
            return true;
    return false;
}

long long LastHeadLine(CheckContext& c, long long line, long long count)
{
    for (long long k = line + 1; k <= count; ++k)
        if (c.PreparedLine(k).find(" is ") != std::string::npos)
            return k;
    return count;
}

long long LastPieceLine(CheckContext& c, long long line, long long count)
{
    long long k = line + 1;
    while (k <= count) {
        std::string prepared = c.PreparedLine(k);
        if (prepared.empty()) {
            ++k;
            continue;
        }
        std::size_t quote = prepared.find('"');
        std::string rest = quote == std::string::npos ? prepared : prepared.substr(quote + 1);
        std::size_t start = rest.find_first_not_of(" \t");
        rest = start == std::string::npos ? std::string() : rest.substr(start);
        while (rest.find_first_of("&;") == std::string::npos && k < count) {
            ++k;
            rest += c.PreparedLine(k);
        }
        std::size_t semicolon = rest.find(';');
        if (semicolon != std::string::npos && semicolon + 1 == rest.size())
            return k;
        ++k;
    }
    return count;
}

}  // namespace

std::vector<SwallowedSpan> FindSwallowedSpans(CheckContext& c)
{
    if (c.m_spansFound)
        return c.m_spans;
    c.m_spansFound = true;
    std::vector<SwallowedSpan>& spans = c.m_spans;
    const long long count = c.LineCount();
    for (const BScanAttribute& attribute : c.Device().Attributes()) {
        const std::string first = c.PreparedLine(attribute.line);
        if (first.compare(0, 9, "attribute") != 0)
            continue;
        SwallowedSpan span;
        span.line = attribute.line;
        span.statement = "attribute " + attribute.name;
        if ((first + " ").find(" is ") == std::string::npos) {
            span.lastLine = LastHeadLine(c, attribute.line, count);
            std::size_t is = first.rfind("is");
            span.reason = is != std::string::npos && is + 2 < first.size() && first[is + 2] == '\t'
                              ? "its 'is' is followed by a tab, and the library looks for ' is ' between blanks"
                              : "its line holds no ' is ' between blanks, which the library looks for";
        } else if ((attribute.name == "BOUNDARY_REGISTER" || attribute.name == "PIN_MAP_STRING") &&
                   attribute.line == attribute.endLine && first.find('"') != std::string::npos &&
                   !first.empty() && first.back() == ';') {
            span.lastLine = LastPieceLine(c, attribute.line, count);
            span.reason = "its value stands whole on its first line, and the library reads the lines after it as "
                          "further string pieces, up to one that ends in ';'";
        } else {
            continue;
        }
        if (span.lastLine > attribute.endLine)
            spans.push_back(span);
    }
    return spans;
}

void CheckSwallowed(CheckContext& c)
{
    const BScanDevice& d = c.Device();
    if (!d.DescriptionRead())
        return;
    const long long count = c.LineCount();
    for (const SwallowedSpan& span : FindSwallowedSpans(c)) {
        std::vector<std::string> lost;
        bool matters = false;
        long long endLine = span.line;
        for (const BScanAttribute& attribute : d.Attributes())
            if (attribute.line == span.line)
                endLine = attribute.endLine;
        for (long long k = endLine + 1; k <= span.lastLine; ++k) {
            std::string prepared = c.PreparedLine(k);
            if (BeginsStatement(prepared)) {
                matters = matters || CoreReads(prepared);
                std::size_t blank = prepared.find_first_of(" \t(");
                std::size_t next = blank == std::string::npos ? blank : prepared.find_first_not_of(" \t", blank);
                std::string words = prepared.substr(0, blank);
                if (next != std::string::npos && words != "port" && words != "end") {
                    std::size_t after = prepared.find_first_of(" \t:", next);
                    words += " " + prepared.substr(next, after == std::string::npos ? std::string::npos : after - next);
                } else if (words == "end") {
                    words = prepared;
                }
                lost.push_back(Shorten(words, 50) + " (line " + std::to_string(k) + ")");
            }
        }
        if (!matters && span.lastLine < count)
            continue;
        std::string message = span.statement + ": " + span.reason + "; the library reads on to line " +
                              std::to_string(span.lastLine);
        if (!lost.empty())
            message += " and loses " + JoinNames(lost, 6);
        if (span.lastLine >= count)
            message += ", the end of the file";
        c.Add("statement-swallowed", BScanSeverity::Warning, span.line, message);
    }
}

}  // namespace bscan_check
