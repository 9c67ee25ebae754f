#include "ChainCore.h"

#include <sys/stat.h>

#include <cerrno>

#include "chain/ChainSvf.h"

namespace {

ChainPtr ReadChainFile(const std::string& file)
{
    struct stat info;
    if (stat(file.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR))
        throw MissingFile{file};
    const std::string messageDir = MessageDirectory();
    ChainPtr chain(new BScanChain);
    int result;
    {
        std::lock_guard<std::mutex> lock(ReadMutex());
        result = chain->Read(file, messageDir);
        // The devices' reads leave the library's one stream open.
        for (size_t i = 0; i < chain->DeviceCount(); ++i)
            if (chain->Device(i).HasFile()) {
                chain->Device(i).device->Parser().CloseFile();
                break;
            }
    }
    if (result != 0)
        throw ChainFailure{chain->Error(), file};
    return chain;
}

void DriveOrFail(BScanChain& chain, const std::vector<std::string>& assignments, const std::string& file)
{
    std::string error;
    if (!assignments.empty() && chain.Drive(assignments, error) != 0)
        throw ChainFailure{error, file};
}

}  // namespace

std::shared_ptr<ChainCore> ChainCore::Read(const std::string& file)
{
    std::shared_ptr<ChainCore> core(new ChainCore(file));
    core->m_chain = ReadChainFile(file);
    return core;
}

void ChainCore::Drive(const std::vector<std::string>& assignments)
{
    try {
        DriveOrFail(*m_chain, assignments, m_path);
    } catch (const ChainFailure&) {
        // Back to the state before this call.
        ChainPtr fresh = ReadChainFile(m_path);
        DriveOrFail(*fresh, m_applied, m_path);
        m_chain = std::move(fresh);
        throw;
    }
    m_applied.insert(m_applied.end(), assignments.begin(), assignments.end());
}

std::string ChainCore::FreshSvf(const std::string& file, const std::vector<std::string>& assignments,
                                bool idcodeCheck, bool sampleOnly)
{
    ChainPtr chain = ReadChainFile(file);
    DriveOrFail(*chain, assignments, file);
    ChainSvfOptions options;
    options.idcodeCheck = idcodeCheck;
    options.sampleOnly = sampleOnly;
    std::string svf, error;
    if (WriteChainSvf(*chain, options, svf, error) != 0)
        throw ChainFailure{error, file};
    return svf;
}
