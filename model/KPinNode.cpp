// One port of the device (a scalar port or one element of a vector port)
// and the propagation of a logic value into its boundary cells.
#include "model/KPinNode.h"

#include <cstdint>
#include <cstring>
#include <new>

#include "model/CellRolesInternal.h"
#include "model/PinMapIndex.h"
#include "util/ShortBytesInternal.h"

namespace {

// The bytes a text takes with its terminating zero; 0 for no text.
size_t TextSize(const char* text)
{
    return text != nullptr ? std::strlen(text) + 1 : 0;
}

// A heap copy of a text of `size` bytes too long for a node's own buffer
// of `inlineSize` bytes; null for no text or a short one. `failed` tells
// of a copy that could not be made.
char* HeapCopyIfLong(const char* text, size_t size, size_t inlineSize, bool& failed)
{
    failed = false;
    if (text == nullptr || size <= inlineSize) {
        return nullptr;
    }
    char* copy = new (std::nothrow) char[size];
    if (copy == nullptr) {
        failed = true;
        return nullptr;
    }
    std::memcpy(copy, text, size);
    return copy;
}

bool SameText(const char* a, const char* b)
{
    if (a == nullptr || b == nullptr) {
        return a == b;
    }
    return std::strcmp(a, b) == 0;
}

// A cell holds a plain level: anything but SIGNAL_HIGH drives it low.
eSignal Level(eSignal value)
{
    return value == SIGNAL_HIGH ? SIGNAL_HIGH : SIGNAL_LOW;
}

}  // namespace

KPinNode::KPinNode()
    : m_vectorIndex(-1),
      m_pinNumber(-1),
      m_portName(nullptr),
      m_pinName(nullptr),
      m_portType(PORT_NONE),
      m_portValue(SIGNAL_X),
      m_bscanCells(nullptr),
      m_positive(false),
      m_negative(false)
{
}

// Points `field` at `text` of `size` bytes: at `heapCopy` when one was
// made for it, else at a copy in `buffer` (the text may lie in that very
// buffer). A null text leaves the field null. The caller frees the field's
// old heap text.
void KPinNode::StoreText(char*& field, char* buffer, const char* text, size_t size,
                         char* heapCopy)
{
    if (text == nullptr) {
        field = nullptr;
    } else if (heapCopy != nullptr) {
        field = heapCopy;
    } else {
        bscan_util::MoveShortBytes(buffer, text, size);
        field = buffer;
    }
}

// Empties the cell list; the node then has none, as before its first cell.
void KPinNode::DropCells()
{
    while (!m_cellList.IsEmpty()) {
        m_cellList.RemoveTail();
    }
    m_bscanCells = nullptr;
}

// The copy gets its own texts and its own list of the same cells; it
// belongs to no pin map. A text or list that memory does not suffice for
// stays unset in the copy.
KPinNode::KPinNode(const KPinNode& other)
    : KObject(other),
      m_vectorIndex(other.m_vectorIndex),
      m_pinNumber(other.m_pinNumber),
      m_portName(nullptr),
      m_pinName(nullptr),
      m_portType(other.m_portType),
      m_portValue(other.m_portValue),
      m_bscanCells(nullptr),
      m_positive(other.m_positive),
      m_negative(other.m_negative)
{
    bool failed = false;
    size_t portSize = TextSize(other.m_portName);
    char* portName = HeapCopyIfLong(other.m_portName, portSize, kInlineText, failed);
    if (!failed) {
        StoreText(m_portName, m_portNameText, other.m_portName, portSize, portName);
    }
    size_t pinSize = TextSize(other.m_pinName);
    char* pinName = HeapCopyIfLong(other.m_pinName, pinSize, kInlineText, failed);
    if (!failed) {
        StoreText(m_pinName, m_pinNameText, other.m_pinName, pinSize, pinName);
    }
    if (other.m_bscanCells != nullptr) {
        try {
            m_cellList = *other.m_bscanCells;
            m_bscanCells = &m_cellList;
        } catch (const std::bad_alloc&) {
            // out of memory: the copy has no cell list
        }
    }
}

// Copies every field but the pin map membership (m_owner, m_listPosition):
// a node of a pin map stays in it, and the map's index hears of the new
// port name, pin name and pin number.
KPinNode& KPinNode::operator=(const KPinNode& other)
{
    if (this == &other) {
        return *this;
    }
    bool portFailed = false;
    bool pinFailed = false;
    size_t portSize = TextSize(other.m_portName);
    size_t pinSize = TextSize(other.m_pinName);
    char* portName = HeapCopyIfLong(other.m_portName, portSize, kInlineText, portFailed);
    char* pinName = HeapCopyIfLong(other.m_pinName, pinSize, kInlineText, pinFailed);
    bool listFailed = false;
    if (!portFailed && !pinFailed && other.m_bscanCells != nullptr) {
        try {
            m_cellList = *other.m_bscanCells;  // the last step that may fail
        } catch (const std::bad_alloc&) {
            listFailed = true;
        }
    }
    if (portFailed || pinFailed || listFailed) {
        // Out of memory: the node stays as it was.
        delete[] portName;
        delete[] pinName;
        return *this;
    }

    KObject::operator=(other);
    char* oldPortHeap = m_portName != m_portNameText ? m_portName : nullptr;
    char* oldPinHeap = m_pinName != m_pinNameText ? m_pinName : nullptr;

    m_vectorIndex = other.m_vectorIndex;
    m_pinNumber = other.m_pinNumber;
    StoreText(m_portName, m_portNameText, other.m_portName, portSize, portName);
    StoreText(m_pinName, m_pinNameText, other.m_pinName, pinSize, pinName);
    m_portType = other.m_portType;
    m_portValue = other.m_portValue;
    if (other.m_bscanCells != nullptr) {
        m_bscanCells = &m_cellList;
    } else {
        DropCells();
    }
    m_positive = other.m_positive;
    m_negative = other.m_negative;

    if (m_owner != nullptr) {
        m_owner->NodeChanged(this);  // refiles whatever differs from what it filed
    }
    delete[] oldPortHeap;
    delete[] oldPinHeap;
    return *this;
}

KPinNode::~KPinNode()
{
    if (m_portName != m_portNameText) {
        delete[] m_portName;
    }
    if (m_pinName != m_pinNameText) {
        delete[] m_pinName;
    }
}

char* KPinNode::GetPortName() const
{
    return m_portName;
}

void KPinNode::SetPortName(char* name)
{
    if (name == nullptr) {
        return;
    }
    SetPortName(name, TextSize(name));
}

void KPinNode::SetPortName(char* name, size_t size)
{
    bool failed = false;
    char* copy = HeapCopyIfLong(name, size, kInlineText, failed);
    if (failed) {
        return;  // out of memory: the old name stays
    }
    char* oldHeap = m_portName != m_portNameText ? m_portName : nullptr;
    StoreText(m_portName, m_portNameText, name, size, copy);
    if (m_owner != nullptr) {
        // The index compares with what it filed, and follows the buffer.
        m_owner->NodeChanged(this);
    }
    delete[] oldHeap;
}

char* KPinNode::GetPinName() const
{
    return m_pinName;
}

void KPinNode::SetPinName(char* name)
{
    if (name == nullptr) {
        return;
    }
    bool failed = false;
    size_t size = TextSize(name);
    char* copy = HeapCopyIfLong(name, size, kInlineText, failed);
    if (failed) {
        return;  // out of memory: the old name stays
    }
    // Only an index that files pin names needs to hear of a change.
    const bool changed =
        m_owner != nullptr && m_owner->FilesPinNames() && !SameText(m_pinName, name);
    char* oldHeap = m_pinName != m_pinNameText ? m_pinName : nullptr;
    StoreText(m_pinName, m_pinNameText, name, size, copy);
    if (changed) {
        m_owner->NodeChanged(this);
    }
    delete[] oldHeap;
}

int KPinNode::GetPinNumber() const
{
    return m_pinNumber;
}

void KPinNode::SetPinNumber(int number)
{
    const bool changed = number != m_pinNumber;
    m_pinNumber = number;
    if (changed && m_owner != nullptr && m_owner->FilesPinNumbers()) {
        m_owner->NodeChanged(this);
    }
}

int KPinNode::GetVectorIndex() const
{
    return m_vectorIndex;
}

PortType KPinNode::GetPortType() const
{
    return m_portType;
}

// Only the exact lower-case mode words set a direction; any other text
// (linkage, or a word in capitals) leaves it as it was.
void KPinNode::SetPortType(char* text)
{
    m_portType = PortTypeNamed(text, m_portType);
}

PortType KPinNode::PortTypeNamed(const char* text, PortType current)
{
    if (text == nullptr) {
        return current;
    }
    if (std::strcmp(text, "in") == 0) {
        return PORT_IN;
    }
    if (std::strcmp(text, "out") == 0) {
        return PORT_OUT;
    }
    if (std::strcmp(text, "inout") == 0) {
        return PORT_INOUT;
    }
    return std::strcmp(text, "buffer") == 0 ? PORT_BUFFER : current;
}

eSignal KPinNode::GetPortValue() const
{
    return m_portValue;
}

void KPinNode::SetPortValue(eSignal value)
{
    m_portValue = value;
}

bool KPinNode::IsPositive() const
{
    return m_positive;
}

void KPinNode::SetPositive(bool positive)
{
    m_positive = positive;
}

bool KPinNode::IsNegative() const
{
    return m_negative;
}

void KPinNode::SetNegative(bool negative)
{
    m_negative = negative;
}

const KObjList* KPinNode::GetBScanCells() const
{
    return m_bscanCells;
}

// A port takes only the cells whose function suits its direction; control
// and internal cells belong to no port.
int KPinNode::AssociateBScanCell(KBScanCell* cell)
{
    if (cell == nullptr) {
        return -1;
    }
    // The functions each direction admits, by PortType, one bit per CellFunction.
    static const unsigned kAdmitted[] = {
        1u << FUNC_INPUT | 1u << FUNC_CLOCK | 1u << FUNC_OBSERVE_ONLY,
        1u << FUNC_OUTPUT2 | 1u << FUNC_OUTPUT3,
        1u << FUNC_INPUT | 1u << FUNC_OUTPUT2 | 1u << FUNC_OUTPUT3 | 1u << FUNC_BIDIR |
            1u << FUNC_BIDIR_IN | 1u << FUNC_BIDIR_OUT | 1u << FUNC_OBSERVE_ONLY,
        1u << FUNC_OUTPUT2,
        0u};
    const unsigned function = static_cast<unsigned>(cell->m_function);
    if (function >= 32 || (kAdmitted[m_portType] >> function & 1u) == 0) {
        return -1;
    }
    try {
        m_cellList.AddTail(cell);  // the first cells take no memory of their own
    } catch (const std::bad_alloc&) {
        return -1;  // out of memory: the cell is not associated
    }
    m_bscanCells = &m_cellList;
    return 0;
}

// Applies a value as input or as output, as far as the port's own
// direction allows; inout and unknown ports take either.
int KPinNode::SetBScanCell(PortType direction, eSignal value)
{
    if (direction != PORT_IN && direction != PORT_OUT) {
        return -1;
    }
    switch (m_portType) {
    case PORT_IN:
        return direction == PORT_IN ? SetInput(value) : -1;
    case PORT_OUT:
    case PORT_BUFFER:
        return direction == PORT_OUT ? SetOutput(value) : -1;
    case PORT_INOUT:
    case PORT_NONE:
        break;
    }
    return direction == PORT_IN ? SetInput(value) : SetOutput(value);
}

// Drives the value into the input cell (or, instead, an observe-only cell
// met first). On an inout port the driver is then switched off: the control
// cell takes the output cell's disable value, and a separate output cell
// the level the pin settles at while disabled.
int KPinNode::SetInput(eSignal value)
{
    if (m_bscanCells == nullptr || m_bscanCells->IsEmpty()) {
        return -1;
    }
    const PortCellRoles roles = SelectPortCellRoles(m_bscanCells, true);
    if (roles.observe != nullptr) {
        roles.observe->m_value = Level(value);
        return 0;
    }
    if (roles.input == nullptr) {
        return -1;
    }
    roles.input->m_value = Level(value);
    if (m_portType != PORT_INOUT) {
        return 0;
    }
    if (roles.control == nullptr || roles.output == nullptr) {
        return -1;  // the input cell keeps its new value
    }
    roles.control->m_value = roles.output->m_disableValue;
    if (roles.output == roles.input) {
        return 0;
    }
    const eSignal released = roles.output->m_disableResult;
    roles.output->m_value =
        (released == SIGNAL_PULL1 || released == SIGNAL_WEAK1) ? SIGNAL_HIGH : SIGNAL_LOW;
    return 0;
}

// Drives the value out through the port's output cell: the control cell
// (that of the last output-type cell in the list) switches the driver on,
// the output cell takes the value. Observe-only cells play no part.
int KPinNode::SetOutput(eSignal value)
{
    if (m_bscanCells == nullptr || m_bscanCells->IsEmpty()) {
        return -1;
    }
    const PortCellRoles roles = SelectPortCellRoles(m_bscanCells, false);
    if (roles.control == nullptr || roles.output == nullptr) {
        return -1;
    }
    roles.control->m_value =
        roles.output->m_disableValue == SIGNAL_LOW ? SIGNAL_HIGH : SIGNAL_LOW;
    roles.output->m_value = Level(value);
    if (m_portType == PORT_INOUT && roles.input == nullptr) {
        return -1;  // both cells keep their new values
    }
    return 0;
}
