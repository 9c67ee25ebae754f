#include "drive/PortAssignment.h"

#include <cctype>
#include <climits>
#include <vector>

namespace {

bool AllDigits(const std::string& text)
{
    if (text.empty())
        return false;
    for (char c : text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// Decimal digits to a number; false when it does not fit an int.
bool ToNumber(const std::string& digits, int& number)
{
    long long value = 0;
    for (char c : digits) {
        value = value * 10 + (c - '0');
        if (value > INT_MAX)
            return false;
    }
    number = static_cast<int>(value);
    return true;
}

bool ParseValue(std::string text, eSignal& value)
{
    if (text == "0") value = SIGNAL_LOW;
    else if (text == "1") value = SIGNAL_HIGH;
    else if (text == "X" || text == "x") value = SIGNAL_X;
    else if (text == "Z" || text == "z") value = SIGNAL_Z;
    else return false;
    return true;
}

// The pin map's name lookups upper-case the text they are given, so they
// get a writable copy.
std::vector<char> Writable(const std::string& text)
{
    return std::vector<char>(text.c_str(), text.c_str() + text.size() + 1);
}

}  // namespace

bool ParsePortAssignment(const std::string& text, PortAssignment& assignment, std::string& error)
{
    assignment = PortAssignment();
    assignment.text = text;
    const size_t equals = text.find('=');
    if (equals == std::string::npos || equals == 0) {
        error = "'" + text + "' is not of the form PORT=VALUE[:in|:out]";
        return false;
    }
    assignment.port = text.substr(0, equals);
    std::string value = text.substr(equals + 1);
    const size_t colon = value.find(':');
    if (colon != std::string::npos) {
        const std::string direction = value.substr(colon + 1);
        value.erase(colon);
        if (direction == "in") {
            assignment.direction = PORT_IN;
        } else if (direction == "out") {
            assignment.direction = PORT_OUT;
        } else {
            error = "'" + text + "': the direction must be :in or :out";
            return false;
        }
        assignment.hasDirection = true;
    }
    if (!ParseValue(value, assignment.value)) {
        error = "'" + text + "': the value must be 0, 1, X or Z";
        return false;
    }
    return true;
}

KPinNode* ResolvePort(BScanPinMap& map, const std::string& port)
{
    if (port.empty())
        return nullptr;
    int number = 0;
    if (AllDigits(port) && ToNumber(port, number)) {
        if (KPinNode* node = map.GetPort(number))
            return node;
    }
    if (KPinNode* node = map.GetPort(port.c_str()))
        return node;
    const size_t open = port.find('(');
    if (open != std::string::npos && open > 0 && port.back() == ')') {
        const std::string index = port.substr(open + 1, port.size() - open - 2);
        if (AllDigits(index) && ToNumber(index, number)) {
            std::vector<char> name = Writable(port.substr(0, open));
            return map.GetPort(name.data(), number);
        }
        return nullptr;
    }
    std::vector<char> name = Writable(port);
    return map.GetPortwName(name.data());
}

PortType DriveDirection(const PortAssignment& assignment, const KPinNode& node)
{
    if (assignment.hasDirection)
        return assignment.direction;
    switch (node.GetPortType()) {
    case PORT_OUT:
    case PORT_BUFFER:
        return PORT_OUT;
    case PORT_INOUT:
        return assignment.value == SIGNAL_Z ? PORT_IN : PORT_OUT;
    case PORT_IN:
    case PORT_NONE:
        break;
    }
    return PORT_IN;
}
