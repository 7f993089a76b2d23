// Fuzz target: the DIB/BMP decoding core behind loadDibImage.
// Run-length bitmaps may claim a picture of up to 2^28 pixels (768 MiB) in a
// few bytes; every other bitmap must hold its rows.  The two kinds are fuzzed
// in separate runs, so that the others can run under a far lower allocation
// cap: by default the target takes every input but run-length ones; with
// SOLAR_FUZZ_DIB=rle in the environment it takes only run-length ones.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tests/support/workout.h"

static bool runLengthPass = false;

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* pass = std::getenv("SOLAR_FUZZ_DIB");
    runLengthPass = pass && std::strcmp(pass, "rle") == 0;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (dibIsRunLength(data, size) != runLengthPass)
        return -1;  // the other pass's input: not kept
    if (const char* problem = workoutDib(data, size)) {
        std::fprintf(stderr, "fuzz_dib: %s\n", problem);
        std::abort();
    }
    return 0;
}
