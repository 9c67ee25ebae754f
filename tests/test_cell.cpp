// Boundary cell: the cell vocabulary conversions, defaults and copying.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "model/KBScanCell.h"
#include "model/KPinNode.h"

// The numbers of the enumerators are part of the interface.
static_assert(SIGNAL_LOW == 0 && SIGNAL_X == 2 && SIGNAL_PULL0 == 4 && SIGNAL_WEAK1 == 7, "");
static_assert(PORT_IN == 0 && PORT_INOUT == 2 && PORT_BUFFER == 3 && PORT_NONE == 4, "");
static_assert(CELL_BC_0 == 0 && CELL_BC_7 == 7 && CELL_TYPE_NONE == 8, "");
static_assert(FUNC_INPUT == 0 && FUNC_CLOCK == 1 && FUNC_OUTPUT2 == 2 && FUNC_OUTPUT3 == 3 &&
                  FUNC_CONTROL == 4 && FUNC_CONTROLR == 5 && FUNC_INTERNAL == 6 &&
                  FUNC_BIDIR == 7 && FUNC_BIDIR_IN == 8 && FUNC_BIDIR_OUT == 9 &&
                  FUNC_OBSERVE_ONLY == 10 && FUNC_NONE == 11,
              "");

TEST(CellTest, NewCellAndCellTypeTexts)
{
    KBScanCell cell;
    EXPECT_EQ(cell.GetBoundaryCellPosition(), -1);
    EXPECT_EQ(cell.GetBScanCellType(), CELL_TYPE_NONE);
    EXPECT_EQ(cell.GetFunction(), FUNC_NONE);
    EXPECT_EQ(cell.m_safeValue, SIGNAL_X);
    EXPECT_EQ(cell.m_disableValue, SIGNAL_HIGH);
    EXPECT_EQ(cell.m_disableResult, SIGNAL_Z);
    EXPECT_EQ(cell.m_value, SIGNAL_X);
    EXPECT_STREQ(cell.GetPinName(), "");

    EXPECT_EQ(cell.ConvertCellTypeToEnum("bc_4"), CELL_BC_4);
    EXPECT_EQ(cell.ConvertCellTypeToEnum("Bc_0"), CELL_BC_0);
    EXPECT_EQ(cell.ConvertCellTypeToEnum("BC_7"), CELL_BC_7);
    for (const char* other : {"BC_8", "BC_1 ", " BC_1", "BC_", ""}) {
        EXPECT_EQ(cell.ConvertCellTypeToEnum(other), CELL_TYPE_NONE) << other;
    }
    EXPECT_EQ(cell.ConvertCellTypeToEnum(nullptr), CELL_TYPE_NONE);

    char text[] = "bc_2";
    cell.SetCellType(text);
    cell.SetCellType(static_cast<char*>(nullptr));
    EXPECT_EQ(cell.GetBScanCellType(), CELL_BC_2);
}

TEST(CellTest, FunctionTextIsUpperCasedAndMatchedWhole)
{
    const char* texts[] = {"input",    "Clock", "output2",  "output3",   "control",     "CONTROLR",
                           "internal", "bidir", "bidir_in", "BIDIR_OUT", "observe_only"};
    for (int f = FUNC_INPUT; f < FUNC_NONE; ++f) {
        KBScanCell cell;
        std::string text(texts[f]);
        cell.SetFunction(&text[0]);
        EXPECT_EQ(cell.GetFunction(), f) << texts[f];
    }

    KBScanCell cell;
    char output3[] = "output3";
    cell.SetFunction(output3);
    EXPECT_STREQ(output3, "OUTPUT3");

    // Unknown texts leave the function, and are upper-cased all the same.
    cell.SetFunction(FUNC_INPUT);
    char partial[] = "output", blank[] = "bidir ";
    cell.SetFunction(partial);
    cell.SetFunction(blank);
    cell.SetFunction(static_cast<char*>(nullptr));
    EXPECT_EQ(cell.GetFunction(), FUNC_INPUT);
    EXPECT_STREQ(partial, "OUTPUT");
}

TEST(CellTest, FunctionTextsOneByteOffAName)
{
    // Every name with each of its bytes changed (to another letter, a digit,
    // '_' or a blank), in lower and upper case: the function is set exactly
    // when the upper-cased text is a name, and the text is left upper-cased.
    const char* names[] = {"INPUT",    "CLOCK", "OUTPUT2",  "OUTPUT3",   "CONTROL",     "CONTROLR",
                           "INTERNAL", "BIDIR", "BIDIR_IN", "BIDIR_OUT", "OBSERVE_ONLY"};
    for (const char* name : names) {
        const std::string base(name);
        for (size_t at = 0; at < base.size(); ++at) {
            for (char c : {'A', 'T', 'z', '3', '_', ' ', base[at]}) {
                std::string upper = base;
                upper[at] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
                int expected = FUNC_NONE;
                for (int f = FUNC_INPUT; f < FUNC_NONE; ++f) {
                    if (upper == names[f])
                        expected = f;
                }
                std::string text = base;
                text[at] = c;
                for (char& b : text)
                    b = static_cast<char>(b >= 'A' && b <= 'Z' ? b - 'A' + 'a' : b);
                KBScanCell cell;
                cell.SetFunction(&text[0]);
                EXPECT_EQ(cell.GetFunction(), expected) << text;
                EXPECT_EQ(text, upper);
            }
        }
    }
}

TEST(CellTest, CopiesShareLinksButNotTexts)
{
    KPinNode port;
    KBScanCell control;
    auto source = std::make_unique<KBScanCell>();
    source->SetPinNode(&port);
    source->SetControlCell(&control);
    source->SetBoundaryCellPosition(5);
    source->SetFunction(FUNC_OUTPUT3);
    source->m_value = SIGNAL_HIGH;
    source->m_disableResult = SIGNAL_WEAK1;
    source->SetPinName("OE");
    source->SetPinName(nullptr);
    source->SetOriginalPinName("oe_pad");
    source->SetOriginalPinName(nullptr);

    KBScanCell copy(*source);
    KBScanCell assigned;
    assigned.SetPinName("OLD");
    EXPECT_EQ(&(assigned = *source), &assigned);
    source->SetPinName("CHANGED");
    source.reset();  // the copies own their texts

    for (const KBScanCell* cell : {&copy, &assigned}) {
        EXPECT_EQ(cell->GetPinNode(), &port);
        EXPECT_EQ(cell->GetControlCell(), &control);
        EXPECT_EQ(cell->GetBoundaryCellPosition(), 5);
        EXPECT_EQ(cell->GetFunction(), FUNC_OUTPUT3);
        EXPECT_EQ(cell->m_value, SIGNAL_HIGH);
        EXPECT_EQ(cell->m_disableResult, SIGNAL_WEAK1);
        EXPECT_STREQ(cell->GetPinName(), "OE");
        EXPECT_STREQ(cell->GetOriginalPinName(), "oe_pad");
    }
    copy.SetPinName("");
    EXPECT_STREQ(assigned.GetPinName(), "OE");
}
