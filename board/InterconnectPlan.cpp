#include "board/InterconnectPlan.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <utility>

#include "util/AsciiCaseInternal.h"

namespace {

using bscan_text::Upper;

// Where each (device, output cell) sits: its net and its index among the
// net's boundary-scan pins (net -1 for a mapped pin on no net).
struct OutputPlace {
    int net = -1;
    int pin = -1;
};

class Planner {
public:
    Planner(const std::vector<BoardDevice>& devices, const Netlist& netlist, const InterconnectOptions& options)
        : m_options(options)
    {
        m_plan.devices = devices;
        for (size_t i = 0; i < devices.size(); ++i)
            m_deviceByName.emplace(Upper(devices[i].name), static_cast<int>(i));
        for (const Net& net : netlist.nets)
            m_plan.nets.push_back(Classify(net));
        m_candidate.assign(m_plan.nets.size(), false);
        for (size_t n = 0; n < m_plan.nets.size(); ++n)
            m_candidate[n] = Screen(m_plan.nets[n]);
        PlaceOutputs();
    }

    InterconnectPlan Run()
    {
        // Nets that only outputs on shared control cells can drive come
        // first: enabling such a cell drives other nets with it, which then
        // keep that driver. Nets with an output of its own come after and
        // take it when nothing drives them yet.
        std::vector<int> order;
        for (int pass = 0; pass < 2; ++pass)
            for (size_t n = 0; n < m_plan.nets.size(); ++n)
                if (m_candidate[n] && HasOwnControl(m_plan.nets[n]) == (pass == 1))
                    order.push_back(static_cast<int>(n));
        for (int n : order)
            if (m_plan.nets[static_cast<size_t>(n)].driver < 0)
                ChooseDriver(n);
        for (size_t n = 0; n < m_plan.nets.size(); ++n)
            if (m_plan.nets[n].tested)
                m_plan.tested.push_back(static_cast<int>(n));
        for (const auto& held : m_enabled)
            m_plan.enables.push_back({held.first.first, held.first.second, held.second});
        ChooseModes();
        return std::move(m_plan);
    }

private:
    PlannedNet Classify(const Net& net)
    {
        PlannedNet planned;
        planned.name = net.name;
        planned.line = net.line;
        for (const NetPin& pin : net.pins) {
            OtherPin other;
            other.ref = pin.ref;
            other.pin = pin.pin;
            auto found = m_deviceByName.find(Upper(pin.ref));
            if (found == m_deviceByName.end()) {
                other.reason = "not in the chain";
                planned.others.push_back(other);
                continue;
            }
            const BoardDevice& device = m_plan.devices[static_cast<size_t>(found->second)];
            other.ref = device.name;
            if (!device.described) {
                other.reason = "no BSDL file";
                planned.others.push_back(other);
                continue;
            }
            const BoardPin* mapped = device.FindPin(pin.pin);
            if (!mapped) {
                other.reason = "not mapped by the BSDL file";
                planned.others.push_back(other);
                continue;
            }
            other.pin = mapped->pin;
            if (mapped->linkage) {
                other.reason = "linkage pin " + mapped->port + " (power, ground or analog)";
                other.linkage = true;
                planned.others.push_back(other);
                continue;
            }
            if (!mapped->HasCells()) {
                other.reason = "no boundary cell (" + mapped->port + ")";
                planned.others.push_back(other);
                continue;
            }
            ScanPin scan;
            scan.device = found->second;
            scan.ref = device.name;
            scan.pin = mapped->pin;
            scan.port = mapped->port;
            scan.output = mapped->output;
            if (scan.output >= 0) {
                const BoardCell& cell = device.cells[static_cast<size_t>(scan.output)];
                scan.control = cell.control;
                scan.disableValue = cell.disableValue;
            }
            scan.capture = mapped->input >= 0 ? mapped->input : mapped->observe;
            planned.pins.push_back(scan);
        }
        return planned;
    }

    // The reasons that keep a net from the test whatever the drivers.
    bool Screen(PlannedNet& net)
    {
        for (const OtherPin& other : net.others)
            if (other.linkage) {
                net.reason = "pin " + other.ref + "." + other.pin + " is a " + other.reason;
                return false;
            }
        if (net.pins.empty()) {
            net.reason = "no boundary-scan pin";
            return false;
        }
        if (!net.others.empty() && !m_options.driveUnknown) {
            const OtherPin& other = net.others.front();
            net.reason = "pin " + other.ref + "." + other.pin + " has no boundary scan (" + other.reason + ")";
            return false;
        }
        int drivers = 0, fixed = 0;
        std::string fixedNames;
        for (const ScanPin& pin : net.pins) {
            if (!pin.CanDrive())
                continue;
            ++drivers;
            if (pin.control < 0) {
                fixedNames += (fixed++ ? ", " : "") + pin.Name();
            }
        }
        if (drivers == 0) {
            net.reason = "no boundary-scan driver";
            return false;
        }
        if (net.pins.size() < 2) {
            net.reason = "one boundary-scan pin only (" + net.pins.front().Name() + ")";
            return false;
        }
        if (fixed > 1) {
            net.reason = "outputs that cannot be switched off fight (" + fixedNames + ")";
            return false;
        }
        return true;
    }

    void PlaceOutputs()
    {
        for (size_t n = 0; n < m_plan.nets.size(); ++n) {
            const PlannedNet& net = m_plan.nets[n];
            for (size_t p = 0; p < net.pins.size(); ++p)
                if (net.pins[p].CanDrive())
                    m_places[{net.pins[p].device, net.pins[p].output}] = {static_cast<int>(n), static_cast<int>(p)};
        }
    }

    // A net has a receiver on a pin other than `driver`.
    static bool HasOtherReceiver(const PlannedNet& net, int driver)
    {
        for (size_t p = 0; p < net.pins.size(); ++p)
            if (static_cast<int>(p) != driver && net.pins[p].CanReceive())
                return true;
        return false;
    }

    // The order drivers are tried in: an output that cannot be switched
    // off first (it drives anyway), then outputs that read their own pin
    // back (an open at the driver then shows), then fewer outputs on the
    // same control cell; netlist order otherwise.
    std::vector<int> DriverOrder(const PlannedNet& net) const
    {
        std::vector<int> order;
        for (size_t p = 0; p < net.pins.size(); ++p)
            if (net.pins[p].CanDrive() && !net.pins[p].DrivesOneValue())
                order.push_back(static_cast<int>(p));
        for (int p : order)
            if (net.pins[static_cast<size_t>(p)].control < 0)
                return {p};
        auto rank = [&](int p) {
            const ScanPin& pin = net.pins[static_cast<size_t>(p)];
            return std::make_pair(pin.CanReceive() ? 0 : 1, GroupSize(pin.device, pin.control));
        };
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return rank(a) < rank(b); });
        return order;
    }

    // The net has a driver that cannot be switched off or whose control
    // cell switches nothing else.
    bool HasOwnControl(const PlannedNet& net) const
    {
        for (const ScanPin& pin : net.pins)
            if (pin.CanDrive() && !pin.DrivesOneValue() && (pin.control < 0 || GroupSize(pin.device, pin.control) == 1))
                return true;
        return false;
    }

    int GroupSize(int device, int control) const
    {
        int size = 0;
        for (const BoardCell& cell : m_plan.devices[static_cast<size_t>(device)].cells)
            if (cell.control == control)
                ++size;
        return size;
    }

    // Tries pin `p` as the driver of net `n`. On success records it and the
    // nets its control cell makes driven with it; else `why` says why not.
    bool TryDriver(int n, int p, std::string& why)
    {
        PlannedNet& net = m_plan.nets[static_cast<size_t>(n)];
        const ScanPin& driver = net.pins[static_cast<size_t>(p)];
        if (!HasOtherReceiver(net, p)) {
            why = "no receiver besides the driver " + driver.Name();
            return false;
        }
        std::vector<std::pair<int, int>> forced;   // (net, pin) driven along
        if (driver.control >= 0) {
            const int enable = 1 - driver.disableValue;
            auto held = m_enabled.find({driver.device, driver.control});
            if (held != m_enabled.end() && held->second != enable) {
                why = "control cell " + std::to_string(driver.control) + " of " + driver.ref +
                      " is held the other way for another net";
                return false;
            }
            const BoardDevice& device = m_plan.devices[static_cast<size_t>(driver.device)];
            for (size_t c = 0; c < device.cells.size(); ++c) {
                const BoardCell& cell = device.cells[c];
                const int number = static_cast<int>(c);
                if (number == driver.output || cell.control != driver.control || cell.disableValue == enable)
                    continue;
                auto place = m_places.find({driver.device, number});
                if (place == m_places.end())
                    continue;   // an output whose pin is on no net
                const int m = place->second.net;
                const int q = place->second.pin;
                const PlannedNet& other = m_plan.nets[static_cast<size_t>(m)];
                const std::string what = "enabling " + driver.ref + " control cell " +
                                         std::to_string(driver.control) + " also enables " +
                                         other.pins[static_cast<size_t>(q)].Name() + " on " + other.name;
                bool again = m == n;
                for (const auto& f : forced)
                    again = again || f.first == m;
                if (again) {
                    why = what + ", a second driver";
                    return false;
                }
                if (other.driver == q)
                    continue;
                if (other.driver >= 0) {
                    why = what + ", which another driver drives";
                    return false;
                }
                if (other.pins.size() == 1 && other.others.empty())
                    continue;   // alone on its net: nothing to fight
                if (!m_candidate[static_cast<size_t>(m)] || !HasOtherReceiver(other, q) ||
                    (DriverOrder(other).size() == 1 && DriverOrder(other).front() != q)) {
                    why = what + ", which could fight";
                    return false;
                }
                forced.emplace_back(m, q);
            }
            m_enabled[{driver.device, driver.control}] = enable;
        }
        net.driver = p;
        net.tested = true;
        net.reason.clear();
        for (const auto& f : forced) {
            PlannedNet& other = m_plan.nets[static_cast<size_t>(f.first)];
            other.driver = f.second;
            other.tested = true;
            other.reason.clear();
        }
        return true;
    }

    void ChooseDriver(int n)
    {
        PlannedNet& net = m_plan.nets[static_cast<size_t>(n)];
        std::string first;
        const std::vector<int> order = DriverOrder(net);
        if (order.empty()) {
            for (const ScanPin& pin : net.pins)
                if (pin.DrivesOneValue()) {
                    net.reason = pin.Name() + " drives one value only (its output cell is its own control cell)";
                    return;
                }
        }
        for (int p : order) {
            std::string why;
            if (TryDriver(n, p, why))
                return;
            if (first.empty())
                first = why;
        }
        net.reason = first;
    }

    void ChooseModes()
    {
        m_plan.modes.assign(m_plan.devices.size(), DeviceMode::Bypass);
        for (const HeldCell& held : m_plan.enables)
            m_plan.modes[static_cast<size_t>(held.device)] = DeviceMode::Extest;
        for (int n : m_plan.tested)
            for (const ScanPin& pin : m_plan.nets[static_cast<size_t>(n)].pins) {
                DeviceMode& mode = m_plan.modes[static_cast<size_t>(pin.device)];
                if (pin.CanDrive())
                    mode = DeviceMode::Extest;
                else if (pin.CanReceive() && mode == DeviceMode::Bypass)
                    mode = DeviceMode::Sample;
            }
        // Outputs that cannot be switched off drive in EXTEST whatever the test
        // does: say so where they sit on a net the test does not drive them on.
        for (const PlannedNet& net : m_plan.nets)
            for (size_t p = 0; p < net.pins.size(); ++p) {
                const ScanPin& pin = net.pins[p];
                if (!pin.CanDrive() || pin.control >= 0 ||
                    m_plan.modes[static_cast<size_t>(pin.device)] != DeviceMode::Extest)
                    continue;
                if (net.tested && net.driver == static_cast<int>(p))
                    continue;
                if (net.pins.size() + net.others.size() > 1)
                    m_plan.warnings.push_back(pin.Name() + " cannot be switched off and drives " + net.name +
                                              " (its safe value) during the test");
            }
    }

    const InterconnectOptions& m_options;
    InterconnectPlan m_plan;
    std::map<std::string, int> m_deviceByName;
    std::vector<bool> m_candidate;
    std::map<std::pair<int, int>, OutputPlace> m_places;
    std::map<std::pair<int, int>, int> m_enabled;   // (device, control cell) -> value held
};

}  // namespace

int InterconnectPlan::FindNet(const std::string& name) const
{
    for (size_t n = 0; n < nets.size(); ++n)
        if (nets[n].name == name)
            return static_cast<int>(n);
    return -1;
}

InterconnectPlan PlanInterconnect(const std::vector<BoardDevice>& devices, const Netlist& netlist,
                                  const InterconnectOptions& options)
{
    Planner planner(devices, netlist, options);
    return planner.Run();
}

const char* DeviceModeName(DeviceMode mode)
{
    switch (mode) {
    case DeviceMode::Extest:
        return "EXTEST";
    case DeviceMode::Sample:
        return "SAMPLE";
    case DeviceMode::Bypass:
    default:
        return "BYPASS";
    }
}
