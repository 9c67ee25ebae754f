// Instruction register, register access and differential pair records.
#include <gtest/gtest.h>

#include "model/CDifferentialPair.h"
#include "model/CInstrOpcode.h"
#include "model/CRegister.h"

namespace {

CInstrOpcode Instruction(const char* name)
{
    CInstrOpcode op;
    op.SetInstruction(name);
    return op;
}

}  // namespace

TEST(DescriptionTest, InstructionKeepsItsOpcodesInOrder)
{
    CInstrOpcode op;
    EXPECT_STREQ(op.GetInstruction(), "");
    EXPECT_EQ(op.GetOpcodeCount(), 0);
    EXPECT_EQ(op.GetOpcode(0), nullptr);
    op.SetInstruction("EXTEST");
    op.SetInstruction(nullptr);
    EXPECT_STREQ(op.GetInstruction(), "EXTEST");
    op.AddOpcode("0000");
    op.AddOpcode(nullptr);
    op.AddOpcode("0000");
    op.AddOpcode("1xx0");
    ASSERT_EQ(op.GetOpcodeCount(), 3);
    EXPECT_STREQ(op.GetOpcode(0), "0000");
    EXPECT_STREQ(op.GetOpcode(2), "1xx0");
    EXPECT_EQ(op.GetOpcode(-1), nullptr);
    EXPECT_EQ(op.GetOpcode(3), nullptr);

    CInstrOpcode copy(op);
    CInstrOpcode assigned = Instruction("OLD");
    assigned.AddOpcode("1");
    assigned = op;
    op.AddOpcode("1111");
    op.SetInstruction("CHANGED");
    for (const CInstrOpcode* c : {&copy, &assigned}) {
        EXPECT_STREQ(c->GetInstruction(), "EXTEST");
        ASSERT_EQ(c->GetOpcodeCount(), 3);
        EXPECT_STREQ(c->GetOpcode(1), "0000");
    }
    CInstrOpcode& self = copy;
    copy = self;
    EXPECT_EQ(copy.GetOpcodeCount(), 3);
}

TEST(DescriptionTest, LessThanIsAGreaterThanTestIgnoringCase)
{
    struct Case {
        const char* left;
        const char* right;
        bool result;
    };
    const Case cases[] = {
        {"EXTEST", "bypass", true},  {"bypass", "EXTEST", false},
        {"BYPASS", "bypass", false}, {"bypass", "BYPASS", false},
        {"AAB", "A_B", true},        {"A_B", "AAB", false},  // underscore before letters
        {"aab", "A_B", true},        {"A_B", "aab", false},
        {"EXTEST2", "EXTEST", true}, {"EXTEST", "EXTEST2", false},
        {"A", "", true},             {"", "A", false},
        {"", "", false},             {"Z", "\xE9", false},  // bytes compare unsigned
    };
    for (const Case& c : cases) {
        CInstrOpcode left = Instruction(c.left);
        CInstrOpcode right = Instruction(c.right);
        right.AddOpcode("0");  // opcodes play no part
        EXPECT_EQ(left < right, c.result) << c.left << " < " << c.right;
    }
}

TEST(DescriptionTest, InstructionRegisterHoldsCopies)
{
    CInstrRegisterDesc desc;
    EXPECT_EQ(desc.GetInstructionLength(), 0);
    EXPECT_STREQ(desc.GetInstructionCapture(), "");
    EXPECT_EQ(desc.GetInstructionOpcodeCount(), 0);
    EXPECT_EQ(desc.GetInstructionOpcode(0), nullptr);

    desc.SetInstructionLength(8);
    desc.SetInstructionCapture("000xxx01");
    desc.SetInstructionCapture(nullptr);
    EXPECT_STREQ(desc.GetInstructionCapture(), "000xxx01");
    CInstrOpcode op = Instruction("BYPASS");
    op.AddOpcode("11111111");
    desc.AddInstructionOpcode(&op);
    desc.AddInstructionOpcode(nullptr);
    CInstrOpcode empty = Instruction("HIGHZ");
    desc.AddInstructionOpcode(&empty);
    op.AddOpcode("00000000");
    ASSERT_EQ(desc.GetInstructionOpcodeCount(), 2);
    EXPECT_EQ(desc.GetInstructionOpcode(0)->GetOpcodeCount(), 1);
    EXPECT_EQ(desc.GetInstructionOpcode(1)->GetOpcodeCount(), 0);
    EXPECT_EQ(desc.GetInstructionOpcode(-1), nullptr);
    EXPECT_EQ(desc.GetInstructionOpcode(2), nullptr);

    CInstrRegisterDesc copy(desc);
    CInstrRegisterDesc assigned;
    assigned = desc;
    copy.AddInstructionOpcode(&op);
    assigned.SetInstructionCapture("01");
    EXPECT_EQ(desc.GetInstructionOpcodeCount(), 2);
    EXPECT_STREQ(desc.GetInstructionCapture(), "000xxx01");
    EXPECT_EQ(assigned.GetInstructionLength(), 8);
    EXPECT_STREQ(assigned.GetInstructionOpcode(1)->GetInstruction(), "HIGHZ");
    EXPECT_STREQ(copy.GetInstructionOpcode(2)->GetOpcode(1), "00000000");
    CInstrRegisterDesc& self = assigned;
    assigned = self;
    EXPECT_EQ(assigned.GetInstructionOpcodeCount(), 2);
}

TEST(DescriptionTest, RegisterAccessHoldsCopies)
{
    CRegister reg;
    EXPECT_STREQ(reg.GetRegisterName(), "");
    reg.SetRegisterName("MYREG[8]");
    reg.SetRegisterName(nullptr);
    EXPECT_STREQ(reg.GetRegisterName(), "MYREG[8]");
    reg.AddRegisterAssociation("USER1");
    reg.AddRegisterAssociation(nullptr);
    reg.AddRegisterAssociation("USER1");
    ASSERT_EQ(reg.GetRegisterAssociationCount(), 2);
    EXPECT_STREQ(reg.GetRegisterAssocName(1), "USER1");
    EXPECT_EQ(reg.GetRegisterAssocName(-1), nullptr);
    EXPECT_EQ(reg.GetRegisterAssocName(2), nullptr);

    CRegisterAccessDesc desc;
    EXPECT_EQ(desc.GetRegisterCount(), 0);
    EXPECT_EQ(desc.GetRegister(0), nullptr);
    desc.AddRegister(&reg);
    desc.AddRegister(nullptr);
    reg.AddRegisterAssociation("USER2");
    ASSERT_EQ(desc.GetRegisterCount(), 1);
    EXPECT_EQ(desc.GetRegister(0)->GetRegisterAssociationCount(), 2);
    EXPECT_STREQ(desc.GetRegister(0)->GetRegisterName(), "MYREG[8]");
    EXPECT_EQ(desc.GetRegister(1), nullptr);
    EXPECT_EQ(desc.GetRegister(-1), nullptr);

    CRegisterAccessDesc copy(desc);
    CRegisterAccessDesc assigned;
    assigned = desc;
    copy.AddRegister(&reg);
    assigned.AddRegister(&reg);
    EXPECT_EQ(desc.GetRegisterCount(), 1);
    EXPECT_EQ(copy.GetRegister(1)->GetRegisterAssociationCount(), 3);
    CRegister regCopy(reg), regAssigned;
    regAssigned = reg;
    reg.SetRegisterName("OTHER");
    EXPECT_STREQ(regCopy.GetRegisterName(), "MYREG[8]");
    EXPECT_STREQ(regAssigned.GetRegisterAssocName(2), "USER2");
}

TEST(DescriptionTest, DifferentialPairCopiesNamesAndPositions)
{
    CDifferentialPair pair;
    EXPECT_STREQ(pair.GetPositiveElement(), "");
    EXPECT_STREQ(pair.GetNegativeElement(), "");
    EXPECT_EQ(pair.GetPositiveBScanPosition(), -1);
    EXPECT_EQ(pair.GetNegativeBScanPosition(), -1);

    pair.SetPositiveElement("CLK_P");
    pair.SetNegativeElement("CLK_N");
    pair.SetPositiveElement(nullptr);
    pair.SetPositiveBScanPosition(17);
    CDifferentialPair copy(pair);
    CDifferentialPair assigned;
    assigned = pair;
    pair.SetNegativeElement("");
    EXPECT_STREQ(pair.GetNegativeElement(), "");
    for (const CDifferentialPair* p : {&copy, &assigned}) {
        EXPECT_STREQ(p->GetPositiveElement(), "CLK_P");
        EXPECT_STREQ(p->GetNegativeElement(), "CLK_N");
        EXPECT_EQ(p->GetPositiveBScanPosition(), 17);
        EXPECT_EQ(p->GetNegativeBScanPosition(), -1);
    }
}
