// Which nets of a board an interconnect test can drive and read, and how.
//
// Every net of the netlist is looked at pin by pin against the chain's
// devices (matched by reference designator, ignoring case):
//  - a boundary-scan pin is a mapped pin of a device with a BSDL file that
//    has boundary cells: it can drive (an output2, output3 or bidir cell,
//    switched by its control cell, or always on when it has none) and/or
//    receive (an input, clock or bidir cell, else an observe_only cell);
//  - any other pin is listed with its reason: a reference not in the
//    chain, a device without BSDL file, a pin the BSDL does not map, a
//    linkage pin (power, ground, analog), a pin without boundary cells.
// A net is tested when it has no linkage pin, no other pin unless
// `driveUnknown`, a driver that can be used and a receiver on another pin.
// An output whose cell is its own control cell drives one value only
// (open drain) and is never used as a driver; it is held off.
//
// Safety, on every pattern: each tested net has exactly one enabled driver;
// every other output of a device in EXTEST is held disabled through its
// control cell. A control cell often serves several outputs: a driver is
// used only when enabling its control cell enables nothing that could
// fight, i.e. every other output it enables sits on no net, alone on its
// net, or becomes the driver of another tested net that has none yet. Else
// another pin drives the net, or it is left untested with the reason.
//
// Devices: EXTEST for a device with an output-capable pin on a tested net
// (its drivers, and the outputs it must hold disabled), SAMPLE for one that
// only receives, BYPASS for the others.
#ifndef BSCAN_BOARD_INTERCONNECTPLAN_H
#define BSCAN_BOARD_INTERCONNECTPLAN_H

#include "util/BScanExport.h"

#include <string>
#include <vector>

#include "board/BoardDevice.h"
#include "board/Netlist.h"

struct ScanPin {
    int device = -1;          // index in the chain
    std::string ref;          // the device's name as in the chain
    std::string pin;          // the package pin as the BSDL file writes it
    std::string port;         // its port label
    int output = -1;          // the cell that drives it, -1 when none
    int control = -1;         // that cell's control cell, -1 when it cannot be switched off
    int disableValue = -1;    // the control value that switches it off
    int capture = -1;         // the cell that reads it (input, else observe_only), -1 when none

    bool CanDrive() const { return output >= 0; }
    // An output cell that is its own control cell drives one value only
    // (open drain): it can hold the net but not drive both values.
    bool DrivesOneValue() const { return output >= 0 && control == output; }
    bool CanReceive() const { return capture >= 0; }
    std::string Name() const { return ref + "." + pin; }
};

struct OtherPin {
    std::string ref;
    std::string pin;
    std::string reason;       // "not in the chain", "no BSDL file", ...
    bool linkage = false;
};

struct PlannedNet {
    std::string name;
    int line = 0;
    std::vector<ScanPin> pins;      // its boundary-scan pins, netlist order
    std::vector<OtherPin> others;
    bool tested = false;
    std::string reason;             // why it is not tested
    int driver = -1;                // index in `pins` of the driver used
};

enum class DeviceMode { Bypass, Sample, Extest };

struct HeldCell {
    int device = -1;
    int cell = -1;
    int value = 0;
};

struct InterconnectOptions {
    bool driveUnknown = false;      // drive nets that touch pins without boundary scan (not linkage pins)
};

struct InterconnectPlan {
    std::vector<BoardDevice> devices;
    std::vector<PlannedNet> nets;         // netlist order
    std::vector<int> tested;              // indexes of the tested nets; code word i + 1 goes to tested[i]
    std::vector<DeviceMode> modes;        // per device
    std::vector<HeldCell> enables;        // control cells held enabling, on every pattern
    std::vector<std::string> warnings;    // outputs that cannot be switched off, driving untested nets

    BSCAN_API int FindNet(const std::string& name) const;   // index, -1 when none
};

BSCAN_API InterconnectPlan PlanInterconnect(const std::vector<BoardDevice>& devices, const Netlist& netlist,
                                            const InterconnectOptions& options = InterconnectOptions());

BSCAN_API const char* DeviceModeName(DeviceMode mode);   // "BYPASS", "SAMPLE", "EXTEST"

#endif
