// Where the page draws each pin of the pin map.
//
// Three kinds of package:
//   grid      pins named by one or two row letters and a column number
//             (A1 .. AF26), as most ball grid maps are: rows in the package's own order
//             (shorter labels first, then alphabetical: A .. Y, AA .. AY),
//             columns 1 to the highest number;
//   numbered  pins named by numbers: a rectangle with the pins around it,
//             pin 1 at the top of the left side, counting counter-clockwise;
//             on two sides only (1 .. N/2 down the left, the rest up the
//             right) when the package's name says it has two rows of pins
//             (DualRowPackage);
//   list      anything else: an ordered list.
// A package is taken as grid or numbered when at least nine pins in ten fit
// that kind; the pins that do not fit are listed beside the drawing, and so
// is a pin whose place an earlier port of the list already has (two ports
// on one pin), so that every port's pin is shown once.
#ifndef BSCAN_TOOL_VIEW_PACKAGELAYOUT_H
#define BSCAN_TOOL_VIEW_PACKAGELAYOUT_H

#include <string>
#include <vector>

struct LayoutPin {
    int port = -1;          // index of the port node in the document's ports
    std::string name;       // the package pin name
    int row = -1;           // grid: index into rows
    int column = -1;        // grid: column number (1 or more)
    int position = -1;      // numbered: pin number - 1; list: place in the list
};

struct PackageLayout {
    std::string kind = "list";       // "grid", "numbered" or "list"
    std::vector<std::string> rows;   // grid: the row labels in order
    int columns = 0;                 // grid: highest column; numbered: places around (a multiple of `sides`)
    int sides = 4;                   // numbered: 4, or 2 for a package with two rows of pins
    std::vector<LayoutPin> pins;     // drawn in the package
    std::vector<LayoutPin> others;   // listed beside it, in list order
};

// `pins` holds (port index, pin name) for every port node with a pin name;
// `package` is the name of the pin map (PHYSICAL_PIN_MAP), "" when none.
PackageLayout LayOutPackage(const std::vector<LayoutPin>& pins, const std::string& package = "");

// The package's name says two rows of pins: one of its runs of letters is
// SO, SOIC, SOJ, SON, SOP, DIP or ends in SOP or DIP (TSOP, SSOP, TSSOP,
// PDIP, ...), ignoring case. "SOIC_16", "tsop48", "PDIP40" do; "QFP100",
// "SOCKET" do not.
bool DualRowPackage(const std::string& package);

#endif
