// `bscan cells FILE`: one row per boundary cell, cell 0 first.
//
// DISVAL and DISRES (the control cell's value that switches the driver off
// and the pin's state then) only mean something for a cell with a control
// cell and show "-" otherwise. BIT is the cell's bit in the scan image.
#include "drive/BitImage.h"
#include "tools/Commands.h"
#include "drive/Names.h"
#include "tools/TextTable.h"

namespace {

std::string TextOrDash(const char* text)
{
    return text && *text ? text : "-";
}

}  // namespace

void RunCells(const CommandOptions& options, std::ostream& out)
{
    DeviceParser parser;
    ReadDevice(parser, options.file);
    TextTable table({"CELL", "TYPE", "FUNCTION", "PIN NAME", "ORIGINAL", "SAFE", "CTL", "DISVAL",
                     "DISRES", "VALUE", "BIT"});
    BScanPinMap* map = parser.GetPinMap();
    const int length = map ? map->GetBScanLength() : 0;
    const unsigned char* image = map ? map->GetBScanBitArray() : nullptr;
    for (int number = 0; number < length; ++number) {
        const KBScanCell* cell = map->GetBScanCell(number);
        if (!cell)
            continue;
        const KBScanCell* control = cell->GetControlCell();
        table.AddRow({std::to_string(number),
                      CellTypeName(cell->GetBScanCellType()),
                      CellFunctionName(cell->GetFunction()),
                      TextOrDash(cell->GetPinName()),
                      TextOrDash(cell->GetOriginalPinName()),
                      SignalName(cell->m_safeValue),
                      control ? NumberOrDash(control->GetBoundaryCellPosition()) : "-",
                      control ? SignalName(cell->m_disableValue) : "-",
                      control ? SignalName(cell->m_disableResult) : "-",
                      SignalName(cell->m_value),
                      image ? std::to_string(ImageBit(image, number)) : "-"});
    }
    table.Print(out);
}
