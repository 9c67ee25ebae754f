// Very large inputs, generated into temporary files: the readers have no
// length limits of their own, so each of these is read exactly as a small
// one would be; only the ceilings of absurd lengths refuse.
//
// A physical read takes at most 254 characters, and the statement reader
// puts one blank only before the first line that it appends to a statement.
// So a name longer than one read must begin on a fresh read after that first
// appended line; Pad() ends a read exactly at 254 characters for that.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "parser/BScanParser.h"

namespace {

const size_t kRead = 254;  // characters of one physical read

// `head` followed by blanks up to one full physical read.
std::string Pad(const std::string& head) {
    return head + std::string(kRead - head.size(), ' ');
}

// Writes `text` to a temporary file, reads it with `parser` and removes the
// file again. Returns Read's result (or Initialize's when that fails).
int ReadText(BScanParser& parser, const std::string& text) {
    char path[] = "/tmp/bscan_limits_XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0) return 1;
    FILE* f = fdopen(fd, "w");
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
    int rc = parser.Initialize(path, BSCAN_MESSAGE_DIR);
    if (rc >= 0) rc = parser.Read();
    parser.CloseFile();
    unlink(path);
    return rc;
}

// A device frame: header with a package, the port clause, then `body`.
std::string Device(const std::string& ports, const std::string& body,
                   const std::string& package = "PKG") {
    return "entity CHIP is\n"
           "generic (PHYSICAL_PIN_MAP : string := \"" + package + "\");\n"
           "port (\n" + ports + ");\n"
           "use STD_1149_1_2001.all;\n" + body + "end CHIP;\n";
}

// `prefix`, about `size` filler characters and `tail` on one physical line.
// The filler's length is chosen so that the " is " of `tail` lies inside
// one read and away from its ends (which the statement reader trims).
std::string OneLine(const std::string& prefix, size_t size, const std::string& tail) {
    size_t at = tail.find(" is ");
    for (;; ++size) {
        size_t pos = (prefix.size() + size + at) % kRead;
        if (pos >= 1 && pos + 4 < kRead) return prefix + std::string(size, 'x') + tail + "\n";
    }
}

// Physical reads of a file: a line of n characters and its line end take
// n / 254 + 1 reads.
long long Reads(const std::string& text) {
    long long reads = 0;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        reads += static_cast<long long>((end - start) / kRead + 1);
        start = end + 1;
    }
    return reads;
}

KPinNode* Node(BScanPinMap* pm, int position) {
    return static_cast<KPinNode*>(pm->GetPinListArray()->GetAt(position));
}

bool Bit(const unsigned char* image, int cell) {
    return (image[cell / 8] & (0x80 >> (cell % 8))) != 0;
}

}  // namespace

TEST(Limits, OneMegabyteCommentLine) {
    // A comment of hyphens only: every read of it is a comment of its own.
    std::string body = "--" + std::string(1 << 20, '-') + "\n"
                       "attribute BOUNDARY_LENGTH of CHIP : entity is 3;\n";
    std::string text = Device("TDI : in bit\n", body);
    BScanParser parser;
    ASSERT_EQ(0, ReadText(parser, text));
    EXPECT_EQ(3, parser.GetPinMap()->GetBScanLength());
    EXPECT_EQ(Reads(text), parser.GetLineNumber());

    // A comment of words continues, after its first read, as a line that
    // begins with no keyword.
    BScanParser words;
    std::string wordy = "-- " + std::string(1 << 20, 'w') + "\n";
    EXPECT_EQ(BSDL_ERR_SYNTAX, ReadText(words, Device("TDI : in bit\n", wordy)));
}

TEST(Limits, OneMegabyteLineInsideStringValue) {
    // One physical line of about 1 MB holds the whole pin map value: port A
    // on pin 1, then the N elements of P on pins 2 .. N + 1.
    const int n = 170000;
    std::string line = Pad("\"A : 1,") + "P:(";
    for (int k = 0; k < n; ++k) line += std::to_string(k + 2) + (k + 1 < n ? "," : ")\";\n");
    ASSERT_GT(line.size(), 1u << 20);
    std::string ports = "A : in bit;\nP : in bit_vector (0 to " + std::to_string(n - 1) + ")\n";
    std::string body = "constant PKG : PIN_MAP_STRING :=\n" + line;
    BScanParser parser;
    ASSERT_EQ(0, ReadText(parser, Device(ports, body)));
    BScanPinMap* pm = parser.GetPinMap();
    ASSERT_EQ(n + 1, pm->GetNumberOfPins());
    ASSERT_NE(nullptr, pm->GetPort(1));
    EXPECT_STREQ("A", pm->GetPort(1)->GetPortName());
    for (int k = 0; k < n; ++k) {
        KPinNode* node = pm->GetPort(k + 2);
        ASSERT_NE(nullptr, node) << k;
        ASSERT_EQ(k, node->GetVectorIndex());
        ASSERT_EQ(std::to_string(k + 2), node->GetPinName());
    }
}

TEST(Limits, StatementHeadOfHundredThousandCharacters) {
    // The attribute's head runs over one physical line of 100,000 name
    // characters before its " is "; an unread attribute of the same kind is
    // skipped to its ';'.
    std::string filler(100000, 'x');
    std::string body =
        OneLine("attribute SOMETHING_ELSE of ", 100000, " : entity is \"" + filler + "\";") +
        OneLine("attribute BOUNDARY_LENGTH of ", 100000, " : entity is 8;") +
        OneLine("attribute INSTRUCTION_LENGTH of ", 100000, " : entity is 5;");
    BScanParser parser;
    ASSERT_EQ(0, ReadText(parser, Device("TDI : in bit\n", body)));
    EXPECT_EQ(8, parser.GetPinMap()->GetBScanLength());
    EXPECT_EQ(5, parser.GetInstructionRegisterDescription()->GetInstructionLength());
}

TEST(Limits, PortDeclarationOfFiveThousandNames) {
    // Ten names per line, the mode and type after the last one.
    const int n = 5000;
    std::vector<std::string> lines;
    std::string current;
    for (int k = 0; k < n; ++k) {
        current += "N" + std::to_string(k);
        if (k + 1 == n) {
            current += " : inout bit;";
        } else {
            current += ",";
            if (k % 10 == 9) {
                lines.push_back(current);
                current.clear();
            } else {
                current += " ";
            }
        }
    }
    lines.push_back(current);
    std::string ports;
    for (const std::string& l : lines) ports += l + "\n";
    // The names list as the reader joins it: one blank after the first line,
    // the later lines directly.
    std::string joined = lines[0];
    for (size_t i = 1; i < lines.size(); ++i) joined += (i == 1 ? " " : "") + lines[i];
    joined = joined.substr(0, joined.find(" :"));

    BScanParser parser;
    ASSERT_EQ(0, ReadText(parser, Device(ports, "")));
    BScanPinMap* pm = parser.GetPinMap();
    ASSERT_EQ(n, pm->GetNumberOfPins());
    for (int k = 0; k < n; ++k) {
        ASSERT_EQ("N" + std::to_string(k), Node(pm, k)->GetPortName()) << k;
        ASSERT_EQ(PORT_INOUT, Node(pm, k)->GetPortType());
    }
    ASSERT_EQ(1, pm->GetIOTypeCount());
    EXPECT_EQ(joined, pm->GetIOName(0));
    std::string last = "n4999";
    EXPECT_EQ(Node(pm, n - 1), pm->GetPortwName(&last[0]));
}

TEST(Limits, BoundaryRegisterOfHundredThousandEntries) {
    // 50,000 inout ports, each with a bidirectional cell 2k and its control
    // cell 2k + 1; the entries are listed from the highest cell down.
    const int ports = 50000, cells = 2 * ports;
    std::string decl = "IO : inout bit_vector (0 to " + std::to_string(ports - 1) + ")\n";
    std::string pins = "constant PKG : PIN_MAP_STRING :=\n\"IO : (";
    for (int k = 0; k < ports; ++k) {
        pins += std::to_string(k + 1);
        pins += k + 1 == ports ? ")\";\n" : (k % 20 == 19 ? ",\" &\n\"" : ", ");
    }
    std::string reg = "attribute BOUNDARY_LENGTH of CHIP : entity is " + std::to_string(cells) + ";\n"
                      "attribute BOUNDARY_REGISTER of CHIP : entity is\n";
    for (int k = ports - 1; k >= 0; --k) {
        std::string c = std::to_string(2 * k + 1);
        reg += "\"" + c + " (BC_1, *, control, 0), \" &\n";
        reg += "\"" + std::to_string(2 * k) + " (BC_7, IO(" + std::to_string(k) + "), bidir, X, " +
               c + ", 0, Z)" + (k == 0 ? "\";\n" : ", \" &\n");
    }
    BScanParser parser;
    ASSERT_EQ(0, ReadText(parser, Device(decl, pins + reg)));
    BScanPinMap* pm = parser.GetPinMap();
    ASSERT_EQ(cells, pm->GetBScanLength());
    for (int k = 0; k < ports; ++k) {
        KBScanCell* data = pm->GetBScanCell(2 * k);
        KBScanCell* control = pm->GetBScanCell(2 * k + 1);
        ASSERT_EQ(2 * k, data->GetBoundaryCellPosition());
        ASSERT_EQ(FUNC_BIDIR, data->GetFunction());
        ASSERT_EQ(control, data->GetControlCell());
        ASSERT_EQ(FUNC_CONTROL, control->GetFunction());
        ASSERT_EQ(pm->GetPort(k + 1), data->GetPinNode());
        ASSERT_EQ(k, data->GetPinNode()->GetVectorIndex());
    }
    // Drive every third port out high: its two bits, and nothing else, are 1.
    for (int k = 0; k < ports; k += 3) ASSERT_EQ(0, pm->setPort(k + 1, PORT_OUT, SIGNAL_HIGH));
    const unsigned char* image = pm->GetBScanBitArray();
    for (int cell = 0; cell < cells; ++cell)
        ASSERT_EQ((cell / 2) % 3 == 0, Bit(image, cell)) << cell;
    EXPECT_EQ(PORT_OUT, pm->GetPortDirection(1));
    EXPECT_EQ(PORT_IN, pm->GetPortDirection(2));
}

TEST(Limits, PinMapStringOfFiftyThousandGridPins) {
    // 200 rows (A .. Z, then two letters) of 250 columns; the pins are listed
    // column by column, so the sorted package order differs from the list.
    const int rows = 200, cols = 250, n = rows * cols;
    std::vector<std::string> rowNames;
    for (int r = 0; r < 26; ++r) rowNames.push_back(std::string(1, static_cast<char>('A' + r)));
    for (int r = 0; rowNames.size() < static_cast<size_t>(rows); ++r)
        rowNames.push_back(std::string(1, static_cast<char>('A' + r / 26)) +
                           static_cast<char>('A' + r % 26));
    std::vector<std::string> listed;
    for (int c = 1; c <= cols; ++c)
        for (int r = 0; r < rows; ++r) listed.push_back(rowNames[r] + std::to_string(c));
    // The package order: column number descending, then shorter row names,
    // then row names ascending.
    struct Key { int col; std::string row; };
    std::vector<Key> sorted;
    for (int c = 1; c <= cols; ++c)
        for (int r = 0; r < rows; ++r) sorted.push_back({c, rowNames[r]});
    std::sort(sorted.begin(), sorted.end(), [](const Key& a, const Key& b) {
        if (a.col != b.col) return a.col > b.col;
        if (a.row.size() != b.row.size()) return a.row.size() < b.row.size();
        return a.row < b.row;
    });
    std::vector<std::string> order;
    for (const Key& k : sorted) order.push_back(k.row + std::to_string(k.col));

    std::string pins = "constant BGA : PIN_MAP_STRING :=\n\"P : (";
    for (int k = 0; k < n; ++k)
        pins += listed[k] + (k + 1 == n ? ")\";\n" : (k % 20 == 19 ? ",\" &\n\"" : ", "));
    std::string decl = "P : inout bit_vector (0 to " + std::to_string(n - 1) + ")\n";
    BScanParser parser;
    ASSERT_EQ(0, ReadText(parser, Device(decl, pins, "BGA")));
    BScanPinMap* pm = parser.GetPinMap();
    ASSERT_EQ(n, pm->GetNumberOfPins());
    for (int number = 1; number <= n; ++number) {
        KPinNode* node = pm->GetPort(number);
        ASSERT_NE(nullptr, node) << number;
        ASSERT_EQ(order[number - 1], node->GetPinName()) << number;
        ASSERT_EQ(listed[node->GetVectorIndex()], node->GetPinName());
    }
    EXPECT_EQ(1, pm->GetPinNumber("A250"));
    EXPECT_EQ(n, pm->GetPinNumber((rowNames.back() + "1").c_str()));
}

TEST(Limits, OpcodeListOfFiftyKilobytes) {
    // 1,000 instructions of 48-bit opcodes, then one whose opcode list runs
    // over three quoted pieces.
    const int n = 1000;
    auto opcode = [](int k) {
        std::string bits;
        for (int b = 47; b >= 0; --b) bits += ((k >> (b % 16)) & 1) ? '1' : '0';
        return bits;
    };
    std::string body = "attribute INSTRUCTION_OPCODE of CHIP : entity is\n";
    for (int k = 0; k < n; ++k)
        body += "\"INSTR" + std::to_string(k) + " (" + opcode(k) + ")," + "\" &\n";
    body += "\"SPLIT (0001, \" &\n\"0010, \" &\n\"0011)\";\n";
    ASSERT_GT(body.size(), 50000u);
    BScanParser parser;
    ASSERT_EQ(0, ReadText(parser, Device("TDI : in bit\n", body)));
    const CInstrRegisterDesc* ir = parser.GetInstructionRegisterDescription();
    ASSERT_EQ(n + 1, ir->GetInstructionOpcodeCount());
    for (int k = 0; k < n; ++k) {
        const CInstrOpcode* op = ir->GetInstructionOpcode(k);
        ASSERT_EQ("INSTR" + std::to_string(k), op->GetInstruction());
        ASSERT_EQ(1, op->GetOpcodeCount());
        ASSERT_EQ(opcode(k), op->GetOpcode(0));
    }
    const CInstrOpcode* split = ir->GetInstructionOpcode(n);
    EXPECT_STREQ("SPLIT", split->GetInstruction());
    ASSERT_EQ(3, split->GetOpcodeCount());
    EXPECT_STREQ("0011", split->GetOpcode(2));
}

TEST(Limits, NamesOfFiveThousandCharacters) {
    // Entity, port, pin and instruction names of 5,000 characters, each
    // beginning on a fresh physical read after the statement's first line.
    std::string entity(5000, 'E'), port(5000, 'p'), pin(5000, 'Q'), instr(5000, 'I');
    std::string upperPort(5000, 'P');
    std::string text =
        "entity\n" + entity + " is\n"
        "generic (PHYSICAL_PIN_MAP : string := \"PKG\");\n"
        "port (\n"
        "A,\n" + port + " : in bit;\n"
        "TDO : out bit);\n"
        "constant PKG : PIN_MAP_STRING :=\n" +
        Pad("\"A : 1, TDO : 2,") + port + " : " + pin + "\";\n"
        "attribute INSTRUCTION_OPCODE of CHIP : entity is\n"
        "\"BYPASS (11), \" &\n"
        "\"" + instr + " (01)\";\n"
        "attribute BOUNDARY_LENGTH of CHIP : entity is 2;\n"
        "attribute BOUNDARY_REGISTER of CHIP : entity is\n" +
        Pad("\"1 (BC_1,") + port + ", input, X), \" &\n"
        "\"0 (BC_1, A, input, X)\";\n"
        "end CHIP;\n";
    BScanParser parser;
    ASSERT_EQ(0, ReadText(parser, text));
    EXPECT_EQ(entity, parser.GetComponentName());
    BScanPinMap* pm = parser.GetPinMap();
    ASSERT_EQ(3, pm->GetNumberOfPins());
    KPinNode* node = Node(pm, 1);
    EXPECT_EQ(pin, node->GetPinName() ? node->GetPinName() : "");
    // The pin number is the value of the pin name's leading digits: none.
    EXPECT_EQ(0, node->GetPinNumber());
    KBScanCell* cell = pm->GetBScanCell(1);
    EXPECT_EQ(node, cell->GetPinNode());
    EXPECT_EQ(upperPort, cell->GetPinName());
    std::string lookup = port;
    EXPECT_EQ(node, pm->GetPortwName(&lookup[0]));
    EXPECT_EQ(upperPort, lookup);
    const CInstrRegisterDesc* ir = parser.GetInstructionRegisterDescription();
    ASSERT_EQ(2, ir->GetInstructionOpcodeCount());
    EXPECT_EQ(instr, ir->GetInstructionOpcode(1)->GetInstruction());
}

TEST(Limits, AbsurdBoundaryLengthsAreRefusedWithoutAllocating) {
    const std::string lengths[] = {"2147483647", "2147483648", "99999999999999999999999999",
                                   std::to_string(BSCAN_MAX_BOUNDARY_LENGTH + 1)};
    for (const std::string& length : lengths) {
        BScanParser parser;
        std::string body = "attribute BOUNDARY_LENGTH of CHIP : entity is " + length + ";\n";
        EXPECT_EQ(BSDL_ERR_BAD_VALUE, ReadText(parser, Device("TDI : in bit\n", body))) << length;
        EXPECT_EQ(0, parser.GetPinMap()->GetBScanLength()) << length;
        EXPECT_EQ(nullptr, parser.GetPinMap()->GetBScanBitArray()) << length;
    }
}

TEST(Limits, AbsurdVectorRangesAreRefused) {
    // A billion elements, the whole int range, and one node past the ceiling.
    const std::string ranges[] = {"0 to 999999999", "2147483647 downto 0",
                                  "1 to " + std::to_string(BSCAN_MAX_PORT_NODES + 1)};
    for (const std::string& range : ranges) {
        BScanParser parser;
        std::string ports = "TDI : in bit;\nD : in bit_vector (" + range + ")\n";
        EXPECT_EQ(BSDL_ERR_NO_MEMORY, ReadText(parser, Device(ports, ""))) << range;
        // The declaration before stays; the absurd one created nothing.
        EXPECT_EQ(1, parser.GetPinMap()->GetNumberOfPins()) << range;
    }
}

TEST(Limits, RegressionLengthOfManyDigitsDoesNotOverflow) {
    // 26 digits once overflowed the length reader's 64-bit accumulator
    // (undefined behaviour, reported by the sanitizer build).
    BScanParser parser;
    ASSERT_GE(parser.Initialize(BSCAN_TEST_DATA_DIR "/regress_long_boundary_length.bsdl",
                                BSCAN_MESSAGE_DIR), 0);
    EXPECT_EQ(BSDL_ERR_BAD_VALUE, parser.Read());
    EXPECT_EQ(0, parser.GetPinMap()->GetBScanLength());
    parser.CloseFile();
}
