#include "tools/BoardLoader.h"

#include "board/BoardChain.h"
#include "chain/BScanChain.h"
#include "tools/ChainLoader.h"

LoadedBoard LoadBoard(const CommandOptions& options)
{
    if (options.chain.empty())
        throw UsageError("--chain CHAIN is required");
    if (options.netlist.empty())
        throw UsageError("--netlist FILE is required");
    BScanChain chain;
    ReadChain(chain, options.chain);
    std::vector<BoardDevice> devices;
    std::string error;
    if (!DescribeChain(chain, devices, error))
        throw CommandError(error, true);
    LoadedBoard board;
    if (!ReadNetlistFile(options.netlist, board.netlist, error))
        throw CommandError(error, true);
    InterconnectOptions plan;
    plan.driveUnknown = options.driveUnknown;
    board.plan = PlanInterconnect(devices, board.netlist, plan);
    board.patterns = MakePatterns(board.plan);
    return board;
}
