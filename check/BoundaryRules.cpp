// Rules on the boundary-scan register: bsr-entry, bsr-length, bsr-port,
// bsr-control-cell, bsr-disable, bsr-function-direction,
// safe-enables-driver and shared-control.
#include <algorithm>

#include "check/CheckContextInternal.h"

using namespace std::string_view_literals;

namespace bscan_check {

namespace {

bool IsInputLike(CellFn function)
{
    return function == CellFn::Input || function == CellFn::Clock || function == CellFn::ObserveOnly;
}

bool IsControlFunction(CellFn function)
{
    return function == CellFn::Control || function == CellFn::Controlr;
}

std::string CellName(const BScanCellEntry& entry)
{
    return entry.number >= 0 ? std::to_string(entry.number) : std::string();
}

std::string Describe(const BScanCellEntry& entry)
{
    return "cell " + CellName(entry) + " (" + std::string(entry.function) +
           (entry.port == "*"sv ? "" : ", port " + std::string(entry.port)) + ")";
}

BScanFinding& AddForCell(CheckContext& c, const char* rule, BScanSeverity severity, const BScanCellEntry& entry,
                         const std::string& message)
{
    BScanFinding& finding = c.Add(rule, severity, entry.line, message);
    finding.cell = CellName(entry);
    if (!entry.portName.empty())
        finding.port = std::string(entry.port);
    return finding;
}

// The functions a port of `mode` may have cells of.
bool FunctionSuits(const std::string& mode, CellFn function)
{
    if (mode == "in"sv)
        return IsInputLike(function);
    if (mode == "out"sv || mode == "buffer"sv)
        return function == CellFn::Output2 || function == CellFn::Output3 || function == CellFn::ObserveOnly;
    if (mode == "inout"sv)
        return function == CellFn::Input || function == CellFn::Output2 || function == CellFn::Output3 ||
               function == CellFn::Bidir || function == CellFn::ObserveOnly;
    return false;
}

// What the core's pin map admits for a port whose mode word is `modeText`
// as written (only the lower-case words give a direction).
bool CoreAdmits(const std::string& modeText, CellFn function)
{
    if (modeText == "in"sv)
        return function == CellFn::Input || function == CellFn::Clock || function == CellFn::ObserveOnly;
    if (modeText == "out"sv)
        return function == CellFn::Output2 || function == CellFn::Output3;
    if (modeText == "inout"sv)
        return function == CellFn::Input || function == CellFn::Output2 || function == CellFn::Output3 ||
               function == CellFn::Bidir || function == CellFn::ObserveOnly;
    if (modeText == "buffer"sv)
        return function == CellFn::Output2;
    return false;
}

void CheckEntries(CheckContext& c)
{
    for (const BScanCellEntry& entry : c.Device().BoundaryEntries()) {
        if (entry.number < 0) {
            AddForCell(c, "bsr-entry", BScanSeverity::Error, entry,
                       "entry '" + Shorten(entry.text) + "' has no cell number");
            continue;
        }
        if (entry.fieldCount < 4) {
            AddForCell(c, "bsr-entry", BScanSeverity::Error, entry,
                       "cell " + CellName(entry) + " has " + std::to_string(entry.fieldCount) +
                           " fields; an entry needs cell type, port, function and safe value");
            continue;
        }
        if (c.FunctionOf(entry) == CellFn::Unknown)
            AddForCell(c, "bsr-entry", BScanSeverity::Error, entry,
                       "cell " + CellName(entry) + " has the unknown function '" + std::string(entry.function) + "'");
        if (entry.safe != "0"sv && entry.safe != "1"sv && entry.safe != "X"sv)
            AddForCell(c, "bsr-entry", BScanSeverity::Error, entry,
                       "cell " + CellName(entry) + " has the safe value '" + std::string(entry.safe) +
                           "'; it must be 0, 1 or X");
    }
}

void CheckLength(CheckContext& c)
{
    const BScanDevice& d = c.Device();
    const std::vector<BScanCellEntry>& cells = d.BoundaryEntries();
    const bool hasRegister = d.FindAttribute("BOUNDARY_REGISTER") != nullptr;
    const long long length = d.BoundaryLength();
    if (!hasRegister) {
        if (d.FindAttribute("BOUNDARY_LENGTH"))
            c.Add("bsr-length", BScanSeverity::Error, d.BoundaryLengthLine(),
                  "BOUNDARY_LENGTH is given but the file has no BOUNDARY_REGISTER");
        return;
    }
    if (length < 0) {
        c.Add("bsr-length", BScanSeverity::Error,
              d.BoundaryLengthLine() ? d.BoundaryLengthLine() : d.BoundaryRegisterLine(),
              d.BoundaryLengthLine() ? "BOUNDARY_LENGTH is no number"
                                     : "BOUNDARY_REGISTER without BOUNDARY_LENGTH");
        return;
    }
    for (const BScanCellEntry& entry : cells)
        if (entry.number >= length)
            AddForCell(c, "bsr-length", BScanSeverity::Error, entry,
                       "cell " + CellName(entry) + " lies outside the register: BOUNDARY_LENGTH is " +
                           std::to_string(length) + ", so cells are numbered 0 to " + std::to_string(length - 1));
    // The entries by number: a cell may be listed twice when one listing
    // observes (input, clock, observe_only) and the other does not, a
    // merged cell; any other repetition is reported at the later entry.
    const std::vector<std::pair<long long, const BScanCellEntry*>>& byNumber = c.ByNumber();
    long long distinct = 0;
    std::vector<std::string> missing;
    long long absent = 0;
    long long expected = 0;                 // the next number not yet seen
    for (std::size_t k = 0; k < byNumber.size();) {
        std::size_t end = k;
        int inputs = 0;
        while (end < byNumber.size() && byNumber[end].first == byNumber[k].first) {
            inputs += IsInputLike(c.FunctionOf(*byNumber[end].second)) ? 1 : 0;
            ++end;
        }
        const long long number = byNumber[k].first;
        if (number >= 0 && number < length) {
            ++distinct;
            if (number > expected) {
                absent += number - expected;
                for (long long m = expected; m < number && missing.size() <= 8; ++m)
                    missing.push_back(std::to_string(m));
            }
            expected = number + 1;
            const bool merged = end - k == 2 && inputs == 1;
            if (end - k > 1 && !merged) {
                std::vector<const BScanCellEntry*> same;
                for (std::size_t m = k; m < end; ++m)
                    same.push_back(byNumber[m].second);
                std::stable_sort(same.begin(), same.end(),
                                 [](const BScanCellEntry* a, const BScanCellEntry* b) { return a->line < b->line; });
                for (std::size_t m = 1; m < same.size(); ++m)
                    AddForCell(c, "bsr-length", BScanSeverity::Error, *same[m],
                               "cell " + CellName(*same[m]) + " is listed again (first on line " +
                                   std::to_string(same.front()->line) + ")");
            }
        }
        k = end;
    }
    if (length > expected) {
        absent += length - expected;
        for (long long m = expected; m < length && missing.size() <= 8; ++m)
            missing.push_back(std::to_string(m));
    }
    if (absent > 0 || distinct != length)
        c.Add("bsr-length", BScanSeverity::Error, d.BoundaryLengthLine(),
              "BOUNDARY_LENGTH is " + std::to_string(length) + " but BOUNDARY_REGISTER lists " +
                  std::to_string(distinct) + " of its cells" +
                  (missing.empty() ? std::string()
                                   : "; " + std::to_string(absent) + " missing: " + JoinNames(missing)));
}

void CheckPorts(CheckContext& c)
{
    for (const BScanCellEntry& entry : c.Device().BoundaryEntries()) {
        if (entry.fieldCount < 2 || entry.portName.empty())
            continue;
        const BScanPortDeclaration* port = c.PortOf(entry);
        if (!port) {
            AddForCell(c, "bsr-port", BScanSeverity::Error, entry,
                       "cell " + CellName(entry) + " names port " + std::string(entry.portName) + ", which is not declared");
            continue;
        }
        if (port->isVector && entry.portIndex < 0)
            AddForCell(c, "bsr-port", BScanSeverity::Error, entry,
                       "cell " + CellName(entry) + " names vector port " + port->name + " without an index");
        else if (port->isVector && !port->HasIndex(entry.portIndex))
            AddForCell(c, "bsr-port", BScanSeverity::Error, entry,
                       "cell " + CellName(entry) + " names " + std::string(entry.port) + ", outside the range " +
                           std::to_string(port->left) + " to " + std::to_string(port->right) + " of " + port->name);
        else if (!port->isVector && entry.portIndex >= 0)
            AddForCell(c, "bsr-port", BScanSeverity::Error, entry,
                       "cell " + CellName(entry) + " gives the scalar port " + port->name + " an index");
    }
}

void CheckControlCells(CheckContext& c)
{
    std::vector<const BScanCellEntry*> controls;
    for (const BScanCellEntry& entry : c.Device().BoundaryEntries()) {
        if (entry.fieldCount < 5)
            continue;
        if (entry.control < 0) {
            AddForCell(c, "bsr-control-cell", BScanSeverity::Error, entry,
                       "cell " + CellName(entry) + " names the control cell '" + std::string(entry.controlCell) +
                           "', which is no cell number");
            continue;
        }
        c.EntriesOf(entry.control, controls);
        if (controls.empty()) {
            AddForCell(c, "bsr-control-cell", BScanSeverity::Error, entry,
                       "cell " + CellName(entry) + " names control cell " + std::to_string(entry.control) +
                           ", which is not a cell of the register");
            continue;
        }
        // An output2 or bidir cell that names itself describes an open
        // collector or open drain: its own value 1 or 0 switches it off.
        const CellFn function = c.FunctionOf(entry);
        bool isControl = entry.control == entry.number && (function == CellFn::Output2 || function == CellFn::Bidir);
        for (const BScanCellEntry* control : controls)
            isControl = isControl || IsControlFunction(c.FunctionOf(*control));
        if (!isControl)
            AddForCell(c, "bsr-control-cell", BScanSeverity::Error, entry,
                       "cell " + CellName(entry) + " names control cell " + std::to_string(entry.control) +
                           ", which is " + Describe(*controls.front()) + ", not a control or controlr cell");
    }
}

void CheckDisable(CheckContext& c)
{
    auto isState = [](std::string_view state) {
        return state == "Z"sv || state == "WEAK0"sv || state == "WEAK1"sv || state == "PULL0"sv || state == "PULL1"sv ||
               state == "KEEPER"sv;
    };
    for (const BScanCellEntry& entry : c.Device().BoundaryEntries()) {
        if (entry.fieldCount < 4)
            continue;
        const CellFn function = c.FunctionOf(entry);
        const bool needsControl = function == CellFn::Output3 || function == CellFn::Bidir;
        if ((needsControl && entry.fieldCount < 7) || entry.fieldCount == 5 || entry.fieldCount == 6) {
            std::string lacking = entry.fieldCount <= 4 ? "control cell, disable value and disabled state"
                                  : entry.fieldCount == 5 ? "disable value and disabled state"
                                                          : "disabled state";
            AddForCell(c, "bsr-disable", BScanSeverity::Error, entry,
                       "cell " + CellName(entry) + (needsControl ? " is an " + std::string(entry.function) + " cell" : "") +
                           " without " + lacking);
            continue;
        }
        if (entry.fieldCount >= 6 && entry.disableValue != "0"sv && entry.disableValue != "1"sv)
            AddForCell(c, "bsr-disable", BScanSeverity::Error, entry,
                       "cell " + CellName(entry) + " has the disable value '" + std::string(entry.disableValue) +
                           "'; it must be 0 or 1");
        if (entry.fieldCount >= 7 && !isState(entry.disabledState))
            AddForCell(c, "bsr-disable", BScanSeverity::Error, entry,
                       "cell " + CellName(entry) + " has the disabled state '" + std::string(entry.disabledState) +
                           "'; it must be Z, WEAK0, WEAK1, PULL0, PULL1 or KEEPER");
    }
}

const char* Article(std::string_view word)
{
    return !word.empty() && std::string("aeiouAEIOU").find(word[0]) != std::string::npos ? "an" : "a";
}

void CheckDirections(CheckContext& c)
{
    // Cells that suit the port's mode but that the core refuses (a mode
    // word not in lower case, or a pairing the core does not read) are
    // reported once per mode word as written and function, at the first
    // such cell.
    std::map<std::pair<std::string, std::string>, std::vector<const BScanCellEntry*>> refused;
    std::vector<std::pair<std::string, std::string>> order;
    for (const BScanCellEntry& entry : c.Device().BoundaryEntries()) {
        if (entry.fieldCount < 3 || entry.portName.empty() || c.FunctionOf(entry) == CellFn::Unknown)
            continue;
        const BScanPortDeclaration* port = c.PortOf(entry);
        if (!port)
            continue;
        const CellFn function = c.FunctionOf(entry);
        const bool suits = FunctionSuits(port->mode, function);
        const bool admitted = CoreAdmits(port->modeText, function);
        if (suits && admitted)
            continue;
        if (!suits) {
            AddForCell(c, "bsr-function-direction", BScanSeverity::Error, entry,
                       "cell " + CellName(entry) + " is " + Article(entry.function) + " " + std::string(entry.function) +
                           " cell of port " + std::string(entry.port) + ", declared " + port->modeText + ": " +
                           std::string(entry.function) +
                           " does not suit " + (port->mode.empty() ? "that mode" : "a port of mode " + port->mode));
            continue;
        }
        auto key = std::make_pair(port->modeText, std::string(entry.function));
        if (refused[key].empty())
            order.push_back(key);
        refused[key].push_back(&entry);
    }
    for (const auto& key : order) {
        const std::vector<const BScanCellEntry*>& cells = refused[key];
        std::vector<std::string> names;
        for (const BScanCellEntry* cell : cells)
            names.push_back(CellName(*cell) + " (" + std::string(cell->port) + ")");
        const std::string mode = c.PortOf(*cells.front())->mode;
        std::string why = key.first != mode
                              ? "the library reads mode words in lower case only, so such ports have no direction "
                                "and take no cell"
                              : "the library takes no " + key.second + " cell on a port of mode " + mode;
        AddForCell(c, "bsr-function-direction", BScanSeverity::Error, *cells.front(),
                   std::to_string(cells.size()) + " " + key.second + (cells.size() == 1 ? " cell" : " cells") +
                       " of ports declared " + key.first + " (" + JoinNames(names, 4) + "): " + why +
                       "; the library refuses such a cell with -1");
    }
}

void CheckSafeValues(CheckContext& c)
{
    const std::vector<BScanCellEntry>& cells = c.Device().BoundaryEntries();
    // The controlled entries by control cell number, in file order.
    std::vector<std::pair<long long, const BScanCellEntry*>> controlled;
    for (const BScanCellEntry& entry : cells)
        if (entry.fieldCount >= 6 && entry.control >= 0)
            controlled.emplace_back(entry.control, &entry);
    SortByNumber(controlled);
    std::vector<std::string> enabled, ports;
    std::vector<std::pair<const void*, long long>> distinctPorts;   // (port or cell, index), sorted
    for (const BScanCellEntry& control : cells) {
        if (!IsControlFunction(c.FunctionOf(control)))
            continue;
        auto first = std::lower_bound(controlled.begin(), controlled.end(), control.number,
                                      [](const std::pair<long long, const BScanCellEntry*>& a, long long n) {
                                          return a.first < n;
                                      });
        if (first == controlled.end() || first->first != control.number)
            continue;
        enabled.clear();
        ports.clear();
        distinctPorts.clear();
        for (; first != controlled.end() && first->first == control.number; ++first) {
            const BScanCellEntry* cell = first->second;
            const BScanPortDeclaration* declaration = c.PortOf(*cell);
            const std::pair<const void*, long long> key =
                declaration ? std::make_pair(static_cast<const void*>(declaration), cell->portIndex)
                            : std::make_pair(static_cast<const void*>(cell), -1LL);
            auto portText = [&]() {
                return cell->portName.empty() ? "cell " + CellName(*cell) : std::string(cell->port);
            };
            auto place = std::lower_bound(distinctPorts.begin(), distinctPorts.end(), key);
            if (place == distinctPorts.end() || *place != key) {
                distinctPorts.insert(place, key);
                ports.push_back(portText());
            }
            if ((control.safe == "0"sv || control.safe == "1"sv) &&
                (cell->disableValue == "0"sv || cell->disableValue == "1"sv) && cell->disableValue != control.safe)
                enabled.push_back(portText());
        }
        if (!enabled.empty()) {
            BScanFinding& finding = AddForCell(
                c, "safe-enables-driver", BScanSeverity::Warning, control,
                "control cell " + CellName(control) + " has the safe value " + std::string(control.safe) +
                    ", which enables the drivers it controls (disable value " +
                    (control.safe == "0"sv ? "1" : "0") + "): EXTEST starts with " + JoinNames(enabled) + " driving");
            finding.port = enabled.front();
        }
        if (ports.size() > 1) {
            BScanFinding& finding =
                AddForCell(c, "shared-control", BScanSeverity::Note, control,
                           "control cell " + CellName(control) + " enables " + std::to_string(ports.size()) +
                               " ports: driving one drives all (" + JoinNames(ports) + ")");
            finding.port = ports.front();
        }
    }
}

}  // namespace

void CheckBoundaryRegister(CheckContext& context)
{
    CheckEntries(context);
    CheckLength(context);
    CheckPorts(context);
    CheckControlCells(context);
    CheckDisable(context);
    CheckDirections(context);
    CheckSafeValues(context);
}

}  // namespace bscan_check
