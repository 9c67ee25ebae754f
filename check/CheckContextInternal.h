// What the checker's rules share: the device, the findings being gathered
// and lookups the rules need (declared ports by name, entries by cell
// number), made once per check.
#ifndef BSCAN_CHECKCONTEXTINTERNAL_H
#define BSCAN_CHECKCONTEXTINTERNAL_H

#include <map>
#include <string>
#include <vector>

#include "check/BScanChecker.h"

namespace bscan_check {

class CheckContext {
public:
    explicit CheckContext(const BScanDevice& device);

    const BScanDevice& Device() const { return m_device; }
    // The port declaration for `name` ignoring case, null when none.
    const BScanPortDeclaration* Port(const std::string& name) const;
    // Every entry with cell number `number` (merged cells have two).
    const std::vector<const BScanCellEntry*>& EntriesOf(long long number) const;
    // True when `function` is control or controlr.
    static bool IsControl(const std::string& function);
    std::string Quote(const std::string& text) const { return "'" + text + "'"; }

    // The file's physical lines (without line ends), read on first use;
    // empty when the file cannot be read.
    const std::vector<std::string>& Lines();
    // Line `line` (1-based) as the core's statement reader prepares it:
    // cut at "--" and stripped of blanks, tabs and line ends at both ends.
    std::string PreparedLine(long long line);

    BScanFinding& Add(const char* rule, BScanSeverity severity, long long line, const std::string& message);
    std::vector<BScanFinding>& Findings() { return m_findings; }

private:
    const BScanDevice& m_device;
    std::map<std::string, const BScanPortDeclaration*> m_ports;     // upper-case name
    std::map<long long, std::vector<const BScanCellEntry*>> m_cells;
    std::vector<BScanFinding> m_findings;
    std::vector<std::string> m_lines;
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
