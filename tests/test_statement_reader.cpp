// The statement reader on real temporary files: prepared lines, the line
// counter, comments, statement completion and string values.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "ScratchDir.h"
#include "parser/BScanParser.h"

#include "ReaderRun.h"

namespace {

class ReaderProbe : public BScanParser {
public:
    using BScanParser::CompleteStatement;
    using BScanParser::CompleteStatementWithOneOf;
    using BScanParser::GetCompleteStringValue;
    using BScanParser::GetLine;
    using BScanParser::m_lineNumber;
    using BScanParser::m_pinNameParts;
    using BScanParser::ReadPackageDB;
};

using bscan_test::TextFile;

using PinParts = std::vector<std::pair<std::string, uint16_t>>;

// Puts pin parts in the pre-pass's order: number descending, then the
// letters by length, then by text.
void SortAsPrePass(PinParts& parts)
{
    std::sort(parts.begin(), parts.end(), [](const auto& a, const auto& b) {
        if (a.second != b.second)
            return a.second > b.second;
        if (a.first.size() != b.first.size())
            return a.first.size() < b.first.size();
        return a.first < b.first;
    });
}

// Writes a device whose package constant has `value`, and expects the
// pre-pass to read it into `expected`.
void ExpectPrePassPins(const std::string& value, const PinParts& expected, int index)
{
    std::string path =
        bscan_test::ScratchPath("statement_prepass_" + std::to_string(index) + ".bsdl");
    FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    const std::string text = "entity G is\nconstant PKG : PIN_MAP_STRING :=\n" + value + "\nend G;\n";
    std::fwrite(text.data(), 1, text.size(), out);
    std::fclose(out);
    ReaderProbe parser;
    EXPECT_EQ(parser.ReadPackageDB(&path[0]), BSDL_OK);
    EXPECT_EQ(parser.m_pinNameParts, expected);
    std::remove(path.c_str());
}

}  // namespace

TEST(StatementReader, PreparedLinesCommentsAndTheLineCounter)
{
    ReaderProbe p;
    TextFile file("-- header\n\n \t\r\n  entity X is -- the top  \n--\n\tport (\n" +
                  std::string(300, 'x') + "\n" + std::string(254, 'y') + "\n" +
                  std::string(250, 'z') + "--abcdef\n");
    std::string line, comment;
    EXPECT_EQ(p.GetLine(file, line, &comment), BSDL_OK);
    EXPECT_EQ(line, "entity X is");
    EXPECT_EQ(comment, "-- the top*");
    EXPECT_EQ(p.GetLine(file, line, &comment), BSDL_OK);
    EXPECT_EQ(line, "port (");
    EXPECT_EQ(comment, "");                             // a skipped line's comment is lost
    EXPECT_EQ(p.m_lineNumber, 6);
    // Reads of at most 254 characters, each counted; a line of exactly 254
    // leaves its line end to a read of its own.
    EXPECT_EQ(p.GetLine(file, line, nullptr), BSDL_OK);
    EXPECT_EQ(line, std::string(254, 'x'));
    EXPECT_EQ(p.GetLine(file, line, nullptr), BSDL_OK);
    EXPECT_EQ(line, std::string(46, 'x'));
    EXPECT_EQ(p.GetLine(file, line, nullptr), BSDL_OK);
    EXPECT_EQ(p.GetLine(file, line, &comment), BSDL_OK);
    EXPECT_EQ(line, std::string(250, 'z'));
    EXPECT_EQ(comment, "--ab*");
    EXPECT_EQ(p.GetLine(file, line, &comment), BSDL_OK);
    EXPECT_EQ(line, "cdef");                            // the comment's tail is a line of its own
    EXPECT_EQ(p.m_lineNumber, 12);
    EXPECT_EQ(p.GetLine(file, line, nullptr), BSDL_ERR_READ);
    EXPECT_EQ(line, "cdef");
    EXPECT_EQ(p.GetLine(file, line, nullptr), BSDL_ERR_END_OF_FILE);

    ReaderProbe q;
    TextFile noLineEnd("-- a\n\n-- b");
    EXPECT_EQ(q.GetLine(noLineEnd, line, nullptr), BSDL_ERR_END_OF_FILE);
    EXPECT_EQ(q.m_lineNumber, 3);
}

TEST(StatementReader, CompletionJoinsLinesAndLooksOnlyInTheLastOne)
{
    ReaderProbe p;
    TextFile file("generic (PHYSICAL_PIN_MAP : string := \"DIP8\");\n  A,\n  B;\n"
                  "x :\n= y\nz := 1\nis\n\"abc\" is ok\n(0 to 3\n)\n\"tail\" &\n");
    std::string s = "already;";
    EXPECT_EQ(p.CompleteStatement(file, s), BSDL_OK);
    EXPECT_EQ(s, "already;");
    EXPECT_EQ(p.m_lineNumber, 0);
    s = "entity X is";
    EXPECT_EQ(p.CompleteStatement(file, s, ';'), BSDL_OK);
    EXPECT_EQ(s, "entity X is generic (PHYSICAL_PIN_MAP : string := \"DIP8\");");
    s = "ports";
    EXPECT_EQ(p.CompleteStatement(file, s), BSDL_OK);
    EXPECT_EQ(s, "ports A,B;");
    s = "constant";                                    // ":=" split, or across a join: not seen
    EXPECT_EQ(p.CompleteStatement(file, s, ":="), BSDL_OK);
    EXPECT_EQ(s, "constant x := yz := 1");
    s = "attribute A of B : entity";                   // a trimmed "is" holds no " is "
    EXPECT_EQ(p.CompleteStatement(file, s, " is "), BSDL_OK);
    EXPECT_EQ(s, "attribute A of B : entity is\"abc\" is ok");
    s = "bit_vector";
    EXPECT_EQ(p.CompleteStatement(file, s, ')'), BSDL_OK);
    EXPECT_EQ(s, "bit_vector (0 to 3)");
    s = "\"head\"";
    EXPECT_EQ(p.CompleteStatementWithOneOf(file, s, "&;"), BSDL_OK);
    EXPECT_EQ(s, "\"head\" \"tail\" &");
    EXPECT_EQ(p.CompleteStatement(file, s = "never"), BSDL_ERR_READ);
    EXPECT_EQ(p.CompleteStatement(file, s = "never"), BSDL_ERR_END_OF_FILE);
    EXPECT_EQ(p.m_lineNumber, 11);
}

TEST(StatementReader, StringValuesPieceByPiece)
{
    ReaderProbe p;
    KByteBuffer b1, b2, b3, b4, b5;
    TextFile three("\"A,\" &\n  \"B,\"&\n\"C\";\nafter\n");
    EXPECT_EQ(p.GetCompleteStringValue(three, "", &b1, false), BSDL_OK);
    EXPECT_STREQ(b1.GetText(), "A, B, C ");
    std::string line;
    EXPECT_EQ(p.GetLine(three, line, nullptr), BSDL_OK);
    EXPECT_EQ(line, "after");

    // A first piece on the statement's line; a value whole on it (no
    // trailing blank, nothing read).
    TextFile rest("\"B2\";\n");
    EXPECT_EQ(p.GetCompleteStringValue(rest, "A1, B2\";", &b2, true), BSDL_OK);
    EXPECT_STREQ(b2.GetText(), "A1, B2");
    EXPECT_EQ(p.GetCompleteStringValue(rest, "A1, \" &", &b3, false), BSDL_OK);
    EXPECT_STREQ(b3.GetText(), "A1, B2 ");

    // A first line completed first; a second piece on a line dropped; a
    // ';' inside a piece; a line without a closing quote (empty piece);
    // "--" inside a piece cuts the line, whose rest is completed over the next.
    TextFile mixed("B2\" &\n\"C3,\" & \"D4,\" &\n\"E;5\" &\n\"F6 &\n\"G--7\" &\n\"H8\";\n");
    EXPECT_EQ(p.GetCompleteStringValue(mixed, "A1,", &b4, false), BSDL_OK);
    EXPECT_STREQ(b4.GetText(), "A1, B2 C3, E;5  G ");

    const std::string value = "\"0 (BC_1, A, input, X),\" & -- cell zero\n-- lost\n"
                              "\"1 (BC_1, B, output2, 0)\"; --cell one  \n";
    TextFile withComments(value);
    EXPECT_EQ(p.GetCompleteStringValue(withComments, nullptr, &b5, true), BSDL_OK);
    EXPECT_STREQ(b5.GetText(),
                 "0 (BC_1, A, input, X), -- cell zero* 1 (BC_1, B, output2, 0) --cell one* ");

    EXPECT_EQ(p.GetCompleteStringValue(rest, "", nullptr, false), BSDL_ERR_NO_BUFFER);
    TextFile ends("\"A1,\" &\n");
    EXPECT_EQ(p.GetCompleteStringValue(ends, "", &b1, false), BSDL_ERR_READ);
    TextFile empty("");
    EXPECT_EQ(p.GetCompleteStringValue(empty, "A1", &b1, false), BSDL_ERR_READ);
    TextFile noLineEnd("\"A1,\" &\n\"B2\"");
    EXPECT_EQ(p.GetCompleteStringValue(noLineEnd, "", &b1, false), BSDL_ERR_END_OF_FILE);
}

// A piece and its comment go into the buffer in one go when it has room
// for them and one write at a time when it must grow: the same bytes.
TEST(StatementReader, StringValuePiecesWithAndWithoutRoom)
{
    std::string value;
    for (int i = 0; i < 300; ++i)
        value += "\"" + std::to_string(i) + " (BC_1, P" + std::to_string(i) + ", input, X),\" &" +
                 (i % 3 == 0 ? " -- c" + std::to_string(i) + " \n" : "\n");
    value += "\"end\";\n";
    for (const bool keepComments : {false, true}) {
        ReaderProbe p;
        TextFile first(value), second(value);
        KByteBuffer growing;
        KByteBuffer roomy;
        roomy.WriteData(std::string(100000, 'x').c_str());
        roomy.Clear();
        EXPECT_EQ(p.GetCompleteStringValue(first, "", &growing, keepComments), BSDL_OK);
        EXPECT_EQ(p.GetCompleteStringValue(second, "", &roomy, keepComments), BSDL_OK);
        EXPECT_STREQ(growing.GetText(), roomy.GetText());
        EXPECT_EQ(growing.GetTotalSize(), roomy.GetTotalSize());
        EXPECT_NE(std::strstr(roomy.GetText(), "297 (BC_1, P297, input, X), "), nullptr);
        EXPECT_EQ(std::strstr(roomy.GetText(), "-- c297* 298") != nullptr, keepComments);
    }
}

TEST(StatementReader, StatementsAndValuesOfAnyLength)
{
    std::string ports, expectedPorts = "port ", value, expectedValue;
    for (int i = 0; i < 100000; ++i) {
        std::string name = "SIGNAL_" + std::to_string(i) + ",";
        ports += "   " + name + "  -- note\n";
        expectedPorts += name;
        std::string piece = std::to_string(i) + " (BC_1, *, internal, X),";
        value += "  \"" + piece + "\" &\n";
        expectedValue += piece + " ";
    }
    TextFile portFile(ports + "LAST : in bit;\n");
    ReaderProbe p;
    std::string s = "port";
    EXPECT_EQ(p.CompleteStatement(portFile, s), BSDL_OK);
    EXPECT_EQ(s, expectedPorts + "LAST : in bit;");

    TextFile valueFile(value + "\"END\";\n");
    KByteBuffer buffer;
    EXPECT_EQ(p.GetCompleteStringValue(valueFile, "", &buffer, true), BSDL_OK);
    EXPECT_EQ(std::string(buffer.GetText()), expectedValue + "END ");
    EXPECT_EQ(p.m_lineNumber, 200002);
}

TEST(StatementReader, BufferFormsForDerivedClasses)
{
    ReaderProbe p;
    char line[255] = "old";
    char comment[256];
    TextFile longest("--" + std::string(252, 'c'));     // the longest comment: 254 + "*"
    EXPECT_EQ(p.GetLine(longest, line, comment), BSDL_ERR_READ);
    EXPECT_STREQ(line, "old");
    EXPECT_EQ(std::strlen(comment), 255u);

    TextFile file("attribute X of Y : entity is -- note\n\"1\" &\n  A,\n  B;\n"
                  "(7 downto 0\n)\nx :=\ny\n");
    EXPECT_EQ(p.GetLine(file, line, comment), BSDL_OK);
    EXPECT_STREQ(line, "attribute X of Y : entity is");
    EXPECT_STREQ(comment, "-- note*");
    std::vector<char> buffer(4096);
    char* s = std::strcat(std::strcpy(buffer.data(), line), " ");
    char is[] = " is ", ends[] = "&;", assign[] = ":=";
    EXPECT_EQ(p.CompleteStatement(file, s, is), BSDL_OK);
    EXPECT_STREQ(s, "attribute X of Y : entity is ");
    EXPECT_EQ(p.CompleteStatementWithOneOf(file, std::strcpy(s, "\""), ends), BSDL_OK);
    EXPECT_STREQ(s, "\" \"1\" &");
    EXPECT_EQ(p.CompleteStatement(file, std::strcpy(s, "ports")), BSDL_OK);
    EXPECT_STREQ(s, "ports A,B;");
    EXPECT_EQ(p.CompleteStatement(file, std::strcpy(s, "bit_vector"), ')'), BSDL_OK);
    EXPECT_STREQ(s, "bit_vector (7 downto 0)");
    EXPECT_EQ(p.CompleteStatement(file, std::strcpy(s, "constant"), assign), BSDL_OK);
    EXPECT_STREQ(s, "constant x :=");
    EXPECT_EQ(p.CompleteStatement(file, std::strcpy(s, "z")), BSDL_ERR_READ);
    EXPECT_STREQ(s, "z y");
    EXPECT_EQ(p.CompleteStatement(file, static_cast<char*>(nullptr)), BSDL_ERR_NO_BUFFER);
    EXPECT_EQ(p.GetLine(file, static_cast<char*>(nullptr), nullptr), BSDL_ERR_NO_BUFFER);
}

// The package pre-pass reads its own stream ahead in blocks; it must see the
// same physical reads as fgets does: the same line count, the same texts
// (cut at a NUL byte, split at 254 characters, also across a block's end)
// and the same end-of-file answers.
TEST(StatementReader, PrePassReadsAheadWithTheSameReadsAsTheStream)
{
    std::string blocks;
    for (int i = 0; blocks.size() < 150000; ++i)
        blocks += std::string(static_cast<size_t>(i * 37 % 600), 'a' + i % 26) + "\n";
    const std::string value = "constant P : PIN_MAP_STRING :=\n \"A : A1,\" & -- x\n\"B : B2,\" &\n\"C : ";
    std::string shortLines;
    for (int i = 0; shortLines.size() < 100000; ++i)
        shortLines += (i % 7 == 0 ? "  cat_in_t" : "  P") + std::to_string(i) + " : in bit;\n";
    const std::string cases[] = {
        "",
        std::string(254, 'z'),
        "a\n" + std::string(254, 'x') + "\n" + std::string(300, 'y') + "\nb",
        std::string("x\0y\n-- c\0d\n\n\0\n", 13) + std::string(253, 'w') + "\n",
        blocks,
        blocks + value + "C3\";\n",
        blocks + value + "C3\"",
        blocks + value + "C3\n",
        value + std::string(254, 'q'),
        std::string("-- constant P : PIN_MAP_STRING :=\n\tconstantly \"\n\0constant Q : PIN_MAP_STRING :=\n", 80) +
            value + "C3\";\n",
        // Many short lines, lines that look like the word, a long line whose
        // second read begins with it, lines of 253 and 254 characters.
        shortLines + value + "C3\";\n",
        shortLines + std::string(254, ' ') + value + "C3\";\n",
        shortLines + std::string(253, 'v') + "\n" + std::string(254, 'v') + "\n" + value + "C3\";\n",
        shortLines + "xx constant P : PIN_MAP_STRING :=\n" + shortLines + value + "C3\";\n",
    };
    int index = 0;
    for (const std::string& content : cases) {
        SCOPED_TRACE(index);
        std::string path =
            bscan_test::ScratchPath("statement_prepass_" + std::to_string(index++) + ".bsdl");
        FILE* out = std::fopen(path.c_str(), "wb");
        ASSERT_NE(out, nullptr);
        std::fwrite(content.data(), 1, content.size(), out);
        std::fclose(out);

        // The same steps on the stream, one fgets per read.
        ReaderProbe stream;
        int expected = BSDL_OK;
        FILE* in = std::fopen(path.c_str(), "r");
        std::string line;
        while (stream.GetLine(in, line, nullptr) == BSDL_OK) {
            if (line.compare(0, 8, "constant") != 0)
                continue;
            KByteBuffer buffer;
            std::string start = line.substr(line.find('"') + 1);
            expected = stream.GetCompleteStringValue(in, start.c_str(), &buffer, false);
            break;
        }
        std::fclose(in);

        ReaderProbe ahead;
        EXPECT_EQ(ahead.ReadPackageDB(&path[0]), expected);
        EXPECT_EQ(ahead.m_lineNumber, stream.m_lineNumber);
        std::remove(path.c_str());
    }
}

// The pre-pass orders grid pins by number (larger first), then by the
// length of their letters and the letters, one of each pair kept. Pins of
// short letters are placed by number first and each number's run sorted
// only when out of order: listed in order, shuffled, with duplicates, and
// with numbers spread too wide for placing (then sorted as a whole).
TEST(StatementReader, PrePassOrdersGridPinsWhateverTheirListing)
{
    const char* const letters[] = {"A", "B", "C", "Y", "AA", "AB", "BA", "b", "ZZZ", "AZ"};
    std::vector<std::string> listed;
    for (const char* l : letters)
        for (int n = 1; n <= 40; ++n)
            listed.push_back(l + std::to_string(n));
    std::vector<std::string> shuffled = listed;
    unsigned seed = 7;
    for (size_t i = shuffled.size(); i > 1; --i) {
        seed = seed * 1103515245u + 12345u;
        std::swap(shuffled[i - 1], shuffled[(seed >> 8) % i]);
    }
    std::vector<std::string> repeated = shuffled;
    repeated.insert(repeated.end(), {"A07", "B1", "AA040", "b3", "7"});
    std::vector<std::string> wide = shuffled;
    wide.insert(wide.end(), {"C65535", "D60000", "E1000"});

    int index = 0;
    for (const auto* pins : {&listed, &shuffled, &repeated, &wide}) {
        SCOPED_TRACE(index);
        std::string value = "\"P : (";
        PinParts expected;
        for (size_t i = 0; i < pins->size(); ++i) {
            const std::string& pin = (*pins)[i];
            value += pin + (i + 1 < pins->size() ? ", " : ")\";");
            if (i % 8 == 7)
                value += "\" &\n\"";
            std::pair<std::string, uint16_t> part("", 0);
            for (char c : pin) {
                if (std::isalpha(static_cast<unsigned char>(c)))
                    part.first.push_back(c);
                else
                    part.second = static_cast<uint16_t>(part.second * 10 + (c - '0'));
            }
            expected.push_back(part);
        }
        SortAsPrePass(expected);
        expected.erase(std::unique(expected.begin(), expected.end()), expected.end());

        ExpectPrePassPins(value, expected, index++);
    }
}

// A read takes from the stream exactly what fgets(raw, 255, stream) takes,
// whether it is cut out of the stream's buffered input or the buffer has to
// be refilled: the same prepared lines, comments, line counts and stream
// positions with a large buffer, a small one (reads straddle its end) and
// none, also with NUL bytes and over-long lines, and with the host reading
// single characters from the stream in between.
TEST(StatementReader, ReadsTakeWhatFgetsTakesWhateverTheStreamBuffer)
{
    std::string content;
    for (int i = 0; content.size() < 140000; ++i) {
        content += std::string(static_cast<size_t>(i * 53 % 700), static_cast<char>('a' + i % 26));
        if (i % 7 == 0)
            content += " -- note " + std::to_string(i);
        if (i % 11 == 3)
            content += std::string("x\0y", 3);
        content += i % 13 == 5 ? "\r\n" : "\n";
    }
    content += "last line without end";
    std::string path = bscan_test::ScratchPath("statement_buffers.txt");
    FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(content.data(), 1, content.size(), out);
    std::fclose(out);

    struct Step {
        int result;
        std::string line;
        std::string comment;
        long long lineNumber;
        long position;
        int taken;
    };
    auto readAll = [&path](int mode, size_t size) {
        std::vector<Step> steps;
        FILE* in = std::fopen(path.c_str(), "r");
        std::vector<char> buffer(size > 0 ? size : 1);
        std::setvbuf(in, mode == _IONBF ? nullptr : buffer.data(), mode, size);
        ReaderProbe p;
        for (int i = 0;; ++i) {
            Step step;
            step.result = p.GetLine(in, step.line, &step.comment);
            step.lineNumber = p.m_lineNumber;
            step.taken = i % 5 == 0 ? std::fgetc(in) : -2;
            step.position = std::ftell(in);
            steps.push_back(step);
            if (step.result != BSDL_OK)
                break;
        }
        std::fclose(in);
        return steps;
    };
    const std::vector<Step> plain = readAll(_IONBF, 0);
    ASSERT_GT(plain.size(), 400u);
    for (size_t size : {size_t(65536), size_t(300), size_t(100)}) {
        SCOPED_TRACE(size);
        const std::vector<Step> buffered = readAll(_IOFBF, size);
        ASSERT_EQ(buffered.size(), plain.size());
        for (size_t i = 0; i < plain.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(buffered[i].result, plain[i].result);
            EXPECT_EQ(buffered[i].line, plain[i].line);
            EXPECT_EQ(buffered[i].comment, plain[i].comment);
            EXPECT_EQ(buffered[i].lineNumber, plain[i].lineNumber);
            EXPECT_EQ(buffered[i].position, plain[i].position);
            EXPECT_EQ(buffered[i].taken, plain[i].taken);
        }
    }
    std::remove(path.c_str());
}

// A piece's line in its usual form (quoted piece, then only '&' or ';'
// between blanks) is taken straight from the stream's buffer; any other
// line goes the general way. A comment after a line, not kept, changes
// nothing: so each line must give the same value, result and line count
// with and without one. Pieces of many lengths, with ';', '-', '"'
// and blanks at many places, and lines with more after their piece.
TEST(StatementReader, UsualPieceLinesReadAsTheGeneralWayReadsThem)
{
    std::vector<std::string> lines;
    const char* const tails[] = {" &", "&", ";", " ; ", " ;", "\t&\r", " & x", " &;", "", " \"& ", ";;", " -"};
    for (size_t length = 0; length < 40; length += 3) {
        for (const char* mark : {"", ";", "-", "\"", " ", "&"}) {
            for (size_t at : {size_t(0), length / 2, length}) {
                std::string piece(length, 'p');
                piece.insert(at, mark);
                for (const char* tail : tails)
                    lines.push_back(std::string(at % 3, ' ') + "\"" + piece + "\"" + tail);
            }
        }
    }
    lines.push_back("no quote at all &");
    lines.push_back("  \"  spaced out  \"  &  ");
    int index = 0;
    for (const std::string& line : lines) {
        SCOPED_TRACE(index++);
        SCOPED_TRACE(line);
        ReaderProbe usual, general;
        KByteBuffer usualValue, generalValue;
        TextFile plain(line + "\n\"Z\";\n");
        TextFile commented(line + " -- a comment\n\"Z\";\n");
        EXPECT_EQ(usual.GetCompleteStringValue(plain, "", &usualValue, false),
                  general.GetCompleteStringValue(commented, "", &generalValue, false));
        EXPECT_STREQ(usualValue.GetText(), generalValue.GetText());
        EXPECT_EQ(usual.m_lineNumber, general.m_lineNumber);
    }
}

// Pins listed in a few ordered stretches for each number (a listing that
// starts again from the first letters) are merged, in more stretches
// sorted: in every case the order of a plain sort, one of each pin kept.
TEST(StatementReader, PrePassOrdersGridPinsListedInStretches)
{
    const char* const letters[] = {"A", "B", "C", "D", "E", "F", "G", "H", "J", "K", "L", "M",
                                   "AA", "AB", "AC", "AD", "BA", "BB", "BC", "CA", "CB", "ZZ"};
    const size_t count = sizeof letters / sizeof letters[0];
    int index = 0;
    for (size_t stretches : {size_t(1), size_t(2), size_t(3), size_t(7), size_t(8), size_t(9), size_t(22)}) {
        SCOPED_TRACE(stretches);
        // Stretch k lists every stretches-th letter from letter k, for all numbers.
        std::string value = "\"P : (";
        PinParts expected;
        for (size_t k = 0; k < stretches; ++k) {
            for (size_t l = k; l < count; l += stretches) {
                for (int n = 1; n <= 30; ++n) {
                    value += std::string(letters[l]) + std::to_string(n) + ", \" &\n\"";
                    expected.emplace_back(letters[l], static_cast<uint16_t>(n));
                }
            }
        }
        value += "A1)\";";
        SortAsPrePass(expected);
        ExpectPrePassPins(value, expected, index++);
    }
}

// The lines of a string value held in the stream's buffer are taken
// straight out of it while they are plain (a quoted piece and its '&',
// maybe a comment; white space; a comment alone); read from a stream
// without a buffer every line goes the general way. Both must give the
// same value, result, line count and stream position, for lines of many
// forms, with and without comments kept, whatever the buffer's size.
TEST(StatementReader, StringValueLinesReadAsFromAStreamWithoutBuffer)
{
    const char* const forms[] = {
        "  \"%d (BC_1, *, internal, X), \" &",   "\t\"%d,\"&",           "\r \"%d\" &\r",
        "  \"%d (BC_7, IO, bidir, X), \" & -- pad %d", "\"%d\" &-- \"q\" ; -", "\"%d\" & -- a\0b",
        "  \" %d \" ;x",                          "\"%d\" & \r\r",         "",
        "   \t",                                   "  -- note %d",          "--\0",
        "\"%d;\" &",                               "\"%d-\" &",             "\"%d\" && ",
        "\"%d\"  &  --",                           "\"%d\" -",              "  \"%d"};
    std::string content;
    for (int i = 0; content.size() < 150000; ++i) {
        const int form = i * 7 % 18;
        char line[300];
        const int length = std::snprintf(line, sizeof line, forms[form], i, i);
        std::string text(line, static_cast<size_t>(length));
        if (form == 5 || form == 11)
            text += std::string("\0tail", 5);
        if (form == 0 && i % 7 == 3)
            text.insert(0, std::string(static_cast<size_t>(200 + i % 60), ' '));
        content += text + (i % 5 == 4 ? "\r\n" : "\n");
    }
    content += "  \"a;b\" ;\n  \"last\" ;\nafter\n";       // a ';' in a piece: not the last line
    const std::string path = bscan_test::ScratchPath("string_value_lines.txt");
    FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    std::fwrite(content.data(), 1, content.size(), out);
    std::fclose(out);

    struct Outcome {
        int result;
        std::string value;
        long long lineNumber;
        long position;
    };
    auto read = [&path](int mode, size_t size, bool keepComments) {
        FILE* in = std::fopen(path.c_str(), "r");
        std::vector<char> buffer(size > 0 ? size : 1);
        std::setvbuf(in, mode == _IONBF ? nullptr : buffer.data(), mode, size);
        ReaderProbe p;
        KByteBuffer value;
        Outcome outcome;
        outcome.result = p.GetCompleteStringValue(in, "", &value, keepComments);
        outcome.value.assign(value.GetText(), static_cast<size_t>(value.GetTotalSize()));
        outcome.lineNumber = p.m_lineNumber;
        outcome.position = std::ftell(in);
        std::fclose(in);
        return outcome;
    };
    for (const bool keepComments : {false, true}) {
        const Outcome general = read(_IONBF, 0, keepComments);
        EXPECT_EQ(general.result, BSDL_OK);
        EXPECT_GT(general.lineNumber, 3000);
        EXPECT_NE(general.value.find("a;b last "), std::string::npos);
        for (size_t size : {size_t(65536), size_t(4096), size_t(300), size_t(100)}) {
            SCOPED_TRACE(size);
            const Outcome buffered = read(_IOFBF, size, keepComments);
            EXPECT_EQ(buffered.result, general.result);
            EXPECT_EQ(buffered.value, general.value);
            EXPECT_EQ(buffered.lineNumber, general.lineNumber);
            EXPECT_EQ(buffered.position, general.position);
        }
    }
}
