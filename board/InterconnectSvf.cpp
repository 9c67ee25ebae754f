#include "board/InterconnectSvf.h"

namespace {

std::string Roles(const InterconnectPlan& plan, const std::vector<std::string>& roles)
{
    std::string text;
    for (size_t d = 0; d < plan.devices.size(); ++d)
        text += (d ? ", " : "") + plan.devices[d].name + " " + roles[d];
    return text;
}

// The chain's IR value from one opcode per device.
ScanBits InstructionBits(const InterconnectPlan& plan, const std::vector<std::string>& opcodes)
{
    ScanBits bits;
    for (size_t d = plan.devices.size(); d-- > 0;)
        AppendOpcode(bits, opcodes[d]);
    return bits;
}

void InstructionStep(const InterconnectPlan& plan, const std::string& title, bool preload, std::string& svf)
{
    std::vector<std::string> opcodes, roles;
    for (size_t d = 0; d < plan.devices.size(); ++d) {
        const BoardDevice& device = plan.devices[d];
        switch (plan.modes[d]) {
        case DeviceMode::Extest:
            opcodes.push_back(preload ? device.PreloadOpcode() : device.Opcode("EXTEST"));
            roles.push_back(preload ? device.PreloadInstruction() : "EXTEST");
            break;
        case DeviceMode::Sample:
            opcodes.push_back(device.SampleOpcode());
            roles.push_back("SAMPLE");
            break;
        case DeviceMode::Bypass:
            opcodes.push_back(device.BypassOpcode());
            roles.push_back("BYPASS");
            break;
        }
    }
    svf += "! " + title + ": " + Roles(plan, roles) + "\n";
    svf += SvfSir(InstructionBits(plan, opcodes));
}

void IdcodeStep(const InterconnectPlan& plan, std::string& svf)
{
    std::vector<std::string> opcodes, roles;
    ScanBits tdi, tdo, mask;
    for (size_t d = 0; d < plan.devices.size(); ++d) {
        const BoardDevice& device = plan.devices[d];
        const bool id = device.hasIdcode && !device.Opcode("IDCODE").empty();
        opcodes.push_back(id ? device.Opcode("IDCODE") : device.BypassOpcode());
        roles.push_back(id ? "IDCODE" : "BYPASS");
    }
    for (size_t d = plan.devices.size(); d-- > 0;) {
        if (roles[d] == "IDCODE") {
            AppendWord(tdi, 0);
            AppendWord(tdo, plan.devices[d].idcodeValue & plan.devices[d].idcodeMask);
            AppendWord(mask, plan.devices[d].idcodeMask);
        } else {
            tdi.push_back(0);
            tdo.push_back(0);
            mask.push_back(1);
        }
    }
    svf += "! IDCODE check: " + Roles(plan, roles) + "\n";
    svf += SvfSir(InstructionBits(plan, opcodes));
    svf += SvfSdr(tdi, &tdo, &mask);
    // A player may queue scans and compare TDO only at such a statement:
    // the check is judged before anything is preloaded.
    svf += "TRST OFF;\n";
}

}  // namespace

bool WriteInterconnectSvf(const InterconnectPlan& plan, const InterconnectPatterns& patterns,
                          const InterconnectSvfOptions& options, std::string& svf, std::string& error)
{
    svf.clear();
    if (patterns.Count() == 0) {
        error = "no net can be tested";
        return false;
    }
    if (!options.title.empty())
        svf += "! " + options.title + "\n";
    svf += "! interconnect test: " + std::to_string(plan.tested.size()) + " nets, " +
           std::to_string(patterns.Count()) + " patterns, " + std::to_string(patterns.drBits) + " DR bits\n";
    svf += "STATE RESET;\nSTATE IDLE;\nENDIR IDLE;\nENDDR IDLE;\n";
    if (options.idcodeCheck)
        IdcodeStep(plan, svf);
    InstructionStep(plan, "preload of pattern 1", true, svf);
    svf += SvfSdr(patterns.tdi.front());
    InstructionStep(plan, "EXTEST, pattern 1 drives", false, svf);
    const int count = patterns.Count();
    for (int p = 1; p <= count; ++p) {
        const int applied = p < count ? p : count - 1;
        if (p < count)
            svf += "! pattern " + std::to_string(p + 1) + ", response to pattern " + std::to_string(p) + "\n";
        else
            svf += "! last scan: response to pattern " + std::to_string(p) + "\n";
        svf += SvfSdr(patterns.tdi[static_cast<size_t>(applied)], &patterns.expected[static_cast<size_t>(p - 1)],
                      &patterns.mask[static_cast<size_t>(p - 1)]);
    }
    return true;
}
