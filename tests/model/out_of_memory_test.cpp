// Allocation failures under a tight address-space limit, in a child
// process: the reading core hands back an error naming the array, the other
// operations end with status 1 and a message naming what they could not get.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "model/glm.h"
#include "model/glm_core.h"
#include "tests/support/files.h"
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
