#include "chain/Identify.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "device/BScanDevice.h"

namespace fs = std::filesystem;

bool ParseIdcodeText(const std::string& text, uint32_t& value)
{
    std::string digits = text;
    if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits.erase(0, 2);
    if (digits.empty() || digits.size() > 8)
        return false;
    value = 0;
    for (char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
        const int nibble = std::isdigit(static_cast<unsigned char>(c))
                               ? c - '0'
                               : std::toupper(static_cast<unsigned char>(c)) - 'A' + 10;
        value = (value << 4) | static_cast<uint32_t>(nibble);
    }
    return true;
}

std::string IdcodePatternHex(const std::string& pattern)
{
    static const char* const digits = "0123456789ABCDEF";
    if (pattern.size() != 32)
        return pattern;
    std::string text = "0x";
    for (size_t d = 0; d < 8; ++d) {
        const std::string group = pattern.substr(4 * d, 4);
        if (group == "XXXX") {
            text += 'X';
        } else if (group.find('X') != std::string::npos) {
            text += "[" + group + "]";
        } else {
            int value = 0;
            for (char c : group)
                value = value * 2 + (c == '1');
            text += digits[value];
        }
    }
    return text;
}

long IdentifyFiles(uint32_t id, const std::vector<std::string>& directories, std::vector<IdentifyMatch>& matches,
                   std::string& error)
{
    matches.clear();
    long looked = 0;
    for (const std::string& directory : directories) {
        std::error_code code;
        std::vector<std::string> files;
        fs::recursive_directory_iterator it(directory, fs::directory_options::skip_permission_denied, code);
        if (code) {
            error = directory + ": error: the directory cannot be listed (" + code.message() + ")";
            return -1;
        }
        for (const fs::recursive_directory_iterator end; it != end; it.increment(code)) {
            if (code)
                break;
            std::error_code typeCode;
            if (it->is_regular_file(typeCode))
                files.push_back(it->path().string());
        }
        if (code) {
            error = directory + ": error: the directory cannot be listed (" + code.message() + ")";
            return -1;
        }
        std::sort(files.begin(), files.end());
        for (const std::string& file : files) {
            ++looked;
            BScanDevice device;
            if (device.ReadDescription(file) != 0)
                continue;
            const BScanIdcode* idcode = device.Idcode();
            if (!idcode || !idcode->Matches(id))
                continue;
            matches.push_back({file, device.Entity(), device.Package(), idcode->pattern});
        }
    }
    return looked;
}
