#include "parser/BScanParser.h"

int BScanParser::ReadAttribute(FILE*, char*) { return BSDL_OK; }
