// The package database of the pre-pass (internal, not exported): the name
// of the package (the PIN_MAP_STRING constant's name in lower case) and its
// pin names, normalised and sorted, a pin's number being its position + 1.
// An index finds the first position of a pin name in constant time.
#ifndef BSCAN_PACKAGEPINMAP_H
#define BSCAN_PACKAGEPINMAP_H

#include <string>
#include <unordered_map>
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
    int GetPinCount() const;
    const char* GetPinName(int index) const;       // null outside 0..count-1
    // Position of the first pin named exactly `pin`, counted from 1; 0 when none.
    int FindPin(const char* pin) const;

private:
    std::vector<std::string> m_pinNames;
    std::string m_name;
    std::unordered_map<std::string, int> m_firstPosition;
};

#endif
