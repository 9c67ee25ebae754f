#include "chain/ChainSvf.h"

#include "chain/BScanChain.h"
#include "chain/ChainScan.h"
#include "device/BScanDevice.h"

namespace {

// Bits of all ones shifted beyond the chain's instruction register in the
// check, so that a board with a longer chain ends in BYPASS too.
const int kPadding = 32;

// After each check: players that queue scans and compare TDO later
// (OpenOCD does, until its buffer fills) compare at a TRST command, before
// going on; TRST OFF keeps the reset line inactive, as it is, on any board.
const char* const kCheckpoint = "! the check is complete here\nTRST OFF;\n";

// One step: the instruction per device and the DR the step shifts.
struct Step {
    std::vector<std::string> opcodes;
    ScanBits tdi, tdo, mask;
};

std::string DeviceList(const BScanChain& chain, const std::vector<std::string>& roles)
{
    std::string text;
    for (size_t i = 0; i < chain.DeviceCount(); ++i)
        text += (i ? ", " : "") + chain.Device(i).name + " " + roles[i];
    return text;
}

bool WriteStep(const BScanChain& chain, const std::string& title, const std::vector<std::string>& roles,
               const Step& step, bool check, std::string& svf, std::string& error)
{
    ScanBits ir;
    if (!ChainInstructionBits(chain, step.opcodes, ir, error))
        return false;
    svf += "! " + title + ": " + DeviceList(chain, roles) + "\n";
    svf += SvfSir(ir);
    svf += check ? SvfSdr(step.tdi, &step.tdo, &step.mask) : SvfSdr(step.tdi);
    return true;
}

}  // namespace

int WriteChainSvf(const BScanChain& chain, const ChainSvfOptions& options, std::string& svf, std::string& error)
{
    svf.clear();
    const size_t count = chain.DeviceCount();
    svf += "! bscan: chain " + chain.Path() + ", " + std::to_string(count) + " devices, TDI first\n";
    svf += "STATE RESET;\nSTATE IDLE;\nENDIR IDLE;\nENDDR IDLE;\n";

    if (options.idcodeCheck) {
        // The instruction register first, with every device in BYPASS: all
        // ones is BYPASS on any device, and the scan is kPadding bits longer
        // than the chain file's, so that even on a board whose chain is up
        // to that much longer every device ends in BYPASS. The player
        // checks what comes out: each device's capture pattern, then the
        // padding's own ones. Only on a chain that passes does any other
        // instruction get shifted.
        ScanBits ones, captures, mask;
        for (size_t i = count; i-- > 0;) {
            const std::string capture = chain.InstructionCapture(i);
            for (auto it = capture.rbegin(); it != capture.rend(); ++it) {
                ones.push_back(1);
                captures.push_back(*it == '1' ? 1 : 0);
                mask.push_back(*it == 'X' ? 0 : 1);
            }
        }
        for (int i = 0; i < kPadding; ++i) {
            ones.push_back(1);
            captures.push_back(1);
            mask.push_back(1);
        }
        svf += "! instruction register check: every device in BYPASS, its capture pattern expected\n";
        svf += "SIR " + std::to_string(ones.size()) + " TDI (" + ScanBitsHex(ones) + ") TDO (" +
               ScanBitsHex(captures) + ") MASK (" + ScanBitsHex(mask) + ");\n";
        svf += kCheckpoint;

        Step step;
        std::vector<std::string> roles(count);
        step.opcodes.resize(count);
        // The DR from the last device (nearest TDO) to device 0.
        for (size_t i = count; i-- > 0;) {
            if (chain.HasIdcode(i)) {
                const BScanIdcode* id = chain.Device(i).device->Idcode();
                step.opcodes[i] = chain.InstructionOpcode(i, "IDCODE");
                roles[i] = "IDCODE";
                AppendWord(step.tdi, 0);
                AppendWord(step.tdo, id->value & id->mask);
                AppendWord(step.mask, id->mask);
            } else {
                step.opcodes[i] = chain.BypassOpcode(i);
                roles[i] = "BYPASS";
                step.tdi.push_back(0);
                step.tdo.push_back(0);
                step.mask.push_back(1);
            }
        }
        if (!WriteStep(chain, "IDCODE check", roles, step, true, svf, error))
            return -1;
        svf += kCheckpoint;
    }

    // Nothing driven: nothing to preload, the chain stays as the check
    // left it.
    bool anyDriven = false;
    for (size_t i = 0; i < count; ++i)
        anyDriven = anyDriven || chain.Device(i).driven;
    if (!anyDriven)
        return 0;

    Step preload, extest;
    std::vector<std::string> preloadRoles(count), extestRoles(count);
    preload.opcodes.resize(count);
    extest.opcodes.resize(count);
    for (size_t i = count; i-- > 0;) {
        const BScanChainDevice& device = chain.Device(i);
        if (!device.driven) {
            preload.opcodes[i] = extest.opcodes[i] = chain.BypassOpcode(i);
            preloadRoles[i] = extestRoles[i] = "BYPASS";
            preload.tdi.push_back(0);
            continue;
        }
        std::string name;
        preload.opcodes[i] = chain.PreloadOpcode(i, &name);
        if (preload.opcodes[i].empty()) {
            error = chain.Path() + ":" + std::to_string(device.line) + ": error: " + device.name +
                    " has no PRELOAD or SAMPLE instruction to load its image before EXTEST";
            return -1;
        }
        preloadRoles[i] = name;
        extest.opcodes[i] = chain.InstructionOpcode(i, "EXTEST");
        extestRoles[i] = "EXTEST";
        if (extest.opcodes[i].empty() && !options.sampleOnly) {
            error = chain.Path() + ":" + std::to_string(device.line) + ": error: " + device.name +
                    " has no EXTEST instruction";
            return -1;
        }
        AppendCells(preload.tdi, chain.ImageBits(i));
    }
    extest.tdi = preload.tdi;
    if (!WriteStep(chain, "preload", preloadRoles, preload, false, svf, error))
        return -1;
    if (!options.sampleOnly && !WriteStep(chain, "EXTEST", extestRoles, extest, false, svf, error))
        return -1;
    return 0;
}
