// The statement reader's steps over a source of physical reads (internal,
// not installed): used by the parser's statement reader on its shared input
// stream and by the package pre-pass on a stream of its own.
//
// A physical read takes at most 254 characters, split where
// fgets(raw, 255, stream) splits them; a read's text ends at its first NUL
// byte, as a C string read by fgets does. The source answers:
// - BSDL_OK with the read's text and length;
// - BSDL_ERR_END_OF_FILE when the end-of-file indicator was already set
//   before the read;
// - BSDL_ERR_READ when a read returned nothing (also for a null stream).
//
// Reads come one fgets each (the reference), or, as an accelerator (see
// util/AccelerateInternal.h), out of a block of bytes read ahead from the
// stream with fread: then the same reads are cut out of the block,
// with the same texts and the same answers at the end of the stream (the
// indicator is set by a read that ran into the end before its 254
// characters or its line end). A block is used for a stream that only the
// library reads through its sources: the package pre-pass's own stream
// (ReadAhead), and the library's shared input stream, whose block is kept
// across sources and parsers from the opening of the file to its closing
// (ShareReadBlock). Any other stream, such as one a derived class hands to
// a reader, is read one fgets per read, so that each read takes from it
// exactly what one fgets takes and nothing is read ahead. When no block can
// be allocated the pre-pass stays with one fgets per read.
#ifndef BSCAN_STATEMENTREADERINTERNAL_H
#define BSCAN_STATEMENTREADERINTERNAL_H

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "parser/BScanReturnCodes.h"
#include "parser/ReaderTextInternal.h"
#include "util/AccelerateInternal.h"
#include "util/CompilerInternal.h"
#include "util/KByteBuffer.h"
#include "util/ShortBytesInternal.h"


// Cuts a read out of `count` (at most 254) bytes of input at `start`: it
// takes them up to and with the first line end, or all of them when they
// hold none; `length` is that up to the first NUL byte. False when they
// hold no line end and are fewer than 254 (the read would run on past
// them).
inline bool CutRead(const char* start, size_t count, size_t& taken, size_t& length)
{
    // The first line end or NUL byte.
    const void* newlineAt = std::memchr(start, '\n', count);
    size_t at = newlineAt ? static_cast<size_t>(static_cast<const char*>(newlineAt) - start) : count;
    if (const void* nul = std::memchr(start, '\0', at))
        at = static_cast<size_t>(static_cast<const char*>(nul) - start);
    if (at < count && start[at] == '\n') {
        taken = at + 1;
        length = taken;
        return true;
    }
    const size_t kLongestRead = bscan_util::kReadLength;
    if (at == count) {
        if (count < kLongestRead)
            return false;
        taken = count;
        length = count;
        return true;
    }
    // A NUL byte ends the text; the read still runs to its line end.
    const void* newline = std::memchr(start + at, '\n', count - at);
    if (!newline && count < kLongestRead)
        return false;
    taken = newline ? static_cast<size_t>(static_cast<const char*>(newline) - start) + 1 : count;
    length = at;
    return true;
}

// Bytes read ahead from a stream and not yet cut into reads.
struct ReadBlock {
    char* bytes = nullptr;
    size_t capacity = 0;
    size_t begin = 0;                              // the next read starts here
    size_t end = 0;                                // the bytes read so far end here
    bool streamDone = false;                       // the stream has no more to give
    bool endSeen = false;                          // a read ran into the end of the stream
};

// The shared input stream's block: ShareReadBlock(stream) makes `stream`
// the stream read through it, with the block emptied (null: none). Called
// when the shared stream is opened (with the stream when the accelerators
// are on) or closed.
extern FILE* g_sharedBlockStream;
extern ReadBlock g_sharedBlock;
void ShareReadBlock(FILE* stream);

class PhysicalLineSource {
public:
    explicit PhysicalLineSource(FILE* stream)
        : m_stream(stream),
          m_block(stream && stream == g_sharedBlockStream ? &g_sharedBlock : nullptr)
    {
    }
    PhysicalLineSource(const PhysicalLineSource&) = delete;
    PhysicalLineSource& operator=(const PhysicalLineSource&) = delete;

    // Reads the stream in blocks from now on when the accelerators are on;
    // only for a stream that no one else reads.
    void ReadAhead();

    // The text stays valid until the next read of this source or of its
    // stream.
    int Read(const char*& text, size_t& length);

    // The bytes the next reads would be cut from without reading the
    // stream (its block): false when there are none to show, or when the
    // next read would answer at the end of the stream. A read that ends at
    // a line end among them is exactly those bytes; taking them with Take
    // is what that read does. Valid until the next read or Take.
    bool Buffered(const char*& start, size_t& count);
    void Take(size_t count);

private:
    int ReadFromBlock(const char*& text, size_t& length);
    bool Refill();

    static constexpr size_t kLongestRead = bscan_util::kReadLength;

    FILE* m_stream;
    ReadBlock* m_block;                            // null: one fgets per read
    ReadBlock m_ownBlock;
    std::unique_ptr<char[]> m_ownBytes;
    char m_raw[bscan_util::kReadLength + 1];       // one fgets: one read and its NUL
};

// One fgets per read unless reading from a block; always inline, as every
// line of the file passes here.
BSCAN_ALWAYS_INLINE inline int PhysicalLineSource::Read(const char*& text, size_t& length)
{
#if !defined(BSCAN_PLAIN)
    if (m_block)
        return ReadFromBlock(text, length);
#endif
    if (!m_stream)
        return BSDL_ERR_READ;
    if (std::feof(m_stream))
        return BSDL_ERR_END_OF_FILE;
    if (!std::fgets(m_raw, sizeof m_raw, m_stream))
        return BSDL_ERR_READ;
    text = m_raw;
    length = std::strlen(m_raw);
    return BSDL_OK;
}

inline bool PhysicalLineSource::Buffered(const char*& start, size_t& count)
{
#if defined(BSCAN_PLAIN)
    (void)start;
    (void)count;
    return false;
#else
    if (!m_block || m_block->endSeen || m_block->begin == m_block->end)
        return false;
    start = m_block->bytes + m_block->begin;
    count = m_block->end - m_block->begin;
    return true;
#endif
}

inline void PhysicalLineSource::Take(size_t count)
{
    if (m_block)
        m_block->begin += count;
}

// Cuts the next read out of the block, inline as every line of the file
// is read here.
inline int PhysicalLineSource::ReadFromBlock(const char*& text, size_t& length)
{
    ReadBlock& block = *m_block;
    if (block.endSeen)
        return BSDL_ERR_END_OF_FILE;
    if (block.end - block.begin < kLongestRead)
        Refill();
    const size_t available = block.end - block.begin;
    if (available == 0) {
        block.endSeen = true;
        return BSDL_ERR_READ;
    }
    // A read stops after its line end or at 254 characters; one that finds
    // neither has run into the end of the stream.
    const size_t count = available < kLongestRead ? available : kLongestRead;
    const char* start = block.bytes + block.begin;
    size_t taken;
    if (!CutRead(start, count, taken, length)) {
        // No line end: the read has run into the end of the stream.
        taken = count;
        block.endSeen = true;
        const void* nul = std::memchr(start, '\0', taken);
        length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - start) : taken;
    }
    block.begin += taken;
    text = start;
    return BSDL_OK;
}

// Appends a string value's piece, with its comment, to a byte buffer in
// one go when the buffer has room for all of it: the same bytes as
// WriteData for the piece, a blank and the comment when there is one, and
// a blank. Without room it writes them one by one through WriteData (which
// grows the buffer), so that running out of memory leaves the buffer as
// those writes leave it.
struct KByteBufferPieces {
    // A piece without a comment: the piece and a blank.
    static void AppendPiece(KByteBuffer& buffer, const char* piece, size_t length)
    {
        if (buffer.m_capacity - buffer.m_size <= length + 1) {
            buffer.WriteData(piece, length).WriteData(' ');
            return;
        }
        char* out = buffer.m_bytes + buffer.m_size;
        bscan_util::MoveShortBytes(out, piece, length);
        out[length] = ' ';
        out[length + 1] = '\0';
        buffer.m_size += length + 1;
    }

    static void Append(KByteBuffer& buffer, const char* piece, size_t length, const char* comment,
                       size_t commentLength)
    {
        const size_t total = length + 1 + (commentLength > 0 ? commentLength + 1 : 0);
        if (buffer.m_capacity - buffer.m_size <= total) {
            buffer.WriteData(piece, length);
            if (commentLength > 0)
                buffer.WriteData(' ').WriteData(comment, commentLength);
            buffer.WriteData(' ');
            return;
        }
        char* out = buffer.m_bytes + buffer.m_size;
        bscan_util::MoveShortBytes(out, piece, length);
        out += length;
        if (commentLength > 0) {
            *out++ = ' ';
            std::memcpy(out, comment, commentLength);
            out += commentLength;
        }
        *out++ = ' ';
        *out = '\0';
        buffer.m_size += total;
    }
};

// A read with everything from its first "--" removed and white space
// stripped at both ends; it points into the source's last read.
struct PreparedLine {
    const char* text;
    size_t length;
};

// Prepares one read (`end` characters at `raw`); false when the prepared
// line is empty. When `comment` is given it is emptied and receives the
// read's comment, with its "--", stripped at its end, followed by "*".
bool PrepareRead(const char* raw, size_t end, PreparedLine& line, std::string* comment);

// Reads until a prepared line is not empty; each read counts a line. When
// `comment` is given it is emptied for every read and receives that read's
// comment, with its "--", stripped at its end, followed by the marker "*".
int ReadPreparedLine(PhysicalLineSource& source, long long& lineNumber, PreparedLine& line,
                     std::string* comment);

// Takes reads straight out of the bytes the source holds while each is a
// whole line without a '-' or NUL byte that prepares to nothing, counting
// each, then the next such read that prepares to a text, given in `line`
// (what a read of a prepared line gives for it). `taken` tells how many
// reads were taken. False when it stopped before a read of any other form
// (or one running past the bytes held), which is left in the stream for
// the general steps.
bool TakeBufferedLine(PhysicalLineSource& source, long long& lineNumber, PreparedLine& line, int& taken);

// Statement completion: nothing is read when the statement already holds
// the terminator; otherwise a blank is appended, then prepared lines with
// no separator, until the line just appended holds it.
int CompleteStatementWithText(PhysicalLineSource& source, long long& lineNumber,
                              std::string& statement, const char* terminator);
int CompleteStatementWithOneOf(PhysicalLineSource& source, long long& lineNumber,
                               std::string& statement, const char* terminators);

// A string value gathered from its quoted pieces into `buffer` (see
// BScanParser::GetCompleteStringValue).
int GatherStringValue(PhysicalLineSource& source, long long& lineNumber, const char* text,
                      KByteBuffer* buffer, bool keepComments);

#endif
