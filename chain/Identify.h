// Finding the BSDL files whose IDCODE_REGISTER matches a 32-bit value read
// from a board, over a library of files. Each file gets only the device
// description's light pass (BScanDevice::ReadDescription), not the full
// read, so thousands of files take little time.
#ifndef BSCAN_CHAIN_IDENTIFY_H
#define BSCAN_CHAIN_IDENTIFY_H

#include "util/BScanExport.h"

#include <cstdint>
#include <string>
#include <vector>

struct IdentifyMatch {
    std::string file;      // path as found under the directory given
    std::string entity;
    std::string package;   // PHYSICAL_PIN_MAP's default, lower case; "" when none
    std::string pattern;   // the IDCODE_REGISTER pattern, 32 characters 0/1/X
};

// Hex, 0x optional, 1 to 8 digits. False for anything else.
BSCAN_API bool ParseIdcodeText(const std::string& text, uint32_t& value);

// The hex form of a pattern of 32 characters 0/1/X, most significant
// first: "0x" and 8 digits, a digit whose four bits are all X written X,
// a digit partly X written as [bits] (e.g. "0x1234[01X1]678").
BSCAN_API std::string IdcodePatternHex(const std::string& pattern);

// Every regular file under the directories (recursively, in name order)
// whose IDCODE pattern matches `id`, don't-care bits ignored. Returns the
// number of files looked at, or -1 with `error` set when a directory
// cannot be listed.
BSCAN_API long IdentifyFiles(uint32_t id, const std::vector<std::string>& directories,
                             std::vector<IdentifyMatch>& matches, std::string& error);

#endif
