// `bscan drive FILE [--preset HEX] [--mask] PORT=VALUE[:in|:out] ...`:
// drives the ports and prints the scan image, first as the bytes the pin
// map holds (cell 0 the most significant bit of the first byte), then as
// one character per cell from cell 0. With --mask the image shows instead
// which bits belong to the named ports. With --chain CHAIN the arguments
// are NAME.PORT=VALUE and each device's image is printed
// (tools/CommandChain.cpp).
#include "drive/BitImage.h"
#include "tools/PortDriver.h"

void RunDrive(const CommandOptions& options, std::ostream& out)
{
    if (!options.chain.empty())
        return RunChainDrive(options, out);
    if (options.file.empty())
        throw UsageError("a BSDL FILE or --chain CHAIN is needed");
    DeviceParser parser;
    BScanPinMap* map = ReadAndDrive(parser, options, options.mask);
    const int length = map ? map->GetBScanLength() : 0;
    const unsigned char* image = map ? map->GetBScanBitArray() : nullptr;
    const std::string hex = ImageHexBytes(image, length);
    const std::string bits = ImageBitString(image, length);
    out << "image:" << (hex.empty() ? "" : " ") << hex << '\n';
    out << "bits:" << (bits.empty() ? "" : "  ") << bits << '\n';
}
