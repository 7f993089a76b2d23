// Fuzz target: the PNG decoding core of the picture codecs, in 3 and 4 channels.
#include <cstdio>
#include <cstdlib>

#include "tests/support/workout.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (const char* problem = workoutPng(data, size)) {
        std::fprintf(stderr, "fuzz_png: %s\n", problem);
        std::abort();
    }
    return 0;
}
