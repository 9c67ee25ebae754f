// The pin map string: gives every port node its package pin name and pin
// number.
//
// A pin's number is found in the selected package (the PHYSICAL_PIN_MAP
// generic) when the package database holds that package: its position in
// the package's sorted pin list, the name compared exactly as written (A01
// is not A1). Without that package (a numbered package, none selected, or
// another one selected) the number is the value of the name's leading
// digits, 0 when it begins with none.
//
// The k-th pin listed for a port goes to the (k+1)-th node of that name;
// pins beyond a vector's elements are dropped. A pin unknown to the package
// is stored with a negative number, which no lookup by number finds.
#include <climits>
#include <cstring>
#include <string>
#include <string_view>

#include "parser/BScanParser.h"
#include "model/PinMapAccessInternal.h"
#include "parser/PackagePinMap.h"
#include "parser/PinMapStringInternal.h"

namespace {

int LeadingDigitsValue(const char* text)
{
    long long value = 0;
    for (; *text >= '0' && *text <= '9'; ++text) {
        value = value * 10 + (*text - '0');
        if (value > INT_MAX)
            return INT_MAX;
    }
    return static_cast<int>(value);
}

// The package database's package of the selected name, or null.
const PackagePinMap* SelectedPackage(const KObjList* packages, const char* selectedName)
{
    if (!packages || !selectedName)
        return nullptr;
    for (int i = 0; i < packages->GetCount(); ++i) {
        auto* package = static_cast<const PackagePinMap*>(packages->GetAt(i));
        if (package && std::strcmp(package->GetName(), selectedName) == 0)
            return package;
    }
    return nullptr;
}

// A pin's number (the pin ends with a NUL after its `length` bytes): its
// position in the selected package, or the value of its leading digits when
// no package is selected.
BSCAN_ALWAYS_INLINE inline int PinNumber(const PackagePinMap* selected, const char* pinName, size_t length)
{
    if (!selected)
        return LeadingDigitsValue(pinName);
    int position = selected->FindPin(pinName, length);
    return position > 0 ? position : BSDL_ERR_UNKNOWN_PIN;
}

}  // namespace

int BScanParser::MapPinNametoPinNumber(char* pinName)
{
    if (!pinName)
        return BSDL_ERR_NO_PIN_NAME;
    return PinNumber(SelectedPackage(m_packagePinMaps, m_packageType), pinName, std::strlen(pinName));
}

int BScanParser::ReadBSCANPinMap(FILE* file, char* statement)
{
    const std::string start = TextAfterFirstQuote(statement ? statement : "");
    KByteBuffer buffer;
    int result = GetCompleteStringValue(file, start.c_str(), &buffer, false);
    if (result < 0)
        return result;

    // The walk never looks back, so the port name and the pin are ended in
    // place by a NUL over the character behind each; an empty one is "".
    const PackagePinMap* selected = SelectedPackage(m_packagePinMaps, m_packageType);
    const std::string_view value(buffer.GetText());
    char* const writable = const_cast<char*>(value.data());
    char empty[2] = {'\0', '\0'};
    const auto ended = [&](std::string_view part, char* none) {
        if (part.empty()) {
            *none = '\0';
            return none;
        }
        char* text = writable + (part.data() - value.data());
        text[part.size()] = '\0';
        return text;
    };
    WalkPinMapStringViews(value, [&](std::string_view port, int place, std::string_view pin) BSCAN_ALWAYS_INLINE {
        char* portText = ended(port, &empty[0]);
        char* pinText = ended(pin, &empty[1]);
        int number = PinNumber(selected, pinText, pin.size());
        if (m_pinMap)
            PinMapAccess::SerialSetPinNameAndNumber(*m_pinMap, portText, place, pinText, number);
        return true;
    });
    return result;
}
