// The library's own steps on a pin map and its cells that the installed
// headers do not show: PinMapAccess is the one friend of BScanPinMap,
// KBScanCell and KPinNode for them.
#ifndef BSCAN_PINMAPACCESSINTERNAL_H
#define BSCAN_PINMAPACCESSINTERNAL_H

#include <cstddef>
#include <cstdint>

#include "model/BScanPinMap.h"

class PinMapAccess {
public:
    // A register entry as the boundary register reader keeps it, compact:
    // its port name lies at these offsets in one writable text, ended by a
    // NUL (an empty port name where the port is "*"); its cell type and
    // function are told already (CellType and CellFunction values,
    // FUNC_NONE for a function text that names none), and its values are
    // eSignal values.
    struct PackedEntry {
        int number;
        int portIndex;
        int controlCell;
        std::uint16_t portStart;
        std::uint16_t portEnd;
        std::uint8_t cellType;
        std::uint8_t function;
        std::uint8_t safe;
        std::uint8_t disableValue;
        std::uint8_t disableResult;
        std::uint8_t value;
    };

    // SerialSetPinName and then SerialSetPinNumber for the same port name
    // and occurrence, with one lookup of the node.
    static void SerialSetPinNameAndNumber(BScanPinMap& map, char* portName, int occurrence,
                                          char* pinName, int pinNumber);

    // AddNewRegister for a packed entry whose port name lies in `text`.
    static int AddRegister(BScanPinMap& map, char* text, const PackedEntry& entry,
                           const char* originalName);

    // What AddNewRegister and AddRegister do, reading the entry through
    // `parts` (BScanCellTable.cpp).
    struct ArgumentParts;
    struct PackedParts;
    template <class Parts>
    static int StoreRegister(BScanPinMap& map, const Parts& parts);

    // KBScanCell::SetPinName for a name of `length` bytes, measured by the
    // caller.
    static void SetCellPinName(KBScanCell& cell, const char* name, std::size_t length);

    // Stores the cell type when `setType`, the function unless FUNC_NONE,
    // the original name and the pin name, as the setters would in that
    // order (CellVocabularyInternal.h).
    static inline void StoreEntryTexts(KBScanCell& cell, bool setType, CellType cellType,
                                       CellFunction function, const char* originalName,
                                       const char* pinName, std::size_t pinNameLength);
};

#endif
