// BOUNDARY_LENGTH: sizes the pin map's cell table and scan bit image.
//
// The statement is completed up to its ';'. The number is the last word
// before the ';' (after the last blank, newline or tab), converted as atoi
// does: optional sign, then leading decimal digits, 0 when there are none.
// The conversion is held within the range of int, so long digit strings
// never overflow; they are far above any accepted length.
//
// Results: the statement reader's code when the statement cannot be
// completed; BSDL_ERR_NO_PIN_MAP without a pin map (tested before the
// number); BSDL_ERR_BAD_VALUE for 0 (which includes "no number"), for a
// negative length and for a length above BSCAN_MAX_BOUNDARY_LENGTH, none of
// which touches the table; BSDL_ERR_NO_MEMORY when the table cannot be
// made; otherwise 0, the old table and image replaced by new ones.
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
        if (m_pinMap->GetBScanLength() != number)
            return BSDL_ERR_NO_MEMORY;              // the pin map could not make the table
        return BSDL_OK;
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    } catch (const std::length_error&) {
        return BSDL_ERR_NO_MEMORY;
    }
}
