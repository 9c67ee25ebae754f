#include "parser/BScanParser.h"

int BScanParser::MapPinNametoPinNumber(char*) { return BSDL_OK; }
int BScanParser::ReadBSCANPinMap(FILE*, char*) { return BSDL_OK; }
