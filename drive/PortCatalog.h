// The ports of a pin map as hosts list them: one entry per port node in list
// order, with the label the tool prints, whether the library can reach the
// node by its pin number (every query and setPort go through that number),
// and the cells that play the port's roles.
#ifndef BSCAN_DRIVE_PORTCATALOG_H
#define BSCAN_DRIVE_PORTCATALOG_H

#include "util/BScanExport.h"

#include <string>
#include <vector>

#include "model/BScanPinMap.h"
#include "model/KBScanCell.h"
#include "model/KPinNode.h"

// The cells that serve a port, picked from its cell list in order the way
// the pin map picks them when it drives the port: the first input-capable
// cell, the first output-capable cell, the control cell of the last
// output-capable cell, and the first observe-only cell.
struct CellRoles {
    const KBScanCell* input = nullptr;
    const KBScanCell* output = nullptr;
    const KBScanCell* control = nullptr;
    const KBScanCell* observe = nullptr;
};

BSCAN_API CellRoles SelectCellRoles(const KPinNode& node);

struct PortEntry {
    KPinNode* node = nullptr;
    std::string label;        // NAME, or NAME(index) for an element of a vector port
    bool isVectorElement = false;
    bool reachable = false;   // GetPort(pin number) finds this very node
};

// A port name that more than one node bears (compared ignoring case) is a
// vector port, and its nodes are labelled with their index.
BSCAN_API std::vector<PortEntry> ListPorts(BScanPinMap& map);

// The label of one node, as ListPorts would give it.
BSCAN_API std::string PortLabel(const KPinNode& node, bool isVectorElement);

#endif
