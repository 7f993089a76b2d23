// glmReadOBJ on one and on two threads against the fscanf reference reader,
// on the three sphere files.  Ratios between the rows of one run are what
// count: other work on the machine moves all of them.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/sphere_file.h"
#include "model/glm.h"
#include "model/glm_core.h"
#include "tests/support/obj_oracle.h"

namespace {

const char* const NAMES[] = {"triangles", "quads", "plain"};

std::string sphere(int form) {
    std::filesystem::create_directories(MODEL_BENCH_DATA);
    return writeSphereFile(std::string(MODEL_BENCH_DATA) + "/sphere-" + NAMES[form] + ".obj",
                           static_cast<SphereForm>(form));
}

void BM_Reference(benchmark::State& state) {
    std::string path = sphere(static_cast<int>(state.range(0)));
    state.SetLabel(NAMES[state.range(0)]);
    for (auto _ : state) {
        std::string error;
        GlmMesh* model = oracleReadOBJ(path.c_str(), &error);
        if (!model) state.SkipWithError(error.c_str());
        else glmDestroy(model);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(std::filesystem::file_size(path)));
}

void BM_ReadOBJ(benchmark::State& state) {
    std::string path = sphere(static_cast<int>(state.range(0)));
    state.SetLabel(std::string(NAMES[state.range(0)]) + (state.range(1) == 1 ? ", 1 thread" : ", 2 threads"));
    GlmReadOptions options;
    options.threads = static_cast<unsigned>(state.range(1));
    for (auto _ : state) {
        GlmReadError error;
        GlmMesh* model = glmLoadOBJ(path.c_str(), &options, &error);
        if (!model) state.SkipWithError(error.message);
        else glmDestroy(model);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(std::filesystem::file_size(path)));
}

BENCHMARK(BM_Reference)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
// CPU time is the whole process's, the second thread's work included.
BENCHMARK(BM_ReadOBJ)
    ->ArgsProduct({{0, 1, 2}, {1, 2}})
    ->MeasureProcessCPUTime()
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
