// Rules on the instruction register and the data registers:
// opcode-length, instruction-mandatory, bypass-opcode, opcode-ambiguous,
// instruction-capture, idcode and register-access.
#include <set>

#include "check/CheckContextInternal.h"

namespace bscan_check {

namespace {

bool IsPattern(const std::string& opcode, bool allowX)
{
    for (char c : opcode)
        if (c != '0' && c != '1' && !(allowX && (c == 'X' || c == 'x')))
            return false;
    return true;
}

// True when some value matches both patterns (X matches both values).
bool Overlap(const std::string& a, const std::string& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const bool ax = a[i] == 'X' || a[i] == 'x', bx = b[i] == 'X' || b[i] == 'x';
        if (!ax && !bx && a[i] != b[i])
            return false;
    }
    return true;
}

BScanFinding& AddForInstruction(CheckContext& c, const char* rule, BScanSeverity severity, long long line,
                                const std::string& instruction, const std::string& message)
{
    BScanFinding& finding = c.Add(rule, severity, line, message);
    finding.instruction = instruction;
    return finding;
}

void CheckOpcodes(CheckContext& c)
{
    const BScanDevice& d = c.Device();
    const long long length = d.InstructionLength();
    for (const BScanInstruction& instruction : d.Instructions()) {
        for (const std::string& opcode : instruction.opcodes) {
            if (!IsPattern(opcode, true))
                AddForInstruction(c, "opcode-length", BScanSeverity::Error, instruction.line, instruction.name,
                                  instruction.name + " has the opcode '" + Shorten(opcode) +
                                      "', which is not made of 0, 1 and X");
            else if (length > 0 && static_cast<long long>(opcode.size()) != length)
                AddForInstruction(c, "opcode-length", BScanSeverity::Error, instruction.line, instruction.name,
                                  instruction.name + " has the opcode " + opcode + " of " +
                                      std::to_string(opcode.size()) + " bits; INSTRUCTION_LENGTH is " +
                                      std::to_string(length));
        }
    }
}

void CheckMandatory(CheckContext& c)
{
    const BScanDevice& d = c.Device();
    if (!d.FindAttribute("INSTRUCTION_OPCODE")) {
        c.Add("instruction-mandatory", BScanSeverity::Error, d.EntityLine(),
              "the file has no INSTRUCTION_OPCODE attribute");
        return;
    }
    const long long line = d.Instructions().empty() ? d.FindAttribute("INSTRUCTION_OPCODE")->line
                                                    : d.Instructions().front().line;
    for (const char* name : {"BYPASS", "EXTEST", "SAMPLE"})
        if (!d.FindInstruction(name))
            AddForInstruction(c, "instruction-mandatory", BScanSeverity::Error, line, name,
                              std::string("INSTRUCTION_OPCODE has no ") + name + " instruction");
    const BScanInstruction* bypass = d.FindInstruction("BYPASS");
    if (bypass && d.InstructionLength() > 0) {
        const std::string ones(static_cast<std::size_t>(d.InstructionLength()), '1');
        // An X bit stands for both values, so a pattern of 1s and Xs
        // selects BYPASS with the all-ones code too.
        bool found = false;
        for (const std::string& opcode : bypass->opcodes)
            found = found || (IsPattern(opcode, true) && Overlap(opcode, ones));
        if (!found)
            AddForInstruction(c, "bypass-opcode", BScanSeverity::Error, bypass->line, bypass->name,
                              "BYPASS has no all-ones opcode (" + ones + ")");
    }
}

void CheckAmbiguous(CheckContext& c)
{
    const std::vector<BScanInstruction>& instructions = c.Device().Instructions();
    std::set<std::string> reported;
    for (std::size_t i = 0; i < instructions.size(); ++i) {
        for (std::size_t j = i + 1; j < instructions.size(); ++j) {
            const std::string a = Upper(instructions[i].name), b = Upper(instructions[j].name);
            if (a == b || ((a == "SAMPLE" && b == "PRELOAD") || (a == "PRELOAD" && b == "SAMPLE")))
                continue;
            for (const std::string& p : instructions[i].opcodes) {
                bool hit = false;
                for (const std::string& q : instructions[j].opcodes) {
                    if (IsPattern(p, true) && IsPattern(q, true) && Overlap(p, q)) {
                        if (reported.insert(a + "/" + b).second)
                            AddForInstruction(c, "opcode-ambiguous", BScanSeverity::Warning, instructions[j].line,
                                              instructions[j].name,
                                              instructions[i].name + " (" + p + ") and " + instructions[j].name +
                                                  " (" + q + ") decode the same opcode");
                        hit = true;
                        break;
                    }
                }
                if (hit)
                    break;
            }
        }
    }
}

void CheckCapture(CheckContext& c)
{
    const BScanDevice& d = c.Device();
    const long long length = d.InstructionLength();
    const BScanAttribute* lengthAttribute = d.FindAttribute("INSTRUCTION_LENGTH");
    if (!lengthAttribute) {
        c.Add("instruction-capture", BScanSeverity::Error, d.EntityLine(), "the file has no INSTRUCTION_LENGTH");
    } else if (length < 2) {
        c.Add("instruction-capture", BScanSeverity::Error, d.InstructionLengthLine(),
              "INSTRUCTION_LENGTH is '" + Shorten(lengthAttribute->value) + "'; it must be 2 or more");
    }
    const BScanAttribute* capture = d.FindAttribute("INSTRUCTION_CAPTURE");
    if (!capture) {
        c.Add("instruction-capture", BScanSeverity::Error, d.EntityLine(), "the file has no INSTRUCTION_CAPTURE");
        return;
    }
    // Blanks around the pattern inside its quotes are no bits.
    std::string pattern = d.InstructionCapture();
    const std::size_t b = pattern.find_first_not_of(" \t");
    pattern = b == std::string::npos ? std::string() : pattern.substr(b, pattern.find_last_not_of(" \t") - b + 1);
    if (!IsPattern(pattern, true) || pattern.empty()) {
        c.Add("instruction-capture", BScanSeverity::Error, capture->line,
              "INSTRUCTION_CAPTURE '" + Shorten(pattern) + "' is not made of 0, 1 and X");
        return;
    }
    if (length >= 2 && static_cast<long long>(pattern.size()) != length)
        c.Add("instruction-capture", BScanSeverity::Error, capture->line,
              "INSTRUCTION_CAPTURE " + pattern + " has " + std::to_string(pattern.size()) +
                  " bits; INSTRUCTION_LENGTH is " + std::to_string(length));
    if (pattern.size() < 2 || pattern.compare(pattern.size() - 2, 2, "01") != 0)
        c.Add("instruction-capture", BScanSeverity::Error, capture->line,
              "INSTRUCTION_CAPTURE " + pattern + " does not end in 01 (its two least significant bits)");
}

void CheckIdcode(CheckContext& c)
{
    const BScanDevice& d = c.Device();
    const BScanAttribute* attribute = d.FindAttribute("IDCODE_REGISTER");
    const BScanInstruction* instruction = d.FindInstruction("IDCODE");
    if (attribute) {
        const BScanIdcode* id = d.Idcode();
        if (!id) {
            std::size_t bits = 0;
            bool patternOnly = true;
            for (char ch : attribute->value) {
                if (ch == '0' || ch == '1' || ch == 'X' || ch == 'x')
                    ++bits;
                else if (ch != ' ' && ch != '\t')
                    patternOnly = false;
            }
            c.Add("idcode", BScanSeverity::Error, attribute->line,
                  patternOnly ? "IDCODE_REGISTER has " + std::to_string(bits) + " bits, not 32"
                              : "IDCODE_REGISTER '" + Shorten(attribute->value) + "' is not made of 0, 1 and X");
        } else {
            if (id->pattern[31] != '1')
                c.Add("idcode", BScanSeverity::Error, attribute->line,
                      "IDCODE_REGISTER's least significant bit is " + std::string(1, id->pattern[31]) + ", not 1");
            if ((id->mask & 0xFEu) == 0xFEu && (id->value & 0xFEu) == 0xFEu)
                c.Add("idcode", BScanSeverity::Error, attribute->line,
                      "IDCODE_REGISTER's manufacturer code has bits 7..1 all ones, the JEP106 continuation code");
        }
        if (!instruction)
            c.Add("idcode", BScanSeverity::Warning, attribute->line,
                  "IDCODE_REGISTER is given but INSTRUCTION_OPCODE has no IDCODE instruction");
    } else if (instruction) {
        AddForInstruction(c, "idcode", BScanSeverity::Warning, instruction->line, instruction->name,
                          "the IDCODE instruction is declared but the file has no IDCODE_REGISTER");
    }
}

void CheckRegisterAccess(CheckContext& c)
{
    const BScanDevice& d = c.Device();
    const bool haveInstructions = d.FindAttribute("INSTRUCTION_OPCODE") != nullptr;
    for (const BScanRegisterEntry& entry : d.RegisterAccess()) {
        for (const std::string& name : entry.instructions)
            if (haveInstructions && !name.empty() && !d.FindInstruction(name))
                AddForInstruction(c, "register-access", BScanSeverity::Error, entry.line, name,
                                  "REGISTER_ACCESS gives " + entry.name + " the instruction " + name +
                                      ", which INSTRUCTION_OPCODE does not declare");
        const std::string name = Upper(entry.name);
        long long expected = -1;
        if (name == "BYPASS")
            expected = 1;
        else if (name == "DEVICE_ID")
            expected = 32;
        else if (name == "BOUNDARY")
            expected = d.BoundaryLength();
        if (entry.length >= 0 && expected >= 0 && entry.length != expected)
            c.Add("register-access", BScanSeverity::Error, entry.line,
                  entry.name + " is given " + std::to_string(entry.length) + " bits; it has " +
                      std::to_string(expected));
    }
    for (const BScanNameAtLine& name : d.PrivateInstructions())
        if (haveInstructions && !d.FindInstruction(name.name))
            AddForInstruction(c, "register-access", BScanSeverity::Error, name.line, name.name,
                              "INSTRUCTION_PRIVATE names " + name.name + ", which INSTRUCTION_OPCODE does not declare");
}

}  // namespace

void CheckInstructions(CheckContext& context)
{
    CheckOpcodes(context);
    CheckMandatory(context);
    CheckAmbiguous(context);
    CheckCapture(context);
    CheckIdcode(context);
    CheckRegisterAccess(context);
}

}  // namespace bscan_check
