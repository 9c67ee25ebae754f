// The statement reader's steps over a source of physical reads (internal,
// not installed), shared by the parser's readers and the package pre-pass.
//
// A physical read takes what fgets(raw, 255, stream) takes: at most 254
// characters, up to and with a line end; its text ends at its first NUL
// byte. Read answers BSDL_OK, BSDL_ERR_END_OF_FILE when the end-of-file
// indicator was set before the read, or BSDL_ERR_READ when a read returned
// nothing (also for a null stream).
//
// The accelerator cuts the same reads out of a block read ahead with fread,
// for streams nobody else reads only: the pre-pass's own stream (ReadAhead)
// and the shared input stream (ShareReadBlock). Any other stream is read one
// fgets per read.
#ifndef BSCAN_STATEMENTREADERINTERNAL_H
#define BSCAN_STATEMENTREADERINTERNAL_H

#include <algorithm>
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
// (null: none) the stream read through it, with the block emptied.
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

    // Reads the stream in blocks from now on when the accelerators are on;
    // only for a stream that no one else reads.
    void ReadAhead();

    // The text stays valid until the next read of this source or stream.
    int Read(const char*& text, size_t& length);

    // The bytes the next reads would be cut from without reading the
    // stream: false when there are none, or when the next read would answer
    // at the end of the stream. Taking a read's bytes that end at a line end
    // with Take is what that read does. Valid until the next read or Take.
    bool Buffered(const char*& start, size_t& count);
    void Take(size_t count);

private:
    int ReadFromBlock(const char*& text, size_t& length);
    void Refill();

    FILE* m_stream;
    ReadBlock* m_block;                            // null: one fgets per read
    ReadBlock m_ownBlock;
    std::unique_ptr<char[]> m_ownBytes;
    char m_raw[bscan_util::kReadLength + 1];       // one fgets: one read and its NUL
};

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

inline bool PhysicalLineSource::Buffered([[maybe_unused]] const char*& start,
                                         [[maybe_unused]] size_t& count)
{
#if !defined(BSCAN_PLAIN)
    if (m_block && !m_block->endSeen && m_block->begin != m_block->end) {
        start = m_block->bytes + m_block->begin;
        count = m_block->end - m_block->begin;
        return true;
    }
#endif
    return false;
}

inline void PhysicalLineSource::Take(size_t count)
{
    if (m_block)
        m_block->begin += count;
}

inline int PhysicalLineSource::ReadFromBlock(const char*& text, size_t& length)
{
    ReadBlock& block = *m_block;
    if (block.endSeen)
        return BSDL_ERR_END_OF_FILE;
    if (block.end - block.begin < bscan_util::kReadLength)
        Refill();
    const size_t available = block.end - block.begin;
    if (available == 0) {
        block.endSeen = true;
        return BSDL_ERR_READ;
    }
    // A read stops after its line end or at 254 characters; one that finds
    // neither has run into the end of the stream.
    const size_t count = std::min(available, bscan_util::kReadLength);
    const char* start = block.bytes + block.begin;
    const void* newline = std::memchr(start, '\n', count);
    const size_t taken =
        newline ? static_cast<size_t>(static_cast<const char*>(newline) - start) + 1 : count;
    if (!newline && count < bscan_util::kReadLength)
        block.endSeen = true;
    const void* nul = std::memchr(start, '\0', taken);
    length = nul ? static_cast<size_t>(static_cast<const char*>(nul) - start) : taken;
    block.begin += taken;
    text = start;
    return BSDL_OK;
}

// Appends a string value's piece, a blank and the comment when there is
// one, and a blank: in one go when the buffer has room, else by WriteData.
struct KByteBufferPieces {
    BSCAN_ALWAYS_INLINE static void Append(KByteBuffer& buffer, const char* piece, size_t length,
                                           const char* comment, size_t commentLength)
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

// Takes whole lines without a '-' or NUL byte straight out of the bytes
// the source holds, counting each (`taken`), up to the first that prepares
// to a text, given in `line`. False when it stopped before any other read,
// which is left for the general steps.
bool TakeBufferedLine(PhysicalLineSource& source, long long& lineNumber, PreparedLine& line, int& taken);

// Statement completion: nothing is read when the statement already holds
// the terminator; otherwise a blank is appended, then prepared lines with
// no separator, until the line just appended holds it.
int CompleteStatementWithText(PhysicalLineSource& source, long long& lineNumber,
                              std::string& statement, const char* terminator);
int CompleteStatementWithOneOf(PhysicalLineSource& source, long long& lineNumber,
                               std::string& statement, const char* terminators);

// A string value gathered from its quoted pieces into `buffer`.
int GatherStringValue(PhysicalLineSource& source, long long& lineNumber, const char* text,
                      KByteBuffer* buffer, bool keepComments);

#endif
