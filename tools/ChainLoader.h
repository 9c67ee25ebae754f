// Reading a chain file for the tool and driving its devices; failures are
// thrown as the tool's errors (a chain or BSDL read failure as its
// finished FILE:LINE: error: line).
#ifndef BSCAN_TOOL_CHAINLOADER_H
#define BSCAN_TOOL_CHAINLOADER_H

#include <string>
#include <vector>

#include "chain/BScanChain.h"
#include "tools/Commands.h"

void ReadChain(BScanChain& chain, const std::string& file);
// FILE (which takes the first positional argument) and the rest.
std::vector<std::string> ChainAssignments(const CommandOptions& options);
void DriveChain(BScanChain& chain, const std::vector<std::string>& assignments);

#endif
