// `bscan check`, run as a user runs it: findings and summaries on standard
// output (read failures included), the exit status, --werror and --json.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#ifdef BSCAN_HAVE_NLOHMANN_JSON
#include <nlohmann/json.hpp>
#endif

#include "ScratchDir.h"
#include "ToolRun.h"

#ifdef BSCAN_TOOL_PATH

namespace {

using CheckRun = bscan_test::ToolResult;

// Runs `bscan check ARGS` (in `workDir` when given).
CheckRun RunCheck(std::vector<std::string> args, const std::string& workDir = "")
{
    args.insert(args.begin(), "check");
    return bscan_test::RunBscan(args, "", workDir);
}

std::string Fixture(const std::string& name)
{
    return std::string(BSCAN_TEST_DATA_DIR) + "/check_" + name + ".bsdl";
}

TEST(CheckToolTest, PrintsFindingsAndSummariesAndExitsByErrors)
{
    CheckRun run = RunCheck({Fixture("clean")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, Fixture("clean") + ": 0 errors, 0 warnings, 0 notes (read result 0)\n");
    EXPECT_EQ(run.err, "");

    run = RunCheck({Fixture("bsr_length"), Fixture("entity_end")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out,
              Fixture("bsr_length") + ":68: error: BOUNDARY_LENGTH is 9 but BOUNDARY_REGISTER lists 8 of its cells; "
                                      "1 missing: 8 [bsr-length]\n" +
                  Fixture("bsr_length") + ": 1 error, 0 warnings, 0 notes (read result 0)\n" +
                  Fixture("entity_end") + ":80: warning: the entity is CHECK_CLEAN but its end names CHECK_CLEAR "
                                          "[entity-end]\n" +
                  Fixture("entity_end") + ": 0 errors, 1 warning, 0 notes (read result 0)\n");
    EXPECT_EQ(run.err, "");

    // Warnings fail only with --werror.
    EXPECT_EQ(RunCheck({Fixture("entity_end")}).status, 0);
    EXPECT_EQ(RunCheck({"--werror", Fixture("entity_end")}).status, 1);
    EXPECT_EQ(RunCheck({"--werror", Fixture("design_warning")}).status, 0);

    // A file the core cannot read is a finding on standard output.
    const std::string missing = bscan_test::ScratchPath("no_such.bsdl");
    run = RunCheck({missing});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, missing + ": error: the file cannot be opened (BSDL_ERR_PACKAGE_FILE, -10) [read-failed]\n" +
                           missing + ": 1 error, 0 warnings, 0 notes (read result -10)\n");
    EXPECT_EQ(run.err, "");
    run = RunCheck({Fixture("read_failed")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out.rfind(Fixture("read_failed") + ":75: error: the library refuses BOUNDARY_REGISTER entry", 0), 0u)
        << run.out;
}

// The example of deliberate faults and the output README.md shows for it.
TEST(CheckToolTest, TheExampleGivesItsRecordedOutput)
{
    const CheckRun run = RunCheck({"examples/check_faults.bsdl"}, BSCAN_SOURCE_DIR);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, bscan_test::SlurpFile(std::string(BSCAN_SOURCE_DIR) + "/examples/check_faults.txt"));
    EXPECT_EQ(run.err, "");
}

TEST(CheckToolTest, UsageErrorsExitWithTwo)
{
    CheckRun run = RunCheck({});
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find("usage: bscan check [--json] [--werror] FILE..."), std::string::npos) << run.err;
    EXPECT_EQ(RunCheck({"--nonsense", Fixture("clean")}).status, 2);
}

#ifdef BSCAN_HAVE_NLOHMANN_JSON
TEST(CheckToolTest, JsonListsFilesAndFindings)
{
    CheckRun run = RunCheck({"--json", Fixture("clean"), Fixture("read_failed")});
    EXPECT_EQ(run.status, 1);
    const nlohmann::json document = nlohmann::json::parse(run.out);
    ASSERT_TRUE(document.is_array());
    ASSERT_EQ(document.size(), 2u);
    EXPECT_EQ(document[0]["file"], Fixture("clean"));
    EXPECT_EQ(document[0]["read_result"], 0);
    EXPECT_EQ(document[0]["entity"], "CHECK_CLEAN");
    EXPECT_TRUE(document[0]["findings"].empty());
    EXPECT_EQ(document[1]["read_result"], -1);
    EXPECT_EQ(document[1]["errors"], 2);
    const nlohmann::json& first = document[1]["findings"][0];
    EXPECT_EQ(first["rule"], "read-failed");
    EXPECT_EQ(first["severity"], "error");
    EXPECT_EQ(first["line"], 75);
    EXPECT_EQ(first["port"], "Y");
    EXPECT_EQ(first["cell"], "3");
    EXPECT_TRUE(first["instruction"].is_null());
    EXPECT_NE(first["message"].get<std::string>().find("declared OUT"), std::string::npos);
}
#endif

}  // namespace

#endif
