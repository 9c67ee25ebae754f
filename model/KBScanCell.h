// One cell of the boundary-scan register: one entry of the BOUNDARY_REGISTER
// attribute. The pin map owns all cells of a device in one table indexed by
// cell number; ports keep lists of the cells that serve them.
//
// A cell owns only its two texts; its port and its control cell belong to
// the pin map. Copying copies both pointers as they are and the texts.
//
// m_safeValue, m_disableValue, m_disableResult and m_value have no accessor
// functions: the pin map and the port node (and hosts that want to inspect
// a cell) read and write them directly, so they are public fields.
//
// SetPinName(nullptr) leaves the pin name unchanged, like SetOriginalPinName.
#ifndef BSCAN_KBSCANCELL_H
#define BSCAN_KBSCANCELL_H

#include <cstddef>
#include <string>

#include "model/Signals.h"
#include "util/BScanExport.h"
#include "util/KObject.h"

class KPinNode;
class PinMapIndex;

class BSCAN_API KBScanCell : public KObject {
public:
    KBScanCell();
    KBScanCell(const KBScanCell& other);
    KBScanCell& operator=(const KBScanCell& other);
    ~KBScanCell() override;

    int GetBoundaryCellPosition() const;
    void SetBoundaryCellPosition(int position);

    CellType GetBScanCellType() const;
    void SetCellType(CellType type);
    void SetCellType(char* text);                  // null leaves the type unchanged
    CellType ConvertCellTypeToEnum(const char* text) const;

    const KPinNode* GetPinNode() const;
    void SetPinNode(KPinNode* node);

    CellFunction GetFunction() const;
    void SetFunction(CellFunction function);
    // Upper-cases `text` in place, then sets the function whose name equals
    // it; an unknown text (or null) leaves the function unchanged.
    void SetFunction(char* text);

    KBScanCell* GetControlCell() const;
    void SetControlCell(KBScanCell* cell);

    const char* GetPinName() const;                // never null
    void SetPinName(const char* name);
    const char* GetOriginalPinName() const;        // never null
    void SetOriginalPinName(const char* name);

    eSignal m_safeValue;
    eSignal m_disableValue;
    eSignal m_disableResult;
    eSignal m_value;

private:
    friend class BScanPinMap;
    friend class KPinNode;
    friend class PinMapIndex;
    friend class PinMapAccess;                     // model/PinMapAccessInternal.h

    int m_boundaryCellPosition;
    CellType m_cellType;
    KPinNode* m_pinNode;
    CellFunction m_function;
    KBScanCell* m_controlCell;
    std::string m_pinName;
    std::string m_originalPinName;

    // The lookup index of the pin map whose table holds this cell (null for
    // a cell outside a table). The name setters and assignment tell it about
    // every change of m_pinName or m_originalPinName. Never copied.
    PinMapIndex* m_owner = nullptr;
};

#endif
