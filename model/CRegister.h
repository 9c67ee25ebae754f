// The REGISTER_ACCESS attribute: CRegister is one data register (its name as
// written, a bracketed length included) with the instructions that select
// it; CRegisterAccessDesc the list of registers. Value classes, deep copies.
// Copies never throw: a copy constructed while memory runs short is empty,
// an assignment that runs short leaves its target unchanged.
#ifndef BSCAN_CREGISTER_H
#define BSCAN_CREGISTER_H

#include <string>
#include <vector>

#include "util/BScanExport.h"

class BSCAN_API CRegister {
public:
    CRegister() = default;
    CRegister(const CRegister& other);
    CRegister& operator=(const CRegister& other);
    CRegister(CRegister&& other) noexcept = default;
    CRegister& operator=(CRegister&& other) noexcept = default;
    virtual ~CRegister();

    void SetRegisterName(const char* const name);  // null changes nothing
    const char* GetRegisterName() const;           // never null
    void AddRegisterAssociation(const char* const instruction);
    int GetRegisterAssociationCount() const;
    const char* GetRegisterAssocName(int index) const;  // null outside 0..count-1

private:
    std::string m_registerName;
    std::vector<std::string> m_associations;
};

class BSCAN_API CRegisterAccessDesc {
public:
    CRegisterAccessDesc() = default;
    CRegisterAccessDesc(const CRegisterAccessDesc& other);
    CRegisterAccessDesc& operator=(const CRegisterAccessDesc& other);
    CRegisterAccessDesc(CRegisterAccessDesc&& other) noexcept = default;
    CRegisterAccessDesc& operator=(CRegisterAccessDesc&& other) noexcept = default;
    virtual ~CRegisterAccessDesc();

    void AddRegister(const CRegister* reg);        // stores a copy; null adds nothing
    int GetRegisterCount() const;
    const CRegister* GetRegister(int index) const; // null outside 0..count-1

private:
    std::vector<CRegister> m_registers;
};

#endif
