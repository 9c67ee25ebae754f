// Running the built `bscan` program from a test: its exit status and what
// it wrote to standard output and standard error. The arguments reach the
// program as they are (each quoted for the shell); standard input is
// /dev/null.
#pragma once

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <sys/wait.h>

#include "ScratchDir.h"

namespace bscan_test {

struct ToolResult {
    int status = -1;   // the exit status, -1 when the program did not exit
    std::string out;
    std::string err;
};

// `text` as one word of the shell, whatever it holds.
inline std::string ShellQuote(const std::string& text)
{
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// The whole file, or "" when it cannot be read.
inline std::string SlurpFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs `program` with `args`: in `workDir` when it is given, with the
// NAME=VALUE words of `environment` set for it.
inline ToolResult RunProgram(const std::string& program, const std::vector<std::string>& args,
                             const std::string& environment = "", const std::string& workDir = "")
{
    static const std::string dir = NewScratchSubdir("program_runs");
    const std::string outPath = dir + "/out", errPath = dir + "/err";
    std::string command = workDir.empty() ? "" : "cd " + ShellQuote(workDir) + " && ";
    command += environment + " " + ShellQuote(program);
    for (const std::string& arg : args)
        command += " " + ShellQuote(arg);
    command += " >" + ShellQuote(outPath) + " 2>" + ShellQuote(errPath) + " </dev/null";
    ToolResult run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = SlurpFile(outPath);
    run.err = SlurpFile(errPath);
    return run;
}

#ifdef BSCAN_TOOL_PATH
// Runs the built `bscan` tool.
inline ToolResult RunBscan(const std::vector<std::string>& args, const std::string& environment = "",
                           const std::string& workDir = "")
{
    return RunProgram(BSCAN_TOOL_PATH, args, environment, workDir);
}
#endif

}  // namespace bscan_test
