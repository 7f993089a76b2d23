// A body's picture made by make-textures from a marked map, drawn by the
// viewer's own close-up in a real window: the marks land where a globe has
// them, east to the right of west and north up.  The map as it is, without
// make-textures, lands mirrored, which is why the tool mirrors it.
#include <gtest/gtest.h>

#include "core/viewer_state.h"
#include "image/image.h"
#include "image/picture.h"
#include "render/gl_handles.h"
#include "tests/support/files.h"
#include "tests/support/pictures.h"
#include "tests/support/render_fixture.h"
#include "tests/support/x_session.h"

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int MAP_W = 1024, MAP_H = 512;

enum Mark { NONE, RED, GREEN, BLUE };

// A map with the usual layout (west on the left, north at the top, rows top
// first) on grey: at eight longitudes, a red square 25 degrees north, a
// green one 15 degrees east of it, and a blue one 25 degrees south of the
// red one.
std::vector<unsigned char> markedMap()
{
    std::vector<unsigned char> rgb(static_cast<std::size_t>(MAP_W) * MAP_H * 3, 90);
    auto square = [&](double lon, double lat, unsigned char r, unsigned char g, unsigned char b) {
        const int cx = static_cast<int>((lon + 180) / 360 * MAP_W), cy = static_cast<int>((90 - lat) / 180 * MAP_H);
        for (int y = cy - 14; y <= cy + 14; ++y)
            for (int x = cx - 14; x <= cx + 14; ++x) {
                unsigned char* p = &rgb[(static_cast<std::size_t>(y) * MAP_W + (x + MAP_W) % MAP_W) * 3];
                p[0] = r;
                p[1] = g;
                p[2] = b;
            }
    };
    for (int k = 0; k < 8; ++k) {
        const double lon = -180 + 22.5 + 45 * k;
        square(lon, 25, 230, 20, 20);
        square(lon + 15, 25, 20, 230, 20);
        square(lon, -25, 20, 20, 230);
    }
    return rgb;
}

Mark markAt(Rgb c)
{
    if (c.r > 150 && c.g < 90 && c.b < 90)
        return RED;
    if (c.g > 150 && c.r < 90 && c.b < 90)
        return GREEN;
    if (c.b > 150 && c.r < 90 && c.g < 90)
        return BLUE;
    return NONE;
}

struct Blob {
    Mark mark;
    double x, y;  // centre, window pixels, y up
    long pixels;
    bool cut;  // touches the frame's edge
};

// The connected patches of each mark's colour in a frame.
std::vector<Blob> blobsOf(const Frame& frame)
{
    std::vector<int> seen(static_cast<std::size_t>(frame.width) * frame.height, 0);
    std::vector<Blob> blobs;
    for (int y0 = 0; y0 < frame.height; ++y0)
        for (int x0 = 0; x0 < frame.width; ++x0) {
            const Mark mark = markAt(frame.at(x0, y0));
            if (mark == NONE || seen[static_cast<std::size_t>(y0) * frame.width + x0])
                continue;
            Blob blob{mark, 0, 0, 0, false};
            std::vector<std::pair<int, int>> stack{{x0, y0}};
            seen[static_cast<std::size_t>(y0) * frame.width + x0] = 1;
            while (!stack.empty()) {
                const auto [x, y] = stack.back();
                stack.pop_back();
                blob.x += x;
                blob.y += y;
                ++blob.pixels;
                blob.cut = blob.cut || x == 0 || y == 0 || x == frame.width - 1 || y == frame.height - 1;
                for (const auto& [dx, dy] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}}) {
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= frame.width || ny >= frame.height)
                        continue;
                    int& s = seen[static_cast<std::size_t>(ny) * frame.width + nx];
                    if (!s && markAt(frame.at(nx, ny)) == mark) {
                        s = 1;
                        stack.push_back({nx, ny});
                    }
                }
            }
            if (blob.pixels >= 40) {
                blob.x /= blob.pixels;
                blob.y /= blob.pixels;
                blobs.push_back(blob);
            }
        }
    return blobs;
}

// The nearest blob of `mark` no further than `reachX` across and `reachY`
// up or down from `from`.
const Blob* nearest(const std::vector<Blob>& blobs, const Blob& from, Mark mark, double reachX, double reachY)
{
    const Blob* best = nullptr;
    double bestDistance = 1e30;
    for (const Blob& b : blobs) {
        const double d = std::hypot(b.x - from.x, b.y - from.y);
        if (b.mark == mark && std::abs(b.x - from.x) <= reachX && std::abs(b.y - from.y) <= reachY &&
            d < bestDistance) {
            bestDistance = d;
            best = &b;
        }
    }
    return best;
}

// How the marks of a close-up sit: for every whole red mark, whether the
// green one beside it (15 degrees east on the map) is to its right, and the
// blue one in line with it (south on the map) below it.  A mark's own width
// sets the reach: the green partner sits about one and a half widths away,
// the next pair's green three.
struct Placement {
    int reds = 0;
    int greenRight = 0, greenLeft = 0;
    int blueBelow = 0, blueAbove = 0;
};

Placement placementIn(const Frame& frame)
{
    const std::vector<Blob> blobs = blobsOf(frame);
    Placement p;
    for (const Blob& red : blobs) {
        if (red.mark != RED || red.cut)
            continue;
        const double size = std::sqrt(static_cast<double>(red.pixels));
        const Blob* green = nearest(blobs, red, GREEN, 2 * size, size);
        const Blob* blue = nearest(blobs, red, BLUE, size, 1e9);
        if (!green || !blue)
            continue;
        ++p.reds;
        (green->x > red.x ? p.greenRight : p.greenLeft)++;
        (blue->y < red.y ? p.blueBelow : p.blueAbove)++;
    }
    return p;
}

// The Earth's close-up, turned by `spin` degrees, with `picture` (rows
// bottom first) as the Earth's texture.
Frame earthCloseUp(const ImageRGB& picture, float spin)
{
    resetViewer();
    uploadTexture(textureIds[SLOT_EARTH], picture.width, picture.height, picture.pixels);
    viewMode = 3;
    earthSpin = spin;
    return drawFrame();
}

class CloseUpOrientation : public ::testing::Test {
protected:
    // make-textures runs once: the marked map stands in for the Earth's map
    // under a root of its own (the decoder tells PNG from JPEG by the bytes,
    // not the name).
    static void SetUpTestSuite()
    {
        map = new std::vector<unsigned char>(markedMap());
        folder = new TempDir;
        const fs::path mapFile = folder->path / "root/usr/share/xplanet/images/earth.jpg";
        fs::create_directories(mapFile.parent_path());
        const PictureData data{MAP_W, MAP_H, 3, map->data()};
        char message[PICTURE_MESSAGE_SIZE] = "";
        ASSERT_EQ(writePng(mapFile.c_str(), data, message), PICTURE_OK) << message;
        const CommandOutput out = runCommand("'" MAKE_TEXTURES "' '" + folder->file("image") + "' --maps-root '" +
                                             folder->file("root") + "' 2>/dev/null");
        ASSERT_EQ(out.status, 0);
    }
    static void TearDownTestSuite()
    {
        delete folder;
        delete map;
    }

    void SetUp() override
    {
        made = loadDibImage(folder->file("image/earth.bmp").c_str());
        ASSERT_NE(made, nullptr);
        ASSERT_EQ(made->width, MAP_W);
        // The map as it is, bottom row first as a texture takes it.
        plain.width = MAP_W;
        plain.height = MAP_H;
        plainPixels.resize(map->size());
        const std::size_t row = MAP_W * 3;
        for (int y = 0; y < MAP_H; ++y)
            std::copy_n(&(*map)[y * row], row, &plainPixels[(MAP_H - 1 - y) * row]);
        plain.pixels = plainPixels.data();
    }
    void TearDown() override
    {
        freeImage(made);
        resetViewer();
        installTestTextures();
    }

    static std::vector<unsigned char>* map;
    static TempDir* folder;
    ImageRGB* made = nullptr;
    ImageRGB plain{};
    std::vector<unsigned char> plainPixels;
};
std::vector<unsigned char>* CloseUpOrientation::map = nullptr;
TempDir* CloseUpOrientation::folder = nullptr;

}  // namespace

TEST_F(CloseUpOrientation, MarksOfTheMadePictureSitAsOnAGlobe)
{
    int reds = 0;
    for (float spin : {0.0f, 100.0f, 230.0f}) {
        SCOPED_TRACE("spin " + std::to_string(spin));
        const Frame frame = earthCloseUp(*made, spin);
        if (spin == 0)
            saveShot(frame, "orientation-made");
        const Placement p = placementIn(frame);
        EXPECT_GE(p.reds, 1) << "no whole mark in view";
        EXPECT_EQ(p.greenRight, p.reds) << "east shows left of west";
        EXPECT_EQ(p.blueBelow, p.reds) << "south shows above north";
        reds += p.reds;
    }
    EXPECT_GE(reds, 4);
}

TEST_F(CloseUpOrientation, TheMapAsItIsWouldShowMirrored)
{
    for (float spin : {0.0f, 100.0f, 230.0f}) {
        SCOPED_TRACE("spin " + std::to_string(spin));
        const Frame frame = earthCloseUp(plain, spin);
        if (spin == 0)
            saveShot(frame, "orientation-plain");
        const Placement p = placementIn(frame);
        EXPECT_GE(p.reds, 1);
        EXPECT_EQ(p.greenLeft, p.reds) << "the sphere no longer mirrors its picture";
        EXPECT_EQ(p.blueBelow, p.reds);
    }
}

int main(int argc, char** argv) { return runTestsInViewerWindow(argc, argv); }
