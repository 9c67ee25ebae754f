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
// The k-th pin listed for a port goes to the (k+1)-th node of that name, so
// the pins of a vector port reach its elements in the order of the declared
// range and pins beyond the elements are dropped. A pin unknown to the
// package is stored with the negative number, which no lookup by number
// finds. A later pin map string overwrites what an earlier one assigned.
#include <climits>
#include <cstring>
#include <string>
#include <string_view>

#include "parser/BScanParser.h"
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

// A pin's number: its position in the selected package, or the value of its
// leading digits when no package is selected.
int PinNumber(const PackagePinMap* selected, const char* pinName)
{
    if (!selected)
        return LeadingDigitsValue(pinName);
    int position = selected->FindPin(pinName);
    return position > 0 ? position : BSDL_ERR_UNKNOWN_PIN;
}

// Copies `text` with its NUL into `buffer`, which only ever grows, and
// returns the writable copy.
char* CopyInto(std::string& buffer, std::string_view text)
{
    if (buffer.size() < text.size() + 1)
        buffer.resize(text.size() + 1);
    char* copy = &buffer[0];
    if (!text.empty())
        std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}

}  // namespace

int BScanParser::MapPinNametoPinNumber(char* pinName)
{
    if (!pinName)
        return BSDL_ERR_NO_PIN_NAME;
    return PinNumber(SelectedPackage(m_packagePinMaps, m_packageType), pinName);
}

int BScanParser::ReadBSCANPinMap(FILE* file, char* statement)
{
    KString ks;
    std::string text(statement ? statement : "");
    std::string start;
    int quote = ks.Find(text, '"');
    if (quote > 0) {
        ks.Right(start, text, static_cast<int>(text.size()) - quote - 1);
        ks.TrimLeft(start);
    }

    KByteBuffer buffer;
    int result = GetCompleteStringValue(file, start.c_str(), &buffer, false);
    if (result < 0)
        return result;

    // The selected package is looked up once for the whole string. The
    // pin map is handed writable copies of the names, kept in buffers that
    // are reused from pin to pin.
    const PackagePinMap* selected = SelectedPackage(m_packagePinMaps, m_packageType);
    std::string portName;
    std::string pinName;
    WalkPinMapStringViews(buffer.GetText(), [&](std::string_view port, int place, std::string_view pin) {
        char* portText = CopyInto(portName, port);
        char* pinText = CopyInto(pinName, pin);
        int number = PinNumber(selected, pinText);
        if (m_pinMap)
            m_pinMap->SerialSetPinNameAndNumber(portText, place, pinText, number);
        return true;
    });
    return result;
}
