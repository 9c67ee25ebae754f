// `bscan view`, run as a user runs it: the page it writes, and the data
// island the page draws from (the page itself is tested in a browser by
// tests/view/). view_rows.bsdl: a grid whose rows run A, B, C, Y, AA, AB,
// one pin outside the grid (PAD1), two ports on A1, a port of each role. view_list.bsdl:
// pins named neither way. view_soic.bsdl: a small-outline package, two
// rows of pins.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "ScratchDir.h"
#include "ToolRun.h"

#if defined(BSCAN_TOOL_PATH) && defined(BSCAN_HAVE_NLOHMANN_JSON)
#include <nlohmann/json.hpp>

#include "ViewPage.h"

namespace {

using nlohmann::json;

using ViewRun = bscan_test::ToolResult;

ViewRun Tool(const std::vector<std::string>& args)
{
    return bscan_test::RunBscan(args);
}

json Island(const std::string& page)
{
    return bscan_test::ViewIsland(page);
}

const std::string kData = BSCAN_TEST_DATA_DIR;
const std::string kDemo = std::string(BSCAN_SOURCE_DIR) + "/examples/demo_device.bsdl";

}  // namespace

TEST(View, PageStandsAloneAndCarriesTheJsonDocument)
{
    const ViewRun run = Tool({"view", kDemo});
    ASSERT_EQ(0, run.status) << run.err;
    EXPECT_EQ("", run.err);
    EXPECT_EQ(0u, run.out.rfind("<!DOCTYPE html>", 0));
    // Nothing is fetched: no external script, style, image or font.
    for (const char* outside : {"<link", " src=", "url(", "@import", "fetch(", "XMLHttpRequest"})
        EXPECT_EQ(std::string::npos, run.out.find(outside)) << outside;
    EXPECT_NE(std::string::npos, run.out.find("default-src 'none'"));

    const json page = Island(run.out);
    ASSERT_TRUE(page.is_object());
    ASSERT_EQ(1u, page["devices"].size());
    const json& device = page["devices"][0];
    EXPECT_TRUE(device["read"]["ok"].get<bool>());
    // The model is exactly the document of `bscan json`.
    EXPECT_EQ(json::parse(Tool({"json", kDemo}).out), device["model"]);

    // -o writes the same page to the file and nothing to standard output.
    const std::string file = bscan_test::ScratchPath("demo.html");
    const ViewRun written = Tool({"view", kDemo, "-o", file});
    EXPECT_EQ(0, written.status);
    EXPECT_EQ("", written.out);
    EXPECT_EQ(run.out, bscan_test::SlurpFile(file));
    // A file name with markup in it stays text in the title.
    const std::string odd = bscan_test::ScratchPath("a<b>&.bsdl");
    std::ofstream(odd, std::ios::binary) << bscan_test::SlurpFile(kDemo);
    const ViewRun oddRun = Tool({"view", odd});
    ASSERT_EQ(0, oddRun.status) << oddRun.err;
    EXPECT_NE(std::string::npos, oddRun.out.find("a&lt;b&gt;&amp;.bsdl</title>"));
    EXPECT_EQ(odd, Island(oddRun.out)["devices"][0]["file"].get<std::string>());

    // An -o that cannot be written fails with 1.
    const ViewRun unwritable = Tool({"view", kDemo, "-o", bscan_test::ScratchPath("no/such/dir/x.html")});
    EXPECT_EQ(1, unwritable.status);
    EXPECT_NE(std::string::npos, unwritable.err.find("cannot write"));
}

TEST(View, GridRowsInPackageOrderRolesAndOddPins)
{
    const ViewRun run = Tool({"view", kData + "/view_rows.bsdl"});
    ASSERT_EQ(0, run.status) << run.err;
    // The comment "</script><!--" behind cell 0 cannot end the island.
    const size_t island = run.out.find("id=\"bscan-view-data\">");
    ASSERT_NE(std::string::npos, island);
    const size_t end = run.out.find("</script>", island);
    EXPECT_EQ(std::string::npos, run.out.substr(island, end - island).find('<'));
    const json device = Island(run.out)["devices"][0];
    EXPECT_EQ("</script><!", device["model"]["cells"][0]["original_name"].get<std::string>());

    const json& layout = device["layout"];
    EXPECT_EQ("grid", layout["kind"]);
    EXPECT_EQ((std::vector<std::string>{"A", "B", "C", "Y", "AA", "AB"}), layout["rows"].get<std::vector<std::string>>());
    EXPECT_EQ(12, layout["columns"].get<int>());
    std::map<std::string, std::pair<int, int>> places;
    for (const json& pin : layout["pins"])
        places[pin["pin"].get<std::string>()] = {pin["row"].get<int>(), pin["column"].get<int>()};
    EXPECT_EQ(10u, places.size());
    EXPECT_EQ(std::make_pair(5, 12), places["AB12"]);
    EXPECT_EQ(std::make_pair(3, 1), places["Y1"]);
    EXPECT_EQ(std::make_pair(4, 3), places["AA3"]);
    // Beside the grid: the second port on A1, and PAD1, in natural order.
    ASSERT_EQ(2u, layout["others"].size());
    EXPECT_EQ("A1", layout["others"][0]["pin"]);
    EXPECT_EQ("NC", device["model"]["ports"][layout["others"][0]["port"].get<size_t>()]["label"]);
    EXPECT_EQ("PAD1", layout["others"][1]["pin"]);

    std::map<std::string, std::string> roles;
    const json& ports = device["model"]["ports"];
    for (size_t i = 0; i < ports.size(); ++i)
        roles[ports[i]["label"].get<std::string>()] = device["roles"][i].get<std::string>();
    EXPECT_EQ((std::map<std::string, std::string>{{"TCK", "nocell"}, {"TMS", "nocell"}, {"TDI", "nocell"},
                                                  {"TDO", "nocell"}, {"CK", "clock"}, {"OB", "observe"},
                                                  {"O2", "output"}, {"Q(0)", "bidir"}, {"Q(1)", "bidir"},
                                                  {"PWR", "linkage"}, {"SPARE", "input"},
                                                  {"NC", "linkage"}}),
              roles);
}

TEST(View, NumberedAndListedPackages)
{
    // tool_small: pins 1 to 8 around a rectangle of 8 places.
    json device = Island(Tool({"view", kData + "/tool_small.bsdl"}).out)["devices"][0];
    EXPECT_EQ("numbered", device["layout"]["kind"]);
    EXPECT_EQ(8, device["layout"]["columns"].get<int>());
    std::set<int> positions;
    for (const json& pin : device["layout"]["pins"])
        positions.insert(pin["position"].get<int>());
    EXPECT_EQ((std::set<int>{0, 1, 2, 3, 4, 5, 6, 7}), positions);

    device = Island(Tool({"view", kData + "/view_list.bsdl"}).out)["devices"][0];
    EXPECT_EQ("list", device["layout"]["kind"]);
    std::vector<std::string> order;
    for (const json& pin : device["layout"]["pins"])
        order.push_back(pin["pin"].get<std::string>());
    EXPECT_EQ((std::vector<std::string>{"DIE_A", "DIE_C9", "DIE_C10"}), order);
}

TEST(View, DrivenPortsAndPresetsAsDriveAppliesThem)
{
    const ViewRun run = Tool({"view", kDemo, "--preset", "FF", "LED=1", "DQ(0)=0", "B3=1"});
    ASSERT_EQ(0, run.status) << run.err;
    const json device = Island(run.out)["devices"][0];
    const json& driven = device["driven"];
    ASSERT_EQ(3u, driven.size());
    EXPECT_EQ((json{{"argument", "LED=1"}, {"label", "LED"}, {"value", "1"}, {"direction", "out"}}), driven[0]);
    EXPECT_EQ("DQ(0)", driven[1]["label"]);
    EXPECT_EQ("out", driven[1]["direction"]);
    EXPECT_EQ("CS_N", driven[2]["label"]);   // a pin name, as drive resolves it
    EXPECT_EQ("in", driven[2]["direction"]);
    // The image is the one `drive` gives for the same arguments.
    const std::string image = Tool({"drive", kDemo, "--preset", "FF", "LED=1", "DQ(0)=0", "B3=1"}).out;
    EXPECT_EQ("image: " + device["model"]["image"].get<std::string>() + "\n", image.substr(0, image.find('\n') + 1));

    // Arguments are checked as drive checks them.
    EXPECT_EQ(2, Tool({"view", kDemo, "NOPE=1"}).status);
    EXPECT_EQ(2, Tool({"view", kDemo, "LED=7"}).status);
    EXPECT_EQ(2, Tool({"view", kDemo, "--preset", "F"}).status);
}

TEST(View, AFileThatDoesNotReadGivesAPageThatSaysWhy)
{
    const std::string file = kData + "/tool_syntax.bsdl";
    const ViewRun run = Tool({"view", file});
    EXPECT_EQ(1, run.status);
    const ViewRun jsonRun = Tool({"json", file});
    EXPECT_EQ(jsonRun.err, run.err);   // the same one error line
    const nlohmann::json device = Island(run.out)["devices"][0];
    EXPECT_FALSE(device["read"]["ok"].get<bool>());
    EXPECT_EQ(jsonRun.err, device["read"]["result"].get<std::string>() + "\n");
    const long long line = device["read"]["line"].get<long long>();
    EXPECT_GT(line, 0);
    EXPECT_TRUE(device["model"].is_null());
    bool lineShown = false;
    for (const nlohmann::json& excerpt : device["read"]["excerpt"])
        lineShown = lineShown || excerpt["line"].get<long long>() == line;
    EXPECT_TRUE(lineShown);

    // With -o the page goes to the file, the error line to standard error.
    const std::string page = bscan_test::ScratchPath("failed.html");
    const ViewRun written = Tool({"view", file, "-o", page});
    EXPECT_EQ(1, written.status);
    EXPECT_EQ("", written.out);
    EXPECT_EQ(run.out, bscan_test::SlurpFile(page));
}

// Where the build has the checker (`bscan check`), the page carries its
// findings as `check --json` gives them, and the IDCODE; otherwise both are
// null.
TEST(View, FindingsOfTheCheckerWhereTheBuildHasIt)
{
    const ViewRun check = Tool({"check", "--json", kDemo});
    const json device = Island(Tool({"view", kDemo}).out)["devices"][0];
    if (check.status == 2) {
        EXPECT_TRUE(device["findings"].is_null());
        EXPECT_TRUE(device["idcode"].is_null());
        GTEST_SKIP() << "this build has no checker: the page has no findings";
    }
    const json files = json::parse(check.out);
    EXPECT_EQ(files[0]["findings"], device["findings"]);
    // 0001 0110100101000011 00000000111 1, as the example device writes it.
    EXPECT_EQ("00010110100101000011000000001111", device["idcode"]["pattern"]);
    EXPECT_EQ(0x6943, device["idcode"]["part_number"].get<int>());
    EXPECT_EQ(7, device["idcode"]["manufacturer"].get<int>());

    // A file that does not read: the checker says why in words.
    const json failed = Island(Tool({"view", kData + "/tool_syntax.bsdl"}).out)["devices"][0];
    ASSERT_FALSE(failed["findings"].empty());
    EXPECT_EQ("read-failed", failed["findings"][0]["rule"]);
}

// Numbered pins on two sides when the package's name says two rows
// (SO, SOIC, SOP, TSOP, SSOP, DIP, ...), around four sides otherwise.
TEST(View, DualRowPackagesFromTheirName)
{
    json layout = Island(Tool({"view", kData + "/view_soic.bsdl"}).out)["devices"][0]["layout"];
    EXPECT_EQ("numbered", layout["kind"]);
    EXPECT_EQ(2, layout["sides"].get<int>());
    EXPECT_EQ(16, layout["columns"].get<int>());
    std::map<std::string, int> positions;
    for (const json& pin : layout["pins"])
        positions[pin["pin"].get<std::string>()] = pin["position"].get<int>();
    EXPECT_EQ(15u, positions.size());   // pin 16 has no port
    EXPECT_EQ(0, positions["1"]);
    EXPECT_EQ(14, positions["15"]);
    // DIP8: eight places, two sides.
    layout = Island(Tool({"view", kData + "/tool_small.bsdl"}).out)["devices"][0]["layout"];
    EXPECT_EQ(2, layout["sides"].get<int>());
    EXPECT_EQ(8, layout["columns"].get<int>());

    // The same file under other package names.
    const std::string text = bscan_test::SlurpFile(kData + "/view_soic.bsdl");
    const std::map<std::string, int> names = {{"TSSOP16", 2}, {"pdip_16", 2}, {"SO16W", 2}, {"SOJ16", 2},
                                              {"QFN_16", 4}, {"SOCKET_16", 4}, {"PLCC16", 4},
                                              {"ISO_16", 4}};
    for (const auto& name : names) {
        std::string renamed = text;
        for (size_t at = renamed.find("SOIC_16"); at != std::string::npos; at = renamed.find("SOIC_16", at))
            renamed.replace(at, 7, name.first);
        const std::string file = bscan_test::ScratchPath("view_" + name.first + ".bsdl");
        std::ofstream(file, std::ios::binary) << renamed;
        const ViewRun run = Tool({"view", file});
        ASSERT_EQ(0, run.status) << name.first << run.err;
        layout = Island(run.out)["devices"][0]["layout"];
        EXPECT_EQ("numbered", layout["kind"]) << name.first;
        EXPECT_EQ(name.second, layout["sides"].get<int>()) << name.first;
        EXPECT_EQ(16, layout["columns"].get<int>()) << name.first;
    }
    // A grid stays a grid whatever its name.
    layout = Island(Tool({"view", kDemo}).out)["devices"][0]["layout"];
    EXPECT_EQ("grid", layout["kind"]);
}

#endif
