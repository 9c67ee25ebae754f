#include "tools/view/ChainView.h"

#include <utility>

#include "chain/BScanChain.h"
#include "device/BScanDevice.h"
#include "tools/ChainLoader.h"
#include "tools/view/CheckerView.h"
#include "tools/view/DrivenPorts.h"
#include "tools/view/ViewDocument.h"

namespace {

// A device of the chain file as the page sees it before anything is driven.
struct ChainMember {
    ReadOutcome read;
    std::string path;      // the BSDL file as the chain resolved it
    std::string entity;    // from a file that did not read, when it names one
    CheckerView checked;
};

// Reads the chain. When a device's file does not read, each file is read
// alone to find which, and each that fails stands in the chain as a device
// without a file (one instruction bit; it is never scanned from here), so
// that the others still read and drive as in the whole chain.
std::vector<ChainMember> ReadMembers(BScanChain& chain, const std::string& chainFile)
{
    const std::string messageDir = FindMessageDirectory();
    std::vector<ChainFileEntry> entries;
    std::string error;
    if (!ReadChainFile(chainFile, entries, error))
        throw CommandError(error, true);
    std::vector<ChainMember> members(entries.size());
    if (chain.ReadEntries(entries, chainFile, messageDir) == 0)
        return members;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].irLength > 0)
            continue;
        BScanDevice device;
        const int result = device.Read(entries[i].resolvedPath, messageDir);
        if (result >= 0)
            continue;
        ChainMember& member = members[i];
        member.read.ok = false;
        member.path = entries[i].resolvedPath;
        member.read.line = device.ReadFailureLine();
        member.read.errorLine = FormatReadError(entries[i].resolvedPath, member.read.line, result, messageDir);
        member.entity = device.Entity();
        member.checked = CheckDeviceForView(device);
        entries[i].irLength = 1;
        entries[i].path.clear();
        entries[i].resolvedPath.clear();
    }
    if (chain.ReadEntries(entries, chainFile, messageDir) != 0)
        throw CommandError(chain.Error(), true);
    return members;
}

// The device an argument names (-1: none, left for the chain to refuse).
int ArgumentDevice(const BScanChain& chain, const std::string& argument)
{
    const size_t dot = argument.find('.');
    return dot == std::string::npos ? -1 : chain.FindDevice(argument.substr(0, dot));
}

}  // namespace

ChainView ViewChain(const std::string& chainFile, const std::vector<std::string>& assignments)
{
    BScanChain chain;
    std::vector<ChainMember> members = ReadMembers(chain, chainFile);
    const size_t count = chain.DeviceCount();
    // Judged before anything is driven, as `bscan check` judges the file.
    for (size_t i = 0; i < count; ++i)
        if (members[i].read.ok && chain.Device(i).HasFile())
            members[i].checked = CheckDeviceForView(*chain.Device(i).device);

    std::vector<std::string> applied;
    for (const std::string& argument : assignments) {
        const int index = ArgumentDevice(chain, argument);
        if (index < 0 || members[static_cast<size_t>(index)].read.ok)
            applied.push_back(argument);
    }
    DriveChain(chain, applied);

    ChainView view;
    Json names = Json::array();
    for (size_t i = 0; i < count; ++i) {
        const BScanChainDevice& device = chain.Device(i);
        const ChainMember& member = members[i];
        names.push_back(device.name);
        Json section;
        if (!member.read.ok) {
            if (view.failure.empty())
                view.failure = member.read.errorLine;
            section = DeviceView(member.path, member.read, member.entity.empty() ? nullptr : member.entity.c_str(),
                                 nullptr, {}, member.checked.findings, member.checked.idcode);
        } else if (device.HasFile()) {
            std::vector<std::pair<std::string, std::string>> own;
            for (const std::string& argument : applied)
                if (ArgumentDevice(chain, argument) == static_cast<int>(i))
                    own.emplace_back(argument, argument.substr(argument.find('.') + 1));
            BScanParser& parser = device.device->Parser();
            section = DeviceView(device.path, member.read, parser.GetComponentName(),
                                 DeviceJson(parser, device.path), DescribeDriven(chain.PinMap(i), own),
                                 member.checked.findings, member.checked.idcode);
        } else {
            section = DeviceView("", member.read, nullptr, nullptr, {});
            section["file"] = nullptr;
        }
        section["chain"] = {{"file", chainFile},
                            {"name", device.name},
                            {"position", i + 1},
                            {"devices", count},
                            {"line", device.line},
                            {"ir_length", member.read.ok ? Json(device.irLength) : Json(nullptr)},
                            {"bypass", !device.HasFile() && member.read.ok}};
        view.devices.push_back(std::move(section));
    }
    view.chain = {{"file", chainFile}, {"devices", count}, {"ir_bits", chain.IrBits()}, {"names", names}};
    return view;
}
