// Replays every PPM and OBJ input the fuzzers found a fault with (tests/data/
// regressions, named after the target: ppm-, obj-) exactly as the fuzz target
// runs it.  A fault that comes back shows as a failed check here, or as a
// sanitizer report or a time-out in the sanitizer build.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/files.h"
#include "tests/support/samples.h"
#include "tests/support/workout.h"

namespace {

TEST(ModelRegressions, EverySavedInputRunsCleanly)
{
    TempDir scratch;
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(testDataDir() / "regressions")) {
        const std::string name = entry.path().filename().string();
        const std::string target = name.substr(0, name.find('-'));
        if (target != "ppm" && target != "obj")
            continue;  // the picture tests replay the others
        const Bytes bytes = readFileBytes(entry.path());
        testing::internal::CaptureStdout();  // the writer's warnings
        const char* problem = target == "ppm" ? workoutPpm(bytes.data(), bytes.size())
                                              : workoutObj(bytes.data(), bytes.size(), scratch.path.c_str());
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(problem, nullptr) << name << ": " << problem;
        ++replayed;
    }
    EXPECT_GE(replayed, 1);
}

// The seed files are valid inputs: each one passes its target's checks.
TEST(ModelRegressions, EverySeedRunsCleanly)
{
    TempDir scratch;
    for (const SampleFile& f : ppmSamples())
        EXPECT_EQ(workoutPpm(f.bytes.data(), f.bytes.size()), nullptr) << f.name;
    testing::internal::CaptureStdout();  // the writer's warnings
    testing::internal::CaptureStderr();  // vertices without a triangle
    for (const SampleFile& f : objSamples())
        EXPECT_EQ(workoutObj(f.bytes.data(), f.bytes.size(), scratch.path.c_str()), nullptr) << f.name;
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
}

}  // namespace
