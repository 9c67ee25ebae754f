// bscan.Port and bscan.Cell: views of one port node and one boundary cell
// of a Device, read live from its model (so they follow drive()). Their
// values are written as the JSON document writes them.
#include "Bindings.h"

#include <functional>

#include "drive/BitImage.h"
#include "drive/Names.h"

namespace {

const PortEntry& Entry(const PortRef& port)
{
    return port.core->Ports()[static_cast<size_t>(port.index)];
}

const KPinNode& Node(const PortRef& port)
{
    return *Entry(port).node;
}

const KBScanCell& CellOf(const CellRef& cell)
{
    return *cell.core->Map()->GetBScanCell(cell.number);
}

py::object PinNumber(const KPinNode& node)
{
    const int pin = node.GetPinNumber();
    return pin > 0 ? py::object(py::int_(pin)) : py::object(py::none());
}

py::list CellNumbers(const KPinNode& node)
{
    py::list numbers;
    if (const KObjList* list = node.GetBScanCells())
        for (int i = 0; i < list->GetCount(); ++i)
            numbers.append(static_cast<const KBScanCell*>(list->GetAt(i))->GetBoundaryCellPosition());
    return numbers;
}

// The pin map's current answer for a reachable port, else None.
py::object PinMapAnswer(const PortRef& port, bool direction)
{
    const PortEntry& entry = Entry(port);
    if (!entry.reachable)
        return py::none();
    BScanPinMap& map = *port.core->Map();
    const int pin = entry.node->GetPinNumber();
    return py::str(direction ? PortTypeName(map.GetPortDirection(pin)) : SignalName(map.GetPortValue(pin)));
}

py::object Differential(const KPinNode& node)
{
    if (node.IsPositive())
        return py::str("positive");
    if (node.IsNegative())
        return py::str("negative");
    return py::none();
}

py::object ControlledSignal(const CellRef& cell, eSignal KBScanCell::*field)
{
    const KBScanCell& c = CellOf(cell);
    return c.GetControlCell() ? py::object(py::str(SignalName(c.*field))) : py::object(py::none());
}

std::string PortRepr(const PortRef& port)
{
    const KPinNode& node = Node(port);
    std::string text = "<Port " + Entry(port).label;
    if (node.GetPinNumber() > 0)
        text += " pin=" + std::to_string(node.GetPinNumber());
    if (node.GetPinName() && *node.GetPinName())
        text += " pin_name=" + std::string(node.GetPinName());
    return text + " " + PortTypeName(node.GetPortType()) + ">";
}

std::string CellRepr(const CellRef& cell)
{
    const KBScanCell& c = CellOf(cell);
    std::string text = "<Cell " + std::to_string(cell.number) + " " + CellTypeName(c.GetBScanCellType()) + " " +
                       CellFunctionName(c.GetFunction());
    const int index = cell.core->PortIndex(c.GetPinNode());
    if (index >= 0)
        text += " port=" + cell.core->Ports()[static_cast<size_t>(index)].label;
    return text + " value=" + SignalName(c.m_value) + ">";
}

}  // namespace

py::object Text(const char* text)
{
    if (!text)
        return py::none();
    return Text(std::string(text));
}

py::object Text(const std::string& text)
{
    PyObject* str = PyUnicode_DecodeUTF8(text.data(), static_cast<Py_ssize_t>(text.size()), "replace");
    if (!str)
        throw py::error_already_set();
    return py::reinterpret_steal<py::object>(str);
}

py::object CellNumber(const KBScanCell* cell)
{
    if (!cell)
        return py::none();
    return py::int_(cell->GetBoundaryCellPosition());
}

void BindPortAndCell(py::module_& module)
{
    py::class_<PortRef>(module, "Port", "One port node of a Device (a scalar port or one element of a vector port).")
        .def_property_readonly("device", [](const PortRef& p) { return p.core; })
        .def_property_readonly("label", [](const PortRef& p) { return Text(Entry(p).label); },
                               "NAME, or NAME(INDEX) for an element of a vector port")
        .def_property_readonly("name", [](const PortRef& p) { return Text(Node(p).GetPortName()); })
        .def_property_readonly("index", [](const PortRef& p) { return Node(p).GetVectorIndex(); })
        .def_property_readonly("vector_element", [](const PortRef& p) { return Entry(p).isVectorElement; })
        .def_property_readonly("pin_number", [](const PortRef& p) { return PinNumber(Node(p)); })
        .def_property_readonly("pin_name", [](const PortRef& p) { return Text(Node(p).GetPinName()); })
        .def_property_readonly("type", [](const PortRef& p) { return PortTypeName(Node(p).GetPortType()); })
        .def_property_readonly("reachable", [](const PortRef& p) { return Entry(p).reachable; })
        .def_property_readonly("direction", [](const PortRef& p) { return PinMapAnswer(p, true); })
        .def_property_readonly("value", [](const PortRef& p) { return PinMapAnswer(p, false); })
        .def_property_readonly("port_value", [](const PortRef& p) { return SignalName(Node(p).GetPortValue()); })
        .def_property_readonly("cells", [](const PortRef& p) { return CellNumbers(Node(p)); })
        .def_property_readonly("input_cell", [](const PortRef& p) { return CellNumber(SelectCellRoles(Node(p)).input); })
        .def_property_readonly("output_cell", [](const PortRef& p) { return CellNumber(SelectCellRoles(Node(p)).output); })
        .def_property_readonly("control_cell", [](const PortRef& p) { return CellNumber(SelectCellRoles(Node(p)).control); })
        .def_property_readonly("observe_cell", [](const PortRef& p) { return CellNumber(SelectCellRoles(Node(p)).observe); })
        .def_property_readonly("differential", [](const PortRef& p) { return Differential(Node(p)); })
        .def("__eq__", [](const PortRef& a, const PortRef& b) { return a.core == b.core && a.index == b.index; })
        .def("__hash__", [](const PortRef& p) {
            return std::hash<const void*>()(p.core.get()) ^ static_cast<size_t>(p.index);
        })
        .def("__repr__", &PortRepr);

    py::class_<CellRef>(module, "Cell", "One cell of a Device's boundary register.")
        .def_property_readonly("device", [](const CellRef& c) { return c.core; })
        .def_property_readonly("number", [](const CellRef& c) { return c.number; })
        .def_property_readonly("position", [](const CellRef& c) { return CellOf(c).GetBoundaryCellPosition(); })
        .def_property_readonly("type", [](const CellRef& c) { return CellTypeName(CellOf(c).GetBScanCellType()); })
        .def_property_readonly("function", [](const CellRef& c) { return CellFunctionName(CellOf(c).GetFunction()); })
        .def_property_readonly("port", [](const CellRef& c) {
            const int index = c.core->PortIndex(CellOf(c).GetPinNode());
            return index < 0 ? py::object(py::none()) : Text(c.core->Ports()[static_cast<size_t>(index)].label);
        }, "the label of the port the cell serves, or None")
        .def_property_readonly("pin_name", [](const CellRef& c) { return Text(CellOf(c).GetPinName()); })
        .def_property_readonly("original_name", [](const CellRef& c) { return Text(CellOf(c).GetOriginalPinName()); })
        .def_property_readonly("safe", [](const CellRef& c) { return SignalName(CellOf(c).m_safeValue); })
        .def_property_readonly("control_cell", [](const CellRef& c) { return CellNumber(CellOf(c).GetControlCell()); })
        .def_property_readonly("disable_value", [](const CellRef& c) { return ControlledSignal(c, &KBScanCell::m_disableValue); })
        .def_property_readonly("disabled_state", [](const CellRef& c) { return ControlledSignal(c, &KBScanCell::m_disableResult); })
        .def_property_readonly("value", [](const CellRef& c) { return SignalName(CellOf(c).m_value); })
        .def_property_readonly("bit", [](const CellRef& c) {
            const unsigned char* image = c.core->Map()->GetBScanBitArray();
            return image ? py::object(py::int_(ImageBit(image, c.number))) : py::object(py::none());
        })
        .def("__eq__", [](const CellRef& a, const CellRef& b) { return a.core == b.core && a.number == b.number; })
        .def("__hash__", [](const CellRef& c) {
            return std::hash<const void*>()(c.core.get()) ^ static_cast<size_t>(c.number);
        })
        .def("__repr__", &CellRepr);
}
