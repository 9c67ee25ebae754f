// Instruction and instruction register records: value classes that keep the
// texts exactly as the instruction reader hands them over.
#include "model/CInstrOpcode.h"

#include <cstring>
#include <new>

#include "model/ValueCopyInternal.h"
#include "util/AsciiCaseInternal.h"

using value_copy::AssignAll;

// ---- CInstrOpcode ---------------------------------------------------------

CInstrOpcode::CInstrOpcode(const CInstrOpcode& other)
{
    AssignAll(std::tie(m_instruction, m_opcodes), std::tie(other.m_instruction, other.m_opcodes));
}

CInstrOpcode& CInstrOpcode::operator=(const CInstrOpcode& other)
{
    AssignAll(std::tie(m_instruction, m_opcodes), std::tie(other.m_instruction, other.m_opcodes));
    return *this;
}

CInstrOpcode::~CInstrOpcode() = default;

void CInstrOpcode::SetInstruction(const char* const name)
{
    value_copy::StoreText(m_instruction, name);
}

const char* CInstrOpcode::GetInstruction() const
{
    return m_instruction.c_str();
}

void CInstrOpcode::AddOpcode(const char* const opcode)
{
    value_copy::AddText(m_opcodes, opcode);
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
    AssignAll(std::tie(m_instructionCapture, m_instructionOpcodes),
              std::tie(other.m_instructionCapture, other.m_instructionOpcodes));
}

CInstrRegisterDesc& CInstrRegisterDesc::operator=(const CInstrRegisterDesc& other)
{
    AssignAll(std::tie(m_instructionLength, m_instructionCapture, m_instructionOpcodes),
              std::tie(other.m_instructionLength, other.m_instructionCapture,
                       other.m_instructionOpcodes));
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
    value_copy::StoreText(m_instructionCapture, capture);
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
