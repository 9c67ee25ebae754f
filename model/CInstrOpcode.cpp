// Instruction and instruction register records: value classes that keep the
// texts exactly as the instruction reader hands them over.
#include "model/CInstrOpcode.h"

#include <cstring>
#include <new>

#include "util/AsciiCaseInternal.h"

// ---- CInstrOpcode ---------------------------------------------------------

// Copies never throw: when memory runs short the copy is left empty and
// assignment leaves the target as it was.
CInstrOpcode::CInstrOpcode(const CInstrOpcode& other)
{
    try {
        m_instruction = other.m_instruction;
        m_opcodes = other.m_opcodes;
    } catch (const std::bad_alloc&) {
        m_instruction.clear();
        m_opcodes.clear();
    }
}

CInstrOpcode& CInstrOpcode::operator=(const CInstrOpcode& other)
{
    try {
        std::string instruction(other.m_instruction);
        std::vector<std::string> opcodes(other.m_opcodes);
        m_instruction.swap(instruction);
        m_opcodes.swap(opcodes);
    } catch (const std::bad_alloc&) {
        // Out of memory: the object stays as it was.
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
    // Compare the names byte by byte with A-Z folded to a-z (so an
    // underscore sorts before any letter); the terminating zero of the
    // shorter name makes it the smaller one.
    const char* mine = m_instruction.c_str();
    const char* theirs = other.m_instruction.c_str();
    for (;; ++mine, ++theirs) {
        const auto a = static_cast<unsigned char>(bscan_text::LowerChar(*mine));
        const auto b = static_cast<unsigned char>(bscan_text::LowerChar(*theirs));
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
    : m_instructionLength(other.m_instructionLength)
{
    try {
        m_instructionCapture = other.m_instructionCapture;
        m_instructionOpcodes = other.m_instructionOpcodes;
    } catch (const std::bad_alloc&) {
        m_instructionCapture.clear();
        m_instructionOpcodes.clear();
    }
}

CInstrRegisterDesc& CInstrRegisterDesc::operator=(const CInstrRegisterDesc& other)
{
    try {
        std::string capture(other.m_instructionCapture);
        std::vector<CInstrOpcode> opcodes(other.m_instructionOpcodes);
        m_instructionLength = other.m_instructionLength;
        m_instructionCapture.swap(capture);
        m_instructionOpcodes.swap(opcodes);
    } catch (const std::bad_alloc&) {
        // Out of memory: the object stays as it was.
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
        return;  // out of memory: the list stays as it was
    }
    // A copy that ran out of memory comes back empty; it is not kept.
    const CInstrOpcode& stored = m_instructionOpcodes.back();
    if (stored.GetOpcodeCount() != opcode->GetOpcodeCount() ||
        std::strlen(stored.GetInstruction()) != std::strlen(opcode->GetInstruction())) {
        m_instructionOpcodes.pop_back();
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
