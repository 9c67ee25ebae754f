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

#include "device/BScanDevice.h"
#include "drive/PortCatalog.h"
#include "tools/DeviceLoader.h"

std::mutex& ReadMutex();

// Deletes a parser, or a whole-device description that holds one, under
// ReadMutex().
template <typename T>
struct LockedDelete {
    void operator()(T* object) const
    {
        std::lock_guard<std::mutex> lock(ReadMutex());
        // Only ever the very type made here, so the static type is the dynamic one.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdelete-non-virtual-dtor"
        delete object;
#pragma GCC diagnostic pop
    }
};
using ParserPtr = std::unique_ptr<DeviceParser, LockedDelete<DeviceParser>>;
using DescriptionPtr = std::unique_ptr<BScanDevice, LockedDelete<BScanDevice>>;

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

// Reads a whole-device description of `file` under ReadMutex() (the
// stream closed after it); the core's result is the description's.
DescriptionPtr ReadDescriptionFile(const std::string& file, const std::string& messageDir);

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
    // Reads BSDL text through a private temporary file; the Device's path
    // is "<string>" and it keeps the text for Description().
    static std::shared_ptr<DeviceCore> ReadText(const std::string& text);

    // The whole-device description (IDCODE, the checker's view) of the
    // same file, read on first use: its light pass costs several core
    // reads, which bscan.read does not pay. Call without the GIL. Throws
    // MissingFile when the file is gone by then.
    const BScanDevice& Description();

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
    bool m_fromText = false;
    std::string m_text;                 // the text of read_string
    std::mutex m_descriptionMutex;
    DescriptionPtr m_description;
    mutable bool m_catalogued = false;
    mutable std::vector<PortEntry> m_ports;
    mutable std::unordered_map<const KPinNode*, int> m_portIndex;
};

#endif
