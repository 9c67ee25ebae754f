// The chain commands: `bscan chain CHAIN`, `bscan drive --chain CHAIN
// NAME.PORT=VALUE...` and `bscan svf --chain CHAIN [--no-idcode]
// [--sample-only] NAME.PORT=VALUE...`. The chain logic is the library's
// (chain/); these print its answers.
#include "chain/BScanChain.h"
#include "chain/ChainSvf.h"
#include "chain/Identify.h"
#include "device/BScanDevice.h"
#include "drive/BitImage.h"
#include "model/BScanPinMap.h"
#include "tools/ChainLoader.h"
#include "tools/Commands.h"
#include "tools/TextTable.h"

void ReadChain(BScanChain& chain, const std::string& file)
{
    if (chain.Read(file, FindMessageDirectory()) != 0)
        throw CommandError(chain.Error(), true);
}

std::vector<std::string> ChainAssignments(const CommandOptions& options)
{
    std::vector<std::string> assignments;
    if (!options.file.empty())
        assignments.push_back(options.file);
    assignments.insert(assignments.end(), options.assignments.begin(), options.assignments.end());
    return assignments;
}

void DriveChain(BScanChain& chain, const std::vector<std::string>& assignments)
{
    std::string error;
    const int result = chain.Drive(assignments, error);
    if (result == 1)
        throw UsageError(error);
    if (result != 0)
        throw CommandError(error, error.rfind(chain.Path() + ":", 0) == 0);
}

void RunChain(const CommandOptions& options, std::ostream& out)
{
    BScanChain chain;
    ReadChain(chain, options.file);
    TextTable table({"#", "NAME", "ENTITY", "IR", "IDCODE", "BOUNDARY"});
    int boundaryBits = 0;
    for (size_t i = 0; i < chain.DeviceCount(); ++i) {
        const BScanChainDevice& device = chain.Device(i);
        std::string entity = "-", idcode = "-", boundary = "-";
        if (device.HasFile()) {
            if (!device.device->Entity().empty())
                entity = device.device->Entity();
            if (const BScanIdcode* id = device.device->Idcode())
                idcode = IdcodePatternHex(id->pattern);
            boundary = std::to_string(device.boundaryLength);
            boundaryBits += device.boundaryLength;
        }
        table.AddRow({std::to_string(i + 1), device.name, entity, std::to_string(device.irLength), idcode,
                      boundary});
    }
    table.Print(out);
    out << "IR bits: " << chain.IrBits() << '\n';
    out << "DR bits in BYPASS: " << chain.BypassDrBits() << '\n';
}

void RunChainDrive(const CommandOptions& options, std::ostream& out)
{
    if (options.mask || !options.preset.empty())
        throw UsageError("--mask and --preset work on one device, not with --chain");
    BScanChain chain;
    ReadChain(chain, options.chain);
    DriveChain(chain, ChainAssignments(options));
    for (size_t i = 0; i < chain.DeviceCount(); ++i) {
        const BScanChainDevice& device = chain.Device(i);
        BScanPinMap* map = chain.PinMap(i);
        out << device.name << ':';
        if (!map || device.boundaryLength <= 0) {
            out << " bypass\n";
            continue;
        }
        out << '\n';
        const std::string hex = ImageHexBytes(map->GetBScanBitArray(), map->GetBScanLength());
        out << "  image: " << hex << '\n';
        out << "  bits:  " << chain.ImageBits(i) << '\n';
    }
}

void RunChainSvf(const CommandOptions& options, std::ostream& out)
{
    if (!options.instruction.empty() || !options.preset.empty())
        throw UsageError("--instruction and --preset work on one device, not with --chain");
    BScanChain chain;
    ReadChain(chain, options.chain);
    DriveChain(chain, ChainAssignments(options));
    ChainSvfOptions svfOptions;
    svfOptions.idcodeCheck = !options.noIdcode;
    svfOptions.sampleOnly = options.sampleOnly;
    std::string svf, error;
    if (WriteChainSvf(chain, svfOptions, svf, error) != 0)
        throw CommandError(error, error.rfind(chain.Path() + ":", 0) == 0);
    out << svf;
}
