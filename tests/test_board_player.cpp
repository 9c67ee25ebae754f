// The interconnect test played by a real player: OpenOCD (remote_bitbang)
// against the simulated board of tests/sim with the board's nets, on the
// chain fixture board and on the example board; faults injected into the
// board one at a time. Without openocd the tests say so and skip.
#include <gtest/gtest.h>

#if defined(BSCAN_SIM_PATH) && defined(BSCAN_TOOL_PATH) && defined(BSCAN_HAVE_NLOHMANN_JSON)

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>

#include <nlohmann/json.hpp>

#include "PlayerHarness.h"
#include "ScratchDir.h"
#include "board/BoardChain.h"
#include "board/Diagnosis.h"
#include "board/InterconnectSvf.h"
#include "chain/BScanChain.h"
#include "BoardRealFiles.h"
#include "sim/BoardFaults.h"

namespace {

using Json = nlohmann::json;

const std::string kData = BSCAN_TEST_DATA_DIR;

#define REQUIRE_OPENOCD(openocd)                                                                      \
    const std::string openocd = bscan_test::FindOpenocd();                                            \
    if (openocd.empty())                                                                              \
        GTEST_SKIP() << "openocd not found on PATH (Debian package openocd, installed by make test): " \
                        "the SVF cannot be played";

struct PlayedBoard {
    std::string chainFile, netlistFile, svfFile, dir, svf;
    std::vector<int> irLengths;
    Netlist netlist;
    InterconnectPlan plan;
    InterconnectPatterns patterns;
};

bool Prepare(const std::string& chainFile, const std::string& netlistFile, PlayedBoard& board)
{
    board.chainFile = chainFile;
    board.netlistFile = netlistFile;
    board.dir = bscan_test::NewScratchSubdir("interconnect");
    BScanChain chain;
    EXPECT_EQ(0, chain.Read(chainFile, BSCAN_MESSAGE_DIR)) << chain.Error();
    std::vector<BoardDevice> devices;
    std::string error;
    EXPECT_TRUE(DescribeChain(chain, devices, error)) << error;
    EXPECT_TRUE(ReadNetlistFile(netlistFile, board.netlist, error)) << error;
    for (size_t i = 0; i < chain.DeviceCount(); ++i)
        board.irLengths.push_back(chain.Device(i).irLength);
    board.plan = PlanInterconnect(devices, board.netlist);
    board.patterns = MakePatterns(board.plan);
    std::string svf;
    EXPECT_TRUE(WriteInterconnectSvf(board.plan, board.patterns, InterconnectSvfOptions(), svf, error)) << error;
    board.svfFile = board.dir + "/test.svf";
    board.svf = svf;
    std::ofstream(board.svfFile, std::ios::binary) << svf;
    return !::testing::Test::HasFailure();
}

struct Played {
    bool ran = false;
    bool mismatch = false;        // OpenOCD reported a TDO mismatch
    long fights = -1;
    std::vector<ScanBits> captures;
    std::string log;
    std::string openocdLog;
};

// Plays the board's SVF with the faults given as bscan_sim options; every
// scan is played (-ignore_error), so that all captures are there.
Played Play(const std::string& openocd, const PlayedBoard& board, const std::vector<std::string>& faults)
{
    std::vector<std::string> options = {"--netlist=" + board.netlistFile};
    options.insert(options.end(), faults.begin(), faults.end());
    const bscan_test::PlayResult result = bscan_test::PlaySvf(openocd, board.chainFile, board.irLengths,
                                                              board.svfFile + " -ignore_error", board.dir, options);
    Played played;
    played.log = result.failure + result.openocdLog + result.boardLog;
    if (!result.ran)
        return played;
    played.ran = true;
    played.openocdLog = result.openocdLog;
    played.mismatch = result.openocdLog.find("tdo check error") != std::string::npos;
    const Json state = Json::parse(result.stateJson);
    played.fights = state.value("fights", -1L);
    std::string values;
    for (const Json& scan : state["scans"])
        if (scan["register"] == "DR")
            values += scan["tdo"].get<std::string>() + "\n";
    std::string error;
    EXPECT_TRUE(ReadCaptures(values, "board", board.patterns.drBits, board.patterns.Count(), played.captures, error))
        << error;
    return played;
}

std::vector<std::string> SimOptions(const PlayedBoard& board, const bscan_sim::Fault& fault)
{
    const auto name = [&](int n) { return board.plan.nets[static_cast<size_t>(n)].name; };
    switch (fault.kind) {
    case FaultKind::StuckAt0:
        return {"--stuck=" + name(fault.net) + ":0"};
    case FaultKind::StuckAt1:
        return {"--stuck=" + name(fault.net) + ":1"};
    case FaultKind::Open:
        return {"--open=" + fault.pin};
    case FaultKind::ShortAnd:
        return {"--short=" + name(fault.net) + "|" + name(fault.otherNet)};
    case FaultKind::ShortOr:
    default:
        return {"--short=" + name(fault.net) + "|" + name(fault.otherNet), "--wired-or"};
    }
}

std::string Summary(const char* name, const bscan_sim::ClassScore& s)
{
    return std::string(name) + " " + std::to_string(s.detected) + "/" + std::to_string(s.injected) + " detected, " +
           std::to_string(s.rightNet) + " right net, " + std::to_string(s.right) + " right fault, " +
           std::to_string(s.rightAmongEqual) + " among equal explanations";
}

// The good board passes with no fight; every fault the simulator is given
// makes OpenOCD report a mismatch, and the captures the simulator saw are
// diagnosed; the in-process run of the same fault gives the same captures
// in every receiving cell.
void PlayEveryFault(const std::string& openocd, const PlayedBoard& board, size_t maxShorts, bscan_sim::Campaign& c,
                    size_t perClass = 100000)
{
    Played good = Play(openocd, board, {});
    ASSERT_TRUE(good.ran) << good.log;
    EXPECT_FALSE(good.mismatch) << good.log;
    EXPECT_EQ(good.fights, 0);
    EXPECT_TRUE(Diagnose(board.plan, board.patterns, good.captures).pass);

    for (const bscan_sim::Fault& fault : bscan_sim::Thinned(bscan_sim::SingleFaults(board.plan, maxShorts), perClass)) {
        const std::vector<std::string> options = SimOptions(board, fault);
        SCOPED_TRACE(options.front());
        Played played = Play(openocd, board, options);
        ASSERT_TRUE(played.ran) << played.log;
        EXPECT_TRUE(played.mismatch) << "OpenOCD saw no mismatch";
        bscan_sim::BoardNets nets(board.plan.devices, board.netlist);
        bscan_sim::Inject(nets, board.plan, fault);
        const std::vector<ScanBits> inProcess = bscan_sim::RunInterconnect(board.plan, board.patterns, nets);
        EXPECT_EQ(played.captures.size(), inProcess.size());
        for (size_t p = 0; p < played.captures.size() && p < inProcess.size(); ++p)
            for (size_t b = 0; b < inProcess[p].size(); ++b)
                if (board.patterns.mask[p][b] && played.captures[p][b] != inProcess[p][b])
                    ADD_FAILURE() << "scan " << p << " bit " << b << ": played " << int(played.captures[p][b])
                                  << ", in process " << int(inProcess[p][b]);
        const Diagnosis diagnosis = Diagnose(board.plan, board.patterns, played.captures);
        bscan_sim::Score(board.plan, fault, diagnosis, c);
        // OpenOCD's own log of the failing scans leads to the same faults.
        std::vector<ScanBits> fromLog;
        std::string error;
        ASSERT_TRUE(ReadPlayerLog(played.openocdLog, "openocd.log", board.svf, board.patterns, fromLog, error)) << error;
        const Diagnosis again = Diagnose(board.plan, board.patterns, fromLog);
        ASSERT_EQ(again.faults.size(), diagnosis.faults.size());
        for (size_t i = 0; i < again.faults.size(); ++i)
            EXPECT_EQ(again.faults[i].text, diagnosis.faults[i].text);
    }
}

}  // namespace

TEST(BoardPlayer, FixtureBoardEveryFaultDetectedAndDiagnosed)
{
    REQUIRE_OPENOCD(openocd);
    PlayedBoard board;
    ASSERT_TRUE(Prepare(kData + "/chain_board.chain", kData + "/board_fixture.net", board));
    ASSERT_EQ(board.plan.tested.size(), 8u);
    bscan_sim::Campaign c;
    PlayEveryFault(openocd, board, 1000, c);
    for (const bscan_sim::ClassScore* s : {&c.open, &c.shorts, &c.stuck}) {
        EXPECT_EQ(s->detected, s->injected);
        EXPECT_EQ(s->rightNet, s->injected);
        EXPECT_EQ(s->rightAmongEqual, s->injected);
    }
    EXPECT_EQ(c.shorts.right, c.shorts.injected);
    std::cout << "[ fixture  ] " << Summary("opens", c.open) << "; " << Summary("shorts", c.shorts) << "; "
              << Summary("stuck-at", c.stuck) << "\n";
}

// The example board of the README: three devices, a KiCad netlist.
TEST(BoardPlayer, ExampleBoardEveryFaultDetectedAndDiagnosed)
{
    REQUIRE_OPENOCD(openocd);
    const std::string examples = std::string(BSCAN_SOURCE_DIR) + "/examples";
    PlayedBoard board;
    ASSERT_TRUE(Prepare(examples + "/demo_board.chain", examples + "/demo_board.net", board));
    ASSERT_EQ(board.plan.tested.size(), 18u);
    ASSERT_EQ(board.patterns.Count(), 10);
    bscan_sim::Campaign c;
    PlayEveryFault(openocd, board, 1000, c);
    for (const bscan_sim::ClassScore* s : {&c.open, &c.shorts, &c.stuck}) {
        EXPECT_EQ(s->detected, s->injected);
        EXPECT_EQ(s->rightNet, s->injected);
        EXPECT_EQ(s->rightAmongEqual, s->injected);
    }
    EXPECT_EQ(c.shorts.right, c.shorts.injected);
    std::cout << "[ example  ] " << Summary("opens", c.open) << "; " << Summary("shorts", c.shorts) << "; "
              << Summary("stuck-at", c.stuck) << "\n";
}

// A board generated from real files (several hundred nets), played: the
// good board, and about 30 faults of each class.
TEST(BoardPlayer, RealFileBoardPlayed)
{
    REQUIRE_OPENOCD(openocd);
    std::vector<std::string> files;
    std::string why;
    if (!bscan_test::PickRealFiles(3, 0, 300, files, why))
        GTEST_SKIP() << why;
    bscan_test::GeneratedBoard generated;
    ASSERT_TRUE(bscan_test::GenerateBoard(files, 400, 1, generated, why)) << why;
    PlayedBoard board;
    ASSERT_TRUE(Prepare(generated.chainFile, generated.netlistFile, board));
    ASSERT_GE(board.plan.tested.size(), 350u);
    bscan_sim::Campaign c;
#if defined(__SANITIZE_ADDRESS__)
    PlayEveryFault(openocd, board, 600, c, 8);   // the sanitized board and player are slow
#else
    PlayEveryFault(openocd, board, 600, c, 30);
#endif
    for (const bscan_sim::ClassScore* s : {&c.open, &c.shorts, &c.stuck}) {
        EXPECT_EQ(s->detected, s->injected);
        EXPECT_EQ(s->rightNet, s->injected);
        EXPECT_EQ(s->rightAmongEqual, s->injected);
    }
    std::cout << "[ real     ] played: " << Summary("opens", c.open) << "; " << Summary("shorts", c.shorts) << "; "
              << Summary("stuck-at", c.stuck) << "\n";
}

#else

TEST(BoardPlayer, FixtureBoardEveryFaultDetectedAndDiagnosed)
{
    GTEST_SKIP() << "the simulated board, the tool or nlohmann/json is not built: the SVF cannot be played";
}

#endif
