// bscan.Chain: the devices of a scan chain file, driven by NAME.PORT, with
// the chain's SVF and the decoding of a capture, written by the same code
// as `bscan svf --chain` and `bscan decode --chain`; bscan.ChainDevice: one
// device of it.
#include "Bindings.h"
#include "ChainCore.h"

#include "chain/Identify.h"
#include "drive/BitImage.h"

namespace {

struct ChainDeviceRef {
    std::shared_ptr<ChainCore> core;
    size_t index;
};

const BScanChainDevice& DeviceOf(const ChainDeviceRef& ref)
{
    return ref.core->Chain().Device(ref.index);
}

py::object TextOrNone(const std::string& text)
{
    return text.empty() ? py::object(py::none()) : Text(text);
}

py::object Image(const ChainDeviceRef& ref, bool asBits)
{
    BScanPinMap* map = ref.core->Chain().PinMap(ref.index);
    const unsigned char* image = map ? map->GetBScanBitArray() : nullptr;
    if (!image || map->GetBScanLength() <= 0)
        return py::none();
    const int length = map->GetBScanLength();
    if (asBits)
        return py::str(ImageBitString(image, length));
    return py::bytes(reinterpret_cast<const char*>(image), static_cast<size_t>((length + 7) / 8));
}

std::string ChainDeviceRepr(const ChainDeviceRef& ref)
{
    const BScanChainDevice& device = DeviceOf(ref);
    std::string text = "<ChainDevice " + std::to_string(ref.index + 1) + " " + device.name;
    if (device.HasFile() && !device.device->Entity().empty())
        text += " " + device.device->Entity();
    else if (!device.HasFile())
        text += " bypass";
    return text + " ir=" + std::to_string(device.irLength) + ">";
}

ChainDeviceRef FindDevice(const std::shared_ptr<ChainCore>& core, const std::string& name)
{
    const int index = core->Chain().FindDevice(name);
    if (index < 0)
        throw py::key_error("no device '" + name + "' in the chain");
    return ChainDeviceRef{core, static_cast<size_t>(index)};
}

}  // namespace

std::string CaptureText(const py::object& capture)
{
    if (py::isinstance<py::str>(capture))
        return capture.cast<std::string>();
    if (py::isinstance<py::int_>(capture) && !py::isinstance<py::bool_>(capture)) {
        if (py::int_(capture).cast<py::object>() < py::int_(0))
            throw py::value_error("a capture is not negative");
        return py::str(py::module_::import("builtins").attr("format")(capture, "X")).cast<std::string>();
    }
    throw py::type_error("a capture is hex text (as a player prints TDO) or an int");
}

py::list CapturedRows(const std::vector<CapturedPort>& ports, bool chain)
{
    py::list rows;
    for (const CapturedPort& port : ports) {
        py::dict row;
        if (chain)
            row["device"] = Text(port.device);
        row["port"] = Text(port.port);
        row["pin"] = TextOrNone(port.pin);
        row["cell"] = port.cell;
        row["value"] = port.value;
        rows.append(row);
    }
    return rows;
}

void BindChain(py::module_& module)
{
    py::class_<ChainDeviceRef>(module, "ChainDevice", "One device of a Chain, in scan order.")
        .def_property_readonly("chain", [](const ChainDeviceRef& r) { return r.core; })
        .def_property_readonly("position", [](const ChainDeviceRef& r) { return r.index; }, "0 nearest TDI")
        .def_property_readonly("name", [](const ChainDeviceRef& r) { return Text(DeviceOf(r).name); })
        .def_property_readonly("path", [](const ChainDeviceRef& r) { return TextOrNone(DeviceOf(r).path); },
                               "the BSDL file as resolved, None for a device given as ir=N")
        .def_property_readonly("line", [](const ChainDeviceRef& r) { return DeviceOf(r).line; })
        .def_property_readonly("ir_length", [](const ChainDeviceRef& r) { return DeviceOf(r).irLength; })
        .def_property_readonly("boundary_length", [](const ChainDeviceRef& r) { return DeviceOf(r).boundaryLength; })
        .def_property_readonly("driven", [](const ChainDeviceRef& r) { return DeviceOf(r).driven; })
        .def_property_readonly("entity", [](const ChainDeviceRef& r) {
            const BScanChainDevice& device = DeviceOf(r);
            return device.HasFile() ? TextOrNone(device.device->Entity()) : py::object(py::none());
        })
        .def_property_readonly("idcode", [](const ChainDeviceRef& r) {
            const BScanChainDevice& device = DeviceOf(r);
            const BScanIdcode* idcode = device.HasFile() ? device.device->Idcode() : nullptr;
            return idcode ? py::cast(*idcode) : py::object(py::none());
        })
        .def_property_readonly("image", [](const ChainDeviceRef& r) { return Image(r, false); })
        .def_property_readonly("bits", [](const ChainDeviceRef& r) { return Image(r, true); })
        .def("__repr__", &ChainDeviceRepr);

    using Core = std::shared_ptr<ChainCore>;
    py::class_<ChainCore, Core>(module, "Chain", "The devices of one scan path, read from a chain file.")
        .def(py::init([](const py::object& path) {
            const std::string file = py::module_::import("os").attr("fsencode")(path).cast<std::string>();
            py::gil_scoped_release release;
            return ChainCore::Read(file);
        }), py::arg("path"))
        .def_property_readonly("path", [](const Core& c) {
            return py::module_::import("os").attr("fsdecode")(py::bytes(c->Path()));
        })
        .def_property_readonly("devices", [](const Core& c) {
            py::list devices;
            for (size_t i = 0; i < c->Chain().DeviceCount(); ++i)
                devices.append(ChainDeviceRef{c, i});
            return devices;
        })
        .def("device", [](const Core& c, const std::string& name) { return FindDevice(c, name); },
             py::arg("name"), "The device of that name (ignoring case); KeyError when none.")
        .def("__len__", [](const Core& c) { return c->Chain().DeviceCount(); })
        .def_property_readonly("ir_bits", [](const Core& c) { return c->Chain().IrBits(); })
        .def_property_readonly("bypass_dr_bits", [](const Core& c) { return c->Chain().BypassDrBits(); })
        .def_property_readonly("driven", [](const Core& c) {
            py::list applied;
            for (const std::string& text : c->Applied())
                applied.append(Text(text));
            return applied;
        },
                               "the NAME.PORT=VALUE assignments driven so far, in order")
        .def("drive", [](const Core& c, const py::object& mapping, const py::kwargs& ports) {
            c->Drive(AssignmentTexts(mapping, ports));
            return c;
        }, py::arg("mapping") = py::none(),
           "Drives NAME.PORT=VALUE as `bscan drive --chain` does; all or nothing (ChainError).")
        .def("svf", [](const Core& c, const py::object& mapping, bool idcodeCheck, bool sampleOnly,
                       const py::kwargs& ports) {
            std::vector<std::string> assignments = c->Applied();
            for (std::string& text : AssignmentTexts(mapping, ports))
                assignments.push_back(std::move(text));
            const std::string file = c->Path();
            py::gil_scoped_release release;
            return ChainCore::FreshSvf(file, assignments, idcodeCheck, sampleOnly);
        }, py::arg("mapping") = py::none(), py::kw_only(), py::arg("idcode_check") = true,
           py::arg("sample_only") = false,
           "The text of `bscan svf --chain` for the chain as driven plus `mapping`; the Chain stays as it is.")
        .def("decode", [](const Core& c, const py::object& capture, const py::object& selected) {
            std::vector<bool> chosen;
            if (!selected.is_none()) {
                chosen.assign(c->Chain().DeviceCount(), false);
                for (const py::handle name : selected)
                    chosen[FindDevice(c, py::str(name).cast<std::string>()).index] = true;
            }
            std::vector<CapturedPort> ports;
            std::string error;
            if (!DecodeChainCapture(c->Chain(), CaptureText(capture), chosen, ports, error))
                throw py::value_error(error);
            return CapturedRows(ports, true);
        }, py::arg("capture"), py::arg("selected") = py::none(),
           "The captured bit of each port with an input cell, as `bscan decode --json --chain` gives it.")
        .def("__repr__", [](const Core& c) {
            return "<Chain " + c->Path() + " devices=" + std::to_string(c->Chain().DeviceCount()) + ">";
        });
}
