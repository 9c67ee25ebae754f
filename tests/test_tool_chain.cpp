// The chain commands of the tool, run as a user runs them: `chain`,
// `drive --chain`, `svf --chain`, `decode`, `identify`, with their output,
// their error lines and their exit status. (The SVF itself is played by
// OpenOCD in test_chain_player.cpp.)
#include <gtest/gtest.h>

#ifdef BSCAN_TOOL_PATH

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#ifdef BSCAN_HAVE_NLOHMANN_JSON
#include <nlohmann/json.hpp>
#endif

#include "ScratchDir.h"
#include "ToolRun.h"

namespace {

using ChainRun = bscan_test::ToolResult;

ChainRun Tool(const std::vector<std::string>& args)
{
    return bscan_test::RunBscan(args);
}

const std::string kData = BSCAN_TEST_DATA_DIR;
const std::string kBoard = kData + "/chain_board.chain";

}  // namespace

TEST(ToolChain, ChainListsTheDevicesAndTotals)
{
    const ChainRun run = Tool({"chain", kBoard});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ("", run.err);
    EXPECT_EQ("#  NAME  ENTITY        IR  IDCODE      BOUNDARY\n"
              "1  U1    CHAIN_CPLD    5   0xX012306D  8\n"
              "2  U7    -             3   -           -\n"
              "3  U3    CHAIN_FPGA    6   0x31428093  15\n"
              "4  U4    CHAIN_BUFFER  2   -           9\n"
              "IR bits: 16\n"
              "DR bits in BYPASS: 4\n",
              run.out);
}

TEST(ToolChain, DriveAndSvfWithAChain)
{
    // U3 and U4 at their safe values: U3's controls (cells 0 3 6 9 14) at
    // 1, U4's control (cell 8) at 0.
    ChainRun run = Tool({"drive", "--chain", kBoard, "U1.OUT1=1"});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ("U1:\n  image: 30\n  bits:  00110000\nU7: bypass\nU3:\n  image: 92 42\n  bits:  100100100100001\n"
              "U4:\n  image: 00 00\n  bits:  000000000\n",
              run.out);

    run = Tool({"svf", "--chain", kBoard, "--no-idcode", "--sample-only", "U1.OUT1=1"});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ("! bscan: chain " + kBoard + ", 4 devices, TDI first\n"
              "STATE RESET;\nSTATE IDLE;\nENDIR IDLE;\nENDDR IDLE;\n"
              "! preload: U1 PRELOAD, U7 BYPASS, U3 BYPASS, U4 BYPASS\n"
              "SIR 16 TDI (17FF);\nSDR 11 TDI (060);\n",
              run.out);
    run = Tool({"svf", "--chain", kBoard, "U1.OUT1=1"});
    EXPECT_NE(std::string::npos, run.out.find("! IDCODE check:"));
    EXPECT_NE(std::string::npos, run.out.find("! EXTEST: U1 EXTEST"));
}

TEST(ToolChain, FaultsGiveTheirLineAndExitStatus)
{
    const std::string dir = bscan_test::NewScratchSubdir("tool_chain_faults");
    const std::string badLine = dir + "/bad_line.chain";
    std::ofstream(badLine) << "# one\nU1 a.bsdl b\n";
    const std::string twice = dir + "/twice.chain";
    std::ofstream(twice) << "U1 " << kData << "/chain_cpld.bsdl\nu1 ir=4\n";
    const std::string badFile = dir + "/bad_file.chain";
    std::ofstream(badFile) << "U1 " << kData << "/tool_syntax.bsdl\n";

    // Exit 1 with one finished line on standard error.
    const std::vector<std::pair<std::vector<std::string>, std::string>> failures = {
        {{"chain", badLine}, badLine + ":2: error: a device line is NAME followed by a BSDL path or ir=N (got 3 words)\n"},
        {{"chain", twice}, twice + ":2: error: the device name 'u1' is already used on line 1\n"},
        {{"svf", "--chain", twice}, twice + ":2: error: the device name 'u1' is already used on line 1\n"},
        {{"drive", "--chain", kBoard, "U9.A=1"}, kBoard + ": error: no device 'U9' in the chain ('U9.A=1')\n"},
        {{"identify", "0x12345678", kData}, ""},
        {{"chain", badFile}, kData + "/tool_syntax.bsdl:10: error: syntax error"},
        {{"drive", "--chain", kBoard, "U1.IN1=1:out"}, "bscan drive: error: 'U1.IN1=1:out': the library refused"},
    };
    for (const auto& [args, err] : failures) {
        const ChainRun run = Tool(args);
        EXPECT_EQ(1, run.status) << args[0] << " " << args[1];
        EXPECT_EQ("", run.out) << args[1];
        if (!err.empty())
            EXPECT_EQ(0u, run.err.rfind(err, 0)) << run.err;
        EXPECT_EQ(1, std::count(run.err.begin(), run.err.end(), '\n')) << run.err;
    }

    // Usage errors: exit 2 with the usage line.
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"svf"},
             {"svf", kData + "/tool_small.bsdl", "A=1"},
             {"svf", "--chain", kBoard, "--instruction", "EXTEST"},
             {"svf", kData + "/tool_small.bsdl", "--instruction", "EXTEST", "--sample-only"},
             {"drive", "--chain", kBoard, "U1.NOPE=1"},
             {"drive", "--chain", kBoard, "OUT1=1"},
             {"decode", kData + "/tool_small.bsdl"},
             {"decode", "--chain", kBoard, kData + "/tool_small.bsdl", "1"},
             {"decode", kData + "/tool_small.bsdl", "7F"},
             {"identify", "0xG", kData},
             {"identify", "1"},
         }) {
        const ChainRun run = Tool(args);
        EXPECT_EQ(2, run.status) << args[0] << " " << args.size();
        EXPECT_NE(std::string::npos, run.err.find("\nusage: bscan " + args[0])) << run.err;
    }
}

TEST(ToolChain, DecodeAndIdentify)
{
    // 0x19 = cells 0, 3 and 4: A, B(0) and B(1) read 1; Y has no input cell.
    ChainRun run = Tool({"decode", kData + "/tool_small.bsdl", "0x19"});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_EQ("PORT  PIN  CELL  VALUE\nA     5    0     1\nB(1)  7    4     1\nB(0)  8    3     1\n", run.out);

    run = Tool({"identify", "F012306D", kData});
    EXPECT_EQ(0, run.status) << run.err;
    EXPECT_NE(std::string::npos, run.out.find(kData + "/chain_cpld.bsdl  CHAIN_CPLD  qfn16    "
                                                      "XXXX0000000100100011000001101101\n"))
        << run.out;
    EXPECT_EQ(2, std::count(run.out.begin(), run.out.end(), '\n'));

#ifdef BSCAN_HAVE_NLOHMANN_JSON
    // Bit 25 is U1's cell 0 (IN1), bit 21 U3's cell 12 (CLK).
    run = Tool({"decode", "--json", "--chain", kBoard, "0x2200000"});
    ASSERT_EQ(0, run.status) << run.err;
    const nlohmann::json document = nlohmann::json::parse(run.out);
    EXPECT_EQ(kBoard, document["chain"]);
    int ones = 0;
    for (const auto& row : document["ports"]) {
        if (row["value"] == 1) {
            ++ones;
            EXPECT_TRUE((row["device"] == "U1" && row["port"] == "IN1" && row["pin"] == "5") ||
                        (row["device"] == "U3" && row["port"] == "CLK" && row["cell"] == 12))
                << row;
        }
    }
    EXPECT_EQ(2, ones);
#endif
}

#endif
