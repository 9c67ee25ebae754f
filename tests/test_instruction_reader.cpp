// The attribute dispatcher, the instruction register readers and the
// register access reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "parser/BScanParser.h"

namespace {

class AttributeProbe : public BScanParser {
public:
    using BScanParser::GetLine;
    using BScanParser::m_instrRegisterDesc;
    using BScanParser::m_registerAccessDesc;
    using BScanParser::ReadAttribute;
    using BScanParser::ReadInstructionCapture;
    using BScanParser::ReadInstructionLength;
    using BScanParser::ReadInstructionOpcode;
    using BScanParser::ReadRegisterAccess;

    AttributeProbe()
    {
        m_instrRegisterDesc = new CInstrRegisterDesc();
        m_registerAccessDesc = new CRegisterAccessDesc();
    }

    // Calls one reader: `first` is the statement's text as handed over, the
    // stream holds `rest`. `next` receives the line left after the call.
    int Run(int (BScanParser::*reader)(FILE*, char*), const std::string& first, const std::string& rest,
            std::string* next = nullptr)
    {
        std::string path = ::testing::TempDir() + "reader_attribute.bsdl";
        FILE* f = std::fopen(path.c_str(), "w");
        EXPECT_NE(f, nullptr);
        std::fputs(rest.c_str(), f);
        std::fclose(f);
        f = std::fopen(path.c_str(), "r");
        std::string text = first;
        int result = (this->*reader)(f, &text[0]);
        if (next && GetLine(f, *next, nullptr) != BSDL_OK)
            *next = "<eof>";
        std::fclose(f);
        return result;
    }

    const CInstrRegisterDesc& Instr() const { return *m_instrRegisterDesc; }

    std::string Opcodes() const
    {
        std::string out;
        for (int i = 0; i < m_instrRegisterDesc->GetInstructionOpcodeCount(); ++i) {
            const CInstrOpcode* op = m_instrRegisterDesc->GetInstructionOpcode(i);
            out += std::string(op->GetInstruction()) + "(";
            for (int k = 0; k < op->GetOpcodeCount(); ++k)
                out += std::string(k ? "," : "") + op->GetOpcode(k);
            out += ") ";
        }
        return out;
    }

    std::string Registers() const
    {
        std::string out;
        for (int i = 0; i < m_registerAccessDesc->GetRegisterCount(); ++i) {
            const CRegister* reg = m_registerAccessDesc->GetRegister(i);
            out += std::string(reg->GetRegisterName()) + "(";
            for (int k = 0; k < reg->GetRegisterAssociationCount(); ++k)
                out += std::string(k ? "," : "") + reg->GetRegisterAssocName(k);
            out += ") ";
        }
        return out;
    }
};

const char* const kOpcodeHead = "attribute INSTRUCTION_OPCODE of C : entity is ";
const char* const kAccessHead = "attribute REGISTER_ACCESS of C : entity is ";

}  // namespace

TEST(ReaderInstruction, ReadsTheSampleDevice)
{
    BScanParser parser;
    std::string path = std::string(BSCAN_TEST_DATA_DIR) + "/reader_instr.bsdl";
    ASSERT_GE(parser.Initialize(path.c_str(), BSCAN_MESSAGE_DIR), 0);
    ASSERT_EQ(parser.Read(), BSDL_OK);
    const CInstrRegisterDesc* instr = parser.GetInstructionRegisterDescription();
    ASSERT_NE(instr, nullptr);
    EXPECT_EQ(instr->GetInstructionLength(), 4);
    EXPECT_STREQ(instr->GetInstructionCapture(), "\"0X01\"");
    ASSERT_EQ(instr->GetInstructionOpcodeCount(), 4);
    EXPECT_STREQ(instr->GetInstructionOpcode(2)->GetInstruction(), "IDCODE");
    EXPECT_EQ(instr->GetInstructionOpcode(2)->GetOpcodeCount(), 2);
    EXPECT_STREQ(instr->GetInstructionOpcode(2)->GetOpcode(1), "0010");
    const CRegisterAccessDesc* access = parser.GetRegisterAccessDescription();
    ASSERT_NE(access, nullptr);
    ASSERT_EQ(access->GetRegisterCount(), 4);
    EXPECT_STREQ(access->GetRegister(3)->GetRegisterName(), "MYREG[8]");
    EXPECT_STREQ(access->GetRegister(3)->GetRegisterAssocName(1), "USER2");
}

TEST(ReaderInstruction, LengthAndCapture)
{
    AttributeProbe p;
    const char* head = "attribute INSTRUCTION_LENGTH of C : entity is";
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionLength, std::string(head) + " 8;", ""), BSDL_OK);
    EXPECT_EQ(p.Instr().GetInstructionLength(), 8);
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionLength, std::string(head) + " 0;", ""), BSDL_ERR_BAD_VALUE);
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionLength, std::string(head) + " x7;", ""), BSDL_ERR_BAD_VALUE);
    EXPECT_EQ(p.Instr().GetInstructionLength(), 8);
    // The value on the next line; text after the ';' is ignored.
    std::string next;
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionLength, head, "  12; 99 \nnext\n", &next), BSDL_OK);
    EXPECT_EQ(p.Instr().GetInstructionLength(), 12);
    EXPECT_EQ(next, "next");
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionLength, std::string(head) + " -3;", ""), BSDL_OK);
    EXPECT_EQ(p.Instr().GetInstructionLength(), -3);
    // The file ending before the ';'.
    int ended = p.Run(&AttributeProbe::ReadInstructionLength, head, "5\n");
    EXPECT_TRUE(ended == BSDL_ERR_READ || ended == BSDL_ERR_END_OF_FILE) << ended;
    EXPECT_EQ(p.Instr().GetInstructionLength(), -3);

    const char* capture = "attribute INSTRUCTION_CAPTURE of C : entity is";
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionCapture, std::string(capture) + " \"0XXXXX01\";", ""), BSDL_OK);
    EXPECT_STREQ(p.Instr().GetInstructionCapture(), "\"0XXXXX01\"");
    // Joined pieces are not put together again: only the text after the
    // last blank stays ('&' included, since the lines join without one).
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionCapture, capture, "\"0XX\" &\n\"X01\";\n"), BSDL_OK);
    EXPECT_STREQ(p.Instr().GetInstructionCapture(), "&\"X01\"");
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionCapture, " ;", ""), BSDL_ERR_BAD_VALUE);

    AttributeProbe bare;
    delete bare.m_instrRegisterDesc;
    bare.m_instrRegisterDesc = nullptr;
    EXPECT_EQ(bare.Run(&AttributeProbe::ReadInstructionLength, std::string(head) + " 8;", ""), BSDL_ERR_INSTR_LENGTH);
    EXPECT_EQ(bare.Run(&AttributeProbe::ReadInstructionCapture, std::string(capture) + " \"01\";", ""),
              BSDL_ERR_INSTR_CAPTURE);
    EXPECT_EQ(bare.Run(&AttributeProbe::ReadInstructionOpcode, std::string(kOpcodeHead) + "\"BYPASS (1)\";", ""),
              BSDL_ERR_INSTR_OPCODE);
    delete bare.m_registerAccessDesc;
    bare.m_registerAccessDesc = nullptr;
    EXPECT_EQ(bare.Run(&AttributeProbe::ReadRegisterAccess, std::string(kAccessHead) + "\"BYPASS (BYPASS)\";", ""),
              BSDL_ERR_REGISTER_ACCESS);
}

TEST(ReaderInstruction, OpcodeEntries)
{
    AttributeProbe p;
    auto run = [&](const std::string& value) {
        return p.Run(&AttributeProbe::ReadInstructionOpcode, kOpcodeHead, value);
    };
    EXPECT_EQ(run("\"BYPASS (11111111), \" &\n\"EXTEST (00000000, 10000000), \" &\n\"SAMPLE (0001)\"; junk\n"),
              BSDL_OK);
    EXPECT_EQ(run("\"IDCODE (0001, \" &\n\"0010)\";\n"), BSDL_OK);
    EXPECT_EQ(p.Opcodes(), "BYPASS(11111111) EXTEST(00000000,10000000) SAMPLE(0001) IDCODE(0001,0010) ");

    // Each failure keeps the entries before it.
    AttributeProbe f;
    auto fail = [&](const std::string& value) {
        return f.Run(&AttributeProbe::ReadInstructionOpcode, kOpcodeHead, value);
    };
    EXPECT_EQ(fail("\"BYPASS (1111), \" &\n\"EXTEST ()\";\n"), BSDL_ERR_INSTR_OPCODE);
    EXPECT_EQ(f.Opcodes(), "BYPASS(1111) ");
    EXPECT_EQ(fail("\"A (1111,)\";\n"), BSDL_ERR_INSTR_OPCODE);
    EXPECT_EQ(fail("\"A (1111, \" &\n\" )\";\n"), BSDL_ERR_INSTR_OPCODE);
    EXPECT_EQ(fail("\"A (11 11)\";\n"), BSDL_ERR_INSTR_OPCODE);
    EXPECT_EQ(fail("\"(1111)\";\n"), BSDL_ERR_BAD_VALUE);
    EXPECT_EQ(fail("\"\";\n"), BSDL_OK);
    EXPECT_EQ(f.Opcodes(), "BYPASS(1111) ");
    // Two entries in one piece: the second name keeps the comma.
    EXPECT_EQ(fail("\"EXTEST (0000), SAMPLE (0001)\";\n"), BSDL_ERR_INSTR_OPCODE);
    EXPECT_EQ(fail("\"HIGHZ (0010),CLAMP (0011)\";\n"), BSDL_OK);
    EXPECT_EQ(f.Opcodes(), "BYPASS(1111) EXTEST(0000) HIGHZ(0010) ,CLAMP(0011) ");
}

TEST(ReaderInstruction, LongOpcodeStatement)
{
    // About 60 KB of entries, each on its own quoted piece.
    AttributeProbe p;
    std::string value;
    std::string expected;
    const int kEntries = 2500;
    for (int i = 0; i < kEntries; ++i) {
        std::string name = "INSTR_" + std::to_string(i);
        value += "\"" + name + " (0101, 1010)" + (i + 1 < kEntries ? ", \" &\n" : "\";\n");
        expected += name + "(0101,1010) ";
    }
    ASSERT_GT(value.size(), 50000u);
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionOpcode, kOpcodeHead, value), BSDL_OK);
    EXPECT_EQ(p.Opcodes(), expected);
}

TEST(ReaderRegisterAccess, Entries)
{
    AttributeProbe p;
    auto run = [&](const std::string& value) {
        return p.Run(&AttributeProbe::ReadRegisterAccess, kAccessHead, value);
    };
    EXPECT_EQ(run("\"BOUNDARY (EXTEST, SAMPLE), \" &\n\"BYPASS (BYPASS, HIGHZ), \" &\n"
                  "\"DEVICE_ID (IDCODE), \" &\n\"MYREG[8] (USER1)\";\n"),
              BSDL_OK);
    EXPECT_EQ(run("\"SPLIT (EXTEST, \" &\n\"SAMPLE)\";\n"), BSDL_OK);
    EXPECT_EQ(p.Registers(),
              "BOUNDARY(EXTEST,SAMPLE) BYPASS(BYPASS,HIGHZ) DEVICE_ID(IDCODE) MYREG[8](USER1) SPLIT(EXTEST,SAMPLE) ");

    AttributeProbe f;
    auto fail = [&](const std::string& value) {
        return f.Run(&AttributeProbe::ReadRegisterAccess, kAccessHead, value);
    };
    EXPECT_EQ(fail("\"BYPASS (BYPASS), \" &\n\"BOUNDARY (EXTEST,)\";\n"), BSDL_ERR_REGISTER_ACCESS);
    EXPECT_EQ(f.Registers(), "BYPASS(BYPASS) ");
    EXPECT_EQ(fail("\"BOUNDARY (EXTEST, \" &\n\" )\";\n"), BSDL_ERR_REGISTER_ACCESS);
    EXPECT_EQ(fail("\"DEVICE_ID ()\";\n"), BSDL_ERR_REGISTER_ACCESS);
    EXPECT_EQ(fail("\"MYREG [8] (USER1)\";\n"), BSDL_ERR_REGISTER_ACCESS);
    EXPECT_EQ(fail("\"(IDCODE)\";\n"), BSDL_ERR_BAD_VALUE);
    EXPECT_EQ(fail("\"\";\n"), BSDL_OK);
    EXPECT_EQ(f.Registers(), "BYPASS(BYPASS) ");
}

TEST(ReaderAttribute, Dispatch)
{
    BScanParser none;
    EXPECT_EQ(none.GetInstructionRegisterDescription(), nullptr);

    AttributeProbe p;
    delete p.m_instrRegisterDesc;
    p.m_instrRegisterDesc = nullptr;
    delete p.m_registerAccessDesc;
    p.m_registerAccessDesc = nullptr;
    std::string next;

    // An unrecognised attribute is skipped to its ';', and the first
    // attribute of all makes the instruction register description.
    EXPECT_EQ(p.Run(&AttributeProbe::ReadAttribute, "attribute IDCODE_REGISTER of C : entity is",
                    "\"0001\" &\n\"1\";\nnext\n", &next),
              BSDL_OK);
    EXPECT_EQ(next, "next");
    ASSERT_NE(p.m_instrRegisterDesc, nullptr);
    EXPECT_EQ(p.m_registerAccessDesc, nullptr);

    // A first line ending in "is": the value on the next line.
    EXPECT_EQ(p.Run(&AttributeProbe::ReadAttribute, "attribute INSTRUCTION_LENGTH of C : entity is", "5;\nnext\n", &next),
              BSDL_OK);
    EXPECT_EQ(p.Instr().GetInstructionLength(), 5);
    EXPECT_EQ(next, "next");
    // The head joined over several lines.
    EXPECT_EQ(p.Run(&AttributeProbe::ReadAttribute, "attribute INSTRUCTION_LENGTH", "of C :\nentity is 6;\nnext\n", &next),
              BSDL_OK);
    EXPECT_EQ(p.Instr().GetInstructionLength(), 6);
    // A reader's failure is passed on.
    EXPECT_EQ(p.Run(&AttributeProbe::ReadAttribute, "attribute INSTRUCTION_LENGTH of C : entity is 0;", ""),
              BSDL_ERR_BAD_VALUE);
    // Names are matched case-sensitively.
    EXPECT_EQ(p.Run(&AttributeProbe::ReadAttribute, "attribute instruction_length of C : entity is 9;", ""), BSDL_OK);
    EXPECT_EQ(p.Instr().GetInstructionLength(), 6);

    // A keyword elsewhere in the head, with another attribute name: skipped
    // to its ';'. Here it also selects the REGISTER_ACCESS branch, which
    // makes the register access description.
    EXPECT_EQ(p.Run(&AttributeProbe::ReadAttribute, "attribute IDCODE_REGISTER of REGISTER_ACCESS_CHIP : entity is",
                    "\"0001\" &\n\"1\";\nnext\n", &next),
              BSDL_OK);
    EXPECT_EQ(next, "next");
    ASSERT_NE(p.m_registerAccessDesc, nullptr);
    EXPECT_EQ(p.m_registerAccessDesc->GetRegisterCount(), 0);

    // PIN_MAP_STRING is tried first, wherever it stands; its reader takes
    // the value, and its failure still gives 0.
    EXPECT_EQ(p.Run(&AttributeProbe::ReadAttribute, "attribute PIN_MAP_STRING of BOUNDARY_LENGTH_C : entity is",
                    "\"A : 1, \" &\n\"B : 2\";\nnext\n", &next),
              BSDL_OK);
    EXPECT_EQ(next, "next");
    EXPECT_EQ(p.Run(&AttributeProbe::ReadAttribute, "attribute PIN_MAP_STRING of C : entity is", "\"A : 1, \" &\n", &next),
              BSDL_OK);
    EXPECT_EQ(next, "<eof>");

    // The file ending inside the head.
    int ended = p.Run(&AttributeProbe::ReadAttribute, "attribute INSTRUCTION_LENGTH of C", ": entity\n");
    EXPECT_TRUE(ended == BSDL_ERR_READ || ended == BSDL_ERR_END_OF_FILE) << ended;
}
