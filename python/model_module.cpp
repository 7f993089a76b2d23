// solar_system.model: OBJ models as numpy arrays.  This file makes the
// module; each family of its calls lives in a source of its own (see
// model_module.h): the arrays a Mesh lends (model_arrays.cpp), operations
// (model_ops.cpp), reading (model_read.cpp) and saving (model_save.cpp),
// all calling the library through the one wrapper of model_call.h.
//
// Errors.  Every precondition the library checks by stopping the program is
// checked here first and raises ValueError; failures the readers hand back
// raise solar_system.ModelError.  The library's warnings are collected while
// it runs (the GIL may be released) and given to Python's warnings module
// afterwards as solar_system.ModelWarning.
#include <pybind11/pybind11.h>

#include "model/glm.h"
#include "python/model_call.h"
#include "python/model_module.h"

namespace py = pybind11;

PYBIND11_MODULE(model, m)
{
    // Imported first: the exception and warning classes live in the
    // package, and the package imports this module.
    py::module_::import("solar_system");
    installMessageHandler();

    m.doc() = R"(Wavefront OBJ models with their MTL material libraries.

Read a model with load_obj (a file) or parse_obj (text in memory); both
return a Mesh.  A Mesh's positions, normals, uvs, colors and facet_normals
are numpy float32 arrays that share the model's memory (no copy is made, and
writing into them changes the model); triangles, triangle_normals and
triangle_uvs are F x 3 int32 arrays of 0-based indices into them, -1 where a
triangle carries no such reference.

Failures raise solar_system.ModelError; warnings come as
solar_system.ModelWarning through the warnings module.  Nothing here prints
or ends the process.)";

    m.attr("MODE_PLAIN") = MODE_PLAIN;
    m.attr("MODE_FLAT") = MODE_FLAT;
    m.attr("MODE_SMOOTH") = MODE_SMOOTH;
    m.attr("MODE_TEXTURE") = MODE_TEXTURE;
    m.attr("MODE_COLOR") = MODE_COLOR;
    m.attr("MODE_MATERIAL") = MODE_MATERIAL;
    m.attr("MODE_KEEP_ALL") = MODE_KEEP_ALL;

    py::class_<Mesh> mesh(m, "Mesh", R"(A model read from an OBJ file.

Array attributes view the model's own memory, entries 1..N of the library's
1-based arrays (the spare entry 0 is left out), so index i of positions is
what a face reference i + 1 names.  An array keeps the Mesh alive.  An
operation that replaces an array (compute_vertex_normals, weld,
compute_facet_normals, compute_*_uv) leaves arrays taken before it valid:
they keep the old values, and the attribute gives the new ones.)");
    defineArrays(m, mesh);
    defineOperations(mesh);
    defineSaving(mesh);
    defineReading(m);
}
