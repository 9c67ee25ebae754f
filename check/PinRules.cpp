// Rules on the pin map and the file's lines: pin-map-port, pin-duplicate,
// pin-lost and line-cut.
#include <cctype>
#include <cstring>
#include <string_view>
#include <map>
#include <unordered_map>
#include <set>

#include "check/CheckContextInternal.h"

using namespace std::string_view_literals;

namespace bscan_check {

namespace {

const std::size_t kCoreReadLength = 254;

bool IsLongLine(const BScanDevice& d, long long line)
{
    for (const BScanLongLine& longLine : d.LongLines())
        if (longLine.line == line)
            return true;
    return false;
}

void CheckOnePinMap(CheckContext& c, const BScanPinMapString& map, bool selected,
                    std::vector<const BScanPortDeclaration*>* entryPorts = nullptr)
{
    const BScanDevice& d = c.Device();
    // The first entry naming each declaration, by the declaration's index.
    std::vector<const BScanPinEntry*> mapped(d.Ports().size(), nullptr);
    NameTable<const BScanPinEntry*, false> pins;     // pin -> entry
    std::size_t pinCount = 0;
    for (const BScanPinEntry& entry : map.entries)
        pinCount += entry.pins.size();
    pins.Reserve(pinCount);
    if (entryPorts)
        entryPorts->reserve(map.entries.size());
    for (const BScanPinEntry& entry : map.entries) {
        const BScanPortDeclaration* port = c.Port(entry.port);
        if (entryPorts)
            entryPorts->push_back(port);
        if (!port) {
            c.Add("pin-map-port", BScanSeverity::Error, entry.line,
                  "pin map " + map.name + " names " + entry.port + ", which is not declared").port = entry.port;
        } else {
            const BScanPinEntry*& first = mapped[c.IndexOf(*port)];
            if (first) {
                c.Add("pin-map-port", BScanSeverity::Error, entry.line,
                      "pin map " + map.name + " names " + entry.port + " again (first on line " +
                          std::to_string(first->line) + ")").port = entry.port;
            } else {
                first = &entry;
                if (static_cast<long long>(entry.pins.size()) != port->Count())
                    c.Add("pin-map-port", BScanSeverity::Error, entry.line,
                          "pin map " + map.name + " gives " + entry.port + " " + std::to_string(entry.pins.size()) +
                              (entry.pins.size() == 1 ? " pin" : " pins") + "; the port has " +
                              std::to_string(port->Count()) + (port->Count() == 1 ? " element" : " elements"))
                        .port = entry.port;
            }
        }
        for (const std::string& pin : entry.pins) {
            if (pin.empty())
                continue;
            const std::pair<const BScanPinEntry**, bool> inserted = pins.Add(pin, &entry);
            const BScanPinEntry& first = **inserted.first;
            if (!inserted.second && !SameText(first.port, entry.port))
                c.Add("pin-duplicate", BScanSeverity::Error, entry.line,
                      "pin map " + map.name + " assigns pin " + pin + " to " + first.port + " (line " +
                          std::to_string(first.line) + ") and to " + entry.port)
                    .port = entry.port;
        }
    }
    for (const BScanPortDeclaration& port : d.Ports()) {
        if (port.mode == "linkage"sv || mapped[c.IndexOf(port)])
            continue;
        const BScanPortDeclaration* declared = c.Port(port.name);    // the first of the name
        if (declared && mapped[c.IndexOf(*declared)])
            continue;
        c.Add("pin-map-port", BScanSeverity::Error, selected ? port.line : map.line,
              "port " + port.name + " is missing from pin map " + map.name).port = port.name;
    }
}

void CheckPinMap(CheckContext& c)
{
    const BScanDevice& d = c.Device();
    if (d.PinMaps().empty())
        return;
    const BScanPinMapString* map = d.SelectedPinMap();
    if (map) {
        CheckOnePinMap(c, *map, true, &c.m_selectedEntryPorts);
        return;
    }
    // A file that leaves the package open (PHYSICAL_PIN_MAP "UNDEFINED" or
    // none) has every pin map checked; one that names a package it lacks
    // is wrong.
    if (!d.Package().empty() && !SameText(d.Package(), "undefined")) {
        std::vector<std::string> names;
        for (const BScanPinMapString& other : d.PinMaps())
            names.push_back(other.name);
        c.Add("pin-map-port", BScanSeverity::Error, d.PackageLine() ? d.PackageLine() : d.EntityLine(),
              "PHYSICAL_PIN_MAP selects " + d.Package() + ", but the file's pin maps are " + JoinNames(names));
        return;
    }
    for (const BScanPinMapString& other : d.PinMaps())
        CheckOnePinMap(c, other, false);
}

// The ports that the file gives pins, that the core read without them.
void CheckLostPins(CheckContext& c)
{
    const BScanDevice& d = c.Device();
    const BScanPinMapString* map = d.SelectedPinMap();
    const BScanPinMap* pinMap = d.CoreRead() && d.ReadResult() >= 0 ? d.Parser().GetPinMap() : nullptr;
    if (!map || !pinMap || !pinMap->GetPinListArray())
        return;
    for (const SwallowedSpan& span : FindSwallowedSpans(c)) {
        if (map->line > span.line && map->line <= span.lastLine) {
            c.Add("pin-lost", BScanSeverity::Warning, map->line,
                  "pin map " + map->name + " is never read by the library: " + span.statement + " (line " +
                      std::to_string(span.line) + ") takes its lines (statement-swallowed), so its " +
                      std::to_string(map->entries.size()) + " entries give no port a pin");
            return;
        }
    }
    // The core's nodes of each declared port: the pin map lists the nodes
    // of one declaration one after the other, so a port's nodes are the run
    // that begins at its first node.
    // By declaration index: first node and count; a first node of -1 when
    // the declaration has no run.
    std::vector<std::pair<int, int>> runs(d.Ports().size(), std::make_pair(-1, 0));
    const KObjList* list = pinMap->GetPinListArray();
    // The pin map made the nodes in declaration order, Count() per name:
    // walk both together while the names agree, and look the rest up.
    int k = 0;
    for (const BScanPortDeclaration& port : d.Ports()) {
        const long long count = port.Count();
        if (count < 1 || k + count > list->GetCount())
            break;
        const KPinNode* node = static_cast<const KPinNode*>(list->GetAt(k));
        if (!node || !node->GetPortName() || !SameText(node->GetPortName(), port.name))
            break;
        runs[c.IndexOf(port)] = std::make_pair(k, static_cast<int>(count));
        k += static_cast<int>(count);
    }
    const char* previous = nullptr;
    const BScanPortDeclaration* current = nullptr;
    for (; k < list->GetCount(); ++k) {
        const KPinNode* node = static_cast<const KPinNode*>(list->GetAt(k));
        const char* name = node ? node->GetPortName() : nullptr;
        if (!name) {
            previous = nullptr;
            current = nullptr;
            continue;
        }
        if (!previous || std::strcmp(previous, name) != 0) {
            current = c.Port(name);
            if (current && runs[c.IndexOf(*current)].first >= 0)
                current = nullptr;       // a second declaration of the name: its nodes are not the first
            else if (current)
                runs[c.IndexOf(*current)] = std::make_pair(k, 0);
        }
        previous = name;
        if (current)
            ++runs[c.IndexOf(*current)].second;
    }
    // The pins later pin maps give, by upper-case port name.
    std::unordered_map<std::string, std::pair<const BScanPinMapString*, const BScanPinEntry*>> later;
    bool afterSelected = false;
    for (const BScanPinMapString& other : d.PinMaps()) {
        if (&other == map) {
            afterSelected = true;
            continue;
        }
        if (afterSelected)
            for (const BScanPinEntry& entry : other.entries)
                later[Upper(entry.port)] = std::make_pair(&other, &entry);
    }
    std::vector<std::string> overwritten;
    const BScanPinMapString* overwriter = nullptr;
    for (std::size_t e = 0; e < map->entries.size(); ++e) {
        const BScanPinEntry& entry = map->entries[e];
        const BScanPortDeclaration* port =
            e < c.m_selectedEntryPorts.size() ? c.m_selectedEntryPorts[e] : c.Port(entry.port);
        if (!port || runs[c.IndexOf(*port)].first < 0)
            continue;
        const std::pair<int, int>& run = runs[c.IndexOf(*port)];
        std::vector<std::string> lost;
        std::vector<std::string> got;
        for (std::size_t k = 0; k < entry.pins.size() && k < static_cast<std::size_t>(run.second); ++k) {
            const KPinNode* node =
                static_cast<const KPinNode*>(list->GetAt(run.first + static_cast<int>(k)));
            const char* pin = node->GetPinName();
            if (!entry.pins[k].empty() && (!pin || std::string_view(entry.pins[k]) != pin)) {
                lost.push_back(entry.pins[k]);
                got.push_back(pin ? pin : "");
            }
        }
        if (lost.empty())
            continue;
        auto other = later.find(Upper(entry.port));
        if (other != later.end() && !got.front().empty()) {
            overwriter = other->second.first;
            overwritten.push_back(port->name);
            continue;
        }
        std::string why;
        if (entry.port != port->name)
            why = "the pin map writes " + entry.port + " and the port clause " + port->name +
                  ": the library matches the names with their case";
        else if (IsLongLine(d, entry.line))
            why = "line " + std::to_string(entry.line) + " is cut by the library's 254-character read";
        else
            why = "the library's reading of the pin map assigns it no pin";
        c.Add("pin-lost", BScanSeverity::Warning, entry.line,
              "port " + port->name + " reads without its pin" + (lost.size() > 1 ? "s " : " ") + JoinNames(lost) +
                  ": " + why)
            .port = port->name;
    }
    if (overwriter)
        c.Add("pin-lost", BScanSeverity::Warning, overwriter->line,
              std::to_string(overwritten.size()) + " ports (" + JoinNames(overwritten, 4) +
                  ") read with the pins of pin map " + overwriter->name +
                  ", not those of the selected " + map->name +
                  ": the library assigns the pins of every pin map it reads, the last one winning");
}

bool IsWordChar(char ch)
{
    return std::isalnum(static_cast<unsigned char>(ch)) || ch == '_';
}

void CheckLongLines(CheckContext& c)
{
    for (const BScanLongLine& longLine : c.Device().LongLines()) {
        const std::string& text = longLine.text;
        // The state at each character: in a string, in a comment.
        bool inString = false, inComment = false;
        std::size_t stringStart = 0, commentStart = 0;
        std::size_t nextCut = kCoreReadLength;
        for (std::size_t i = 0; i <= text.size() && nextCut < text.size(); ++i) {
            if (i == nextCut) {
                nextCut += kCoreReadLength;
                std::string rest = text.substr(i, kCoreReadLength);
                if (rest.find_first_not_of(" \t") == std::string::npos)
                    continue;
                // The core joins the reads of a string piece or a statement
                // with a blank, so only a word split in two suffers; the
                // rest of a comment, though, is read as text.
                std::string what;
                if (inComment) {
                    std::size_t dashes = rest.find("--");
                    std::string spill = rest.substr(0, dashes);
                    if (spill.find_first_not_of(" \t") == std::string::npos)
                        continue;
                    what = "inside the comment begun at character " + std::to_string(commentStart + 1) +
                           ": its remainder '" + Shorten(spill, 40) + "' is read as BSDL text";
                } else if (i > 0 && IsWordChar(text[i - 1]) && IsWordChar(text[i])) {
                    std::size_t b = i, e = i;
                    while (b > 0 && IsWordChar(text[b - 1]))
                        --b;
                    while (e < text.size() && IsWordChar(text[e]))
                        ++e;
                    what = (inString ? "inside the string piece begun at character " +
                                           std::to_string(stringStart + 1) + ", "
                                     : std::string()) +
                           "splitting " + text.substr(b, e - b) + ", which the library reads as " +
                           text.substr(b, i - b) + " and " + text.substr(i, e - i);
                } else {
                    continue;
                }
                c.Add("line-cut", BScanSeverity::Warning, longLine.line,
                      "line of " + std::to_string(text.size()) + " characters is cut after character " +
                          std::to_string(i) + " " + what);
            }
            if (i >= text.size())
                break;
            const char ch = text[i];
            if (inComment)
                continue;
            if (inString) {
                if (ch == '"')
                    inString = false;
            } else if (ch == '"') {
                inString = true;
                stringStart = i;
            } else if (ch == '-' && i + 1 < text.size() && text[i + 1] == '-') {
                inComment = true;
                commentStart = i;
            }
        }
    }
}

}  // namespace

void CheckPins(CheckContext& context)
{
    CheckLongLines(context);
    CheckPinMap(context);
    CheckLostPins(context);
}

}  // namespace bscan_check
