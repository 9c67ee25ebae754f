// `bscan diagnose --chain CHAIN --netlist FILE [--json] [--drive-unknown]
// CAPTURES`: judges the TDO values a player read while it played the
// interconnect test (one hex value a line, the test's scans in order; a
// longer log's last values), or OpenOCD's log of `svf FILE -ignore_error`
// (its failing scans' READ values). Prints each failing net with its most likely
// fault; exit status 0 when the board passes, 1 when a fault is found.
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "board/Diagnosis.h"
#include "board/InterconnectSvf.h"
#include "tools/BoardLoader.h"

namespace {

nlohmann::ordered_json NetName(const InterconnectPlan& plan, int net)
{
    return net < 0 ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(plan.nets[static_cast<size_t>(net)].name);
}

}  // namespace

void RunDiagnose(const CommandOptions& options, std::ostream& out)
{
    if (options.file.empty())
        throw UsageError("CAPTURES is required");
    const LoadedBoard board = LoadBoard(options);
    if (board.patterns.Count() == 0)
        throw CommandError("no net can be tested");
    std::ifstream in(options.file, std::ios::binary);
    if (!in)
        throw CommandError(options.file + ": error: cannot read the file", true);
    std::ostringstream text;
    text << in.rdbuf();
    std::vector<ScanBits> captures;
    std::string error;
    if (IsPlayerLog(text.str())) {
        std::string svf;
        if (!WriteInterconnectSvf(board.plan, board.patterns, InterconnectSvfOptions{true, "title"}, svf, error))
            throw CommandError(error);
        if (!ReadPlayerLog(text.str(), options.file, svf, board.patterns, captures, error))
            throw CommandError(error, true);
    } else if (!ReadCaptures(text.str(), options.file, board.patterns.drBits, board.patterns.Count(), captures,
                             error)) {
        throw CommandError(error, true);
    }
    const Diagnosis diagnosis = Diagnose(board.plan, board.patterns, captures);
    const InterconnectPlan& plan = board.plan;

    if (options.json) {
        nlohmann::ordered_json document;
        document["pass"] = diagnosis.pass;
        document["tested_nets"] = plan.tested.size();
        document["failing_bits"] = diagnosis.failingBits;
        nlohmann::ordered_json failing = nlohmann::ordered_json::array();
        for (int n : diagnosis.failingNets)
            failing.push_back(plan.nets[static_cast<size_t>(n)].name);
        document["failing_nets"] = failing;
        nlohmann::ordered_json faults = nlohmann::ordered_json::array();
        for (const DiagnosedFault& fault : diagnosis.faults)
            faults.push_back({{"kind", FaultKindName(fault.kind)},
                              {"net", NetName(plan, fault.net)},
                              {"other_net", NetName(plan, fault.otherNet)},
                              {"pin", fault.pin.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(fault.pin)},
                              {"unexplained_bits", fault.unexplained},
                              {"alternatives", fault.alternatives},
                              {"text", fault.text}});
        document["faults"] = faults;
        out << document.dump(2) << '\n';
    } else if (diagnosis.pass) {
        out << "PASS: " << plan.tested.size() << " nets tested, every response as expected\n";
    } else {
        out << "FAIL: " << diagnosis.failingNets.size() << " of " << plan.tested.size() << " nets ("
            << diagnosis.failingBits << " captured bits differ)\n";
        for (const DiagnosedFault& fault : diagnosis.faults) {
            out << fault.text << '\n';
            if (!fault.alternatives.empty()) {
                out << "  as likely:";
                for (size_t i = 0; i < fault.alternatives.size(); ++i)
                    out << (i ? "; " : " ") << fault.alternatives[i];
                out << '\n';
            }
        }
    }
    options.exitStatus = diagnosis.pass ? 0 : 1;
}
