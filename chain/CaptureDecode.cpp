#include "chain/CaptureDecode.h"

#include <cctype>

#include "chain/BScanChain.h"
#include "drive/PortCatalog.h"
#include "model/BScanPinMap.h"

bool ParseCaptureHex(const std::string& text, int bits, ScanBits& value, std::string& error)
{
    std::string digits = text;
    if (digits.size() >= 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X'))
        digits.erase(0, 2);
    if (digits.empty()) {
        error = "the capture '" + text + "' holds no hex digit";
        return false;
    }
    value.assign(static_cast<size_t>(bits > 0 ? bits : 0), 0);
    size_t bit = 0;
    for (auto it = digits.rbegin(); it != digits.rend(); ++it, bit += 4) {
        const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(*it)));
        int nibble = -1;
        if (c >= '0' && c <= '9')
            nibble = c - '0';
        else if (c >= 'A' && c <= 'F')
            nibble = c - 'A' + 10;
        if (nibble < 0) {
            error = "the capture '" + text + "' holds '" + std::string(1, *it) + "', which is no hex digit";
            return false;
        }
        for (size_t j = 0; j < 4; ++j) {
            const int set = (nibble >> j) & 1;
            if (bit + j < value.size()) {
                value[bit + j] = static_cast<unsigned char>(set);
            } else if (set) {
                error = "the capture '" + text + "' is longer than the " + std::to_string(bits) +
                        " bits scanned";
                return false;
            }
        }
    }
    return true;
}

std::vector<CapturedPort> DecodeDeviceCapture(BScanPinMap& map, const ScanBits& captured, size_t offset)
{
    std::vector<CapturedPort> rows;
    for (const PortEntry& entry : ListPorts(map)) {
        const CellRoles roles = SelectCellRoles(*entry.node);
        const KBScanCell* cell = roles.input ? roles.input : roles.observe;
        const KBScanCell* table = map.GetBScanCellTable();
        const long number = cell && table ? static_cast<long>(cell - table) : -1;
        if (number < 0 || number >= map.GetBScanLength())
            continue;
        const size_t bit = offset + static_cast<size_t>(number);
        if (bit >= captured.size())
            continue;
        CapturedPort row;
        row.port = entry.label;
        const char* pin = entry.node->GetPinName();
        row.pin = pin ? pin : "";
        row.cell = static_cast<int>(number);
        row.value = captured[bit];
        rows.push_back(row);
    }
    return rows;
}

bool DecodeChainCapture(const BScanChain& chain, const std::string& capture, const std::vector<bool>& selected,
                        std::vector<CapturedPort>& ports, std::string& error)
{
    ports.clear();
    const size_t count = chain.DeviceCount();
    std::vector<bool> inPath(selected);
    if (inPath.empty())
        for (size_t i = 0; i < count; ++i)
            inPath.push_back(chain.Device(i).boundaryLength > 0);
    if (inPath.size() != count) {
        error = "one selection per device is needed";
        return false;
    }
    // Offsets from the last device (nearest TDO, bit 0) to device 0.
    std::vector<size_t> offsets(count);
    size_t total = 0;
    for (size_t i = count; i-- > 0;) {
        offsets[i] = total;
        const bool boundary = inPath[i] && chain.Device(i).boundaryLength > 0;
        total += boundary ? static_cast<size_t>(chain.Device(i).boundaryLength) : 1;
    }
    ScanBits bits;
    if (!ParseCaptureHex(capture, static_cast<int>(total), bits, error))
        return false;
    for (size_t i = 0; i < count; ++i) {
        BScanPinMap* map = chain.PinMap(i);
        if (!inPath[i] || !map || chain.Device(i).boundaryLength <= 0)
            continue;
        for (CapturedPort row : DecodeDeviceCapture(*map, bits, offsets[i])) {
            row.device = chain.Device(i).name;
            ports.push_back(row);
        }
    }
    return true;
}
