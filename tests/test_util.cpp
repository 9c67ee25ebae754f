// Utility layer: text cutting at missing separators, bounded copies, the
// message catalogue's format check and the result code names.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

#include "device/DescriptionLexerInternal.h"
#include "parser/BScanReturnCodes.h"
#include "util/CharClassInternal.h"
#include "util/ErrorHandler.h"
#include "util/KByteBuffer.h"
#include "util/KString.h"
#include "util/KUtilString.h"

#include "ScratchDir.h"

namespace {

std::string WriteTempFile(const std::string& name, const std::string& content)
{
    std::string dir = bscan_test::NewScratchSubdir("util");
    FILE* f = std::fopen((dir + "/" + name).c_str(), "wb");
    EXPECT_NE(f, nullptr);
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
    return dir;
}

}  // namespace

TEST(UtilKString, ExactSearchesAndCutsAroundMissingSeparators)
{
    KString ks;
    EXPECT_EQ(ks.Find("constant", "constant"), 0);
    EXPECT_EQ(ks.Find("CONSTANT x", "constant"), -1);
    EXPECT_EQ(ks.ReverseFind("a;b;c", ';'), 3);
    EXPECT_EQ(ks.FindOneOf("xx&y;", "&;"), 2);
    EXPECT_EQ(ks.ReverseFindOneOf("xx&y;z", "&;"), 4);
    EXPECT_EQ(ks.ReverseFindOneOf(std::string("a:b\"c"), "\":"), 3);

    char buf[32];
    ks.Left(buf, "abcdef", -1);
    EXPECT_STREQ(buf, "");
    ks.Left(buf, "abc", 99);
    EXPECT_STREQ(buf, "abc");
    ks.Right(buf, "abc", 10);
    EXPECT_STREQ(buf, "abc");
    std::strcpy(buf, "name : in bit;");                 // dst is src
    ks.Right(buf, buf, static_cast<int>(std::strlen(buf)) - ks.Find(buf, ':') - 1);
    EXPECT_STREQ(buf, " in bit;");
    ks.TrimLeft(buf);
    ks.Left(buf, buf, ks.Find(buf, ';'));
    EXPECT_STREQ(buf, "in bit");

    // Before a missing separator: nothing; after it: everything.
    std::string src = "no separator", dst = "old";
    int pos = ks.Find(src, ':');
    ks.Left(dst, src, pos);
    EXPECT_EQ(dst, "");
    ks.Right(dst, src, static_cast<int>(src.size()) - pos - 1);
    EXPECT_EQ(dst, src);
    ks.Right(src, src, 3);
    EXPECT_EQ(src, "tor");

    std::string padded = "\t a b \v\r\n";              // \v is not trimmed
    ks.Trim(padded);
    EXPECT_EQ(padded, "a b \v");
}

// Every byte value against the sets the readers were written with: one
// wrong bit would change which lines are taken as blank or which words end.
TEST(UtilCharClass, EachClassHoldsExactlyItsBytes)
{
    using namespace bscan_util;
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        SCOPED_TRACE(b);
        const bool space = b == ' ' || b == '\t' || b == '\r' || b == '\n';
        EXPECT_EQ(IsSpace(c), space);
        EXPECT_EQ(KIsWhiteSpace(c), space);
        EXPECT_EQ(IsCSpace(c), space || b == '\v' || b == '\f');
        EXPECT_EQ(IsLineSpace(c), b == ' ' || b == '\t' || b == '\r');
        EXPECT_EQ(IsSeparator(c), b == ' ' || b == '\t' || b == '\n');
        EXPECT_EQ(IsBlank(c), b == ' ' || b == '\t');
        EXPECT_EQ(IsDigit(c), b >= '0' && b <= '9');
        EXPECT_EQ(IsLetter(c), (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'));
        EXPECT_EQ(IsText(c), b == 9 || b == 10 || b == 13 || (b >= 32 && b <= 127));
        EXPECT_EQ(IsCharOf(c, kDigit | kLetter), IsDigit(c) || IsLetter(c));
    }
}

// The single-character bits the readers build their sets from, each
// against its bytes, and the unions the light pass's tokenizers use
// against the sets they were first written with.
TEST(UtilCharClass, PunctuationBitsAndReaderUnions)
{
    using namespace bscan_util;
    const struct {
        unsigned bit;
        const char* bytes;
    } singles[] = {
        {kDash, "-"}, {kQuote, "\""}, {kLineFeed, "\n"}, {kParen, "()"}, {kSemicolon, ";"},
        {kColon, ":"}, {kComma, ","}, {kSafeSignal, "Xx01"}, {kUnderscore, "_"}, {kDot, "."},
        {kBracket, "[]"}, {kAmpersand, "&"}, {kStar, "*"},
    };
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        SCOPED_TRACE(b);
        for (const auto& single : singles)
            EXPECT_EQ(IsCharOf(c, single.bit), b != 0 && std::strchr(single.bytes, b) != nullptr);
        EXPECT_EQ(IsCharOf(c, kNul), b == 0);
        const bool cSpace = b == ' ' || (b >= '\t' && b <= '\r');
        EXPECT_EQ(bscan_device::IsBlankCharacter(c), cSpace || b == 0);
        EXPECT_EQ(bscan_device::IsWordCharacter(c),
                  (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '_' || b == '.');
        EXPECT_EQ(IsCharOf(c, bscan_device::kValueSymbolCharacter),
                  b != 0 && std::strchr("(),:;[]&*\"", b) != nullptr);
        EXPECT_EQ(bscan_device::IsFieldCharacter(c), !(cSpace || b == 0 || b == '(' || b == ')' || b == ','));
    }
}

TEST(UtilStrings, BoundedCopyAndAppend)
{
    char buf[16];
    util_strncpy(buf, "abcdef", 3, 0);
    EXPECT_STREQ(buf, "abc");
    util_strncat(buf, "defgh", 2, 0);
    EXPECT_STREQ(buf, "abcde");
    util_strncat(buf, "xyz", 0, 0);
    EXPECT_STREQ(buf, "abcdexyz");
    util_strncpy(buf, nullptr, 0, 0);
    EXPECT_STREQ(buf, "abcdexyz");
}

TEST(UtilByteBuffer, GrowsKeepsItsTextTerminatedAndCopiesDeeply)
{
    KByteBuffer empty;
    EXPECT_STREQ(empty.GetText(), "");
    EXPECT_EQ(empty.GetTotalSize(), 0);
    EXPECT_EQ(empty.ReadData(0), 0);

    KByteBuffer buffer;
    std::string expected;
    for (int i = 0; i < 3000; ++i) {                    // many growths
        std::string piece = std::to_string(i);
        buffer.WriteData(piece.data(), piece.size()).WriteData(' ');
        expected += piece + " ";
    }
    buffer.WriteData(static_cast<const char*>(nullptr)).WriteData(nullptr, 5).WriteData("end");
    expected += "end";
    EXPECT_EQ(std::string(buffer.GetText()), expected);
    EXPECT_EQ(buffer.GetTotalSize(), static_cast<int>(expected.size()));
    EXPECT_EQ(buffer.ReadData(buffer.GetTotalSize() - 1), 'd');
    EXPECT_EQ(buffer.ReadData(buffer.GetTotalSize()), 0);
    EXPECT_EQ(buffer.ReadData(-1), 0);

    KByteBuffer copy(buffer);
    KByteBuffer assigned;
    assigned.WriteData("old");
    assigned = buffer;
    buffer.Clear();
    EXPECT_STREQ(buffer.GetText(), "");
    EXPECT_EQ(buffer.GetTotalSize(), 0);
    EXPECT_EQ(std::string(copy.GetText()), expected);
    EXPECT_EQ(std::string(assigned.GetText()), expected);
    for (int i = 0; i < 4; ++i)                         // its own bytes, appended while it grows
        copy.WriteData(copy.GetText(), static_cast<size_t>(copy.GetTotalSize()));
    EXPECT_EQ(copy.GetTotalSize(), static_cast<int>(expected.size() << 4));
    EXPECT_EQ(std::string(copy.GetText()).substr(expected.size() * 15), expected);
    buffer.WriteData("a\0b", 3);                        // a NUL byte is held, the text stops at it
    EXPECT_EQ(buffer.GetTotalSize(), 3);
    EXPECT_STREQ(buffer.GetText(), "a");
    EXPECT_EQ(buffer.ReadData(2), 'b');
}

TEST(UtilErrorHandler, LoadsTheShippedMessageFile)
{
    ErrorHandler handler;
    handler.SetDefaultDir(BSCAN_MESSAGE_DIR);
    int loaded = handler.Initialize("ErrorList.txt", 3);
    EXPECT_EQ(handler.GetSkippedLineCount(), 0);
    EXPECT_EQ(loaded, 32);
    for (int code = 1; code <= 17; ++code) {
        if (code == 12)
            continue;
        const ErrorElement* first = handler.GetErrorElement(1, static_cast<uint16_t>(code));
        ASSERT_NE(first, nullptr) << code;
        EXPECT_EQ(first->GetResultNumber(), code);
        EXPECT_NE(handler.GetErrorElement(2, static_cast<uint16_t>(code)), nullptr) << code;
    }
}

TEST(UtilErrorHandler, TakesOnlyFormatsSafeWithTwoInts)
{
    std::string dir = WriteTempFile("ErrorList.txt",
        "# comment\n   \n  # indented comment\n"
        "5 1 9 Line %d, column %d: 100%% bad.\r\n"
        "5 1 3 a later duplicate\n"
        "5 2 0\n"
        "6 1 1 %s\n6 2 1 %d %d %d\n6 3 1 %x\n6 4 1 trailing %\n6 5 1 %5d\n6 6 1 %n\n"
        "65536 1 1 too big\n6 7 1x text\n6 8\n-1 2 3 negative\n" +
        std::string("7 1 1 cut\0 here %s\n", 19) +
        "65535 65535 65535 " + std::string(5000, 'w') + "\n"
        "8 8 8 no line end");
    ErrorHandler handler;
    handler.SetDefaultDir(dir.c_str());
    EXPECT_EQ(handler.Initialize("ErrorList.txt", 3), 4);
    EXPECT_EQ(handler.GetSkippedLineCount(), 11);
    const ErrorElement* e = handler.GetErrorElement(5, 1);
    ASSERT_NE(e, nullptr);
    EXPECT_STREQ(e->GetErrorMessage(), "Line %d, column %d: 100%% bad.");
    EXPECT_EQ(e->GetResultNumber(), 9);
    EXPECT_EQ(handler.GetErrorElement(5, 2)->GetErrorMessage(), nullptr);
    EXPECT_EQ(std::strlen(handler.GetErrorElement(65535, 65535)->GetErrorMessage()), 5000u);
    EXPECT_STREQ(handler.GetErrorElement(8, 8)->GetErrorMessage(), "no line end");
    EXPECT_EQ(handler.GetErrorElement(7, 1), nullptr);

    EXPECT_EQ(handler.Initialize(nullptr, 3), -2);
    EXPECT_EQ(handler.Initialize("ErrorList.txt", 2), -2);
    EXPECT_EQ(handler.Initialize("Missing.txt", 3), -1);

    // No directory: the working directory.
    char saved[4096];
    ASSERT_NE(getcwd(saved, sizeof saved), nullptr);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    handler.SetDefaultDir(nullptr);
    EXPECT_EQ(handler.Initialize("ErrorList.txt", 3), 4);
    ASSERT_EQ(chdir(saved), 0);

    handler.SetErrorOccured("first");
    handler.SetErrorOccured(nullptr);
    EXPECT_EQ(handler.GetErrorCount(), 1);
    EXPECT_STREQ(handler.GetError(0), "first");
    EXPECT_EQ(handler.GetError(1), nullptr);
}

TEST(UtilReturnCodes, EveryCodeHasItsName)
{
    EXPECT_STREQ(BScanReturnCodeName(0), "BSDL_OK");
    EXPECT_STREQ(BScanReturnCodeName(-13), "BSDL_ERR_UNKNOWN_PIN");
    EXPECT_STREQ(BScanReturnCodeName(-17), "BSDL_ERR_REGISTER_ACCESS");
    int named = 0;
    for (int code = -20; code <= 2; ++code)
        named += BScanReturnCodeName(code) != nullptr;
    EXPECT_EQ(named, 17);
    EXPECT_EQ(BScanReturnCodeName(-12), nullptr);
}
