// The simulated board: the devices of a chain on one scan path, TDI into
// device 0, device 0's TDO into device 1, ..., the last device's TDO out.
// Keeps a history of every IR and DR scan (the bits shifted in and out),
// and writes it with each device's final state as one JSON document.
#ifndef BSCAN_TESTS_SIM_BOARD_H
#define BSCAN_TESTS_SIM_BOARD_H

#include <string>
#include <vector>

#include "TapDevice.h"

class BScanChain;

struct ScanRecord {
    bool ir = false;
    std::vector<unsigned char> tdi, tdo;   // bit 0 shifted first
};

class Board {
public:
    explicit Board(const BScanChain& chain);

    // The pins: NAME.PORT=0|1. False for an unknown device or port.
    bool SetPin(const std::string& assignment);

    // One write of the three lines; a rising TCK edge clocks every device.
    void Write(int tck, int tms, int tdi);
    void Trst();
    int Tdo() const;

    std::string StateJson() const;

private:
    std::vector<TapDevice> m_devices;
    int m_tck = 0;
    bool m_shifting = false;
    ScanRecord m_current;
    std::vector<ScanRecord> m_scans;
    long long m_clocks = 0;
    long long m_resets = 0;
};

#endif
