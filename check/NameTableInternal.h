// A table from names to values for the checker's lookups (declared ports
// by name, pins of a pin map), on the library's hash table. The names are
// views: the texts they point into must outlive the table. The first value
// added under a name stays.
#ifndef BSCAN_NAMETABLEINTERNAL_H
#define BSCAN_NAMETABLEINTERNAL_H

#include <cstddef>
#include <string_view>
#include <utility>

#include "util/AsciiCaseInternal.h"
#include "util/HashTableInternal.h"

namespace bscan_check {

// `CaseBlind`: names are found ignoring ASCII case; else exactly.
template <typename Value, bool CaseBlind>
class NameTable {
public:
    // Room for `count` names without growing.
    void Reserve(std::size_t count) { m_table.Reserve(count); }

    // Adds `name` with `value` unless the name is there already. Returns
    // the value kept under the name and whether it is the one given.
    std::pair<Value*, bool> Add(std::string_view name, const Value& value)
    {
        bool made = false;
        Entry* entry = m_table.InsertHashed(Hash(name), Same(name), [&](std::string_view& key) {
            key = name;
            made = true;
        });
        if (made)
            entry->second = value;
        return {&entry->second, made};
    }

    // The value under `name`, null when none.
    const Value* Find(std::string_view name) const
    {
        const Entry* entry = m_table.FindHashed(Hash(name), Same(name));
        return entry ? &entry->second : nullptr;
    }

private:
    using Table = bscan_util::HashTable<std::string_view, Value>;
    using Entry = typename Table::Entry;

    static std::size_t Hash(std::string_view name)
    {
        std::uint64_t hash = bscan_util::kHashStart;
        for (char c : name) {
            if (CaseBlind && c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            hash = bscan_util::HashStep(hash, c);
        }
        return bscan_util::HashMix(hash);
    }
    static auto Same(std::string_view name)
    {
        return [name](const Entry& entry) {
            return entry.first == name || (CaseBlind && bscan_text::SameText(entry.first, name));
        };
    }

    Table m_table;
};

}  // namespace bscan_check

#endif
