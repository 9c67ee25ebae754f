#include "chain/ChainScan.h"

#include "chain/BScanChain.h"

std::string ScanBitsHex(const ScanBits& bits)
{
    static const char* const digitsText = "0123456789ABCDEF";
    const size_t digits = (bits.size() + 3) / 4;
    if (digits == 0)
        return "0";
    std::string hex(digits, '0');
    for (size_t d = 0; d < digits; ++d) {
        int value = 0;
        for (size_t j = 0; j < 4; ++j) {
            const size_t bit = 4 * d + j;
            if (bit < bits.size() && bits[bit])
                value |= 1 << j;
        }
        hex[digits - 1 - d] = digitsText[value];
    }
    return hex;
}

bool AppendOpcode(ScanBits& bits, const std::string& opcode)
{
    for (auto it = opcode.rbegin(); it != opcode.rend(); ++it) {
        if (*it != '0' && *it != '1')
            return false;
        bits.push_back(*it == '1' ? 1 : 0);
    }
    return true;
}

void AppendCells(ScanBits& bits, const std::string& cellsFromZero)
{
    for (char c : cellsFromZero)
        bits.push_back(c == '1' ? 1 : 0);
}

void AppendWord(ScanBits& bits, uint32_t value)
{
    for (int bit = 0; bit < 32; ++bit)
        bits.push_back((value >> bit) & 1u);
}

bool ChainInstructionBits(const BScanChain& chain, const std::vector<std::string>& opcodes, ScanBits& bits,
                          std::string& error)
{
    bits.clear();
    if (opcodes.size() != chain.DeviceCount()) {
        error = "one opcode per device is needed (" + std::to_string(chain.DeviceCount()) + "), got " +
                std::to_string(opcodes.size());
        return false;
    }
    for (size_t i = chain.DeviceCount(); i-- > 0;) {
        const BScanChainDevice& device = chain.Device(i);
        if (static_cast<int>(opcodes[i].size()) != device.irLength || !AppendOpcode(bits, opcodes[i])) {
            error = "the opcode '" + opcodes[i] + "' for " + device.name +
                    " is not a string of 0 and 1 as long as its instruction register (" +
                    std::to_string(device.irLength) + ")";
            return false;
        }
    }
    return true;
}

std::string SvfSir(const ScanBits& tdi)
{
    return "SIR " + std::to_string(tdi.size()) + " TDI (" + ScanBitsHex(tdi) + ");\n";
}

std::string SvfSdr(const ScanBits& tdi, const ScanBits* tdo, const ScanBits* mask)
{
    std::string text = "SDR " + std::to_string(tdi.size()) + " TDI (" + ScanBitsHex(tdi) + ")";
    if (tdo && mask && tdo->size() == tdi.size() && mask->size() == tdi.size())
        text += " TDO (" + ScanBitsHex(*tdo) + ") MASK (" + ScanBitsHex(*mask) + ")";
    return text + ";\n";
}
