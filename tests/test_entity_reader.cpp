// The entity reader: header and generic clause, the body loop and its
// keyword tests, the port clause with its end rule, port declarations and
// constant statements.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "parser/BScanParser.h"

namespace {

class EntityProbe : public BScanParser {
public:
    using BScanParser::CreatePort;
    using BScanParser::GetLine;
    using BScanParser::ReadConstant;
    using BScanParser::ReadPort;
};

std::string TempPath(const std::string& name)
{
    return ::testing::TempDir() + "reader_entity_" + name + ".bsdl";
}

std::string WriteTemp(const std::string& name, const std::string& content)
{
    std::string path = TempPath(name);
    FILE* f = std::fopen(path.c_str(), "w");
    EXPECT_NE(f, nullptr);
    if (f) {
        std::fputs(content.c_str(), f);
        std::fclose(f);
    }
    return path;
}

int ReadText(BScanParser& parser, const std::string& name, const std::string& content)
{
    std::string path = WriteTemp(name, content);
    int init = parser.Initialize(path.c_str(), BSCAN_MESSAGE_DIR);
    EXPECT_GE(init, 0);
    return parser.Read();
}

// The names, indexes and mode words of the nodes, as "NAME(index):type ...".
std::string Nodes(BScanParser& parser)
{
    std::string out;
    BScanPinMap* map = parser.GetPinMap();
    if (!map)
        return "<no pin map>";
    const KObjList* list = map->GetPinListArray();
    for (int i = 0; list && i < list->GetCount(); ++i) {
        auto* node = static_cast<KPinNode*>(list->GetAt(i));
        out += std::string(node->GetPortName() ? node->GetPortName() : "<null>") + "(" +
               std::to_string(node->GetVectorIndex()) + "):" + std::to_string(node->GetPortType()) + " ";
    }
    return out;
}

// Calls a reader on a stream holding `rest`, then reports the next line
// left on the stream ("<eof>" when there is none).
template <class Call>
std::string ReadThenNextLine(EntityProbe& probe, const std::string& name, const std::string& rest, Call call)
{
    std::string path = WriteTemp(name, rest);
    FILE* f = std::fopen(path.c_str(), "r");
    EXPECT_NE(f, nullptr);
    call(f);
    std::string next;
    if (probe.GetLine(f, next, nullptr) != BSDL_OK)
        next = "<eof>";
    std::fclose(f);
    return next;
}

const char* const kHeader = "entity CHIP is\ngeneric (PHYSICAL_PIN_MAP : string := \"PKG\");\n";

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

    // Numbered package: the pins are their own numbers, and a vector's
    // pins go to its elements in declaration order.
    EXPECT_EQ(map->GetPinNumber("4"), 4);
    ASSERT_NE(map->GetPort("5"), nullptr);
    EXPECT_EQ(map->GetPort("5")->GetVectorIndex(), 3);
    EXPECT_EQ(map->GetPort("11")->GetVectorIndex(), 2);
    EXPECT_EQ(parser.GetInstructionRegisterDescription()->GetInstructionLength(), 4);
}

TEST(ReaderEntity, FirstLineAndBodyKeywords)
{
    BScanParser upper;
    EXPECT_EQ(ReadText(upper, "upper", "-- comment\n\nENTITY CHIP is\nend CHIP;\n"), BSDL_ERR_SYNTAX);

    // Without a generic clause the header runs to the port clause's first ';'
    // and the next declaration begins with no keyword.
    BScanParser noGeneric;
    EXPECT_EQ(ReadText(noGeneric, "nogeneric",
                       "entity CHIP is\nport (\nA : in bit;\nB : out bit);\nend CHIP;\n"),
              BSDL_ERR_SYNTAX);
    EXPECT_STREQ(noGeneric.GetComponentName(), "CHIP");
    EXPECT_EQ(noGeneric.GetPinMap(), nullptr);

    BScanParser ampersand;
    EXPECT_EQ(ReadText(ampersand, "ampersand", std::string(kHeader) + "& \"x\";\nend CHIP;\n"),
              BSDL_ERR_SYNTAX);

    // "use" lines and stray string pieces are skipped; "end" is a prefix test.
    BScanParser skipped;
    EXPECT_EQ(ReadText(skipped, "skipped",
                       std::string(kHeader) + "use STD.all;\n\"stray piece\" &\nendpoint\nnot read\n"),
              BSDL_OK);
    EXPECT_STREQ(skipped.GetPackageType(), "pkg");

    // A file without an end line runs into the end of the file.
    BScanParser noEnd;
    int result = ReadText(noEnd, "noend", std::string(kHeader) + "use STD.all;\n");
    EXPECT_TRUE(result == BSDL_ERR_READ || result == BSDL_ERR_END_OF_FILE) << result;

    // An entity whose name holds "generic" gets a pin map but no package.
    BScanParser genericName;
    EXPECT_EQ(ReadText(genericName, "genericname", "entity genericCHIP is end;\nend genericCHIP;\n"), BSDL_OK);
    EXPECT_NE(genericName.GetPinMap(), nullptr);
    EXPECT_EQ(genericName.GetPackageType(), nullptr);
}

TEST(ReaderEntity, EntityNameWithoutFollowingBlank)
{
    // The name is cut at a blank that is not there: it is read as empty,
    // and the reading goes on.
    BScanParser parser;
    EXPECT_EQ(ReadText(parser, "noblank", "entity CHIP;\nuse STD.all;\nend CHIP;\n"), BSDL_OK);
    EXPECT_STREQ(parser.GetComponentName(), "");
}

TEST(ReaderPort, ClauseEndRules)
{
    // The clause on one line.
    EntityProbe oneLine;
    char line1[] = "port (TCK : in bit);";
    EXPECT_EQ(ReadThenNextLine(oneLine, "oneline", "next\n",
                               [&](FILE* f) { EXPECT_EQ(oneLine.ReadPort(f, line1), BSDL_OK); }),
              "next");
    EXPECT_EQ(Nodes(oneLine), "TCK(0):0 ");

    // A scalar last declaration closing the clause.
    EntityProbe scalarLast;
    char line2[] = "port (A : in bit;";
    EXPECT_EQ(ReadThenNextLine(scalarLast, "scalarlast", "B : in bit;\nTDO : out bit);\nnext\n",
                               [&](FILE* f) { EXPECT_EQ(scalarLast.ReadPort(f, line2), BSDL_OK); }),
              "next");
    EXPECT_EQ(Nodes(scalarLast), "A(0):0 B(0):0 TDO(0):1 ");

    // A vector last declaration closing the clause; a vector that is not
    // last does not.
    EntityProbe vectorLast;
    char line3[] = "port (";
    EXPECT_EQ(ReadThenNextLine(vectorLast, "vectorlast",
                               "E : in bit_vector (0 to 1);\nD : in bit_vector (0 to 3));\nnext\n",
                               [&](FILE* f) { EXPECT_EQ(vectorLast.ReadPort(f, line3), BSDL_OK); }),
              "next");
    EXPECT_EQ(Nodes(vectorLast), "E(0):0 E(1):0 D(0):0 D(1):0 D(2):0 D(3):0 ");

    // ")" and ";" on a line of their own, also written with a blank.
    EntityProbe ownLine;
    char line4[] = "port (";
    EXPECT_EQ(ReadThenNextLine(ownLine, "ownline", "A : in bit;\nB : out bit;\n) ;\nnext\n",
                               [&](FILE* f) { EXPECT_EQ(ownLine.ReadPort(f, line4), BSDL_OK); }),
              "next");
    EXPECT_EQ(Nodes(ownLine), "A(0):0 B(0):1 ");

    // A declaration running over two lines is one declaration.
    EntityProbe twoLines;
    char line5[] = "port (";
    EXPECT_EQ(ReadThenNextLine(twoLines, "twolines", "A,\nB : in bit;\nC : out bit\n);\nnext\n",
                               [&](FILE* f) { EXPECT_EQ(twoLines.ReadPort(f, line5), BSDL_OK); }),
              "next");
    EXPECT_EQ(Nodes(twoLines), "A(0):0 B(0):0 C(0):1 ");

    // The file ending inside the clause.
    EntityProbe unterminated;
    char line6[] = "port (";
    std::string path = WriteTemp("unterminated", "A : in bit;\n");
    FILE* f = std::fopen(path.c_str(), "r");
    int result = unterminated.ReadPort(f, line6);
    std::fclose(f);
    EXPECT_TRUE(result == BSDL_ERR_READ || result == BSDL_ERR_END_OF_FILE) << result;
}

TEST(ReaderPort, Declarations)
{
    EntityProbe p;
    char names[] = "A, B, C : in bit;";
    EXPECT_EQ(p.CreatePort(names), BSDL_OK);
    char vector[] = "IO : inout bit_vector (7 downto 0);";
    EXPECT_EQ(p.CreatePort(vector), BSDL_OK);
    char upper[] = "X, Y : INOUT bit;";
    EXPECT_EQ(p.CreatePort(upper), BSDL_OK);
    // Two declarations on one line: the names before the first ':' with the
    // first mode word, and the second declaration's bit_vector makes them
    // vectors.
    char twoOnOne[] = "P : out bit; Q : in bit_vector (1 to 2);";
    EXPECT_EQ(p.CreatePort(twoOnOne), BSDL_OK);
    EXPECT_EQ(Nodes(p),
              "A(0):0 B(0):0 C(0):0 IO(7):2 IO(6):2 IO(5):2 IO(4):2 IO(3):2 IO(2):2 IO(1):2 IO(0):2 "
              "X(0):4 Y(0):4 P(0):1 P(1):1 ");
    BScanPinMap* map = p.GetPinMap();
    ASSERT_EQ(map->GetIOTypeCount(), 2);
    EXPECT_STREQ(map->GetIOName(0), "IO");
    EXPECT_STREQ(map->GetIOName(1), "X, Y");

    // A negative bound makes nothing.
    EntityProbe negative;
    char neg[] = "N : in bit_vector (-1 to 3);";
    EXPECT_EQ(negative.CreatePort(neg), BSDL_OK);
    EXPECT_EQ(negative.GetPinMap()->GetNumberOfPins(), 0);
}

TEST(ReaderPort, MalformedDeclarations)
{
    // Without ':' the names list is empty: no port, no failure.
    EntityProbe noColon;
    char d1[] = "A in bit;";
    EXPECT_EQ(noColon.CreatePort(d1), BSDL_OK);
    ASSERT_NE(noColon.GetPinMap(), nullptr);
    EXPECT_EQ(noColon.GetPinMap()->GetNumberOfPins(), 0);

    // A range without ')': the right bound reads as 0.
    EntityProbe noClose;
    char d2[] = "D : in bit_vector (2 to 5;";
    EXPECT_EQ(noClose.CreatePort(d2), BSDL_OK);
    EXPECT_EQ(Nodes(noClose), "D(2):0 D(1):0 D(0):0 ");

    // A range without '(' reads its bounds from the type text itself.
    EntityProbe noOpen;
    char d3[] = "V : in bit_vector 0 to 1);";
    EXPECT_EQ(noOpen.CreatePort(d3), BSDL_OK);
    EXPECT_EQ(noOpen.GetPinMap()->GetNumberOfPins(), 1);

    // A trailing comma adds no name; an empty name between commas does.
    EntityProbe commas;
    char d4[] = "A, , B, : in bit;";
    EXPECT_EQ(commas.CreatePort(d4), BSDL_OK);
    EXPECT_EQ(Nodes(commas), "A(0):0 (0):0 B(0):0 ");
}

TEST(ReaderPort, CeilingAndLongDeclarations)
{
    // A declaration that would go above the ceiling is refused whole.
    EntityProbe huge;
    char one[] = "A : in bit;";
    EXPECT_EQ(huge.CreatePort(one), BSDL_OK);
    char wide[] = "W : inout bit_vector (0 to 2000000);";
    EXPECT_EQ(huge.CreatePort(wide), BSDL_ERR_NO_MEMORY);
    char many[] = "P, Q, R : in bit_vector (0 to 499999);";
    EXPECT_EQ(huge.CreatePort(many), BSDL_ERR_NO_MEMORY);
    char extreme[] = "E : in bit_vector (0 to 2147483647);";
    EXPECT_EQ(huge.CreatePort(extreme), BSDL_ERR_NO_MEMORY);
    EXPECT_EQ(huge.GetPinMap()->GetNumberOfPins(), 1);
    EXPECT_EQ(huge.GetPinMap()->GetIOTypeCount(), 0);

    // Hundreds of names over many lines, far past a 1 KB statement.
    std::string text = std::string(kHeader) + "port (\n";
    std::string expected;
    for (int i = 0; i < 600; ++i) {
        std::string name = "SIGNAL_NUMBER_" + std::to_string(i);
        text += name + (i + 1 < 600 ? ",\n" : " : in bit_vector (1 downto 0)\n");
        expected += name + "(1):0 " + name + "(0):0 ";
    }
    text += ");\nend CHIP;\n";
    BScanParser parser;
    EXPECT_EQ(ReadText(parser, "longdecl", text), BSDL_OK);
    EXPECT_EQ(Nodes(parser), expected);
}

TEST(ReaderConstant, TypeWordTest)
{
    // A failing pin-map reader (the file ends inside the value) still gives 0.
    EntityProbe failing;
    char c1[] = "constant PKG : PIN_MAP_STRING := \"A : 1,";
    EXPECT_EQ(ReadThenNextLine(failing, "pinmapfails", "",
                               [&](FILE* f) { EXPECT_EQ(failing.ReadConstant(f, c1), BSDL_OK); }),
              "<eof>");

    // A name holding the type word followed by more characters: ignored,
    // whatever its type; the value's pieces are left for the body loop.
    EntityProbe named;
    char c2[] = "constant PIN_MAP_STRING_B : BOUNDARY_REGISTER :=";
    EXPECT_EQ(ReadThenNextLine(named, "typename", "\"0 (BC_1, A, input, X)\";\n",
                               [&](FILE* f) { EXPECT_EQ(named.ReadConstant(f, c2), BSDL_OK); }),
              "\"0 (BC_1, A, input, X)\";");

    // The statement is completed up to ":=" only.
    EntityProbe split;
    char c3[] = "constant X : SOME_TYPE";
    EXPECT_EQ(ReadThenNextLine(split, "split", ":=\n\"value\";\n",
                               [&](FILE* f) { EXPECT_EQ(split.ReadConstant(f, c3), BSDL_OK); }),
              "\"value\";");

    // A constant of type PIN_MAP_STRING read through the whole file. The
    // one-line port clause ends at its first declaration's ')', so B is
    // never declared and its pin goes nowhere.
    BScanParser parser;
    EXPECT_EQ(ReadText(parser, "pinmapconstant",
                       std::string(kHeader) +
                           "port (A : in bit; B : out bit);\n"
                           "constant PKG : PIN_MAP_STRING := \"A : 7, \" &\n\"B : 9\";\nend CHIP;\n"),
              BSDL_OK);
    EXPECT_EQ(Nodes(parser), "A(0):0 ");
    EXPECT_EQ(parser.GetPinMap()->GetPinNumber("7"), 7);
    BScanParser parser2;
    EXPECT_EQ(ReadText(parser2, "pinmapconstant2",
                       std::string(kHeader) +
                           "port (A : in bit;\nB : out bit);\n"
                           "constant PKG : PIN_MAP_STRING := \"A : 7, \" &\n\"B : 9\";\nend CHIP;\n"),
              BSDL_OK);
    EXPECT_EQ(parser2.GetPinMap()->GetPinNumber("7"), 7);
    EXPECT_EQ(parser2.GetPinMap()->GetPinNumber("9"), 9);
}
