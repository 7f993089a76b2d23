// Fuzz target: the SGI RGB decoding core behind loadRgbImage.
#include <cstdio>
#include <cstdlib>

#include "tests/support/workout.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (const char* problem = workoutSgi(data, size)) {
        std::fprintf(stderr, "fuzz_sgi: %s\n", problem);
        std::abort();
    }
    return 0;
}
