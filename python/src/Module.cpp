// The extension module bscan._bscan: read(), read_string() and the
// translation of the library's failures into Python exceptions.
//
// A read runs without the GIL, behind the process-wide read mutex (see
// DeviceCore.h), so other Python threads go on while a file is read and
// reads from several threads take turns.
#include "Bindings.h"
#include "ChainCore.h"


#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <system_error>
#include <vector>

#include "parser/BScanReturnCodes.h"
#include "tools/ToolErrors.h"

namespace {

std::shared_ptr<DeviceCore> ReadWithoutGil(const std::string& file, const std::string& shownPath)
{
    py::gil_scoped_release release;
    return DeviceCore::Read(file, shownPath);
}

void TranslateFailures(std::exception_ptr failure)
{
    try {
        if (failure)
            std::rethrow_exception(failure);
    } catch (const ReadFailure& read) {
        const char* name = BScanReturnCodeName(read.code);
        py::object path = py::module_::import("os").attr("fsdecode")(py::bytes(read.path));
        py::object error = py::module_::import("bscan._errors").attr("ReadError")(
            Text(read.message), read.code, name ? py::object(py::str(name)) : py::object(py::none()), read.line, path);
        PyErr_SetObject(error.get_type().ptr(), error.ptr());
    } catch (const MissingFile& missing) {
        py::object path = py::module_::import("os").attr("fsdecode")(py::bytes(missing.path));
        py::object error = py::reinterpret_borrow<py::object>(PyExc_FileNotFoundError)(
            ENOENT, std::strerror(ENOENT), path);
        PyErr_SetObject(PyExc_FileNotFoundError, error.ptr());
    } catch (const ChainFailure& chain) {
        py::object path = py::module_::import("os").attr("fsdecode")(py::bytes(chain.path));
        py::object error = py::module_::import("bscan._errors").attr("ChainError")(Text(chain.message), path);
        PyErr_SetObject(error.get_type().ptr(), error.ptr());
    } catch (const UsageError& usage) {
        PyErr_SetString(PyExc_KeyError, usage.what());
    } catch (const CommandError& command) {
        PyErr_SetString(PyExc_ValueError, command.what());
    } catch (const std::system_error& system) {
        PyErr_SetString(PyExc_OSError, system.what());
    }
}

// For bench/bench_python.py: the CPU time of `loops` plain C++ reads
// (Initialize, Read, CloseFile of a BScanParser, as bscan_bench_read does
// them) in this process, to tell the binding's own cost from the process's.
double CoreReadSeconds(const std::string& file, int loops)
{
    const std::string messageDir = MessageDirectory();
    py::gil_scoped_release release;
    std::lock_guard<std::mutex> lock(ReadMutex());
    timespec start {}, end {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &start);
    for (int i = 0; i < loops; ++i) {
        BScanParser parser;
        if (parser.Initialize(file.c_str(), messageDir.c_str()) >= 0)
            parser.Read();
        parser.CloseFile();
    }
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &end);
    return static_cast<double>(end.tv_sec - start.tv_sec) + static_cast<double>(end.tv_nsec - start.tv_nsec) * 1e-9;
}

}  // namespace

PYBIND11_MODULE(_bscan, module)
{
    module.doc() = "The compiled part of the bscan package (import bscan instead).";
    py::register_local_exception_translator(&TranslateFailures);
    BindPortAndCell(module);
    auto device = BindDevice(module);
    BindDescription(module, device);
    BindChain(module);

    module.def("read", [](const py::object& path) {
        const std::string file = py::module_::import("os").attr("fsencode")(path).cast<std::string>();
        return ReadWithoutGil(file, file);
    }, py::arg("path"), "Reads a BSDL file into a Device.");

    module.def("read_string", [](const py::object& text) {
        std::string bytes;
        if (py::isinstance<py::str>(text))
            bytes = text.cast<std::string>();
        else if (py::isinstance<py::bytes>(text))
            bytes = text.cast<std::string>();
        else
            throw py::type_error("read_string takes the BSDL text as str or bytes");
        py::gil_scoped_release release;
        return DeviceCore::ReadText(bytes);
    }, py::arg("text"), "Reads BSDL text (str or bytes) into a Device.");

    module.def("_core_read_seconds", [](const py::object& path, int loops) {
        return CoreReadSeconds(py::module_::import("os").attr("fsencode")(path).cast<std::string>(), loops);
    }, py::arg("path"), py::arg("loops"));

    module.def("message_dir", &MessageDirectory,
               "The directory whose ErrorList.txt gives the messages of ReadError.");
}
