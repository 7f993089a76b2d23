// Mesh.save, through the model library's checked writer glmSaveOBJ: the OBJ
// file and its material library are replaced whole or not at all, and a
// failure comes back as a ModelError naming the file and the reason.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <optional>
#include <string>

#include "model/glm.h"
#include "model/glm_core.h"
#include "python/model_call.h"
#include "python/model_module.h"

namespace py = pybind11;

namespace {

constexpr unsigned WRITE_MODES = MODE_FLAT | MODE_SMOOTH | MODE_TEXTURE | MODE_COLOR | MODE_MATERIAL | MODE_KEEP_ALL;

// Writes `model` to `path` with `mode`.
void saveMesh(GlmMesh* model, const py::object& path, unsigned mode)
{
    if (mode & ~WRITE_MODES)
        throw py::value_error("mode holds flags the writer does not know (use the MODE_* constants but MODE_OUTLINE)");
    const std::string file = fileSystemPath(path, "path");
    if (file.empty())
        throw py::value_error("path is empty");
    callLibrary([&](Failure& failure) {
        GlmWriteError error;
        if (!glmSaveOBJ(model, file.c_str(), mode, nullptr, &error))
            failure = writeFailure(error);
    });
}

}  // namespace

void defineSaving(py::class_<Mesh>& mesh)
{
    mesh.def(
        "save",
        [](Mesh& self, const py::object& path, std::optional<unsigned> mode) {
            const GlmMesh* g = self.model;
            const unsigned everything = (g->normals ? MODE_SMOOTH : 0) | (g->uvs ? MODE_TEXTURE : 0) |
                                        (g->materialTable ? MODE_MATERIAL : 0) | MODE_KEEP_ALL;
            saveMesh(self.model, path, mode ? *mode : everything);
        },
        py::arg("path"), py::arg("mode") = py::none(),
        "Writes the model as OBJ (and its material library beside it with MODE_MATERIAL).  mode combines "
        "the MODE_* flags; None writes all the model has (normals, texture coordinates, materials and "
        "MODE_KEEP_ALL); what the model cannot give is dropped with a ModelWarning.  A failure raises "
        "ModelError.");
}
