// Cutting a pin map string into entries and pins: one pass over the value
// with an offset; the next ':', ')' and ',' are each looked up once and
// kept until the walk has passed them.
#include "parser/PinMapStringInternal.h"

#include "util/KString.h"

namespace {

// The next position of one character at or after an offset that only
// grows during the walk.
class NextOf {
public:
    NextOf(const std::string& text, char ch) : m_text(text), m_ch(ch) {}

    size_t From(size_t offset)
    {
        if (!m_searched || (m_position != std::string::npos && m_position < offset)) {
            m_position = m_text.find(m_ch, offset);
            m_searched = true;
        }
        return m_position;
    }

private:
    const std::string& m_text;
    char m_ch;
    size_t m_position = std::string::npos;
    bool m_searched = false;
};

size_t SkipWhiteSpace(const std::string& text, size_t offset)
{
    while (offset < text.size() && KIsWhiteSpace(text[offset]))
        ++offset;
    return offset;
}

// Cuts one entry's pin list at its commas and hands each pin on.
bool HandPins(const std::string& pins, const std::string& portName, const PinMapPinHandler& onPin)
{
    KString ks;
    std::string pin;
    int place = 0;
    size_t start = 0;
    while (start < pins.size()) {
        size_t comma = pins.find(',', start);
        if (comma != std::string::npos && comma > start) {
            pin.assign(pins, start, comma - start);
            ks.TrimRight(pin);
            start = SkipWhiteSpace(pins, comma + 1);
        } else {
            pin.assign(pins, start, std::string::npos);
            start = pins.size();
        }
        if (!onPin(portName, place++, pin))
            return false;
    }
    return true;
}

}  // namespace

bool WalkPinMapString(const std::string& value, const PinMapPinHandler& onPin)
{
    KString ks;
    std::string text(value);
    ks.TrimRight(text);

    NextOf nextColon(text, ':');
    NextOf nextClose(text, ')');
    NextOf nextComma(text, ',');
    std::string portName;
    std::string pins;
    size_t start = 0;
    while (start < text.size()) {
        // A ':' after the entry's first character names the port.
        size_t colon = nextColon.From(start);
        if (colon != std::string::npos && colon > start) {
            portName.assign(text, start, colon - start);
            ks.TrimRight(portName);
            start = SkipWhiteSpace(text, colon + 1);
        }

        bool parenthesised = start < text.size() && text[start] == '(';
        if (parenthesised) {
            start = SkipWhiteSpace(text, start + 1);
            size_t close = nextClose.From(start);
            if (close == std::string::npos) {
                pins.clear();
            } else {
                pins.assign(text, start, close - start);
                start = SkipWhiteSpace(text, close + 1);
            }
        }
        size_t separator = nextComma.From(start);
        if (!parenthesised)
            pins.assign(text, start, separator == std::string::npos ? std::string::npos : separator - start);
        ks.TrimRight(pins);

        if (separator != std::string::npos)
            start = SkipWhiteSpace(text, separator + 1);
        else if (!parenthesised)
            start = text.size();

        if (!HandPins(pins, portName, onPin))
            return false;
    }
    return true;
}
