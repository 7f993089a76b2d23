// The one wrapper of solar_system.model's library calls: messages collected
// while the library runs, failures raised as exceptions, warnings given to
// Python; and the conversions of paths and names.
#include "python/model_call.h"

#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "model/glm.h"
#include "model/glm_core.h"

namespace py = pybind11;

namespace {

// The messages of the library calls running on this thread; null outside
// a call made from Python, where messages go to their streams as usual.
thread_local std::vector<std::string>* collectedMessages = nullptr;

void collectMessage(FILE* stream, const char* text, void*)
{
    if (!collectedMessages) {
        std::fputs(text, stream);
        return;
    }
    try {
        collectedMessages->emplace_back(text);
    } catch (const std::bad_alloc&) {
        // A warning lost to a full memory is better than an exception
        // thrown through the library.
    }
}

void dropLineBreaks(std::string& text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
}

const char* readErrorKind(GlmReadErrorKind kind)
{
    switch (kind) {
    case GLM_READ_OK:
        return "ok";
    case GLM_READ_CANT_OPEN:
        return "cant_open";
    case GLM_READ_UNKNOWN_TOKEN:
        return "unknown_token";
    case GLM_READ_BAD_REFERENCE:
        return "bad_reference";
    case GLM_READ_MATERIAL_FILE:
        return "material_file";
    case GLM_READ_NO_MEMORY:
        return "no_memory";
    case GLM_READ_NOT_TEXT:
        return "not_text";
    }
    return "unknown";
}

const char* writeErrorKind(GlmWriteErrorKind kind)
{
    switch (kind) {
    case GLM_WRITE_NO_MEMORY:
        return "no_memory";
    case GLM_WRITE_BAD_MODEL:
        return "bad_model";
    case GLM_WRITE_CANT_OPEN:
    case GLM_WRITE_FAILED:
    case GLM_WRITE_CANT_REPLACE:
    case GLM_WRITE_OK:
        break;
    }
    return "cant_write";
}

}  // namespace

void installMessageHandler() { glmSetMessageHandler(collectMessage, nullptr); }

MessageCollector::MessageCollector() : previous(collectedMessages) { collectedMessages = &messages; }

MessageCollector::~MessageCollector() { collectedMessages = previous; }

void MessageCollector::warn()
{
    collectedMessages = previous;
    std::vector<std::string> pending;
    pending.swap(messages);
    if (pending.empty())
        return;
    py::object category = py::module_::import("solar_system").attr("ModelWarning");
    for (std::string& text : pending) {
        dropLineBreaks(text);
        if (PyErr_WarnEx(category.ptr(), text.c_str(), 2) < 0)
            throw py::error_already_set();
    }
}

Failure readFailure(const GlmReadError& error) { return Failure{readErrorKind(error.kind), error.message, false}; }

Failure writeFailure(const GlmWriteError& error) { return Failure{writeErrorKind(error.kind), error.message, true}; }

Failure operationFailure(const GlmError& error)
{
    return Failure{error.status == GLM_NO_MEMORY ? "no_memory" : "bad_model", error.message, true};
}

void raiseFailure(const Failure& failure)
{
    std::string message = failure.message;
    dropLineBreaks(message);
    if (std::string(failure.kind) == "no_memory") {
        PyErr_SetString(PyExc_MemoryError, message.c_str());
        throw py::error_already_set();
    }
    py::object type = py::module_::import("solar_system").attr("ModelError");
    py::object error = type(failure.kind, message);
    PyErr_SetObject(type.ptr(), error.ptr());
    throw py::error_already_set();
}

std::string fileSystemPath(const py::object& path, const char* what)
{
    py::bytes encoded = py::module_::import("os").attr("fsencode")(path);
    std::string text = encoded;
    if (text.find('\0') != std::string::npos)
        throw py::value_error(std::string(what) + " holds a NUL character");
    return text;
}

py::object text(const char* s)
{
    if (!s)
        return py::none();
    PyObject* decoded = PyUnicode_DecodeFSDefault(s);
    if (!decoded)
        throw py::error_already_set();
    return py::reinterpret_steal<py::object>(decoded);
}
