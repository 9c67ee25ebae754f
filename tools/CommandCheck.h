// `bscan check`: its options and the command, which returns the exit
// status (0 no file has an error, 1 one has; --werror counts warnings).
#ifndef BSCAN_TOOL_COMMANDCHECK_H
#define BSCAN_TOOL_COMMANDCHECK_H

#include <ostream>
#include <string>
#include <vector>

struct CheckOptions {
    std::vector<std::string> files;
    bool json = false;
    bool werror = false;
};

int RunCheck(const CheckOptions& options, std::ostream& out);

#endif
