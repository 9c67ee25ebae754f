// The device model's central container: every port node, the table of
// boundary cells, the scan bit image (one bit per cell), the I/O names and
// a default directory text.
//
// Scan bit image: (length + 7) / 8 bytes; cell i lies in byte i / 8 under
// the mask 0x80 >> (i % 8); a bit is 1 exactly when the cell's value was
// SIGNAL_HIGH when the bit was last written; the unused low bits of the
// last byte stay 0.
//
// Lookups by port name upper-case the given text and the stored names of
// the nodes they examine, in place. Indexes beside the node list and the
// cell table keep every lookup close to constant time while giving exactly
// what a plain scan of the list would give (first match, the same names
// left upper-cased, the same nodes hidden behind a nameless node); the
// indexes follow every change made through the nodes' and cells' setters.
//
// Copying is deep: a copy owns its own nodes, cells, image, I/O names and
// directory text; its cells point at its own nodes and control cells and
// its nodes at its own cells, never back into the source.
//
// Pointers that do not point into the source (a cell a host associated
// with a port, say) are kept as they are. Assigning a map to itself
// changes nothing; an assignment that runs out of memory leaves the map as
// it was, a copy constructed without enough memory is empty.
//
// AllocateBScanCellTable with a length of 0 or less, or above
// BSCAN_MAX_BOUNDARY_LENGTH, discards the table and the image and leaves
// an empty table (length 0, no table, no image); so does an allocation
// that runs out of memory. Discarding a table also takes its cells out of
// the ports' cell lists; a port left without cells has no list at all, as
// before its first cell.
//
// A node whose port name is unset or the empty text is nameless, in every
// lookup: GetPortwName skips it, GetPort(char*, int) stops at it, and
// SerialSetPinName/SerialSetPinNumber never count it. Likewise a node
// whose pin name is unset or empty has no pin name: GetPort(const char*)
// never finds it, and the empty text finds no node. The cell lookups by
// name do find cells whose name is the empty text (every default cell).
// A lookup text that is null finds nothing and changes nothing; with no
// node at all the lookups by port name leave the caller's text as it is.
// A lookup by port name given a node's own stored name (GetPortName's
// text) upper-cases that node's name with the text, as a plain scan would.
//
// Out of memory: AddNewPorts stops after the nodes made so far; when the
// indexes cannot be updated, the lookups find nothing until they can be
// rebuilt from the list and the table.
#ifndef BSCAN_BSCANPINMAP_H
#define BSCAN_BSCANPINMAP_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "model/KBScanCell.h"
#include "model/KPinNode.h"
#include "model/Signals.h"
#include "util/BScanExport.h"
#include "util/KObjList.h"

class PinMapIndex;

// Ceilings far above any real device (real files reach a few thousand
// cells and ports). AllocateBScanCellTable treats a length above
// BSCAN_MAX_BOUNDARY_LENGTH like a length of 0; AddNewPorts creates nothing
// when the pin map would hold more than BSCAN_MAX_PORT_NODES nodes.
const int BSCAN_MAX_BOUNDARY_LENGTH = 1000000;
const int BSCAN_MAX_PORT_NODES = 1000000;

class BSCAN_API BScanPinMap {
public:
    BScanPinMap();
    BScanPinMap(const BScanPinMap& other);
    BScanPinMap& operator=(const BScanPinMap& other);
    ~BScanPinMap();

    // Ports.
    void AddNewPorts(char* name, char* type, int left, int right);
    void AddNewPorts(char* name, char* type, int count, bool ascending);
    int GetNumberOfPins() const;
    const KObjList* GetPinListArray() const;
    KPinNode* GetPort(int pinNumber);
    KPinNode* GetPort(char* portName, int vectorIndex);
    KPinNode* GetPortwName(char* portName);
    KPinNode* GetPort(const char* pinName);
    int GetPinNumber(const char* pinName);
    int GetPinNumberwPortName(char* portName);
    int GetPinIndexwPortName(char* portName);
    const char* GetPinName(int pinNumber);
    const char* GetPortName(int pinNumber);
    PortType GetPortType(int pinNumber);
    PortType GetPortDirection(int pinNumber);
    eSignal GetPortValue(int pinNumber);
    bool IsPositiveElement(int pinNumber);
    bool IsNegativeElement(int pinNumber);
    void SerialSetPinName(char* portName, int occurrence, char* pinName);
    void SerialSetPinNumber(char* portName, int occurrence, int pinNumber);
    void SetPinNumber(char* portName, int vectorIndex, int pinNumber);
    void ResetAllPort();

    // I/O names and default directory.
    void SetIOName(const char* const name);
    const char* GetIOName(int index) const;
    int GetIOTypeCount() const;
    void SetDefaultDir(char* dir);
    char* GetDefaultDir() const;

    // Cell table and scan bit image.
    void AllocateBScanCellTable(int length);
    int AddNewRegister(int number, char* cellType, char* portName, int portIndex,
                       char* function, eSignal safe, int controlCell,
                       eSignal disableValue, eSignal disableResult, eSignal value,
                       const char* originalName);
    KBScanCell* GetBScanCell(int number);
    KBScanCell* GetBScanCell(const char* pinName);
    KBScanCell* GetBScanCellByOriginalName(const char* name);
    const KBScanCell* GetBScanCellTable() const;
    int GetBScanLength() const;
    unsigned char* GetBScanBitArray();
    void InitBSCANBitArray();
    bool HasBScanCell(int pinNumber);
    int setPort(int pinNumber, PortType direction, eSignal value);
    int setPort(int pinNumber, PortType direction, eSignal value, bool flag);

protected:
    int SetBit(int number, eSignal value);
    int UpdateBScanBitArray(KPinNode* port);

private:
    // The library's own steps on the map (model/PinMapAccessInternal.h).
    friend class PinMapAccess;

    bool CopyFrom(const BScanPinMap& other);
    void Release();
    KPinNode* NewNode();
    void ReturnNode(KPinNode* node);

    unsigned char* m_bscanBitArray;
    KObjList* m_pinList;
    KBScanCell* m_bscanCellTable;
    int m_bscanLength;
    char* m_defaultDir;
    std::vector<std::string> m_ioNames;

    PinMapIndex* m_index;                           // lookup indexes beside the list and table

    // The map's nodes are made in blocks (arrays of default nodes), which
    // the map deletes as a whole; the last block has m_blockUsed of its
    // m_blockSize nodes in use.
    std::vector<KPinNode*> m_nodeBlocks;
    int m_blockSize;
    int m_blockUsed;
};

#endif
