// Shared between the sources of solar_system.model: the Mesh a Python
// object holds, and the function of each source that adds its family of
// calls to the module.  model_module.cpp makes the module and calls each of
// them; the families call the library through model_call.h and none calls
// into another, but that operations, before replacing a buffer, detach it
// from the views the arrays lent (Mesh::detach, in model_arrays.cpp).
//
// Memory.  A Mesh owns one GlmMesh.  positions, normals, uvs, colors and
// facet_normals are views of the model's own arrays, entries 1..N (the spare
// entry 0 in front of each 1-based array is left out), so writing into them
// changes the model.  Each view's base is a BufferOwner: while the buffer is
// the model's, the owner keeps the Mesh alive; before an operation replaces
// a buffer that a view still uses (normals, welding, texture coordinates),
// the owner takes the old buffer over and the library is handed a copy to
// work on and free.  Views taken earlier keep the old data, and no view ever
// points at freed memory.  Triangles, groups, lines and points are built on
// each access (0-based indices, -1 for a missing reference) and are not
// written back.
#pragma once

#include <pybind11/pybind11.h>

#include <cstddef>
#include <memory>

#include "model/glm.h"

enum Field { POSITIONS, NORMALS, UVS, COLORS, FACET_NORMALS, FIELD_COUNT };

struct Mesh;

// The base object of the views of one buffer.
struct BufferOwner {
    Mesh* mesh = nullptr;        // the mesh whose buffer this is; null once taken over
    pybind11::object keepAlive;  // that mesh, while the buffer is its own
    Field field = POSITIONS;
    const float* data = nullptr;
    void* taken = nullptr;  // the old buffer after a takeover, freed here
    ~BufferOwner();
};

// A model read by the library, freed with glmDestroy.
struct ModelDeleter {
    void operator()(GlmMesh* model) const { glmDestroy(model); }
};
using ModelPointer = std::unique_ptr<GlmMesh, ModelDeleter>;

struct Mesh {
    GlmMesh* model;
    BufferOwner* owners[FIELD_COUNT] = {};

    explicit Mesh(ModelPointer m) : model(m.release()) {}
    ~Mesh() { glmDestroy(model); }
    Mesh(const Mesh&) = delete;
    Mesh& operator=(const Mesh&) = delete;

    float*& pointer(Field f);
    std::size_t count(Field f) const;
    static std::size_t width(Field f) { return f == UVS ? 2 : 3; }

    // Before the library replaces the buffer of `f`: views still using it
    // keep it, and the library gets a copy to read and free.
    void detach(Field f);
};

// The families of calls, each adding its own to the module and to Mesh.
void defineArrays(pybind11::module_& module, pybind11::class_<Mesh>& mesh);  // model_arrays.cpp
void defineOperations(pybind11::class_<Mesh>& mesh);                         // model_ops.cpp
void defineReading(pybind11::module_& module);                               // model_read.cpp
void defineSaving(pybind11::class_<Mesh>& mesh);                             // model_save.cpp
