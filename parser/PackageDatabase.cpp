// The package database: a pre-pass over the BSDL file, on a stream of its
// own, that lists the pins of a grid package (pins named with letters and
// digits, A1, B12, AA3) in a fixed order, so that a pin's number is its
// position in that list, counted from 1.
//
// Only the file's first constant of type PIN_MAP_STRING is read; its name,
// in lower case, is the package's name. The first pin decides the kind of
// package: when it holds no letter, the package is numbered (its pins are
// their own numbers) and no list is built. Otherwise every pin is split into
// its letters and the value of its digits (other characters dropped, the
// value kept as an unsigned 16-bit number), equal pairs are kept once, and
// the pairs are sorted by number (larger first), then by the length of the
// letters (shorter first), then by the letters' bytes; the list holds them
// written as letters followed by the number (VCC stands as VCC0).
//
// m_pinNameParts is emptied at the start of every pre-pass, so a parser
// initialised a second time builds its package from its own file only.
// The package list is replaced only when a new package has been built; a
// numbered package, a missing pin map constant or a failure leave it as it
// was. The pre-pass's stream is closed on every way out.
#include <algorithm>
#include <cstdint>
#include <new>
#include <vector>

#include "parser/BScanParser.h"
#include "parser/PackagePinMap.h"
#include "parser/PinMapStringInternal.h"

// --- PackagePinMap --------------------------------------------------------

PackagePinMap::~PackagePinMap() = default;

void PackagePinMap::SetName(const char* name)
{
    if (name)
        m_name = name;
}

const char* PackagePinMap::GetName() const
{
    return m_name.c_str();
}

void PackagePinMap::AddPinName(const char* pin)
{
    if (!pin)
        return;
    m_pinNames.emplace_back(pin);
    m_firstPosition.emplace(m_pinNames.back(), static_cast<int>(m_pinNames.size()));
}

int PackagePinMap::GetPinCount() const
{
    return static_cast<int>(m_pinNames.size());
}

const char* PackagePinMap::GetPinName(int index) const
{
    if (index < 0 || index >= GetPinCount())
        return nullptr;
    return m_pinNames[static_cast<size_t>(index)].c_str();
}

int PackagePinMap::FindPin(const char* pin) const
{
    if (!pin)
        return 0;
    auto found = m_firstPosition.find(pin);
    return found == m_firstPosition.end() ? 0 : found->second;
}

// --- the pre-pass ---------------------------------------------------------

namespace {

// Closes the pre-pass's stream however the pre-pass ends.
class StreamCloser {
public:
    explicit StreamCloser(FILE* stream) : m_stream(stream) {}
    ~StreamCloser()
    {
        if (m_stream)
            std::fclose(m_stream);
    }
    StreamCloser(const StreamCloser&) = delete;
    StreamCloser& operator=(const StreamCloser&) = delete;

private:
    FILE* m_stream;
};

bool IsLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool HoldsLetter(const std::string& text)
{
    return std::any_of(text.begin(), text.end(), IsLetter);
}

// A word of the statement: from `from` on, leading white space removed,
// cut before the first blank, newline, tab or ':'.
std::string WordFrom(const std::string& statement, int from)
{
    KString ks;
    std::string word;
    ks.Right(word, statement, static_cast<int>(statement.size()) - from);
    ks.TrimLeft(word);
    ks.Left(word, word, ks.FindOneOf(word, " \n\t:"));
    ks.TrimRight(word);
    return word;
}

std::pair<std::string, uint16_t> SplitPinName(const std::string& pin)
{
    std::string letters;
    uint16_t number = 0;
    for (char c : pin) {
        if (IsLetter(c))
            letters += c;
        else if (c >= '0' && c <= '9')
            number = static_cast<uint16_t>(number * 10 + (c - '0'));
    }
    return {letters, number};
}

bool ComesBefore(const std::pair<std::string, uint16_t>& a, const std::pair<std::string, uint16_t>& b)
{
    if (a.second != b.second)
        return a.second > b.second;
    if (a.first.size() != b.first.size())
        return a.first.size() < b.first.size();
    return a.first < b.first;
}

// Sorts the pairs by ComesBefore. Each pair gets a 64-bit key that orders
// it the same way as far as it goes (the number reversed, the length of
// the letters, their first four bytes), so that most comparisons are one
// integer compare and the sort moves small records instead of texts; pairs
// with equal keys are compared in full.
void SortPinNameParts(std::vector<std::pair<std::string, uint16_t>>& parts)
{
    struct Keyed {
        uint64_t key;
        uint32_t index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(parts.size());
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::string& letters = parts[i].first;
        if (letters.size() > 0xFFFF || i > 0xFFFFFFFFu) {
            std::sort(parts.begin(), parts.end(), ComesBefore);
            return;
        }
        uint64_t key = static_cast<uint64_t>(0xFFFF - parts[i].second) << 48;
        key |= static_cast<uint64_t>(letters.size()) << 32;
        for (size_t b = 0; b < 4; ++b) {
            const uint64_t byte = b < letters.size() ? static_cast<unsigned char>(letters[b]) : 0;
            key |= byte << (24 - 8 * b);
        }
        keyed.push_back(Keyed{key, static_cast<uint32_t>(i)});
    }
    std::sort(keyed.begin(), keyed.end(), [&parts](const Keyed& a, const Keyed& b) {
        if (a.key != b.key)
            return a.key < b.key;
        return ComesBefore(parts[a.index], parts[b.index]);
    });
    std::vector<std::pair<std::string, uint16_t>> sorted;
    sorted.reserve(parts.size());
    for (const Keyed& k : keyed)
        sorted.push_back(std::move(parts[k.index]));
    parts.swap(sorted);
}

}  // namespace

int BScanParser::ReadPackageDB(char* path)
{
    m_pinNameParts.clear();
    if (!path)
        return BSDL_ERR_PACKAGE_FILE;
    FILE* stream = std::fopen(path, "r");
    if (!stream)
        return BSDL_ERR_PACKAGE_FILE;
    StreamCloser closer(stream);

    try {
        KString ks;
        std::string line;
        std::string statement;
        std::string packageName;
        // Find the first constant of type PIN_MAP_STRING.
        for (;;) {
            if (GetLine(stream, line, nullptr) != 0)
                return BSDL_OK;
            if (ks.Find(line, "constant") != 0)
                continue;
            statement = line;
            int completed = CompleteStatement(stream, statement, ":=");
            if (completed < 0)
                return completed;
            int type = ks.Find(statement, "PIN_MAP_STRING");
            if (type < 0)
                continue;
            packageName = WordFrom(statement, ks.Find(statement, ' '));
            for (char& c : packageName) {
                if (c >= 'A' && c <= 'Z')
                    c = static_cast<char>(c - 'A' + 'a');
            }
            if (WordFrom(statement, type) == "PIN_MAP_STRING")
                break;
        }

        // Its value, which begins after a double quote on the constant's
        // first line, or else on the next line.
        std::string start;
        int quote = ks.Find(line, '"');
        if (quote > 0) {
            ks.Right(start, line, static_cast<int>(line.size()) - quote - 1);
            ks.TrimLeft(start);
        }
        KByteBuffer buffer;
        int assembled = GetCompleteStringValue(stream, start.c_str(), &buffer, false);
        if (assembled < 0)
            return assembled;
        std::string value(buffer.GetText());
        ks.TrimRight(value);
        if (value.empty())
            return BSDL_OK;

        bool sawLetter = false;
        bool numbered = false;
        WalkPinMapString(value, [&](const std::string&, int, const std::string& pin) {
            if (!sawLetter && !HoldsLetter(pin)) {
                numbered = true;
                return false;
            }
            sawLetter = true;
            m_pinNameParts.push_back(SplitPinName(pin));
            return true;
        });
        if (numbered || !sawLetter)
            return BSDL_OK;

        // Equal pairs sort next to each other; one of each is kept.
        SortPinNameParts(m_pinNameParts);
        m_pinNameParts.erase(std::unique(m_pinNameParts.begin(), m_pinNameParts.end()),
                             m_pinNameParts.end());
        PackagePinMap* package = new PackagePinMap();
        try {
            package->SetName(packageName.c_str());
            for (const auto& parts : m_pinNameParts)
                package->AddPinName((parts.first + std::to_string(parts.second)).c_str());
        } catch (...) {
            delete package;
            throw;
        }

        KObjList* packages = nullptr;
        try {
            packages = new KObjList();
            packages->AddTail(package);
        } catch (...) {
            delete packages;
            delete package;
            throw;
        }
        if (m_packagePinMaps) {
            while (!m_packagePinMaps->IsEmpty())
                delete m_packagePinMaps->RemoveTail();
            delete m_packagePinMaps;
        }
        m_packagePinMaps = packages;
        return BSDL_OK;
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    }
}
