// Reading a board for `interconnect` and `diagnose`: the chain file with
// its BSDL files, the netlist, and the test planned on them. Failures are
// thrown as the tool's errors (a read failure as its finished line).
#ifndef BSCAN_TOOL_BOARDLOADER_H
#define BSCAN_TOOL_BOARDLOADER_H

#include <string>

#include "board/InterconnectPatterns.h"
#include "board/InterconnectPlan.h"
#include "board/Netlist.h"
#include "tools/Commands.h"

struct LoadedBoard {
    Netlist netlist;
    InterconnectPlan plan;
    InterconnectPatterns patterns;
};

LoadedBoard LoadBoard(const CommandOptions& options);

#endif
