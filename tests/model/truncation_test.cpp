// Every prefix of a valid OBJ, MTL or PPM text is refused with a message or
// read into something sound, by the in-memory cores and by the file layers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "model/glm.h"
#include "model/glm_core.h"
#include "tests/support/files.h"
#include "tests/support/models.h"
#include "tests/support/samples.h"
#include "tests/support/model_checks.h"

namespace {

GlmMesh* parse(const Prefix& text, const std::string& mtl, unsigned threads, GlmReadError* error)
{
    MtlTexts texts;
    texts.others = mtl;  // every "mtllib" line gets `mtl`
    GlmReadOptions options;
    options.threads = threads;
    options.chunkBytes = threads > 1 ? 16 : 0;  // many tiny chunks
    options.loadMaterials = loadMtlTexts;
    options.loaderContext = &texts;
    return glmParseOBJ(reinterpret_cast<const char*>(text.data), text.size, "in.obj", &options, error);
}

TEST(Truncation, ObjEveryPrefixIsRefusedOrSound)
{
    for (const ObjSample& sample : objTexts()) {
        const Bytes obj(sample.obj.begin(), sample.obj.end());
        for (std::size_t n = 0; n <= obj.size(); ++n) {
            Prefix prefix(obj, n);
            GlmReadError error1, error2;
            GlmMesh* one = parse(prefix, sample.mtl, 1, &error1);
            GlmMesh* two = parse(prefix, sample.mtl, 2, &error2);
            ASSERT_EQ(one == nullptr, two == nullptr) << sample.name << " cut at " << n;
            if (n == obj.size()) {
                ASSERT_NE(one, nullptr) << sample.name << ": " << error1.message;
            }
            if (one) {
                ASSERT_TRUE(soundModel(one)) << sample.name << " cut at " << n;
                ASSERT_EQ(one->faceCount, two->faceCount) << sample.name << " cut at " << n;
                ASSERT_EQ(one->vertexCount, two->vertexCount) << sample.name << " cut at " << n;
                glmDestroy(one);
                glmDestroy(two);
            } else {
                ASSERT_EQ(error1.kind, error2.kind) << sample.name << " cut at " << n;
                const std::size_t length = std::strlen(error1.message);
                ASSERT_GT(length, 0u);
                ASSERT_EQ(error1.message[length - 1], '\n');
            }
        }
    }
}

TEST(Truncation, MtlEveryPrefixGivesDefaultFirstAndNoMoreThanNamed)
{
    for (const ObjSample& sample : objTexts()) {
        if (sample.mtl.empty())
            continue;
        const Bytes mtl(sample.mtl.begin(), sample.mtl.end());
        for (std::size_t n = 0; n <= mtl.size(); ++n) {
            Prefix prefix(mtl, n);
            GlmReadError error;
            GlmMesh* model = glmParseOBJ("", 0, "in.obj", nullptr, &error);
            ASSERT_NE(model, nullptr);
            glmParseMTL(model, reinterpret_cast<const char*>(prefix.data), prefix.size);
            std::size_t named = 0;
            for (std::size_t at = 0; (at = sample.mtl.find("newmtl", at)) < n; ++at)
                ++named;
            ASSERT_GE(model->materialCount, 1u);
            ASSERT_LE(model->materialCount, named + 1) << sample.name << " cut at " << n;
            ASSERT_STREQ(model->materialTable[0].name, "default");
            glmDestroy(model);
        }
    }
}

TEST(Truncation, PpmEveryPrefixIsRefusedWithAReason)
{
    for (const SampleFile& file : ppmSamples()) {
        for (std::size_t n = 0; n <= file.bytes.size(); ++n) {
            Prefix prefix(file.bytes, n);
            int width = -1, height = -1;
            GlmPpmError error = {};
            unsigned char* pixels = glmParsePPM(prefix.data, prefix.size, &width, &height, &error);
            if (n < file.bytes.size()) {
                ASSERT_EQ(pixels, nullptr) << file.name << " cut at " << n;
                ASSERT_EQ(width, -1);
                ASSERT_NE(error.message[0], '\0');
            } else {
                ASSERT_NE(pixels, nullptr) << file.name << ": " << error.message;
                const std::size_t bytes = std::size_t(width) * height * 3;
                ASSERT_EQ(std::memcmp(pixels, file.bytes.data() + file.bytes.size() - bytes, bytes), 0);
                std::free(pixels);
            }
        }
    }
}

// The file layers: one line on standard error per refused file, nothing
// handed out, and every file handle and mapping released.
TEST(TruncatedFiles, PpmLoaderPrintsOneLinePerRefusal)
{
    const SampleFile file = ppmSamples()[1];
    TempDir dir;
    const std::string path = (dir.path / file.name).string();
    for (std::size_t n = 0; n < file.bytes.size(); ++n) {
        writeFileBytes(path, file.bytes.data(), n);
        int width = -1, height = -1;
        testing::internal::CaptureStderr();
        unsigned char* pixels = glmLoadPPM(path.c_str(), &width, &height);
        const std::string err = testing::internal::GetCapturedStderr();
        ASSERT_EQ(pixels, nullptr) << "cut at " << n;
        ASSERT_EQ(err.rfind(path + ": ", 0), 0u) << err;
        ASSERT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
}

TEST(TruncatedFiles, ObjLoaderRefusesOrReadsEveryPrefixWithItsLibrary)
{
    const ObjSample sample = objTexts()[0];  // the cube, naming cube.mtl
    TempDir dir;
    writeFileBytes(dir.path / "cube.mtl", reinterpret_cast<const unsigned char*>(sample.mtl.data()), sample.mtl.size());
    const std::string path = (dir.path / "cube.obj").string();
    for (std::size_t n = 0; n <= sample.obj.size(); ++n) {
        writeFileBytes(path, reinterpret_cast<const unsigned char*>(sample.obj.data()), n);
        GlmReadError error;
        testing::internal::CaptureStdout();  // unknown-material lines
        GlmMesh* model = glmLoadOBJ(path.c_str(), nullptr, &error);
        testing::internal::GetCapturedStdout();
        if (model) {
            ASSERT_TRUE(soundModel(model)) << "cut at " << n;
            glmDestroy(model);
        } else {
            // Only a cut library name ("mtllib cu") or a cut face can fail.
            ASSERT_TRUE(error.kind == GLM_READ_MATERIAL_FILE || error.kind == GLM_READ_BAD_REFERENCE)
                << "cut at " << n << ": " << error.message;
        }
    }
}

}  // namespace
