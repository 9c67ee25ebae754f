// The attribute dispatcher: every body line that begins with "attribute"
// comes here. The head is gathered up to the line holding " is ", and the
// statement, head and all, goes to the reader of the attribute it names;
// any other attribute is skipped up to its ';'.
//
// The head is searched, case-sensitively, for the keywords below in their
// order; the first that occurs anywhere in it selects the branch. The
// attribute's name (the word after "attribute") must then equal that
// keyword exactly, or the statement is skipped up to its ';' like an
// unrecognised one, so that its rest never reaches the entity reader.
//
// The instruction register description is made at the first attribute
// statement of all, the register access description at the first head that
// selects the REGISTER_ACCESS branch; without memory for one it stays
// absent and the readers that need it answer with their own codes. The pin
// map reader's result is not passed on: a pin map string that cannot be
// read leaves the ports without pins but does not stop the reading.
//
// The blank added after the first line is handed on too: a string value
// standing whole on that line is followed by it, and the string value
// reader reads on after it until a line ends a piece.
#include <new>

#include "parser/BScanParser.h"

namespace {

enum AttributeBranch {
    BRANCH_PIN_MAP_STRING,
    BRANCH_BOUNDARY_REGISTER,
    BRANCH_BOUNDARY_LENGTH,
    BRANCH_INSTRUCTION_LENGTH,
    BRANCH_INSTRUCTION_OPCODE,
    BRANCH_INSTRUCTION_CAPTURE,
    BRANCH_REGISTER_ACCESS,
    BRANCH_PORT_GROUPING,
    BRANCH_COUNT
};

// The keywords in the order in which they are tried.
const char* const kKeywords[BRANCH_COUNT] = {
    "PIN_MAP_STRING",     "BOUNDARY_REGISTER",   "BOUNDARY_LENGTH", "INSTRUCTION_LENGTH",
    "INSTRUCTION_OPCODE", "INSTRUCTION_CAPTURE", "REGISTER_ACCESS", "PORT_GROUPING"};

// The word after the statement's first blank, newline or tab.
std::string AttributeName(const std::string& statement)
{
    KString ks;
    std::string name;
    int separator = ks.FindOneOf(statement, " \n\t");
    ks.Right(name, statement, static_cast<int>(statement.size()) - separator - 1);
    ks.TrimLeft(name);
    ks.Left(name, name, ks.FindOneOf(name, " \n\t"));
    ks.TrimRight(name);
    return name;
}

}  // namespace

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

    KString ks;
    int branch = 0;
    while (branch < BRANCH_COUNT && ks.Find(statement, kKeywords[branch]) < 0)
        ++branch;
    if (branch == BRANCH_COUNT)
        return CompleteStatement(file, statement, ';');

    if (branch == BRANCH_REGISTER_ACCESS && !m_registerAccessDesc)
        m_registerAccessDesc = new (std::nothrow) CRegisterAccessDesc();

    if (AttributeName(statement) != kKeywords[branch])
        return CompleteStatement(file, statement, ';');

    char* text = &statement[0];
    switch (branch) {
    case BRANCH_PIN_MAP_STRING:
        ReadBSCANPinMap(file, text);
        return BSDL_OK;
    case BRANCH_BOUNDARY_REGISTER:
        return ReadBSCANBoundaryRegister(file, text);
    case BRANCH_BOUNDARY_LENGTH:
        return ReadBSCANBoundaryLength(file, text);
    case BRANCH_INSTRUCTION_LENGTH:
        return ReadInstructionLength(file, text);
    case BRANCH_INSTRUCTION_OPCODE:
        return ReadInstructionOpcode(file, text);
    case BRANCH_INSTRUCTION_CAPTURE:
        return ReadInstructionCapture(file, text);
    case BRANCH_REGISTER_ACCESS:
        return ReadRegisterAccess(file, text);
    default:
        return ReadPortGroupingAttribute(file, text);
    }
}
