#include "tools/PortDriver.h"

#include "drive/BitImage.h"
#include "drive/Names.h"
#include "drive/PortAssignment.h"

namespace {

std::vector<PortAssignment> ParseAssignments(const std::vector<std::string>& arguments)
{
    std::vector<PortAssignment> assignments;
    for (const std::string& argument : arguments) {
        PortAssignment assignment;
        std::string error;
        if (!ParsePortAssignment(argument, assignment, error))
            throw UsageError(error);
        assignments.push_back(assignment);
    }
    return assignments;
}

void Drive(BScanPinMap& map, const PortAssignment& assignment, bool mask)
{
    KPinNode* node = ResolvePort(map, assignment.port);
    if (!node)
        throw UsageError("no port matches '" + assignment.port + "'");
    const int pin = node->GetPinNumber();
    if (pin <= 0 || map.GetPort(pin) != node)
        throw CommandError("'" + assignment.text + "': the port has no pin number that finds it (" +
                           std::to_string(pin) + "), so the library cannot drive it");
    const PortType direction = DriveDirection(assignment, *node);
    const int result = mask ? map.setPort(pin, direction, assignment.value, true)
                            : map.setPort(pin, direction, assignment.value);
    if (result < 0)
        throw CommandError("'" + assignment.text + "': the library refused to drive pin " +
                           std::to_string(pin) + " as " + PortTypeName(direction) +
                           " (setPort gave " + std::to_string(result) + ")");
}

}  // namespace

BScanPinMap* ReadAndDrive(DeviceParser& parser, const CommandOptions& options, bool mask)
{
    const std::vector<PortAssignment> assignments = ParseAssignments(options.assignments);
    std::vector<unsigned char> presets;
    if (!options.preset.empty() && !ParsePresetHex(options.preset, presets))
        throw UsageError("--preset takes hex digits, two per byte of the image");
    ReadDevice(parser, options.file, presets);

    BScanPinMap* map = parser.GetPinMap();
    if (!map) {
        if (!assignments.empty())
            throw UsageError("no port matches '" + assignments.front().port + "': the file declares no ports");
        return nullptr;
    }
    if (mask)
        map->InitBSCANBitArray();
    for (const PortAssignment& assignment : assignments)
        Drive(*map, assignment, mask);
    return map;
}

void DriveAssignment(BScanPinMap& map, const PortAssignment& assignment, bool mask)
{
    Drive(map, assignment, mask);
}
