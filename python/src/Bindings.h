// The pieces of the extension module bscan._bscan.
#ifndef BSCAN_PY_BINDINGS_H
#define BSCAN_PY_BINDINGS_H

#include <memory>
#include <string>
#include <vector>

#include <pybind11/pybind11.h>

#include "DeviceCore.h"
#include "chain/CaptureDecode.h"
#include "drive/PortAssignment.h"

namespace py = pybind11;

// One port node of a Device (its index in the port catalogue).
struct PortRef {
    std::shared_ptr<DeviceCore> core;
    int index;
};

// One boundary cell of a Device.
struct CellRef {
    std::shared_ptr<DeviceCore> core;
    int number;
};

// A text of the model as str (bytes that are not UTF-8 replaced), or None
// for a null text.
py::object Text(const char* text);
py::object Text(const std::string& text);

// A cell's number (its position, as the document gives it), or None.
py::object CellNumber(const KBScanCell* cell);

// The caller's mapping and keywords as PORT=VALUE texts, the mapping's
// entries first (TypeError for a key or value of another kind, ValueError
// for an int value other than 0 and 1).
std::vector<std::string> AssignmentTexts(const py::object& mapping, const py::kwargs& ports);
// The same, checked as `bscan drive` checks its arguments (ValueError).
std::vector<PortAssignment> Assignments(const py::object& mapping, const py::kwargs& ports);

// A capture given as hex text or as int, as hex text.
std::string CaptureText(const py::object& capture);
// Decoded ports as the rows of `bscan decode --json` (with "device" for a
// chain).
py::list CapturedRows(const std::vector<CapturedPort>& ports, bool chain);

void BindPortAndCell(py::module_& module);
// Binds Device and returns its class, to which BindDescription adds.
py::class_<DeviceCore, std::shared_ptr<DeviceCore>> BindDevice(py::module_& module);
void BindChain(py::module_& module);
void BindDescription(py::module_& module, py::class_<DeviceCore, std::shared_ptr<DeviceCore>>& device);

#endif
