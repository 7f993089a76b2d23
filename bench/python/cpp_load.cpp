// The C++ side of the Python loading benchmark: glmLoadOBJ on one file,
// timed in this process, printed in seconds.
//   python_bench_cpp_load PATH
#include <chrono>
#include <cstdio>

#include "model/glm.h"
#include "model/glm_core.h"

int main(int argc, char** argv)
{
    if (argc != 2)
        return 2;
    GlmReadError error;
    const auto start = std::chrono::steady_clock::now();
    GlmMesh* model = glmLoadOBJ(argv[1], nullptr, &error);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    if (!model) {
        std::fputs(error.message, stderr);
        return 1;
    }
    std::printf("%.6f\n", seconds.count());
    glmDestroy(model);
    return 0;
}
