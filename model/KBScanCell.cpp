// One boundary-scan register cell, and the conversions of the BSDL cell
// vocabulary (cell types BC_0..BC_7 and the cell functions) to enumerators.
#include "model/KBScanCell.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "model/PinMapIndex.h"
#include "util/Platform.h"

#if defined(__GNUC__) || defined(__clang__)
#define BSCAN_CELL_INLINE inline __attribute__((always_inline))
#else
#define BSCAN_CELL_INLINE inline
#endif

namespace {

using bscan_platform::UpperCasedWord;

// Converts a-z to A-Z in place in the `length` bytes at `text`; every
// other byte stays. Eight bytes are taken at a time, the last ones in a
// load that overlaps bytes already done (which upper-casing leaves as they
// are); a word is written back only when it changed.
BSCAN_CELL_INLINE void UpperCaseInPlace(char* text, size_t length)
{
    if (length >= 8) {
        char* last = text + length - 8;
        for (char* at = text;; at += 8) {
            if (at > last) {
                at = last;
            }
            std::uint64_t word;
            std::memcpy(&word, at, 8);
            std::uint64_t upper = UpperCasedWord(word);
            if (upper != word) {
                std::memcpy(at, &upper, 8);
            }
            if (at == last) {
                return;
            }
        }
    }
    if (length >= 4) {
        std::uint32_t first;
        std::uint32_t second;
        std::memcpy(&first, text, 4);
        std::memcpy(&second, text + length - 4, 4);
        std::uint64_t word = first | static_cast<std::uint64_t>(second) << 32;
        std::uint64_t upper = UpperCasedWord(word);
        if (upper != word) {
            first = static_cast<std::uint32_t>(upper);
            second = static_cast<std::uint32_t>(upper >> 32);
            std::memcpy(text, &first, 4);
            std::memcpy(text + length - 4, &second, 4);
        }
        return;
    }
    for (size_t i = 0; i < length; ++i) {
        if (text[i] >= 'a' && text[i] <= 'z') {
            text[i] = static_cast<char>(text[i] - 'a' + 'A');
        }
    }
}

// A-Z to a-z; every other byte stays.
char LowerCased(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when the `length` bytes at `text` are `name` (a literal of that
// length): a comparison the compiler turns into a few word compares.
template <size_t N>
bool Is(const char* text, const char (&name)[N])
{
    return std::memcmp(text, name, N - 1) == 0;
}

// The cell function whose upper-case name is the text of `length` bytes;
// FUNC_NONE for any other text.
BSCAN_CELL_INLINE CellFunction FunctionNamed(const char* text, size_t length)
{
    switch (length) {
    case 5:
        return Is(text, "INPUT")   ? FUNC_INPUT
               : Is(text, "CLOCK") ? FUNC_CLOCK
               : Is(text, "BIDIR") ? FUNC_BIDIR
                                   : FUNC_NONE;
    case 7:
        return Is(text, "OUTPUT2")   ? FUNC_OUTPUT2
               : Is(text, "OUTPUT3") ? FUNC_OUTPUT3
               : Is(text, "CONTROL") ? FUNC_CONTROL
                                     : FUNC_NONE;
    case 8:
        return Is(text, "CONTROLR")   ? FUNC_CONTROLR
               : Is(text, "INTERNAL") ? FUNC_INTERNAL
               : Is(text, "BIDIR_IN") ? FUNC_BIDIR_IN
                                      : FUNC_NONE;
    case 9:
        return Is(text, "BIDIR_OUT") ? FUNC_BIDIR_OUT : FUNC_NONE;
    case 12:
        return Is(text, "OBSERVE_ONLY") ? FUNC_OBSERVE_ONLY : FUNC_NONE;
    default:
        return FUNC_NONE;
    }
}

// The first four and the last four of the 4 to 8 bytes at `text` (which
// overlap for fewer than eight) as one number, as UpperCaseInPlace takes
// such a text: a function name of that length is told by it at once.
inline std::uint64_t ShortTextWord(const char* text, size_t length)
{
    std::uint32_t first;
    std::uint32_t second;
    std::memcpy(&first, text, 4);
    std::memcpy(&second, text + length - 4, 4);
    return first | static_cast<std::uint64_t>(second) << 32;
}

template <size_t N>
inline std::uint64_t NameWord(const char (&name)[N])
{
    return ShortTextWord(name, N - 1);
}

// Upper-cases the function text of `length` bytes in place and returns the
// function whose name it then is (FUNC_NONE for any other text). A text of
// 4 to 8 bytes, every name but two, is upper-cased as one number and told
// by that number, without reading back the bytes just written.
BSCAN_CELL_INLINE CellFunction UpperCasedFunction(char* text, size_t length)
{
    if (length < 4 || length > 8) {
        UpperCaseInPlace(text, length);
        return FunctionNamed(text, length);
    }
    const std::uint64_t word = ShortTextWord(text, length);
    const std::uint64_t upper = UpperCasedWord(word);
    if (upper != word) {
        const std::uint32_t first = static_cast<std::uint32_t>(upper);
        const std::uint32_t second = static_cast<std::uint32_t>(upper >> 32);
        std::memcpy(text, &first, 4);
        std::memcpy(text + length - 4, &second, 4);
    }
    switch (length) {
    case 5:
        return upper == NameWord("INPUT")   ? FUNC_INPUT
               : upper == NameWord("CLOCK") ? FUNC_CLOCK
               : upper == NameWord("BIDIR") ? FUNC_BIDIR
                                            : FUNC_NONE;
    case 7:
        return upper == NameWord("OUTPUT2")   ? FUNC_OUTPUT2
               : upper == NameWord("OUTPUT3") ? FUNC_OUTPUT3
               : upper == NameWord("CONTROL") ? FUNC_CONTROL
                                              : FUNC_NONE;
    case 8:
        return upper == NameWord("CONTROLR")   ? FUNC_CONTROLR
               : upper == NameWord("INTERNAL") ? FUNC_INTERNAL
               : upper == NameWord("BIDIR_IN") ? FUNC_BIDIR_IN
                                               : FUNC_NONE;
    default:
        return FUNC_NONE;
    }
}

static_assert(CELL_BC_7 - CELL_BC_0 == 7 && CELL_TYPE_NONE == CELL_BC_7 + 1,
              "BC_0..BC_7 numbered in order");
static_assert(FUNC_OBSERVE_ONLY == 10 && FUNC_NONE == 11, "eleven cell functions");

// Replaces `field` with `name` of `length` bytes (the same text changes
// nothing; out of memory leaves the old text). Returns true when the text
// changed and `report` asks for the previous text, which is then left in
// `oldName`.
bool ReplaceName(std::string& field, const char* name, size_t length, bool report,
                 std::string& oldName)
{
    if (field.size() == length && IndexEqualBytes(field.data(), name, length)) {
        return false;
    }
    try {
        if (!report) {
            if (field.empty()) {
                field.append(name, length);  // the usual case, and cheaper than assign
            } else {
                field.assign(name, length);
            }
            return false;
        }
        std::string newName(name, length);
        oldName.swap(field);
        field.swap(newName);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// The cell type a text names (see ConvertCellTypeToEnum), for the setter
// as well.
CellType CellTypeNamed(const char* text)
{
    if (text == nullptr) {
        return CELL_TYPE_NONE;
    }
    // The names differ in their last character only: "bc_" in any case
    // and one digit 0 to 7, nothing more.
    if (LowerCased(text[0]) == 'b' && LowerCased(text[1]) == 'c' && text[2] == '_' &&
        text[3] >= '0' && text[3] <= '7' && text[4] == '\0') {
        return static_cast<CellType>(CELL_BC_0 + (text[3] - '0'));
    }
    return CELL_TYPE_NONE;
}

// CellTypeNamed for a text of `length` bytes, measured by the caller.
BSCAN_CELL_INLINE CellType CellTypeNamed(const char* text, size_t length)
{
    // The four bytes are tested as one word: setting the case bit of the
    // first two turns 'B' into 'b' and 'C' into 'c' and no other byte into
    // either, and the digits '0' to '7' are the bytes 0x30 to 0x37, which
    // keep 0x30 once their low three bits are cleared. The byte patterns are
    // laid out in memory order, so the test holds whatever the byte order.
    if (length != 4) {
        return CELL_TYPE_NONE;
    }
    static const unsigned char kCaseBits[4] = {0x20, 0x20, 0x00, 0x00};
    static const unsigned char kMask[4] = {0xFF, 0xFF, 0xFF, 0xF8};
    static const unsigned char kWanted[4] = {'b', 'c', '_', '0'};
    std::uint32_t word;
    std::uint32_t caseBits;
    std::uint32_t mask;
    std::uint32_t wanted;
    std::memcpy(&word, text, 4);
    std::memcpy(&caseBits, kCaseBits, 4);
    std::memcpy(&mask, kMask, 4);
    std::memcpy(&wanted, kWanted, 4);
    if (((word | caseBits) & mask) == wanted) {
        return static_cast<CellType>(CELL_BC_0 + (text[3] - '0'));
    }
    return CELL_TYPE_NONE;
}

}  // namespace

KBScanCell::KBScanCell()
    : m_safeValue(SIGNAL_X),
      m_disableValue(SIGNAL_HIGH),
      m_disableResult(SIGNAL_Z),
      m_value(SIGNAL_X),
      m_boundaryCellPosition(-1),
      m_cellType(CELL_TYPE_NONE),
      m_pinNode(nullptr),
      m_function(FUNC_NONE),
      m_controlCell(nullptr)
{
}

// The copy serves the same port and has the same control cell; it belongs
// to no table until its owner says so.
KBScanCell::KBScanCell(const KBScanCell& other)
    : KObject(other),
      m_safeValue(other.m_safeValue),
      m_disableValue(other.m_disableValue),
      m_disableResult(other.m_disableResult),
      m_value(other.m_value),
      m_boundaryCellPosition(other.m_boundaryCellPosition),
      m_cellType(other.m_cellType),
      m_pinNode(other.m_pinNode),
      m_function(other.m_function),
      m_controlCell(other.m_controlCell)
{
    try {
        m_pinName = other.m_pinName;
        m_originalPinName = other.m_originalPinName;
    } catch (const std::bad_alloc&) {
        // Out of memory: the copy keeps empty names.
        m_pinName.clear();
        m_originalPinName.clear();
    }
}

// Copies everything but m_owner: the cell stays in the table it sits in,
// and that table's index hears of the name changes.
KBScanCell& KBScanCell::operator=(const KBScanCell& other)
{
    if (this == &other) {
        return *this;
    }
    std::string pinName;
    std::string originalPinName;
    try {
        pinName = other.m_pinName;
        originalPinName = other.m_originalPinName;
    } catch (const std::bad_alloc&) {
        return *this;  // out of memory: the cell stays as it was
    }

    KObject::operator=(other);
    m_safeValue = other.m_safeValue;
    m_disableValue = other.m_disableValue;
    m_disableResult = other.m_disableResult;
    m_value = other.m_value;
    m_boundaryCellPosition = other.m_boundaryCellPosition;
    m_cellType = other.m_cellType;
    m_pinNode = other.m_pinNode;
    m_function = other.m_function;
    m_controlCell = other.m_controlCell;

    // After the swaps the locals hold the old names.
    m_pinName.swap(pinName);
    m_originalPinName.swap(originalPinName);
    if (m_owner != nullptr) {
        if (m_pinName != pinName) {
            m_owner->CellPinNameChanged(this, pinName);
        }
        if (m_originalPinName != originalPinName) {
            m_owner->CellOriginalNameChanged(this, originalPinName);
        }
    }
    return *this;
}

KBScanCell::~KBScanCell() = default;

int KBScanCell::GetBoundaryCellPosition() const
{
    return m_boundaryCellPosition;
}

void KBScanCell::SetBoundaryCellPosition(int position)
{
    m_boundaryCellPosition = position;
}

CellType KBScanCell::GetBScanCellType() const
{
    return m_cellType;
}

void KBScanCell::SetCellType(CellType type)
{
    m_cellType = type;
}

void KBScanCell::SetCellType(char* text)
{
    if (text != nullptr) {
        m_cellType = CellTypeNamed(text);
    }
}

// The first of BC_0..BC_7 equal to the whole text, letter case aside; any
// other text (surrounding blanks included) is no known type.
CellType KBScanCell::ConvertCellTypeToEnum(const char* text) const
{
    return CellTypeNamed(text);
}

const KPinNode* KBScanCell::GetPinNode() const
{
    return m_pinNode;
}

void KBScanCell::SetPinNode(KPinNode* node)
{
    m_pinNode = node;
}

CellFunction KBScanCell::GetFunction() const
{
    return m_function;
}

void KBScanCell::SetFunction(CellFunction function)
{
    m_function = function;
}

// The caller's text is upper-cased in place first; then only a whole,
// equal function name sets the function (BIDIR_IN is not BIDIR).
void KBScanCell::SetFunction(char* text)
{
    if (text == nullptr) {
        return;
    }
    // The names are upper case, as the text is then.
    CellFunction function = UpperCasedFunction(text, std::strlen(text));
    if (function != FUNC_NONE) {
        m_function = function;
    }
}

KBScanCell* KBScanCell::GetControlCell() const
{
    return m_controlCell;
}

void KBScanCell::SetControlCell(KBScanCell* cell)
{
    m_controlCell = cell;
}

const char* KBScanCell::GetPinName() const
{
    return m_pinName.c_str();
}

void KBScanCell::SetPinName(const char* name)
{
    if (name != nullptr) {
        SetPinName(name, std::strlen(name));
    }
}

void KBScanCell::SetPinName(const char* name, size_t length)
{
    if (m_owner == nullptr || !m_owner->FilesCellNames()) {
        // No index to tell: the text is replaced unless it is the same.
        if (m_pinName.size() == length && IndexEqualBytes(m_pinName.data(), name, length)) {
            return;
        }
        try {
            if (m_pinName.empty()) {
                m_pinName.append(name, length);  // the usual case, and cheaper than assign
            } else {
                m_pinName.assign(name, length);
            }
        } catch (const std::bad_alloc&) {
            // out of memory: the old text stays
        }
        return;
    }
    std::string oldName;
    if (ReplaceName(m_pinName, name, length, m_owner != nullptr && m_owner->FilesCellNames(),
                    oldName)) {
        m_owner->CellPinNameChanged(this, oldName);
    }
}

void KBScanCell::StoreEntryTexts(const char* cellType, size_t cellTypeLength, char* function,
                                 size_t functionLength, const char* originalName,
                                 const char* pinName, size_t pinNameLength)
{
    if (cellType != nullptr) {
        m_cellType = CellTypeNamed(cellType, cellTypeLength);
    }
    if (function != nullptr) {
        const CellFunction named = UpperCasedFunction(function, functionLength);
        if (named != FUNC_NONE) {
            m_function = named;
        }
    }
    // A cell without a comment name is given the empty text again: nothing
    // to do. A cell that has no comment name yet and no index to tell (the
    // usual case while a file is read) is given its name here, as
    // SetOriginalPinName would.
    if (originalName != nullptr && (originalName[0] != '\0' || !m_originalPinName.empty())) {
        if (m_originalPinName.empty() && (m_owner == nullptr || !m_owner->FilesCellNames())) {
            try {
                m_originalPinName.append(originalName, std::strlen(originalName));
            } catch (const std::bad_alloc&) {
                // out of memory: the cell stays without a comment name
            }
        } else {
            SetOriginalPinName(originalName);
        }
    }
    if (m_pinName.empty() && (m_owner == nullptr || !m_owner->FilesCellNames())) {
        // The usual case while a file is read: a cell that has no pin name
        // yet and no index to tell, given its name here (as SetPinName would).
        if (pinNameLength != 0) {
            try {
                m_pinName.append(pinName, pinNameLength);
            } catch (const std::bad_alloc&) {
                // out of memory: the cell stays without a pin name
            }
        }
        return;
    }
    SetPinName(pinName, pinNameLength);
}

const char* KBScanCell::GetOriginalPinName() const
{
    return m_originalPinName.c_str();
}

void KBScanCell::SetOriginalPinName(const char* name)
{
    if (name == nullptr || (name[0] == '\0' && m_originalPinName.empty())) {
        return;  // no text, or the empty text again (a cell without a comment name)
    }
    std::string oldName;
    if (ReplaceName(m_originalPinName, name, std::strlen(name),
                    m_owner != nullptr && m_owner->FilesCellNames(), oldName)) {
        m_owner->CellOriginalNameChanged(this, oldName);
    }
}
