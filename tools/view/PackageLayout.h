// Where the page draws each pin of the pin map.
//
// Three kinds of package:
//   grid      pins named by one or two row letters and a column number
//             (A1 .. AF26), as most ball grid maps are: rows in the package's own order
//             (shorter labels first, then alphabetical: A .. Y, AA .. AY),
//             columns 1 to the highest number;
//   numbered  pins named by numbers: a rectangle with the pins around it,
//             pin 1 at the top of the left side, counting counter-clockwise;
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
    int columns = 0;                 // grid: highest column; numbered: places around (a multiple of 4)
    std::vector<LayoutPin> pins;     // drawn in the package
    std::vector<LayoutPin> others;   // listed beside it, in list order
};

// `pins` holds (port index, pin name) for every port node with a pin name.
PackageLayout LayOutPackage(const std::vector<LayoutPin>& pins);

#endif
