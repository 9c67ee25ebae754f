// Short texts for the library's enumerations, as the tool prints them and
// as the JSON document carries them.
#ifndef BSCAN_TOOL_NAMES_H
#define BSCAN_TOOL_NAMES_H

#include "model/Signals.h"

// "0", "1", "X", "Z", "PULL0", "PULL1", "WEAK0", "WEAK1".
const char* SignalName(eSignal value);
// "in", "out", "inout", "buffer", "none".
const char* PortTypeName(PortType type);
// "BC_0" ... "BC_7", "none".
const char* CellTypeName(CellType type);
// The BSDL function words in lower case ("input", "output3", "observe_only"),
// "none" for a cell without function.
const char* CellFunctionName(CellFunction function);

#endif
