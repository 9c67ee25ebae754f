// `bscan ports FILE`: one row per port node.
//
// DIR and VALUE are the pin map's answers for the node's pin number
// (GetPortDirection, GetPortValue); a node that its pin number does not
// find (no pin number, or one the lookup cannot reach) shows "-" there.
// IN, OUT, CTL and OBS are the cells that play the port's roles.
#include "tools/Commands.h"
#include "drive/Names.h"
#include "drive/PortCatalog.h"
#include "tools/TextTable.h"

namespace {

std::string CellNumber(const KBScanCell* cell)
{
    return cell ? NumberOrDash(cell->GetBoundaryCellPosition()) : "-";
}

std::string DifferentialMark(const KPinNode& node)
{
    if (node.IsPositive())
        return node.IsNegative() ? "+-" : "+";
    return node.IsNegative() ? "-" : "";
}

}  // namespace

void RunPorts(const CommandOptions& options, std::ostream& out)
{
    DeviceParser parser;
    ReadDevice(parser, options.file);
    TextTable table({"PIN", "PIN NAME", "PORT", "TYPE", "DIR", "VALUE", "IN", "OUT", "CTL", "OBS", "DIFF"});
    if (BScanPinMap* map = parser.GetPinMap()) {
        for (const PortEntry& entry : ListPorts(*map)) {
            const KPinNode& node = *entry.node;
            const int pin = node.GetPinNumber();
            const CellRoles roles = SelectCellRoles(node);
            table.AddRow({NumberOrDash(pin),
                          node.GetPinName() ? node.GetPinName() : "-",
                          entry.label,
                          PortTypeName(node.GetPortType()),
                          entry.reachable ? PortTypeName(map->GetPortDirection(pin)) : "-",
                          entry.reachable ? SignalName(map->GetPortValue(pin)) : "-",
                          CellNumber(roles.input),
                          CellNumber(roles.output),
                          CellNumber(roles.control),
                          CellNumber(roles.observe),
                          DifferentialMark(node)});
        }
    }
    table.Print(out);
}
