// The records of a whole-device description (BScanDevice): what the BSDL
// file says beyond the core model, each with the line where it stands.
// Plain structs of standard-library members; names are kept as written
// unless a field says otherwise. The texts of boundary-register entries are
// views into the text the BScanDevice keeps: they stay valid as long as the
// device that read them (copy them into strings to keep them longer).
#ifndef BSCAN_BSCANDEVICERECORDS_H
#define BSCAN_BSCANDEVICERECORDS_H

#include <string>
#include <string_view>
#include <vector>

// One attribute statement: "attribute NAME of TARGET : CLASS is VALUE;".
struct BScanAttribute {
    std::string name;                // as written
    std::string target;              // the entity or port it is "of"
    std::string value;               // string pieces joined (quotes, '&' dropped); else the words joined by one blank
    bool isString = false;           // the value is made of quoted pieces
    long long line = 0;              // line of the word attribute
    long long endLine = 0;           // line of the closing ';'
};

// One name of a port declaration ("A, B : inout bit_vector (0 to 3);" gives two).
struct BScanPortDeclaration {
    std::string name;                // as written
    std::string mode;                // lower case: in, out, inout, buffer, linkage, or what was written
    std::string modeText;            // the mode word as written
    std::string type;                // the type's text, e.g. "bit" or "bit_vector(0 to 3)"
    bool isVector = false;
    long long left = 0;              // the range as written (vectors only)
    long long right = 0;
    long long line = 0;
    // Number of elements: 1 for a scalar, |right - left| + 1 for a vector.
    long long Count() const { return isVector ? (left > right ? left - right : right - left) + 1 : 1; }
    // True when `index` is an element of the declared range.
    bool HasIndex(long long index) const
    {
        if (!isVector) return false;
        return left <= right ? index >= left && index <= right : index >= right && index <= left;
    }
};

// One BOUNDARY_REGISTER entry: num (cell, port, function, safe [, ccell, disval, rslt]).
// A register holds thousands of entries: their texts are views into the
// device's copy of the register's text (no string of their own each).
struct BScanCellEntry {
    long long number = -1;           // -1 when not a number
    std::string_view cellType;
    std::string_view port;           // the port field as written, e.g. "D(3)" or "*"
    std::string_view portName;       // "" for "*"
    long long portIndex = -1;        // the index of "D(3)", -1 when none
    std::string_view function;       // lower case
    std::string_view safe;           // upper case
    std::string_view controlCell;    // the fields after safe as written ("" when absent)
    std::string_view disableValue;
    std::string_view disabledState;  // upper case
    long long control = -1;          // controlCell as a number, -1 when absent or no number
    int fieldCount = 0;              // fields between the parentheses
    std::string_view text;           // the entry as written, pieces joined
    long long line = 0;
};

// One entry of a pin map string: PORT : pin or PORT : (pin, pin, ...).
struct BScanPinEntry {
    std::string port;
    std::vector<std::string> pins;
    bool listed = false;             // written with parentheses
    long long line = 0;
};

// A PIN_MAP_STRING constant (or attribute).
struct BScanPinMapString {
    std::string name;
    long long line = 0;
    std::vector<BScanPinEntry> entries;
};

// One INSTRUCTION_OPCODE entry.
struct BScanInstruction {
    std::string name;
    std::vector<std::string> opcodes;
    long long line = 0;
};

// One REGISTER_ACCESS entry: NAME[LENGTH] (INSTRUCTION, ...).
struct BScanRegisterEntry {
    std::string name;                // without the bracketed length
    long long length = -1;           // -1 when not written
    std::vector<std::string> instructions;  // the first word of each item
    long long line = 0;
};

// One pair of a PORT_GROUPING group.
struct BScanPortPair {
    std::string kind;                // Differential_Voltage, Differential_Current, as written
    std::string positive;
    std::string negative;
    long long line = 0;
};

// COMPLIANCE_PATTERNS: (PORT, ...) (PATTERN, ...).
struct BScanCompliancePatterns {
    std::vector<std::string> ports;
    std::vector<std::string> patterns;
    long long line = 0;
};

// A TAP_SCAN_IN / OUT / MODE / CLOCK / RESET attribute and the port it names.
struct BScanTapPort {
    std::string attribute;           // upper case
    std::string port;
    long long line = 0;
};

// A named text with its line (INSTRUCTION_PRIVATE names, DESIGN_WARNING).
struct BScanNameAtLine {
    std::string name;
    long long line = 0;
};

// A physical line longer than the core's 254-character read.
struct BScanLongLine {
    long long line = 0;
    std::string text;                // the whole line, without its line end
};

#endif
