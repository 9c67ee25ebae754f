// The entity reader: header and generic clause, the body loop and its
// keyword tests, the port clause with its end rule, port declarations and
// constant statements.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "parser/BScanParser.h"

#include "ReaderRun.h"

#include "ScratchDir.h"

namespace {

std::string WriteTemp(const std::string& name, const std::string& content)
{
    std::string path = bscan_test::ScratchPath("reader_entity_" + name + ".bsdl");
    FILE* f = std::fopen(path.c_str(), "w");
    EXPECT_NE(f, nullptr);
    std::fputs(content.c_str(), f);
    std::fclose(f);
    return path;
}

int ReadText(BScanParser& parser, const std::string& name, const std::string& content)
{
    EXPECT_GE(parser.Initialize(WriteTemp(name, content).c_str(), BSCAN_MESSAGE_DIR), 0);
    return parser.Read();
}

// The nodes as "NAME(index):type ...".
std::string Nodes(BScanParser& parser)
{
    if (!parser.GetPinMap())
        return "<no pin map>";
    std::string out;
    const KObjList* list = parser.GetPinMap()->GetPinListArray();
    for (int i = 0; list && i < list->GetCount(); ++i) {
        auto* node = static_cast<KPinNode*>(list->GetAt(i));
        out += std::string(node->GetPortName()) + "(" + std::to_string(node->GetVectorIndex()) +
               "):" + std::to_string(node->GetPortType()) + " ";
    }
    return out;
}

class EntityProbe : public BScanParser {
public:
    using BScanParser::CreatePort;
    using BScanParser::ReadConstant;
    using BScanParser::ReadPort;

    // Calls a reader with `first` on a stream holding `rest`; returns its
    // result and leaves in `next` the line it left unread.
    int Run(int (BScanParser::*reader)(FILE*, char*), std::string first, const std::string& rest,
            std::string& next)
    {
        return bscan_test::RunReader(
            rest, [&](FILE* f) { return (this->*reader)(f, &first[0]); },
            [&](FILE* f) {
                if (GetLine(f, next, nullptr) != BSDL_OK)
                    next = "<eof>";
            });
    }
};

const std::string kHeader = "entity CHIP is\ngeneric (PHYSICAL_PIN_MAP : string := \"PKG\");\n";

}  // namespace

TEST(ReaderEntity, ReadsTheSampleDevice)
{
    BScanParser parser;
    std::string path = std::string(BSCAN_TEST_DATA_DIR) + "/reader_basic.bsdl";
    ASSERT_GE(parser.Initialize(path.c_str(), BSCAN_MESSAGE_DIR), 0);
    ASSERT_EQ(parser.Read(), BSDL_OK);

    EXPECT_STREQ(parser.GetComponentName(), "DEMO_CHIP");
    EXPECT_STREQ(parser.GetPackageType(), "dip16_pkg");
    EXPECT_EQ(Nodes(parser),
              "TCK(0):0 TDI(0):0 TMS(0):0 TDO(0):1 DATA(3):2 DATA(2):2 DATA(1):2 DATA(0):2 "
              "ADDR(0):0 ADDR(1):0 ADDR(2):0 Ctl(0):4 GND(0):4 ");
    BScanPinMap* map = parser.GetPinMap();
    ASSERT_EQ(map->GetIOTypeCount(), 2);
    EXPECT_STREQ(map->GetIOName(0), "DATA");
    EXPECT_STREQ(map->GetIOName(1), "Ctl");
    // Numbered package: pins are their own numbers, a vector's pins go to
    // its elements in declaration order.
    EXPECT_EQ(map->GetPinNumber("4"), 4);
    EXPECT_EQ(map->GetPort("5")->GetVectorIndex(), 3);
    EXPECT_EQ(map->GetPort("11")->GetVectorIndex(), 2);
    EXPECT_EQ(parser.GetInstructionRegisterDescription()->GetInstructionLength(), 4);
}

TEST(ReaderEntity, FirstLineAndBodyKeywords)
{
    const struct {
        const char* name;
        std::string text;
        int result;
    } cases[] = {
        {"upper", "-- comment\n\nENTITY CHIP is\nend CHIP;\n", BSDL_ERR_SYNTAX},
        // Without a generic the header runs to the port clause's first ';'.
        {"nogeneric", "entity CHIP is\nport (\nA : in bit;\nB : out bit);\nend CHIP;\n", BSDL_ERR_SYNTAX},
        {"ampersand", kHeader + "& \"x\";\nend CHIP;\n", BSDL_ERR_SYNTAX},
        // "use" lines and stray string pieces are skipped; "end" is a prefix.
        {"skipped", kHeader + "use STD.all;\n\"stray piece\" &\nendpoint\nnot read\n", BSDL_OK},
        {"noend", kHeader + "use STD.all;\n", BSDL_ERR_READ},
        {"noendnoeol", kHeader + "use STD.all;", BSDL_ERR_END_OF_FILE},
        // A name holding "generic" calls the generic reader: a pin map only.
        {"genericname", "entity genericCHIP is end;\nend genericCHIP;\n", BSDL_OK},
        // A name without a blank after it is read as the empty name.
        {"noblank", "entity CHIP;\nuse STD.all;\nend CHIP;\n", BSDL_OK},
    };
    for (const auto& c : cases) {
        BScanParser parser;
        EXPECT_EQ(ReadText(parser, c.name, c.text), c.result) << c.name;
        std::string name = c.name;
        if (name == "nogeneric")
            EXPECT_EQ(parser.GetPinMap(), nullptr);
        if (name == "skipped")
            EXPECT_STREQ(parser.GetPackageType(), "pkg");
        if (name == "genericname")
            EXPECT_TRUE(parser.GetPinMap() && !parser.GetPackageType());
        if (name == "noblank")
            EXPECT_STREQ(parser.GetComponentName(), "");
    }
}

TEST(ReaderPort, ClauseEndRules)
{
    const struct {
        const char* first;
        const char* rest;
        const char* nodes;
    } cases[] = {
        {"port (TCK : in bit);", "next\n", "TCK(0):0 "},
        {"port (A : in bit;", "B : in bit;\nTDO : out bit);\nnext\n", "A(0):0 B(0):0 TDO(0):1 "},
        {"port (", "E : in bit_vector (0 to 1);\nD : in bit_vector (0 to 3));\nnext\n",
         "E(0):0 E(1):0 D(0):0 D(1):0 D(2):0 D(3):0 "},
        {"port (", "A : in bit;\nB : out bit;\n) ;\nnext\n", "A(0):0 B(0):1 "},
        {"port (", "A,\nB : in bit;\nC : out bit\n);\nnext\n", "A(0):0 B(0):0 C(0):1 "},
    };
    for (const auto& c : cases) {
        EntityProbe probe;
        std::string next;
        EXPECT_EQ(probe.Run(&EntityProbe::ReadPort, c.first, c.rest, next), BSDL_OK) << c.rest;
        EXPECT_EQ(next, "next") << c.rest;
        EXPECT_EQ(Nodes(probe), c.nodes);
    }
    EntityProbe unterminated;
    std::string next;
    EXPECT_EQ(unterminated.Run(&EntityProbe::ReadPort, "port (", "A : in bit;\n", next), BSDL_ERR_READ);
}

TEST(ReaderPort, EndTextKeptAcrossDeclarationsWithoutParentheses)
{
    // The end text is looked at again only when a declaration sets it: a
    // vector's range sets it to what follows, declarations without a
    // parenthesis leave it (and its verdict) as it was, and the clause ends
    // at the first declaration whose end text holds the closing ");".
    const struct {
        const char* first;
        const char* rest;
        const char* nodes;
        const char* next;
    } cases[] = {
        {"port (", "E : in bit_vector (0 to 1);\nA : in bit;\nB : out bit;\nD : in bit_vector (0 to 1));\nnext\n",
         "E(0):0 E(1):0 A(0):0 B(0):1 D(0):0 D(1):0 ", "next"},
        {"port (E : in bit_vector (0 to 1);", "A : in bit;\nB : out bit);\nnext\n", "E(0):0 E(1):0 A(0):0 B(0):1 ",
         "next"},
        {"port (", "E : in bit_vector (0 to 1));\nA : in bit;\n", "E(0):0 E(1):0 ", "A : in bit;"},
    };
    for (const auto& c : cases) {
        EntityProbe probe;
        std::string next;
        EXPECT_EQ(probe.Run(&EntityProbe::ReadPort, c.first, c.rest, next), BSDL_OK) << c.rest;
        EXPECT_EQ(next, c.next) << c.rest;
        EXPECT_EQ(Nodes(probe), c.nodes) << c.rest;
    }
}

TEST(ReaderPort, Declarations)
{
    const struct {
        const char* declaration;
        const char* nodes;
    } cases[] = {
        {"A, B, C : in bit;", "A(0):0 B(0):0 C(0):0 "},
        {"IO : inout bit_vector (7 downto 0);", "IO(7):2 IO(6):2 IO(5):2 IO(4):2 IO(3):2 IO(2):2 IO(1):2 IO(0):2 "},
        {"X, Y : INOUT bit;", "X(0):4 Y(0):4 "},
        // The second declaration's bit_vector makes the first one a vector.
        {"P : out bit; Q : in bit_vector (1 to 2);", "P(0):1 P(1):1 "},
        {"N : in bit_vector (-1 to 3);", ""},
        // Missing separators: no ':' gives no names; no ')' a right bound 0;
        // no '(' bounds read from the type text.
        {"A in bit;", ""},
        {"D : in bit_vector (2 to 5;", "D(2):0 D(1):0 D(0):0 "},
        {"V : in bit_vector 0 to 1);", "V(0):0 "},
        // A trailing comma adds no name, an empty name between commas does.
        {"A, , B, : in bit;", "A(0):0 (0):0 B(0):0 "},
        // Lists longer than one 16-byte look, commas on both sides of it.
        {"A,B,C,D,E,F,G,H,I,J : in bit;", "A(0):0 B(0):0 C(0):0 D(0):0 E(0):0 F(0):0 G(0):0 H(0):0 I(0):0 J(0):0 "},
        {"LONG_NAME_0 ,  LONG_NAME_1,,LONG_NAME_2 , : out bit;",
         "LONG_NAME_0(0):1 LONG_NAME_1(0):1 (0):1 LONG_NAME_2(0):1 "},
    };
    for (const auto& c : cases) {
        EntityProbe probe;
        std::string text = c.declaration;
        EXPECT_EQ(probe.CreatePort(&text[0]), BSDL_OK);
        EXPECT_EQ(Nodes(probe), c.nodes) << c.declaration;
        EXPECT_EQ(text, c.declaration);  // names are ended in place only while handed on
    }
    EntityProbe io;
    char first[] = "IO : inout bit_vector (7 downto 0);";
    char second[] = "X, Y : INOUT bit;";
    io.CreatePort(first);
    io.CreatePort(second);
    ASSERT_EQ(io.GetPinMap()->GetIOTypeCount(), 2);
    EXPECT_STREQ(io.GetPinMap()->GetIOName(0), "IO");
    EXPECT_STREQ(io.GetPinMap()->GetIOName(1), "X, Y");
}

TEST(ReaderPort, CeilingAndLongDeclarations)
{
    // A declaration that would go above the ceiling is refused whole.
    EntityProbe huge;
    char one[] = "A : in bit;";
    char wide[] = "W : inout bit_vector (0 to 2000000);";
    char many[] = "P, Q, R : in bit_vector (0 to 499999);";
    char extreme[] = "E : in bit_vector (0 to 2147483647);";
    EXPECT_EQ(huge.CreatePort(one), BSDL_OK);
    EXPECT_EQ(huge.CreatePort(wide), BSDL_ERR_NO_MEMORY);
    EXPECT_EQ(huge.CreatePort(many), BSDL_ERR_NO_MEMORY);
    EXPECT_EQ(huge.CreatePort(extreme), BSDL_ERR_NO_MEMORY);
    EXPECT_EQ(huge.GetPinMap()->GetNumberOfPins(), 1);
    EXPECT_EQ(huge.GetPinMap()->GetIOTypeCount(), 0);

    // Hundreds of names over many lines, far past a 1 KB statement.
    std::string text = kHeader + "port (\n";
    std::string expected;
    for (int i = 0; i < 600; ++i) {
        std::string name = "SIGNAL_NUMBER_" + std::to_string(i);
        text += name + (i + 1 < 600 ? ",\n" : " : in bit_vector (1 downto 0)\n");
        expected += name + "(1):0 " + name + "(0):0 ";
    }
    BScanParser parser;
    EXPECT_EQ(ReadText(parser, "longdecl", text + ");\nend CHIP;\n"), BSDL_OK);
    EXPECT_EQ(Nodes(parser), expected);
}

TEST(ReaderConstant, TypeWordTest)
{
    EntityProbe probe;
    std::string next;
    // A failing pin-map reader (the file ends inside the value) gives 0.
    EXPECT_EQ(probe.Run(&EntityProbe::ReadConstant, "constant PKG : PIN_MAP_STRING := \"A : 1,", "", next), BSDL_OK);
    // The type word followed by more characters: ignored, whatever the type.
    EXPECT_EQ(probe.Run(&EntityProbe::ReadConstant, "constant PIN_MAP_STRING_B : BOUNDARY_REGISTER :=",
                        "\"0 (BC_1, A, input, X)\";\n", next),
              BSDL_OK);
    EXPECT_EQ(next, "\"0 (BC_1, A, input, X)\";");
    // The statement is completed up to ":=" only.
    EXPECT_EQ(probe.Run(&EntityProbe::ReadConstant, "constant X : SOME_TYPE", ":=\n\"value\";\n", next), BSDL_OK);
    EXPECT_EQ(next, "\"value\";");

    // Through the body loop. A one-line port clause ends at its first
    // declaration's ')', so B is never declared.
    BScanParser parser;
    EXPECT_EQ(ReadText(parser, "pinmapconstant",
                       kHeader + "port (A : in bit; B : out bit);\n"
                                 "constant PKG : PIN_MAP_STRING := \"A : 7, \" &\n\"B : 9\";\nend CHIP;\n"),
              BSDL_OK);
    EXPECT_EQ(Nodes(parser), "A(0):0 ");
    EXPECT_EQ(parser.GetPinMap()->GetPinNumber("7"), 7);
}

TEST(ReaderPort, UsualLinesMixedWithOthers)
{
    // Usual declaration lines are taken whole from the stream's buffered
    // bytes; comments, blank lines, a declaration over two lines and one
    // over two physical reads go the general way, and the line count and
    // the I/O names come out the same.
    const std::string name = "F" + std::string(300, 'X');
    const std::string rest = "A : in bit;\n"
                             "\n"
                             "  B : inout bit; -- a comment\n"
                             "-- only a comment\n"
                             "C,\n"
                             "   D : out bit;\n"
                             "\tE : INOUT bit_vector (0 to 1);\r\n" +
                             name + " : in bit;\n"
                             ");\n"
                             "next\n";
    EntityProbe probe;
    std::string next;
    EXPECT_EQ(probe.Run(&EntityProbe::ReadPort, "port (", rest, next), BSDL_OK);
    EXPECT_EQ(next, "next");
    EXPECT_EQ(probe.GetLineNumber(), 11);
    const std::string longName = name.substr(0, 254) + " " + name.substr(254);
    EXPECT_EQ(Nodes(probe), "A(0):0 B(0):2 C(0):1 D(0):1 E(0):4 E(1):4 " + longName + "(0):0 ");
    ASSERT_EQ(probe.GetPinMap()->GetIOTypeCount(), 2);
    EXPECT_STREQ(probe.GetPinMap()->GetIOName(0), "B");
    EXPECT_STREQ(probe.GetPinMap()->GetIOName(1), "E");

    // Many inout declarations: every name kept, in order.
    std::string many;
    for (int i = 0; i < 200; ++i)
        many += "IO" + std::to_string(i) + " : inout bit;\n";
    EntityProbe io;
    EXPECT_EQ(io.Run(&EntityProbe::ReadPort, "port (", many + ");\nnext\n", next), BSDL_OK);
    ASSERT_EQ(io.GetPinMap()->GetIOTypeCount(), 200);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(std::string(io.GetPinMap()->GetIOName(i)), "IO" + std::to_string(i));
}

TEST(ReaderPort, UsualLineFormsAsDeclarations)
{
    // A line read by the port clause makes the same ports and I/O names as
    // the same text made into ports on its own: the one-walk reading of
    // the usual `NAME : mode bit;` line, and every look-alike it leaves to
    // the general steps (carriage returns, parentheses, vector types
    // without a range, extra separators, long names and mode words).
    const std::string longName = "N" + std::string(140, 'x');
    const std::string longMode = std::string(130, 'm');
    const std::string lines[] = {
        "A : in bit;", "a_b : inout bit;", "IO:inout bit;", "B :\tout\tbit;", "C : INOUT bit;",
        "D : inOUT bit;", "E : inou bit;", "F : inoutx bit;", "G : in0ut bit;", "H : in\r bit;",
        "I\r : in bit;", "J : in bit_vector;", "K : in bit)X;", "L : in (bit);", "M : in:x bit;",
        "N : in;", "O : buffer bit;", "P : linkage bit;", "Q R : in bit;", "S, : in bit;",
        "T : i bit;", "U : out bit ;", "V ::in bit;", "W: in bit;", "X :inout\nbit;",
        longName + " : inout bit;", "Y : " + longMode + " bit;", "Z : in my_bit_vector_t;",
        "A; : in bit;", "B : in; bit;", "C : ;", ": in bit;", "D :\tout\t \tbit_vector;",
    };
    for (const std::string& line : lines) {
        EntityProbe read;
        std::string next;
        read.Run(&EntityProbe::ReadPort, "port (", line + "\n);\nnext\n", next);
        EntityProbe made;
        std::string text = line;
        made.CreatePort(&text[0]);
        EXPECT_EQ(Nodes(read), Nodes(made)) << line;
        ASSERT_NE(read.GetPinMap(), nullptr) << line;
        ASSERT_EQ(read.GetPinMap()->GetIOTypeCount(), made.GetPinMap()->GetIOTypeCount()) << line;
        for (int i = 0; i < made.GetPinMap()->GetIOTypeCount(); ++i)
            EXPECT_STREQ(read.GetPinMap()->GetIOName(i), made.GetPinMap()->GetIOName(i)) << line;
    }
}

TEST(ReaderPort, PinNamesOfTwoPinMapStringsReplaceEachOther)
{
    // A later pin map string names the same nodes again: short names over
    // long ones (kept apart from the node) and long ones over short ones,
    // each node keeping the name given last, found by it.
    const std::string shortNames = "\"P : (B1, PIN_15_CHARACTR, B3, B4)\"";
    const std::string longNames = "\"P : (PIN_NAME_OF_16_CH, B2, A_MUCH_LONGER_PIN_NAME_THAN_A_NODE_HOLDS, C4)\"";
    const std::pair<std::string, std::string> orders[] = {{longNames, shortNames}, {shortNames, longNames}};
    for (const auto& order : orders) {
        BScanParser parser;
        ASSERT_EQ(ReadText(parser, "twopinmaps",
                           kHeader + "port (P : in bit_vector (0 to 3));\n"
                                     "constant PKG : PIN_MAP_STRING := " + order.first + ";\n"
                                     "constant PKG2 : PIN_MAP_STRING := " + order.second + ";\n"
                                     "end CHIP;\n"),
                  BSDL_OK);
        const std::string expected[] = {order.second == shortNames ? "B1" : "PIN_NAME_OF_16_CH",
                                        order.second == shortNames ? "PIN_15_CHARACTR" : "B2",
                                        order.second == shortNames ? "B3" : "A_MUCH_LONGER_PIN_NAME_THAN_A_NODE_HOLDS",
                                        order.second == shortNames ? "B4" : "C4"};
        const KObjList* list = parser.GetPinMap()->GetPinListArray();
        for (int i = 0; i < 4; ++i) {
            auto* node = static_cast<KPinNode*>(list->GetAt(i));
            ASSERT_NE(node->GetPinName(), nullptr);
            EXPECT_EQ(std::string(node->GetPinName()), expected[i]);
            EXPECT_EQ(parser.GetPinMap()->GetPort(expected[i].c_str()), node) << expected[i];
        }
    }
}
