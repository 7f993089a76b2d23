// Fuzz target: the DIB/BMP decoding core behind loadDibImage.
#include <cstdio>
#include <cstdlib>

#include "tests/support/workout.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (const char* problem = workoutDib(data, size)) {
        std::fprintf(stderr, "fuzz_dib: %s\n", problem);
        std::abort();
    }
    return 0;
}
