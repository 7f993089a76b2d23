// The pictures make-textures makes: the files the viewer reads, in the
// encodings and sizes it needs; the bodies' pictures made from the real maps
// (each agrees with its map, scaled and mirrored), the painted ones looking
// like what they name; a body without its map painted and named in one line;
// and the same bytes on every run.

#include "tests/support/pictures.h"
#include "tests/support/x_session.h"

#include "image/image.h"
#include "image/picture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <sstream>

namespace fs = std::filesystem;

namespace {

struct Expected {
    const char* name;
    int width, height, bits;
};
// What `make-textures --painted` writes.
const Expected paintedPictures[] = {
    {"Sun.bmp", 512, 256, 24},       {"Mercury.bmp", 512, 256, 24},   {"Venus.bmp", 512, 256, 24},
    {"earth.bmp", 512, 256, 24},     {"Moon.bmp", 512, 256, 24},      {"Mars.bmp", 512, 256, 24},
    {"Jupiter.bmp", 512, 256, 24},   {"saturn.bmp", 512, 256, 24},    {"Uranus.bmp", 512, 256, 24},
    {"Neptune.bmp", 512, 256, 24},   {"Pluto.bmp", 512, 256, 24},     {"c.bmp", 256, 256, 24},
    {"bbb.bmp", 512, 256, 24},       {"personface.bmp", 256, 256, 8}, {"personbody.bmp", 256, 256, 8},
    {"personjean.bmp", 256, 256, 8}, {"b3.bmp", 512, 128, 24},        {"space2.bmp", 1024, 1024, 24},
};
// What the build writes from the real maps: the bodies as large as their
// maps allow up to 2048 x 1024, the rest as painted.
const Expected builtPictures[] = {
    {"Sun.bmp", 512, 256, 24},       {"Mercury.bmp", 512, 256, 24},   {"Venus.bmp", 512, 256, 24},
    {"earth.bmp", 2048, 1024, 24},   {"Moon.bmp", 2048, 1024, 24},    {"Mars.bmp", 512, 256, 24},
    {"Jupiter.bmp", 512, 256, 24},   {"saturn.bmp", 512, 256, 24},    {"Uranus.bmp", 512, 256, 24},
    {"Neptune.bmp", 512, 256, 24},   {"Pluto.bmp", 512, 256, 24},     {"c.bmp", 256, 256, 24},
    {"bbb.bmp", 512, 256, 24},       {"personface.bmp", 256, 256, 8}, {"personbody.bmp", 256, 256, 8},
    {"personjean.bmp", 256, 256, 8}, {"b3.bmp", 512, 128, 24},        {"space2.bmp", 1024, 1024, 24},
};

// Each body's picture and the map it is made from, under the maps' root.
struct BodySource {
    const char* body;
    const char* picture;
    const char* map;
};
const BodySource bodySources[] = {
    {"Sun", "Sun.bmp", "usr/share/stellarium/textures/sun.png"},
    {"Mercury", "Mercury.bmp", "usr/share/stellarium/textures/mercury.png"},
    {"Venus", "Venus.bmp", "usr/share/stellarium/textures/venus.png"},
    {"Earth", "earth.bmp", "usr/share/xplanet/images/earth.jpg"},
    {"Moon", "Moon.bmp", "usr/share/stellarium/textures/moon_4k.jpg"},
    {"Mars", "Mars.bmp", "usr/share/stellarium/textures/mars.png"},
    {"Jupiter", "Jupiter.bmp", "usr/share/stellarium/textures/jupiter.png"},
    {"Saturn", "saturn.bmp", "usr/share/stellarium/textures/saturn.png"},
    {"Uranus", "Uranus.bmp", "usr/share/stellarium/textures/uranus.png"},
    {"Neptune", "Neptune.bmp", "usr/share/stellarium/textures/neptune.png"},
    {"Pluto", "Pluto.bmp", "usr/share/stellarium/textures/pluto.png"},
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

CommandOutput makeTextures(const std::string& arguments)
{
    return runCommand("'" MAKE_TEXTURES "' " + arguments + " 2>&1");
}

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

void expectBitmapsOfSizes(const fs::path& dir, const Expected (&pictures)[18])
{
    RecordedBoxes boxes;
    for (const Expected& e : pictures) {
        SCOPED_TRACE(e.name);
        const fs::path path = dir / e.name;
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
    readBmp((dir / "space2.bmp").string().c_str(), &sky);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(sky.width, 1024);
    std::free(sky.pixels);
    EXPECT_TRUE(boxes.texts.empty());
}

// A picture reduced to a grid of cells, each the mean brightness (or one
// channel) of the pixels under it; row 0 of the grid is the north.
constexpr int GRID_W = 64, GRID_H = 32;
using Grid = std::vector<double>;

// `channel` 0 to 2, or 3 for the sum of the three.  `topFirst` says the
// order of the rows; `mirrored` reads the columns from the right.
Grid gridOf(const unsigned char* pixels, int width, int height, int channels, bool topFirst, bool mirrored,
            int channel = 3)
{
    Grid grid(GRID_W * GRID_H, 0.0);
    const int cellW = width / GRID_W, cellH = height / GRID_H;
    for (int y = 0; y < height; ++y) {
        const int northRow = topFirst ? y : height - 1 - y;
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = pixels + (static_cast<std::size_t>(y) * width + x) * channels;
            const double v = channel == 3 ? p[0] + p[1] + p[2] : p[channel];
            const int column = mirrored ? width - 1 - x : x;
            grid[(northRow / cellH) * GRID_W + column / cellW] += v;
        }
    }
    for (double& cell : grid)
        cell /= static_cast<double>(cellW) * cellH;
    return grid;
}

// The correlation of what varies along each row of two grids: each grid
// row's mean is taken off first, so horizontal bands, which look the same
// mirrored, count for nothing.
double rowDetailCorrelation(const Grid& a, const Grid& b)
{
    double ab = 0, aa = 0, bb = 0;
    for (int row = 0; row < GRID_H; ++row) {
        double meanA = 0, meanB = 0;
        for (int x = 0; x < GRID_W; ++x) {
            meanA += a[row * GRID_W + x] / GRID_W;
            meanB += b[row * GRID_W + x] / GRID_W;
        }
        for (int x = 0; x < GRID_W; ++x) {
            const double da = a[row * GRID_W + x] - meanA, db = b[row * GRID_W + x] - meanB;
            ab += da * db;
            aa += da * da;
            bb += db * db;
        }
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

// The mean of one channel over a quarter of a grid: `east` the right half
// as a globe shows it, `north` the upper half.
double quarterMean(const Grid& grid, bool north, bool east)
{
    double sum = 0;
    for (int row = north ? 0 : GRID_H / 2; row < (north ? GRID_H / 2 : GRID_H); ++row)
        for (int x = east ? GRID_W / 2 : 0; x < (east ? GRID_W : GRID_W / 2); ++x)
            sum += grid[row * GRID_W + x];
    return sum / (GRID_W * GRID_H / 4);
}

// The pictures of `make-textures --painted`, made once for the tests here.
class PaintedPictures : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir = new TempDir;
        const CommandOutput out = makeTextures(quoted(dir->path) + " --painted");
        ASSERT_EQ(out.status, 0) << out.text;
        // Asked for, the painting is no news.
        EXPECT_EQ(out.text, "");
    }
    static void TearDownTestSuite()
    {
        delete dir;
        dir = nullptr;
    }
    static fs::path folder() { return dir->path; }
    static TempDir* dir;
};
TempDir* PaintedPictures::dir = nullptr;

}  // namespace

TEST_F(PaintedPictures, EveryPictureIsABitmapTheLoadersTakeWithTexturableSizes)
{
    expectBitmapsOfSizes(folder(), paintedPictures);
}

TEST_F(PaintedPictures, ColoursSayWhatEachBodyIs)
{
    auto mean = [](const char* name) {
        ImageRGB* image = loadDibImage((folder() / name).string().c_str());
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

TEST_F(PaintedPictures, EmptyMapsRootPaintsEveryBodyAndNamesThemInOneLine)
{
    TempDir root, out;
    const CommandOutput result = makeTextures(quoted(out.path) + " --maps-root " + quoted(root.path));
    EXPECT_EQ(result.status, 0) << result.text;
    EXPECT_EQ(result.text, "make-textures: painted Sun, Mercury, Venus, Earth, Moon, Mars, Jupiter, Saturn, Uranus, "
                           "Neptune, Pluto: their maps (stellarium-data, xplanet-images) are not under " +
                               root.path.string() + "\n");
    for (const Expected& e : paintedPictures)
        EXPECT_EQ(readFileBytes(out.path / e.name), readFileBytes(folder() / e.name)) << e.name;
}

TEST_F(PaintedPictures, OnlyTheBodiesWithoutTheirMapFallBack)
{
    // The Earth's map alone, under a root of its own.
    TempDir root, out;
    const fs::path earthMap = root.path / "usr/share/xplanet/images/earth.jpg";
    fs::create_directories(earthMap.parent_path());
    fs::copy_file(fs::path(SOLAR_MAPS_ROOT) / "usr/share/xplanet/images/earth.jpg", earthMap);
    const CommandOutput result = makeTextures(quoted(out.path) + " --maps-root " + quoted(root.path));
    EXPECT_EQ(result.status, 0) << result.text;
    EXPECT_EQ(result.text, "make-textures: painted Sun, Mercury, Venus, Moon, Mars, Jupiter, Saturn, Uranus, "
                           "Neptune, Pluto: their maps (stellarium-data) are not under " +
                               root.path.string() + "\n");
    EXPECT_EQ(readFileBytes(out.path / "earth.bmp"), readFileBytes(fs::path(SOLAR_PICTURE_DIR) / "earth.bmp"));
    EXPECT_EQ(readFileBytes(out.path / "Moon.bmp"), readFileBytes(folder() / "Moon.bmp"));
}

TEST(MakeTextures, AMapThatCannotBeReadIsAnErrorAndLeavesNoPicture)
{
    TempDir root, out;
    const fs::path sunMap = root.path / "usr/share/stellarium/textures/sun.png";
    fs::create_directories(sunMap.parent_path());
    writeFile(sunMap, "\x89PNG\r\n\x1a\n but nothing after");
    const CommandOutput result = makeTextures(quoted(out.path) + " --maps-root " + quoted(root.path));
    EXPECT_EQ(result.status, 1) << result.text;
    // The decoder's line, naming the file, comes first; the fallback line
    // names the others.
    EXPECT_EQ(result.text.rfind("make-textures: ", 0), 0u) << result.text;
    EXPECT_NE(result.text.substr(0, result.text.find('\n')).find(sunMap.string()), std::string::npos) << result.text;
    EXPECT_NE(result.text.find("make-textures: painted Mercury, Venus, Earth,"), std::string::npos) << result.text;
    EXPECT_FALSE(fs::exists(out.path / "Sun.bmp"));
    EXPECT_TRUE(fs::exists(out.path / "Mercury.bmp"));
}

TEST(MakeTextures, PaintedAndMapsRootExcludeEachOther)
{
    TempDir out;
    const CommandOutput result = makeTextures(quoted(out.path) + " --painted --maps-root /");
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.text.rfind("make-textures: ", 0), 0u) << result.text;
    EXPECT_TRUE(fs::is_empty(out.path));
}

TEST(BodyPictures, EveryPictureIsABitmapTheLoadersTakeWithTexturableSizes)
{
    expectBitmapsOfSizes(SOLAR_PICTURE_DIR, builtPictures);
}

TEST(BodyPictures, EachAgreesWithItsMapScaledAndMirrored)
{
    RecordedBoxes boxes;
    for (const BodySource& source : bodySources) {
        SCOPED_TRACE(source.body);
        const fs::path mapFile = fs::path(SOLAR_MAPS_ROOT) / source.map;
        ASSERT_TRUE(fs::exists(mapFile)) << mapFile << " is missing: scripts/install-deps.sh installs the maps";
        PictureData map{};
        char message[PICTURE_MESSAGE_SIZE] = "";
        ASSERT_EQ(readPicture(mapFile.c_str(), 3, &map, message), PICTURE_OK) << message;
        ImageRGB* picture = loadDibImage((fs::path(SOLAR_PICTURE_DIR) / source.picture).string().c_str());
        ASSERT_NE(picture, nullptr);

        // The mean colour of each quarter, as a globe shows it: the
        // picture's east is the map's east, mirrored into place.
        for (int channel = 0; channel < 3; ++channel) {
            const Grid seen = gridOf(picture->pixels, picture->width, picture->height, 3, false, true, channel);
            const Grid drawn = gridOf(map.pixels, map.width, map.height, 3, true, false, channel);
            for (bool north : {true, false})
                for (bool east : {true, false})
                    EXPECT_NEAR(quarterMean(seen, north, east), quarterMean(drawn, north, east), 1.5)
                        << "channel " << channel << (north ? " north" : " south") << (east ? " east" : " west");
        }
        // The detail along each row follows the mirrored map, and not the
        // map as it is.
        const Grid picked = gridOf(picture->pixels, picture->width, picture->height, 3, false, false);
        const Grid mirroredMap = gridOf(map.pixels, map.width, map.height, 3, true, true);
        const Grid plainMap = gridOf(map.pixels, map.width, map.height, 3, true, false);
        const double withMirrored = rowDetailCorrelation(picked, mirroredMap);
        const double withPlain = rowDetailCorrelation(picked, plainMap);
        EXPECT_GT(withMirrored, 0.99);
        EXPECT_LT(withPlain, 0.6);
        std::printf("%s: correlation %.4f with the mirrored map, %.4f with the map as it is\n", source.body,
                    withMirrored, withPlain);
        freeImage(picture);
        freePicture(&map);
    }
    EXPECT_TRUE(boxes.texts.empty());
}

TEST(BodyPictures, MakingThemAgainGivesTheSameBytes)
{
    TempDir dir;
    const CommandOutput out = makeTextures(quoted(dir.path) + " --maps-root " + quoted(SOLAR_MAPS_ROOT));
    ASSERT_EQ(out.status, 0) << out.text;
    EXPECT_EQ(out.text, "") << "the build's maps are all there";
    for (const Expected& e : builtPictures)
        EXPECT_EQ(readFileBytes(dir.path / e.name), readFileBytes(fs::path(SOLAR_PICTURE_DIR) / e.name)) << e.name;
}
