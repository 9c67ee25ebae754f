// Reading a file and driving ports on it, shared by `drive` and `svf`.
#ifndef BSCAN_TOOL_PORTDRIVER_H
#define BSCAN_TOOL_PORTDRIVER_H

#include "drive/PortAssignment.h"
#include "tools/Commands.h"

// Checks every PORT=VALUE argument and the --preset text (UsageError),
// reads the file with those presets (CommandError), then drives each port
// in the order given with the three-argument setPort, or, with `mask`,
// clears the image and marks each port's cells with the four-argument
// setPort. A PORT that names no port is a UsageError; a port the library
// cannot reach by its pin number, or a drive it refuses, a CommandError.
// Returns the pin map (null for a file without ports and no arguments).
BScanPinMap* ReadAndDrive(DeviceParser& parser, const CommandOptions& options, bool mask);

// Drives one port as ReadAndDrive does: UsageError when the PORT names no
// port, CommandError when the library cannot reach it by its pin number or
// refuses the drive.
void DriveAssignment(BScanPinMap& map, const PortAssignment& assignment, bool mask);

#endif
