#include "parser/BScanParser.h"

int BScanParser::ReadBSCANBoundaryRegister(FILE* file, char* statement)
{
    (void)file; (void)statement;
    return BSDL_ERR_BAD_VALUE;
}
