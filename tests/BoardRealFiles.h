// Boards generated from real BSDL files (../shared/bsdl, never copied into
// the repository): three devices that can take part in an interconnect
// test, chained U1-U2-U3, and random nets joining their boundary-scan pins
// (two to four pins each, from any of the three devices), seeded so that
// every run builds the same board.
#pragma once

#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "ScratchDir.h"
#include "board/BoardChain.h"
#include "board/Netlist.h"
#include "chain/BScanChain.h"

namespace bscan_test {

struct GeneratedBoard {
    std::string chainFile;
    std::string netlistFile;
    std::vector<std::string> files;   // the BSDL files, U1 first
    std::vector<BoardDevice> devices;
    Netlist netlist;
};

// Scan pins of a device: mapped pins with boundary cells.
inline std::vector<std::string> ScanPins(const BoardDevice& device)
{
    std::vector<std::string> pins;
    for (const BoardPin& pin : device.pins)
        if (!pin.linkage && pin.HasCells())
            pins.push_back(pin.pin);
    return pins;
}

// Picks, in name order, the first `count` files (starting at `skip`) that
// a chain reads and that have at least `minPins` pins able to drive and
// read. Returns false (the reason in `why`) when the folder is absent or
// holds too few.
inline bool PickRealFiles(size_t count, size_t skip, size_t minPins, std::vector<std::string>& files, std::string& why)
{
    const std::string dir = BSCAN_REAL_BSDL_DIR;
    DIR* folder = opendir(dir.c_str());
    if (!folder) {
        why = "no real BSDL files in " + dir;
        return false;
    }
    std::vector<std::string> names;
    while (dirent* entry = readdir(folder))
        if (entry->d_name[0] != '.' && std::string(entry->d_name) != "README.md")
            names.push_back(entry->d_name);
    closedir(folder);
    std::sort(names.begin(), names.end());
    size_t skipped = 0;
    for (const std::string& name : names) {
        const std::string path = dir + "/" + name;
        std::vector<ChainFileEntry> entries(1);
        entries[0].name = "U1";
        entries[0].path = entries[0].resolvedPath = path;
        entries[0].line = 1;
        BScanChain chain;
        if (chain.ReadEntries(entries, "probe", BSCAN_MESSAGE_DIR) != 0)
            continue;
        std::vector<BoardDevice> devices;
        std::string error;
        if (!DescribeChain(chain, devices, error))
            continue;
        size_t both = 0;
        for (const BoardPin& pin : devices[0].pins)
            both += !pin.linkage && pin.output >= 0 && pin.input >= 0 &&
                    devices[0].cells[static_cast<size_t>(pin.output)].control >= 0;
        if (both < minPins)
            continue;
        if (skipped++ < skip)
            continue;
        files.push_back(path);
        if (files.size() == count)
            return true;
    }
    why = "fewer than " + std::to_string(count) + " usable real BSDL files in " + dir;
    return false;
}

// Writes the chain and a netlist of up to `netCount` random nets.
inline bool GenerateBoard(const std::vector<std::string>& files, size_t netCount, unsigned seed, GeneratedBoard& board,
                          std::string& why)
{
    const std::string dir = NewScratchSubdir("realboard");
    board.files = files;
    board.chainFile = dir + "/board.chain";
    {
        std::ofstream chain(board.chainFile);
        for (size_t i = 0; i < files.size(); ++i)
            chain << "U" << i + 1 << "  " << files[i] << "\n";
    }
    BScanChain chain;
    if (chain.Read(board.chainFile, BSCAN_MESSAGE_DIR) != 0 || !DescribeChain(chain, board.devices, why)) {
        why = "the chain of real files does not read: " + chain.Error() + why;
        return false;
    }
    std::mt19937 random(seed);
    std::vector<std::vector<std::string>> pins;
    for (const BoardDevice& device : board.devices) {
        pins.push_back(ScanPins(device));
        std::shuffle(pins.back().begin(), pins.back().end(), random);
    }
    board.netlistFile = dir + "/board.txt";
    std::ofstream netlist(board.netlistFile);
    for (size_t n = 0; n < netCount; ++n) {
        const size_t size = 2 + random() % 3;
        std::string line = "/G" + std::to_string(n + 1);
        size_t taken = 0;
        for (size_t k = 0; k < size * 8 && taken < size; ++k) {
            const size_t d = random() % pins.size();
            if (pins[d].empty())
                continue;
            line += " " + board.devices[d].name + "." + pins[d].back();
            pins[d].pop_back();
            ++taken;
        }
        if (taken < 2)
            break;
        netlist << line << "\n";
    }
    netlist.close();
    return ReadNetlistFile(board.netlistFile, board.netlist, why);
}

}  // namespace bscan_test
