#include "drive/BitImage.h"

#include <cctype>

namespace {

const char* const kHexDigits = "0123456789ABCDEF";

int HexDigitValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Hex digits, most significant first, of a value given as bits with bit 0
// first; the value has (bits + 3) / 4 digits.
std::string HexFromLowBitsFirst(const std::vector<int>& bits)
{
    const size_t digits = (bits.size() + 3) / 4;
    std::string hex(digits, '0');
    for (size_t d = 0; d < digits; ++d) {
        int value = 0;
        for (size_t j = 0; j < 4; ++j) {
            size_t bit = 4 * d + j;
            if (bit < bits.size() && bits[bit])
                value |= 1 << j;
        }
        hex[digits - 1 - d] = kHexDigits[value];
    }
    return hex;
}

}  // namespace

int ImageBit(const unsigned char* image, int cell)
{
    return (image[cell / 8] & (0x80 >> (cell % 8))) ? 1 : 0;
}

std::string ImageHexBytes(const unsigned char* image, int length)
{
    std::string text;
    if (!image || length <= 0)
        return text;
    const int bytes = (length + 7) / 8;
    text.reserve(static_cast<size_t>(bytes) * 3);
    for (int i = 0; i < bytes; ++i) {
        if (i > 0)
            text += ' ';
        text += kHexDigits[image[i] >> 4];
        text += kHexDigits[image[i] & 0x0F];
    }
    return text;
}

std::string ImageBitString(const unsigned char* image, int length)
{
    std::string text;
    if (!image || length <= 0)
        return text;
    text.reserve(static_cast<size_t>(length));
    for (int cell = 0; cell < length; ++cell)
        text += ImageBit(image, cell) ? '1' : '0';
    return text;
}

std::string SvfImageValue(const unsigned char* image, int length)
{
    std::vector<int> bits;
    if (image && length > 0) {
        bits.reserve(static_cast<size_t>(length));
        for (int cell = 0; cell < length; ++cell)
            bits.push_back(ImageBit(image, cell));
    }
    return bits.empty() ? "0" : HexFromLowBitsFirst(bits);
}

bool SvfBinaryValue(const std::string& text, std::string& hex)
{
    std::vector<int> bits;
    bits.reserve(text.size());
    for (auto it = text.rbegin(); it != text.rend(); ++it) {
        if (*it != '0' && *it != '1')
            return false;
        bits.push_back(*it == '1');
    }
    hex = bits.empty() ? "0" : HexFromLowBitsFirst(bits);
    return true;
}

bool ParsePresetHex(const std::string& text, std::vector<unsigned char>& cells)
{
    if (text.empty() || text.size() % 2 != 0)
        return false;
    cells.clear();
    cells.reserve(text.size() * 4);
    for (size_t i = 0; i < text.size(); i += 2) {
        int high = HexDigitValue(text[i]);
        int low = HexDigitValue(text[i + 1]);
        if (high < 0 || low < 0)
            return false;
        const int byte = (high << 4) | low;
        for (int bit = 0; bit < 8; ++bit)
            cells.push_back((byte & (0x80 >> bit)) ? 1 : 0);
    }
    return true;
}
