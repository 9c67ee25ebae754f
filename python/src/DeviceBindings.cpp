// bscan.Device: one read BSDL file. Ports are driven, the image shown, the
// SVF written and the document built by the same code as the tool's
// `drive`, `svf` and `json` commands.
#include "Bindings.h"

#include <sstream>

#include "chain/CaptureDecode.h"
#include "drive/BitImage.h"
#include "tools/Commands.h"
#include "tools/DeviceJson.h"
#include "tools/PortDriver.h"

namespace {

std::string TypeName(const py::handle& value)
{
    return py::str(py::type::handle_of(value).attr("__name__")).cast<std::string>();
}

std::string KeyText(const py::handle& key)
{
    if (py::isinstance<py::str>(key))
        return key.cast<std::string>();
    if (py::isinstance<py::int_>(key) && !py::isinstance<py::bool_>(key))
        return py::str(key).cast<std::string>();
    throw py::type_error("a port is named by a str (or a pin number), not " + TypeName(key));
}

std::string ValueText(const py::handle& value)
{
    if (py::isinstance<py::bool_>(value))
        return value.cast<bool>() ? "1" : "0";
    if (py::isinstance<py::int_>(value)) {
        const std::string digits = py::str(value).cast<std::string>();
        if (digits != "0" && digits != "1")
            throw py::value_error("a port value is 0, 1, 'X' or 'Z', not " + digits);
        return digits;
    }
    if (py::isinstance<py::str>(value))
        return value.cast<std::string>();
    throw py::type_error("a port value is 0, 1, 'X', 'Z' (or such a text with ':in' or ':out'), not " +
                         TypeName(value));
}


// Drives the assignments in order as `bscan drive` does; every port is
// resolved before the first is driven, so a KeyError changes nothing.
void Apply(BScanPinMap* map, const std::vector<PortAssignment>& assignments)
{
    if (assignments.empty())
        return;
    if (!map)
        throw py::key_error("no port matches '" + assignments.front().port + "': the file declares no ports");
    for (const PortAssignment& assignment : assignments)
        if (!ResolvePort(*map, assignment.port))
            throw py::key_error("no port matches '" + assignment.port + "'");
    for (const PortAssignment& assignment : assignments)
        DriveAssignment(*map, assignment, false);
}

py::object ShownPath(const DeviceCore& core)
{
    return py::module_::import("os").attr("fsdecode")(py::bytes(core.Path()));
}

py::list Ports(const std::shared_ptr<DeviceCore>& core)
{
    py::list ports;
    for (size_t i = 0; i < core->Ports().size(); ++i)
        ports.append(PortRef{core, static_cast<int>(i)});
    return ports;
}

py::list Cells(const std::shared_ptr<DeviceCore>& core)
{
    py::list cells;
    BScanPinMap* map = core->Map();
    for (int number = 0; number < core->BoundaryLength(); ++number)
        if (map->GetBScanCell(number))
            cells.append(CellRef{core, number});
    return cells;
}

py::dict Instructions(DeviceCore& core)
{
    py::dict instructions;
    const CInstrRegisterDesc* ir = core.Parser().GetInstructionRegisterDescription();
    for (int i = 0; ir && i < ir->GetInstructionOpcodeCount(); ++i) {
        const CInstrOpcode* instruction = ir->GetInstructionOpcode(i);
        py::list opcodes;
        for (int k = 0; k < instruction->GetOpcodeCount(); ++k)
            opcodes.append(Text(instruction->GetOpcode(k)));
        instructions[Text(instruction->GetInstruction())] = opcodes;
    }
    return instructions;
}

py::dict Registers(DeviceCore& core)
{
    py::dict registers;
    const CRegisterAccessDesc* access = core.Parser().GetRegisterAccessDescription();
    for (int i = 0; access && i < access->GetRegisterCount(); ++i) {
        const CRegister* reg = access->GetRegister(i);
        py::list names;
        for (int k = 0; k < reg->GetRegisterAssociationCount(); ++k)
            names.append(Text(reg->GetRegisterAssocName(k)));
        registers[Text(reg->GetRegisterName())] = names;
    }
    return registers;
}

py::list DifferentialPairs(DeviceCore& core)
{
    py::list pairs;
    auto cell = [](int position) { return position < 0 ? py::object(py::none()) : py::object(py::int_(position)); };
    for (const CDifferentialPair& pair : core.Parser().GetDifferentialPairList())
        pairs.append(py::make_tuple(Text(pair.GetPositiveElement()), Text(pair.GetNegativeElement()),
                                    cell(pair.GetPositiveBScanPosition()), cell(pair.GetNegativeBScanPosition())));
    return pairs;
}

py::object Image(DeviceCore& core, bool asBits)
{
    BScanPinMap* map = core.Map();
    const unsigned char* image = map ? map->GetBScanBitArray() : nullptr;
    if (!image)
        return py::none();
    const int length = map->GetBScanLength();
    if (asBits)
        return py::str(ImageBitString(image, length));
    return py::bytes(reinterpret_cast<const char*>(image), static_cast<size_t>((length + 7) / 8));
}

py::object PortByLabel(const std::shared_ptr<DeviceCore>& core, const py::object& key)
{
    const std::string label = KeyText(key);
    BScanPinMap* map = core->Map();
    const KPinNode* node = map ? ResolvePort(*map, label) : nullptr;
    const int index = node ? core->PortIndex(node) : -1;
    if (index < 0)
        throw py::key_error("no port matches '" + label + "'");
    return py::cast(PortRef{core, index});
}

std::string Svf(DeviceCore& core, const std::string& instruction, const std::vector<PortAssignment>& assignments)
{
    ParserPtr copy = core.CopyParser();
    Apply(copy->GetPinMap(), assignments);
    CommandOptions options;
    options.file = core.Path();
    options.instruction = instruction;
    std::ostringstream out;
    WriteSvf(*copy, options, out);
    return out.str();
}

std::string DeviceRepr(DeviceCore& core)
{
    const char* entity = core.Parser().GetComponentName();
    return "<Device " + std::string(entity ? entity : "(no entity)") + " ports=" +
           std::to_string(core.Ports().size()) + " cells=" + std::to_string(core.BoundaryLength()) + ">";
}

}  // namespace

std::vector<std::string> AssignmentTexts(const py::object& mapping, const py::kwargs& ports)
{
    std::vector<std::string> texts;
    if (!mapping.is_none()) {
        if (!py::hasattr(mapping, "items"))
            throw py::type_error("the mapping of ports to values is a dict (or another mapping), not " +
                                 TypeName(mapping));
        for (const py::handle item : mapping.attr("items")()) {
            const py::tuple pair = py::reinterpret_borrow<py::tuple>(item);
            texts.push_back(KeyText(pair[0]) + "=" + ValueText(pair[1]));
        }
    }
    for (const auto& item : ports)
        texts.push_back(KeyText(item.first) + "=" + ValueText(item.second));
    return texts;
}

std::vector<PortAssignment> Assignments(const py::object& mapping, const py::kwargs& ports)
{
    std::vector<PortAssignment> list;
    for (const std::string& text : AssignmentTexts(mapping, ports)) {
        PortAssignment assignment;
        std::string error;
        if (!ParsePortAssignment(text, assignment, error))
            throw py::value_error(error);
        list.push_back(assignment);
    }
    return list;
}

py::class_<DeviceCore, std::shared_ptr<DeviceCore>> BindDevice(py::module_& module)
{
    using Core = std::shared_ptr<DeviceCore>;
    py::class_<DeviceCore, Core> device(module, "Device", "One BSDL file as the library read it.");
    device
        .def_property_readonly("path", [](const Core& d) { return ShownPath(*d); },
                               "the path as given to read(), '<string>' for read_string()")
        .def_property_readonly("entity", [](const Core& d) { return Text(d->Parser().GetComponentName()); })
        .def_property_readonly("package", [](const Core& d) { return Text(d->Parser().GetPackageType()); })
        .def_property_readonly("boundary_length", [](const Core& d) { return d->BoundaryLength(); })
        .def_property_readonly("instruction_length", [](const Core& d) {
            const CInstrRegisterDesc* ir = d->Parser().GetInstructionRegisterDescription();
            return ir ? py::object(py::int_(ir->GetInstructionLength())) : py::object(py::none());
        })
        .def_property_readonly("instruction_capture", [](const Core& d) {
            const CInstrRegisterDesc* ir = d->Parser().GetInstructionRegisterDescription();
            return ir ? Text(ir->GetInstructionCapture()) : py::object(py::none());
        })
        .def_property_readonly("ports", &Ports)
        .def_property_readonly("cells", &Cells)
        .def_property_readonly("instructions", [](const Core& d) { return Instructions(*d); })
        .def_property_readonly("registers", [](const Core& d) { return Registers(*d); })
        .def_property_readonly("differential_pairs", [](const Core& d) { return DifferentialPairs(*d); })
        .def_property_readonly("image", [](const Core& d) { return Image(*d, false); })
        .def_property_readonly("bits", [](const Core& d) { return Image(*d, true); })
        .def("port", &PortByLabel, py::arg("label"))
        .def("drive", [](const Core& d, const py::object& mapping, const py::kwargs& ports) {
            Apply(d->Map(), Assignments(mapping, ports));
            return d;
        }, py::arg("mapping") = py::none())
        .def("svf", [](const Core& d, const std::string& instruction, const py::object& mapping,
                       const py::kwargs& ports) {
            return Svf(*d, instruction, Assignments(mapping, ports));
        }, py::arg("instruction"), py::arg("mapping") = py::none())
        .def("decode", [](const Core& d, const py::object& capture) {
            BScanPinMap* map = d->Map();
            const int length = map ? map->GetBScanLength() : 0;
            if (length <= 0)
                throw py::value_error("the file describes no boundary register");
            ScanBits bits;
            std::string error;
            if (!ParseCaptureHex(CaptureText(capture), length, bits, error))
                throw py::value_error(error);
            return CapturedRows(DecodeDeviceCapture(*map, bits), false);
        }, py::arg("capture"), "The captured bit of each port with an input cell, as `bscan decode --json` gives it.")
        .def("to_dict", [](const Core& d) {
            return py::module_::import("json").attr("loads")(DeviceJsonText(d->Parser(), d->Path(), -1));
        })
        .def("__repr__", [](const Core& d) { return DeviceRepr(*d); });
    return device;
}
