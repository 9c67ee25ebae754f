// Readers of the string values of the attributes the light pass knows.
// Each takes the value as its quoted pieces joined, with the line of every
// piece, and appends what it finds; text it cannot make sense of is skipped
// up to the next entry, never refused.
#ifndef BSCAN_VALUEPARSERSINTERNAL_H
#define BSCAN_VALUEPARSERSINTERNAL_H

#include <cstddef>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include "device/BScanDevice.h"

namespace bscan_device {

// A string value: the pieces joined, and where each piece starts.
struct JoinedValue {
    std::string text;
    std::vector<std::pair<std::size_t, long long>> starts;   // (offset in text, file line)
    long long firstLine = 0;
    long long LineAt(std::size_t offset) const;
    mutable std::size_t hint = 0;            // the piece LineAt found last
};

// The value's text moves to the end of `kept` (`value` keeps its lines);
// the entries' texts view into it (and into copies in `kept` of fields
// folded to their case).
void ReadCellEntries(JoinedValue& value, std::deque<std::string>& kept, std::vector<BScanCellEntry>& out);
void ReadPinEntries(const JoinedValue& value, std::vector<BScanPinEntry>& out);
void ReadInstructionEntries(const JoinedValue& value, std::vector<BScanInstruction>& out);
void ReadRegisterEntries(const JoinedValue& value, std::vector<BScanRegisterEntry>& out);
void ReadPortPairs(const JoinedValue& value, std::vector<BScanPortPair>& out);
void ReadCompliancePatterns(const JoinedValue& value, std::vector<BScanCompliancePatterns>& out);
void ReadNameList(const JoinedValue& value, std::vector<BScanNameAtLine>& out);
// A 32-character pattern of 0, 1 and X (any case; blanks and '_' between
// bits ignored). False when the value is no such pattern.
bool ReadIdcodePattern(const std::string& value, long long line, BScanIdcode& out);

}  // namespace bscan_device

#endif
