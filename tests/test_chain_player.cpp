// The chain SVF played by a real player: OpenOCD (remote_bitbang) against
// the simulated board of tests/sim, built from our own model of each file.
// Without openocd the tests say so and skip.
//
// Board: chain_board.chain, TDI first: U1 CHAIN_CPLD (IR 5, IDCODE with
// don't-care version), U7 a device without file (IR 3), U3 CHAIN_FPGA (IR
// 6, SAMPLE as preload), U4 CHAIN_BUFFER (IR 2, no IDCODE).
#include <gtest/gtest.h>

#if defined(BSCAN_SIM_PATH) && defined(BSCAN_TOOL_PATH) && defined(BSCAN_HAVE_NLOHMANN_JSON)

#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "PlayerHarness.h"
#include "ScratchDir.h"
#include "chain/BScanChain.h"
#include "chain/ChainFile.h"
#include "chain/ChainScan.h"
#include "device/BScanDevice.h"
#include "drive/PortCatalog.h"
#include "model/BScanPinMap.h"

namespace {

using Json = nlohmann::json;

const std::string kData = BSCAN_TEST_DATA_DIR;
const std::string kBoard = kData + "/chain_board.chain";

#define REQUIRE_OPENOCD(openocd)                                                                      \
    const std::string openocd = bscan_test::FindOpenocd();                                            \
    if (openocd.empty())                                                                              \
        GTEST_SKIP() << "openocd not found on PATH (Debian package openocd, installed by make test): " \
                        "the SVF cannot be played";

std::string Tool(const std::vector<std::string>& args, int* status = nullptr)
{
    std::vector<std::string> all = {BSCAN_TOOL_PATH};
    all.insert(all.end(), args.begin(), args.end());
    std::string output;
    const int code = bscan_test::RunProgram(all, output, 120);
    if (status)
        *status = code;
    return output;
}

void Write(const std::string& path, const std::string& text)
{
    std::ofstream(path, std::ios::binary) << text;
}

std::vector<int> IrLengths(const std::string& chainFile)
{
    BScanChain chain;
    EXPECT_EQ(0, chain.Read(chainFile, BSCAN_MESSAGE_DIR)) << chain.Error();
    std::vector<int> lengths;
    for (size_t i = 0; i < chain.DeviceCount(); ++i)
        lengths.push_back(chain.Device(i).irLength);
    return lengths;
}

// Device name -> bits, from `bscan drive --chain` output.
std::map<std::string, std::string> DriveImages(const std::string& chainFile, const std::vector<std::string>& ports)
{
    std::vector<std::string> args = {"drive", "--chain", chainFile};
    args.insert(args.end(), ports.begin(), ports.end());
    int status = -1;
    std::istringstream lines(Tool(args, &status));
    EXPECT_EQ(0, status);
    std::map<std::string, std::string> images;
    std::string line, device;
    while (std::getline(lines, line)) {
        if (!line.empty() && line[0] != ' ')
            device = line.substr(0, line.find(':'));
        else if (line.rfind("  bits:  ", 0) == 0)
            images[device] = line.substr(9);
    }
    return images;
}

const Json* FindDevice(const Json& state, const std::string& name)
{
    for (const Json& device : state["devices"])
        if (device["name"] == name)
            return &device;
    return nullptr;
}

// The checks every played drive must pass: each driven device ends in
// `finalInstruction` with its `bscan drive` image in the update stage,
// and every update stage it had under EXTEST was that image; every other
// device stays in BYPASS.
void CheckDrivenBoard(const Json& state, const std::map<std::string, std::string>& images,
                      const std::set<std::string>& driven, const std::string& finalInstruction)
{
    for (const Json& device : state["devices"]) {
        const std::string name = device["name"];
        SCOPED_TRACE(name);
        if (driven.count(name)) {
            EXPECT_EQ(finalInstruction, device["instruction"]);
            EXPECT_EQ(images.at(name), device["update_stage"]);
        } else {
            EXPECT_EQ("BYPASS", device["instruction"]);
            EXPECT_FALSE(device["driving"].get<bool>());
        }
        for (const Json& stage : device["extest_update_stages"])
            EXPECT_EQ(images.count(name) ? images.at(name) : "", stage.get<std::string>())
                << "EXTEST was current with another update stage than the preload image";
    }
}

}  // namespace

TEST(ChainPlayer, SafeDriveOfTheFixtureBoardPlaysAndLeavesTheImagesInExtest)
{
    REQUIRE_OPENOCD(openocd);
    const std::string dir = bscan_test::NewScratchSubdir("player");
    // U4 has a file but no driven port: it stays in BYPASS with U7.
    const std::vector<std::string> ports = {"U1.OUT1=1", "U1.IO(0)=0", "U3.LED=1", "U3.D(2)=0", "U3.D(0)=Z"};
    std::vector<std::string> args = {"svf", "--chain", kBoard};
    args.insert(args.end(), ports.begin(), ports.end());
    int status = -1;
    const std::string svf = Tool(args, &status);
    ASSERT_EQ(0, status) << svf;
    Write(dir + "/drive.svf", svf);

    const bscan_test::PlayResult play = bscan_test::PlaySvf(openocd, kBoard, IrLengths(kBoard), dir + "/drive.svf", dir);
    ASSERT_TRUE(play.ran) << play.failure;
    EXPECT_EQ(0, play.openocdStatus) << play.openocdLog;
    EXPECT_NE(std::string::npos, play.openocdLog.find("with 0 errors")) << play.openocdLog;
    EXPECT_EQ(0, play.boardStatus) << play.boardLog;
    const Json state = Json::parse(play.stateJson);
    const auto images = DriveImages(kBoard, ports);
    CheckDrivenBoard(state, images, {"U1", "U3"}, "EXTEST");
    // The preload came first: PRELOAD for U1, SAMPLE for U3, then EXTEST.
    const Json* u1 = FindDevice(state, "U1");
    ASSERT_NE(nullptr, u1);
    const std::vector<std::string> expected = {"IDCODE", "PRELOAD", "EXTEST"};
    std::vector<std::string> history = (*u1)["instructions"];
    ASSERT_GE(history.size(), 3u);
    EXPECT_EQ(expected, std::vector<std::string>(history.end() - 3, history.end()));
    EXPECT_EQ(2u, (*u1)["extest_update_stages"].size());

    // --sample-only leaves the devices in their preload instruction: EXTEST
    // is never current.
    args.insert(args.begin() + 3, "--sample-only");
    Write(dir + "/sample.svf", Tool(args, &status));
    ASSERT_EQ(0, status);
    const bscan_test::PlayResult sample =
        bscan_test::PlaySvf(openocd, kBoard, IrLengths(kBoard), dir + "/sample.svf", dir);
    ASSERT_TRUE(sample.ran) << sample.failure;
    EXPECT_EQ(0, sample.openocdStatus) << sample.openocdLog;
    const Json sampled = Json::parse(sample.stateJson);
    EXPECT_EQ("PRELOAD", (*FindDevice(sampled, "U1"))["instruction"]);
    EXPECT_EQ("SAMPLE", (*FindDevice(sampled, "U3"))["instruction"]);
    EXPECT_EQ(images.at("U3"), (*FindDevice(sampled, "U3"))["update_stage"]);
    for (const Json& device : sampled["devices"])
        EXPECT_TRUE(device["extest_update_stages"].empty()) << device["name"];
}

TEST(ChainPlayer, TheReadmeExampleBoardPlays)
{
    REQUIRE_OPENOCD(openocd);
    const std::string dir = bscan_test::NewScratchSubdir("player_example");
    const std::string board = std::string(BSCAN_SOURCE_DIR) + "/examples/demo_board.chain";
    const std::vector<std::string> ports = {"U1.IO(3)=1", "U2.LED=1", "U3.LED(0)=0"};
    std::vector<std::string> args = {"svf", "--chain", board};
    args.insert(args.end(), ports.begin(), ports.end());
    int status = -1;
    Write(dir + "/example.svf", Tool(args, &status));
    ASSERT_EQ(0, status);
    const bscan_test::PlayResult play =
        bscan_test::PlaySvf(openocd, board, IrLengths(board), dir + "/example.svf", dir);
    ASSERT_TRUE(play.ran) << play.failure;
    EXPECT_EQ(0, play.openocdStatus) << play.openocdLog;
    EXPECT_NE(std::string::npos, play.openocdLog.find("with 0 errors")) << play.openocdLog;
    CheckDrivenBoard(Json::parse(play.stateJson), DriveImages(board, ports), {"U1", "U2", "U3"}, "EXTEST");
}

TEST(ChainPlayer, SingleDeviceExtestPreloadsFirst)
{
    REQUIRE_OPENOCD(openocd);
    const std::string dir = bscan_test::NewScratchSubdir("player_single");
    const std::string board = dir + "/single.chain";
    Write(board, "D1 " + kData + "/tool_small.bsdl\n");
    int status = -1;
    Write(dir + "/single.svf",
          Tool({"svf", kData + "/tool_small.bsdl", "--instruction", "EXTEST", "A=1", "Y=0", "B(1)=1"}, &status));
    ASSERT_EQ(0, status);
    const bscan_test::PlayResult play = bscan_test::PlaySvf(openocd, board, {3}, dir + "/single.svf", dir);
    ASSERT_TRUE(play.ran) << play.failure;
    EXPECT_EQ(0, play.openocdStatus) << play.openocdLog;
    const Json state = Json::parse(play.stateJson);
    CheckDrivenBoard(state, {{"D1", "100011"}}, {"D1"}, "EXTEST");
    EXPECT_EQ(2u, state["devices"][0]["extest_update_stages"].size());
}

TEST(ChainPlayer, AWrongChainFileFailsTheIdcodeCheckBeforeAnythingIsDriven)
{
    REQUIRE_OPENOCD(openocd);
    const std::string dir = bscan_test::NewScratchSubdir("player_wrong");
    const std::string cpld = "U1 " + kData + "/chain_cpld.bsdl\n";
    const std::string bare = "U7 ir=3\n";
    const std::string fpga = "U3 " + kData + "/chain_fpga.bsdl\n";
    const std::string buffer = "U4 " + kData + "/chain_buffer.bsdl\n";
    // A part of the same instruction register and capture but another
    // IDCODE passes the instruction register check and fails the IDCODE's.
    std::ifstream original(kData + "/chain_cpld.bsdl");
    std::string cpldText((std::istreambuf_iterator<char>(original)), std::istreambuf_iterator<char>());
    const size_t part = cpldText.find("\"0000000100100011\"");
    ASSERT_NE(std::string::npos, part);
    cpldText.replace(part, 18, "\"0000000100100111\"");
    Write(dir + "/other_part.bsdl", cpldText);
    const std::string otherPart = "U1 " + dir + "/other_part.bsdl\n";
    const std::vector<std::pair<std::string, std::string>> wrong = {
        {"other_part", otherPart + bare + fpga + buffer},
        {"swapped", fpga + bare + cpld + buffer},
        {"missing_bare", cpld + fpga + buffer},
        {"missing_buffer", cpld + bare + fpga},
    };
    for (const auto& [name, text] : wrong) {
        SCOPED_TRACE(name);
        const std::string chain = dir + "/" + name + ".chain";
        Write(chain, text);
        int status = -1;
        Write(dir + "/" + name + ".svf", Tool({"svf", "--chain", chain, "U1.OUT1=1", "U3.LED=1"}, &status));
        ASSERT_EQ(0, status);
        const bscan_test::PlayResult play =
            bscan_test::PlaySvf(openocd, kBoard, IrLengths(kBoard), dir + "/" + name + ".svf", dir);
        ASSERT_TRUE(play.ran) << play.failure;
        EXPECT_NE(0, play.openocdStatus) << play.openocdLog;
        EXPECT_NE(std::string::npos, play.openocdLog.find("tdo check error")) << play.openocdLog;
        // other_part fails on the IDCODE scan (line 12), the others already
        // on the instruction register's (line 7).
        EXPECT_NE(std::string::npos,
                  play.openocdLog.find(name == "other_part" ? "tdo check error at line 12"
                                                            : "tdo check error at line 7"))
            << play.openocdLog;
        // The player stopped at the check: no device ever went to EXTEST.
        const Json state = Json::parse(play.stateJson);
        for (const Json& device : state["devices"]) {
            const std::vector<std::string> history = device["instructions"];
            EXPECT_EQ(history.end(), std::find(history.begin(), history.end(), "EXTEST")) << device["name"];
        }
    }
}

TEST(ChainPlayer, DecodeGivesBackThePinValuesOfASampleCapture)
{
    REQUIRE_OPENOCD(openocd);
    const std::string dir = bscan_test::NewScratchSubdir("player_sample");
    BScanChain chain;
    ASSERT_EQ(0, chain.Read(kBoard, BSCAN_MESSAGE_DIR)) << chain.Error();
    // Every device with a file in SAMPLE, the others in BYPASS; one DR scan.
    std::vector<std::string> opcodes;
    size_t drBits = 0;
    for (size_t i = 0; i < chain.DeviceCount(); ++i) {
        const bool sample = chain.Device(i).boundaryLength > 0;
        opcodes.push_back(sample ? chain.InstructionOpcode(i, "SAMPLE") : chain.BypassOpcode(i));
        drBits += sample ? static_cast<size_t>(chain.Device(i).boundaryLength) : 1;
    }
    ScanBits ir, dr(drBits, 0);
    std::string error;
    ASSERT_TRUE(ChainInstructionBits(chain, opcodes, ir, error)) << error;
    Write(dir + "/sample.svf", "STATE RESET;\nSTATE IDLE;\nENDIR IDLE;\nENDDR IDLE;\n" + SvfSir(ir) + SvfSdr(dr));

    const std::map<std::string, int> pins = {{"U1.IN1", 1}, {"U1.IN2", 0}, {"U1.IO(1)", 1}, {"U3.CLK", 1},
                                             {"U3.D(3)", 1}, {"U3.D(0)", 0}, {"U3.D(1)", 1}, {"U4.A(0)", 1},
                                             {"U4.A(2)", 1}, {"U4.A(3)", 0}};
    std::vector<std::string> pinArgs;
    for (const auto& [pin, value] : pins)
        pinArgs.push_back(pin + "=" + std::to_string(value));
    const bscan_test::PlayResult play =
        bscan_test::PlaySvf(openocd, kBoard, IrLengths(kBoard), dir + "/sample.svf", dir, pinArgs);
    ASSERT_TRUE(play.ran) << play.failure;
    EXPECT_EQ(0, play.openocdStatus) << play.openocdLog;
    const Json state = Json::parse(play.stateJson);
    std::string capture;
    for (const Json& scan : state["scans"])
        if (scan["register"] == "DR" && scan["bits"] == drBits)
            capture = scan["tdo"];
    ASSERT_FALSE(capture.empty()) << play.stateJson;

    int status = -1;
    const Json decoded = Json::parse(Tool({"decode", "--json", "--chain", kBoard, capture}, &status));
    ASSERT_EQ(0, status);
    size_t seen = 0;
    for (const Json& row : decoded["ports"]) {
        const std::string key = row["device"].get<std::string>() + "." + row["port"].get<std::string>();
        const auto set = pins.find(key);
        EXPECT_EQ(set == pins.end() ? 0 : set->second, row["value"].get<int>()) << key;
        seen += set != pins.end();
    }
    EXPECT_EQ(pins.size(), seen);
}

TEST(ChainPlayer, RealFilesPlayTheSameWay)
{
    REQUIRE_OPENOCD(openocd);
    const std::string realDir = BSCAN_REAL_BSDL_DIR;
    DIR* listing = opendir(realDir.c_str());
    if (!listing)
        GTEST_SKIP() << "no real BSDL files in " << realDir;
    std::vector<std::string> files;
    while (dirent* entry = readdir(listing))
        if (entry->d_name[0] != '.')
            files.push_back(realDir + "/" + entry->d_name);
    closedir(listing);
    std::sort(files.begin(), files.end());

    // The first three files that read, have an IDCODE, a preload
    // instruction, EXTEST and a port the library drives as an output; a
    // device without file between the first two.
    const std::string dir = bscan_test::NewScratchSubdir("player_real");
    std::string chainText;
    std::vector<std::string> ports;
    std::set<std::string> driven;
    for (const std::string& file : files) {
        if (driven.size() == 3)
            break;
        const std::string name = "R" + std::to_string(driven.size() + 1);
        std::vector<ChainFileEntry> entries;
        std::string error;
        if (!ParseChainText(name + " " + file + "\n", "real.chain", "", entries, error))
            continue;
        BScanChain one;
        if (one.ReadEntries(entries, "real.chain", BSCAN_MESSAGE_DIR) != 0 || !one.HasIdcode(0) ||
            one.PreloadOpcode(0).empty() || one.InstructionOpcode(0, "EXTEST").empty() || !one.PinMap(0))
            continue;
        for (const PortEntry& port : ListPorts(*one.PinMap(0))) {
            const CellRoles roles = SelectCellRoles(*port.node);
            const std::string assignment = name + "." + port.label + "=1:out";
            if (port.reachable && roles.output && roles.control && one.Drive({assignment}, error) == 0) {
                ports.push_back(assignment);
                chainText += name + " " + file + "\n" + (driven.empty() ? "B1 ir=4\n" : "");
                driven.insert(name);
                break;
            }
        }
    }
    if (driven.size() < 3)
        GTEST_SKIP() << "fewer than three real files in " << realDir << " fit the test";
    const std::string chainFile = dir + "/real.chain";
    Write(chainFile, chainText);
    RecordProperty("chain", chainText);

    std::vector<std::string> args = {"svf", "--chain", chainFile};
    args.insert(args.end(), ports.begin(), ports.end());
    int status = -1;
    const std::string svf = Tool(args, &status);
    ASSERT_EQ(0, status) << svf;
    Write(dir + "/real.svf", svf);
    const bscan_test::PlayResult play =
        bscan_test::PlaySvf(openocd, chainFile, IrLengths(chainFile), dir + "/real.svf", dir);
    ASSERT_TRUE(play.ran) << play.failure;
    EXPECT_EQ(0, play.openocdStatus) << chainText << play.openocdLog;
    EXPECT_NE(std::string::npos, play.openocdLog.find("with 0 errors")) << play.openocdLog;
    CheckDrivenBoard(Json::parse(play.stateJson), DriveImages(chainFile, ports), driven, "EXTEST");

    // The chain file with the first two devices swapped fails the check.
    std::istringstream lines(chainText);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);)
        rows.push_back(line);
    std::swap(rows[0], rows[2]);
    std::string swapped;
    for (const std::string& row : rows)
        swapped += row + "\n";
    Write(dir + "/swapped.chain", swapped);
    args[2] = dir + "/swapped.chain";
    Write(dir + "/swapped.svf", Tool(args, &status));
    ASSERT_EQ(0, status);
    const bscan_test::PlayResult wrong =
        bscan_test::PlaySvf(openocd, chainFile, IrLengths(chainFile), dir + "/swapped.svf", dir);
    ASSERT_TRUE(wrong.ran) << wrong.failure;
    EXPECT_NE(0, wrong.openocdStatus) << wrong.openocdLog;
    EXPECT_NE(std::string::npos, wrong.openocdLog.find("tdo check error")) << wrong.openocdLog;
}

#endif
