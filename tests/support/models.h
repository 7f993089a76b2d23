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

// A written OBJ text without its group structure: the "g" lines, the
// group count and the groups without faces dropped.  Reading a written
// file back adds the reader's own "default" group and keeps the blank after
// "g" in the names, so a text written again differs from the first only in
// those.
std::string objTextWithoutGroups(const std::string& text);

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
