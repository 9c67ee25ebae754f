// Cell presets given by the host before a file is read: one value byte and
// one mask byte per cell number, the preset a stored cell takes as initial
// value. Both arrays are count + 1 bytes long, replaced as a whole by every
// call and kept across Reset and Initialize; the mask defaults to all 0xFF.
// A negative count is taken as 0; null values preset every value byte to 0.
// When the arrays cannot be allocated the old presets stay and the result
// is BSDL_ERR_NO_MEMORY.
#include <cstring>
#include <memory>
#include <new>

#include "parser/BScanParser.h"

int BScanParser::SetBSCANBitArray(unsigned char* values, int count, unsigned char* mask)
{
    if (count < 0)
        count = 0;
    const size_t size = static_cast<size_t>(count) + 1;

    std::unique_ptr<unsigned char[]> newValues(new (std::nothrow) unsigned char[size]());
    std::unique_ptr<unsigned char[]> newMask(new (std::nothrow) unsigned char[size]());
    if (!newValues || !newMask)
        return BSDL_ERR_NO_MEMORY;

    if (values != nullptr && count > 0)
        std::memcpy(newValues.get(), values, static_cast<size_t>(count));
    std::memset(newMask.get(), 0xFF, static_cast<size_t>(count));
    if (mask != nullptr && count > 0)
        std::memcpy(newMask.get(), mask, static_cast<size_t>(count));

    delete[] m_presetValues;
    delete[] m_presetMask;
    m_presetValues = newValues.release();
    m_presetMask = newMask.release();
    m_presetCount = count;
    return BSDL_OK;
}
