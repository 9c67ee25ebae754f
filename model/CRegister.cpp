// Register access records: value classes that keep the texts exactly as the
// register access reader hands them over (a bracketed length stays part of
// the register name).
#include "model/CRegister.h"

#include <new>

// ---- CRegister ------------------------------------------------------------

CRegister::CRegister(const CRegister& other)
    : m_registerName(other.m_registerName), m_associations(other.m_associations)
{
}

CRegister& CRegister::operator=(const CRegister& other)
{
    if (this != &other) {
        m_registerName = other.m_registerName;
        m_associations = other.m_associations;
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
    : m_registers(other.m_registers)
{
}

CRegisterAccessDesc& CRegisterAccessDesc::operator=(const CRegisterAccessDesc& other)
{
    if (this != &other) {
        m_registers = other.m_registers;
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
        // Out of memory: the list stays as it was.
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
