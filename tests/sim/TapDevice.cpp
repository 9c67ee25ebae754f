#include "TapDevice.h"

#include <cctype>

#include "chain/BScanChain.h"
#include "device/BScanDevice.h"
#include "drive/PortCatalog.h"
#include "model/BScanPinMap.h"
#include "model/CInstrOpcode.h"

namespace {

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The don't-care bits of an IDCODE pattern read as this (any value must do).
const uint32_t kDontCareFill = 0x5A5A5A5Au;

bool IsInputCapable(CellFunction f)
{
    return f == FUNC_INPUT || f == FUNC_CLOCK || f == FUNC_BIDIR || f == FUNC_BIDIR_IN ||
           f == FUNC_OBSERVE_ONLY;
}

}  // namespace

TapState NextTapState(TapState state, int tms)
{
    switch (state) {
    case TapState::TestLogicReset: return tms ? TapState::TestLogicReset : TapState::RunTestIdle;
    case TapState::RunTestIdle: return tms ? TapState::SelectDr : TapState::RunTestIdle;
    case TapState::SelectDr: return tms ? TapState::SelectIr : TapState::CaptureDr;
    case TapState::CaptureDr: return tms ? TapState::Exit1Dr : TapState::ShiftDr;
    case TapState::ShiftDr: return tms ? TapState::Exit1Dr : TapState::ShiftDr;
    case TapState::Exit1Dr: return tms ? TapState::UpdateDr : TapState::PauseDr;
    case TapState::PauseDr: return tms ? TapState::Exit2Dr : TapState::PauseDr;
    case TapState::Exit2Dr: return tms ? TapState::UpdateDr : TapState::ShiftDr;
    case TapState::UpdateDr: return tms ? TapState::SelectDr : TapState::RunTestIdle;
    case TapState::SelectIr: return tms ? TapState::TestLogicReset : TapState::CaptureIr;
    case TapState::CaptureIr: return tms ? TapState::Exit1Ir : TapState::ShiftIr;
    case TapState::ShiftIr: return tms ? TapState::Exit1Ir : TapState::ShiftIr;
    case TapState::Exit1Ir: return tms ? TapState::UpdateIr : TapState::PauseIr;
    case TapState::PauseIr: return tms ? TapState::Exit2Ir : TapState::PauseIr;
    case TapState::Exit2Ir: return tms ? TapState::UpdateIr : TapState::ShiftIr;
    case TapState::UpdateIr: return tms ? TapState::SelectDr : TapState::RunTestIdle;
    }
    return TapState::TestLogicReset;
}

const char* TapStateName(TapState state)
{
    static const char* const names[] = {"RESET", "IDLE", "DRSELECT", "DRCAPTURE", "DRSHIFT", "DREXIT1",
                                        "DRPAUSE", "DREXIT2", "DRUPDATE", "IRSELECT", "IRCAPTURE",
                                        "IRSHIFT", "IREXIT1", "IRPAUSE", "IREXIT2", "IRUPDATE"};
    return names[static_cast<int>(state)];
}

TapDevice::TapDevice(const BScanChain& chain, size_t index)
{
    const BScanChainDevice& device = chain.Device(index);
    m_name = device.name;
    m_irLength = device.irLength;
    // The file's capture pattern (X captured as 0); X...X01 without file.
    m_irCapture = chain.InstructionCapture(index);
    if (device.HasFile()) {
        const CInstrRegisterDesc* ir = device.device->Parser().GetInstructionRegisterDescription();
        for (int i = 0; ir && i < ir->GetInstructionOpcodeCount(); ++i) {
            const CInstrOpcode* opcode = ir->GetInstructionOpcode(i);
            Opcodes instruction;
            instruction.name = Upper(opcode->GetInstruction());
            for (int j = 0; j < opcode->GetOpcodeCount(); ++j)
                instruction.opcodes.push_back(opcode->GetOpcode(j));
            m_instructions.push_back(instruction);
        }
        if (const BScanIdcode* id = device.device->Idcode()) {
            m_hasIdcode = chain.HasIdcode(index);
            m_idcode = (id->value & id->mask) | (kDontCareFill & ~id->mask);
        }
        if (BScanPinMap* map = chain.PinMap(index)) {
            const int length = map->GetBScanLength();
            m_update.assign(static_cast<size_t>(length > 0 ? length : 0), -1);
            m_inputPort.assign(m_update.size(), -1);
            const KBScanCell* table = map->GetBScanCellTable();
            for (const PortEntry& entry : ListPorts(*map)) {
                const CellRoles roles = SelectCellRoles(*entry.node);
                m_portLabels.push_back(Upper(entry.label));
                m_pinValues.push_back(-1);
                for (const KBScanCell* cell : {roles.input, roles.observe}) {
                    const long number = cell && table ? static_cast<long>(cell - table) : -1;
                    if (number >= 0 && number < length && IsInputCapable(cell->GetFunction()))
                        m_inputPort[static_cast<size_t>(number)] = static_cast<int>(m_portLabels.size() - 1);
                }
            }
        }
    }
    if (m_instructions.empty() || !device.HasFile())
        m_instructions.push_back({"BYPASS", {std::string(static_cast<size_t>(m_irLength), '1')}});
    m_ir.assign(static_cast<size_t>(m_irLength), 0);
    Reset();
}

void TapDevice::Reset()
{
    m_state = TapState::TestLogicReset;
    m_instruction = m_hasIdcode ? "IDCODE" : "BYPASS";
}

bool TapDevice::SetPinValue(const std::string& port, int value)
{
    const std::string wanted = Upper(port);
    for (size_t i = 0; i < m_portLabels.size(); ++i) {
        if (m_portLabels[i] == wanted) {
            m_pinValues[i] = value ? 1 : 0;
            return true;
        }
    }
    return false;
}

std::string TapDevice::UpdateStage() const
{
    std::string text;
    for (signed char bit : m_update)
        text += bit < 0 ? '?' : static_cast<char>('0' + bit);
    return text;
}

TapDevice::Selected TapDevice::SelectedRegister() const
{
    const std::string& name = m_instruction;
    if (name == "IDCODE" && m_hasIdcode)
        return Selected::Idcode;
    if (!m_update.empty() && (name == "EXTEST" || name == "SAMPLE" || name == "PRELOAD" || name == "INTEST" ||
                              name.find("SAMPLE") != std::string::npos || name.find("PRELOAD") != std::string::npos))
        return Selected::Boundary;
    return Selected::Bypass;
}

int TapDevice::Tdo() const
{
    if (m_state == TapState::ShiftIr)
        return m_ir.empty() ? 0 : m_ir[0];
    if (m_state == TapState::ShiftDr)
        return m_dr.empty() ? 0 : m_dr[0];
    return 0;
}

void TapDevice::Clock(int tms, int tdi)
{
    switch (m_state) {
    case TapState::CaptureIr: CaptureIr(); break;
    case TapState::CaptureDr: CaptureDr(); break;
    case TapState::ShiftIr:
    case TapState::ShiftDr: {
        std::vector<unsigned char>& reg = m_state == TapState::ShiftIr ? m_ir : m_dr;
        if (!reg.empty()) {
            reg.erase(reg.begin());
            reg.push_back(static_cast<unsigned char>(tdi ? 1 : 0));
        }
        break;
    }
    default: break;
    }
    const TapState next = NextTapState(m_state, tms);
    m_state = next;
    if (next == TapState::UpdateIr)
        UpdateIr();
    else if (next == TapState::UpdateDr)
        UpdateDr();
    else if (next == TapState::TestLogicReset)
        Reset();
}

void TapDevice::CaptureIr()
{
    for (int i = 0; i < m_irLength; ++i)
        m_ir[static_cast<size_t>(i)] = m_irCapture[static_cast<size_t>(m_irLength - 1 - i)] == '1' ? 1 : 0;
}

void TapDevice::CaptureDr()
{
    switch (SelectedRegister()) {
    case Selected::Bypass: m_dr.assign(1, 0); break;
    case Selected::Idcode:
        m_dr.clear();
        for (int bit = 0; bit < 32; ++bit)
            m_dr.push_back(static_cast<unsigned char>((m_idcode >> bit) & 1u));
        break;
    case Selected::Boundary:
        m_dr.assign(m_update.size(), 0);
        for (size_t cell = 0; cell < m_update.size(); ++cell) {
            const int port = m_inputPort[cell];
            if (port >= 0)
                m_dr[cell] = static_cast<unsigned char>(m_pinValues[static_cast<size_t>(port)] == 1);
            else
                m_dr[cell] = static_cast<unsigned char>(m_update[cell] == 1);
        }
        break;
    }
}

void TapDevice::UpdateIr()
{
    std::string bits(static_cast<size_t>(m_irLength), '0');
    for (int i = 0; i < m_irLength; ++i)
        bits[static_cast<size_t>(m_irLength - 1 - i)] = m_ir[static_cast<size_t>(i)] ? '1' : '0';
    m_instruction = "?" + bits;
    for (const Opcodes& instruction : m_instructions) {
        for (const std::string& opcode : instruction.opcodes) {
            bool match = opcode.size() == bits.size();
            for (size_t i = 0; match && i < bits.size(); ++i)
                match = opcode[i] == 'X' || opcode[i] == 'x' || opcode[i] == bits[i];
            if (match) {
                m_instruction = instruction.name;
                break;
            }
        }
        if (m_instruction[0] != '?')
            break;
    }
    m_history.push_back(m_instruction);
    if (Driving())
        m_extestStages.push_back(UpdateStage());
}

void TapDevice::UpdateDr()
{
    if (SelectedRegister() != Selected::Boundary || m_dr.size() != m_update.size())
        return;
    for (size_t cell = 0; cell < m_update.size(); ++cell)
        m_update[cell] = static_cast<signed char>(m_dr[cell]);
    if (Driving())
        m_extestStages.push_back(UpdateStage());
}
