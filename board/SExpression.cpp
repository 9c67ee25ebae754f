#include "board/SExpression.h"

namespace {

class Reader {
public:
    Reader(const std::string& text, const std::string& fileName)
        : m_text(text), m_fileName(fileName) {}

    bool ReadAll(SExpression& root, std::string& error)
    {
        SkipBlank();
        if (m_pos >= m_text.size())
            return Fail(m_line, "no s-expression in the file", error);
        if (!ReadNode(root, 0, error))
            return false;
        SkipBlank();
        if (m_pos < m_text.size())
            return Fail(m_line, m_text[m_pos] == ')' ? "')' without its '('"
                                                     : "text after the closing ')'",
                        error);
        return true;
    }

private:
    bool Fail(int line, const std::string& reason, std::string& error)
    {
        error = m_fileName + ":" + std::to_string(line) + ": error: " + reason;
        return false;
    }

    void SkipBlank()
    {
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos];
            if (c == '\n')
                ++m_line;
            if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\f' && c != '\v')
                return;
            ++m_pos;
        }
    }

    static bool EndsAtom(char c)
    {
        return c == '(' || c == ')' || c == '"' || c == ' ' || c == '\t' || c == '\r' ||
               c == '\n' || c == '\f' || c == '\v';
    }

    bool ReadNode(SExpression& node, int depth, std::string& error)
    {
        node.line = m_line;
        const char c = m_text[m_pos];
        if (c == '(')
            return ReadList(node, depth, error);
        if (c == ')')
            return Fail(m_line, "')' without its '('", error);
        if (c == '"')
            return ReadString(node, error);
        const size_t start = m_pos;
        while (m_pos < m_text.size() && !EndsAtom(m_text[m_pos]))
            ++m_pos;
        node.text.assign(m_text, start, m_pos - start);
        return true;
    }

    bool ReadList(SExpression& node, int depth, std::string& error)
    {
        if (depth >= kMaxSExpressionDepth)
            return Fail(m_line, "lists nested deeper than " + std::to_string(kMaxSExpressionDepth), error);
        const int openLine = m_line;
        node.isList = true;
        ++m_pos;
        for (;;) {
            SkipBlank();
            if (m_pos >= m_text.size())
                return Fail(openLine, "'(' not closed before the end of the file", error);
            if (m_text[m_pos] == ')') {
                ++m_pos;
                return true;
            }
            node.items.emplace_back();
            if (!ReadNode(node.items.back(), depth + 1, error))
                return false;
        }
    }

    bool ReadString(SExpression& node, std::string& error)
    {
        const int openLine = m_line;
        node.quoted = true;
        ++m_pos;
        while (m_pos < m_text.size()) {
            char c = m_text[m_pos++];
            if (c == '"')
                return true;
            if (c == '\n')
                ++m_line;
            if (c == '\\') {
                if (m_pos >= m_text.size())
                    break;
                c = m_text[m_pos++];
                if (c == 'n')
                    c = '\n';
                else if (c == 't')
                    c = '\t';
                else if (c == '\n')
                    ++m_line;
            }
            node.text += c;
        }
        return Fail(openLine, "string not closed before the end of the file", error);
    }

    const std::string& m_text;
    const std::string& m_fileName;
    size_t m_pos = 0;
    int m_line = 1;
};

const std::string kNoHead;

}  // namespace

const std::string& SExpression::Head() const
{
    if (!isList || items.empty() || items.front().isList)
        return kNoHead;
    return items.front().text;
}

const SExpression* SExpression::Find(const std::string& head) const
{
    for (const SExpression& item : items)
        if (item.isList && item.Head() == head)
            return &item;
    return nullptr;
}

bool SExpression::FindValue(const std::string& head, std::string& value) const
{
    const SExpression* item = Find(head);
    if (!item || item->items.size() < 2 || item->items[1].isList)
        return false;
    value = item->items[1].text;
    return true;
}

bool ReadSExpression(const std::string& text, const std::string& fileName, SExpression& root,
                     std::string& error)
{
    root = SExpression();
    Reader reader(text, fileName);
    return reader.ReadAll(root, error);
}
