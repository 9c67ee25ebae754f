// The statement reader: the file as prepared lines, completed statements
// and assembled string values.
//
// A physical read takes at most 254 characters (fgets with 255), so a
// longer line of the file arrives in several reads, each counted as a line.
// A prepared line is one read with everything from the first "--" removed
// and white space stripped at both ends; empty prepared lines are skipped.
// Statements and string values are growable texts: nothing limits their
// length, and each line is appended once, so reading is linear in the size
// of the file.
//
// Results: 0, -4 when the end-of-file indicator was already set before a
// read, -3 when a read returned nothing (also for a null stream), -6 for a
// missing output buffer, -7 when memory runs out while a text grows.
#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>
#include <string_view>

#include "parser/BScanParser.h"
#include "parser/ReaderTextInternal.h"

namespace {

// fgets count of one physical read: at most 254 characters and the NUL.
const int kPhysicalReadSize = 255;

const char* const kStringPieceEnds = "&;";

struct PreparedLine {
    const char* text;
    size_t length;
};

// Reads physical lines into `raw` (kPhysicalReadSize bytes) until one is
// not empty once prepared; `line` then points into `raw`. When `comment`
// is given it is emptied for every physical line and receives that line's
// comment, with its "--", stripped, followed by the marker "*".
int ReadPreparedLine(FILE* file, long long& lineNumber, char* raw, PreparedLine& line,
                     std::string* comment)
{
    if (!file)
        return BSDL_ERR_READ;
    for (;;) {
        if (std::feof(file))
            return BSDL_ERR_END_OF_FILE;
        if (!std::fgets(raw, kPhysicalReadSize, file))
            return BSDL_ERR_READ;
        ++lineNumber;

        size_t end = std::strlen(raw);
        if (comment)
            comment->clear();
        if (const char* dash = std::strstr(raw, "--")) {
            size_t at = static_cast<size_t>(dash - raw);
            if (comment) {
                size_t commentEnd = end;
                while (commentEnd > at && ReaderIsWhiteSpace(raw[commentEnd - 1]))
                    --commentEnd;
                comment->assign(raw + at, commentEnd - at);
                comment->push_back('*');
            }
            end = at;
        }

        size_t start = 0;
        while (start < end && ReaderIsWhiteSpace(raw[start]))
            ++start;
        while (end > start && ReaderIsWhiteSpace(raw[end - 1]))
            --end;
        if (end > start) {
            line.text = raw + start;
            line.length = end - start;
            return BSDL_OK;
        }
    }
}

// Completion: `found(statement, from)` tells whether the terminator occurs
// at or after `from`. Nothing is read when the statement already holds it.
// Otherwise a blank is appended, then prepared lines with no separator,
// and the terminator is looked for in the line just appended only.
template <class Found>
int Complete(FILE* file, long long& lineNumber, std::string& statement, Found found)
{
    try {
        if (found(statement, 0))
            return BSDL_OK;
        char raw[kPhysicalReadSize];
        statement.push_back(' ');
        for (;;) {
            PreparedLine line;
            int result = ReadPreparedLine(file, lineNumber, raw, line, nullptr);
            if (result < 0)
                return result;
            size_t appendedAt = statement.size();
            statement.append(line.text, line.length);
            if (found(statement, appendedAt))
                return BSDL_OK;
        }
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    } catch (const std::length_error&) {
        return BSDL_ERR_NO_MEMORY;
    }
}

// Copies a completed statement back into a caller's buffer.
int CopyBack(char* statement, const std::string& completed, int result)
{
    std::memcpy(statement, completed.c_str(), completed.size() + 1);
    return result;
}

// True when the text's first ';' is its last character.
bool EndsAtFirstSemicolon(const std::string& text)
{
    size_t semicolon = text.find(';');
    return semicolon != std::string::npos && semicolon + 1 == text.size();
}

// True when the text holds a '&' or a ';' (the ends of kStringPieceEnds).
// Looked for from the back: a piece's line normally ends with one.
bool HoldsPieceEnd(std::string_view text)
{
    for (size_t i = text.size(); i > 0; --i) {
        if (text[i - 1] == '&' || text[i - 1] == ';')
            return true;
    }
    return false;
}

}  // namespace

// --- growable forms ----------------------------------------------------

int BScanParser::GetLine(FILE* file, std::string& line, std::string* comment)
{
    char raw[kPhysicalReadSize];
    PreparedLine prepared;
    try {
        int result = ReadPreparedLine(file, m_lineNumber, raw, prepared, comment);
        if (result < 0)
            return result;
        line.assign(prepared.text, prepared.length);
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    }
    return BSDL_OK;
}

int BScanParser::CompleteStatement(FILE* file, std::string& statement, const char* terminator)
{
    const char* text = terminator ? terminator : "";
    return Complete(file, m_lineNumber, statement, [text](const std::string& s, size_t from) {
        return s.find(text, from) != std::string::npos;
    });
}

int BScanParser::CompleteStatement(FILE* file, std::string& statement)
{
    return CompleteStatement(file, statement, ';');
}

int BScanParser::CompleteStatement(FILE* file, std::string& statement, char terminator)
{
    return Complete(file, m_lineNumber, statement, [terminator](const std::string& s, size_t from) {
        return terminator != '\0' && s.find(terminator, from) != std::string::npos;
    });
}

int BScanParser::CompleteStatementWithOneOf(FILE* file, std::string& statement, const char* terminators)
{
    // One table look-up a character: find_first_of would search the whole
    // set once for every character of the statement.
    bool isTerminator[256] = {};
    for (const char* t = terminators ? terminators : ""; *t != '\0'; ++t)
        isTerminator[static_cast<unsigned char>(*t)] = true;
    return Complete(file, m_lineNumber, statement, [&isTerminator](const std::string& s, size_t from) {
        for (size_t i = from; i < s.size(); ++i) {
            if (isTerminator[static_cast<unsigned char>(s[i])])
                return true;
        }
        return false;
    });
}

// Gathers a string value written as quoted pieces, one per line, joined by
// '&' and closed by ';'. `text` is what follows the opening quote on the
// statement's first line (empty when the value starts on the next line).
// The buffer receives each piece followed by a blank (with keepComments,
// a piece whose line had a comment is followed by a blank and the comment);
// a value that stands whole in `text` gets no trailing blank.
int BScanParser::GetCompleteStringValue(FILE* file, const char* text, KByteBuffer* buffer,
                                        bool keepComments)
{
    if (!buffer)
        return BSDL_ERR_NO_BUFFER;
    KString ks;
    try {
        std::string piece;
        if (text && *text) {
            std::string statement(text);
            int result = CompleteStatementWithOneOf(file, statement, kStringPieceEnds);
            ks.Left(piece, statement, ks.Find(statement, '"'));
            ks.TrimRight(piece);
            if (EndsAtFirstSemicolon(statement)) {
                buffer->WriteData(piece.c_str());
                return result;
            }
            if (result < 0)
                return result;
            buffer->WriteData(piece.c_str()).WriteData(' ');
        }

        // Each line is looked at in place in the read buffer; it is copied
        // only when its piece runs on over further lines.
        char raw[kPhysicalReadSize];
        std::string rest;
        std::string comment;
        for (;;) {
            comment.clear();
            PreparedLine line;
            int result = ReadPreparedLine(file, m_lineNumber, raw, line,
                                          keepComments ? &comment : nullptr);
            if (result < 0)
                return result;
            // The piece starts after the line's first double quote (or is
            // the whole line without one), leading white space removed.
            std::string_view view(line.text, line.length);
            const size_t quote = view.find('"');
            if (quote != std::string_view::npos)
                view.remove_prefix(quote + 1);
            while (!view.empty() && ReaderIsWhiteSpace(view.front()))
                view.remove_prefix(1);
            if (!HoldsPieceEnd(view)) {
                rest.assign(view);
                result = CompleteStatementWithOneOf(file, rest, kStringPieceEnds);
                if (result < 0)
                    return result;
                view = rest;
            }
            // Up to the closing quote (nothing without one), trailing white
            // space removed.
            const size_t close = view.find('"');
            size_t length = close == std::string_view::npos ? 0 : close;
            while (length > 0 && ReaderIsWhiteSpace(view[length - 1]))
                --length;
            piece.assign(view.data(), length);
            if (keepComments && !comment.empty()) {
                piece.push_back(' ');
                piece += comment;
            }
            buffer->WriteData(piece.c_str()).WriteData(' ');
            const size_t semicolon = view.find(';');
            if (semicolon != std::string_view::npos && semicolon + 1 == view.size())
                return BSDL_OK;
        }
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    } catch (const std::length_error&) {
        return BSDL_ERR_NO_MEMORY;
    }
}

// --- buffer forms for derived classes ----------------------------------

int BScanParser::GetLine(FILE* file, char* line, char* comment)
{
    if (!line)
        return BSDL_ERR_NO_BUFFER;
    char raw[kPhysicalReadSize];
    PreparedLine prepared;
    std::string captured;
    long long before = m_lineNumber;
    int result;
    try {
        result = ReadPreparedLine(file, m_lineNumber, raw, prepared, comment ? &captured : nullptr);
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
    if (!statement)
        return BSDL_ERR_NO_BUFFER;
    try {
        std::string completed(statement);
        return CopyBack(statement, completed, CompleteStatement(file, completed, static_cast<const char*>(terminator)));
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    }
}

int BScanParser::CompleteStatement(FILE* file, char* statement)
{
    return CompleteStatement(file, statement, ';');
}

int BScanParser::CompleteStatement(FILE* file, char* statement, char terminator)
{
    if (!statement)
        return BSDL_ERR_NO_BUFFER;
    try {
        std::string completed(statement);
        return CopyBack(statement, completed, CompleteStatement(file, completed, terminator));
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    }
}

int BScanParser::CompleteStatementWithOneOf(FILE* file, char* statement, char* terminators)
{
    if (!statement)
        return BSDL_ERR_NO_BUFFER;
    try {
        std::string completed(statement);
        return CopyBack(statement, completed,
                        CompleteStatementWithOneOf(file, completed, static_cast<const char*>(terminators)));
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    }
}
