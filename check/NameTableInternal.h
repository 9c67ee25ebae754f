// A table from names to values for the checker's lookups (declared ports
// by name, pins of a pin map): open addressing in one array, so adding a
// name allocates nothing once the table is sized. The names are views: the
// texts they point into must outlive the table. The first value added under
// a name stays.
#ifndef BSCAN_NAMETABLEINTERNAL_H
#define BSCAN_NAMETABLEINTERNAL_H

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "util/AsciiCaseInternal.h"

namespace bscan_check {

// `CaseBlind`: names are found ignoring ASCII case; else exactly.
template <typename Value, bool CaseBlind>
class NameTable {
public:
    // Room for `count` names without growing.
    void Reserve(std::size_t count)
    {
        std::size_t size = 16;
        while (!Roomy(count, size))
            size *= 2;
        if (size > m_slots.size())
            Rehash(size);
    }

    // Adds `name` with `value` unless the name is there already. Returns
    // the value kept under the name and whether it is the one given.
    std::pair<Value*, bool> Add(std::string_view name, const Value& value)
    {
        if (m_slots.empty() || !Roomy(m_count + 1, m_slots.size()))
            Rehash(m_slots.empty() ? 16 : m_slots.size() * 2);
        const std::uint32_t hash = Hash(name);
        std::size_t k = hash & (m_slots.size() - 1);
        while (m_slots[k].used) {
            if (m_slots[k].hash == hash && Same(m_slots[k].name, name))
                return {&m_slots[k].value, false};
            k = (k + 1) & (m_slots.size() - 1);
        }
        m_slots[k] = Slot{name, value, hash, true};
        ++m_count;
        return {&m_slots[k].value, true};
    }

    // The value under `name`, null when none.
    const Value* Find(std::string_view name) const
    {
        if (m_slots.empty())
            return nullptr;
        const std::uint32_t hash = Hash(name);
        std::size_t k = hash & (m_slots.size() - 1);
        while (m_slots[k].used) {
            if (m_slots[k].hash == hash && Same(m_slots[k].name, name))
                return &m_slots[k].value;
            k = (k + 1) & (m_slots.size() - 1);
        }
        return nullptr;
    }

private:
    // Small slots, filled to at most 70 %: the table stays compact in the
    // cache.
    struct Slot {
        std::string_view name;
        Value value{};
        std::uint32_t hash = 0;
        bool used = false;
    };

    static bool Roomy(std::size_t count, std::size_t size) { return count * 10 <= size * 7; }
    static std::uint32_t Hash(std::string_view name)
    {
        std::uint64_t hash = 14695981039346656037ull;
        for (char c : name) {
            if (CaseBlind && c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        }
        return static_cast<std::uint32_t>(hash ^ (hash >> 32));
    }
    static bool Same(std::string_view a, std::string_view b)
    {
        return a == b || (CaseBlind && bscan_text::SameText(a, b));
    }
    void Rehash(std::size_t size)
    {
        std::vector<Slot> old;
        old.swap(m_slots);
        m_slots.assign(size, Slot{});
        for (const Slot& slot : old) {
            if (!slot.used)
                continue;
            std::size_t k = slot.hash & (size - 1);
            while (m_slots[k].used)
                k = (k + 1) & (size - 1);
            m_slots[k] = slot;
        }
    }

    std::vector<Slot> m_slots;
    std::size_t m_count = 0;
};

}  // namespace bscan_check

#endif
