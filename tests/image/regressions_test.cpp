// Replays every picture the fuzzers found a fault with (tests/data/
// regressions, named after the target: dib-, bmp-, sgi-, png-,
// jpeg-) exactly as the fuzz
// target runs it.  A fault that comes back shows as a failed check here, or
// as a sanitizer report or a time-out in the sanitizer build.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/files.h"
#include "tests/support/samples.h"
#include "tests/support/workout.h"

namespace {

TEST(Regressions, EverySavedInputRunsCleanly)
{
    int replayed = 0;
    for (const auto& entry : std::filesystem::directory_iterator(testDataDir() / "regressions")) {
        const std::string name = entry.path().filename().string();
        const Bytes bytes = readFileBytes(entry.path());
        const std::string target = name.substr(0, name.find('-'));
        const char* problem = nullptr;
        if (target == "dib")
            problem = workoutDib(bytes.data(), bytes.size());
        else if (target == "bmp")
            problem = workoutBmp(bytes.data(), bytes.size());
        else if (target == "sgi")
            problem = workoutSgi(bytes.data(), bytes.size());
        else if (target == "png")
            problem = workoutPng(bytes.data(), bytes.size());
        else if (target == "jpeg")
            problem = workoutJpeg(bytes.data(), bytes.size());
        else if (target == "ppm" || target == "obj")
            continue;  // the model tests replay these
        else
            ADD_FAILURE() << name << ": no target of that name";
        EXPECT_EQ(problem, nullptr) << name << ": " << problem;
        ++replayed;
    }
    EXPECT_GE(replayed, 1);
}

// The seed files are valid inputs: each one passes its target's checks.
TEST(Regressions, EverySeedRunsCleanly)
{
    for (const SampleFile& f : dibSamples())
        EXPECT_EQ(workoutDib(f.bytes.data(), f.bytes.size()), nullptr) << f.name;
    for (const SampleFile& f : bmpSamples())
        EXPECT_EQ(workoutBmp(f.bytes.data(), f.bytes.size()), nullptr) << f.name;
    for (const SampleFile& f : sgiSamples())
        EXPECT_EQ(workoutSgi(f.bytes.data(), f.bytes.size()), nullptr) << f.name;
}

}  // namespace
