// SVF that sets a board's pins through its scan chain, safely.
//
// The order, each step shifting the whole instruction register and the
// whole data register of the chain:
//   1. STATE RESET; STATE IDLE; ENDIR IDLE; ENDDR IDLE;
//   2. (idcodeCheck) first the instruction register: all ones (BYPASS on
//      any device), 32 bits longer than the chain's, with TDO expected:
//      each device's capture pattern (X not cared for), then the padding's
//      ones. A board whose chain differs in length or layout stops the
//      player here, every device in BYPASS whatever the board (up to 32
//      bits longer): no instruction but BYPASS has been loaded yet. Then
//      every device with an IDCODE instruction and IDCODE register in
//      IDCODE, the others in BYPASS; the DR shifted with TDO expected: the
//      IDCODE bits where the pattern cares, 0 for each bypass bit, so that
//      a player stops on a wrong or misordered chain. Each check is
//      followed by TRST OFF (the reset line left inactive): players that
//      queue scans and compare TDO later, as OpenOCD does, compare there,
//      before anything else is shifted;
//   3. every driven device in its preload instruction (PRELOAD, else
//      SAMPLE/PRELOAD, else SAMPLE), the others in BYPASS; the DR shifted
//      with each driven device's image and 0 for each bypass bit. The
//      update stages now hold the images while the pins stay with the
//      system logic;
//   4. (unless sampleOnly) the driven devices in EXTEST, the others in
//      BYPASS; the same DR shifted again. EXTEST thus starts on update
//      stages that already hold the images: the pins never see the
//      latches' earlier contents.
// Without a driven device steps 3 and 4 are left out. Comments (`!`) name
// each step and the devices.
#ifndef BSCAN_CHAIN_CHAINSVF_H
#define BSCAN_CHAIN_CHAINSVF_H

#include "util/BScanExport.h"

#include <string>

class BScanChain;

struct ChainSvfOptions {
    bool idcodeCheck = true;   // step 2
    bool sampleOnly = false;   // leave out step 4
};

// The SVF for the chain as driven (BScanChain::Drive). Returns 0, or -1
// with `error` set (a driven device without a preload instruction, or
// without EXTEST unless sampleOnly; an opcode that cannot be shifted).
BSCAN_API int WriteChainSvf(const BScanChain& chain, const ChainSvfOptions& options,
                            std::string& svf, std::string& error);

#endif
