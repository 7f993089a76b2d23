// solar_system.model's reading: load_obj reads a file, parse_obj text held
// in memory, with material libraries from the file system or from a Python
// callable.  The GIL is released while the library reads.
#include <pybind11/pybind11.h>

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "model/glm.h"
#include "model/glm_core.h"
#include "python/model_call.h"
#include "python/model_module.h"

namespace py = pybind11;

namespace {

// What parse_obj hands the material loader: the Python callable, and the
// exception it raised, to be raised again once the read is over.
struct LoaderContext {
    py::object callable;
    std::optional<py::error_already_set> failure;
};

bool loadMaterialsFromPython(GlmMesh* model, const char* name, void* context, GlmReadError* error)
{
    auto* loader = static_cast<LoaderContext*>(context);
    std::string textOfLibrary;
    bool found = false;
    {
        py::gil_scoped_acquire gil;
        try {
            py::object result = loader->callable(text(name));
            if (!result.is_none()) {
                if (py::isinstance<py::str>(result)) {
                    textOfLibrary = result.cast<std::string>();
                } else if (PyObject_CheckBuffer(result.ptr())) {
                    py::buffer_info info = py::reinterpret_borrow<py::buffer>(result).request();
                    if (info.itemsize != 1 || info.ndim != 1 || info.strides[0] != 1)
                        throw py::type_error("");
                    textOfLibrary.assign(static_cast<const char*>(info.ptr), static_cast<std::size_t>(info.size));
                } else {
                    throw py::type_error("");
                }
                found = true;
            }
        } catch (py::error_already_set& e) {
            loader->failure.emplace(std::move(e));
        } catch (const std::exception&) {
            // A result that is neither text nor bytes.
            PyErr_SetString(PyExc_TypeError, "load_materials must return str, bytes or None");
            loader->failure.emplace();
        }
    }
    if (!found) {
        error->kind = GLM_READ_MATERIAL_FILE;
        std::snprintf(error->message, sizeof error->message, "glmReadMTL() failed: can't open material file \"%s\".\n",
                      name);
        return false;
    }
    return glmParseMTL(model, textOfLibrary.data(), textOfLibrary.size(), error, name);
}

py::object wrap(ModelPointer model)
{
    return py::cast(new Mesh(std::move(model)), py::return_value_policy::take_ownership);
}

unsigned threadCount(long long threads)
{
    if (threads < 0 || threads > 4096)
        throw py::value_error("threads must lie in 0..4096 (0 uses every processor this process may run on)");
    return static_cast<unsigned>(threads);
}

py::object loadObj(const py::object& path, long long threads)
{
    const std::string file = fileSystemPath(path, "path");
    GlmReadOptions options;
    options.threads = threadCount(threads);
    ModelPointer model = callLibrary([&](Failure& failure) {
        GlmReadError error;
        ModelPointer read;
        {
            py::gil_scoped_release released;
            read.reset(glmLoadOBJ(file.c_str(), &options, &error));
        }
        if (!read)
            failure = readFailure(error);
        return read;
    });
    return wrap(std::move(model));
}

py::object parseObj(const py::object& data, const py::object& sourcePath, const py::object& loadMaterials)
{
    // Immutable text is read where it lies; anything else (bytearray, a
    // writable buffer) is copied, as it could change while the GIL is free.
    std::string copy;
    const char* text = nullptr;
    Py_ssize_t size = 0;
    py::object keep = data;
    if (PyUnicode_Check(data.ptr())) {
        text = PyUnicode_AsUTF8AndSize(data.ptr(), &size);
        if (!text)
            throw py::error_already_set();
    } else if (PyBytes_Check(data.ptr())) {
        char* bytes;
        if (PyBytes_AsStringAndSize(data.ptr(), &bytes, &size) < 0)
            throw py::error_already_set();
        text = bytes;
    } else if (PyObject_CheckBuffer(data.ptr())) {
        py::buffer_info info = py::reinterpret_borrow<py::buffer>(data).request();
        if (info.ndim != 1 || info.itemsize != 1 || info.strides[0] != 1)
            throw py::value_error("data must be str, bytes or a contiguous buffer of bytes");
        copy.assign(static_cast<const char*>(info.ptr), static_cast<std::size_t>(info.size));
        text = copy.data();
        size = static_cast<Py_ssize_t>(copy.size());
    } else {
        throw py::type_error("data must be str, bytes or a bytes-like object");
    }
    std::optional<std::string> source;
    if (!sourcePath.is_none())
        source = fileSystemPath(sourcePath, "source_path");
    LoaderContext loader;
    GlmReadOptions options;
    if (!loadMaterials.is_none()) {
        if (!PyCallable_Check(loadMaterials.ptr()))
            throw py::type_error("load_materials must be callable (name -> str, bytes or None)");
        loader.callable = loadMaterials;
        options.loadMaterials = loadMaterialsFromPython;
        options.loaderContext = &loader;
    }
    ModelPointer model = callLibrary([&](Failure& failure) {
        GlmReadError error;
        ModelPointer read;
        {
            py::gil_scoped_release released;
            read.reset(glmParseOBJ(text, static_cast<std::size_t>(size), source ? source->c_str() : nullptr, &options,
                                   &error));
        }
        if (loader.failure) {
            read.reset();
            loader.failure->restore();
            throw py::error_already_set();
        }
        if (!read)
            failure = readFailure(error);
        return read;
    });
    return wrap(std::move(model));
}

}  // namespace

void defineReading(py::module_& m)
{
    m.def("load_obj", &loadObj, py::arg("path"), py::arg("threads") = 0,
          R"(Reads the OBJ file at path (str or os.PathLike) and the material library it names.

threads: 0 reads large files on every processor this process may run on.
The GIL is released while reading.  Raises ModelError (kind "cant_open",
"unknown_token", "bad_reference", "material_file" or "no_memory").)");
    m.def("parse_obj", &parseObj, py::arg("data"), py::arg("source_path") = py::none(),
          py::arg("load_materials") = py::none(),
          R"(Reads OBJ text held in memory (str or bytes).

source_path names the text in messages and, without load_materials, is where
material libraries are looked for.  load_materials(name) returns the MTL text
(str or bytes) of library name, or None when there is no such library (a
ModelError of kind "material_file"); an exception it raises is raised again.
The GIL is released while reading, and taken again for load_materials.)");
}
