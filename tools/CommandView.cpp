// `bscan view FILE [--preset HEX] [-o FILE.html] [PORT=VALUE ...]`: one
// HTML page that shows the device (tools/view/); `bscan view --chain CHAIN
// [-o FILE.html] [NAME.PORT=VALUE ...]`: one page with a section per device
// of the chain (tools/view/ChainView.h). The ports are driven as
// `drive` drives them, and the page shows the values on their pins. A file
// that does not read still gives a page, which tells why; the status is
// then 1, with the usual error line on standard error. Where the build has
// the checker, its findings are on the page too.
#include <fstream>
#include <sstream>

#include "drive/BitImage.h"
#include "tools/ChainLoader.h"
#include "tools/Commands.h"
#include "tools/DeviceJson.h"
#include "tools/PortDriver.h"
#include "tools/view/ChainView.h"
#include "tools/view/CheckerView.h"
#include "tools/view/DrivenPorts.h"
#include "tools/view/PageWriter.h"
#include "tools/view/ViewDocument.h"

namespace {

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (file)
        file << text;
    if (!file || !file.flush())
        throw CommandError("cannot write '" + path + "'");
}

// The page to standard output or to the -o file; then the read failure,
// if any, as the command's error (the page is kept).
void Deliver(const CommandOptions& options, const std::string& title, const Json& document,
             const std::string& failure, std::ostream& out)
{
    std::ostringstream page;
    WritePage(page, title, document);
    if (options.output.empty())
        out << page.str();
    else
        WriteFile(options.output, page.str());
    if (!failure.empty())
        throw CommandError(failure, true, options.output.empty());
}

void RunChainView(const CommandOptions& options, std::ostream& out)
{
    if (!options.preset.empty())
        throw UsageError("--preset works on one device, not with --chain");
    const ChainView view = ViewChain(options.chain, ChainAssignments(options));
    const std::string title = "chain " + options.chain + " (" + std::to_string(view.devices.size()) + " devices)";
    Deliver(options, title, ViewDocument(view.devices, view.chain), view.failure, out);
}

}  // namespace

void RunView(const CommandOptions& options, std::ostream& out)
{
    if (!options.chain.empty())
        return RunChainView(options, out);
    if (options.file.empty())
        throw UsageError("a BSDL FILE or --chain CHAIN is needed");
    DeviceParser parser;
    ReadOutcome read;
    Json model = nullptr;
    std::vector<DrivenPort> driven;
    try {
        BScanPinMap* map = ReadAndDrive(parser, options, false);
        model = DeviceJson(parser, options.file);
        std::vector<std::pair<std::string, std::string>> arguments;
        for (const std::string& argument : options.assignments)
            arguments.emplace_back(argument, argument);
        driven = DescribeDriven(map, arguments);
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
    Deliver(options, title, ViewDocument(devices), read.ok ? std::string() : read.errorLine, out);
}
