// BOUNDARY_LENGTH: sizes the pin map's cell table and scan bit image.
//
// The statement is completed up to its ';'. The number is the last word
// before the ';' (after the last blank, newline or tab), converted as atoi
// does: optional sign, then leading decimal digits, 0 when there are none.
// The conversion runs in 64 bits and stops growing far above any accepted
// length, so long digit strings never overflow.
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

namespace {

// atoi's reading of a number, saturated at +-2^62 instead of overflowing.
long long ReadLengthNumber(const std::string& text)
{
    const long long ceiling = 1LL << 62;
    size_t i = 0;
    while (i < text.size() && KIsWhiteSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long number = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        // Below ceiling / 10 one more digit cannot overflow; past it the
        // number stays at the ceiling, whatever digits follow.
        number = number < ceiling / 10 ? number * 10 + (text[i] - '0') : ceiling;
    }
    return negative ? -number : number;
}

}  // namespace

int BScanParser::ReadBSCANBoundaryLength(FILE* file, char* statement)
{
    try {
        KString ks;
        std::string buffer(statement != nullptr ? statement : "");
        int result = CompleteStatement(file, buffer, ';');
        if (result < 0)
            return result;

        std::string text;
        ks.Left(text, buffer, ks.Find(buffer, ';'));
        ks.TrimRight(text);
        std::string word;
        ks.Right(word, text, static_cast<int>(text.size()) - ks.ReverseFindOneOf(text, " \n\t") - 1);
        ks.TrimLeft(word);
        const long long number = ReadLengthNumber(word);

        if (m_pinMap == nullptr)
            return BSDL_ERR_NO_PIN_MAP;
        if (number <= 0 || number > BSCAN_MAX_BOUNDARY_LENGTH)
            return BSDL_ERR_BAD_VALUE;

        m_pinMap->AllocateBScanCellTable(static_cast<int>(number));
        if (m_pinMap->GetBScanLength() != number)
            return BSDL_ERR_NO_MEMORY;              // the pin map could not make the table
        return BSDL_OK;
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    } catch (const std::length_error&) {
        return BSDL_ERR_NO_MEMORY;
    }
}
