// The REGISTER_ACCESS attribute: a list of entries
// REGISTER (instruction, instruction, ...), one CRegister per entry in the
// parser's register access description (which the attribute dispatcher
// makes when it meets the attribute).
//
// The statement is completed up to its ';' and read entry by entry; a
// register name is stored as written, a bracketed length included
// (MYREG[8]). Nothing is compared with the other attributes. The registers
// before a failing entry stay stored, the failing one is not added.
#include "parser/BScanParser.h"
#include "parser/ReaderTextInternal.h"

int BScanParser::ReadRegisterAccess(FILE* file, char* statement)
{
    std::string text(statement ? statement : "");
    int result = CompleteStatement(file, text, ';');
    if (result < 0)
        return result;

    EntryListWalker entries(text);
    std::string name;
    std::string list;
    std::vector<std::string> instructions;
    while (entries.Next(name, list)) {
        if (HoldsBlankTabOrNewline(name))
            return BSDL_ERR_REGISTER_ACCESS;
        if (name.empty())
            return BSDL_ERR_BAD_VALUE;
        if (!SplitItemList(list, instructions))
            return BSDL_ERR_REGISTER_ACCESS;

        CRegister reg;
        reg.SetRegisterName(name.c_str());
        for (const std::string& instruction : instructions)
            reg.AddRegisterAssociation(instruction.c_str());
        if (!m_registerAccessDesc)
            return BSDL_ERR_REGISTER_ACCESS;
        m_registerAccessDesc->AddRegister(&reg);
    }
    return BSDL_OK;
}
