// One device of the simulated board: its TAP controller and its registers,
// built from our model of its BSDL file (or, for a chain entry ir=N, an
// instruction register of N bits that only knows BYPASS).
//
// Registers hold their bits with bit 0 nearest TDO: the bit shifted out
// first. Actions follow the TAP controller: on a rising TCK edge the
// current state's work is done (Capture-xR loads, Shift-xR shifts) and the
// state moves on TMS; entering Update-xR updates, entering
// Test-Logic-Reset resets the instruction (IDCODE when the device has one,
// else BYPASS).
//
// The boundary register has a capture/shift stage and an update stage; the
// update stage starts unknown ('?') as at power-up, and drives the pins
// only while EXTEST is the current instruction. Captured cells: an input
// cell (or observe-only cell) of a port reads the pin value set with
// SetPinValue (0 when none was set); any other cell captures its update
// stage (0 while unknown).
#ifndef BSCAN_TESTS_SIM_TAPDEVICE_H
#define BSCAN_TESTS_SIM_TAPDEVICE_H

#include <cstdint>
#include <string>
#include <vector>

class BScanChain;

enum class TapState {
    TestLogicReset, RunTestIdle, SelectDr, CaptureDr, ShiftDr, Exit1Dr, PauseDr, Exit2Dr, UpdateDr,
    SelectIr, CaptureIr, ShiftIr, Exit1Ir, PauseIr, Exit2Ir, UpdateIr
};

TapState NextTapState(TapState state, int tms);
const char* TapStateName(TapState state);

class TapDevice {
public:
    // Device `index` of the chain.
    TapDevice(const BScanChain& chain, size_t index);

    const std::string& Name() const { return m_name; }
    TapState State() const { return m_state; }
    // The bit on TDO now: bit 0 of the register being shifted, else 0.
    int Tdo() const;
    // One rising TCK edge.
    void Clock(int tms, int tdi);
    // TRST asserted, or power-up.
    void Reset();

    // Pins: a port label (NAME or NAME(INDEX), ignoring case) and 0 or 1.
    bool SetPinValue(const std::string& port, int value);

    // The instruction now current ("BYPASS", "EXTEST", ...; "?" + bits for
    // an opcode the file does not declare, which selects the bypass bit).
    const std::string& Instruction() const { return m_instruction; }
    bool Driving() const { return m_instruction == "EXTEST"; }
    // Cell 0 first, '0', '1' or '?'.
    std::string UpdateStage() const;
    // Every update stage EXTEST was current with: at the Update-IR that
    // made it current and at each Update-DR while it was.
    const std::vector<std::string>& ExtestUpdateStages() const { return m_extestStages; }
    // The instruction after each Update-IR, in order.
    const std::vector<std::string>& InstructionHistory() const { return m_history; }
    int BoundaryLength() const { return static_cast<int>(m_update.size()); }

private:
    struct Opcodes {
        std::string name;
        std::vector<std::string> opcodes;   // as in BSDL, first character the most significant
    };
    enum class Selected { Bypass, Idcode, Boundary };

    Selected SelectedRegister() const;
    std::vector<unsigned char>& ShiftRegister(bool ir);
    void CaptureIr();
    void CaptureDr();
    void UpdateIr();
    void UpdateDr();

    std::string m_name;
    TapState m_state = TapState::TestLogicReset;
    int m_irLength = 0;
    std::string m_irCapture;                    // as in BSDL
    std::vector<Opcodes> m_instructions;
    bool m_hasIdcode = false;
    uint32_t m_idcode = 0;
    std::string m_instruction;
    std::vector<unsigned char> m_ir, m_dr;      // shift stages; bit 0 nearest TDO
    std::vector<signed char> m_update;          // boundary update stage, -1 unknown
    std::vector<int> m_inputPort;               // per cell: index in m_portLabels, -1 none
    std::vector<std::string> m_portLabels;      // upper case
    std::vector<int> m_pinValues;               // per port: 0, 1, -1 not set
    std::vector<std::string> m_history;
    std::vector<std::string> m_extestStages;
};

#endif
