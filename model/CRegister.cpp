// Register access records: value classes that keep the texts exactly as the
// register access reader hands them over (a bracketed length stays part of
// the register name).
#include "model/CRegister.h"

#include <cstring>
#include <new>

#include "model/ValueCopyInternal.h"

using value_copy::AssignAll;

// ---- CRegister ------------------------------------------------------------

CRegister::CRegister(const CRegister& other)
{
    AssignAll(std::tie(m_registerName, m_associations),
              std::tie(other.m_registerName, other.m_associations));
}

CRegister& CRegister::operator=(const CRegister& other)
{
    AssignAll(std::tie(m_registerName, m_associations),
              std::tie(other.m_registerName, other.m_associations));
    return *this;
}

CRegister::~CRegister() = default;

void CRegister::SetRegisterName(const char* const name)
{
    value_copy::StoreText(m_registerName, name);
}

const char* CRegister::GetRegisterName() const
{
    return m_registerName.c_str();
}

void CRegister::AddRegisterAssociation(const char* const instruction)
{
    value_copy::AddText(m_associations, instruction);
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
    AssignAll(std::tie(m_registers), std::tie(other.m_registers));
}

CRegisterAccessDesc& CRegisterAccessDesc::operator=(const CRegisterAccessDesc& other)
{
    AssignAll(std::tie(m_registers), std::tie(other.m_registers));
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
