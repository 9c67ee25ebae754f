// The SVF of an interconnect test, each step shifting the whole IR and DR
// of the chain:
//   1. STATE RESET; STATE IDLE; ENDIR IDLE; ENDDR IDLE;
//   2. the IDCODE check: devices with an IDCODE in IDCODE, the others in
//      BYPASS, the DR shifted with TDO expected (IDCODE bits where they
//      matter, 0 for each bypass bit), then TRST OFF, at which a player
//      that queues scans compares what it read before going on;
//   3. PRELOAD of the first pattern: the EXTEST devices in their preload
//      instruction, the SAMPLE devices in SAMPLE, the others in BYPASS;
//   4. EXTEST (the SAMPLE and BYPASS devices as they were): the first
//      pattern now drives the nets;
//   5. one scan per pattern after the first with its TDI, and TDO with
//      MASK expecting the response to the pattern before (the response of
//      a pattern is captured at the Capture-DR of the next scan), then a
//      last scan (the last pattern again) to collect the last response.
// So the test has one checked scan per pattern; a player's log of the TDO
// values it read, from the first checked scan on, is what `diagnose`
// reads. Only receiving cells of tested nets are unmasked.
#ifndef BSCAN_BOARD_INTERCONNECTSVF_H
#define BSCAN_BOARD_INTERCONNECTSVF_H

#include "util/BScanExport.h"

#include <string>

#include "board/InterconnectPatterns.h"
#include "board/InterconnectPlan.h"

struct InterconnectSvfOptions {
    bool idcodeCheck = true;
    std::string title;          // a line of comment at the top ("" for none)
};

// False with `error` when no net is tested.
BSCAN_API bool WriteInterconnectSvf(const InterconnectPlan& plan, const InterconnectPatterns& patterns,
                                    const InterconnectSvfOptions& options, std::string& svf, std::string& error);

#endif
