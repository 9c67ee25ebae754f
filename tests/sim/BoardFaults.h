// Injecting single faults into a simulated board, running the test on it
// and scoring what the diagnosis says against what was injected.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "BoardRun.h"
#include "board/Diagnosis.h"

namespace bscan_sim {

struct Fault {
    FaultKind kind = FaultKind::Open;
    int net = -1;           // index in plan.nets
    int otherNet = -1;      // a short's other net
    int device = -1;        // an open's pin
    std::string pin;
    std::string Name() const { return pin.empty() ? std::string() : pin; }
};

// Every fault the test can see: each tested net stuck at 0 and at 1, an
// open at its driver and at each of its receiving pins, and shorts between
// tested nets (every pair when `maxShorts` allows, else that many pairs
// drawn with a fixed seed), both wired-AND and wired-OR.
inline std::vector<Fault> SingleFaults(const InterconnectPlan& plan, size_t maxShorts)
{
    std::vector<Fault> faults;
    for (int n : plan.tested) {
        const PlannedNet& net = plan.nets[static_cast<size_t>(n)];
        for (FaultKind kind : {FaultKind::StuckAt0, FaultKind::StuckAt1}) {
            Fault f;
            f.kind = kind;
            f.net = n;
            faults.push_back(f);
        }
        for (size_t q = 0; q < net.pins.size(); ++q) {
            if (static_cast<int>(q) != net.driver && !net.pins[q].CanReceive())
                continue;
            Fault f;
            f.net = n;
            f.device = net.pins[q].device;
            f.pin = net.pins[q].Name();
            faults.push_back(f);
        }
    }
    std::vector<std::pair<int, int>> pairs;
    for (size_t i = 0; i < plan.tested.size(); ++i)
        for (size_t j = i + 1; j < plan.tested.size(); ++j)
            pairs.emplace_back(plan.tested[i], plan.tested[j]);
    if (pairs.size() > maxShorts) {
        std::mt19937 random(18);
        std::shuffle(pairs.begin(), pairs.end(), random);
        pairs.resize(maxShorts);
    }
    for (const auto& pair : pairs)
        for (FaultKind kind : {FaultKind::ShortAnd, FaultKind::ShortOr}) {
            Fault f;
            f.kind = kind;
            f.net = pair.first;
            f.otherNet = pair.second;
            faults.push_back(f);
        }
    return faults;
}

// About `perClass` faults of each class (opens, shorts, stuck-at), evenly
// spread over the list.
inline std::vector<Fault> Thinned(const std::vector<Fault>& faults, size_t perClass)
{
    std::map<int, std::vector<Fault>> byClass;
    for (const Fault& fault : faults)
        byClass[fault.kind == FaultKind::Open ? 0 : (fault.otherNet >= 0 ? 1 : 2)].push_back(fault);
    std::vector<Fault> kept;
    for (const auto& entry : byClass) {
        const size_t step = std::max<size_t>(1, (entry.second.size() + perClass - 1) / perClass);
        for (size_t i = 0; i < entry.second.size(); i += step)
            kept.push_back(entry.second[i]);
    }
    return kept;
}

inline void Inject(BoardNets& nets, const InterconnectPlan& plan, const Fault& fault)
{
    switch (fault.kind) {
    case FaultKind::StuckAt0:
    case FaultKind::StuckAt1:
        nets.StuckAt(fault.net, fault.kind == FaultKind::StuckAt1 ? 1 : 0);
        break;
    case FaultKind::Open:
        nets.Open(fault.device, fault.pin.substr(fault.pin.find('.') + 1));
        break;
    case FaultKind::ShortAnd:
    case FaultKind::ShortOr:
        nets.SetWiredOr(fault.kind == FaultKind::ShortOr);
        nets.Short(fault.net, fault.otherNet);
        break;
    }
    (void)plan;
}

struct ClassScore {
    int injected = 0;
    int detected = 0;
    int rightNet = 0;          // the right net (both nets for a short)
    int right = 0;             // right net and kind, and the right pin as the first choice for an open
    int rightAmongEqual = 0;   // ... or among the equally good explanations listed
};

// Scores per class: opens, shorts, stuck-at.
struct Campaign {
    ClassScore open, shorts, stuck;
    std::vector<std::string> misses;   // the first few wrong diagnoses, for the failure message

    ClassScore& Of(FaultKind kind)
    {
        return kind == FaultKind::Open ? open : (kind == FaultKind::StuckAt0 || kind == FaultKind::StuckAt1) ? stuck : shorts;
    }
};

inline bool Listed(const std::vector<std::string>& alternatives, const std::string& text)
{
    return std::find(alternatives.begin(), alternatives.end(), text) != alternatives.end();
}

inline void Score(const InterconnectPlan& plan, const Fault& fault, const Diagnosis& diagnosis, Campaign& campaign)
{
    ClassScore& score = campaign.Of(fault.kind);
    ++score.injected;
    if (diagnosis.pass)
        return;
    ++score.detected;
    bool net = false, right = false, among = false;
    if (diagnosis.faults.size() == 1) {
        const DiagnosedFault& d = diagnosis.faults.front();
        if (fault.otherNet >= 0) {
            net = std::set<int>{d.net, d.otherNet} == std::set<int>{fault.net, fault.otherNet};
            right = net && d.kind == fault.kind;
            among = right;
        } else {
            net = d.net == fault.net && d.otherNet < 0;
            if (fault.kind == FaultKind::Open) {
                right = net && d.kind == FaultKind::Open && d.pin == fault.pin;
                among = net && (right || Listed(d.alternatives, "open at " + fault.pin));
            } else {
                const char* text = fault.kind == FaultKind::StuckAt0 ? "stuck at 0" : "stuck at 1";
                right = net && d.kind == fault.kind;
                among = net && (right || Listed(d.alternatives, text));
            }
        }
    }
    score.rightNet += net;
    score.right += right;
    score.rightAmongEqual += among;
    if (!among && campaign.misses.size() < 10) {
        std::string text = std::string(FaultKindName(fault.kind)) + " " + plan.nets[static_cast<size_t>(fault.net)].name +
                           (fault.otherNet >= 0 ? " " + plan.nets[static_cast<size_t>(fault.otherNet)].name : "") +
                           (fault.pin.empty() ? "" : " at " + fault.pin) + " ->";
        for (const DiagnosedFault& d : diagnosis.faults)
            text += " [" + d.text + "]";
        campaign.misses.push_back(text);
    }
}

// Runs every fault in process and scores the diagnosis.
inline Campaign RunCampaign(const InterconnectPlan& plan, const InterconnectPatterns& patterns, const Netlist& netlist,
                            const std::vector<Fault>& faults)
{
    Campaign campaign;
    const BoardNets good(plan.devices, netlist);
    for (const Fault& fault : faults) {
        BoardNets nets = good;
        Inject(nets, plan, fault);
        const std::vector<ScanBits> captures = RunInterconnect(plan, patterns, nets);
        Score(plan, fault, Diagnose(plan, patterns, captures), campaign);
    }
    return campaign;
}

}  // namespace bscan_sim
