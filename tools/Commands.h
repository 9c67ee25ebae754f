// The tool's commands. Each reads the file named in the options and writes
// its result to `out`; failures are thrown as UsageError or CommandError
// (tools/ToolErrors.h), so nothing but the result ever reaches `out`.
#ifndef BSCAN_TOOL_COMMANDS_H
#define BSCAN_TOOL_COMMANDS_H

#include <ostream>
#include <string>
#include <vector>

#include "tools/DeviceLoader.h"
#include "tools/ToolErrors.h"

struct CommandOptions {
    std::string file;
    std::string preset;                     // drive, svf: --preset HEX
    bool mask = false;                      // drive: --mask
    std::string instruction;                // svf: --instruction NAME
    std::vector<std::string> assignments;   // drive, svf, view: PORT=VALUE[:in|:out]; identify: DIR...
    std::string chain;                      // drive, svf, decode: --chain CHAIN
    bool noIdcode = false;                  // svf --chain: --no-idcode
    bool sampleOnly = false;                // svf --chain: --sample-only
    bool json = false;                      // decode: --json
    std::string selected;                   // decode --chain: --selected NAME,...
    std::string netlist;                    // interconnect, diagnose: --netlist FILE
    std::string output;                     // interconnect: -o SVF; view: -o FILE (standard output when empty)
    bool driveUnknown = false;              // interconnect, diagnose: --drive-unknown
    mutable int exitStatus = 0;             // diagnose: 1 when the board has a fault
};

void RunInfo(const CommandOptions& options, std::ostream& out);
void RunPorts(const CommandOptions& options, std::ostream& out);
void RunCells(const CommandOptions& options, std::ostream& out);
void RunJson(const CommandOptions& options, std::ostream& out);
void RunDrive(const CommandOptions& options, std::ostream& out);
void RunSvf(const CommandOptions& options, std::ostream& out);
void RunChain(const CommandOptions& options, std::ostream& out);
void RunIdentify(const CommandOptions& options, std::ostream& out);
void RunDecode(const CommandOptions& options, std::ostream& out);
void RunInterconnect(const CommandOptions& options, std::ostream& out);
void RunDiagnose(const CommandOptions& options, std::ostream& out);
// drive --chain and svf --chain (tools/CommandChain.cpp).
void RunChainDrive(const CommandOptions& options, std::ostream& out);
void RunChainSvf(const CommandOptions& options, std::ostream& out);

// The SVF text of `svf` for a device already read and driven: the
// instruction options.instruction (UsageError when the file has none of
// that name, options.file naming the file) and the current image
// (CommandError when either cannot be shifted). The Python package's
// Device.svf writes its text with it too.
void WriteSvf(BScanParser& parser, const CommandOptions& options, std::ostream& out);
void RunView(const CommandOptions& options, std::ostream& out);

// Reads the file into `parser`, presetting the cells first when `presets`
// is not empty; a failure is thrown as the user's finished error line.
inline void ReadDevice(DeviceParser& parser, const std::string& file,
                       const std::vector<unsigned char>& presets = {})
{
    std::string errorLine;
    if (LoadDevice(parser, file, presets, errorLine) < 0)
        throw CommandError(errorLine, true);
}

#endif
