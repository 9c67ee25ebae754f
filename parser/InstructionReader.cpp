// The instruction register attributes: INSTRUCTION_LENGTH,
// INSTRUCTION_OPCODE and INSTRUCTION_CAPTURE, stored in the parser's
// instruction register description (which the attribute dispatcher makes
// before any attribute is read).
//
// Each reader completes the statement it is given up to its ';' (the
// string pieces and the '&' between them stay as written) and reads the
// value from the completed text:
// - length and capture take the statement's last word: the text before the
//   first ';', trimmed at its end, after its last blank, newline or tab.
//   Quotes stay, so a capture pattern is stored with its double quotes, and
//   a pattern written as several joined pieces keeps only its last piece.
// - the opcode list is a list of entries NAME (opcode, opcode, ...);
//   the entries before a failing one stay stored, the failing one is not
//   added. Opcodes are not checked beyond "not empty, no white space".
#include "parser/BScanParser.h"
#include "parser/ReaderTextInternal.h"

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

    EntryListWalker entries(text);
    std::string name;
    std::string list;
    std::vector<std::string> opcodes;
    while (entries.Next(name, list)) {
        if (HoldsBlankTabOrNewline(name))
            return BSDL_ERR_INSTR_OPCODE;
        if (name.empty())
            return BSDL_ERR_BAD_VALUE;
        if (!SplitItemList(list, opcodes))
            return BSDL_ERR_INSTR_OPCODE;

        CInstrOpcode instruction;
        instruction.SetInstruction(name.c_str());
        for (const std::string& opcode : opcodes)
            instruction.AddOpcode(opcode.c_str());
        if (!m_instrRegisterDesc)
            return BSDL_ERR_INSTR_OPCODE;
        m_instrRegisterDesc->AddInstructionOpcode(&instruction);
    }
    return BSDL_OK;
}
