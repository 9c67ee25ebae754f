// What the light pass over a BSDL file gathers (BScanDevice's records).
#ifndef BSCAN_DEVICEDESCRIPTIONINTERNAL_H
#define BSCAN_DEVICEDESCRIPTIONINTERNAL_H

#include <deque>
#include <string>
#include <vector>

#include "device/BScanDevice.h"
#include "util/AsciiCaseInternal.h"

struct BScanDevice::Description {
    bool read = false;
    std::string entity;
    long long entityLine = 0;
    std::string endName;
    long long endLine = 0;
    std::string package;                     // lower case
    long long packageLine = 0;
    std::vector<BScanAttribute> attributes;
    std::vector<BScanPortDeclaration> ports;
    long long boundaryLength = -1;
    long long boundaryLengthLine = 0;
    std::vector<BScanCellEntry> cells;       // their texts view into `kept`
    long long boundaryRegisterLine = 0;
    std::vector<BScanPinMapString> pinMaps;
    long long instructionLength = -1;
    long long instructionLengthLine = 0;
    std::string instructionCapture;
    long long instructionCaptureLine = 0;
    std::vector<BScanInstruction> instructions;
    std::vector<BScanNameAtLine> privateInstructions;
    std::vector<BScanRegisterEntry> registers;
    std::vector<BScanPortPair> pairs;
    std::vector<BScanCompliancePatterns> compliance;
    std::vector<BScanTapPort> tapPorts;
    bool hasDesignWarning = false;
    BScanNameAtLine designWarning;
    bool hasIdcode = false;
    BScanIdcode idcode;
    bool hasUsercode = false;
    BScanIdcode usercode;
    std::vector<BScanLongLine> longLines;
    // Core reads per file line, accumulated: coreReadsBefore[k] is the
    // number of the core's reads before file line k + 1.
    std::vector<long long> coreReadsBefore;
    // Texts the records' views point into: each BOUNDARY_REGISTER value
    // (pieces joined) and the case-folded fields written in another case.
    // A deque: adding one never moves the others.
    std::deque<std::string> kept;
    // The file's text and where each of its lines starts.
    std::string text;
    std::vector<std::size_t> lineStarts;
};

namespace bscan_device {

// The light pass: fills `out` from the file's text. Never fails on any
// text; `out.read` tells whether an entity was found.
void ReadDescriptionText(const std::string& text, BScanDevice::Description& out);

using bscan_text::Lower;
using bscan_text::SameText;
using bscan_text::Upper;

}  // namespace bscan_device

#endif
