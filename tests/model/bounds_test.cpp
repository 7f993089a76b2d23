// Resource bounds and hostile values for the model library: PPM pictures
// over 2^28 pixels and short rasters are refused before anything large is
// allocated, OBJ references outside their arrays are refused, and counts
// follow the text however long its lines.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "model/glm.h"
#include "model/glm_core.h"
#include "tests/support/bytes.h"

namespace {

TEST(Bounds, PpmRefusesPicturesOverThePixelLimitAndShortRastersBeforeAllocating)
{
    auto parse = [](const std::string& header, std::size_t rasterBytes, std::string* message) {
        Bytes file(header.begin(), header.end());
        file.resize(file.size() + rasterBytes, 7);
        int w = 0, h = 0;
        GlmPpmError error = {};
        unsigned char* pixels = glmParsePPM(file.data(), file.size(), &w, &h, &error);
        *message = error.message;
        std::free(pixels);
        return pixels != nullptr;
    };
    std::string message;
    EXPECT_TRUE(parse("P6 40000 1 255\n", 40000 * 3, &message)) << message;
    EXPECT_TRUE(parse("P6 1 40000 255\n", 40000 * 3, &message)) << message;
    EXPECT_FALSE(parse("P6 16384 16385 255\n", 12, &message));
    EXPECT_EQ(message, "PPM size 16384 x 16385 is too large");
    EXPECT_FALSE(parse("P6\n16384 16384\n255\n", 12, &message));
    EXPECT_EQ(message, "PPM raster shorter than 16384 x 16384 pixels");
}

GlmMesh* parseObj(const std::string& text, GlmReadError* error)
{
    GlmReadOptions options;
    options.threads = 1;
    return glmParseOBJ(text.data(), text.size(), "hostile.obj", &options, error);
}

TEST(Bounds, ObjRefusesReferencesOutsideTheirArrays)
{
    // The first corner decides the form of the face's corners.
    const char* faces[] = {"1 2 0",
                           "1 2 4",
                           "1 2 -4",
                           "1 2 4294967295",
                           "1 2 4294967296",
                           "1 2 -4294967296",
                           "1 2 99999999999999999999",
                           "1 2 -2147483648",
                           "1 2 2147483648",
                           "1/1 2/1 3/2",
                           "1/1/1 2/1/1 3/1/2",
                           "1//1 2//1 3//2",
                           "1/0/1 2/1/1 3/1/1",
                           "1/1 2/1 3/-2"};
    for (const char* ref : faces) {
        const std::string text = "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\nf 1 2 3\nf " + std::string(ref) + "\n";
        GlmReadError error;
        GlmMesh* model = parseObj(text, &error);
        if (model)
            glmDestroy(model);
        EXPECT_EQ(model, nullptr) << ref;
        EXPECT_EQ(error.kind, GLM_READ_BAD_REFERENCE) << ref;
        EXPECT_NE(std::strstr(error.message, "hostile.obj"), nullptr) << error.message;
    }
}

TEST(Bounds, ObjCountsFollowTheTextAndLongLinesStayWhole)
{
    // One face line of 200,000 corners: 199,998 triangles, nothing more.
    std::string fan = "v 0 0 0\nf";
    for (int i = 0; i < 200000; ++i)
        fan += " 1";
    fan += "\n";
    GlmReadError error;
    GlmMesh* model = parseObj(fan, &error);
    ASSERT_NE(model, nullptr) << error.message;
    EXPECT_EQ(model->faceCount, 199998u);
    glmDestroy(model);
    // A group name of 100,000 characters and a token of 100,000 "v"s.
    const std::string name(100000, 'n');
    model = parseObj("g " + name + "\r\nv 0 0 0\nf 1 1 1\n", &error);
    ASSERT_NE(model, nullptr) << error.message;
    EXPECT_EQ(std::string(model->groupList->name), " " + name);
    glmDestroy(model);
    model = parseObj(std::string(100000, 'v') + "\n", &error);
    EXPECT_EQ(model, nullptr);
    EXPECT_EQ(error.kind, GLM_READ_UNKNOWN_TOKEN);
}

}  // namespace
