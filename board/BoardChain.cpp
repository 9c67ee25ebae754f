#include "board/BoardChain.h"

#include "chain/BScanChain.h"
#include "device/BScanDevice.h"

bool DescribeChain(const BScanChain& chain, std::vector<BoardDevice>& devices, std::string& error)
{
    devices.clear();
    for (size_t i = 0; i < chain.DeviceCount(); ++i) {
        const BScanChainDevice& entry = chain.Device(i);
        if (!entry.HasFile()) {
            devices.push_back(UndescribedDevice(entry.name, entry.irLength));
            continue;
        }
        BoardDevice device;
        std::string reason;
        if (!DescribeDevice(entry.name, entry.device->Parser(), device, reason)) {
            error = chain.Path() + ":" + std::to_string(entry.line) + ": error: " + entry.name + ": " + reason;
            return false;
        }
        if (chain.HasIdcode(i)) {
            const BScanIdcode* id = entry.device->Idcode();
            device.hasIdcode = true;
            device.idcodeValue = id->value & id->mask;
            device.idcodeMask = id->mask;
        }
        devices.push_back(std::move(device));
    }
    return true;
}
