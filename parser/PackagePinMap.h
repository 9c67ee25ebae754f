// The package database of the pre-pass (internal, not exported): the name
// of the package (the PIN_MAP_STRING constant's name in lower case) and its
// pin names, normalised and sorted, a pin's number being its position + 1.
//
// The pin names are kept in one text, each followed by a NUL, with the
// offset where each begins; an open-addressing table of positions, hashed
// on the names' bytes, finds the first position of a pin name in constant
// time. So a package of thousands of pins is a handful of allocations.
#ifndef BSCAN_PACKAGEPINMAP_H
#define BSCAN_PACKAGEPINMAP_H

#include <cstddef>
#include <cstdint>
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
    void AddPinName(const char* pin);
    void AddPinName(const char* pin, size_t length);  // the first length bytes (no NUL among them)
    // Adds the pin named by `letters` followed by the decimal digits of
    // `number` (VCC and 0 give VCC0).
    void AddGridPin(const std::string& letters, uint16_t number);
    // Adds the pins of `parts` (letters and number each, as AddGridPin), in
    // their order; the text grows once for all of them. On failure
    // (std::bad_alloc) none of them is added.
    void AddGridPins(const std::vector<std::pair<std::string, uint16_t>>& parts);
    // Makes room for `count` pins of `textLength` characters in all, so
    // that adding them allocates nothing more.
    void Reserve(size_t count, size_t textLength);
    int GetPinCount() const;
    const char* GetPinName(int index) const;       // null outside 0..count-1
    // Position of the first pin named exactly `pin`, counted from 1; 0 when none.
    int FindPin(const char* pin) const;

private:
    // A table slot: the position (from 1) of the first pin of a name, 0 for
    // an empty slot, and the name's hash, compared before the names are.
    struct Slot {
        uint32_t hash;
        int position;
    };

    static uint32_t Hash(const char* text, size_t length);
    // The slot of the name `pin` (length bytes, hashed to `hash`): the one
    // holding its first position, or the empty one where it would be filed.
    size_t SlotOf(const char* pin, size_t length, uint32_t hash) const;
    // Appends the name just written at the end of m_text (from `offset`)
    // as the next pin and files it unless its name is there already.
    void FileLastName(size_t offset, uint32_t hash);
    void GrowTable(size_t slotCount);

    std::string m_name;
    std::vector<char> m_text;                      // every pin name, each followed by a NUL
    std::vector<size_t> m_offsets;                 // where pin name i begins in m_text
    std::vector<Slot> m_slots;                     // a power of two of slots, at most two thirds in use
};

#endif
