#include "BoardWiring.h"

#include "board/BoardChain.h"
#include "chain/BScanChain.h"

namespace {

bool Value(const std::string& option, const std::string& name, std::string& value)
{
    if (option.compare(0, name.size(), name) != 0)
        return false;
    value = option.substr(name.size());
    return true;
}

}  // namespace

bool BoardWiring::Configure(const BScanChain& chain, const std::vector<std::string>& options, std::string& error)
{
    if (!DescribeChain(chain, m_devices, error))
        return false;
    std::string value;
    for (const std::string& option : options)
        if (Value(option, "--netlist=", value) && !ReadNetlistFile(value, m_netlist, error))
            return false;
    m_nets.reset(new bscan_sim::BoardNets(m_devices, m_netlist));
    for (const std::string& option : options) {
        if (Value(option, "--netlist=", value))
            continue;
        if (option == "--wired-or") {
            m_nets->SetWiredOr(true);
        } else if (Value(option, "--stuck=", value)) {
            const size_t colon = value.rfind(':');
            int net = -1;
            for (size_t n = 0; colon != std::string::npos && n < m_netlist.nets.size(); ++n)
                if (m_netlist.nets[n].name == value.substr(0, colon))
                    net = static_cast<int>(n);
            if (net < 0 || (value.substr(colon + 1) != "0" && value.substr(colon + 1) != "1")) {
                error = "bad " + option;
                return false;
            }
            m_nets->StuckAt(net, value.substr(colon + 1) == "1");
        } else if (Value(option, "--open=", value)) {
            const size_t dot = value.find('.');
            bool found = false;
            for (size_t d = 0; dot != std::string::npos && d < m_devices.size(); ++d)
                if (m_devices[d].name == value.substr(0, dot) && m_devices[d].FindPin(value.substr(dot + 1))) {
                    m_nets->Open(static_cast<int>(d), value.substr(dot + 1));
                    found = true;
                }
            if (!found) {
                error = "bad " + option;
                return false;
            }
        } else if (Value(option, "--short=", value)) {
            const size_t bar = value.find('|');
            int a = -1, b = -1;
            for (size_t n = 0; bar != std::string::npos && n < m_netlist.nets.size(); ++n) {
                if (m_netlist.nets[n].name == value.substr(0, bar))
                    a = static_cast<int>(n);
                if (m_netlist.nets[n].name == value.substr(bar + 1))
                    b = static_cast<int>(n);
            }
            if (a < 0 || b < 0) {
                error = "bad " + option;
                return false;
            }
            m_nets->Short(a, b);
        } else {
            error = "unknown option " + option;
            return false;
        }
    }
    m_stages.resize(m_devices.size());
    return true;
}

void BoardWiring::Refresh(std::vector<TapDevice>& devices)
{
    if (!m_nets)
        return;
    std::vector<const std::vector<unsigned char>*> driving(m_devices.size(), nullptr);
    for (size_t d = 0; d < m_devices.size() && d < devices.size(); ++d) {
        if (!devices[d].Driving())
            continue;
        const std::string stage = devices[d].UpdateStage();
        m_stages[d].assign(stage.size(), 0);
        for (size_t c = 0; c < stage.size(); ++c)
            m_stages[d][c] = stage[c] == '1';
        if (m_stages[d].size() == m_devices[d].cells.size())
            driving[d] = &m_stages[d];
    }
    m_nets->Drive(driving);
    for (size_t d = 0; d < m_devices.size() && d < devices.size(); ++d)
        for (size_t p = 0; p < m_devices[d].pins.size(); ++p) {
            const BoardPin& pin = m_devices[d].pins[p];
            if (pin.input >= 0 || pin.observe >= 0)
                devices[d].SetPinValue(pin.port, m_nets->PinValue(d, p));
        }
}
