// Rules on the entity and its port-level attributes: entity-end,
// tap-ports, port-grouping, compliance-patterns and design-warning.
#include <set>

#include "check/CheckContextInternal.h"

namespace bscan_check {

namespace {

void CheckEnd(CheckContext& c)
{
    const BScanDevice& d = c.Device();
    if (!d.DescriptionRead())
        return;
    if (d.EndLine() == 0)
        c.Add("entity-end", BScanSeverity::Warning, d.EntityLine(), "entity " + d.Entity() + " has no end");
    else if (!SameText(d.EndName(), d.Entity()))
        c.Add("entity-end", BScanSeverity::Warning, d.EndLine(),
              "the entity is " + d.Entity() + " but its end names " +
                  (d.EndName().empty() ? std::string("nothing") : d.EndName()));
}

void CheckTap(CheckContext& c)
{
    const BScanDevice& d = c.Device();
    if (!d.DescriptionRead())
        return;
    struct Tap {
        const char* attribute;
        const char* role;
        bool output;
        bool required;
    };
    const Tap taps[] = {{"TAP_SCAN_IN", "TDI", false, true},
                        {"TAP_SCAN_OUT", "TDO", true, true},
                        {"TAP_SCAN_MODE", "TMS", false, true},
                        {"TAP_SCAN_CLOCK", "TCK", false, true},
                        {"TAP_SCAN_RESET", "TRST", false, false}};
    for (const Tap& tap : taps) {
        const BScanTapPort* found = d.FindTapPort(tap.attribute);
        if (!found) {
            if (tap.required)
                c.Add("tap-ports", BScanSeverity::Error, d.EntityLine(),
                      std::string("the file has no ") + tap.attribute + " attribute (the " + tap.role + " port)");
            continue;
        }
        const BScanPortDeclaration* port = c.Port(found->port);
        if (!port) {
            c.Add("tap-ports", BScanSeverity::Error, found->line,
                  std::string(tap.attribute) + " names " + found->port + ", which is not declared")
                .port = found->port;
            continue;
        }
        const bool right = tap.output ? (port->mode == "out" || port->mode == "buffer") : port->mode == "in";
        if (!right)
            c.Add("tap-ports", BScanSeverity::Error, found->line,
                  std::string(tap.attribute) + " names " + port->name + ", declared " + port->mode + "; the " +
                      tap.role + " port must be " + (tap.output ? "out" : "in"))
                .port = port->name;
    }
}

void CheckGrouping(CheckContext& c)
{
    const BScanDevice& d = c.Device();
    const std::vector<BScanPortPair>& pairs = d.PortPairs();
    if (pairs.empty())
        return;
    std::map<std::string, long long> seen;
    for (const BScanPortPair& pair : pairs) {
        if (!SameText(pair.kind, "Differential_Voltage") && !SameText(pair.kind, "Differential_Current"))
            c.Add("port-grouping", BScanSeverity::Error, pair.line,
                  "PORT_GROUPING has the group kind " + pair.kind +
                      "; the kinds are Differential_Voltage and Differential_Current");
        for (const std::string& name : {pair.positive, pair.negative}) {
            if (name.empty()) {
                c.Add("port-grouping", BScanSeverity::Error, pair.line, "PORT_GROUPING has a pair without two names");
                continue;
            }
            const std::string base = name.substr(0, name.find('('));
            const BScanPortDeclaration* port = c.Port(base.substr(0, base.find_last_not_of(" \t") + 1));
            if (!port)
                c.Add("port-grouping", BScanSeverity::Error, pair.line,
                      "PORT_GROUPING names " + name + ", which is not declared").port = name;
            auto inserted = seen.emplace(Upper(name), pair.line);
            if (!inserted.second)
                c.Add("port-grouping", BScanSeverity::Error, pair.line,
                      "PORT_GROUPING names " + name + " a second time (first on line " +
                          std::to_string(inserted.first->second) + ")").port = name;
        }
    }
    // What the core made of the pairs: it finds a pair's positive cell by
    // the cell's pin name and its negative cell by the comment after the
    // entry; one negative leg without such a comment drops every pair.
    if (!d.CoreRead() || d.ReadResult() < 0)
        return;
    const BScanAttribute* grouping = d.FindAttribute("PORT_GROUPING");
    const BScanParser& parser = d.Parser();
    BScanPinMap* map = parser.GetPinMap();
    if (!grouping || !map)
        return;
    if (d.BoundaryRegisterLine() > 0 && grouping->line > d.BoundaryRegisterLine()) {
        c.Add("port-grouping", BScanSeverity::Warning, grouping->line,
              "PORT_GROUPING stands after BOUNDARY_REGISTER: the library ties no pair to its cells");
        return;
    }
    if (parser.GetDifferentialPairCount() == 0) {
        for (const BScanPortPair& pair : pairs) {
            if (pair.positive.empty() || pair.negative.empty())
                continue;
            if (!map->GetBScanCell(pair.positive.c_str()))
                continue;
            if (!map->GetBScanCellByOriginalName(pair.negative.c_str())) {
                c.Add("port-grouping", BScanSeverity::Warning, pair.line,
                      "the library drops every differential pair: no boundary-register entry is followed by a "
                      "comment naming " + pair.negative + ", the negative leg of (" + pair.positive + ", " +
                          pair.negative + "), and the library finds a negative leg's cell by that comment")
                    .port = pair.negative;
                break;
            }
        }
        return;
    }
    for (int k = 0; k < parser.GetDifferentialPairCount(); ++k) {
        const CDifferentialPair& pair = parser.GetDifferentialPairList()[static_cast<std::size_t>(k)];
        if (pair.GetPositiveBScanPosition() >= 0)
            continue;
        const std::string positive = pair.GetPositiveElement() ? pair.GetPositiveElement() : "";
        long long line = grouping->line;
        for (const BScanPortPair& mine : pairs)
            if (SameText(mine.positive, positive))
                line = mine.line;
        c.Add("port-grouping", BScanSeverity::Warning, line,
              "the library ties the pair of " + positive + " to no cells: no boundary cell serves " + positive)
            .port = positive;
    }
}

void CheckCompliance(CheckContext& c)
{
    for (const BScanCompliancePatterns& patterns : c.Device().CompliancePatterns()) {
        for (const std::string& port : patterns.ports) {
            std::string name = port;
            std::size_t open = name.find('(');
            if (open != std::string::npos)
                name = name.substr(0, open);
            while (!name.empty() && name.back() == ' ')
                name.pop_back();
            if (!c.Port(name))
                c.Add("compliance-patterns", BScanSeverity::Error, patterns.line,
                      "COMPLIANCE_PATTERNS names " + port + ", which is not declared").port = port;
        }
        for (const std::string& pattern : patterns.patterns)
            if (pattern.size() != patterns.ports.size())
                c.Add("compliance-patterns", BScanSeverity::Error, patterns.line,
                      "COMPLIANCE_PATTERNS has the pattern " + Shorten(pattern) + " of " +
                          std::to_string(pattern.size()) + " values for " + std::to_string(patterns.ports.size()) +
                          " ports");
    }
}

void CheckDesignWarning(CheckContext& c)
{
    const BScanNameAtLine* warning = c.Device().DesignWarning();
    if (warning)
        c.Add("design-warning", BScanSeverity::Note, warning->line, "design warning: " + Shorten(warning->name, 400));
}

void CheckAttributeCase(CheckContext& c)
{
    static const char* const kCoreAttributes[] = {"PIN_MAP_STRING",     "BOUNDARY_REGISTER",  "BOUNDARY_LENGTH",
                                                  "INSTRUCTION_LENGTH", "INSTRUCTION_OPCODE", "INSTRUCTION_CAPTURE",
                                                  "REGISTER_ACCESS",    "PORT_GROUPING"};
    for (const BScanAttribute& attribute : c.Device().Attributes())
        for (const char* name : kCoreAttributes)
            if (SameText(attribute.name, name) && attribute.name != name)
                c.Add("attribute-case", BScanSeverity::Warning, attribute.line,
                      "attribute " + attribute.name + ": the library reads attribute names in upper case only and "
                      "skips this one, so the model lacks its " + std::string(name));
}

}  // namespace

void CheckEntity(CheckContext& context)
{
    CheckAttributeCase(context);
    CheckEnd(context);
    CheckTap(context);
    CheckGrouping(context);
    CheckCompliance(context);
    CheckDesignWarning(context);
}

}  // namespace bscan_check
