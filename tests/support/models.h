// Shared helpers of the model library tests: model comparison and random
// OBJ texts.
#pragma once

#include <random>
#include <string>

#include "model/glm.h"
#include "tests/support/files.h"

// "" when the models are equal in every count, name, reference and float
// bit; otherwise a description of the first difference.
std::string modelDifference(const GlmMesh* a, const GlmMesh* b);

// A random OBJ text that uses material library "lib.mtl" (see randomMtl)
// when `materials`; with `bad`, one face reference or keyword is broken.
std::string randomObj(std::mt19937& rng, bool materials, bool bad);
std::string randomMtl(std::mt19937& rng);

// Runs `body` with standard output captured; returns what it printed.
template <class Body>
std::string captureStdout(Body body);

#include <gtest/gtest.h>
template <class Body>
std::string captureStdout(Body body)
{
    testing::internal::CaptureStdout();
    body();
    return testing::internal::GetCapturedStdout();
}
