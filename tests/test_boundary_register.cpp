// BOUNDARY_LENGTH and BOUNDARY_REGISTER readers, called directly on
// temporary files that hold the lines following the statement's head.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "parser/BScanParser.h"

namespace {

class RegisterParser : public BScanParser {
public:
    using BScanParser::m_differentialPairs;
    using BScanParser::m_pinMap;
    using BScanParser::ReadBSCANBoundaryLength;
    using BScanParser::ReadBSCANBoundaryRegister;

    BScanPinMap& PinMap()
    {
        if (m_pinMap == nullptr)
            m_pinMap = new BScanPinMap();
        return *m_pinMap;
    }
    void AddPorts(const char* name, const char* type, int count)
    {
        std::string n(name), t(type);
        PinMap().AddNewPorts(&n[0], &t[0], count, true);
    }
    KPinNode* Port(const char* name, int index = 0)
    {
        std::string n(name);
        return PinMap().GetPort(&n[0], index);
    }
    int Length(const std::string& head, const std::string& lines)
    {
        FILE* file = Open(lines);
        std::string statement = head;
        int result = ReadBSCANBoundaryLength(file, &statement[0]);
        std::fclose(file);
        return result;
    }
    // `lines` are the file lines after the head, which ends with "is".
    int Register(const std::string& lines, const std::string& head = "attribute BOUNDARY_REGISTER of D : entity is ")
    {
        FILE* file = Open(lines);
        std::string statement = head;
        int result = ReadBSCANBoundaryRegister(file, &statement[0]);
        std::fclose(file);
        return result;
    }
    KBScanCell* Cell(int number) { return PinMap().GetBScanCell(number); }
    unsigned char Byte(int index) { return PinMap().GetBScanBitArray()[index]; }

private:
    static FILE* Open(const std::string& text)
    {
        FILE* file = std::tmpfile();
        std::fputs(text.c_str(), file);
        std::rewind(file);
        return file;
    }
};

const char* kLengthHead = "attribute BOUNDARY_LENGTH of D : entity is ";

}  // namespace

TEST(BoundaryLengthReader, SizesTheTableFromTheLastWord)
{
    RegisterParser parser;
    parser.AddPorts("A", "in", 1);
    EXPECT_EQ(parser.Length(kLengthHead, "   10;\n"), BSDL_OK);  // number on the next line
    EXPECT_EQ(parser.PinMap().GetBScanLength(), 10);
    EXPECT_NE(parser.PinMap().GetBScanBitArray(), nullptr);

    EXPECT_EQ(parser.Length(std::string(kLengthHead) + "+7 ;", ""), BSDL_OK);
    EXPECT_EQ(parser.PinMap().GetBScanLength(), 7);
    EXPECT_EQ(parser.Length(std::string(kLengthHead) + "12abc;", ""), BSDL_OK);
    EXPECT_EQ(parser.PinMap().GetBScanLength(), 12);

    // A head longer than any line buffer is read whole.
    std::string longHead = "attribute BOUNDARY_LENGTH of " + std::string(3000, 'E') + " : entity is 5;";
    EXPECT_EQ(parser.Length(longHead, ""), BSDL_OK);
    EXPECT_EQ(parser.PinMap().GetBScanLength(), 5);
}

TEST(BoundaryLengthReader, RefusesUnusableLengthsAndKeepsTheTable)
{
    RegisterParser noMap;
    EXPECT_EQ(noMap.Length(std::string(kLengthHead) + "0;", ""), BSDL_ERR_NO_PIN_MAP);

    RegisterParser parser;
    parser.AddPorts("A", "in", 1);
    ASSERT_EQ(parser.Length(std::string(kLengthHead) + "4;", ""), BSDL_OK);
    for (const char* value : {"0", "abc", "-5", "1000001", "2147483647", "2147483648",
                              "-2147483648", "99999999999999999999999999"}) {
        EXPECT_EQ(parser.Length(std::string(kLengthHead) + value + ";", ""), BSDL_ERR_BAD_VALUE)
            << value;
        EXPECT_EQ(parser.PinMap().GetBScanLength(), 4) << value;
    }
    // The file ends before the ';'.
    EXPECT_EQ(parser.Length(kLengthHead, "10\n"), BSDL_ERR_READ);
    EXPECT_EQ(parser.PinMap().GetBScanLength(), 4);
}

TEST(BoundaryRegisterReader, StoresEveryFieldOfAnEntry)
{
    RegisterParser parser;
    parser.AddPorts("A", "in", 1);
    std::string d("D"), out("out");
    parser.PinMap().AddNewPorts(&d[0], &out[0], 0, 3);
    parser.AddPorts("B", "inout", 1);
    parser.PinMap().AllocateBScanCellTable(10);

    EXPECT_EQ(parser.Register("\"0 (BC_1, *, control, 1),\" &\n"
                              "\"5 (BC_1, D(3), output3, X, 0, 1, Z), \" &\n"
                              "\"2 (bc_2, a, Input, x),\" &\n"
                              "\"3 (BC_7, B, bidir, 0, 0, 0, pull1),\" &\n"
                              "\"4 (BC_1, B, output3, 1, 0, 1, Weak0),\" &\n"
                              "\"9 ( BC_1 , D ( 1 ) , output2 , 1 , 8 , 0 , z ) \";\n"),
              BSDL_OK);

    KBScanCell* control = parser.Cell(0);
    EXPECT_EQ(control->GetBoundaryCellPosition(), 0);
    EXPECT_EQ(control->GetBScanCellType(), CELL_BC_1);
    EXPECT_EQ(control->GetPinNode(), nullptr);
    EXPECT_STREQ(control->GetPinName(), "");
    EXPECT_EQ(control->GetFunction(), FUNC_CONTROL);
    EXPECT_EQ(control->m_safeValue, SIGNAL_HIGH);
    EXPECT_EQ(control->m_value, SIGNAL_HIGH);

    KBScanCell* output = parser.Cell(5);
    EXPECT_EQ(output->GetPinNode(), parser.Port("D", 3));
    EXPECT_STREQ(output->GetPinName(), "D3");
    EXPECT_EQ(output->GetFunction(), FUNC_OUTPUT3);
    EXPECT_EQ(output->GetControlCell(), control);
    EXPECT_EQ(output->m_disableValue, SIGNAL_HIGH);
    EXPECT_EQ(output->m_disableResult, SIGNAL_Z);
    EXPECT_EQ(output->m_value, SIGNAL_X);
    ASSERT_NE(parser.Port("D", 3)->GetBScanCells(), nullptr);
    EXPECT_EQ(parser.Port("D", 3)->GetBScanCells()->GetAt(0), output);

    EXPECT_EQ(parser.Cell(2)->GetBScanCellType(), CELL_BC_2);
    EXPECT_EQ(parser.Cell(2)->GetPinNode(), parser.Port("A"));
    EXPECT_EQ(parser.Cell(2)->m_safeValue, SIGNAL_X);
    EXPECT_EQ(parser.Cell(3)->m_disableResult, SIGNAL_PULL1);
    EXPECT_EQ(parser.Cell(3)->m_value, SIGNAL_LOW);
    EXPECT_EQ(parser.Cell(4)->m_disableResult, SIGNAL_WEAK0);
    EXPECT_EQ(parser.Cell(4)->m_disableValue, SIGNAL_HIGH);
    EXPECT_EQ(parser.Cell(9)->GetPinNode(), parser.Port("D", 1));
    EXPECT_EQ(parser.Cell(9)->GetControlCell(), parser.Cell(8));
    EXPECT_EQ(parser.Cell(9)->m_disableValue, SIGNAL_LOW);
    EXPECT_EQ(parser.Cell(9)->m_disableResult, SIGNAL_Z);
    EXPECT_EQ(parser.Cell(1)->GetBoundaryCellPosition(), -1);  // named by no entry

    // Bits of the cells whose value is HIGH: 0, 4 and 9.
    EXPECT_EQ(parser.Byte(0), 0x80 | 0x08);
    EXPECT_EQ(parser.Byte(1), 0x40);
}

TEST(BoundaryRegisterReader, UnknownValuesStopTheReadingAfterEarlierEntries)
{
    const char* bad[] = {
        "1 (BC_1, *, internal, Q)",              // safe value
        "1 (BC_1, *, internal, 2)",
        "1 (BC_1, *, output3, X, 0, X, Z)",      // disable value X is refused
        "1 (BC_1, *, output3, X, 0, 1, HIGH)",   // disabled state
        "1 (BC_1, *, output3, X, 0, 1, Z, 3)",   // eight fields
        "1 (BC_1, *, output3, X, 0)",            // five fields
        "1 (BC_1, *, output3, X, 0, 1)",         // six fields
    };
    for (const char* entry : bad) {
        RegisterParser parser;
        parser.AddPorts("A", "in", 1);
        parser.PinMap().AllocateBScanCellTable(4);
        EXPECT_EQ(parser.Register(std::string("\"0 (BC_1, *, control, 1), \" &\n\"") + entry +
                                  ", 2 (BC_1, *, internal, 1)\";\n"),
                  BSDL_ERR_BAD_VALUE)
            << entry;
        EXPECT_EQ(parser.Cell(0)->GetBoundaryCellPosition(), 0) << entry;
        EXPECT_EQ(parser.Cell(1)->GetBoundaryCellPosition(), -1) << entry;
        EXPECT_EQ(parser.Cell(2)->GetBoundaryCellPosition(), -1) << entry;
        EXPECT_EQ(parser.Byte(0), 0x80) << entry;
    }
}

TEST(BoundaryRegisterReader, MalformedStringsStoreNothing)
{
    const char* bad[] = {
        "\"0 (BC_1, *, internal, 1) 1 (BC_1, *, internal, 1)\";\n",   // no comma
        "\"0 (BC_1, *, internal, 1)) , 1 (BC_1, *, internal, 1)\";\n", // stray ')'
        "\"0 BC_1, *, internal, 1), 1 (BC_1, *, internal, 1)\";\n",    // ')' below depth 0
        "\"\";\n",                                                     // no entry
        "\"0 (BC_1, *, internal, 1\";\n",                              // unfinished entry
        "\"\" & -- only a comment\n\"\";\n",
    };
    for (const char* lines : bad) {
        RegisterParser parser;
        parser.AddPorts("A", "in", 1);
        parser.PinMap().AllocateBScanCellTable(4);
        EXPECT_EQ(parser.Register(lines), BSDL_ERR_BAD_VALUE) << lines;
        EXPECT_EQ(parser.Cell(0)->GetBoundaryCellPosition(), -1) << lines;
        EXPECT_EQ(parser.Byte(0), 0) << lines;
    }

    // Phase 1 comes before the pin map test; the string reader's code is passed on.
    RegisterParser noMap;
    EXPECT_EQ(noMap.Register("\"0 (BC_1, *, internal, 1) 1\";\n"), BSDL_ERR_BAD_VALUE);
    EXPECT_EQ(noMap.Register("\"0 (BC_1, *, internal, 1)\";\n"), BSDL_ERR_NO_PIN_MAP);
    EXPECT_EQ(noMap.m_pinMap, nullptr);
    EXPECT_EQ(noMap.Register("\"0 (BC_1, *, internal, 1)\" &\n"), BSDL_ERR_READ);
}

TEST(BoundaryRegisterReader, CommentsNameTheEntryBeforeThem)
{
    RegisterParser parser;
    parser.AddPorts("A", "in", 1);
    parser.PinMap().AllocateBScanCellTable(6);
    EXPECT_EQ(parser.Register("\"\" & -- GHOST\n"
                              "\"0 (BC_1, *, internal, 1), \" & -- P 12\n"
                              "\"1 (BC_1, *, internal, 1), \" & -- PAD-12 x\n"
                              "\"2 (BC_1, *, \" & -- Q7\n"
                              "\"internal, 1), \" &\n"
                              "\"3 (BC_1, *, internal, 1)\" & -- LAST-3\n"
                              "\", 4 (BC_1, *, internal, 1)\" & -- \n"
                              "\", \"; -- TAIL\n"),
              BSDL_OK);
    EXPECT_STREQ(parser.Cell(0)->GetOriginalPinName(), "P12");
    EXPECT_STREQ(parser.Cell(1)->GetOriginalPinName(), "PAD12x");
    // The comment inside an unfinished entry became part of its text.
    EXPECT_STREQ(parser.Cell(2)->GetOriginalPinName(), "");
    EXPECT_EQ(parser.Cell(2)->GetFunction(), FUNC_NONE);
    EXPECT_EQ(parser.Cell(2)->GetBoundaryCellPosition(), 2);
    // Behind an entry without a comma; the ',' of the next piece still separates.
    EXPECT_STREQ(parser.Cell(3)->GetOriginalPinName(), "LAST3");
    // An empty comment, then a comment after a trailing comma renames entry 4.
    EXPECT_STREQ(parser.Cell(4)->GetOriginalPinName(), "TAIL");
    EXPECT_EQ(parser.PinMap().GetBScanCellByOriginalName("GHOST"), nullptr);

    // A comment behind the last entry of the string names it.
    RegisterParser last;
    last.AddPorts("A", "in", 1);
    last.PinMap().AllocateBScanCellTable(2);
    EXPECT_EQ(last.Register("\"0 (BC_1, *, internal, 1)\"; -- END\n"), BSDL_OK);
    EXPECT_STREQ(last.Cell(0)->GetOriginalPinName(), "END");
}

TEST(BoundaryRegisterReader, RefusedCellsPassOnMinusOne)
{
    RegisterParser parser;
    parser.AddPorts("A", "in", 1);
    parser.PinMap().AllocateBScanCellTable(4);
    EXPECT_EQ(parser.Register("\"0 (BC_1, *, internal, 1), 9 (BC_1, *, internal, 1), \" &\n"
                              "\"1 (BC_1, *, internal, 1)\";\n"),
              BSDL_ERR_FILE);
    EXPECT_EQ(parser.Cell(0)->GetBoundaryCellPosition(), 0);
    EXPECT_EQ(parser.Cell(1)->GetBoundaryCellPosition(), -1);

    // A cell that does not suit its port's direction is stored, not listed.
    RegisterParser wrong;
    wrong.AddPorts("A", "in", 1);
    wrong.PinMap().AllocateBScanCellTable(4);
    EXPECT_EQ(wrong.Register("\"2 (BC_1, A, output3, 1, 3, 0, Z), 1 (BC_1, *, internal, 1)\";\n"),
              BSDL_ERR_FILE);
    EXPECT_EQ(wrong.Cell(2)->GetBoundaryCellPosition(), 2);
    EXPECT_EQ(wrong.Cell(1)->GetBoundaryCellPosition(), -1);
    EXPECT_EQ(wrong.Port("A")->GetBScanCells(), nullptr);
    EXPECT_EQ(wrong.Byte(0), 0x20);

    // Without BOUNDARY_LENGTH there is no table.
    RegisterParser noTable;
    noTable.AddPorts("A", "in", 1);
    EXPECT_EQ(noTable.Register("\"0 (BC_1, *, internal, 1)\";\n"), BSDL_ERR_FILE);
}

TEST(BoundaryRegisterReader, LongEntriesAndHeadsAreReadWhole)
{
    RegisterParser parser;
    const std::string port(240, 'P');
    parser.AddPorts(port.c_str(), "in", 1);
    parser.PinMap().AllocateBScanCellTable(4);
    // One entry spread over hundreds of pieces: its text is far longer
    // than any line.
    std::string lines = "\"1 (BC_1,\" &\n\"" + port + "\" &\n";
    for (int i = 0; i < 400; ++i)
        lines += "\"  \" &\n";
    lines += "\", input, 1)\"; -- PIN-1\n";
    EXPECT_EQ(parser.Register(lines), BSDL_OK);
    EXPECT_EQ(parser.Cell(1)->GetPinNode(), parser.Port(port.c_str()));
    EXPECT_STREQ(parser.Cell(1)->GetPinName(), port.c_str());
    EXPECT_STREQ(parser.Cell(1)->GetOriginalPinName(), "PIN1");

    const std::string head = "attribute BOUNDARY_REGISTER of " + std::string(3000, 'E') +
                             " : entity is \"2 (BC_1, *, internal, 1)\";";
    EXPECT_EQ(parser.Register("", head), BSDL_OK);
    EXPECT_EQ(parser.Cell(2)->m_value, SIGNAL_HIGH);
}

TEST(BoundaryRegisterReader, ManyEntriesOverManyPieces)
{
    const int count = 20000;
    RegisterParser parser;
    parser.AddPorts("A", "in", 1);
    parser.PinMap().AllocateBScanCellTable(count);
    std::string lines;
    for (int i = count - 1; i >= 0; --i) {
        lines += "\"" + std::to_string(i) + " (BC_1, *, internal, " + (i % 3 == 0 ? "1" : "0") +
                 ")" + (i > 0 ? ",\" & -- C " : "\"; -- C ") + std::to_string(i) + "\n";
    }
    EXPECT_EQ(parser.Register(lines), BSDL_OK);
    for (int i : {0, 1, 2, 3, 9999, count - 1}) {
        EXPECT_EQ(parser.Cell(i)->GetBoundaryCellPosition(), i);
        EXPECT_EQ(parser.Cell(i)->GetOriginalPinName(), "C" + std::to_string(i));
    }
    EXPECT_EQ(parser.Byte(0), 0x80 | 0x10 | 0x02);     // cells 0, 3, 6
    EXPECT_EQ(parser.PinMap().GetBScanCellByOriginalName("c12345"), parser.Cell(12345));
}

TEST(BoundaryRegisterReader, DifferentialPairsTieTheNegativeLeg)
{
    RegisterParser parser;
    for (const char* name : {"TXP", "TXN", "CKP"})
        parser.AddPorts(name, "out", 1);
    for (const char* name : {"RXP", "RXN"})
        parser.AddPorts(name, "in", 1);
    parser.PinMap().AllocateBScanCellTable(10);
    for (auto names : {std::make_pair("TXP", "TXN"), std::make_pair("rxp", "rxn"),
                       std::make_pair("CKP", "CKNPAD")}) {
        CDifferentialPair pair;
        pair.SetPositiveElement(names.first);
        pair.SetNegativeElement(names.second);
        parser.m_differentialPairs.push_back(pair);
    }
    EXPECT_EQ(parser.Register("\"9 (BC_1, *, control, 1),\" &\n"
                              "\"8 (BC_1, TXP, output3, X, 9, 1, Z),\" & -- TXP\n"
                              "\"7 (BC_1, *, internal, 0),\" &\n"
                              "\"6 (BC_2, *, internal, X),\" & -- TXN\n"
                              "\"5 (BC_1, RXP, input, X),\" &\n"
                              "\"4 (BC_1, *, internal, 0),\" & -- RXN\n"
                              "\"3 (BC_1, *, internal, 1),\" &\n"
                              "\"2 (BC_1, CKP, output3, X, 9, 1, Z),\" &\n"
                              "\"1 (BC_1, *, internal, X),\" &\n"
                              "\"0 (BC_1, *, internal, X)\"; -- CKN-PAD\n"),
              BSDL_OK);
    ASSERT_EQ(parser.GetDifferentialPairCount(), 3);

    // TXN: cell 6 copies cell 8, cell 7 copies the control cell 9.
    const CDifferentialPair* tx = parser.GetDifferentialPair(0);
    EXPECT_EQ(tx->GetPositiveBScanPosition(), 8);
    EXPECT_EQ(tx->GetNegativeBScanPosition(), 6);
    KBScanCell* txn = parser.Cell(6);
    EXPECT_EQ(txn->GetBoundaryCellPosition(), 6);
    EXPECT_EQ(txn->GetBScanCellType(), CELL_BC_1);
    EXPECT_EQ(txn->GetFunction(), FUNC_OUTPUT3);
    EXPECT_STREQ(txn->GetPinName(), "TXN");
    EXPECT_STREQ(txn->GetOriginalPinName(), "TXN");
    EXPECT_EQ(txn->m_disableValue, SIGNAL_HIGH);
    EXPECT_EQ(txn->GetControlCell(), parser.Cell(7));
    EXPECT_EQ(txn->GetPinNode(), parser.Port("TXN"));
    ASSERT_NE(parser.Port("TXN")->GetBScanCells(), nullptr);
    EXPECT_EQ(parser.Port("TXN")->GetBScanCells()->GetAt(0), txn);
    EXPECT_EQ(parser.Cell(7)->GetFunction(), FUNC_CONTROL);
    EXPECT_EQ(parser.Cell(7)->GetBoundaryCellPosition(), 7);
    EXPECT_EQ(parser.Cell(7)->m_value, SIGNAL_HIGH);
    EXPECT_STREQ(parser.Cell(8)->GetPinName(), "TXP");
    EXPECT_EQ(parser.Cell(8)->GetControlCell(), parser.Cell(9));

    // RXN: positive without control cell, so cell 3 stays as it was.
    EXPECT_EQ(parser.GetDifferentialPair(1)->GetPositiveBScanPosition(), 5);
    EXPECT_EQ(parser.GetDifferentialPair(1)->GetNegativeBScanPosition(), 4);
    EXPECT_EQ(parser.Cell(4)->GetFunction(), FUNC_INPUT);
    EXPECT_EQ(parser.Cell(4)->GetPinNode(), parser.Port("RXN"));
    EXPECT_EQ(parser.Cell(3)->GetFunction(), FUNC_INTERNAL);
    EXPECT_EQ(parser.Cell(3)->m_value, SIGNAL_HIGH);

    // CKNPAD at cell 0: no cell -1, no such port; the copy keeps CKP's
    // control cell and port, and CKP is not given the cell.
    EXPECT_EQ(parser.GetDifferentialPair(2)->GetNegativeBScanPosition(), 0);
    EXPECT_EQ(parser.Cell(0)->GetFunction(), FUNC_OUTPUT3);
    EXPECT_STREQ(parser.Cell(0)->GetPinName(), "CKNPAD");
    EXPECT_EQ(parser.Cell(0)->GetControlCell(), parser.Cell(9));
    EXPECT_EQ(parser.Cell(0)->GetPinNode(), parser.Port("CKP"));
    EXPECT_EQ(parser.Port("CKP")->GetBScanCells()->GetCount(), 1);

    // The image is the one phase 2 wrote: cells 3 and 9.
    EXPECT_EQ(parser.Byte(0), 0x10);
    EXPECT_EQ(parser.Byte(1), 0x40);
}

TEST(BoundaryRegisterReader, UnresolvedNegativeLegDropsAllPairs)
{
    RegisterParser parser;
    for (const char* name : {"AP", "AN", "BP", "BN", "CP"})
        parser.AddPorts(name, "in", 1);
    parser.PinMap().AllocateBScanCellTable(6);
    for (auto names : {std::make_pair("ZP", "ZN"), std::make_pair("AP", "AN"),
                       std::make_pair("BP", "BN"), std::make_pair("CP", "CN")}) {
        CDifferentialPair pair;
        pair.SetPositiveElement(names.first);
        pair.SetNegativeElement(names.second);
        parser.m_differentialPairs.push_back(pair);
    }
    parser.Port("AP")->SetPositive(true);
    parser.Port("AN")->SetNegative(true);
    parser.Port("CP")->SetPositive(true);

    // Phase 3 runs after a failing phase 2 and leaves its result alone.
    EXPECT_EQ(parser.Register("\"0 (BC_1, AP, input, X), 1 (BC_1, *, internal, X), \" & -- AN\n"
                              "\"2 (BC_1, BP, input, X), 3 (BC_1, *, internal, Q)\"; -- BN\n"),
              BSDL_ERR_BAD_VALUE);
    EXPECT_EQ(parser.GetDifferentialPairCount(), 0);
    EXPECT_FALSE(parser.Port("AP")->IsPositive());
    EXPECT_FALSE(parser.Port("AN")->IsNegative());
    EXPECT_FALSE(parser.Port("CP")->IsPositive());
    // The pair resolved before the failing one keeps its effect on the cells.
    EXPECT_STREQ(parser.Cell(1)->GetPinName(), "AN");
    EXPECT_EQ(parser.Cell(1)->GetFunction(), FUNC_INPUT);

    // A string that fails in phase 1 leaves the pairs alone.
    RegisterParser kept;
    kept.AddPorts("AP", "in", 1);
    kept.PinMap().AllocateBScanCellTable(2);
    CDifferentialPair pair;
    pair.SetPositiveElement("AP");
    pair.SetNegativeElement("AN");
    kept.m_differentialPairs.push_back(pair);
    EXPECT_EQ(kept.Register("\"0 (BC_1, AP, input, X) 1\";\n"), BSDL_ERR_BAD_VALUE);
    EXPECT_EQ(kept.GetDifferentialPairCount(), 1);
}
