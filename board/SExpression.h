// A small reader of s-expressions, as KiCad writes its netlist export:
// lists in parentheses holding atoms (bare words such as `export`, `ref`,
// `1`) and strings in double quotes with backslash escapes (\" \\ \n \t;
// any other escaped character stands for itself).
//
// Why a reader of our own: the one packaged C library (sfsexp, Debian
// libsexp) would become a runtime dependency of the library, which has
// none beyond the C++ standard library; it keeps no line numbers for its
// errors and it does not tell a quoted "1" from a bare 1. The grammar
// needed here is a few dozen lines.
//
// Every node keeps the line it starts on, so that readers built on it
// can name the line of what they reject. Nesting is limited (kMaxDepth)
// so that a hostile file cannot exhaust the stack of a reader that walks
// the tree recursively.
#ifndef BSCAN_BOARD_SEXPRESSION_H
#define BSCAN_BOARD_SEXPRESSION_H

#include "util/BScanExport.h"

#include <string>
#include <vector>

struct SExpression {
    bool isList = false;
    bool quoted = false;                 // an atom written as "string"
    std::string text;                    // an atom's text (escapes resolved)
    std::vector<SExpression> items;      // a list's items
    int line = 0;

    // For a list whose first item is an atom: that atom's text, else "".
    BSCAN_API const std::string& Head() const;
    // The first item of this list that is a list headed by `head`, or null.
    BSCAN_API const SExpression* Find(const std::string& head) const;
    // The text of the atom that follows the head in (head VALUE ...), for
    // the first item headed by `head`; false when there is none.
    BSCAN_API bool FindValue(const std::string& head, std::string& value) const;
};

const int kMaxSExpressionDepth = 200;

// Reads one s-expression from `text` (the whole text must hold exactly one,
// with white space around it). On failure returns false with `error` set
// to "FILE:LINE: error: REASON", FILE being `fileName`.
BSCAN_API bool ReadSExpression(const std::string& text, const std::string& fileName,
                               SExpression& root, std::string& error);

#endif
