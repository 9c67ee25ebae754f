// The package database: a pre-pass over the BSDL file, on a stream of its
// own, that lists the pins of a grid package (A1, B12, AA3) in a fixed
// order; a pin's number is its position in that list, from 1.
//
// Only the file's first constant of type PIN_MAP_STRING is read; its name,
// in lower case, is the package's name. When its first pin holds no letter
// the package is numbered and no list is built. Otherwise every pin is
// split into its letters and the value of its digits (other characters
// dropped, kept as an unsigned 16-bit number), equal pairs are kept once,
// and the pairs are sorted by number (larger first), then by the length of
// the letters (shorter first), then by their bytes; the list holds them as
// letters followed by the number (VCC stands as VCC0).
//
// m_pinNameParts is emptied at the start of every pre-pass; the package
// list is replaced only when a new package has been built.
#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "parser/BScanParser.h"
#include "parser/PackagePinMap.h"
#include "parser/PinMapStringInternal.h"
#include "parser/ReaderTextInternal.h"
#include "parser/StatementReaderInternal.h"
#include "util/AsciiCaseInternal.h"
#include "util/CharClassInternal.h"
#include "util/CompilerInternal.h"

// --- PackagePinMap --------------------------------------------------------

void PackagePinMap::ReserveShortNames(size_t count)
{
    m_shortNames.clear();
    m_shortNames.Reserve(count);
    m_short = true;
    m_count = 0;
}

namespace {

// The decimal digits of a pin's number, written at `out` (room for five);
// returns how many.
size_t WriteNumber(char* out, uint16_t number)
{
    return static_cast<size_t>(std::to_chars(out, out + 5, number).ptr - out);
}

}  // namespace

void PackagePinMap::AddGridPins(const std::vector<std::pair<std::string, uint16_t>>& parts)
{
    m_named.Reserve(parts.size());
    std::string name;
    for (const auto& pin : parts) {
        char digits[5];
        name.assign(pin.first).append(digits, WriteNumber(digits, pin.second));
        ++m_count;
        // A name filed before keeps its first position.
        auto* entry = m_named.Insert(name.data(), name.size());
        if (entry->second == 0)
            entry->second = m_count;
    }
}

int PackagePinMap::FindNamedPin(const char* pin, size_t length) const
{
    const auto* entry = m_named.find(pin, length);
    return entry != nullptr ? entry->second : 0;
}

// --- the pre-pass ---------------------------------------------------------

namespace {

using bscan_util::IsDigit;
using bscan_util::IsLetter;

// The pin's letters and the value of its digits.
std::pair<std::string, uint16_t> SplitPinName(std::string_view pin)
{
    std::pair<std::string, uint16_t> parts;
    for (char c : pin) {
        if (IsLetter(c))
            parts.first.push_back(c);
        else if (IsDigit(c))
            parts.second = static_cast<uint16_t>(parts.second * 10 + (c - '0'));
    }
    return parts;
}

// Larger numbers first, then shorter letters, then by the letters' bytes.
bool ComesBefore(const std::pair<std::string, uint16_t>& a, const std::pair<std::string, uint16_t>& b)
{
    return std::make_tuple(b.second, a.first.size(), std::cref(a.first)) <
           std::make_tuple(a.second, b.first.size(), std::cref(b.first));
}

// A pin of at most three letters as one 64-bit integer that orders it as
// ComesBefore does: the number reversed (bits 48 to 63), the length of the
// letters (bits 40 to 47), then their bytes (bits 32 to 39, 24 to 31, 16
// to 23, unused ones zero). Equal pairs get equal keys. False, with no key,
// when the pin has more than three letters.
BSCAN_ALWAYS_INLINE inline bool PackPinName(std::string_view pin, uint64_t& key)
{
    unsigned count = 0;
    uint64_t letters = 0;
    // The number is kept modulo 2^32 and cut to its low 16 bits at the end,
    // which gives the same as keeping it modulo 2^16 throughout.
    unsigned number = 0;
    for (const char c : pin) {
        if (IsLetter(c)) {
            if (count == 3)
                return false;
            letters |= static_cast<uint64_t>(static_cast<unsigned char>(c)) << (32 - 8 * count);
            ++count;
        } else if (IsDigit(c)) {
            number = number * 10 + static_cast<unsigned>(c - '0');
        }
    }
    key = static_cast<uint64_t>(0xFFFF - (number & 0xFFFF)) << 48 | static_cast<uint64_t>(count) << 40 | letters;
    return true;
}

// The pair a sorted packed pin stands for, appended to `parts`.
inline void AppendPinNamePart(uint64_t key, std::vector<std::pair<std::string, uint16_t>>& parts)
{
    std::pair<std::string, uint16_t>& part = parts.emplace_back();
    part.second = static_cast<uint16_t>(0xFFFF - (key >> 48));
    // One to three letters (none only for a pin of digits alone, which
    // the first pin never is but a later one may be).
    const unsigned count = static_cast<unsigned>(key >> 40) & 0xFF;
    if (count == 0)
        return;
    part.first.push_back(static_cast<char>(key >> 32));
    if (count == 1)
        return;
    part.first.push_back(static_cast<char>(key >> 24));
    if (count == 3)
        part.first.push_back(static_cast<char>(key >> 16));
}

// Appends the pairs the sorted packed pins stand for to `parts` (with room
// for them) and files each in `package` as a short name, in one pass that
// allocates nothing; a number's digits are written once for all its pins.
BSCAN_NOINLINE
void ListAndFileShortPins(const std::vector<uint64_t>& keys, std::vector<std::pair<std::string, uint16_t>>& parts,
                          PackagePinMap& package)
{
    unsigned lastTop = 0x10000;                    // no number's
    uint64_t digits = 0;                           // the number's digits, the first in bits 0 to 7
    for (uint64_t key : keys) {
        AppendPinNamePart(key, parts);
        const unsigned top = static_cast<unsigned>(key >> 48);
        if (top != lastTop) {
            lastTop = top;
            char text[5];
            digits = PackagePinMap::ShortName(text, WriteNumber(text, static_cast<uint16_t>(0xFFFF - top)));
        }
        const unsigned letters = static_cast<unsigned>(key >> 40) & 0xFF;
        const uint64_t name = (key >> 32 & 0xFF) | (key >> 16 & 0xFF00) | (key & 0xFF0000);
        package.FileShortName(name | digits << (8 * letters));
    }
}

// True when the prepared line of a read begins with "constant".
bool BeginsWithConstant(const char* raw, size_t end)
{
    size_t start = 0;
    while (start < end && bscan_util::IsSpace(raw[start]))
        ++start;
    return std::string_view(raw + start, end - start).substr(0, 8) == "constant";
}

}  // namespace

int BScanParser::ReadPackageDB(char* path)
{
    m_pinNameParts.clear();
    if (!path)
        return BSDL_ERR_PACKAGE_FILE;
    std::unique_ptr<FILE, int (*)(FILE*)> stream(std::fopen(path, "r"), std::fclose);
    if (!stream)
        return BSDL_ERR_PACKAGE_FILE;
    // Nobody else reads this stream: it may be read in blocks.
    PhysicalLineSource source(stream.get());
    source.ReadAhead();

    try {
        KString ks;
        std::string line;
        std::string statement;
        std::string packageName;
        // The first constant of type PIN_MAP_STRING.
        for (;;) {
            const char* raw;
            size_t end;
            if (source.Read(raw, end) != BSDL_OK)
                return BSDL_OK;
            ++m_lineNumber;
            if (!BeginsWithConstant(raw, end))
                continue;
            PreparedLine prepared;
            PrepareRead(raw, end, prepared, nullptr);
            // A line that cannot be copied ends the search like a failed read.
            try {
                line.assign(prepared.text, prepared.length);
            } catch (const std::bad_alloc&) {
                return BSDL_OK;
            }
            statement = line;
            int completed = CompleteStatementWithText(source, m_lineNumber, statement, ":=");
            if (completed < 0)
                return completed;
            int type = ks.Find(statement, "PIN_MAP_STRING");
            if (type < 0)
                continue;
            packageName = bscan_text::Lower(WordFrom(statement, ks.Find(statement, ' '), " \n\t:"));
            if (WordFrom(statement, type, " \n\t:") == "PIN_MAP_STRING")
                break;
        }

        const std::string start = TextAfterFirstQuote(line);
        KByteBuffer buffer;
        int assembled = GatherStringValue(source, m_lineNumber, start.c_str(), &buffer, false);
        if (assembled < 0)
            return assembled;
        // The value as text (up to a NUL byte, were there one), read in place.
        const std::string_view value(buffer.GetText());

        // The first pin decides the kind of package. The accelerator packs
        // pins of at most three letters into integer keys; the first pin
        // with more sends the whole value to the reference.
        bool sawLetter = false;
        bool numbered = false;
        bool longLetters = false;
        std::vector<uint64_t> keys;
        WalkPinMapStringViews(value, [&](std::string_view, int, std::string_view pin) BSCAN_ALWAYS_INLINE {
            if (!sawLetter && std::none_of(pin.begin(), pin.end(), bscan_util::IsLetter)) {
                numbered = true;
                return false;
            }
            sawLetter = true;
            uint64_t key;
            if (!bscan_accelerate::On() || !PackPinName(pin, key)) {
                longLetters = true;
                return false;
            }
            keys.push_back(key);
            return true;
        });
        if (numbered || !sawLetter)
            return BSDL_OK;

        std::unique_ptr<PackagePinMap> package;
        if (!longLetters) {
            std::sort(keys.begin(), keys.end());
            keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
            // Room for the pairs and the package's table first, so that both
            // are filled in one pass.
            m_pinNameParts.reserve(m_pinNameParts.size() + keys.size());
            try {
                package.reset(new PackagePinMap());
                package->SetName(packageName);
                package->ReserveShortNames(keys.size());
            } catch (const std::bad_alloc&) {
                for (uint64_t key : keys)
                    AppendPinNamePart(key, m_pinNameParts);
                return BSDL_ERR_NO_MEMORY;
            }
            ListAndFileShortPins(keys, m_pinNameParts, *package);
        } else {
            WalkPinMapStringViews(value, [&](std::string_view, int, std::string_view pin) {
                m_pinNameParts.push_back(SplitPinName(pin));
                return true;
            });
            // Equal pairs sort next to each other; one of each is kept.
            std::sort(m_pinNameParts.begin(), m_pinNameParts.end(), ComesBefore);
            m_pinNameParts.erase(std::unique(m_pinNameParts.begin(), m_pinNameParts.end()),
                                 m_pinNameParts.end());
            package.reset(new PackagePinMap());
            package->SetName(packageName);
            package->AddGridPins(m_pinNameParts);
        }

        auto packages = std::make_unique<KObjList>();
        packages->AddTail(package.get());
        package.release();
        DeletePackages(m_packagePinMaps);
        m_packagePinMaps = packages.release();
        return BSDL_OK;
    } catch (const std::bad_alloc&) {
        return BSDL_ERR_NO_MEMORY;
    }
}
