// BScanDevice: one BSDL file read whole. The core read (BScanParser) gives
// the device model; a light pass of the device's own over the same file
// gives every attribute the core skips (IDCODE, USERCODE, TAP ports,
// compliance patterns, design warning, register lengths and any other
// attribute as name, value and line) and the line of every port
// declaration, boundary-register entry and pin-map entry. The core is used
// as it is: a host that only uses BScanParser pays nothing for this class.
//
// Never throws; failures are return codes. Reading keeps no fixed limits.
#ifndef BSCAN_BSCANDEVICE_H
#define BSCAN_BSCANDEVICE_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "device/BScanDeviceRecords.h"
#include "parser/BScanParser.h"
#include "util/BScanExport.h"

struct BScanIdcode {                 // IDCODE_REGISTER or USERCODE_REGISTER
    std::string pattern;             // 32 characters of '0','1','X' (upper case), most significant bit first, quoted pieces joined
    uint32_t value = 0;              // the 1 bits (X read as 0)
    uint32_t mask = 0;               // 1 where the bit is 0 or 1, 0 where X (don't care)
    unsigned version = 0;            // bits 31..28
    unsigned partNumber = 0;         // bits 27..12
    unsigned manufacturer = 0;       // bits 11..1 (JEP106 bank-less code)
    long long line = 0;              // line of the attribute statement
    bool Matches(uint32_t id) const { return (id & mask) == (value & mask); }
};

class BSCAN_API BScanDevice {
public:
    BScanDevice();
    ~BScanDevice();
    BScanDevice(BScanDevice&& other) noexcept;
    BScanDevice& operator=(BScanDevice&& other) noexcept;
    BScanDevice(const BScanDevice&) = delete;
    BScanDevice& operator=(const BScanDevice&) = delete;

    // The whole read: the core read (Initialize with messageDir, then Read;
    // presets, one byte per cell, set with SetBSCANBitArray first) and the
    // light pass. Returns the core's code (0 or negative, e.g. -10 when the
    // file cannot be opened). A missing message file does not stop the read.
    int Read(const std::string& path, const std::string& messageDir,
             const std::vector<unsigned char>& presets = {});
    // Only the light pass, without the core read: entity, package, every
    // attribute, IDCODE. Returns 0, or -10 when the file cannot be opened.
    int ReadDescription(const std::string& path);

    BScanParser& Parser();
    const BScanParser& Parser() const;
    int ReadResult() const;                 // the core's code (0 after ReadDescription)
    long long ReadFailureLine() const;      // the core's line counter at the failure, 0 without one
    bool CoreRead() const;                  // Read ran the core (not ReadDescription alone)
    const std::string& Path() const;
    const std::string& Entity() const;      // "" when none
    const std::string& Package() const;     // PHYSICAL_PIN_MAP in lower case; "" when none
    const BScanIdcode* Idcode() const;      // null without a well-formed 32-bit IDCODE_REGISTER
    const BScanIdcode* Usercode() const;
    // From REGISTER_ACCESS NAME[LENGTH] (name ignoring case); BYPASS 1,
    // BOUNDARY the boundary length, DEVICE_ID 32 when not written; -1 unknown.
    long long RegisterLength(const std::string& registerName) const;

    // The light pass, in file order.
    bool DescriptionRead() const;           // the file could be opened and an entity was found
    long long EntityLine() const;
    const std::string& EndName() const;     // the name after "end", "" when none
    long long EndLine() const;              // 0 when the entity has no end
    long long PackageLine() const;
    const std::vector<BScanAttribute>& Attributes() const;
    const BScanAttribute* FindAttribute(const std::string& name) const;  // first, ignoring case
    const std::vector<BScanPortDeclaration>& Ports() const;
    const BScanPortDeclaration* FindPort(const std::string& name) const; // ignoring case
    long long BoundaryLength() const;       // -1 when absent or no number
    long long BoundaryLengthLine() const;
    const std::vector<BScanCellEntry>& BoundaryEntries() const;
    long long BoundaryRegisterLine() const;
    const std::vector<BScanPinMapString>& PinMaps() const;
    const BScanPinMapString* SelectedPinMap() const;  // the one PHYSICAL_PIN_MAP names (ignoring case)
    long long InstructionLength() const;    // -1 when absent or no number
    long long InstructionLengthLine() const;
    const std::string& InstructionCapture() const;    // joined pieces, "" when absent
    long long InstructionCaptureLine() const;
    const std::vector<BScanInstruction>& Instructions() const;
    const BScanInstruction* FindInstruction(const std::string& name) const;  // ignoring case
    const std::vector<BScanNameAtLine>& PrivateInstructions() const;
    const std::vector<BScanRegisterEntry>& RegisterAccess() const;
    const std::vector<BScanPortPair>& PortPairs() const;
    const std::vector<BScanCompliancePatterns>& CompliancePatterns() const;
    const std::vector<BScanTapPort>& TapPorts() const;
    const BScanTapPort* FindTapPort(const std::string& attribute) const;  // e.g. "TAP_SCAN_IN"
    const BScanNameAtLine* DesignWarning() const;      // null when absent
    // The file's lines as read (ReadDescription and Read keep the text):
    // their number, and line `line` (from 1) without its line end, "" out
    // of range.
    long long LineCount() const;
    std::string LineText(long long line) const;
    // Physical lines longer than the core's 254-character read.
    const std::vector<BScanLongLine>& LongLines() const;
    // The file line on which the core's read number `coreLine` stands (the
    // core counts each 254-character read of a long line as a line).
    long long FileLineOfCoreLine(long long coreLine) const;

    struct Description;                     // the light pass's records (device/DeviceDescriptionInternal.h)

private:
    class CoreParser;
    std::unique_ptr<CoreParser> m_parser;
    std::unique_ptr<Description> m_description;
    std::string m_path;
    int m_readResult = 0;
    long long m_failureLine = 0;
    bool m_coreRead = false;
};

#endif
