#include "check/BScanChecker.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <new>

#include "check/CheckContextInternal.h"

using namespace std::string_view_literals;

namespace bscan_check {

std::string Shorten(std::string_view text, std::size_t most)
{
    std::string out;
    for (char c : text)
        out += (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126) ? ' ' : c;
    if (out.size() > most)
        out = out.substr(0, most) + "...";
    return out;
}

std::string JoinNames(const std::vector<std::string>& names, std::size_t most)
{
    std::string out;
    for (std::size_t i = 0; i < names.size() && i < most; ++i)
        out += (i ? ", " : "") + names[i];
    if (names.size() > most)
        out += " and " + std::to_string(names.size() - most) + " more";
    return out;
}

CellFn FunctionNamed(std::string_view f)
{
    if (f == "input"sv) return CellFn::Input;
    if (f == "output3"sv) return CellFn::Output3;
    if (f == "control"sv) return CellFn::Control;
    if (f == "bidir"sv) return CellFn::Bidir;
    if (f == "output2"sv) return CellFn::Output2;
    if (f == "internal"sv) return CellFn::Internal;
    if (f == "clock"sv) return CellFn::Clock;
    if (f == "observe_only"sv) return CellFn::ObserveOnly;
    if (f == "controlr"sv) return CellFn::Controlr;
    return CellFn::Unknown;
}

CheckContext::CheckContext(const BScanDevice& device) : m_device(device), m_cells(device.BoundaryEntries())
{
    m_ports.Reserve(device.Ports().size());
    for (const BScanPortDeclaration& port : device.Ports())
        m_ports.Add(port.name, &port);
    const std::vector<BScanCellEntry>& cells = device.BoundaryEntries();
    m_cellPorts.reserve(cells.size());
    m_cellFunctions.reserve(cells.size());
    m_byNumber.reserve(cells.size());
    const BScanCellEntry* previous = nullptr;     // entries of one port mostly follow each other
    for (const BScanCellEntry& entry : cells) {
        m_cellFunctions.push_back(FunctionNamed(entry.function));
        if (entry.portName.empty())
            m_cellPorts.push_back(nullptr);
        else if (previous && previous->portName == entry.portName)
            m_cellPorts.push_back(m_cellPorts.back());
        else
            m_cellPorts.push_back(Port(entry.portName));
        previous = &entry;
        m_byNumber.emplace_back(entry.number, &entry);
    }
    SortByNumber(m_byNumber);
    if (m_byNumber.empty())
        return;
    const long long low = m_byNumber.front().first, high = m_byNumber.back().first;
    const unsigned long long span = static_cast<unsigned long long>(high) - static_cast<unsigned long long>(low);
    if (span < 4 * static_cast<unsigned long long>(m_byNumber.size()) + 64) {
        m_lowNumber = low;
        m_numberStarts.assign(static_cast<std::size_t>(span) + 2, 0);
        for (const auto& item : m_byNumber)
            ++m_numberStarts[static_cast<std::size_t>(item.first - low) + 1];
        for (std::size_t k = 1; k < m_numberStarts.size(); ++k)
            m_numberStarts[k] += m_numberStarts[k - 1];
    }
}

void SortByNumber(std::vector<std::pair<long long, const BScanCellEntry*>>& items)
{
    auto byNumber = [](const std::pair<long long, const BScanCellEntry*>& a,
                       const std::pair<long long, const BScanCellEntry*>& b) { return a.first < b.first; };
    // Files mostly list their cells in order, or in reverse order (where no
    // number repeats, reversing keeps the order of equal numbers).
    if (std::is_sorted(items.begin(), items.end(), byNumber))
        return;
    auto notAbove = [](const std::pair<long long, const BScanCellEntry*>& a,
                       const std::pair<long long, const BScanCellEntry*>& b) { return a.first <= b.first; };
    if (std::adjacent_find(items.begin(), items.end(), notAbove) == items.end()) {
        std::reverse(items.begin(), items.end());
        return;
    }
    long long low = items.front().first, high = low;
    for (const auto& item : items) {
        low = std::min(low, item.first);
        high = std::max(high, item.first);
    }
    const unsigned long long span = static_cast<unsigned long long>(high) - static_cast<unsigned long long>(low);
    if (span >= 4 * static_cast<unsigned long long>(items.size()) + 64) {
        std::stable_sort(items.begin(), items.end(), byNumber);
        return;
    }
    // Counting sort: where each number's run starts, then every item put
    // after the earlier ones of its number.
    std::vector<std::size_t> starts(static_cast<std::size_t>(span) + 2, 0);
    for (const auto& item : items)
        ++starts[static_cast<std::size_t>(item.first - low) + 1];
    for (std::size_t k = 1; k < starts.size(); ++k)
        starts[k] += starts[k - 1];
    std::vector<std::pair<long long, const BScanCellEntry*>> sorted(items.size());
    for (const auto& item : items)
        sorted[starts[static_cast<std::size_t>(item.first - low)]++] = item;
    items.swap(sorted);
}

const BScanPortDeclaration* CheckContext::Port(std::string_view name) const
{
    const BScanPortDeclaration* const* found = m_ports.Find(name);
    return found ? *found : nullptr;
}

std::vector<const BScanCellEntry*> CheckContext::EntriesOf(long long number) const
{
    std::vector<const BScanCellEntry*> out;
    EntriesOf(number, out);
    return out;
}

void CheckContext::EntriesOf(long long number, std::vector<const BScanCellEntry*>& out) const
{
    out.clear();
    if (!m_numberStarts.empty()) {
        if (number < m_lowNumber || static_cast<unsigned long long>(number - m_lowNumber) + 1 >= m_numberStarts.size())
            return;
        const std::size_t k = static_cast<std::size_t>(number - m_lowNumber);
        for (std::size_t m = m_numberStarts[k]; m < m_numberStarts[k + 1]; ++m)
            out.push_back(m_byNumber[m].second);
        return;
    }
    auto first = std::lower_bound(m_byNumber.begin(), m_byNumber.end(), number,
                                  [](const std::pair<long long, const BScanCellEntry*>& a, long long n) {
                                      return a.first < n;
                                  });
    for (; first != m_byNumber.end() && first->first == number; ++first)
        out.push_back(first->second);
}

bool CheckContext::IsControl(std::string_view function)
{
    return function == "control"sv || function == "controlr"sv;
}

std::string CheckContext::PreparedLine(long long line) const
{
    std::string text = m_device.LineText(line);
    std::size_t comment = text.find("--");
    if (comment != std::string::npos)
        text.erase(comment);
    std::size_t b = text.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return std::string();
    std::size_t e = text.find_last_not_of(" \t\r\n");
    return text.substr(b, e - b + 1);
}

BScanFinding& CheckContext::Add(const char* rule, BScanSeverity severity, long long line,
                                const std::string& message)
{
    BScanFinding finding;
    finding.rule = rule;
    finding.severity = severity;
    finding.line = line;
    finding.message = message;
    m_findings.push_back(std::move(finding));
    return m_findings.back();
}

}  // namespace bscan_check

std::vector<BScanFinding> BScanChecker::Check(const BScanDevice& device)
{
    std::vector<BScanFinding> findings;
    try {
        bscan_check::CheckContext context(device);
        try {
            bscan_check::CheckReadFailure(context);
            // A file without an entity has nothing more to judge.
            if (device.DescriptionRead()) {
                bscan_check::CheckEntity(context);
                bscan_check::CheckSwallowed(context);
                bscan_check::CheckPins(context);
                bscan_check::CheckInstructions(context);
                bscan_check::CheckBoundaryRegister(context);
            }
        } catch (const std::bad_alloc&) {
        }
        findings.swap(context.Findings());
        // read-failed first, then by line; a stable sort keeps the rules'
        // order within a line.
        std::stable_sort(findings.begin(), findings.end(), [](const BScanFinding& a, const BScanFinding& b) {
            const bool aFirst = a.rule == "read-failed"sv, bFirst = b.rule == "read-failed"sv;
            if (aFirst != bFirst)
                return aFirst;
            return a.line < b.line;
        });
    } catch (const std::bad_alloc&) {
    }
    return findings;
}

const char* BScanChecker::SeverityName(BScanSeverity severity)
{
    switch (severity) {
    case BScanSeverity::Error: return "error";
    case BScanSeverity::Warning: return "warning";
    default: return "note";
    }
}

const std::vector<BScanRule>& BScanChecker::Rules()
{
    static const std::vector<BScanRule> rules = {
        {"read-failed", BScanSeverity::Error, "the library's Read gives a negative code: the statement or entry, its line and the reason"},
        {"entity-end", BScanSeverity::Warning, "the name after end differs from the entity's, or the entity has no end"},
        {"tap-ports", BScanSeverity::Error, "a TAP_SCAN attribute missing, naming an undeclared port or a port of the wrong direction"},
        {"port-grouping", BScanSeverity::Error, "PORT_GROUPING names undeclared ports or a port twice (error); a pair the library's reading drops (warning)"},
        {"compliance-patterns", BScanSeverity::Error, "COMPLIANCE_PATTERNS names undeclared ports, or a pattern's width differs from the port list"},
        {"design-warning", BScanSeverity::Note, "the file's DESIGN_WARNING text"},
        {"attribute-case", BScanSeverity::Warning, "an attribute the library reads, written with its name not in upper case: the library skips it"},
        {"statement-swallowed", BScanSeverity::Warning, "the library reads on past a statement (a head whose 'is' is not between blanks, or a BOUNDARY_REGISTER or PIN_MAP_STRING attribute whose value stands whole on its first line) and loses the statements it swallows"},
        {"line-cut", BScanSeverity::Warning, "a physical line longer than 254 characters: what the library's read loses at the cut"},
        {"pin-map-port", BScanSeverity::Error, "a declared port missing from the selected pin map, an undeclared port in it, or a vector whose pin list length differs from its range"},
        {"pin-duplicate", BScanSeverity::Error, "one pin assigned to two ports"},
        {"pin-lost", BScanSeverity::Warning, "a port that the file gives a pin, that the library reads without it"},
        {"opcode-length", BScanSeverity::Error, "an opcode not exactly INSTRUCTION_LENGTH characters of 0, 1 and X"},
        {"instruction-mandatory", BScanSeverity::Error, "BYPASS, EXTEST or SAMPLE missing"},
        {"bypass-opcode", BScanSeverity::Error, "BYPASS has no all-ones opcode"},
        {"opcode-ambiguous", BScanSeverity::Warning, "two instructions decode the same pattern (X bits count as both values), except SAMPLE with PRELOAD"},
        {"instruction-capture", BScanSeverity::Error, "INSTRUCTION_CAPTURE not INSTRUCTION_LENGTH long or its two least significant bits not 01; INSTRUCTION_LENGTH below 2"},
        {"idcode", BScanSeverity::Error, "IDCODE_REGISTER not 32 bits, its least significant bit not 1, or a manufacturer code of seven ones; IDCODE instruction and register not both present (warning)"},
        {"register-access", BScanSeverity::Error, "REGISTER_ACCESS or INSTRUCTION_PRIVATE naming an undeclared instruction; BYPASS not 1 bit, DEVICE_ID not 32, BOUNDARY not BOUNDARY_LENGTH"},
        {"bsr-entry", BScanSeverity::Error, "a BOUNDARY_REGISTER entry without cell number, with fewer than four fields, an unknown function or a safe value other than 0, 1, X"},
        {"bsr-length", BScanSeverity::Error, "BOUNDARY_LENGTH differs from the entries, or the cell numbers are not 0 .. length-1 each once"},
        {"bsr-port", BScanSeverity::Error, "an entry names an undeclared port, or an index outside the vector's range"},
        {"bsr-control-cell", BScanSeverity::Error, "an entry's control cell is not a cell of the register, or not a control or controlr cell"},
        {"bsr-disable", BScanSeverity::Error, "an output3 or bidir cell without control cell, disable value or disabled state; a disable value other than 0 or 1; an unknown disabled state"},
        {"bsr-function-direction", BScanSeverity::Error, "a cell's function does not suit its port's direction"},
        {"safe-enables-driver", BScanSeverity::Warning, "a control cell's safe value enables the drivers it controls"},
        {"shared-control", BScanSeverity::Note, "one control cell enables several ports"},
    };
    return rules;
}
