// The checker: judges a whole-device description (BScanDevice) by the
// rules of `bscan check` and gives its findings, sorted by line. Each
// finding names its rule, a severity, the line, a message in words and the
// port, cell and instruction involved (empty when none).
//
// Never throws: when memory runs short, the findings gathered so far are
// returned.
#ifndef BSCAN_BSCANCHECKER_H
#define BSCAN_BSCANCHECKER_H

#include <string>
#include <vector>

#include "device/BScanDevice.h"
#include "util/BScanExport.h"

enum class BScanSeverity { Error = 0, Warning = 1, Note = 2 };

struct BScanFinding {
    std::string rule;                // e.g. "bsr-length"
    BScanSeverity severity = BScanSeverity::Error;
    long long line = 0;              // file line, 0 for the file as a whole
    std::string message;
    std::string port;
    std::string cell;                // the cell number as text
    std::string instruction;
};

// One rule of the checker: its ID, its usual severity and what it judges.
struct BScanRule {
    const char* id;
    BScanSeverity severity;
    const char* summary;
};

class BSCAN_API BScanChecker {
public:
    // The findings for `device`, sorted by line (stable: findings of one
    // line keep the rules' order). Read-failed, when the core refused the
    // file, comes first.
    static std::vector<BScanFinding> Check(const BScanDevice& device);
    // Every rule, in the order the checker runs them.
    static const std::vector<BScanRule>& Rules();
    // "error", "warning" or "note".
    static const char* SeverityName(BScanSeverity severity);
};

#endif
