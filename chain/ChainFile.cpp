#include "chain/ChainFile.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "util/AsciiCaseInternal.h"

namespace {

using bscan_text::Upper;
using bscan_text::Lower;

bool IsNameCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '-' || c == '+' ||
           c == '/' || c == '[' || c == ']' || c == '$';
}

// The blank-separated words of a line without its comment.
std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    std::string current;
    for (char c : line) {
        if (c == '#')
            break;
        if (std::isspace(static_cast<unsigned char>(c))) {
            if (!current.empty())
                words.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty())
        words.push_back(current);
    return words;
}

// N of ir=N (1 to 4096); false when the text is no ir= word or N is bad.
bool IrLength(const std::string& word, int& length, bool& isIrWord)
{
    isIrWord = Lower(word.substr(0, 3)) == "ir=";
    if (!isIrWord)
        return false;
    const std::string digits = word.substr(3);
    if (digits.empty() || digits.size() > 4)
        return false;
    length = 0;
    for (char c : digits) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
        length = length * 10 + (c - '0');
    }
    return length >= 1 && length <= 4096;
}

std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return "";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Join(const std::string& dir, const std::string& path)
{
    if (path.empty() || path[0] == '/' || dir.empty())
        return path;
    return dir.back() == '/' ? dir + path : dir + "/" + path;
}

std::string ErrorAt(const std::string& file, long long line, const std::string& message)
{
    return file + ":" + std::to_string(line) + ": error: " + message;
}

}  // namespace

bool ParseChainText(const std::string& text, const std::string& fileName, const std::string& baseDir,
                    std::vector<ChainFileEntry>& entries, std::string& error)
{
    entries.clear();
    std::istringstream stream(text);
    std::string line;
    long long number = 0;
    while (std::getline(stream, line)) {
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::vector<std::string> words = Words(line);
        if (words.empty())
            continue;
        if (words.size() != 2) {
            error = ErrorAt(fileName, number,
                            "a device line is NAME followed by a BSDL path or ir=N (got " +
                                std::to_string(words.size()) + " words)");
            return false;
        }
        ChainFileEntry entry;
        entry.name = words[0];
        entry.line = number;
        for (char c : entry.name) {
            if (!IsNameCharacter(c)) {
                error = ErrorAt(fileName, number, "the device name '" + entry.name +
                                                      "' holds '" + std::string(1, c) +
                                                      "' (letters, digits and _ - + / [ ] $ only)");
                return false;
            }
        }
        for (const ChainFileEntry& other : entries) {
            if (Upper(other.name) == Upper(entry.name)) {
                error = ErrorAt(fileName, number, "the device name '" + entry.name +
                                                      "' is already used on line " +
                                                      std::to_string(other.line));
                return false;
            }
        }
        bool isIrWord = false;
        if (IrLength(words[1], entry.irLength, isIrWord)) {
            entries.push_back(entry);
            continue;
        }
        if (isIrWord) {
            error = ErrorAt(fileName, number, "'" + words[1] +
                                                  "': the instruction length must be a number from 1 to 4096");
            return false;
        }
        entry.irLength = -1;
        entry.path = words[1];
        entry.resolvedPath = Join(baseDir, entry.path);
        entries.push_back(entry);
    }
    if (entries.empty()) {
        error = ErrorAt(fileName, number, "the chain file names no device");
        return false;
    }
    return true;
}

bool ReadChainFile(const std::string& path, std::vector<ChainFileEntry>& entries, std::string& error)
{
    entries.clear();
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = ErrorAt(path, 0, "the chain file cannot be opened");
        return false;
    }
    std::ostringstream text;
    text << file.rdbuf();
    if (file.bad()) {
        error = ErrorAt(path, 0, "the chain file cannot be read");
        return false;
    }
    return ParseChainText(text.str(), path, DirectoryOf(path), entries, error);
}
