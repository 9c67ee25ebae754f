// The package pre-pass and the pin map reader: sorted grid packages,
// numbered and unselected packages, the entry and pin cutting rules.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "parser/BScanParser.h"

namespace {

class PinMapProbe : public BScanParser {
public:
    using BScanParser::MapPinNametoPinNumber;
    using BScanParser::m_pinNameParts;
    using BScanParser::ReadPackageDB;
    using BScanParser::SetPackageType;
};

std::string DataFile(const char* name)
{
    return std::string(BSCAN_TEST_DATA_DIR) + "/" + name;
}

std::string Slurp(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string WriteTemp(const std::string& name, const std::string& content)
{
    std::string path = ::testing::TempDir() + "reader_pinmap_" + name + ".bsdl";
    FILE* f = std::fopen(path.c_str(), "w");
    EXPECT_NE(f, nullptr);
    if (f) {
        std::fputs(content.c_str(), f);
        std::fclose(f);
    }
    return path;
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

int InitializeAndRead(BScanParser& parser, const std::string& path)
{
    int init = parser.Initialize(path.c_str(), BSCAN_MESSAGE_DIR);
    EXPECT_GE(init, 0);
    return init < 0 ? init : parser.Read();
}

// "NAME(index)" of the port found by pin number n.
std::string PortAt(BScanParser& parser, int n)
{
    KPinNode* node = parser.GetPinMap()->GetPort(n);
    if (!node)
        return "<none>";
    return std::string(node->GetPortName()) + "(" + std::to_string(node->GetVectorIndex()) + ")";
}

const char* const kSmallDevice =
    "entity SMALL is\n"
    "generic (PHYSICAL_PIN_MAP : string := \"PKG\");\n"
    "port (\n"
    "A : in bit;\n"
    "B : out bit;\n"
    "D : in bit_vector (0 to 1)\n"
    ");\n"
    "constant PKG : PIN_MAP_STRING :=\n"
    "VALUE\n"
    "end SMALL;\n";

std::string SmallDevice(const std::string& value)
{
    return Replace(kSmallDevice, "VALUE", value);
}

}  // namespace

TEST(ReaderPinMap, GridPackageIsSorted)
{
    BScanParser parser;
    ASSERT_EQ(InitializeAndRead(parser, DataFile("reader_grid.bsdl")), BSDL_OK);
    BScanPinMap* map = parser.GetPinMap();
    EXPECT_EQ(map->GetPinNumber("A2"), 1);
    EXPECT_EQ(map->GetPinNumber("B2"), 2);
    EXPECT_EQ(map->GetPinNumber("A1"), 3);
    EXPECT_EQ(map->GetPinNumber("B1"), 4);
    EXPECT_EQ(map->GetPinNumber("AA1"), 5);
    // Written B01, the pin is not in the list (which holds B1).
    EXPECT_EQ(map->GetPinNumber("B01"), BSDL_ERR_UNKNOWN_PIN);
    EXPECT_EQ(PortAt(parser, 1), "D(0)");
    EXPECT_EQ(PortAt(parser, 2), "E(0)");
    EXPECT_EQ(PortAt(parser, 3), "TCK(0)");
    EXPECT_EQ(PortAt(parser, 4), "D(1)");
    EXPECT_EQ(PortAt(parser, 5), "F(0)");

    // Another package selected, or none: the pins' leading digits (none).
    std::string text = Slurp(DataFile("reader_grid.bsdl"));
    BScanParser other;
    ASSERT_EQ(InitializeAndRead(other, WriteTemp("gridother", Replace(text, "\"Bga5\"", "\"bga6\""))), BSDL_OK);
    EXPECT_EQ(other.GetPinMap()->GetPinNumber("AA1"), 0);
    EXPECT_EQ(other.GetPinMap()->GetPinNumber("B01"), 0);
    BScanParser none;
    ASSERT_EQ(InitializeAndRead(none, WriteTemp("gridnone", Replace(text, "PHYSICAL_PIN_MAP", "OTHER_GENERIC"))),
              BSDL_OK);
    EXPECT_EQ(none.GetPackageType(), nullptr);
    EXPECT_EQ(none.GetPinMap()->GetPinNumber("A2"), 0);
}

TEST(ReaderPinMap, RowsOfOneTwoAndThreeLetters)
{
    PinMapProbe parser;
    ASSERT_EQ(InitializeAndRead(parser, DataFile("reader_rows.bsdl")), BSDL_OK);
    EXPECT_EQ(PortAt(parser, 1), "P(7)");  // C10
    EXPECT_EQ(PortAt(parser, 2), "P(2)");  // B2
    EXPECT_EQ(PortAt(parser, 3), "P(4)");  // AA2
    EXPECT_EQ(PortAt(parser, 4), "P(5)");  // ZZ2
    EXPECT_EQ(PortAt(parser, 5), "P(6)");  // ABC2
    EXPECT_EQ(PortAt(parser, 6), "P(0)");  // A1
    EXPECT_EQ(PortAt(parser, 7), "P(1)");  // AB1
    EXPECT_EQ(PortAt(parser, 8), "P(3)");  // AAA1
    // A pin without digits stands in the list as VCC0, so VCC is unknown.
    ASSERT_EQ(parser.m_pinNameParts.size(), 9u);
    EXPECT_EQ(parser.m_pinNameParts.back().first, "VCC");
    EXPECT_EQ(parser.m_pinNameParts.back().second, 0);
    EXPECT_EQ(parser.GetPinMap()->GetPinNumber("VCC"), BSDL_ERR_UNKNOWN_PIN);

    // A second Initialize builds its package from its own file only.
    ASSERT_GE(parser.Initialize(DataFile("reader_grid.bsdl").c_str(), BSCAN_MESSAGE_DIR), 0);
    EXPECT_EQ(parser.m_pinNameParts.size(), 5u);
    parser.SetPackageType("bga5");
    EXPECT_EQ(parser.MapPinNametoPinNumber(const_cast<char*>("AA1")), 5);
    EXPECT_EQ(parser.MapPinNametoPinNumber(const_cast<char*>("C10")), BSDL_ERR_UNKNOWN_PIN);
    EXPECT_EQ(parser.MapPinNametoPinNumber(nullptr), BSDL_ERR_NO_PIN_NAME);
}

TEST(ReaderPinMap, NumberedAndUnusualPackages)
{
    // Numbered pins are their own numbers; a later lettered pin does not
    // make the package a grid.
    PinMapProbe numbered;
    ASSERT_EQ(InitializeAndRead(numbered, WriteTemp("numbered", SmallDevice("\"A : 12, B : 07, \" &\n\"D : (C3, 4)\";"))),
              BSDL_OK);
    EXPECT_TRUE(numbered.m_pinNameParts.empty());
    BScanPinMap* map = numbered.GetPinMap();
    EXPECT_EQ(map->GetPinNumber("12"), 12);
    EXPECT_EQ(map->GetPinNumber("07"), 7);
    EXPECT_EQ(map->GetPinNumber("C3"), 0);
    EXPECT_EQ(map->GetPinNumber("4"), 4);

    // Pins beyond a vector's elements are dropped. A last entry without ':'
    // keeps the port name of the one before: A gets pin 2 at place 0.
    PinMapProbe carried;
    ASSERT_EQ(InitializeAndRead(carried, WriteTemp("carried", SmallDevice("\"D : (5, 6, 7), \" &\n\"A : 1, 2\";"))),
              BSDL_OK);
    EXPECT_EQ(carried.GetPinMap()->GetPinNumber("1"), -1);
    EXPECT_EQ(PortAt(carried, 2), "A(0)");
    EXPECT_EQ(carried.GetPinMap()->GetPinNumber("6"), 6);
    EXPECT_EQ(carried.GetPinMap()->GetPort("7"), nullptr);

    // A constant written in capitals is not seen by the pre-pass (and the
    // body reader then stops at it).
    PinMapProbe capitals;
    std::string text = Replace(SmallDevice("\"A : A1, B : B1\";"), "constant", "CONSTANT");
    EXPECT_EQ(InitializeAndRead(capitals, WriteTemp("capitals", text)), BSDL_ERR_SYNTAX);
    EXPECT_TRUE(capitals.m_pinNameParts.empty());
    EXPECT_EQ(capitals.MapPinNametoPinNumber(const_cast<char*>("B1")), 0);

    // No path, or a file that cannot be opened.
    PinMapProbe missing;
    EXPECT_EQ(missing.ReadPackageDB(nullptr), BSDL_ERR_PACKAGE_FILE);
    std::string nowhere = ::testing::TempDir() + "reader_pinmap_does_not_exist.bsdl";
    EXPECT_EQ(missing.ReadPackageDB(&nowhere[0]), BSDL_ERR_PACKAGE_FILE);
}

TEST(ReaderPinMap, TwoPinMapStrings)
{
    // The package is the first constant; the pins come from the last.
    BScanParser first;
    ASSERT_EQ(InitializeAndRead(first, DataFile("reader_two_pinmaps.bsdl")), BSDL_OK);
    BScanPinMap* map = first.GetPinMap();
    EXPECT_EQ(map->GetPinNumber("C1"), BSDL_ERR_UNKNOWN_PIN);
    EXPECT_EQ(map->GetPinNumber("A1"), 1);
    EXPECT_EQ(PortAt(first, 1), "B(0)");
    EXPECT_EQ(map->GetPinNumber("B1"), -1);

    // Selecting the second package finds no package database for it.
    std::string text = Slurp(DataFile("reader_two_pinmaps.bsdl"));
    BScanParser second;
    ASSERT_EQ(InitializeAndRead(second, WriteTemp("twomaps", Replace(text, "\"PKG_A\"", "\"PKG_B\""))), BSDL_OK);
    EXPECT_EQ(second.GetPinMap()->GetPinNumber("C1"), 0);
    EXPECT_EQ(second.GetPinMap()->GetPinNumber("A1"), 0);
}

TEST(ReaderPinMap, LongPinMapLine)
{
    // One physical line of more than 2,000 characters holding a 400-pin
    // entry. The file is read 254 characters at a time; each piece of the
    // line here ends in blanks after a comma, so the pieces join cleanly.
    const int kPins = 400;
    std::string line = "\"D : (";
    std::string chunk;
    for (int i = 1; i <= kPins; ++i) {
        std::string pin = "A" + std::to_string(i) + (i < kPins ? ", " : ")\";");
        if (line.size() % 254 + pin.size() > 254)
            line.append(254 - line.size() % 254, ' ');
        line += pin;
    }
    ASSERT_GT(line.size(), 2000u);
    std::string text =
        "entity LONG is\n"
        "generic (PHYSICAL_PIN_MAP : string := \"LONG_PKG\");\n"
        "port (\n"
        "D : inout bit_vector (1 to " + std::to_string(kPins) + ")\n"
        ");\n"
        "constant LONG_PKG : PIN_MAP_STRING :=\n" + line + "\n"
        "end LONG;\n";
    BScanParser parser;
    ASSERT_EQ(InitializeAndRead(parser, WriteTemp("longline", text)), BSDL_OK);
    int wrong = 0;
    for (int n = 1; n <= kPins; ++n) {
        KPinNode* node = parser.GetPinMap()->GetPort(n);
        if (!node || node->GetVectorIndex() != kPins - n)
            ++wrong;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(parser.GetPinMap()->GetPinNumber("A400"), 1);
}
