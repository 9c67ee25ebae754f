// One device of a board's scan chain, as the interconnect test needs it:
// its name on the board (the reference designator), its instructions, its
// boundary cells (function, control cell, safe value) and its package pins
// with the cells that serve them.
//
// The description is plain data, copied out of a read model, so that the
// net analysis, the patterns, the SVF and the diagnosis work on it alone
// (and tests can write one by hand). A device without a BSDL file on the
// board (kept in BYPASS) has `described` false, its instruction length
// and no cells or pins.
#ifndef BSCAN_BOARD_BOARDDEVICE_H
#define BSCAN_BOARD_BOARDDEVICE_H

#include "util/BScanExport.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "model/Signals.h"

class BScanParser;

struct BoardCell {
    CellFunction function = FUNC_NONE;
    int control = -1;        // for an output cell: the number of its control cell, or -1
    int disableValue = -1;   // for an output cell with a control cell: the control value (0 or 1) that disables it
    int safe = 0;            // the safe value, 0 or 1 (an X or no value taken as 0)
};

struct BoardPin {
    std::string pin;         // the package pin as the pin map writes it
    std::string port;        // the port label, NAME or NAME(INDEX)
    PortType type = PORT_NONE;
    bool linkage = false;    // a linkage port (power, ground, analog, no-connect)
    int input = -1;          // first cell that captures the pin (input, clock, bidir)
    int output = -1;         // first cell that drives it (output2, output3, bidir)
    int observe = -1;        // first observe_only cell

    bool HasCells() const { return input >= 0 || output >= 0 || observe >= 0; }
};

struct BoardDevice {
    std::string name;        // the reference designator (U1)
    std::string entity;
    bool described = false;  // false: no BSDL file, kept in BYPASS
    int irLength = 0;
    std::vector<std::pair<std::string, std::string>> opcodes;   // upper-case name, first opcode
    bool hasIdcode = false;  // an IDCODE instruction and a 32-bit IDCODE register
    uint32_t idcodeValue = 0;
    uint32_t idcodeMask = 0; // 1 where the IDCODE bit is 0 or 1, 0 where it does not matter
    std::vector<BoardCell> cells;   // indexed by cell number
    std::vector<BoardPin> pins;

    int BoundaryLength() const { return static_cast<int>(cells.size()); }
    // The pin named `pin` exactly, else the one equal ignoring case; null if none.
    BSCAN_API const BoardPin* FindPin(const std::string& pin) const;
    // The first opcode of instruction `name` (upper case), "" when the device has none.
    BSCAN_API std::string Opcode(const std::string& name) const;
    // The opcode that loads the boundary register without driving pins:
    // PRELOAD, else SAMPLE/PRELOAD, else SAMPLE; "" when none.
    BSCAN_API std::string PreloadOpcode() const;
    // The name of the instruction PreloadOpcode gives, "" when none.
    BSCAN_API std::string PreloadInstruction() const;
    // The opcode that captures the pins without driving them: SAMPLE, else
    // SAMPLE/PRELOAD, else PRELOAD; "" when none.
    BSCAN_API std::string SampleOpcode() const;
    // BYPASS, else all ones.
    BSCAN_API std::string BypassOpcode() const;
};

// Copies what the interconnect test needs out of a read model (the IDCODE
// is left to the caller: the core model does not keep it). Opcodes are
// taken as BSDL writes them, an X written 0; an instruction whose first
// opcode is not of the instruction's length is left out. False with
// `error` (the reason, without the device's name) when the device cannot take part in a
// test: no instruction register, no EXTEST, no PRELOAD or SAMPLE, no
// boundary register.
BSCAN_API bool DescribeDevice(const std::string& name, BScanParser& parser, BoardDevice& device,
                              std::string& error);

// A device the board has no BSDL file for: `irLength` ones select BYPASS.
BSCAN_API BoardDevice UndescribedDevice(const std::string& name, int irLength);

#endif
