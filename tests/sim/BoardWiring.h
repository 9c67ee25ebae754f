// The nets of the simulated board: the chain's devices joined by the nets
// of a netlist (BoardNets.h), with faults injected, wired to the TAPs. The
// board refreshes the wiring whenever the drive can change (entering
// Update-IR, Update-DR or Test-Logic-Reset): each device in EXTEST drives
// from its update stage, the nets resolve, and every input and
// observe-only cell reads its pin at the next Capture-DR.
//
// Options of bscan_sim, after SECONDS among the pin values:
//     --netlist=FILE        the board's nets (KiCad export or text form)
//     --wired-or            conflicts resolve as wired-OR (default wired-AND)
//     --stuck=NET:0|1       a net stuck at 0 or 1
//     --open=REF.PIN        a pin cut off from its net (it floats high)
//     --short=NET|NET       two nets shorted
// The state file then also has "fights": the number of times a net had
// two or more enabled drivers.
#ifndef BSCAN_TESTS_SIM_BOARDWIRING_H
#define BSCAN_TESTS_SIM_BOARDWIRING_H

#include <memory>
#include <string>
#include <vector>

#include "board/BoardDevice.h"
#include "board/Netlist.h"

#include "BoardNets.h"
#include "TapDevice.h"

class BScanChain;

class BoardWiring {
public:
    // False with `error` for an option it does not know or cannot apply.
    bool Configure(const BScanChain& chain, const std::vector<std::string>& options, std::string& error);
    void Refresh(std::vector<TapDevice>& devices);
    long Fights() const { return m_nets ? m_nets->Fights() : 0; }

private:
    std::vector<BoardDevice> m_devices;
    Netlist m_netlist;
    std::unique_ptr<bscan_sim::BoardNets> m_nets;
    std::vector<std::vector<unsigned char>> m_stages;
};

// True for an argument that is a wiring option.
inline bool IsWiringOption(const std::string& argument)
{
    return argument.compare(0, 2, "--") == 0;
}

#endif
