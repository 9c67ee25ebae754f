#include "tools/view/DrivenPorts.h"

#include "drive/Names.h"
#include "drive/PortAssignment.h"
#include "drive/PortCatalog.h"

std::vector<DrivenPort> DescribeDriven(BScanPinMap* map,
                                       const std::vector<std::pair<std::string, std::string>>& arguments)
{
    std::vector<DrivenPort> driven;
    if (!map)
        return driven;
    const std::vector<PortEntry> ports = ListPorts(*map);
    for (const auto& argument : arguments) {
        PortAssignment assignment;
        std::string error;
        KPinNode* node = ParsePortAssignment(argument.second, assignment, error) ? ResolvePort(*map, assignment.port)
                                                                                 : nullptr;
        if (!node)
            continue;
        DrivenPort port;
        port.argument = argument.first;
        port.value = SignalName(assignment.value);
        port.direction = PortTypeName(DriveDirection(assignment, *node));
        for (const PortEntry& entry : ports)
            if (entry.node == node)
                port.label = entry.label;
        driven.push_back(port);
    }
    return driven;
}
