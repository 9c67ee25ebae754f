// How a command reports that it cannot do what was asked. main() catches
// these and turns them into the line on standard error and the exit status.
#ifndef BSCAN_TOOL_TOOLERRORS_H
#define BSCAN_TOOL_TOOLERRORS_H

#include <stdexcept>
#include <string>

// The command line asks for something the file does not have or that is
// not well formed (an unknown port, a bad value): exit status 2, followed
// by the command's usage line.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file cannot be read, or the device cannot do what was asked: exit
// status 1. A read failure carries its finished line (FILE:LINE: error:
// ...); other failures are prefixed with the command's name. With
// `keepOutput` what the command wrote is still printed (the page of
// `view` that tells why the file did not read).
class CommandError : public std::runtime_error {
public:
    CommandError(const std::string& message, bool finishedLine = false, bool keepOutput = false)
        : std::runtime_error(message), m_finishedLine(finishedLine), m_keepOutput(keepOutput) {}
    bool IsFinishedLine() const { return m_finishedLine; }
    bool KeepsOutput() const { return m_keepOutput; }

private:
    bool m_finishedLine;
    bool m_keepOutput;
};

#endif
