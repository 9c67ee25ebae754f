// `bscan svf FILE --instruction NAME [--preset HEX] PORT=VALUE ...`: an SVF
// fragment that loads the instruction and shifts the driven image.
//
//     ! ENTITY: instruction NAME
//     SIR <instruction length> TDI (<first opcode of NAME>);
//     SDR <boundary length> TDI (<image>);
//
// SVF values shift their least significant bit first; the first bit
// shifted into a register ends up nearest TDO. So the opcode's rightmost
// character is its least significant bit, and cell 0 of the boundary
// register (nearest TDO) is the image value's least significant bit.
#include <cctype>

#include "drive/BitImage.h"
#include "tools/PortDriver.h"

namespace {

bool EqualIgnoringCase(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

const CInstrOpcode* FindInstruction(const CInstrRegisterDesc* ir, const std::string& name)
{
    for (int i = 0; ir && i < ir->GetInstructionOpcodeCount(); ++i) {
        const CInstrOpcode* instruction = ir->GetInstructionOpcode(i);
        if (EqualIgnoringCase(instruction->GetInstruction(), name))
            return instruction;
    }
    return nullptr;
}

}  // namespace

void RunSvf(const CommandOptions& options, std::ostream& out)
{
    DeviceParser parser;
    ReadAndDrive(parser, options, false);
    WriteSvf(parser, options, out);
}

void WriteSvf(BScanParser& parser, const CommandOptions& options, std::ostream& out)
{
    BScanPinMap* map = parser.GetPinMap();
    const CInstrRegisterDesc* ir = parser.GetInstructionRegisterDescription();
    const CInstrOpcode* instruction = FindInstruction(ir, options.instruction);
    if (!instruction)
        throw UsageError("no instruction '" + options.instruction + "' in " + options.file);
    const int irLength = ir->GetInstructionLength();
    if (instruction->GetOpcodeCount() < 1)
        throw CommandError("instruction " + std::string(instruction->GetInstruction()) + " has no opcode");
    const std::string opcode = instruction->GetOpcode(0);
    std::string opcodeHex;
    if (irLength <= 0 || static_cast<int>(opcode.size()) != irLength || !SvfBinaryValue(opcode, opcodeHex))
        throw CommandError("the opcode " + opcode + " of " + instruction->GetInstruction() +
                           " is not a string of 0 and 1 as long as the instruction register (" +
                           std::to_string(irLength) + ")");
    const int length = map ? map->GetBScanLength() : 0;
    const unsigned char* image = map ? map->GetBScanBitArray() : nullptr;
    if (length <= 0 || !image)
        throw CommandError("the file describes no boundary register");

    const char* entity = parser.GetComponentName();
    out << "! " << (entity ? entity : "device") << ": instruction " << instruction->GetInstruction() << '\n';
    out << "SIR " << irLength << " TDI (" << opcodeHex << ");\n";
    out << "SDR " << length << " TDI (" << SvfImageValue(image, length) << ");\n";
}
