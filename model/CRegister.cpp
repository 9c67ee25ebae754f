// Register access records: value classes that keep the texts exactly as the
// register access reader hands them over (a bracketed length stays part of
// the register name).
#include "model/CRegister.h"

#include <cstring>
#include <new>

// ---- CRegister ------------------------------------------------------------

// Copies never throw: when memory runs short the copy is left empty and
// assignment leaves the target as it was.
CRegister::CRegister(const CRegister& other)
{
    try {
        m_registerName = other.m_registerName;
        m_associations = other.m_associations;
    } catch (const std::bad_alloc&) {
        m_registerName.clear();
        m_associations.clear();
    }
}

CRegister& CRegister::operator=(const CRegister& other)
{
    try {
        std::string name(other.m_registerName);
        std::vector<std::string> associations(other.m_associations);
        m_registerName.swap(name);
        m_associations.swap(associations);
    } catch (const std::bad_alloc&) {
        // Out of memory: the object stays as it was.
    }
    return *this;
}

CRegister::~CRegister() = default;

void CRegister::SetRegisterName(const char* const name)
{
    if (name == nullptr) {
        return;
    }
    try {
        m_registerName = name;
    } catch (const std::bad_alloc&) {
        // Out of memory: the old name stays.
    }
}

const char* CRegister::GetRegisterName() const
{
    return m_registerName.c_str();
}

void CRegister::AddRegisterAssociation(const char* const instruction)
{
    if (instruction == nullptr) {
        return;
    }
    try {
        m_associations.emplace_back(instruction);
    } catch (const std::bad_alloc&) {
        // Out of memory: the list stays as it was.
    }
}

int CRegister::GetRegisterAssociationCount() const
{
    return static_cast<int>(m_associations.size());
}

const char* CRegister::GetRegisterAssocName(int index) const
{
    if (index < 0 || index >= GetRegisterAssociationCount()) {
        return nullptr;
    }
    return m_associations[static_cast<size_t>(index)].c_str();
}

// ---- CRegisterAccessDesc --------------------------------------------------

CRegisterAccessDesc::CRegisterAccessDesc(const CRegisterAccessDesc& other)
{
    try {
        m_registers = other.m_registers;
    } catch (const std::bad_alloc&) {
        m_registers.clear();
    }
}

CRegisterAccessDesc& CRegisterAccessDesc::operator=(const CRegisterAccessDesc& other)
{
    try {
        std::vector<CRegister> registers(other.m_registers);
        m_registers.swap(registers);
    } catch (const std::bad_alloc&) {
        // Out of memory: the object stays as it was.
    }
    return *this;
}

CRegisterAccessDesc::~CRegisterAccessDesc() = default;

void CRegisterAccessDesc::AddRegister(const CRegister* reg)
{
    if (reg == nullptr) {
        return;
    }
    try {
        m_registers.push_back(*reg);
    } catch (const std::bad_alloc&) {
        return;  // out of memory: the list stays as it was
    }
    // A copy that ran out of memory comes back empty; it is not kept.
    const CRegister& stored = m_registers.back();
    if (stored.GetRegisterAssociationCount() != reg->GetRegisterAssociationCount() ||
        std::strlen(stored.GetRegisterName()) != std::strlen(reg->GetRegisterName())) {
        m_registers.pop_back();
    }
}

int CRegisterAccessDesc::GetRegisterCount() const
{
    return static_cast<int>(m_registers.size());
}

const CRegister* CRegisterAccessDesc::GetRegister(int index) const
{
    if (index < 0 || index >= GetRegisterCount()) {
        return nullptr;
    }
    return &m_registers[static_cast<size_t>(index)];
}
