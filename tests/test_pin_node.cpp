// Port node: direction words, which cells a port admits, and how a value
// applied to a port reaches its input, output and control cells.
#include <gtest/gtest.h>

#include <memory>
#include <set>

#include "model/KBScanCell.h"
#include "model/KPinNode.h"

namespace {

KBScanCell MakeCell(CellFunction function, KBScanCell* control = nullptr,
                    eSignal disableValue = SIGNAL_HIGH, eSignal disableResult = SIGNAL_Z)
{
    KBScanCell cell;
    cell.SetFunction(function);
    cell.SetControlCell(control);
    cell.m_disableValue = disableValue;
    cell.m_disableResult = disableResult;
    return cell;
}

void SetType(KPinNode& node, const char* type)
{
    std::string text(type);
    node.SetPortType(&text[0]);
}

}  // namespace

TEST(PinNodeTest, NewNodeAndTextSetters)
{
    KPinNode node;
    EXPECT_EQ(node.GetVectorIndex(), -1);
    EXPECT_EQ(node.GetPinNumber(), -1);
    EXPECT_EQ(node.GetPortName(), nullptr);
    EXPECT_EQ(node.GetPinName(), nullptr);
    EXPECT_EQ(node.GetPortType(), PORT_NONE);
    EXPECT_EQ(node.GetPortValue(), SIGNAL_X);
    EXPECT_EQ(node.GetBScanCells(), nullptr);
    EXPECT_FALSE(node.IsPositive());
    EXPECT_FALSE(node.IsNegative());

    char name[] = "TDO";
    node.SetPortName(name);
    name[0] = 'X';
    EXPECT_STREQ(node.GetPortName(), "TDO");
    node.SetPortName(nullptr);
    EXPECT_STREQ(node.GetPortName(), "TDO");
    char pin[] = "A1";
    node.SetPinName(pin);
    node.SetPinName(nullptr);
    EXPECT_STREQ(node.GetPinName(), "A1");
}

TEST(PinNodeTest, PortTypeWordsAreExactAndLowerCase)
{
    KPinNode node;
    for (const char* word : {"IN", "Inout", "linkage", "in ", ""}) {
        SetType(node, word);
        EXPECT_EQ(node.GetPortType(), PORT_NONE) << word;
    }
    node.SetPortType(nullptr);
    EXPECT_EQ(node.GetPortType(), PORT_NONE);
    SetType(node, "inout");
    EXPECT_EQ(node.GetPortType(), PORT_INOUT);
    SetType(node, "OUT");
    EXPECT_EQ(node.GetPortType(), PORT_INOUT);
    SetType(node, "out");
    EXPECT_EQ(node.GetPortType(), PORT_OUT);
    SetType(node, "buffer");
    EXPECT_EQ(node.GetPortType(), PORT_BUFFER);
    SetType(node, "in");
    EXPECT_EQ(node.GetPortType(), PORT_IN);
}

TEST(PinNodeTest, PortAdmitsOnlyCellsThatSuitItsDirection)
{
    const std::set<CellFunction> in = {FUNC_INPUT, FUNC_CLOCK, FUNC_OBSERVE_ONLY};
    const std::set<CellFunction> out = {FUNC_OUTPUT2, FUNC_OUTPUT3};
    const std::set<CellFunction> inout = {FUNC_INPUT,    FUNC_OUTPUT2,   FUNC_OUTPUT3,
                                          FUNC_BIDIR,    FUNC_BIDIR_IN,  FUNC_BIDIR_OUT,
                                          FUNC_OBSERVE_ONLY};
    const std::set<CellFunction> buffer = {FUNC_OUTPUT2};
    struct Case {
        const char* type;
        const std::set<CellFunction>* admitted;
    };
    const std::set<CellFunction> none;
    for (const Case& c : {Case{"in", &in}, Case{"out", &out}, Case{"inout", &inout},
                          Case{"buffer", &buffer}, Case{"linkage", &none}}) {
        for (int f = FUNC_INPUT; f <= FUNC_NONE; ++f) {
            KPinNode node;
            SetType(node, c.type);
            KBScanCell cell = MakeCell(static_cast<CellFunction>(f));
            const bool admitted = c.admitted->count(static_cast<CellFunction>(f)) != 0;
            EXPECT_EQ(node.AssociateBScanCell(&cell), admitted ? 0 : -1) << c.type << " " << f;
            if (admitted) {
                ASSERT_NE(node.GetBScanCells(), nullptr);
                EXPECT_EQ(node.GetBScanCells()->GetAt(0), &cell);
            } else {
                EXPECT_EQ(node.GetBScanCells(), nullptr) << c.type << " " << f;
            }
        }
    }

    KPinNode node;
    SetType(node, "in");
    EXPECT_EQ(node.AssociateBScanCell(nullptr), -1);
    KBScanCell cell = MakeCell(FUNC_INPUT);
    EXPECT_EQ(node.AssociateBScanCell(&cell), 0);
    EXPECT_EQ(node.AssociateBScanCell(&cell), 0);
    EXPECT_EQ(node.GetBScanCells()->GetCount(), 2);
}

TEST(PinNodeTest, RequestedDirectionMustSuitThePort)
{
    KBScanCell control;
    KBScanCell input = MakeCell(FUNC_INPUT);
    KBScanCell output = MakeCell(FUNC_OUTPUT2, &control, SIGNAL_LOW);
    KPinNode in, out, buffer;
    SetType(in, "in");
    SetType(out, "out");
    SetType(buffer, "buffer");
    in.AssociateBScanCell(&input);
    out.AssociateBScanCell(&output);
    buffer.AssociateBScanCell(&output);
    KPinNode none;
    for (KPinNode* node : {&in, &out, &buffer, &none}) {
        EXPECT_EQ(node->SetBScanCell(PORT_INOUT, SIGNAL_HIGH), -1);
        EXPECT_EQ(node->SetBScanCell(PORT_BUFFER, SIGNAL_HIGH), -1);
        EXPECT_EQ(node->SetBScanCell(PORT_NONE, SIGNAL_HIGH), -1);
    }
    EXPECT_EQ(in.SetBScanCell(PORT_OUT, SIGNAL_HIGH), -1);
    EXPECT_EQ(out.SetBScanCell(PORT_IN, SIGNAL_HIGH), -1);
    EXPECT_EQ(buffer.SetBScanCell(PORT_IN, SIGNAL_HIGH), -1);
    EXPECT_EQ(none.SetBScanCell(PORT_IN, SIGNAL_HIGH), -1);  // no cells
    EXPECT_EQ(input.m_value, SIGNAL_X);
    EXPECT_EQ(output.m_value, SIGNAL_X);
    EXPECT_EQ(control.m_value, SIGNAL_X);

    EXPECT_EQ(in.SetBScanCell(PORT_IN, SIGNAL_HIGH), 0);
    EXPECT_EQ(input.m_value, SIGNAL_HIGH);
    EXPECT_EQ(buffer.SetBScanCell(PORT_OUT, SIGNAL_HIGH), 0);
    EXPECT_EQ(output.m_value, SIGNAL_HIGH);
    EXPECT_EQ(control.m_value, SIGNAL_HIGH);  // disable value low: enabled by high
}

TEST(PinNodeTest, InputPortDrivesItsInputOrObserveCell)
{
    KPinNode empty;
    SetType(empty, "in");
    EXPECT_EQ(empty.SetInput(SIGNAL_HIGH), -1);

    KBScanCell input = MakeCell(FUNC_INPUT);
    KPinNode node;
    SetType(node, "in");
    node.AssociateBScanCell(&input);
    EXPECT_EQ(node.SetInput(SIGNAL_X), 0);
    EXPECT_EQ(input.m_value, SIGNAL_LOW);
    EXPECT_EQ(node.SetInput(SIGNAL_HIGH), 0);
    EXPECT_EQ(input.m_value, SIGNAL_HIGH);
    EXPECT_EQ(node.SetInput(SIGNAL_PULL1), 0);
    EXPECT_EQ(input.m_value, SIGNAL_LOW);

    // An observe-only cell stops the scan wherever it stands.
    for (bool observeFirst : {true, false}) {
        KBScanCell in = MakeCell(FUNC_INPUT);
        KBScanCell observe = MakeCell(FUNC_OBSERVE_ONLY);
        KPinNode port;
        SetType(port, "in");
        port.AssociateBScanCell(observeFirst ? &observe : &in);
        port.AssociateBScanCell(observeFirst ? &in : &observe);
        EXPECT_EQ(port.SetInput(SIGNAL_HIGH), 0);
        EXPECT_EQ(observe.m_value, SIGNAL_HIGH);
        EXPECT_EQ(in.m_value, SIGNAL_X);
    }

    KBScanCell clock = MakeCell(FUNC_CLOCK);
    KPinNode clockPort;
    SetType(clockPort, "in");
    clockPort.AssociateBScanCell(&clock);
    EXPECT_EQ(clockPort.SetInput(SIGNAL_HIGH), -1);
    EXPECT_EQ(clock.m_value, SIGNAL_X);
}

TEST(PinNodeTest, OutputPortNeedsTheControlCellOfItsLastOutputCell)
{
    KBScanCell control;
    KBScanCell output = MakeCell(FUNC_OUTPUT3, &control, SIGNAL_LOW);
    KPinNode node;
    SetType(node, "out");
    node.AssociateBScanCell(&output);
    EXPECT_EQ(node.SetOutput(SIGNAL_HIGH), 0);
    EXPECT_EQ(control.m_value, SIGNAL_HIGH);
    EXPECT_EQ(output.m_value, SIGNAL_HIGH);
    output.m_disableValue = SIGNAL_HIGH;
    EXPECT_EQ(node.SetOutput(SIGNAL_Z), 0);
    EXPECT_EQ(control.m_value, SIGNAL_LOW);
    EXPECT_EQ(output.m_value, SIGNAL_LOW);

    // A two-state cell without a control cell cannot be driven.
    KBScanCell twoState = MakeCell(FUNC_OUTPUT2);
    KPinNode plain;
    SetType(plain, "out");
    plain.AssociateBScanCell(&twoState);
    EXPECT_EQ(plain.SetOutput(SIGNAL_HIGH), -1);
    EXPECT_EQ(twoState.m_value, SIGNAL_X);

    // The last output-type cell names the control cell, even when it has none.
    KBScanCell first = MakeCell(FUNC_OUTPUT3, &control, SIGNAL_LOW);
    KBScanCell last = MakeCell(FUNC_OUTPUT2);
    KPinNode lastWithout;
    SetType(lastWithout, "out");
    lastWithout.AssociateBScanCell(&first);
    lastWithout.AssociateBScanCell(&last);
    control.m_value = SIGNAL_X;
    EXPECT_EQ(lastWithout.SetOutput(SIGNAL_HIGH), -1);
    EXPECT_EQ(first.m_value, SIGNAL_X);
    EXPECT_EQ(control.m_value, SIGNAL_X);

    // The first output cell takes the value, with its own disable value.
    KBScanCell early = MakeCell(FUNC_OUTPUT2, nullptr, SIGNAL_LOW);
    KBScanCell late = MakeCell(FUNC_OUTPUT3, &control, SIGNAL_HIGH);
    KPinNode lastWith;
    SetType(lastWith, "out");
    lastWith.AssociateBScanCell(&early);
    lastWith.AssociateBScanCell(&late);
    EXPECT_EQ(lastWith.SetOutput(SIGNAL_HIGH), 0);
    EXPECT_EQ(early.m_value, SIGNAL_HIGH);
    EXPECT_EQ(control.m_value, SIGNAL_HIGH);
    EXPECT_EQ(late.m_value, SIGNAL_X);
}

TEST(PinNodeTest, InoutPortWithOneBidirectionalCell)
{
    KBScanCell control;
    KBScanCell bidir = MakeCell(FUNC_BIDIR, &control, SIGNAL_LOW);
    KPinNode node;
    SetType(node, "inout");
    node.AssociateBScanCell(&bidir);
    EXPECT_EQ(node.SetOutput(SIGNAL_HIGH), 0);
    EXPECT_EQ(control.m_value, SIGNAL_HIGH);
    EXPECT_EQ(bidir.m_value, SIGNAL_HIGH);
    EXPECT_EQ(node.SetInput(SIGNAL_HIGH), 0);
    EXPECT_EQ(bidir.m_value, SIGNAL_HIGH);
    EXPECT_EQ(control.m_value, SIGNAL_LOW);
    EXPECT_EQ(node.SetBScanCell(PORT_IN, SIGNAL_WEAK1), 0);
    EXPECT_EQ(bidir.m_value, SIGNAL_LOW);
}

TEST(PinNodeTest, InoutPortWithSeparateCells)
{
    struct Case {
        eSignal disableResult;
        eSignal outputAfterInput;
    };
    for (const Case& c : {Case{SIGNAL_WEAK1, SIGNAL_HIGH}, Case{SIGNAL_PULL1, SIGNAL_HIGH},
                          Case{SIGNAL_Z, SIGNAL_LOW}, Case{SIGNAL_HIGH, SIGNAL_LOW}}) {
        for (CellFunction inFunction : {FUNC_INPUT, FUNC_BIDIR_IN}) {
            KBScanCell control;
            KBScanCell input = MakeCell(inFunction);
            KBScanCell output = MakeCell(FUNC_BIDIR_OUT, &control, SIGNAL_LOW, c.disableResult);
            KPinNode node;
            SetType(node, "inout");
            node.AssociateBScanCell(&output);
            node.AssociateBScanCell(&input);
            EXPECT_EQ(node.SetOutput(SIGNAL_HIGH), 0);
            EXPECT_EQ(control.m_value, SIGNAL_HIGH);
            EXPECT_EQ(input.m_value, SIGNAL_X);
            EXPECT_EQ(node.SetInput(SIGNAL_HIGH), 0);
            EXPECT_EQ(input.m_value, SIGNAL_HIGH);
            EXPECT_EQ(control.m_value, SIGNAL_LOW);
            EXPECT_EQ(output.m_value, c.outputAfterInput);
        }
    }
}

TEST(PinNodeTest, InoutPortMissingACellKeepsWhatWasWritten)
{
    // No control cell: the input cell keeps its value, the output is refused.
    KBScanCell input = MakeCell(FUNC_INPUT);
    KBScanCell output = MakeCell(FUNC_OUTPUT2);
    KPinNode noControl;
    SetType(noControl, "inout");
    noControl.AssociateBScanCell(&input);
    noControl.AssociateBScanCell(&output);
    EXPECT_EQ(noControl.SetInput(SIGNAL_HIGH), -1);
    EXPECT_EQ(input.m_value, SIGNAL_HIGH);
    EXPECT_EQ(output.m_value, SIGNAL_X);
    EXPECT_EQ(noControl.SetOutput(SIGNAL_HIGH), -1);
    EXPECT_EQ(output.m_value, SIGNAL_X);

    // No input cell: the output's two cells keep their new values.
    KBScanCell control;
    KBScanCell driver = MakeCell(FUNC_OUTPUT3, &control, SIGNAL_HIGH);
    KPinNode noInput;
    SetType(noInput, "inout");
    noInput.AssociateBScanCell(&driver);
    EXPECT_EQ(noInput.SetOutput(SIGNAL_HIGH), -1);
    EXPECT_EQ(driver.m_value, SIGNAL_HIGH);
    EXPECT_EQ(control.m_value, SIGNAL_LOW);
    EXPECT_EQ(noInput.SetInput(SIGNAL_LOW), -1);
    EXPECT_EQ(driver.m_value, SIGNAL_HIGH);
    EXPECT_EQ(control.m_value, SIGNAL_LOW);

    // Observe-only cells play no part in driving out.
    KBScanCell observe = MakeCell(FUNC_OBSERVE_ONLY);
    KPinNode observed;
    SetType(observed, "inout");
    observed.AssociateBScanCell(&observe);
    EXPECT_EQ(observed.SetOutput(SIGNAL_HIGH), -1);
    EXPECT_EQ(observe.m_value, SIGNAL_X);
    EXPECT_EQ(observed.SetInput(SIGNAL_HIGH), 0);
    EXPECT_EQ(observe.m_value, SIGNAL_HIGH);
}

TEST(PinNodeTest, CopiesOwnTheirTextsAndList)
{
    KBScanCell a = MakeCell(FUNC_INPUT);
    KBScanCell b = MakeCell(FUNC_OUTPUT2);
    auto source = std::make_unique<KPinNode>();
    char port[] = "IO7", pin[] = "B2", type[] = "inout";
    source->SetPortName(port);
    source->SetPinName(pin);
    source->SetPinNumber(12);
    source->SetPortType(type);
    source->SetPortValue(SIGNAL_Z);
    source->SetPositive(true);
    source->AssociateBScanCell(&a);

    KPinNode copy(*source);
    KPinNode assigned;
    char old[] = "OLD";
    assigned.SetPortName(old);
    assigned.AssociateBScanCell(&b);  // a node without a type admits nothing
    SetType(assigned, "out");
    assigned.AssociateBScanCell(&b);
    assigned = *source;

    source->AssociateBScanCell(&b);
    source.reset();
    for (const KPinNode* node : {&copy, &assigned}) {
        EXPECT_STREQ(node->GetPortName(), "IO7");
        EXPECT_STREQ(node->GetPinName(), "B2");
        EXPECT_EQ(node->GetPinNumber(), 12);
        EXPECT_EQ(node->GetPortType(), PORT_INOUT);
        EXPECT_EQ(node->GetPortValue(), SIGNAL_Z);
        EXPECT_TRUE(node->IsPositive());
        EXPECT_FALSE(node->IsNegative());
        ASSERT_NE(node->GetBScanCells(), nullptr);
        EXPECT_EQ(node->GetBScanCells()->GetCount(), 1);
        EXPECT_EQ(node->GetBScanCells()->GetAt(0), &a);
    }

    KPinNode& self = copy;
    copy = self;
    EXPECT_STREQ(copy.GetPortName(), "IO7");
    EXPECT_EQ(copy.SetInput(SIGNAL_HIGH), -1);  // no output cell: refused after the input
    EXPECT_EQ(a.m_value, SIGNAL_HIGH);

    KPinNode bare;
    assigned = bare;
    EXPECT_EQ(assigned.GetPortName(), nullptr);
    EXPECT_EQ(assigned.GetBScanCells(), nullptr);
}
