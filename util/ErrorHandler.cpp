// Message catalogue (loaded from the message file) and message log.
//
// A record line is "ID SUB RESULT MESSAGE". The message is later used as a
// printf format with exactly two int arguments, so a record is only taken
// when its message holds nothing but plain text, "%%" and at most two
// "%d": anything else could make the formatting read arguments that are
// not there.
#include "util/ErrorHandler.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string_view>
#include <utility>

#include "util/CharClassInternal.h"

namespace {

uint32_t Key(uint16_t id, uint16_t subId)
{
    return (static_cast<uint32_t>(id) << 16) | subId;
}

// Reads a decimal field of 0..65535 at line[pos], which must be followed by
// white space or the end of the line.
bool ReadField(std::string_view line, size_t& pos, uint16_t& value)
{
    while (pos < line.size() && bscan_util::IsCSpace(line[pos]))
        ++pos;
    size_t start = pos;
    uint32_t number = 0;
    while (pos < line.size() && bscan_util::IsDigit(line[pos])) {
        number = number * 10 + static_cast<uint32_t>(line[pos] - '0');
        if (number > 65535)
            return false;
        ++pos;
    }
    if (pos == start)
        return false;
    if (pos < line.size() && !bscan_util::IsCSpace(line[pos]))
        return false;
    value = static_cast<uint16_t>(number);
    return true;
}

// A format that is safe with two int arguments: "%%" anywhere, at most two
// conversions, each exactly "%d".
bool IsSafeFormat(std::string_view message)
{
    int conversions = 0;
    for (size_t i = 0; i < message.size(); ++i) {
        if (message[i] == '\0')
            return false;
        if (message[i] != '%')
            continue;
        if (i + 1 >= message.size())
            return false;
        char next = message[i + 1];
        if (next == 'd') {
            if (++conversions > 2)
                return false;
        } else if (next != '%') {
            return false;
        }
        ++i;
    }
    return true;
}

// The file's bytes up to its end or a read error, in blocks (NUL bytes
// kept, so that a record holding one is refused instead of cut).
void ReadWholeFile(FILE* file, std::string& text)
{
    char block[4096];
    size_t got;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        text.append(block, got);
}

}  // namespace

ErrorElement::ErrorElement(uint16_t id, uint16_t subId, uint16_t result, const char* message)
    : m_id(id), m_subId(subId), m_result(result), m_message(message ? message : "")
{
}

const char* ErrorElement::GetErrorMessage() const
{
    return m_message.empty() ? nullptr : m_message.c_str();
}

ErrorHandler::~ErrorHandler() = default;

void ErrorHandler::SetDefaultDir(const char* dir)
{
    try {
        m_defaultDir = dir ? dir : "";
    } catch (const std::bad_alloc&) {
        m_defaultDir.clear();
    }
}

const char* ErrorHandler::GetDefaultDir() const
{
    return m_defaultDir.c_str();
}

int ErrorHandler::Initialize(const char* file, int fields)
{
    if (!file || fields != 3)
        return -2;
    FILE* in = nullptr;
    try {
        std::string path;
        if (!m_defaultDir.empty()) {
            path = m_defaultDir;
            char last = path.back();
            if (last != '/' && last != '\\')
                path.push_back('/');
        }
        path += file;

        in = std::fopen(path.c_str(), "r");
        if (!in)
            return -1;
        m_elements.clear();
        m_byKey.clear();
        m_skipped = 0;

        std::string text;
        ReadWholeFile(in, text);
        std::fclose(in);
        in = nullptr;

        // Room for the records of the usual message file at once.
        m_elements.reserve(64);
        m_byKey.reserve(64);
        for (size_t from = 0; from < text.size();) {
            const size_t lineEnd = std::min(text.find('\n', from), text.size());
            const std::string_view line = std::string_view(text).substr(from, lineEnd - from);
            from = lineEnd + 1;
            size_t pos = 0;
            while (pos < line.size() && bscan_util::IsCSpace(line[pos]))
                ++pos;
            if (pos == line.size() || line[pos] == '#')
                continue;
            uint16_t id = 0, subId = 0, result = 0;
            if (!ReadField(line, pos, id) || !ReadField(line, pos, subId) ||
                !ReadField(line, pos, result)) {
                ++m_skipped;
                continue;
            }
            size_t end = line.size();
            while (pos < end && bscan_util::IsCSpace(line[pos]))
                ++pos;
            while (end > pos && bscan_util::IsCSpace(line[end - 1]))
                --end;
            const std::string_view format = line.substr(pos, end - pos);
            if (!IsSafeFormat(format)) {
                ++m_skipped;
                continue;
            }
            if (m_byKey.count(Key(id, subId)))
                continue;
            // The message is copied once and moved into its record.
            std::string message(format);
            m_byKey.emplace(Key(id, subId), m_elements.size());
            m_elements.emplace_back(id, subId, result, nullptr);
            m_elements.back().m_message = std::move(message);
        }
    } catch (const std::bad_alloc&) {
        if (in)
            std::fclose(in);
        return -1;
    }
    return static_cast<int>(m_elements.size());
}

const ErrorElement* ErrorHandler::GetErrorElement(uint16_t id, uint16_t subId) const
{
    auto found = m_byKey.find(Key(id, subId));
    return found == m_byKey.end() ? nullptr : &m_elements[found->second];
}

int ErrorHandler::GetElementCount() const
{
    return static_cast<int>(m_elements.size());
}

int ErrorHandler::GetSkippedLineCount() const
{
    return m_skipped;
}

void ErrorHandler::SetErrorOccured(const char* text)
{
    if (!text)
        return;
    try {
        m_log.emplace_back(text);
    } catch (const std::bad_alloc&) {
    }
}

int ErrorHandler::GetErrorCount() const
{
    return static_cast<int>(m_log.size());
}

const char* ErrorHandler::GetError(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_log.size())
        return nullptr;
    return m_log[static_cast<size_t>(index)].c_str();
}

void ErrorHandler::ClearErrors()
{
    m_log.clear();
}
