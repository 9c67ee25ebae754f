// `bscan info FILE`: what the library made of the file, in a few lines.
#include "tools/Commands.h"
#include "tools/ModelCounts.h"
#include "tools/TextTable.h"

namespace {

std::string TextOrNone(const char* text)
{
    return text && *text ? text : "(none)";
}

std::string JoinOpcodes(const CInstrOpcode& instruction)
{
    std::string text;
    for (int i = 0; i < instruction.GetOpcodeCount(); ++i) {
        if (i > 0)
            text += ' ';
        text += instruction.GetOpcode(i);
    }
    return text;
}

std::string JoinInstructions(const CRegister& reg)
{
    std::string text;
    for (int i = 0; i < reg.GetRegisterAssociationCount(); ++i) {
        if (i > 0)
            text += ' ';
        text += reg.GetRegisterAssocName(i);
    }
    return text;
}

}  // namespace

void RunInfo(const CommandOptions& options, std::ostream& out)
{
    DeviceParser parser;
    ReadDevice(parser, options.file);
    const ModelCounts counts = CountModel(parser);
    const CInstrRegisterDesc* ir = parser.GetInstructionRegisterDescription();

    TextTable summary({"file", options.file});
    summary.AddRow({"entity", TextOrNone(parser.GetComponentName())});
    summary.AddRow({"package", TextOrNone(parser.GetPackageType())});
    summary.AddRow({"port nodes", std::to_string(counts.portNodes)});
    summary.AddRow({"pins with a number", std::to_string(counts.numberedPins)});
    summary.AddRow({"boundary cells", std::to_string(counts.boundaryCells)});
    summary.AddRow({"instructions", std::to_string(counts.instructions)});
    summary.AddRow({"registers", std::to_string(counts.registers)});
    summary.AddRow({"differential pairs", std::to_string(counts.differentialPairs)});
    summary.AddRow({"instruction length", ir ? std::to_string(ir->GetInstructionLength()) : "(none)"});
    summary.AddRow({"instruction capture", TextOrNone(ir ? ir->GetInstructionCapture() : nullptr)});
    summary.Print(out);

    if (counts.instructions > 0) {
        out << "\ninstructions:\n";
        TextTable table({"  INSTRUCTION", "OPCODES"});
        for (int i = 0; i < counts.instructions; ++i) {
            const CInstrOpcode* instruction = ir->GetInstructionOpcode(i);
            table.AddRow({"  " + std::string(instruction->GetInstruction()), JoinOpcodes(*instruction)});
        }
        table.Print(out);
    }
    if (counts.registers > 0) {
        out << "\nregisters:\n";
        const CRegisterAccessDesc* access = parser.GetRegisterAccessDescription();
        TextTable table({"  REGISTER", "INSTRUCTIONS"});
        for (int i = 0; i < counts.registers; ++i) {
            const CRegister* reg = access->GetRegister(i);
            table.AddRow({"  " + std::string(reg->GetRegisterName()), JoinInstructions(*reg)});
        }
        table.Print(out);
    }
    if (counts.differentialPairs > 0) {
        out << "\ndifferential pairs:\n";
        TextTable table({"  POSITIVE", "NEGATIVE", "POSITIVE CELL", "NEGATIVE CELL"});
        for (const CDifferentialPair& pair : parser.GetDifferentialPairList())
            table.AddRow({"  " + std::string(pair.GetPositiveElement()), pair.GetNegativeElement(),
                          NumberOrDash(pair.GetPositiveBScanPosition()),
                          NumberOrDash(pair.GetNegativeBScanPosition())});
        table.Print(out);
    }
}
