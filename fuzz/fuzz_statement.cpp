// Statement-reader fuzz target. The first input byte chooses an operation
// and its terminator, the rest is the file. The operation is then called
// over and over until the file is used up, in the growable form and in the
// caller-buffer form. The caller buffers are heap blocks of exactly the
// documented size (255 bytes for a line, 256 for a comment; for a
// statement, what the file can add to it), so that AddressSanitizer reports a write of a
// single byte too many.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

#include "parser/BScanParser.h"

namespace {

std::string g_path;
volatile unsigned g_sink = 0;  // keeps the getters' results alive (unsigned: wraps)

// Opens the statement reader of the parser.
class StatementProbe : public BScanParser {
public:
    using BScanParser::CompleteStatement;
    using BScanParser::CompleteStatementWithOneOf;
    using BScanParser::GetCompleteStringValue;
    using BScanParser::GetLine;
    long long Lines() const { return m_lineNumber; }
};

const size_t kLineBuffer = 255;     // a line: one physical read of 254 characters
const size_t kCommentBuffer = 256;  // a comment: a full read plus its "*" marker

// A heap block of exactly `size` bytes holding `text` (cut to fit).
std::unique_ptr<char[]> Block(size_t size, const std::string& text) {
    std::unique_ptr<char[]> block(new char[size]);
    size_t n = text.size() < size - 1 ? text.size() : size - 1;
    memcpy(block.get(), text.data(), n);
    block[n] = '\0';
    return block;
}

int CheckCode(int rc) {
    if (rc != 0 && rc != -3 && rc != -4 && rc != -6) __builtin_trap();
    return rc;
}

// One pass over the file with the operation chosen by `mode`.
void Run(StatementProbe& probe, FILE* file, unsigned mode, size_t fileSize) {
    static const char* const kTerminators[] = {";", " is ", ":=", "&;", "(", ")"};
    const char* terminator = kTerminators[(mode >> 4) % 6];
    // A statement grows by at most the file's bytes plus one blank.
    const size_t statementSize = fileSize + kLineBuffer + 2;
    KByteBuffer value;
    for (int guard = 0; guard < 100000; ++guard) {
        int rc = 0;
        switch (mode % 10) {
        case 0: {
            std::string line, comment;
            rc = probe.GetLine(file, line, (mode & 0x40) ? &comment : nullptr);
            if (rc == 0 && line.empty()) __builtin_trap();  // empty lines are skipped
            g_sink += static_cast<unsigned>(line.size() + comment.size());
            break;
        }
        case 1: {
            auto line = Block(kLineBuffer, "");
            auto comment = Block(kCommentBuffer, "");
            rc = probe.GetLine(file, line.get(), (mode & 0x40) ? comment.get() : nullptr);
            g_sink += static_cast<unsigned>(strlen(line.get()) + strlen(comment.get()));
            break;
        }
        case 2: {
            std::string statement;
            rc = probe.GetLine(file, statement, nullptr);
            if (rc == 0) rc = probe.CompleteStatement(file, statement, terminator);
            g_sink += static_cast<unsigned>(statement.size());
            break;
        }
        case 3: {
            std::string statement;
            rc = probe.GetLine(file, statement, nullptr);
            if (rc == 0) rc = probe.CompleteStatement(file, statement);
            g_sink += static_cast<unsigned>(statement.size());
            break;
        }
        case 4: {
            std::string statement;
            rc = probe.GetLine(file, statement, nullptr);
            if (rc == 0) rc = probe.CompleteStatement(file, statement, terminator[0]);
            if (rc == 0) rc = probe.CompleteStatementWithOneOf(file, statement, "&;");
            g_sink += static_cast<unsigned>(statement.size());
            break;
        }
        case 5: {
            auto line = Block(kLineBuffer, "");
            rc = probe.GetLine(file, line.get(), nullptr);
            if (rc != 0) break;
            auto statement = Block(statementSize, line.get());
            std::string term(terminator);
            rc = probe.CompleteStatement(file, statement.get(), &term[0]);
            g_sink += static_cast<unsigned>(strlen(statement.get()));
            break;
        }
        case 6: {
            auto line = Block(kLineBuffer, "");
            rc = probe.GetLine(file, line.get(), nullptr);
            if (rc != 0) break;
            auto statement = Block(statementSize, line.get());
            rc = (mode & 0x40) ? probe.CompleteStatement(file, statement.get())
                               : probe.CompleteStatement(file, statement.get(), terminator[0]);
            g_sink += static_cast<unsigned>(strlen(statement.get()));
            break;
        }
        case 7: {
            auto line = Block(kLineBuffer, "");
            rc = probe.GetLine(file, line.get(), nullptr);
            if (rc != 0) break;
            auto statement = Block(statementSize, line.get());
            std::string set = (mode & 0x40) ? "&;" : terminator;
            rc = probe.CompleteStatementWithOneOf(file, statement.get(), &set[0]);
            g_sink += static_cast<unsigned>(strlen(statement.get()));
            break;
        }
        case 8:
        case 9: {
            // A string value: the text after the opening quote of the first
            // line (possibly empty), then the value's pieces.
            std::string line;
            rc = probe.GetLine(file, line, nullptr);
            if (rc != 0) break;
            size_t quote = line.find('"');
            std::string text = quote == std::string::npos ? "" : line.substr(quote + 1);
            size_t start = text.find_first_not_of(" \t\r\n");
            text.erase(0, start == std::string::npos ? text.size() : start);
            value.Clear();
            rc = probe.GetCompleteStringValue(file, text.c_str(), &value, (mode % 10) == 9);
            g_sink += value.GetTotalSize();
            if (mode & 0x80) {
                if (probe.GetCompleteStringValue(file, "", nullptr, false) != -6) __builtin_trap();
            }
            break;
        }
        }
        if (CheckCode(rc) != 0) break;
    }
    g_sink += static_cast<unsigned>(probe.Lines());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* tmp = getenv("TMPDIR");
    std::string dir = (tmp && *tmp) ? tmp : "/tmp";
    g_path = dir + "/bscan_fuzz_statement_" + std::to_string(getpid()) + ".txt";
    // The input file goes when the run ends normally.
    std::atexit([] { std::remove(g_path.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    unsigned mode = data[0];
    FILE* out = fopen(g_path.c_str(), "wb");
    if (!out) return 0;
    if (size > 1 && fwrite(data + 1, 1, size - 1, out) != size - 1) {
        fclose(out);
        return 0;
    }
    fclose(out);
    FILE* file = fopen(g_path.c_str(), "r");
    if (!file) return 0;
    StatementProbe probe;
    Run(probe, file, mode, size - 1);
    fclose(file);
    return 0;
}
