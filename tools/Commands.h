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
    std::vector<std::string> assignments;   // drive, svf, view: PORT=VALUE[:in|:out]
    std::string output;                     // view: -o FILE (standard output when empty)
};

void RunInfo(const CommandOptions& options, std::ostream& out);
void RunPorts(const CommandOptions& options, std::ostream& out);
void RunCells(const CommandOptions& options, std::ostream& out);
void RunJson(const CommandOptions& options, std::ostream& out);
void RunDrive(const CommandOptions& options, std::ostream& out);
void RunSvf(const CommandOptions& options, std::ostream& out);
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
