// One port of the device (a scalar port or one element of a vector port)
// and the propagation of a logic value into its boundary cells.
#include "model/KPinNode.h"

#include <cstring>
#include <new>

#include "model/PinMapIndex.h"

namespace {

// Private heap copy of a text; null for a null text or when memory is short.
char* CopyText(const char* text)
{
    if (text == nullptr) {
        return nullptr;
    }
    size_t size = std::strlen(text) + 1;
    char* copy = new (std::nothrow) char[size];
    if (copy != nullptr) {
        std::memcpy(copy, text, size);
    }
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

// Own copy of a cell list (same cell pointers); null for no list or when
// memory is short.
KObjList* CopyList(const KObjList* list)
{
    if (list == nullptr) {
        return nullptr;
    }
    try {
        return new KObjList(*list);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// The roles the cells of a port play, found by walking its list in order:
// the first input-type cell, the first output-type cell and the control cell
// of the last output-type cell (which may name none). When observe-only
// cells count, the walk ends at the first one, returned as observe.
struct CellRoles {
    KBScanCell* input = nullptr;
    KBScanCell* output = nullptr;
    KBScanCell* control = nullptr;
    KBScanCell* observe = nullptr;
};

CellRoles FindRoles(const KObjList& cells, bool observeCounts)
{
    CellRoles roles;
    const int count = cells.GetCount();
    for (int i = 0; i < count; ++i) {
        KBScanCell* cell = static_cast<KBScanCell*>(cells.GetAt(i));
        const CellFunction function = cell->GetFunction();
        const bool input = function == FUNC_INPUT || function == FUNC_BIDIR_IN ||
                           function == FUNC_BIDIR;
        const bool output = function == FUNC_OUTPUT2 || function == FUNC_OUTPUT3 ||
                            function == FUNC_BIDIR_OUT || function == FUNC_BIDIR;
        if (input && roles.input == nullptr) {
            roles.input = cell;
        }
        if (output) {
            if (roles.output == nullptr) {
                roles.output = cell;
            }
            roles.control = cell->GetControlCell();
        }
        if (function == FUNC_OBSERVE_ONLY && observeCounts) {
            roles.observe = cell;
            break;
        }
    }
    return roles;
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

// The copy gets its own texts and its own list of the same cells; it
// belongs to no pin map.
KPinNode::KPinNode(const KPinNode& other)
    : KObject(other),
      m_vectorIndex(other.m_vectorIndex),
      m_pinNumber(other.m_pinNumber),
      m_portName(CopyText(other.m_portName)),
      m_pinName(CopyText(other.m_pinName)),
      m_portType(other.m_portType),
      m_portValue(other.m_portValue),
      m_bscanCells(CopyList(other.m_bscanCells)),
      m_positive(other.m_positive),
      m_negative(other.m_negative)
{
}

// Copies every field but the pin map membership (m_owner, m_listPosition):
// a node of a pin map stays in it, and the map's index hears of the new
// port name, pin name and pin number.
KPinNode& KPinNode::operator=(const KPinNode& other)
{
    if (this == &other) {
        return *this;
    }
    char* portName = CopyText(other.m_portName);
    char* pinName = CopyText(other.m_pinName);
    KObjList* cells = CopyList(other.m_bscanCells);
    if ((other.m_portName != nullptr && portName == nullptr) ||
        (other.m_pinName != nullptr && pinName == nullptr) ||
        (other.m_bscanCells != nullptr && cells == nullptr)) {
        // Out of memory: the node stays as it was.
        delete[] portName;
        delete[] pinName;
        delete cells;
        return *this;
    }

    KObject::operator=(other);
    char* oldPortName = m_portName;
    char* oldPinName = m_pinName;
    int oldPinNumber = m_pinNumber;
    delete m_bscanCells;

    m_vectorIndex = other.m_vectorIndex;
    m_pinNumber = other.m_pinNumber;
    m_portName = portName;
    m_pinName = pinName;
    m_portType = other.m_portType;
    m_portValue = other.m_portValue;
    m_bscanCells = cells;
    m_positive = other.m_positive;
    m_negative = other.m_negative;

    if (m_owner != nullptr) {
        // The name buffers are new and the vector index may differ even
        // when every text stays the same, so the index always re-files.
        m_owner->PortNameChanged(this, oldPortName);
        if (!SameText(m_pinName, oldPinName)) {
            m_owner->PinNameChanged(this, oldPinName);
        }
        if (m_pinNumber != oldPinNumber) {
            m_owner->PinNumberChanged(this, oldPinNumber);
        }
    }
    delete[] oldPortName;
    delete[] oldPinName;
    return *this;
}

KPinNode::~KPinNode()
{
    delete[] m_portName;
    delete[] m_pinName;
    delete m_bscanCells;  // the list only; the cells belong to the pin map
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
    char* copy = CopyText(name);
    if (copy == nullptr) {
        return;  // out of memory: the old name stays
    }
    char* oldName = m_portName;
    m_portName = copy;
    if (m_owner != nullptr) {
        // Even the same text lives in a new buffer, which the index follows.
        m_owner->PortNameChanged(this, oldName);
    }
    delete[] oldName;
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
    char* copy = CopyText(name);
    if (copy == nullptr) {
        return;  // out of memory: the old name stays
    }
    char* oldName = m_pinName;
    m_pinName = copy;
    if (m_owner != nullptr && !SameText(m_pinName, oldName)) {
        m_owner->PinNameChanged(this, oldName);
    }
    delete[] oldName;
}

int KPinNode::GetPinNumber() const
{
    return m_pinNumber;
}

void KPinNode::SetPinNumber(int number)
{
    int oldNumber = m_pinNumber;
    m_pinNumber = number;
    if (m_owner != nullptr && number != oldNumber) {
        m_owner->PinNumberChanged(this, oldNumber);
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
    if (text == nullptr) {
        return;
    }
    if (std::strcmp(text, "in") == 0) {
        m_portType = PORT_IN;
    } else if (std::strcmp(text, "out") == 0) {
        m_portType = PORT_OUT;
    } else if (std::strcmp(text, "inout") == 0) {
        m_portType = PORT_INOUT;
    } else if (std::strcmp(text, "buffer") == 0) {
        m_portType = PORT_BUFFER;
    }
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
    bool admitted = false;
    switch (m_portType) {
    case PORT_IN:
        admitted = cell->m_function == FUNC_INPUT || cell->m_function == FUNC_CLOCK ||
                   cell->m_function == FUNC_OBSERVE_ONLY;
        break;
    case PORT_OUT:
        admitted = cell->m_function == FUNC_OUTPUT2 || cell->m_function == FUNC_OUTPUT3;
        break;
    case PORT_INOUT:
        admitted = cell->m_function == FUNC_INPUT || cell->m_function == FUNC_OUTPUT2 ||
                   cell->m_function == FUNC_OUTPUT3 || cell->m_function == FUNC_BIDIR ||
                   cell->m_function == FUNC_BIDIR_IN || cell->m_function == FUNC_BIDIR_OUT ||
                   cell->m_function == FUNC_OBSERVE_ONLY;
        break;
    case PORT_BUFFER:
        admitted = cell->m_function == FUNC_OUTPUT2;
        break;
    case PORT_NONE:
        break;
    }
    if (!admitted) {
        return -1;
    }
    try {
        if (m_bscanCells == nullptr) {
            m_bscanCells = new KObjList();
        }
        m_bscanCells->AddTail(cell);
    } catch (const std::bad_alloc&) {
        return -1;  // out of memory: the cell is not associated
    }
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

// Drives the value into the port's input cell. An observe-only cell met in
// the scan takes the value instead, and nothing else changes. On an inout
// port the output driver is then switched off: the control cell takes the
// output cell's disable value, and a separate output cell takes the level
// the pin settles at while disabled.
int KPinNode::SetInput(eSignal value)
{
    if (m_bscanCells == nullptr || m_bscanCells->IsEmpty()) {
        return -1;
    }
    const CellRoles roles = FindRoles(*m_bscanCells, true);
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
    const CellRoles roles = FindRoles(*m_bscanCells, false);
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
