// Hand-made chain devices for the board tests: cells and pins added one
// by one, with the instructions every test device has.
#pragma once

#include <string>

#include "board/BoardDevice.h"

namespace bscan_test {

inline BoardDevice HandDevice(const std::string& name)
{
    BoardDevice device;
    device.name = name;
    device.entity = "HAND_" + name;
    device.described = true;
    device.irLength = 4;
    device.opcodes = {{"BYPASS", "1111"}, {"EXTEST", "0000"}, {"SAMPLE", "0001"}, {"PRELOAD", "0001"}, {"IDCODE", "0010"}};
    return device;
}

inline int AddCell(BoardDevice& device, CellFunction function, int control = -1, int disableValue = -1, int safe = 0)
{
    BoardCell cell;
    cell.function = function;
    cell.control = control;
    cell.disableValue = disableValue;
    cell.safe = safe;
    device.cells.push_back(cell);
    return static_cast<int>(device.cells.size()) - 1;
}

// A control cell (safe value 0, disabling with 0).
inline int AddControl(BoardDevice& device)
{
    return AddCell(device, FUNC_CONTROL, -1, -1, 0);
}

inline void AddPin(BoardDevice& device, const std::string& pin, int input, int output, int observe = -1,
                   bool linkage = false)
{
    BoardPin p;
    p.pin = pin;
    p.port = "P_" + pin;
    p.type = linkage ? PORT_NONE : PORT_INOUT;
    p.linkage = linkage;
    p.input = input;
    p.output = output;
    p.observe = observe;
    device.pins.push_back(p);
}

// A bidirectional pin with its own control cell, or `control` when given.
inline void AddBidir(BoardDevice& device, const std::string& pin, int control = -1)
{
    if (control < 0)
        control = AddControl(device);
    const int out = AddCell(device, FUNC_OUTPUT3, control, 0);
    const int in = AddCell(device, FUNC_INPUT);
    AddPin(device, pin, in, out);
}

inline void AddInput(BoardDevice& device, const std::string& pin)
{
    AddPin(device, pin, AddCell(device, FUNC_INPUT), -1);
}

// A tristate output without input cell.
inline void AddOutput3(BoardDevice& device, const std::string& pin, int control = -1)
{
    if (control < 0)
        control = AddControl(device);
    AddPin(device, pin, -1, AddCell(device, FUNC_OUTPUT3, control, 0));
}

// An output that cannot be switched off.
inline void AddOutput2(BoardDevice& device, const std::string& pin)
{
    AddPin(device, pin, -1, AddCell(device, FUNC_OUTPUT2, -1, -1, 1));
}

}  // namespace bscan_test
