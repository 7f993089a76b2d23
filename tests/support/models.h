// Shared helpers of the model library tests: model comparison, random OBJ
// texts and material libraries held in memory.
#pragma once

#include <map>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "model/glm.h"
#include "model/glm_core.h"
#include "tests/support/files.h"

// "" when the models are equal in every count, name, reference and float
// bit; otherwise a description of the first difference.
std::string modelDifference(const GlmMesh* a, const GlmMesh* b);

// A random OBJ text that uses material library "lib.mtl" (see randomMtl)
// when `materials`; with `bad`, one face reference or keyword is broken.
std::string randomObj(std::mt19937& rng, bool materials, bool bad);
std::string randomMtl(std::mt19937& rng);

// Material libraries from memory instead of files, for the OBJ reading core:
//   options.loadMaterials = loadMtlTexts;
//   options.loaderContext = &texts;  // an MtlTexts
struct MtlTexts {
    std::map<std::string, std::string> byName;  // by the name the "mtllib" line gives
    std::optional<std::string_view> others;     // every other name; none: cannot be opened
};
// Parses the named library's text into `model`; a library it does not hold
// fails as a file that cannot be opened does.
bool loadMtlTexts(GlmMesh* model, const char* name, void* context, GlmReadError* error);

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
