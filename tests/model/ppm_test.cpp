// The raw PPM reader: header forms, comments, and refused files.
#include <cstdlib>

#include "model/glm.h"
#include "tests/support/models.h"

namespace {

std::string raster(int bytes)
{
    std::string r;
    for (int i = 0; i < bytes; i++)
        r.push_back(static_cast<char>(i * 7 + 1));
    return r;
}

struct Loaded {
    unsigned char* pixels = nullptr;
    int width = -1, height = -1;
    std::string err;
    Loaded(const TempDir& dir, const std::string& content)
    {
        std::string path = dir.file("p.ppm");
        writeFile(path, content);
        testing::internal::CaptureStderr();
        pixels = glmLoadPPM(path.c_str(), &width, &height);
        err = testing::internal::GetCapturedStderr();
    }
    ~Loaded() { std::free(pixels); }
};

TEST(GlmPpm, HeaderFormsGiveTheSameResult)
{
    TempDir dir;
    for (std::string header :
         {"P6\n2 3\n255\n", "P6 2 3 255\n", "P6\n2 3 255\n", "P6\n2\n3\n255\n",
          "P6\n# made by hand\n2 3\n# comment\n255\n", "P6 # comment\n2 3 # size\n255\r\n", "P6\n2 3\n#x\n255\n"}) {
        Loaded l(dir, header + raster(18));
        ASSERT_TRUE(l.pixels) << header << l.err;
        EXPECT_EQ(l.width, 2);
        EXPECT_EQ(l.height, 3);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(l.pixels), 18), raster(18));
        EXPECT_EQ(l.err, "");
    }
}

TEST(GlmPpm, BadFilesAreRefusedWithAMessage)
{
    TempDir dir;
    struct Case {
        std::string content;
        std::string message;
    } cases[] = {
        {"P3\n2 3\n255\n", "Not a raw PPM file"},
        {"", "Not a raw PPM file"},
        {"P6\n\n2 3 255\n" + raster(18), "bad PPM header"},
        {"P6\n2 3\n", "PPM header ends early"},
        {"P6\n2 x 3\n255\n" + raster(18), "bad PPM header"},
        {"P6\n0 3 255\n", "bad PPM size"},
        {"P6\n-2 3 255\n", "bad PPM header"},
        {"P6\n2 3 65535\n" + raster(36), "above 255"},
        {"P6\n2 3 0\n" + raster(18), "bad PPM size"},
        {"P6\n2147483647 2147483647 255\n", "too large"},
        {"P6\n99999999999 1 255\n", "bad PPM header"},
        {"P6\n2 3 255\n" + raster(17), "raster shorter"},
        {"P6\n2 3 255 7\n" + raster(18), "bad PPM header"},
    };
    for (const Case& c : cases) {
        Loaded l(dir, c.content);
        EXPECT_EQ(l.pixels, nullptr) << c.content;
        EXPECT_EQ(l.width, -1);
        EXPECT_NE(l.err.find(dir.file("p.ppm") + ": "), std::string::npos) << l.err;
        EXPECT_NE(l.err.find(c.message), std::string::npos) << c.content << " -> " << l.err;
    }
}

TEST(GlmPpm, MissingFileGivesTheSystemError)
{
    TempDir dir;
    int w = 5, h = 6;
    testing::internal::CaptureStderr();
    EXPECT_EQ(glmLoadPPM(dir.file("none.ppm").c_str(), &w, &h), nullptr);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), dir.file("none.ppm") + ": No such file or directory\n");
    EXPECT_EQ(w, 5);
    EXPECT_EQ(h, 6);
}

}  // namespace
