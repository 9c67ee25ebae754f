// Shared enumerations of the device model. The numeric values are part of
// the library's interface.
#ifndef BSCAN_SIGNALS_H
#define BSCAN_SIGNALS_H

// Logic value of a port or a boundary cell.
enum eSignal {
    SIGNAL_LOW = 0,
    SIGNAL_HIGH = 1,
    SIGNAL_X = 2,
    SIGNAL_Z = 3,
    SIGNAL_PULL0 = 4,
    SIGNAL_PULL1 = 5,
    SIGNAL_WEAK0 = 6,
    SIGNAL_WEAK1 = 7
};

// Direction of a port.
enum PortType {
    PORT_IN = 0,
    PORT_OUT = 1,
    PORT_INOUT = 2,
    PORT_BUFFER = 3,
    PORT_NONE = 4
};

// Boundary cell types; CELL_TYPE_NONE for no text or any other text.
enum CellType {
    CELL_BC_0 = 0,
    CELL_BC_1 = 1,
    CELL_BC_2 = 2,
    CELL_BC_3 = 3,
    CELL_BC_4 = 4,
    CELL_BC_5 = 5,
    CELL_BC_6 = 6,
    CELL_BC_7 = 7,
    CELL_TYPE_NONE = 8
};

// Boundary cell functions.
enum CellFunction {
    FUNC_INPUT = 0,
    FUNC_CLOCK = 1,
    FUNC_OUTPUT2 = 2,
    FUNC_OUTPUT3 = 3,
    FUNC_CONTROL = 4,
    FUNC_CONTROLR = 5,
    FUNC_INTERNAL = 6,
    FUNC_BIDIR = 7,
    FUNC_BIDIR_IN = 8,
    FUNC_BIDIR_OUT = 9,
    FUNC_OBSERVE_ONLY = 10,
    FUNC_NONE = 11
};

#endif
