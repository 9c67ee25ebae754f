#include "parser/BScanParser.h"

int BScanParser::ReadRegisterAccess(FILE*, char*) { return BSDL_OK; }
