// Vertex welding and normals on the 1,000,000-triangle UV sphere (501
// stacks x 1000 slices, seam and pole vertices repeated), and the fast
// forms against the plain references on a model of about 20,000 vertices.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "model/glm.h"
#include "tests/model_geometry/mesh_builder.h"
#include "tests/model_geometry/oracles.h"

namespace {

GlmMesh* sphere(unsigned stacks, unsigned slices) {
    static GlmMesh* big = nullptr;
    static GlmMesh* small = nullptr;
    GlmMesh*& cached = stacks > 200 ? big : small;
    if (!cached) cached = makeUvSphere(stacks, slices);
    return cached;
}

// Welding changes the model: each run starts from a fresh copy of the
// positions and faces, made outside the timed region.
template <void (*Merge)(GlmMesh*, float)>
void mergeOn(benchmark::State& state, unsigned stacks, unsigned slices) {
    GlmMesh* source = sphere(stacks, slices);
    GlmMesh work = *source;
    const size_t faceBytes = size_t{source->faceCount} * sizeof(GlmFace);
    work.faces = static_cast<GlmFace*>(std::malloc(faceBytes));
    for (auto _ : state) {
        state.PauseTiming();
        work.vertexCount = source->vertexCount;
        work.vertices = copyFloats(source->vertices, source->vertexCount, 3);
        std::memcpy(work.faces, source->faces, faceBytes);
        state.ResumeTiming();
        Merge(&work, 1e-5f);
        state.PauseTiming();
        std::free(work.vertices);
        state.ResumeTiming();
    }
    state.counters["vertices"] = source->vertexCount;
    state.counters["kept"] = work.vertexCount;
    std::free(work.faces);
}

template <void (*Normals)(GlmMesh*, float)>
void normalsOn(benchmark::State& state, unsigned stacks, unsigned slices) {
    GlmMesh* model = sphere(stacks, slices);
    for (auto _ : state) {
        glmFaceNormals(model);
        Normals(model, 90);
    }
    state.counters["faces"] = model->faceCount;
    state.counters["normals"] = model->normalCount;
}

// 501 x 1000: 1,000,000 triangles, 502,500 vertices.  99 x 200: 39,200
// triangles, 20,098 vertices.
void BM_MergeSphere1M(benchmark::State& s) { mergeOn<glmMergeVertices>(s, 501, 1000); }
void BM_NormalsSphere1M(benchmark::State& s) { normalsOn<glmVertexNormals>(s, 501, 1000); }
void BM_Merge20k(benchmark::State& s) { mergeOn<glmMergeVertices>(s, 99, 200); }
void BM_Merge20kPlain(benchmark::State& s) { mergeOn<mergeVerticesOracle>(s, 99, 200); }
void BM_Normals20k(benchmark::State& s) { normalsOn<glmVertexNormals>(s, 99, 200); }
void BM_Normals20kLists(benchmark::State& s) { normalsOn<vertexNormalsOracle>(s, 99, 200); }

}  // namespace

BENCHMARK(BM_MergeSphere1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_NormalsSphere1M)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Merge20k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Merge20kPlain)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Normals20k)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Normals20kLists)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
