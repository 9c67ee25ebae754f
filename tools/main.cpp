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
    {"drive", "Drive ports and print the scan image as hex bytes and as bits from cell 0",
     "bscan drive FILE [--preset HEX] [--mask] PORT=VALUE[:in|:out]...", RunDrive},
    {"svf", "Print SVF that loads an instruction and shifts the driven image",
     "bscan svf FILE --instruction NAME [--preset HEX] PORT=VALUE[:in|:out]...", RunSvf},
    {"view", "Write one self-contained HTML page of the package, its pins, cells and instructions",
     "bscan view FILE [--preset HEX] [-o FILE.html] [PORT=VALUE[:in|:out]...]", RunView},
};

const char* const kToolUsage = "bscan {info|ports|cells|json|drive|svf|view|check} FILE [ARGS]... (bscan --help)";

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
        sub->add_option("FILE", options.file, "BSDL file")->required()->type_name("");
        if (std::string(command.name) == "drive") {
            AddDriveArguments(*sub, options);
            sub->add_flag("--mask", options.mask,
                          "Print the mask of the named ports' bits instead (cleared image, then the "
                          "four-argument setPort)");
        } else if (std::string(command.name) == "svf") {
            sub->add_option("--instruction", options.instruction,
                            "Instruction to load (first opcode; name ignoring case)")
                ->required()
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
    return std::cout ? 0 : 1;
}
