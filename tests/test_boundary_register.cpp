// BOUNDARY_LENGTH and BOUNDARY_REGISTER readers, called directly on
// temporary files that hold the lines following the statement's head.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>

#include "parser/BScanParser.h"

#include "ReaderRun.h"

namespace {

class RegisterParser : public BScanParser {
public:
    using BScanParser::m_differentialPairs;
    using BScanParser::m_pinMap;

    explicit RegisterParser(int length = 0, const char* ports = "A:in")
    {
        if (length < 0)
            return;                                 // no pin map
        m_pinMap = new BScanPinMap();
        for (std::string list = ports; !list.empty();) {
            std::string port = list.substr(0, list.find(' '));
            list.erase(0, port.size() + 1);
            std::string name = port.substr(0, port.find(':')), type = port.substr(name.size() + 1);
            m_pinMap->AddNewPorts(&name[0], &type[0], 1, true);
        }
        if (length > 0)
            m_pinMap->AllocateBScanCellTable(length);
    }
    int Length(std::string head, const char* lines = "") { return Run(true, head, lines); }
    int Register(const std::string& lines, std::string head = "attribute BOUNDARY_REGISTER of D : entity is")
    {
        return Run(false, head, lines);
    }
    void AddPair(const char* positive, const char* negative)
    {
        m_differentialPairs.emplace_back();
        m_differentialPairs.back().SetPositiveElement(positive);
        m_differentialPairs.back().SetNegativeElement(negative);
    }
    KBScanCell* Cell(int number) { return m_pinMap->GetBScanCell(number); }
    KPinNode* Port(std::string name) { return m_pinMap->GetPortwName(&name[0]); }
    // position type function safe value control disable disabled-state pin/original
    std::string Describe(int number)
    {
        const KBScanCell* c = Cell(number);
        const KBScanCell* control = c->GetControlCell();
        char text[120];
        std::snprintf(text, sizeof text, "%d t%d f%d s%d v%d c%d d%d r%d ", c->GetBoundaryCellPosition(),
                      c->GetBScanCellType(), c->GetFunction(), c->m_safeValue, c->m_value,
                      control ? control->GetBoundaryCellPosition() : -1, c->m_disableValue, c->m_disableResult);
        return text + std::string(c->GetPinName()) + "/" + c->GetOriginalPinName();
    }
    int Bits(int byte) { return m_pinMap->GetBScanBitArray()[byte]; }

private:
    int Run(bool length, std::string& head, const std::string& lines)
    {
        return bscan_test::RunReader(lines, [&](FILE* file) {
            return length ? ReadBSCANBoundaryLength(file, &head[0]) : ReadBSCANBoundaryRegister(file, &head[0]);
        });
    }
};

const std::string kLength = "attribute BOUNDARY_LENGTH of D : entity is ";

}  // namespace

TEST(BoundaryLengthReader, SizesTheTableOrRefusesTheNumber)
{
    EXPECT_EQ(RegisterParser(-1).Length(kLength + "0;"), BSDL_ERR_NO_PIN_MAP);
    RegisterParser parser;
    EXPECT_EQ(parser.Length(kLength, "  10;\n"), BSDL_OK);
    EXPECT_EQ(parser.m_pinMap->GetBScanLength(), 10);
    EXPECT_EQ(parser.Length("attribute BOUNDARY_LENGTH of " + std::string(3000, 'E') + " : entity is +7 ;"), 0);
    EXPECT_EQ(parser.m_pinMap->GetBScanLength(), 7);
    for (const char* value : {"0", "abc", "-5", "1000001", "2147483648", "99999999999999999999999"}) {
        EXPECT_EQ(parser.Length(kLength + value + ";"), BSDL_ERR_BAD_VALUE) << value;
        EXPECT_EQ(parser.m_pinMap->GetBScanLength(), 7) << value;
    }
    EXPECT_EQ(parser.Length(kLength, "10\n"), BSDL_ERR_READ);
}

TEST(BoundaryRegisterReader, StoresEntriesWithTheirCommentNames)
{
    RegisterParser parser(12, "A:in B:inout D:out");
    EXPECT_EQ(parser.Register("\"\" & -- GHOST\n"
                              "\"0 (BC_1, *, control, 1),\" &\n"
                              "\"5 (BC_1, B, output3, X, 0, 1, Z), \" & -- PAD-1 2\n"
                              "\"2 (bc_2, a, Input, x),\" &\n"
                              "\"3 (BC_7, B, bidir, 0, 0, 0, pull1),\" &\n"
                              "\"4 ( BC_1 , D ( 3 ) , output2 , 1 , 0 , 0 , Weak0 ) \" & -- LAST\n"
                              "\", 6 (BC_1, *, \" & -- Q7\n"
                              "\"internal, 1) \" & -- \n"
                              "\", \"; -- TAIL\n"),
              BSDL_OK);
    EXPECT_EQ(parser.Describe(0), "0 t1 f4 s1 v1 c-1 d1 r3 /");
    EXPECT_EQ(parser.Describe(5), "5 t1 f3 s2 v2 c0 d1 r3 B/PAD12");
    EXPECT_EQ(parser.Describe(2), "2 t2 f0 s2 v2 c-1 d1 r3 A/");
    EXPECT_EQ(parser.Describe(3), "3 t7 f7 s0 v0 c0 d0 r5 B/");
    // No port D(3), named all the same; its comment stands behind it without comma.
    EXPECT_EQ(parser.Describe(4), "4 t1 f2 s1 v1 c0 d0 r6 D3/LAST");
    // A comment inside an unfinished entry becomes part of its text.
    EXPECT_EQ(parser.Describe(6), "6 t1 f11 s1 v1 c-1 d1 r3 /TAIL");
    EXPECT_EQ(parser.Describe(1), "-1 t8 f11 s2 v2 c-1 d1 r3 /");
    EXPECT_EQ(parser.Cell(5)->GetPinNode(), parser.Port("B"));
    EXPECT_EQ(parser.Port("B")->GetBScanCells()->GetCount(), 2);
    EXPECT_EQ(parser.m_pinMap->GetBScanCellByOriginalName("GHOST"), nullptr);
    EXPECT_EQ(parser.Bits(0), 0x80 | 0x08 | 0x02);  // cells 0, 4 and 6 hold 1
}

TEST(BoundaryRegisterReader, FailureCodesAndWhatStaysStored)
{
    const struct {
        const char* lines;
        int result;
        int bits;                                   // cells 0..3 that ended up stored
    } cases[] = {
        {"\"0 (BC_1, *, internal, 1), 1 (BC_1, *, internal, Q), 2 (BC_1, *, internal, 1)\";\n", -8, 0x8},
        {"\"0 (BC_1, *, internal, 1), 1 (BC_1, *, output3, X, 0, X, Z)\";\n", -8, 0x8},
        {"\"0 (BC_1, *, internal, 1), 1 (BC_1, *, output3, X, 0, 1, HIGH)\";\n", -8, 0x8},
        {"\"0 (BC_1, *, internal, 1), 1 (BC_1, *, output3, X, 0)\";\n", -8, 0x8},       // five fields
        {"\"0 (BC_1, *, internal, 1), 1 (BC_1, *, output3, X, 0, 1)\";\n", -8, 0x8},    // six fields
        {"\"0 (BC_1, *, internal, 1), 9 (BC_1, *, internal, 1), 2 (BC_1, *, internal, 1)\";\n", -1, 0x8},
        {"\"0 (BC_1, A, output3, 1, 3, 0, Z), 2 (BC_1, *, internal, 1)\";\n", -1, 0x8},  // stored, not listed
        {"\"0 (BC_1, *, internal, 1) 1 (BC_1, *, internal, 1)\";\n", -8, 0},            // no comma
        {"\"0 (BC_1, *, internal, 1)), 1 (BC_1, *, internal, 1)\";\n", -8, 0},
        {"\"0 BC_1, *, internal, 1), 1 (BC_1, *, internal, 1)\";\n", -8, 0},
        {"\"\" & -- only a comment\n\"\";\n", -8, 0},
        {"\"0 (BC_1, *, internal, 1),\" & \n", -3, 0},
        {"\"0 (BC_1, *, internal, 1), 1 (BC_1, *, internal, 1),\";\n", 0, 0xC},
    };
    for (const auto& c : cases) {
        RegisterParser parser(4);
        EXPECT_EQ(parser.Register(c.lines), c.result) << c.lines;
        int stored = 0;
        for (int i = 0; i < 4; ++i)
            stored |= parser.Cell(i)->GetBoundaryCellPosition() == i ? 8 >> i : 0;
        EXPECT_EQ(stored, c.bits) << c.lines;
        EXPECT_EQ(parser.Bits(0), c.bits << 4) << c.lines;
        EXPECT_EQ(parser.Port("A")->GetBScanCells(), nullptr);
    }
    // Phase 1 is checked before the pin map; no table refuses every cell.
    EXPECT_EQ(RegisterParser(-1).Register("\"0 (BC_1, *, internal, 1) 1\";\n"), -8);
    EXPECT_EQ(RegisterParser(-1).Register("\"0 (BC_1, *, internal, 1)\";\n"), -9);
    EXPECT_EQ(RegisterParser(0).Register("\"0 (BC_1, *, internal, 1)\";\n"), -1);
}

TEST(BoundaryRegisterReader, LongEntriesAndHeadsAreReadWhole)
{
    const std::string port(240, 'P');
    RegisterParser parser(4, (port + ":in").c_str());
    std::string lines = "\"1 (BC_1,\" &\n\"" + port + "\" &\n";
    for (int i = 0; i < 400; ++i)
        lines += "\"  \" &\n";                      // the entry's text grows far beyond a line
    lines += "\", input, 1)\"; -- PIN-1\n";
    EXPECT_EQ(parser.Register(lines), BSDL_OK);
    EXPECT_EQ(parser.Describe(1), "1 t1 f0 s1 v1 c-1 d1 r3 " + port + "/PIN1");
    EXPECT_EQ(parser.Register("", "attribute BOUNDARY_REGISTER of " + std::string(3000, 'E') +
                                      " : entity is \"2 (BC_1, *, internal, 1)\";"), BSDL_OK);
    EXPECT_EQ(parser.Cell(2)->m_value, SIGNAL_HIGH);
}

TEST(BoundaryRegisterReader, DifferentialPairEdges)
{
    // CKN at cell 0 (no cell -1) names no port; RXP has no control cell.
    RegisterParser parser(6, "CKP:out RXP:in RXN:in");
    parser.AddPair("ZP", "ZN");                     // no positive cell: passed over
    parser.AddPair("CKP", "CKN");
    parser.AddPair("rxp", "rxn");
    EXPECT_EQ(parser.Register("\"5 (BC_1, *, control, 1), 4 (BC_1, CKP, output3, X, 5, 1, Z),\" &\n"
                              "\"3 (BC_1, RXP, input, X),\" & \n"
                              "\"2 (BC_1, *, internal, 0), 1 (BC_1, *, internal, 1),\" & -- rx-n\n"
                              "\"0 (BC_1, *, internal, 0)\"; -- CKN\n"),
              BSDL_OK);
    EXPECT_EQ(parser.GetDifferentialPair(0)->GetPositiveBScanPosition(), -1);
    EXPECT_EQ(parser.Describe(0), "0 t1 f3 s2 v2 c5 d1 r3 CKN/CKN");
    EXPECT_EQ(parser.Cell(0)->GetPinNode(), parser.Port("CKP"));
    EXPECT_EQ(parser.Port("CKP")->GetBScanCells()->GetCount(), 1);
    EXPECT_EQ(parser.Describe(1), "1 t1 f0 s2 v2 c-1 d1 r3 rxn/rxn");
    EXPECT_EQ(parser.Cell(1)->GetPinNode(), parser.Port("RXN"));
    EXPECT_EQ(parser.Describe(2), "2 t1 f6 s0 v0 c-1 d1 r3 /");
    EXPECT_EQ(parser.Bits(0), 0x44);                // phase 3 writes no bit

    // Phase 3 follows a failing phase 2; an unresolved pair drops all pairs.
    RegisterParser dropped(4, "AP:in AN:in");
    dropped.AddPair("AP", "AN");
    dropped.AddPair("AP", "BN");
    dropped.Port("AP")->SetPositive(true);
    dropped.Port("AN")->SetNegative(true);
    EXPECT_EQ(dropped.Register("\"0 (BC_1, AP, input, X), 1 (BC_1, *, internal, X),\" & -- AN\n"
                               "\"2 (BC_1, *, internal, Q)\"; -- BN\n"), BSDL_ERR_BAD_VALUE);
    EXPECT_EQ(dropped.GetDifferentialPairCount(), 0);
    EXPECT_FALSE(dropped.Port("AP")->IsPositive());
    EXPECT_FALSE(dropped.Port("AN")->IsNegative());
    EXPECT_EQ(dropped.Describe(1), "1 t1 f0 s2 v2 c-1 d1 r3 AN/AN");
}

TEST(BoundaryRegisterReader, CommentNamesGoToTheEntryCompletedLast)
{
    // The comment names of all entries are kept side by side: a later comment
    // renames the entry before it, long names stay whole, an entry without a
    // comment has the empty name.
    const std::string longName(100, 'L');
    RegisterParser parser(4);
    EXPECT_EQ(parser.Register("\"0 (BC_1, *, internal, 1)\" & -- FIRST\n"
                              "\"\" & -- SECOND\n"
                              "\", 1 (BC_1, *, internal, 1),\" & -- " + longName + "\n"
                              "\"2 (BC_1, *, internal, 0),\" &\n"
                              "\"3 (BC_1, *, internal, 0)\"; -- L-A-S-T\n"),
              BSDL_OK);
    EXPECT_STREQ(parser.Cell(0)->GetOriginalPinName(), "SECOND");
    EXPECT_STREQ(parser.Cell(1)->GetOriginalPinName(), longName.c_str());
    EXPECT_STREQ(parser.Cell(2)->GetOriginalPinName(), "");
    EXPECT_STREQ(parser.Cell(3)->GetOriginalPinName(), "LAST");
    EXPECT_EQ(parser.m_pinMap->GetBScanCellByOriginalName("FIRST"), nullptr);
}

TEST(BoundaryRegisterReader, FieldsAreFoundWhereverTheyFallInTheText)
{
    // The same entries with 0 to 40 blanks between their tokens, so that
    // their parentheses, commas and ends fall at every offset of the text,
    // near its start and its end. The tokens are written three to a quoted
    // piece, which keeps every line short of the physical line length.
    const char* tokens[] = {"1", "(", "BC_7", ",", "a", "(", "2", ")", ",", "bidir", ",", "X", ",", "0", ",",
                            "0", ",", "Weak1", ")", ",", "0", "(BC_1,*,control,1)"};
    std::string expected[2];
    for (int pad = 0; pad <= 40; ++pad) {
        std::string lines = "\"";
        for (size_t i = 0; i < sizeof tokens / sizeof tokens[0]; ++i) {
            lines += tokens[i];
            lines += i % 3 == 2 ? "\" &\n\"" : std::string(static_cast<size_t>(pad), ' ');
            if (i == 19)
                lines += "\" & -- N-1" + std::string(static_cast<size_t>(pad), ' ') + "2 *\n\"";
        }
        lines += "\";\n";
        RegisterParser parser(3, "A:inout");
        EXPECT_EQ(parser.Register(lines), BSDL_OK) << pad;
        for (int cell = 0; cell < 2; ++cell) {
            if (pad == 0)
                expected[cell] = parser.Describe(cell);
            EXPECT_EQ(parser.Describe(cell), expected[cell]) << pad;
        }
    }
    EXPECT_EQ(expected[1], "1 t7 f7 s2 v2 c0 d0 r7 A2/N12");
    EXPECT_EQ(expected[0], "0 t1 f4 s1 v1 c-1 d1 r3 /");
}

TEST(BoundaryRegisterReader, UsualEntriesAndTheirVariantsReadAlike)
{
    // Entries in their most common writing and in writings that differ in
    // white space, leading zeros, signs or case: every cell comes out the
    // same.
    const char* writings[] = {
        "\"1 (BC_7, A(2), bidir, X, 0, 0, WEAK1), 0 (BC_1, *, control, 1)\";\n",
        "\"1(BC_7,A(2),bidir,X,0,0,WEAK1),0(BC_1,*,control,1)\";\n",
        "\"1\t(BC_7,\tA(2), bidir, X, 0, 0, WEAK1), 0 (BC_1, *, control, 1)\";\n",
        "\"000000001 (BC_7, A(2), bidir, x, +0, 0, weak1), 0 (BC_1, * , control, 1)\";\n",
        "\"1 (BC_7, A ( 2 ), bidir, X, 00, 0, Weak1), 0 (BC_1, *x, control, 1)\";\n",
        "\"1 (BC_7, A(2), bidir, X, 0, 0, WEAK1)  ,  0 (BC_1, *, control, 1 )\";\n",
    };
    std::string expected[2];
    for (const char* lines : writings) {
        RegisterParser parser(3, "A:inout");
        EXPECT_EQ(parser.Register(lines), BSDL_OK) << lines;
        for (int cell = 0; cell < 2; ++cell) {
            if (expected[cell].empty())
                expected[cell] = parser.Describe(cell);
            EXPECT_EQ(parser.Describe(cell), expected[cell]) << lines;
        }
    }
    EXPECT_EQ(expected[1], "1 t7 f7 s2 v2 c0 d0 r7 A2/");

    // Five, six or eight fields, a safe value the table does not know and
    // a word the usual writing does not hold are read by the general rules.
    const char* refused[] = {"\"1 (BC_7, A(2), bidir, X, 0)\";\n", "\"1 (BC_7, A(2), bidir, X, 0, 0)\";\n",
                             "\"1 (BC_7, A(2), bidir, X, 0, 0, Z, Z)\";\n", "\"1 (BC_7, A(2), bidir, Q)\";\n",
                             "\"1 (BC_7, A(2), bidir, X, 0, 0, WEAK2)\";\n"};
    for (const char* lines : refused) {
        RegisterParser parser(3, "A:inout");
        EXPECT_EQ(parser.Register(lines), BSDL_ERR_BAD_VALUE) << lines;
    }
    RegisterParser plus(3, "A:inout");
    EXPECT_EQ(plus.Register("\"1 (BC+7, A(2), bid!r, X)\";\n"), BSDL_OK);
    EXPECT_NE(plus.Describe(1).find(" A2/"), std::string::npos) << plus.Describe(1);
}

TEST(BoundaryRegisterReader, EntriesWithAndWithoutBlanksAroundFieldsReadAlike)
{
    // Usual entries are walked a short way when each field is directly
    // followed by its comma and has at most one blank before it, and the
    // full way otherwise: blanks before a comma, two blanks before a field,
    // a blank after '(' or before ')' and a port "*" or a vector element at
    // each of these places must all give the same cells.
    const char* writings[] = {
        "\"2 (BC_1, *, control, 1), 1 (BC_7, A(2), bidir, X, 2, 0, PULL0)\";\n",
        "\"2 (BC_1,*,control,1),1 (BC_7,A(2),bidir,X,2,0,PULL0)\";\n",
        "\"2 ( BC_1, *, control, 1 ), 1 (BC_7 , A(2) , bidir, X, 2 , 0, PULL0 )\";\n",
        "\"2 (BC_1,  *, control,  1), 1 (BC_7,  A(2),bidir,  X,2,  0,  PULL0)\";\n",
        "\"2 (BC_1, * ,control, 1), 1 (  BC_7, A(2),  bidir , X, 2, 0,pull0)\";\n",
    };
    std::string expected[3];
    for (const char* lines : writings) {
        RegisterParser parser(3, "A:inout");
        EXPECT_EQ(parser.Register(lines), BSDL_OK) << lines;
        for (int cell = 1; cell < 3; ++cell) {
            if (expected[cell].empty())
                expected[cell] = parser.Describe(cell);
            EXPECT_EQ(parser.Describe(cell), expected[cell]) << lines;
        }
    }
    EXPECT_EQ(expected[1], "1 t7 f7 s2 v2 c2 d0 r4 A2/");
    EXPECT_EQ(expected[2], "2 t1 f4 s1 v1 c-1 d1 r3 /");

    // A port with a blank before its index, or a field left empty, is not
    // in the usual form whichever walk meets it.
    RegisterParser spaced(3, "A:inout");
    EXPECT_EQ(spaced.Register("\"1 (BC_7, A (2), bidir, X)\";\n"), BSDL_OK);
    EXPECT_EQ(spaced.Describe(1).substr(0, 6), "1 t7 f");
    RegisterParser empty(3, "A:inout");
    EXPECT_EQ(empty.Register("\"1 (BC_7, , bidir, X)\";\n"), empty.Register("\"1 (BC_7,, bidir, X)\";\n"));
}

TEST(BoundaryRegisterReader, EntryNumbersOfAnyDigitCountGiveTheSameCell)
{
    // Leading zeros make the numbers one to twelve digits long; entries of
    // up to eight digits are read in their usual form, longer ones the
    // general way, and the last entry of a value has no bytes behind it.
    RegisterParser plain(12, "A:in B:out");
    ASSERT_EQ(plain.Register("\"5 (BC_1, A, input, 1), 11 (BC_2, B, output2, 0)\";"), 0);
    for (size_t zeros = 0; zeros < 12; ++zeros) {
        const std::string pad(zeros, '0');
        RegisterParser parser(12, "A:in B:out");
        EXPECT_EQ(parser.Register("\"" + pad + "5 (BC_1, A, input, 1), " + pad + "11(BC_2, B, output2, 0)\";"), 0)
            << zeros;
        EXPECT_EQ(parser.Describe(5), plain.Describe(5)) << zeros;
        EXPECT_EQ(parser.Describe(11), plain.Describe(11)) << zeros;
        EXPECT_EQ(parser.Bits(0), plain.Bits(0)) << zeros;
        EXPECT_EQ(parser.Bits(1), plain.Bits(1)) << zeros;
    }
    RegisterParser parser(12, "A:in");
    EXPECT_EQ(parser.Register("\"12345678 (BC_1, A, input, 1)\";"), -1);
}

TEST(BoundaryRegisterReader, PinNamesAndControlCellsComeOutAlikeInEveryWriting)
{
    // Port names of every length (short ones, ones just below and above the
    // length put together on the stack, long ones), scalar or indexed, in
    // lower case or not, and control cells of several writings: the usual
    // writing gives the cells the writing with a blank before each comma
    // (read the long way) gives, and the pin name is the upper-cased port
    // name with its index.
    for (size_t length : {1, 3, 8, 15, 16, 40, 51, 52, 53, 60, 80}) {
        const std::string lower(length, 'p');
        const std::string upper(length, 'P');
        const std::string ports = lower + ":inout " + upper + "V:inout";
        const std::pair<const char*, const char*> controls[] = {
            {"0", "c0 d0"}, {"2", "c2 d0"}, {"0002", "c2 d0"}, {"+2", "c2 d0"}, {"2x", "c2 d0"},
            {"-1", "c-1 d1"}};  // no control cell: the disable value stays
        for (const auto& control : controls) {
            const std::string c = control.first;
            const std::string entries[2] = {
                "\"2 (BC_1, *, control, 1), 1 (BC_7, " + lower + ", bidir, X, " + c + ", 0, Z), 0 (BC_2, " +
                    upper + "V(17), output3, 0, " + c + ", 1, z)\";\n",
                "\"2 (BC_1 , * , control , 1), 1 (BC_7 , " + lower + " , bidir , X , " + c + " , 0 , Z), 0 (BC_2 , " +
                    upper + "V(17) , output3 , 0 , " + c + " , 1 , z)\";\n"};
            std::string expected[3];
            for (const std::string& lines : entries) {
                RegisterParser parser(3, ports.c_str());
                ASSERT_EQ(parser.Register(lines), BSDL_OK) << lines;
                for (int cell = 0; cell < 3; ++cell) {
                    if (expected[cell].empty())
                        expected[cell] = parser.Describe(cell);
                    EXPECT_EQ(parser.Describe(cell), expected[cell]) << lines;
                }
                EXPECT_STREQ(parser.Cell(1)->GetPinName(), upper.c_str());
                EXPECT_STREQ(parser.Cell(0)->GetPinName(), (upper + "V17").c_str());
                EXPECT_EQ(parser.Cell(1)->GetPinNode(), parser.Port(upper));
                EXPECT_EQ(parser.Cell(0)->GetPinNode(), nullptr);  // the port is scalar
            }
            EXPECT_EQ(expected[1], "1 t7 f7 s2 v2 " + std::string(control.second) + " r3 " + upper + "/") << c;
        }
    }
}

TEST(BoundaryRegisterReader, DisabledStatesReadAlikeInEveryWriting)
{
    // Every disabled state in several cases, and texts that are almost one,
    // give the same result and cells in the usual writing and in the
    // writing with a blank before each comma.
    for (const char* state : {"Z", "z", "WEAK0", "weak1", "Weak0", "PULL0", "pull1", "PuLl1", "WEAK2", "PULLX",
                              "weaker", "WEAK", "ZZ", "wEAK1", "\xc4" "EAK0", "PULL\xb1", "X"}) {
        const std::string s = state;
        RegisterParser tight(3, "A:inout");
        RegisterParser spaced(3, "A:inout");
        const int result = tight.Register("\"2 (BC_1, *, control, 1), 1 (BC_7, A, bidir, X, 2, 1, " + s + ")\";\n");
        EXPECT_EQ(spaced.Register("\"2 (BC_1 , * , control , 1), 1 (BC_7 , A , bidir , X , 2 , 1 , " + s + ")\";\n"),
                  result)
            << s;
        if (result == BSDL_OK)
            EXPECT_EQ(tight.Describe(1), spaced.Describe(1)) << s;
    }
    RegisterParser weak(3, "A:inout");
    ASSERT_EQ(weak.Register("\"2 (BC_1, *, control, 1), 1 (BC_7, A, bidir, X, 2, 1, pull1)\";\n"), BSDL_OK);
    EXPECT_EQ(weak.Describe(1), "1 t7 f7 s2 v2 c2 d1 r5 A/");
}

TEST(BoundaryRegisterReader, ShortEntriesBeyondTheFirstListSizeAreAllStored)
{
    // Entries shorter than the list's first sizing assumes make it grow,
    // both while usual entries are read into it and when one is not in its
    // usual form: every cell is stored alike in both writings (one string
    // piece a line).
    std::string tight;
    std::string spaced;
    for (int n = 0; n < 300; ++n) {
        const std::string number = std::to_string(n);
        const char* port = n % 7 == 3 ? "*x" : "*";  // "*x": read the general way
        const char* end = n == 299 ? "\";\n" : ",\" &\n";
        tight += "\"" + number + "(BC_1," + port + ",control,1)" + end;
        spaced += "\"" + number + " (BC_1 , " + port + " , control , 1)" + end;
    }
    RegisterParser a(300);
    RegisterParser b(300);
    ASSERT_EQ(a.Register(tight), BSDL_OK);
    ASSERT_EQ(b.Register(spaced), BSDL_OK);
    for (int n = 0; n < 300; ++n)
        EXPECT_EQ(a.Describe(n), b.Describe(n)) << n;
    EXPECT_EQ(a.Describe(299), "299 t1 f4 s1 v1 c-1 d1 r3 /");
}

TEST(BoundaryRegisterReader, CellTypesAndFunctionsAreToldAlikeInEveryWriting)
{
    // The usual writings have their cell type and function told as the
    // entry is read, the general way has them told when the cell is
    // stored: both give what AddNewRegister gives for the same texts, and a
    // function text that names none leaves the function the cell's earlier
    // entry gave it.
    const char* types[] = {"BC_0", "bc_7", "Bc_4", "bC_3", "BC_8", "BC_", "BC_10", "XC_1", "BC_1x"};
    const char* functions[] = {
        "INPUT", "clock", "Bidir", "output2", "OUTPUT3", "Control", "controlr", "INTERNAL", "bidir_in",
        "BIDIR_OUT", "Observe_Only", "observe_onlY", "OBSERVE_ONLX", "observe_onlyy", "bidir_oux", "BIDIR_OU",
        "INPU", "IN", "CONTROLRR", "inpu\xf4", "\xc9NPUT", "OUTPUT", "OUTPUT4", "internaL", "bidirin"};
    for (const char* type : types) {
        for (const char* function : functions) {
            const std::string t = type;
            const std::string f = function;
            const std::string first = "\"1 (BC_2, *, input, X), ";
            const std::string lines[3] = {first + "1 (" + t + ", *, " + f + ", 1)\";\n",
                                          first + "1 (" + t + " , * , " + f + " , 1)\";\n",
                                          first + "1 (" + t + ", *x, " + f + ", 1)\";\n"};
            BScanPinMap plain;
            plain.AllocateBScanCellTable(3);
            std::string firstType = "BC_2", firstFunction = "input", empty;
            ASSERT_EQ(plain.AddNewRegister(1, &firstType[0], &empty[0], 0, &firstFunction[0], SIGNAL_X, -1,
                                           SIGNAL_LOW, SIGNAL_Z, SIGNAL_X, ""),
                      0);
            std::string typeText = t, functionText = f;
            ASSERT_EQ(plain.AddNewRegister(1, &typeText[0], &empty[0], 0, &functionText[0], SIGNAL_HIGH, -1,
                                           SIGNAL_LOW, SIGNAL_Z, SIGNAL_HIGH, ""),
                      0);
            for (const std::string& text : lines) {
                RegisterParser parser(3);
                ASSERT_EQ(parser.Register(text), BSDL_OK) << text;
                EXPECT_EQ(parser.Cell(1)->GetBScanCellType(), plain.GetBScanCell(1)->GetBScanCellType()) << text;
                EXPECT_EQ(parser.Cell(1)->GetFunction(), plain.GetBScanCell(1)->GetFunction()) << text;
                EXPECT_EQ(parser.Describe(1), "1 t" + std::to_string(parser.Cell(1)->GetBScanCellType()) + " f" +
                                                  std::to_string(parser.Cell(1)->GetFunction()) +
                                                  " s1 v1 c-1 d1 r3 /")
                    << text;
            }
        }
    }
    RegisterParser named(3);
    ASSERT_EQ(named.Register("\"1 (BC_2, *, input, X), 1 (bc_7, *, observe_only, 1), 2 (BC_8, *, bidir_oux, 0)\";"),
              BSDL_OK);
    EXPECT_EQ(named.Cell(1)->GetBScanCellType(), CELL_BC_7);
    EXPECT_EQ(named.Cell(1)->GetFunction(), FUNC_OBSERVE_ONLY);
    EXPECT_EQ(named.Cell(2)->GetBScanCellType(), CELL_TYPE_NONE);
    EXPECT_EQ(named.Cell(2)->GetFunction(), FUNC_NONE);
}
