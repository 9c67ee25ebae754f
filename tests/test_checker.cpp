// The checker on its fixtures: each check_*.bsdl is check_clean.bsdl with
// one deliberate fault, and fires its rule at the faulty line (and only
// the rules listed beside it); check_clean.bsdl fires nothing. Scratch
// files give the core's read failures their explanations.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "ScratchDir.h"
#include "check/BScanChecker.h"

namespace {

const std::string kData = BSCAN_TEST_DATA_DIR;
const std::string kMessages = BSCAN_MESSAGE_DIR;

std::vector<BScanFinding> CheckFile(const std::string& path, int* readResult = nullptr)
{
    BScanDevice device;
    int result = device.Read(path, kMessages);
    if (readResult)
        *readResult = result;
    return BScanChecker::Check(device);
}

std::string Describe(const std::vector<BScanFinding>& findings)
{
    std::string text;
    for (const BScanFinding& f : findings)
        text += std::to_string(f.line) + ": " + BScanChecker::SeverityName(f.severity) + ": " + f.message + " [" +
                f.rule + "]\n";
    return text;
}

struct FixtureCase {
    const char* fixture;       // tests/data/check_<fixture>.bsdl
    const char* rule;
    BScanSeverity severity;
    long long line;
    const char* fragment;      // part of the message
    std::set<std::string> alsoFiring;
};

TEST(CheckerTest, EachFixtureFiresItsRuleAndTheCleanOneNothing)
{
    const std::vector<FixtureCase> cases = {
        {"read_failed", "read-failed", BScanSeverity::Error, 75,
         "entry '3 (BC_1, Y, output3, X, 2, 1, Z)' (code -1): cell 3, an output3 cell, serves port Y, declared OUT",
         {"bsr-function-direction"}},
        {"entity_end", "entity-end", BScanSeverity::Warning, 80, "its end names CHECK_CLEAR", {}},
        {"tap_ports", "tap-ports", BScanSeverity::Error, 30, "TAP_SCAN_OUT names TDI, declared in", {}},
        {"port_grouping", "port-grouping", BScanSeverity::Error, 35, "names NOPE, which is not declared", {}},
        {"compliance_patterns", "compliance-patterns", BScanSeverity::Error, 35, "1 values for 2 ports", {}},
        {"design_warning", "design-warning", BScanSeverity::Note, 80, "Keep EN high while shifting.", {}},
        {"attribute_case", "attribute-case", BScanSeverity::Warning, 48, "Instruction_Capture", {}},
        {"statement_swallowed", "statement-swallowed", BScanSeverity::Warning, 34,
         "loses attribute INSTRUCTION_LENGTH (line 36)", {}},
        {"line_cut", "line-cut", BScanSeverity::Warning, 25, "splitting EN, which the library reads as E and N",
         {"pin-lost"}},
        {"pin_map_port", "pin-map-port", BScanSeverity::Error, 11, "port EN is missing from pin map SO16", {}},
        {"pin_duplicate", "pin-duplicate", BScanSeverity::Error, 25, "assigns pin 6 to EN", {}},
        {"pin_lost", "pin-lost", BScanSeverity::Warning, 25, "port Y reads without its pin 8", {}},
        {"opcode_length", "opcode-length", BScanSeverity::Error, 41, "EXTEST has the opcode 000 of 3 bits", {}},
        {"instruction_mandatory", "instruction-mandatory", BScanSeverity::Error, 40, "no EXTEST instruction", {}},
        {"bypass_opcode", "bypass-opcode", BScanSeverity::Error, 40, "BYPASS has no all-ones opcode (1111)", {}},
        {"opcode_ambiguous", "opcode-ambiguous", BScanSeverity::Warning, 45, "IDCODE (0010) and USERCODE (0010)", {}},
        {"instruction_capture", "instruction-capture", BScanSeverity::Error, 48, "0110 does not end in 01", {}},
        {"idcode", "idcode", BScanSeverity::Error, 52, "least significant bit is 0", {}},
        {"register_access", "register-access", BScanSeverity::Error, 66, "the instruction PRIVATE2", {}},
        {"bsr_entry", "bsr-entry", BScanSeverity::Error, 78, "unknown function 'inpt'", {"read-failed"}},
        {"bsr_length", "bsr-length", BScanSeverity::Error, 68, "BOUNDARY_LENGTH is 9 but BOUNDARY_REGISTER lists 8",
         {}},
        {"bsr_port", "bsr-port", BScanSeverity::Error, 77, "cell 1 names port AA", {}},
        {"bsr_control_cell", "bsr-control-cell", BScanSeverity::Error, 75,
         "names control cell 1, which is cell 1 (input, port A)", {}},
        {"bsr_disable", "bsr-disable", BScanSeverity::Error, 75, "output3 cell without control cell", {}},
        {"bsr_function_direction", "bsr-function-direction", BScanSeverity::Error, 77,
         "output2 does not suit a port of mode in", {"read-failed"}},
        {"safe_enables_driver", "safe-enables-driver", BScanSeverity::Warning, 76,
         "control cell 2 has the safe value 0", {}},
        {"shared_control", "shared-control", BScanSeverity::Note, 71, "enables 2 ports: driving one drives all (B(1), B(0))",
         {}},
    };
    std::set<std::string> covered;
    for (const FixtureCase& c : cases) {
        const std::string path = kData + "/check_" + c.fixture + ".bsdl";
        const std::vector<BScanFinding> findings = CheckFile(path);
        bool found = false;
        for (const BScanFinding& f : findings) {
            EXPECT_TRUE(f.rule == c.rule || c.alsoFiring.count(f.rule)) << path << " fires " << f.rule;
            if (f.rule == c.rule && f.line == c.line && f.severity == c.severity &&
                f.message.find(c.fragment) != std::string::npos)
                found = true;
        }
        EXPECT_TRUE(found) << path << " should fire " << c.rule << " on line " << c.line << ":\n"
                           << Describe(findings);
        EXPECT_TRUE(std::is_sorted(findings.begin(), findings.end(), [](const BScanFinding& a, const BScanFinding& b) {
            return std::make_pair(a.rule != "read-failed", a.line) < std::make_pair(b.rule != "read-failed", b.line);
        })) << path;
        covered.insert(c.rule);
    }
    // Every rule of the checker has its fixture.
    for (const BScanRule& rule : BScanChecker::Rules())
        EXPECT_TRUE(covered.count(rule.id)) << "no fixture fires " << rule.id;

    const std::vector<BScanFinding> clean = CheckFile(kData + "/check_clean.bsdl");
    EXPECT_TRUE(clean.empty()) << Describe(clean);
}

TEST(CheckerTest, FindingsNameThePortCellAndInstruction)
{
    std::vector<BScanFinding> findings = CheckFile(kData + "/check_read_failed.bsdl");
    ASSERT_FALSE(findings.empty());
    EXPECT_EQ(findings[0].rule, "read-failed");
    EXPECT_EQ(findings[0].cell, "3");
    EXPECT_EQ(findings[0].port, "Y");
    findings = CheckFile(kData + "/check_register_access.bsdl");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].instruction, "PRIVATE2");
    EXPECT_EQ(findings[0].port, "");
}

std::string WriteScratch(const std::string& name, const std::string& text)
{
    std::string path = bscan_test::ScratchPath(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

const BScanFinding* First(const std::vector<BScanFinding>& findings, const std::string& rule)
{
    for (const BScanFinding& f : findings)
        if (f.rule == rule)
            return &f;
    return nullptr;
}

TEST(CheckerTest, ReadFailuresAreExplained)
{
    const std::string head = "entity T is\ngeneric (PHYSICAL_PIN_MAP : string := \"P\");\nport (\nA : in bit;\n"
                             "Y : out bit;\nD : inout bit_vector (0 to 1)\n);\n";
    int result = 0;

    // -5: a body line with a keyword in upper case.
    std::vector<BScanFinding> findings =
        CheckFile(WriteScratch("upper.bsdl", head + "ATTRIBUTE BOUNDARY_LENGTH of T : entity is 1;\nend T;\n"),
                  &result);
    EXPECT_EQ(result, -5);
    const BScanFinding* failed = First(findings, "read-failed");
    ASSERT_NE(failed, nullptr) << Describe(findings);
    EXPECT_EQ(failed->line, 8);
    EXPECT_NE(failed->message.find("keyword attribute in lower case only"), std::string::npos) << failed->message;

    // -8: a disabled state the core does not read, named with its entry.
    findings = CheckFile(WriteScratch("keeper.bsdl",
                                      head + "attribute BOUNDARY_LENGTH of T : entity is 2;\n"
                                             "attribute BOUNDARY_REGISTER of T : entity is\n"
                                             "\"1 (BC_1, *, control, 1),\" &\n"
                                             "\"0 (BC_1, Y, output3, X, 1, 1, KEEPER)\";\nend T;\n"),
                         &result);
    EXPECT_EQ(result, -8);
    failed = First(findings, "read-failed");
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->line, 11);
    EXPECT_EQ(failed->cell, "0");
    EXPECT_NE(failed->message.find("the disabled state 'KEEPER'"), std::string::npos) << failed->message;
    EXPECT_EQ(First(findings, "bsr-disable"), nullptr);   // KEEPER is a disabled state of the language

    // -1 from the port grouping: a kind the core does not know.
    findings = CheckFile(WriteScratch("kind.bsdl", head + "attribute PORT_GROUPING of T : entity is\n"
                                                          "\"Differential_Pair ((D(0), D(1)))\";\nend T;\n"),
                         &result);
    EXPECT_EQ(result, -1);
    failed = First(findings, "read-failed");
    ASSERT_NE(failed, nullptr);
    EXPECT_NE(failed->message.find("the group kind Differential_Pair"), std::string::npos) << failed->message;

    // -1 from a cell beyond BOUNDARY_LENGTH.
    findings = CheckFile(WriteScratch("beyond.bsdl", head + "attribute BOUNDARY_LENGTH of T : entity is 1;\n"
                                                            "attribute BOUNDARY_REGISTER of T : entity is\n"
                                                            "\"0 (BC_1, A, input, X),\" &\n"
                                                            "\"1 (BC_1, A, input, X)\";\nend T;\n"),
                         &result);
    EXPECT_EQ(result, -1);
    failed = First(findings, "read-failed");
    ASSERT_NE(failed, nullptr);
    EXPECT_EQ(failed->line, 11);
    EXPECT_NE(failed->message.find("cell 1 lies outside the register of 1 cells"), std::string::npos);
    EXPECT_NE(First(findings, "bsr-length"), nullptr);

    // -4: a BOUNDARY_REGISTER value whole on its line swallows the end line
    // of a file without a last line end.
    findings = CheckFile(WriteScratch("oneline.bsdl", head + "attribute BOUNDARY_LENGTH of T : entity is 1;\n"
                                                             "attribute BOUNDARY_REGISTER of T : entity is "
                                                             "\"0 (BC_1, A, input, X)\";\nend T;"),
                         &result);
    EXPECT_EQ(result, -4);
    failed = First(findings, "read-failed");
    ASSERT_NE(failed, nullptr);
    EXPECT_NE(failed->message.find("reading attribute BOUNDARY_REGISTER of line 9"), std::string::npos)
        << failed->message;
    EXPECT_NE(First(findings, "statement-swallowed"), nullptr);

    // -10: no file.
    findings = CheckFile(bscan_test::ScratchPath("none.bsdl"), &result);
    EXPECT_EQ(result, -10);
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].line, 0);
    EXPECT_NE(findings[0].message.find("cannot be opened"), std::string::npos);
}

TEST(CheckerTest, LanguageFormsThatAreNotFaults)
{
    // Merged cells (an input listed again as a control), an open-drain
    // output2 cell controlled by itself, a numeric package left UNDEFINED
    // with two pin maps, an IDCODE with don't-care version bits.
    const std::string text =
        "entity M is\ngeneric (PHYSICAL_PIN_MAP : string := \"UNDEFINED\");\n"
        "port (TCK, TMS, TDI : in bit; TDO : out bit; OE : in bit; Q : out bit);\n"
        "use STD_1149_1_2001.all;\n"
        "constant P1 : PIN_MAP_STRING := \"TCK:1, TMS:2, TDI:3, TDO:4, OE:5, Q:6\";\n"
        "constant P2 : PIN_MAP_STRING := \"TCK:6, TMS:5, TDI:4, TDO:3, OE:2, Q:1\";\n"
        "attribute TAP_SCAN_IN of TDI : signal is true;\nattribute TAP_SCAN_OUT of TDO : signal is true;\n"
        "attribute TAP_SCAN_MODE of TMS : signal is true;\nattribute TAP_SCAN_CLOCK of TCK : signal is (1.0e6, BOTH);\n"
        "attribute INSTRUCTION_LENGTH of M : entity is 2;\n"
        "attribute INSTRUCTION_OPCODE of M : entity is \"BYPASS (11),\" & \"EXTEST (00),\" &\n"
        "\"SAMPLE (01),\" & \"IDCODE (10)\";\n"
        "attribute INSTRUCTION_CAPTURE of M : entity is \"01\";\n"
        "attribute IDCODE_REGISTER of M : entity is \"XXXX0000000000000001000000000011\";\n"
        "attribute BOUNDARY_LENGTH of M : entity is 2;\n"
        "attribute BOUNDARY_REGISTER of M : entity is\n"
        "\"1 (BC_1, OE, input, X),\" &\n\"1 (BC_1, *, control, 0),\" &\n"
        "\"0 (BC_1, Q, output2, 1, 0, 1, WEAK1)\";\nend M;\n";
    int result = 0;
    const std::vector<BScanFinding> findings = CheckFile(WriteScratch("forms.bsdl", text), &result);
    EXPECT_EQ(result, 0);
    EXPECT_TRUE(findings.empty()) << Describe(findings);
}

TEST(CheckerTest, NoCrashOnADeviceNeverRead)
{
    BScanDevice device;
    EXPECT_TRUE(BScanChecker::Check(device).empty());
    EXPECT_EQ(device.ReadDescription(kData + "/check_clean.bsdl"), 0);
    // Without the core read: no read-failed, no core comparison.
    const std::vector<BScanFinding> findings = BScanChecker::Check(device);
    EXPECT_TRUE(findings.empty()) << Describe(findings);
}

}  // namespace

namespace {

// Every real file: the check runs, and every file the core refuses gets a
// read-failed finding first, with the line of a statement of the file.
TEST(CheckerRealFilesTest, EveryRefusalIsExplained)
{
    const std::string dir = BSCAN_REAL_BSDL_DIR;
    std::vector<std::string> files;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (e->d_name[0] != '.' && std::string(e->d_name) != "README.md")
                files.push_back(dir + "/" + e->d_name);
        closedir(d);
    }
    if (files.empty())
        GTEST_SKIP() << "no real BSDL files in " << dir;
    int refused = 0;
    for (const std::string& file : files) {
        BScanDevice device;
        const int result = device.Read(file, kMessages);
        const std::vector<BScanFinding> findings = BScanChecker::Check(device);
        if (result < 0) {
            ++refused;
            ASSERT_FALSE(findings.empty()) << file;
            EXPECT_EQ(findings[0].rule, "read-failed") << file;
            EXPECT_GT(findings[0].line, 0) << file;
        } else {
            for (const BScanFinding& f : findings)
                EXPECT_NE(f.rule, "read-failed") << file;
        }
    }
    EXPECT_GT(refused, 0);
}

}  // namespace
