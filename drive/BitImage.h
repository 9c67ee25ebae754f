// Texts of the scan bit image and of SVF shift data.
//
// The image is the pin map's own layout: (length + 7) / 8 bytes, cell i in
// byte i / 8 under the mask 0x80 >> (i % 8), so cell 0 is the most
// significant bit of the first byte.
//
// SVF shifts the least significant bit of a TDI value first, and the bit
// shifted first ends up in the cell nearest TDO, which is cell 0. So in the
// SVF value of a boundary image, cell i is bit i (cell 0 the least
// significant bit), and in the SVF value of an opcode string, written as in
// BSDL with its first character shifted last, the rightmost character is
// the least significant bit.
#ifndef BSCAN_DRIVE_BITIMAGE_H
#define BSCAN_DRIVE_BITIMAGE_H

#include "util/BScanExport.h"

#include <string>
#include <vector>

// The bit of cell `cell` (0 or 1).
BSCAN_API int ImageBit(const unsigned char* image, int cell);

// The image bytes as upper-case hex pairs separated by blanks ("8F 00 A0").
BSCAN_API std::string ImageHexBytes(const unsigned char* image, int length);

// One character per cell, cell 0 first ("10001111...").
BSCAN_API std::string ImageBitString(const unsigned char* image, int length);

// The SVF hex value of the image: (length + 3) / 4 digits, most significant
// first, cell i being bit i.
BSCAN_API std::string SvfImageValue(const unsigned char* image, int length);

// The SVF hex value of a string of '0' and '1' whose rightmost character is
// the least significant bit; false when another character occurs.
BSCAN_API bool SvfBinaryValue(const std::string& bits, std::string& hex);

// Turns the text of --preset (hex digits, two per byte, in the image
// layout) into one byte per cell, 0 or 1, as SetBSCANBitArray takes them:
// 8 cells per byte given. False for an empty text, an odd number of digits
// or a character that is no hex digit.
BSCAN_API bool ParsePresetHex(const std::string& text, std::vector<unsigned char>& cells);

#endif
