#include "tools/TextTable.h"

#include <algorithm>

TextTable::TextTable(std::vector<std::string> header)
{
    m_rows.push_back(std::move(header));
}

void TextTable::AddRow(std::vector<std::string> row)
{
    m_rows.push_back(std::move(row));
}

void TextTable::Print(std::ostream& out) const
{
    std::vector<size_t> widths;
    for (const auto& row : m_rows) {
        if (widths.size() < row.size())
            widths.resize(row.size(), 0);
        for (size_t c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], row[c].size());
    }
    std::string line;
    for (const auto& row : m_rows) {
        line.clear();
        for (size_t c = 0; c < row.size(); ++c) {
            if (c > 0)
                line += "  ";
            line += row[c];
            if (c + 1 < row.size())
                line.append(widths[c] - row[c].size(), ' ');
        }
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out << line << '\n';
    }
}

std::string NumberOrDash(int number)
{
    return number < 0 ? "-" : std::to_string(number);
}
