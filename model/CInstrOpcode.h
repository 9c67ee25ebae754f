// What a BSDL file says about the instruction register: CInstrOpcode is one
// instruction with the opcodes that select it, CInstrRegisterDesc the
// register's length, capture pattern and instructions. Plain value classes
// with deep copies; texts are kept exactly as given. Copies never throw: a
// copy constructed while memory runs short is empty, an assignment that
// runs short leaves its target unchanged.
#ifndef BSCAN_CINSTROPCODE_H
#define BSCAN_CINSTROPCODE_H

#include <string>
#include <vector>

#include "util/BScanExport.h"

class BSCAN_API CInstrOpcode {
public:
    CInstrOpcode() = default;
    CInstrOpcode(const CInstrOpcode& other);
    CInstrOpcode& operator=(const CInstrOpcode& other);
    CInstrOpcode(CInstrOpcode&& other) noexcept = default;
    CInstrOpcode& operator=(CInstrOpcode&& other) noexcept = default;
    virtual ~CInstrOpcode();

    void SetInstruction(const char* const name);   // null changes nothing
    const char* GetInstruction() const;            // never null
    void AddOpcode(const char* const opcode);      // null adds nothing
    int GetOpcodeCount() const;
    const char* GetOpcode(int index) const;        // null outside 0..count-1

    // True when this instruction's name compares greater than the other's,
    // byte by byte with A-Z mapped to a-z: a greater-than test.
    bool operator<(const CInstrOpcode& other);

private:
    std::string m_instruction;
    std::vector<std::string> m_opcodes;
};

class BSCAN_API CInstrRegisterDesc {
public:
    CInstrRegisterDesc() = default;
    CInstrRegisterDesc(const CInstrRegisterDesc& other);
    CInstrRegisterDesc& operator=(const CInstrRegisterDesc& other);
    CInstrRegisterDesc(CInstrRegisterDesc&& other) noexcept = default;
    CInstrRegisterDesc& operator=(CInstrRegisterDesc&& other) noexcept = default;
    virtual ~CInstrRegisterDesc();

    void SetInstructionLength(int length);
    int GetInstructionLength() const;
    void SetInstructionCapture(const char* const capture);
    const char* GetInstructionCapture() const;     // never null
    void AddInstructionOpcode(const CInstrOpcode* opcode);  // stores a copy; null adds nothing
    int GetInstructionOpcodeCount() const;
    const CInstrOpcode* GetInstructionOpcode(int index) const;

private:
    int m_instructionLength = 0;
    std::string m_instructionCapture;
    std::vector<CInstrOpcode> m_instructionOpcodes;
};

#endif
