// The pin map as a whole (construction, deep copy, destruction) and its
// port side: creating port nodes, the lookups by pin number, port name and
// pin name, the per-port queries, the serial assignment of pin names and
// numbers, the I/O names and the default directory. The cell table and the
// scan bit image are in BScanCellTable.cpp.
#include "model/BScanPinMap.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

#include "model/CellRolesInternal.h"
#include "model/PinMapAccessInternal.h"
#include "model/PinMapIndex.h"
#include "util/KUtilString.h"
#include "util/ShortBytesInternal.h"

namespace {

KBScanCell* CellAt(const KObjList* cells, int i)
{
    return static_cast<KBScanCell*>(cells->GetAt(i));
}

}  // namespace

// --- Construction, copying, destruction --------------------------------

BScanPinMap::BScanPinMap()
    : m_bscanBitArray(nullptr),
      m_pinList(new KObjList),
      m_bscanCellTable(nullptr),
      m_bscanLength(0),
      m_defaultDir(nullptr),
      m_index(nullptr),
      m_blockSize(0),
      m_blockUsed(0)
{
    try {
        m_index = new PinMapIndex(m_pinList);
    } catch (...) {
        delete m_pinList;
        throw;
    }
}

BScanPinMap::BScanPinMap(const BScanPinMap& other) : BScanPinMap()
{
    CopyFrom(other);
}

BScanPinMap& BScanPinMap::operator=(const BScanPinMap& other)
{
    if (this == &other) {
        return *this;
    }
    try {
        BScanPinMap copy;
        if (!copy.CopyFrom(other)) {
            return *this;  // out of memory: this map stays as it was
        }
        std::swap(m_bscanBitArray, copy.m_bscanBitArray);
        std::swap(m_pinList, copy.m_pinList);
        std::swap(m_bscanCellTable, copy.m_bscanCellTable);
        std::swap(m_bscanLength, copy.m_bscanLength);
        std::swap(m_defaultDir, copy.m_defaultDir);
        std::swap(m_ioNames, copy.m_ioNames);
        std::swap(m_index, copy.m_index);  // the index travels with its list and table
        std::swap(m_nodeBlocks, copy.m_nodeBlocks);
        std::swap(m_blockSize, copy.m_blockSize);
        std::swap(m_blockUsed, copy.m_blockUsed);
    } catch (const std::bad_alloc&) {
        // out of memory: this map stays as it was
    }
    return *this;
}

BScanPinMap::~BScanPinMap()
{
    Release();
    delete m_pinList;
    delete m_index;
}

// Frees everything but the (then empty) node list and the index object.
void BScanPinMap::Release()
{
    delete[] m_defaultDir;
    m_defaultDir = nullptr;
    delete[] m_bscanBitArray;
    m_bscanBitArray = nullptr;
    // Emptied at once (the blocks hold the nodes), keeping its array.
    *m_pinList = KObjList();
    for (KPinNode* block : m_nodeBlocks) {
        delete[] block;
    }
    m_nodeBlocks.clear();
    m_blockSize = 0;
    m_blockUsed = 0;
    delete[] m_bscanCellTable;
    m_bscanCellTable = nullptr;
    m_bscanLength = 0;
    m_ioNames.clear();
    m_index->TableReplaced(nullptr, 0);
    m_index->Rebuild();  // an empty list: nothing to allocate
}

// A default node for this map, taken from the last block or a new one;
// null when memory is short.
KPinNode* BScanPinMap::NewNode()
{
    if (m_nodeBlocks.empty() || m_blockUsed == m_blockSize) {
        // Blocks grow from a few nodes, so that a small device stays small.
        int size = m_nodeBlocks.empty() ? 16 : std::min(m_blockSize * 2, 1024);
        KPinNode* block = new (std::nothrow) KPinNode[static_cast<size_t>(size)];
        if (block == nullptr) {
            return nullptr;
        }
        try {
            m_nodeBlocks.push_back(block);
        } catch (const std::bad_alloc&) {
            delete[] block;
            return nullptr;
        }
        m_blockSize = size;
        m_blockUsed = 0;
    }
    return &m_nodeBlocks.back()[m_blockUsed++];
}

// Gives back the node NewNode returned last, which never joined the list,
// as a default node.
void BScanPinMap::ReturnNode(KPinNode* node)
{
    *node = KPinNode();  // a default node has nothing to copy: cannot fail
    --m_blockUsed;
}

// Makes this (empty) map a deep copy of `other`, whose pointers into itself
// become pointers into the copy; others are kept. Out of memory the map is
// left empty and the result is false.
bool BScanPinMap::CopyFrom(const BScanPinMap& other)
{
    try {
        if (other.m_defaultDir != nullptr) {
            m_defaultDir = util_strdup(other.m_defaultDir);
            if (m_defaultDir == nullptr) {
                throw std::bad_alloc();
            }
        }
        m_ioNames = other.m_ioNames;

        // Nodes, with their own texts and their own cell list objects.
        int count = other.m_pinList->GetCount();
        std::vector<KPinNode*> nodes(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            const KPinNode* source = static_cast<const KPinNode*>(other.m_pinList->GetAt(i));
            KPinNode* node = NewNode();
            if (node == nullptr) {
                throw std::bad_alloc();
            }
            *node = *source;
            if ((source->m_portName != nullptr && node->m_portName == nullptr) ||
                (source->m_pinName != nullptr && node->m_pinName == nullptr) ||
                (source->m_bscanCells != nullptr && node->m_bscanCells == nullptr)) {
                ReturnNode(node);
                throw std::bad_alloc();
            }
            try {
                m_pinList->AddTail(node);
            } catch (...) {
                ReturnNode(node);
                throw;
            }
            nodes[i] = node;
        }

        if (other.m_bscanCellTable != nullptr && other.m_bscanLength > 0) {
            int length = other.m_bscanLength;
            m_bscanCellTable = new KBScanCell[static_cast<size_t>(length)];
            m_bscanLength = length;
            for (int i = 0; i < length; ++i) {
                const KBScanCell& source = other.m_bscanCellTable[i];
                KBScanCell& cell = m_bscanCellTable[i];
                cell = source;
                if (cell.m_pinName != source.m_pinName ||
                    cell.m_originalPinName != source.m_originalPinName) {
                    throw std::bad_alloc();
                }
            }
        }
        if (other.m_bscanBitArray != nullptr) {
            size_t bytes = static_cast<size_t>((other.m_bscanLength + 7) / 8);
            m_bscanBitArray = new unsigned char[bytes];
            std::memcpy(m_bscanBitArray, other.m_bscanBitArray, bytes);
        }

        // Re-point what points into the source at the copy's own objects.
        std::less<const KBScanCell*> before;
        const KBScanCell* sourceTable = other.m_bscanCellTable;
        const KBScanCell* sourceEnd = sourceTable + other.m_bscanLength;
        auto ownCell = [&](KBScanCell* cell) -> KBScanCell* {
            if (sourceTable == nullptr || cell == nullptr || before(cell, sourceTable) ||
                !before(cell, sourceEnd)) {
                return cell;
            }
            return m_bscanCellTable + (cell - sourceTable);
        };
        auto ownNode = [&](KPinNode* node) -> KPinNode* {
            if (node == nullptr || node->m_owner != other.m_index) {
                return node;
            }
            int position = node->m_listPosition;
            if (position < 0 || position >= count || other.m_pinList->GetAt(position) != node) {
                return node;
            }
            return nodes[position];
        };
        for (int i = 0; i < m_bscanLength; ++i) {
            KBScanCell& cell = m_bscanCellTable[i];
            cell.m_pinNode = ownNode(cell.m_pinNode);
            cell.m_controlCell = ownCell(cell.m_controlCell);
        }
        for (KPinNode* node : nodes) {
            if (node->m_bscanCells == nullptr) {
                continue;
            }
            KObjList cells;
            for (int i = 0; i < node->m_bscanCells->GetCount(); ++i) {
                cells.AddTail(ownCell(CellAt(node->m_bscanCells, i)));
            }
            node->m_cellList = cells;  // as long as the list it replaces: no allocation
        }

        m_index->TableReplaced(m_bscanCellTable, m_bscanLength);
        m_index->Rebuild();
        return true;
    } catch (const std::bad_alloc&) {
        Release();
        return false;
    }
}

// --- Ports -------------------------------------------------------------

void BScanPinMap::AddNewPorts(char* name, char* type, int left, int right)
{
    if (left < 0 || right < 0) {
        return;
    }
    // left to right ascending gives 0, 1, ...; descending ends with 0.
    long long count = (left <= right ? 0LL + right - left : 0LL + left - right) + 1;
    if (count > BSCAN_MAX_PORT_NODES) {
        return;
    }
    AddNewPorts(name, type, static_cast<int>(count), left <= right);
}

void BScanPinMap::AddNewPorts(char* name, char* type, int count, bool ascending)
{
    if (count < 1 || count > BSCAN_MAX_PORT_NODES - GetNumberOfPins()) {
        return;
    }
    // Every node gets the same name and direction, measured and read once.
    // The nodes made are filed in the index together, as the elements of
    // one port (also when memory runs out before all are made).
    const size_t nameSize = name != nullptr ? std::strlen(name) + 1 : 0;
    const PortType portType = KPinNode::PortTypeNamed(type, PORT_NONE);
    int made = 0;
    KPinNode* last = nullptr;
    for (; made < count; ++made) {
        // The next node of the current block, else one from NewNode.
        KPinNode* node =
            m_blockUsed < m_blockSize ? &m_nodeBlocks.back()[m_blockUsed++] : NewNode();
        if (node == nullptr) {
            break;
        }
        if (name != nullptr) {
            if (nameSize <= static_cast<size_t>(KPinNode::kInlineText)) {
                // A new node belongs to no index yet and holds no text: a
                // short name goes straight into its own buffer.
                bscan_util::MoveShortBytes(node->m_portNameText, name, nameSize);
                node->m_portName = node->m_portNameText;
            } else {
                node->SetPortName(name, nameSize);
                if (node->m_portName == nullptr) {
                    ReturnNode(node);  // out of memory
                    break;
                }
            }
        }
        node->m_portType = portType;  // a new node's direction is PORT_NONE
        node->m_vectorIndex = ascending ? made : count - 1 - made;
        try {
            m_pinList->AddTail(node);
        } catch (const std::bad_alloc&) {
            ReturnNode(node);
            break;
        }
        last = node;
    }
    if (made > 0) {
        m_index->PortAppended(made, nameSize > 0 ? nameSize - 1 : 0, last);
    }
}

int BScanPinMap::GetNumberOfPins() const
{
    return m_pinList->GetCount();
}

const KObjList* BScanPinMap::GetPinListArray() const
{
    return m_pinList;
}

KPinNode* BScanPinMap::GetPort(int pinNumber)
{
    if (m_pinList->IsEmpty() || pinNumber < 1 || pinNumber > GetNumberOfPins()) {
        return nullptr;
    }
    return m_index->FirstWithPinNumber(pinNumber);
}

KPinNode* BScanPinMap::GetPort(char* portName, int vectorIndex)
{
    if (portName == nullptr || *portName == '\0' || m_pinList->IsEmpty()) {
        return nullptr;
    }
    return m_index->FirstNamedWithIndex(portName, std::strlen(portName), vectorIndex);
}

KPinNode* BScanPinMap::GetPortwName(char* portName)
{
    if (portName == nullptr || m_pinList->IsEmpty()) {
        return nullptr;
    }
    return m_index->FirstNamed(m_index->UpperCaseLookupText(portName, std::strlen(portName)));
}

KPinNode* BScanPinMap::GetPort(const char* pinName)
{
    if (pinName == nullptr || m_pinList->IsEmpty()) {
        return nullptr;
    }
    return m_index->FirstWithPinName(pinName);
}

int BScanPinMap::GetPinNumber(const char* pinName)
{
    KPinNode* node = GetPort(pinName);
    return node != nullptr ? node->m_pinNumber : -1;
}

int BScanPinMap::GetPinNumberwPortName(char* portName)
{
    KPinNode* node = GetPortwName(portName);
    return node != nullptr ? node->m_pinNumber : -1;
}

// The cell number of the port's first input cell; 0 both for cell 0 and
// for a port without one, -1 for no such port.
int BScanPinMap::GetPinIndexwPortName(char* portName)
{
    KPinNode* node = GetPortwName(portName);
    if (node == nullptr) {
        return -1;
    }
    const KBScanCell* input = SelectPortCellRoles(node->m_bscanCells, false).input;
    return input != nullptr ? input->m_boundaryCellPosition : 0;
}

const char* BScanPinMap::GetPinName(int pinNumber)
{
    KPinNode* node = GetPort(pinNumber);
    return node != nullptr ? node->m_pinName : nullptr;
}

const char* BScanPinMap::GetPortName(int pinNumber)
{
    KPinNode* node = GetPort(pinNumber);
    return node != nullptr ? node->m_portName : nullptr;
}

PortType BScanPinMap::GetPortType(int pinNumber)
{
    KPinNode* node = GetPort(pinNumber);
    return node != nullptr ? node->m_portType : PORT_NONE;
}

// The direction the port works in now: fixed for in, out and buffer
// ports; for the others, by the control cell of the last driver cell.
PortType BScanPinMap::GetPortDirection(int pinNumber)
{
    KPinNode* node = GetPort(pinNumber);
    if (node == nullptr) {
        return PORT_NONE;
    }
    if (node->m_portType == PORT_OUT || node->m_portType == PORT_BUFFER) {
        return PORT_OUT;
    }
    if (node->m_portType == PORT_IN) {
        return PORT_IN;
    }
    const KObjList* cells = node->m_bscanCells;
    KBScanCell* driver = nullptr;
    KBScanCell* control = nullptr;
    for (int i = 0; cells != nullptr && i < cells->GetCount(); ++i) {
        KBScanCell* cell = CellAt(cells, i);
        CellFunction function = cell->m_function;
        if (function == FUNC_OUTPUT2 || function == FUNC_OUTPUT3 || function == FUNC_BIDIR) {
            driver = cell;
            control = cell->m_controlCell;
        }
    }
    if (driver == nullptr || control == nullptr) {
        return PORT_NONE;
    }
    return control->m_value == driver->m_disableValue ? PORT_IN : PORT_OUT;
}

// The value the port has now, read from its cells.
eSignal BScanPinMap::GetPortValue(int pinNumber)
{
    KPinNode* node = GetPort(pinNumber);
    if (node == nullptr || node->m_bscanCells == nullptr) {
        return SIGNAL_X;
    }
    if (node->m_portType == PORT_BUFFER || node->m_portType == PORT_NONE) {
        return node->m_portValue;
    }
    const KObjList* cells = node->m_bscanCells;
    eSignal result = SIGNAL_X;
    for (int i = 0; i < cells->GetCount(); ++i) {
        KBScanCell* cell = CellAt(cells, i);
        KBScanCell* control = cell->m_controlCell;
        bool driverOn = control != nullptr && control->m_value != cell->m_disableValue &&
                        (control->m_value == SIGNAL_LOW || control->m_value == SIGNAL_HIGH);
        switch (cell->m_function) {
        case FUNC_OUTPUT2:
        case FUNC_OUTPUT3:
            if (driverOn) {
                return cell->m_value;
            }
            break;
        case FUNC_INPUT:
        case FUNC_OBSERVE_ONLY:
            result = cell->m_value;
            break;
        case FUNC_BIDIR:
            if (control == nullptr) {
                break;
            }
            if (driverOn) {
                return cell->m_value;
            }
            if (cell->m_value == SIGNAL_X || cell->m_value == SIGNAL_HIGH) {
                return cell->m_value;
            }
            return SIGNAL_Z;
        default:
            break;
        }
    }
    return result;
}

bool BScanPinMap::IsPositiveElement(int pinNumber)
{
    KPinNode* node = GetPort(pinNumber);
    return node != nullptr && node->m_positive;
}

bool BScanPinMap::IsNegativeElement(int pinNumber)
{
    KPinNode* node = GetPort(pinNumber);
    return node != nullptr && node->m_negative;
}

// The (occurrence + 1)-th node whose port name equals portName exactly,
// case included, gets the pin name; nothing when there are fewer.
void BScanPinMap::SerialSetPinName(char* portName, int occurrence, char* pinName)
{
    KPinNode* node = m_index->NthWithExactName(portName, occurrence);
    if (node != nullptr) {
        node->SetPinName(pinName);
    }
}

void BScanPinMap::SerialSetPinNumber(char* portName, int occurrence, int pinNumber)
{
    KPinNode* node = m_index->NthWithExactName(portName, occurrence);
    if (node != nullptr) {
        node->SetPinNumber(pinNumber);
    }
}

// Both steps find the same node (naming a pin moves no node between port
// names); it is looked up again only when the first found none or left the
// index stale. While the index files neither pin names nor numbers, a short
// pin name goes straight into the node's own buffer and the number into
// its field.
void PinMapAccess::SerialSetPinNameAndNumber(BScanPinMap& map, char* portName, int occurrence,
                                             char* pinName, int pinNumber)
{
    KPinNode* node = map.m_index->NthWithExactName(portName, occurrence);
    if (node != nullptr && pinName != nullptr) {
        const size_t size = std::strlen(pinName) + 1;
        if (size <= static_cast<size_t>(KPinNode::kInlineText) && !map.m_index->FilesPinNames() &&
            (node->m_pinName == nullptr || node->m_pinName == node->m_pinNameText)) {
            bscan_util::MoveShortBytes(node->m_pinNameText, pinName, size);
            node->m_pinName = node->m_pinNameText;
        } else {
            node->SetPinName(pinName);
        }
    }
    if (node == nullptr || map.m_index->Stale()) {
        node = map.m_index->NthWithExactName(portName, occurrence);
    }
    if (node != nullptr) {
        if (map.m_index->FilesPinNumbers()) {
            node->SetPinNumber(pinNumber);
        } else {
            node->m_pinNumber = pinNumber;
        }
    }
}

void BScanPinMap::SetPinNumber(char* portName, int vectorIndex, int pinNumber)
{
    KPinNode* node = GetPort(portName, vectorIndex);
    if (node != nullptr) {
        node->SetPinNumber(pinNumber);
    }
}

// Clears the scan bit image; port and cell values stay.
void BScanPinMap::ResetAllPort()
{
    InitBSCANBitArray();
}

// --- I/O names and default directory -----------------------------------

void BScanPinMap::SetIOName(const char* const name)
{
    if (name == nullptr) {
        return;
    }
    try {
        // A device declares its inout ports one after another: the list
        // starts with room for a few dozen and doubles from there.
        if (m_ioNames.size() == m_ioNames.capacity())
            m_ioNames.reserve(m_ioNames.empty() ? 64 : 2 * m_ioNames.capacity());
        m_ioNames.emplace_back(name);
    } catch (const std::bad_alloc&) {
        // out of memory: the name is not added
    }
}

const char* BScanPinMap::GetIOName(int index) const
{
    if (index < 0 || static_cast<size_t>(index) >= m_ioNames.size()) {
        return nullptr;
    }
    return m_ioNames[static_cast<size_t>(index)].c_str();
}

int BScanPinMap::GetIOTypeCount() const
{
    return static_cast<int>(m_ioNames.size());
}

void BScanPinMap::SetDefaultDir(char* dir)
{
    if (dir == nullptr) {
        return;
    }
    char* copy = util_strdup(dir);
    if (copy == nullptr) {
        return;  // out of memory: the old text stays
    }
    delete[] m_defaultDir;
    m_defaultDir = copy;
}

char* BScanPinMap::GetDefaultDir() const
{
    return m_defaultDir;
}
