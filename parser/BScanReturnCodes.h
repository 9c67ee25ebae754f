// Result codes shared by every parser operation: 0 on success, a negative
// code on failure. -12 is not used.
#ifndef BSCAN_RETURNCODES_H
#define BSCAN_RETURNCODES_H

#include "util/BScanExport.h"

enum BScanReturnCode {
    BSDL_OK = 0,
    BSDL_ERR_FILE = -1,             // no open stream, BSDL file cannot be opened, cell refused, port grouping
    BSDL_ERR_DIRECTORY = -2,        // the default directory cannot be entered
    BSDL_ERR_READ = -3,             // no further line could be read
    BSDL_ERR_END_OF_FILE = -4,      // the end of the file had already been reached
    BSDL_ERR_SYNTAX = -5,           // not an entity, or a body line with no known keyword
    BSDL_ERR_NO_BUFFER = -6,        // a string value was requested without a buffer
    BSDL_ERR_NO_MEMORY = -7,        // no memory for the pin map, or too many ports
    BSDL_ERR_BAD_VALUE = -8,        // an attribute value is empty, zero or unusable
    BSDL_ERR_NO_PIN_MAP = -9,       // a boundary length or register before any port
    BSDL_ERR_PACKAGE_FILE = -10,    // the package pre-pass cannot open the file
    BSDL_ERR_NO_PIN_NAME = -11,     // no pin name given to the pin-number lookup
    BSDL_ERR_UNKNOWN_PIN = -13,     // the pin name is not in the selected package
    BSDL_ERR_INSTR_LENGTH = -14,    // an instruction length cannot be stored
    BSDL_ERR_INSTR_CAPTURE = -15,   // an instruction capture cannot be stored
    BSDL_ERR_INSTR_OPCODE = -16,    // an instruction opcode entry is malformed
    BSDL_ERR_REGISTER_ACCESS = -17  // a register access entry is malformed
};

// The enumerator's name of a code ("BSDL_ERR_BAD_VALUE" for -8), or null
// for a value that is no code.
BSCAN_API const char* BScanReturnCodeName(int code);

#endif
