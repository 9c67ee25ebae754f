// Writes the synthetic device of bench/DeviceGenerator with N cells:
//
//     write_device N > device.bsdl
#include <cstdio>
#include <cstdlib>

#include "DeviceGenerator.h"

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const GeneratedDevice device = GenerateDevice(std::atoi(argv[1]));
    std::fwrite(device.text.data(), 1, device.text.size(), stdout);
    return 0;
}
