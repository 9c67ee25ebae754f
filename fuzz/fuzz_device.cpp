// Whole-device fuzz target: the input is a BSDL file, read the way
// `bscan check` reads it (BScanDevice::Read: the core read and the light
// pass) and judged by the checker; then read again by the light pass alone
// (ReadDescription), and every record of the description is visited.
// AddressSanitizer, UndefinedBehaviorSanitizer and the leak checker do the
// judging; the invariants of the description end the run with a trap when
// broken.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <unistd.h>

#include "check/BScanChecker.h"

#ifndef BSCAN_MESSAGE_DIR
#define BSCAN_MESSAGE_DIR "data"
#endif

namespace {

std::string g_path;
volatile unsigned g_sink = 0;

// Reads the text's ends too: a view into freed memory is a sanitizer's finding.
void Touch(std::string_view text)
{
    g_sink += static_cast<unsigned>(text.size());
    if (!text.empty())
        g_sink += static_cast<unsigned char>(text.front()) + static_cast<unsigned char>(text.back());
}

void Visit(const BScanDevice& device, long long lines)
{
    for (const BScanAttribute& a : device.Attributes()) {
        Touch(a.name);
        Touch(a.value);
        if (a.line < 1 || a.line > a.endLine || a.endLine > lines) __builtin_trap();
    }
    for (const BScanPortDeclaration& p : device.Ports()) {
        Touch(p.name);
        if (p.Count() < 1 || p.line < 1 || p.line > lines) __builtin_trap();
    }
    for (const BScanCellEntry& c : device.BoundaryEntries()) {
        for (std::string_view field : {c.text, c.cellType, c.port, c.portName, c.function, c.safe, c.controlCell,
                                       c.disableValue, c.disabledState})
            Touch(field);
        if (c.line < 1 || c.line > lines || c.fieldCount < 0) __builtin_trap();
    }
    for (const BScanPinMapString& m : device.PinMaps())
        for (const BScanPinEntry& e : m.entries)
            for (const std::string& pin : e.pins) Touch(pin);
    for (const BScanInstruction& i : device.Instructions())
        for (const std::string& op : i.opcodes) Touch(op);
    for (const BScanRegisterEntry& r : device.RegisterAccess()) g_sink += static_cast<unsigned>(r.length);
    for (const BScanPortPair& p : device.PortPairs()) Touch(p.positive + p.negative);
    for (const BScanCompliancePatterns& c : device.CompliancePatterns()) g_sink += c.ports.size() + c.patterns.size();
    for (const BScanLongLine& l : device.LongLines()) Touch(l.text);
    if (const BScanIdcode* id = device.Idcode()) {
        if (id->pattern.size() != 32 || (id->value & ~id->mask) != 0) __builtin_trap();
        g_sink += id->Matches(id->value);
    }
    g_sink += static_cast<unsigned>(device.RegisterLength("BOUNDARY") + device.RegisterLength("bypass"));
    g_sink += static_cast<unsigned>(device.FileLineOfCoreLine(static_cast<long long>(g_sink % 100)));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* tmp = getenv("TMPDIR");
    std::string dir = (tmp && *tmp) ? tmp : "/tmp";
    g_path = dir + "/bscan_fuzz_device_" + std::to_string(getpid()) + ".bsdl";
    std::atexit([] { std::remove(g_path.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FILE* f = fopen(g_path.c_str(), "wb");
    if (!f) return 0;
    const bool written = size == 0 || fwrite(data, 1, size, f) == size;
    fclose(f);
    if (!written) return 0;
    long long lines = 1;
    for (size_t i = 0; i < size; ++i) lines += data[i] == '\n';

    BScanDevice device;
    const int result = device.Read(g_path, BSCAN_MESSAGE_DIR);
    if (result > 0 || result < -17) __builtin_trap();
    for (const BScanFinding& finding : BScanChecker::Check(device)) {
        Touch(finding.message);
        if (finding.line < 0 || finding.line > lines) __builtin_trap();
    }
    Visit(device, lines);

    BScanDevice read;
    if (read.ReadDescription(g_path) != 0) __builtin_trap();
    BScanDevice light(std::move(read));     // the records' views move with the device
    Visit(light, lines);
    for (const BScanFinding& finding : BScanChecker::Check(light)) Touch(finding.rule);
    return 0;
}
