// Scan values for a whole chain, and the SVF statements that shift them.
//
// A ScanBits value lists its bits in the order they are shifted: bit 0 is
// shifted first and is the value's least significant bit in SVF. Through
// a chain, the bit shifted first ends up nearest TDO, so a chain value is
// built from the last device (nearest TDO) to device 0 (nearest TDI); in
// each device's part, cell 0 of a boundary register or the rightmost
// character of an opcode comes first.
#ifndef BSCAN_CHAIN_CHAINSCAN_H
#define BSCAN_CHAIN_CHAINSCAN_H

#include "util/BScanExport.h"

#include <cstdint>
#include <string>
#include <vector>

class BScanChain;

using ScanBits = std::vector<unsigned char>;   // 0 or 1 each, bit 0 shifted first

// The SVF hex text of a value: (size + 3) / 4 digits, most significant
// first ("0" for no bits).
BSCAN_API std::string ScanBitsHex(const ScanBits& bits);

// Appends an opcode written as in BSDL ('0'/'1', first character shifted
// last): its rightmost character first. False for another character.
BSCAN_API bool AppendOpcode(ScanBits& bits, const std::string& opcode);

// Appends one character per cell from cell 0 ('0'/'1'; anything else is 0).
BSCAN_API void AppendCells(ScanBits& bits, const std::string& cellsFromZero);

// Appends a 32-bit value, bit 0 first.
BSCAN_API void AppendWord(ScanBits& bits, uint32_t value);

// The whole chain's instruction value: opcodes[i] for device i (each as
// long as the device's instruction register). False, with `error` set,
// when an opcode is missing, has the wrong length or is not binary.
BSCAN_API bool ChainInstructionBits(const BScanChain& chain, const std::vector<std::string>& opcodes,
                                    ScanBits& bits, std::string& error);

// "SIR N TDI (hex);" and "SDR N TDI (hex)[ TDO (hex) MASK (hex)];" (with a
// line end). `tdo` and `mask` are used when both are given and as long as
// `tdi`.
BSCAN_API std::string SvfSir(const ScanBits& tdi);
BSCAN_API std::string SvfSdr(const ScanBits& tdi, const ScanBits* tdo = nullptr,
                             const ScanBits* mask = nullptr);

#endif
