// The data of the page of a whole scan chain (`bscan view --chain CHAIN
// NAME.PORT=VALUE...`): one device section per device of the chain file,
// in scan order (TDI first), each as the page of that device alone shows
// it, plus the chain's own facts.
//
// The chain is read and driven by the library's chain (chain/BScanChain),
// as `bscan drive --chain` and `bscan svf --chain` do, with their errors:
// a chain file that does not read, or an argument that names no device,
// no port, or a bad value, is thrown as the tool's error (no page). A
// device whose BSDL file does not read still gets its section, which says
// why; its arguments are left out (there is nothing to drive), and
// `failure` is then the first such error line.
#ifndef BSCAN_TOOL_VIEW_CHAINVIEW_H
#define BSCAN_TOOL_VIEW_CHAINVIEW_H

#include <string>
#include <vector>

#include "tools/DeviceJson.h"

struct ChainView {
    Json devices = Json::array();   // DeviceView sections, `chain` set in each
    Json chain = nullptr;           // {file, devices, ir_bits, names}
    std::string failure;            // the first device's read error line; "" when every file read
};

// `assignments` are the NAME.PORT=VALUE[:in|:out] arguments in order.
ChainView ViewChain(const std::string& chainFile, const std::vector<std::string>& assignments);

#endif
