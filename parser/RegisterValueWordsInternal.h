// The words of a boundary register entry's values (internal, not
// installed): the safe value, the disable value and the disabled state,
// as the boundary register reader tells them in an entry of any form.
#ifndef BSCAN_REGISTERVALUEWORDSINTERNAL_H
#define BSCAN_REGISTERVALUEWORDSINTERNAL_H

#include <cstring>
#include <string_view>

#include "model/Signals.h"
#include "util/AsciiCaseInternal.h"
#include "util/Platform.h"

namespace boundary_register {

// A whole text compared with an upper-case word without regard to case, as
// the platform's compare has it; a text holding a NUL matches no word. The
// ASCII bytes are compared here (the words hold no 'I', the one ASCII
// letter some locales fold differently); a text that matches but for bytes
// above 0x7F goes to the platform's compare.
inline bool EqualsWordNoCase(std::string_view text, const char* word)
{
    char copy[8];
    const size_t length = std::strlen(word);
    if (text.size() != length || length >= sizeof copy)
        return false;
    bool plain = true;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] == '\0')
            return false;
        if (static_cast<unsigned char>(text[i]) >= 0x80)
            plain = false;
        else if (bscan_text::UpperChar(text[i]) != word[i])
            return false;
    }
    if (plain)
        return true;
    std::memcpy(copy, text.data(), length);
    copy[length] = '\0';
    return bscan_platform::CompareNoCase(copy, word) == 0;
}

inline bool ConvertDisableValue(std::string_view text, eSignal& value)
{
    if (text != "1" && text != "0")
        return false;
    value = text == "1" ? SIGNAL_HIGH : SIGNAL_LOW;
    return true;
}

// A safe value is a disable value or X in either case.
inline bool ConvertSafeValue(std::string_view text, eSignal& value)
{
    if (EqualsWordNoCase(text, "X")) {
        value = SIGNAL_X;
        return true;
    }
    return ConvertDisableValue(text, value);
}

// Z, or WEAK or PULL followed by 0 or 1.
inline bool ConvertDisabledState(std::string_view text, eSignal& value)
{
    if (EqualsWordNoCase(text, "Z")) {
        value = SIGNAL_Z;
        return true;
    }
    if (text.size() != 5 || (text[4] != '0' && text[4] != '1'))
        return false;
    const bool one = text[4] == '1';
    if (EqualsWordNoCase(text.substr(0, 4), "WEAK"))
        value = one ? SIGNAL_WEAK1 : SIGNAL_WEAK0;
    else if (EqualsWordNoCase(text.substr(0, 4), "PULL"))
        value = one ? SIGNAL_PULL1 : SIGNAL_PULL0;
    else
        return false;
    return true;
}

}  // namespace boundary_register

#endif
