// The statement reader: the file as prepared lines, completed statements
// and assembled string values. A line longer than one physical read arrives
// in several reads, each counted as a line. Each line is appended once, so
// reading is linear in the size of the file.
//
// Results: 0, -4 when the end-of-file indicator was already set before a
// read, -3 when a read returned nothing (also for a null stream), -6 for a
// missing output buffer, -7 when memory runs out while a text grows.
#include <algorithm>
#include <cstring>
#include <exception>
#include <new>
#include <string_view>

#include "parser/BScanParser.h"
#include "parser/ReaderTextInternal.h"
#include "parser/StatementReaderInternal.h"

namespace {

// Size of a read-ahead block; a block is refilled while it holds less than
// one full read.
const size_t kBlockSize = 64 * 1024;

const char* const kStringPieceEnds = "&;";

char g_sharedBlockBytes[kBlockSize];

// True when the text's only ';' is its last character.
bool EndsAtFirstSemicolon(std::string_view text)
{
    return !text.empty() && text.back() == ';' && text.find(';') == text.size() - 1;
}

// A piece's text: before its closing quote (nothing without one), trailing
// white space removed.
std::string_view BeforeClosingQuote(std::string_view text)
{
    const size_t close = text.find('"');
    size_t length = close == std::string_view::npos ? 0 : close;
    while (length > 0 && bscan_util::IsSpace(text[length - 1]))
        --length;
    return text.substr(0, length);
}

// Completes a caller's statement buffer in place with `complete`.
template <class Complete>
int CompleteInPlace(char* statement, Complete complete)
{
    if (!statement)
        return BSDL_ERR_NO_BUFFER;
    try {
        std::string completed(statement);
        const int result = complete(completed);
        std::memcpy(statement, completed.c_str(), completed.size() + 1);
        return result;
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    }
}

}  // namespace

// --- physical reads -----------------------------------------------------

FILE* g_sharedBlockStream = nullptr;
ReadBlock g_sharedBlock{g_sharedBlockBytes, kBlockSize};

void ShareReadBlock(FILE* stream)
{
    g_sharedBlockStream = stream;
    g_sharedBlock = ReadBlock{g_sharedBlockBytes, kBlockSize};
}

void PhysicalLineSource::ReadAhead()
{
    if (!bscan_accelerate::On() || m_block)
        return;
    m_ownBytes.reset(new (std::nothrow) char[kBlockSize]);
    if (!m_ownBytes)
        return;
    m_ownBlock = ReadBlock{m_ownBytes.get(), kBlockSize};
    m_block = &m_ownBlock;
}

// Moves what is left of the block to its front and fills the rest from the
// stream.
void PhysicalLineSource::Refill()
{
    ReadBlock& block = *m_block;
    if (block.streamDone)
        return;
    const size_t left = block.end - block.begin;
    std::memmove(block.bytes, block.bytes + block.begin, left);
    const size_t wanted = block.capacity - left;
    const size_t got = m_stream ? std::fread(block.bytes + left, 1, wanted, m_stream) : 0;
    block.begin = 0;
    block.end = left + got;
    block.streamDone = got < wanted;
}

// --- the reader's steps -------------------------------------------------

namespace {

// `end` with the white space before it, back to `at`, stripped.
inline size_t TrimmedEnd(const char* raw, size_t at, size_t end)
{
    while (end > at && bscan_util::IsSpace(raw[end - 1]))
        --end;
    return end;
}

// Copies a read's comment, which starts at raw[at], into `comment`: with
// its "--", stripped at its end, and the marker "*". Returns its length.
inline size_t CopyComment(const char* raw, size_t at, size_t end, char* comment)
{
    const size_t length = TrimmedEnd(raw, at, end) - at;
    std::memcpy(comment, raw + at, length);
    comment[length] = '*';
    return length + 1;
}

// Strips white space at both ends of raw[start, end); false when nothing
// is left.
inline bool StripWhiteSpace(const char* raw, size_t& start, size_t& end)
{
    while (start < end && bscan_util::IsSpace(raw[start]))
        ++start;
    end = TrimmedEnd(raw, start, end);
    return end > start;
}

inline bool Prepare(const char* raw, size_t end, PreparedLine& line, std::string* comment)
{
    if (comment)
        comment->clear();
    const size_t at = std::string_view(raw, end).find("--");
    if (at != std::string_view::npos) {
        if (comment) {
            comment->assign(raw + at, TrimmedEnd(raw, at, end) - at);
            comment->push_back('*');
        }
        end = at;
    }

    size_t start = 0;
    if (!StripWhiteSpace(raw, start, end))
        return false;
    line.text = raw + start;
    line.length = end - start;
    return true;
}

// Reads until a prepared line is not empty.
inline int ReadPrepared(PhysicalLineSource& source, long long& lineNumber, PreparedLine& line,
                        std::string* comment)
{
    for (;;) {
        const char* raw;
        size_t end;
        int result = source.Read(raw, end);
        if (result < 0)
            return result;
        ++lineNumber;
        if (Prepare(raw, end, line, comment))
            return BSDL_OK;
    }
}

// Completion (see the header): `found(statement, from)` tells whether the
// terminator occurs at or after `from`, the start of the line just appended.
template <class Found>
int Complete(PhysicalLineSource& source, long long& lineNumber, std::string& statement, Found found)
{
    try {
        if (found(statement, 0))
            return BSDL_OK;
        statement.push_back(' ');
        for (;;) {
            PreparedLine line;
            int result = ReadPrepared(source, lineNumber, line, nullptr);
            if (result < 0)
                return result;
            size_t appendedAt = statement.size();
            statement.append(line.text, line.length);
            if (found(statement, appendedAt))
                return BSDL_OK;
        }
    } catch (const std::exception&) {
        return BSDL_ERR_NO_MEMORY;
    }
}

// The first byte of text[from, end) at which the walk over a piece stops:
// a double quote, '-', a line end or a NUL byte; `end` when there is none.
// The SSE2 search reads text[0, end) 16 bytes a look and also stops at the
// control characters 1 to 9, which the walk then leaves to the general
// steps.
inline size_t FindPieceStop(const char* text, size_t from, size_t end)
{
#if BSCAN_READER_SSE2
    if (bscan_accelerate::On() && from < end && end >= 16) {
        const __m128i quote = _mm_set1_epi8('"');
        const __m128i minus = _mm_set1_epi8('-');
        const __m128i newline = _mm_set1_epi8('\n');
        const auto stopsIn = [&](size_t at) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
            // A byte no greater than the line end is its own minimum with it.
            const __m128i control = _mm_cmpeq_epi8(_mm_min_epu8(bytes, newline), bytes);
            const __m128i stops = _mm_or_si128(
                _mm_or_si128(_mm_cmpeq_epi8(bytes, quote), _mm_cmpeq_epi8(bytes, minus)), control);
            return static_cast<unsigned>(_mm_movemask_epi8(stops));
        };
        // 32 bytes a look while as many remain: most pieces end in them.
        while (end - from >= 32) {
            const unsigned mask = stopsIn(from) | stopsIn(from + 16) << 16;
            if (mask != 0)
                return from + ReaderLowestBit(mask);
            from += 32;
        }
        return from < end ? ReaderFindBy16(from, end, stopsIn) : end;
    }
#endif
    using namespace bscan_util;
    while (from < end && !IsCharOf(text[from], kQuote | kDash | kLineFeed | kNul))
        ++from;
    return from;
}

// Takes the value's lines of the plainest form straight out of the bytes
// the source holds, as the general steps would: white space, a quoted piece
// without '"', '-', line end or NUL byte, blanks or tabs around one '&' or
// ';', a comment without a NUL byte or white space, and the line end, all
// within one read. Lines of white space and maybe a comment are only
// counted. Stops before any other line, at the end of the bytes held, or
// after the value's last line (closed by ';', its piece holding no ';');
// true in that last case.
bool TakePlainPieces(PhysicalLineSource& source, long long& lineNumber, KByteBuffer& buffer,
                     bool keepComments, char* comment)
{
    const char* text;
    size_t count;
    if (!source.Buffered(text, count))
        return false;
    size_t line = 0;                               // where the next line starts
    bool last = false;
    try {
        while (!last) {
            const size_t limit = std::min(count, line + bscan_util::kReadLength);
            size_t at = line;
            while (at < limit && bscan_util::IsLineSpace(text[at]))
                ++at;
            if (at == limit)
                break;
            if (text[at] != '"') {
                // A line of white space, or of white space and a comment
                // (without a NUL byte), is only counted.
                if (text[at] == '-' && limit - at > 2 && text[at + 1] == '-')
                    at = ReaderFindEither(text, at + 2, limit, '\n', '\0');
                if (at == limit || text[at] != '\n')
                    break;
                line = at + 1;
                ++lineNumber;
                continue;
            }
            const size_t open = at;
            const size_t close = FindPieceStop(text, open + 1, limit);
            if (close == limit || text[close] != '"')
                break;
            // The tail, usually " &" and the line end (maybe after a carriage
            // return).
            size_t end;                            // the line end
            size_t dash = 0;                       // the comment's "--", if any
            bool closesValue = false;
            if (limit - close > 4 && text[close + 1] == ' ' && text[close + 2] == '&' &&
                (text[close + 3] == '\n' || (text[close + 3] == '\r' && text[close + 4] == '\n'))) {
                end = text[close + 3] == '\n' ? close + 3 : close + 4;
            } else {
                at = close + 1;
                while (at < limit && bscan_util::IsBlank(text[at]))
                    ++at;
                if (at == limit || (text[at] != '&' && text[at] != ';'))
                    break;
                closesValue = text[at] == ';' && !std::memchr(text + open + 1, ';', close - open - 1);
                ++at;
                while (at < limit && bscan_util::IsBlank(text[at]))
                    ++at;
                if (limit - at > 2 && text[at] == '-' && text[at + 1] == '-') {
                    dash = at;
                    at = ReaderFindEither(text, at + 2, limit, '\n', '\0');
                } else {
                    while (at < limit && bscan_util::IsLineSpace(text[at]))
                        ++at;
                }
                if (at == limit || text[at] != '\n')
                    break;
                end = at;
            }

            size_t first = open + 1;
            size_t stop = close;
            StripWhiteSpace(text, first, stop);
            const size_t commentLength =
                dash != 0 && keepComments ? CopyComment(text, dash, end, comment) : 0;
            line = end + 1;
            ++lineNumber;
            last = closesValue;
            // Told apart so that the usual piece, without a comment, tests none.
            if (commentLength == 0)
                KByteBufferPieces::Append(buffer, text + first, stop - first, nullptr, 0);
            else
                KByteBufferPieces::Append(buffer, text + first, stop - first, comment, commentLength);
        }
    } catch (...) {
        source.Take(line);
        throw;
    }
    source.Take(line);
    return last;
}

// The first line end, '-' or NUL byte of text[from, end); `end` when there
// is none.
inline size_t FindLineStop(const char* text, size_t from, size_t end)
{
    for (const char c : {'\n', '-', '\0'}) {
        if (const void* at = std::memchr(text + from, c, end - from))
            end = static_cast<size_t>(static_cast<const char*>(at) - text);
    }
    return end;
}

}  // namespace

bool PrepareRead(const char* raw, size_t end, PreparedLine& line, std::string* comment)
{
    return Prepare(raw, end, line, comment);
}

bool TakeBufferedLine(PhysicalLineSource& source, long long& lineNumber, PreparedLine& line, int& taken)
{
    taken = 0;
    const char* text;
    size_t count;
    if (!source.Buffered(text, count))
        return false;
    size_t start = 0;                              // where the next read starts
    for (;;) {
        const size_t limit = std::min(count, start + bscan_util::kReadLength);
        const size_t end = FindLineStop(text, start, limit);
        if (end == limit || text[end] != '\n') {
            source.Take(start);
            return false;
        }
        ++lineNumber;
        ++taken;
        size_t first = start;
        size_t stop = end;
        start = end + 1;
        if (StripWhiteSpace(text, first, stop)) {
            source.Take(start);
            line.text = text + first;
            line.length = stop - first;
            return true;
        }
    }
}

int CompleteStatementWithText(PhysicalLineSource& source, long long& lineNumber,
                              std::string& statement, const char* terminator)
{
    const char* text = terminator ? terminator : "";
    return Complete(source, lineNumber, statement, [text](const std::string& s, size_t from) {
        return s.find(text, from) != std::string::npos;
    });
}

int CompleteStatementWithOneOf(PhysicalLineSource& source, long long& lineNumber,
                               std::string& statement, const char* terminators)
{
    const char* set = terminators ? terminators : "";
    return Complete(source, lineNumber, statement, [set](const std::string& s, size_t from) {
        return s.find_first_of(set, from) != std::string::npos;
    });
}

// Gathers a string value written as quoted pieces, one per line, joined by
// '&' and closed by ';'. `text` is what follows the opening quote on the
// statement's first line (empty when the value starts on the next line).
// The buffer receives each piece followed by a blank (and with
// keepComments, its line's comment and a blank); a value that stands whole
// in `text` gets no trailing blank.
int GatherStringValue(PhysicalLineSource& source, long long& lineNumber, const char* text,
                      KByteBuffer* buffer, bool keepComments)
{
    if (!buffer)
        return BSDL_ERR_NO_BUFFER;
    try {
        if (text && *text) {
            std::string statement(text);
            int result = CompleteStatementWithOneOf(source, lineNumber, statement, kStringPieceEnds);
            const std::string_view piece = BeforeClosingQuote(statement);
            if (EndsAtFirstSemicolon(statement)) {
                buffer->WriteData(piece.data(), piece.size());
                return result;
            }
            if (result < 0)
                return result;
            buffer->WriteData(piece.data(), piece.size()).WriteData(' ');
        }

        // A piece is copied only when it runs on over further lines.
        std::string rest;
        char plainComment[bscan_util::kReadLength + 1]; // a read's comment and its marker "*"
        std::string comment;
        for (;;) {
            // Plain lines in one walk; the first other line is read here.
            if (TakePlainPieces(source, lineNumber, *buffer, keepComments, plainComment))
                return BSDL_OK;
            PreparedLine line;
            int result = ReadPrepared(source, lineNumber, line, keepComments ? &comment : nullptr);
            if (result < 0)
                return result;
            const size_t commentLength = keepComments ? comment.size() : 0;

            // The piece starts after the line's first double quote (or is
            // the whole line without one), leading white space removed.
            std::string_view view(line.text, line.length);
            const size_t quote = view.front() == '"' ? 0 : view.find('"');
            if (quote != std::string_view::npos)
                view.remove_prefix(quote + 1);
            while (!view.empty() && bscan_util::IsSpace(view.front()))
                view.remove_prefix(1);
            if (view.find_last_of(kStringPieceEnds) == std::string_view::npos) {
                rest.assign(view);
                result = CompleteStatementWithOneOf(source, lineNumber, rest, kStringPieceEnds);
                if (result < 0)
                    return result;
                view = rest;
            }
            const std::string_view piece = BeforeClosingQuote(view);
            KByteBufferPieces::Append(*buffer, piece.data(), piece.size(), comment.data(), commentLength);
            if (EndsAtFirstSemicolon(view))
                return BSDL_OK;
        }
    } catch (const std::exception&) {
        return BSDL_ERR_NO_MEMORY;
    }
}

// --- growable forms ----------------------------------------------------

int BScanParser::GetLine(FILE* file, std::string& line, std::string* comment)
{
    PhysicalLineSource source(file);
    PreparedLine prepared;
    try {
        // A line without a comment is taken straight out of the stream's
        // buffered bytes; any other read goes through the general steps.
        int taken;
        const bool plain = TakeBufferedLine(source, m_lineNumber, prepared, taken);
        if (taken > 0 && comment)
            comment->clear();
        if (!plain) {
            int result = ReadPrepared(source, m_lineNumber, prepared, comment);
            if (result < 0)
                return result;
        }
        line.clear();
        line.append(prepared.text, prepared.length);
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    }
    return BSDL_OK;
}

int BScanParser::CompleteStatement(FILE* file, std::string& statement, const char* terminator)
{
    PhysicalLineSource source(file);
    return CompleteStatementWithText(source, m_lineNumber, statement, terminator);
}

int BScanParser::CompleteStatement(FILE* file, std::string& statement)
{
    return CompleteStatement(file, statement, ';');
}

int BScanParser::CompleteStatement(FILE* file, std::string& statement, char terminator)
{
    PhysicalLineSource source(file);
    return Complete(source, m_lineNumber, statement, [terminator](const std::string& s, size_t from) {
        return terminator != '\0' && s.find(terminator, from) != std::string::npos;
    });
}

int BScanParser::CompleteStatementWithOneOf(FILE* file, std::string& statement, const char* terminators)
{
    PhysicalLineSource source(file);
    return ::CompleteStatementWithOneOf(source, m_lineNumber, statement, terminators);
}

int BScanParser::GetCompleteStringValue(FILE* file, const char* text, KByteBuffer* buffer,
                                        bool keepComments)
{
    PhysicalLineSource source(file);
    return GatherStringValue(source, m_lineNumber, text, buffer, keepComments);
}

// --- buffer forms for derived classes ----------------------------------

int BScanParser::GetLine(FILE* file, char* line, char* comment)
{
    if (!line)
        return BSDL_ERR_NO_BUFFER;
    PhysicalLineSource source(file);
    PreparedLine prepared;
    std::string captured;
    long long before = m_lineNumber;
    int result;
    try {
        result = ReadPrepared(source, m_lineNumber, prepared, comment ? &captured : nullptr);
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    }
    // The comment buffer follows every physical line read, as in the
    // growable form.
    if (comment && m_lineNumber != before)
        std::memcpy(comment, captured.c_str(), captured.size() + 1);
    if (result < 0)
        return result;
    std::memcpy(line, prepared.text, prepared.length);
    line[prepared.length] = '\0';
    return BSDL_OK;
}

int BScanParser::CompleteStatement(FILE* file, char* statement, char* terminator)
{
    return CompleteInPlace(statement, [&](std::string& completed) {
        return CompleteStatement(file, completed, static_cast<const char*>(terminator));
    });
}

int BScanParser::CompleteStatement(FILE* file, char* statement)
{
    return CompleteStatement(file, statement, ';');
}

int BScanParser::CompleteStatement(FILE* file, char* statement, char terminator)
{
    return CompleteInPlace(statement, [&](std::string& completed) {
        return CompleteStatement(file, completed, terminator);
    });
}

int BScanParser::CompleteStatementWithOneOf(FILE* file, char* statement, char* terminators)
{
    return CompleteInPlace(statement, [&](std::string& completed) {
        return CompleteStatementWithOneOf(file, completed, static_cast<const char*>(terminators));
    });
}
