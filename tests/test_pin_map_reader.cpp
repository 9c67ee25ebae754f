// The package pre-pass and the pin map reader: sorted grid packages,
// numbered and unselected packages, the entry and pin cutting rules.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "parser/BScanParser.h"

#include "ScratchDir.h"

namespace {

class PinMapProbe : public BScanParser {
public:
    using BScanParser::MapPinNametoPinNumber;
    using BScanParser::m_pinNameParts;
    using BScanParser::ReadPackageDB;
    using BScanParser::SetPackageType;

    int Map(std::string pin) { return MapPinNametoPinNumber(&pin[0]); }
};

std::string DataFile(const char* name)
{
    return std::string(BSCAN_TEST_DATA_DIR) + "/" + name;
}

std::string WriteTemp(const std::string& name, const std::string& content)
{
    std::string path = bscan_test::ScratchPath("reader_pinmap_" + name + ".bsdl");
    FILE* f = std::fopen(path.c_str(), "w");
    EXPECT_NE(f, nullptr);
    std::fputs(content.c_str(), f);
    std::fclose(f);
    return path;
}

int InitializeAndRead(BScanParser& parser, const std::string& path)
{
    int init = parser.Initialize(path.c_str(), BSCAN_MESSAGE_DIR);
    EXPECT_GE(init, 0);
    return init < 0 ? init : parser.Read();
}

// A device with ports A, B and D (two elements), whose pin map constant
// PKG has the given value; `generic` selects the package.
std::string SmallDevice(const std::string& value, const std::string& generic = "PHYSICAL_PIN_MAP : string := \"PKG\"")
{
    return "entity SMALL is\ngeneric (" + generic + ");\nport (\nA : in bit;\nB : out bit;\n"
           "D : in bit_vector (0 to 1)\n);\nconstant PKG : PIN_MAP_STRING :=\n" + value + "\nend SMALL;\n";
}

// "NAME(index) ..." of the ports found by the pin numbers 1 to count.
std::string PortsByNumber(BScanParser& parser, int count)
{
    std::string out;
    for (int n = 1; n <= count; ++n) {
        KPinNode* node = parser.GetPinMap()->GetPort(n);
        out += node ? std::string(node->GetPortName()) + "(" + std::to_string(node->GetVectorIndex()) + ") " : "- ";
    }
    return out;
}

}  // namespace

TEST(ReaderPinMap, GridPackages)
{
    // A2, B2, A1, B1, AA1; written B01, the pin is not in the list (B1 is).
    BScanParser grid;
    ASSERT_EQ(InitializeAndRead(grid, DataFile("reader_grid.bsdl")), BSDL_OK);
    EXPECT_EQ(PortsByNumber(grid, 5), "D(0) E(0) TCK(0) D(1) F(0) ");
    EXPECT_EQ(grid.GetPinMap()->GetPinNumber("B01"), BSDL_ERR_UNKNOWN_PIN);

    // C10, B2, AA2, ZZ2, ABC2, A1, AB1, AAA1; VCC stands in the list as
    // VCC0, so the pin VCC is unknown.
    PinMapProbe rows;
    ASSERT_EQ(InitializeAndRead(rows, DataFile("reader_rows.bsdl")), BSDL_OK);
    EXPECT_EQ(PortsByNumber(rows, 9), "P(7) P(2) P(4) P(5) P(6) P(0) P(1) P(3) - ");
    ASSERT_EQ(rows.m_pinNameParts.size(), 9u);
    EXPECT_EQ(rows.m_pinNameParts.back(), std::make_pair(std::string("VCC"), uint16_t(0)));
    EXPECT_EQ(rows.GetPinMap()->GetPinNumber("VCC"), BSDL_ERR_UNKNOWN_PIN);

    // A second Initialize builds its package from its own file only.
    ASSERT_GE(rows.Initialize(DataFile("reader_grid.bsdl").c_str(), BSCAN_MESSAGE_DIR), 0);
    EXPECT_EQ(rows.m_pinNameParts.size(), 5u);
    rows.SetPackageType("bga5");
    EXPECT_EQ(rows.Map("AA1"), 5);
    EXPECT_EQ(rows.Map("C10"), BSDL_ERR_UNKNOWN_PIN);
    EXPECT_EQ(rows.MapPinNametoPinNumber(nullptr), BSDL_ERR_NO_PIN_NAME);

    // Another package selected, or none: the pins' leading digits (none).
    for (const char* generic : {"PHYSICAL_PIN_MAP : string := \"OTHER\"", "OTHER_GENERIC : string := \"PKG\""}) {
        BScanParser unselected;
        ASSERT_EQ(InitializeAndRead(unselected, WriteTemp("unselected", SmallDevice("\"A : A1, B : 2B\";", generic))),
                  BSDL_OK);
        EXPECT_EQ(unselected.GetPinMap()->GetPinNumber("A1"), 0);
        EXPECT_EQ(unselected.GetPinMap()->GetPinNumber("2B"), 2);
    }
}

TEST(ReaderPinMap, NumberedPackagesAndEntries)
{
    // Numbered pins are their own numbers; a later lettered pin does not
    // make the package a grid.
    PinMapProbe numbered;
    ASSERT_EQ(InitializeAndRead(numbered, WriteTemp("numbered", SmallDevice("\"A : 12, B : 07, \" &\n\"D : (C3, 4)\";"))),
              BSDL_OK);
    EXPECT_TRUE(numbered.m_pinNameParts.empty());
    for (auto pin : {std::make_pair("12", 12), std::make_pair("07", 7), std::make_pair("C3", 0), std::make_pair("4", 4)})
        EXPECT_EQ(numbered.GetPinMap()->GetPinNumber(pin.first), pin.second) << pin.first;

    // Pins beyond a vector's elements are dropped. A last entry without ':'
    // keeps the port name of the one before: A gets pin 2 at place 0.
    PinMapProbe carried;
    ASSERT_EQ(InitializeAndRead(carried, WriteTemp("carried", SmallDevice("\"D : (5, 6, 7), \" &\n\"A : 1, 2\";"))),
              BSDL_OK);
    EXPECT_EQ(carried.GetPinMap()->GetPinNumber("1"), -1);
    EXPECT_EQ(PortsByNumber(carried, 2), "- A(0) ");
    EXPECT_EQ(carried.GetPinMap()->GetPinNumber("6"), 6);
    EXPECT_EQ(carried.GetPinMap()->GetPort("7"), nullptr);

    // A constant written in capitals is not seen by the pre-pass (and the
    // body reader then stops at it).
    PinMapProbe capitals;
    std::string text = SmallDevice("\"A : A1, B : B1\";");
    text.replace(text.find("constant"), 8, "CONSTANT");
    EXPECT_EQ(InitializeAndRead(capitals, WriteTemp("capitals", text)), BSDL_ERR_SYNTAX);
    EXPECT_TRUE(capitals.m_pinNameParts.empty());
    EXPECT_EQ(capitals.Map("B1"), 0);

    PinMapProbe missing;
    EXPECT_EQ(missing.ReadPackageDB(nullptr), BSDL_ERR_PACKAGE_FILE);
    std::string nowhere = bscan_test::ScratchPath("reader_pinmap_does_not_exist.bsdl");
    EXPECT_EQ(missing.ReadPackageDB(&nowhere[0]), BSDL_ERR_PACKAGE_FILE);
}

TEST(ReaderPinMap, TwoPinMapStrings)
{
    // The package is the first constant; the pins come from the last.
    BScanParser parser;
    ASSERT_EQ(InitializeAndRead(parser, DataFile("reader_two_pinmaps.bsdl")), BSDL_OK);
    EXPECT_EQ(parser.GetPinMap()->GetPinNumber("C1"), BSDL_ERR_UNKNOWN_PIN);
    EXPECT_EQ(PortsByNumber(parser, 1), "B(0) ");
    EXPECT_EQ(parser.GetPinMap()->GetPinNumber("B1"), -1);
}

TEST(ReaderPinMap, LongPinMapLine)
{
    // One physical line of more than 2,000 characters holding a 400-pin
    // entry. The file is read 254 characters at a time; each piece of the
    // line here ends in blanks after a comma, so the pieces join cleanly.
    const int kPins = 400;
    std::string line = "\"D : (";
    for (int i = 1; i <= kPins; ++i) {
        std::string pin = "A" + std::to_string(i) + (i < kPins ? ", " : ")\";");
        if (line.size() % 254 + pin.size() > 254)
            line.append(254 - line.size() % 254, ' ');
        line += pin;
    }
    ASSERT_GT(line.size(), 2000u);
    std::string text = "entity LONG is\ngeneric (PHYSICAL_PIN_MAP : string := \"LONG_PKG\");\nport (\n"
                       "D : inout bit_vector (1 to 400)\n);\nconstant LONG_PKG : PIN_MAP_STRING :=\n" +
                       line + "\nend LONG;\n";
    BScanParser parser;
    ASSERT_EQ(InitializeAndRead(parser, WriteTemp("longline", text)), BSDL_OK);
    std::string expected;
    for (int n = 1; n <= kPins; ++n)
        expected += "D(" + std::to_string(kPins - n) + ") ";
    EXPECT_EQ(PortsByNumber(parser, kPins), expected);
}

TEST(ReaderPinMap, GridOrderWithShortAndLongLetters)
{
    // Pins of at most three letters are ordered through one packed key,
    // others in full; both give the same order: number (larger first),
    // length of the letters (shorter first), then their bytes. Equal pairs
    // (A3 and A03) are kept once; 7 has no letters; A7B is AB and 7.
    const std::string pins = "B3, AB3, A3, A03, C65535, A7B, 7, ZZZ1, A1, b2, B2";
    using Parts = std::vector<std::pair<std::string, uint16_t>>;
    const Parts shortOrder = {{"C", 65535}, {"", 7},  {"AB", 7}, {"A", 3},   {"B", 3},
                              {"AB", 3},    {"B", 2}, {"b", 2},  {"A", 1},   {"ZZZ", 1}};
    Parts longOrder = shortOrder;
    longOrder.insert(longOrder.begin() + 6, {"ABCD", 3});

    for (const bool withLong : {false, true}) {
        PinMapProbe parser;
        std::string path = WriteTemp(withLong ? "longletters" : "shortletters",
                                     SmallDevice("\"P : (" + pins + (withLong ? ", ABCD3" : "") + ")\";"));
        ASSERT_EQ(parser.ReadPackageDB(&path[0]), BSDL_OK);
        EXPECT_EQ(parser.m_pinNameParts, withLong ? longOrder : shortOrder) << withLong;
    }
}

TEST(ReaderPinMap, NamesEndedInPlaceWhateverFollowsThem)
{
    // Port names and pins are handed on in place in the gathered value,
    // each ended over the character behind it: a ':', ',' or ')' right
    // after a name, a name carried on to the next entry, and the last pin
    // of the value must all come out whole, as in the spaced writing.
    const auto names = [](BScanParser& parser) {
        std::string out;
        const KObjList* nodes = parser.GetPinMap()->GetPinListArray();
        for (int i = 0; i < nodes->GetCount(); ++i) {
            const KPinNode* node = static_cast<const KPinNode*>(nodes->GetAt(i));
            out += std::string(node->GetPortName()) + "=" + (node->GetPinName() ? node->GetPinName() : "-") + ":" +
                   std::to_string(node->GetPinNumber()) + " ";
        }
        return out;
    };
    const char* writings[] = {"\"A : 12, B : 7 , D : ( 3 , 4 ) \";", "\"A:12,B:7,D:(3,4)\";",
                              "\"A :12, B: 7,\" &\n\"D:(3, 4)\";"};
    for (const char* value : writings) {
        PinMapProbe parser;
        ASSERT_EQ(InitializeAndRead(parser, WriteTemp("inplace", SmallDevice(value))), BSDL_OK) << value;
        EXPECT_EQ(names(parser), "A=12:12 B=7:7 D=3:3 D=4:4 ") << value;
    }

    // The name A carried on from its entry to the last one.
    PinMapProbe carried;
    ASSERT_EQ(InitializeAndRead(carried, WriteTemp("inplace2", SmallDevice("\"D:(5,6),A:1,2\";"))), BSDL_OK);
    EXPECT_EQ(names(carried), "A=2:2 B=-:-1 D=5:5 D=6:6 ");
}

// The package comes from the first pin map string; whatever a later one
// lists (the same pins in another order, others, pins listed twice or
// written with leading zeros), each pin gets the number a lookup by name
// gives.
TEST(ReaderPinMap, PinsOfALaterStringGetTheNumbersOfALookupByName)
{
    const std::string first = "\"P : (A1, B1, C1, A2, B2, C2, A1, B01)\";";
    const std::string others[] = {
        "",
        "constant PKG2 : PIN_MAP_STRING := \"P : (C2, A1, B01, A01, B2, C1, A2, B1)\";\n",
        "constant PKG2 : PIN_MAP_STRING := \"P : (A1, A1, A1, X9, B1, C1, A2, B2)\";\n",
        "constant PKG2 : PIN_MAP_STRING := \"P : (B1, C1, A2, B2, C2, A1, B01, A1)\";\n",
    };
    int index = 0;
    for (const std::string& other : others) {
        SCOPED_TRACE(index);
        const std::string device = "entity PLACES is\ngeneric (PHYSICAL_PIN_MAP : string := \"PKG\");\n"
                                   "port (P : in bit_vector (0 to 7));\nconstant PKG : PIN_MAP_STRING :=\n" +
                                   first + "\n" + other + "end PLACES;\n";
        PinMapProbe parser;
        ASSERT_EQ(InitializeAndRead(parser, WriteTemp("places" + std::to_string(index++), device)), BSDL_OK);
        ASSERT_EQ(parser.m_pinNameParts.size(), 6u);
        parser.SetPackageType("pkg");
        char name[] = "P";
        for (int element = 0; element < 8; ++element) {
            KPinNode* node = parser.GetPinMap()->GetPort(name, element);
            ASSERT_NE(node, nullptr);
            ASSERT_NE(node->GetPinName(), nullptr);
            EXPECT_EQ(node->GetPinNumber(), parser.Map(node->GetPinName())) << node->GetPinName();
        }
    }
}

// A package of pins with at most three letters and one with a longer pin
// keep their names in two ways; a lookup finds exactly the names as the
// package writes them (letters, then the number without leading zeros),
// from one byte to eight, and nothing written otherwise.
TEST(ReaderPinMap, LookupsFindOnlyThePackagesOwnWriting)
{
    // ABC65535 (8 bytes), C12 (from 1C2), B7 (from B07), a2, A1, A0 (from
    // A65536, whose number keeps its low 16 bits) and VCC0 (from VCC).
    const std::string pins = "A1, ABC65535, a2, VCC, A65536, B07, 1C2";
    const std::pair<const char*, int> lookups[] = {
        {"ABC65535", 1}, {"C12", 2},   {"B7", 3},     {"a2", 4},   {"A1", 5},      {"A0", 6},
        {"VCC0", 7},     {"ABC065535", 0}, {"1C2", 0}, {"B07", 0}, {"A2", 0},      {"A00", 0},
        {"A65536", 0},   {"VCC", 0},   {"0", 0},      {"", 0},     {"ABC655350", 0}, {"A1 ", 0},
    };
    for (const bool withLong : {false, true}) {
        SCOPED_TRACE(withLong);
        PinMapProbe parser;
        // ABCD3 comes between B7 and a2.
        std::string path = WriteTemp(withLong ? "lookups_long" : "lookups_short",
                                     SmallDevice("\"P : (" + pins + (withLong ? ", ABCD3" : "") + ")\";"));
        ASSERT_EQ(parser.ReadPackageDB(&path[0]), BSDL_OK);
        parser.SetPackageType("pkg");
        for (const auto& lookup : lookups) {
            const int shift = withLong && lookup.second >= 4 ? 1 : 0;
            const int expected = lookup.second > 0 ? lookup.second + shift : BSDL_ERR_UNKNOWN_PIN;
            EXPECT_EQ(parser.Map(lookup.first), expected) << lookup.first;
        }
        if (withLong)
            EXPECT_EQ(parser.Map("ABCD3"), 4);
    }
}

// The usual writing of an entry (one blank on each side of the ':', none
// before the ',') and every other spacing give the same ports their pins.
TEST(ReaderPinMap, EntriesSpacedAnyWayGiveTheSamePins)
{
    const char* writings[] = {
        "\"A : 12, B : 7, D : (3, 4)\";",       "\"A  : 12, B :  7 , D : (3, 4)\";",
        "\"A :12, B: 7,D :(3,4)\";",            "\"A\t: 12, B :\t7, D : ( 3 , 4 )\";",
        "\"A : 12 , B : 7, D : (3, 4)\";",      "\"A : 12,B : 7,D : (3, 4)\";",
        "\"A : 12,  B : 7,\" &\n\"D : (3, 4)\";", "\" A : 12, B : 7, D : (3, 4) \";",
    };
    for (const char* value : writings) {
        PinMapProbe parser;
        ASSERT_EQ(InitializeAndRead(parser, WriteTemp("spacing", SmallDevice(value))), BSDL_OK) << value;
        std::string out;
        const KObjList* nodes = parser.GetPinMap()->GetPinListArray();
        for (int i = 0; i < nodes->GetCount(); ++i) {
            const KPinNode* node = static_cast<const KPinNode*>(nodes->GetAt(i));
            out += std::string(node->GetPortName()) + "=" + (node->GetPinName() ? node->GetPinName() : "-") + " ";
        }
        EXPECT_EQ(out, "A=12 B=7 D=3 D=4 ") << value;
    }
}
