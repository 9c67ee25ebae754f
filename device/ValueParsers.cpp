#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "device/DescriptionLexerInternal.h"
#include "device/DeviceDescriptionInternal.h"
#include "device/ValueParsersInternal.h"
#include "util/CharClassInternal.h"

namespace bscan_device {

long long JoinedValue::LineAt(std::size_t offset) const
{
    // The offsets asked for mostly grow: try the piece of the last answer
    // and the one after it first.
    if (hint < starts.size() && starts[hint].first <= offset) {
        if (hint + 1 == starts.size() || offset < starts[hint + 1].first)
            return starts[hint].second;
        if (hint + 2 == starts.size() || offset < starts[hint + 2].first)
            return starts[++hint].second;
    }
    auto after = std::upper_bound(starts.begin(), starts.end(), offset,
                                  [](std::size_t o, const std::pair<std::size_t, long long>& s) {
                                      return o < s.first;
                                  });
    if (after == starts.begin())
        return firstLine;
    hint = static_cast<std::size_t>(after - starts.begin()) - 1;
    return (after - 1)->second;
}

namespace {

// A walk over the tokens of one value, made one at a time (a value may be
// the whole boundary register: no token list is kept). Positions are
// offsets in the joined text.
class ValueWalk {
public:
    explicit ValueWalk(const JoinedValue& value) : ValueWalk(value, value.text) {}
    // A walk over `text`, the characters of `value` kept elsewhere.
    ValueWalk(const JoinedValue& value, const std::string& text) : m_value(value), m_text(text) { Lex(); }

    bool AtEnd() const { return m_atEnd; }
    const Token& Current() const { return m_current; }
    bool IsSymbol(char c) const { return !m_atEnd && m_current.kind == TokenKind::Symbol && m_current.symbol == c; }
    bool IsItem() const { return !m_atEnd && m_current.kind == TokenKind::Word; }
    void Next()
    {
        if (m_atEnd)
            return;
        m_previousEnd = m_current.offset + m_current.length;
        Lex();
    }
    // Where the current token begins; the end of the text at the end.
    std::size_t Position() const { return m_atEnd ? m_text.size() : m_current.offset; }
    // Where the token before the current one ends.
    std::size_t PreviousEnd() const { return m_previousEnd; }
    std::string Text(const Token& t) const { return TokenText(m_text, t); }
    long long Line() const { return m_atEnd ? m_value.firstLine : m_value.LineAt(m_current.offset); }
    // The text from offset `from` to offset `to`, as written (a field's
    // range from Fields has no blanks at its ends).
    std::string Span(std::size_t from, std::size_t to) const
    {
        return from >= to ? std::string() : m_text.substr(from, to - from);
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
    // Reads "( ... )" from the current '(' and gives the offset ranges of
    // the comma-separated fields at depth 1, each from its first token's
    // beginning to its last token's end (an empty range for a field without
    // tokens). Leaves the walk after ')'. The characters are scanned once,
    // without making tokens: a token holds no blank and every symbol is one
    // character, so a field's tokens span its text less the blanks at its
    // ends.
    bool Fields(std::vector<std::pair<std::size_t, std::size_t>>& fields)
    {
        fields.clear();
        if (!IsSymbol('('))
            return false;
        const std::string& text = m_text;
        const std::size_t n = text.size();
        int depth = 1;
        std::size_t first = std::string::npos;     // the field's first character that is no blank
        std::size_t last = 0;                      // after its last one
        std::size_t previousEnd = m_current.offset + 1;   // after the last character that is no blank
        std::size_t i = m_current.offset + 1;
        while (i < n) {
            const char c = text[i];
            const unsigned kind = CharacterClasses(c);
            if (kind & kBlankCharacter) {
                ++i;
                continue;
            }
            if (kind & kFieldBreakCharacter) {
                // ',' or ')' at depth 1 ends a field; any other '(' or ')'
                // is part of one.
                if (depth == 1 && c != '(') {
                    AddField(fields, first, last);
                    if (c == ')') {
                        m_offset = i + 1;
                        m_previousEnd = i + 1;
                        Lex();
                        return true;
                    }
                    first = std::string::npos;
                    previousEnd = ++i;
                    continue;
                }
                if (c == '(')
                    ++depth;
                else if (c == ')')
                    --depth;
            }
            if (first == std::string::npos)
                first = i;
            // The character and the run of field characters after it (text[n]
            // is '\0', a blank: the run stops at the end).
            ++i;
            while (IsFieldCharacter(text[i]))
                ++i;
            last = i;
            previousEnd = i;
        }
        AddField(fields, first, last);
        m_offset = text.size();
        m_previousEnd = previousEnd;
        m_atEnd = true;
        return false;
    }

private:
    void Lex() { m_atEnd = !NextValueToken(m_text, m_offset, m_current); }
    static void AddField(std::vector<std::pair<std::size_t, std::size_t>>& fields, std::size_t first,
                         std::size_t last)
    {
        if (first == std::string::npos)
            fields.emplace_back(last, last);
        else
            fields.emplace_back(first, last);
    }

    const JoinedValue& m_value;
    const std::string& m_text;
    std::size_t m_offset = 0;
    Token m_current{};
    bool m_atEnd = false;
    std::size_t m_previousEnd = 0;
};

// The decimal number text[from, from + length) spells, -1 when it is none
// (or too long to be a cell number).
long long Number(std::string_view text, std::size_t from, std::size_t length)
{
    if (length == 0 || length > 18)
        return -1;
    long long value = 0;
    for (std::size_t i = from; i < from + length; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return -1;
        value = value * 10 + (c - '0');
    }
    return value;
}

long long Number(const std::string& text, bool& ok)
{
    ok = !text.empty() && text.size() < 19 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    return ok ? std::atoll(text.c_str()) : -1;
}

// A copy of `written` with the letters from `from` to `from` + 25 moved to
// the other case, added to `kept`.
std::string_view FoldedCopy(std::string_view written, char from, std::deque<std::string>& kept)
{
    std::string& copy = kept.emplace_back(written);
    for (char& c : copy)
        if (static_cast<unsigned char>(c - from) < 26)
            c = static_cast<char>(c ^ 0x20);
    return copy;
}

// `written` in upper case (or in lower case): the text itself when it is
// written so already (the usual case), else a folded copy added to `kept`.
template <bool Upper>
inline std::string_view Folded(std::string_view written, std::deque<std::string>& kept)
{
    constexpr char from = Upper ? 'a' : 'A';
    for (char c : written)
        if (static_cast<unsigned char>(c - from) < 26)
            return FoldedCopy(written, from, kept);
    return written;
}

}  // namespace

void ReadCellEntries(JoinedValue& value, std::deque<std::string>& kept, std::vector<BScanCellEntry>& out)
{
    // The value's text moves into the device, where the entries view it.
    const std::string& text = kept.emplace_back(std::move(value.text));
    value.text.clear();
    ValueWalk walk(value, text);
    std::vector<std::pair<std::size_t, std::size_t>> fields;
    // Field k of the entry as written, "" when absent.
    auto field = [&](std::size_t k) {
        return k < fields.size() && fields[k].first < fields[k].second
                   ? std::string_view(text.data() + fields[k].first, fields[k].second - fields[k].first)
                   : std::string_view();
    };
    while (!walk.AtEnd()) {
        if (!walk.IsItem()) {
            walk.SkipToNextEntry();
            continue;
        }
        const std::size_t first = walk.Position();
        const long long line = walk.Line();
        const Token number = walk.Current();
        walk.Next();
        if (!walk.IsSymbol('(')) {
            walk.SkipToNextEntry();
            continue;
        }
        walk.Fields(fields);
        out.emplace_back();
        BScanCellEntry& entry = out.back();
        entry.line = line;
        entry.number = Number(text, number.offset, number.length);
        entry.text = std::string_view(text.data() + first, walk.PreviousEnd() - first);
        entry.fieldCount = static_cast<int>(fields.size());
        entry.cellType = field(0);
        entry.port = field(1);
        if (!entry.port.empty() && entry.port != "*") {
            // NAME or NAME(INDEX): the name without the blanks before '(',
            // the index between the parentheses.
            const std::string_view port = entry.port;
            const std::size_t open = port.find('(');
            std::size_t nameEnd = open == std::string_view::npos ? port.size() : open;
            while (nameEnd > 0 && bscan_util::IsBlank(port[nameEnd - 1]))
                --nameEnd;
            entry.portName = port.substr(0, nameEnd);
            if (open != std::string_view::npos) {
                std::size_t from = open + 1;
                std::size_t to = port.find(')', from);
                if (to == std::string_view::npos)
                    to = port.size();
                while (from < to && bscan_util::IsBlank(port[from]))
                    ++from;
                while (to > from && bscan_util::IsBlank(port[to - 1]))
                    --to;
                entry.portIndex = Number(port, from, to - from);
            }
        }
        entry.function = Folded<false>(field(2), kept);
        entry.safe = Folded<true>(field(3), kept);
        entry.controlCell = field(4);
        if (fields.size() > 4)
            entry.control = Number(entry.controlCell, 0, entry.controlCell.size());
        entry.disableValue = field(5);
        entry.disabledState = Folded<true>(field(6), kept);
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
            entry.pins.reserve(fields.size());
            for (const auto& f : fields)
                entry.pins.push_back(walk.Span(f.first, f.second));
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
                entry.opcodes.push_back(walk.Span(f.first, f.second));
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
            walk.Fields(fields);
            for (const auto& f : fields) {
                std::string item = walk.Span(f.first, f.second);
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
                pair.positive = walk.Span(names[0].first, names[0].second);
            if (names.size() > 1)
                pair.negative = walk.Span(names[1].first, names[1].second);
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
            std::string port = walk.Span(f.first, f.second);
            if (!port.empty())
                patterns.ports.push_back(port);
        }
        if (walk.IsSymbol('(')) {
            walk.Fields(fields);
            for (const auto& f : fields) {
                std::string pattern = walk.Span(f.first, f.second);
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
        if (bscan_util::IsSpace(c))
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
