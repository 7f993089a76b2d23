// The reader's thread count follows the processors the process may run on.
#include <sched.h>

#include <cstdlib>

#include "model/glm_core.h"
#include "tests/support/files.h"
#include "tests/support/models.h"

namespace {

TEST(GlmReaderThreadsDeathTest, OneProcessorInTheAffinityMaskMeansOneThread)
{
    cpu_set_t mask;
    ASSERT_EQ(sched_getaffinity(0, sizeof mask, &mask), 0);
    const unsigned allowed = static_cast<unsigned>(CPU_COUNT(&mask));
    EXPECT_GE(glmReaderThreads(), 1u);
    EXPECT_LE(glmReaderThreads(), allowed);
    // In a child bound to one processor (the first it may use), a read with
    // the default thread count still reads the model.
    int first = 0;
    while (!CPU_ISSET(first, &mask))
        first++;
    TempDir dir;
    std::string text;
    for (int i = 0; i < 300000; i++)
        text += "v 1 2 3\nf 1 1 1\n";
    writeFile(dir.file("big.obj"), text);
    EXPECT_EXIT(
        {
            cpu_set_t one;
            CPU_ZERO(&one);
            CPU_SET(first, &one);
            if (sched_setaffinity(0, sizeof one, &one) != 0)
                std::exit(3);
            if (glmReaderThreads() != 1)
                std::exit(4);
            GlmReadError error;
            GlmMesh* model = glmLoadOBJ(dir.file("big.obj").c_str(), nullptr, &error);
            const bool read = model && model->faceCount == 300000;
            if (model)
                glmDestroy(model);
            std::exit(read ? 0 : 5);
        },
        testing::ExitedWithCode(0), "");
}

}  // namespace
