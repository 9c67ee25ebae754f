// BScanChain: the devices of one scan path, read from a chain file
// (chain/ChainFile.h), each device with a BSDL file read whole into a
// BScanDevice. The chain knows each device's instruction register (length
// and the opcodes of the instructions a chain test uses), its boundary
// register, and drives ports device by device (NAME.PORT=VALUE), so that
// its images can be shifted, checked and decoded.
//
// Scan order: device 0 is the first line of the chain file, the device
// whose TDI is the board's TDI; the last device's TDO is the board's TDO.
// SVF shifts a value's least significant bit first, and the bit shifted
// first travels furthest, to the end nearest TDO. So a value shifted
// through the whole chain holds the last device's bits as its least
// significant bits and device 0's as its most significant ones;
// chain/ChainScan.h builds those values.
//
// Never throws; failures are return codes with one error line
// "FILE:LINE: error: MESSAGE" (a BSDL file that does not read gives its
// own line, as `bscan info` prints it).
#ifndef BSCAN_CHAIN_BSCANCHAIN_H
#define BSCAN_CHAIN_BSCANCHAIN_H

#include "util/BScanExport.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "chain/ChainFile.h"

class BScanDevice;
class BScanPinMap;

struct BScanChainDevice {
    std::string name;                     // as in the chain file
    std::string path;                     // the BSDL path as resolved; "" for ir=N
    long long line = 0;                   // line in the chain file
    int irLength = 0;                     // instruction length (the file's, or N of ir=N)
    int boundaryLength = 0;               // boundary cells; 0 without file or boundary register
    bool driven = false;                  // a port of this device was driven (BScanChain::Drive)
    std::shared_ptr<BScanDevice> device;  // the whole read; null for ir=N

    bool HasFile() const { return device != nullptr; }
};

class BSCAN_API BScanChain {
public:
    BScanChain();
    ~BScanChain();
    BScanChain(BScanChain&&) noexcept;
    BScanChain& operator=(BScanChain&&) noexcept;
    BScanChain(const BScanChain&) = delete;
    BScanChain& operator=(const BScanChain&) = delete;

    // Reads the chain file and every BSDL file it names (BScanDevice::Read,
    // messageDir being the directory of ErrorList.txt). Returns 0, or -1
    // with Error() set. A device with a file needs an instruction length
    // of 1 or more.
    int Read(const std::string& chainFile, const std::string& messageDir);
    // The same for entries already read; `chainFile` names them in errors.
    int ReadEntries(const std::vector<ChainFileEntry>& entries, const std::string& chainFile,
                    const std::string& messageDir);

    const std::string& Error() const;
    const std::string& Path() const;      // the chain file as given

    size_t DeviceCount() const;
    const BScanChainDevice& Device(size_t index) const;
    BScanChainDevice& Device(size_t index);
    int FindDevice(const std::string& name) const;   // index, ignoring case; -1 when none

    int IrBits() const;                   // sum of the instruction lengths
    int BypassDrBits() const;             // DR bits with every device in BYPASS (one each)

    // Opcodes as BSDL writes them (first character shifted last), the first
    // opcode of the instruction with any X written 0; "" when the device has
    // no file or no such instruction. Names ignore case.
    std::string InstructionOpcode(size_t index, const std::string& instruction) const;
    // BYPASS's opcode, or all ones (a device without file, or a file
    // without BYPASS).
    std::string BypassOpcode(size_t index) const;
    // The instruction that loads the update stage without driving the pins:
    // PRELOAD, else an instruction whose name holds both SAMPLE and PRELOAD,
    // else SAMPLE. "" when none; `name` gets the instruction's name.
    std::string PreloadOpcode(size_t index, std::string* name = nullptr) const;
    // The device has an IDCODE instruction and a 32-bit IDCODE_REGISTER.
    bool HasIdcode(size_t index) const;
    // What Capture-IR loads, as BSDL writes it ('0', '1', 'X'; first
    // character shifted last), irLength characters: INSTRUCTION_CAPTURE when
    // it is that long, else X...X01 (the two bits every device captures).
    std::string InstructionCapture(size_t index) const;

    // Drives NAME.PORT=VALUE[:in|:out] arguments in the order given, each on
    // its device's pin map exactly as `bscan drive` does (drive/). Marks the
    // devices driven. Returns 0; 1 when an argument has no NAME. prefix or
    // is malformed, or a port is unknown (usage errors); 2 when the device
    // is not in the chain or the library refuses the drive. `error` says why.
    int Drive(const std::vector<std::string>& assignments, std::string& error);

    // The device's pin map (null without file or ports), and its image as
    // one character per cell from cell 0 ("" without boundary register).
    BScanPinMap* PinMap(size_t index) const;
    std::string ImageBits(size_t index) const;

private:
    std::vector<BScanChainDevice> m_devices;
    std::string m_path;
    std::string m_error;
};

#endif
