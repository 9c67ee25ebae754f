// PORT_GROUPING reader, called directly on temporary files that hold the
// lines following the statement's head.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "parser/BScanParser.h"

namespace {

class GroupingParser : public BScanParser {
public:
    using BScanParser::m_pinMap;
    using BScanParser::ReadPortGroupingAttribute;

    void AddPorts(std::initializer_list<const char*> names)
    {
        if (m_pinMap == nullptr)
            m_pinMap = new BScanPinMap();
        for (const char* name : names) {
            std::string n(name), type("in");
            m_pinMap->AddNewPorts(&n[0], &type[0], 1, true);
        }
    }
    KPinNode* Port(const char* name)
    {
        std::string n(name);
        return m_pinMap->GetPortwName(&n[0]);
    }
    int Read(const std::string& lines,
             const std::string& head = "attribute PORT_GROUPING of D : entity is ")
    {
        FILE* file = std::tmpfile();
        std::fputs(lines.c_str(), file);
        std::rewind(file);
        int result = ReadPortGroupingAttribute(file, head.c_str());
        std::fclose(file);
        return result;
    }
    std::string Pair(int index)
    {
        const CDifferentialPair* pair = GetDifferentialPair(index);
        if (pair == nullptr)
            return "none";
        return std::string(pair->GetPositiveElement()) + "/" + pair->GetNegativeElement() + " " +
               std::to_string(pair->GetPositiveBScanPosition()) + " " +
               std::to_string(pair->GetNegativeBScanPosition());
    }
};

}  // namespace

TEST(PortGroupingReader, RecordsPairsInFileOrderAndMarksPorts)
{
    GroupingParser parser;
    parser.AddPorts({"TXP", "TXN", "RXP", "RXN", "CLKP", "CLKN", "OTHER"});
    EXPECT_EQ(parser.Read("\"Differential_Voltage ( (TXP, TXN), \" &\n"
                          "\"(RXP, RXN) ), \" &\n"
                          "\"Differential_Current ( (CLKP, CLKN) )\";\n"),
              BSDL_OK);
    ASSERT_EQ(parser.GetDifferentialPairCount(), 3);
    EXPECT_EQ(parser.Pair(0), "TXP/TXN -1 -1");
    EXPECT_EQ(parser.Pair(1), "RXP/RXN -1 -1");
    EXPECT_EQ(parser.Pair(2), "CLKP/CLKN -1 -1");
    for (const char* name : {"TXP", "RXP", "CLKP"}) {
        EXPECT_TRUE(parser.Port(name)->IsPositive()) << name;
        EXPECT_FALSE(parser.Port(name)->IsNegative()) << name;
    }
    for (const char* name : {"TXN", "RXN", "CLKN"}) {
        EXPECT_TRUE(parser.Port(name)->IsNegative()) << name;
        EXPECT_FALSE(parser.Port(name)->IsPositive()) << name;
    }
    EXPECT_FALSE(parser.Port("OTHER")->IsPositive());

    // Lower case names and kinds; a second statement appends, repeats included.
    EXPECT_EQ(parser.Read("", "attribute PORT_GROUPING of D : entity is "
                              "\"differential_current((txp,txn))  , \" &  \"  \";"),
              BSDL_OK);
    EXPECT_EQ(parser.GetDifferentialPairCount(), 4);
    EXPECT_EQ(parser.Pair(3), "TXP/TXN -1 -1");
}

TEST(PortGroupingReader, FormatErrorsGiveMinusOne)
{
    const char* bad[] = {
        "\"Differential_Pair ( (A, B) )\";\n",
        "\"Differential_Voltage ( (A, B) ) Differential_Current ( (C, D) )\";\n",
        "\"Differential_Voltage ( (A B) )\";\n",
        "\"Differential_Voltage ( (A, ) )\";\n",
        "\"Differential_Voltage ( ( , B) )\";\n",
        "\"Differential_Voltage ( (A, B) (C, D) )\";\n",
        "\"Differential_Voltage ( (A, B) \";\n",
        "\"Differential_Voltage  (A, B) \";\n",               // content without a pair
        "\"\";\n",
        "\"  \" & \"  \";\n",
        "\"( (A, B) )\";\n",                                  // empty kind
    };
    for (const char* lines : bad) {
        GroupingParser parser;
        parser.AddPorts({"A", "B"});
        EXPECT_EQ(parser.Read(lines), BSDL_ERR_FILE) << lines;
        EXPECT_EQ(parser.GetDifferentialPairCount(), 0) << lines;
        EXPECT_FALSE(parser.Port("A")->IsPositive()) << lines;
    }

    // The file ends before the ';'.
    GroupingParser parser;
    EXPECT_EQ(parser.Read("\"Differential_Voltage ( (A, B) )\" &\n"), BSDL_ERR_READ);
}

TEST(PortGroupingReader, WhatWasStoredBeforeAnErrorStays)
{
    GroupingParser parser;
    parser.AddPorts({"A", "B", "C", "D"});
    EXPECT_EQ(parser.Read("\"Differential_Voltage ( (A, B), (C D) )\";\n"), BSDL_ERR_FILE);
    EXPECT_EQ(parser.GetDifferentialPairCount(), 1);
    EXPECT_TRUE(parser.Port("A")->IsPositive());
    EXPECT_TRUE(parser.Port("B")->IsNegative());
    EXPECT_FALSE(parser.Port("C")->IsPositive());

    // Earlier pairs count for the result, but not for an empty value.
    EXPECT_EQ(parser.Read("\"Differential_Voltage ( C, D )\";\n"), BSDL_OK);
    EXPECT_EQ(parser.Read("\"\";\n"), BSDL_ERR_FILE);
    EXPECT_EQ(parser.GetDifferentialPairCount(), 1);

    // A pair whose names hold parentheses ends the group without error.
    EXPECT_EQ(parser.Read("\"Differential_Voltage ( (C(1), D), (A, B) ), \" &\n"
                          "\"Differential_Voltage ( (C, D) )\";\n"),
              BSDL_OK);
    EXPECT_EQ(parser.GetDifferentialPairCount(), 2);
    EXPECT_EQ(parser.Pair(1), "C/D -1 -1");
}

TEST(PortGroupingReader, UnknownPortsAndMissingPinMapTouchNoPort)
{
    GroupingParser noMap;
    EXPECT_EQ(noMap.Read("\"Differential_Voltage ( (ap, an) )\";\n"), BSDL_OK);
    EXPECT_EQ(noMap.m_pinMap, nullptr);
    EXPECT_EQ(noMap.Pair(0), "AP/AN -1 -1");

    GroupingParser parser;
    parser.AddPorts({"AP", "Bn"});
    EXPECT_EQ(parser.Read("\"Differential_Voltage ( (ap, xn), (Zp, bn) )\";\n"), BSDL_OK);
    EXPECT_EQ(parser.Pair(0), "AP/XN -1 -1");
    EXPECT_EQ(parser.Pair(1), "ZP/BN -1 -1");
    EXPECT_TRUE(parser.Port("AP")->IsPositive());
    EXPECT_TRUE(parser.Port("BN")->IsNegative());
    EXPECT_FALSE(parser.Port("AP")->IsNegative());

    // Names and pairs longer than any line buffer are kept whole.
    const std::string positive(1500, 'P');
    const std::string negative(1200, 'n');
    GroupingParser wide;
    EXPECT_EQ(wide.Read("", "attribute PORT_GROUPING of D : entity is \"Differential_Voltage ((" +
                                positive + ", " + negative + "))\";"),
              BSDL_OK);
    std::string upper(1200, 'N');
    EXPECT_EQ(wide.Pair(0), positive + "/" + upper + " -1 -1");
}
