// Internal lookup indexes of a BScanPinMap (not installed, not exported).
//
// The pin map's lookups must give exactly what a plain scan of the node
// list or the cell table would give. The index keeps, beside the list:
// port names (exact and upper-cased) and pin names to the positions of the
// nodes that bear them, pin numbers to positions, the position of the first
// nameless node, the high-water mark up to which stored port names are
// already upper-cased, and cell pin names and original names (upper-cased)
// to cell numbers.
//
// Nodes and cells that belong to a pin map point at its index (m_owner) and
// report every change made through their setters with the hooks below, so
// the index stays exact whatever a host renames.
#ifndef BSCAN_PINMAPINDEX_H
#define BSCAN_PINMAPINDEX_H

#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

class KPinNode;
class KBScanCell;

class PinMapIndex {
public:
    // Hooks, called by KPinNode and KBScanCell after a change; the node or
    // cell already holds the new value, the old one is passed (null for a
    // text that was unset).
    void PortNameChanged(KPinNode* node, const char* oldName);
    void PinNameChanged(KPinNode* node, const char* oldName);
    void PinNumberChanged(KPinNode* node, int oldNumber);
    void CellPinNameChanged(KBScanCell* cell, const std::string& oldName);
    void CellOriginalNameChanged(KBScanCell* cell, const std::string& oldName);

    // The rest belongs to BScanPinMap's implementation.
};

#endif
