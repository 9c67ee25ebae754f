// The data the page of `bscan view` draws from, one JSON document carried
// in the page (keys in README.md, "bscan view").
//
//   {"generator": "bscan view VERSION",
//    "devices": [DEVICE, ...],           one section per device
//    "chain": CHAIN}                     null, or the chain of a page of one
//                                        (tools/view/ChainView.h)
//
// A DEVICE holds `file`, `read` (`ok`, `result` (the error line, or 0),
// `line`, `excerpt`: the file's lines around a failure), `entity`,
// `idcode` (tools/view/CheckerView.h; null when unknown), `model` (the
// document of `bscan json`, null when the file did not read), `roles` (one
// role per port of the model), `layout` (the package drawing,
// tools/view/PackageLayout.h), `driven` (the PORT=VALUE arguments as
// applied), `findings` (the checker's, null in a build without it) and
// `chain` (null, or on a page of a whole chain: `file`, the device's
// `name`, `position` (from 1, TDI first), `devices`, `line` in the chain
// file, `ir_length` and `bypass`, true for a device without a file).
#ifndef BSCAN_TOOL_VIEW_VIEWDOCUMENT_H
#define BSCAN_TOOL_VIEW_VIEWDOCUMENT_H

#include <string>
#include <vector>

#include "tools/DeviceJson.h"

// One PORT=VALUE argument as it was applied.
struct DrivenPort {
    std::string argument;    // as given
    std::string label;       // the port it resolved to, as the model's ports label it
    std::string value;       // "0", "1", "X", "Z"
    std::string direction;   // "in" or "out"
};

// How the read went.
struct ReadOutcome {
    bool ok = true;
    std::string errorLine;   // FILE:LINE: error: MESSAGE (CODE_NAME, -N)
    long long line = 0;      // the parser's line at the failure
};

// The role a port plays, from the functions of its cells: "input",
// "output", "output3" (3-state output), "bidir", "clock", "observe",
// "linkage" (no cell, linkage port), "nocell" (no cell) or "other" (only
// control or internal cells).
std::string PortRole(const Json& port, const Json& cells);

// The section of one device. `model` is DeviceJson's result, or null
// when the read failed; `findings` and `idcode` CheckerView's.
Json DeviceView(const std::string& file, const ReadOutcome& read, const char* entity,
                const Json& model, const std::vector<DrivenPort>& driven,
                const Json& findings = nullptr, const Json& idcode = nullptr);

// The whole page's data around its devices (and their chain).
Json ViewDocument(const Json& devices, const Json& chain = nullptr);

#endif
