// The package database of the pre-pass (internal, not exported): the name
// of the package (the PIN_MAP_STRING constant's name in lower case) and its
// pin names, normalised and sorted, a pin's number being its position + 1.
//
// Every name is its letters followed by the decimal digits of its number
// (VCC and 0 give VCC0), and no name is there twice. A package is filled
// once: as text (AddGridPins), or, as the accelerator for pins of at most
// three letters, as short names of at most eight bytes, each kept as one
// integer made of its bytes.
#ifndef BSCAN_PACKAGEPINMAP_H
#define BSCAN_PACKAGEPINMAP_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "util/HashTableInternal.h"
#include "util/KObject.h"

class PackagePinMap : public KObject {
public:
    PackagePinMap() = default;
    PackagePinMap(const PackagePinMap&) = default;
    PackagePinMap& operator=(const PackagePinMap&) = delete;

    void SetName(const std::string& name) { m_name = name; }
    const char* GetName() const { return m_name.c_str(); }

    // The longest name a table of short names holds: three letters and
    // five digits.
    static constexpr size_t kLongestShortName = 8;
    // A name of 1 to kLongestShortName bytes (none of them NUL) as one
    // integer: byte i in bits 8i to 8i+7, the bits above the name zero.
    // Different names give different integers.
    static uint64_t ShortName(const char* name, size_t length)
    {
        if (length >= 4) {
            // Two 4-byte loads that overlap, or meet, in the middle.
            return Little32(name) | Little32(name + length - 4) << (8 * (length - 4));
        }
        const size_t middle = length / 2;
        return static_cast<uint64_t>(static_cast<unsigned char>(name[0])) |
               static_cast<uint64_t>(static_cast<unsigned char>(name[middle])) << (8 * middle) |
               static_cast<uint64_t>(static_cast<unsigned char>(name[length - 1])) << (8 * (length - 1));
    }
    // Makes the table of short names room for `count` pins; then
    // FileShortName files each, in their order.
    void ReserveShortNames(size_t count);
    // Files a short name (not filed before) at the next position.
    void FileShortName(uint64_t name) { m_shortNames[static_cast<long long>(name)] = ++m_count; }

    // Adds the pins of `parts` (letters and number each), in their order.
    void AddGridPins(const std::vector<std::pair<std::string, uint16_t>>& parts);

    // Position of the pin named exactly `pin` (of `length` bytes), counted
    // from 1; 0 when none.
    int FindPin(const char* pin, size_t length) const
    {
        if (!m_short)
            return FindNamedPin(pin, length);
        // A name longer than any of the package's is not there.
        if (length == 0 || length > kLongestShortName)
            return 0;
        const auto* entry = m_shortNames.find(static_cast<long long>(ShortName(pin, length)));
        return entry != nullptr ? entry->second : 0;
    }

private:
    static uint64_t Little32(const char* bytes)
    {
        uint32_t value;
        std::memcpy(&value, bytes, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        value = __builtin_bswap32(value);
#endif
        return value;
    }

    // FindPin among the names kept as text.
    int FindNamedPin(const char* pin, size_t length) const;

    std::string m_name;
    int m_count = 0;                               // the pins filed, either way
    // Short names to their positions, from 1.
    bool m_short = false;
    bscan_util::HashTable<long long, int> m_shortNames;
    // Names as text to their positions, from 1.
    bscan_util::HashTable<std::string, int> m_named;
};

#endif
