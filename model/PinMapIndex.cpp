#include "model/PinMapIndex.h"

#include "model/KBScanCell.h"
#include "model/KPinNode.h"

void PinMapIndex::PortNameChanged(KPinNode*, const char*) {}
void PinMapIndex::PinNameChanged(KPinNode*, const char*) {}
void PinMapIndex::PinNumberChanged(KPinNode*, int) {}
void PinMapIndex::CellPinNameChanged(KBScanCell*, const std::string&) {}
void PinMapIndex::CellOriginalNameChanged(KBScanCell*, const std::string&) {}
