// Boundary-register entries keep their texts as views into the device's own
// copy of the register: the views must read the right characters (entries
// split over quoted pieces, fields written in another case), survive moving
// the device, and the checker's lookups built on them (the name table, the
// entries by cell number, in whatever order the file lists them) must find
// what the file says.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "ScratchDir.h"
#include "check/BScanChecker.h"
#include "check/NameTableInternal.h"
#include "device/BScanDevice.h"

namespace {

std::string WriteScratch(const std::string& name, const std::string& text)
{
    std::string path = bscan_test::ScratchPath(name);
    std::ofstream(path, std::ios::binary) << text;
    return path;
}

// A device of two ports whose BOUNDARY_REGISTER value is `cells` (quoted
// pieces joined by '&', as written in the file) with BOUNDARY_LENGTH
// `length`.
std::string Device(const std::string& length, const std::string& cells)
{
    return "entity VIEWS is\n"
           "port (A : out bit; B : inout bit_vector (0 to 1));\n"
           "attribute BOUNDARY_LENGTH of VIEWS : entity is " + length + ";\n"
           "attribute BOUNDARY_REGISTER of VIEWS : entity is\n" + cells + ";\n"
           "end VIEWS;\n";
}

std::vector<std::string> FindingsOf(const BScanDevice& device, const std::string& rule)
{
    std::vector<std::string> out;
    for (const BScanFinding& finding : BScanChecker::Check(device))
        if (finding.rule == rule)
            out.push_back(std::to_string(finding.line) + ": " + finding.message);
    return out;
}

TEST(DeviceViewsTest, EntriesViewTheJoinedRegisterAndFoldTheirCase)
{
    const std::string path = WriteScratch("views.bsdl", Device("3",
        "  \"2 (BC_1, A, OUT\" &\n"                       // line 5: an entry split over two pieces
        "  \"PUT3, x, 1, 0, z), \" &\n"                   // line 6
        "  \"1 (BC_1, B(1), Bidir, 0, 1, 1, Weak1),\" &\n" // line 7
        "  \"0 ( BC_2 , * , control , 1 )\"\n"));          // line 8
    BScanDevice read;
    ASSERT_EQ(read.ReadDescription(path), 0);
    ASSERT_EQ(read.BoundaryEntries().size(), 3u);
    const char* const firstText = read.BoundaryEntries()[0].text.data();

    // The records move with the device, and another read does not disturb them.
    BScanDevice device(std::move(read));
    BScanDevice other;
    ASSERT_EQ(other.ReadDescription(WriteScratch("other.bsdl", Device("1", "\"0 (BC_1, A, output3, 1, 0, 1, Z)\""))), 0);
    BScanDevice moved;
    moved = std::move(device);
    const std::vector<BScanCellEntry>& cells = moved.BoundaryEntries();
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[0].text.data(), firstText);

    EXPECT_EQ(cells[0].text, "2 (BC_1, A, OUTPUT3, x, 1, 0, z)");
    EXPECT_EQ(cells[0].line, 5);
    EXPECT_EQ(cells[0].number, 2);
    EXPECT_EQ(cells[0].cellType, "BC_1");
    EXPECT_EQ(cells[0].port, "A");
    EXPECT_EQ(cells[0].portName, "A");
    EXPECT_EQ(cells[0].function, "output3");      // folded to lower case
    EXPECT_EQ(cells[0].safe, "X");                // folded to upper case
    EXPECT_EQ(cells[0].controlCell, "1");
    EXPECT_EQ(cells[0].control, 1);
    EXPECT_EQ(cells[0].disableValue, "0");
    EXPECT_EQ(cells[0].disabledState, "Z");
    EXPECT_EQ(cells[0].fieldCount, 7);

    EXPECT_EQ(cells[1].port, "B(1)");
    EXPECT_EQ(cells[1].portName, "B");
    EXPECT_EQ(cells[1].portIndex, 1);
    EXPECT_EQ(cells[1].function, "bidir");
    EXPECT_EQ(cells[1].disabledState, "WEAK1");
    EXPECT_EQ(cells[1].line, 7);

    // Blanks around the fields are not part of them; "*" names no port.
    EXPECT_EQ(cells[2].text, "0 ( BC_2 , * , control , 1 )");
    EXPECT_EQ(cells[2].cellType, "BC_2");
    EXPECT_EQ(cells[2].port, "*");
    EXPECT_EQ(cells[2].portName, "");
    EXPECT_EQ(cells[2].function, "control");
    EXPECT_EQ(cells[2].safe, "1");
    EXPECT_EQ(cells[2].controlCell, "");
    EXPECT_EQ(cells[2].control, -1);
    EXPECT_EQ(cells[2].fieldCount, 4);

    EXPECT_EQ(other.BoundaryEntries().at(0).text, "0 (BC_1, A, output3, 1, 0, 1, Z)");
}

TEST(DeviceViewsTest, CheckerFindsCellsInAnyOrderTheFileListsThem)
{
    // In reverse order, without repeats: cell 2's control cell 0 is found.
    BScanDevice reversed;
    ASSERT_EQ(reversed.ReadDescription(WriteScratch("reversed.bsdl", Device("3",
        "\"2 (BC_1, A, output3, X, 0, 0, Z), \" &\n"
        "\"1 (BC_1, *, internal, X), \" &\n"
        "\"0 (BC_1, *, control, 0)\""))), 0);
    EXPECT_TRUE(FindingsOf(reversed, "bsr-control-cell").empty());
    EXPECT_TRUE(FindingsOf(reversed, "bsr-length").empty());

    // Out of order with a repeat: the repeat is reported at its later line,
    // the control cells found, the missing one named.
    BScanDevice shuffled;
    ASSERT_EQ(shuffled.ReadDescription(WriteScratch("shuffled.bsdl", Device("5",
        "\"3 (BC_1, A, output3, X, 1, 0, Z), \" &\n"     // line 5
        "\"1 (BC_1, *, control, 0), \" &\n"              // line 6
        "\"4 (BC_1, *, internal, X), \" &\n"             // line 7
        "\"1 (BC_1, *, internal, X), \" &\n"             // line 8
        "\"0 (BC_1, B(0), output3, X, 9, 0, Z)\""))), 0); // line 9
    EXPECT_EQ(FindingsOf(shuffled, "bsr-length"),
              (std::vector<std::string>{"3: BOUNDARY_LENGTH is 5 but BOUNDARY_REGISTER lists 4 of its cells; "
                                        "1 missing: 2",
                                        "8: cell 1 is listed again (first on line 6)"}));
    EXPECT_EQ(FindingsOf(shuffled, "bsr-control-cell"),
              (std::vector<std::string>{"9: cell 0 names control cell 9, which is not a cell of the register"}));

    // Numbers far apart: found without a table over the whole range.
    BScanDevice sparse;
    ASSERT_EQ(sparse.ReadDescription(WriteScratch("sparse.bsdl", Device("2",
        "\"1000000 (BC_1, *, control, 0), \" &\n"
        "\"0 (BC_1, A, output3, X, 1000000, 0, Z)\""))), 0);
    EXPECT_TRUE(FindingsOf(sparse, "bsr-control-cell").empty());
    EXPECT_EQ(FindingsOf(sparse, "bsr-length").size(), 2u);
}

TEST(DeviceViewsTest, NameTableKeepsTheFirstValueAndGrows)
{
    bscan_check::NameTable<int, true> blind;
    EXPECT_EQ(blind.Find("A"), nullptr);           // empty, never sized
    EXPECT_TRUE(blind.Add("Data", 1).second);
    const std::pair<int*, bool> again = blind.Add("DATA", 2);
    EXPECT_FALSE(again.second);
    EXPECT_EQ(*again.first, 1);
    ASSERT_NE(blind.Find("data"), nullptr);
    EXPECT_EQ(*blind.Find("dAtA"), 1);
    EXPECT_EQ(blind.Find("DAT"), nullptr);
    EXPECT_TRUE(blind.Add("", 3).second);
    EXPECT_EQ(*blind.Find(""), 3);

    // Far past its first size, every name is still found.
    std::vector<std::string> names;
    for (int k = 0; k < 2000; ++k)
        names.push_back("P" + std::to_string(k));
    bscan_check::NameTable<int, false> exact;
    exact.Reserve(4);
    for (int k = 0; k < 2000; ++k)
        EXPECT_TRUE(exact.Add(names[static_cast<std::size_t>(k)], k).second);
    for (int k = 0; k < 2000; ++k) {
        const int* found = exact.Find(names[static_cast<std::size_t>(k)]);
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(*found, k);
    }
    EXPECT_EQ(exact.Find("p1"), nullptr);          // exact: case counts
    EXPECT_EQ(exact.Find("P2000"), nullptr);
}

}  // namespace
