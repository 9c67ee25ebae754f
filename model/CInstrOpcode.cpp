// Instruction and instruction register records: value classes that keep the
// texts exactly as the instruction reader hands them over.
#include "model/CInstrOpcode.h"

#include <new>

namespace {

// Letters A-Z compare as a-z; every other byte compares as itself, so an
// underscore (between the two cases) sorts before any letter.
unsigned char FoldedByte(char ch)
{
    unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 'A' && c <= 'Z') {
        c = static_cast<unsigned char>(c - 'A' + 'a');
    }
    return c;
}

}  // namespace

// ---- CInstrOpcode ---------------------------------------------------------

CInstrOpcode::CInstrOpcode(const CInstrOpcode& other)
    : m_instruction(other.m_instruction), m_opcodes(other.m_opcodes)
{
}

CInstrOpcode& CInstrOpcode::operator=(const CInstrOpcode& other)
{
    if (this != &other) {
        m_instruction = other.m_instruction;
        m_opcodes = other.m_opcodes;
    }
    return *this;
}

CInstrOpcode::~CInstrOpcode() = default;

void CInstrOpcode::SetInstruction(const char* const name)
{
    if (name == nullptr) {
        return;
    }
    try {
        m_instruction = name;
    } catch (const std::bad_alloc&) {
        // Out of memory: the old name stays.
    }
}

const char* CInstrOpcode::GetInstruction() const
{
    return m_instruction.c_str();
}

void CInstrOpcode::AddOpcode(const char* const opcode)
{
    if (opcode == nullptr) {
        return;
    }
    try {
        m_opcodes.emplace_back(opcode);
    } catch (const std::bad_alloc&) {
        // Out of memory: the list stays as it was.
    }
}

int CInstrOpcode::GetOpcodeCount() const
{
    return static_cast<int>(m_opcodes.size());
}

const char* CInstrOpcode::GetOpcode(int index) const
{
    if (index < 0 || index >= GetOpcodeCount()) {
        return nullptr;
    }
    return m_opcodes[static_cast<size_t>(index)].c_str();
}

bool CInstrOpcode::operator<(const CInstrOpcode& other)
{
    // Compare the names byte by byte with folded letters; the terminating
    // zero of the shorter name makes it the smaller one.
    const char* mine = m_instruction.c_str();
    const char* theirs = other.m_instruction.c_str();
    for (;; ++mine, ++theirs) {
        unsigned char a = FoldedByte(*mine);
        unsigned char b = FoldedByte(*theirs);
        if (a != b) {
            return a > b;
        }
        if (a == 0) {
            return false;
        }
    }
}

// ---- CInstrRegisterDesc ---------------------------------------------------

CInstrRegisterDesc::CInstrRegisterDesc(const CInstrRegisterDesc& other)
    : m_instructionLength(other.m_instructionLength),
      m_instructionCapture(other.m_instructionCapture),
      m_instructionOpcodes(other.m_instructionOpcodes)
{
}

CInstrRegisterDesc& CInstrRegisterDesc::operator=(const CInstrRegisterDesc& other)
{
    if (this != &other) {
        m_instructionLength = other.m_instructionLength;
        m_instructionCapture = other.m_instructionCapture;
        m_instructionOpcodes = other.m_instructionOpcodes;
    }
    return *this;
}

CInstrRegisterDesc::~CInstrRegisterDesc() = default;

void CInstrRegisterDesc::SetInstructionLength(int length)
{
    m_instructionLength = length;
}

int CInstrRegisterDesc::GetInstructionLength() const
{
    return m_instructionLength;
}

void CInstrRegisterDesc::SetInstructionCapture(const char* const capture)
{
    if (capture == nullptr) {
        return;
    }
    try {
        m_instructionCapture = capture;
    } catch (const std::bad_alloc&) {
        // Out of memory: the old capture text stays.
    }
}

const char* CInstrRegisterDesc::GetInstructionCapture() const
{
    return m_instructionCapture.c_str();
}

void CInstrRegisterDesc::AddInstructionOpcode(const CInstrOpcode* opcode)
{
    if (opcode == nullptr) {
        return;
    }
    try {
        m_instructionOpcodes.push_back(*opcode);
    } catch (const std::bad_alloc&) {
        // Out of memory: the list stays as it was.
    }
}

int CInstrRegisterDesc::GetInstructionOpcodeCount() const
{
    return static_cast<int>(m_instructionOpcodes.size());
}

const CInstrOpcode* CInstrRegisterDesc::GetInstructionOpcode(int index) const
{
    if (index < 0 || index >= GetInstructionOpcodeCount()) {
        return nullptr;
    }
    return &m_instructionOpcodes[static_cast<size_t>(index)];
}
