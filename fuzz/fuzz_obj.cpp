// Fuzz target: the OBJ reading core with its material library, then every
// geometry operation and the writer on the model that loaded.
//
// Input: the OBJ text, a NUL byte, then the text of the material library
// that every "mtllib" line gets (see workoutObj for the checks).
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/workout.h"

namespace {

// A scratch folder for the writer, removed when the fuzzer ends.
std::string scratch;
void removeScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    scratch = (std::filesystem::temp_directory_path() / "fuzz-obj-XXXXXX").string();
    if (!mkdtemp(scratch.data())) std::abort();
    std::atexit(removeScratch);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    if (const char* problem = workoutObj(data, size, scratch.c_str())) {
        std::fprintf(stderr, "fuzz_obj: %s\n", problem);
        std::abort();
    }
    return 0;
}
