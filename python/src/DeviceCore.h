// What a Python Device is on the C++ side: one read parser and the port
// catalogue of its pin map. Ports and cells handed to Python hold the
// DeviceCore by shared_ptr, so it lives as long as any of them.
//
// The library reads through one process-wide input stream: only one parser
// may be between Initialize and the end of its Read, and the destruction of
// any parser closes that stream. So every read and every destruction of a
// parser here happens under ReadMutex(). A thread that waits for the mutex
// never needs the GIL while holding it, so a Python thread may block on it
// with the GIL held (a Device freed while another thread reads).
#ifndef BSCAN_PY_DEVICECORE_H
#define BSCAN_PY_DEVICECORE_H

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "drive/PortCatalog.h"
#include "tools/DeviceLoader.h"

std::mutex& ReadMutex();

// Deletes a parser under ReadMutex().
struct LockedParserDelete {
    void operator()(DeviceParser* parser) const;
};
using ParserPtr = std::unique_ptr<DeviceParser, LockedParserDelete>;

// A file that failed to read: the code, the parser's line counter, the
// path as the caller gave it, and the sentence of the message file.
struct ReadFailure {
    int code;
    long long line;
    std::string path;
    std::string message;
};

// The file does not exist (or a folder on its path does not).
struct MissingFile {
    std::string path;
};

// The directory that holds ErrorList.txt: BSCAN_DATA_DIR when set (and only
// there), else the installed share/bscan relative to the module, else the
// build tree's data/. Always an existing directory (the module's own when
// no candidate holds the file; reading then goes on without messages).
std::string MessageDirectory();

class DeviceCore {
public:
    // Reads `file` (a file system path) without touching Python; `shownPath`
    // is the path as the caller gave it (file system bytes), for Path(), the
    // document and errors. Throws MissingFile or ReadFailure.
    static std::shared_ptr<DeviceCore> Read(const std::string& file, const std::string& shownPath);

    DeviceParser& Parser() { return *m_parser; }
    BScanPinMap* Map() const { return m_parser->GetPinMap(); }
    const std::string& Path() const { return m_path; }   // as the caller gave it
    // The port catalogue, made on first use (a read alone does not pay for
    // it). Called with the GIL held, which serialises the making.
    const std::vector<PortEntry>& Ports() const;
    // The index in Ports() of a node, or -1.
    int PortIndex(const KPinNode* node) const;
    int BoundaryLength() const;

    // A deep copy of the parser (deleted under the read mutex).
    ParserPtr CopyParser() const;

private:
    explicit DeviceCore(const std::string& path);

    ParserPtr m_parser;
    std::string m_path;
    mutable bool m_catalogued = false;
    mutable std::vector<PortEntry> m_ports;
    mutable std::unordered_map<const KPinNode*, int> m_portIndex;
};

#endif
