// `bscan interconnect` and `bscan diagnose` run as a user runs them, on the
// chain fixture board: report, SVF file, JSON, exit status, errors.
#include <gtest/gtest.h>

#if defined(BSCAN_TOOL_PATH) && defined(BSCAN_HAVE_NLOHMANN_JSON)

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include <nlohmann/json.hpp>

#include "ScratchDir.h"
#include "ToolRun.h"
#include "board/BoardChain.h"
#include "board/InterconnectSvf.h"
#include "chain/BScanChain.h"
#include "sim/BoardRun.h"

namespace {

using bscan_test::ToolResult;

ToolResult Tool(const std::vector<std::string>& args)
{
    return bscan_test::RunBscan(args);
}

const std::string kChain = std::string(BSCAN_TEST_DATA_DIR) + "/chain_board.chain";
const std::string kNetlist = std::string(BSCAN_TEST_DATA_DIR) + "/board_fixture.net";

struct Fixture {
    Netlist netlist;
    InterconnectPlan plan;
    InterconnectPatterns patterns;
};

Fixture Load()
{
    Fixture f;
    BScanChain chain;
    EXPECT_EQ(0, chain.Read(kChain, BSCAN_MESSAGE_DIR)) << chain.Error();
    std::vector<BoardDevice> devices;
    std::string error;
    EXPECT_TRUE(DescribeChain(chain, devices, error)) << error;
    EXPECT_TRUE(ReadNetlistFile(kNetlist, f.netlist, error)) << error;
    f.plan = PlanInterconnect(devices, f.netlist);
    f.patterns = MakePatterns(f.plan);
    return f;
}

std::string CapturesText(const std::vector<ScanBits>& captures)
{
    std::string text = "# TDO of the test's scans\n";
    for (const ScanBits& capture : captures)
        text += "0x" + ScanBitsHex(capture) + "\n";
    return text;
}

}  // namespace

TEST(BoardTool, InterconnectReportSvfAndJson)
{
    const std::string dir = bscan_test::NewScratchSubdir("interconnect");
    const std::string svf = dir + "/test.svf";
    ToolResult run = Tool({"interconnect", "--chain", kChain, "--netlist", kNetlist, "-o", svf});
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_EQ("", run.err);
    EXPECT_EQ(0u, run.out.find("chain " + kChain + ": U1 EXTEST, U7 BYPASS, U3 EXTEST, U4 EXTEST\n"));
    EXPECT_NE(std::string::npos, run.out.find("12 nets, 8 tested"));
    EXPECT_NE(std::string::npos, run.out.find("BUS0  U3.C1   U1.8 U3.C1 U4.5  10000111\n"));
    EXPECT_NE(std::string::npos, run.out.find("EXT  pin J1.1 has no boundary scan (not in the chain)\n"));
    EXPECT_NE(std::string::npos, run.out.find("patterns: 8 (code words of 4 bits and their complements)\n"));

    Fixture f = Load();
    InterconnectSvfOptions options;
    options.title = "bscan interconnect --chain " + kChain + " --netlist " + kNetlist;
    std::string expected, error;
    ASSERT_TRUE(WriteInterconnectSvf(f.plan, f.patterns, options, expected, error));
    EXPECT_EQ(expected, bscan_test::SlurpFile(svf));

    run = Tool({"interconnect", "--json", "--chain", kChain, "--netlist", kNetlist});
    ASSERT_EQ(0, run.status) << run.err;
    const nlohmann::json doc = nlohmann::json::parse(run.out);
    EXPECT_EQ(doc["patterns"], 8);
    EXPECT_EQ(doc["tested"].size(), 8u);
    EXPECT_EQ(doc["tested"][2]["net"], "Y0");
    EXPECT_EQ(doc["tested"][2]["driver"], "U4.9");
    EXPECT_EQ(doc["untested"].size(), 4u);
    EXPECT_EQ(doc["untested"][1]["reason"], "pin U1.10 is a linkage pin VCC (power, ground or analog)");
    EXPECT_EQ(doc["coverage"]["short_pairs"], 28);
    EXPECT_TRUE(doc["svf"].is_null());
}

TEST(BoardTool, DiagnosePassAndFaultWithExitStatus)
{
    Fixture f = Load();
    const std::string dir = bscan_test::NewScratchSubdir("diagnose");
    bscan_sim::BoardNets good(f.plan.devices, f.netlist);
    std::ofstream(dir + "/good.txt") << "0x0123456789ABCDEF0\n" << CapturesText(bscan_sim::RunInterconnect(f.plan, f.patterns, good));
    ToolResult run = Tool({"diagnose", "--chain", kChain, "--netlist", kNetlist, dir + "/good.txt"});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ("PASS: 8 nets tested, every response as expected\n", run.out);

    bscan_sim::BoardNets bad(f.plan.devices, f.netlist);
    bad.Open(3, "5");   // U4's A(0) off BUS0
    std::ofstream(dir + "/bad.txt") << CapturesText(bscan_sim::RunInterconnect(f.plan, f.patterns, bad));
    run = Tool({"diagnose", "--chain", kChain, "--netlist", kNetlist, dir + "/bad.txt"});
    EXPECT_EQ(1, run.status) << run.err;
    EXPECT_EQ("FAIL: 1 of 8 nets (4 captured bits differ)\nBUS0: open at U4.5 (reads 1 where U3.C1 drives 0)\n", run.out);
    EXPECT_EQ("", run.err);

    run = Tool({"diagnose", "--json", "--chain", kChain, "--netlist", kNetlist, dir + "/bad.txt"});
    EXPECT_EQ(1, run.status);
    const nlohmann::json doc = nlohmann::json::parse(run.out);
    EXPECT_FALSE(doc["pass"].get<bool>());
    EXPECT_EQ(doc["failing_nets"], nlohmann::json::array({"BUS0"}));
    EXPECT_EQ(doc["faults"][0]["kind"], "open");
    EXPECT_EQ(doc["faults"][0]["pin"], "U4.5");
    EXPECT_TRUE(doc["faults"][0]["other_net"].is_null());
}

TEST(BoardTool, ErrorsNameFileAndLine)
{
    const std::string dir = bscan_test::NewScratchSubdir("boarderrors");
    std::ofstream(dir + "/bad.net") << "(export (nets\n (net (name \"A\") (node (ref \"U1\") (pin \"8\"))\n";
    ToolResult run = Tool({"interconnect", "--chain", kChain, "--netlist", dir + "/bad.net"});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(dir + "/bad.net:2: error: '(' not closed before the end of the file\n", run.err);
    EXPECT_EQ("", run.out);

    run = Tool({"interconnect", "--chain", kChain});
    EXPECT_EQ(2, run.status);
    EXPECT_NE(std::string::npos, run.err.find("--netlist is required"));

    std::ofstream(dir + "/short.txt") << "0x1\n0x2\n";
    run = Tool({"diagnose", "--chain", kChain, "--netlist", kNetlist, dir + "/short.txt"});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(dir + "/short.txt:2: error: 2 values, the test has 8 scans\n", run.err);

    run = Tool({"diagnose", "--chain", kChain, "--netlist", kNetlist, dir + "/missing.txt"});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(dir + "/missing.txt: error: cannot read the file\n", run.err);
}

#endif
