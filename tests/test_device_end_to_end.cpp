// Whole devices read from fixture files: the cell table and scan bit image
// after Read, driving ports with setPort, presets and differential pairs.
#include <gtest/gtest.h>

#include <dirent.h>

#include <string>
#include <vector>

#include "parser/BScanParser.h"

namespace {

std::string Fixture(const char* name)
{
    return std::string(BSCAN_TEST_DATA_DIR) + "/" + name;
}

int ReadFixture(BScanParser& parser, const char* name)
{
    int result = parser.Initialize(Fixture(name).c_str(), BSCAN_MESSAGE_DIR);
    if (result < 0)
        return result;
    return parser.Read();
}

std::vector<int> Image(BScanParser& parser)
{
    BScanPinMap* pinMap = parser.GetPinMap();
    std::vector<int> bytes;
    for (int i = 0; i < (pinMap->GetBScanLength() + 7) / 8; ++i)
        bytes.push_back(pinMap->GetBScanBitArray()[i]);
    return bytes;
}

enum DevicePin { IN1 = 1, OUT2, OUT3, IO1, OBS1 };

}  // namespace

TEST(DeviceEndToEnd, DrivingPortsSetsTheImageBits)
{
    BScanParser parser;
    ASSERT_EQ(ReadFixture(parser, "boundary_device.bsdl"), BSDL_OK);
    BScanPinMap* pinMap = parser.GetPinMap();
    ASSERT_NE(pinMap, nullptr);
    ASSERT_EQ(pinMap->GetBScanLength(), 10);

    // Safe values: cells 0, 2 and 8 are 1.
    EXPECT_EQ(Image(parser), (std::vector<int>{0xA0, 0x80}));
    EXPECT_STREQ(pinMap->GetBScanCell(9)->GetOriginalPinName(), "pad1");
    EXPECT_STREQ(pinMap->GetBScanCell(7)->GetOriginalPinName(), "");
    EXPECT_EQ(pinMap->GetBScanCell(6)->GetControlCell(), pinMap->GetBScanCell(7));
    EXPECT_EQ(pinMap->GetBScanCell(4)->GetBScanCellType(), CELL_BC_7);
    EXPECT_TRUE(pinMap->HasBScanCell(OBS1));

    EXPECT_EQ(pinMap->setPort(IN1, PORT_IN, SIGNAL_HIGH), 0);
    EXPECT_EQ(Image(parser), (std::vector<int>{0xA0, 0xC0}));

    // A two-state output without control cell cannot be driven.
    EXPECT_EQ(pinMap->setPort(OUT2, PORT_OUT, SIGNAL_LOW), -1);
    EXPECT_EQ(Image(parser), (std::vector<int>{0xA0, 0xC0}));

    // Three-state output: the control cell 7 enables the driver (disable 0).
    EXPECT_EQ(pinMap->setPort(OUT3, PORT_OUT, SIGNAL_HIGH), 0);
    EXPECT_EQ(Image(parser), (std::vector<int>{0xA3, 0xC0}));
    EXPECT_EQ(pinMap->setPort(OUT3, PORT_IN, SIGNAL_LOW), -1);

    // Bidirectional cell 4 with control cell 5: out, then back in.
    EXPECT_EQ(pinMap->setPort(IO1, PORT_OUT, SIGNAL_HIGH), 0);
    EXPECT_EQ(Image(parser), (std::vector<int>{0xAF, 0xC0}));
    EXPECT_EQ(pinMap->GetPortDirection(IO1), PORT_OUT);
    EXPECT_EQ(pinMap->setPort(IO1, PORT_IN, SIGNAL_LOW), 0);
    EXPECT_EQ(Image(parser), (std::vector<int>{0xA3, 0xC0}));
    EXPECT_EQ(pinMap->GetPortDirection(IO1), PORT_IN);

    // Observe-only cell 3.
    EXPECT_EQ(pinMap->setPort(OBS1, PORT_IN, SIGNAL_HIGH), 0);
    EXPECT_EQ(Image(parser), (std::vector<int>{0xB3, 0xC0}));

    pinMap->InitBSCANBitArray();
    EXPECT_EQ(pinMap->setPort(OUT3, PORT_OUT, SIGNAL_LOW, true), 0);
    EXPECT_EQ(Image(parser), (std::vector<int>{0x03, 0x00}));
}

TEST(DeviceEndToEnd, PresetsApplyToEveryLaterReading)
{
    unsigned char values[10] = {0, 1, 0, 1, 1, 1, 1, 2, 1, 1};
    unsigned char mask[10] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 0};
    BScanParser parser;
    parser.SetBSCANBitArray(values, 10, mask);
    ASSERT_EQ(ReadFixture(parser, "boundary_device.bsdl"), BSDL_OK);
    EXPECT_EQ(Image(parser), (std::vector<int>{0x5E, 0x80}));
    EXPECT_EQ(parser.GetPinMap()->GetBScanCell(9)->m_value, SIGNAL_X);

    // Initialize resets the parser but keeps the presets.
    ASSERT_EQ(ReadFixture(parser, "boundary_device.bsdl"), BSDL_OK);
    EXPECT_EQ(Image(parser), (std::vector<int>{0x5E, 0x80}));

    BScanParser plain;
    ASSERT_EQ(ReadFixture(plain, "boundary_device.bsdl"), BSDL_OK);
    EXPECT_EQ(Image(plain), (std::vector<int>{0xA0, 0x80}));
}

TEST(DeviceEndToEnd, DifferentialPairsResolveToCells)
{
    BScanParser parser;
    ASSERT_EQ(ReadFixture(parser, "boundary_pairs.bsdl"), BSDL_OK);
    BScanPinMap* pinMap = parser.GetPinMap();
    ASSERT_EQ(parser.GetDifferentialPairCount(), 2);
    const CDifferentialPair* tx = parser.GetDifferentialPair(0);
    EXPECT_STREQ(tx->GetPositiveElement(), "TXP");
    EXPECT_STREQ(tx->GetNegativeElement(), "TXN");
    EXPECT_EQ(tx->GetPositiveBScanPosition(), 6);
    EXPECT_EQ(tx->GetNegativeBScanPosition(), 5);
    EXPECT_EQ(parser.GetDifferentialPair(1)->GetPositiveBScanPosition(), 3);
    EXPECT_EQ(parser.GetDifferentialPair(1)->GetNegativeBScanPosition(), 2);
    EXPECT_TRUE(pinMap->IsPositiveElement(1));
    EXPECT_TRUE(pinMap->IsNegativeElement(2));
    EXPECT_TRUE(pinMap->IsPositiveElement(3));
    EXPECT_TRUE(pinMap->IsNegativeElement(4));

    KBScanCell* txn = pinMap->GetBScanCell(5);
    EXPECT_STREQ(txn->GetPinName(), "TXN");
    EXPECT_EQ(txn->GetFunction(), FUNC_OUTPUT3);
    EXPECT_EQ(txn->GetControlCell(), pinMap->GetBScanCell(4));
    EXPECT_EQ(pinMap->GetBScanCell(4)->GetFunction(), FUNC_CONTROL);
    EXPECT_EQ(pinMap->GetBScanCell("txn"), txn);

    // The image is still the one of the entries: cells 0 and 7.
    EXPECT_EQ(Image(parser), (std::vector<int>{0x81}));
    // The negative legs are driven through their own cells.
    EXPECT_EQ(pinMap->setPort(2, PORT_OUT, SIGNAL_HIGH), 0);    // TXN: cell 5, control 4 low
    EXPECT_EQ(Image(parser), (std::vector<int>{0x85}));
    EXPECT_EQ(pinMap->setPort(1, PORT_OUT, SIGNAL_LOW), 0);     // TXP: cell 6, control 7 low
    EXPECT_EQ(Image(parser), (std::vector<int>{0x84}));
    EXPECT_EQ(pinMap->setPort(4, PORT_IN, SIGNAL_HIGH), 0);     // RXN: cell 2
    EXPECT_EQ(Image(parser), (std::vector<int>{0xA4}));
}

TEST(DeviceEndToEnd, UnresolvedPairDropsAllPairs)
{
    BScanParser parser;
    ASSERT_EQ(ReadFixture(parser, "boundary_pairs_drop.bsdl"), BSDL_OK);
    EXPECT_EQ(parser.GetDifferentialPairCount(), 0);
    for (int pin = 1; pin <= 5; ++pin) {
        EXPECT_FALSE(parser.GetPinMap()->IsPositiveElement(pin)) << pin;
        EXPECT_FALSE(parser.GetPinMap()->IsNegativeElement(pin)) << pin;
    }
    EXPECT_EQ(Image(parser), (std::vector<int>{0x81}));
}

TEST(DeviceEndToEnd, AnUnknownSafeValueEndsTheReading)
{
    BScanParser parser;
    EXPECT_EQ(ReadFixture(parser, "boundary_bad_value.bsdl"), BSDL_ERR_BAD_VALUE);
    BScanPinMap* pinMap = parser.GetPinMap();
    ASSERT_NE(pinMap, nullptr);
    EXPECT_EQ(pinMap->GetBScanCell(3)->GetBoundaryCellPosition(), 3);
    for (int cell : {0, 1, 2})
        EXPECT_EQ(pinMap->GetBScanCell(cell)->GetBoundaryCellPosition(), -1) << cell;
    EXPECT_EQ(Image(parser), (std::vector<int>{0x10}));
}

TEST(DeviceEndToEnd, RealFilesKeepTheirTablesConsistent)
{
    DIR* dir = opendir(BSCAN_REAL_BSDL_DIR);
    if (dir == nullptr)
        GTEST_SKIP() << "no real BSDL files";
    std::vector<std::string> files;
    while (dirent* entry = readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != ".." && name != "README.md")
            files.push_back(name);
    }
    closedir(dir);

    int withTable = 0;
    for (const std::string& name : files) {
        BScanParser parser;
        const std::string path = std::string(BSCAN_REAL_BSDL_DIR) + "/" + name;
        if (parser.Initialize(path.c_str(), BSCAN_MESSAGE_DIR) < 0)
            continue;
        parser.Read();
        BScanPinMap* pinMap = parser.GetPinMap();
        if (pinMap == nullptr || pinMap->GetBScanLength() == 0)
            continue;
        ++withTable;
        // Every stored cell sits at its own number, and its bit follows its value.
        for (int i = 0; i < pinMap->GetBScanLength(); ++i) {
            const KBScanCell* cell = pinMap->GetBScanCell(i);
            if (cell->GetBoundaryCellPosition() == -1)
                continue;
            EXPECT_EQ(cell->GetBoundaryCellPosition(), i) << name;
        }
        for (int i = 0; i < parser.GetDifferentialPairCount(); ++i) {
            const CDifferentialPair* pair = parser.GetDifferentialPair(i);
            const std::string positive = pair->GetPositiveElement();
            EXPECT_EQ(positive.find_first_of("abcdefghijklmnopqrstuvwxyz"), std::string::npos)
                << name;
        }
    }
    EXPECT_GT(withTable, 0);
}
