// Internal lookup indexes of a BScanPinMap (not installed, not exported).
//
// The pin map's lookups must give exactly what a plain scan of the node
// list or the cell table would give, including the side effects of the
// scan: a lookup by port name upper-cases the stored port name of every
// node it examines. The index keeps, beside the list:
//   - exact port names, upper-cased port names, and upper-cased port names
//     with the vector index, each to the sorted list positions of its
//     nodes (the last only for names of two or more nodes that are no run:
//     a vector port's elements one after the other with indexes one apart
//     are found by arithmetic; an exact name without lower-case letters is
//     kept with its upper-cased entry);
//   - pin names and pin numbers (1 and above) to sorted positions;
//   - the positions of nameless nodes (no port name, or the empty text) and
//     of "dirty" nodes, whose stored port name still holds lower case;
//   - upper-cased cell pin names and original names to sorted cell numbers
//     (not the empty name, which every default cell bears: a lookup of it
//     scans the table). An entry's name is the name of its first cell.
// Pin names and pin numbers are filed on their first lookup, and the cell
// names of one kind in table order only as far as a lookup needs, so that
// reading a file pays for none of what it never asks for.
// A lookup finds its first match in constant time and then upper-cases
// exactly the dirty nodes up to the match (all of them when nothing
// matches; up to the first nameless node in the lookup by name and vector
// index), each once, in list order.
//
// For every node the index remembers the keys under which it filed the
// node, so a change can be refiled whatever the caller says the old value
// was. Nodes and cells of a pin map point at its index (m_owner) and report
// every change made through their setters with the hooks below.
//
// Running out of memory while the index is updated leaves it marked stale;
// the next lookup rebuilds it from the list and the table, and finds
// nothing (null) while that rebuild cannot be done either.
#ifndef BSCAN_PINMAPINDEX_H
#define BSCAN_PINMAPINDEX_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/PositionSetInternal.h"
#include "util/CompilerInternal.h"
#include "util/HashTableInternal.h"
#include "util/ShortTextInternal.h"

class KBScanCell;
class KObjList;
class KPinNode;

// The index's hash table (tests reach it by this name).
template <typename Key, typename Value>
using IndexTable = bscan_util::HashTable<Key, Value>;

class PinMapIndex {
public:
    // Hooks, called by KPinNode and KBScanCell after a change; the node or
    // cell already holds the new value. A node is refiled by comparing it
    // with the keys it was filed under; a cell passes its old pin name
    // (`original` false) or original name (true).
    void NodeChanged(KPinNode* node);
    void CellNameChanged(KBScanCell* cell, const std::string& oldName, bool original);
    // False while nothing is filed by pin name (number): a node may then
    // change its pin name (number) without calling NodeChanged.
    bool FilesPinNames() const { return m_pinNamesFiled; }
    bool FilesPinNumbers() const { return m_pinNumbersFiled; }
    // True while the index waits to be rebuilt (out of memory).
    bool Stale() const { return m_stale; }
    // False while the cell name hooks have nothing to do: a cell may then
    // change its names without calling them.
    bool FilesCellNames() const
    {
        return (m_cellNamesFiled[0] || m_cellNamesFiled[1]) && !m_stale;
    }

    // The rest belongs to BScanPinMap's implementation.

    // Indexes the nodes of `list` (which the pin map owns and keeps
    // appending to) and no cell table.
    explicit PinMapIndex(const KObjList* list);
    PinMapIndex(const PinMapIndex&) = delete;
    PinMapIndex& operator=(const PinMapIndex&) = delete;

    // Makes every node of the list and every cell of the table members of
    // this index and files them all anew.
    void Rebuild();
    // The `count` nodes just appended at the end of the list, the elements
    // of one port: one port name text of `nameLength` bytes (0 for none),
    // vector indexes one apart (up or down). A new name's elements are
    // filed as one run at once. `last` is the last node appended.
    void PortAppended(int count, size_t nameLength, KPinNode* last);
    // The cell table was replaced (null and 0 for none).
    void TableReplaced(KBScanCell* table, int length);

    // A lookup text upper-cased in place, with its length and its hash
    // (the port-name maps, exact names too, are all hashed by the name
    // upper-cased).
    struct LookupText {
        const char* text;
        size_t length;
        size_t hash;
    };
    // Upper-cases `length` bytes (none of them NUL, followed by a NUL) in
    // place, hashing them on the way. When the text is the stored port
    // name of one of the nodes, that node's name has changed with it.
    LookupText UpperCaseLookupText(char* text, size_t length);

    // The first node whose pin number is `number` (1 and above); null when
    // none.
    KPinNode* FirstWithPinNumber(int number);
    // The first node whose pin name equals `pinName` exactly; null when
    // none or when `pinName` is empty.
    KPinNode* FirstWithPinName(const char* pinName);
    // The first named node whose port name, upper-cased, equals the
    // upper-case text `name`; upper-cases the stored names of all named
    // nodes up to it (of all of them when none matches).
    KPinNode* FirstNamed(const LookupText& name);
    // As FirstNamed for the text UpperCaseLookupText(text, length) makes,
    // also requiring the vector index, and stopping at the first nameless
    // node: no node behind it is examined.
    KPinNode* FirstNamedWithIndex(char* text, size_t length, int vectorIndex);
    // The node at which the count of nodes whose port name equals `name`
    // exactly reaches occurrence + 1; null when there are fewer.
    // A pin map usually names the ports in the order they were declared:
    // the node after the one found last is tried first, inline. When the
    // port name it was filed under is `name`, that entry is the one a
    // lookup of `name` finds (an exact-name entry for a name with lower
    // case, else the upper-cased entry, whose text is then the name itself).
    BSCAN_ALWAYS_INLINE inline KPinNode* NthWithExactName(const char* name, int occurrence)
    {
        if (!m_stale && name != nullptr && occurrence >= 0 && m_nthNext < m_nodes.size()) {
            const NodeKeys& keys = m_keys[m_nthNext];
            if (keys.upper != nullptr &&
                (keys.exact != nullptr ? TextIs(keys.exact->first, name)
                                       : TextIs(keys.upper->first, name))) {
                const Positions& exact =
                    keys.exact != nullptr ? keys.exact->second : keys.upper->second.exact;
                if (static_cast<size_t>(occurrence) >= exact.Size()) {
                    return nullptr;
                }
                const int position = exact.At(static_cast<size_t>(occurrence));
                m_nthNext = static_cast<size_t>(position) + 1;
                return m_nodes[position];
            }
        }
        return NthWithExactNameLookedUp(name, occurrence);
    }

    // The first cell of the table (lowest number) whose pin name
    // (`original`: original pin name) equals `name` without regard to
    // case; null when none.
    KBScanCell* FirstCellNamed(const char* name, bool original);

private:
    using Positions = PositionSet;

    // An upper-cased port name: its nodes, those of them whose port name
    // is exactly this text, and the number under which its nodes are filed
    // with their vector indexes (IndexedKey).
    // The nodes of a vector port usually follow each other in the list with
    // vector indexes one apart: while they do, the name is a run (runStart:
    // the first position, runIndex: its vector index, runStep: +1 or -1)
    // and a node is found by its index arithmetically. Otherwise (indexed)
    // every node of the name is filed with its vector index.
    struct UpperName {
        Positions all;
        Positions exact;
        long long id = 0;
        bool indexed = false;
        int runStart = 0;
        int runIndex = 0;
        int runStep = 0;
    };

    using NameMap = bscan_util::HashTable<std::string, Positions>;
    // Cell numbers by upper-cased cell name: the key is the name of the
    // entry's first cell (see CellNameHash).
    struct NoKey {};
    using CellNameMap = bscan_util::HashTable<NoKey, Positions>;
    using NameEntry = NameMap::Entry;
    using UpperEntry = bscan_util::HashTable<bscan_util::ShortText, UpperName>::Entry;

    // The keys under which a node is filed. The name entries hold the
    // texts; an entry lives while a node is filed in it. A port name
    // without lower-case letters is its upper-cased entry's text.
    struct NodeKeys {
        NameEntry* exact = nullptr;         // a port name with lower-case letters
        UpperEntry* upper = nullptr;        // the port name upper-cased; null: nameless
        const char* portNameText = nullptr; // the node's own buffer
        NameEntry* pin = nullptr;           // null: not filed by pin name
        int vectorIndex = -1;
        int pinNumber = -1;                 // below 1: not filed by number
    };

    // True when `name` (which ends with a NUL) is exactly `text` (a
    // std::string or a bscan_util::ShortText).
    template <typename Text>
    static bool TextIs(const Text& text, const char* name)
    {
        const size_t size = text.size();
        const char* const own = text.data();
        for (size_t i = 0; i < size; ++i) {
            if (name[i] != own[i]) {
                return false;  // also at the end of a shorter name
            }
        }
        return name[size] == '\0';
    }
    KPinNode* NthWithExactNameLookedUp(const char* name, int occurrence);
    void LookupTextChanged(const char* text);
    static std::string_view FiledPortName(const NodeKeys& keys);
    static Positions& ExactPositions(const NodeKeys& keys);

    // True when the index stands, rebuilding it first when it is stale.
    bool Fresh() { return !m_stale || RebuildStale(); }
    bool RebuildStale();
    template <typename Map>
    bool FiledOnFirstUse(bool& filed, Map& map, void (PinMapIndex::*file)(int));
    int PositionOf(const KPinNode* node) const;
    int NumberOf(const KBScanCell* cell) const;
    void Refresh(int position);
    void UnfileExactName(int position);
    void RefileCase(int position, const std::string& newName);
    void TrackNameText(int position);
    void FileNameText(int position);
    void UnfileNameText(int position);

    // `length`: the node's port name's length when known, else kUnmeasured.
    static constexpr size_t kUnmeasured = ~static_cast<size_t>(0);
    void FilePortName(int position, size_t length = kUnmeasured);
    void FileWithIndexes(UpperName& upper);
    void UnfilePortName(int position);
    void FilePinName(int position);
    void UnfilePinName(int position);
    void FilePinNumber(int position);
    void UnfilePinNumber(int position);
    void UpperCaseStoredNamesUpTo(int last)
    {
        if (!m_dirty.Empty() && m_dirty.First() <= last) {
            UpperCaseDirtyNamesUpTo(last);
        }
    }
    void UpperCaseDirtyNamesUpTo(int last);

    static long long IndexedKey(long long nameId, int vectorIndex);
    static const std::string& CellName(const KBScanCell& cell, bool original);
    KBScanCell* FileCellNamesUpToMatch(const char* name, size_t length, size_t hash,
                                       bool original);
    size_t FileCellName(int number, bool original);
    void UnfileCellName(int number, const std::string& oldName, bool original);

    const KObjList* m_list;
    std::vector<KPinNode*> m_nodes;           // the list, by position
    std::vector<NodeKeys> m_keys;             // by position
    NameMap m_exactName;                      // port names with lower-case letters
    bscan_util::HashTable<bscan_util::ShortText, UpperName> m_upperName;
    bscan_util::HashTable<long long, Positions> m_indexed;  // by IndexedKey
    long long m_nextNameId = 0;
    NameMap m_pinName;
    bscan_util::HashTable<int, Positions> m_pinNumber;
    Positions m_nameless;
    Positions m_dirty;
    bscan_util::HashTable<const char*, int> m_nameText;  // port name buffer of a dirty node to position

    KBScanCell* m_table = nullptr;
    int m_tableLength = 0;
    CellNameMap m_cellNames[2];               // pin names [0], original names [1]

    // Indexes filed on first use (see above); false: not built, and not
    // kept up to date.
    bool m_pinNamesFiled = false;             // m_pinName, NodeKeys::pin
    bool m_pinNumbersFiled = false;           // m_pinNumber, NodeKeys::pinNumber
    // m_cellNames[0] and [1], each filed when the lookups of its kind need
    // it: the cells below m_cellsFiledUpTo of that kind are filed, the
    // others are not (their renames need nothing).
    bool m_cellNamesFiled[2] = {false, false};
    int m_cellsFiledUpTo[2] = {0, 0};


    // The position after the node NthWithExactName found last: the node
    // tried first by the next such lookup (checked against its filed keys,
    // so any position will do).
    size_t m_nthNext = 0;

    bool m_stale = false;
};

#endif
