#include "parser/BScanParser.h"

int BScanParser::ReadConstant(FILE*, char*) { return BSDL_OK; }
