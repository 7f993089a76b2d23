// Allocation failures under a tight address-space limit, in a child
// process: the core hands back a status naming what it could not get and
// leaves the model as it was; the glm.h operations end with status 1 and
// the same message.
#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "model/glm.h"
#include "model/glm_core.h"
#include "tests/support/files.h"
#include "tests/support/mesh_builder.h"
#include "tests/support/models.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool SANITIZED = true;
#else
constexpr bool SANITIZED = false;
#endif

// Lets the process grow by at most `room` bytes of address space.
void limitGrowth(std::size_t room)
{
    long kib = 0;
    if (FILE* status = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, status))
            if (std::strncmp(line, "VmSize:", 7) == 0)
                kib = std::strtol(line + 7, nullptr, 10);
        std::fclose(status);
    }
    rlimit limit{};
    limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(kib) * 1024 + room;
    setrlimit(RLIMIT_AS, &limit);
}

TEST(GlmOutOfMemoryDeathTest, FailedAllocationsAreReportedByName)
{
    if (SANITIZED)
        GTEST_SKIP() << "the sanitizer reserves address space of its own";
    // Two million vertices want 24 MB; the child may grow by 16 MB.  On one
    // thread the array grows as it fills, and the growing fails.
    std::string text;
    for (int i = 0; i < 2000000; i++)
        text += "v\n";
    EXPECT_EXIT(
        {
            limitGrowth(16 << 20);
            GlmReadOptions options;
            options.threads = 1;
            GlmReadError error;
            GlmMesh* model = glmParseOBJ(text.data(), text.size(), "big.obj", &options, &error);
            std::fputs(error.message, stderr);
            std::exit(!model && error.kind == GLM_READ_NO_MEMORY ? 3 : 4);
        },
        testing::ExitedWithCode(3),
        "out of memory: can't allocate the vertices \\([0-9]+ bytes\\) reading \"big.obj\"");

    GlmReadOptions options;
    options.threads = 1;
    GlmReadError error;
    text = "v 0 0 0\nv 1 0 0\nv 0 1 0\n";
    for (int i = 0; i < 1000000; i++)
        text += "f 1 2 3\n";
    GlmMesh* model = glmParseOBJ(text.data(), text.size(), "faces.obj", &options, &error);
    ASSERT_TRUE(model) << error.message;
    // Facet normals of a million faces want 12 MB.
    EXPECT_EXIT(
        {
            limitGrowth(4 << 20);
            glmFaceNormals(model);
        },
        testing::ExitedWithCode(1), "glm: out of memory: can't allocate facet normals \\(12000012 bytes\\)\\.");
    glmDestroy(model);
}

}  // namespace

namespace {

// Runs `operation` on `model` in a child whose address space may grow by
// 1 MiB only: the core must hand back GLM_NO_MEMORY with the line glm.h
// prints, and leave the model as it was.
template <typename Operation>
[[noreturn]] void runOutOfRoom(GlmMesh* model, Operation operation)
{
    const float* arrays[] = {model->vertices, model->normals, model->uvs, model->facetnorms};
    const unsigned counts[] = {model->vertexCount, model->normalCount, model->uvCount, model->facetnormCount};
    limitGrowth(1 << 20);
    GlmError error;
    const bool ok = operation(model, &error);
    const float* after[] = {model->vertices, model->normals, model->uvs, model->facetnorms};
    const unsigned countsAfter[] = {model->vertexCount, model->normalCount, model->uvCount, model->facetnormCount};
    const bool unchanged = std::equal(arrays, arrays + 4, after) && std::equal(counts, counts + 4, countsAfter);
    std::fputs(error.message, stderr);
    std::exit(!ok && error.status == GLM_NO_MEMORY && unchanged ? 3 : 4);
}

template <typename Operation>
void expectNoMemoryInChild(GlmMesh* model, const char* name, Operation operation)
{
    EXPECT_EXIT(runOutOfRoom(model, operation), testing::ExitedWithCode(3),
                "^glm: out of memory: can't allocate [a-z ]+ \\([0-9]+ bytes\\)\\.\n$")
        << name;
}

}  // namespace

TEST(GlmOutOfMemoryDeathTest, EveryCoreOperationReturnsTheFailureAndKeepsTheModel)
{
    if (SANITIZED)
        GTEST_SKIP() << "the sanitizer reserves address space of its own";
    // Every block of 128 KiB or more mapped on its own and unmapped when
    // freed: no freed block of the parent's is left for the child to reuse.
    mallopt(M_MMAP_THRESHOLD, 128 << 10);
    // 980,000 faces on 491,401 vertices: every operation wants megabytes.
    GlmMesh* model = makeFlatGrid(700, 700);
    glmFaceNormals(model);
    glmVertexNormals(model, 90.0f);
    expectNoMemoryInChild(model, "facet normals", glmComputeFaceNormals);
    expectNoMemoryInChild(model, "vertex normals",
                          [](GlmMesh* m, GlmError* e) { return glmComputeVertexNormals(m, 90.0f, e); });
    expectNoMemoryInChild(model, "planar uvs", glmComputePlanarUVs);
    expectNoMemoryInChild(model, "sphere uvs", glmComputeSphereUVs);
    expectNoMemoryInChild(model, "weld", [](GlmMesh* m, GlmError* e) { return glmWeldVertices(m, 1e-3f, e); });

    // Writing: a path longer than the room left cannot even be held.
    const std::string path = "/tmp/" + std::string(2 << 20, 'x') + ".obj";
    EXPECT_EXIT(
        {
            limitGrowth(1 << 20);
            GlmWriteError error;
            const bool ok = glmSaveOBJ(model, path.c_str(), MODE_SMOOTH, nullptr, &error);
            std::exit(!ok && error.kind == GLM_WRITE_NO_MEMORY ? 3 : 4);
        },
        testing::ExitedWithCode(3), "");
    glmDestroy(model);
}
