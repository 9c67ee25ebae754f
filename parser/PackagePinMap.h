// The package database of the pre-pass (internal, not exported): the name
// of the package (the PIN_MAP_STRING constant's name in lower case) and its
// pin names, normalised and sorted, a pin's number being its position + 1.
//
// Every name of a package is its letters followed by the decimal digits of
// its number (VCC and 0 give VCC0), and no name is there twice. A package
// is filled once, one of two ways:
// - the usual grid package, whose pins have at most three letters, has
//   names of at most eight bytes (three letters, five digits): each is kept
//   as one integer made of its bytes, together with its position, in a
//   table of such slots; a name looked up is made into its integer, so
//   that finding it compares one integer in one slot;
// - pins with more letters are kept as text, each name followed by a NUL,
//   with the offset where each begins and an open-addressing table of
//   positions hashed on the names' bytes.
// Either way a package of thousands of pins is a handful of allocations.
#ifndef BSCAN_PACKAGEPINMAP_H
#define BSCAN_PACKAGEPINMAP_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "util/KObject.h"

class PackagePinMap : public KObject {
public:
    PackagePinMap() = default;
    PackagePinMap(const PackagePinMap&) = default;
    PackagePinMap& operator=(const PackagePinMap&) = default;
    ~PackagePinMap() override;

    void SetName(const char* name);
    const char* GetName() const;

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
    void FileShortName(uint64_t name)
    {
        const size_t mask = m_shortSlots.size() - 1;
        size_t slot = ShortSlot(name);
        while (m_shortSlots[slot].name != 0)
            slot = (slot + 1) & mask;
        m_shortSlots[slot] = ShortSlotEntry{name, ++m_shortCount};
    }

    // Adds the pins of `parts` (letters and number each), in their order;
    // on failure (std::bad_alloc) none of them is added.
    void AddGridPins(const std::vector<std::pair<std::string, uint16_t>>& parts);

    // Position of the pin named exactly `pin` (of `length` bytes, or up to
    // its NUL), counted from 1; 0 when none.
    int FindPin(const char* pin) const;
    int FindPin(const char* pin, size_t length) const
    {
        if (m_shortSlots.empty())
            return FindNamedPin(pin, length);
        // A name longer than any of the package's is not there.
        if (length == 0 || length > kLongestShortName)
            return 0;
        const uint64_t name = ShortName(pin, length);
        const size_t mask = m_shortSlots.size() - 1;
        for (size_t slot = ShortSlot(name);; slot = (slot + 1) & mask) {
            const ShortSlotEntry& entry = m_shortSlots[slot];
            if (entry.name == name)
                return entry.position;
            if (entry.name == 0)
                return 0;
        }
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

    // The first slot to try for a short name: the top bits of its product
    // with a large odd constant, which mixes every byte of the name in.
    size_t ShortSlot(uint64_t name) const
    {
        return static_cast<size_t>((name * 0x9E3779B97F4A7C15ull) >> m_shortShift);
    }

    // A slot of the table of short names: the name (0 for an empty slot)
    // and its position, from 1.
    struct ShortSlotEntry {
        uint64_t name;
        int position;
    };

    // A slot of the table of names: the position (from 1) of the first pin
    // of a name, 0 for an empty slot, and the name's hash, compared before
    // the names are.
    struct Slot {
        uint32_t hash;
        int position;
    };

    // FindPin in the table of names as text.
    int FindNamedPin(const char* pin, size_t length) const;
    static uint32_t Hash(const char* text, size_t length);
    // The slot of the name `pin` (length bytes, hashed to `hash`): the one
    // holding its first position, or the empty one where it would be filed.
    size_t SlotOf(const char* pin, size_t length, uint32_t hash) const;
    void GrowTable(size_t slotCount);

    std::string m_name;
    // Short names: a power of two of slots, at most two thirds in use.
    std::vector<ShortSlotEntry> m_shortSlots;
    unsigned m_shortShift = 64;                    // 64 less the log2 of the slot count
    int m_shortCount = 0;
    // Names as text.
    std::vector<char> m_text;                      // every pin name, each followed by a NUL
    std::vector<size_t> m_offsets;                 // where pin name i begins in m_text
    std::vector<Slot> m_slots;                     // a power of two of slots, at most two thirds in use
};

#endif
