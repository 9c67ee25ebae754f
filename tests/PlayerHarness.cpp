#include "PlayerHarness.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace bscan_test {

namespace {

using Clock = std::chrono::steady_clock;

std::string Slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool IsExecutable(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Starts the program with its output going to `outputFile`; -1 on failure.
pid_t Start(const std::vector<std::string>& args, const std::string& outputFile)
{
    std::vector<char*> argv;
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int fd = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int null = open("/dev/null", O_RDONLY);
        if (fd >= 0) {
            dup2(fd, 1);
            dup2(fd, 2);
        }
        if (null >= 0)
            dup2(null, 0);
        execv(argv[0], argv.data());
        _exit(127);
    }
    return pid;
}

// The exit status, or -1 after killing it when `seconds` pass first.
int Wait(pid_t pid, double seconds)
{
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(static_cast<long>(seconds * 1000));
    for (;;) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid)
            return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0)
            return -1;
        if (Clock::now() >= deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

}  // namespace

std::string FindOpenocd()
{
    const char* configured = std::getenv("BSCAN_OPENOCD");
    if (configured && *configured)
        return IsExecutable(configured) ? configured : "";
    const char* path = std::getenv("PATH");
    std::istringstream dirs(path ? path : "/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = (dir.empty() ? "." : dir) + "/openocd";
        if (IsExecutable(candidate))
            return candidate;
    }
    return "";
}

int RunProgram(const std::vector<std::string>& args, std::string& output, double seconds)
{
    static int counter = 0;
    const std::string file = std::string(::getenv("TMPDIR") ? ::getenv("TMPDIR") : "/tmp") + "/bscan_run_" +
                             std::to_string(getpid()) + "_" + std::to_string(++counter) + ".log";
    const pid_t pid = Start(args, file);
    if (pid < 0)
        return -1;
    const int status = Wait(pid, seconds);
    output = Slurp(file);
    unlink(file.c_str());
    return status;
}

PlayResult PlaySvf(const std::string& openocd, const std::string& boardChain, const std::vector<int>& irLengths,
                   const std::string& svfFile, const std::string& dir, const std::vector<std::string>& pins)
{
    PlayResult result;
    const std::string portFile = dir + "/board.port";
    const std::string stateFile = dir + "/board.json";
    const std::string boardLog = dir + "/board.log";
    unlink(portFile.c_str());
    unlink(stateFile.c_str());
    std::vector<std::string> boardArgs = {BSCAN_SIM_PATH, boardChain, portFile, stateFile, "60"};
    boardArgs.insert(boardArgs.end(), pins.begin(), pins.end());
    const pid_t board = Start(boardArgs, boardLog);
    if (board < 0) {
        result.failure = "the simulated board did not start";
        return result;
    }
    std::string port;
    for (int i = 0; i < 2000 && port.empty(); ++i) {
        std::ifstream in(portFile);
        std::getline(in, port);
        if (port.empty()) {
            int status = 0;
            if (waitpid(board, &status, WNOHANG) == board) {
                result.failure = "the simulated board stopped: " + Slurp(boardLog);
                return result;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    if (port.empty()) {
        kill(board, SIGKILL);
        Wait(board, 5);
        result.failure = "the simulated board gave no port";
        return result;
    }
    // OpenOCD lists the TAPs from the one nearest TDO.
    std::vector<std::string> args = {openocd, "-c", "adapter driver remote_bitbang", "-c",
                                     "remote_bitbang host 127.0.0.1", "-c", "remote_bitbang port " + port, "-c",
                                     "transport select jtag"};
    for (size_t i = irLengths.size(); i-- > 0;) {
        args.push_back("-c");
        args.push_back("jtag newtap dev" + std::to_string(i) + " tap -irlen " + std::to_string(irLengths[i]));
    }
    args.insert(args.end(), {"-c", "init", "-c", "svf " + svfFile, "-c", "shutdown"});
    result.openocdStatus = RunProgram(args, result.openocdLog, 60);
    result.boardStatus = Wait(board, 30);
    result.boardLog = Slurp(boardLog);
    result.stateJson = Slurp(stateFile);
    result.ran = result.openocdStatus >= 0 && !result.stateJson.empty();
    if (!result.ran)
        result.failure = "OpenOCD or the board did not finish: " + result.openocdLog + result.boardLog;
    return result;
}

}  // namespace bscan_test
