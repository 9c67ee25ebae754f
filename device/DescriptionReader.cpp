// The light pass: a walk over the file's tokens that takes the entity, the
// generic clause's package, the port declarations, every attribute and the
// pin map constants, each with its line, and then reads the values of the
// attributes it knows. It follows VHDL's own rules (case-insensitive words,
// statements ended by ';'), not the core's reader, so it sees what the file
// says even where the core stops or cuts.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "device/DescriptionLexerInternal.h"
#include "device/DeviceDescriptionInternal.h"
#include "device/ValueParsersInternal.h"
#include "util/CharClassInternal.h"

namespace bscan_device {

namespace {

// The core reads at most 254 characters at a time.
const std::size_t kCoreReadLength = 254;

class FileWalk {
public:
    FileWalk(const std::string& text, BScanDevice::Description& out) : m_text(text), m_out(out)
    {
        TokenizeFile(text, m_tokens);
    }

    void Run();

private:
    bool AtEnd() const { return m_pos >= m_tokens.size(); }
    const Token& Current() const { return m_tokens[m_pos]; }
    bool IsSymbol(char c) const { return !AtEnd() && Current().kind == TokenKind::Symbol && Current().symbol == c; }
    bool IsWord(const char* word) const
    {
        return !AtEnd() && Current().kind == TokenKind::Word && SameText(TokenView(m_text, Current()), word);
    }
    bool IsAnyWord() const { return !AtEnd() && Current().kind == TokenKind::Word; }
    std::string Text() const { return TokenText(m_text, Current()); }
    std::string_view View() const { return TokenView(m_text, Current()); }
    void SkipPast(char symbol)
    {
        while (!AtEnd() && !IsSymbol(symbol))
            ++m_pos;
        if (!AtEnd())
            ++m_pos;
    }
    // Tokens from the current one up to (not including) `symbol` at depth 0.
    std::size_t FindAtDepthZero(char symbol) const
    {
        int depth = 0;
        for (std::size_t k = m_pos; k < m_tokens.size(); ++k) {
            const Token& t = m_tokens[k];
            if (t.kind != TokenKind::Symbol)
                continue;
            if (t.symbol == symbol && depth == 0)
                return k;
            if (t.symbol == '(')
                ++depth;
            else if (t.symbol == ')' && depth > 0)
                --depth;
        }
        return m_tokens.size();
    }
    void ReadGeneric();
    void ReadPortClause();
    void ReadDeclaration(std::size_t first, std::size_t end);
    void ReadAttribute();
    void ReadConstant();
    void Join(std::size_t first, std::size_t end, JoinedValue& value, bool& isString, std::string& words) const;
    void Interpret(const BScanAttribute& attribute, JoinedValue& value);

    const std::string& m_text;
    BScanDevice::Description& m_out;
    std::vector<Token> m_tokens;
    std::size_t m_pos = 0;
};

void FileWalk::Run()
{
    while (!AtEnd() && !IsWord("entity"))
        ++m_pos;
    if (AtEnd())
        return;
    m_out.read = true;
    m_out.entityLine = Current().line;
    ++m_pos;
    if (IsAnyWord()) {
        m_out.entity = Text();
        ++m_pos;
    }
    if (IsWord("is"))
        ++m_pos;
    while (!AtEnd()) {
        if (IsWord("generic")) {
            ReadGeneric();
        } else if (IsWord("port")) {
            ReadPortClause();
        } else if (IsWord("attribute")) {
            ReadAttribute();
        } else if (IsWord("constant")) {
            ReadConstant();
        } else if (IsWord("end")) {
            m_out.endLine = Current().line;
            ++m_pos;
            if (IsWord("entity"))
                ++m_pos;
            if (IsAnyWord())
                m_out.endName = Text();
            return;
        } else {
            SkipPast(';');
        }
    }
}

void FileWalk::ReadGeneric()
{
    ++m_pos;
    std::size_t end = FindAtDepthZero(';');
    for (std::size_t k = m_pos; k < end; ++k) {
        const Token& t = m_tokens[k];
        if (t.kind == TokenKind::Word && SameText(TokenView(m_text, t), "PHYSICAL_PIN_MAP")) {
            for (std::size_t j = k + 1; j < end; ++j) {
                if (m_tokens[j].kind == TokenKind::String) {
                    std::string name = TokenText(m_text, m_tokens[j]);
                    std::size_t b = name.find_first_not_of(" \t");
                    std::size_t e = name.find_last_not_of(" \t");
                    m_out.package = b == std::string::npos ? std::string() : Lower(name.substr(b, e - b + 1));
                    m_out.packageLine = m_tokens[j].line;
                    break;
                }
                if (m_tokens[j].kind == TokenKind::Symbol && m_tokens[j].symbol == ';')
                    break;
            }
            break;
        }
    }
    m_pos = end < m_tokens.size() ? end + 1 : end;
}

void FileWalk::ReadPortClause()
{
    ++m_pos;
    if (!IsSymbol('(')) {
        SkipPast(';');
        return;
    }
    ++m_pos;
    // Room for the declarations: one ':' each at depth 0 before the
    // clause's ')'.
    std::size_t declarations = 0;
    int depth = 0;
    for (std::size_t k = m_pos; k < m_tokens.size() && depth >= 0; ++k) {
        const Token& t = m_tokens[k];
        if (t.kind != TokenKind::Symbol)
            continue;
        if (t.symbol == '(')
            ++depth;
        else if (t.symbol == ')')
            --depth;
        else if (t.symbol == ':' && depth == 0)
            ++declarations;
    }
    m_out.ports.reserve(m_out.ports.size() + declarations);
    // Declarations end at ';' at depth 0; the clause at its ')' at depth 0.
    std::size_t first = m_pos;
    depth = 0;
    while (!AtEnd()) {
        const Token& t = Current();
        if (t.kind == TokenKind::Symbol) {
            if (t.symbol == '(') {
                ++depth;
            } else if (t.symbol == ')') {
                if (depth == 0) {
                    ReadDeclaration(first, m_pos);
                    ++m_pos;
                    if (IsSymbol(';'))
                        ++m_pos;
                    return;
                }
                --depth;
            } else if (t.symbol == ';' && depth == 0) {
                ReadDeclaration(first, m_pos);
                first = m_pos + 1;
            }
        } else if (depth == 0 && m_pos > first && t.kind == TokenKind::Word &&
                   m_tokens[m_pos - 1].kind == TokenKind::Symbol && m_tokens[m_pos - 1].symbol == ';' &&
                   (SameText(View(), "attribute") || SameText(View(), "constant") || SameText(View(), "end"))) {
            // A clause left open: the body goes on.
            return;
        }
        ++m_pos;
    }
    ReadDeclaration(first, m_pos);
}

void FileWalk::ReadDeclaration(std::size_t first, std::size_t end)
{
    std::size_t colon = first;
    while (colon < end && !(m_tokens[colon].kind == TokenKind::Symbol && m_tokens[colon].symbol == ':'))
        ++colon;
    if (colon >= end || colon == first)
        return;
    BScanPortDeclaration declaration;
    std::size_t k = colon + 1;
    if (k < end && m_tokens[k].kind == TokenKind::Word) {
        declaration.modeText.assign(m_text, m_tokens[k].offset, m_tokens[k].length);
        declaration.mode = declaration.modeText;
        for (char& c : declaration.mode)
            if (c >= 'A' && c <= 'Z')
                c = static_cast<char>(c - 'A' + 'a');
        ++k;
    }
    if (k < end) {
        std::size_t from = m_tokens[k].offset;
        std::size_t to = m_tokens[end - 1].offset + m_tokens[end - 1].length;
        declaration.type.assign(m_text, from, to - from);
    }
    for (std::size_t j = k; j < end; ++j) {
        if (m_tokens[j].kind == TokenKind::Word && SameText(TokenView(m_text, m_tokens[j]), "bit_vector")) {
            declaration.isVector = true;
            // ( left to|downto right )
            std::vector<long long> numbers;
            for (std::size_t r = j + 1; r < end && numbers.size() < 2; ++r) {
                if (m_tokens[r].kind != TokenKind::Word)
                    continue;
                std::string word = TokenText(m_text, m_tokens[r]);
                if (!word.empty() && bscan_util::IsDigit(word[0]))
                    numbers.push_back(word.size() < 19 ? std::atoll(word.c_str()) : 0);
            }
            if (numbers.size() == 2) {
                declaration.left = numbers[0];
                declaration.right = numbers[1];
            }
            break;
        }
    }
    std::size_t last = colon;       // the last name: it takes the declaration, the others a copy
    while (last > first && m_tokens[last - 1].kind != TokenKind::Word)
        --last;
    for (std::size_t j = first; j < colon; ++j) {
        if (m_tokens[j].kind != TokenKind::Word)
            continue;
        if (j + 1 == last)
            m_out.ports.push_back(std::move(declaration));
        else
            m_out.ports.push_back(declaration);
        BScanPortDeclaration& named = m_out.ports.back();
        named.name.assign(m_text, m_tokens[j].offset, m_tokens[j].length);
        named.line = m_tokens[j].line;
    }
}

void FileWalk::Join(std::size_t first, std::size_t end, JoinedValue& value, bool& isString,
                    std::string& words) const
{
    isString = first < end;
    for (std::size_t k = first; k < end && isString; ++k)
        isString = m_tokens[k].kind == TokenKind::String ||
                   (m_tokens[k].kind == TokenKind::Symbol && m_tokens[k].symbol == '&');
    if (isString) {
        // Every token a piece or '&': the pieces copied into place.
        std::size_t total = 0, pieces = 0;
        for (std::size_t k = first; k < end; ++k)
            if (m_tokens[k].kind == TokenKind::String) {
                total += m_tokens[k].length;
                ++pieces;
            }
        std::size_t at = value.text.size();
        value.text.resize(at + total);
        value.starts.reserve(value.starts.size() + pieces);
        for (std::size_t k = first; k < end; ++k) {
            const Token& t = m_tokens[k];
            if (t.kind != TokenKind::String)
                continue;
            value.starts.emplace_back(at, t.line);
            if (t.length > 0)
                std::memcpy(&value.text[at], m_text.data() + t.offset, t.length);
            at += t.length;
        }
        value.firstLine = m_tokens[first].line;      // first < end: isString needs a token
        return;
    }
    for (std::size_t k = first; k < end; ++k) {
        const Token& t = m_tokens[k];
        if (t.kind == TokenKind::String) {
            value.starts.emplace_back(value.text.size(), t.line);
            value.text.append(m_text, t.offset, t.length);
            if (isString)
                continue;
            if (!words.empty())
                words += ' ';
            words += '"';
            words.append(m_text, t.offset, t.length);
            words += '"';
        } else if (!isString) {
            if (!words.empty())
                words += ' ';
            words.append(m_text, t.offset, t.length);
        }
    }
    if (first < end)
        value.firstLine = m_tokens[first].line;
}

void FileWalk::ReadAttribute()
{
    BScanAttribute attribute;
    attribute.line = Current().line;
    ++m_pos;
    if (!IsAnyWord()) {
        SkipPast(';');
        return;
    }
    attribute.name = Text();
    ++m_pos;
    if (!IsWord("of")) {        // a declaration "attribute NAME : TYPE;"
        SkipPast(';');
        return;
    }
    ++m_pos;
    std::size_t targetStart = m_pos;
    while (!AtEnd() && !IsSymbol(':') && !IsSymbol(';'))
        ++m_pos;
    for (std::size_t k = targetStart; k < m_pos; ++k) {
        if (!attribute.target.empty())
            attribute.target += ' ';
        attribute.target += TokenText(m_text, m_tokens[k]);
    }
    while (!AtEnd() && !IsWord("is") && !IsSymbol(';'))
        ++m_pos;
    if (IsWord("is"))
        ++m_pos;
    std::size_t end = FindAtDepthZero(';');
    JoinedValue value;
    bool isString = false;
    std::string words;
    Join(m_pos, end, value, isString, words);
    attribute.isString = isString;
    attribute.value = isString ? value.text : words;
    if (value.firstLine == 0)
        value.firstLine = attribute.line;
    attribute.endLine = end < m_tokens.size() ? m_tokens[end].line
                                              : (m_tokens.empty() ? attribute.line : m_tokens.back().line);
    m_pos = end < m_tokens.size() ? end + 1 : end;
    Interpret(attribute, value);
    m_out.attributes.push_back(std::move(attribute));
}

// How often `c` occurs in `text` (an entry ends with ')': room for the
// entries, found by memchr from one to the next).
std::size_t CountOf(const std::string& text, char c)
{
    std::size_t count = 0;
    const char* end = text.data() + text.size();
    for (const char* p = text.data(); (p = static_cast<const char*>(std::memchr(p, c, static_cast<std::size_t>(end - p)))); ++p)
        ++count;
    return count;
}

void FileWalk::ReadConstant()
{
    const long long line = Current().line;
    ++m_pos;
    std::string name = IsAnyWord() ? Text() : std::string();
    std::size_t end = FindAtDepthZero(';');
    std::size_t k = m_pos;
    bool pinMap = false;
    while (k < end && !(m_tokens[k].kind == TokenKind::Symbol && m_tokens[k].symbol == '=')) {
        if (m_tokens[k].kind == TokenKind::Word && SameText(TokenView(m_text, m_tokens[k]), "PIN_MAP_STRING"))
            pinMap = true;
        ++k;
    }
    if (pinMap && k < end) {
        JoinedValue value;
        bool isString = false;
        std::string words;
        Join(k + 1, end, value, isString, words);
        if (value.firstLine == 0)
            value.firstLine = line;
        BScanPinMapString map;
        map.name = name;
        map.line = line;
        map.entries.reserve(CountOf(value.text, ':'));     // one ':' an entry
        ReadPinEntries(value, map.entries);
        m_out.pinMaps.push_back(std::move(map));
    }
    m_pos = end < m_tokens.size() ? end + 1 : end;
}

long long NumberOf(const std::string& text)
{
    std::size_t b = text.find_first_not_of(" \t\r\n\"");
    if (b == std::string::npos || !bscan_util::IsDigit(text[b]))
        return -1;
    std::size_t e = b;
    while (e < text.size() && bscan_util::IsDigit(text[e]))
        ++e;
    if (e - b > 18)
        return -1;
    return std::atoll(text.substr(b, e - b).c_str());
}

void FileWalk::Interpret(const BScanAttribute& attribute, JoinedValue& value)
{
    const std::string name = Upper(attribute.name);
    if (name == "BOUNDARY_LENGTH") {
        m_out.boundaryLength = NumberOf(attribute.value);
        m_out.boundaryLengthLine = attribute.line;
    } else if (name == "BOUNDARY_REGISTER") {
        m_out.boundaryRegisterLine = attribute.line;
        m_out.cells.reserve(m_out.cells.size() + CountOf(value.text, ')'));
        ReadCellEntries(value, m_out.kept, m_out.cells);
    } else if (name == "INSTRUCTION_LENGTH") {
        m_out.instructionLength = NumberOf(attribute.value);
        m_out.instructionLengthLine = attribute.line;
    } else if (name == "INSTRUCTION_CAPTURE") {
        m_out.instructionCapture = value.text;
        m_out.instructionCaptureLine = attribute.line;
    } else if (name == "INSTRUCTION_OPCODE") {
        ReadInstructionEntries(value, m_out.instructions);
    } else if (name == "INSTRUCTION_PRIVATE") {
        ReadNameList(value, m_out.privateInstructions);
    } else if (name == "REGISTER_ACCESS") {
        ReadRegisterEntries(value, m_out.registers);
    } else if (name == "PORT_GROUPING") {
        ReadPortPairs(value, m_out.pairs);
    } else if (name == "COMPLIANCE_PATTERNS") {
        ReadCompliancePatterns(value, m_out.compliance);
    } else if (name == "PIN_MAP_STRING") {
        BScanPinMapString map;
        map.name = attribute.target;
        map.line = attribute.line;
        map.entries.reserve(CountOf(value.text, ':'));     // one ':' an entry
        ReadPinEntries(value, map.entries);
        m_out.pinMaps.push_back(std::move(map));
    } else if (name.compare(0, 9, "TAP_SCAN_") == 0) {
        m_out.tapPorts.push_back(BScanTapPort{name, attribute.target, attribute.line});
    } else if (name == "DESIGN_WARNING") {
        m_out.hasDesignWarning = true;
        m_out.designWarning = BScanNameAtLine{value.text, attribute.line};
    } else if (name == "IDCODE_REGISTER") {
        if (!m_out.hasIdcode)
            m_out.hasIdcode = ReadIdcodePattern(value.text, attribute.line, m_out.idcode);
    } else if (name == "USERCODE_REGISTER") {
        if (!m_out.hasUsercode)
            m_out.hasUsercode = ReadIdcodePattern(value.text, attribute.line, m_out.usercode);
    }
}

// Long lines and the core's count of reads per line.
void MeasureLines(const std::string& text, BScanDevice::Description& out)
{
    long long reads = 0;
    std::size_t start = 0;
    while (start < text.size()) {
        const void* found = std::memchr(text.data() + start, '\n', text.size() - start);
        const std::size_t newline = found ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data())
                                          : std::string::npos;
        const bool hasEnd = newline != std::string::npos;
        const std::size_t length = (hasEnd ? newline : text.size()) - start;
        out.coreReadsBefore.push_back(reads);
        out.lineStarts.push_back(start);
        // With its line end, a line of L characters takes L / 254 + 1 reads;
        // a last line without one takes ceil(L / 254).
        reads += hasEnd ? static_cast<long long>(length / kCoreReadLength) + 1
                        : static_cast<long long>((length + kCoreReadLength - 1) / kCoreReadLength);
        if (length > kCoreReadLength) {
            std::string line = text.substr(start, length);
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            out.longLines.push_back(BScanLongLine{static_cast<long long>(out.coreReadsBefore.size()), line});
        }
        if (!hasEnd)
            break;
        start = newline + 1;
    }
}

}  // namespace

void ReadDescriptionText(const std::string& text, BScanDevice::Description& out)
{
    MeasureLines(text, out);
    FileWalk walk(text, out);
    walk.Run();
}

}  // namespace bscan_device
