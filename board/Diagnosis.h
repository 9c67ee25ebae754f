// Judging the captures of an interconnect test: which tested nets read
// something else than they were driven with, and the single fault that
// best explains each failing net.
//
// The faults considered, and what they make the receivers read (the model
// a board of TTL-like inputs follows: a pin cut off from its net, or a net
// no driver drives, floats high):
//   - a net stuck at 0 or 1: every pin on it reads that value;
//   - an open at a receiving pin: that pin reads 1;
//   - an open at the driving pin: every other pin reads 1, the driver
//     still reads back what it drives;
//   - two nets shorted: every pin of both reads the AND (wired-AND) or the
//     OR (wired-OR) of both nets' values.
// Shorts are looked for between any two failing nets while at most 400
// fail. Every hypothesis over the failing nets is scored by the captured bits it
// does not explain; the best ones are taken greedily (fewest unexplained
// bits, then more nets explained, then open before short before stuck-at),
// each net being explained once. Where another hypothesis explains the
// same nets as well (a net with one receiver cannot tell an open at the
// receiver from one at the driver), it is listed beside the chosen one.
#ifndef BSCAN_BOARD_DIAGNOSIS_H
#define BSCAN_BOARD_DIAGNOSIS_H

#include "util/BScanExport.h"

#include <string>
#include <vector>

#include "board/InterconnectPatterns.h"
#include "board/InterconnectPlan.h"
#include "chain/ChainScan.h"

enum class FaultKind { Open, ShortAnd, ShortOr, StuckAt0, StuckAt1 };

struct DiagnosedFault {
    FaultKind kind = FaultKind::Open;
    int net = -1;                         // index in plan.nets
    int otherNet = -1;                    // the other net of a short
    std::string pin;                      // REF.PIN of an open
    int unexplained = 0;                  // captured bits of its nets the fault does not explain
    std::vector<std::string> alternatives;   // equally good explanations, as texts
    std::string text;                     // "/SDA: open at U3.A4 (reads 1 where U1.12 drives 0)"
};

struct Diagnosis {
    bool pass = true;
    int failingBits = 0;                  // receiving bits that differ from the expected ones
    std::vector<int> failingNets;         // indexes in plan.nets
    std::vector<DiagnosedFault> faults;
};

// "open", "short (wired-AND)", "short (wired-OR)", "stuck at 0", "stuck at 1".
BSCAN_API const char* FaultKindName(FaultKind kind);

// Reads the captures: one hex value a line (an optional 0x; blank lines and
// `#` comments skipped), each at most `drBits` bits. When more values than
// `count` are given, the last `count` are the test's (a log that starts
// with the IDCODE or preload scans), and only they are read. False with `error`
// ("FILE:LINE: error: ...") for a bad value or fewer than `count` values.
BSCAN_API bool ReadCaptures(const std::string& text, const std::string& fileName, int drBits, int count,
                            std::vector<ScanBits>& captures, std::string& error);

// OpenOCD's log of playing the SVF with `svf FILE -ignore_error`: it
// prints "tdo check error at line N" and "READ = 0x..." for each scan whose
// TDO differs from the expected value under the mask, and nothing for the
// others. The captures are the expected responses, with the READ value of
// each failing scan put in; `svf` is the SVF played (to tell which scan
// stands on line N). False with `error` when a failing line is not one of
// the test's scans (the IDCODE check failed: the chain is not as the chain
// file says), a READ value is missing or malformed, or the player stopped
// at the first failing scan (played without -ignore_error).
BSCAN_API bool IsPlayerLog(const std::string& text);
BSCAN_API bool ReadPlayerLog(const std::string& text, const std::string& fileName, const std::string& svf,
                             const InterconnectPatterns& patterns, std::vector<ScanBits>& captures,
                             std::string& error);

// `captures[p]` is the response to pattern p (the TDO of checked scan p).
// With fewer captures than patterns, the result does not pass and names
// no fault.
BSCAN_API Diagnosis Diagnose(const InterconnectPlan& plan, const InterconnectPatterns& patterns,
                             const std::vector<ScanBits>& captures);

#endif
