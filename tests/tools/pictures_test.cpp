// The pictures make-textures paints: the files the viewer reads, in the
// encodings and sizes it needs, looking like what they name, and the same
// bytes on every run.

#include "tests/support/pictures.h"

#include "image/image.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace fs = std::filesystem;

namespace {

struct Expected {
    const char* name;
    int width, height, bits;
};
const Expected pictures[] = {
    {"Sun.bmp", 512, 256, 24},       {"Mercury.bmp", 512, 256, 24},   {"Venus.bmp", 512, 256, 24},
    {"earth.bmp", 512, 256, 24},     {"Moon.bmp", 512, 256, 24},      {"Mars.bmp", 512, 256, 24},
    {"Jupiter.bmp", 512, 256, 24},   {"saturn.bmp", 512, 256, 24},    {"Uranus.bmp", 512, 256, 24},
    {"Neptune.bmp", 512, 256, 24},   {"Pluto.bmp", 512, 256, 24},     {"c.bmp", 256, 256, 24},
    {"bbb.bmp", 512, 256, 24},       {"personface.bmp", 256, 256, 8}, {"personbody.bmp", 256, 256, 8},
    {"personjean.bmp", 256, 256, 8}, {"b3.bmp", 512, 128, 24},        {"space2.bmp", 1024, 1024, 24},
};

struct Mean {
    double r, g, b;
};

Mean meanColour(const ImageRGB& image)
{
    Mean m{0, 0, 0};
    const std::size_t n = static_cast<std::size_t>(image.width) * image.height;
    for (std::size_t i = 0; i < n; ++i) {
        m.r += image.pixels[3 * i];
        m.g += image.pixels[3 * i + 1];
        m.b += image.pixels[3 * i + 2];
    }
    return {m.r / n, m.g / n, m.b / n};
}

bool powerOfTwo(int v) { return v > 0 && (v & (v - 1)) == 0; }

}  // namespace

TEST(Pictures, EveryPictureIsABitmapTheLoadersTakeWithTexturableSizes)
{
    RecordedBoxes boxes;
    for (const Expected& e : pictures) {
        SCOPED_TRACE(e.name);
        const fs::path path = fs::path(SOLAR_PICTURE_DIR) / e.name;
        const Bytes file = readFileBytes(path);
        ASSERT_GT(file.size(), 54u);
        EXPECT_EQ(file[28], e.bits);  // biBitCount
        ImageRGB* image = loadDibImage(path.string().c_str());
        ASSERT_NE(image, nullptr);
        EXPECT_EQ(image->width, e.width);
        EXPECT_EQ(image->height, e.height);
        EXPECT_TRUE(powerOfTwo(image->width) && powerOfTwo(image->height) && image->width >= 4);
        freeImage(image);
    }
    // The sky goes through the other reader.
    ImageRGB sky{};
    testing::internal::CaptureStdout();
    readBmp((fs::path(SOLAR_PICTURE_DIR) / "space2.bmp").string().c_str(), &sky);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(sky.width, 1024);
    std::free(sky.pixels);
    EXPECT_TRUE(boxes.texts.empty());
}

TEST(Pictures, ColoursSayWhatEachBodyIs)
{
    auto mean = [](const char* name) {
        ImageRGB* image = loadDibImage((fs::path(SOLAR_PICTURE_DIR) / name).string().c_str());
        EXPECT_NE(image, nullptr) << name;
        const Mean m = image ? meanColour(*image) : Mean{};
        freeImage(image);
        return m;
    };
    const Mean sun = mean("Sun.bmp");
    EXPECT_GT(sun.r, 200);
    EXPECT_GT(sun.r, sun.g + 50);
    EXPECT_GT(sun.g, sun.b + 50);
    for (const char* grey : {"Mercury.bmp", "Moon.bmp"}) {
        const Mean m = mean(grey);
        EXPECT_LT(std::abs(m.r - m.b), 20) << grey;
    }
    const Mean earth = mean("earth.bmp");
    EXPECT_GT(earth.b, earth.r + 30);
    const Mean mars = mean("Mars.bmp");
    EXPECT_GT(mars.r, mars.g + 50);
    const Mean uranus = mean("Uranus.bmp");
    EXPECT_GT(uranus.g, uranus.r + 40);
    EXPECT_GT(uranus.b, uranus.r + 40);
    const Mean neptune = mean("Neptune.bmp");
    EXPECT_GT(neptune.b, neptune.r + 100);
    const Mean jeans = mean("personjean.bmp");
    EXPECT_GT(jeans.b, jeans.r + 40);
    const Mean sky = mean("space2.bmp");
    EXPECT_LT(sky.r + sky.g + sky.b, 90);
}

TEST(Pictures, PaintingAgainGivesTheSameBytes)
{
    TempDir dir;
    const std::string command = "'" MAKE_TEXTURES "' '" + dir.path.string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    for (const Expected& e : pictures)
        EXPECT_EQ(readFileBytes(dir.path / e.name), readFileBytes(fs::path(SOLAR_PICTURE_DIR) / e.name)) << e.name;
}
