// Runs an interconnect test on a simulated board in process, scan by scan
// as its SVF does: the first pattern preloaded, then EXTEST, then one scan
// per pattern capturing the response to the pattern before, and a last
// scan. Returns the TDO value of each checked scan (the response to
// pattern p at index p), as a player would log it.
#pragma once

#include <vector>

#include "board/InterconnectPatterns.h"
#include "board/InterconnectPlan.h"
#include "BoardNets.h"

namespace bscan_sim {

// Device d's part of a chain DR value.
inline std::vector<unsigned char> DevicePart(const InterconnectPatterns& patterns, const InterconnectPlan& plan,
                                             const ScanBits& value, size_t d)
{
    const int length = DeviceDrBits(plan, d);
    const auto begin = value.begin() + patterns.offsets[d];
    return std::vector<unsigned char>(begin, begin + length);
}

inline std::vector<ScanBits> RunInterconnect(const InterconnectPlan& plan, const InterconnectPatterns& patterns,
                                             BoardNets& nets)
{
    std::vector<ScanBits> captures;
    const size_t devices = plan.devices.size();
    std::vector<std::vector<unsigned char>> stages(devices);
    for (int p = 0; p < patterns.Count(); ++p) {
        // Update-DR of the scan before: pattern p is in the update stages.
        std::vector<const std::vector<unsigned char>*> driving(devices, nullptr);
        for (size_t d = 0; d < devices; ++d) {
            stages[d] = DevicePart(patterns, plan, patterns.tdi[static_cast<size_t>(p)], d);
            if (plan.modes[d] == DeviceMode::Extest)
                driving[d] = &stages[d];
        }
        nets.Drive(driving);
        // Capture-DR of the next scan.
        ScanBits capture(static_cast<size_t>(patterns.drBits), 0);
        for (size_t d = 0; d < devices; ++d) {
            if (plan.modes[d] == DeviceMode::Bypass)
                continue;
            std::vector<unsigned char> cells = stages[d];
            nets.Capture(d, cells);
            for (size_t c = 0; c < cells.size(); ++c)
                capture[static_cast<size_t>(patterns.offsets[d]) + c] = cells[c];
        }
        captures.push_back(std::move(capture));
    }
    return captures;
}

}  // namespace bscan_sim
