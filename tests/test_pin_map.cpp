// Pin map, port side: creating nodes, the lookups with their first-match
// and case rules (and the stored names they upper-case), serial pin
// assignment, per-port queries, I/O names, deep copies, and a randomized
// comparison of the indexed lookups with a plain scan of the list.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "model/BScanPinMap.h"

namespace {

void Add(BScanPinMap& map, const char* name, const char* type, int left, int right)
{
    std::string n(name), t(type);
    map.AddNewPorts(&n[0], &t[0], left, right);
}

void AddScalar(BScanPinMap& map, const char* name, const char* type = "in")
{
    std::string n(name), t(type);
    map.AddNewPorts(&n[0], &t[0], 1, true);
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

std::vector<int> Indexes(BScanPinMap& map)
{
    std::vector<int> indexes;
    for (int i = 0; i < map.GetNumberOfPins(); ++i) {
        indexes.push_back(Node(map, i)->GetVectorIndex());
    }
    return indexes;
}

int Reg(BScanPinMap& map, int number, const char* port, int index, const char* function,
        int control = -1, eSignal disable = SIGNAL_LOW)
{
    std::string type("BC_1"), p(port), f(function);
    return map.AddNewRegister(number, &type[0], &p[0], index, &f[0], SIGNAL_X, control, disable,
                              SIGNAL_Z, SIGNAL_X, "");
}

}  // namespace

TEST(PinMapTest, NewMapIsEmpty)
{
    BScanPinMap map;
    EXPECT_EQ(map.GetNumberOfPins(), 0);
    EXPECT_EQ(map.GetPort(1), nullptr);
    EXPECT_EQ(map.GetPortType(1), PORT_NONE);
    EXPECT_EQ(map.GetPortValue(1), SIGNAL_X);
    EXPECT_EQ(map.GetPinNumber("A1"), -1);
    EXPECT_EQ(map.GetIOTypeCount(), 0);
    EXPECT_EQ(map.GetIOName(0), nullptr);
    EXPECT_EQ(map.GetDefaultDir(), nullptr);
    // With no node, a lookup leaves the caller's text as it was.
    char name[] = "data";
    EXPECT_EQ(map.GetPortwName(name), nullptr);
    EXPECT_EQ(map.GetPort(name, 0), nullptr);
    EXPECT_STREQ(name, "data");
}

TEST(PinMapTest, AddNewPortsGivesVectorIndexes)
{
    BScanPinMap map;
    Add(map, "D", "in", 3, 0);
    EXPECT_EQ(Indexes(map), (std::vector<int>{3, 2, 1, 0}));
    Add(map, "E", "out", 2, 5);
    EXPECT_EQ(Indexes(map), (std::vector<int>{3, 2, 1, 0, 0, 1, 2, 3}));
    Add(map, "F", "in", -1, 3);
    Add(map, "F", "in", 3, -1);
    EXPECT_EQ(map.GetNumberOfPins(), 8);

    BScanPinMap counted;
    std::string n("Q"), t("buffer");
    counted.AddNewPorts(&n[0], &t[0], 3, false);
    counted.AddNewPorts(&n[0], &t[0], 2, true);
    counted.AddNewPorts(&n[0], &t[0], 0, true);
    EXPECT_EQ(Indexes(counted), (std::vector<int>{2, 1, 0, 0, 1}));
    EXPECT_EQ(Node(counted, 0)->GetPortType(), PORT_BUFFER);

    // The ceiling on the node count refuses a declaration as a whole.
    Add(counted, "HUGE", "in", 0, BSCAN_MAX_PORT_NODES);
    EXPECT_EQ(counted.GetNumberOfPins(), 5);
}

TEST(PinMapTest, LookupByPinNumberFindsFirstWithinNodeCount)
{
    BScanPinMap map;
    Add(map, "P", "in", 0, 59);
    for (int i = 0; i < 60; ++i) {
        Node(map, i)->SetPinNumber(i == 59 ? 61 : i + 1);
    }
    Node(map, 10)->SetPinNumber(5);  // now 5 twice: position 4 comes first
    EXPECT_EQ(map.GetPort(0), nullptr);
    EXPECT_EQ(map.GetPort(-1), nullptr);
    EXPECT_EQ(map.GetPort(61), nullptr);  // above the node count
    EXPECT_EQ(map.GetPort(5), Node(map, 4));
    EXPECT_EQ(map.GetPort(11), nullptr);  // renumbered away
    Node(map, 4)->SetPinNumber(-3);
    EXPECT_EQ(map.GetPort(5), Node(map, 10));
    EXPECT_EQ(map.GetPortType(5), PORT_IN);
    EXPECT_STREQ(map.GetPortName(5), "P");
}

TEST(PinMapTest, LookupByPortNameUpperCasesExaminedNames)
{
    BScanPinMap map;
    AddScalar(map, "clk");
    Add(map, "Data", "inout", 1, 0);
    AddScalar(map, "tail");

    char query[] = "data";
    KPinNode* found = map.GetPortwName(query);
    ASSERT_EQ(found, Node(map, 1));  // the element declared first
    EXPECT_EQ(found->GetVectorIndex(), 1);
    EXPECT_STREQ(query, "DATA");
    EXPECT_STREQ(Node(map, 0)->GetPortName(), "CLK");
    EXPECT_STREQ(Node(map, 1)->GetPortName(), "DATA");
    EXPECT_STREQ(Node(map, 2)->GetPortName(), "Data");  // not examined
    EXPECT_STREQ(Node(map, 3)->GetPortName(), "tail");

    char indexed[] = "D(3)";
    EXPECT_EQ(map.GetPortwName(indexed), nullptr);  // a miss examines every node
    EXPECT_STREQ(Node(map, 2)->GetPortName(), "DATA");
    EXPECT_STREQ(Node(map, 3)->GetPortName(), "TAIL");

    // The pin number lookups see the stored names in upper case.
    Node(map, 3)->SetPinNumber(2);
    EXPECT_STREQ(map.GetPortName(2), "TAIL");
    char tail[] = "Tail";
    EXPECT_EQ(map.GetPinNumberwPortName(tail), 2);
    char none[] = "nothing";
    EXPECT_EQ(map.GetPinNumberwPortName(none), -1);
}

TEST(PinMapTest, IndexedLookupStopsAtFirstNamelessNode)
{
    BScanPinMap map;
    Add(map, "Bus", "in", 0, 2);
    map.AddNewPorts(nullptr, nullptr, 1, true);  // a node without a name
    AddScalar(map, "after");

    char bus[] = "bus";
    EXPECT_EQ(map.GetPort(bus, 2), Node(map, 2));
    EXPECT_EQ(map.GetPort(bus, 7), nullptr);
    char after[] = "After";
    EXPECT_EQ(map.GetPort(after, 0), nullptr);  // hidden behind the nameless node
    EXPECT_STREQ(Node(map, 4)->GetPortName(), "after");
    EXPECT_EQ(map.GetPortwName(after), Node(map, 4));  // skips it instead
    EXPECT_STREQ(Node(map, 4)->GetPortName(), "AFTER");

    char empty[] = "";
    EXPECT_EQ(map.GetPort(empty, 0), nullptr);
    EXPECT_EQ(map.GetPortwName(empty), nullptr);

    // Naming the node (through its setter) uncovers what lay behind it.
    char name[] = "mid";
    Node(map, 3)->SetPortName(name);
    EXPECT_EQ(map.GetPort(after, 0), Node(map, 4));
    // An empty name counts as no name.
    char blank[] = "";
    Node(map, 3)->SetPortName(blank);
    EXPECT_EQ(map.GetPort(after, 0), nullptr);
    EXPECT_EQ(map.GetPortwName(blank), nullptr);
}

TEST(PinMapTest, SerialAssignmentCountsExactNames)
{
    BScanPinMap map;
    Add(map, "D", "in", 2, 0);
    AddScalar(map, "d");
    char d[] = "D", lower[] = "d", pinA[] = "A1", pinB[] = "B2", pinC[] = "C3";
    map.SerialSetPinName(d, 1, pinA);
    map.SerialSetPinNumber(d, 1, 4);
    map.SerialSetPinName(lower, 0, pinB);
    map.SerialSetPinName(d, 3, pinC);   // only three nodes are named D
    map.SerialSetPinName(d, -1, pinC);
    EXPECT_STREQ(Node(map, 1)->GetPinName(), "A1");
    EXPECT_EQ(Node(map, 1)->GetPinNumber(), 4);
    EXPECT_STREQ(Node(map, 3)->GetPinName(), "B2");
    EXPECT_EQ(Node(map, 0)->GetPinName(), nullptr);
    EXPECT_EQ(Node(map, 2)->GetPinName(), nullptr);

    // Pin names match exactly, case included; nodes without one are skipped.
    EXPECT_EQ(map.GetPort("A1"), Node(map, 1));
    EXPECT_EQ(map.GetPort("a1"), nullptr);
    EXPECT_EQ(map.GetPort(""), nullptr);
    EXPECT_EQ(map.GetPinNumber("A1"), 4);
    EXPECT_EQ(map.GetPinNumber("B2"), -1);  // its node still has pin number -1

    // A lookup that stops before "d" leaves it as it is; one that examines
    // it upper-cases it, and from then on it is counted as a D.
    char query[] = "d";
    EXPECT_EQ(map.GetPortwName(query), Node(map, 0));
    map.SerialSetPinName(lower, 0, pinC);
    EXPECT_STREQ(Node(map, 3)->GetPinName(), "C3");
    char missing[] = "zz";
    EXPECT_EQ(map.GetPortwName(missing), nullptr);
    map.SerialSetPinName(lower, 0, pinB);
    EXPECT_STREQ(Node(map, 3)->GetPinName(), "C3");
    map.SerialSetPinName(d, 3, pinB);
    EXPECT_STREQ(Node(map, 3)->GetPinName(), "B2");

    map.SetPinNumber(query, 2, 3);
    EXPECT_EQ(Node(map, 0)->GetPinNumber(), 3);
    EXPECT_EQ(map.GetPort(3), Node(map, 0));
}

TEST(PinMapTest, LookupByTheNodesOwnNameText)
{
    BScanPinMap map;
    AddScalar(map, "SECOND");
    AddScalar(map, "second");
    KPinNode* node = Node(map, 1);
    // The first node matches; the second's name changed through the text.
    EXPECT_EQ(map.GetPortwName(node->GetPortName()), Node(map, 0));
    EXPECT_STREQ(node->GetPortName(), "SECOND");
    char upper[] = "SECOND", lower[] = "second", pin[] = "P";
    map.SerialSetPinName(lower, 0, pin);
    EXPECT_EQ(node->GetPinName(), nullptr);
    map.SerialSetPinName(upper, 1, pin);
    EXPECT_STREQ(node->GetPinName(), "P");
}

TEST(PinMapTest, PortQueriesReadTheCells)
{
    BScanPinMap map;
    AddScalar(map, "IO", "inout");
    AddScalar(map, "IN", "in");
    AddScalar(map, "OUT", "out");
    AddScalar(map, "BUF", "buffer");
    for (int i = 0; i < 4; ++i) {
        Node(map, i)->SetPinNumber(i + 1);
    }
    map.AllocateBScanCellTable(8);
    EXPECT_EQ(Reg(map, 0, "*", 0, "control"), 0);
    EXPECT_EQ(Reg(map, 1, "IO", 0, "bidir", 0, SIGNAL_LOW), 0);
    EXPECT_EQ(Reg(map, 2, "OUT", 0, "output3", 0, SIGNAL_LOW), 0);
    EXPECT_EQ(Reg(map, 5, "IN", 0, "input"), 0);
    EXPECT_EQ(Reg(map, 3, "IN", 0, "observe_only"), 0);

    char io[] = "io", in[] = "in", out[] = "out", nope[] = "nope";
    EXPECT_EQ(map.GetPinIndexwPortName(io), 1);
    EXPECT_EQ(map.GetPinIndexwPortName(in), 5);
    EXPECT_EQ(map.GetPinIndexwPortName(out), 0);   // output cell only
    EXPECT_EQ(map.GetPinIndexwPortName(nope), -1);

    KBScanCell* control = map.GetBScanCell(0);
    KBScanCell* bidir = map.GetBScanCell(1);
    EXPECT_EQ(map.GetPortDirection(2), PORT_IN);
    EXPECT_EQ(map.GetPortDirection(3), PORT_OUT);
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
    control->m_value = SIGNAL_X;     // neither level: not driving
    EXPECT_EQ(map.GetPortValue(1), SIGNAL_Z);

    // A later observe-only cell replaces the input cell's value.
    map.GetBScanCell(5)->m_value = SIGNAL_HIGH;
    map.GetBScanCell(3)->m_value = SIGNAL_LOW;
    EXPECT_EQ(map.GetPortValue(2), SIGNAL_LOW);
    map.GetBScanCell(2)->m_value = SIGNAL_HIGH;
    EXPECT_EQ(map.GetPortValue(3), SIGNAL_X);  // control cell neither 0 nor 1
    control->m_value = SIGNAL_HIGH;
    EXPECT_EQ(map.GetPortValue(3), SIGNAL_HIGH);
    Node(map, 3)->SetPortValue(SIGNAL_Z);
    EXPECT_EQ(map.GetPortValue(4), SIGNAL_X);  // no cell was ever associated
    EXPECT_FALSE(map.IsPositiveElement(1));
    Node(map, 0)->SetNegative(true);
    EXPECT_TRUE(map.IsNegativeElement(1));
    EXPECT_FALSE(map.IsNegativeElement(9));
}

TEST(PinMapTest, IoNamesAndDefaultDirectory)
{
    BScanPinMap map;
    map.SetIOName("A, B");
    map.SetIOName("A, B");
    map.SetIOName(nullptr);
    EXPECT_EQ(map.GetIOTypeCount(), 2);
    EXPECT_STREQ(map.GetIOName(1), "A, B");
    EXPECT_EQ(map.GetIOName(-1), nullptr);
    EXPECT_EQ(map.GetIOName(2), nullptr);
    char dir[] = "/tmp/x";
    map.SetDefaultDir(dir);
    dir[1] = 'T';
    map.SetDefaultDir(nullptr);
    EXPECT_STREQ(map.GetDefaultDir(), "/tmp/x");
}

TEST(PinMapTest, CopiesAreDeepAndIndependent)
{
    auto source = std::make_unique<BScanPinMap>();
    AddScalar(*source, "Oe", "inout");
    Add(*source, "Q", "out", 1, 0);
    for (int i = 0; i < 3; ++i) {
        Node(*source, i)->SetPinNumber(i + 1);
    }
    source->AllocateBScanCellTable(4);
    Reg(*source, 0, "*", 0, "control");
    Reg(*source, 1, "OE", 0, "bidir", 0);
    Reg(*source, 2, "Q", 1, "output3", 0);
    KBScanCell foreign;
    foreign.SetFunction(FUNC_OUTPUT2);
    Node(*source, 2)->AssociateBScanCell(&foreign);
    source->SetIOName("OE");
    char dir[] = "dir";
    source->SetDefaultDir(dir);
    source->setPort(1, PORT_OUT, SIGNAL_HIGH);

    BScanPinMap copy(*source);
    BScanPinMap assigned;
    AddScalar(assigned, "old");
    assigned = *source;
    assigned = assigned;  // no change
    for (BScanPinMap* map : {&copy, &assigned}) {
        ASSERT_EQ(map->GetNumberOfPins(), 3);
        KPinNode* oe = map->GetPort(1);
        ASSERT_NE(oe, Node(*source, 0));
        EXPECT_NE(oe->GetPortName(), Node(*source, 0)->GetPortName());
        KBScanCell* bidir = map->GetBScanCell(1);
        EXPECT_EQ(bidir->GetPinNode(), oe);
        EXPECT_EQ(bidir->GetControlCell(), map->GetBScanCell(0));
        EXPECT_EQ(oe->GetBScanCells()->GetAt(0), bidir);
        EXPECT_EQ(map->GetPort(3)->GetBScanCells()->GetAt(0), &foreign);  // kept as it was
        EXPECT_EQ(map->GetBScanBitArray()[0], 0xC0);
        EXPECT_NE(map->GetBScanBitArray(), source->GetBScanBitArray());
        EXPECT_STREQ(map->GetIOName(0), "OE");
        EXPECT_STREQ(map->GetDefaultDir(), "dir");
        EXPECT_NE(map->GetDefaultDir(), source->GetDefaultDir());
    }
    // The copy's index follows its own nodes, not the source's.
    char pin[] = "Z9", oe[] = "OE";
    Node(copy, 0)->SetPinName(pin);
    EXPECT_EQ(copy.GetPort("Z9"), Node(copy, 0));
    EXPECT_EQ(source->GetPort("Z9"), nullptr);
    copy.SerialSetPinNumber(oe, 0, 3);
    EXPECT_EQ(copy.GetPort(3), Node(copy, 0));
    EXPECT_EQ(source->GetPort(3), Node(*source, 2));

    source.reset();  // the copies own everything they use
    EXPECT_EQ(copy.setPort(3, PORT_IN, SIGNAL_LOW), 0);  // OE, now pin 3
    EXPECT_EQ(copy.GetBScanBitArray()[0], 0x00);
    EXPECT_EQ(assigned.setPort(2, PORT_OUT, SIGNAL_HIGH), 0);
    EXPECT_EQ(assigned.GetBScanBitArray()[0], 0xE0);
}

// --- Randomized comparison with a plain scan --------------------------

namespace {

std::string UpperOf(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// The pin map's port side as a plain scan of a list.
struct ReferenceMap {
    struct Node {
        bool hasName;
        std::string name;
        int index;
        std::string pinName;  // empty: none
        int pinNumber;
    };
    std::vector<Node> nodes;

    bool Nameless(const Node& node) const { return !node.hasName || node.name.empty(); }

    int Count() const { return static_cast<int>(nodes.size()); }

    int FirstNamed(std::string& query)
    {
        if (nodes.empty()) {
            return -1;
        }
        query = UpperOf(query);
        for (int p = 0; p < Count(); ++p) {
            if (Nameless(nodes[p])) {
                continue;
            }
            nodes[p].name = UpperOf(nodes[p].name);
            if (nodes[p].name == query) {
                return p;
            }
        }
        return -1;
    }

    int FirstNamedWithIndex(std::string& query, int index)
    {
        if (query.empty() || nodes.empty()) {
            return -1;
        }
        query = UpperOf(query);
        for (int p = 0; p < Count(); ++p) {
            if (Nameless(nodes[p])) {
                return -1;
            }
            nodes[p].name = UpperOf(nodes[p].name);
            if (nodes[p].name == query && nodes[p].index == index) {
                return p;
            }
        }
        return -1;
    }

    int ByNumber(int number) const
    {
        if (number < 1 || number > Count()) {
            return -1;
        }
        for (int p = 0; p < Count(); ++p) {
            if (nodes[p].pinNumber == number) {
                return p;
            }
        }
        return -1;
    }

    int ByPinName(const std::string& pin) const
    {
        for (int p = 0; p < Count() && !pin.empty(); ++p) {
            if (nodes[p].pinName == pin) {
                return p;
            }
        }
        return -1;
    }

    int Nth(const std::string& name, int occurrence) const
    {
        int seen = 0;
        for (int p = 0; p < Count() && !name.empty(); ++p) {
            if (!Nameless(nodes[p]) && nodes[p].name == name && seen++ == occurrence) {
                return p;
            }
        }
        return -1;
    }
};

const char* const kNames[] = {"Data", "DATA", "data", "dAtA", "Clk", "CLK", "x", "X1", "x1", ""};
const char* const kPins[] = {"A1", "a1", "B2", "12", "C3", ""};

}  // namespace

TEST(PinMapIndexTest, RandomOperationsMatchAPlainScan)
{
    std::mt19937 random(20261205);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    auto name = [&]() { return std::string(kNames[pick(10)]); };

    auto map = std::make_unique<BScanPinMap>();
    ReferenceMap ref;
    for (int step = 0; step < 6000; ++step) {
        SCOPED_TRACE("step " + std::to_string(step));
        int op = pick(14);
        int count = ref.Count();
        int p = count > 0 ? pick(count) : -1;
        std::string text = name();
        if (op == 0 || count < 3) {
            bool unnamed = pick(8) == 0;
            int n = 1 + pick(3);
            bool ascending = pick(2) == 0;
            std::string type("inout");
            map->AddNewPorts(unnamed ? nullptr : &text[0], &type[0], n, ascending);
            for (int k = 0; k < n; ++k) {
                ref.nodes.push_back({!unnamed, text, ascending ? k : n - 1 - k, "", -1});
            }
        } else if (op == 1) {
            Node(*map, p)->SetPortName(&text[0]);
            ref.nodes[p].hasName = true;
            ref.nodes[p].name = text;
        } else if (op == 2) {
            std::string pin(kPins[pick(6)]);
            Node(*map, p)->SetPinName(&pin[0]);
            ref.nodes[p].pinName = pin;
        } else if (op == 3) {
            int number = pick(count + 3) - 1;
            Node(*map, p)->SetPinNumber(number);
            ref.nodes[p].pinNumber = number;
        } else if (op == 4 || op == 5) {
            std::string query = text;
            int expected = ref.FirstNamed(query);
            KPinNode* found = map->GetPortwName(&text[0]);
            EXPECT_EQ(Position(*map, found), expected);
            EXPECT_EQ(std::string(text.c_str()), query);
        } else if (op == 6 || op == 7) {
            int index = pick(3);
            std::string query = text;
            int expected = ref.FirstNamedWithIndex(query, index);
            KPinNode* found = map->GetPort(&text[0], index);
            EXPECT_EQ(Position(*map, found), expected);
            EXPECT_EQ(std::string(text.c_str()), query);
        } else if (op == 8) {
            int number = pick(count + 2);
            EXPECT_EQ(Position(*map, map->GetPort(number)), ref.ByNumber(number));
        } else if (op == 9) {
            std::string pin(kPins[pick(6)]);
            EXPECT_EQ(Position(*map, map->GetPort(pin.c_str())), ref.ByPinName(pin));
        } else if (op == 10) {
            int occurrence = pick(4);
            std::string pin(kPins[pick(6)]);
            int target = ref.Nth(text, occurrence);
            map->SerialSetPinName(&text[0], occurrence, &pin[0]);
            if (target >= 0) {
                ref.nodes[target].pinName = pin;
            }
            int number = pick(count + 2);
            target = ref.Nth(text, occurrence);
            map->SerialSetPinNumber(&text[0], occurrence, number);
            if (target >= 0) {
                ref.nodes[target].pinNumber = number;
            }
        } else if (op == 11 && Node(*map, p)->GetPortName() != nullptr) {
            // The lookup text is the node's own stored name.
            ref.nodes[p].name = UpperOf(ref.nodes[p].name);
            std::string query = ref.nodes[p].name;
            int expected = ref.FirstNamed(query);
            EXPECT_EQ(Position(*map, map->GetPortwName(Node(*map, p)->GetPortName())), expected);
        } else if (op == 12 && pick(20) == 0) {
            // Go on with a copy; the original dies.
            auto copy = std::make_unique<BScanPinMap>(*map);
            if (pick(2) == 0) {
                auto assigned = std::make_unique<BScanPinMap>();
                *assigned = *copy;
                copy = std::move(assigned);
            }
            map = std::move(copy);
        } else if (op == 13) {
            KPinNode replacement;
            std::string pin(kPins[pick(6)]);
            replacement.SetPortName(&text[0]);
            replacement.SetPinName(&pin[0]);
            replacement.SetPinNumber(pick(count + 2));
            *Node(*map, p) = replacement;  // assignment reports through the hooks
            ref.nodes[p] = {true, text, -1, pin, replacement.GetPinNumber()};
        }

        ASSERT_EQ(map->GetNumberOfPins(), ref.Count());
        for (int q = 0; q < ref.Count(); ++q) {
            const char* stored = Node(*map, q)->GetPortName();
            ASSERT_EQ(stored != nullptr, ref.nodes[q].hasName) << "node " << q;
            if (stored != nullptr) {
                ASSERT_EQ(std::string(stored), ref.nodes[q].name) << "node " << q;
            }
            const char* pin = Node(*map, q)->GetPinName();
            ASSERT_EQ(std::string(pin != nullptr ? pin : ""), ref.nodes[q].pinName);
            ASSERT_EQ(Node(*map, q)->GetPinNumber(), ref.nodes[q].pinNumber);
        }
    }
}
