// Time per pin map lookup at 100, 1,000 and 10,000 ports: by port name
// (GetPortwName), by port name and vector index, by pin number, by pin
// name, cells by pin name, and the serial pin name assignment of the pin
// map reader. Each iteration is one operation on a port picked in a fixed
// random order, so the figures read as time per lookup; they should stay
// flat as the device grows.
//
// The device is built through the public operations, the way the readers
// build it: scalar inout ports named Pad_k in mixed case and one inout bus
// Dq (a tenth of the ports, declared downto), a pin name Pk and pin number
// for every port, and per port an input cell, a three-state output cell
// and its control cell, stored with AddNewRegister.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/BScanPinMap.h"

namespace {

struct Port {
    std::string name;     // as declared
    int index;            // vector index
    std::string pinName;
    int pinNumber;
    int occurrence;       // among the ports of the same name
};

struct Device {
    BScanPinMap map;
    std::vector<Port> ports;  // in a fixed random order
};

std::string Text(const char* text)
{
    return std::string(text);
}

std::unique_ptr<Device> BuildDevice(int portCount)
{
    auto device = std::make_unique<Device>();
    BScanPinMap& map = device->map;
    std::string inout = Text("inout");
    int busWidth = portCount / 10;
    int scalars = portCount - busWidth;

    std::vector<Port> ports;
    for (int k = 0; k < scalars; ++k) {
        std::string name = "Pad_" + std::to_string(k);
        map.AddNewPorts(&name[0], &inout[0], 1, true);
        ports.push_back({name, 0, "", 0, 0});
    }
    std::string bus = Text("Dq");
    map.AddNewPorts(&bus[0], &inout[0], busWidth - 1, 0);
    for (int e = 0; e < busWidth; ++e) {
        ports.push_back({bus, busWidth - 1 - e, "", 0, e});
    }

    // The pin map string: every port its pin name and number.
    for (size_t k = 0; k < ports.size(); ++k) {
        Port& port = ports[k];
        port.pinName = "P" + std::to_string(k + 1);
        port.pinNumber = static_cast<int>(k + 1);
        std::string name = port.name;
        map.SerialSetPinName(&name[0], port.occurrence, &port.pinName[0]);
        map.SerialSetPinNumber(&name[0], port.occurrence, port.pinNumber);
    }

    // The boundary register: input, output3 and control cell per port.
    map.AllocateBScanCellTable(3 * portCount);
    std::string type = Text("BC_1");
    for (size_t k = 0; k < ports.size(); ++k) {
        int first = static_cast<int>(3 * k);
        std::string none = Text("*");
        std::string control = Text("control");
        map.AddNewRegister(first, &type[0], &none[0], 0, &control[0], SIGNAL_LOW, -1,
                           SIGNAL_LOW, SIGNAL_Z, SIGNAL_LOW, "");
        std::string name = ports[k].name;
        std::string input = Text("input");
        map.AddNewRegister(first + 1, &type[0], &name[0], ports[k].index, &input[0], SIGNAL_X,
                           -1, SIGNAL_LOW, SIGNAL_Z, SIGNAL_X, "");
        name = ports[k].name;
        std::string output = Text("output3");
        map.AddNewRegister(first + 2, &type[0], &name[0], ports[k].index, &output[0], SIGNAL_X,
                           first, SIGNAL_LOW, SIGNAL_Z, SIGNAL_X, "");
    }

    std::mt19937 random(static_cast<unsigned>(portCount));
    std::shuffle(ports.begin(), ports.end(), random);
    device->ports = std::move(ports);
    return device;
}

Device& DeviceOf(int portCount)
{
    static std::map<int, std::unique_ptr<Device>> devices;
    std::unique_ptr<Device>& device = devices[portCount];
    if (!device) {
        device = BuildDevice(portCount);
    }
    return *device;
}

// A writable copy of a name, as the lookups by port name want one.
struct NameBuffer {
    char text[64];
    char* Of(const std::string& name)
    {
        std::memcpy(text, name.c_str(), name.size() + 1);
        return text;
    }
};

void BM_GetPortwName(benchmark::State& state)
{
    Device& device = DeviceOf(static_cast<int>(state.range(0)));
    NameBuffer buffer;
    size_t k = 0;
    for (auto _ : state) {
        const Port& port = device.ports[k++ % device.ports.size()];
        benchmark::DoNotOptimize(device.map.GetPortwName(buffer.Of(port.name)));
    }
}

void BM_GetPortByNameAndIndex(benchmark::State& state)
{
    Device& device = DeviceOf(static_cast<int>(state.range(0)));
    NameBuffer buffer;
    size_t k = 0;
    for (auto _ : state) {
        const Port& port = device.ports[k++ % device.ports.size()];
        benchmark::DoNotOptimize(device.map.GetPort(buffer.Of(port.name), port.index));
    }
}

void BM_GetPortByPinNumber(benchmark::State& state)
{
    Device& device = DeviceOf(static_cast<int>(state.range(0)));
    size_t k = 0;
    for (auto _ : state) {
        const Port& port = device.ports[k++ % device.ports.size()];
        benchmark::DoNotOptimize(device.map.GetPort(port.pinNumber));
    }
}

void BM_GetPortByPinName(benchmark::State& state)
{
    Device& device = DeviceOf(static_cast<int>(state.range(0)));
    size_t k = 0;
    for (auto _ : state) {
        const Port& port = device.ports[k++ % device.ports.size()];
        benchmark::DoNotOptimize(device.map.GetPort(port.pinName.c_str()));
    }
}

void BM_GetBScanCellByPinName(benchmark::State& state)
{
    Device& device = DeviceOf(static_cast<int>(state.range(0)));
    std::vector<std::string> cellNames;
    for (const Port& port : device.ports) {
        cellNames.push_back(port.index == 0 ? port.name : port.name + std::to_string(port.index));
    }
    size_t k = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            device.map.GetBScanCell(cellNames[k++ % cellNames.size()].c_str()));
    }
}

// Each iteration gives a port a new pin name (alternating between two), so
// the pin name index is updated as well.
void BM_SerialSetPinName(benchmark::State& state)
{
    Device& device = DeviceOf(static_cast<int>(state.range(0)));
    std::vector<std::string> names, pins[2];
    for (const Port& port : device.ports) {
        // The stored name, which earlier lookups may have upper-cased.
        names.push_back(device.map.GetPort(port.pinNumber)->GetPortName());
        pins[0].push_back("Q" + port.pinName);
        pins[1].push_back(port.pinName);
    }
    NameBuffer buffer;
    char pin[64];
    size_t k = 0;
    for (auto _ : state) {
        size_t i = k % names.size();
        const std::string& text = pins[(k / names.size()) % 2][i];
        std::memcpy(pin, text.c_str(), text.size() + 1);
        device.map.SerialSetPinName(buffer.Of(names[i]), device.ports[i].occurrence, pin);
        ++k;
    }
}

}  // namespace

BENCHMARK(BM_GetPortwName)->Arg(100)->Arg(1000)->Arg(10000);
BENCHMARK(BM_GetPortByNameAndIndex)->Arg(100)->Arg(1000)->Arg(10000);
BENCHMARK(BM_GetPortByPinNumber)->Arg(100)->Arg(1000)->Arg(10000);
BENCHMARK(BM_GetPortByPinName)->Arg(100)->Arg(1000)->Arg(10000);
BENCHMARK(BM_GetBScanCellByPinName)->Arg(100)->Arg(1000)->Arg(10000);
BENCHMARK(BM_SerialSetPinName)->Arg(100)->Arg(1000)->Arg(10000);

BENCHMARK_MAIN();
