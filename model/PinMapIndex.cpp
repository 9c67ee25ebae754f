// Lookup indexes of a pin map: first matches in constant time, with the
// side effects a plain scan of the node list would have.
#include "model/PinMapIndex.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <new>

#include "model/KBScanCell.h"
#include "model/KPinNode.h"
#include "util/KObjList.h"
#include "util/AsciiCaseInternal.h"

namespace {

using bscan_text::UpperChar;

std::string UpperOf(std::string_view text)
{
    return bscan_text::Upper(std::string(text));
}

bool HasLowerCase(const char* text, size_t length)
{
    return std::any_of(text, text + length, [](char c) { return c >= 'a' && c <= 'z'; });
}

const char* TextOrEmpty(const char* text)
{
    return text != nullptr ? text : "";
}

// The hash of a name upper-cased (port names and cell names are hashed
// alike; they are filed in maps of their own). With `Write` the text is
// upper-cased in place on the way. `lower` is set when the text held a
// lower-case letter.
template <bool Write = false>
inline std::size_t UpperCasedHash(const char* text, size_t length, bool& lower)
{
    std::uint64_t h = bscan_util::kHashStart;
    for (size_t i = 0; i < length; ++i) {
        const char upper = UpperChar(text[i]);
        if (upper != text[i]) {
            lower = true;
            if (Write)
                const_cast<char*>(text)[i] = upper;
        }
        h = bscan_util::HashStep(h, upper);
    }
    return bscan_util::HashMix(h);
}

std::size_t UpperCasedHash(const char* text, size_t length)
{
    bool lower = false;
    return UpperCasedHash(text, length, lower);
}

// Takes `position` out of the positions of `entry`, and the entry out of
// `map` once it holds none.
template <typename Map>
void ErasePosition(Map& map, typename Map::Entry* entry, int position)
{
    entry->second.Erase(position);
    if (entry->second.Empty()) {
        map.erase(entry);
    }
}

}  // namespace

// --- Building ----------------------------------------------------------

PinMapIndex::PinMapIndex(const KObjList* list) : m_list(list) {}

void PinMapIndex::Rebuild()
{
    m_stale = true;  // until the whole index stands again
    m_nodes.clear();
    m_keys.clear();
    m_exactName.clear();
    m_upperName.clear();
    m_indexed.clear();
    m_pinName.clear();
    m_pinNumber.clear();
    m_nameless = Positions();
    m_dirty = Positions();
    m_nameText.clear();
    m_pinNamesFiled = false;
    m_pinNumbersFiled = false;

    int count = m_list->GetCount();
    m_nodes.reserve(static_cast<size_t>(count));
    m_keys.resize(static_cast<size_t>(count));
    for (int position = 0; position < count; ++position) {
        KPinNode* node = static_cast<KPinNode*>(m_list->GetAt(position));
        node->m_owner = this;
        node->m_listPosition = position;
        m_nodes.push_back(node);
        FilePortName(position);
    }
    TableReplaced(m_table, m_tableLength);
    m_stale = false;
}

bool PinMapIndex::RebuildStale()
{
    try {
        Rebuild();
    } catch (const std::bad_alloc&) {
        m_stale = true;
    }
    return !m_stale;
}

void PinMapIndex::PortAppended(int count, size_t nameLength, KPinNode* last)
{
    const int end = m_list->GetCount();
    const int first = static_cast<int>(m_nodes.size());
    for (int position = end - count; position < end; ++position) {
        // The last node is the one handed on (a scalar port's only node).
        KPinNode* node = position == end - 1 ? last
                                             : static_cast<KPinNode*>(m_list->GetAt(position));
        node->m_owner = this;
        node->m_listPosition = position;
        if (!m_stale) {
            try {
                m_nodes.push_back(node);
                m_keys.emplace_back();
            } catch (const std::bad_alloc&) {
                m_stale = true;  // the next lookup files every node anew
            }
        }
    }
    if (m_stale) {
        return;
    }
    try {
        for (int position = first; position < first + count; ++position) {
            FilePortName(position, nameLength);
            if (m_pinNamesFiled) {
                FilePinName(position);
            }
            if (m_pinNumbersFiled) {
                FilePinNumber(position);
            }
        }
    } catch (const std::bad_alloc&) {
        m_stale = true;
    }
}

void PinMapIndex::TableReplaced(KBScanCell* table, int length)
{
    m_table = table;
    m_tableLength = table != nullptr ? length : 0;
    for (int original = 0; original < 2; ++original) {
        m_cellNames[original].clear();
        m_cellNamesFiled[original] = false;  // filed when lookups by cell name need it
        m_cellsFiledUpTo[original] = 0;
    }
    for (int number = 0; number < m_tableLength; ++number) {
        m_table[number].m_owner = this;
    }
}

// --- Indexes filed on first use ----------------------------------------

// Files every node in `map` with `file` unless `filed`; out of memory the
// map is emptied again and stays unfiled.
template <typename Map>
bool PinMapIndex::FiledOnFirstUse(bool& filed, Map& map, void (PinMapIndex::*file)(int))
{
    if (!filed) {
        try {
            for (size_t position = 0; position < m_nodes.size(); ++position) {
                (this->*file)(static_cast<int>(position));
            }
            filed = true;
        } catch (const std::bad_alloc&) {
            map.clear();
        }
    }
    return filed;
}

// --- Filing nodes ------------------------------------------------------

// One number for an upper-cased name (by its id) and a vector index.
long long PinMapIndex::IndexedKey(long long nameId, int vectorIndex)
{
    return static_cast<long long>(static_cast<unsigned long long>(nameId) << 32 |
                                  static_cast<unsigned int>(vectorIndex));
}

const std::string& PinMapIndex::CellName(const KBScanCell& cell, bool original)
{
    return original ? cell.m_originalPinName : cell.m_pinName;
}

// Files cell `number` under its name and returns the name's hash (an empty
// name is not filed: 0).
size_t PinMapIndex::FileCellName(int number, bool original)
{
    const std::string& name = CellName(m_table[number], original);
    if (name.empty()) {
        return 0;
    }
    const size_t hash = UpperCasedHash(name.data(), name.size());
    CellNameMap::Entry* entry = m_cellNames[original].InsertHashed(
        hash, [&](const CellNameMap::Entry& found) {
            return !found.second.Empty() &&
                   bscan_text::SameText(CellName(m_table[found.second.First()], original), name);
        });
    entry->second.Insert(number);  // a new entry's first cell is this one
    return hash;
}

// Takes cell `number` out of the entry it was filed in under `oldName`.
// The cell already bears its new name, so the entry is told by holding it.
void PinMapIndex::UnfileCellName(int number, const std::string& oldName, bool original)
{
    CellNameMap& map = m_cellNames[original];
    CellNameMap::Entry* entry =
        map.FindHashed(UpperCasedHash(oldName.data(), oldName.size()),
                       [&](const CellNameMap::Entry& found) {
                           return found.second.Contains(number);
                       });
    if (entry != nullptr) {
        ErasePosition(map, entry, number);
    }
}

std::string_view PinMapIndex::FiledPortName(const NodeKeys& keys)
{
    if (keys.exact != nullptr) {
        return keys.exact->first;
    }
    if (keys.upper != nullptr) {
        return std::string_view(keys.upper->first.data(), keys.upper->first.size());
    }
    return std::string_view();
}

// The nodes filed under the same exact port name as a named node.
PinMapIndex::Positions& PinMapIndex::ExactPositions(const NodeKeys& keys)
{
    return keys.exact != nullptr ? keys.exact->second : keys.upper->second.exact;
}

void PinMapIndex::FilePortName(int position, size_t length)
{
    NodeKeys& keys = m_keys[position];
    const KPinNode* node = m_nodes[position];
    keys.exact = nullptr;
    keys.upper = nullptr;
    keys.portNameText = node->m_portName;
    keys.vectorIndex = node->m_vectorIndex;
    const char* name = TextOrEmpty(node->m_portName);
    if (*name == '\0') {
        m_nameless.Insert(position);
        return;
    }
    if (length == kUnmeasured) {
        length = std::strlen(name);
    }
    // Both maps are hashed by the name upper-cased. A name holds lower
    // case exactly when it has an exact-name entry of its own.
    bool lowerCase = false;
    const size_t hash = UpperCasedHash(name, length, lowerCase);
    if (lowerCase) {
        keys.exact = m_exactName.Insert(name, length, hash);
        keys.upper = m_upperName.Insert(UpperOf(keys.exact->first).c_str(), length, hash);
    } else {
        keys.upper = m_upperName.Insert(name, length, hash);
    }
    ExactPositions(keys).Insert(position);
    if (lowerCase) {
        m_dirty.Insert(position);
        FileNameText(position);
    }
    UpperName& upper = keys.upper->second;
    if (upper.all.Empty()) {
        upper.id = m_nextNameId++;
    }
    upper.all.Insert(position);
    // A name with one node is found by that node's own vector index; from
    // the second node on, the name is a run while its nodes follow each
    // other with indexes one apart, else every node of the name is filed
    // with its index.
    const size_t size = upper.all.Size();
    if (size < 2) {
        return;
    }
    if (!upper.indexed) {
        if (size == 2) {
            const int other = upper.all.First() == position ? upper.all.At(1) : upper.all.First();
            const long long step = 0LL + keys.vectorIndex - m_keys[other].vectorIndex;
            if (position == other + 1 && (step == 1 || step == -1)) {
                upper.runStart = other;
                upper.runIndex = m_keys[other].vectorIndex;
                upper.runStep = static_cast<int>(step);
                return;
            }
        } else if (position == upper.runStart + static_cast<long long>(size) - 1 &&
                   keys.vectorIndex ==
                       upper.runIndex + (static_cast<long long>(size) - 1) * upper.runStep) {
            return;
        }
        FileWithIndexes(upper);  // no run (any more)
        return;
    }
    if (size == 2) {
        int other = upper.all.First() == position ? upper.all.At(1) : upper.all.First();
        m_indexed[IndexedKey(upper.id, m_keys[other].vectorIndex)].Insert(other);
    }
    m_indexed[IndexedKey(upper.id, keys.vectorIndex)].Insert(position);
}

// Files every node of the name with its vector index; the name is no run
// from then on.
void PinMapIndex::FileWithIndexes(UpperName& upper)
{
    for (size_t k = 0; k < upper.all.Size(); ++k) {
        int node = upper.all.At(k);
        m_indexed[IndexedKey(upper.id, m_keys[node].vectorIndex)].Insert(node);
    }
    upper.indexed = true;
}

void PinMapIndex::UnfilePortName(int position)
{
    NodeKeys& keys = m_keys[position];
    UnfileNameText(position);
    if (keys.upper == nullptr) {
        m_nameless.Erase(position);
        return;
    }
    if (!keys.upper->second.indexed && keys.upper->second.all.Size() >= 2) {
        FileWithIndexes(keys.upper->second);  // a run with a node gone is none
    }
    UnfileExactName(position);
    UpperEntry* upper = keys.upper;
    keys.upper = nullptr;
    m_dirty.Erase(position);
    upper->second.all.Erase(position);
    auto index = m_indexed.find(IndexedKey(upper->second.id, keys.vectorIndex));
    if (index != m_indexed.end()) {
        ErasePosition(m_indexed, index, position);
    }
    if (upper->second.all.Empty()) {
        m_upperName.erase(upper);
    }
}

// Takes a named node out of the nodes of its exact port name.
void PinMapIndex::UnfileExactName(int position)
{
    NodeKeys& keys = m_keys[position];
    if (keys.exact != nullptr) {
        ErasePosition(m_exactName, keys.exact, position);
        keys.exact = nullptr;
    } else {
        keys.upper->second.exact.Erase(position);
    }
}

// The stored name changed in letter case only: it keeps its upper-cased
// keys and moves between exact names. `newName` is not an entry's text.
void PinMapIndex::RefileCase(int position, const std::string& newName)
{
    NodeKeys& keys = m_keys[position];
    UnfileExactName(position);
    if (HasLowerCase(newName.data(), newName.size())) {
        NameEntry* exact = m_exactName.Insert(newName.data(), newName.size(),
                                              UpperCasedHash(newName.data(), newName.size()));
        exact->second.Insert(position);
        keys.exact = exact;
        m_dirty.Insert(position);
        FileNameText(position);
    } else {
        // Without lower case the name is its upper-cased entry's text.
        keys.upper->second.exact.Insert(position);
        m_dirty.Erase(position);
        UnfileNameText(position);
    }
}

void PinMapIndex::FilePinName(int position)
{
    NodeKeys& keys = m_keys[position];
    keys.pin = nullptr;
    const char* pinName = TextOrEmpty(m_nodes[position]->m_pinName);
    if (*pinName != '\0') {
        NameEntry* entry = m_pinName.Insert(pinName, std::strlen(pinName));
        entry->second.Insert(position);
        keys.pin = entry;
    }
}

void PinMapIndex::UnfilePinName(int position)
{
    NodeKeys& keys = m_keys[position];
    if (keys.pin != nullptr) {
        ErasePosition(m_pinName, keys.pin, position);
        keys.pin = nullptr;
    }
}

void PinMapIndex::FilePinNumber(int position)
{
    NodeKeys& keys = m_keys[position];
    keys.pinNumber = m_nodes[position]->m_pinNumber;
    if (keys.pinNumber >= 1) {
        m_pinNumber[keys.pinNumber].Insert(position);
    }
}

void PinMapIndex::UnfilePinNumber(int position)
{
    auto it = m_pinNumber.find(m_keys[position].pinNumber);  // only 1 and above are filed
    if (it != m_pinNumber.end()) {
        ErasePosition(m_pinNumber, it, position);
    }
}

// Follows the node's port name buffer to a new address.
void PinMapIndex::TrackNameText(int position)
{
    NodeKeys& keys = m_keys[position];
    const char* text = m_nodes[position]->m_portName;
    if (keys.portNameText == text) {
        return;
    }
    UnfileNameText(position);
    keys.portNameText = text;
    FileNameText(position);
}

// Files the port name buffer of a dirty node (keys.exact: its name holds
// lower case).
void PinMapIndex::FileNameText(int position)
{
    const NodeKeys& keys = m_keys[position];
    if (keys.portNameText != nullptr && keys.exact != nullptr) {
        m_nameText[keys.portNameText] = position;
    }
}

void PinMapIndex::UnfileNameText(int position)
{
    auto text = m_nameText.find(m_keys[position].portNameText);
    if (text != m_nameText.end() && text->second == position) {
        m_nameText.erase(text);
    }
}

// Files the node at `position` under what it holds now, touching only the
// keys that differ from those it was filed under.
void PinMapIndex::Refresh(int position)
{
    NodeKeys& keys = m_keys[position];
    const KPinNode* node = m_nodes[position];

    const char* portName = TextOrEmpty(node->m_portName);
    const std::string_view filed = FiledPortName(keys);
    if (keys.vectorIndex != node->m_vectorIndex || filed != portName) {
        std::string name(portName);
        if (keys.vectorIndex == node->m_vectorIndex && !name.empty() && !filed.empty() &&
            bscan_text::SameText(name, filed)) {
            RefileCase(position, name);
            TrackNameText(position);
        } else {
            UnfilePortName(position);
            FilePortName(position);
        }
    } else {
        TrackNameText(position);  // maybe the same text in a new buffer
    }

    const std::string_view filedPin =
        keys.pin != nullptr ? std::string_view(keys.pin->first) : std::string_view();
    if (m_pinNamesFiled && filedPin != TextOrEmpty(node->m_pinName)) {
        UnfilePinName(position);
        FilePinName(position);
    }
    if (m_pinNumbersFiled && keys.pinNumber != node->m_pinNumber) {
        UnfilePinNumber(position);
        FilePinNumber(position);
    }
}

// --- Hooks -------------------------------------------------------------

int PinMapIndex::PositionOf(const KPinNode* node) const
{
    if (node == nullptr || node->m_owner != this) {
        return -1;
    }
    int position = node->m_listPosition;
    if (position < 0 || static_cast<size_t>(position) >= m_nodes.size() ||
        m_nodes[position] != node) {
        return -1;
    }
    return position;
}

int PinMapIndex::NumberOf(const KBScanCell* cell) const
{
    std::less<const KBScanCell*> before;
    if (cell == nullptr || cell->m_owner != this || m_table == nullptr ||
        before(cell, m_table) || !before(cell, m_table + m_tableLength)) {
        return -1;
    }
    return static_cast<int>(cell - m_table);
}

void PinMapIndex::NodeChanged(KPinNode* node)
{
    int position = PositionOf(node);
    if (m_stale || position < 0) {
        return;
    }
    try {
        Refresh(position);
    } catch (const std::bad_alloc&) {
        m_stale = true;
    }
}

void PinMapIndex::CellNameChanged(KBScanCell* cell, const std::string& oldName, bool original)
{
    if (!m_cellNamesFiled[original] || m_stale) {
        return;  // filed from the table when first needed
    }
    int number = NumberOf(cell);
    if (number < 0 || number >= m_cellsFiledUpTo[original]) {
        return;  // not filed yet: filed under the name it bears then
    }
    try {
        if (!oldName.empty()) {
            UnfileCellName(number, oldName, original);
        }
        FileCellName(number, original);
    } catch (const std::bad_alloc&) {
        m_stale = true;
    }
}

// --- Lookups -----------------------------------------------------------

PinMapIndex::LookupText PinMapIndex::UpperCaseLookupText(char* text, size_t length)
{
    bool changed = false;
    LookupText lookup{text, length, UpperCasedHash<true>(text, length, changed)};
    if (changed && !m_stale) {
        LookupTextChanged(text);
    }
    return lookup;
}

// A lookup text that upper-casing changed: when it is the stored port name
// of a node, that node is refiled under its new name.
void PinMapIndex::LookupTextChanged(const char* text)
{
    // A host may look a port up by the very text the node holds.
    auto owner = m_nameText.find(text);
    if (owner != m_nameText.end() && static_cast<size_t>(owner->second) < m_nodes.size() &&
        m_nodes[owner->second]->m_portName == text) {
        try {
            Refresh(owner->second);
        } catch (const std::bad_alloc&) {
            m_stale = true;
        }
    }
}

// Upper-cases, in place and in list order, the stored port name of every
// dirty node up to and including position `last`. Each such node is the
// first of its exact-name group, so leaving the group is cheap.
void PinMapIndex::UpperCaseDirtyNamesUpTo(int last)
{
    while (!m_dirty.Empty() && m_dirty.First() <= last) {
        int position = m_dirty.First();
        KPinNode* node = m_nodes[position];
        if (node->m_portName != nullptr) {
            for (char* c = node->m_portName; *c != '\0'; ++c) {
                *c = UpperChar(*c);
            }
        }
        RefileCase(position, UpperOf(FiledPortName(m_keys[position])));
    }
}

KPinNode* PinMapIndex::FirstWithPinNumber(int number)
{
    if (number < 1 || !Fresh() ||
        !FiledOnFirstUse(m_pinNumbersFiled, m_pinNumber, &PinMapIndex::FilePinNumber)) {
        return nullptr;
    }
    auto it = m_pinNumber.find(number);
    return it != m_pinNumber.end() ? m_nodes[it->second.First()] : nullptr;
}

KPinNode* PinMapIndex::FirstWithPinName(const char* pinName)
{
    if (pinName == nullptr || *pinName == '\0' || !Fresh() ||
        !FiledOnFirstUse(m_pinNamesFiled, m_pinName, &PinMapIndex::FilePinName)) {
        return nullptr;
    }
    auto it = m_pinName.find(pinName, std::strlen(pinName));
    return it != m_pinName.end() ? m_nodes[it->second.First()] : nullptr;
}

KPinNode* PinMapIndex::FirstNamed(const LookupText& name)
{
    if (!Fresh()) {
        return nullptr;
    }
    try {
        int match = -1;
        auto it = m_upperName.find(name.text, name.length, name.hash);
        if (it != m_upperName.end()) {
            match = it->second.all.First();
        }
        UpperCaseStoredNamesUpTo(match >= 0 ? match : static_cast<int>(m_nodes.size()) - 1);
        return match >= 0 ? m_nodes[match] : nullptr;
    } catch (const std::bad_alloc&) {
        m_stale = true;
        return nullptr;
    }
}

// UpperCaseLookupText's steps are repeated here, inline: every register
// entry of a file is stored through this lookup.
KPinNode* PinMapIndex::FirstNamedWithIndex(char* text, size_t length, int vectorIndex)
{
    bool changed = false;
    const LookupText name{text, length, UpperCasedHash<true>(text, length, changed)};
    if (changed && !m_stale) {
        LookupTextChanged(text);
    }
    if (!Fresh()) {
        return nullptr;
    }
    try {
        // The scan ends at the first nameless node.
        int end = m_nameless.Empty() ? static_cast<int>(m_nodes.size()) : m_nameless.First();
        int match = -1;
        UpperEntry* it = m_upperName.find(name.text, name.length, name.hash);
        if (it != m_upperName.end()) {
            const UpperName& upper = it->second;
            int first = -1;
            if (upper.all.Single()) {
                // The node's own vector index is the one it is filed with.
                int only = upper.all.First();
                first = m_nodes[only]->m_vectorIndex == vectorIndex ? only : -1;
            } else if (!upper.indexed) {
                // A run: its indexes are all different.
                const long long k = (0LL + vectorIndex - upper.runIndex) * upper.runStep;
                first = k >= 0 && k < static_cast<long long>(upper.all.Size())
                            ? upper.runStart + static_cast<int>(k)
                            : -1;
            } else {
                auto index = m_indexed.find(IndexedKey(upper.id, vectorIndex));
                first = index != m_indexed.end() ? index->second.First() : -1;
            }
            if (first >= 0 && first < end) {
                match = first;
            }
        }
        UpperCaseStoredNamesUpTo(match >= 0 ? match : end - 1);
        return match >= 0 ? m_nodes[match] : nullptr;
    } catch (const std::bad_alloc&) {
        m_stale = true;
        return nullptr;
    }
}

// NthWithExactName when the node after the one found last is not filed
// under `name` (or the index must be rebuilt first).
KPinNode* PinMapIndex::NthWithExactNameLookedUp(const char* name, int occurrence)
{
    if (name == nullptr || *name == '\0' || occurrence < 0 || !Fresh()) {
        return nullptr;
    }
    // The name's hash (that of its upper-cased text, as both maps are
    // hashed) and whether it holds lower case, found in one pass.
    const size_t length = std::strlen(name);
    bool lowerCase = false;
    const size_t hash = UpperCasedHash(name, length, lowerCase);
    const Positions* exact = nullptr;
    if (lowerCase) {
        auto it = m_exactName.find(name, length, hash);
        exact = it != m_exactName.end() ? &it->second : nullptr;
    } else {
        auto it = m_upperName.find(name, length, hash);
        exact = it != m_upperName.end() ? &it->second.exact : nullptr;
    }
    if (exact == nullptr || static_cast<size_t>(occurrence) >= exact->Size()) {
        return nullptr;
    }
    int position = exact->At(static_cast<size_t>(occurrence));
    m_nthNext = static_cast<size_t>(position) + 1;
    return m_nodes[position];
}

KBScanCell* PinMapIndex::FirstCellNamed(const char* name, bool original)
{
    if (name == nullptr || m_table == nullptr || !Fresh()) {
        return nullptr;
    }
    if (*name == '\0') {
        // Not indexed: default cells all bear the empty name.
        KBScanCell* const end = m_table + m_tableLength;
        KBScanCell* const found = std::find_if(m_table, end, [&](const KBScanCell& cell) {
            return CellName(cell, original).empty();
        });
        return found != end ? found : nullptr;
    }
    size_t length = std::strlen(name);
    // The first match among the cells filed so far is the first of the
    // table; else it lies beyond them.
    const size_t hash = UpperCasedHash(name, length);
    if (m_cellNamesFiled[original]) {
        // An entry's name is its first cell's.
        CellNameMap::Entry* entry =
            m_cellNames[original].FindHashed(hash, [&](const CellNameMap::Entry& found) {
                return !found.second.Empty() &&
                       bscan_text::SameText(CellName(m_table[found.second.First()], original),
                                            std::string_view(name, length));
            });
        if (entry != nullptr) {
            return &m_table[entry->second.First()];
        }
    }
    return FileCellNamesUpToMatch(name, length, hash, original);
}

// Files the cells not filed yet, in table order, up to and including the
// first whose name, upper-cased, is `name` upper-cased (`hash`: its
// UpperCasedHash), and returns that cell; files them all and returns null
// when none is. Out of memory, nothing stays filed and null is returned.
KBScanCell* PinMapIndex::FileCellNamesUpToMatch(const char* name, size_t length, size_t hash,
                                                bool original)
{
    try {
        m_cellNamesFiled[original] = true;
        for (int number = m_cellsFiledUpTo[original]; number < m_tableLength; ++number) {
            const std::string& text = CellName(m_table[number], original);
            m_cellsFiledUpTo[original] = number + 1;
            if (FileCellName(number, original) == hash &&
                bscan_text::SameText(text, std::string_view(name, length))) {
                return &m_table[number];
            }
        }
        return nullptr;
    } catch (const std::bad_alloc&) {
        m_cellNames[original].clear();
        m_cellNamesFiled[original] = false;
        m_cellsFiledUpTo[original] = 0;
        return nullptr;
    }
}
