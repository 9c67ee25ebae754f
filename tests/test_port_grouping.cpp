// PORT_GROUPING reader, called directly on temporary files that hold the
// lines following the statement's head.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "parser/BScanParser.h"

#include "ReaderRun.h"

namespace {

class GroupingParser : public BScanParser {
public:
    using BScanParser::m_pinMap;

    explicit GroupingParser(std::initializer_list<const char*> ports)
    {
        m_pinMap = new BScanPinMap();
        for (std::string name : ports) {
            std::string type = "in";
            m_pinMap->AddNewPorts(&name[0], &type[0], 1, true);
        }
    }
    GroupingParser() = default;
    int Read(const std::string& lines, const std::string& head = "attribute PORT_GROUPING of D : entity is ")
    {
        return bscan_test::RunReader(lines, [&](FILE* file) { return ReadPortGroupingAttribute(file, head.c_str()); });
    }
    // All pairs as "P/N p n;" and the marks of the given ports as "+", "-" or ".".
    std::string Pairs()
    {
        std::string text;
        for (const CDifferentialPair& pair : GetDifferentialPairList())
            text += std::string(pair.GetPositiveElement()) + "/" + pair.GetNegativeElement() + " " +
                    std::to_string(pair.GetPositiveBScanPosition()) + " " +
                    std::to_string(pair.GetNegativeBScanPosition()) + ";";
        return text;
    }
    std::string Marks(std::string names)
    {
        std::string text;
        for (size_t start = 0; start < names.size(); start += 2) {
            KPinNode* port = m_pinMap->GetPortwName(&names.substr(start, 1)[0]);
            text += port->IsPositive() ? (port->IsNegative() ? "*" : "+") : (port->IsNegative() ? "-" : ".");
        }
        return text;
    }
};

}  // namespace

TEST(PortGroupingReader, RecordsPairsInFileOrderAndMarksPorts)
{
    GroupingParser parser({"A", "B", "C", "D", "E", "F", "G"});
    EXPECT_EQ(parser.Read("\"Differential_Voltage ( (A, B), \" &\n\"(c, d) ), \" &\n"
                          "\"differential_CURRENT ( (E, F) )\";\n"), BSDL_OK);
    EXPECT_EQ(parser.Pairs(), "A/B -1 -1;C/D -1 -1;E/F -1 -1;");
    EXPECT_EQ(parser.Marks("A B C D E F G"), "+-+-+-.");
    // A second statement appends, a repeated pair included; blanks at the end are ignored.
    EXPECT_EQ(parser.Read("", "attribute PORT_GROUPING of D : entity is "
                              "\"Differential_Current((a,b))  , \" &  \"  \";"), BSDL_OK);
    EXPECT_EQ(parser.Pairs(), "A/B -1 -1;C/D -1 -1;E/F -1 -1;A/B -1 -1;");
}

TEST(PortGroupingReader, FormatErrorsGiveMinusOneAndKeepEarlierPairs)
{
    for (const char* value : {"Differential_Pair ( (A, B) )",
                              "Differential_Voltage ( (A, B) ) Differential_Current ( (C, D) )",
                              "Differential_Voltage ( (A B) )", "Differential_Voltage ( (A, ) )",
                              "Differential_Voltage ( (A, B) (C, D) )", "Differential_Voltage ( (A, B) ",
                              "Differential_Voltage  (A, B) ", "( (A, B) )", "", "  \" & \"  "}) {
        GroupingParser parser({"A", "B"});
        EXPECT_EQ(parser.Read("\"" + std::string(value) + "\";\n"), BSDL_ERR_FILE) << value;
        EXPECT_EQ(parser.Pairs() + parser.Marks("A B"), "..") << value;
    }
    GroupingParser parser({"A", "B", "C", "D"});
    EXPECT_EQ(parser.Read("\"Differential_Voltage ( (A, B), (C D) )\";\n"), BSDL_ERR_FILE);
    EXPECT_EQ(parser.Pairs() + parser.Marks("A B C D"), "A/B -1 -1;+-..");
    EXPECT_EQ(parser.Read("\"Differential_Voltage ( C, D )\";\n"), BSDL_OK);  // earlier pairs count
    EXPECT_EQ(parser.Read("\"\";\n"), BSDL_ERR_FILE);                        // but no group is an error
    // Names with parentheses end their group without error.
    EXPECT_EQ(parser.Read("\"Differential_Voltage ( (C(1), D), (A, B) ), Differential_Voltage ((C, D))\";\n"),
              BSDL_OK);
    EXPECT_EQ(parser.Pairs(), "A/B -1 -1;C/D -1 -1;");
    EXPECT_EQ(parser.Read("\"Differential_Voltage ( (A, B) )\" &\n"), BSDL_ERR_READ);
}

TEST(PortGroupingReader, UnknownPortsAndMissingPinMapTouchNoPort)
{
    GroupingParser noMap;
    EXPECT_EQ(noMap.Read("\"Differential_Voltage ( (ap, an) )\";\n"), BSDL_OK);
    EXPECT_EQ(noMap.m_pinMap, nullptr);
    EXPECT_EQ(noMap.Pairs(), "AP/AN -1 -1;");

    GroupingParser parser({"A", "b"});
    EXPECT_EQ(parser.Read("\"Differential_Voltage ( (a, x), (z, B) )\";\n"), BSDL_OK);
    EXPECT_EQ(parser.Pairs() + parser.Marks("A B"), "A/X -1 -1;Z/B -1 -1;+-");

    const std::string positive(1500, 'p'), negative(1200, 'N');
    GroupingParser wide;
    EXPECT_EQ(wide.Read("", "attribute PORT_GROUPING of D : entity is \"Differential_Voltage ((" + positive +
                                ", " + negative + "))\";"), BSDL_OK);
    EXPECT_EQ(wide.Pairs(), std::string(1500, 'P') + "/" + negative + " -1 -1;");
}
