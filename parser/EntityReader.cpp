#include "parser/BScanParser.h"

int BScanParser::Read() { return BSDL_OK; }
int BScanParser::ReadEntity(FILE*, char*) { return BSDL_OK; }
int BScanParser::ReadGeneric(FILE*, char*) { return BSDL_OK; }
