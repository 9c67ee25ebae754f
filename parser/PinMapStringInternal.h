// Cutting a pin map string (assembled from its quoted pieces) into entries
// and pins, for the package pre-pass and the pin map reader. Entries are
// PORT : pin or PORT : (pin, pin, ...), separated by commas:
// - an entry with a ':' (not at its very beginning) sets the current port
//   name; one without keeps the previous entry's (empty at the start), so
//   "A : 1, 2" gives pins 1 and 2 to port A, each at place 0;
// - a parenthesised list runs to the first ')' (the empty list when there
//   is none, the text after the '(' then being read on as further
//   entries); text between the ')' and the next comma is ignored;
// - an unparenthesised entry runs to the next comma, or is the last entry;
// - a list is cut into pins at its commas; a list beginning with a comma
//   is one pin as it stands.
// Each pin goes to the callback with the port name and its place in its
// entry's list (0 for the first); the callback returns false to stop.
#ifndef BSCAN_PINMAPSTRINGINTERNAL_H
#define BSCAN_PINMAPSTRINGINTERNAL_H

#include <string_view>

#include "parser/ReaderTextInternal.h"
#include "util/CompilerInternal.h"

namespace pin_map_string {

// The next position of one character at or after an offset that only
// grows; a position found is kept until the walk reaches it.
class NextOf {
public:
    NextOf(std::string_view text, char ch) : m_text(text), m_ch(ch) {}

    size_t From(size_t offset)
    {
        if (m_position <= offset) {
            const size_t at = ReaderFind(m_text.data(), offset, m_text.size(), m_ch);
            m_position = at < m_text.size() ? at : std::string_view::npos;
        }
        return m_position;
    }

private:
    std::string_view m_text;
    char m_ch;
    size_t m_position = 0;                         // looked up again once reached; npos: none
};

inline size_t SkipWhiteSpace(std::string_view text, size_t offset)
{
    while (offset < text.size() && bscan_util::IsSpace(text[offset]))
        ++offset;
    return offset;
}

inline std::string_view TrimEnd(std::string_view text)
{
    size_t length = text.size();
    while (length > 0 && bscan_util::IsSpace(text[length - 1]))
        --length;
    return text.substr(0, length);
}

// Cuts one entry's pin list at its commas and hands each pin on.
template <typename PinHandler>
bool HandPins(std::string_view pins, std::string_view portName, PinHandler& onPin)
{
    int place = 0;
    size_t start = 0;
    while (start < pins.size()) {
        const size_t comma = ReaderFind(pins.data(), start, pins.size(), ',');
        std::string_view pin;
        if (comma < pins.size() && comma > start) {
            pin = TrimEnd(std::string_view(pins.data() + start, comma - start));
            start = SkipWhiteSpace(pins, comma + 1);
        } else {
            pin = std::string_view(pins.data() + start, pins.size() - start);
            start = pins.size();
        }
        if (!onPin(portName, place++, pin))
            return false;
    }
    return true;
}

}  // namespace pin_map_string

// Walks `value` (trailing white space is ignored), calling
// onPin(std::string_view portName, int place, std::string_view pin) for
// each pin, with views into the value; false when the handler stopped it.
template <typename PinHandler>
bool WalkPinMapStringViews(std::string_view value, PinHandler onPin)
{
    using namespace pin_map_string;
    const std::string_view text = TrimEnd(value);
    const char* const data = text.data();
    const size_t size = text.size();
    const size_t none = std::string_view::npos;

    NextOf nextColon(text, ':');
    NextOf nextClose(text, ')');
    NextOf nextComma(text, ',');
    std::string_view portName;
    size_t start = 0;
    while (start < size) {
        // A ':' after the entry's first character names the port.
        const size_t colon = nextColon.From(start);
        if (colon != none && colon > start) {
            portName = TrimEnd(std::string_view(data + start, colon - start));
            start = SkipWhiteSpace(text, colon + 1);
        }

        if (start < size && data[start] == '(') {
            // A list runs to the first ')' (see above).
            start = SkipWhiteSpace(text, start + 1);
            std::string_view pins;
            const size_t close = nextClose.From(start);
            if (close != none) {
                pins = TrimEnd(std::string_view(data + start, close - start));
                start = SkipWhiteSpace(text, close + 1);
            }
            const size_t separator = nextComma.From(start);
            if (separator != none)
                start = SkipWhiteSpace(text, separator + 1);
            if (!HandPins(pins, portName, onPin))
                return false;
            continue;
        }

        // An unparenthesised entry is one pin (or none when empty).
        const size_t separator = nextComma.From(start);
        const size_t pinEnd = separator != none ? separator : size;
        const std::string_view pin = TrimEnd(std::string_view(data + start, pinEnd - start));
        start = separator != none ? SkipWhiteSpace(text, separator + 1) : size;
        if (!pin.empty() && !onPin(portName, 0, pin))
            return false;
    }
    return true;
}

#endif
