// Diagnosis of captures: every single fault of each class injected into a
// simulated board, the test run on it, and the diagnosis scored against
// the fault; the hand-made board, then boards generated from real files.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <random>
#include <sstream>

#include "BoardFixtures.h"
#include "board/Diagnosis.h"
#include "board/InterconnectPatterns.h"
#include "board/InterconnectPlan.h"
#include "board/InterconnectSvf.h"
#include "parser/BScanParser.h"
#include "sim/BoardFaults.h"

using namespace bscan_test;
using namespace bscan_sim;

namespace {

void AddNet(Netlist& netlist, const std::string& name, const std::vector<std::string>& pins)
{
    Net net;
    net.name = name;
    for (const std::string& text : pins) {
        NetPin pin;
        pin.ref = text.substr(0, text.find('.'));
        pin.pin = text.substr(text.find('.') + 1);
        net.pins.push_back(pin);
    }
    netlist.nets.push_back(net);
}

// Two devices, nine nets: bidirectional pins, input-only receivers,
// drivers without readback, several receivers per net.
struct SmallBoard {
    std::vector<BoardDevice> devices;
    Netlist netlist;
};

SmallBoard MakeSmallBoard()
{
    SmallBoard board;
    BoardDevice u1 = HandDevice("U1"), u2 = HandDevice("U2");
    for (int i = 1; i <= 9; ++i)
        AddBidir(u1, "B" + std::to_string(i));
    AddOutput3(u1, "O1");
    AddOutput3(u1, "O2");
    for (int i = 1; i <= 9; ++i)
        AddInput(u2, "I" + std::to_string(i));
    for (int i = 1; i <= 4; ++i)
        AddBidir(u2, "D" + std::to_string(i));
    board.devices = {u1, u2};
    for (int i = 1; i <= 6; ++i)
        AddNet(board.netlist, "/N" + std::to_string(i), {"U1.B" + std::to_string(i), "U2.I" + std::to_string(i)});
    AddNet(board.netlist, "/W1", {"U1.B7", "U2.I7", "U2.D1", "U2.D2"});
    AddNet(board.netlist, "/W2", {"U1.O1", "U2.I8", "U2.D3"});
    AddNet(board.netlist, "/W3", {"U1.O2", "U2.I9"});
    return board;
}

std::string Rates(const char* name, const ClassScore& s)
{
    return std::string(name) + ": " + std::to_string(s.injected) + " injected, " + std::to_string(s.detected) +
           " detected, right net " + std::to_string(s.rightNet) + ", right fault " + std::to_string(s.right) +
           ", right among equal explanations " + std::to_string(s.rightAmongEqual);
}

std::string Misses(const Campaign& c)
{
    std::string text;
    for (const std::string& miss : c.misses)
        text += miss + "\n";
    return text;
}

}  // namespace

TEST(BoardDiagnosis, SmallBoardEveryFaultDetectedAndNamed)
{
    SmallBoard board = MakeSmallBoard();
    InterconnectPlan plan = PlanInterconnect(board.devices, board.netlist);
    ASSERT_EQ(plan.tested.size(), 9u);
    InterconnectPatterns patterns = MakePatterns(plan);
    EXPECT_EQ(patterns.Count(), 8);   // 2^4 >= 9 + 2

    const std::vector<Fault> faults = SingleFaults(plan, 1000);
    Campaign c = RunCampaign(plan, patterns, board.netlist, faults);
    EXPECT_EQ(c.shorts.injected, 72);   // 36 pairs, AND and OR
    for (const ClassScore* s : {&c.open, &c.shorts, &c.stuck}) {
        EXPECT_EQ(s->detected, s->injected);
        EXPECT_EQ(s->rightNet, s->injected) << Misses(c);
        EXPECT_EQ(s->rightAmongEqual, s->injected) << Misses(c);
    }
    EXPECT_EQ(c.shorts.right, c.shorts.injected);
    EXPECT_EQ(c.stuck.right, c.stuck.injected - 1) << Misses(c);   // /W3: stuck at 1 reads as an open (below)

    // The texts, on chosen faults.
    auto diagnose = [&](const Fault& fault) {
        BoardNets nets(plan.devices, board.netlist);
        Inject(nets, plan, fault);
        return Diagnose(plan, patterns, RunInterconnect(plan, patterns, nets));
    };
    Fault open;
    open.net = plan.FindNet("/W1");
    open.device = 1;
    open.pin = "U2.D2";
    Diagnosis d = diagnose(open);
    ASSERT_EQ(d.faults.size(), 1u);
    EXPECT_EQ(d.faults[0].text, "/W1: open at U2.D2 (reads 1 where U1.B7 drives 0)");
    EXPECT_TRUE(d.faults[0].alternatives.empty());
    open.device = 0;
    open.pin = "U1.B7";
    d = diagnose(open);
    ASSERT_EQ(d.faults.size(), 1u);
    EXPECT_EQ(d.faults[0].text, "/W1: open at U1.B7 (U2.I7, U2.D1, U2.D2 read 1 where U1.B7 drives 0)");
    // Two pins only: the open cannot be placed at one end.
    open.net = plan.FindNet("/N3");
    open.pin = "U1.B3";
    d = diagnose(open);
    ASSERT_EQ(d.faults.size(), 1u);
    EXPECT_EQ(d.faults[0].text, "/N3: open at U2.I3 or U1.B3 (U2.I3 reads 1 where U1.B3 drives 0)");
    EXPECT_EQ(d.faults[0].alternatives, (std::vector<std::string>{"open at U1.B3"}));
    // A driver without readback and one receiver: open or stuck at 1 alike.
    Fault stuck;
    stuck.kind = FaultKind::StuckAt1;
    stuck.net = plan.FindNet("/W3");
    d = diagnose(stuck);
    ASSERT_EQ(d.faults.size(), 1u);
    EXPECT_EQ(d.faults[0].kind, FaultKind::Open);
    EXPECT_EQ(d.faults[0].text, "/W3: open at U2.I9 or U1.O2 (U2.I9 reads 1 where U1.O2 drives 0)");
    EXPECT_EQ(d.faults[0].alternatives, (std::vector<std::string>{"open at U1.O2", "stuck at 1"}));
    stuck.kind = FaultKind::StuckAt0;
    stuck.net = plan.FindNet("/N1");
    d = diagnose(stuck);
    ASSERT_EQ(d.faults.size(), 1u);
    EXPECT_EQ(d.faults[0].text, "/N1 stuck at 0");
    Fault shorted;
    shorted.kind = FaultKind::ShortOr;
    shorted.net = plan.FindNet("/N2");
    shorted.otherNet = plan.FindNet("/W2");
    d = diagnose(shorted);
    ASSERT_EQ(d.faults.size(), 1u);
    EXPECT_EQ(d.faults[0].text, "/N2 and /W2 shorted (wired-OR)");
    EXPECT_EQ(d.failingNets, (std::vector<int>{1, 7}));
}

TEST(BoardDiagnosis, CapturesFile)
{
    std::vector<ScanBits> captures;
    std::string error;
    ASSERT_TRUE(ReadCaptures("# idcode\n0x3\n\n5 # a\n0X00a\n", "cap", 4, 2, captures, error)) << error;
    ASSERT_EQ(captures.size(), 2u);
    EXPECT_EQ(captures[0], (ScanBits{1, 0, 1, 0}));
    EXPECT_EQ(captures[1], (ScanBits{0, 1, 0, 1}));
    EXPECT_FALSE(ReadCaptures("1\n1F\n", "cap", 4, 2, captures, error));
    EXPECT_EQ(error, "cap:2: error: the value has more than the 4 bits of the test's scans");
    EXPECT_FALSE(ReadCaptures("1\n\n", "cap", 4, 3, captures, error));
    EXPECT_EQ(error, "cap:2: error: 1 values, the test has 3 scans");
    EXPECT_FALSE(ReadCaptures("1 2\n", "cap", 4, 1, captures, error));
    EXPECT_EQ(error, "cap:1: error: one hex value a line expected, found '2' after it");
    EXPECT_FALSE(ReadCaptures("1\nxyz\n", "cap", 4, 1, captures, error));
    EXPECT_EQ(error, "cap:2: error: 'xyz' is not a hex value");
}

#include "BoardRealFiles.h"

// Under the sanitizers (make asan) the real-file boards get fewer faults,
// so that the run stays within the test's time.
#if defined(__SANITIZE_ADDRESS__)
const size_t kRealShortPairs = 60;
const size_t kRealPerClass = 40;
#else
const size_t kRealShortPairs = 600;
const size_t kRealPerClass = 100000;
#endif

// Boards from real files: three devices, random nets. The first trio has
// large devices (several hundred nets, nearly all tested); the second
// smaller ones with many outputs on shared control cells. Every stuck-at
// and every open at an observable pin, and 600 random pairs of shorts
// (both kinds), run in process.
TEST(BoardDiagnosis, RealFileBoards)
{
    struct Trial {
        size_t minPins, nets;
        unsigned seed;
        size_t minTested;
    };
    for (const Trial& trial : {Trial{300, 400, 1, 350}, Trial{60, 400, 2, 100}}) {
        std::vector<std::string> files;
        std::string why;
        if (!PickRealFiles(3, 0, trial.minPins, files, why))
            GTEST_SKIP() << why;
        GeneratedBoard board;
        ASSERT_TRUE(GenerateBoard(files, trial.nets, trial.seed, board, why)) << why;
        InterconnectPlan plan = PlanInterconnect(board.devices, board.netlist);
        InterconnectPatterns patterns = MakePatterns(plan);
        ASSERT_GE(plan.tested.size(), trial.minTested);
        BoardNets good(plan.devices, board.netlist);
        EXPECT_TRUE(Diagnose(plan, patterns, RunInterconnect(plan, patterns, good)).pass);
        EXPECT_EQ(good.Fights(), 0);

        Campaign c = RunCampaign(plan, patterns, board.netlist, Thinned(SingleFaults(plan, kRealShortPairs), kRealPerClass));
        for (const ClassScore* s : {&c.open, &c.shorts, &c.stuck})
            EXPECT_EQ(s->detected, s->injected);
        EXPECT_GE(c.open.rightAmongEqual * 100, c.open.injected * 95) << Misses(c);
        EXPECT_GE(c.stuck.rightNet * 100, c.stuck.injected * 95) << Misses(c);
        EXPECT_EQ(c.shorts.right, c.shorts.injected) << Misses(c);
        std::cout << "[ real     ] " << files[0].substr(files[0].rfind('/') + 1) << ", "
                  << files[1].substr(files[1].rfind('/') + 1) << ", " << files[2].substr(files[2].rfind('/') + 1)
                  << ": " << plan.nets.size() << " nets, " << plan.tested.size() << " tested, "
                  << patterns.Count() << " patterns\n[ real     ] " << Rates("opens", c.open) << "\n[ real     ] "
                  << Rates("shorts", c.shorts) << "\n[ real     ] " << Rates("stuck-at", c.stuck) << "\n";
    }
}

// OpenOCD's log of the failing scans, read against the SVF it played.
TEST(BoardDiagnosis, PlayerLog)
{
    SmallBoard board = MakeSmallBoard();
    InterconnectPlan plan = PlanInterconnect(board.devices, board.netlist);
    InterconnectPatterns patterns = MakePatterns(plan);
    std::string svf, error;
    ASSERT_TRUE(WriteInterconnectSvf(plan, patterns, InterconnectSvfOptions(), svf, error));
    // The checked scans stand on lines 16, 18, ... (a summary, reset 4, IDCODE 4, preload 3, EXTEST 2, a comment each).
    std::vector<int> lines;
    std::istringstream text(svf);
    std::string line;
    for (int n = 1; std::getline(text, line); ++n)
        if (line.find(" TDO (") != std::string::npos)
            lines.push_back(n);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[1], 16);

    BoardNets nets(plan.devices, board.netlist);
    nets.StuckAt(plan.FindNet("/N4"), 1);
    const std::vector<ScanBits> captures = RunInterconnect(plan, patterns, nets);
    std::string log = "Open On-Chip Debugger 0.12.0\nInfo : svf processing file: \"test.svf\"\n";
    for (size_t p = 0; p < captures.size(); ++p) {
        bool differs = false;
        for (size_t b = 0; b < captures[p].size(); ++b)
            differs = differs || (patterns.mask[p][b] && captures[p][b] != patterns.expected[p][b]);
        if (differs)
            log += "Error: tdo check error at line " + std::to_string(lines[p + 1]) + "\nError:     READ = 0x" +
                   ScanBitsHex(captures[p]) + "\nError:     WANT = 0x0\n";
    }
    EXPECT_TRUE(IsPlayerLog(log));
    std::vector<ScanBits> read;
    ASSERT_TRUE(ReadPlayerLog(log, "ocd.log", svf, patterns, read, error)) << error;
    Diagnosis d = Diagnose(plan, patterns, read);
    ASSERT_EQ(d.faults.size(), 1u);
    EXPECT_EQ(d.faults[0].text, "/N4 stuck at 1");

    EXPECT_FALSE(ReadPlayerLog("Error: tdo check error at line 7\nError:     READ = 0x1\n", "ocd.log", svf, patterns,
                               read, error));
    EXPECT_EQ(error, "ocd.log:1: error: the player failed line 7 of the SVF, which is not one of the test's scans "
                     "(the IDCODE check: the chain is not as the chain file says)");
    EXPECT_FALSE(ReadPlayerLog("x\nError: tdo check error at line 16\n", "ocd.log", svf, patterns, read, error));
    EXPECT_EQ(error, "ocd.log:2: error: no READ value after the failing scan");
    EXPECT_FALSE(ReadPlayerLog("Error: tdo check error at line 16\nError:     READ = 0xZZ\n", "ocd.log", svf, patterns,
                               read, error));
    EXPECT_EQ(error, "ocd.log:2: error: '0xZZ' is not a hex value");
    EXPECT_FALSE(ReadPlayerLog("Error: tdo check error at line 16\nError:     READ = 0x1\nsvf file programmed failed\n",
                               "ocd.log", svf, patterns, read, error));
    EXPECT_EQ(error, "ocd.log:3: error: the player stopped at the first failing scan; play the test with svf FILE "
                     "-ignore_error so that every scan is read");
}
