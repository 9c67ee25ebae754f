// The PORT=VALUE[:in|:out] arguments of `drive` and `svf`.
//
// VALUE is 0, 1, X or Z (X and Z in either case). PORT is resolved against
// the pin map in this order, the first that finds a port winning:
//   1. a text of decimal digits only: the pin number (GetPort(int));
//   2. a package pin name, exactly as written in the file (GetPort(const char*));
//   3. NAME(INDEX): the element INDEX of port NAME, NAME ignoring case;
//   4. a port name, ignoring case: its first node (for a vector port the
//      element declared first).
// Without :in or :out the direction follows the port's declared type: in
// for an input port, out for an output or buffer port; an inout port is
// driven as an output, except with Z, which drives it as an input (the
// driver switched off); a port without a direction (linkage) as an input.
#ifndef BSCAN_DRIVE_PORTASSIGNMENT_H
#define BSCAN_DRIVE_PORTASSIGNMENT_H

#include "util/BScanExport.h"

#include <string>

#include "model/BScanPinMap.h"
#include "model/KPinNode.h"
#include "model/Signals.h"

struct PortAssignment {
    std::string text;               // the argument as given
    std::string port;               // the PORT part
    eSignal value = SIGNAL_X;
    bool hasDirection = false;
    PortType direction = PORT_IN;   // meaningful when hasDirection
};

// False, with `error` set, when the argument is not of the form
// PORT=VALUE[:in|:out].
BSCAN_API bool ParsePortAssignment(const std::string& text, PortAssignment& assignment, std::string& error);

// The node PORT names, or null.
BSCAN_API KPinNode* ResolvePort(BScanPinMap& map, const std::string& port);

// The direction to drive the node in (see above).
BSCAN_API PortType DriveDirection(const PortAssignment& assignment, const KPinNode& node);

#endif
