// `bscan decode [--json] FILE CAPTURE` and `bscan decode [--json] --chain
// CHAIN [--selected NAME,...] CAPTURE`: what a boundary-register scan
// captured, one row per port with an input cell (chain/CaptureDecode.h):
// device (with --chain), port, pin, cell, value. CAPTURE is hex as a
// player prints TDO, its least significant bit the first bit out.
#include <sstream>

#include <nlohmann/json.hpp>

#include "chain/BScanChain.h"
#include "chain/CaptureDecode.h"
#include "tools/ChainLoader.h"
#include "tools/Commands.h"
#include "tools/TextTable.h"

namespace {

void Print(const std::vector<CapturedPort>& ports, bool chain, bool json, const std::string& source,
           const std::string& capture, std::ostream& out)
{
    if (json) {
        nlohmann::ordered_json rows = nlohmann::ordered_json::array();
        for (const CapturedPort& port : ports) {
            nlohmann::ordered_json row;
            if (chain)
                row["device"] = port.device;
            row["port"] = port.port;
            row["pin"] = port.pin.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(port.pin);
            row["cell"] = port.cell;
            row["value"] = port.value;
            rows.push_back(row);
        }
        nlohmann::ordered_json document;
        document[chain ? "chain" : "file"] = source;
        document["capture"] = capture;
        document["ports"] = rows;
        out << document.dump(2) << '\n';
        return;
    }
    std::vector<std::string> header = {"PORT", "PIN", "CELL", "VALUE"};
    if (chain)
        header.insert(header.begin(), "DEVICE");
    TextTable table(header);
    for (const CapturedPort& port : ports) {
        std::vector<std::string> row = {port.port, port.pin.empty() ? "-" : port.pin, std::to_string(port.cell),
                                        std::to_string(port.value)};
        if (chain)
            row.insert(row.begin(), port.device);
        table.AddRow(row);
    }
    table.Print(out);
}

}  // namespace

void RunDecode(const CommandOptions& options, std::ostream& out)
{
    std::vector<std::string> positional;
    if (!options.file.empty())
        positional.push_back(options.file);
    positional.insert(positional.end(), options.assignments.begin(), options.assignments.end());
    const size_t wanted = options.chain.empty() ? 2 : 1;
    if (positional.size() != wanted)
        throw UsageError(options.chain.empty() ? "FILE and CAPTURE are needed"
                                               : "with --chain only CAPTURE is given");
    const std::string capture = positional.back();
    std::vector<CapturedPort> ports;
    std::string error;
    if (options.chain.empty()) {
        if (!options.selected.empty())
            throw UsageError("--selected goes with --chain");
        DeviceParser parser;
        ReadDevice(parser, options.file);
        BScanPinMap* map = parser.GetPinMap();
        const int length = map ? map->GetBScanLength() : 0;
        if (length <= 0)
            throw CommandError("the file describes no boundary register");
        ScanBits bits;
        if (!ParseCaptureHex(capture, length, bits, error))
            throw UsageError(error);
        ports = DecodeDeviceCapture(*map, bits);
        Print(ports, false, options.json, options.file, capture, out);
        return;
    }
    BScanChain chain;
    ReadChain(chain, options.chain);
    std::vector<bool> selected;
    if (!options.selected.empty()) {
        selected.assign(chain.DeviceCount(), false);
        std::istringstream names(options.selected);
        std::string name;
        while (std::getline(names, name, ',')) {
            const int index = chain.FindDevice(name);
            if (index < 0)
                throw CommandError(chain.Path() + ": error: no device '" + name + "' in the chain", true);
            selected[static_cast<size_t>(index)] = true;
        }
    }
    if (!DecodeChainCapture(chain, capture, selected, ports, error))
        throw UsageError(error);
    Print(ports, true, options.json, options.chain, capture, out);
}
