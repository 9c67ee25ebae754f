// `bscan interconnect --chain CHAIN --netlist FILE [-o SVF] [--json]
// [--drive-unknown]`: the interconnect test of a board. Prints the report
// (devices and their instructions, tested nets with driver and receivers,
// untested nets with the reason, pattern count, what the test covers) and
// writes the SVF to the -o file.
#include <fstream>

#include <nlohmann/json.hpp>

#include "board/InterconnectSvf.h"
#include "tools/BoardLoader.h"
#include "tools/TextTable.h"

namespace {

std::string Receivers(const PlannedNet& net)
{
    std::string text;
    for (const ScanPin& pin : net.pins)
        if (pin.CanReceive())
            text += (text.empty() ? "" : " ") + pin.Name();
    return text;
}

std::string Word(const InterconnectPatterns& patterns, size_t t)
{
    std::string text;
    for (int bit : patterns.NetWord(t))
        text += bit ? '1' : '0';
    return text;
}

struct Coverage {
    int nets = 0, tested = 0, openPins = 0, pins = 0;
};

Coverage Count(const InterconnectPlan& plan)
{
    Coverage c;
    c.nets = static_cast<int>(plan.nets.size());
    c.tested = static_cast<int>(plan.tested.size());
    for (int n : plan.tested) {
        const PlannedNet& net = plan.nets[static_cast<size_t>(n)];
        for (size_t q = 0; q < net.pins.size(); ++q) {
            ++c.pins;
            if (static_cast<int>(q) == net.driver || net.pins[q].CanReceive())
                ++c.openPins;
        }
        c.pins += static_cast<int>(net.others.size());
    }
    return c;
}

void PrintJson(const LoadedBoard& board, const CommandOptions& options, std::ostream& out)
{
    const InterconnectPlan& plan = board.plan;
    nlohmann::ordered_json document;
    document["chain"] = options.chain;
    document["netlist"] = options.netlist;
    nlohmann::ordered_json devices = nlohmann::ordered_json::array();
    for (size_t d = 0; d < plan.devices.size(); ++d)
        devices.push_back({{"name", plan.devices[d].name}, {"instruction", DeviceModeName(plan.modes[d])}});
    document["devices"] = devices;
    nlohmann::ordered_json tested = nlohmann::ordered_json::array();
    for (size_t t = 0; t < plan.tested.size(); ++t) {
        const PlannedNet& net = plan.nets[static_cast<size_t>(plan.tested[t])];
        nlohmann::ordered_json receivers = nlohmann::ordered_json::array();
        for (const ScanPin& pin : net.pins)
            if (pin.CanReceive())
                receivers.push_back(pin.Name());
        tested.push_back({{"net", net.name},
                          {"driver", net.pins[static_cast<size_t>(net.driver)].Name()},
                          {"receivers", receivers},
                          {"word", Word(board.patterns, t)}});
    }
    document["tested"] = tested;
    nlohmann::ordered_json untested = nlohmann::ordered_json::array();
    for (const PlannedNet& net : plan.nets)
        if (!net.tested)
            untested.push_back({{"net", net.name}, {"reason", net.reason}});
    document["untested"] = untested;
    document["patterns"] = board.patterns.Count();
    document["word_bits"] = board.patterns.wordBits;
    const Coverage c = Count(plan);
    document["coverage"] = {{"nets", c.nets},
                            {"tested_nets", c.tested},
                            {"stuck_at", c.tested},
                            {"open_pins", c.openPins},
                            {"pins_on_tested_nets", c.pins},
                            {"short_pairs", c.tested * (c.tested - 1) / 2}};
    document["warnings"] = plan.warnings;
    document["svf"] = options.output.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(options.output);
    out << document.dump(2) << '\n';
}

void PrintReport(const LoadedBoard& board, const CommandOptions& options, std::ostream& out)
{
    const InterconnectPlan& plan = board.plan;
    out << "chain " << options.chain << ":";
    for (size_t d = 0; d < plan.devices.size(); ++d)
        out << (d ? ", " : " ") << plan.devices[d].name << " " << DeviceModeName(plan.modes[d]);
    out << "\nnetlist " << options.netlist << ": " << plan.nets.size() << " nets, " << plan.tested.size()
        << " tested\n\n";
    TextTable tested({"NET", "DRIVER", "RECEIVERS", "WORD"});
    for (size_t t = 0; t < plan.tested.size(); ++t) {
        const PlannedNet& net = plan.nets[static_cast<size_t>(plan.tested[t])];
        tested.AddRow({net.name, net.pins[static_cast<size_t>(net.driver)].Name(), Receivers(net),
                       Word(board.patterns, t)});
    }
    tested.Print(out);
    if (plan.tested.size() < plan.nets.size()) {
        out << "\nuntested nets:\n";
        TextTable untested({"NET", "REASON"});
        for (const PlannedNet& net : plan.nets)
            if (!net.tested)
                untested.AddRow({net.name, net.reason});
        untested.Print(out);
    }
    for (const std::string& warning : plan.warnings)
        out << "warning: " << warning << '\n';
    const Coverage c = Count(plan);
    out << "\npatterns: " << board.patterns.Count() << " (code words of " << board.patterns.wordBits
        << " bits and their complements)\n";
    out << "coverage: stuck-at 0 and 1 on " << c.tested << " of " << c.nets << " nets; opens at " << c.openPins
        << " of " << c.pins << " pins on tested nets (the drivers and receiving pins); shorts between any two of the "
        << c.tested << " tested nets, wired-AND and wired-OR\n";
    if (!options.output.empty())
        out << "svf: " << options.output << " (" << board.patterns.Count() << " checked scans)\n";
}

}  // namespace

void RunInterconnect(const CommandOptions& options, std::ostream& out)
{
    const LoadedBoard board = LoadBoard(options);
    if (!options.output.empty()) {
        std::string svf, error;
        InterconnectSvfOptions svfOptions;
        svfOptions.title = "bscan interconnect --chain " + options.chain + " --netlist " + options.netlist;
        if (!WriteInterconnectSvf(board.plan, board.patterns, svfOptions, svf, error))
            throw CommandError(error);
        std::ofstream file(options.output, std::ios::binary);
        file << svf;
        file.close();
        if (!file)
            throw CommandError("cannot write " + options.output);
    }
    if (options.json)
        PrintJson(board, options, out);
    else
        PrintReport(board, options, out);
}
