// Playing SVF with OpenOCD against the simulated board (tests/sim): the
// board serves remote_bitbang on a free loopback port, OpenOCD connects,
// declares one TAP per device of the board's chain, runs `svf FILE` and
// shuts down; the board then writes its state (JSON) and exits.
#ifndef BSCAN_TESTS_PLAYERHARNESS_H
#define BSCAN_TESTS_PLAYERHARNESS_H

#include <string>
#include <vector>

namespace bscan_test {

// The openocd program on PATH (or in BSCAN_OPENOCD), "" when none.
std::string FindOpenocd();

struct PlayResult {
    bool ran = false;          // both programs started and finished in time
    std::string failure;       // why not, when !ran
    int openocdStatus = -1;    // exit status
    std::string openocdLog;    // its standard output and error
    int boardStatus = -1;
    std::string boardLog;
    std::string stateJson;     // the board's state file
};

// Runs the board for `boardChain` (with these pin values, NAME.PORT=0|1)
// and OpenOCD playing `svfFile`, with TAPs declared from `irLengths`
// (the board's devices, TDI first), all files in `dir`.
PlayResult PlaySvf(const std::string& openocd, const std::string& boardChain,
                   const std::vector<int>& irLengths, const std::string& svfFile, const std::string& dir,
                   const std::vector<std::string>& pins = {});

// Runs a program with arguments, standard output and error to `output`;
// returns the exit status, or -1 when it could not run or ran past
// `seconds` (then it is killed).
int RunProgram(const std::vector<std::string>& args, std::string& output, double seconds);

}  // namespace bscan_test

#endif
