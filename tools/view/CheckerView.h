// What the checker (check/, `bscan check`) adds to a device's page: its
// findings, which the page shows on the pins they concern, and the IDCODE
// of the whole-device reading. A build without the checker gives null for
// both, and the page leaves them out.
#ifndef BSCAN_TOOL_VIEW_CHECKERVIEW_H
#define BSCAN_TOOL_VIEW_CHECKERVIEW_H

#include <string>
#include <vector>

#include "tools/DeviceJson.h"

class BScanDevice;

struct CheckerView {
    Json findings = nullptr;   // [{rule, severity, line, message, port, cell, instruction}], as `check --json`
    Json idcode = nullptr;     // {pattern, version, part_number, manufacturer}
};

// Reads `file` as `bscan check` does (with the same presets as the page's
// read) and judges it.
CheckerView CheckForView(const std::string& file, const std::vector<unsigned char>& presets);

// Judges a device already read whole (a chain's, which is not read again).
CheckerView CheckDeviceForView(const BScanDevice& device);

#endif
