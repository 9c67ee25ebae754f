#include "DeviceCore.h"

#include "TemporaryFile.h"

#include <dlfcn.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>

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

// The directory of the extension module itself.
std::string ModuleDirectory()
{
    Dl_info info;
    if (dladdr(reinterpret_cast<void*>(&ModuleDirectory), &info) == 0 || !info.dli_fname)
        return ".";
    const std::string path = info.dli_fname;
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::mutex& ReadMutex()
{
    // Never destroyed: Devices may still be freed while the process ends.
    static std::mutex* mutex = new std::mutex;
    return *mutex;
}

std::string MessageDirectory()
{
    const std::string moduleDir = ModuleDirectory();
    const char* fromEnvironment = std::getenv("BSCAN_DATA_DIR");
    if (fromEnvironment && *fromEnvironment)
        return IsDirectory(fromEnvironment) ? fromEnvironment : moduleDir;
    for (const std::string& dir : {moduleDir + "/" + BSCAN_PY_DATA_RELATIVE, std::string(BSCAN_PY_BUILD_DATA_DIR)})
        if (IsFile(dir + "/" + kMessageFile))
            return dir;
    return moduleDir;
}

DeviceCore::DeviceCore(const std::string& path) : m_parser(new DeviceParser), m_path(path) {}

DescriptionPtr ReadDescriptionFile(const std::string& file, const std::string& messageDir)
{
    DescriptionPtr description(new BScanDevice);
    std::lock_guard<std::mutex> lock(ReadMutex());
    description->Read(file, messageDir);
    description->Parser().CloseFile();
    return description;
}

std::shared_ptr<DeviceCore> DeviceCore::ReadText(const std::string& text)
{
    TemporaryFile file(text);
    std::shared_ptr<DeviceCore> core = Read(file.Path(), "<string>");
    core->m_fromText = true;
    core->m_text = text;
    return core;
}

const BScanDevice& DeviceCore::Description()
{
    std::lock_guard<std::mutex> lock(m_descriptionMutex);
    if (!m_description) {
        if (m_fromText) {
            TemporaryFile file(m_text);
            m_description = ReadDescriptionFile(file.Path(), MessageDirectory());
        } else {
            struct stat info;
            if (stat(m_path.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR))
                throw MissingFile{m_path};
            m_description = ReadDescriptionFile(m_path, MessageDirectory());
        }
    }
    return *m_description;
}

std::shared_ptr<DeviceCore> DeviceCore::Read(const std::string& file, const std::string& shownPath)
{
    struct stat info;
    if (stat(file.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR))
        throw MissingFile{shownPath};
    const std::string messageDir = MessageDirectory();
    std::shared_ptr<DeviceCore> core(new DeviceCore(shownPath));
    int result;
    long long line;
    {
        std::lock_guard<std::mutex> lock(ReadMutex());
        result = ReadDeviceFile(*core->m_parser, file, {}, messageDir);
        line = core->m_parser->GetLineNumber();
        core->m_parser->CloseFile();
    }
    if (result < 0)
        throw ReadFailure{result, line, shownPath, ReadErrorMessage(line, result, messageDir)};
    return core;
}

const std::vector<PortEntry>& DeviceCore::Ports() const
{
    if (!m_catalogued) {
        if (BScanPinMap* map = Map()) {
            m_ports = ListPorts(*map);
            for (size_t i = 0; i < m_ports.size(); ++i)
                m_portIndex.emplace(m_ports[i].node, static_cast<int>(i));
        }
        m_catalogued = true;
    }
    return m_ports;
}

int DeviceCore::PortIndex(const KPinNode* node) const
{
    Ports();
    auto found = m_portIndex.find(node);
    return found == m_portIndex.end() ? -1 : found->second;
}

int DeviceCore::BoundaryLength() const
{
    const BScanPinMap* map = Map();
    return map ? map->GetBScanLength() : 0;
}

ParserPtr DeviceCore::CopyParser() const
{
    return ParserPtr(new DeviceParser(*m_parser));
}
