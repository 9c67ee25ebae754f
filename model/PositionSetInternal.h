// A sorted set of positions (list positions of nodes, or cell numbers), as
// the pin map's index files them under a key (internal, not installed).
// Most keys have one or two positions, held inline; more go to a vector,
// where new entries usually come last and old ones usually leave from the
// front, both in amortised constant time. The k-th entry is found in
// constant time. The vector is allocated apart, so that the usual set
// takes 16 bytes. Insertion may throw std::bad_alloc.
#ifndef BSCAN_POSITIONSETINTERNAL_H
#define BSCAN_POSITIONSETINTERNAL_H

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
    // Size() == 1, told from the inline entries without counting.
    bool Single() const
    {
        if (m_first >= 0)
            return m_second == kNone;
        return m_first == kInVector && m_more->items.size() - m_more->head == 1;
    }
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
    // Adds the `count` positions from `first` on, all above every entry.
    void AppendRange(int first, int count);

private:
    static constexpr int kNone = -1;      // no entry (m_first: the set is empty)
    static constexpr int kInVector = -2;  // m_first: the entries are in the vector

    struct More {
        std::vector<int> items;
        std::size_t head = 0;  // entries before it have left
    };

    void InsertSlowly(int position);
    void PopFront();
    // Moves the inline entries to the vector, with room for `more` others.
    void MoveToVector(std::size_t more);

    int m_first = kNone;  // inline entries, m_first < m_second
    int m_second = kNone;
    std::unique_ptr<More> m_more;  // kept for reuse once allocated
};

#endif
