// The C++ side of the Python loading benchmark: glmLoadOBJ on one file,
// timed in this process.  Prints the seconds, the page faults taken while
// reading and the reader threads asked for (0: glmReaderThreads()).
//   python_bench_cpp_load PATH [THREADS]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "model/glm.h"
#include "model/glm_core.h"

namespace {

long pageFaults()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_minflt + usage.ru_majflt;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argc > 3)
        return 2;
    GlmReadOptions options;
    options.threads = argc == 3 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10)) : 0;
    GlmReadError error;
    const long faultsBefore = pageFaults();
    const auto start = std::chrono::steady_clock::now();
    GlmMesh* model = glmLoadOBJ(argv[1], &options, &error);
    const std::chrono::duration<double> seconds = std::chrono::steady_clock::now() - start;
    const long faults = pageFaults() - faultsBefore;
    if (!model) {
        std::fputs(error.message, stderr);
        return 1;
    }
    std::printf("%.6f %ld %u\n", seconds.count(), faults, options.threads ? options.threads : glmReaderThreads());
    glmDestroy(model);
    return 0;
}
