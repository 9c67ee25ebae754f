// What a Python Chain is on the C++ side: a BScanChain read from a chain
// file, and the PORT assignments driven on it so far. Its devices hold
// parsers, so the chain is read and freed under ReadMutex() like a Device.
#ifndef BSCAN_PY_CHAINCORE_H
#define BSCAN_PY_CHAINCORE_H

#include <memory>
#include <string>
#include <vector>

#include "DeviceCore.h"
#include "chain/BScanChain.h"

using ChainPtr = std::unique_ptr<BScanChain, LockedDelete<BScanChain>>;

// A chain file (or one of its BSDL files) that cannot be read, or a drive
// or SVF the chain refuses: the chain's own error text.
struct ChainFailure {
    std::string message;
    std::string path;
};

class ChainCore {
public:
    // Reads the chain file and its devices without touching Python. Throws
    // MissingFile or ChainFailure.
    static std::shared_ptr<ChainCore> Read(const std::string& file);

    BScanChain& Chain() { return *m_chain; }
    const BScanChain& Chain() const { return *m_chain; }
    const std::string& Path() const { return m_path; }

    // Drives NAME.PORT=VALUE assignments as `bscan drive --chain` does; all
    // or nothing: after a refusal the chain is read again and the earlier
    // assignments replayed. Throws ChainFailure.
    void Drive(const std::vector<std::string>& assignments);

    // The assignments driven so far, in order.
    const std::vector<std::string>& Applied() const { return m_applied; }

    // The text of `bscan svf --chain` for a chain read afresh from `file`
    // and driven with `assignments`. Throws MissingFile or ChainFailure.
    static std::string FreshSvf(const std::string& file, const std::vector<std::string>& assignments,
                                bool idcodeCheck, bool sampleOnly);

private:
    explicit ChainCore(const std::string& path) : m_path(path) {}

    ChainPtr m_chain;
    std::string m_path;
    std::vector<std::string> m_applied;
};

#endif
