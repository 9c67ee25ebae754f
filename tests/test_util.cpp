// Utility layer: text operations, byte buffer, object list, the message
// catalogue and the result code names.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "parser/BScanReturnCodes.h"
#include "util/ErrorHandler.h"
#include "util/KByteBuffer.h"
#include "util/KObjList.h"
#include "util/KString.h"
#include "util/KUtilString.h"

namespace {

std::string MakeTempDir()
{
    std::string pattern = ::testing::TempDir() + "bscan_util_XXXXXX";
    char* made = mkdtemp(&pattern[0]);
    EXPECT_NE(made, nullptr);
    return pattern;
}

void WriteFile(const std::string& path, const std::string& content)
{
    FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
}

struct Counted : KObject {
    explicit Counted(int* live) : m_live(live) { ++*m_live; }
    ~Counted() override { --*m_live; }
    int* m_live;
};

}  // namespace

TEST(UtilKString, SearchesAreExactAndReportMissingAsMinusOne)
{
    KString ks;
    EXPECT_EQ(ks.Find("entity X is", " is"), 8);
    EXPECT_EQ(ks.Find("constant", "constant"), 0);
    EXPECT_EQ(ks.Find("CONSTANT x", "constant"), -1);
    EXPECT_EQ(ks.Find("a;b;c", ';'), 1);
    EXPECT_EQ(ks.ReverseFind("a;b;c", ';'), 3);
    EXPECT_EQ(ks.Find("abc", '\0'), -1);
    EXPECT_EQ(ks.FindOneOf("xx&y;", "&;"), 2);
    EXPECT_EQ(ks.ReverseFindOneOf("xx&y;z", "&;"), 4);
    EXPECT_EQ(ks.FindOneOf("xyz", "&;"), -1);
    EXPECT_EQ(ks.ReverseFindOneOf("xyz", ""), -1);
    EXPECT_EQ(ks.Find(static_cast<const char*>(nullptr), "a"), -1);

    std::string text = "PIN_MAP_STRING := \"A1\"";
    EXPECT_EQ(ks.Find(text, ":="), 15);
    EXPECT_EQ(ks.Find(text, '"'), 18);
    EXPECT_EQ(ks.ReverseFind(text, '"'), 21);
    EXPECT_EQ(ks.FindOneOf(text, "\":"), 15);
    EXPECT_EQ(ks.ReverseFindOneOf(text, "\":"), 21);
    EXPECT_EQ(ks.Find(text, "pin_map"), -1);
}

TEST(UtilKString, LeftAndRightClampTheirCount)
{
    KString ks;
    char buf[32];
    ks.Left(buf, "abcdef", 3);
    EXPECT_STREQ(buf, "abc");
    ks.Left(buf, "abcdef", -1);
    EXPECT_STREQ(buf, "");
    ks.Left(buf, "abc", 99);
    EXPECT_STREQ(buf, "abc");
    ks.Right(buf, "abcdef", 2);
    EXPECT_STREQ(buf, "ef");
    ks.Right(buf, "abcdef", -4);
    EXPECT_STREQ(buf, "");
    ks.Right(buf, "abc", 10);
    EXPECT_STREQ(buf, "abc");

    // In place: dst is src.
    std::strcpy(buf, "name : in bit;");
    ks.Right(buf, buf, static_cast<int>(std::strlen(buf)) - ks.Find(buf, ':') - 1);
    EXPECT_STREQ(buf, " in bit;");
    ks.Left(buf, buf, ks.Find(buf, ';'));
    EXPECT_STREQ(buf, " in bit");

    // The text around a missing separator.
    std::string src = "no separator", dst = "old";
    int pos = ks.Find(src, ':');
    ks.Left(dst, src, pos);
    EXPECT_EQ(dst, "");
    ks.Right(dst, src, static_cast<int>(src.size()) - pos - 1);
    EXPECT_EQ(dst, "no separator");
    std::string self = "abcdef";
    ks.Right(self, self, 2);
    EXPECT_EQ(self, "ef");
    ks.Left(self, self, 1);
    EXPECT_EQ(self, "e");
}

TEST(UtilKString, TrimsBlankTabCarriageReturnNewlineOnly)
{
    KString ks;
    char buf[32];
    std::strcpy(buf, " \t\r\n x y \v\n\r\t ");
    ks.TrimLeft(buf);
    EXPECT_STREQ(buf, "x y \v\n\r\t ");
    ks.TrimRight(buf);
    EXPECT_STREQ(buf, "x y \v");
    std::strcpy(buf, " \t ");
    ks.TrimRight(buf);
    EXPECT_STREQ(buf, "");

    std::string s = "\t a b \r\n";
    ks.Trim(s);
    EXPECT_EQ(s, "a b");
    std::string blanks = "   ";
    ks.TrimLeft(blanks);
    EXPECT_EQ(blanks, "");
}

TEST(UtilStrings, BoundedCopyAndAppend)
{
    char buf[16] = "xxxxxxxxxxxxxxx";
    EXPECT_EQ(util_strncpy(buf, "abcdef", 3, 0), buf);
    EXPECT_STREQ(buf, "abc");
    util_strncpy(buf, "abcdef", 0, 0);
    EXPECT_STREQ(buf, "abcdef");
    util_strncpy(buf, "ab", 10, 0);
    EXPECT_STREQ(buf, "ab");
    util_strncat(buf, "cdef", 2, 0);
    EXPECT_STREQ(buf, "abcd");
    util_strncat(buf, "xyz", 0, 0);
    EXPECT_STREQ(buf, "abcdxyz");
    util_strncat(buf, nullptr, 0, 0);
    util_strncpy(buf, nullptr, 0, 0);
    EXPECT_STREQ(buf, "abcdxyz");
}

TEST(UtilByteBuffer, AppendsBytesAndTexts)
{
    KByteBuffer buffer;
    EXPECT_EQ(buffer.GetTotalSize(), 0);
    EXPECT_STREQ(buffer.GetText(), "");
    buffer.WriteData("A1,").WriteData(' ').WriteData("B2");
    buffer.WriteData(static_cast<const char*>(nullptr));
    EXPECT_EQ(buffer.GetTotalSize(), 6);
    EXPECT_STREQ(buffer.GetText(), "A1, B2");
    EXPECT_EQ(buffer.ReadData(4), 'B');
    EXPECT_EQ(buffer.ReadData(6), 0);
    EXPECT_EQ(buffer.ReadData(-1), 0);
    buffer.Clear();
    EXPECT_EQ(buffer.GetTotalSize(), 0);
}

TEST(UtilObjList, HoldsPointersInOrderAndNeverDeletes)
{
    int live = 0;
    auto* list = new KObjList;
    EXPECT_TRUE(list->IsEmpty());
    EXPECT_EQ(list->RemoveTail(), nullptr);
    Counted* a = new Counted(&live);
    Counted* b = new Counted(&live);
    list->AddTail(a);
    list->AddTail(b);
    EXPECT_EQ(list->GetCount(), 2);
    EXPECT_EQ(list->GetAt(0), a);
    EXPECT_EQ(list->GetAt(1), b);
    EXPECT_EQ(list->GetAt(2), nullptr);
    EXPECT_EQ(list->GetAt(-1), nullptr);

    KObjList copy(*list);                       // the same pointers
    EXPECT_EQ(copy.GetAt(1), b);
    delete list;
    EXPECT_EQ(live, 2);
    while (!copy.IsEmpty())
        delete copy.RemoveTail();
    EXPECT_EQ(live, 0);
}

TEST(UtilErrorHandler, LoadsTheShippedMessageFile)
{
    ErrorHandler handler;
    handler.SetDefaultDir(BSCAN_MESSAGE_DIR);
    int loaded = handler.Initialize("ErrorList.txt", 3);
    EXPECT_GE(loaded, 32);
    EXPECT_EQ(handler.GetElementCount(), loaded);
    EXPECT_EQ(handler.GetSkippedLineCount(), 0);
    // Records (1, N) and (2, N) for every parser code -N.
    for (int code = -1; code >= -17; --code) {
        if (code == -12)
            continue;
        const ErrorElement* first = handler.GetErrorElement(1, static_cast<uint16_t>(-code));
        const ErrorElement* second = handler.GetErrorElement(2, static_cast<uint16_t>(-code));
        ASSERT_NE(first, nullptr) << code;
        ASSERT_NE(second, nullptr) << code;
        EXPECT_EQ(first->GetResultNumber(), -code);
        EXPECT_NE(first->GetErrorMessage(), nullptr);
    }
    EXPECT_EQ(handler.GetErrorElement(1, 12), nullptr);
}

TEST(UtilErrorHandler, RefusesUnsafeOrMalformedRecords)
{
    std::string dir = MakeTempDir();
    std::string nul("7 1 1 cut\0 here %s\n", 19);
    WriteFile(dir + "/ErrorList.txt",
              "# comment\n"
              "   \n"
              "  # indented comment\n"
              "5 1 9 Line %d, column %d: 100%% bad.\r\n"
              "5 1 3 a later duplicate\n"
              "5 2 0\n"
              "5 3 4   padded text   \n"
              "6 1 1 %s\n"
              "6 2 1 %d %d %d\n"
              "6 3 1 %x\n"
              "6 4 1 trailing %\n"
              "6 5 1 %5d\n"
              "6 6 1 %n\n"
              "65536 1 1 too big\n"
              "6 7 1x text\n"
              "6 8\n"
              "-1 2 3 negative\n" +
              nul +
              "65535 65535 65535 " + std::string(5000, 'w') + "\n"
              "8 8 8 no line end");
    ErrorHandler handler;
    handler.SetDefaultDir(dir.c_str());
    EXPECT_STREQ(handler.GetDefaultDir(), dir.c_str());
    EXPECT_EQ(handler.Initialize("ErrorList.txt", 3), 5);
    EXPECT_EQ(handler.GetSkippedLineCount(), 11);

    const ErrorElement* e = handler.GetErrorElement(5, 1);
    ASSERT_NE(e, nullptr);
    EXPECT_STREQ(e->GetErrorMessage(), "Line %d, column %d: 100%% bad.");
    EXPECT_EQ(e->GetResultNumber(), 9);
    ASSERT_NE(handler.GetErrorElement(5, 2), nullptr);
    EXPECT_EQ(handler.GetErrorElement(5, 2)->GetErrorMessage(), nullptr);
    EXPECT_STREQ(handler.GetErrorElement(5, 3)->GetErrorMessage(), "padded text");
    EXPECT_EQ(handler.GetErrorElement(65535, 65535)->GetResultNumber(), 65535);
    EXPECT_EQ(std::strlen(handler.GetErrorElement(65535, 65535)->GetErrorMessage()), 5000u);
    EXPECT_STREQ(handler.GetErrorElement(8, 8)->GetErrorMessage(), "no line end");
    for (int sub = 1; sub <= 8; ++sub)
        EXPECT_EQ(handler.GetErrorElement(6, static_cast<uint16_t>(sub)), nullptr) << sub;
    EXPECT_EQ(handler.GetErrorElement(7, 1), nullptr);

    EXPECT_EQ(handler.Initialize(nullptr, 3), -2);
    EXPECT_EQ(handler.Initialize("ErrorList.txt", 2), -2);
    EXPECT_EQ(handler.Initialize("Missing.txt", 3), -1);
}

TEST(UtilErrorHandler, FileInCurrentDirectoryAndTheLog)
{
    std::string dir = MakeTempDir();
    WriteFile(dir + "/msgs.txt", "1 1 1 one\n");
    char saved[4096];
    ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    ErrorHandler handler;
    handler.SetDefaultDir("");
    EXPECT_EQ(handler.Initialize("msgs.txt", 3), 1);
    handler.SetDefaultDir(nullptr);
    EXPECT_STREQ(handler.GetDefaultDir(), "");
    EXPECT_EQ(handler.Initialize("msgs.txt", 3), 1);
    ASSERT_EQ(chdir(saved), 0);

    handler.SetErrorOccured("first");
    handler.SetErrorOccured(nullptr);
    handler.SetErrorOccured("second");
    EXPECT_EQ(handler.GetErrorCount(), 2);
    EXPECT_STREQ(handler.GetError(0), "first");
    EXPECT_STREQ(handler.GetError(1), "second");
    EXPECT_EQ(handler.GetError(2), nullptr);
    EXPECT_EQ(handler.GetError(-1), nullptr);
    handler.ClearErrors();
    EXPECT_EQ(handler.GetErrorCount(), 0);
}

TEST(UtilReturnCodes, EveryCodeHasItsName)
{
    EXPECT_STREQ(BScanReturnCodeName(0), "BSDL_OK");
    EXPECT_STREQ(BScanReturnCodeName(-1), "BSDL_ERR_FILE");
    EXPECT_STREQ(BScanReturnCodeName(-8), "BSDL_ERR_BAD_VALUE");
    EXPECT_STREQ(BScanReturnCodeName(-11), "BSDL_ERR_NO_PIN_NAME");
    EXPECT_STREQ(BScanReturnCodeName(-13), "BSDL_ERR_UNKNOWN_PIN");
    EXPECT_STREQ(BScanReturnCodeName(-17), "BSDL_ERR_REGISTER_ACCESS");
    int named = 0;
    for (int code = -20; code <= 2; ++code)
        named += BScanReturnCodeName(code) != nullptr;
    EXPECT_EQ(named, 17);
    EXPECT_EQ(BScanReturnCodeName(-12), nullptr);
    EXPECT_EQ(BScanReturnCodeName(1), nullptr);
}
