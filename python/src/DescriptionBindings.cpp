// What the whole-device description adds to a Device: its IDCODE and
// USERCODE (bscan.Idcode) and the checker's findings (bscan.Finding), and
// bscan.check(path) for files the core may refuse.
#include "Bindings.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "check/BScanChecker.h"

namespace {

py::object TextOrNone(const std::string& text)
{
    return text.empty() ? py::object(py::none()) : Text(text);
}

std::string Hex(uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

std::string IdcodeRepr(const BScanIdcode& idcode)
{
    return "<Idcode " + idcode.pattern + " value=" + Hex(idcode.value) + " mask=" + Hex(idcode.mask) +
           " line=" + std::to_string(idcode.line) + ">";
}

std::string FindingRepr(const BScanFinding& finding)
{
    return "<Finding " + std::string(BScanChecker::SeverityName(finding.severity)) + " " + finding.rule +
           " line=" + std::to_string(finding.line) + ": " + finding.message + ">";
}

py::list Findings(const BScanDevice& description)
{
    std::vector<BScanFinding> findings;
    {
        py::gil_scoped_release release;
        findings = BScanChecker::Check(description);
    }
    py::list list;
    for (BScanFinding& finding : findings)
        list.append(std::move(finding));
    return list;
}

const BScanDevice& DescriptionOf(DeviceCore& core)
{
    py::gil_scoped_release release;
    return core.Description();
}

py::object CodeOrNone(const BScanIdcode* code)
{
    return code ? py::cast(*code) : py::object(py::none());
}

}  // namespace

void BindDescription(py::module_& module, py::class_<DeviceCore, std::shared_ptr<DeviceCore>>& device)
{
    py::class_<BScanIdcode>(module, "Idcode", "The IDCODE (or USERCODE) register of a device.")
        .def_readonly("pattern", &BScanIdcode::pattern, "32 characters 0, 1 or X, most significant bit first")
        .def_readonly("value", &BScanIdcode::value, "the 1 bits (X read as 0)")
        .def_readonly("mask", &BScanIdcode::mask, "1 where the bit is 0 or 1, 0 where X")
        .def_readonly("version", &BScanIdcode::version)
        .def_readonly("part_number", &BScanIdcode::partNumber)
        .def_readonly("manufacturer", &BScanIdcode::manufacturer)
        .def_readonly("line", &BScanIdcode::line)
        .def("__eq__", [](const BScanIdcode& a, const BScanIdcode& b) {
            return a.pattern == b.pattern && a.line == b.line;
        })
        .def("matches", &BScanIdcode::Matches, py::arg("id"), "Whether a 32-bit ID read from a chain fits the pattern.")
        .def("__repr__", &IdcodeRepr);

    py::class_<BScanFinding>(module, "Finding", "One finding of the checker.")
        .def_readonly("rule", &BScanFinding::rule)
        .def_property_readonly("severity", [](const BScanFinding& f) { return BScanChecker::SeverityName(f.severity); },
                               "'error', 'warning' or 'note'")
        .def_readonly("line", &BScanFinding::line, "file line, 0 for the file as a whole")
        .def_property_readonly("message", [](const BScanFinding& f) { return Text(f.message); })
        .def_property_readonly("port", [](const BScanFinding& f) { return TextOrNone(f.port); })
        .def_property_readonly("cell", [](const BScanFinding& f) { return TextOrNone(f.cell); })
        .def_property_readonly("instruction", [](const BScanFinding& f) { return TextOrNone(f.instruction); })
        .def("__eq__", [](const BScanFinding& a, const BScanFinding& b) {
            return a.rule == b.rule && a.severity == b.severity && a.line == b.line && a.message == b.message &&
                   a.port == b.port && a.cell == b.cell && a.instruction == b.instruction;
        })
        .def("__repr__", &FindingRepr);

    using Core = std::shared_ptr<DeviceCore>;
    device
        .def_property_readonly("idcode", [](const Core& d) { return CodeOrNone(DescriptionOf(*d).Idcode()); },
                               "the IDCODE register, or None (the file is read again on first use)")
        .def_property_readonly("usercode", [](const Core& d) { return CodeOrNone(DescriptionOf(*d).Usercode()); })
        .def("check", [](const Core& d) { return Findings(DescriptionOf(*d)); },
             "The checker's findings for the file, sorted by line (the file is read again on first use).");

    module.def("check", [](const py::object& path) {
        const std::string file = py::module_::import("os").attr("fsencode")(path).cast<std::string>();
        DescriptionPtr description;
        {
            py::gil_scoped_release release;
            struct stat info;
            if (stat(file.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR))
                throw MissingFile{file};
            description = ReadDescriptionFile(file, MessageDirectory());
        }
        return Findings(*description);
    }, py::arg("path"), "The checker's findings for a BSDL file, also for one the library cannot read.");
}
