#include "device/BScanDevice.h"

#include <sys/stat.h>

#include <cstdio>
#include <new>

#include "device/DeviceDescriptionInternal.h"

using bscan_device::SameText;

// The core parser, told whether Initialize got as far as Reset: a negative
// Initialize after Reset is the message file's, and the read goes on.
class BScanDevice::CoreParser final : public BScanParser {
public:
    bool ResetRan() const { return m_resetRan; }
    void ClearResetMark() { m_resetRan = false; }

protected:
    int Reset() override
    {
        m_resetRan = true;
        return BScanParser::Reset();
    }

private:
    bool m_resetRan = false;
};

namespace {

const BScanDevice::Description& EmptyDescription()
{
    static const BScanDevice::Description empty;
    return empty;
}

bool ReadWholeFile(const std::string& path, std::string& text)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    // A regular file is read straight into the text at its size; what
    // stat does not tell (a pipe, a file that grows) is read on in blocks.
    struct stat info;
    if (fstat(fileno(file), &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        text.resize(static_cast<std::size_t>(info.st_size));
        text.resize(std::fread(&text[0], 1, text.size(), file));
    }
    char block[65536];
    std::size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        text.append(block, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    return !failed;
}

}  // namespace

BScanDevice::BScanDevice() : m_parser(new (std::nothrow) CoreParser), m_description(new (std::nothrow) Description) {}
BScanDevice::~BScanDevice() = default;
BScanDevice::BScanDevice(BScanDevice&& other) noexcept = default;
BScanDevice& BScanDevice::operator=(BScanDevice&& other) noexcept = default;

int BScanDevice::ReadDescription(const std::string& path)
{
    m_path = path;
    m_readResult = 0;
    m_failureLine = 0;
    m_coreRead = false;
    try {
        m_description.reset(new Description);
        std::string text;
        if (!ReadWholeFile(path, text))
            return BSDL_ERR_PACKAGE_FILE;
        bscan_device::ReadDescriptionText(text, *m_description);
        m_description->text = std::move(text);
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    }
    return BSDL_OK;
}

int BScanDevice::Read(const std::string& path, const std::string& messageDir,
                      const std::vector<unsigned char>& presets)
{
    int description = ReadDescription(path);
    try {
        m_parser.reset(new CoreParser);
    } catch (const std::bad_alloc&) {
        m_readResult = BSDL_ERR_NO_MEMORY;
        return m_readResult;
    }
    m_coreRead = true;
    if (!presets.empty()) {
        std::vector<unsigned char> values(presets);
        m_parser->SetBSCANBitArray(values.data(), static_cast<int>(values.size()), nullptr);
    }
    int result = m_parser->Initialize(path.c_str(), messageDir.c_str());
    if (result >= 0 || m_parser->ResetRan())
        result = m_parser->Read();
    if (result < 0) {
        m_readResult = result;
        m_failureLine = m_parser->GetLineNumber();
    }
    if (result >= 0 && description == BSDL_ERR_NO_MEMORY)
        return description;
    return m_readResult;
}

BScanParser& BScanDevice::Parser() { return *m_parser; }
const BScanParser& BScanDevice::Parser() const { return *m_parser; }
int BScanDevice::ReadResult() const { return m_readResult; }
long long BScanDevice::ReadFailureLine() const { return m_failureLine; }
bool BScanDevice::CoreRead() const { return m_coreRead; }
const std::string& BScanDevice::Path() const { return m_path; }

#define BSCAN_DESCRIPTION (m_description ? *m_description : EmptyDescription())

const std::string& BScanDevice::Entity() const { return BSCAN_DESCRIPTION.entity; }
const std::string& BScanDevice::Package() const { return BSCAN_DESCRIPTION.package; }

const BScanIdcode* BScanDevice::Idcode() const
{
    return BSCAN_DESCRIPTION.hasIdcode ? &m_description->idcode : nullptr;
}

const BScanIdcode* BScanDevice::Usercode() const
{
    return BSCAN_DESCRIPTION.hasUsercode ? &m_description->usercode : nullptr;
}

long long BScanDevice::RegisterLength(const std::string& registerName) const
{
    const Description& d = BSCAN_DESCRIPTION;
    for (const BScanRegisterEntry& entry : d.registers)
        if (entry.length >= 0 && SameText(entry.name, registerName))
            return entry.length;
    if (SameText(registerName, "BYPASS"))
        return 1;
    if (SameText(registerName, "DEVICE_ID"))
        return 32;
    if (SameText(registerName, "BOUNDARY")) {
        if (d.boundaryLength > 0)
            return d.boundaryLength;
        const BScanPinMap* map = m_parser ? m_parser->GetPinMap() : nullptr;
        if (map && map->GetBScanLength() > 0)
            return map->GetBScanLength();
    }
    return -1;
}

bool BScanDevice::DescriptionRead() const { return BSCAN_DESCRIPTION.read; }
long long BScanDevice::EntityLine() const { return BSCAN_DESCRIPTION.entityLine; }
const std::string& BScanDevice::EndName() const { return BSCAN_DESCRIPTION.endName; }
long long BScanDevice::EndLine() const { return BSCAN_DESCRIPTION.endLine; }
long long BScanDevice::PackageLine() const { return BSCAN_DESCRIPTION.packageLine; }
const std::vector<BScanAttribute>& BScanDevice::Attributes() const { return BSCAN_DESCRIPTION.attributes; }

const BScanAttribute* BScanDevice::FindAttribute(const std::string& name) const
{
    for (const BScanAttribute& attribute : BSCAN_DESCRIPTION.attributes)
        if (SameText(attribute.name, name))
            return &attribute;
    return nullptr;
}

const std::vector<BScanPortDeclaration>& BScanDevice::Ports() const { return BSCAN_DESCRIPTION.ports; }

const BScanPortDeclaration* BScanDevice::FindPort(const std::string& name) const
{
    for (const BScanPortDeclaration& port : BSCAN_DESCRIPTION.ports)
        if (SameText(port.name, name))
            return &port;
    return nullptr;
}

long long BScanDevice::BoundaryLength() const { return BSCAN_DESCRIPTION.boundaryLength; }
long long BScanDevice::BoundaryLengthLine() const { return BSCAN_DESCRIPTION.boundaryLengthLine; }
const std::vector<BScanCellEntry>& BScanDevice::BoundaryEntries() const { return BSCAN_DESCRIPTION.cells; }
long long BScanDevice::BoundaryRegisterLine() const { return BSCAN_DESCRIPTION.boundaryRegisterLine; }
const std::vector<BScanPinMapString>& BScanDevice::PinMaps() const { return BSCAN_DESCRIPTION.pinMaps; }

const BScanPinMapString* BScanDevice::SelectedPinMap() const
{
    const Description& d = BSCAN_DESCRIPTION;
    for (const BScanPinMapString& map : d.pinMaps)
        if (!d.package.empty() && SameText(map.name, d.package))
            return &map;
    return nullptr;
}

long long BScanDevice::InstructionLength() const { return BSCAN_DESCRIPTION.instructionLength; }
long long BScanDevice::InstructionLengthLine() const { return BSCAN_DESCRIPTION.instructionLengthLine; }
const std::string& BScanDevice::InstructionCapture() const { return BSCAN_DESCRIPTION.instructionCapture; }
long long BScanDevice::InstructionCaptureLine() const { return BSCAN_DESCRIPTION.instructionCaptureLine; }
const std::vector<BScanInstruction>& BScanDevice::Instructions() const { return BSCAN_DESCRIPTION.instructions; }

const BScanInstruction* BScanDevice::FindInstruction(const std::string& name) const
{
    for (const BScanInstruction& instruction : BSCAN_DESCRIPTION.instructions)
        if (SameText(instruction.name, name))
            return &instruction;
    return nullptr;
}

const std::vector<BScanNameAtLine>& BScanDevice::PrivateInstructions() const
{
    return BSCAN_DESCRIPTION.privateInstructions;
}
const std::vector<BScanRegisterEntry>& BScanDevice::RegisterAccess() const { return BSCAN_DESCRIPTION.registers; }
const std::vector<BScanPortPair>& BScanDevice::PortPairs() const { return BSCAN_DESCRIPTION.pairs; }
const std::vector<BScanCompliancePatterns>& BScanDevice::CompliancePatterns() const
{
    return BSCAN_DESCRIPTION.compliance;
}
const std::vector<BScanTapPort>& BScanDevice::TapPorts() const { return BSCAN_DESCRIPTION.tapPorts; }

const BScanTapPort* BScanDevice::FindTapPort(const std::string& attribute) const
{
    for (const BScanTapPort& tap : BSCAN_DESCRIPTION.tapPorts)
        if (SameText(tap.attribute, attribute))
            return &tap;
    return nullptr;
}

const BScanNameAtLine* BScanDevice::DesignWarning() const
{
    return BSCAN_DESCRIPTION.hasDesignWarning ? &m_description->designWarning : nullptr;
}

const std::vector<BScanLongLine>& BScanDevice::LongLines() const { return BSCAN_DESCRIPTION.longLines; }

long long BScanDevice::LineCount() const
{
    return static_cast<long long>(BSCAN_DESCRIPTION.lineStarts.size());
}

std::string BScanDevice::LineText(long long line) const
{
    const Description& d = BSCAN_DESCRIPTION;
    if (line < 1 || line > static_cast<long long>(d.lineStarts.size()))
        return std::string();
    const std::size_t start = d.lineStarts[static_cast<std::size_t>(line - 1)];
    std::size_t end = d.text.find('\n', start);
    if (end == std::string::npos)
        end = d.text.size();
    if (end > start && d.text[end - 1] == '\r')
        --end;
    return d.text.substr(start, end - start);
}

long long BScanDevice::FileLineOfCoreLine(long long coreLine) const
{
    const std::vector<long long>& before = BSCAN_DESCRIPTION.coreReadsBefore;
    if (coreLine <= 0 || before.empty())
        return coreLine;
    // The file line k (from 1) holds the core's reads before[k-1] + 1 ..
    // before[k]; find the last line whose first read is at most coreLine.
    std::size_t lo = 0, hi = before.size();
    while (hi - lo > 1) {
        std::size_t mid = (lo + hi) / 2;
        if (before[mid] < coreLine)
            lo = mid;
        else
            hi = mid;
    }
    return static_cast<long long>(lo) + 1;
}
