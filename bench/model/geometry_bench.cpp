// Vertex welding and normals on the 1,000,000-triangle UV sphere (501
// stacks x 1000 slices, "v/vt/vn" triangles in 4 groups) as glmReadOBJ reads
// it, seam and pole vertices repeated; and the fast forms against the plain
// references on a model of about 20,000 vertices.  Ratios between rows of
// one run are what count: other work on the machine moves all of them.

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "tests/support/sphere_file.h"
#include "model/glm.h"
#include "tests/support/mesh_builder.h"
#include "tests/support/geometry_oracles.h"

namespace {

// The million-triangle sphere read from its OBJ file (written once), or a
// smaller sphere built in memory; welded on request, as a model is usually
// prepared for normals (the file's repeated pole vertices would otherwise
// have no face and each be reported).  Each kept for the whole run.
GlmMesh* sphere(unsigned stacks, unsigned slices, bool welded = false)
{
    static GlmMesh* cache[2][2] = {};
    GlmMesh*& model = cache[stacks >= 501][welded];
    if (model)
        return model;
    if (stacks < 501) {
        model = makeUvSphere(stacks, slices);
    } else {
        std::filesystem::create_directories(MODEL_BENCH_DATA);
        std::string path =
            writeSphereFile(std::string(MODEL_BENCH_DATA) + "/sphere-triangles.obj", SphereForm::Triangles);
        model = glmReadOBJ(path.c_str());
    }
    if (welded)
        glmMergeVertices(model, 1e-5f);
    return model;
}

// Welding changes the model: each run starts from a fresh copy of the
// positions and faces, made outside the timed region.
template <void (*Merge)(GlmMesh*, float)>
void mergeOn(benchmark::State& state, unsigned stacks, unsigned slices)
{
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
void normalsOn(benchmark::State& state, unsigned stacks, unsigned slices)
{
    GlmMesh* model = sphere(stacks, slices, true);
    for (auto _ : state) {
        glmFaceNormals(model);
        Normals(model, 90);
    }
    state.counters["faces"] = model->faceCount;
    state.counters["normals"] = model->normalCount;
}

// 501 x 1000: 1,000,000 triangles, 502,502 vertices read from the file.
// 99 x 200: 39,200 triangles, 20,098 vertices built in memory.
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
