// bscan: look inside a BSDL file, see what the library made of it, drive
// pins and get the bits to shift.
//
// Exit status: 0 on success; 1 when the file cannot be read or the device
// cannot do what was asked (one line on standard error, for a read failure
// FILE:LINE: error: MESSAGE (CODE_NAME, -N)); 2 for a usage error (the
// reason and the command's usage line on standard error). Results, help
// and version go to standard output; nothing else goes to standard error.
// `check` is the exception: it judges files, so a read failure is one of its
// findings on standard output, and its status is 1 when a file has an error.
#include <iostream>
#include <map>
#include <sstream>

#include <CLI/CLI.hpp>

#include "tools/CommandCheck.h"
#include "tools/Commands.h"

#ifndef BSCAN_TOOL_VERSION
#define BSCAN_TOOL_VERSION "unknown"
#endif

namespace {

struct Command {
    const char* name;
    const char* description;
    const char* usage;
    void (*run)(const CommandOptions&, std::ostream&);
};

const Command kCommands[] = {
    {"info", "Entity, package, counts, instructions with their opcodes, registers with their instructions",
     "bscan info FILE", RunInfo},
    {"ports", "One row per port node: pin, pin name, port, type, direction, value, cells, differential mark",
     "bscan ports FILE", RunPorts},
    {"cells", "One row per boundary cell: type, function, pin names, safe value, control, value, bit",
     "bscan cells FILE", RunCells},
    {"json", "The whole model as one JSON document (keys documented in README.md)",
     "bscan json FILE", RunJson},
    {"drive", "Drive ports and print the scan image as hex bytes and as bits from cell 0 (--chain: each device's)",
     "bscan drive FILE [--preset HEX] [--mask] PORT=VALUE[:in|:out]... | bscan drive --chain CHAIN NAME.PORT=VALUE...",
     RunDrive},
    {"svf", "Print SVF that loads an instruction and shifts the driven image (EXTEST: the image preloaded first; "
            "--chain: the whole chain, safely)",
     "bscan svf FILE --instruction NAME [--preset HEX] PORT=VALUE[:in|:out]... | "
     "bscan svf --chain CHAIN [--no-idcode] [--sample-only] NAME.PORT=VALUE[:in|:out]...",
     RunSvf},
    {"chain", "One row per device of a chain file: position, name, entity, IR length, IDCODE, boundary length",
     "bscan chain CHAIN", RunChain},
    {"identify", "The BSDL files under the directories whose IDCODE_REGISTER matches the value",
     "bscan identify IDCODE DIR...", RunIdentify},
    {"decode", "Per port with an input cell, the value a boundary-register capture holds",
     "bscan decode [--json] FILE CAPTURE | bscan decode [--json] --chain CHAIN [--selected NAME,...] CAPTURE",
     RunDecode},
    {"interconnect", "Interconnect test of a board from its netlist: report and SVF",
     "bscan interconnect --chain CHAIN --netlist FILE [-o SVF] [--json] [--drive-unknown]", RunInterconnect},
    {"diagnose", "The faults the TDO values of a played interconnect test show (exit 1 when any)",
     "bscan diagnose --chain CHAIN --netlist FILE [--json] [--drive-unknown] CAPTURES", RunDiagnose},
    {"view", "Write one self-contained HTML page of the package, its pins, cells and instructions",
     "bscan view FILE [--preset HEX] [-o FILE.html] [PORT=VALUE[:in|:out]...] | "
     "bscan view --chain CHAIN [-o FILE.html] [NAME.PORT=VALUE[:in|:out]...]",
     RunView},
};

const char* const kToolUsage =
    "bscan {info|ports|cells|json|drive|svf|chain|identify|decode|check|interconnect|diagnose|view} FILE [ARGS]... "
    "(bscan --help)";

const char* const kCheckUsage = "bscan check [--json] [--werror] FILE...";

const char* const kPortHelp =
    "PORT=VALUE[:in|:out]. PORT is a pin number, a package pin name, NAME(INDEX) or a port name, "
    "tried in this order. VALUE is 0, 1, X or Z. Without :in/:out an input port is driven as input, "
    "an output or buffer port as output, an inout port as output (as input with Z), a linkage port as input.";

const char* const kPresetHelp =
    "Initial cell values before reading, as hex bytes in the image layout (cell 0 = most significant bit "
    "of the first byte); cells beyond the bytes given start from their safe value";

void AddDriveArguments(CLI::App& command, CommandOptions& options)
{
    command.add_option("--preset", options.preset, kPresetHelp)->type_name("HEX");
    command.add_option("ports", options.assignments, kPortHelp)->type_name("PORT=VALUE");
}

// drive, svf and decode: FILE is optional, as --chain CHAIN can take its
// place; the command tells which it got.
void AddChainArguments(CLI::App& command, CommandOptions& options, const std::string& name)
{
    command.add_option("--chain", options.chain, "Chain file: the devices of the scan path, TDI first")
        ->type_name("CHAIN");
    if (name == "decode") {
        command.add_option("FILE", options.file, "BSDL file (without --chain), else the capture")->type_name("");
        command.add_option("CAPTURE", options.assignments, "TDO value of the scan (hex, cell 0 the least "
                                                           "significant bit)")
            ->type_name("");
        command.add_flag("--json", options.json, "One JSON document instead of the table");
        command.add_option("--selected", options.selected,
                           "With --chain: the devices whose boundary register was in the path (default: "
                           "every device with one); the others give one bypass bit")
            ->type_name("NAME,...");
        return;
    }
    command.add_option("FILE", options.file, "BSDL file (without --chain)")->type_name("");
    if (name == "svf") {
        command.add_flag("--no-idcode", options.noIdcode, "With --chain: leave out the IDCODE check");
        command.add_flag("--sample-only", options.sampleOnly,
                         "With --chain: only preload the images, without EXTEST");
    }
}

void AddIdentifyArguments(CLI::App& command, CommandOptions& options)
{
    command.add_option("IDCODE", options.file, "32-bit IDCODE read from the board (hex, 0x optional)")
        ->required()
        ->type_name("");
    command.add_option("DIR", options.assignments, "Directories searched (recursively)")
        ->required()
        ->type_name("");
}

void AddBoardArguments(CLI::App& command, CommandOptions& options, const std::string& name)
{
    command.add_option("--chain", options.chain, "Chain file: the devices of the scan path, TDI first")
        ->required()
        ->type_name("CHAIN");
    command.add_option("--netlist", options.netlist, "The board's netlist: KiCad export (.net) or NAME REF.PIN... lines")
        ->required()
        ->type_name("FILE");
    command.add_flag("--json", options.json, "One JSON document instead of the text");
    command.add_flag("--drive-unknown", options.driveUnknown,
                     "Also drive nets that touch pins without boundary scan (never linkage pins)");
    if (name == "interconnect")
        command.add_option("-o", options.output, "Write the SVF to this file")->type_name("SVF");
    else
        command.add_option("CAPTURES", options.file, "TDO values the player read, one hex value a line")
            ->required()
            ->type_name("");
}

int UsageFailure(const std::string& usage, const std::string& reason)
{
    std::cerr << "bscan: error: " << reason << '\n' << "usage: " << usage << '\n';
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    CLI::App app{"Reads a BSDL file (IEEE 1149.1) into the bscan device model and shows or drives it.", "bscan"};
    app.set_version_flag("--version", std::string("bscan ") + BSCAN_TOOL_VERSION);
    app.require_subcommand(1);
    app.footer("Exit status: 0 success, 1 the file cannot be read or the device refuses, 2 usage error.\n"
               "ErrorList.txt is found through BSCAN_DATA_DIR, else ../share/bscan or ../data beside the program.");

    CommandOptions options;
    std::map<const CLI::App*, const Command*> commands;
    for (const Command& command : kCommands) {
        CLI::App* sub = app.add_subcommand(command.name, command.description);
        const std::string name = command.name;
        if (name == "drive" || name == "svf" || name == "decode" || name == "view")
            AddChainArguments(*sub, options, name);
        else if (name == "chain")
            sub->add_option("CHAIN", options.file, "chain file")->required()->type_name("");
        else if (name == "identify")
            AddIdentifyArguments(*sub, options);
        else if (name == "interconnect" || name == "diagnose")
            AddBoardArguments(*sub, options, name);
        else
            sub->add_option("FILE", options.file, "BSDL file")->required()->type_name("");
        if (std::string(command.name) == "drive") {
            AddDriveArguments(*sub, options);
            sub->add_flag("--mask", options.mask,
                          "Print the mask of the named ports' bits instead (cleared image, then the "
                          "four-argument setPort)");
        } else if (std::string(command.name) == "svf") {
            sub->add_option("--instruction", options.instruction,
                            "Instruction to load (first opcode; name ignoring case); required without --chain")
                ->type_name("NAME");
            AddDriveArguments(*sub, options);
        } else if (std::string(command.name) == "view") {
            sub->add_option("-o,--output", options.output,
                            "Write the page to this file instead of standard output")
                ->type_name("FILE.html");
            AddDriveArguments(*sub, options);
        }
        commands[sub] = &command;
    }

    // check takes several files and reports on standard output, read
    // failures included; its exit status is its own.
    CheckOptions checkOptions;
    CLI::App* check = app.add_subcommand(
        "check", "Judge each file: findings with rule, line and reason, then a summary (rules in README.md)");
    check->add_option("FILE", checkOptions.files, "BSDL files")->required()->type_name("");
    check->add_flag("--json", checkOptions.json, "Print one JSON document instead (keys in README.md)");
    check->add_flag("--werror", checkOptions.werror, "Count warnings as errors for the exit status");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::CallForAllHelp&) {
        std::cout << app.help("", CLI::AppFormatMode::All);
        return 0;
    } catch (const CLI::CallForVersion&) {
        std::cout << "bscan " << BSCAN_TOOL_VERSION << '\n';
        return 0;
    } catch (const CLI::ParseError& e) {
        const std::vector<CLI::App*> chosen = app.get_subcommands();
        const std::string usage = chosen.empty()           ? kToolUsage
                                  : chosen.front() == check ? kCheckUsage
                                                            : commands[chosen.front()]->usage;
        return UsageFailure(usage, e.what());
    }

    if (app.get_subcommands().front() == check) {
        std::ostringstream out;
        int status = 1;
        try {
            status = RunCheck(checkOptions, out);
        } catch (const std::bad_alloc&) {
            std::cerr << "bscan check: error: out of memory\n";
            return 1;
        }
        std::cout << out.str();
        std::cout.flush();
        return std::cout ? status : 1;
    }

    const Command* command = commands[app.get_subcommands().front()];
    std::ostringstream out;
    try {
        command->run(options, out);
    } catch (const UsageError& e) {
        return UsageFailure(command->usage, e.what());
    } catch (const CommandError& e) {
        if (e.KeepsOutput())
            std::cout << out.str() << std::flush;
        if (e.IsFinishedLine())
            std::cerr << e.what() << '\n';
        else
            std::cerr << "bscan " << command->name << ": error: " << e.what() << '\n';
        return 1;
    } catch (const std::bad_alloc&) {
        std::cerr << "bscan " << command->name << ": error: out of memory\n";
        return 1;
    }
    std::cout << out.str();
    std::cout.flush();
    return std::cout ? options.exitStatus : 1;
}
