// One boundary-scan register cell; its vocabulary (cell types and
// functions) is told by CellVocabularyInternal.h.
#include "model/KBScanCell.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "model/CellVocabularyInternal.h"
#include "model/PinMapAccessInternal.h"
#include "model/PinMapIndex.h"

namespace {

using cell_vocabulary::UpperCasedFunction;

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
    if (field.size() == length && bscan_util::EqualBytes(field.data(), name, length)) {
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
            m_owner->CellNameChanged(this, pinName, false);
        }
        if (m_originalPinName != originalPinName) {
            m_owner->CellNameChanged(this, originalPinName, true);
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
        m_cellType = ConvertCellTypeToEnum(text);
    }
}

// The first of BC_0..BC_7 equal to the whole text, letter case aside; any
// other text (surrounding blanks included) is no known type.
CellType KBScanCell::ConvertCellTypeToEnum(const char* text) const
{
    return text != nullptr ? cell_vocabulary::CellTypeNamed(text, std::strlen(text))
                           : CELL_TYPE_NONE;
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
        PinMapAccess::SetCellPinName(*this, name, std::strlen(name));
    }
}

void PinMapAccess::SetCellPinName(KBScanCell& cell, const char* name, size_t length)
{
    std::string oldName;
    if (ReplaceName(cell.m_pinName, name, length,
                    cell.m_owner != nullptr && cell.m_owner->FilesCellNames(), oldName)) {
        cell.m_owner->CellNameChanged(&cell, oldName, false);
    }
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
        m_owner->CellNameChanged(this, oldName, true);
    }
}
