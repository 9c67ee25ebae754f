#include "parser/BScanParser.h"

int BScanParser::SetBSCANBitArray(unsigned char* values, int count, unsigned char* mask)
{
    (void)values; (void)count; (void)mask;
    return BSDL_OK;
}
