// The attribute dispatcher, the instruction register readers and the
// register access reader.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "parser/BScanParser.h"

#include "ReaderRun.h"

#include "ScratchDir.h"

namespace {

class AttributeProbe : public BScanParser {
public:
    using BScanParser::m_instrRegisterDesc;
    using BScanParser::m_registerAccessDesc;
    using BScanParser::ReadAttribute;
    using BScanParser::ReadInstructionCapture;
    using BScanParser::ReadInstructionLength;
    using BScanParser::ReadInstructionOpcode;
    using BScanParser::ReadRegisterAccess;

    explicit AttributeProbe(bool withDescriptions = true)
    {
        if (withDescriptions) {
            m_instrRegisterDesc = new CInstrRegisterDesc();
            m_registerAccessDesc = new CRegisterAccessDesc();
        }
    }

    // Calls a reader with `first` on a stream holding `rest`; `next`
    // receives the line left unread ("<eof>" when none is).
    int Run(int (BScanParser::*reader)(FILE*, char*), std::string first, const std::string& rest,
            std::string* next = nullptr)
    {
        return bscan_test::RunReader(
            rest, [&](FILE* f) { return (this->*reader)(f, &first[0]); },
            [&](FILE* f) {
                if (next && GetLine(f, *next, nullptr) != BSDL_OK)
                    *next = "<eof>";
            });
    }

    // "NAME(item,item) ..." of the stored instructions and registers.
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

const char* const kLengthHead = "attribute INSTRUCTION_LENGTH of C : entity is";
const char* const kCaptureHead = "attribute INSTRUCTION_CAPTURE of C : entity is";
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
    EXPECT_EQ(instr->GetInstructionLength(), 4);
    EXPECT_STREQ(instr->GetInstructionCapture(), "\"0X01\"");
    ASSERT_EQ(instr->GetInstructionOpcodeCount(), 4);
    EXPECT_STREQ(instr->GetInstructionOpcode(2)->GetInstruction(), "IDCODE");
    EXPECT_STREQ(instr->GetInstructionOpcode(2)->GetOpcode(1), "0010");
    const CRegisterAccessDesc* access = parser.GetRegisterAccessDescription();
    ASSERT_EQ(access->GetRegisterCount(), 4);
    EXPECT_STREQ(access->GetRegister(3)->GetRegisterName(), "MYREG[8]");
    EXPECT_STREQ(access->GetRegister(3)->GetRegisterAssocName(1), "USER2");
}

TEST(ReaderInstruction, LengthAndCapture)
{
    AttributeProbe p;
    const std::string head = kLengthHead;
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionLength, head + " 8;", ""), BSDL_OK);
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionLength, head + " 0;", ""), BSDL_ERR_BAD_VALUE);
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionLength, head + " x7;", ""), BSDL_ERR_BAD_VALUE);
    EXPECT_EQ(p.m_instrRegisterDesc->GetInstructionLength(), 8);
    // The value on the next line; text after the ';' is ignored.
    std::string next;
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionLength, head, "  12; 99 \nnext\n", &next), BSDL_OK);
    EXPECT_EQ(p.m_instrRegisterDesc->GetInstructionLength(), 12);
    EXPECT_EQ(next, "next");
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionLength, head + " -3;", ""), BSDL_OK);
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionLength, head, "5\n"), BSDL_ERR_READ);
    EXPECT_EQ(p.m_instrRegisterDesc->GetInstructionLength(), -3);

    const std::string capture = kCaptureHead;
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionCapture, capture + " \"0XXXXX01\";", ""), BSDL_OK);
    EXPECT_STREQ(p.m_instrRegisterDesc->GetInstructionCapture(), "\"0XXXXX01\"");
    // Joined pieces are not put together again: only the text after the
    // last blank stays ('&' included, since the lines join without one).
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionCapture, capture, "\"0XX\" &\n\"X01\";\n"), BSDL_OK);
    EXPECT_STREQ(p.m_instrRegisterDesc->GetInstructionCapture(), "&\"X01\"");
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionCapture, " ;", ""), BSDL_ERR_BAD_VALUE);

    // Without descriptions.
    AttributeProbe bare(false);
    EXPECT_EQ(bare.Run(&AttributeProbe::ReadInstructionLength, head + " 8;", ""), BSDL_ERR_INSTR_LENGTH);
    EXPECT_EQ(bare.Run(&AttributeProbe::ReadInstructionCapture, capture + " \"01\";", ""), BSDL_ERR_INSTR_CAPTURE);
    EXPECT_EQ(bare.Run(&AttributeProbe::ReadInstructionOpcode, kOpcodeHead, "\"BYPASS (1)\";"), BSDL_ERR_INSTR_OPCODE);
    EXPECT_EQ(bare.Run(&AttributeProbe::ReadRegisterAccess, kAccessHead, "\"BYPASS (BYPASS)\";"),
              BSDL_ERR_REGISTER_ACCESS);
}

TEST(ReaderInstruction, OpcodeEntries)
{
    AttributeProbe p;
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionOpcode, kOpcodeHead,
                    "\"BYPASS (11111111), \" &\n\"EXTEST (00000000, 10000000), \" &\n\"SAMPLE (0001)\"; junk\n"),
              BSDL_OK);
    // An opcode list over two pieces; a second statement appends.
    EXPECT_EQ(p.Run(&AttributeProbe::ReadInstructionOpcode, kOpcodeHead, "\"IDCODE (0001, \" &\n\"0010)\";\n"), BSDL_OK);
    EXPECT_EQ(p.Opcodes(), "BYPASS(11111111) EXTEST(00000000,10000000) SAMPLE(0001) IDCODE(0001,0010) ");

    // Each failure keeps the entries before it; two entries in one piece
    // give the second a name beginning with the comma.
    const struct {
        const char* value;
        int result;
    } cases[] = {
        {"\"BYPASS (1111), \" &\n\"EXTEST ()\";\n", BSDL_ERR_INSTR_OPCODE},
        {"\"A (1111,)\";\n", BSDL_ERR_INSTR_OPCODE},
        {"\"A (1111, \" &\n\" )\";\n", BSDL_ERR_INSTR_OPCODE},
        {"\"A (11 11)\";\n", BSDL_ERR_INSTR_OPCODE},
        {"\"(1111)\";\n", BSDL_ERR_BAD_VALUE},
        {"\"\";\n", BSDL_OK},
        {"\"EXTEST (0000), SAMPLE (0001)\";\n", BSDL_ERR_INSTR_OPCODE},
        {"\"HIGHZ (0010),CLAMP (0011)\";\n", BSDL_OK},
    };
    AttributeProbe f;
    for (const auto& c : cases)
        EXPECT_EQ(f.Run(&AttributeProbe::ReadInstructionOpcode, kOpcodeHead, c.value), c.result) << c.value;
    EXPECT_EQ(f.Opcodes(), "BYPASS(1111) EXTEST(0000) HIGHZ(0010) ,CLAMP(0011) ");

    // About 60 KB of entries, each in its own quoted piece.
    AttributeProbe big;
    std::string value;
    std::string expected;
    for (int i = 0; i < 2500; ++i) {
        std::string name = "INSTR_" + std::to_string(i);
        value += "\"" + name + " (0101, 1010)" + (i + 1 < 2500 ? ", \" &\n" : "\";\n");
        expected += name + "(0101,1010) ";
    }
    ASSERT_GT(value.size(), 50000u);
    EXPECT_EQ(big.Run(&AttributeProbe::ReadInstructionOpcode, kOpcodeHead, value), BSDL_OK);
    EXPECT_EQ(big.Opcodes(), expected);
}

TEST(ReaderRegisterAccess, Entries)
{
    AttributeProbe p;
    EXPECT_EQ(p.Run(&AttributeProbe::ReadRegisterAccess, kAccessHead,
                    "\"BOUNDARY (EXTEST, SAMPLE), \" &\n\"BYPASS (BYPASS, HIGHZ), \" &\n"
                    "\"DEVICE_ID (IDCODE), \" &\n\"MYREG[8] (USER1)\";\n"),
              BSDL_OK);
    EXPECT_EQ(p.Run(&AttributeProbe::ReadRegisterAccess, kAccessHead, "\"SPLIT (EXTEST, \" &\n\"SAMPLE)\";\n"), BSDL_OK);
    EXPECT_EQ(p.Registers(),
              "BOUNDARY(EXTEST,SAMPLE) BYPASS(BYPASS,HIGHZ) DEVICE_ID(IDCODE) MYREG[8](USER1) SPLIT(EXTEST,SAMPLE) ");

    const struct {
        const char* value;
        int result;
    } cases[] = {
        {"\"BYPASS (BYPASS), \" &\n\"BOUNDARY (EXTEST,)\";\n", BSDL_ERR_REGISTER_ACCESS},
        {"\"BOUNDARY (EXTEST, \" &\n\" )\";\n", BSDL_ERR_REGISTER_ACCESS},
        {"\"DEVICE_ID ()\";\n", BSDL_ERR_REGISTER_ACCESS},
        {"\"MYREG [8] (USER1)\";\n", BSDL_ERR_REGISTER_ACCESS},
        {"\"(IDCODE)\";\n", BSDL_ERR_BAD_VALUE},
        {"\"\";\n", BSDL_OK},
    };
    AttributeProbe f;
    for (const auto& c : cases)
        EXPECT_EQ(f.Run(&AttributeProbe::ReadRegisterAccess, kAccessHead, c.value), c.result) << c.value;
    EXPECT_EQ(f.Registers(), "BYPASS(BYPASS) ");
}

TEST(ReaderAttribute, Dispatch)
{
    AttributeProbe p(false);
    std::string next;
    auto dispatch = [&](const char* first, const char* rest) {
        return p.Run(&AttributeProbe::ReadAttribute, first, rest, &next);
    };

    // An unrecognised attribute is skipped to its ';'; the first attribute
    // of all makes the instruction register description.
    EXPECT_EQ(dispatch("attribute IDCODE_REGISTER of C : entity is", "\"0001\" &\n\"1\";\nnext\n"), BSDL_OK);
    EXPECT_EQ(next, "next");
    ASSERT_NE(p.m_instrRegisterDesc, nullptr);
    EXPECT_EQ(p.m_registerAccessDesc, nullptr);

    // A first line ending in "is"; a head joined over several lines.
    EXPECT_EQ(dispatch(kLengthHead, "5;\nnext\n"), BSDL_OK);
    EXPECT_EQ(p.m_instrRegisterDesc->GetInstructionLength(), 5);
    EXPECT_EQ(dispatch("attribute INSTRUCTION_LENGTH", "of C :\nentity is 6;\nnext\n"), BSDL_OK);
    EXPECT_EQ(p.m_instrRegisterDesc->GetInstructionLength(), 6);
    EXPECT_EQ(next, "next");
    // A reader's failure is passed on; names are matched case-sensitively.
    EXPECT_EQ(dispatch("attribute INSTRUCTION_LENGTH of C : entity is 0;", ""), BSDL_ERR_BAD_VALUE);
    EXPECT_EQ(dispatch("attribute instruction_length of C : entity is 9;", ""), BSDL_OK);
    EXPECT_EQ(p.m_instrRegisterDesc->GetInstructionLength(), 6);

    // A keyword elsewhere in the head, with another attribute name: skipped
    // to its ';'. REGISTER_ACCESS selects its branch all the same, which
    // makes the register access description.
    EXPECT_EQ(dispatch("attribute IDCODE_REGISTER of REGISTER_ACCESS_CHIP : entity is", "\"0001\" &\n\"1\";\nnext\n"),
              BSDL_OK);
    EXPECT_EQ(next, "next");
    ASSERT_NE(p.m_registerAccessDesc, nullptr);
    EXPECT_EQ(p.m_registerAccessDesc->GetRegisterCount(), 0);

    // PIN_MAP_STRING is tried first, wherever it stands; its reader takes
    // the value, and its failure still gives 0.
    EXPECT_EQ(dispatch("attribute PIN_MAP_STRING of BOUNDARY_LENGTH_C : entity is", "\"A : 1, \" &\n\"B : 2\";\nnext\n"),
              BSDL_OK);
    EXPECT_EQ(next, "next");
    EXPECT_EQ(dispatch("attribute PIN_MAP_STRING of C : entity is", "\"A : 1, \" &\n"), BSDL_OK);
    EXPECT_EQ(next, "<eof>");
    // A value standing whole on the head line is followed by the head's
    // added blank, so the value reader reads on up to a line ending in ';'.
    EXPECT_EQ(dispatch("attribute PIN_MAP_STRING of C : entity is \"A : 1\";", "end C;\nnext\n"), BSDL_OK);
    EXPECT_EQ(next, "next");

    EXPECT_EQ(dispatch("attribute INSTRUCTION_LENGTH of C", ": entity\n"), BSDL_ERR_READ);
}
