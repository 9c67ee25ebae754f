// Thin platform layer: working directory, case-insensitive comparison and
// in-place case conversion, so the rest of the code stays portable.
// Internal to the library: neither exported nor installed.
#ifndef BSCAN_PLATFORM_H
#define BSCAN_PLATFORM_H

#include <string>

namespace bscan_platform {

// Current working directory into `dir`; false when it cannot be read.
bool GetWorkingDir(std::string& dir);
// Enters `dir`; false when it cannot be entered.
bool ChangeDir(const char* dir);
// Byte-wise comparison ignoring ASCII case (like _stricmp / strcasecmp).
int CompareNoCase(const char* a, const char* b);
// In-place ASCII case conversion (like _strupr / _strlwr); return `text`.
char* ToUpper(char* text);
char* ToLower(char* text);
void ToUpper(std::string& text);
void ToLower(std::string& text);

}  // namespace bscan_platform

#endif
