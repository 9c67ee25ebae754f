// A sorted set of positions (node list positions or cell numbers) as the
// pin map's index files them under a key. One or two are held inline (16
// bytes), more in a vector allocated apart, where entries usually come last
// and leave from the front, both in amortised constant time; the k-th entry
// is found in constant time. Insertion may throw std::bad_alloc.
#ifndef BSCAN_POSITIONSETINTERNAL_H
#define BSCAN_POSITIONSETINTERNAL_H

#include <algorithm>
#include <cstddef>
#include <memory>
#include <vector>

class PositionSet {
public:
    bool Empty() const { return m_first == kNone; }
    std::size_t Size() const
    {
        if (m_first == kInVector)
            return m_more->items.size() - m_more->head;
        return (m_first >= 0 ? 1u : 0u) + (m_second >= 0 ? 1u : 0u);
    }
    bool Single() const { return Size() == 1; }
    int First() const { return m_first == kInVector ? m_more->items[m_more->head] : m_first; }
    int At(std::size_t k) const
    {
        if (m_first == kInVector)
            return m_more->items[m_more->head + k];
        return k == 0 ? m_first : m_second;
    }
    bool Contains(int position) const;
    // The usual cases (a first entry, or a new last one of a vector)
    // inline; the others out of line.
    void Insert(int position)
    {
        if (m_first == kNone) {
            m_first = position;
        } else if (m_first == kInVector && position > m_more->items.back() &&
                   m_more->items.size() < m_more->items.capacity()) {
            m_more->items.push_back(position);
        } else {
            InsertSlowly(position);
        }
    }
    void Erase(int position);

private:
    static constexpr int kNone = -1;      // no entry (m_first: the set is empty)
    static constexpr int kInVector = -2;  // m_first: the entries are in the vector

    struct More {
        std::vector<int> items;
        std::size_t head = 0;  // entries before it have left
    };

    void InsertSlowly(int position);

    int m_first = kNone;  // inline entries, m_first < m_second
    int m_second = kNone;
    std::unique_ptr<More> m_more;  // kept for reuse once allocated
};

inline bool PositionSet::Contains(int position) const
{
    if (m_first != kInVector)
        return position >= 0 && (position == m_first || position == m_second);
    const std::vector<int>& items = m_more->items;
    return std::binary_search(items.begin() + static_cast<std::ptrdiff_t>(m_more->head), items.end(),
                              position);
}

// Called by Insert for a set that is not empty.
inline void PositionSet::InsertSlowly(int position)
{
    if (m_first >= 0) {
        if (position == m_first || position == m_second)
            return;
        if (m_second == kNone) {
            m_second = std::max(position, m_first);
            m_first = std::min(position, m_first);
            return;
        }
        // A third entry: all three go to the vector, its memory taken
        // before anything changes.
        if (!m_more)
            m_more.reset(new More);
        m_more->items.clear();
        m_more->items.reserve(4);
        m_more->head = 0;
        m_more->items.push_back(m_first);
        m_more->items.push_back(m_second);
        m_first = kInVector;
        m_second = kNone;
    }
    std::vector<int>& items = m_more->items;
    auto begin = items.begin() + static_cast<std::ptrdiff_t>(m_more->head);
    auto it = std::lower_bound(begin, items.end(), position);
    if (it != items.end() && *it == position)
        return;
    if (it == begin && m_more->head > 0) {
        items[--m_more->head] = position;  // reuse the room left in front
        return;
    }
    items.insert(it, position);
}

inline void PositionSet::Erase(int position)
{
    if (m_first == kNone)
        return;
    if (m_first >= 0) {
        if (position == m_first) {
            m_first = m_second;
            m_second = kNone;
        } else if (position == m_second) {
            m_second = kNone;
        }
        return;
    }
    std::vector<int>& items = m_more->items;
    std::size_t& head = m_more->head;
    if (items[head] == position) {
        ++head;
        if (head == items.size()) {
            items.clear();
            head = 0;
            m_first = kNone;  // empty: back to the inline entries
            m_second = kNone;
        } else if (head >= 64 && head * 2 >= items.size()) {
            items.erase(items.begin(), items.begin() + static_cast<std::ptrdiff_t>(head));
            head = 0;
        }
        return;
    }
    auto begin = items.begin() + static_cast<std::ptrdiff_t>(head);
    auto it = std::lower_bound(begin, items.end(), position);
    if (it != items.end() && *it == position)
        items.erase(it);
}

#endif
