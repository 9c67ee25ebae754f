// `bscan view FILE [--preset HEX] [-o FILE.html] [PORT=VALUE ...]`: one
// HTML page that shows the device (tools/view/). The ports are driven as
// `drive` drives them, and the page shows the values on their pins. A file
// that does not read still gives a page, which tells why; the status is
// then 1, with the usual error line on standard error. Where the build has
// the checker, its findings are on the page too.
#include <fstream>
#include <sstream>

#include "drive/BitImage.h"
#include "drive/Names.h"
#include "drive/PortAssignment.h"
#include "drive/PortCatalog.h"
#include "tools/Commands.h"
#include "tools/DeviceJson.h"
#include "tools/PortDriver.h"
#include "tools/view/CheckerView.h"
#include "tools/view/PageWriter.h"
#include "tools/view/ViewDocument.h"

namespace {

// The arguments as ReadAndDrive applied them (it has checked them all).
std::vector<DrivenPort> DescribeDriven(BScanPinMap* map, const std::vector<std::string>& arguments)
{
    std::vector<DrivenPort> driven;
    if (!map)
        return driven;
    const std::vector<PortEntry> ports = ListPorts(*map);
    for (const std::string& argument : arguments) {
        PortAssignment assignment;
        std::string error;
        KPinNode* node = ParsePortAssignment(argument, assignment, error) ? ResolvePort(*map, assignment.port)
                                                                          : nullptr;
        if (!node)
            continue;
        DrivenPort port;
        port.argument = argument;
        port.value = SignalName(assignment.value);
        port.direction = PortTypeName(DriveDirection(assignment, *node));
        for (const PortEntry& entry : ports)
            if (entry.node == node)
                port.label = entry.label;
        driven.push_back(port);
    }
    return driven;
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file)
        file << text;
    if (!file || !file.flush())
        throw CommandError("cannot write '" + path + "'");
}

}  // namespace

void RunView(const CommandOptions& options, std::ostream& out)
{
    DeviceParser parser;
    ReadOutcome read;
    Json model = nullptr;
    std::vector<DrivenPort> driven;
    try {
        BScanPinMap* map = ReadAndDrive(parser, options, false);
        model = DeviceJson(parser, options.file);
        driven = DescribeDriven(map, options.assignments);
    } catch (const CommandError& e) {
        if (!e.IsFinishedLine())
            throw;
        read.ok = false;
        read.errorLine = e.what();
        read.line = parser.GetLineNumber();
    }
    const char* entity = parser.GetComponentName();
    std::vector<unsigned char> presets;
    if (!options.preset.empty())
        ParsePresetHex(options.preset, presets);   // already checked by ReadAndDrive
    const CheckerView checked = CheckForView(options.file, presets);
    const Json devices =
        Json::array({DeviceView(options.file, read, entity, model, driven, checked.findings, checked.idcode)});
    const std::string title = (entity ? std::string(entity) + " - " : std::string()) + options.file;

    std::ostringstream page;
    WritePage(page, title, ViewDocument(devices));
    if (options.output.empty())
        out << page.str();
    else
        WriteFile(options.output, page.str());
    if (!read.ok)
        throw CommandError(read.errorLine, true, options.output.empty());
}
