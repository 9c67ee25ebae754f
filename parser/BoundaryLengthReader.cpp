// BOUNDARY_LENGTH: sizes the pin map's cell table and scan bit image.
//
// The number is the last word before the statement's ';', converted as
// atoi does (held within the range of int). Results: the statement
// reader's code when the statement cannot be completed; BSDL_ERR_NO_PIN_MAP
// without a pin map (tested before the number); BSDL_ERR_BAD_VALUE for a
// length of 0 or less or above BSCAN_MAX_BOUNDARY_LENGTH, the table left
// alone; BSDL_ERR_NO_MEMORY when the table cannot be made; otherwise 0,
// the old table and image replaced by new ones.
#include <new>
#include <stdexcept>
#include <string>

#include "parser/BScanParser.h"
#include "parser/ReaderTextInternal.h"

int BScanParser::ReadBSCANBoundaryLength(FILE* file, char* statement)
{
    try {
        std::string buffer(statement != nullptr ? statement : "");
        int result = CompleteStatement(file, buffer, ';');
        if (result < 0)
            return result;

        const int number = ReaderAtoi(LastWordOfStatement(buffer));

        if (m_pinMap == nullptr)
            return BSDL_ERR_NO_PIN_MAP;
        if (number <= 0 || number > BSCAN_MAX_BOUNDARY_LENGTH)
            return BSDL_ERR_BAD_VALUE;

        m_pinMap->AllocateBScanCellTable(number);
        return m_pinMap->GetBScanLength() == number ? BSDL_OK : BSDL_ERR_NO_MEMORY;
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    } catch (const std::length_error&) {
        return BSDL_ERR_NO_MEMORY;
    }
}
