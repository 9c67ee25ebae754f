// The pin map's boundary cell table and its scan bit image: sizing the
// table, storing register entries, finding cells, and copying the values of
// a driven port's cells into the image (laid out as BScanPinMap.h says).
#include "model/BScanPinMap.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <string>

#include "model/CellRolesInternal.h"
#include "model/CellVocabularyInternal.h"
#include "model/PinMapAccessInternal.h"
#include "model/PinMapIndex.h"
#include "util/CompilerInternal.h"
#include "util/ShortBytesInternal.h"

namespace {

bool HasCells(const KPinNode* port)
{
    const KObjList* cells = port->GetBScanCells();
    return cells != nullptr && !cells->IsEmpty();
}

// Gives the port of `pinNumber` the value; null when there is no such
// port (`result` -1) or when it has no cells (`result` 0: nothing more to do).
KPinNode* ValuedPort(BScanPinMap& map, int pinNumber, eSignal value, int& result)
{
    KPinNode* port = pinNumber < 0 ? nullptr : map.GetPort(pinNumber);
    result = port == nullptr ? -1 : 0;
    if (port != nullptr) {
        port->SetPortValue(value);
    }
    return port != nullptr && HasCells(port) ? port : nullptr;
}

// `number` is a cell of the image (0 or above).
void WriteBit(unsigned char* image, int number, bool high)
{
    const unsigned bit = static_cast<unsigned>(number);
    unsigned char mask = static_cast<unsigned char>(0x80u >> (bit % 8));
    if (high) {
        image[bit / 8] |= mask;
    } else {
        image[bit / 8] &= static_cast<unsigned char>(~mask);
    }
}

// Room for any int in decimal, sign included.
const size_t kDecimalDigits = 11;

}  // namespace

// Discards the old table and image, then makes `length` default cells and
// an image of zeros. A length of 0 or less, or above the ceiling, leaves no
// table and no image; so does running out of memory.
void BScanPinMap::AllocateBScanCellTable(int length)
{
    if (m_bscanCellTable != nullptr) {
        // The ports forget the cells that go away.
        std::less<const KObject*> before;
        const KObject* first = m_bscanCellTable;
        const KObject* end = m_bscanCellTable + m_bscanLength;
        for (int i = 0; i < m_pinList->GetCount(); ++i) {
            KPinNode* node = static_cast<KPinNode*>(m_pinList->GetAt(i));
            KObjList* cells = node->m_bscanCells;
            if (cells == nullptr) {
                continue;
            }
            auto foreign = [&](const KObject* cell) {
                return before(cell, first) || !before(cell, end);
            };
            int kept = 0;
            for (int k = 0; k < cells->GetCount(); ++k) {
                kept += foreign(cells->GetAt(k)) ? 1 : 0;
            }
            if (kept == cells->GetCount()) {
                continue;
            }
            if (kept > 0) {
                // Cells a host associated from elsewhere stay listed.
                try {
                    KObjList rest;
                    for (int k = 0; k < cells->GetCount(); ++k) {
                        if (foreign(cells->GetAt(k))) {
                            rest.AddTail(cells->GetAt(k));
                        }
                    }
                    node->m_cellList = rest;  // shorter than before: no allocation
                    continue;
                } catch (const std::bad_alloc&) {
                    // out of memory: the list goes as a whole
                }
            }
            node->DropCells();
        }
    }
    m_index->TableReplaced(nullptr, 0);
    delete[] m_bscanCellTable;
    m_bscanCellTable = nullptr;
    delete[] m_bscanBitArray;
    m_bscanBitArray = nullptr;
    m_bscanLength = 0;

    if (length <= 0 || length > BSCAN_MAX_BOUNDARY_LENGTH) {
        return;
    }
    KBScanCell* table = new (std::nothrow) KBScanCell[static_cast<size_t>(length)];
    unsigned char* image = new (std::nothrow) unsigned char[static_cast<size_t>((length + 7) / 8)]();
    if (table == nullptr || image == nullptr) {
        delete[] table;
        delete[] image;
        return;
    }
    m_bscanCellTable = table;
    m_bscanBitArray = image;
    m_bscanLength = length;
    m_index->TableReplaced(m_bscanCellTable, m_bscanLength);
}


namespace {

// Pin names up to this length, NUL included, are put together on the stack.
const size_t kShortPinName = 64;

// A long pin name put together in `longName`; false when memory runs out.
BSCAN_NOINLINE
bool LongPinName(const char* portName, size_t nameLength, int portIndex, std::string& longName)
{
    try {
        longName.assign(portName, nameLength);
        if (portIndex != 0) {
            longName += std::to_string(portIndex);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    return true;
}

// Hands `store` the cell's pin name: the (upper-cased) port name followed by
// the index in decimal unless it is 0. A short name is put together on the
// stack (or is the port text itself without an index when `textStays`), a
// long one in a string; out of memory the result is -1.
template <class Store>
BSCAN_ALWAYS_INLINE inline int StoreWithPinName(const char* portName, size_t nameLength,
                                               int portIndex, bool textStays,
                                               const Store& store)
{
    if (nameLength + kDecimalDigits + 1 > kShortPinName) {
        std::string longName;
        if (!LongPinName(portName, nameLength, portIndex, longName)) {
            return -1;
        }
        return store(longName.c_str(), longName.size());
    }
    if (portIndex == 0 && textStays) {
        return store(portName, nameLength);
    }
    char shortName[kShortPinName];
    bscan_util::MoveShortBytes(shortName, portName, nameLength);
    char* end = shortName + nameLength;
    if (portIndex != 0) {
        end = std::to_chars(end, shortName + kShortPinName, portIndex).ptr;
    }
    *end = '\0';
    return store(shortName, static_cast<size_t>(end - shortName));
}

}  // namespace

// AddNewRegister's arguments as StoreRegister reads them. A null cell type
// or function leaves the cell's one unchanged. The texts are a host's and
// may share bytes: the port text is never the stored pin name itself.
struct PinMapAccess::ArgumentParts {
    int number;
    int portIndex;
    int controlCell;
    eSignal safe;
    eSignal disableValue;
    eSignal disableResult;
    eSignal value;
    char* cellType;
    size_t cellTypeLength;
    char* portName;
    size_t portNameLength;
    char* function;
    size_t functionLength;
    const char* originalName;

    static constexpr bool kPortTextStays = false;
    int Number() const { return number; }
    int PortIndex() const { return portIndex; }
    int ControlCell() const { return controlCell; }
    eSignal Safe() const { return safe; }
    eSignal DisableValue() const { return disableValue; }
    eSignal DisableResult() const { return disableResult; }
    eSignal Value() const { return value; }
    bool SetsCellType() const { return cellType != nullptr; }
    CellType TellCellType() const
    {
        return cellType != nullptr ? cell_vocabulary::CellTypeNamed(cellType, cellTypeLength)
                                   : CELL_TYPE_NONE;
    }
    // Upper-cases the host's function text in place, as SetFunction does.
    CellFunction TellFunction() const
    {
        return function != nullptr ? cell_vocabulary::UpperCasedFunction(function, functionLength)
                                   : FUNC_NONE;
    }
    char* PortName() const { return portName; }
    size_t PortNameLength() const { return portNameLength; }
    const char* OriginalName() const { return originalName; }
};

// A packed entry of the boundary register reader as StoreRegister reads
// it; nothing stored writes into its port text (the reader's own).
struct PinMapAccess::PackedParts {
    char* text;
    const PackedEntry& entry;
    const char* originalName;

    static constexpr bool kPortTextStays = true;
    int Number() const { return entry.number; }
    int PortIndex() const { return entry.portIndex; }
    int ControlCell() const { return entry.controlCell; }
    eSignal Safe() const { return static_cast<eSignal>(entry.safe); }
    eSignal DisableValue() const { return static_cast<eSignal>(entry.disableValue); }
    eSignal DisableResult() const { return static_cast<eSignal>(entry.disableResult); }
    eSignal Value() const { return static_cast<eSignal>(entry.value); }
    bool SetsCellType() const { return true; }
    CellType TellCellType() const { return static_cast<CellType>(entry.cellType); }
    CellFunction TellFunction() const { return static_cast<CellFunction>(entry.function); }
    char* PortName() const { return text + entry.portStart; }
    size_t PortNameLength() const { return static_cast<size_t>(entry.portEnd - entry.portStart); }
    const char* OriginalName() const { return originalName; }
};

// The steps of AddNewRegister, for the entry whose parts `parts` reads.
template <class Parts>
BSCAN_ALWAYS_INLINE inline int PinMapAccess::StoreRegister(BScanPinMap& map, const Parts& parts)
{
    const int number = parts.Number();
    // The length is 0 or more: a negative number compares above it unsigned.
    if (static_cast<unsigned>(number) >= static_cast<unsigned>(map.m_bscanLength) ||
        parts.ControlCell() >= map.m_bscanLength || map.m_bscanCellTable == nullptr) {
        return -1;
    }
    // The port as GetPort(portName, portIndex) finds it.
    char* const portName = parts.PortName();
    const size_t nameLength = parts.PortNameLength();
    KPinNode* port = nullptr;
    if (nameLength != 0 && map.m_pinList->GetCount() != 0) {
        port = map.m_index->FirstNamedWithIndex(portName, nameLength, parts.PortIndex());
    }

    const auto store = [&](const char* pinName, size_t pinNameLength) BSCAN_ALWAYS_INLINE {
        KBScanCell* cell = &map.m_bscanCellTable[number];
        cell->m_boundaryCellPosition = number;
        cell->m_pinNode = port;
        cell->m_safeValue = parts.Safe();
        cell->m_value = parts.Value();
        const CellType cellType = parts.TellCellType();
        const CellFunction function = parts.TellFunction();
        StoreEntryTexts(*cell, parts.SetsCellType(), cellType, function, parts.OriginalName(),
                              pinName, pinNameLength);
        const int controlCell = parts.ControlCell();
        if (controlCell >= 0) {
            cell->m_controlCell = &map.m_bscanCellTable[controlCell];
            cell->m_disableValue = parts.DisableValue();
            cell->m_disableResult = parts.DisableResult();
        }

        int result = port != nullptr ? port->AssociateBScanCell(cell) : 0;
        if (map.m_bscanBitArray != nullptr) {
            WriteBit(map.m_bscanBitArray, number, parts.Value() == SIGNAL_HIGH);
        }
        return result;
    };
    return StoreWithPinName(portName, nameLength, parts.PortIndex(), Parts::kPortTextStays,
                            store);
}

// Stores one register entry in cell `number` and writes its bit. The
// result is the port's association result (0 without a port), or -1 when
// the entry is refused and nothing changes.
int BScanPinMap::AddNewRegister(int number, char* cellType, char* portName, int portIndex,
                                char* function, eSignal safe, int controlCell,
                                eSignal disableValue, eSignal disableResult, eSignal value,
                                const char* originalName)
{
    if (portName == nullptr) {
        return -1;
    }
    const PinMapAccess::ArgumentParts parts{number,
                              portIndex,
                              controlCell,
                              safe,
                              disableValue,
                              disableResult,
                              value,
                              cellType,
                              cellType != nullptr ? std::strlen(cellType) : 0,
                              portName,
                              std::strlen(portName),
                              function,
                              function != nullptr ? std::strlen(function) : 0,
                              originalName};
    return PinMapAccess::StoreRegister(*this, parts);
}

int PinMapAccess::AddRegister(BScanPinMap& map, char* text, const PackedEntry& entry,
                              const char* originalName)
{
    return StoreRegister(map, PackedParts{text, entry, originalName});
}

KBScanCell* BScanPinMap::GetBScanCell(int number)
{
    if (m_bscanCellTable == nullptr || number < 0 || number >= m_bscanLength) {
        return nullptr;
    }
    return &m_bscanCellTable[number];
}

KBScanCell* BScanPinMap::GetBScanCell(const char* pinName)
{
    return m_index->FirstCellNamed(pinName, false);
}

KBScanCell* BScanPinMap::GetBScanCellByOriginalName(const char* name)
{
    return m_index->FirstCellNamed(name, true);
}

const KBScanCell* BScanPinMap::GetBScanCellTable() const
{
    return m_bscanCellTable;
}

int BScanPinMap::GetBScanLength() const
{
    return m_bscanLength;
}

unsigned char* BScanPinMap::GetBScanBitArray()
{
    return m_bscanBitArray;
}

void BScanPinMap::InitBSCANBitArray()
{
    if (m_bscanBitArray != nullptr) {
        std::memset(m_bscanBitArray, 0, static_cast<size_t>((m_bscanLength + 7) / 8));
    }
}

bool BScanPinMap::HasBScanCell(int pinNumber)
{
    KPinNode* port = GetPort(pinNumber);
    return port != nullptr && HasCells(port);
}

int BScanPinMap::SetBit(int number, eSignal value)
{
    if (number < 0 || number >= m_bscanLength || m_bscanBitArray == nullptr) {
        return -1;
    }
    WriteBit(m_bscanBitArray, number, value == SIGNAL_HIGH);
    return 0;
}

// Copies the values of the port's input, output, control and observe cells
// into the image. A cell outside the table makes the result -1.
int BScanPinMap::UpdateBScanBitArray(KPinNode* port)
{
    if (m_bscanBitArray == nullptr || port == nullptr) {
        return -1;
    }
    const PortCellRoles cells = SelectPortCellRoles(port->GetBScanCells(), false);
    int result = 0;
    for (KBScanCell* cell : {cells.input, cells.output, cells.control}) {
        if (cell != nullptr) {
            result = SetBit(cell->m_boundaryCellPosition, cell->m_value);
        }
    }
    if (cells.observe != nullptr) {
        return SetBit(cells.observe->m_boundaryCellPosition, cells.observe->m_value);
    }
    return result;
}

// Drives the port: its value, then its cells (as the port node decides),
// then their bits.
int BScanPinMap::setPort(int pinNumber, PortType direction, eSignal value)
{
    int result = 0;
    KPinNode* port = ValuedPort(*this, pinNumber, value, result);
    if (port == nullptr) {
        return result;
    }
    result = port->SetBScanCell(direction, value);
    if (result < 0) {
        return result;
    }
    return UpdateBScanBitArray(port);
}

// Marks the port's input, output and control cells with 1s in the image,
// whatever the value; no cell value changes.
int BScanPinMap::setPort(int pinNumber, PortType /*direction*/, eSignal value, bool /*flag*/)
{
    int result = 0;
    KPinNode* port = ValuedPort(*this, pinNumber, value, result);
    if (port == nullptr || m_bscanBitArray == nullptr) {
        return port == nullptr ? result : -1;
    }
    const PortCellRoles cells = SelectPortCellRoles(port->GetBScanCells(), false);
    for (KBScanCell* cell : {cells.input, cells.output}) {
        if (cell != nullptr) {
            result = SetBit(cell->m_boundaryCellPosition, SIGNAL_HIGH);
        }
    }
    if (cells.control != nullptr) {
        return SetBit(cells.control->m_boundaryCellPosition, SIGNAL_HIGH);
    }
    return result;
}
