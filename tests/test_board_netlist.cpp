// The netlist readers: KiCad's s-expression export and the plain text form,
// on real files, and their errors with the line they name.
#include <gtest/gtest.h>

#include <fstream>

#include "ScratchDir.h"
#include "board/Netlist.h"
#include "board/SExpression.h"

namespace {

std::string Write(const std::string& name, const std::string& text)
{
    const std::string path = bscan_test::ScratchPath(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

const char* const kKicad =
    "(export (version \"E\")\n"
    "  (design (source \"board.kicad_sch\") (tool \"Eeschema 7.0.1\"))\n"
    "  (components\n"
    "    (comp (ref \"U1\") (value \"DEMO\") (libsource (lib \"x\") (part \"y\")))\n"
    "    (comp (ref \"U3\") (value \"FPGA\")))\n"
    "  (nets\n"
    "    (net (code \"1\") (name \"/SDA\")\n"
    "      (node (ref \"U1\") (pin \"12\") (pinfunction \"SDA\") (pintype \"bidirectional\"))\n"
    "      (node (ref \"U3\") (pin \"A4\")))\n"
    "    (net (code \"2\") (name \"Net-(U1-Pad3)\")\n"
    "      (node (ref \"U1\") (pin \"3\")))\n"
    "    (net (code \"3\") (name \"/a \\\"quoted\\\" name\")\n"
    "      (node (ref \"U3\") (pin \"B1\")) (node (ref \"R1\") (pin \"2\")))))\n";

}  // namespace

TEST(BoardNetlist, ReadsKicadExport)
{
    Netlist netlist;
    std::string error;
    ASSERT_TRUE(ReadNetlistFile(Write("board.net", kKicad), netlist, error)) << error;
    ASSERT_EQ(netlist.components, (std::vector<std::string>{"U1", "U3"}));
    ASSERT_EQ(netlist.nets.size(), 3u);
    EXPECT_EQ(netlist.nets[0].name, "/SDA");
    EXPECT_EQ(netlist.nets[0].line, 7);
    ASSERT_EQ(netlist.nets[0].pins.size(), 2u);
    EXPECT_EQ(NetPinName(netlist.nets[0].pins[0]), "U1.12");
    EXPECT_EQ(netlist.nets[0].pins[0].line, 8);
    EXPECT_EQ(NetPinName(netlist.nets[0].pins[1]), "U3.A4");
    EXPECT_EQ(netlist.nets[1].pins.size(), 1u);
    EXPECT_EQ(netlist.nets[2].name, "/a \"quoted\" name");
    EXPECT_EQ(NetPinName(netlist.nets[2].pins[1]), "R1.2");
}

TEST(BoardNetlist, ReadsTextForm)
{
    Netlist netlist;
    std::string error;
    const std::string path = Write("board.txt",
                                   "# board rev B\n"
                                   "\n"
                                   "/SDA   U1.12 U3.A4   # the bus\n"
                                   "RST\tU1.7\tU2.3 R5.1\n");
    ASSERT_TRUE(ReadNetlistFile(path, netlist, error)) << error;
    ASSERT_EQ(netlist.nets.size(), 2u);
    EXPECT_EQ(netlist.nets[0].name, "/SDA");
    EXPECT_EQ(netlist.nets[0].line, 3);
    EXPECT_EQ(netlist.nets[1].pins.size(), 3u);
    EXPECT_EQ(NetPinName(netlist.nets[1].pins[2]), "R5.1");
    EXPECT_TRUE(netlist.components.empty());
}

TEST(BoardNetlist, MalformedInputNamesFileAndLine)
{
    struct Case {
        const char* text;
        const char* error;
    };
    const Case cases[] = {
        // s-expressions
        {"(export\n (nets\n (net (name \"A\")\n", ":3: error: '(' not closed before the end of the file"},
        {"(export (nets))\n)\n", ":2: error: ')' without its '('"},
        {"(export (nets\n (net (name \"A\n)))\n", ":2: error: string not closed before the end of the file"},
        {"(export (nets)) (extra)", ":1: error: text after the closing ')'"},
        {"(netlist (nets))", ":1: error: not a KiCad netlist export"},
        {"(export (components))", ":1: error: the export has no (nets ...)"},
        {"(export (nets\n (net (code 1)\n (node (ref U1) (pin 2)))))", ":2: error: net without (name ...)"},
        {"(export (nets (net (name A)\n (node (ref U1)))))", ":2: error: node without (pin ...)"},
        {"(export (nets (net (name A)\n (node (ref U1) (pin 2 3)))))", ":2: error: (pin ...) must hold one value"},
        {"(export (nets (net (name A) (node (ref U1) (pin 2)))\n (net (name B) (node (ref U1) (pin 2)))))",
         ":2: error: pin U1.2 is already on net 'A'"},
        {"(export (nets (net (name A) (node (ref U1) (pin 2)))\n (net (name A))))",
         ":2: error: net 'A' already defined on line 1"},
        // text form
        {"A U1.1 U2.2\nB U1.3 U24\n", ":2: error: 'U24' is not REF.PIN"},
        {"A U1.1\n\n# x\nB   # no pins\n", ":4: error: net 'B' lists no pin"},
        {"A U1.1 U2.A.4\n", ":1: error: 'U2.A.4' is not REF.PIN"},
        {"A U1.1\nB U1.1\n", ":2: error: pin U1.1 is already on net 'A'"},
    };
    int index = 0;
    for (const Case& c : cases) {
        const std::string path = Write("bad" + std::to_string(index++) + ".net", c.text);
        Netlist netlist;
        std::string error;
        EXPECT_FALSE(ReadNetlistFile(path, netlist, error)) << c.text;
        EXPECT_EQ(error.rfind(path + c.error, 0), 0u) << "got: " << error << "\nfor: " << c.text;
    }
    Netlist netlist;
    std::string error;
    EXPECT_FALSE(ReadNetlistFile(bscan_test::ScratchPath("missing.net"), netlist, error));
    EXPECT_NE(error.find("missing.net: error: cannot read the file"), std::string::npos);
}

TEST(BoardNetlist, SExpressionDepthAndEscapes)
{
    SExpression root;
    std::string error;
    std::string deep(kMaxSExpressionDepth + 1, '(');
    deep += std::string(kMaxSExpressionDepth + 1, ')');
    EXPECT_FALSE(ReadSExpression(deep, "deep", root, error));
    EXPECT_EQ(error, "deep:1: error: lists nested deeper than " + std::to_string(kMaxSExpressionDepth));
    std::string ok(kMaxSExpressionDepth, '(');
    ok += std::string(kMaxSExpressionDepth, ')');
    EXPECT_TRUE(ReadSExpression(ok, "ok", root, error)) << error;

    ASSERT_TRUE(ReadSExpression("(a \"x\\\\y\\n\" b\"c\"d)", "f", root, error)) << error;
    ASSERT_EQ(root.items.size(), 5u);
    EXPECT_EQ(root.items[1].text, "x\\y\n");
    EXPECT_TRUE(root.items[1].quoted);
    EXPECT_EQ(root.items[2].text, "b");
    EXPECT_EQ(root.items[3].text, "c");
    EXPECT_FALSE(root.items[4].quoted);
    EXPECT_FALSE(ReadSExpression("  \n ", "empty", root, error));
    EXPECT_EQ(error, "empty:2: error: no s-expression in the file");
}
