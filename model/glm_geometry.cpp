// Normals and geometry operations of the model library: size, placement,
// winding, facet and smoothed vertex normals and generated texture
// coordinates (welding is in glm_weld.cpp).  Every operation changes the
// model it is handed in place; an operation that computes an array frees
// the old one first.

#include "model/glm.h"
#include "model/glm_core.h"
#include "model/glm_internal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>

namespace {

template <typename T>
using CArray = GlmCArray<T>;

// A fresh array of `count` + 1 three-float entries with entry 0 zeroed.
float* allocVectors(size_t count, const char* what)
{
    float* a = glmAllocArray<float>(3 * (count + 1), what);
    a[0] = a[1] = a[2] = 0.0f;
    return a;
}

// The smallest and largest x, y, z over vertices 1..vertexCount, starting
// from vertex 1; false (and an all-zero box) when the model has no vertices.
bool boundingBox(const GlmMesh* model, float* lo, float* hi)
{
    if (model->vertexCount == 0) {
        for (int k = 0; k < 3; ++k)
            lo[k] = hi[k] = 0.0f;
        return false;
    }
    const float* v = model->vertices;
    for (int k = 0; k < 3; ++k)
        lo[k] = hi[k] = v[3 + k];
    for (unsigned i = 2; i <= model->vertexCount; ++i) {
        for (int k = 0; k < 3; ++k) {
            float c = v[3 * i + k];
            if (c > hi[k])
                hi[k] = c;
            if (c < lo[k])
                lo[k] = c;
        }
    }
    return true;
}

// 2 / the largest extent, or 0 when the model has no usable size: every
// vertex at the origin (extent 0), an extent so small that the quotient
// overflows, or an infinite or NaN extent.
float scaleToTwo(float largest)
{
    float scale = 2.0f / largest;
    return std::isfinite(scale) ? scale : 0.0f;
}

}  // namespace

void glmExtents(GlmMesh* model, float* dimensions)
{
    GLM_CHECK(model);
    GLM_CHECK(model->vertices);
    GLM_CHECK(dimensions);
    float lo[3], hi[3];
    boundingBox(model, lo, hi);
    // |max| + |min|: the extent as seen from the origin, not max - min.
    for (int k = 0; k < 3; ++k)
        dimensions[k] = glmAbsolute(hi[k]) + glmAbsolute(lo[k]);
}

float glmCenterAndScale(GlmMesh* model)
{
    GLM_CHECK(model);
    GLM_CHECK(model->vertices);
    float lo[3], hi[3];
    if (!boundingBox(model, lo, hi))
        return 1.0f;
    float extent[3];
    for (int k = 0; k < 3; ++k)
        extent[k] = glmAbsolute(hi[k]) + glmAbsolute(lo[k]);
    float scale = scaleToTwo(glmLarger(glmLarger(extent[0], extent[1]), extent[2]));
    if (scale == 0.0f)
        scale = 1.0f;  // nothing to scale: move only
    float centre[3];
    for (int k = 0; k < 3; ++k)
        centre[k] = (hi[k] + lo[k]) / 2.0f;
    float* v = model->vertices;
    for (unsigned i = 1; i <= model->vertexCount; ++i) {
        for (int k = 0; k < 3; ++k)
            v[3 * i + k] = (v[3 * i + k] - centre[k]) * scale;
    }
    return scale;
}

void glmResize(GlmMesh* model, float factor)
{
    float* v = model->vertices;
    for (unsigned i = 1; i <= model->vertexCount; ++i) {
        v[3 * i + 0] *= factor;
        v[3 * i + 1] *= factor;
        v[3 * i + 2] *= factor;
    }
}

void glmShift(GlmMesh* model, const float* offset)
{
    float* v = model->vertices;
    for (unsigned i = 1; i <= model->vertexCount; ++i) {
        v[3 * i + 0] += offset[0];
        v[3 * i + 1] += offset[1];
        v[3 * i + 2] += offset[2];
    }
}

void glmFlipWinding(GlmMesh* model)
{
    GLM_CHECK(model);
    for (unsigned i = 0; i < model->faceCount; ++i) {
        GlmFace& f = model->faces[i];
        std::swap(f.vertexRefs[0], f.vertexRefs[2]);
        if (model->normalCount != 0)
            std::swap(f.normalRefs[0], f.normalRefs[2]);
        if (model->uvCount != 0)
            std::swap(f.uvRefs[0], f.uvRefs[2]);
    }
    for (unsigned i = 3; i < 3 * (model->facetnormCount + 1); ++i) {
        model->facetnorms[i] = -model->facetnorms[i];
    }
    for (unsigned i = 3; i < 3 * (model->normalCount + 1); ++i) {
        model->normals[i] = -model->normals[i];
    }
}

namespace {

// Facet normals into a new array, installed once complete.
void faceNormals(GlmMesh* model)
{
    float* facetnorms = allocVectors(model->faceCount, "facet normals");
    const float* v = model->vertices;
    for (unsigned i = 0; i < model->faceCount; ++i) {
        const GlmFace& f = model->faces[i];
        const float* p0 = &v[3 * f.vertexRefs[0]];
        const float* p1 = &v[3 * f.vertexRefs[1]];
        const float* p2 = &v[3 * f.vertexRefs[2]];
        float a[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]};
        float b[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
        float* n = &facetnorms[3 * (i + 1)];
        glmCrossProduct(a, b, n);
        glmMakeUnit(n);  // collinear corners keep a zero normal
    }
    std::free(model->facetnorms);
    model->facetnorms = facetnorms;
    model->facetnormCount = model->faceCount;
    for (unsigned i = 0; i < model->faceCount; ++i)
        model->faces[i].facetnormRef = i + 1;
}

// Runs `operation` on a model glmCheckMesh accepts and that has what it
// needs (`missing` names what it lacks, or gives null), turning a failed
// allocation into a status.
template <typename Missing, typename Operation>
bool runChecked(GlmMesh* model, unsigned parts, const char* name, GlmError* error, Missing missing, Operation operation)
{
    if (!glmCheckParts(model, parts, name, error))
        return false;
    if (const char* lacking = missing())
        return glmFail(error, GLM_BAD_MODEL, "%s() failed: the model has no %s.\n", name, lacking);
    try {
        operation();
    } catch (const GlmNoMemory& failure) {
        return glmFailNoMemory(error, failure);
    } catch (const std::bad_alloc&) {
        return glmFailNoMemory(error, GlmNoMemory("the operation's bookkeeping", 0));
    }
    return glmSucceed(error);
}

}  // namespace

bool glmComputeFaceNormals(GlmMesh* model, GlmError* error)
{
    return runChecked(
        model, GLM_PARTS_VERTICES, "glmFaceNormals", error, [&] { return model->vertices ? nullptr : "positions"; },
        [&] { faceNormals(model); });
}

void glmFaceNormals(GlmMesh* model)
{
    GLM_CHECK(model);
    GLM_CHECK(model->vertices);
    GlmError error;
    if (!glmComputeFaceNormals(model, &error))
        glmEndOnError(error, __PRETTY_FUNCTION__);
}

namespace {

// One face corner in a vertex's list: the face and which of its corners.
struct CornerLink {
    unsigned faceIndex;
    unsigned char corner;
    unsigned char inAverage;
};

}  // namespace

namespace {

// Every allocation comes before the first change to the model, so that a
// failed one leaves it as it was.
void vertexNormals(GlmMesh* model, float angle)
{
    const float threshold = static_cast<float>(std::cos(static_cast<double>(angle * 3.14159274f / 180.0f)));
    const size_t vertexCount = model->vertexCount;
    const size_t faceCount = model->faceCount;
    const size_t cornerCount = 3 * faceCount;

    CArray<float> normalsBlock(allocVectors(cornerCount, "vertex normals"));
    float* normals = normalsBlock.get();

    // The per-vertex lists in two flat arrays: vertex v's corners occupy
    // links[first[v] .. first[v + 1]).  Filling from the last face and
    // its last corner backwards gives each list the order of pushing every
    // corner at the head: highest-numbered face first.
    CArray<size_t> first(glmAllocArray<size_t>(vertexCount + 2, "the vertex normal lists"));
    CArray<CornerLink> links(glmAllocArray<CornerLink>(cornerCount, "the vertex normal lists"));
    std::fill_n(first.get(), vertexCount + 2, size_t{0});
    const GlmFace* faces = model->faces;
    for (size_t i = 0; i < faceCount; ++i) {
        for (int k = 0; k < 3; ++k)
            ++first[faces[i].vertexRefs[k] + 1];
    }
    for (size_t v = 1; v <= vertexCount; ++v)
        first[v + 1] += first[v];
    {
        CArray<size_t> fill(glmAllocArray<size_t>(vertexCount + 1, "the vertex normal lists"));
        std::copy_n(first.get(), vertexCount + 1, fill.get());
        for (size_t i = faceCount; i-- > 0;) {
            for (int k = 3; k-- > 0;) {
                links[fill[faces[i].vertexRefs[k]]++] =
                    CornerLink{static_cast<unsigned>(i), static_cast<unsigned char>(k), 0};
            }
        }
    }

    const float* facetnorms = model->facetnorms;
    auto facetOf = [&](unsigned face) { return &facetnorms[3 * faces[face].facetnormRef]; };
    unsigned next = 1;
    for (size_t v = 1; v <= vertexCount; ++v) {
        CornerLink* begin = links.get() + first[v];
        CornerLink* end = links.get() + first[v + 1];
        if (begin == end) {
            glmMessage(stderr, "glmVertexNormals(): vertex w/o a triangle\n");
            continue;
        }
        const float* reference = facetOf(begin->faceIndex);
        float sum[3] = {0.0f, 0.0f, 0.0f};
        bool anyInAverage = false;
        for (CornerLink* l = begin; l != end; ++l) {
            const float* n = facetOf(l->faceIndex);
            l->inAverage = glmDotProduct(n, reference) > threshold;
            if (l->inAverage) {
                anyInAverage = true;
                sum[0] += n[0];
                sum[1] += n[1];
                sum[2] += n[2];
            }
        }
        unsigned average = 0;
        if (anyInAverage) {
            glmMakeUnit(sum);
            std::memcpy(&normals[3 * next], sum, sizeof sum);
            average = next++;
        }
        // Each link sets the normal of the very corner it came from, so a
        // face that names the vertex twice gets both of those corners set.
        for (CornerLink* l = begin; l != end; ++l) {
            GlmFace& f = model->faces[l->faceIndex];
            if (l->inAverage) {
                f.normalRefs[l->corner] = average;
            } else {
                std::memcpy(&normals[3 * next], facetOf(l->faceIndex), 3 * sizeof(float));
                f.normalRefs[l->corner] = next++;
            }
        }
    }
    // Cut to size; a shrinking that fails keeps the larger block.
    normals = normalsBlock.release();
    if (auto* cut = static_cast<float*>(std::realloc(normals, 3 * sizeof(float) * next)))
        normals = cut;
    std::free(model->normals);
    model->normals = normals;
    model->normalCount = next - 1;
}

}  // namespace

bool glmComputeVertexNormals(GlmMesh* model, float angle, GlmError* error)
{
    return runChecked(
        model, GLM_PARTS_VERTICES | GLM_PARTS_FACETS, "glmVertexNormals", error,
        [&] { return model->facetnorms ? nullptr : "facet normals"; }, [&] { vertexNormals(model, angle); });
}

void glmVertexNormals(GlmMesh* model, float angle)
{
    GLM_CHECK(model);
    GLM_CHECK(model->facetnorms);
    GlmError error;
    if (!glmComputeVertexNormals(model, angle, &error))
        glmEndOnError(error, __PRETTY_FUNCTION__);
}

namespace {

void planarUVs(GlmMesh* model)
{
    float dimensions[3];
    glmExtents(model, dimensions);
    const unsigned count = model->vertexCount;
    float* uvs = glmAllocArray<float>(2 * (size_t{count} + 1), "texture coordinates");
    uvs[0] = uvs[1] = 0.0f;
    const float scale = scaleToTwo(glmAbsolute(glmLarger(glmLarger(dimensions[0], dimensions[1]), dimensions[2])));
    const float* v = model->vertices;
    for (unsigned i = 1; i <= count; ++i) {
        // Without a usable size every vertex maps to the picture's middle.
        uvs[2 * i + 0] = scale == 0.0f ? 0.5f : (v[3 * i + 0] * scale + 1.0f) / 2.0f;
        uvs[2 * i + 1] = scale == 0.0f ? 0.5f : (v[3 * i + 2] * scale + 1.0f) / 2.0f;
    }
    std::free(model->uvs);
    model->uvs = uvs;
    model->uvCount = count;
    for (GlmFaceGroup* g = model->groupList; g; g = g->next) {
        for (unsigned j = 0; j < g->faceCount; ++j) {
            GlmFace& f = model->faces[g->faceList[j]];
            std::copy_n(f.vertexRefs, 3, f.uvRefs);
        }
    }
    // Lines take their vertices' new coordinates, as the faces do.
    if (model->lineUvRefs)
        std::copy_n(model->lineVertexRefs, model->lineRefCount, model->lineUvRefs);
}

}  // namespace

bool glmComputePlanarUVs(GlmMesh* model, GlmError* error)
{
    return runChecked(
        model, GLM_PARTS_GROUPS | GLM_PARTS_LINES, "glmPlanarUVs", error,
        [&] { return model->vertices ? nullptr : "positions"; }, [&] { planarUVs(model); });
}

void glmPlanarUVs(GlmMesh* model)
{
    GLM_CHECK(model);
    if (!model->vertices) {
        float dimensions[3];
        glmExtents(model, dimensions);  // stops on its check of the positions, as it always has
    }
    GlmError error;
    if (!glmComputePlanarUVs(model, &error))
        glmEndOnError(error, __PRETTY_FUNCTION__);
}

namespace {

void sphereUVs(GlmMesh* model)
{
    float* uvs = glmAllocArray<float>(2 * (size_t{model->normalCount} + 1), "texture coordinates");
    uvs[0] = uvs[1] = 0.0f;
    const double halfPi = 1.570796325;
    const float* n = model->normals;
    for (unsigned i = 1; i <= model->normalCount; ++i) {
        // The picture's poles lie on the x axis: x and z change places.
        float z = n[3 * i + 0];
        float y = n[3 * i + 1];
        float x = n[3 * i + 2];
        float r = static_cast<float>(std::sqrt(x * x + y * y));
        float rho = static_cast<float>(std::sqrt(r * r + z * z));
        double theta = 0.0, phi = 0.0;
        if (r != 0.0f) {
            // Rounding can push a ratio a hair past 1; keep acos/asin defined.
            phi = z == 0.0f ? halfPi : std::acos(std::clamp(double{z} / rho, -1.0, 1.0));
            theta = y == 0.0f ? halfPi : std::asin(std::clamp(double{y} / r, -1.0, 1.0)) + halfPi;
        }
        uvs[2 * i + 0] = static_cast<float>(theta / 3.14159265);
        uvs[2 * i + 1] = static_cast<float>(phi / 3.14159265);
    }
    std::free(model->uvs);
    model->uvs = uvs;
    model->uvCount = model->normalCount;
    for (GlmFaceGroup* g = model->groupList; g; g = g->next) {
        for (unsigned j = 0; j < g->faceCount; ++j) {
            GlmFace& f = model->faces[g->faceList[j]];
            std::copy_n(f.normalRefs, 3, f.uvRefs);
        }
    }
    // The old coordinates are gone and lines have no normals to map from.
    std::free(model->lineUvRefs);
    model->lineUvRefs = nullptr;
}

}  // namespace

bool glmComputeSphereUVs(GlmMesh* model, GlmError* error)
{
    return runChecked(
        model, GLM_PARTS_GROUPS, "glmSphereUVs", error, [&] { return model->normals ? nullptr : "normals"; },
        [&] { sphereUVs(model); });
}

void glmSphereUVs(GlmMesh* model)
{
    GLM_CHECK(model);
    GLM_CHECK(model->normals);
    GlmError error;
    if (!glmComputeSphereUVs(model, &error))
        glmEndOnError(error, __PRETTY_FUNCTION__);
}
