// Shared between the sources of solar_system.model.
#pragma once

#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "model/glm.h"

// Collects the model library's messages on this thread from construction
// on; warn() hands them to Python's warnings module as
// solar_system.ModelWarning (raising when a filter turns them into errors).
// Works while the GIL is released; warn() needs it.
class LibraryCall {
public:
    LibraryCall();
    ~LibraryCall();
    LibraryCall(const LibraryCall&) = delete;
    LibraryCall& operator=(const LibraryCall&) = delete;
    void warn();

private:
    std::vector<std::string> messages;
    std::vector<std::string>* previous;
};

// Raises solar_system.ModelError(kind, message without its line break).
[[noreturn]] void raiseModelError(const char* kind, const std::string& message);

// The bytes of a str, bytes or os.PathLike path (os.fsencode); ValueError
// naming `what` when it holds a NUL character.
std::string fileSystemPath(const pybind11::object& path, const char* what);

// Mesh.save: writes `model` to `path` with `mode`.
void saveMesh(GlmMesh* model, const pybind11::object& path, unsigned mode);
