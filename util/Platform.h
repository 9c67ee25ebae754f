// Thin platform layer: working directory, case-insensitive comparison and
// case conversion, so the rest of the code stays portable.
// Internal to the library: neither exported nor installed.
#ifndef BSCAN_PLATFORM_H
#define BSCAN_PLATFORM_H

#include <cstdint>
#include <string>

namespace bscan_platform {

// Current working directory into `dir`; false when it cannot be read.
bool GetWorkingDir(std::string& dir);
// Enters `dir`; false when it cannot be entered.
bool ChangeDir(const char* dir);
// Byte-wise comparison ignoring ASCII case (like _stricmp / strcasecmp).
int CompareNoCase(const char* a, const char* b);
// In-place ASCII case conversion (like _strupr).
void ToUpper(std::string& text);

// The eight bytes of `word` with a-z upper-cased, all at once: a byte's
// top bit is set in `atLeastA` when its low seven bits are 'a' or above,
// in `aboveZ` when they are above 'z'; bytes of 128 and above stay.
inline std::uint64_t UpperCasedWord(std::uint64_t word)
{
    const std::uint64_t ones = 0x0101010101010101ull;
    std::uint64_t low = word & (0x7F * ones);
    std::uint64_t atLeastA = low + (0x80 - 'a') * ones;
    std::uint64_t aboveZ = low + (0x80 - 'z' - 1) * ones;
    std::uint64_t lower = atLeastA & ~aboveZ & ~word & (0x80 * ones);
    return word ^ (lower >> 2);  // 0x80 >> 2 is the case bit 0x20
}

}  // namespace bscan_platform

#endif
