// Port node: direction words, which cells a port admits, and how a value
// applied to a port reaches its input, output and control cells.
#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "model/KBScanCell.h"
#include "model/KPinNode.h"

namespace {

KBScanCell Cell(CellFunction function, KBScanCell* control = nullptr,
                eSignal disableValue = SIGNAL_HIGH, eSignal disableResult = SIGNAL_Z)
{
    KBScanCell cell;
    cell.SetFunction(function);
    cell.SetControlCell(control);
    cell.m_disableValue = disableValue;
    cell.m_disableResult = disableResult;
    return cell;
}

// A port of the given mode word with the given cells associated in order.
struct Port {
    KPinNode node;
    Port(const char* type, std::initializer_list<KBScanCell*> cells)
    {
        std::string text(type);
        node.SetPortType(&text[0]);
        for (KBScanCell* cell : cells) {
            node.AssociateBScanCell(cell);
        }
    }
};

}  // namespace

TEST(PinNodeTest, NewNodeAndPortTypeWords)
{
    KPinNode node;
    EXPECT_TRUE(node.GetVectorIndex() == -1 && node.GetPinNumber() == -1);
    EXPECT_TRUE(node.GetPortName() == nullptr && node.GetBScanCells() == nullptr);
    EXPECT_TRUE(node.GetPortType() == PORT_NONE && node.GetPortValue() == SIGNAL_X);
    EXPECT_FALSE(node.IsPositive() || node.IsNegative());

    for (const char* word : {"IN", "Inout", "linkage", "in ", "", "i", "ino", "inou", "inoutx",
                             "o", "ou", "outs", "buffers", "b"}) {
        EXPECT_EQ(Port(word, {}).node.GetPortType(), PORT_NONE) << word;
    }
    int type = PORT_IN;
    for (const char* word : {"in", "out", "inout", "buffer"}) {
        EXPECT_EQ(Port(word, {}).node.GetPortType(), type++);
    }
    Port port("inout", {});
    char upper[] = "OUT";
    port.node.SetPortType(upper);
    port.node.SetPortType(nullptr);
    EXPECT_EQ(port.node.GetPortType(), PORT_INOUT);
}

TEST(PinNodeTest, PortAdmitsOnlyCellsThatSuitItsDirection)
{
    const std::pair<const char*, std::set<int>> table[] = {
        {"in", {FUNC_INPUT, FUNC_CLOCK, FUNC_OBSERVE_ONLY}},
        {"out", {FUNC_OUTPUT2, FUNC_OUTPUT3}},
        {"inout", {FUNC_INPUT, FUNC_OUTPUT2, FUNC_OUTPUT3, FUNC_BIDIR, FUNC_BIDIR_IN,
                   FUNC_BIDIR_OUT, FUNC_OBSERVE_ONLY}},
        {"buffer", {FUNC_OUTPUT2}},
        {"linkage", {}},
    };
    for (const auto& row : table) {
        for (int f = FUNC_INPUT; f <= FUNC_NONE; ++f) {
            KBScanCell cell = Cell(static_cast<CellFunction>(f));
            Port port(row.first, {});
            const bool admitted = row.second.count(f) != 0;
            EXPECT_EQ(port.node.AssociateBScanCell(&cell), admitted ? 0 : -1) << row.first << f;
            const KObjList* cells = port.node.GetBScanCells();
            EXPECT_EQ(cells != nullptr && cells->GetAt(0) == &cell, admitted);
        }
    }
    KBScanCell input = Cell(FUNC_INPUT);
    Port twice("in", {&input, &input});
    EXPECT_EQ(twice.node.AssociateBScanCell(nullptr), -1);
    EXPECT_EQ(twice.node.GetBScanCells()->GetCount(), 2);
}

TEST(PinNodeTest, RequestedDirectionMustSuitThePort)
{
    KBScanCell control, input = Cell(FUNC_INPUT), output = Cell(FUNC_OUTPUT2, &control, SIGNAL_LOW);
    Port in("in", {&input}), out("out", {&output}), buffer("buffer", {&output}), none("", {});
    for (Port* port : {&in, &out, &buffer, &none}) {
        EXPECT_EQ(port->node.SetBScanCell(PORT_INOUT, SIGNAL_HIGH), -1);
        EXPECT_EQ(port->node.SetBScanCell(PORT_BUFFER, SIGNAL_HIGH), -1);
    }
    EXPECT_EQ(in.node.SetBScanCell(PORT_OUT, SIGNAL_HIGH), -1);
    EXPECT_EQ(out.node.SetBScanCell(PORT_IN, SIGNAL_HIGH), -1);
    EXPECT_EQ(buffer.node.SetBScanCell(PORT_IN, SIGNAL_HIGH), -1);
    EXPECT_EQ(none.node.SetBScanCell(PORT_IN, SIGNAL_HIGH), -1);  // no cells
    EXPECT_TRUE(input.m_value == SIGNAL_X && output.m_value == SIGNAL_X);
    EXPECT_EQ(in.node.SetBScanCell(PORT_IN, SIGNAL_HIGH), 0);
    EXPECT_EQ(input.m_value, SIGNAL_HIGH);
    EXPECT_EQ(buffer.node.SetBScanCell(PORT_OUT, SIGNAL_HIGH), 0);
    EXPECT_EQ(output.m_value, SIGNAL_HIGH);
    EXPECT_EQ(control.m_value, SIGNAL_HIGH);  // disable value low: high enables
}

TEST(PinNodeTest, InputPortDrivesItsInputOrObserveCell)
{
    EXPECT_EQ(Port("in", {}).node.SetInput(SIGNAL_HIGH), -1);
    KBScanCell input = Cell(FUNC_INPUT);
    Port port("in", {&input});
    EXPECT_EQ(port.node.SetInput(SIGNAL_X), 0);
    EXPECT_EQ(input.m_value, SIGNAL_LOW);
    EXPECT_EQ(port.node.SetInput(SIGNAL_HIGH), 0);
    EXPECT_EQ(input.m_value, SIGNAL_HIGH);
    EXPECT_EQ(port.node.SetInput(SIGNAL_PULL1), 0);
    EXPECT_EQ(input.m_value, SIGNAL_LOW);

    // An observe-only cell stops the scan wherever it stands.
    for (bool observeFirst : {true, false}) {
        KBScanCell in = Cell(FUNC_INPUT), observe = Cell(FUNC_OBSERVE_ONLY);
        Port both("in", {observeFirst ? &observe : &in, observeFirst ? &in : &observe});
        EXPECT_EQ(both.node.SetInput(SIGNAL_HIGH), 0);
        EXPECT_EQ(observe.m_value, SIGNAL_HIGH);
        EXPECT_EQ(in.m_value, SIGNAL_X);
    }
    KBScanCell clock = Cell(FUNC_CLOCK);
    EXPECT_EQ(Port("in", {&clock}).node.SetInput(SIGNAL_HIGH), -1);
    EXPECT_EQ(clock.m_value, SIGNAL_X);
}

TEST(PinNodeTest, OutputPortNeedsTheControlCellOfItsLastOutputCell)
{
    KBScanCell control, output = Cell(FUNC_OUTPUT3, &control, SIGNAL_LOW);
    Port port("out", {&output});
    EXPECT_EQ(port.node.SetOutput(SIGNAL_HIGH), 0);
    EXPECT_EQ(control.m_value, SIGNAL_HIGH);
    EXPECT_EQ(output.m_value, SIGNAL_HIGH);
    output.m_disableValue = SIGNAL_HIGH;
    EXPECT_EQ(port.node.SetOutput(SIGNAL_Z), 0);
    EXPECT_EQ(control.m_value, SIGNAL_LOW);
    EXPECT_EQ(output.m_value, SIGNAL_LOW);

    // A last output-type cell without a control cell leaves none.
    KBScanCell first = Cell(FUNC_OUTPUT3, &control, SIGNAL_LOW), last = Cell(FUNC_OUTPUT2);
    control.m_value = SIGNAL_X;
    EXPECT_EQ(Port("out", {&last}).node.SetOutput(SIGNAL_HIGH), -1);
    EXPECT_EQ(Port("out", {&first, &last}).node.SetOutput(SIGNAL_HIGH), -1);
    EXPECT_TRUE(first.m_value == SIGNAL_X && last.m_value == SIGNAL_X);
    EXPECT_EQ(control.m_value, SIGNAL_X);

    // The first output cell takes the value, with its own disable value.
    KBScanCell early = Cell(FUNC_OUTPUT2, nullptr, SIGNAL_LOW);
    KBScanCell late = Cell(FUNC_OUTPUT3, &control, SIGNAL_HIGH);
    EXPECT_EQ(Port("out", {&early, &late}).node.SetOutput(SIGNAL_HIGH), 0);
    EXPECT_EQ(early.m_value, SIGNAL_HIGH);
    EXPECT_EQ(control.m_value, SIGNAL_HIGH);
    EXPECT_EQ(late.m_value, SIGNAL_X);
}

TEST(PinNodeTest, InoutPortSwitchesItsDriver)
{
    KBScanCell control, bidir = Cell(FUNC_BIDIR, &control, SIGNAL_LOW);
    Port one("inout", {&bidir});
    EXPECT_EQ(one.node.SetOutput(SIGNAL_HIGH), 0);
    EXPECT_EQ(control.m_value, SIGNAL_HIGH);
    EXPECT_EQ(bidir.m_value, SIGNAL_HIGH);
    EXPECT_EQ(one.node.SetInput(SIGNAL_HIGH), 0);
    EXPECT_EQ(bidir.m_value, SIGNAL_HIGH);
    EXPECT_EQ(control.m_value, SIGNAL_LOW);

    // Separate cells: the output cell shows the level of the disabled pin.
    const std::pair<eSignal, eSignal> results[] = {
        {SIGNAL_WEAK1, SIGNAL_HIGH}, {SIGNAL_PULL1, SIGNAL_HIGH}, {SIGNAL_Z, SIGNAL_LOW}};
    for (const auto& r : results) {
        for (CellFunction inFunction : {FUNC_INPUT, FUNC_BIDIR_IN}) {
            KBScanCell ctl, in = Cell(inFunction);
            KBScanCell out = Cell(FUNC_BIDIR_OUT, &ctl, SIGNAL_LOW, r.first);
            Port port("inout", {&out, &in});
            EXPECT_EQ(port.node.SetOutput(SIGNAL_HIGH), 0);
            EXPECT_EQ(in.m_value, SIGNAL_X);
            EXPECT_EQ(port.node.SetInput(SIGNAL_HIGH), 0);
            EXPECT_EQ(in.m_value, SIGNAL_HIGH);
            EXPECT_EQ(ctl.m_value, SIGNAL_LOW);
            EXPECT_EQ(out.m_value, r.second);
        }
    }
}

TEST(PinNodeTest, InoutPortMissingACellKeepsWhatWasWritten)
{
    KBScanCell input = Cell(FUNC_INPUT), output = Cell(FUNC_OUTPUT2);
    Port noControl("inout", {&input, &output});
    EXPECT_EQ(noControl.node.SetInput(SIGNAL_HIGH), -1);
    EXPECT_EQ(input.m_value, SIGNAL_HIGH);
    EXPECT_EQ(noControl.node.SetOutput(SIGNAL_HIGH), -1);
    EXPECT_EQ(output.m_value, SIGNAL_X);

    KBScanCell control, driver = Cell(FUNC_OUTPUT3, &control, SIGNAL_HIGH);
    KBScanCell observe = Cell(FUNC_OBSERVE_ONLY);
    Port noInput("inout", {&driver, &observe});  // observe-only plays no part in output
    EXPECT_EQ(noInput.node.SetOutput(SIGNAL_HIGH), -1);
    EXPECT_EQ(driver.m_value, SIGNAL_HIGH);
    EXPECT_EQ(control.m_value, SIGNAL_LOW);
    EXPECT_EQ(observe.m_value, SIGNAL_X);
}

TEST(PinNodeTest, CopiesOwnTheirTextsAndList)
{
    KBScanCell a = Cell(FUNC_INPUT), b = Cell(FUNC_OUTPUT2);
    auto source = std::make_unique<Port>("inout", std::initializer_list<KBScanCell*>{&a});
    char port[] = "IO7", pin[] = "B2";
    source->node.SetPortName(port);
    source->node.SetPinName(pin);
    port[0] = 'X';
    source->node.SetPortName(nullptr);
    source->node.SetPinNumber(12);
    source->node.SetPortValue(SIGNAL_Z);
    source->node.SetPositive(true);

    KPinNode copy(source->node);
    Port assigned("out", {&b});
    assigned.node.SetPortName(pin);
    assigned.node = source->node;
    source->node.AssociateBScanCell(&b);
    source.reset();
    for (const KPinNode* node : {&copy, &assigned.node}) {
        EXPECT_STREQ(node->GetPortName(), "IO7");
        EXPECT_STREQ(node->GetPinName(), "B2");
        EXPECT_TRUE(node->GetPinNumber() == 12 && node->GetPortType() == PORT_INOUT);
        EXPECT_TRUE(node->GetPortValue() == SIGNAL_Z && node->IsPositive());
        ASSERT_NE(node->GetBScanCells(), nullptr);
        EXPECT_EQ(node->GetBScanCells()->GetCount(), 1);
    }
    copy = KPinNode();
    EXPECT_EQ(copy.GetPortName(), nullptr);
    EXPECT_EQ(copy.GetBScanCells(), nullptr);
}

TEST(PinNodeTest, NamesOfAnyLengthAndLongCellLists)
{
    // Short names live inside the node, long ones on the heap: every switch
    // between the two, and a name set from the node's own text, keeps the text.
    const std::string longName(40, 'L'), shortName("IO_7"), border(15, 'B'), over(16, 'O');
    KPinNode node;
    for (const std::string& text : {shortName, longName, border, over, shortName, longName}) {
        std::string copy(text);
        node.SetPortName(&copy[0]);
        node.SetPinName(&copy[0]);
        copy[0] = '#';
        EXPECT_EQ(node.GetPortName(), text);
        EXPECT_EQ(node.GetPinName(), text);
        node.SetPortName(node.GetPortName());
        node.SetPinName(node.GetPortName() + 1);
        EXPECT_EQ(node.GetPortName(), text);
        EXPECT_EQ(node.GetPinName(), text.substr(1));
    }

    // A name set from a later part of the node's own text (the text moves
    // within the node's buffer), for every length the buffer holds.
    for (size_t length = 1; length < 16; ++length) {
        for (size_t shift = 0; shift < length; ++shift) {
            std::string text;
            for (size_t i = 0; i < length; ++i) {
                text += static_cast<char>('a' + i);
            }
            node.SetPortName(&text[0]);
            node.SetPinName(&text[0]);
            node.SetPortName(node.GetPortName() + shift);
            node.SetPinName(node.GetPinName() + shift);
            EXPECT_EQ(node.GetPortName(), text.substr(shift)) << length << " " << shift;
            EXPECT_EQ(node.GetPinName(), text.substr(shift)) << length << " " << shift;
        }
    }

    // More cells than a list holds inline; copies and assignments keep them all.
    std::vector<KBScanCell> cells(7, Cell(FUNC_INPUT));
    Port port("in", {});
    for (KBScanCell& cell : cells) {
        EXPECT_EQ(port.node.AssociateBScanCell(&cell), 0);
    }
    port.node.SetPortName(&std::string(longName)[0]);
    KPinNode copy(port.node), assigned;
    assigned.SetPortName(&std::string(over)[0]);
    assigned = copy;
    for (const KPinNode* n : {&port.node, &copy, &assigned}) {
        ASSERT_EQ(n->GetBScanCells()->GetCount(), 7);
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(n->GetBScanCells()->GetAt(i), &cells[static_cast<size_t>(i)]);
        }
        EXPECT_EQ(n->GetPortName(), longName);
    }
    EXPECT_NE(copy.GetBScanCells(), port.node.GetBScanCells());
}
