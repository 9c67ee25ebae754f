// The library's internal containers: the one hash table (copies, keys kept
// elsewhere, growth), the pin map index's sorted position sets and the
// short-text key, each against a plain standard container.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "model/PositionSetInternal.h"
#include "util/HashTableInternal.h"
#include "util/ShortTextInternal.h"

namespace {

struct External {};

}  // namespace

TEST(ContainersHashTable, CopiesHoldTheSameEntriesAndStayApart)
{
    bscan_util::HashTable<long long, int> table;
    for (long long key = 0; key < 500; ++key)
        table[key * 7919] = static_cast<int>(key);
    for (long long key = 0; key < 500; key += 3)
        table.erase(table.find(key * 7919));

    bscan_util::HashTable<long long, int> copy(table);
    for (long long key = 0; key < 500; ++key) {
        const auto* entry = copy.find(key * 7919);
        if (key % 3 == 0) {
            EXPECT_EQ(entry, nullptr) << key;
        } else {
            ASSERT_NE(entry, nullptr) << key;
            EXPECT_EQ(entry->second, key);
        }
    }
    // Changing the copy leaves the original alone, erased entries reused.
    copy[1] = -1;
    copy.erase(copy.find(7919));
    EXPECT_EQ(table.find(1), nullptr);
    ASSERT_NE(table.find(7919), nullptr);
    EXPECT_EQ(table.find(7919)->second, 1);
    EXPECT_EQ(copy.find(1)->second, -1);

    bscan_util::HashTable<long long, int> empty;
    bscan_util::HashTable<long long, int> emptyCopy(empty);
    EXPECT_TRUE(emptyCopy.empty());
    EXPECT_EQ(emptyCopy.find(0), nullptr);
}

TEST(ContainersHashTable, KeysKeptElsewhereAreFoundByHashAndTest)
{
    // Texts kept in a list of their own; the table files their numbers,
    // the first of equal texts keeping the entry.
    const std::vector<std::string> texts = {"A1", "B2", "A1", "VCC", "", "B2", "GND"};
    bscan_util::HashTable<External, int> table;
    table.Reserve(texts.size());
    const auto same = [&](const std::string& text) {
        return [&texts, text](const bscan_util::HashTable<External, int>::Entry& entry) {
            return texts[static_cast<size_t>(entry.second - 1)] == text;
        };
    };
    for (size_t i = 0; i < texts.size(); ++i) {
        auto* entry = table.InsertHashed(bscan_util::HashOf(texts[i]), same(texts[i]));
        if (entry->second == 0)
            entry->second = static_cast<int>(i + 1);
    }
    const auto find = [&](const std::string& text) {
        const auto* entry = table.FindHashed(bscan_util::HashOf(text), same(text));
        return entry != nullptr ? entry->second : 0;
    };
    EXPECT_EQ(find("A1"), 1);
    EXPECT_EQ(find("B2"), 2);
    EXPECT_EQ(find("VCC"), 4);
    EXPECT_EQ(find(""), 5);
    EXPECT_EQ(find("GND"), 7);
    EXPECT_EQ(find("A2"), 0);
    // Texts differing in one byte only, and equal hashes of the same bytes.
    EXPECT_TRUE(bscan_util::EqualBytes("ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMNOPQ", 17));
    EXPECT_FALSE(bscan_util::EqualBytes("ABCDEFGHIJKLMNOPQ", "ABCDEFGHIJKLMNOPR", 17));
    EXPECT_FALSE(bscan_util::EqualBytes("ABCDE", "XBCDE", 5));
    EXPECT_FALSE(bscan_util::EqualBytes("AB", "AC", 2));
    EXPECT_EQ(bscan_util::HashBytes("PIN", 3), bscan_util::HashOf(std::string("PIN")));
}

TEST(ContainersPositionSet, RandomChangesMatchAStdSet)
{
    std::mt19937 random(20261206);
    for (int round = 0; round < 200; ++round) {
        PositionSet set;
        std::set<int> plain;
        const int range = round % 2 == 0 ? 8 : 400;
        for (int step = 0; step < 300; ++step) {
            const int position = static_cast<int>(random() % static_cast<unsigned>(range));
            switch (random() % 4) {
            case 0:
            case 1:
                set.Insert(position);
                plain.insert(position);
                break;
            case 2:
                set.Erase(position);
                plain.erase(position);
                break;
            default: {
                // A range above every entry, as a vector port's elements come.
                const int first = plain.empty() ? position : *plain.rbegin() + 1 + position % 3;
                const int count = static_cast<int>(random() % 5);
                for (int k = 0; k < count; ++k) {
                    set.Insert(first + k);
                    plain.insert(first + k);
                }
                break;
            }
            }
            ASSERT_EQ(set.Size(), plain.size());
            ASSERT_EQ(set.Empty(), plain.empty());
            ASSERT_EQ(set.Single(), plain.size() == 1);
            if (!plain.empty())
                ASSERT_EQ(set.First(), *plain.begin());
            size_t k = 0;
            for (int p : plain)
                ASSERT_EQ(set.At(k++), p);
            ASSERT_EQ(set.Contains(position), plain.count(position) == 1);
        }
    }
}

TEST(ContainersShortText, KeepsShortAndLongTextsAndMovesThem)
{
    for (size_t length : {0, 1, 3, 4, 8, 16, 24, 25, 100}) {
        const std::string text(length, 'x');
        std::string marked = text;
        if (length > 0)
            marked[length - 1] = 'y';
        bscan_util::ShortText kept;
        kept.append(marked.data(), marked.size());
        EXPECT_EQ(std::string(kept.data(), kept.size()), marked) << length;
        EXPECT_EQ(kept.empty(), length == 0);
        bscan_util::ShortText other;
        other = std::move(kept);
        EXPECT_EQ(std::string(other.data(), other.size()), marked) << length;
        EXPECT_TRUE(kept.empty());
        other = bscan_util::ShortText();
        EXPECT_TRUE(other.empty());
    }
}
