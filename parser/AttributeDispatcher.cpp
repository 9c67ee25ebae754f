// The attribute dispatcher: every body line that begins with "attribute"
// comes here. The head is gathered up to the line holding " is " and the
// statement goes to the reader of the attribute it names; any other
// attribute is skipped up to its ';'.
//
// The head is searched, case-sensitively, for the keywords below in their
// order; the first found selects the branch. The attribute's name must then
// equal that keyword exactly, or the statement is skipped up to its ';'.
//
// The instruction register description is made at the first attribute
// statement, the register access description at the first REGISTER_ACCESS
// head; without memory for one it stays absent. The pin map reader's result
// is not passed on: a bad pin map string does not stop the reading.
//
// The blank added after the first line is handed on too: a string value
// standing whole on that line is followed by it.
#include <algorithm>
#include <new>
#include <utility>

#include "parser/BScanParser.h"
#include "parser/ReaderTextInternal.h"

int BScanParser::ReadAttribute(FILE* file, char* line)
{
    std::string statement(line ? line : "");
    if (!m_instrRegisterDesc)
        m_instrRegisterDesc = new (std::nothrow) CInstrRegisterDesc();

    // A first line that ends in "is" then shows " is " to the head test.
    statement += ' ';
    int result = CompleteStatement(file, statement, " is ");
    if (result < 0)
        return result;

    // The keywords in the order in which they are tried, with their readers
    // (null: the port grouping reader).
    using Reader = int (BScanParser::*)(FILE*, char*);
    static const std::pair<const char*, Reader> kBranches[] = {
        {"PIN_MAP_STRING", &BScanParser::ReadBSCANPinMap},
        {"BOUNDARY_REGISTER", &BScanParser::ReadBSCANBoundaryRegister},
        {"BOUNDARY_LENGTH", &BScanParser::ReadBSCANBoundaryLength},
        {"INSTRUCTION_LENGTH", &BScanParser::ReadInstructionLength},
        {"INSTRUCTION_OPCODE", &BScanParser::ReadInstructionOpcode},
        {"INSTRUCTION_CAPTURE", &BScanParser::ReadInstructionCapture},
        {"REGISTER_ACCESS", &BScanParser::ReadRegisterAccess},
        {"PORT_GROUPING", nullptr}};
    KString ks;
    const auto branch = std::find_if(std::begin(kBranches), std::end(kBranches), [&](const auto& b) {
        return ks.Find(statement, b.first) >= 0;
    });
    if (branch == std::end(kBranches))
        return CompleteStatement(file, statement, ';');
    const Reader read = branch->second;
    if (read == &BScanParser::ReadRegisterAccess && !m_registerAccessDesc)
        m_registerAccessDesc = new (std::nothrow) CRegisterAccessDesc();

    // The attribute's name: the word after the statement's first blank,
    // newline or tab.
    const int separator = ks.FindOneOf(statement, " \n\t");
    if (WordFrom(statement, separator + 1, " \n\t") != branch->first)
        return CompleteStatement(file, statement, ';');

    char* text = &statement[0];
    if (!read)
        return ReadPortGroupingAttribute(file, text);
    result = (this->*read)(file, text);
    return read == &BScanParser::ReadBSCANPinMap ? BSDL_OK : result;
}
