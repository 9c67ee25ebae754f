// What the checker's rules share: the device, the findings being gathered
// and lookups the rules need (declared ports by name, entries by cell
// number), made once per check.
#ifndef BSCAN_CHECKCONTEXTINTERNAL_H
#define BSCAN_CHECKCONTEXTINTERNAL_H

#include <map>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "check/BScanChecker.h"

namespace bscan_check {

class CheckContext {
public:
    explicit CheckContext(const BScanDevice& device);

    const BScanDevice& Device() const { return m_device; }
    // The port declaration for `name` ignoring case, null when none.
    const BScanPortDeclaration* Port(const std::string& name) const;
    // The declaration of the port a boundary-register entry names (found
    // once per entry), null when none.
    const BScanPortDeclaration* PortOf(const BScanCellEntry& entry) const;
    // Every entry with cell number `number` (merged cells have two), in
    // file order.
    std::vector<const BScanCellEntry*> EntriesOf(long long number) const;
    // The entries sorted by cell number (file order within a number).
    const std::vector<std::pair<long long, const BScanCellEntry*>>& ByNumber() const { return m_byNumber; }
    // True when `function` is control or controlr.
    static bool IsControl(const std::string& function);
    std::string Quote(const std::string& text) const { return "'" + text + "'"; }

    // The number of the file's physical lines (the file is read on first
    // use; 0 when it cannot be read).
    long long LineCount();
    // Line `line` (1-based) as the core's statement reader prepares it:
    // cut at "--" and stripped of blanks, tabs and line ends at both ends.
    std::string PreparedLine(long long line);

    BScanFinding& Add(const char* rule, BScanSeverity severity, long long line, const std::string& message);
    std::vector<BScanFinding>& Findings() { return m_findings; }

private:
    const BScanDevice& m_device;
    std::unordered_map<std::string, const BScanPortDeclaration*> m_ports;   // upper-case name
    std::vector<const BScanPortDeclaration*> m_cellPorts;                    // per boundary entry
    std::vector<std::pair<long long, const BScanCellEntry*>> m_byNumber;
    std::vector<BScanFinding> m_findings;
    std::string m_text;                                                      // the file, read on first use
    std::vector<std::size_t> m_lineStarts;
    bool m_linesRead = false;
};

// The rule groups, each in its own file.
void CheckReadFailure(CheckContext& context);      // read-failed
void CheckBoundaryRegister(CheckContext& context); // bsr-*, safe-enables-driver, shared-control
void CheckPins(CheckContext& context);             // pin-map-port, pin-duplicate, pin-lost, line-cut
void CheckInstructions(CheckContext& context);     // opcode-*, instruction-*, bypass-opcode, idcode, register-access
void CheckEntity(CheckContext& context);           // tap-ports, port-grouping, compliance-patterns, design-warning, entity-end
void CheckSwallowed(CheckContext& context);        // statement-swallowed

// A statement the core reads on past: its line, the last line the core
// takes into it, and why.
struct SwallowedSpan {
    long long line = 0;
    long long lastLine = 0;
    std::string statement;       // e.g. "attribute PIN_MAP"
    std::string reason;
};
std::vector<SwallowedSpan> FindSwallowedSpans(CheckContext& context);

// Helpers shared by the rule files.
std::string Upper(const std::string& text);
bool SameText(const std::string& a, const std::string& b);
std::string Shorten(const std::string& text, std::size_t most = 60);
std::string JoinNames(const std::vector<std::string>& names, std::size_t most = 8);

}  // namespace bscan_check

#endif
