// `bscan svf FILE --instruction NAME [--preset HEX] PORT=VALUE ...`: an SVF
// fragment that loads the instruction and shifts the driven image.
//
//     ! ENTITY: instruction NAME
//     SIR <instruction length> TDI (<first opcode of NAME>);
//     SDR <boundary length> TDI (<image>);
//
// EXTEST hands the pins to the update stage of the boundary register the
// moment it is loaded, so for EXTEST the image goes into the update stage
// first, under the preload instruction (PRELOAD, else SAMPLE/PRELOAD,
// else SAMPLE), which leaves the pins with the system logic; EXTEST then
// starts on the image and never drives what the latches held before:
//
//     ! ENTITY: instruction EXTEST, the image preloaded first with PRELOAD
//     SIR <length> TDI (<PRELOAD>);
//     SDR <boundary length> TDI (<image>);
//     SIR <length> TDI (<EXTEST>);
//     SDR <boundary length> TDI (<image>);
//
// A file with EXTEST but no preload instruction is refused.
//
// SVF values shift their least significant bit first; the first bit
// shifted into a register ends up nearest TDO. So the opcode's rightmost
// character is its least significant bit, and cell 0 of the boundary
// register (nearest TDO) is the image value's least significant bit.
//
// With --chain CHAIN the whole chain is written (tools/CommandChain.cpp,
// chain/ChainSvf.h).
#include "chain/Instructions.h"
#include "drive/BitImage.h"
#include "tools/PortDriver.h"

namespace {

// The opcode of `instruction` as SVF hex, checked against the length.
std::string OpcodeHex(const CInstrOpcode& instruction, int irLength)
{
    if (instruction.GetOpcodeCount() < 1)
        throw CommandError("instruction " + std::string(instruction.GetInstruction()) + " has no opcode");
    const std::string opcode = instruction.GetOpcode(0);
    std::string opcodeHex;
    if (irLength <= 0 || static_cast<int>(opcode.size()) != irLength || !SvfBinaryValue(opcode, opcodeHex))
        throw CommandError("the opcode " + opcode + " of " + instruction.GetInstruction() +
                           " is not a string of 0 and 1 as long as the instruction register (" +
                           std::to_string(irLength) + ")");
    return opcodeHex;
}

}  // namespace

void RunSvf(const CommandOptions& options, std::ostream& out)
{
    if (!options.chain.empty())
        return RunChainSvf(options, out);
    if (options.file.empty())
        throw UsageError("a BSDL FILE or --chain CHAIN is needed");
    if (options.instruction.empty())
        throw UsageError("--instruction NAME is needed without --chain");
    if (options.noIdcode || options.sampleOnly)
        throw UsageError("--no-idcode and --sample-only go with --chain");
    DeviceParser parser;
    ReadAndDrive(parser, options, false);
    WriteSvf(parser, options, out);
}

void WriteSvf(BScanParser& parser, const CommandOptions& options, std::ostream& out)
{
    BScanPinMap* map = parser.GetPinMap();
    const CInstrRegisterDesc* ir = parser.GetInstructionRegisterDescription();
    const CInstrOpcode* instruction = FindInstructionNamed(ir, options.instruction);
    if (!instruction)
        throw UsageError("no instruction '" + options.instruction + "' in " + options.file);
    const int irLength = ir->GetInstructionLength();
    const std::string opcodeHex = OpcodeHex(*instruction, irLength);
    const int length = map ? map->GetBScanLength() : 0;
    const unsigned char* image = map ? map->GetBScanBitArray() : nullptr;
    if (length <= 0 || !image)
        throw CommandError("the file describes no boundary register");
    const std::string imageHex = SvfImageValue(image, length);
    const char* entity = parser.GetComponentName();
    out << "! " << (entity ? entity : "device") << ": instruction " << instruction->GetInstruction();

    if (FindInstructionNamed(ir, "EXTEST") == instruction) {
        const CInstrOpcode* preload = FindPreloadInstruction(ir);
        if (!preload)
            throw CommandError("EXTEST would drive the pins before the image is in the update stage: the file "
                               "has no PRELOAD or SAMPLE instruction to load it first");
        out << ", the image preloaded first with " << preload->GetInstruction() << '\n';
        // Any value of an X in the preload opcode selects it: X goes as 0.
        CInstrOpcode shiftable;
        shiftable.SetInstruction(preload->GetInstruction());
        shiftable.AddOpcode(ShiftableOpcode(preload).c_str());
        out << "SIR " << irLength << " TDI (" << OpcodeHex(shiftable, irLength) << ");\n";
        out << "SDR " << length << " TDI (" << imageHex << ");\n";
    } else {
        out << '\n';
    }
    out << "SIR " << irLength << " TDI (" << opcodeHex << ");\n";
    out << "SDR " << length << " TDI (" << imageHex << ");\n";
}
