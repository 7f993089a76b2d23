// Mesh.save, through the model library's checked writer glmSaveOBJ: the OBJ
// file and its material library are replaced whole or not at all, and a
// failure comes back as a ModelError naming the file and the reason.
#include <pybind11/pybind11.h>

#include <string>

#include "model/glm.h"
#include "model/glm_core.h"
#include "python/model_module.h"

namespace py = pybind11;

namespace {

constexpr unsigned WRITE_MODES = MODE_FLAT | MODE_SMOOTH | MODE_TEXTURE | MODE_COLOR | MODE_MATERIAL | MODE_KEEP_ALL;

// The ModelError kind of each way a write fails.
const char* kindName(GlmWriteErrorKind kind)
{
    switch (kind) {
    case GLM_WRITE_NO_MEMORY:
        return "no_memory";
    case GLM_WRITE_CANT_OPEN:
    case GLM_WRITE_FAILED:
    case GLM_WRITE_CANT_REPLACE:
    case GLM_WRITE_OK:
        break;
    }
    return "cant_write";
}

}  // namespace

void saveMesh(GlmMesh* model, const py::object& path, unsigned mode)
{
    if (mode & ~WRITE_MODES)
        throw py::value_error("mode holds flags the writer does not know (use the MODE_* constants but MODE_OUTLINE)");
    const std::string file = fileSystemPath(path, "path");
    if (file.empty())
        throw py::value_error("path is empty");
    LibraryCall call;
    GlmWriteError error;
    const bool saved = glmSaveOBJ(model, file.c_str(), mode, nullptr, &error);
    call.warn();
    if (!saved) {
        std::string message = error.message;
        while (!message.empty() && message.back() == '\n')
            message.pop_back();
        raiseModelError(kindName(error.kind), message);
    }
}
