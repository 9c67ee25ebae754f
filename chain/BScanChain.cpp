#include "chain/BScanChain.h"

#include <cctype>
#include <cstdio>

#include "chain/Instructions.h"
#include "chain/ReadErrorInternal.h"
#include "device/BScanDevice.h"
#include "drive/BitImage.h"
#include "drive/Names.h"
#include "drive/PortAssignment.h"
#include "model/BScanPinMap.h"
#include "model/CInstrOpcode.h"
#include "util/AsciiCaseInternal.h"

namespace {

using bscan_text::Upper;

const CInstrRegisterDesc* InstructionRegister(const BScanChainDevice& device)
{
    return device.HasFile() ? device.device->Parser().GetInstructionRegisterDescription() : nullptr;
}

}  // namespace

BScanChain::BScanChain() = default;
BScanChain::~BScanChain() = default;
BScanChain::BScanChain(BScanChain&&) noexcept = default;
BScanChain& BScanChain::operator=(BScanChain&&) noexcept = default;

int BScanChain::Read(const std::string& chainFile, const std::string& messageDir)
{
    std::vector<ChainFileEntry> entries;
    m_devices.clear();
    m_path = chainFile;
    if (!ReadChainFile(chainFile, entries, m_error))
        return -1;
    return ReadEntries(entries, chainFile, messageDir);
}

int BScanChain::ReadEntries(const std::vector<ChainFileEntry>& entries, const std::string& chainFile,
                            const std::string& messageDir)
{
    m_devices.clear();
    m_error.clear();
    m_path = chainFile;
    for (const ChainFileEntry& entry : entries) {
        BScanChainDevice device;
        device.name = entry.name;
        device.line = entry.line;
        if (entry.irLength > 0) {
            device.irLength = entry.irLength;
            m_devices.push_back(std::move(device));
            continue;
        }
        device.path = entry.resolvedPath;
        device.device = std::make_shared<BScanDevice>();
        const int result = device.device->Read(device.path, messageDir);
        if (result < 0) {
            m_error = FormatBsdlReadError(device.path, device.device->ReadFailureLine(), result, messageDir);
            m_devices.clear();
            return -1;
        }
        const CInstrRegisterDesc* ir = device.device->Parser().GetInstructionRegisterDescription();
        device.irLength = ir ? ir->GetInstructionLength() : 0;
        if (device.irLength <= 0) {
            m_error = chainFile + ":" + std::to_string(entry.line) + ": error: " + entry.name + " (" +
                      device.path + ") has no INSTRUCTION_LENGTH, so the chain cannot be scanned";
            m_devices.clear();
            return -1;
        }
        BScanPinMap* map = device.device->Parser().GetPinMap();
        device.boundaryLength = map ? map->GetBScanLength() : 0;
        m_devices.push_back(std::move(device));
    }
    return 0;
}

const std::string& BScanChain::Error() const { return m_error; }
const std::string& BScanChain::Path() const { return m_path; }
size_t BScanChain::DeviceCount() const { return m_devices.size(); }
const BScanChainDevice& BScanChain::Device(size_t index) const { return m_devices[index]; }
BScanChainDevice& BScanChain::Device(size_t index) { return m_devices[index]; }

int BScanChain::FindDevice(const std::string& name) const
{
    const std::string wanted = Upper(name);
    for (size_t i = 0; i < m_devices.size(); ++i)
        if (Upper(m_devices[i].name) == wanted)
            return static_cast<int>(i);
    return -1;
}

int BScanChain::IrBits() const
{
    int bits = 0;
    for (const BScanChainDevice& device : m_devices)
        bits += device.irLength;
    return bits;
}

int BScanChain::BypassDrBits() const { return static_cast<int>(m_devices.size()); }

std::string BScanChain::InstructionOpcode(size_t index, const std::string& instruction) const
{
    return ShiftableOpcode(FindInstructionNamed(InstructionRegister(m_devices[index]), instruction));
}

std::string BScanChain::BypassOpcode(size_t index) const
{
    std::string opcode = InstructionOpcode(index, "BYPASS");
    if (static_cast<int>(opcode.size()) != m_devices[index].irLength)
        opcode.assign(static_cast<size_t>(m_devices[index].irLength), '1');
    return opcode;
}

std::string BScanChain::PreloadOpcode(size_t index, std::string* name) const
{
    const CInstrOpcode* preload = FindPreloadInstruction(InstructionRegister(m_devices[index]));
    if (preload && name)
        *name = preload->GetInstruction();
    return ShiftableOpcode(preload);
}

std::string BScanChain::InstructionCapture(size_t index) const
{
    const BScanChainDevice& device = m_devices[index];
    const size_t length = static_cast<size_t>(device.irLength);
    if (device.HasFile()) {
        std::string capture = device.device->InstructionCapture();
        bool wellFormed = capture.size() == length;
        for (char& c : capture) {
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            wellFormed = wellFormed && (c == '0' || c == '1' || c == 'X');
        }
        if (wellFormed)
            return capture;
    }
    std::string capture(length, 'X');
    capture[length - 1] = '1';
    if (length >= 2)
        capture[length - 2] = '0';
    return capture;
}

bool BScanChain::HasIdcode(size_t index) const
{
    const BScanChainDevice& device = m_devices[index];
    return device.HasFile() && device.device->Idcode() &&
           !InstructionOpcode(index, "IDCODE").empty();
}

int BScanChain::Drive(const std::vector<std::string>& assignments, std::string& error)
{
    for (const std::string& text : assignments) {
        const size_t dot = text.find('.');
        const size_t equals = text.find('=');
        if (dot == std::string::npos || dot == 0 || (equals != std::string::npos && equals < dot)) {
            error = "'" + text + "' is not of the form NAME.PORT=VALUE[:in|:out]";
            return 1;
        }
        const std::string name = text.substr(0, dot);
        const int index = FindDevice(name);
        if (index < 0) {
            error = m_path + ": error: no device '" + name + "' in the chain ('" + text + "')";
            return 2;
        }
        BScanChainDevice& device = m_devices[static_cast<size_t>(index)];
        PortAssignment assignment;
        if (!ParsePortAssignment(text.substr(dot + 1), assignment, error))
            return 1;
        BScanPinMap* map = PinMap(static_cast<size_t>(index));
        KPinNode* node = map ? ResolvePort(*map, assignment.port) : nullptr;
        if (!node) {
            error = "no port of " + device.name + " matches '" + assignment.port + "'" +
                    (device.HasFile() ? "" : " (the device has no BSDL file)");
            return 1;
        }
        const int pin = node->GetPinNumber();
        if (pin <= 0 || map->GetPort(pin) != node) {
            error = "'" + text + "': the port has no pin number that finds it (" + std::to_string(pin) +
                    "), so the library cannot drive it";
            return 2;
        }
        const PortType direction = DriveDirection(assignment, *node);
        const int result = map->setPort(pin, direction, assignment.value);
        if (result < 0) {
            error = "'" + text + "': the library refused to drive pin " + std::to_string(pin) + " as " +
                    PortTypeName(direction) + " (setPort gave " + std::to_string(result) + ")";
            return 2;
        }
        device.driven = true;
    }
    return 0;
}

BScanPinMap* BScanChain::PinMap(size_t index) const
{
    const BScanChainDevice& device = m_devices[index];
    return device.HasFile() ? device.device->Parser().GetPinMap() : nullptr;
}

std::string BScanChain::ImageBits(size_t index) const
{
    BScanPinMap* map = PinMap(index);
    if (!map)
        return "";
    return ImageBitString(map->GetBScanBitArray(), map->GetBScanLength());
}
