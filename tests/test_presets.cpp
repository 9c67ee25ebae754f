// Cell presets: SetBSCANBitArray, and the initial cell values and image
// bits the boundary register reader takes from them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "parser/BScanParser.h"

namespace {

class PresetParser : public BScanParser {
public:
    using BScanParser::m_pinMap;
    using BScanParser::m_presetCount;
    using BScanParser::m_presetMask;
    using BScanParser::m_presetValues;
    using BScanParser::ReadBSCANBoundaryRegister;

    // Six cells 0 to 5 with the safe values 1, 0, X, 1, 0, 1 (bits 0x90).
    int ReadSixCells()
    {
        if (m_pinMap == nullptr) {
            m_pinMap = new BScanPinMap();
            m_pinMap->AllocateBScanCellTable(6);
        }
        FILE* file = std::tmpfile();
        std::fputs("\"0 (BC_1, *, internal, 1), 1 (BC_1, *, internal, 0), \" &\n"
                   "\"2 (BC_1, *, internal, X), 3 (BC_1, *, internal, 1), \" &\n"
                   "\"4 (BC_1, *, internal, 0), 5 (BC_1, *, internal, 1)\";\n",
                   file);
        std::rewind(file);
        std::string head = "attribute BOUNDARY_REGISTER of D : entity is";
        int result = ReadBSCANBoundaryRegister(file, &head[0]);
        std::fclose(file);
        return result;
    }
    std::string Values()
    {
        std::string text;
        for (int i = 0; i < 6; ++i)
            text += "01XZ"[m_pinMap->GetBScanCell(i)->m_value];
        return text;
    }
    int Bits() { return m_pinMap->GetBScanBitArray()[0]; }
};

}  // namespace

TEST(Presets, ValuesAndMaskGiveTheInitialCellValues)
{
    unsigned char values[6] = {0, 1, 2, 1, 1, 0};
    PresetParser plain;
    EXPECT_EQ(plain.SetBSCANBitArray(values, 6, nullptr), BSDL_OK);
    ASSERT_EQ(plain.ReadSixCells(), BSDL_OK);
    EXPECT_EQ(plain.Values(), "01X110");
    EXPECT_EQ(plain.Bits(), 0x40 | 0x10 | 0x08);
    // The safe values stay what the entries say.
    EXPECT_EQ(plain.m_pinMap->GetBScanCell(1)->m_safeValue, SIGNAL_LOW);

    unsigned char mask[6] = {0xFF, 0, 1, 0x80, 0, 7};
    PresetParser masked;
    masked.SetBSCANBitArray(values, 6, mask);
    ASSERT_EQ(masked.ReadSixCells(), BSDL_OK);
    EXPECT_EQ(masked.Values(), "0XX1X0");
    EXPECT_EQ(masked.Bits(), 0x10);
}

TEST(Presets, ArraysAreReplacedAsAWhole)
{
    unsigned char values[6] = {1, 1, 1, 1, 1, 1};
    unsigned char mask[6] = {0, 0, 0, 0, 0, 0};
    PresetParser parser;
    parser.SetBSCANBitArray(values, 6, mask);
    unsigned char fewer[2] = {0, 0};
    parser.SetBSCANBitArray(fewer, 2, nullptr);    // mask back to all 0xFF
    EXPECT_EQ(parser.m_presetCount, 2);
    EXPECT_EQ(parser.m_presetMask[0], 0xFF);
    EXPECT_EQ(parser.m_presetMask[1], 0xFF);
    ASSERT_EQ(parser.ReadSixCells(), BSDL_OK);
    // Cells 2 to 5 lie beyond the presets and take their safe values.
    EXPECT_EQ(parser.Values(), "00X101");
    EXPECT_EQ(parser.Bits(), 0x10 | 0x04);

    // Presets given after the reading change neither the cells nor the image.
    parser.SetBSCANBitArray(values, 6, nullptr);
    EXPECT_EQ(parser.Values(), "00X101");
    EXPECT_EQ(parser.Bits(), 0x14);
    // ... and apply to the next reading.
    ASSERT_EQ(parser.ReadSixCells(), BSDL_OK);
    EXPECT_EQ(parser.Values(), "111111");
    EXPECT_EQ(parser.Bits(), 0xFC);
}

TEST(Presets, UnusualArguments)
{
    // A negative count is taken as 0: no cell is covered.
    PresetParser negative;
    unsigned char values[6] = {1, 1, 1, 1, 1, 1};
    EXPECT_EQ(negative.SetBSCANBitArray(values, -3, values), BSDL_OK);
    EXPECT_EQ(negative.m_presetCount, 0);
    ASSERT_NE(negative.m_presetValues, nullptr);
    ASSERT_EQ(negative.ReadSixCells(), BSDL_OK);
    EXPECT_EQ(negative.Values(), "10X101");

    // Null values with a positive count preset every value byte to 0.
    PresetParser zeros;
    unsigned char mask[6] = {1, 1, 1, 0, 1, 1};
    EXPECT_EQ(zeros.SetBSCANBitArray(nullptr, 6, mask), BSDL_OK);
    ASSERT_EQ(zeros.ReadSixCells(), BSDL_OK);
    EXPECT_EQ(zeros.Values(), "000X00");
    EXPECT_EQ(zeros.Bits(), 0);

    // The mask is copied: changing the caller's array later has no effect.
    PresetParser copied;
    unsigned char keep[6] = {1, 1, 1, 1, 1, 1};
    unsigned char open[6] = {1, 1, 1, 1, 1, 1};
    copied.SetBSCANBitArray(keep, 6, open);
    keep[0] = 0;
    open[1] = 0;
    ASSERT_EQ(copied.ReadSixCells(), BSDL_OK);
    EXPECT_EQ(copied.Values(), "111111");
}
