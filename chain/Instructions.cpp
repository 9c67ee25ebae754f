#include "chain/Instructions.h"

#include <cctype>

#include "model/CInstrOpcode.h"

namespace {

std::string Upper(const char* text)
{
    std::string result = text ? text : "";
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

}  // namespace

const CInstrOpcode* FindInstructionNamed(const CInstrRegisterDesc* ir, const std::string& name)
{
    const std::string wanted = Upper(name.c_str());
    for (int i = 0; ir && i < ir->GetInstructionOpcodeCount(); ++i) {
        const CInstrOpcode* instruction = ir->GetInstructionOpcode(i);
        if (instruction && Upper(instruction->GetInstruction()) == wanted)
            return instruction;
    }
    return nullptr;
}

const CInstrOpcode* FindPreloadInstruction(const CInstrRegisterDesc* ir)
{
    if (const CInstrOpcode* preload = FindInstructionNamed(ir, "PRELOAD"))
        return preload;
    for (int i = 0; ir && i < ir->GetInstructionOpcodeCount(); ++i) {
        const CInstrOpcode* instruction = ir->GetInstructionOpcode(i);
        const std::string name = instruction ? Upper(instruction->GetInstruction()) : "";
        if (name.find("SAMPLE") != std::string::npos && name.find("PRELOAD") != std::string::npos)
            return instruction;
    }
    return FindInstructionNamed(ir, "SAMPLE");
}

std::string ShiftableOpcode(const CInstrOpcode* instruction)
{
    if (!instruction || instruction->GetOpcodeCount() < 1 || !instruction->GetOpcode(0))
        return "";
    std::string opcode = instruction->GetOpcode(0);
    for (char& c : opcode)
        if (c == 'X' || c == 'x')
            c = '0';
    return opcode;
}
