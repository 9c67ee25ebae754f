// Names of the parser's result codes.
#include "parser/BScanReturnCodes.h"

const char* BScanReturnCodeName(int code)
{
    switch (code) {
    case BSDL_OK: return "BSDL_OK";
    case BSDL_ERR_FILE: return "BSDL_ERR_FILE";
    case BSDL_ERR_DIRECTORY: return "BSDL_ERR_DIRECTORY";
    case BSDL_ERR_READ: return "BSDL_ERR_READ";
    case BSDL_ERR_END_OF_FILE: return "BSDL_ERR_END_OF_FILE";
    case BSDL_ERR_SYNTAX: return "BSDL_ERR_SYNTAX";
    case BSDL_ERR_NO_BUFFER: return "BSDL_ERR_NO_BUFFER";
    case BSDL_ERR_NO_MEMORY: return "BSDL_ERR_NO_MEMORY";
    case BSDL_ERR_BAD_VALUE: return "BSDL_ERR_BAD_VALUE";
    case BSDL_ERR_NO_PIN_MAP: return "BSDL_ERR_NO_PIN_MAP";
    case BSDL_ERR_PACKAGE_FILE: return "BSDL_ERR_PACKAGE_FILE";
    case BSDL_ERR_NO_PIN_NAME: return "BSDL_ERR_NO_PIN_NAME";
    case BSDL_ERR_UNKNOWN_PIN: return "BSDL_ERR_UNKNOWN_PIN";
    case BSDL_ERR_INSTR_LENGTH: return "BSDL_ERR_INSTR_LENGTH";
    case BSDL_ERR_INSTR_CAPTURE: return "BSDL_ERR_INSTR_CAPTURE";
    case BSDL_ERR_INSTR_OPCODE: return "BSDL_ERR_INSTR_OPCODE";
    case BSDL_ERR_REGISTER_ACCESS: return "BSDL_ERR_REGISTER_ACCESS";
    default: return nullptr;
    }
}
