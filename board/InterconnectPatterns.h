// The patterns of an interconnect test and the scans that apply them.
//
// Code words: the tested nets get the words 1, 2, ..., N of a counting
// sequence of K bits, K the smallest with 2^K >= N + 2, so that no net
// gets the all-0 or the all-1 word. Pattern j (0 <= j < K) drives every
// tested net with bit j of its word; pattern K + j with its complement.
// So there are 2K patterns, about 2 log2(N + 2), and every net sees both
// values. Any two nets differ in some pattern (opens, stuck-at and shorts
// all show), and the complements make a wired-AND and a wired-OR short
// read differently from either net alone, so a short is told apart.
//
// Scans: one whole-chain DR value per pattern (ScanBits, bit 0 shifted
// first: the last device's cells first, device 0's last; a device in
// BYPASS gives one bit 0). A device in EXTEST gets its safe values, every
// output with a control cell switched off, the plan's held control cells
// enabling, and its drivers' output cells set to the pattern's values; a
// device in SAMPLE its safe values. The expected response of a pattern has
// each receiving cell of a tested net at the net's value, and its mask
// only those cells set.
#ifndef BSCAN_BOARD_INTERCONNECTPATTERNS_H
#define BSCAN_BOARD_INTERCONNECTPATTERNS_H

#include "util/BScanExport.h"

#include <cstdint>
#include <vector>

#include "board/InterconnectPlan.h"
#include "chain/ChainScan.h"

struct InterconnectPatterns {
    int wordBits = 0;                     // K; 0 when no net is tested
    std::vector<uint64_t> words;          // per tested net, in plan.tested order
    int drBits = 0;                       // length of the chain's DR in the test
    std::vector<int> offsets;             // per device: the DR bit of its cell 0 (or bypass bit)
    std::vector<ScanBits> tdi;            // per pattern
    std::vector<ScanBits> expected;       // per pattern: the response captured while it is applied
    std::vector<ScanBits> mask;

    int Count() const { return 2 * wordBits; }
    // The value tested net `t` (an index into plan.tested) has in pattern `pattern`.
    BSCAN_API int NetValue(size_t t, int pattern) const;
    // The values of net `t` over all patterns, pattern 0 first.
    BSCAN_API std::vector<int> NetWord(size_t t) const;
};

BSCAN_API InterconnectPatterns MakePatterns(const InterconnectPlan& plan);

// The number of DR bits device `device` gives in the test (its boundary
// length, or 1 in BYPASS).
BSCAN_API int DeviceDrBits(const InterconnectPlan& plan, size_t device);

#endif
