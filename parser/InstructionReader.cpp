// The instruction register attributes INSTRUCTION_LENGTH, INSTRUCTION_OPCODE
// and INSTRUCTION_CAPTURE, and REGISTER_ACCESS, stored in the parser's
// instruction register and register access descriptions (which the
// attribute dispatcher makes before such an attribute is read).
//
// Each reader completes the statement it is given up to its ';' and reads
// the value from the completed text:
// - length and capture take the statement's last word: the text before the
//   first ';', trimmed at its end, after its last blank, newline or tab.
//   Quotes stay, so a capture pattern is stored with its double quotes, and
//   a pattern written as several joined pieces keeps only its last piece.
// - the opcode list and the register access are lists of entries
//   NAME (item, item, ...), one stored object per entry; the entries before
//   a failing one stay stored, the failing one is not added. Items are not
//   checked beyond "not empty, no white space"; a register name is stored
//   as written, a bracketed length included (MYREG[8]).
#include "parser/BScanParser.h"
#include "parser/ReaderTextInternal.h"

namespace {

// Reads the entries of a completed list statement; store(name, items) makes
// and stores one entry's object and returns false when there is no
// description to store it in. `error` is the attribute's format error.
template <class Store>
int ReadEntryList(const std::string& text, int error, Store store)
{
    EntryListWalker entries(text);
    std::string name;
    std::string list;
    std::vector<std::string> items;
    while (entries.Next(name, list)) {
        if (HoldsBlankTabOrNewline(name))
            return error;
        if (name.empty())
            return BSDL_ERR_BAD_VALUE;
        if (!SplitItemList(list, items) || !store(name, items))
            return error;
    }
    return BSDL_OK;
}

}  // namespace

int BScanParser::ReadInstructionLength(FILE* file, char* statement)
{
    std::string text(statement ? statement : "");
    int result = CompleteStatement(file, text, ';');
    if (result < 0)
        return result;

    int length = ReaderAtoi(LastWordOfStatement(text));
    if (!m_instrRegisterDesc)
        return BSDL_ERR_INSTR_LENGTH;
    if (length == 0)
        return BSDL_ERR_BAD_VALUE;
    m_instrRegisterDesc->SetInstructionLength(length);
    return BSDL_OK;
}

int BScanParser::ReadInstructionCapture(FILE* file, char* statement)
{
    std::string text(statement ? statement : "");
    int result = CompleteStatement(file, text, ';');
    if (result < 0)
        return result;

    std::string capture = LastWordOfStatement(text);
    if (!m_instrRegisterDesc)
        return BSDL_ERR_INSTR_CAPTURE;
    if (capture.empty())
        return BSDL_ERR_BAD_VALUE;
    m_instrRegisterDesc->SetInstructionCapture(capture.c_str());
    return BSDL_OK;
}

int BScanParser::ReadInstructionOpcode(FILE* file, char* statement)
{
    std::string text(statement ? statement : "");
    int result = CompleteStatement(file, text, ';');
    if (result < 0)
        return result;

    return ReadEntryList(text, BSDL_ERR_INSTR_OPCODE,
                         [this](const std::string& name, const std::vector<std::string>& opcodes) {
        CInstrOpcode instruction;
        instruction.SetInstruction(name.c_str());
        for (const std::string& opcode : opcodes)
            instruction.AddOpcode(opcode.c_str());
        if (!m_instrRegisterDesc)
            return false;
        m_instrRegisterDesc->AddInstructionOpcode(&instruction);
        return true;
    });
}

int BScanParser::ReadRegisterAccess(FILE* file, char* statement)
{
    std::string text(statement ? statement : "");
    int result = CompleteStatement(file, text, ';');
    if (result < 0)
        return result;

    return ReadEntryList(text, BSDL_ERR_REGISTER_ACCESS,
                         [this](const std::string& name, const std::vector<std::string>& instructions) {
        CRegister reg;
        reg.SetRegisterName(name.c_str());
        for (const std::string& instruction : instructions)
            reg.AddRegisterAssociation(instruction.c_str());
        if (!m_registerAccessDesc)
            return false;
        m_registerAccessDesc->AddRegister(&reg);
        return true;
    });
}
