#include "parser/BScanParser.h"

int BScanParser::ReadPortGroupingAttribute(FILE* file, const char* statement)
{
    (void)file; (void)statement;
    return BSDL_ERR_FILE;
}
