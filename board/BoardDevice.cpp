#include "board/BoardDevice.h"

#include <cctype>

#include "drive/PortCatalog.h"
#include "parser/BScanParser.h"
#include "util/KObjList.h"
#include "util/AsciiCaseInternal.h"

namespace {

using bscan_text::Upper;

bool IsCaptureFunction(CellFunction f)
{
    return f == FUNC_INPUT || f == FUNC_CLOCK || f == FUNC_BIDIR || f == FUNC_BIDIR_IN;
}

bool IsDriveFunction(CellFunction f)
{
    return f == FUNC_OUTPUT2 || f == FUNC_OUTPUT3 || f == FUNC_BIDIR || f == FUNC_BIDIR_OUT;
}

int Bit(eSignal value)
{
    return value == SIGNAL_HIGH || value == SIGNAL_PULL1 || value == SIGNAL_WEAK1 ? 1 : 0;
}

// The opcode with X written 0; "" when it is not `length` characters of
// 0, 1 and X.
std::string UsableOpcode(const std::string& text, size_t length)
{
    if (text.size() != length)
        return "";
    std::string opcode = text;
    for (char& c : opcode) {
        if (c == 'X' || c == 'x')
            c = '0';
        else if (c != '0' && c != '1')
            return "";
    }
    return opcode;
}

}  // namespace

const BoardPin* BoardDevice::FindPin(const std::string& pin) const
{
    for (const BoardPin& candidate : pins)
        if (candidate.pin == pin)
            return &candidate;
    const std::string upper = Upper(pin);
    for (const BoardPin& candidate : pins)
        if (Upper(candidate.pin) == upper)
            return &candidate;
    return nullptr;
}

std::string BoardDevice::Opcode(const std::string& instruction) const
{
    for (const auto& entry : opcodes)
        if (entry.first == instruction)
            return entry.second;
    return "";
}

std::string BoardDevice::PreloadOpcode() const
{
    for (const char* name : {"PRELOAD", "SAMPLE/PRELOAD", "SAMPLE"}) {
        std::string opcode = Opcode(name);
        if (!opcode.empty())
            return opcode;
    }
    return "";
}

std::string BoardDevice::PreloadInstruction() const
{
    for (const char* name : {"PRELOAD", "SAMPLE/PRELOAD", "SAMPLE"})
        if (!Opcode(name).empty())
            return name;
    return "";
}

std::string BoardDevice::SampleOpcode() const
{
    for (const char* name : {"SAMPLE", "SAMPLE/PRELOAD", "PRELOAD"}) {
        std::string opcode = Opcode(name);
        if (!opcode.empty())
            return opcode;
    }
    return "";
}

std::string BoardDevice::BypassOpcode() const
{
    std::string opcode = Opcode("BYPASS");
    return opcode.empty() ? std::string(static_cast<size_t>(irLength > 0 ? irLength : 0), '1') : opcode;
}

bool DescribeDevice(const std::string& name, BScanParser& parser, BoardDevice& device, std::string& error)
{
    device = BoardDevice();
    device.name = name;
    device.described = true;
    const char* entity = parser.GetComponentName();
    device.entity = entity ? entity : "";

    const CInstrRegisterDesc* ir = parser.GetInstructionRegisterDescription();
    device.irLength = ir ? ir->GetInstructionLength() : 0;
    if (device.irLength <= 0) {
        error = "the device has no instruction register";
        return false;
    }
    for (int i = 0; i < ir->GetInstructionOpcodeCount(); ++i) {
        const CInstrOpcode* instruction = ir->GetInstructionOpcode(i);
        const char* opcode = instruction ? instruction->GetOpcode(0) : nullptr;
        const std::string usable = opcode ? UsableOpcode(opcode, static_cast<size_t>(device.irLength)) : "";
        if (!usable.empty())
            device.opcodes.emplace_back(Upper(instruction->GetInstruction()), usable);
    }
    if (device.Opcode("EXTEST").empty()) {
        error = "the device has no EXTEST instruction";
        return false;
    }
    if (device.PreloadOpcode().empty()) {
        error = "the device has neither PRELOAD nor SAMPLE";
        return false;
    }

    BScanPinMap* map = parser.GetPinMap();
    const int length = map ? map->GetBScanLength() : 0;
    if (length <= 0) {
        error = "the device has no boundary register";
        return false;
    }
    device.cells.resize(static_cast<size_t>(length));
    for (int i = 0; i < length; ++i) {
        const KBScanCell* cell = map->GetBScanCell(i);
        if (!cell)
            continue;
        BoardCell& out = device.cells[static_cast<size_t>(i)];
        out.function = cell->GetFunction();
        out.safe = Bit(cell->m_safeValue);
        const KBScanCell* control = cell->GetControlCell();
        if (IsDriveFunction(out.function) && control) {
            const int number = static_cast<int>(control - map->GetBScanCellTable());
            if (number >= 0 && number < length && (cell->m_disableValue == SIGNAL_LOW ||
                                                   cell->m_disableValue == SIGNAL_HIGH)) {
                out.control = number;
                out.disableValue = Bit(cell->m_disableValue);
            }
        }
    }

    for (const PortEntry& entry : ListPorts(*map)) {
        const KPinNode* node = entry.node;
        const char* pinName = node->GetPinName();
        if (!pinName || !*pinName)
            continue;
        BoardPin pin;
        pin.pin = pinName;
        pin.port = entry.label;
        pin.type = node->GetPortType();
        pin.linkage = pin.type == PORT_NONE;
        const KObjList* cells = node->GetBScanCells();
        for (int i = 0; cells && i < cells->GetCount(); ++i) {
            const KBScanCell* cell = static_cast<const KBScanCell*>(cells->GetAt(i));
            if (!cell)
                continue;
            const int number = static_cast<int>(cell - map->GetBScanCellTable());
            if (number < 0 || number >= length)
                continue;
            const CellFunction f = cell->GetFunction();
            if (IsCaptureFunction(f) && pin.input < 0)
                pin.input = number;
            if (IsDriveFunction(f) && pin.output < 0)
                pin.output = number;
            if (f == FUNC_OBSERVE_ONLY && pin.observe < 0)
                pin.observe = number;
        }
        if (pin.HasCells())
            pin.linkage = false;
        device.pins.push_back(pin);
    }
    return true;
}

BoardDevice UndescribedDevice(const std::string& name, int irLength)
{
    BoardDevice device;
    device.name = name;
    device.irLength = irLength;
    return device;
}
