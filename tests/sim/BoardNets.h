// The wiring of a simulated board: the pins of the chain's devices joined
// by the nets of a netlist, and the faults assembly leaves.
//
// A pin of a device in EXTEST drives when it has an output cell whose
// control cell (if any) does not hold the disable value; it drives the
// value of its output cell's update stage. A net's value: forced when the
// net is stuck at 0 or 1; else the AND of its drivers' values (the OR when
// SetWiredOr), two shorted nets resolving as one; a net no driver drives
// floats high. A pin reads its net's value; a pin cut off from its net (an
// open) reads what it drives itself, or 1. Every time the drive changes,
// each net (as the netlist has it) with two or more enabled drivers counts
// one fight.
//
// Header only: the simulated TAPs and the in-process test runs include it.
#pragma once

#include <cctype>
#include <map>
#include <numeric>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "board/BoardDevice.h"
#include "board/Netlist.h"

namespace bscan_sim {

class BoardNets {
public:
    BoardNets(const std::vector<BoardDevice>& devices, const Netlist& netlist) : m_devices(devices)
    {
        m_netOfPin.resize(devices.size());
        for (size_t d = 0; d < devices.size(); ++d)
            m_netOfPin[d].assign(devices[d].pins.size(), -1);
        for (size_t n = 0; n < netlist.nets.size(); ++n)
            for (const NetPin& pin : netlist.nets[n].pins) {
                const int d = FindDevice(pin.ref);
                if (d < 0)
                    continue;
                const BoardPin* mapped = devices[static_cast<size_t>(d)].FindPin(pin.pin);
                if (!mapped)
                    continue;
                const size_t p = static_cast<size_t>(mapped - devices[static_cast<size_t>(d)].pins.data());
                m_netOfPin[static_cast<size_t>(d)][p] = static_cast<int>(n);
            }
        m_netCount = netlist.nets.size();
        m_stuck.assign(m_netCount, -1);
        m_group.resize(m_netCount);
        std::iota(m_group.begin(), m_group.end(), 0);
        m_value.assign(m_netCount, 1);
        m_stages.assign(devices.size(), nullptr);
    }

    void SetWiredOr(bool wiredOr) { m_wiredOr = wiredOr; }
    void StuckAt(int net, int value) { m_stuck[static_cast<size_t>(net)] = value; }
    void Short(int a, int b)
    {
        const int group = m_group[static_cast<size_t>(a)];
        const int old = m_group[static_cast<size_t>(b)];
        for (int& g : m_group)
            if (g == old)
                g = group;
    }
    // Cuts pin `pin` of device `device` off its net.
    void Open(int device, const std::string& pin)
    {
        const BoardPin* mapped = m_devices[static_cast<size_t>(device)].FindPin(pin);
        if (mapped)
            m_open.insert({device, static_cast<int>(mapped - m_devices[static_cast<size_t>(device)].pins.data())});
    }

    // The update stage of each device whose pins it drives (a device in
    // EXTEST), null for the others; the pointers must stay valid until the
    // next call.
    void Drive(const std::vector<const std::vector<unsigned char>*>& stages)
    {
        m_stages = stages;
        m_count.assign(m_netCount, 0);
        m_groupValue.assign(m_netCount, -1);
        m_groupStuck.assign(m_netCount, -1);
        for (size_t d = 0; d < m_devices.size(); ++d) {
            if (!m_stages[d])
                continue;
            for (size_t p = 0; p < m_devices[d].pins.size(); ++p) {
                int value;
                const int net = m_netOfPin[d][p];
                if (net < 0 || !Drives(d, p, value))
                    continue;
                ++m_count[static_cast<size_t>(net)];
                if (m_open.count({static_cast<int>(d), static_cast<int>(p)}))
                    continue;
                int& group = m_groupValue[static_cast<size_t>(m_group[static_cast<size_t>(net)])];
                group = group < 0 ? value : (m_wiredOr ? (group | value) : (group & value));
            }
        }
        for (size_t n = 0; n < m_netCount; ++n) {
            if (m_count[n] > 1)
                ++m_fights;
            if (m_stuck[n] >= 0)
                m_groupStuck[static_cast<size_t>(m_group[n])] = m_stuck[n];
        }
        for (size_t n = 0; n < m_netCount; ++n) {
            const size_t group = static_cast<size_t>(m_group[n]);
            m_value[n] = m_groupStuck[group] >= 0 ? m_groupStuck[group] : (m_groupValue[group] >= 0 ? m_groupValue[group] : 1);
        }
    }

    // What device `device`'s capture cells read: its boundary register's
    // capture with every input, clock, bidir and observe_only cell of a
    // mapped pin set from the pin; other cells keep `cells` as given.
    void Capture(size_t device, std::vector<unsigned char>& cells) const
    {
        const BoardDevice& dev = m_devices[device];
        for (size_t p = 0; p < dev.pins.size(); ++p) {
            const BoardPin& pin = dev.pins[p];
            const int value = PinValue(device, p);
            if (pin.input >= 0)
                cells[static_cast<size_t>(pin.input)] = static_cast<unsigned char>(value);
            if (pin.observe >= 0)
                cells[static_cast<size_t>(pin.observe)] = static_cast<unsigned char>(value);
        }
    }

    int PinValue(size_t device, size_t pin) const
    {
        int own;
        const bool drives = Drives(device, pin, own);
        const int net = m_netOfPin[device][pin];
        if (net < 0 || m_open.count({static_cast<int>(device), static_cast<int>(pin)}))
            return drives ? own : 1;
        return m_value[static_cast<size_t>(net)];
    }

    long Fights() const { return m_fights; }
    void ResetFights() { m_fights = 0; }

private:
    int FindDevice(const std::string& ref) const
    {
        for (size_t d = 0; d < m_devices.size(); ++d)
            if (Same(m_devices[d].name, ref))
                return static_cast<int>(d);
        return -1;
    }
    static bool Same(const std::string& a, const std::string& b)
    {
        if (a.size() != b.size())
            return false;
        for (size_t i = 0; i < a.size(); ++i)
            if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
                return false;
        return true;
    }

    bool Drives(size_t device, size_t pin, int& value) const
    {
        const std::vector<unsigned char>* stage = m_stages[device];
        const BoardPin& p = m_devices[device].pins[pin];
        if (!stage || p.output < 0)
            return false;
        const BoardCell& cell = m_devices[device].cells[static_cast<size_t>(p.output)];
        if (cell.control >= 0 && (*stage)[static_cast<size_t>(cell.control)] == cell.disableValue)
            return false;
        value = (*stage)[static_cast<size_t>(p.output)];
        return true;
    }

    const std::vector<BoardDevice>& m_devices;
    std::vector<std::vector<int>> m_netOfPin;      // per device, per pin: net index or -1
    size_t m_netCount = 0;
    std::vector<int> m_stuck;                      // -1, 0 or 1 per net
    std::vector<int> m_group;                      // nets shorted together share a group
    std::vector<int> m_value;
    std::set<std::pair<int, int>> m_open;          // (device, pin index)
    std::vector<const std::vector<unsigned char>*> m_stages;
    std::vector<int> m_count, m_groupValue, m_groupStuck;   // Drive's work, per net or group
    bool m_wiredOr = false;
    long m_fights = 0;
};

}  // namespace bscan_sim
