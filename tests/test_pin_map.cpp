// Pin map, port side: node creation, the lookups with their first-match and
// case rules (and the stored names they upper-case), serial assignment,
// per-port queries, deep copies, and a randomized comparison of the indexed
// lookups with a plain scan of the list.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/BScanPinMap.h"
#include "model/PinMapIndex.h"

namespace {

void Add(BScanPinMap& map, const char* name, const char* type, int left, int right)
{
    std::string n(name), t(type);
    map.AddNewPorts(&n[0], &t[0], left, right);
}

KPinNode* Node(BScanPinMap& map, int position)
{
    return static_cast<KPinNode*>(map.GetPinListArray()->GetAt(position));
}

int Position(BScanPinMap& map, const KPinNode* node)
{
    for (int i = 0; i < map.GetNumberOfPins(); ++i) {
        if (Node(map, i) == node) {
            return i;
        }
    }
    return -1;
}

int Reg(BScanPinMap& map, int number, const char* port, const char* function, int control = -1)
{
    std::string type("BC_1"), p(port), f(function);
    return map.AddNewRegister(number, &type[0], &p[0], 0, &f[0], SIGNAL_X, control, SIGNAL_LOW,
                              SIGNAL_Z, SIGNAL_X, "");
}

}  // namespace

TEST(PinMapTest, NewMapAndVectorIndexes)
{
    BScanPinMap map;
    char name[] = "data";
    EXPECT_EQ(map.GetPortType(1), PORT_NONE);
    EXPECT_EQ(map.GetPinNumber("A1"), -1);
    EXPECT_EQ(map.GetPortwName(name), nullptr);
    EXPECT_STREQ(name, "data");  // no node: the text stays as it was

    Add(map, "D", "in", 3, 0);
    Add(map, "E", "out", 2, 5);
    Add(map, "F", "in", -1, 3);
    Add(map, "HUGE", "in", 0, BSCAN_MAX_PORT_NODES);  // beyond the ceiling
    std::string q("Q"), t("buffer");
    map.AddNewPorts(&q[0], &t[0], 2, false);
    map.AddNewPorts(&q[0], &t[0], 0, true);
    std::vector<int> indexes;
    for (int i = 0; i < map.GetNumberOfPins(); ++i) {
        indexes.push_back(Node(map, i)->GetVectorIndex());
    }
    EXPECT_EQ(indexes, (std::vector<int>{3, 2, 1, 0, 0, 1, 2, 3, 1, 0}));
    EXPECT_EQ(Node(map, 9)->GetPortType(), PORT_BUFFER);

    // Names around the length a node holds in its own buffer keep their
    // text, each node its own copy, and are found by name.
    BScanPinMap sized;
    const std::string names[] = {"N_14_CHARACTER", "N_15_CHARACTERS", "N_16_CHARACTERS_", std::string(40, 'L')};
    for (const std::string& n : names) {
        Add(sized, n.c_str(), "in", 0, 1);
    }
    for (int i = 0; i < sized.GetNumberOfPins(); ++i) {
        EXPECT_EQ(std::string(Node(sized, i)->GetPortName()), names[i / 2]);
    }
    EXPECT_NE(Node(sized, 2)->GetPortName(), Node(sized, 3)->GetPortName());
    for (int k = 0; k < 4; ++k) {
        std::string n = names[k];
        EXPECT_EQ(sized.GetPort(&n[0], 1), Node(sized, 2 * k + 1)) << n;
    }
}

TEST(PinMapTest, LookupByPinNumberFindsFirstWithinNodeCount)
{
    BScanPinMap map;
    Add(map, "P", "in", 0, 59);
    for (int i = 0; i < 60; ++i) {
        Node(map, i)->SetPinNumber(i == 59 ? 61 : i + 1);
    }
    Node(map, 10)->SetPinNumber(5);  // 5 twice: position 4 comes first
    EXPECT_EQ(map.GetPort(0), nullptr);
    EXPECT_EQ(map.GetPort(-1), nullptr);
    EXPECT_EQ(map.GetPort(61), nullptr);  // above the node count
    EXPECT_EQ(map.GetPort(5), Node(map, 4));
    EXPECT_EQ(map.GetPort(11), nullptr);  // renumbered away
    Node(map, 4)->SetPinNumber(-3);
    EXPECT_EQ(map.GetPort(5), Node(map, 10));
}

TEST(PinMapTest, LookupByPortNameUpperCasesExaminedNames)
{
    BScanPinMap map;
    Add(map, "clk", "in", 0, 0);
    Add(map, "Data", "inout", 1, 0);
    Add(map, "tail", "in", 0, 0);

    char query[] = "data";
    ASSERT_EQ(map.GetPortwName(query), Node(map, 1));  // the element declared first
    EXPECT_STREQ(query, "DATA");
    EXPECT_STREQ(Node(map, 0)->GetPortName(), "CLK");
    EXPECT_STREQ(Node(map, 1)->GetPortName(), "DATA");
    EXPECT_STREQ(Node(map, 2)->GetPortName(), "Data");  // not examined
    char indexed[] = "D(3)";
    EXPECT_EQ(map.GetPortwName(indexed), nullptr);  // a miss examines every node
    EXPECT_STREQ(Node(map, 2)->GetPortName(), "DATA");
    EXPECT_STREQ(Node(map, 3)->GetPortName(), "TAIL");
    Node(map, 3)->SetPinNumber(2);
    EXPECT_STREQ(map.GetPortName(2), "TAIL");
    char tail[] = "Tail", none[] = "none";
    EXPECT_EQ(map.GetPinNumberwPortName(tail), 2);
    EXPECT_EQ(map.GetPinNumberwPortName(none), -1);
}

TEST(PinMapTest, IndexedLookupStopsAtFirstNamelessNode)
{
    BScanPinMap map;
    Add(map, "Bus", "in", 0, 2);
    map.AddNewPorts(nullptr, nullptr, 1, true);  // a node without a name
    Add(map, "after", "in", 0, 0);

    char bus[] = "bus", after[] = "After", empty[] = "";
    EXPECT_EQ(map.GetPort(bus, 2), Node(map, 2));
    EXPECT_EQ(map.GetPort(after, 0), nullptr);  // hidden behind the nameless node
    EXPECT_STREQ(Node(map, 4)->GetPortName(), "after");
    EXPECT_EQ(map.GetPortwName(after), Node(map, 4));  // skips it instead
    EXPECT_EQ(map.GetPort(empty, 0), nullptr);

    // Naming the node uncovers what lay behind it; the empty name hides again.
    char mid[] = "mid";
    Node(map, 3)->SetPortName(mid);
    EXPECT_EQ(map.GetPort(after, 0), Node(map, 4));
    Node(map, 3)->SetPortName(empty);
    EXPECT_EQ(map.GetPort(after, 0), nullptr);
    EXPECT_EQ(map.GetPortwName(empty), nullptr);

    // Assigning a node of another vector index but the same name re-files it.
    BScanPinMap other;
    Add(other, "BUS", "in", 5, 5);  // index 0
    Add(other, "BUS", "in", 0, 3);  // indexes 0..3
    *Node(map, 0) = *Node(other, 4);  // node 0 now carries BUS(3)
    char bus2[] = "BUS";
    EXPECT_EQ(map.GetPort(bus2, 3), Node(map, 0));
    EXPECT_EQ(map.GetPort(bus2, 0), nullptr);
}

TEST(PinMapTest, SerialAssignmentCountsExactNames)
{
    BScanPinMap map;
    Add(map, "D", "in", 2, 0);
    Add(map, "d", "in", 0, 0);
    char d[] = "D", lower[] = "d", pinA[] = "A1", pinB[] = "B2", pinC[] = "C3";
    map.SerialSetPinName(d, 1, pinA);
    map.SerialSetPinNumber(d, 1, 4);
    map.SerialSetPinName(lower, 0, pinB);
    map.SerialSetPinName(d, 3, pinC);  // only three nodes are named D
    map.SerialSetPinName(d, -1, pinC);
    EXPECT_STREQ(Node(map, 1)->GetPinName(), "A1");
    EXPECT_STREQ(Node(map, 3)->GetPinName(), "B2");
    EXPECT_EQ(Node(map, 0)->GetPinName(), nullptr);
    EXPECT_EQ(map.GetPort("A1"), Node(map, 1));  // pin names match exactly
    EXPECT_EQ(map.GetPort("a1"), nullptr);
    EXPECT_EQ(map.GetPort(""), nullptr);
    EXPECT_EQ(map.GetPinNumber("A1"), 4);
    EXPECT_EQ(map.GetPinNumber("B2"), -1);  // its node has pin number -1

    // Once a lookup has examined (and upper-cased) "d", it is a D.
    char missing[] = "zz";
    EXPECT_EQ(map.GetPortwName(missing), nullptr);
    map.SerialSetPinName(lower, 0, pinC);
    EXPECT_STREQ(Node(map, 3)->GetPinName(), "B2");
    map.SerialSetPinName(d, 3, pinC);
    EXPECT_STREQ(Node(map, 3)->GetPinName(), "C3");
    char query[] = "d";
    map.SetPinNumber(query, 2, 3);
    EXPECT_EQ(map.GetPort(3), Node(map, 0));
}

TEST(PinMapTest, PortQueriesReadTheCells)
{
    BScanPinMap map;
    for (const char* type : {"inout", "in", "out", "buffer"}) {
        Add(map, type, type, 0, 0);
        Node(map, map.GetNumberOfPins() - 1)->SetPinNumber(map.GetNumberOfPins());
    }
    map.AllocateBScanCellTable(8);
    Reg(map, 0, "*", "control");
    EXPECT_EQ(Reg(map, 1, "inout", "bidir", 0), 0);
    EXPECT_EQ(Reg(map, 2, "out", "output3", 0), 0);
    EXPECT_EQ(Reg(map, 5, "in", "input"), 0);
    EXPECT_EQ(Reg(map, 3, "in", "observe_only"), 0);

    char io[] = "inout", in[] = "in", out[] = "out", nope[] = "nope";
    EXPECT_EQ(map.GetPinIndexwPortName(io), 1);
    EXPECT_EQ(map.GetPinIndexwPortName(in), 5);
    EXPECT_EQ(map.GetPinIndexwPortName(out), 0);  // output cell only
    EXPECT_EQ(map.GetPinIndexwPortName(nope), -1);

    KBScanCell* control = map.GetBScanCell(0);
    KBScanCell* bidir = map.GetBScanCell(1);
    EXPECT_EQ(map.GetPortDirection(4), PORT_OUT);
    control->m_value = SIGNAL_LOW;  // the disable value: driver off
    EXPECT_EQ(map.GetPortDirection(1), PORT_IN);
    bidir->m_value = SIGNAL_LOW;
    EXPECT_EQ(map.GetPortValue(1), SIGNAL_Z);
    bidir->m_value = SIGNAL_HIGH;
    EXPECT_EQ(map.GetPortValue(1), SIGNAL_HIGH);
    control->m_value = SIGNAL_HIGH;  // driver on
    EXPECT_EQ(map.GetPortDirection(1), PORT_OUT);
    bidir->m_value = SIGNAL_LOW;
    EXPECT_EQ(map.GetPortValue(1), SIGNAL_LOW);
    control->m_value = SIGNAL_X;  // neither level: not driving
    EXPECT_EQ(map.GetPortValue(1), SIGNAL_Z);
    map.GetBScanCell(5)->m_value = SIGNAL_HIGH;  // a later observe-only cell wins
    map.GetBScanCell(3)->m_value = SIGNAL_LOW;
    EXPECT_EQ(map.GetPortValue(2), SIGNAL_LOW);
    Node(map, 3)->SetPortValue(SIGNAL_Z);
    EXPECT_EQ(map.GetPortValue(4), SIGNAL_X);  // no cell was ever associated
}

TEST(PinMapTest, CopiesAreDeepAndIndependent)
{
    auto source = std::make_unique<BScanPinMap>();
    Add(*source, "Oe", "inout", 0, 0);
    Add(*source, "Q", "out", 0, 0);
    Add(*source, "Spare", "out", 0, 0);
    Node(*source, 0)->SetPinNumber(1);
    Node(*source, 1)->SetPinNumber(2);
    source->AllocateBScanCellTable(4);
    Reg(*source, 0, "*", "control");
    Reg(*source, 1, "OE", "bidir", 0);
    Reg(*source, 2, "Q", "output3", 0);
    KBScanCell foreign;
    foreign.SetFunction(FUNC_OUTPUT2);
    Node(*source, 2)->AssociateBScanCell(&foreign);
    source->setPort(1, PORT_OUT, SIGNAL_HIGH);

    BScanPinMap copy(*source);
    BScanPinMap assigned;
    Add(assigned, "old", "in", 0, 0);
    assigned = *source;
    assigned = assigned;  // no change
    for (BScanPinMap* map : {&copy, &assigned}) {
        ASSERT_EQ(map->GetNumberOfPins(), 3);
        KPinNode* oe = map->GetPort(1);
        EXPECT_NE(oe, Node(*source, 0));
        EXPECT_NE(oe->GetPortName(), Node(*source, 0)->GetPortName());
        EXPECT_EQ(map->GetBScanCell(1)->GetPinNode(), oe);
        EXPECT_EQ(map->GetBScanCell(1)->GetControlCell(), map->GetBScanCell(0));
        EXPECT_EQ(oe->GetBScanCells()->GetAt(0), map->GetBScanCell(1));
        EXPECT_EQ(Node(*map, 2)->GetBScanCells()->GetAt(0), &foreign);  // kept as it was
        EXPECT_EQ(map->GetBScanBitArray()[0], 0xC0);
        EXPECT_NE(map->GetBScanBitArray(), source->GetBScanBitArray());
    }
    // The copy's index follows its own nodes, not the source's.
    char pin[] = "Z9";
    Node(copy, 0)->SetPinName(pin);
    EXPECT_EQ(copy.GetPort("Z9"), Node(copy, 0));
    EXPECT_EQ(source->GetPort("Z9"), nullptr);

    source.reset();  // the copies own everything they use
    EXPECT_EQ(copy.setPort(1, PORT_IN, SIGNAL_LOW), 0);
    EXPECT_EQ(copy.GetBScanBitArray()[0], 0x00);
    EXPECT_EQ(assigned.setPort(2, PORT_OUT, SIGNAL_HIGH), 0);
    EXPECT_EQ(assigned.GetBScanBitArray()[0], 0xE0);
}

// --- Randomized comparison with a plain scan --------------------------

namespace {

std::string UpperOf(std::string text)
{
    for (char& c : text) {
        c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return text;
}

// The port side of a pin map as a plain scan of a list.
struct Reference {
    struct Node {
        bool hasName;
        std::string name;
        int index;
        std::string pin;  // empty: none
        int number;
    };
    std::vector<Node> nodes;

    int Count() const { return static_cast<int>(nodes.size()); }
    bool Named(int p) const { return nodes[p].hasName && !nodes[p].name.empty(); }

    // GetPortwName (index < 0) and GetPort(name, index).
    int ByName(std::string& query, int index)
    {
        if (nodes.empty() || (index >= 0 && query.empty())) {
            return -1;
        }
        query = UpperOf(query);
        for (int p = 0; p < Count(); ++p) {
            if (!Named(p)) {
                if (index >= 0) {
                    return -1;
                }
                continue;
            }
            nodes[p].name = UpperOf(nodes[p].name);
            if (nodes[p].name == query && (index < 0 || nodes[p].index == index)) {
                return p;
            }
        }
        return -1;
    }

    // The first node that `match` accepts; the n-th (from 0) for Nth.
    template <typename Match>
    int Find(Match match, int n = 0) const
    {
        for (int p = 0; p < Count(); ++p) {
            if (match(nodes[p]) && n-- == 0) {
                return p;
            }
        }
        return -1;
    }
    int ByNumber(int number) const
    {
        bool valid = number >= 1 && number <= Count();
        return Find([&](const Node& node) { return valid && node.number == number; });
    }
    int ByPin(const std::string& pin) const
    {
        return Find([&](const Node& node) { return !pin.empty() && node.pin == pin; });
    }
    int Nth(const std::string& name, int occurrence) const
    {
        return Find([&](const Node& node) { return node.hasName && !name.empty() && node.name == name; },
                    occurrence);
    }
};

const char* const kNames[] = {"Data", "DATA", "data", "dAtA", "Clk", "CLK", "x", "X1", "x1", ""};
const char* const kPins[] = {"A1", "a1", "B2", "12", "C3", ""};

// Port names the index keeps inside its entries and ones longer than that
// (24 bytes), in several cases.
const char* const kLongNames[] = {"Data_Bus_Of_The_Device_0", "DATA_BUS_OF_THE_DEVICE_0",
                                  "data_bus_of_the_device_00", "dAtA_bus_of_the_device_00",
                                  "Clock_Of_The_Device_Core", "CLOCK_OF_THE_DEVICE_CORE_ONE",
                                  "x", "X1_OF_TWENTY_THREE_BYTE", "x1_of_twenty_three_byte", ""};

// Random changes and lookups, with the port names of `names` (ten of them),
// checked against a plain scan after every step.
void RandomOperationsMatchAPlainScan(const char* const* kNames, unsigned seed)
{
    std::mt19937 random(seed);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::unique_ptr<BScanPinMap> map;
    Reference ref;
    for (int step = 0; step < 6000; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        if (step % 300 == 0) {
            // Start afresh now and then: nameless nodes gather at the front
            // of a long-lived map and hide everything behind them.
            map = std::make_unique<BScanPinMap>();
            ref.nodes.clear();
        }
        int op = pick(12);
        int count = ref.Count();
        int p = count > 0 ? pick(count) : -1;
        std::string text = kNames[pick(10)], pin = kPins[pick(6)], query = text;
        int number = pick(count + 3) - 1;
        if (op == 0 || count < 3) {
            bool unnamed = pick(8) == 0, ascending = pick(2) == 0;
            int n = 1 + pick(3);
            std::string type("inout");
            map->AddNewPorts(unnamed ? nullptr : &text[0], &type[0], n, ascending);
            for (int k = 0; k < n; ++k) {
                ref.nodes.push_back({!unnamed, unnamed ? "" : text, ascending ? k : n - 1 - k, "", -1});
            }
        } else if (op == 1) {
            Node(*map, p)->SetPortName(&text[0]);
            ref.nodes[p].hasName = true;
            ref.nodes[p].name = text;
        } else if (op == 2) {
            Node(*map, p)->SetPinName(&pin[0]);
            ref.nodes[p].pin = pin;
        } else if (op == 3) {
            Node(*map, p)->SetPinNumber(number);
            ref.nodes[p].number = number;
        } else if (op == 4 || op == 5) {
            int index = op == 4 ? -1 : pick(3);
            int expected = ref.ByName(query, index);
            KPinNode* found = index < 0 ? map->GetPortwName(&text[0]) : map->GetPort(&text[0], index);
            EXPECT_EQ(Position(*map, found), expected);
            EXPECT_EQ(std::string(text.c_str()), query);
        } else if (op == 6) {
            EXPECT_EQ(Position(*map, map->GetPort(number)), ref.ByNumber(number));
            EXPECT_EQ(Position(*map, map->GetPort(pin.c_str())), ref.ByPin(pin));
        } else if (op == 7) {
            int occurrence = pick(4), target = ref.Nth(text, occurrence);
            map->SerialSetPinName(&text[0], occurrence, &pin[0]);
            map->SerialSetPinNumber(&text[0], occurrence, number);
            if (target >= 0) {
                ref.nodes[target].pin = pin;
                ref.nodes[target].number = number;
            }
        } else if (op == 8 && ref.nodes[p].hasName) {
            // The lookup text is the node's own stored name.
            ref.nodes[p].name = UpperOf(ref.nodes[p].name);
            query = ref.nodes[p].name;
            int expected = ref.ByName(query, -1);
            EXPECT_EQ(Position(*map, map->GetPortwName(Node(*map, p)->GetPortName())), expected);
        } else if (op == 9 && pick(20) == 0) {
            // Go on with a copy, made by construction or by assignment.
            auto copy = std::make_unique<BScanPinMap>(*map);
            if (pick(2) == 0) {
                auto assigned = std::make_unique<BScanPinMap>();
                *assigned = *copy;
                copy = std::move(assigned);
            }
            map = std::move(copy);
        } else if (op == 10) {
            KPinNode replacement;
            replacement.SetPortName(&text[0]);
            replacement.SetPinName(&pin[0]);
            replacement.SetPinNumber(number);
            *Node(*map, p) = replacement;  // assignment reports through the hooks
            ref.nodes[p] = {true, text, -1, pin, number};
        }

        ASSERT_EQ(map->GetNumberOfPins(), ref.Count());
        for (int q = 0; q < ref.Count(); ++q) {
            const KPinNode* node = Node(*map, q);
            ASSERT_EQ(node->GetPortName() != nullptr, ref.nodes[q].hasName) << q;
            ASSERT_EQ(node->GetPortName() ? node->GetPortName() : "", ref.nodes[q].name) << q;
            ASSERT_EQ(node->GetPinName() ? node->GetPinName() : "", ref.nodes[q].pin) << q;
            ASSERT_EQ(node->GetPinNumber(), ref.nodes[q].number) << q;
        }
    }
}

}  // namespace

TEST(PinMapIndexTest, RandomOperationsMatchAPlainScan)
{
    RandomOperationsMatchAPlainScan(kNames, 20261205);
}

TEST(PinMapIndexTest, RandomOperationsOnLongNamesMatchAPlainScan)
{
    RandomOperationsMatchAPlainScan(kLongNames, 20261206);
}

TEST(PinMapIndexTest, IndexTableKeepsEntriesInPlaceThroughGrowthAndReuse)
{
    // The index's hash table: entries stay where they are while the table
    // grows, erased slots are passed over by later finds, erased entries
    // are reused.
    IndexTable<std::string, int> table;
    std::vector<IndexTable<std::string, int>::Entry*> entries;
    for (int i = 0; i < 1000; ++i) {
        table[std::to_string(i)] = i;
        entries.push_back(table.find(std::to_string(i)));
    }
    for (int i = 0; i < 1000; i += 2) {
        table.erase(entries[static_cast<size_t>(i)]);
    }
    for (int i = 0; i < 1000; ++i) {
        std::string key = std::to_string(i);
        auto found = table.find(key.c_str(), key.size());
        EXPECT_EQ(found, i % 2 == 0 ? nullptr : entries[static_cast<size_t>(i)]) << i;
        if (found != nullptr) {
            EXPECT_EQ(found->second, i);
        }
    }
    for (int round = 0; round < 20; ++round) {  // erase and add again: no growth of erased slots
        for (int i = 0; i < 1000; i += 2) {
            std::string key = "k" + std::to_string(i);
            table.Insert(key.c_str(), key.size())->second = i;
            table.erase(table.find(key));
        }
    }
    EXPECT_EQ(table.find("k0"), nullptr);
    EXPECT_EQ(table.find("999")->second, 999);
    // Room made at once over erased slots: entries stay put, all are found.
    IndexTable<std::string, int>::Entry* kept = table.find("999");
    table.Reserve(3000);
    for (int i = 0; i < 3000; ++i) {
        table["r" + std::to_string(i)] = i;
    }
    EXPECT_EQ(table.find("999"), kept);
    for (int i = 0; i < 3000; i += 7) {
        EXPECT_EQ(table.find("r" + std::to_string(i))->second, i);
    }
    EXPECT_EQ(table.find("k2"), nullptr);
    table.clear();
    EXPECT_TRUE(table.empty());
    EXPECT_EQ(table.find("999"), nullptr);
    table["999"] = 1;
    EXPECT_EQ(table.find("999")->second, 1);
}

TEST(PinMapIndexTest, IndexTableInsertFindsTheEntryBehindErasedSlots)
{
    // Adding a key that is there already gives its entry even when erased
    // slots come first on its probe sequence: no second entry is made in
    // one of them (erasing the entry then leaves the key unfound).
    IndexTable<std::string, int> table;
    std::vector<IndexTable<std::string, int>::Entry*> entries;
    for (int i = 0; i < 2000; ++i) {
        std::string key = std::to_string(i);
        entries.push_back(table.Insert(key.c_str(), key.size()));
        entries.back()->second = i;
    }
    for (int i = 0; i < 2000; i += 2) {
        table.erase(entries[static_cast<size_t>(i)]);
    }
    for (int i = 1; i < 2000; i += 2) {
        std::string key = std::to_string(i);
        ASSERT_EQ(table.Insert(key.c_str(), key.size()), entries[static_cast<size_t>(i)]) << i;
        ASSERT_EQ(&table[key], &entries[static_cast<size_t>(i)]->second) << i;
        table.erase(entries[static_cast<size_t>(i)]);
        ASSERT_EQ(table.find(key), nullptr) << i;
    }
    EXPECT_TRUE(table.empty());
}

// A lookup given a node's own stored name upper-cases that name; the index
// finds the node by its buffer, which it files only for nodes whose names
// hold lower case. A node that gets lower case by a rename must be filed
// then: here nothing else would bring its name up to date, as the lookups
// stop at the nameless first node.
TEST(PinMapIndexTest, OwnNameLookupFollowsARenameToLowerCase)
{
    BScanPinMap map;
    std::string type("inout"), data("DATA"), x("x"), query("x"), pin("P1");
    map.AddNewPorts(nullptr, &type[0], 1, true);
    map.AddNewPorts(&data[0], &type[0], 1, true);
    map.AddNewPorts(&x[0], &type[0], 1, true);
    EXPECT_EQ(map.GetPort(&query[0], 0), nullptr);  // behind the nameless node
    EXPECT_STREQ(Node(map, 2)->GetPortName(), "x");

    std::string mixed("Data");
    Node(map, 1)->SetPortName(&mixed[0]);
    EXPECT_EQ(map.GetPort(const_cast<char*>(Node(map, 1)->GetPortName()), 0), nullptr);
    EXPECT_STREQ(Node(map, 1)->GetPortName(), "DATA");
    map.SerialSetPinName(&data[0], 0, &pin[0]);  // finds the node by its exact name
    EXPECT_STREQ(Node(map, 1)->GetPinName(), "P1");
}

// Serial assignment tries the node after the one it found last before it
// looks the name up. Walks in list order (the usual pin map), with renames
// of the next node, names differing in case only, vectors and occurrences
// past the end, must still name exactly the nodes a plain count names.
TEST(PinMapIndexTest, SerialAssignmentInListOrderMatchesAPlainCount)
{
    std::mt19937 random(7);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    for (int round = 0; round < 40; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        BScanPinMap map;
        Reference ref;
        for (int port = 0; port < 12; ++port) {
            std::string name = kNames[pick(9)], type("inout");
            int n = pick(3) == 0 ? 1 + pick(4) : 1;
            map.AddNewPorts(&name[0], &type[0], n, true);
            for (int k = 0; k < n; ++k) {
                ref.nodes.push_back({true, name, k, "", -1});
            }
        }
        for (int step = 0; step < 60; ++step) {
            int p = step % ref.Count();
            if (pick(5) == 0) {
                // Rename the node about to be named (or its neighbour).
                int q = std::min(p + pick(2), ref.Count() - 1);
                std::string name = kNames[pick(9)];
                Node(map, q)->SetPortName(&name[0]);
                ref.nodes[q].name = name;
            }
            // The name of node p (sometimes another one), and its occurrence
            // among the nodes of that exact name (sometimes one too many).
            std::string name = pick(6) == 0 ? kNames[pick(10)] : ref.nodes[p].name;
            int occurrence = 0;
            for (int q = 0; q < p; ++q) {
                occurrence += ref.nodes[q].name == name ? 1 : 0;
            }
            occurrence += pick(8) == 0 ? 1 : 0;
            std::string pin = "P" + std::to_string(step);
            int target = ref.Nth(name, occurrence);
            map.SerialSetPinName(&name[0], occurrence, &pin[0]);
            map.SerialSetPinNumber(&name[0], occurrence, step + 1);
            if (target >= 0) {
                ref.nodes[target].pin = pin;
                ref.nodes[target].number = step + 1;
            }
            for (int q = 0; q < ref.Count(); ++q) {
                const KPinNode* node = Node(map, q);
                ASSERT_EQ(node->GetPinName() ? node->GetPinName() : "", ref.nodes[q].pin) << step;
                ASSERT_EQ(node->GetPinNumber(), ref.nodes[q].number) << step;
            }
        }
    }
}

// The nodes of a vector port that follow each other with indexes one apart
// are found by their index arithmetically, until a node of the name comes
// elsewhere or goes: vectors declared in pieces, up and down, repeated
// indexes, renames and assignments in the middle, against a plain scan.
TEST(PinMapIndexTest, VectorIndexLookupsMatchAPlainScan)
{
    std::mt19937 random(11);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const char* const names[] = {"D", "d", "Q"};
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        BScanPinMap map;
        Reference ref;
        for (int step = 0; step < 40; ++step) {
            std::string name = names[pick(3)], type("inout");
            int op = ref.Count() < 4 ? 0 : pick(6);
            if (op <= 2) {
                int left = pick(5), right = left + (pick(3) == 0 ? -pick(left + 1) : pick(6));
                map.AddNewPorts(&name[0], &type[0], left, right);
                int count = (left <= right ? right - left : left - right) + 1;
                for (int k = 0; k < count; ++k) {
                    ref.nodes.push_back({true, name, left <= right ? k : count - 1 - k, "", -1});
                }
            } else if (op == 3) {
                int p = pick(ref.Count());
                Node(map, p)->SetPortName(&name[0]);
                ref.nodes[p].hasName = true;
                ref.nodes[p].name = name;
            } else if (op == 4) {
                int p = pick(ref.Count());
                KPinNode replacement;  // vector index -1
                replacement.SetPortName(&name[0]);
                *Node(map, p) = replacement;
                ref.nodes[p] = {true, name, -1, "", -1};
            }
            for (int index = 0; index < 9; ++index) {
                std::string text = names[pick(3)], query = text;
                int expected = ref.ByName(query, index);
                ASSERT_EQ(Position(map, map.GetPort(&text[0], index)), expected) << index;
            }
        }
    }
}

TEST(PinMapIndexTest, WideVectorsFiledAtOnceMatchAPlainScan)
{
    // The elements of a new vector name are filed together; behind indexes
    // already filed by pin name, pin number and own name text, then renamed
    // and looked up, they must behave as if filed one by one.
    const char* const names[] = {"bus", "BUS", "Bus", "q"};
    for (int round = 0; round < 24; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        std::mt19937 random(static_cast<unsigned>(round));
        auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
        BScanPinMap map;
        Reference ref;
        auto add = [&](const std::string& name, int left, int right) {
            Add(map, name.c_str(), "inout", left, right);
            int count = (left <= right ? right - left : left - right) + 1;
            for (int k = 0; k < count; ++k) {
                ref.nodes.push_back({true, name, left <= right ? k : count - 1 - k, "", -1});
            }
        };
        add("dirty", 0, 0);
        std::string pin("P"), own;
        if (round % 2 == 1) {
            EXPECT_EQ(map.GetPort(pin.c_str()), nullptr);  // pin names filed from here on
            EXPECT_EQ(map.GetPort(1), nullptr);            // and pin numbers
            own = Node(map, 0)->GetPortName();
            std::string query = own;
            EXPECT_EQ(Position(map, map.GetPortwName(Node(map, 0)->GetPortName())),
                      ref.ByName(query, -1));  // own name texts filed
        }
        for (int step = 0; step < 6; ++step) {
            int width = 1 + pick(9);
            if (pick(2) == 0) {
                add(names[pick(4)], 0, width - 1);
            } else {
                add(names[pick(4)], width - 1, 0);
            }
        }
        int p = pick(ref.Count());
        std::string newName = names[pick(4)];
        Node(map, p)->SetPortName(&newName[0]);
        ref.nodes[p].name = newName;
        std::string exact = names[pick(4)];
        int target = ref.Nth(exact, 2);
        map.SerialSetPinName(&exact[0], 2, &pin[0]);
        map.SerialSetPinNumber(&exact[0], 2, 1);
        if (target >= 0) {
            ref.nodes[target].pin = pin;
            ref.nodes[target].number = 1;
        }
        EXPECT_EQ(Position(map, map.GetPort(pin.c_str())), ref.ByPin(pin));
        EXPECT_EQ(Position(map, map.GetPort(1)), ref.ByNumber(1));
        for (int index = -1; index < 10; ++index) {
            std::string text = names[pick(4)], query = text;
            int expected = ref.ByName(query, index);
            KPinNode* found = index < 0 ? map.GetPortwName(&text[0]) : map.GetPort(&text[0], index);
            ASSERT_EQ(Position(map, found), expected) << index;
        }
        for (int q = 0; q < ref.Count(); ++q) {
            ASSERT_STREQ(Node(map, q)->GetPortName(), ref.nodes[q].name.c_str()) << q;
        }
    }
}

// A lookup by name and index first tries the name entry found last: an
// entry erased by a rename, or erased and reused for another name, must not
// answer for the name it held.
TEST(PinMapIndexTest, IndexedLookupAfterTheEntryFoundLastWasErasedOrReused)
{
    BScanPinMap map;
    Add(map, "A", "inout", 1, true);
    Add(map, "B", "inout", 1, true);
    auto port = [&](const char* name, int index) {
        std::string text(name);
        return Position(map, map.GetPort(&text[0], index));
    };
    EXPECT_EQ(port("A", 0), 0);
    EXPECT_EQ(port("a", 0), 0);
    std::string renamed("C");
    Node(map, 0)->SetPortName(&renamed[0]);  // the entry of "A" goes
    EXPECT_EQ(port("A", 0), -1);
    EXPECT_EQ(port("C", 0), 0);

    EXPECT_EQ(port("B", 0), 1);
    renamed = "Z";
    Node(map, 1)->SetPortName(&renamed[0]);  // the entry of "B" goes...
    Add(map, "A", "inout", 1, true);         // ...and is taken again
    EXPECT_EQ(port("B", 0), -1);
    EXPECT_EQ(port("A", 0), 2);
    EXPECT_EQ(port("A", 1), -1);
    renamed = "b";
    Node(map, 2)->SetPortName(&renamed[0]);
    EXPECT_EQ(port("A", 0), -1);
    EXPECT_EQ(port("B", 0), 2);
    EXPECT_STREQ(Node(map, 2)->GetPortName(), "B");  // upper-cased by the lookup

    // Register entries find their ports the same way.
    map.AllocateBScanCellTable(3);
    EXPECT_EQ(Reg(map, 0, "z", "input"), 0);
    EXPECT_EQ(Reg(map, 1, "B", "input"), 0);
    EXPECT_EQ(map.GetBScanCell(0)->GetPinNode(), Node(map, 1));
    EXPECT_EQ(map.GetBScanCell(1)->GetPinNode(), Node(map, 2));
    EXPECT_EQ(Reg(map, 2, "A", "input"), 0);
    EXPECT_EQ(map.GetBScanCell(2)->GetPinNode(), nullptr);
}

TEST(PinMapIndexTest, LookupByIndexFollowsAnAssignedVectorIndex)
{
    // A name of one node is found by that node's vector index, also after
    // an assignment gave the node another one.
    BScanPinMap map;
    Add(map, "V", "in", 0, 3);
    Add(map, "S", "out", 0, 0);
    char s[] = "S";
    char v[] = "V";
    KPinNode* single = map.GetPort(s, 0);
    ASSERT_NE(single, nullptr);
    KPinNode element(*map.GetPort(v, 2));
    char name[] = "S";
    element.SetPortName(name);
    *single = element;
    EXPECT_EQ(map.GetPort(s, 0), nullptr);
    EXPECT_EQ(map.GetPort(s, 2), single);
    EXPECT_EQ(map.GetPort(v, 2), Node(map, 2));
}
