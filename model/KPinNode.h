// One port of the device as the package sees it: a scalar port or one
// element of a vector port, with its package pin, its direction, the value
// last applied to it, its boundary cells and its differential-pair marks.
//
// A node owns its two texts and its cell list object, never the cells.
// Copying is deep: the copy gets its own texts and its own list object,
// holding the same cell pointers as the source (a pin map that copies its
// nodes re-points them at its own cells).
//
// Short texts (the usual port and pin names) are kept in buffers inside
// the node, and the cell list object is part of the node too: a node
// usually costs a single allocation.
#ifndef BSCAN_KPINNODE_H
#define BSCAN_KPINNODE_H

#include "model/KBScanCell.h"
#include "model/Signals.h"
#include "util/BScanExport.h"
#include "util/KObjList.h"
#include "util/KObject.h"

class PinMapIndex;

class BSCAN_API KPinNode : public KObject {
public:
    KPinNode();
    KPinNode(const KPinNode& other);
    KPinNode& operator=(const KPinNode& other);
    ~KPinNode() override;

    char* GetPortName() const;                     // null while unset
    void SetPortName(char* name);                  // null leaves the old text
    char* GetPinName() const;
    void SetPinName(char* name);
    int GetPinNumber() const;
    void SetPinNumber(int number);
    int GetVectorIndex() const;

    PortType GetPortType() const;
    void SetPortType(char* text);                  // "in", "out", "inout", "buffer", exact
    eSignal GetPortValue() const;
    void SetPortValue(eSignal value);

    bool IsPositive() const;
    void SetPositive(bool positive);
    bool IsNegative() const;
    void SetNegative(bool negative);

    const KObjList* GetBScanCells() const;         // null until a cell was associated
    int AssociateBScanCell(KBScanCell* cell);
    int SetBScanCell(PortType direction, eSignal value);
    int SetInput(eSignal value);
    int SetOutput(eSignal value);

private:
    friend class BScanPinMap;
    friend class PinMapIndex;
    friend class PinMapAccess;                     // model/PinMapAccessInternal.h

    // Texts shorter than this many bytes (with the terminating zero) are
    // kept in the node's own buffers.
    static const int kInlineText = 16;

    void StoreText(char*& field, char* buffer, const char* text, size_t size, char* heapCopy);
    // SetPortName for a text of `size` bytes with its terminating zero,
    // measured by the caller (the pin map names all elements of a vector
    // port with one text).
    void SetPortName(char* name, size_t size);
    // The direction SetPortType(text) leaves a node of direction `current` in.
    static PortType PortTypeNamed(const char* text, PortType current);
    void DropCells();

    int m_vectorIndex;
    int m_pinNumber;
    char* m_portName;                              // null, m_portNameText or a heap copy
    char* m_pinName;                               // null, m_pinNameText or a heap copy
    PortType m_portType;
    eSignal m_portValue;
    KObjList* m_bscanCells;                        // null or &m_cellList
    bool m_positive;
    bool m_negative;
    KObjList m_cellList;
    char m_portNameText[kInlineText];
    char m_pinNameText[kInlineText];

    // The lookup index of the pin map that holds this node (null for a node
    // outside a pin map) and the node's position in that map's list. The
    // setters tell the index about every change of port name, pin name and
    // pin number. Never copied.
    PinMapIndex* m_owner = nullptr;
    int m_listPosition = -1;
};

#endif
