// The statement reader on real temporary files: prepared lines, the line
// counter, comments, statement completion and string values.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "parser/BScanParser.h"

namespace {

class ReaderProbe : public BScanParser {
public:
    using BScanParser::CompleteStatement;
    using BScanParser::CompleteStatementWithOneOf;
    using BScanParser::GetCompleteStringValue;
    using BScanParser::GetLine;
    using BScanParser::m_lineNumber;
};

// A temporary file with the given content, open for reading.
class TextFile {
public:
    explicit TextFile(const std::string& content)
    {
        m_stream = std::tmpfile();
        EXPECT_NE(m_stream, nullptr);
        std::fwrite(content.data(), 1, content.size(), m_stream);
        std::rewind(m_stream);
    }
    ~TextFile() { std::fclose(m_stream); }
    FILE* get() const { return m_stream; }

private:
    FILE* m_stream;
};

}  // namespace

TEST(StatementReader, GetLineSkipsEmptyAndCommentLinesAndCountsEveryRead)
{
    ReaderProbe p;
    TextFile file("-- header\n\n   \t\r\n  entity X is -- the top  \n--\n\tport (\n");
    std::string line = "untouched", comment;
    EXPECT_EQ(p.GetLine(file.get(), line, &comment), BSDL_OK);
    EXPECT_EQ(line, "entity X is");
    EXPECT_EQ(comment, "-- the top*");
    EXPECT_EQ(p.m_lineNumber, 4);
    EXPECT_EQ(p.GetLine(file.get(), line, &comment), BSDL_OK);
    EXPECT_EQ(line, "port (");
    EXPECT_EQ(comment, "");                          // the skipped line's comment is lost
    EXPECT_EQ(p.m_lineNumber, 6);
    EXPECT_EQ(p.GetLine(file.get(), line, nullptr), BSDL_ERR_READ);
    EXPECT_EQ(line, "port (");
    EXPECT_EQ(p.GetLine(file.get(), line, nullptr), BSDL_ERR_END_OF_FILE);
    EXPECT_EQ(p.m_lineNumber, 6);

    // Only comments and blank lines: -3 after a final line end, -4 without.
    ReaderProbe q;
    TextFile withEnd("-- a\n\n-- b\n");
    EXPECT_EQ(q.GetLine(withEnd.get(), line, nullptr), BSDL_ERR_READ);
    EXPECT_EQ(q.m_lineNumber, 3);
    ReaderProbe r;
    TextFile withoutEnd("-- a\n\n-- b");
    EXPECT_EQ(r.GetLine(withoutEnd.get(), line, nullptr), BSDL_ERR_END_OF_FILE);
    EXPECT_EQ(r.m_lineNumber, 3);
    EXPECT_EQ(r.GetLine(nullptr, line, nullptr), BSDL_ERR_READ);
}

TEST(StatementReader, LongLinesArriveInReadsOf254Characters)
{
    ReaderProbe p;
    std::string line;
    TextFile file(std::string(300, 'x') + "\n" + std::string(254, 'y') + "\nnext\n" +
                  std::string(250, 'z') + "--abcdef\n");
    EXPECT_EQ(p.GetLine(file.get(), line, nullptr), BSDL_OK);
    EXPECT_EQ(line, std::string(254, 'x'));
    EXPECT_EQ(p.GetLine(file.get(), line, nullptr), BSDL_OK);
    EXPECT_EQ(line, std::string(46, 'x'));
    EXPECT_EQ(p.m_lineNumber, 2);
    // A line of exactly 254 characters leaves its line end for a read of
    // its own, which counts too.
    EXPECT_EQ(p.GetLine(file.get(), line, nullptr), BSDL_OK);
    EXPECT_EQ(line, std::string(254, 'y'));
    EXPECT_EQ(p.GetLine(file.get(), line, nullptr), BSDL_OK);
    EXPECT_EQ(line, "next");
    EXPECT_EQ(p.m_lineNumber, 5);
    // The comment's tail beyond the first read is a line of its own.
    std::string comment;
    EXPECT_EQ(p.GetLine(file.get(), line, &comment), BSDL_OK);
    EXPECT_EQ(line, std::string(250, 'z'));
    EXPECT_EQ(comment, "--ab*");
    EXPECT_EQ(p.GetLine(file.get(), line, &comment), BSDL_OK);
    EXPECT_EQ(line, "cdef");
    EXPECT_EQ(comment, "");
}

TEST(StatementReader, CompletionJoinsLinesAndLooksOnlyInTheLastOne)
{
    ReaderProbe p;
    TextFile file(
        "generic (PHYSICAL_PIN_MAP : string := \"DIP8\");\n"
        "  A,\n"
        "  B;\n"
        "x :\n"
        "= y\n"
        "z := 1\n"
        "is\n"
        "\"abc\" is ok\n"
        "(0 to 3\n"
        ")\n"
        "\"tail\" &\n");

    std::string s = "already;";
    EXPECT_EQ(p.CompleteStatement(file.get(), s), BSDL_OK);
    EXPECT_EQ(s, "already;");
    EXPECT_EQ(p.m_lineNumber, 0);

    s = "entity X is";
    EXPECT_EQ(p.CompleteStatement(file.get(), s, ';'), BSDL_OK);
    EXPECT_EQ(s, "entity X is generic (PHYSICAL_PIN_MAP : string := \"DIP8\");");

    s = "ports";
    EXPECT_EQ(p.CompleteStatement(file.get(), s), BSDL_OK);
    EXPECT_EQ(s, "ports A,B;");

    // ":=" split over two lines, and present only across the join, is not seen.
    s = "constant";
    EXPECT_EQ(p.CompleteStatement(file.get(), s, ":="), BSDL_OK);
    EXPECT_EQ(s, "constant x := yz := 1");
    EXPECT_EQ(p.m_lineNumber, 6);

    // A trimmed line ending in "is" holds no " is ".
    s = "attribute A of B : entity";
    EXPECT_EQ(p.CompleteStatement(file.get(), s, " is "), BSDL_OK);
    EXPECT_EQ(s, "attribute A of B : entity is\"abc\" is ok");

    s = "bit_vector";
    EXPECT_EQ(p.CompleteStatement(file.get(), s, ')'), BSDL_OK);
    EXPECT_EQ(s, "bit_vector (0 to 3)");

    s = "\"head\"";
    EXPECT_EQ(p.CompleteStatementWithOneOf(file.get(), s, "&;"), BSDL_OK);
    EXPECT_EQ(s, "\"head\" \"tail\" &");

    // The file ends before the terminator: -3, then -4.
    s = "never";
    EXPECT_EQ(p.CompleteStatement(file.get(), s), BSDL_ERR_READ);
    s = "never";
    EXPECT_EQ(p.CompleteStatement(file.get(), s), BSDL_ERR_END_OF_FILE);
    EXPECT_EQ(p.m_lineNumber, 11);
}

TEST(StatementReader, StatementsOfAnyLength)
{
    const int names = 20000;
    std::string content, expected = "port ";
    for (int i = 0; i < names; ++i) {
        std::string name = "SIGNAL_NAME_" + std::to_string(i) + ",";
        content += "   " + name + "  -- note\n";
        expected += name;
    }
    content += "LAST : in bit;\n";
    expected += "LAST : in bit;";
    TextFile file(content);
    ReaderProbe p;
    std::string s = "port";
    EXPECT_EQ(p.CompleteStatement(file.get(), s), BSDL_OK);
    EXPECT_EQ(s, expected);
    EXPECT_GT(s.size(), 300000u);
    EXPECT_EQ(p.m_lineNumber, names + 1);
}

TEST(StatementReader, StringValuesAreGatheredPieceByPiece)
{
    ReaderProbe p;
    KByteBuffer buffer;

    TextFile three("\"A,\" &\n  \"B,\"&\n\"C\";\nafter\n");
    EXPECT_EQ(p.GetCompleteStringValue(three.get(), "", &buffer, false), BSDL_OK);
    EXPECT_STREQ(buffer.GetText(), "A, B, C ");
    std::string line;
    EXPECT_EQ(p.GetLine(three.get(), line, nullptr), BSDL_OK);
    EXPECT_EQ(line, "after");

    // The first piece on the statement's own line is kept.
    buffer.Clear();
    TextFile rest("\"B2\";\n");
    EXPECT_EQ(p.GetCompleteStringValue(rest.get(), "A1, \" &", &buffer, false), BSDL_OK);
    EXPECT_STREQ(buffer.GetText(), "A1, B2 ");

    // A value whole on its first line: no trailing blank, nothing read.
    buffer.Clear();
    long long before = p.m_lineNumber;
    EXPECT_EQ(p.GetCompleteStringValue(rest.get(), "A1, B2\";", &buffer, true), BSDL_OK);
    EXPECT_STREQ(buffer.GetText(), "A1, B2");
    EXPECT_EQ(p.m_lineNumber, before);

    // A first line without '&' or ';' is completed first; a second piece
    // on one line is dropped; a ';' inside a piece is not the end; a line
    // without a closing quote gives an empty piece.
    buffer.Clear();
    TextFile mixed("B2\" &\n\"C3,\" & \"D4,\" &\n\"E;5\" &\n\"F6 &\n\"G7\";\n");
    EXPECT_EQ(p.GetCompleteStringValue(mixed.get(), "A1,", &buffer, false), BSDL_OK);
    EXPECT_STREQ(buffer.GetText(), "A1, B2 C3, E;5  G7 ");

    EXPECT_EQ(p.GetCompleteStringValue(mixed.get(), "", nullptr, false), BSDL_ERR_NO_BUFFER);
}

TEST(StatementReader, StringValueCommentsAndEndOfFile)
{
    ReaderProbe p;
    const std::string value =
        "\"0 (BC_1, A, input, X),\" & -- cell zero\n"
        "-- a lost comment\n"
        "\"1 (BC_1, B, output2, 0)\"; --cell one  \n";
    KByteBuffer kept;
    TextFile first(value);
    EXPECT_EQ(p.GetCompleteStringValue(first.get(), nullptr, &kept, true), BSDL_OK);
    EXPECT_STREQ(kept.GetText(),
                 "0 (BC_1, A, input, X), -- cell zero* 1 (BC_1, B, output2, 0) --cell one* ");
    KByteBuffer plain;
    TextFile second(value);
    EXPECT_EQ(p.GetCompleteStringValue(second.get(), "", &plain, false), BSDL_OK);
    EXPECT_STREQ(plain.GetText(), "0 (BC_1, A, input, X), 1 (BC_1, B, output2, 0) ");

    // "--" inside a piece cuts the line like any comment: the rest of the
    // piece is then completed over the next line.
    KByteBuffer cut;
    TextFile dashes("\"A--B\";\n\"C\";\n");
    EXPECT_EQ(p.GetCompleteStringValue(dashes.get(), "", &cut, false), BSDL_OK);
    EXPECT_STREQ(cut.GetText(), "A ");

    KByteBuffer unfinished;
    TextFile ends("\"A1,\" &\n");
    EXPECT_EQ(p.GetCompleteStringValue(ends.get(), "", &unfinished, false), BSDL_ERR_READ);
    TextFile endsInFirst("");
    EXPECT_EQ(p.GetCompleteStringValue(endsInFirst.get(), "A1", &unfinished, false), BSDL_ERR_READ);
    TextFile noLineEnd("\"A1,\" &\n\"B2\"");
    EXPECT_EQ(p.GetCompleteStringValue(noLineEnd.get(), "", &unfinished, false), BSDL_ERR_END_OF_FILE);
}

TEST(StatementReader, LongStringValue)
{
    const int pieces = 100000;
    std::string content, expected;
    for (int i = 0; i < pieces; ++i) {
        std::string piece = std::to_string(i) + " (BC_1, *, internal, X),";
        content += "  \"" + piece + "\" &\n";
        expected += piece + " ";
    }
    content += "\"END\";\n";
    expected += "END ";
    TextFile file(content);
    ReaderProbe p;
    KByteBuffer buffer;
    EXPECT_EQ(p.GetCompleteStringValue(file.get(), "", &buffer, true), BSDL_OK);
    EXPECT_EQ(buffer.GetTotalSize(), static_cast<int>(expected.size()));
    EXPECT_EQ(std::string(buffer.GetText()), expected);
    EXPECT_EQ(p.m_lineNumber, pieces + 1);
}

TEST(StatementReader, BufferFormsForDerivedClasses)
{
    ReaderProbe p;
    char line[255];
    char comment[256];

    // The longest comment: a comment-only read of 254 characters and its marker.
    TextFile longest("--" + std::string(252, 'c'));
    std::strcpy(line, "old");
    EXPECT_EQ(p.GetLine(longest.get(), line, comment), BSDL_ERR_READ);
    EXPECT_STREQ(line, "old");
    EXPECT_EQ(std::strlen(comment), 255u);
    EXPECT_EQ(comment[254], '*');

    TextFile file(
        "attribute X of Y : entity is -- note\n"
        "\"1\" &\n"
        "  A,\n"
        "  B;\n"
        "(7 downto 0\n"
        ")\n"
        "x :=\n"
        "y\n");
    p.m_lineNumber = 0;
    EXPECT_EQ(p.GetLine(file.get(), line, comment), BSDL_OK);
    EXPECT_STREQ(line, "attribute X of Y : entity is");
    EXPECT_STREQ(comment, "-- note*");

    std::vector<char> statement(4096, '\0');
    char* s = statement.data();
    std::strcpy(s, line);
    std::strcat(s, " ");
    char is[] = " is ";
    EXPECT_EQ(p.CompleteStatement(file.get(), s, is), BSDL_OK);
    EXPECT_STREQ(s, "attribute X of Y : entity is ");
    EXPECT_EQ(p.m_lineNumber, 1);

    char ends[] = "&;";
    std::strcpy(s, "\"");
    EXPECT_EQ(p.CompleteStatementWithOneOf(file.get(), s, ends), BSDL_OK);
    EXPECT_STREQ(s, "\" \"1\" &");
    std::strcpy(s, "ports");
    EXPECT_EQ(p.CompleteStatement(file.get(), s), BSDL_OK);
    EXPECT_STREQ(s, "ports A,B;");
    std::strcpy(s, "bit_vector");
    EXPECT_EQ(p.CompleteStatement(file.get(), s, ')'), BSDL_OK);
    EXPECT_STREQ(s, "bit_vector (7 downto 0)");
    char assign[] = ":=";
    std::strcpy(s, "constant");
    EXPECT_EQ(p.CompleteStatement(file.get(), s, assign), BSDL_OK);
    EXPECT_STREQ(s, "constant x :=");

    EXPECT_EQ(p.CompleteStatement(file.get(), static_cast<char*>(nullptr)), BSDL_ERR_NO_BUFFER);
    EXPECT_EQ(p.GetLine(file.get(), static_cast<char*>(nullptr), nullptr), BSDL_ERR_NO_BUFFER);
    std::strcpy(s, "z");
    EXPECT_EQ(p.CompleteStatement(file.get(), s), BSDL_ERR_READ);
    EXPECT_STREQ(s, "z y");
    EXPECT_EQ(p.m_lineNumber, 8);
}
