// Fuzz target: the OBJ reading core with its material library, then every
// geometry operation and the writer on the model that loaded.
//
// Input: the OBJ text, a NUL byte (a NUL character, two bytes, in an OBJ
// text that starts with a UTF-16 mark), then the text of the material
// library that every "mtllib" line gets (see workoutObj for the checks).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/support/workout.h"

namespace {

// A scratch folder for the writer, removed when the fuzzer ends.  In memory
// (/dev/shm) where there is one: every input is written and read back three
// times, and on a disk folder that costs about a third of the executions.
std::string scratch;
void removeScratch()
{
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::error_code error;
    const std::filesystem::path shm = "/dev/shm";
    const std::filesystem::path base = std::filesystem::is_directory(shm, error) && access(shm.c_str(), W_OK) == 0
                                           ? shm
                                           : std::filesystem::temp_directory_path();
    scratch = (base / "fuzz-obj-XXXXXX").string();
    if (!mkdtemp(scratch.data()))
        std::abort();
    std::atexit(removeScratch);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    if (const char* problem = workoutObj(data, size, scratch.c_str())) {
        std::fprintf(stderr, "fuzz_obj: %s\n", problem);
        std::abort();
    }
    return 0;
}
