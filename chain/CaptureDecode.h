// Reading back what a boundary-register scan captured.
//
// CAPTURE is the TDO value of the scan as an SVF player prints it: hex,
// most significant digit first, its least significant bit the first bit
// out, which is cell 0 of the register nearest TDO. Through a chain the
// value holds, from its least significant bit, the last device's part,
// then the one before it, up to device 0's; a device whose boundary
// register is not selected gives one bypass bit.
#ifndef BSCAN_CHAIN_CAPTUREDECODE_H
#define BSCAN_CHAIN_CAPTUREDECODE_H

#include "util/BScanExport.h"

#include <string>
#include <vector>

#include "chain/ChainScan.h"

class BScanChain;
class BScanPinMap;

struct CapturedPort {
    std::string device;   // the chain's device name; "" for one device
    std::string port;     // NAME or NAME(INDEX)
    std::string pin;      // package pin name, "" when none
    int cell = -1;        // the input cell (or observe-only cell) read
    int value = 0;        // its captured bit
};

// The bits of a hex capture, bit 0 first; `bits` long (leading digits may
// be left out; digits beyond `bits` must be 0). False with `error` set for
// a character that is no hex digit (an optional 0x prefix aside) or a
// value too long.
BSCAN_API bool ParseCaptureHex(const std::string& text, int bits, ScanBits& value, std::string& error);

// One row per port with an input cell (the first input-capable cell, else
// its observe-only cell), in port list order, read from cell `offset + n`
// of `captured` for cell n.
BSCAN_API std::vector<CapturedPort> DecodeDeviceCapture(BScanPinMap& map, const ScanBits& captured,
                                                        size_t offset = 0);

// The capture of the whole chain. `selected[i]` tells whether device i's
// boundary register was in the path (else one bypass bit); an empty
// vector selects every device with a boundary register. False with
// `error` set when the text does not fit the chain's length.
BSCAN_API bool DecodeChainCapture(const BScanChain& chain, const std::string& capture,
                                  const std::vector<bool>& selected,
                                  std::vector<CapturedPort>& ports, std::string& error);

#endif
