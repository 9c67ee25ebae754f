// read-failed: why the core refused the file, in words: the statement or
// entry, its line and the reason. The core reports only a code and the
// line its reader had reached; the light pass knows the statements, so the
// reason is found by going over the entries the way the core's reader
// takes them.
#include <set>

#include "check/CheckContextInternal.h"

namespace bscan_check {

namespace {

// The text of file line `line` (1-based), without its line end and the
// blanks at its ends.
std::string FileLineText(const BScanDevice& d, long long line)
{
    std::string text = d.LineText(line);
    std::size_t b = text.find_first_not_of(" \t");
    if (b == std::string::npos)
        return std::string();
    std::size_t e = text.find_last_not_of(" \t\r");
    return text.substr(b, e - b + 1);
}

// The attribute statement that spans `line`, null when none.
const BScanAttribute* StatementAt(const BScanDevice& d, long long line)
{
    const BScanAttribute* found = nullptr;
    for (const BScanAttribute& attribute : d.Attributes())
        if (attribute.line <= line && line <= attribute.endLine)
            found = &attribute;
    return found;
}

bool CoreAdmits(const std::string& modeText, std::string_view function)
{
    if (modeText == "in")
        return function == "input" || function == "clock" || function == "observe_only";
    if (modeText == "out")
        return function == "output2" || function == "output3";
    if (modeText == "inout")
        return function == "input" || function == "output2" || function == "output3" || function == "bidir" ||
               function == "bidir_in" || function == "bidir_out" || function == "observe_only";
    if (modeText == "buffer")
        return function == "output2";
    return false;
}

std::string Admitted(const std::string& modeText)
{
    if (modeText == "in")
        return "input, clock and observe_only cells";
    if (modeText == "out")
        return "output2 and output3 cells";
    if (modeText == "inout")
        return "input, output2, output3, bidir and observe_only cells";
    if (modeText == "buffer")
        return "output2 cells";
    return "no cells";
}

// The core's boundary cell refusal (-1): the first entry it refuses.
bool ExplainRefusedCell(CheckContext& c)
{
    const BScanDevice& d = c.Device();
    const BScanPinMap* map = d.Parser().GetPinMap();
    const long long length = map ? map->GetBScanLength() : 0;
    for (const BScanCellEntry& entry : d.BoundaryEntries()) {
        const std::string cell = std::to_string(entry.number);
        std::string reason;
        std::string port;
        if (length <= 0) {
            reason = "the library has no cell table to store cell " + cell +
                     " in: BOUNDARY_LENGTH was not read before BOUNDARY_REGISTER";
        } else if (entry.number < 0 || entry.number >= length) {
            reason = "cell " + cell + " lies outside the register of " + std::to_string(length) + " cells";
        } else if (entry.control >= length) {
            reason = "cell " + cell + " names control cell " + std::to_string(entry.control) +
                     ", beyond the register of " + std::to_string(length) + " cells";
        } else if (!entry.portName.empty()) {
            const BScanPortDeclaration* declaration = c.PortOf(entry);
            const long long index = entry.portIndex < 0 ? 0 : entry.portIndex;
            if (declaration && index < declaration->Count() &&
                !CoreAdmits(declaration->modeText, entry.function)) {
                port = std::string(entry.port);
                reason = "cell " + cell + ", " + std::string(std::string("aeiou").find(entry.function.empty() ? 'x' : entry.function[0]) != std::string::npos ? "an " : "a ") + std::string(entry.function) + " cell, serves port " + std::string(entry.port) +
                         ", declared " + declaration->modeText;
                if (declaration->modeText != declaration->mode &&
                    (declaration->mode == "in" || declaration->mode == "out" || declaration->mode == "inout" ||
                     declaration->mode == "buffer"))
                    reason += ": the library reads mode words in lower case only, so the port has no direction "
                              "and takes no cell";
                else
                    reason += ": the library admits " + Admitted(declaration->modeText) + " on such a port";
            }
        }
        if (reason.empty())
            continue;
        BScanFinding& finding = c.Add("read-failed", BScanSeverity::Error, entry.line,
                                      "the library refuses BOUNDARY_REGISTER entry '" + Shorten(entry.text, 80) +
                                          "' (code -1): " + reason);
        finding.cell = cell;
        finding.port = port;
        return true;
    }
    return false;
}

// The core's port grouping refusal (-1).
std::string ExplainGrouping(const BScanDevice& d, const BScanAttribute& grouping)
{
    if (d.PortPairs().empty())
        return "the value holds no group of the form KIND ((P, N), ...) with a pair in it";
    for (const BScanPortPair& pair : d.PortPairs()) {
        if (!SameText(pair.kind, "Differential_Voltage") && !SameText(pair.kind, "Differential_Current"))
            return "the group kind " + pair.kind + " (line " + std::to_string(pair.line) +
                   ") is neither Differential_Voltage nor Differential_Current";
        if (pair.positive.empty() || pair.negative.empty())
            return "the pair on line " + std::to_string(pair.line) + " lacks a name or the comma between its names";
    }
    (void)grouping;
    return "its groups or pairs are not separated by commas the way the library reads them";
}

const char* CodeName(int code)
{
    const char* name = BScanReturnCodeName(code);
    return name ? name : "unknown code";
}

}  // namespace

void CheckReadFailure(CheckContext& c)
{
    const BScanDevice& d = c.Device();
    const int code = d.ReadResult();
    if (!d.CoreRead() || code >= 0)
        return;
    const long long coreLine = d.ReadFailureLine();
    const long long line = d.FileLineOfCoreLine(coreLine);
    const std::string codeText = " (" + std::string(CodeName(code)) + ", " + std::to_string(code) + ")";
    const BScanAttribute* statement = StatementAt(d, line);
    const std::string where = statement ? "attribute " + statement->name + " (line " +
                                              std::to_string(statement->line) + ")"
                                        : "line " + std::to_string(line);
    std::string cutNote;
    for (const BScanLongLine& longLine : d.LongLines())
        if (longLine.line == line && d.FileLineOfCoreLine(coreLine - 1) == line)
            cutNote = "; this text is the remainder of line " + std::to_string(line) + " (" +
                      std::to_string(longLine.text.size()) + " characters), which the library's 254-character read cut";

    switch (code) {
    case BSDL_ERR_PACKAGE_FILE:
    case BSDL_ERR_FILE:
        if (code == BSDL_ERR_PACKAGE_FILE || !d.DescriptionRead()) {
            if (code == BSDL_ERR_PACKAGE_FILE) {
                c.Add("read-failed", BScanSeverity::Error, 0, "the file cannot be opened" + codeText);
                return;
            }
        }
        {
                if (statement && SameText(statement->name, "PORT_GROUPING")) {
                c.Add("read-failed", BScanSeverity::Error, statement->line,
                      "the library refuses PORT_GROUPING" + codeText + ": " + ExplainGrouping(d, *statement));
                return;
            }
            if (ExplainRefusedCell(c))
                return;
            c.Add("read-failed", BScanSeverity::Error, line,
                  "the library refuses a boundary cell or port group at " + where + codeText);
        }
        return;
    case BSDL_ERR_SYNTAX: {
        const std::string text = FileLineText(d, line);
        std::string message;
        if (line <= d.EntityLine() || !d.DescriptionRead()) {
            message = "the file must begin with the word entity in lower case; line " + std::to_string(line) +
                      " reads '" + Shorten(text) + "'";
        } else {
            message = "line " + std::to_string(line) + " begins with none of the words the library takes in the "
                      "entity's body (port, use, attribute, constant, end, or a string piece): '" +
                      Shorten(text) + "'";
            std::string first = text.substr(0, text.find_first_of(" \t("));
            for (const char* keyword : {"port", "use", "attribute", "constant", "end", "entity"})
                if (SameText(first, keyword) && first != keyword)
                    message += "; the library reads the keyword " + std::string(keyword) + " in lower case only";
            if (statement)
                message += "; it stands in " + where;
        }
        c.Add("read-failed", BScanSeverity::Error, line, message + cutNote + codeText);
        return;
    }
    case BSDL_ERR_READ:
    case BSDL_ERR_END_OF_FILE: {
        std::string message = "the library reached the end of the file (line " + std::to_string(line) + ")";
        const std::vector<SwallowedSpan> spans = FindSwallowedSpans(c);
        if (!spans.empty() && spans.back().lastLine >= c.LineCount())
            message += " reading " + spans.back().statement + " of line " + std::to_string(spans.back().line) +
                       ": " + spans.back().reason + ", and no line after it did (statement-swallowed)";
        else if (d.EndLine() == 0)
            message += " before the entity's end line";
        else
            message += " looking for the end of a statement: a ';' (or ':=' or ' is ') it needs was not on a "
                       "line of its own reading";
        c.Add("read-failed", BScanSeverity::Error, line, message + codeText);
        return;
    }
    case BSDL_ERR_BAD_VALUE: {
        std::string message = "the library refuses the value of " + where;
        if (statement && SameText(statement->name, "BOUNDARY_REGISTER")) {
            static const std::set<std::string> states = {"Z", "WEAK0", "WEAK1", "PULL0", "PULL1"};
            for (const BScanCellEntry& entry : d.BoundaryEntries()) {
                std::string reason;
                if (entry.safe != "0" && entry.safe != "1" && entry.safe != "X")
                    reason = "the safe value '" + std::string(entry.safe) + "'";
                else if (entry.fieldCount >= 6 && entry.disableValue != "0" && entry.disableValue != "1")
                    reason = "the disable value '" + std::string(entry.disableValue) + "'";
                else if (entry.fieldCount >= 7 && !states.count(std::string(entry.disabledState)))
                    reason = "the disabled state '" + std::string(entry.disabledState) + "'";
                if (reason.empty())
                    continue;
                BScanFinding& finding = c.Add(
                    "read-failed", BScanSeverity::Error, entry.line,
                    "the library refuses BOUNDARY_REGISTER entry '" + Shorten(entry.text, 80) + "'" + codeText +
                        ": " + reason + " is not one it reads (safe 0, 1, X; disable 0, 1; state Z, WEAK0, WEAK1, "
                        "PULL0, PULL1)");
                finding.cell = std::to_string(entry.number);
                return;
            }
            message += ": an entry is not of the form num (cell, port, function, safe[, ccell, disval, rslt]), "
                       "or entries are not separated by commas";
        } else if (statement && (SameText(statement->name, "BOUNDARY_LENGTH") ||
                                 SameText(statement->name, "INSTRUCTION_LENGTH"))) {
            message += ": '" + Shorten(statement->value) + "' is 0 or no number";
        } else if (statement) {
            message += ": an entry has an empty name";
        }
        c.Add("read-failed", BScanSeverity::Error, statement ? statement->line : line, message + codeText);
        return;
    }
    case BSDL_ERR_NO_PIN_MAP:
        c.Add("read-failed", BScanSeverity::Error, statement ? statement->line : line,
              where + " comes before any port declaration" + codeText);
        return;
    case BSDL_ERR_INSTR_OPCODE:
    case BSDL_ERR_REGISTER_ACCESS:
        c.Add("read-failed", BScanSeverity::Error, statement ? statement->line : line,
              "the library refuses an entry of " + where +
                  ": it takes one entry per quoted piece, and refuses a name holding a blank (two entries in one "
                  "piece) or an empty name in the list" + codeText);
        return;
    default:
        c.Add("read-failed", BScanSeverity::Error, line, "the library refuses " + where + codeText);
        return;
    }
}

}  // namespace bscan_check
