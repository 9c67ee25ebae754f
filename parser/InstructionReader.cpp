#include "parser/BScanParser.h"

int BScanParser::ReadInstructionLength(FILE*, char*) { return BSDL_OK; }
int BScanParser::ReadInstructionOpcode(FILE*, char*) { return BSDL_OK; }
int BScanParser::ReadInstructionCapture(FILE*, char*) { return BSDL_OK; }
