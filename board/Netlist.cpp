#include "board/Netlist.h"

#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "board/SExpression.h"

namespace {

std::string Located(const std::string& file, int line, const std::string& reason)
{
    return file + ":" + std::to_string(line) + ": error: " + reason;
}

// A pin may be on one net only, and a net name is used once.
class NetlistChecks {
public:
    bool AddNet(const Net& net, const std::string& file, std::string& error)
    {
        auto named = m_netLines.emplace(net.name, net.line);
        if (!named.second) {
            error = Located(file, net.line, "net '" + net.name + "' already defined on line " +
                                                std::to_string(named.first->second));
            return false;
        }
        for (const NetPin& pin : net.pins) {
            auto placed = m_pinNets.emplace(NetPinName(pin), net.name);
            if (!placed.second) {
                error = Located(file, pin.line, "pin " + NetPinName(pin) + " is already on net '" +
                                                    placed.first->second + "'");
                return false;
            }
        }
        return true;
    }

private:
    std::map<std::string, int> m_netLines;
    std::map<std::string, std::string> m_pinNets;
};

// The atom after the head of (head VALUE), as a required field.
bool RequiredValue(const SExpression& list, const std::string& head, const std::string& what,
                   const std::string& file, std::string& value, std::string& error)
{
    const SExpression* item = list.Find(head);
    if (!item) {
        error = Located(file, list.line, what + " without (" + head + " ...)");
        return false;
    }
    if (item->items.size() != 2 || item->items[1].isList) {
        error = Located(file, item->line, "(" + head + " ...) must hold one value");
        return false;
    }
    value = item->items[1].text;
    if (value.empty()) {
        error = Located(file, item->line, "empty " + head + " in " + what);
        return false;
    }
    return true;
}

}  // namespace

std::string NetPinName(const NetPin& pin)
{
    return pin.ref + "." + pin.pin;
}

bool ReadKicadNetlist(const std::string& text, const std::string& fileName, Netlist& netlist,
                      std::string& error)
{
    netlist = Netlist();
    netlist.file = fileName;
    SExpression root;
    if (!ReadSExpression(text, fileName, root, error))
        return false;
    if (root.Head() != "export") {
        error = Located(fileName, root.line, "not a KiCad netlist export (expected (export ...))");
        return false;
    }
    if (const SExpression* components = root.Find("components")) {
        for (const SExpression& comp : components->items) {
            if (!comp.isList || comp.Head() != "comp")
                continue;
            std::string ref;
            if (!RequiredValue(comp, "ref", "component", fileName, ref, error))
                return false;
            netlist.components.push_back(ref);
        }
    }
    const SExpression* nets = root.Find("nets");
    if (!nets) {
        error = Located(fileName, root.line, "the export has no (nets ...)");
        return false;
    }
    NetlistChecks checks;
    for (const SExpression& item : nets->items) {
        if (!item.isList || item.Head() != "net")
            continue;
        Net net;
        net.line = item.line;
        if (!RequiredValue(item, "name", "net", fileName, net.name, error))
            return false;
        for (const SExpression& node : item.items) {
            if (!node.isList || node.Head() != "node")
                continue;
            NetPin pin;
            pin.line = node.line;
            if (!RequiredValue(node, "ref", "node", fileName, pin.ref, error) ||
                !RequiredValue(node, "pin", "node", fileName, pin.pin, error))
                return false;
            net.pins.push_back(pin);
        }
        if (!checks.AddNet(net, fileName, error))
            return false;
        netlist.nets.push_back(std::move(net));
    }
    return true;
}

bool ReadTextNetlist(const std::string& text, const std::string& fileName, Netlist& netlist,
                     std::string& error)
{
    netlist = Netlist();
    netlist.file = fileName;
    NetlistChecks checks;
    std::istringstream lines(text);
    std::string line;
    int lineNumber = 0;
    while (std::getline(lines, line)) {
        ++lineNumber;
        const size_t comment = line.find('#');
        if (comment != std::string::npos)
            line.erase(comment);
        std::istringstream fields(line);
        Net net;
        net.line = lineNumber;
        if (!(fields >> net.name))
            continue;
        std::string field;
        while (fields >> field) {
            const size_t dot = field.rfind('.');
            if (dot == std::string::npos || dot == 0 || dot + 1 == field.size() ||
                field.find('.') != dot) {
                error = Located(fileName, lineNumber,
                                "'" + field + "' is not REF.PIN (one '.' between a reference and a pin)");
                return false;
            }
            NetPin pin;
            pin.ref = field.substr(0, dot);
            pin.pin = field.substr(dot + 1);
            pin.line = lineNumber;
            net.pins.push_back(pin);
        }
        if (net.pins.empty()) {
            error = Located(fileName, lineNumber, "net '" + net.name + "' lists no pin");
            return false;
        }
        if (!checks.AddNet(net, fileName, error))
            return false;
        netlist.nets.push_back(std::move(net));
    }
    return true;
}

bool ReadNetlistFile(const std::string& path, Netlist& netlist, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    if (!in.is_open()) {
        error = path + ": error: cannot read the file";
        return false;
    }
    buffer << in.rdbuf();
    const std::string text = buffer.str();
    const size_t first = text.find_first_not_of(" \t\r\n\f\v");
    if (first != std::string::npos && text[first] == '(')
        return ReadKicadNetlist(text, path, netlist, error);
    return ReadTextNetlist(text, path, netlist, error);
}
