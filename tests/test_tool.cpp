// The command-line tool, run as a user runs it: the built program on our
// fixture files and on the example device, checking standard output,
// standard error and the exit status.
//
// tool_small.bsdl has six cells: 0 A input, 1 Y's control (disabled by 1,
// safe 1), 2 Y output3, 3 B(0) bidir, 4 B(1) bidir, 5 B's control
// (disabled by 0, safe 0). Its pins are numbered 1 to 8 in port order.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifdef BSCAN_HAVE_NLOHMANN_JSON
#include <nlohmann/json.hpp>
#endif

#include "parser/BScanParser.h"

#include "ScratchDir.h"
#include "ToolRun.h"

#ifdef BSCAN_TOOL_PATH

namespace {

using ToolRun = bscan_test::ToolResult;
using bscan_test::ShellQuote;

std::string TempDir()
{
    return bscan_test::NewScratchSubdir("tool");
}

// Runs the tool with `args`; `environment` is put before the command
// (for instance BSCAN_DATA_DIR=...).
ToolRun RunTool(const std::vector<std::string>& args, const std::string& environment = "")
{
    return bscan_test::RunBscan(args, environment);
}

const std::string kSmall = std::string(BSCAN_TEST_DATA_DIR) + "/tool_small.bsdl";
const std::string kSyntax = std::string(BSCAN_TEST_DATA_DIR) + "/tool_syntax.bsdl";
const std::string kDemo = std::string(BSCAN_SOURCE_DIR) + "/examples/demo_device.bsdl";

}  // namespace

TEST(Tool, DrivePrintsTheImageBytesAndBits)
{
    // Nothing driven: only Y's control holds 1 (its safe value).
    ToolRun run = RunTool({"drive", kSmall});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("image: 40\nbits:  010000\n", run.out);
    EXPECT_EQ("", run.err);

    // A in (cell 0 = 1); Y out low (control 1 enabled = 0, cell 2 = 0);
    // B(1) out high (control 5 enabled = 1, cell 4 = 1): 100011.
    run = RunTool({"drive", kSmall, "A=1", "Y=0", "B(1)=1"});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("image: 8C\nbits:  100011\n", run.out);

    // The same ports named by pin number (5 is A, 7 is B(1)) and by port
    // name ignoring case (y).
    EXPECT_EQ(run.out, RunTool({"drive", kSmall, "5=1", "y=0", "7=1:out"}).out);

    // Z on an inout port drives it as input: its driver goes off (control
    // 5 = 0) and the bidir cell takes 0. Presets FC set cells 0 to 5 first.
    run = RunTool({"drive", kSmall, "--preset", "FC", "B(0)=Z"});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("image: E8\nbits:  111010\n", run.out);

    // B alone is its first declared element, B(1); an explicit :in on an
    // inout port switches the driver off and sets the input.
    EXPECT_EQ("image: 48\nbits:  010010\n", RunTool({"drive", kSmall, "B=1:in", "B(1)=1:in"}).out);
}

TEST(Tool, MaskMarksTheCellsOfTheNamedPorts)
{
    // From a cleared image: A's input cell, Y's output and control cells.
    ToolRun run = RunTool({"drive", kSmall, "--mask", "A=1", "Y=0"});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("image: E0\nbits:  111000\n", run.out);
    // B(0): its bidir cell and the shared control cell, whatever the value.
    EXPECT_EQ("image: 14\nbits:  000101\n", RunTool({"drive", kSmall, "--mask", "B(0)=0"}).out);
}

TEST(Tool, SvfShiftsCellZeroAndTheRightmostOpcodeBitFirst)
{
    // Cells 100011 (cell 0 first) are the value 0b110001 = 0x31; the opcode
    // 110 of EXTEST is 6. The instruction name is matched ignoring case.
    // EXTEST comes after the image went in under SAMPLE (010 = 2), the
    // file's preload instruction.
    ToolRun run = RunTool({"svf", kSmall, "--instruction", "extest", "A=1", "Y=0", "B(1)=1"});
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("! TOOL_SMALL: instruction EXTEST, the image preloaded first with SAMPLE\n"
              "SIR 3 TDI (2);\nSDR 6 TDI (31);\nSIR 3 TDI (6);\nSDR 6 TDI (31);\n",
              run.out);
    EXPECT_EQ("", run.err);

    // SAMPLE has two opcodes; the first (010) is loaded. Only cell 1 is set.
    run = RunTool({"svf", kSmall, "--instruction", "SAMPLE"});
    EXPECT_EQ("! TOOL_SMALL: instruction SAMPLE\nSIR 3 TDI (2);\nSDR 6 TDI (02);\n", run.out);

    // An opcode that is not plain binary cannot be shifted.
    run = RunTool({"svf", kSmall, "--instruction", "ODD"});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("", run.out);
    EXPECT_NE(std::string::npos, run.err.find("1X0")) << run.err;

    run = RunTool({"svf", kSmall, "--instruction", "NOSUCH"});
    EXPECT_EQ(2, run.status);
    EXPECT_NE(std::string::npos, run.err.find("usage: bscan svf")) << run.err;
}

TEST(Tool, ReadErrorsNameFileLineMessageAndCode)
{
    // A body line without keyword on line 10 of the file.
    ToolRun run = RunTool({"info", kSyntax});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("", run.out);
    EXPECT_EQ(kSyntax + ":10: error: syntax error: the file does not begin with an entity, or a line "
                        "begins with no known keyword (BSDL_ERR_SYNTAX, -5)\n",
              run.err);

    // A file that cannot be opened fails in the package pre-pass.
    const std::string missing = std::string(BSCAN_TEST_DATA_DIR) + "/tool_no_such_file.bsdl";
    run = RunTool({"ports", missing});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(missing + ":0: error: the BSDL file cannot be opened for the package pre-pass "
                        "(BSDL_ERR_PACKAGE_FILE, -10)\n",
              run.err);

    // Without a message file the line still names the code, and a good
    // file is still read.
    const std::string empty = TempDir();
    run = RunTool({"cells", kSyntax}, "BSCAN_DATA_DIR=" + ShellQuote(empty));
    EXPECT_EQ(1, run.status);
    EXPECT_EQ(0u, run.err.rfind(kSyntax + ":10: error: ", 0)) << run.err;
    EXPECT_NE(std::string::npos, run.err.find("(BSDL_ERR_SYNTAX, -5)\n")) << run.err;
    run = RunTool({"drive", kSmall, "A=1"}, "BSCAN_DATA_DIR=" + ShellQuote(empty));
    EXPECT_EQ(0, run.status);
    EXPECT_EQ("image: C0\nbits:  110000\n", run.out);
    EXPECT_EQ("", run.err);
    rmdir(empty.c_str());
}

TEST(Tool, UsageErrorsExitWithTwoAndAUsageLine)
{
    const std::vector<std::vector<std::string>> cases = {
        {},                                   // no command
        {"frobnicate", kSmall},               // unknown command
        {"drive"},                            // no file
        {"drive", kSmall, "A"},               // no value
        {"drive", kSmall, "A=2"},             // bad value
        {"drive", kSmall, "A=1:sideways"},    // bad direction
        {"drive", kSmall, "NOPE=1"},          // no such port
        {"drive", kSmall, "B(9)=1"},          // no such element
        {"drive", kSmall, "--preset", "F"},   // half a byte
        {"drive", kSmall, "--preset", "GG"},  // not hex
        {"svf", kSmall, "A=1"},               // no instruction
    };
    for (const auto& args : cases) {
        ToolRun run = RunTool(args);
        std::string shown;
        for (const auto& arg : args)
            shown += arg + " ";
        EXPECT_EQ(2, run.status) << shown;
        EXPECT_EQ("", run.out) << shown;
        EXPECT_EQ(0u, run.err.rfind("bscan: error: ", 0)) << shown << run.err;
        EXPECT_NE(std::string::npos, run.err.find("\nusage: bscan")) << shown << run.err;
    }

    // A port the library refuses to drive is the device's answer, not a
    // usage error: A is an input and cannot be driven as an output.
    ToolRun run = RunTool({"drive", kSmall, "A=1:out"});
    EXPECT_EQ(1, run.status);
    EXPECT_EQ("", run.out);
    EXPECT_NE(std::string::npos, run.err.find("setPort gave -1")) << run.err;
}

TEST(Tool, HelpAndVersionGoToStandardOutput)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--help"}, {"drive", "--help"}, {"svf", "--help"}, {"--version"}}) {
        ToolRun run = RunTool(args);
        EXPECT_EQ(0, run.status) << args[0];
        EXPECT_EQ("", run.err) << args[0];
        EXPECT_FALSE(run.out.empty()) << args[0];
    }
    EXPECT_NE(std::string::npos, RunTool({"drive", "--help"}).out.find("--mask"));
    EXPECT_NE(std::string::npos, RunTool({"svf", "--help"}).out.find("--instruction"));
}

TEST(Tool, InfoPortsAndCellsOfTheExampleDevice)
{
    ToolRun run = RunTool({"info", kDemo});
    EXPECT_EQ(0, run.status) << run.err;
    for (const char* line : {"entity               DEMO_IOX\n", "package              bga64\n",
                             "port nodes           42\n", "boundary cells       39\n",
                             "differential pairs   2\n", "  FACTORY_TEST  1010 1011\n",
                             "  BOUNDARY     EXTEST SAMPLE PRELOAD\n"})
        EXPECT_NE(std::string::npos, run.out.find(line)) << line;

    // Ball D8 is DQ(0): bidir cell 1 for input and output, control cell 0.
    // The negative leg TX_N got its cell and control through the pair.
    run = RunTool({"ports", kDemo});
    EXPECT_NE(std::string::npos, run.out.find("4    D8        DQ(0)    inout  in    X      1   1    0    -\n"));
    EXPECT_NE(std::string::npos, run.out.find("F2        TX_N     out    out   X      -   35   34   -    -\n"));

    run = RunTool({"cells", kDemo});
    EXPECT_NE(std::string::npos,
              run.out.find("29    BC_1  output3       IRQ_N     IRQ_N     X     28   1       PULL1   X      0\n"));
    EXPECT_EQ("", run.err);
}

#ifdef BSCAN_HAVE_NLOHMANN_JSON
TEST(Tool, JsonAgreesWithTheModel)
{
    for (const std::string& file : {kSmall, kDemo}) {
        ToolRun run = RunTool({"json", file});
        ASSERT_EQ(0, run.status) << run.err;
        const nlohmann::json doc = nlohmann::json::parse(run.out);

        BScanParser parser;
        parser.Initialize(file.c_str(), BSCAN_MESSAGE_DIR);
        ASSERT_EQ(0, parser.Read());
        BScanPinMap* map = parser.GetPinMap();
        EXPECT_EQ(parser.GetComponentName(), doc["entity"].get<std::string>());
        EXPECT_EQ(map->GetNumberOfPins(), doc["counts"]["port_nodes"].get<int>());
        EXPECT_EQ(map->GetBScanLength(), doc["counts"]["boundary_cells"].get<int>());
        EXPECT_EQ(parser.GetInstructionRegisterDescription()->GetInstructionOpcodeCount(),
                  doc["counts"]["instructions"].get<int>());
        EXPECT_EQ(parser.GetDifferentialPairCount(), doc["counts"]["differential_pairs"].get<int>());
        ASSERT_EQ(static_cast<size_t>(map->GetNumberOfPins()), doc["ports"].size());
        for (int i = 0; i < map->GetNumberOfPins(); ++i) {
            const KPinNode* node = static_cast<const KPinNode*>(map->GetPinListArray()->GetAt(i));
            EXPECT_EQ(node->GetPinNumber(), doc["ports"][i]["pin_number"].get<int>());
            EXPECT_EQ(std::string(node->GetPinName()), doc["ports"][i]["pin_name"].get<std::string>());
        }
        ASSERT_EQ(static_cast<size_t>(map->GetBScanLength()), doc["cells"].size());
        for (int i = 0; i < map->GetBScanLength(); ++i)
            EXPECT_EQ(static_cast<int>(map->GetBScanCell(i)->GetFunction()) == FUNC_OUTPUT3,
                      doc["cells"][i]["function"] == "output3");
        parser.CloseFile();
    }

    const nlohmann::json doc = nlohmann::json::parse(RunTool({"json", kSmall}).out);
    EXPECT_EQ(8, doc["ports"][7]["pin_number"].get<int>());
    EXPECT_EQ("B(0)", doc["ports"][7]["label"].get<std::string>());
    EXPECT_EQ("output3", doc["cells"][2]["function"].get<std::string>());
    EXPECT_EQ(1, doc["cells"][2]["control_cell"].get<int>());
    EXPECT_EQ("\"001\"", doc["instruction_register"]["capture"].get<std::string>());
    EXPECT_EQ("40", doc["image"].get<std::string>());
    EXPECT_EQ("EXTEST", doc["registers"][0]["instructions"][0].get<std::string>());
}
#endif

// One run for every eighth real file (json walks every port and cell, as
// the listings do): either the model as a document, or one error line.
TEST(Tool, RealFilesGiveJsonOrOneErrorLine)
{
    DIR* dir = opendir(BSCAN_REAL_BSDL_DIR);
    if (!dir)
        GTEST_SKIP() << "no real BSDL files at " << BSCAN_REAL_BSDL_DIR;
    std::vector<std::string> files;
    while (dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.' && std::string(entry->d_name) != "README.md")
            files.push_back(std::string(BSCAN_REAL_BSDL_DIR) + "/" + entry->d_name);
    closedir(dir);
    std::sort(files.begin(), files.end());
    int read = 0;
    for (size_t i = 0; i < files.size(); i += 8) {
        const std::string& file = files[i];
        ToolRun run = RunTool({"json", file});
        ASSERT_TRUE(run.status == 0 || run.status == 1) << file << run.err;
        if (run.status == 1) {
            EXPECT_EQ("", run.out) << file;
            EXPECT_EQ(0u, run.err.rfind(file + ":", 0)) << run.err;
            EXPECT_EQ(1, std::count(run.err.begin(), run.err.end(), '\n')) << run.err;
            continue;
        }
        ++read;
        EXPECT_EQ("", run.err) << file;
#ifdef BSCAN_HAVE_NLOHMANN_JSON
        const nlohmann::json doc = nlohmann::json::parse(run.out);
        EXPECT_EQ(doc["counts"]["port_nodes"].get<size_t>(), doc["ports"].size()) << file;
        EXPECT_EQ(doc["boundary_length"].get<size_t>(), doc["cells"].size()) << file;
#endif
    }
    EXPECT_GT(read, 0);
}

#endif  // BSCAN_TOOL_PATH
