// solar_system.model's operations on a Mesh: geometry the library computes
// in place.  Each checks first what the library would stop the program
// for, and raises ValueError instead; the operations that allocate run
// through the core, whose failures raise MemoryError (out of memory) or
// ModelError; a buffer the library replaces is detached from the views
// that still use it.
#include <pybind11/pybind11.h>

#include "model/glm.h"
#include "model/glm_core.h"
#include "python/model_call.h"
#include "python/model_module.h"

namespace py = pybind11;

namespace {

void requireVertices(const Mesh& mesh)
{
    if (!mesh.model->vertices)
        throw py::value_error("the model has no vertex array");
}

// Runs a core operation, `operation(error)` returning false on failure, and
// hands what it reports to callLibrary: MemoryError when memory ran out,
// ModelError for a model the library refuses.
template <class Operation>
void run(Failure& failure, Operation operation)
{
    GlmError error;
    if (!operation(error))
        failure = operationFailure(error);
}

}  // namespace

void defineOperations(py::class_<Mesh>& mesh)
{
    mesh.def(
            "unitize",
            [](Mesh& self) {
                requireVertices(self);
                return callLibrary([&](Failure&) { return glmCenterAndScale(self.model); });
            },
            "Moves the bounding box's centre to the origin and scales the largest extent to 2 "
            "(only moves when the extent gives no finite scale).  Returns the scale applied.")
        .def(
            "scale",
            [](Mesh& self, float factor) {
                requireVertices(self);
                callLibrary([&](Failure&) { glmResize(self.model, factor); });
            },
            py::arg("factor"), "Multiplies every position by factor.")
        .def(
            "reverse",
            [](Mesh& self) {
                self.facesChanged();
                callLibrary([&](Failure&) { glmFlipWinding(self.model); });
            },
            "Reverses every triangle's winding and negates the normals and facet normals (twice restores).")
        .def(
            "compute_facet_normals",
            [](Mesh& self) {
                requireVertices(self);
                self.detach(FACET_NORMALS);
                self.facesChanged();
                callLibrary([&](Failure& failure) {
                    run(failure, [&](GlmError& error) { return glmComputeFaceNormals(self.model, &error); });
                });
            },
            "One unit normal per triangle into facet_normals (zero for a triangle without area).")
        .def(
            "compute_vertex_normals",
            [](Mesh& self, float angle) {
                if (!self.model->facetnorms)
                    throw py::value_error(
                        "compute_vertex_normals needs facet normals: call compute_facet_normals first");
                self.detach(NORMALS);
                self.facesChanged();
                callLibrary([&](Failure& failure) {
                    run(failure, [&](GlmError& error) { return glmComputeVertexNormals(self.model, angle, &error); });
                });
            },
            py::arg("angle") = 90.0f,
            "Replaces the normals with smoothed ones: each corner averages the facet normals around its vertex "
            "that lie within angle degrees of the reference face's; corners outside get their own facet normal.")
        .def(
            "weld",
            [](Mesh& self, float epsilon) {
                requireVertices(self);
                self.detach(POSITIONS);
                self.detach(COLORS);
                self.facesChanged();
                callLibrary([&](Failure& failure) {
                    run(failure, [&](GlmError& error) { return glmWeldVertices(self.model, epsilon, &error); });
                });
            },
            py::arg("epsilon"),
            "Merges positions closer than epsilon on every axis into the first of them and renumbers the "
            "triangles; epsilon <= 0 merges nothing.  Normals are not recomputed.")
        .def(
            "compute_linear_uv",
            [](Mesh& self) {
                requireVertices(self);
                self.detach(UVS);
                self.facesChanged();
                callLibrary([&](Failure& failure) {
                    run(failure, [&](GlmError& error) { return glmComputePlanarUVs(self.model, &error); });
                });
            },
            "One texture coordinate per position from its x and z, the largest extent mapped to 0..1.")
        .def(
            "compute_sphere_uv",
            [](Mesh& self) {
                if (!self.model->normals)
                    throw py::value_error("compute_sphere_uv needs normals: call compute_vertex_normals first");
                self.detach(UVS);
                self.facesChanged();
                callLibrary([&](Failure& failure) {
                    run(failure, [&](GlmError& error) { return glmComputeSphereUVs(self.model, &error); });
                });
            },
            "One texture coordinate per normal from its direction (poles on the x axis).")
        .def(
            "extents",
            [](Mesh& self) {
                requireVertices(self);
                float d[3];
                glmExtents(self.model, d);
                return py::make_tuple(d[0], d[1], d[2]);
            },
            "|max| + |min| of each axis (x from 2 to 4 gives 6); zeros without positions.");
}
