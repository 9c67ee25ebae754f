#include "tools/view/PackageLayout.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <utility>

namespace {

bool IsDigits(const std::string& text, size_t from = 0)
{
    if (from >= text.size())
        return false;
    for (size_t i = from; i < text.size(); ++i)
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}

// "AB12" -> row "AB", column 12: one or two letters, then one to three
// digits, nothing else.
bool SplitGridName(const std::string& name, std::string& row, int& column)
{
    size_t letters = 0;
    while (letters < name.size() && std::isalpha(static_cast<unsigned char>(name[letters])))
        ++letters;
    if (letters == 0 || letters > 2 || name.size() - letters > 3 || !IsDigits(name, letters))
        return false;
    row.clear();
    for (size_t i = 0; i < letters; ++i)
        row += static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
    column = std::stoi(name.substr(letters));
    return column > 0;
}

bool RowBefore(const std::string& a, const std::string& b)
{
    return a.size() != b.size() ? a.size() < b.size() : a < b;
}

// Names that mix letters and numbers in natural order: "BARE2" before "BARE10".
bool NaturalBefore(const std::string& a, const std::string& b)
{
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = std::isdigit(static_cast<unsigned char>(a[i]));
        const bool db = std::isdigit(static_cast<unsigned char>(b[j]));
        if (da && db) {
            size_t ei = i, ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) ++ei;
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) ++ej;
            const std::string na = a.substr(i, ei - i), nb = b.substr(j, ej - j);
            const size_t za = na.find_first_not_of('0'), zb = nb.find_first_not_of('0');
            const std::string ta = za == std::string::npos ? "" : na.substr(za);
            const std::string tb = zb == std::string::npos ? "" : nb.substr(zb);
            if (ta.size() != tb.size())
                return ta.size() < tb.size();
            if (ta != tb)
                return ta < tb;
            i = ei;
            j = ej;
            continue;
        }
        const int ca = std::toupper(static_cast<unsigned char>(a[i]));
        const int cb = std::toupper(static_cast<unsigned char>(b[j]));
        if (ca != cb)
            return ca < cb;
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

void ListInOrder(std::vector<LayoutPin>& pins)
{
    std::stable_sort(pins.begin(), pins.end(),
                     [](const LayoutPin& a, const LayoutPin& b) { return NaturalBefore(a.name, b.name); });
    for (size_t i = 0; i < pins.size(); ++i)
        pins[i].position = static_cast<int>(i);
}

bool MostFit(size_t fitting, size_t all)
{
    return all > 0 && fitting * 10 >= all * 9;
}

bool TryGrid(const std::vector<LayoutPin>& pins, PackageLayout& layout)
{
    std::map<std::string, int> rowIndex;
    std::set<std::pair<std::string, int>> taken;
    std::vector<LayoutPin> placed, others;
    size_t fitting = 0;
    int columns = 0;
    for (LayoutPin pin : pins) {
        std::string row;
        int column = 0;
        const bool fits = SplitGridName(pin.name, row, column);
        fitting += fits;
        if (fits && taken.insert({row, column}).second) {
            rowIndex[row] = 0;
            pin.column = column;
            columns = std::max(columns, column);
            placed.push_back(pin);
        } else {
            others.push_back(pin);
        }
    }
    if (!MostFit(fitting, pins.size()) || rowIndex.size() < 2 || columns < 2)
        return false;
    std::vector<std::string> rows;
    for (const auto& entry : rowIndex)
        rows.push_back(entry.first);
    std::sort(rows.begin(), rows.end(), RowBefore);
    for (size_t i = 0; i < rows.size(); ++i)
        rowIndex[rows[i]] = static_cast<int>(i);
    for (LayoutPin& pin : placed) {
        std::string row;
        int column = 0;
        SplitGridName(pin.name, row, column);
        pin.row = rowIndex[row];
    }
    layout.kind = "grid";
    layout.rows = rows;
    layout.columns = columns;
    layout.pins = placed;
    layout.others = others;
    return true;
}

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

bool TryNumbered(const std::vector<LayoutPin>& pins, int sides, PackageLayout& layout)
{
    std::vector<LayoutPin> placed, others;
    std::set<int> taken;
    size_t fitting = 0;
    long long highest = 0;
    for (LayoutPin pin : pins) {
        const bool fits = IsDigits(pin.name) && pin.name.size() <= 6 && std::stoi(pin.name) > 0;
        fitting += fits;
        if (fits && taken.insert(std::stoi(pin.name)).second) {
            pin.position = std::stoi(pin.name) - 1;
            highest = std::max<long long>(highest, pin.position + 1);
            placed.push_back(pin);
        } else {
            others.push_back(pin);
        }
    }
    // A rectangle mostly empty says little about the package: list instead.
    if (!MostFit(fitting, pins.size()) || highest > 2 * static_cast<long long>(placed.size()) + 8)
        return false;
    layout.kind = "numbered";
    layout.sides = sides;
    layout.columns = static_cast<int>((std::max<long long>(highest, sides) + sides - 1) / sides * sides);
    layout.pins = placed;
    layout.others = others;
    return true;
}

}  // namespace

bool DualRowPackage(const std::string& package)
{
    std::string run;
    for (size_t i = 0; i <= package.size(); ++i) {
        const unsigned char c = i < package.size() ? static_cast<unsigned char>(package[i]) : '\0';
        if (std::isalpha(c)) {
            run += static_cast<char>(std::toupper(c));
            continue;
        }
        if (run == "SO" || run == "SOIC" || run == "SOJ" || run == "SON" || EndsWith(run, "SOP") ||
            EndsWith(run, "DIP"))
            return true;
        run.clear();
    }
    return false;
}

PackageLayout LayOutPackage(const std::vector<LayoutPin>& pins, const std::string& package)
{
    PackageLayout layout;
    if (!TryGrid(pins, layout) && !TryNumbered(pins, DualRowPackage(package) ? 2 : 4, layout)) {
        layout.kind = "list";
        layout.pins = pins;
    }
    if (layout.kind == "list")
        ListInOrder(layout.pins);
    ListInOrder(layout.others);
    return layout;
}
