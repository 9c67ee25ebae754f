// `bscan view --chain CHAIN [NAME.PORT=VALUE ...]`, run as a user runs it:
// one page with a section per device of the chain, in scan order, driven
// as `bscan svf --chain` drives the chain (the page itself is tested in a
// browser by tests/view/). On the example board (examples/demo_board.chain)
// and the fixture board (tests/data/chain_board.chain, with a device
// without a file).
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "ScratchDir.h"
#include "ToolRun.h"

#if defined(BSCAN_TOOL_PATH) && defined(BSCAN_HAVE_NLOHMANN_JSON)
#include <nlohmann/json.hpp>

#include "ViewPage.h"

namespace {

using nlohmann::json;
using bscan_test::RunBscan;
using bscan_test::ToolResult;

const std::string kExamples = std::string(BSCAN_SOURCE_DIR) + "/examples";
const std::string kBoard = kExamples + "/demo_board.chain";
const std::string kData = BSCAN_TEST_DATA_DIR;

std::string FirstLine(const std::string& text)
{
    return text.substr(0, text.find('\n'));
}

// The model of `bscan json FILE`.
json JsonOf(const std::string& file)
{
    const ToolResult run = RunBscan({"json", file});
    EXPECT_EQ(0, run.status) << run.err;
    return json::parse(run.out);
}

// The image `bscan drive --chain` prints for device `name`.
std::string ChainImage(const std::vector<std::string>& args, const std::string& name)
{
    const std::string out = RunBscan(args).out;
    const std::string head = name + ":\n  image: ";
    const size_t at = out.find(head);
    if (at == std::string::npos)
        return "";
    const size_t from = at + head.size();
    return out.substr(from, out.find('\n', from) - from);
}

}  // namespace

TEST(ViewChain, OneSectionPerDeviceInScanOrderDrivenAsTheChainDrivesIt)
{
    const ToolResult run = RunBscan({"view", "--chain", kBoard, "U2.LED=1", "u3.LED(1)=0"});
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_EQ("", run.err);
    EXPECT_EQ(0u, run.out.rfind("<!DOCTYPE html>", 0));
    EXPECT_NE(std::string::npos, run.out.find("<title>chain " + kBoard + " (3 devices)</title>"));
    // Still alone: nothing fetched, whatever the number of devices.
    for (const char* outside : {"<link", " src=", "url(", "@import", "fetch(", "XMLHttpRequest"})
        EXPECT_EQ(std::string::npos, run.out.find(outside)) << outside;
    const json page = bscan_test::ViewIsland(run.out);
    ASSERT_TRUE(page.is_object());
    EXPECT_EQ((json{{"file", kBoard}, {"devices", 3}, {"ir_bits", 18}, {"names", {"U1", "U2", "U3"}}}),
              page["chain"]);
    const json& devices = page["devices"];
    ASSERT_EQ(3u, devices.size());
    const char* const files[] = {"cpld_device.bsdl", "demo_device.bsdl", "fpga_device.bsdl"};
    const char* const entities[] = {"DEMO_CPLD", "DEMO_IOX", "DEMO_FPGA"};
    const int irs[] = {8, 4, 6};
    for (size_t i = 0; i < 3; ++i) {
        const json& device = devices[i];
        const std::string file = kExamples + "/" + files[i];
        EXPECT_EQ(file, device["file"]);
        EXPECT_EQ(entities[i], device["entity"]);
        EXPECT_TRUE(device["read"]["ok"].get<bool>());
        EXPECT_EQ((json{{"file", kBoard},
                        {"name", "U" + std::to_string(i + 1)},
                        {"position", i + 1},
                        {"devices", 3},
                        {"line", 4 + i},
                        {"ir_length", irs[i]},
                        {"bypass", false}}),
                  device["chain"]);
        json model = device["model"];
        // Each model is `bscan json` of its file but for the driven image.
        json expected = JsonOf(file);
        if (i == 0) {
            EXPECT_EQ(expected, model);
            EXPECT_EQ(json::array(), device["driven"]);
        } else {
            EXPECT_NE(expected["image"], model["image"]);
            EXPECT_EQ(ChainImage({"drive", "--chain", kBoard, "U2.LED=1", "u3.LED(1)=0"}, i == 1 ? "U2" : "U3"),
                      model["image"]);
            for (const char* key : {"image", "image_bits", "cells", "ports"})
                model.erase(key), expected.erase(key);
            EXPECT_EQ(expected, model);
        }
        // The layout of the page of the device alone.
        const json alone = bscan_test::ViewIsland(RunBscan({"view", file}).out)["devices"][0];
        EXPECT_EQ(alone["layout"], device["layout"]);
        EXPECT_EQ(alone["roles"], device["roles"]);
        EXPECT_EQ(alone["findings"], device["findings"]);
    }
    // Each driven value on its own device only, named as given.
    EXPECT_EQ((json::array({{{"argument", "U2.LED=1"}, {"label", "LED"}, {"value", "1"}, {"direction", "out"}}})),
              devices[1]["driven"]);
    ASSERT_EQ(1u, devices[2]["driven"].size());
    EXPECT_EQ("u3.LED(1)=0", devices[2]["driven"][0]["argument"]);
    EXPECT_EQ("LED(1)", devices[2]["driven"][0]["label"]);

    // -o: the same page in the file, nothing on standard output.
    const std::string file = bscan_test::ScratchPath("chain.html");
    const ToolResult written = RunBscan({"view", "--chain", kBoard, "-o", file, "U2.LED=1", "u3.LED(1)=0"});
    EXPECT_EQ(0, written.status) << written.err;
    EXPECT_EQ("", written.out);
    EXPECT_EQ(run.out, bscan_test::SlurpFile(file));
}

TEST(ViewChain, BadArgumentsFailAsTheChainSvfFails)
{
    const std::vector<std::vector<std::string>> cases = {
        {"U9.LED=1"},               // no such device
        {"U2.NOPE=1"},              // no such port
        {"U2.LED=7"},               // bad value
        {"LED=1"},                  // no device name
        {"U2.LED=1", "U1.LED=1:sideways"},
    };
    for (const std::vector<std::string>& arguments : cases) {
        std::vector<std::string> view = {"view", "--chain", kBoard}, svf = {"svf", "--chain", kBoard};
        view.insert(view.end(), arguments.begin(), arguments.end());
        svf.insert(svf.end(), arguments.begin(), arguments.end());
        const ToolResult viewed = RunBscan(view), played = RunBscan(svf);
        EXPECT_NE(0, played.status) << arguments.back();
        EXPECT_EQ(played.status, viewed.status) << arguments.back();
        std::string expected = FirstLine(played.err);
        const size_t named = expected.find("bscan svf:");
        if (named != std::string::npos)
            expected.replace(named, 10, "bscan view:");
        EXPECT_EQ(expected, FirstLine(viewed.err)) << arguments.back();
        EXPECT_EQ("", viewed.out) << arguments.back();
    }
    // One device's options and a missing chain file.
    EXPECT_EQ(2, RunBscan({"view", "--chain", kBoard, "--preset", "FF"}).status);
    EXPECT_EQ(2, RunBscan({"view"}).status);
    const ToolResult missing = RunBscan({"view", "--chain", kData + "/no_such.chain"});
    EXPECT_EQ(1, missing.status);
    EXPECT_EQ(FirstLine(RunBscan({"chain", kData + "/no_such.chain"}).err), FirstLine(missing.err));
}

TEST(ViewChain, DeviceWithoutFileAndDualRowDeviceOfTheFixtureBoard)
{
    const std::string board = kData + "/chain_board.chain";
    const ToolResult run = RunBscan({"view", "--chain", board, "U4.Y(0)=1"});
    ASSERT_EQ(0, run.status) << run.err;
    const json page = bscan_test::ViewIsland(run.out);
    EXPECT_EQ((json{"U1", "U7", "U3", "U4"}), page["chain"]["names"]);
    const json& devices = page["devices"];
    ASSERT_EQ(4u, devices.size());
    // U7 (ir=3): a section that says it is kept in BYPASS, nothing to draw.
    const json& bypass = devices[1];
    EXPECT_TRUE(bypass["file"].is_null());
    EXPECT_TRUE(bypass["model"].is_null());
    EXPECT_TRUE(bypass["read"]["ok"].get<bool>());
    EXPECT_TRUE(bypass["chain"]["bypass"].get<bool>());
    EXPECT_EQ(3, bypass["chain"]["ir_length"].get<int>());
    // U4 (SO14): two rows of seven pins, Y(0) driven there only.
    const json& buffer = devices[3];
    EXPECT_EQ(2, buffer["layout"]["sides"].get<int>());
    EXPECT_EQ(14, buffer["layout"]["columns"].get<int>());
    ASSERT_EQ(1u, buffer["driven"].size());
    EXPECT_EQ("Y(0)", buffer["driven"][0]["label"]);
    for (size_t i : {0u, 1u, 2u})
        EXPECT_EQ(json::array(), devices[i]["driven"]);
    // A port of the device without a file cannot be driven, as in the chain.
    const ToolResult refused = RunBscan({"view", "--chain", board, "U7.A=1"});
    EXPECT_EQ(RunBscan({"svf", "--chain", board, "U7.A=1"}).status, refused.status);
    EXPECT_NE(std::string::npos, refused.err.find("the device has no BSDL file"));
}

TEST(ViewChain, ADeviceWhoseFileDoesNotReadGetsASectionThatSaysWhy)
{
    const std::string broken = kData + "/tool_syntax.bsdl";
    const std::string chainFile = bscan_test::ScratchPath("broken.chain");
    std::ofstream(chainFile, std::ios::binary) << "A " << kExamples << "/demo_device.bsdl\n"
                                               << "B " << broken << "\n"
                                               << "C ir=2\n";
    // The chain commands stop at the file with the same error line.
    const ToolResult played = RunBscan({"svf", "--chain", chainFile});
    EXPECT_EQ(1, played.status);
    const std::string page = bscan_test::ScratchPath("broken.html");
    // B's argument is left out (nothing to drive); A's is applied.
    const ToolResult run = RunBscan({"view", "--chain", chainFile, "-o", page, "A.LED=1", "B.X=1"});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(played.err, run.err);
    EXPECT_EQ(RunBscan({"json", broken}).err, run.err);
    EXPECT_EQ("", run.out);
    const json devices = bscan_test::ViewIsland(bscan_test::SlurpFile(page))["devices"];
    ASSERT_EQ(3u, devices.size());
    EXPECT_TRUE(devices[0]["read"]["ok"].get<bool>());
    EXPECT_EQ("LED", devices[0]["driven"][0]["label"]);
    const json& failed = devices[1];
    EXPECT_EQ(broken, failed["file"]);
    EXPECT_FALSE(failed["read"]["ok"].get<bool>());
    EXPECT_EQ(run.err, failed["read"]["result"].get<std::string>() + "\n");
    EXPECT_TRUE(failed["model"].is_null());
    EXPECT_TRUE(failed["chain"]["ir_length"].is_null());
    EXPECT_FALSE(failed["chain"]["bypass"].get<bool>());
    bool lineShown = false;
    for (const json& excerpt : failed["read"]["excerpt"])
        lineShown = lineShown || excerpt["line"] == failed["read"]["line"];
    EXPECT_TRUE(lineShown);
    EXPECT_TRUE(devices[2]["chain"]["bypass"].get<bool>());
    // Without -o the page goes to standard output all the same.
    const ToolResult shown = RunBscan({"view", "--chain", chainFile, "A.LED=1", "B.X=1"});
    EXPECT_EQ(1, shown.status);
    EXPECT_EQ(run.err, shown.err);
    EXPECT_TRUE(bscan_test::SlurpFile(page) == shown.out);
}

#endif
