// Instruction register, register access and differential pair records.
#include <gtest/gtest.h>

#include "model/CDifferentialPair.h"
#include "model/CInstrOpcode.h"
#include "model/CRegister.h"

TEST(DescriptionTest, LessThanIsAGreaterThanTestIgnoringCase)
{
    const struct {
        const char* left;
        const char* right;
        bool result;
    } cases[] = {
        {"EXTEST", "bypass", true},  {"bypass", "EXTEST", false}, {"BYPASS", "bypass", false},
        {"bypass", "BYPASS", false}, {"AAB", "A_B", true},        {"A_B", "aab", false},
        {"EXTEST2", "EXTEST", true}, {"", "A", false},            {"Z", "\xE9", false},
    };
    for (const auto& c : cases) {
        CInstrOpcode left, right;
        left.SetInstruction(c.left);
        right.SetInstruction(c.right);
        right.AddOpcode("0");  // opcodes play no part
        EXPECT_EQ(left < right, c.result) << c.left << " < " << c.right;
    }
}

TEST(DescriptionTest, InstructionRegisterHoldsIndependentCopies)
{
    CInstrRegisterDesc desc;
    EXPECT_STREQ(desc.GetInstructionCapture(), "");
    EXPECT_EQ(desc.GetInstructionOpcode(0), nullptr);
    desc.SetInstructionLength(8);
    desc.SetInstructionCapture("000xxx01");
    desc.SetInstructionCapture(nullptr);
    CInstrOpcode op, empty;
    op.SetInstruction("BYPASS");
    op.SetInstruction(nullptr);
    op.AddOpcode("11111111");
    op.AddOpcode(nullptr);
    op.AddOpcode("11111111");
    EXPECT_EQ(op.GetOpcode(-1), nullptr);
    EXPECT_EQ(op.GetOpcode(op.GetOpcodeCount()), nullptr);
    desc.AddInstructionOpcode(&op);
    desc.AddInstructionOpcode(nullptr);
    desc.AddInstructionOpcode(&empty);
    op.AddOpcode("00000000");
    ASSERT_EQ(desc.GetInstructionOpcodeCount(), 2);
    EXPECT_EQ(desc.GetInstructionOpcode(0)->GetOpcodeCount(), 2);
    EXPECT_EQ(desc.GetInstructionOpcode(1)->GetOpcodeCount(), 0);
    EXPECT_EQ(desc.GetInstructionOpcode(-1), nullptr);
    EXPECT_EQ(desc.GetInstructionOpcode(2), nullptr);

    CInstrRegisterDesc copy(desc), assigned;
    assigned = desc;
    copy.AddInstructionOpcode(&op);
    assigned.SetInstructionCapture("01");
    EXPECT_EQ(desc.GetInstructionOpcodeCount(), 2);
    EXPECT_STREQ(desc.GetInstructionCapture(), "000xxx01");
    EXPECT_EQ(assigned.GetInstructionLength(), 8);
    EXPECT_EQ(assigned.GetInstructionOpcodeCount(), 2);
    EXPECT_STREQ(copy.GetInstructionOpcode(2)->GetOpcode(2), "00000000");
}

TEST(DescriptionTest, RegisterAccessHoldsIndependentCopies)
{
    CRegister reg;
    reg.SetRegisterName("MYREG[8]");
    reg.SetRegisterName(nullptr);
    reg.AddRegisterAssociation("USER1");
    reg.AddRegisterAssociation(nullptr);
    reg.AddRegisterAssociation("USER1");
    EXPECT_EQ(reg.GetRegisterAssocName(-1), nullptr);
    EXPECT_EQ(reg.GetRegisterAssocName(2), nullptr);

    CRegisterAccessDesc desc;
    EXPECT_EQ(desc.GetRegister(0), nullptr);
    desc.AddRegister(&reg);
    desc.AddRegister(nullptr);
    reg.AddRegisterAssociation("USER2");
    reg.SetRegisterName("OTHER");
    ASSERT_EQ(desc.GetRegisterCount(), 1);
    EXPECT_STREQ(desc.GetRegister(0)->GetRegisterName(), "MYREG[8]");
    EXPECT_STREQ(desc.GetRegister(0)->GetRegisterAssocName(1), "USER1");
    EXPECT_EQ(desc.GetRegister(0)->GetRegisterAssociationCount(), 2);

    CRegisterAccessDesc copy(desc), assigned;
    assigned = desc;
    copy.AddRegister(&reg);
    assigned.AddRegister(&reg);
    EXPECT_EQ(desc.GetRegisterCount(), 1);
    EXPECT_EQ(copy.GetRegister(1)->GetRegisterAssociationCount(), 3);
}

TEST(DescriptionTest, DifferentialPairCopiesNamesAndPositions)
{
    CDifferentialPair pair;
    EXPECT_STREQ(pair.GetNegativeElement(), "");
    EXPECT_EQ(pair.GetPositiveBScanPosition(), -1);
    EXPECT_EQ(pair.GetNegativeBScanPosition(), -1);
    pair.SetPositiveElement("CLK_P");
    pair.SetPositiveElement(nullptr);
    pair.SetNegativeElement("CLK_N");
    pair.SetPositiveBScanPosition(17);
    CDifferentialPair copy(pair);
    pair.SetNegativeElement("");
    EXPECT_STREQ(pair.GetNegativeElement(), "");
    EXPECT_STREQ(copy.GetPositiveElement(), "CLK_P");
    EXPECT_STREQ(copy.GetNegativeElement(), "CLK_N");
    EXPECT_EQ(copy.GetPositiveBScanPosition(), 17);
    EXPECT_EQ(copy.GetNegativeBScanPosition(), -1);
}
