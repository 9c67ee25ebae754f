// The words of a boundary register entry's values (internal, not
// installed): the safe value, the disable value and the disabled state,
// as the boundary register reader tells them in an entry of any form.
#ifndef BSCAN_REGISTERVALUEWORDSINTERNAL_H
#define BSCAN_REGISTERVALUEWORDSINTERNAL_H

#include <cstdint>
#include <cstring>
#include <string_view>

#include "model/Signals.h"
#include "util/Platform.h"

namespace boundary_register {

// A whole text compared with a word without regard to case, as the
// platform's compare has it; a text holding a NUL matches no word. A text
// of plain ASCII is compared here (the words hold no 'I', the one ASCII
// letter some locales fold differently); a text with other bytes goes to
// the platform's compare.
inline bool EqualsWordNoCase(std::string_view text, const char* word, size_t wordLength)
{
    char copy[8];
    if (text.size() != wordLength || wordLength >= sizeof copy)
        return false;
    bool plain = true;
    bool equal = true;
    for (size_t i = 0; i < wordLength; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\0')
            return false;
        if (c >= 0x80)
            plain = false;
        const char upper = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        if (upper != word[i])
            equal = false;
        copy[i] = static_cast<char>(c);
    }
    if (plain)
        return equal;
    copy[wordLength] = '\0';
    return bscan_platform::CompareNoCase(copy, word) == 0;
}

inline bool ConvertDisableValue(std::string_view text, eSignal& value)
{
    if (text == "1")
        value = SIGNAL_HIGH;
    else if (text == "0")
        value = SIGNAL_LOW;
    else
        return false;
    return true;
}

// A safe value is a disable value or X in either case.
inline bool ConvertSafeValue(std::string_view text, eSignal& value)
{
    if (EqualsWordNoCase(text, "X", 1)) {
        value = SIGNAL_X;
        return true;
    }
    return ConvertDisableValue(text, value);
}

inline bool ConvertDisabledState(std::string_view text, eSignal& value)
{
    if (text.size() == 1 && (text[0] == 'Z' || text[0] == 'z')) {
        value = SIGNAL_Z;
        return true;
    }
    static const struct {
        const char* word;
        size_t length;
        eSignal value;
    } states[] = {{"WEAK0", 5, SIGNAL_WEAK0}, {"WEAK1", 5, SIGNAL_WEAK1},
                  {"PULL0", 5, SIGNAL_PULL0}, {"PULL1", 5, SIGNAL_PULL1},
                  {"Z", 1, SIGNAL_Z}};
    for (const auto& state : states) {
        if (EqualsWordNoCase(text, state.word, state.length)) {
            value = state.value;
            return true;
        }
    }
    return false;
}

}  // namespace boundary_register

#endif
