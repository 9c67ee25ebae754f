// The library's one hash function and one hash table (internal, not
// installed).
//
// Hash: texts are hashed byte by byte (FNV-1a, so a caller that walks a
// text anyway can hash it on the way) and then mixed; numbers and
// addresses are mixed alone.
//
// HashTable: open addressing over a power-of-two array of entry numbers,
// the entries themselves in blocks that never move, so that a reference to
// an entry stays valid until that entry is erased (erased entries are
// reused). The interface is the part of std::unordered_map the library
// uses (find returns the entry or end(), which is null; erase takes an
// entry), plus texts looked up and added without making a key of them,
// and entries whose key is kept elsewhere (FindHashed, InsertHashed: the
// key field stays default, an entry is told by its hash and a test).
// Insertion may throw std::bad_alloc and then leaves the table as it was.
#ifndef BSCAN_HASHTABLEINTERNAL_H
#define BSCAN_HASHTABLEINTERNAL_H

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace bscan_util {

inline std::size_t HashMix(std::uint64_t h)
{
    h ^= h >> 32;
    h *= 0x9E3779B97F4A7C15ull;
    h ^= h >> 29;
    return static_cast<std::size_t>(h);
}

const std::uint64_t kHashStart = 0xcbf29ce484222325ull;

inline std::uint64_t HashStep(std::uint64_t h, char c)
{
    return (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ull;
}

inline std::size_t HashBytes(const char* text, std::size_t length)
{
    std::uint64_t h = kHashStart;
    for (std::size_t i = 0; i < length; ++i)
        h = HashStep(h, text[i]);
    return HashMix(h);
}

inline std::size_t HashOf(const std::string& key)
{
    return HashBytes(key.data(), key.size());
}

inline std::size_t HashOf(long long key)
{
    return HashMix(static_cast<std::uint64_t>(key));
}

inline std::size_t HashOf(int key)
{
    return HashMix(static_cast<std::uint64_t>(static_cast<unsigned int>(key)));
}

// A text pointer is a key by its address.
inline std::size_t HashOf(const char* key)
{
    return HashMix(static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(key)));
}

// True when the `length` bytes at `a` and `b` are equal.
inline bool EqualBytes(const char* a, const char* b, std::size_t length)
{
    return std::memcmp(a, b, length) == 0;
}

template <typename Key, typename Value>
class HashTable {
public:
    struct Entry {
        Key first{};
        Value second{};
        std::size_t hash = 0;
        int number = 0;
    };

    HashTable() = default;
    // A copy holds copies of the entries, under the same numbers.
    HashTable(const HashTable& other)
        : m_slotCount(other.m_slotCount), m_free(other.m_free), m_count(other.m_count),
          m_live(other.m_live), m_used(other.m_used)
    {
        if (m_slotCount != 0) {
            m_slots.reset(new int[m_slotCount]);
            std::copy(other.m_slots.get(), other.m_slots.get() + m_slotCount, m_slots.get());
        }
        m_blocks.reserve(other.m_blocks.size());
        for (const auto& block : other.m_blocks) {
            AddBlock();
            std::copy(block.get(), block.get() + kBlock, m_blocks.back().get());
        }
    }
    HashTable& operator=(const HashTable&) = delete;

    Entry* end() const { return nullptr; }
    bool empty() const { return m_live == 0; }

    Entry* find(const Key& key) const
    {
        return FindHashed(HashOf(key), [&](const Entry& entry) { return entry.first == key; });
    }

    // A text key (anything with data() and size()) found by its bytes;
    // `hash` is HashBytes of them unless the caller hashes texts otherwise.
    Entry* find(const char* text, std::size_t length) const
    {
        return find(text, length, HashBytes(text, length));
    }
    Entry* find(const char* text, std::size_t length, std::size_t hash) const
    {
        return FindHashed(hash, SameText(text, length));
    }

    Value& operator[](const Key& key)
    {
        return InsertHashed(
                   HashOf(key), [&](const Entry& entry) { return entry.first == key; },
                   [&](Key& made) { made = key; })
            ->second;
    }

    // The entry of a text key, made when there is none.
    Entry* Insert(const char* text, std::size_t length)
    {
        return Insert(text, length, HashBytes(text, length));
    }
    Entry* Insert(const char* text, std::size_t length, std::size_t hash)
    {
        return InsertHashed(hash, SameText(text, length),
                            [&](Key& made) { made.append(text, length); });  // a free key is empty
    }

    // The entry with `hash` for which `equal` holds; null when none.
    template <typename Equal>
    Entry* FindHashed(std::size_t hash, Equal equal) const
    {
        if (m_slotCount == 0)
            return nullptr;
        const std::size_t mask = m_slotCount - 1;
        for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
            const int number = m_slots[slot];
            if (number == kEmpty)
                return nullptr;
            if (number >= 0) {
                Entry& entry = At(number);
                if (entry.hash == hash && equal(entry))
                    return &entry;
            }
        }
    }

    // The entry FindHashed finds, made when there is none; `makeKey` sets
    // a new entry's key (which may throw: the entry then stays unmade).
    template <typename Equal, typename MakeKey = void (*)(Key&)>
    Entry* InsertHashed(std::size_t hash, Equal equal, MakeKey makeKey = [](Key&) {})
    {
        // One walk finds the entry or the slot a new one takes: the first
        // erased slot on the way, else the empty slot that ended the walk.
        std::size_t free = kNoSlot;
        if (m_slotCount != 0) {
            const std::size_t mask = m_slotCount - 1;
            for (std::size_t slot = hash & mask;; slot = (slot + 1) & mask) {
                const int number = m_slots[slot];
                if (number == kEmpty) {
                    if (free == kNoSlot)
                        free = slot;
                    break;
                }
                if (number >= 0) {
                    Entry& entry = At(number);
                    if (entry.hash == hash && equal(entry))
                        return &entry;
                } else if (free == kNoSlot) {
                    free = slot;  // erased
                }
            }
        }
        if ((m_used + 1) * 2 > m_slotCount) {
            Rehash();
            free = kNoSlot;
        }
        int number;
        if (!m_free.empty()) {
            number = m_free.back();
            makeKey(At(number).first);
            m_free.pop_back();
        } else {
            if (m_count == m_blocks.size() * kBlock)
                AddBlock();
            number = static_cast<int>(m_count);
            makeKey(At(number).first);
            ++m_count;
        }
        Entry& entry = At(number);
        entry.hash = hash;
        entry.number = number;
        if (free == kNoSlot) {
            const std::size_t mask = m_slotCount - 1;
            free = hash & mask;
            while (m_slots[free] >= 0)
                free = (free + 1) & mask;
        }
        if (m_slots[free] == kEmpty)
            ++m_used;
        m_slots[free] = number;
        ++m_live;
        return &entry;
    }

    void erase(Entry* entry) noexcept
    {
        const std::size_t mask = m_slotCount - 1;
        std::size_t slot = entry->hash & mask;
        while (m_slots[slot] != entry->number)
            slot = (slot + 1) & mask;
        m_slots[slot] = kErased;
        --m_live;
        entry->first = Key();
        entry->second = Value();
        try {
            m_free.push_back(entry->number);
        } catch (...) {
            // out of memory: the entry is not reused
        }
    }

    // Room for `entries` more entries: the slot array and the entries are
    // made at once, so that inserting them allocates nothing and never
    // places the entries anew.
    void Reserve(std::size_t entries)
    {
        std::size_t size = m_slotCount == 0 ? 16 : m_slotCount;
        while ((m_live + entries + 1) * 2 > size)
            size *= 2;
        m_blocks.reserve((m_count + entries) / kBlock + 1);
        while (m_blocks.size() * kBlock < m_count + entries)
            AddBlock();
        if (size != m_slotCount)
            RehashTo(size);
    }

    void clear() noexcept
    {
        m_slots.reset();
        m_slotCount = 0;
        m_blocks.clear();
        m_free.clear();
        m_count = 0;
        m_live = 0;
        m_used = 0;
    }

private:
    static constexpr int kEmpty = -1;
    static constexpr int kErased = -2;
    static constexpr std::size_t kBlock = 32;
    static constexpr std::size_t kNoSlot = ~static_cast<std::size_t>(0);

    static auto SameText(const char* text, std::size_t length)
    {
        return [text, length](const Entry& entry) {
            return entry.first.size() == length && EqualBytes(entry.first.data(), text, length);
        };
    }

    void AddBlock() { m_blocks.push_back(std::unique_ptr<Entry[]>(new Entry[kBlock])); }

    Entry& At(int number) const
    {
        const std::size_t n = static_cast<std::size_t>(number);
        return m_blocks[n / kBlock][n % kBlock];
    }

    // A new slot array, with every live entry placed anew: as large as
    // before when erased slots made up the load, else larger, so that the
    // live entries fill at most a quarter of it.
    void Rehash()
    {
        std::size_t size = m_slotCount == 0 ? 16 : m_slotCount;
        while ((m_live + 1) * 4 > size)
            size *= 2;
        RehashTo(size);
    }

    void RehashTo(std::size_t size)
    {
        std::unique_ptr<int[]> slots(new int[size]);
        std::fill(slots.get(), slots.get() + size, kEmpty);
        const std::size_t mask = size - 1;
        for (std::size_t old = 0; old < m_slotCount; ++old) {
            const int number = m_slots[old];
            if (number < 0)
                continue;
            std::size_t slot = At(number).hash & mask;
            while (slots[slot] >= 0)
                slot = (slot + 1) & mask;
            slots[slot] = number;
        }
        m_slots = std::move(slots);
        m_slotCount = size;
        m_used = m_live;
    }

    std::unique_ptr<int[]> m_slots;  // entry numbers, kEmpty or kErased
    std::size_t m_slotCount = 0;     // a power of two, or 0 for no array
    std::vector<std::unique_ptr<Entry[]>> m_blocks;
    std::vector<int> m_free;         // erased entries
    std::size_t m_count = 0;         // entries ever made
    std::size_t m_live = 0;          // entries in the table
    std::size_t m_used = 0;          // slots not empty (live or erased)
};

}  // namespace bscan_util

#endif
