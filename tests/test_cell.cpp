// Boundary cell: the cell vocabulary conversions, defaults and copying.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "model/KBScanCell.h"
#include "model/KPinNode.h"
#include "model/Signals.h"

// The numbers of the enumerators are part of the interface.
static_assert(SIGNAL_LOW == 0 && SIGNAL_HIGH == 1 && SIGNAL_X == 2 && SIGNAL_Z == 3 &&
                  SIGNAL_PULL0 == 4 && SIGNAL_PULL1 == 5 && SIGNAL_WEAK0 == 6 &&
                  SIGNAL_WEAK1 == 7,
              "eSignal numbers");
static_assert(PORT_IN == 0 && PORT_OUT == 1 && PORT_INOUT == 2 && PORT_BUFFER == 3 &&
                  PORT_NONE == 4,
              "PortType numbers");
static_assert(CELL_BC_0 == 0 && CELL_BC_1 == 1 && CELL_BC_2 == 2 && CELL_BC_3 == 3 &&
                  CELL_BC_4 == 4 && CELL_BC_5 == 5 && CELL_BC_6 == 6 && CELL_BC_7 == 7 &&
                  CELL_TYPE_NONE == 8,
              "CellType numbers");
static_assert(FUNC_INPUT == 0 && FUNC_CLOCK == 1 && FUNC_OUTPUT2 == 2 && FUNC_OUTPUT3 == 3 &&
                  FUNC_CONTROL == 4 && FUNC_CONTROLR == 5 && FUNC_INTERNAL == 6 &&
                  FUNC_BIDIR == 7 && FUNC_BIDIR_IN == 8 && FUNC_BIDIR_OUT == 9 &&
                  FUNC_OBSERVE_ONLY == 10 && FUNC_NONE == 11,
              "CellFunction numbers");

TEST(CellTest, NewCellHoldsDefaults)
{
    KBScanCell cell;
    EXPECT_EQ(cell.GetBoundaryCellPosition(), -1);
    EXPECT_EQ(cell.GetBScanCellType(), CELL_TYPE_NONE);
    EXPECT_EQ(cell.GetFunction(), FUNC_NONE);
    EXPECT_EQ(cell.GetPinNode(), nullptr);
    EXPECT_EQ(cell.GetControlCell(), nullptr);
    EXPECT_EQ(cell.m_safeValue, SIGNAL_X);
    EXPECT_EQ(cell.m_disableValue, SIGNAL_HIGH);
    EXPECT_EQ(cell.m_disableResult, SIGNAL_Z);
    EXPECT_EQ(cell.m_value, SIGNAL_X);
    EXPECT_STREQ(cell.GetPinName(), "");
    EXPECT_STREQ(cell.GetOriginalPinName(), "");
}

TEST(CellTest, CellTypeTextsMatchWholeAndIgnoreCase)
{
    KBScanCell cell;
    EXPECT_EQ(cell.ConvertCellTypeToEnum("bc_4"), CELL_BC_4);
    EXPECT_EQ(cell.ConvertCellTypeToEnum("Bc_0"), CELL_BC_0);
    EXPECT_EQ(cell.ConvertCellTypeToEnum("BC_7"), CELL_BC_7);
    EXPECT_EQ(cell.ConvertCellTypeToEnum("BC_8"), CELL_TYPE_NONE);
    EXPECT_EQ(cell.ConvertCellTypeToEnum("BC_1 "), CELL_TYPE_NONE);
    EXPECT_EQ(cell.ConvertCellTypeToEnum(" BC_1"), CELL_TYPE_NONE);
    EXPECT_EQ(cell.ConvertCellTypeToEnum("BC_"), CELL_TYPE_NONE);
    EXPECT_EQ(cell.ConvertCellTypeToEnum(""), CELL_TYPE_NONE);
    EXPECT_EQ(cell.ConvertCellTypeToEnum(nullptr), CELL_TYPE_NONE);

    char text[] = "bc_2";
    cell.SetCellType(text);
    EXPECT_EQ(cell.GetBScanCellType(), CELL_BC_2);
    EXPECT_STREQ(text, "bc_2");  // the type text is not upper-cased
    cell.SetCellType(static_cast<char*>(nullptr));
    EXPECT_EQ(cell.GetBScanCellType(), CELL_BC_2);
    char other[] = "BC_9";
    cell.SetCellType(other);
    EXPECT_EQ(cell.GetBScanCellType(), CELL_TYPE_NONE);
}

TEST(CellTest, FunctionTextIsUpperCasedAndMatchedWhole)
{
    struct Case {
        const char* text;
        CellFunction function;
    };
    const Case cases[] = {
        {"input", FUNC_INPUT},       {"Clock", FUNC_CLOCK},        {"output2", FUNC_OUTPUT2},
        {"output3", FUNC_OUTPUT3},   {"control", FUNC_CONTROL},    {"CONTROLR", FUNC_CONTROLR},
        {"internal", FUNC_INTERNAL}, {"bidir", FUNC_BIDIR},        {"bidir_in", FUNC_BIDIR_IN},
        {"BIDIR_OUT", FUNC_BIDIR_OUT}, {"observe_only", FUNC_OBSERVE_ONLY},
    };
    for (const Case& c : cases) {
        KBScanCell cell;
        char text[32];
        std::strcpy(text, c.text);
        cell.SetFunction(text);
        EXPECT_EQ(cell.GetFunction(), c.function) << c.text;
    }

    KBScanCell cell;
    char output3[] = "output3";
    cell.SetFunction(output3);
    EXPECT_STREQ(output3, "OUTPUT3");

    // Unknown texts (partial words, surrounding blanks) leave the function;
    // they are still upper-cased.
    cell.SetFunction(FUNC_INPUT);
    char partial[] = "output";
    cell.SetFunction(partial);
    EXPECT_EQ(cell.GetFunction(), FUNC_INPUT);
    EXPECT_STREQ(partial, "OUTPUT");
    char blank[] = "bidir ";
    cell.SetFunction(blank);
    EXPECT_EQ(cell.GetFunction(), FUNC_INPUT);
    cell.SetFunction(static_cast<char*>(nullptr));
    EXPECT_EQ(cell.GetFunction(), FUNC_INPUT);
}

TEST(CellTest, NamesAreCopiesAndNullLeavesThem)
{
    KBScanCell cell;
    char name[] = "D3";
    cell.SetPinName(name);
    name[0] = 'X';
    EXPECT_STREQ(cell.GetPinName(), "D3");
    cell.SetPinName(nullptr);
    EXPECT_STREQ(cell.GetPinName(), "D3");
    cell.SetPinName("");
    EXPECT_STREQ(cell.GetPinName(), "");

    cell.SetOriginalPinName("PAD_12");
    cell.SetOriginalPinName(nullptr);
    EXPECT_STREQ(cell.GetOriginalPinName(), "PAD_12");
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
    source->SetCellType(CELL_BC_1);
    source->m_value = SIGNAL_HIGH;
    source->m_disableValue = SIGNAL_LOW;
    source->m_disableResult = SIGNAL_WEAK1;
    source->m_safeValue = SIGNAL_PULL0;
    source->SetPinName("OE");
    source->SetOriginalPinName("oe_pad");

    KBScanCell copy(*source);
    KBScanCell assigned;
    assigned.SetPinName("OLD");
    KBScanCell& result = (assigned = *source);
    EXPECT_EQ(&result, &assigned);

    source->SetPinName("CHANGED");
    source.reset();  // the copies own their texts

    for (const KBScanCell* cell : {&copy, &assigned}) {
        EXPECT_EQ(cell->GetPinNode(), &port);
        EXPECT_EQ(cell->GetControlCell(), &control);
        EXPECT_EQ(cell->GetBoundaryCellPosition(), 5);
        EXPECT_EQ(cell->GetFunction(), FUNC_OUTPUT3);
        EXPECT_EQ(cell->GetBScanCellType(), CELL_BC_1);
        EXPECT_EQ(cell->m_value, SIGNAL_HIGH);
        EXPECT_EQ(cell->m_disableValue, SIGNAL_LOW);
        EXPECT_EQ(cell->m_disableResult, SIGNAL_WEAK1);
        EXPECT_EQ(cell->m_safeValue, SIGNAL_PULL0);
        EXPECT_STREQ(cell->GetPinName(), "OE");
        EXPECT_STREQ(cell->GetOriginalPinName(), "oe_pad");
    }

    copy.SetPinName("MINE");
    EXPECT_STREQ(assigned.GetPinName(), "OE");
    KBScanCell& self = copy;
    copy = self;
    EXPECT_STREQ(copy.GetPinName(), "MINE");
}
