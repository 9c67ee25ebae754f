// Whole devices read from fixture files: the scan bit image after Read and
// after driving ports with setPort, presets and differential pairs.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "parser/BScanParser.h"

namespace {

int ReadFixture(BScanParser& parser, const char* name)
{
    const std::string path = std::string(BSCAN_TEST_DATA_DIR) + "/" + name;
    int result = parser.Initialize(path.c_str(), BSCAN_MESSAGE_DIR);
    return result < 0 ? result : parser.Read();
}

// The image bytes in hexadecimal, "a0 80".
std::string Image(BScanParser& parser)
{
    BScanPinMap* pinMap = parser.GetPinMap();
    std::string text;
    char byte[4];
    for (int i = 0; i < (pinMap->GetBScanLength() + 7) / 8; ++i) {
        std::snprintf(byte, sizeof byte, i ? " %02x" : "%02x", pinMap->GetBScanBitArray()[i]);
        text += byte;
    }
    return text;
}

enum DevicePin { IN1 = 1, OUT2, OUT3, IO1, OBS1 };

}  // namespace

TEST(DeviceEndToEnd, DrivingPortsSetsTheImageBits)
{
    BScanParser parser;
    ASSERT_EQ(ReadFixture(parser, "boundary_device.bsdl"), BSDL_OK);
    BScanPinMap* pinMap = parser.GetPinMap();
    EXPECT_EQ(Image(parser), "a0 80");              // safe values: cells 0, 2 and 8
    EXPECT_STREQ(pinMap->GetBScanCell(9)->GetOriginalPinName(), "pad1");

    EXPECT_EQ(pinMap->setPort(IN1, PORT_IN, SIGNAL_HIGH), 0);        // cell 9
    EXPECT_EQ(Image(parser), "a0 c0");
    EXPECT_EQ(pinMap->setPort(OUT2, PORT_OUT, SIGNAL_LOW), -1);      // two-state, no control cell
    EXPECT_EQ(pinMap->setPort(OUT3, PORT_OUT, SIGNAL_HIGH), 0);      // cell 6, control 7 enabled
    EXPECT_EQ(Image(parser), "a3 c0");
    EXPECT_EQ(pinMap->setPort(OUT3, PORT_IN, SIGNAL_LOW), -1);
    EXPECT_EQ(pinMap->setPort(IO1, PORT_OUT, SIGNAL_HIGH), 0);       // cell 4, control 5 enabled
    EXPECT_EQ(Image(parser), "af c0");
    EXPECT_EQ(pinMap->GetPortDirection(IO1), PORT_OUT);
    EXPECT_EQ(pinMap->setPort(IO1, PORT_IN, SIGNAL_LOW), 0);         // driver off again
    EXPECT_EQ(Image(parser), "a3 c0");
    EXPECT_EQ(pinMap->GetPortDirection(IO1), PORT_IN);
    EXPECT_EQ(pinMap->setPort(OBS1, PORT_IN, SIGNAL_HIGH), 0);       // observe-only cell 3
    EXPECT_EQ(Image(parser), "b3 c0");
    pinMap->InitBSCANBitArray();
    EXPECT_EQ(pinMap->setPort(OUT3, PORT_OUT, SIGNAL_LOW, true), 0);
    EXPECT_EQ(Image(parser), "03 00");
}

TEST(DeviceEndToEnd, PresetsApplyToEveryLaterReading)
{
    unsigned char values[10] = {0, 1, 0, 1, 1, 1, 1, 2, 1, 1};
    unsigned char mask[10] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 0};
    BScanParser parser;
    parser.SetBSCANBitArray(values, 10, mask);
    ASSERT_EQ(ReadFixture(parser, "boundary_device.bsdl"), BSDL_OK);
    EXPECT_EQ(Image(parser), "5e 80");
    ASSERT_EQ(ReadFixture(parser, "boundary_device.bsdl"), BSDL_OK);  // Initialize keeps them
    EXPECT_EQ(Image(parser), "5e 80");
}

TEST(DeviceEndToEnd, DifferentialPairsResolveToCells)
{
    BScanParser parser;
    ASSERT_EQ(ReadFixture(parser, "boundary_pairs.bsdl"), BSDL_OK);
    BScanPinMap* pinMap = parser.GetPinMap();
    ASSERT_EQ(parser.GetDifferentialPairCount(), 2);
    const CDifferentialPair* tx = parser.GetDifferentialPair(0);
    const CDifferentialPair* rx = parser.GetDifferentialPair(1);
    EXPECT_EQ(std::string(tx->GetPositiveElement()) + tx->GetNegativeElement() + rx->GetPositiveElement() +
                  rx->GetNegativeElement(), "TXPTXNRXPRXN");
    EXPECT_EQ(tx->GetPositiveBScanPosition() * 1000 + tx->GetNegativeBScanPosition() * 100 +
                  rx->GetPositiveBScanPosition() * 10 + rx->GetNegativeBScanPosition(), 6532);
    EXPECT_TRUE(pinMap->IsPositiveElement(1) && pinMap->IsNegativeElement(2));
    EXPECT_EQ(pinMap->GetBScanCell("txn"), pinMap->GetBScanCell(5));
    EXPECT_EQ(Image(parser), "81");                 // still the entries' image: cells 0 and 7
    EXPECT_EQ(pinMap->setPort(2, PORT_OUT, SIGNAL_HIGH), 0);  // TXN: cell 5, control 4 low
    EXPECT_EQ(Image(parser), "85");
    EXPECT_EQ(pinMap->setPort(1, PORT_OUT, SIGNAL_LOW), 0);   // TXP: cell 6, control 7 low
    EXPECT_EQ(Image(parser), "84");
    EXPECT_EQ(pinMap->setPort(4, PORT_IN, SIGNAL_HIGH), 0);   // RXN: cell 2
    EXPECT_EQ(Image(parser), "a4");
}
