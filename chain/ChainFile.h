// The chain file: the devices of one scan path, in scan order.
//
//     # board rev B
//     U1  bsdl/cpld.bsdl
//     U7  ir=6
//     U3  bsdl/fpga.bsdl
//
// One device a line. The first line is the device whose TDI is the board's
// TDI, the last the one whose TDO is the board's TDO. `#` starts a comment
// (to the end of the line); blank lines are skipped. A line is a device
// name and either the path of its BSDL file (relative to the chain file's
// directory unless absolute) or `ir=N` for a device without a file: an
// instruction register of N bits (1 or more), kept in BYPASS.
//
// A device name is letters, digits and `_ - + / [ ] $`; no `.`, which
// separates the device from the port in NAME.PORT=VALUE. Names are
// compared ignoring case and must be unique in a chain.
#ifndef BSCAN_CHAIN_CHAINFILE_H
#define BSCAN_CHAIN_CHAINFILE_H

#include "util/BScanExport.h"

#include <string>
#include <vector>

struct ChainFileEntry {
    std::string name;           // as written
    std::string path;           // the BSDL path as written; "" for ir=N
    std::string resolvedPath;   // path joined to the chain file's directory; "" for ir=N
    int irLength = -1;          // N of ir=N; -1 for a device with a file
    long long line = 0;         // line in the chain file (from 1)
};

// Reads the chain file. False, with `error` set to one line
// "FILE:LINE: error: MESSAGE" (LINE 0 when the file cannot be opened),
// for a file that cannot be read, a malformed line, a duplicated name or
// a file without devices.
BSCAN_API bool ReadChainFile(const std::string& path, std::vector<ChainFileEntry>& entries,
                             std::string& error);

// The same for a text already in memory; `fileName` names it in errors and
// `baseDir` is the directory relative paths are joined to ("" keeps them).
BSCAN_API bool ParseChainText(const std::string& text, const std::string& fileName,
                              const std::string& baseDir, std::vector<ChainFileEntry>& entries,
                              std::string& error);

#endif
