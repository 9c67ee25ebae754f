// What the checker's rules share: the device, the findings being gathered
// and lookups the rules need (declared ports by name, entries by cell
// number), made once per check.
#ifndef BSCAN_CHECKCONTEXTINTERNAL_H
#define BSCAN_CHECKCONTEXTINTERNAL_H

#include <map>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "check/BScanChecker.h"
#include "check/NameTableInternal.h"
#include "util/AsciiCaseInternal.h"

namespace bscan_check {

// A statement the core reads on past: its line, the last line the core
// takes into it, and why.
struct SwallowedSpan {
    long long line = 0;
    long long lastLine = 0;
    std::string statement;       // e.g. "attribute PIN_MAP"
    std::string reason;
};
// A boundary cell's function, told once per entry.
enum class CellFn : unsigned char { Input, Clock, ObserveOnly, Output2, Output3, Control, Controlr, Internal, Bidir, Unknown };
CellFn FunctionNamed(std::string_view function);   // function in lower case

class CheckContext {
public:
    explicit CheckContext(const BScanDevice& device);

    const BScanDevice& Device() const { return m_device; }
    // The port declaration for `name` ignoring case, null when none.
    const BScanPortDeclaration* Port(std::string_view name) const;
    // The index of a declaration of the device's Ports().
    std::size_t IndexOf(const BScanPortDeclaration& port) const
    {
        return static_cast<std::size_t>(&port - m_device.Ports().data());
    }
    // The declaration of the port a boundary-register entry names (found
    // once per entry), null when none.
    const BScanPortDeclaration* PortOf(const BScanCellEntry& entry) const
    {
        const std::size_t k = EntryIndex(entry);
        if (k < m_cellPorts.size())
            return m_cellPorts[k];
        return entry.portName.empty() ? nullptr : Port(entry.portName);
    }
    CellFn FunctionOf(const BScanCellEntry& entry) const
    {
        const std::size_t k = EntryIndex(entry);
        return k < m_cellFunctions.size() ? m_cellFunctions[k] : FunctionNamed(entry.function);
    }
    // Every entry with cell number `number` (merged cells have two), in
    // file order.
    std::vector<const BScanCellEntry*> EntriesOf(long long number) const;
    void EntriesOf(long long number, std::vector<const BScanCellEntry*>& out) const;
    // The entries sorted by cell number (file order within a number).
    const std::vector<std::pair<long long, const BScanCellEntry*>>& ByNumber() const { return m_byNumber; }
    // True when `function` is control or controlr.
    static bool IsControl(std::string_view function);
    std::string Quote(const std::string& text) const { return "'" + text + "'"; }

    // The number of the file's physical lines.
    long long LineCount() const { return m_device.LineCount(); }
    // Line `line` (1-based) as the core's statement reader prepares it:
    // cut at "--" and stripped of blanks, tabs and line ends at both ends.
    std::string PreparedLine(long long line) const;

    // The declarations the selected pin map's entries name, in entry order
    // (filled by the pin map rule for the lost pins rule).
    std::vector<const BScanPortDeclaration*> m_selectedEntryPorts;
    // The statements the core reads on past (found once).
    std::vector<SwallowedSpan> m_spans;
    bool m_spansFound = false;

    BScanFinding& Add(const char* rule, BScanSeverity severity, long long line, const std::string& message);
    std::vector<BScanFinding>& Findings() { return m_findings; }

private:
    // The index of an entry of the device's BoundaryEntries(); an entry
    // elsewhere gives an index past their end.
    std::size_t EntryIndex(const BScanCellEntry& entry) const
    {
        if (m_cells.empty() || &entry < m_cells.data() || &entry >= m_cells.data() + m_cells.size())
            return m_cells.size();
        return static_cast<std::size_t>(&entry - m_cells.data());
    }

    const BScanDevice& m_device;
    const std::vector<BScanCellEntry>& m_cells;                              // the device's boundary entries
    NameTable<const BScanPortDeclaration*, true> m_ports;                   // the first declaration of each name
    std::vector<const BScanPortDeclaration*> m_cellPorts;                    // per boundary entry
    std::vector<CellFn> m_cellFunctions;                                     // per boundary entry
    std::vector<std::pair<long long, const BScanCellEntry*>> m_byNumber;
    // When the cell numbers lie close together: where the entries of number
    // m_lowNumber + k begin in m_byNumber (k + 1: where they end).
    std::vector<std::size_t> m_numberStarts;
    long long m_lowNumber = 0;
    std::vector<BScanFinding> m_findings;
};

// The rule groups, each in its own file.
void CheckReadFailure(CheckContext& context);      // read-failed
void CheckBoundaryRegister(CheckContext& context); // bsr-*, safe-enables-driver, shared-control
void CheckPins(CheckContext& context);             // pin-map-port, pin-duplicate, pin-lost, line-cut
void CheckInstructions(CheckContext& context);     // opcode-*, instruction-*, bypass-opcode, idcode, register-access
void CheckEntity(CheckContext& context);           // tap-ports, port-grouping, compliance-patterns, design-warning, entity-end
void CheckSwallowed(CheckContext& context);        // statement-swallowed

std::vector<SwallowedSpan> FindSwallowedSpans(CheckContext& context);

// Sorts (number, entry) pairs by number, equal numbers kept in their order:
// in one pass over the numbers when they lie close together (cell numbers
// mostly do), else by merging.
void SortByNumber(std::vector<std::pair<long long, const BScanCellEntry*>>& items);

// Helpers shared by the rule files.
using bscan_text::SameText;
using bscan_text::Upper;
std::string Shorten(std::string_view text, std::size_t most = 60);
std::string JoinNames(const std::vector<std::string>& names, std::size_t most = 8);

}  // namespace bscan_check

#endif
