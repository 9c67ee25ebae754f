// Net analysis, patterns and the interconnect SVF on a hand-made board of
// three devices (U1 and U3 described cell by cell, U2 without BSDL file).
#include <gtest/gtest.h>

#include <set>

#include "BoardFixtures.h"
#include "board/Diagnosis.h"
#include "board/InterconnectPatterns.h"
#include "board/InterconnectPlan.h"
#include "board/InterconnectSvf.h"
#include "sim/BoardRun.h"

using namespace bscan_test;

namespace {

struct HandBoard {
    std::vector<BoardDevice> devices;
    Netlist netlist;
    int sharedControl = -1;    // U1's control cell of A2 and A3
    int blockedControl = -1;   // U1's control cell of A4 and A5
};

void AddNet(Netlist& netlist, const std::string& name, const std::vector<std::string>& pins)
{
    Net net;
    net.name = name;
    net.line = static_cast<int>(netlist.nets.size()) + 1;
    for (const std::string& text : pins) {
        NetPin pin;
        pin.ref = text.substr(0, text.find('.'));
        pin.pin = text.substr(text.find('.') + 1);
        net.pins.push_back(pin);
    }
    netlist.nets.push_back(net);
}

HandBoard MakeHandBoard()
{
    HandBoard board;
    BoardDevice u1 = HandDevice("U1");
    AddBidir(u1, "A1");
    board.sharedControl = AddControl(u1);
    AddBidir(u1, "A2", board.sharedControl);
    AddBidir(u1, "A3", board.sharedControl);
    board.blockedControl = AddControl(u1);
    AddOutput3(u1, "A4", board.blockedControl);
    AddOutput3(u1, "A5", board.blockedControl);
    AddOutput2(u1, "A6");
    AddInput(u1, "A7");
    AddPin(u1, "A8", -1, -1, -1, true);
    AddPin(u1, "A9", -1, -1);
    AddBidir(u1, "B1");
    AddBidir(u1, "B2");
    BoardDevice u3 = HandDevice("U3");
    for (const char* pin : {"C1", "C2", "C3", "C6", "C8", "D1", "D2"})
        AddInput(u3, pin);
    AddOutput2(u3, "C5");
    AddBidir(u3, "C7");
    AddBidir(u3, "D3");
    board.devices = {u1, UndescribedDevice("U2", 5), u3};

    Netlist& n = board.netlist;
    AddNet(n, "N1", {"U1.A1", "U3.C1"});
    AddNet(n, "N2", {"U1.A2", "U3.C2"});
    AddNet(n, "N3", {"U1.A3", "U3.C3"});
    AddNet(n, "N4", {"U1.A4", "U3.C6"});
    AddNet(n, "N5", {"U1.A5", "R1.1"});
    AddNet(n, "N6", {"U1.A6", "U3.C5"});
    AddNet(n, "N7", {"U1.A7", "U3.C8"});
    AddNet(n, "N8", {"U1.A8", "U3.D1"});
    AddNet(n, "N9", {"U1.B1", "U2.1", "U3.D2"});
    AddNet(n, "N10", {"U1.B2"});
    AddNet(n, "N11", {"U3.D3", "u1.Z7"});
    AddNet(n, "N12", {"U1.A9", "U3.C7"});
    return board;
}

const PlannedNet& NetNamed(const InterconnectPlan& plan, const std::string& name)
{
    return plan.nets[static_cast<size_t>(plan.FindNet(name))];
}

}  // namespace

TEST(BoardPlan, TestedAndUntestedNetsWithReasons)
{
    HandBoard board = MakeHandBoard();
    InterconnectPlan plan = PlanInterconnect(board.devices, board.netlist);
    EXPECT_EQ(plan.tested, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(NetNamed(plan, "N1").pins[static_cast<size_t>(NetNamed(plan, "N1").driver)].Name(), "U1.A1");
    EXPECT_EQ(NetNamed(plan, "N2").pins[static_cast<size_t>(NetNamed(plan, "N2").driver)].Name(), "U1.A2");
    // A3 shares A2's control cell: enabling it for N2 makes A3 N3's driver.
    EXPECT_EQ(NetNamed(plan, "N3").pins[static_cast<size_t>(NetNamed(plan, "N3").driver)].Name(), "U1.A3");
    const std::string c = std::to_string(board.blockedControl);
    EXPECT_EQ(NetNamed(plan, "N4").reason,
              "enabling U1 control cell " + c + " also enables U1.A5 on N5, which could fight");
    EXPECT_EQ(NetNamed(plan, "N5").reason, "pin R1.1 has no boundary scan (not in the chain)");
    EXPECT_EQ(NetNamed(plan, "N6").reason, "outputs that cannot be switched off fight (U1.A6, U3.C5)");
    EXPECT_EQ(NetNamed(plan, "N7").reason, "no boundary-scan driver");
    EXPECT_EQ(NetNamed(plan, "N8").reason, "pin U1.A8 is a linkage pin P_A8 (power, ground or analog)");
    EXPECT_EQ(NetNamed(plan, "N9").reason, "pin U2.1 has no boundary scan (no BSDL file)");
    EXPECT_EQ(NetNamed(plan, "N10").reason, "one boundary-scan pin only (U1.B2)");
    EXPECT_EQ(NetNamed(plan, "N11").reason, "pin U1.Z7 has no boundary scan (not mapped by the BSDL file)");
    EXPECT_EQ(NetNamed(plan, "N12").reason, "pin U1.A9 has no boundary scan (no boundary cell (P_A9))");
    EXPECT_EQ(plan.modes, (std::vector<DeviceMode>{DeviceMode::Extest, DeviceMode::Bypass, DeviceMode::Sample}));
    ASSERT_EQ(plan.warnings.size(), 1u);
    EXPECT_EQ(plan.warnings[0], "U1.A6 cannot be switched off and drives N6 (its safe value) during the test");

    // Pins of devices without boundary scan are driven only when asked.
    InterconnectOptions options;
    options.driveUnknown = true;
    InterconnectPlan unknown = PlanInterconnect(board.devices, board.netlist, options);
    EXPECT_TRUE(NetNamed(unknown, "N9").tested);
    EXPECT_EQ(NetNamed(unknown, "N11").reason, "one boundary-scan pin only (U3.D3)");
    EXPECT_FALSE(NetNamed(unknown, "N8").tested);   // linkage pins never
    EXPECT_EQ(NetNamed(unknown, "N5").reason, "one boundary-scan pin only (U1.A5)");
}

TEST(BoardPlan, PatternsScansAndSafety)
{
    HandBoard board = MakeHandBoard();
    InterconnectPlan plan = PlanInterconnect(board.devices, board.netlist);
    InterconnectPatterns patterns = MakePatterns(plan);
    // Three nets: words 1, 2, 3 of 3 bits (2^3 >= 3 + 2), complements added.
    ASSERT_EQ(patterns.wordBits, 3);
    ASSERT_EQ(patterns.Count(), 6);
    EXPECT_EQ(patterns.NetWord(0), (std::vector<int>{1, 0, 0, 0, 1, 1}));
    EXPECT_EQ(patterns.NetWord(2), (std::vector<int>{1, 1, 0, 0, 0, 1}));
    const int u1 = plan.devices[0].BoundaryLength(), u3 = plan.devices[2].BoundaryLength();
    EXPECT_EQ(patterns.drBits, u1 + 1 + u3);
    EXPECT_EQ(patterns.offsets, (std::vector<int>{u3 + 1, u3, 0}));

    const BoardDevice& d1 = plan.devices[0];
    for (int p = 0; p < patterns.Count(); ++p) {
        const ScanBits& tdi = patterns.tdi[static_cast<size_t>(p)];
        auto bit = [&](int cell) { return tdi[static_cast<size_t>(u3 + 1 + cell)]; };
        // Control cells: A1's and the shared one enable, the blocked one and B1's, B2's disable.
        EXPECT_EQ(bit(d1.pins[0].output - 1), 1);
        EXPECT_EQ(bit(board.sharedControl), 1);
        EXPECT_EQ(bit(board.blockedControl), 0);
        EXPECT_EQ(bit(d1.cells[static_cast<size_t>(d1.FindPin("B1")->output)].control), 0);
        for (size_t t = 0; t < 3; ++t) {
            const PlannedNet& net = plan.nets[static_cast<size_t>(plan.tested[t])];
            const ScanPin& driver = net.pins[static_cast<size_t>(net.driver)];
            EXPECT_EQ(bit(driver.output), patterns.NetValue(t, p));
        }
        // Only the receiving cells are checked: U1's readback of A1..A3 and U3's C1..C3.
        int unmasked = 0;
        for (unsigned char m : patterns.mask[static_cast<size_t>(p)])
            unmasked += m;
        EXPECT_EQ(unmasked, 6);
        EXPECT_EQ(tdi[static_cast<size_t>(u3)], 0);   // U2's bypass bit
    }

    // The good board: every response as expected, never two drivers on a net.
    bscan_sim::BoardNets nets(plan.devices, board.netlist);
    std::vector<ScanBits> captures = bscan_sim::RunInterconnect(plan, patterns, nets);
    for (int p = 0; p < patterns.Count(); ++p)
        for (size_t b = 0; b < captures[static_cast<size_t>(p)].size(); ++b)
            if (patterns.mask[static_cast<size_t>(p)][b])
                EXPECT_EQ(captures[static_cast<size_t>(p)][b], patterns.expected[static_cast<size_t>(p)][b]);
    EXPECT_EQ(nets.Fights(), 0);
    EXPECT_TRUE(Diagnose(plan, patterns, captures).pass);
}

TEST(BoardPlan, SvfOrderAndScans)
{
    HandBoard board = MakeHandBoard();
    board.devices[0].hasIdcode = true;
    board.devices[0].idcodeValue = 0x1694300Fu;
    board.devices[0].idcodeMask = 0x0FFFFFFFu;
    InterconnectPlan plan = PlanInterconnect(board.devices, board.netlist);
    InterconnectPatterns patterns = MakePatterns(plan);
    std::string svf, error;
    ASSERT_TRUE(WriteInterconnectSvf(plan, patterns, InterconnectSvfOptions(), svf, error)) << error;
    std::vector<std::string> statements;
    size_t start = 0;
    for (size_t end; (end = svf.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = svf.substr(start, end - start);
        if (!line.empty() && line[0] != '!')
            statements.push_back(line);
    }
    // reset (4), IDCODE (SIR, SDR, TRST OFF), preload (SIR, SDR), EXTEST (SIR), 6 checked scans.
    ASSERT_EQ(statements.size(), 4u + 3 + 2 + 1 + 6);
    EXPECT_EQ(statements[6], "TRST OFF;");
    EXPECT_EQ(statements[0], "STATE RESET;");
    EXPECT_EQ(statements[3], "ENDDR IDLE;");
    // IR from U3 (nearest TDO): U3 has no IDCODE, BYPASS 1111; U2 11111; U1 IDCODE 0010.
    EXPECT_EQ(statements[4], "SIR 13 TDI (05FF);");
    // DR: U3's and U2's bypass bits 0, then U1's IDCODE with its version bits masked.
    EXPECT_EQ(statements[5], "SDR 34 TDI (000000000) TDO (01A50C03C) MASK (03FFFFFFF);");
    // Preload: U1 PRELOAD 0001, U2 BYPASS, U3 SAMPLE 0001 -> 0001 11111 0001.
    EXPECT_EQ(statements[7], "SIR 13 TDI (03F1);");
    EXPECT_EQ(statements[9], "SIR 13 TDI (01F1);");
    EXPECT_EQ(statements[8], "SDR " + std::to_string(patterns.drBits) + " TDI (" + ScanBitsHex(patterns.tdi[0]) + ");");
    for (int p = 1; p <= 6; ++p) {
        const size_t applied = static_cast<size_t>(p < 6 ? p : 5);
        EXPECT_EQ(statements[static_cast<size_t>(9 + p)],
                  SvfSdr(patterns.tdi[applied], &patterns.expected[static_cast<size_t>(p - 1)],
                         &patterns.mask[static_cast<size_t>(p - 1)]).substr(0, statements[static_cast<size_t>(9 + p)].size()));
    }

    // Nothing tested: no SVF.
    Netlist none;
    InterconnectPlan empty = PlanInterconnect(board.devices, none);
    EXPECT_FALSE(WriteInterconnectSvf(empty, MakePatterns(empty), InterconnectSvfOptions(), svf, error));
    EXPECT_EQ(error, "no net can be tested");
}
