// Pin map, cell side: sizing the table, storing register entries (refusals,
// overwrites, pin names, bits), finding cells by name, and the scan bit
// image after driving ports with both forms of setPort.
#include <gtest/gtest.h>

#include <random>
#include <strings.h>
#include <string>
#include <vector>

#include "model/BScanPinMap.h"

namespace {

void AddPort(BScanPinMap& map, const char* name, const char* type, int pinNumber)
{
    std::string n(name), t(type);
    map.AddNewPorts(&n[0], &t[0], 1, true);
    map.SerialSetPinNumber(&n[0], 0, pinNumber);
}

int Entry(BScanPinMap& map, int number, const char* port, int index, const char* function,
          eSignal value = SIGNAL_X, int control = -1, eSignal disable = SIGNAL_LOW,
          eSignal disabledState = SIGNAL_Z, const char* original = "")
{
    std::string type("bc_1"), p(port), f(function);
    return map.AddNewRegister(number, &type[0], &p[0], index, &f[0], SIGNAL_X, control, disable,
                              disabledState, value, original);
}

std::vector<int> Image(BScanPinMap& map)
{
    const unsigned char* image = map.GetBScanBitArray();
    return image ? std::vector<int>(image, image + (map.GetBScanLength() + 7) / 8)
                 : std::vector<int>();
}

// One random change of a cell in the filing tests: a new pin name
// (choice 0), a new original name (1) or a copy of the cell copyFrom()
// gives (2). Any other choice changes nothing and returns false.
template <class CopyFrom>
bool ChangeCell(KBScanCell* cell, int choice, const std::string& name, CopyFrom copyFrom)
{
    switch (choice) {
    case 0:
        cell->SetPinName(name.c_str());
        return true;
    case 1:
        cell->SetOriginalPinName(name.c_str());
        return true;
    case 2:
        *cell = *copyFrom();
        return true;
    default:
        return false;
    }
}

}  // namespace

TEST(CellTableTest, AllocationSizesTableAndImage)
{
    BScanPinMap map;
    map.AllocateBScanCellTable(10);
    EXPECT_EQ(Image(map), (std::vector<int>{0, 0}));
    EXPECT_EQ(map.GetBScanCell(-1), nullptr);
    EXPECT_EQ(map.GetBScanCell(10), nullptr);
    EXPECT_EQ(Entry(map, 9, "", 0, "internal", SIGNAL_HIGH), 0);
    EXPECT_EQ(Entry(map, 0, "", 0, "internal", SIGNAL_HIGH), 0);
    EXPECT_EQ(Image(map), (std::vector<int>{0x80, 0x40}));  // the low bits stay 0
    map.InitBSCANBitArray();
    EXPECT_EQ(Image(map), (std::vector<int>{0, 0}));
    EXPECT_EQ(map.GetBScanCell(9)->m_value, SIGNAL_HIGH);  // cells keep their values

    for (int length : {0, -4, BSCAN_MAX_BOUNDARY_LENGTH + 1}) {
        map.AllocateBScanCellTable(3);
        map.AllocateBScanCellTable(length);
        EXPECT_EQ(map.GetBScanLength(), 0);
        EXPECT_EQ(map.GetBScanCellTable(), nullptr);
        EXPECT_EQ(map.GetBScanBitArray(), nullptr);
        EXPECT_EQ(Entry(map, 0, "", 0, "internal"), -1);  // no table
    }
}

TEST(CellTableTest, AddNewRegisterRefusesAndOverwrites)
{
    BScanPinMap map;
    AddPort(map, "D", "in", 1);
    std::string d("D"), t("in");
    map.AddNewPorts(&d[0], &t[0], 3, 0);
    map.AllocateBScanCellTable(8);
    EXPECT_EQ(Entry(map, 8, "D", 0, "input", SIGNAL_HIGH), -1);
    EXPECT_EQ(Entry(map, 1, "D", 0, "input", SIGNAL_HIGH, 8), -1);
    std::string type("BC_1"), port("d"), function("Input");
    EXPECT_EQ(map.AddNewRegister(1, &type[0], nullptr, 0, &function[0], SIGNAL_X, -1,
                                 SIGNAL_LOW, SIGNAL_Z, SIGNAL_HIGH, ""),
              -1);
    EXPECT_EQ(Image(map), (std::vector<int>{0}));
    EXPECT_EQ(map.GetBScanCell(1)->GetBoundaryCellPosition(), -1);

    // "%s%d" pin names from the upper-cased port name; index 0: the bare name.
    EXPECT_EQ(map.AddNewRegister(5, &type[0], &port[0], 3, &function[0], SIGNAL_LOW, -1,
                                 SIGNAL_LOW, SIGNAL_Z, SIGNAL_HIGH, "pad 5"),
              0);
    EXPECT_EQ(port + function, "DINPUT");
    KBScanCell* cell = map.GetBScanCell(5);
    EXPECT_STREQ(cell->GetPinName(), "D3");
    EXPECT_STREQ(cell->GetOriginalPinName(), "pad 5");
    EXPECT_EQ(cell->GetBScanCellType(), CELL_BC_1);
    EXPECT_EQ(cell->GetPinNode(), map.GetPinListArray()->GetAt(1));  // D(3)
    EXPECT_EQ(Entry(map, 2, "D", 0, "input"), 0);
    EXPECT_STREQ(map.GetBScanCell(2)->GetPinName(), "D");
    EXPECT_EQ(Entry(map, 3, "Q", 7, "input"), 0);  // no such port: stored all the same
    EXPECT_STREQ(map.GetBScanCell(3)->GetPinName(), "Q7");
    const std::string longPort(70, 'p'), longUpper(70, 'P');
    EXPECT_EQ(Entry(map, 3, longPort.c_str(), -2147483647 - 1, "input"), 0);
    EXPECT_EQ(map.GetBScanCell(3)->GetPinName(), longUpper + "-2147483648");
    EXPECT_EQ(Entry(map, 3, "q", 2147483647, "input"), 0);
    EXPECT_STREQ(map.GetBScanCell(3)->GetPinName(), "Q2147483647");
    EXPECT_EQ(Entry(map, 3, longPort.substr(0, 52).c_str(), -2147483647 - 1, "input"), 0);
    EXPECT_EQ(map.GetBScanCell(3)->GetPinName(), longUpper.substr(0, 52) + "-2147483648");
    EXPECT_EQ(Entry(map, 3, longPort.substr(0, 53).c_str(), -40, "input"), 0);
    EXPECT_EQ(map.GetBScanCell(3)->GetPinName(), longUpper.substr(0, 53) + "-40");
    EXPECT_EQ(Entry(map, 3, "Q", 7, "input"), 0);

    // The cell type is the whole text, letter case aside; the function text
    // is upper-cased in place and must be a whole name.
    for (const char* text : {"bC_7", "BC_70", "BC_8", "BC_", "BC_1 ", ""}) {
        std::string cellType(text), name("D"), fn("bidir_in");
        map.AddNewRegister(0, &cellType[0], &name[0], 0, &fn[0], SIGNAL_X, -1, SIGNAL_LOW,
                           SIGNAL_Z, SIGNAL_X, "");
        EXPECT_EQ(map.GetBScanCell(0)->GetBScanCellType(),
                  std::string(text) == "bC_7" ? CELL_BC_7 : CELL_TYPE_NONE)
            << text;
        EXPECT_EQ(fn, "BIDIR_IN");
        EXPECT_EQ(map.GetBScanCell(0)->GetFunction(), FUNC_BIDIR_IN);
    }
    std::string keepType("BC_2"), name("D"), unknown("bidir_ins");
    map.AddNewRegister(0, &keepType[0], &name[0], 0, &unknown[0], SIGNAL_X, -1, SIGNAL_LOW,
                       SIGNAL_Z, SIGNAL_X, "");
    EXPECT_EQ(map.GetBScanCell(0)->GetFunction(), FUNC_BIDIR_IN);
    EXPECT_EQ(unknown, "BIDIR_INS");
    map.AddNewRegister(0, nullptr, &name[0], 0, nullptr, SIGNAL_X, -1, SIGNAL_LOW, SIGNAL_Z,
                       SIGNAL_X, "");
    EXPECT_EQ(map.GetBScanCell(0)->GetBScanCellType(), CELL_BC_2);
    EXPECT_EQ(Entry(map, 0, "D", 0, "input"), 0);

    // The bit is 1 for SIGNAL_HIGH only; a refused association is returned
    // but the cell is stored and its bit written.
    EXPECT_EQ(Image(map), (std::vector<int>{0x04}));
    EXPECT_EQ(Entry(map, 5, "D", 3, "input", SIGNAL_WEAK1), 0);
    EXPECT_EQ(Entry(map, 6, "", 0, "internal", SIGNAL_PULL1), 0);
    EXPECT_EQ(Entry(map, 7, "D", 0, "output3", SIGNAL_HIGH, 0), -1);
    EXPECT_EQ(map.GetBScanCell(7)->GetControlCell(), map.GetBScanCell(0));
    EXPECT_EQ(Image(map), (std::vector<int>{0x01}));

    // The same number again: its fields win, without a control cell the
    // first one's control cell and disable values stay, the port lists it twice.
    EXPECT_EQ(Entry(map, 4, "D", 1, "input", SIGNAL_X, 1, SIGNAL_HIGH, SIGNAL_WEAK0), 0);
    EXPECT_EQ(Entry(map, 4, "D", 1, "observe_only", SIGNAL_HIGH), 0);
    KBScanCell* twice = map.GetBScanCell(4);
    EXPECT_EQ(twice->GetFunction(), FUNC_OBSERVE_ONLY);
    EXPECT_EQ(twice->GetControlCell(), map.GetBScanCell(1));
    EXPECT_EQ(twice->m_disableResult, SIGNAL_WEAK0);
    const KObjList* cells = static_cast<KPinNode*>(map.GetPinListArray()->GetAt(3))->GetBScanCells();
    ASSERT_EQ(cells->GetCount(), 2);
    EXPECT_EQ(cells->GetAt(1), twice);

    // Sizing the table again discards everything, the ports' lists too.
    EXPECT_TRUE(map.HasBScanCell(1));
    map.AllocateBScanCellTable(4);
    EXPECT_FALSE(map.HasBScanCell(1));
    EXPECT_EQ(map.GetBScanCell("D"), nullptr);
}

TEST(CellTableTest, CellLookupsByNameIgnoreCase)
{
    BScanPinMap map;
    EXPECT_EQ(map.GetBScanCell("A"), nullptr);
    map.AllocateBScanCellTable(6);
    EXPECT_EQ(map.GetBScanCell(""), map.GetBScanCell(0));  // default cells: empty names
    Entry(map, 4, "Lvds", 0, "input", SIGNAL_X, -1, SIGNAL_LOW, SIGNAL_Z, "Pad_A");
    Entry(map, 2, "lvds", 0, "input", SIGNAL_X, -1, SIGNAL_LOW, SIGNAL_Z, "PAD_a");
    Entry(map, 0, "", 0, "internal", SIGNAL_X, -1, SIGNAL_LOW, SIGNAL_Z, "z");
    EXPECT_EQ(map.GetBScanCell("lVdS"), map.GetBScanCell(2));  // lowest number first
    EXPECT_EQ(map.GetBScanCellByOriginalName("pad_a"), map.GetBScanCell(2));
    EXPECT_EQ(map.GetBScanCell("LVDS "), nullptr);
    EXPECT_EQ(map.GetBScanCellByOriginalName(""), map.GetBScanCell(1));

    // The lookups follow renames and assignments of the cells.
    map.GetBScanCell(2)->SetPinName("other");
    EXPECT_EQ(map.GetBScanCell("LVDS"), map.GetBScanCell(4));
    EXPECT_EQ(map.GetBScanCell("OTHER"), map.GetBScanCell(2));
    *map.GetBScanCell(1) = *map.GetBScanCell(4);
    EXPECT_EQ(map.GetBScanCell("lvds"), map.GetBScanCell(1));
    map.GetBScanCell(1)->SetOriginalPinName("n");
    map.GetBScanCell(2)->SetOriginalPinName("n");
    EXPECT_EQ(map.GetBScanCellByOriginalName("PAD_A"), map.GetBScanCell(4));
}

TEST(CellTableTest, SetPortDrivesCellsAndImage)
{
    BScanPinMap map;
    const char* ports[][2] = {{"A", "in"},      {"Y", "out"}, {"IO", "inout"}, {"B", "inout"},
                              {"BUF", "buffer"}, {"NC", "in"}, {"OBS", "in"}};
    for (int i = 0; i < 7; ++i) {
        AddPort(map, ports[i][0], ports[i][1], i + 1);
    }
    map.AllocateBScanCellTable(12);
    for (int control : {1, 3, 5, 9}) {
        Entry(map, control, "*", 0, "control");
    }
    Entry(map, 0, "A", 0, "input");
    Entry(map, 2, "Y", 0, "output3", SIGNAL_X, 1, SIGNAL_LOW);
    Entry(map, 4, "IO", 0, "bidir", SIGNAL_X, 3, SIGNAL_LOW);           // one cell
    Entry(map, 6, "B", 0, "output3", SIGNAL_X, 5, SIGNAL_HIGH, SIGNAL_Z);  // separate cells
    Entry(map, 7, "B", 0, "input");
    Entry(map, 8, "BUF", 0, "output2", SIGNAL_X, 9, SIGNAL_LOW);
    Entry(map, 10, "OBS", 0, "observe_only");
    Entry(map, 11, "OBS", 0, "input", SIGNAL_HIGH);
    EXPECT_EQ(Image(map), (std::vector<int>{0x00, 0x10}));

    EXPECT_EQ(map.setPort(1, PORT_IN, SIGNAL_HIGH), 0);
    EXPECT_EQ(map.setPort(2, PORT_OUT, SIGNAL_HIGH), 0);  // control 1 on, cell 2 high
    EXPECT_EQ(map.setPort(3, PORT_OUT, SIGNAL_HIGH), 0);  // control 3 on, cell 4 high
    EXPECT_EQ(map.setPort(5, PORT_OUT, SIGNAL_HIGH), 0);  // control 9 on, cell 8 high
    EXPECT_EQ(Image(map), (std::vector<int>{0xF8, 0xD0}));
    EXPECT_EQ(map.setPort(3, PORT_IN, SIGNAL_LOW), 0);    // control 3 off (0), cell 4 low
    EXPECT_EQ(map.setPort(4, PORT_OUT, SIGNAL_HIGH), 0);  // control 5 on (0), 6 high, 7 X
    EXPECT_EQ(Image(map), (std::vector<int>{0xE2, 0xD0}));
    EXPECT_EQ(map.setPort(4, PORT_IN, SIGNAL_HIGH), 0);   // 7 high, 5 off (1), 6 low (Z)
    EXPECT_EQ(Image(map), (std::vector<int>{0xE5, 0xD0}));
    // The observe-only cell comes first: only it is driven, both are written.
    EXPECT_EQ(map.setPort(7, PORT_IN, SIGNAL_LOW), 0);
    EXPECT_EQ(map.GetBScanCell(11)->m_value, SIGNAL_HIGH);
    EXPECT_EQ(Image(map), (std::vector<int>{0xE5, 0xD0}));

    // Refusals of the port node come back unchanged; the value stays set.
    EXPECT_EQ(map.setPort(1, PORT_OUT, SIGNAL_LOW), -1);
    EXPECT_EQ(map.GetPort(1)->GetPortValue(), SIGNAL_LOW);
    EXPECT_EQ(map.setPort(3, PORT_INOUT, SIGNAL_LOW), -1);
    // A port without cells only takes the value; unknown pins are refused.
    EXPECT_EQ(map.setPort(6, PORT_IN, SIGNAL_HIGH), 0);
    EXPECT_EQ(map.GetPort(6)->GetPortValue(), SIGNAL_HIGH);
    EXPECT_EQ(map.setPort(-1, PORT_IN, SIGNAL_HIGH), -1);
    EXPECT_EQ(map.setPort(8, PORT_IN, SIGNAL_HIGH), -1);
    EXPECT_EQ(Image(map), (std::vector<int>{0xE5, 0xD0}));
    map.ResetAllPort();
    EXPECT_EQ(Image(map), (std::vector<int>{0, 0}));
}

TEST(CellTableTest, FlaggedSetPortMarksThePortsBits)
{
    BScanPinMap map;
    AddPort(map, "Y", "out", 1);
    AddPort(map, "B", "inout", 2);
    AddPort(map, "A", "in", 3);
    map.AllocateBScanCellTable(9);
    Entry(map, 0, "*", 0, "control");
    Entry(map, 4, "*", 0, "control");
    Entry(map, 1, "Y", 0, "output3", SIGNAL_LOW, 0, SIGNAL_LOW);
    Entry(map, 5, "B", 0, "output3", SIGNAL_LOW, 4, SIGNAL_LOW);
    Entry(map, 8, "B", 0, "input", SIGNAL_LOW);
    Entry(map, 6, "A", 0, "observe_only", SIGNAL_LOW);
    EXPECT_EQ(map.setPort(1, PORT_IN, SIGNAL_LOW, true), 0);
    EXPECT_EQ(map.setPort(2, PORT_OUT, SIGNAL_LOW, false), 0);
    EXPECT_EQ(map.setPort(3, PORT_IN, SIGNAL_HIGH, true), 0);  // observe-only plays no part
    EXPECT_EQ(Image(map), (std::vector<int>{0xCC, 0x80}));
    EXPECT_EQ(map.GetBScanCell(1)->m_value, SIGNAL_LOW);  // no cell value changes
    EXPECT_EQ(map.setPort(4, PORT_IN, SIGNAL_HIGH, true), -1);

    // A cell a host associated that lies outside the table, or no table.
    KBScanCell stray;
    stray.SetFunction(FUNC_INPUT);
    stray.SetBoundaryCellPosition(40);
    BScanPinMap bare;
    AddPort(bare, "S", "in", 1);
    bare.GetPort(1)->AssociateBScanCell(&stray);
    EXPECT_EQ(bare.setPort(1, PORT_IN, SIGNAL_HIGH, true), -1);  // no image
    bare.AllocateBScanCellTable(8);
    EXPECT_EQ(bare.setPort(1, PORT_IN, SIGNAL_HIGH, true), -1);
    EXPECT_EQ(bare.setPort(1, PORT_IN, SIGNAL_HIGH), -1);
    EXPECT_EQ(stray.m_value, SIGNAL_HIGH);
    EXPECT_EQ(Image(bare), (std::vector<int>{0}));
}

// Once lookups have examined a few tables' worth of cells, the names are
// filed; an entry's name is the name of its first cell, so renaming that
// cell must hand the entry on. Random renames and lookups, checked against
// a plain scan of the table (names of 1 to 17 bytes, case variants, bytes
// above 127, which have no case).
TEST(CellTableTest, FiledCellNamesFollowRenames)
{
    const int kCells = 40;
    BScanPinMap map;
    map.AllocateBScanCellTable(kCells);
    const std::vector<std::string> names = {"", "a", "A", "ab", "aB", "pad_1234", "PAD_1234",
                                            "pad_12345", "Pad_1234567890abc", "\xe9x", "\xc9X",
                                            "PAD_1234567890ABC", "pad_1234567890abd"};
    std::mt19937 random(7);
    auto pick = [&](size_t n) { return static_cast<size_t>(random() % n); };
    auto upper = [](std::string text) {
        for (char& c : text) {
            c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
        }
        return text;
    };
    auto scan = [&](const std::string& name, bool original) -> KBScanCell* {
        for (int i = 0; i < kCells; ++i) {
            KBScanCell* cell = map.GetBScanCell(i);
            if (upper(original ? cell->GetOriginalPinName() : cell->GetPinName()) == upper(name)) {
                return cell;
            }
        }
        return nullptr;
    };
    for (int step = 0; step < 3000; ++step) {
        KBScanCell* cell = map.GetBScanCell(static_cast<int>(pick(kCells)));
        const std::string& name = names[pick(names.size())];
        if (!ChangeCell(cell, static_cast<int>(pick(4)), name,
                        [&] { return map.GetBScanCell(static_cast<int>(pick(kCells))); })) {
            const std::string& wanted = names[pick(names.size())];
            ASSERT_EQ(map.GetBScanCell(wanted.c_str()), scan(wanted, false)) << step;
            ASSERT_EQ(map.GetBScanCellByOriginalName(wanted.c_str()), scan(wanted, true)) << step;
        }
    }
}

TEST(CellTableTest, NamesFiledPartlyFollowRenamesOnBothSidesOfTheFiledCells)
{
    // Lookups of names near the start of a big table file the names only
    // up to their match: renames of cells already filed and of cells not
    // filed yet, and lookups that file further, all find what a plain scan
    // finds.
    const int kCells = 600;
    BScanPinMap map;
    map.AllocateBScanCellTable(kCells);
    auto nameOf = [](int k) { return (k % 3 == 0 ? "pad_" : "PAD_") + std::to_string(k); };
    for (int i = 0; i < kCells; ++i) {
        map.GetBScanCell(i)->SetPinName(nameOf(i).c_str());
        map.GetBScanCell(i)->SetOriginalPinName(nameOf(kCells - 1 - i).c_str());
    }
    auto scan = [&](const std::string& name, bool original) -> KBScanCell* {
        for (int i = 0; i < kCells; ++i) {
            KBScanCell* cell = map.GetBScanCell(i);
            const char* text = original ? cell->GetOriginalPinName() : cell->GetPinName();
            if (strcasecmp(text, name.c_str()) == 0) {
                return cell;
            }
        }
        return nullptr;
    };
    std::mt19937 random(11);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int step = 0; step < 4000; ++step) {
        // Names of early cells mostly, so that the filing stays partial
        // for a long while; now and then one late or missing.
        const int spread = pick(10) == 0 ? kCells + 50 : 40 + step / 40;
        const std::string name = nameOf(pick(spread));
        KBScanCell* cell = map.GetBScanCell(pick(kCells));
        if (!ChangeCell(cell, pick(5), name, [&] { return map.GetBScanCell(pick(kCells)); })) {
            KBScanCell* found = map.GetBScanCell(name.c_str());
            ASSERT_EQ(found, scan(name, false)) << step;
            ASSERT_EQ(map.GetBScanCellByOriginalName(name.c_str()), scan(name, true)) << step;
            if (found != nullptr && pick(2) == 0) {
                found->SetPinName("moved");  // the last cell filed, mostly
            }
        }
    }
}

TEST(CellTableTest, StoredEntriesNameCellsWhetherOrNotNamesAreFiled)
{
    // Entries stored before any lookup by name (nothing filed yet) and
    // after one (names filed) are found alike, and storing the same cell
    // again replaces its comment name, with the empty text too.
    BScanPinMap map;
    map.AllocateBScanCellTable(6);
    Entry(map, 5, "", 0, "internal", SIGNAL_X, -1, SIGNAL_LOW, SIGNAL_Z, "late");
    Entry(map, 1, "", 0, "internal", SIGNAL_X, -1, SIGNAL_LOW, SIGNAL_Z, "Pad_1");
    EXPECT_EQ(map.GetBScanCellByOriginalName("PAD_1"), map.GetBScanCell(1));
    Entry(map, 0, "", 0, "internal", SIGNAL_X, -1, SIGNAL_LOW, SIGNAL_Z, "pad_1");
    Entry(map, 3, "", 0, "internal", SIGNAL_X, -1, SIGNAL_LOW, SIGNAL_Z, "pad_3");
    EXPECT_EQ(map.GetBScanCellByOriginalName("Pad_1"), map.GetBScanCell(0));
    EXPECT_EQ(map.GetBScanCellByOriginalName("PAD_3"), map.GetBScanCell(3));
    Entry(map, 5, "", 0, "internal", SIGNAL_X, -1, SIGNAL_LOW, SIGNAL_Z, "");
    EXPECT_STREQ(map.GetBScanCell(5)->GetOriginalPinName(), "");
    Entry(map, 5, "", 0, "internal", SIGNAL_X, -1, SIGNAL_LOW, SIGNAL_Z, "again");
    EXPECT_EQ(map.GetBScanCellByOriginalName("LATE"), nullptr);
    EXPECT_EQ(map.GetBScanCellByOriginalName("again"), map.GetBScanCell(5));
}
