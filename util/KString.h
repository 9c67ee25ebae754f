// Plain substring search and cutting over zero-terminated buffers, the
// text toolkit of every reader. The operations are made on a stack object
// and work on the buffers passed to them; all searches are exact
// (case-sensitive).
//
// Positions: every search returns the index of the match, or -1 when
// there is none (0 means the text begins with it).
//
// Left and Right with a count outside the source: a negative count copies
// nothing (dst becomes the empty text); a count beyond the source's length
// copies the whole source. Readers pass a negative count when a separator
// they look for is missing, so "the text before a missing separator" is
// empty and "the text after a missing separator" (length - pos - 1 with
// pos = -1) is the whole text. Nothing is ever read or written outside the
// buffers. dst may be src.
//
// The std::string forms follow exactly the same rules; the library's
// readers use them so that no statement length is limited by a buffer.
#ifndef BSCAN_KSTRING_H
#define BSCAN_KSTRING_H

#include <string>

#include "util/BScanExport.h"

class BSCAN_API KString {
public:
    int Find(const char* text, const char* pattern) const;
    int Find(const char* text, char ch) const;
    int ReverseFind(const char* text, char ch) const;
    int FindOneOf(const char* text, const char* set) const;
    int ReverseFindOneOf(const char* text, const char* set) const;

    // dst must hold n + 1 bytes (or strlen(src) + 1 when n is larger).
    void Left(char* dst, const char* src, int n) const;
    void Right(char* dst, const char* src, int n) const;
    void TrimLeft(char* buf) const;
    void TrimRight(char* buf) const;

    // Growable forms.
    int Find(const std::string& text, const char* pattern) const;
    int Find(const std::string& text, char ch) const;
    int ReverseFind(const std::string& text, char ch) const;
    int FindOneOf(const std::string& text, const char* set) const;
    int ReverseFindOneOf(const std::string& text, const char* set) const;
    void Left(std::string& dst, const std::string& src, int n) const;
    void Right(std::string& dst, const std::string& src, int n) const;
    void TrimLeft(std::string& buf) const;
    void TrimRight(std::string& buf) const;
    void Trim(std::string& buf) const;              // both ends
};

// White space of the trimming operations: blank, tab, carriage return, newline.
BSCAN_API bool KIsWhiteSpace(char c);

#endif
