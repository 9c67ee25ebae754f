#include <algorithm>
#include <cstdlib>

#include "device/DescriptionLexerInternal.h"
#include "device/DeviceDescriptionInternal.h"
#include "device/ValueParsersInternal.h"

namespace bscan_device {

long long JoinedValue::LineAt(std::size_t offset) const
{
    auto after = std::upper_bound(starts.begin(), starts.end(), offset,
                                  [](std::size_t o, const std::pair<std::size_t, long long>& s) {
                                      return o < s.first;
                                  });
    if (after == starts.begin())
        return firstLine;
    return (after - 1)->second;
}

namespace {

// A walk over the tokens of one value.
class ValueWalk {
public:
    explicit ValueWalk(const JoinedValue& value) : m_value(value) { TokenizeValue(value.text, m_tokens); }

    bool AtEnd() const { return m_pos >= m_tokens.size(); }
    const Token& Current() const { return m_tokens[m_pos]; }
    bool IsSymbol(char c) const { return !AtEnd() && Current().kind == TokenKind::Symbol && Current().symbol == c; }
    bool IsItem() const { return !AtEnd() && Current().kind == TokenKind::Word; }
    void Next() { ++m_pos; }
    std::size_t Position() const { return m_pos; }
    std::string Text(const Token& t) const { return TokenText(m_value.text, t); }
    long long Line() const { return AtEnd() ? m_value.firstLine : m_value.LineAt(Current().offset); }
    // The text from token `first` to the token before `end`, as written.
    std::string Span(std::size_t first, std::size_t end) const
    {
        if (first >= end || end > m_tokens.size())
            return std::string();
        std::size_t from = m_tokens[first].offset;
        std::size_t to = m_tokens[end - 1].offset + m_tokens[end - 1].length;
        return m_value.text.substr(from, to - from);
    }
    // Skips the ',' ending an entry, or everything up to and including the
    // next ',' at depth 0 when the entry was not understood.
    void SkipToNextEntry()
    {
        int depth = 0;
        while (!AtEnd()) {
            if (IsSymbol('('))
                ++depth;
            else if (IsSymbol(')'))
                depth = depth > 0 ? depth - 1 : 0;
            else if (IsSymbol(',') && depth == 0) {
                Next();
                return;
            }
            Next();
        }
    }
    // Reads "( ... )" from the current '(' and gives the token ranges of
    // the comma-separated fields at depth 1. Leaves the walk after ')'.
    bool Fields(std::vector<std::pair<std::size_t, std::size_t>>& fields)
    {
        fields.clear();
        if (!IsSymbol('('))
            return false;
        Next();
        int depth = 1;
        std::size_t start = m_pos;
        while (!AtEnd()) {
            if (IsSymbol('(')) {
                ++depth;
            } else if (IsSymbol(')')) {
                if (--depth == 0) {
                    fields.emplace_back(start, m_pos);
                    Next();
                    return true;
                }
            } else if (IsSymbol(',') && depth == 1) {
                fields.emplace_back(start, m_pos);
                start = m_pos + 1;
            }
            Next();
        }
        fields.emplace_back(start, m_pos);
        return false;
    }
    const JoinedValue& Value() const { return m_value; }

private:
    const JoinedValue& m_value;
    std::vector<Token> m_tokens;
    std::size_t m_pos = 0;
};

long long Number(const std::string& text, bool& ok)
{
    ok = !text.empty() && text.size() < 19 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    return ok ? std::atoll(text.c_str()) : -1;
}

std::string Trim(const std::string& text)
{
    std::size_t b = text.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return std::string();
    std::size_t e = text.find_last_not_of(" \t\r\n");
    return text.substr(b, e - b + 1);
}

}  // namespace

void ReadCellEntries(const JoinedValue& value, std::vector<BScanCellEntry>& out)
{
    ValueWalk walk(value);
    std::vector<std::pair<std::size_t, std::size_t>> fields;
    while (!walk.AtEnd()) {
        if (!walk.IsItem()) {
            walk.SkipToNextEntry();
            continue;
        }
        BScanCellEntry entry;
        const std::size_t first = walk.Position();
        entry.line = walk.Line();
        bool ok = false;
        entry.number = Number(walk.Text(walk.Current()), ok);
        walk.Next();
        if (!walk.IsSymbol('(')) {
            walk.SkipToNextEntry();
            continue;
        }
        walk.Fields(fields);
        entry.text = walk.Span(first, walk.Position());
        entry.fieldCount = static_cast<int>(fields.size());
        std::vector<std::string> texts;
        for (const auto& f : fields)
            texts.push_back(Trim(walk.Span(f.first, f.second)));
        if (texts.size() > 0) entry.cellType = texts[0];
        if (texts.size() > 1) {
            entry.port = texts[1];
            if (entry.port != "*") {
                std::size_t open = entry.port.find('(');
                entry.portName = Trim(entry.port.substr(0, open));
                if (open != std::string::npos) {
                    std::size_t close = entry.port.find(')', open);
                    std::string index = Trim(entry.port.substr(open + 1, close == std::string::npos
                                                                             ? std::string::npos
                                                                             : close - open - 1));
                    bool indexOk = false;
                    entry.portIndex = Number(index, indexOk);
                }
            }
        }
        if (texts.size() > 2) entry.function = Lower(texts[2]);
        if (texts.size() > 3) entry.safe = Upper(texts[3]);
        if (texts.size() > 4) {
            entry.controlCell = texts[4];
            bool controlOk = false;
            entry.control = Number(texts[4], controlOk);
        }
        if (texts.size() > 5) entry.disableValue = texts[5];
        if (texts.size() > 6) entry.disabledState = Upper(texts[6]);
        out.push_back(std::move(entry));
        walk.SkipToNextEntry();
    }
}

void ReadPinEntries(const JoinedValue& value, std::vector<BScanPinEntry>& out)
{
    ValueWalk walk(value);
    std::vector<std::pair<std::size_t, std::size_t>> fields;
    while (!walk.AtEnd()) {
        if (!walk.IsItem()) {
            walk.SkipToNextEntry();
            continue;
        }
        BScanPinEntry entry;
        entry.line = walk.Line();
        entry.port = walk.Text(walk.Current());
        walk.Next();
        if (!walk.IsSymbol(':')) {
            walk.SkipToNextEntry();
            continue;
        }
        walk.Next();
        if (walk.IsSymbol('(')) {
            entry.listed = true;
            walk.Fields(fields);
            for (const auto& f : fields)
                entry.pins.push_back(Trim(walk.Span(f.first, f.second)));
        } else if (walk.IsItem()) {
            entry.pins.push_back(walk.Text(walk.Current()));
            walk.Next();
        }
        out.push_back(std::move(entry));
        walk.SkipToNextEntry();
    }
}

void ReadInstructionEntries(const JoinedValue& value, std::vector<BScanInstruction>& out)
{
    ValueWalk walk(value);
    std::vector<std::pair<std::size_t, std::size_t>> fields;
    while (!walk.AtEnd()) {
        if (!walk.IsItem()) {
            walk.SkipToNextEntry();
            continue;
        }
        BScanInstruction entry;
        entry.line = walk.Line();
        entry.name = walk.Text(walk.Current());
        walk.Next();
        if (walk.IsSymbol('(')) {
            walk.Fields(fields);
            for (const auto& f : fields)
                entry.opcodes.push_back(Trim(walk.Span(f.first, f.second)));
        }
        out.push_back(std::move(entry));
        walk.SkipToNextEntry();
    }
}

void ReadRegisterEntries(const JoinedValue& value, std::vector<BScanRegisterEntry>& out)
{
    ValueWalk walk(value);
    std::vector<std::pair<std::size_t, std::size_t>> fields;
    while (!walk.AtEnd()) {
        if (!walk.IsItem()) {
            walk.SkipToNextEntry();
            continue;
        }
        BScanRegisterEntry entry;
        entry.line = walk.Line();
        entry.name = walk.Text(walk.Current());
        walk.Next();
        if (walk.IsSymbol('[')) {
            walk.Next();
            if (walk.IsItem()) {
                bool ok = false;
                entry.length = Number(walk.Text(walk.Current()), ok);
                walk.Next();
            }
            if (walk.IsSymbol(']'))
                walk.Next();
        }
        if (walk.IsSymbol('(')) {
            std::size_t open = walk.Position();
            walk.Fields(fields);
            (void)open;
            for (const auto& f : fields) {
                std::string item = Trim(walk.Span(f.first, f.second));
                std::size_t blank = item.find_first_of(" \t\r\n(");
                entry.instructions.push_back(item.substr(0, blank));
            }
        }
        out.push_back(std::move(entry));
        walk.SkipToNextEntry();
    }
}

void ReadPortPairs(const JoinedValue& value, std::vector<BScanPortPair>& out)
{
    ValueWalk walk(value);
    while (!walk.AtEnd()) {
        if (!walk.IsItem()) {
            walk.SkipToNextEntry();
            continue;
        }
        const std::string kind = walk.Text(walk.Current());
        walk.Next();
        if (!walk.IsSymbol('(')) {
            walk.SkipToNextEntry();
            continue;
        }
        walk.Next();
        // Pairs: ( P , N ) separated by ',' up to the group's ')'.
        while (!walk.AtEnd() && !walk.IsSymbol(')')) {
            if (!walk.IsSymbol('(')) {
                walk.Next();
                continue;
            }
            BScanPortPair pair;
            pair.kind = kind;
            pair.line = walk.Line();
            std::vector<std::pair<std::size_t, std::size_t>> names;
            walk.Fields(names);
            if (names.size() > 0)
                pair.positive = Trim(walk.Span(names[0].first, names[0].second));
            if (names.size() > 1)
                pair.negative = Trim(walk.Span(names[1].first, names[1].second));
            out.push_back(std::move(pair));
        }
        if (!walk.AtEnd())
            walk.Next();
        walk.SkipToNextEntry();
    }
}

void ReadCompliancePatterns(const JoinedValue& value, std::vector<BScanCompliancePatterns>& out)
{
    ValueWalk walk(value);
    std::vector<std::pair<std::size_t, std::size_t>> fields;
    while (!walk.AtEnd()) {
        if (!walk.IsSymbol('(')) {
            walk.Next();
            continue;
        }
        BScanCompliancePatterns patterns;
        patterns.line = walk.Line();
        walk.Fields(fields);
        for (const auto& f : fields) {
            std::string port = Trim(walk.Span(f.first, f.second));
            if (!port.empty())
                patterns.ports.push_back(port);
        }
        if (walk.IsSymbol('(')) {
            walk.Fields(fields);
            for (const auto& f : fields) {
                std::string pattern = Trim(walk.Span(f.first, f.second));
                if (!pattern.empty())
                    patterns.patterns.push_back(pattern);
            }
        }
        out.push_back(std::move(patterns));
    }
}

void ReadNameList(const JoinedValue& value, std::vector<BScanNameAtLine>& out)
{
    ValueWalk walk(value);
    while (!walk.AtEnd()) {
        if (walk.IsItem())
            out.push_back(BScanNameAtLine{walk.Text(walk.Current()), walk.Line()});
        walk.Next();
    }
}

bool ReadIdcodePattern(const std::string& value, long long line, BScanIdcode& out)
{
    std::string pattern;
    for (char c : value) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        if (c == 'x')
            c = 'X';
        if (c != '0' && c != '1' && c != 'X')
            return false;
        pattern += c;
    }
    if (pattern.size() != 32)
        return false;
    BScanIdcode id;
    id.pattern = pattern;
    for (int k = 0; k < 32; ++k) {
        const uint32_t bit = uint32_t(1) << (31 - k);
        if (pattern[k] != 'X')
            id.mask |= bit;
        if (pattern[k] == '1')
            id.value |= bit;
    }
    id.version = (id.value >> 28) & 0xF;
    id.partNumber = (id.value >> 12) & 0xFFFF;
    id.manufacturer = (id.value >> 1) & 0x7FF;
    id.line = line;
    out = id;
    return true;
}

}  // namespace bscan_device
