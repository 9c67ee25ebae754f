#include "parser/BScanParser.h"

int BScanParser::ReadPort(FILE*, char*) { return BSDL_OK; }
int BScanParser::CreatePort(char*) { return BSDL_OK; }
