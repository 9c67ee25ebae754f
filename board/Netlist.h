// A board's netlist: named nets, each joining pins of components (REF.PIN).
//
// Two forms are read:
//  - KiCad's netlist export (KiCad 6 and later), an s-expression
//        (export (version "E") (components (comp (ref "U1") ...) ...)
//                (nets (net (code "1") (name "/SDA")
//                           (node (ref "U3") (pin "A4") (pinfunction "SDA")) ...) ...))
//    Only `components` (the references) and `nets` are read.
//  - a plain text form for other CAD tools: one net a line,
//        NAME  REF.PIN REF.PIN ...
//    fields separated by blanks or tabs, `#` starting a comment. A pin is
//    split at the last '.' of its field (references do not hold one, pin
//    names may not either; "U1.A.4" is refused).
// ReadNetlistFile tells the forms apart by the first character that is not
// blank: '(' is the s-expression form.
//
// A pin is the package pin name or number as the device's BSDL pin map
// writes it. Errors are "FILE:LINE: error: REASON".
#ifndef BSCAN_BOARD_NETLIST_H
#define BSCAN_BOARD_NETLIST_H

#include "util/BScanExport.h"

#include <string>
#include <vector>

struct NetPin {
    std::string ref;     // the component's reference (U1)
    std::string pin;     // its pin (A4, 12)
    int line = 0;
};

struct Net {
    std::string name;
    std::vector<NetPin> pins;
    int line = 0;
};

struct Netlist {
    std::string file;
    std::vector<Net> nets;
    std::vector<std::string> components;   // references listed by the file (KiCad), in order
};

// "REF.PIN".
BSCAN_API std::string NetPinName(const NetPin& pin);

BSCAN_API bool ReadKicadNetlist(const std::string& text, const std::string& fileName,
                                Netlist& netlist, std::string& error);
BSCAN_API bool ReadTextNetlist(const std::string& text, const std::string& fileName,
                               Netlist& netlist, std::string& error);
// Reads the file and picks the form; "FILE: error: cannot read the file"
// when it cannot be opened.
BSCAN_API bool ReadNetlistFile(const std::string& path, Netlist& netlist, std::string& error);

#endif
