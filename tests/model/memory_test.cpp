// Reading the 105 MB benchmark sphere costs at most the model's own arrays
// plus 32 MiB of peak memory: the file is mapped and released as it is read.
#include <cstdio>
#include <filesystem>

#include "tests/support/models.h"

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool SANITIZED = true;
#else
constexpr bool SANITIZED = false;
#endif

std::string run(const std::string& command) {
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, pipe)) out += buf;
        ::pclose(pipe);
    }
    return out;
}

TEST(GlmMemory, PeakIsTheArraysPlusAtMost32MiB) {
    if (SANITIZED) GTEST_SKIP() << "the sanitizer's shadow memory hides the reader's own use";
    TempDir dir;
    std::string path = dir.file("sphere.obj");
    run(std::string(MODEL_SPHERE_GENERATOR) + " " + path + " triangles");
    ASSERT_GT(std::filesystem::file_size(path), 100000000u);
    unsigned long long arrays = 0;
    long long growth = 0;
    ASSERT_EQ(std::sscanf(run(std::string(MODEL_PEAK_PROBE) + " " + path).c_str(), "%llu %lld", &arrays, &growth), 2);
    EXPECT_GT(arrays, 50u << 20);
    EXPECT_LE(growth, static_cast<long long>(arrays) + (32ll << 20)) << "arrays " << arrays;
}

}  // namespace
