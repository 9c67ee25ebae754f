// Picking the instructions a board test loads, from what a BSDL file
// declares (INSTRUCTION_OPCODE).
#ifndef BSCAN_CHAIN_INSTRUCTIONS_H
#define BSCAN_CHAIN_INSTRUCTIONS_H

#include "util/BScanExport.h"

#include <string>

class CInstrOpcode;
class CInstrRegisterDesc;

// The instruction of that name, ignoring case; null when none.
BSCAN_API const CInstrOpcode* FindInstructionNamed(const CInstrRegisterDesc* ir, const std::string& name);

// The instruction that loads the boundary register's update stage without
// handing the pins to it: PRELOAD, else the first whose name holds both
// SAMPLE and PRELOAD, else SAMPLE (which does both in files written before
// PRELOAD was an instruction of its own). Null when none.
BSCAN_API const CInstrOpcode* FindPreloadInstruction(const CInstrRegisterDesc* ir);

// The first opcode of the instruction with every X written 0 (any value
// selects the instruction); "" when it has none.
BSCAN_API std::string ShiftableOpcode(const CInstrOpcode* instruction);

#endif
