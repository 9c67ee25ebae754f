// The sorted position sets of the pin map's index.
#include "model/PositionSetInternal.h"

#include <algorithm>

bool PositionSet::Contains(int position) const
{
    if (m_first != kInVector)
        return position >= 0 && (position == m_first || position == m_second);
    const std::vector<int>& items = m_more->items;
    return std::binary_search(items.begin() + static_cast<std::ptrdiff_t>(m_more->head), items.end(),
                              position);
}

void PositionSet::MoveToVector(std::size_t more)
{
    // Memory is taken before anything changes.
    if (!m_more)
        m_more.reset(new More);
    std::vector<int>& items = m_more->items;
    items.clear();
    items.reserve(Size() + more);
    m_more->head = 0;
    if (m_first >= 0)
        items.push_back(m_first);
    if (m_second >= 0)
        items.push_back(m_second);
    m_first = kInVector;
    m_second = kNone;
}

void PositionSet::InsertSlowly(int position)
{
    if (m_first == kNone) {
        m_first = position;
        return;
    }
    if (m_first >= 0) {
        if (position == m_first || position == m_second)
            return;
        if (m_second == kNone) {
            m_second = std::max(position, m_first);
            m_first = std::min(position, m_first);
            return;
        }
        MoveToVector(2);  // a third entry: all three go to the vector
    }
    std::vector<int>& items = m_more->items;
    if (position > items.back()) {
        items.push_back(position);
        return;
    }
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

void PositionSet::Erase(int position)
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
    if (items[m_more->head] == position) {
        PopFront();
        return;
    }
    if (items.back() == position) {
        items.pop_back();  // the first entry stays: the set is not empty
        return;
    }
    auto begin = items.begin() + static_cast<std::ptrdiff_t>(m_more->head);
    auto it = std::lower_bound(begin, items.end(), position);
    if (it != items.end() && *it == position)
        items.erase(it);
}

void PositionSet::AppendRange(int first, int count)
{
    if (count <= 0)
        return;
    if (m_first != kInVector && Size() + static_cast<std::size_t>(count) <= 2) {
        for (int k = 0; k < count; ++k)
            Insert(first + k);
        return;
    }
    if (m_first != kInVector)
        MoveToVector(static_cast<std::size_t>(count));
    std::vector<int>& items = m_more->items;
    const std::size_t at = items.size();
    items.resize(at + static_cast<std::size_t>(count));
    for (int k = 0; k < count; ++k)
        items[at + static_cast<std::size_t>(k)] = first + k;
}

void PositionSet::PopFront()
{
    std::vector<int>& items = m_more->items;
    std::size_t& head = m_more->head;
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
}
