// Column-aligned plain-text tables for the listing commands.
#ifndef BSCAN_TOOL_TEXTTABLE_H
#define BSCAN_TOOL_TEXTTABLE_H

#include <ostream>
#include <string>
#include <vector>

class TextTable {
public:
    explicit TextTable(std::vector<std::string> header);
    void AddRow(std::vector<std::string> row);
    // Each column as wide as its widest text, two blanks between columns,
    // no trailing blanks.
    void Print(std::ostream& out) const;

private:
    std::vector<std::vector<std::string>> m_rows;
};

// "-" for a missing number (negative), else the number.
std::string NumberOrDash(int number);

#endif
