#include "Board.h"

#include <nlohmann/json.hpp>

#include "chain/BScanChain.h"
#include "chain/ChainScan.h"

Board::Board(const BScanChain& chain)
{
    for (size_t i = 0; i < chain.DeviceCount(); ++i)
        m_devices.emplace_back(chain, i);
}

bool Board::SetPin(const std::string& assignment)
{
    const size_t dot = assignment.find('.');
    const size_t equals = assignment.rfind('=');
    if (dot == std::string::npos || equals == std::string::npos || equals < dot)
        return false;
    const std::string name = assignment.substr(0, dot);
    for (TapDevice& device : m_devices) {
        if (device.Name() == name)
            return device.SetPinValue(assignment.substr(dot + 1, equals - dot - 1),
                                      assignment.substr(equals + 1) == "1");
    }
    return false;
}

int Board::Tdo() const
{
    return m_devices.empty() ? 0 : m_devices.back().Tdo();
}

void Board::Trst()
{
    for (TapDevice& device : m_devices)
        device.Reset();
    ++m_resets;
}

void Board::Write(int tck, int tms, int tdi)
{
    const bool rising = tck && !m_tck;
    m_tck = tck;
    if (!rising || m_devices.empty())
        return;
    ++m_clocks;
    // Every device's TDO before the edge feeds the next device.
    std::vector<int> outs;
    for (const TapDevice& device : m_devices)
        outs.push_back(device.Tdo());
    const TapState state = m_devices.front().State();
    const bool shifting = state == TapState::ShiftDr || state == TapState::ShiftIr;
    if (shifting) {
        if (!m_shifting) {
            m_current = ScanRecord();
            m_current.ir = state == TapState::ShiftIr;
        }
        m_current.tdi.push_back(static_cast<unsigned char>(tdi ? 1 : 0));
        m_current.tdo.push_back(static_cast<unsigned char>(outs.back()));
    }
    for (size_t i = 0; i < m_devices.size(); ++i)
        m_devices[i].Clock(tms, i == 0 ? tdi : outs[i - 1]);
    const TapState after = m_devices.front().State();
    const bool stillShifting = after == TapState::ShiftDr || after == TapState::ShiftIr;
    if (shifting && !stillShifting && (after == TapState::Exit1Dr || after == TapState::Exit1Ir)) {
        m_scans.push_back(m_current);
        m_shifting = false;
    } else {
        m_shifting = shifting && stillShifting;
    }
}

std::string Board::StateJson() const
{
    nlohmann::ordered_json document;
    nlohmann::ordered_json devices = nlohmann::ordered_json::array();
    for (const TapDevice& device : m_devices) {
        nlohmann::ordered_json entry;
        entry["name"] = device.Name();
        entry["state"] = TapStateName(device.State());
        entry["instruction"] = device.Instruction();
        entry["driving"] = device.Driving();
        entry["update_stage"] = device.UpdateStage();
        entry["instructions"] = device.InstructionHistory();
        entry["extest_update_stages"] = device.ExtestUpdateStages();
        devices.push_back(entry);
    }
    nlohmann::ordered_json scans = nlohmann::ordered_json::array();
    for (const ScanRecord& scan : m_scans)
        scans.push_back({{"register", scan.ir ? "IR" : "DR"},
                         {"bits", scan.tdi.size()},
                         {"tdi", ScanBitsHex(scan.tdi)},
                         {"tdo", ScanBitsHex(scan.tdo)}});
    document["clocks"] = m_clocks;
    document["trst_resets"] = m_resets;
    document["devices"] = devices;
    document["scans"] = scans;
    return document.dump(2) + "\n";
}
