// Replays every input the fuzzers found a fault with (regressions/, named
// after the target: dib-, bmp-, sgi-, ppm-, obj-) exactly as the fuzz target
// runs it.  A fault that comes back shows as a failed check here, or as a
// sanitizer report or a time-out in the sanitizer build.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/hostile/hostile_util.h"
#include "tests/hostile/workout.h"

namespace {

TEST(Regressions, EverySavedInputRunsCleanly) {
    ScratchDir scratch;
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(HOSTILE_REGRESSIONS_DIR)) {
        const std::string name = entry.path().filename().string();
        const Bytes bytes = readFile(entry.path());
        const std::string target = name.substr(0, name.find('-'));
        const char* problem = nullptr;
        if (target == "dib") problem = workoutDib(bytes.data(), bytes.size());
        else if (target == "bmp") problem = workoutBmp(bytes.data(), bytes.size());
        else if (target == "sgi") problem = workoutSgi(bytes.data(), bytes.size());
        else if (target == "ppm") problem = workoutPpm(bytes.data(), bytes.size());
        else if (target == "obj") problem = workoutObj(bytes.data(), bytes.size(), scratch.path.c_str());
        else ADD_FAILURE() << name << ": no target of that name";
        EXPECT_EQ(problem, nullptr) << name << ": " << problem;
        ++replayed;
    }
    EXPECT_GE(replayed, 2);
}

// The seed files are valid inputs: each one passes its target's checks.
TEST(Regressions, EverySeedRunsCleanly) {
    ScratchDir scratch;
    for (const SampleFile& f : dibSamples()) EXPECT_EQ(workoutDib(f.bytes.data(), f.bytes.size()), nullptr) << f.name;
    for (const SampleFile& f : bmpSamples()) EXPECT_EQ(workoutBmp(f.bytes.data(), f.bytes.size()), nullptr) << f.name;
    for (const SampleFile& f : sgiSamples()) EXPECT_EQ(workoutSgi(f.bytes.data(), f.bytes.size()), nullptr) << f.name;
    for (const SampleFile& f : ppmSamples()) EXPECT_EQ(workoutPpm(f.bytes.data(), f.bytes.size()), nullptr) << f.name;
    testing::internal::CaptureStdout();  // the writer's warnings
    testing::internal::CaptureStderr();  // vertices without a triangle
    for (const SampleFile& f : objSamples())
        EXPECT_EQ(workoutObj(f.bytes.data(), f.bytes.size(), scratch.path.c_str()), nullptr) << f.name;
    testing::internal::GetCapturedStdout();
    testing::internal::GetCapturedStderr();
}

}  // namespace
