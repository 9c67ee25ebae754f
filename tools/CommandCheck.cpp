// `bscan check [--json] [--werror] FILE...`: judges each file with the
// checker and prints its findings, compiler style and sorted by line,
// then a summary line per file; or, with --json, one JSON document (keys
// documented in README.md, "bscan check"). A file the core cannot read is
// reported on standard output like any other finding (read-failed).
#include <nlohmann/json.hpp>

#include "check/BScanChecker.h"
#include "tools/CommandCheck.h"
#include "tools/DeviceLoader.h"

using Json = nlohmann::ordered_json;

namespace {

struct Counts {
    int errors = 0;
    int warnings = 0;
    int notes = 0;
};

Counts CountFindings(const std::vector<BScanFinding>& findings)
{
    Counts counts;
    for (const BScanFinding& finding : findings) {
        if (finding.severity == BScanSeverity::Error)
            ++counts.errors;
        else if (finding.severity == BScanSeverity::Warning)
            ++counts.warnings;
        else
            ++counts.notes;
    }
    return counts;
}

std::string Plural(int count, const char* word)
{
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

Json TextOrNull(const std::string& text)
{
    return text.empty() ? Json(nullptr) : Json(text);
}

}  // namespace

int RunCheck(const CheckOptions& options, std::ostream& out)
{
    const std::string messageDir = FindMessageDirectory();
    bool failed = false;
    Json files = Json::array();
    for (const std::string& file : options.files) {
        BScanDevice device;
        device.Read(file, messageDir);
        const std::vector<BScanFinding> findings = BScanChecker::Check(device);
        const Counts counts = CountFindings(findings);
        if (counts.errors > 0 || (options.werror && counts.warnings > 0))
            failed = true;
        if (options.json) {
            Json list = Json::array();
            for (const BScanFinding& finding : findings)
                list.push_back({{"rule", finding.rule},
                                {"severity", BScanChecker::SeverityName(finding.severity)},
                                {"line", finding.line},
                                {"message", finding.message},
                                {"port", TextOrNull(finding.port)},
                                {"cell", TextOrNull(finding.cell)},
                                {"instruction", TextOrNull(finding.instruction)}});
            files.push_back({{"file", file},
                             {"read_result", device.ReadResult()},
                             {"entity", TextOrNull(device.Entity())},
                             {"errors", counts.errors},
                             {"warnings", counts.warnings},
                             {"notes", counts.notes},
                             {"findings", list}});
            continue;
        }
        for (const BScanFinding& finding : findings) {
            out << file << ':';
            if (finding.line > 0)
                out << finding.line << ':';
            out << ' ' << BScanChecker::SeverityName(finding.severity) << ": " << finding.message << " ["
                << finding.rule << "]\n";
        }
        out << file << ": " << Plural(counts.errors, "error") << ", " << Plural(counts.warnings, "warning")
            << ", " << Plural(counts.notes, "note") << " (read result " << device.ReadResult() << ")\n";
    }
    if (options.json)
        out << files.dump(2) << '\n';
    return failed ? 1 : 0;
}
