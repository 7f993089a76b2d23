// Fuzz target: the raw PPM decoding core behind glmLoadPPM.
#include <cstdio>
#include <cstdlib>

#include "tests/support/workout.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (const char* problem = workoutPpm(data, size)) {
        std::fprintf(stderr, "fuzz_ppm: %s\n", problem);
        std::abort();
    }
    return 0;
}
