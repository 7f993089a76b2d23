// Fuzz target: the 8- and 24-bit BMP decoding core behind readBmp.
#include <cstdio>
#include <cstdlib>

#include "tests/support/workout.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (const char* problem = workoutBmp(data, size)) {
        std::fprintf(stderr, "fuzz_bmp: %s\n", problem);
        std::abort();
    }
    return 0;
}
