// Short texts for the library's enumerations, as the tool prints them and
// as the JSON document carries them.
#ifndef BSCAN_DRIVE_NAMES_H
#define BSCAN_DRIVE_NAMES_H

#include "util/BScanExport.h"

#include "model/Signals.h"

// "0", "1", "X", "Z", "PULL0", "PULL1", "WEAK0", "WEAK1".
BSCAN_API const char* SignalName(eSignal value);
// "in", "out", "inout", "buffer", "none".
BSCAN_API const char* PortTypeName(PortType type);
// "BC_0" ... "BC_7", "none".
BSCAN_API const char* CellTypeName(CellType type);
// The BSDL function words in lower case ("input", "output3", "observe_only"),
// "none" for a cell without function.
BSCAN_API const char* CellFunctionName(CellFunction function);

#endif
