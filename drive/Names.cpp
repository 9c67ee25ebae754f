#include "drive/Names.h"

const char* SignalName(eSignal value)
{
    switch (value) {
    case SIGNAL_LOW: return "0";
    case SIGNAL_HIGH: return "1";
    case SIGNAL_X: return "X";
    case SIGNAL_Z: return "Z";
    case SIGNAL_PULL0: return "PULL0";
    case SIGNAL_PULL1: return "PULL1";
    case SIGNAL_WEAK0: return "WEAK0";
    case SIGNAL_WEAK1: return "WEAK1";
    }
    return "?";
}

const char* PortTypeName(PortType type)
{
    switch (type) {
    case PORT_IN: return "in";
    case PORT_OUT: return "out";
    case PORT_INOUT: return "inout";
    case PORT_BUFFER: return "buffer";
    case PORT_NONE: return "none";
    }
    return "?";
}

const char* CellTypeName(CellType type)
{
    static const char* const names[] = {"BC_0", "BC_1", "BC_2", "BC_3", "BC_4",
                                        "BC_5", "BC_6", "BC_7"};
    if (type >= CELL_BC_0 && type <= CELL_BC_7)
        return names[type];
    return "none";
}

const char* CellFunctionName(CellFunction function)
{
    static const char* const names[] = {"input",    "clock",    "output2",   "output3",
                                        "control",  "controlr", "internal",  "bidir",
                                        "bidir_in", "bidir_out", "observe_only"};
    if (function >= FUNC_INPUT && function <= FUNC_OBSERVE_ONLY)
        return names[function];
    return "none";
}
