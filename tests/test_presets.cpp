// Cell presets: SetBSCANBitArray, and the initial cell values and image
// bits that the boundary register reader takes from them.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "parser/BScanParser.h"

#include "ReaderRun.h"

namespace {

class PresetParser : public BScanParser {
public:
    using BScanParser::m_presetCount;

    // Reads six cells 0 to 5 with the safe values 1, 0, X, 1, 0, 1 and
    // returns their values ("01XZ") and the image byte.
    std::string ReadSixCells()
    {
        if (m_pinMap == nullptr) {
            m_pinMap = new BScanPinMap();
            m_pinMap->AllocateBScanCellTable(6);
        }
        std::string head = "attribute BOUNDARY_REGISTER of D : entity is";
        int result = bscan_test::RunReader(
            "\"0 (BC_1, *, internal, 1), 1 (BC_1, *, internal, 0), 2 (BC_1, *, internal, X),\" &\n"
            "\"3 (BC_1, *, internal, 1), 4 (BC_1, *, internal, 0), 5 (BC_1, *, internal, 1)\";\n",
            [&](FILE* file) { return ReadBSCANBoundaryRegister(file, &head[0]); });
        return result == 0 ? Cells() : "failed";
    }
    std::string Cells()
    {
        std::string text;
        for (int i = 0; i < 6; ++i)
            text += "01XZ"[m_pinMap->GetBScanCell(i)->m_value];
        return text + " " + std::to_string(m_pinMap->GetBScanBitArray()[0]);
    }
};

}  // namespace

TEST(Presets, ValuesAndMaskGiveTheInitialCellValues)
{
    unsigned char values[6] = {0, 1, 2, 1, 1, 0};
    unsigned char mask[6] = {0xFF, 0, 1, 0x80, 0, 7};
    PresetParser plain, masked, none;
    plain.SetBSCANBitArray(values, 6, nullptr);
    masked.SetBSCANBitArray(values, 6, mask);
    EXPECT_EQ(plain.ReadSixCells(), "01X110 88");   // bits of cells 1, 3, 4
    EXPECT_EQ(masked.ReadSixCells(), "0XX1X0 16");  // bit of cell 3
    EXPECT_EQ(none.ReadSixCells(), "10X101 148");   // safe values
}

TEST(Presets, ArraysAreReplacedAsAWholeAndReadAtTheNextRegister)
{
    unsigned char ones[6] = {1, 1, 1, 1, 1, 1};
    unsigned char closed[6] = {0, 0, 0, 0, 0, 0};
    unsigned char zeros[2] = {0, 0};
    PresetParser parser;
    parser.SetBSCANBitArray(ones, 6, closed);
    parser.SetBSCANBitArray(zeros, 2, nullptr);     // the mask opens again
    ones[0] = 0;                                    // the caller's arrays were copied
    EXPECT_EQ(parser.ReadSixCells(), "00X101 20");  // cells 2 to 5 lie beyond the presets
    parser.SetBSCANBitArray(ones, 6, nullptr);
    EXPECT_EQ(parser.Cells(), "00X101 20");         // a table already read is not changed
    EXPECT_EQ(parser.ReadSixCells(), "011111 124");

    PresetParser negative, nullValues;
    EXPECT_EQ(negative.SetBSCANBitArray(ones, -3, ones), BSDL_OK);
    EXPECT_EQ(negative.m_presetCount, 0);
    EXPECT_EQ(negative.ReadSixCells(), "10X101 148");
    unsigned char partly[6] = {1, 1, 1, 0, 1, 1};
    EXPECT_EQ(nullValues.SetBSCANBitArray(nullptr, 6, partly), BSDL_OK);  // values all 0
    EXPECT_EQ(nullValues.ReadSixCells(), "000X00 0");
}
