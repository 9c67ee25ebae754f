#include "tools/DeviceLoader.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "util/ErrorHandler.h"

namespace {

const char* const kMessageFile = "ErrorList.txt";

bool IsDirectory(const std::string& path)
{
    struct stat info;
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool IsFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The directory that holds the running program.
std::string ProgramDirectory()
{
    std::vector<char> buffer(4096);
    ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
    if (n <= 0)
        return ".";
    std::string path(buffer.data(), static_cast<size_t>(n));
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

int DeviceParser::Reset()
{
    m_resetRan = true;
    return BScanParser::Reset();
}

std::string FindMessageDirectory()
{
    const std::string programDir = ProgramDirectory();
    const char* fromEnvironment = std::getenv("BSCAN_DATA_DIR");
    if (fromEnvironment && *fromEnvironment)
        return IsDirectory(fromEnvironment) ? fromEnvironment : programDir;
    for (const char* relative : {"/../share/bscan", "/../data"}) {
        std::string dir = programDir + relative;
        if (IsFile(dir + "/" + kMessageFile))
            return dir;
    }
    return programDir;
}

std::string ReadErrorMessage(long long line, int code, const std::string& messageDir)
{
    std::string message = "no message text for this code (message file " +
                          std::string(kMessageFile) + " not found)";
    ErrorHandler messages;
    messages.SetDefaultDir(messageDir.c_str());
    if (code < 0 && messages.Initialize(kMessageFile, 3) >= 0) {
        const ErrorElement* element =
            messages.GetErrorElement(2, static_cast<uint16_t>(-code));
        if (element && element->GetErrorMessage()) {
            // The message is a format that takes the line and the column;
            // the handler only loads formats with at most two %d.
            char text[2048];
            std::snprintf(text, sizeof text, element->GetErrorMessage(),
                          static_cast<int>(line), 0);
            message = text;
        } else {
            message = "no message text for this code in " + std::string(kMessageFile);
        }
    }
    return message;
}

std::string FormatReadError(const std::string& file, long long line, int code,
                            const std::string& messageDir)
{
    const std::string message = ReadErrorMessage(line, code, messageDir);
    const char* name = BScanReturnCodeName(code);
    return file + ":" + std::to_string(line) + ": error: " + message + " (" +
           (name ? name : "unknown code") + ", " + std::to_string(code) + ")";
}

int LoadDevice(DeviceParser& parser, const std::string& file,
               const std::vector<unsigned char>& presets, std::string& errorLine)
{
    const std::string messageDir = FindMessageDirectory();
    const int result = ReadDeviceFile(parser, file, presets, messageDir);
    if (result < 0)
        errorLine = FormatReadError(file, parser.GetLineNumber(), result, messageDir);
    return result;
}

int ReadDeviceFile(DeviceParser& parser, const std::string& file,
                   const std::vector<unsigned char>& presets, const std::string& messageDir)
{
    if (!presets.empty()) {
        std::vector<unsigned char> values(presets);
        parser.SetBSCANBitArray(values.data(), static_cast<int>(values.size()), nullptr);
    }
    int result = parser.Initialize(file.c_str(), messageDir.c_str());
    // After Reset, a negative result is the message file's: the BSDL file
    // is open and the parser ready, so reading goes on without messages.
    if (result < 0 && !parser.ResetRan())
        return result;
    result = parser.Read();
    return result < 0 ? result : 0;
}
