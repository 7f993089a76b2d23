// objtool view --snapshot: real frames from a real window (needs DISPLAY).
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <cstdlib>
#include <cstring>
#include <png.h>
#include <vector>

#include "tests/tools/objtool/support.h"

namespace {

struct Picture {
    int width = 0, height = 0;
    unsigned char* pixels = nullptr;
    ~Picture() { std::free(pixels); }
    const unsigned char* at(int x, int y) const { return pixels + 3 * (y * width + x); }
};

bool load(const std::string& path, Picture* picture)
{
    picture->pixels = glmLoadPPM(path.c_str(), &picture->width, &picture->height);
    return picture->pixels != nullptr;
}

bool differs(const unsigned char* a, const unsigned char* b) { return std::memcmp(a, b, 3) != 0; }

// A PNG file through libpng, top row first like the PPM pictures.
bool loadPng(const std::string& path, Picture* picture)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str()))
        return false;
    image.format = PNG_FORMAT_RGB;
    picture->width = static_cast<int>(image.width);
    picture->height = static_cast<int>(image.height);
    picture->pixels = static_cast<unsigned char*>(std::malloc(PNG_IMAGE_SIZE(image)));
    return png_image_finish_read(&image, nullptr, picture->pixels, 0, nullptr) != 0;
}

// Red, green and blue each above or below the middle: 'r', 'g', 'b', 'y'
// (yellow), 'k' (dark) and so on, enough to tell the test models' colours.
char colourOf(const unsigned char* p)
{
    const bool r = p[0] > 128, g = p[1] > 128, b = p[2] > 128;
    return r && g && !b    ? 'y'
           : r && !g && !b ? 'r'
           : !r && g && !b ? 'g'
           : !r && !g && b ? 'b'
           : r && !g && b  ? 'm'
           : r && g && b   ? 'w'
                           : 'k';
}

class ObjtoolView : public testing::Test {
protected:
    void SetUp() override
    {
        const char* display = std::getenv("DISPLAY");
        if (!display || !*display)
            GTEST_SKIP() << "no DISPLAY";
        // In a sanitizer build the GL driver is unloaded before the leak
        // checker runs, which then reports the driver's own allocations
        // without a module to suppress them by: the window processes run
        // without it.
        const char* asan = std::getenv("ASAN_OPTIONS");
        ::setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
        writeFile(dir.file("torus.obj"), "mtllib torus.mtl\nusemtl red\n" + torusObj(48, 24));
        writeFile(dir.file("torus.mtl"), "newmtl red\nKd 0.9 0.1 0.1\nKa 0.3 0 0\n");
    }

    void snapshot(const std::string& name, std::vector<std::string> options, Picture* picture)
    {
        std::vector<std::string> args = {"view", dir.file("torus.obj"), "--snapshot", dir.file(name)};
        args.insert(args.end(), options.begin(), options.end());
        RunResult r = runObjtool(args);
        ASSERT_EQ(r.status, 0) << r.err;
        ASSERT_TRUE(load(dir.file(name), picture));
    }

    TempDir dir;
};

TEST_F(ObjtoolView, SnapshotShowsTheModelCentred)
{
    Picture p;
    snapshot("smooth.ppm", {"--size", "320x240"}, &p);
    ASSERT_EQ(p.width, 320);
    ASSERT_EQ(p.height, 240);
    const unsigned char* background = p.at(0, 0);
    int minX = p.width, maxX = -1, minY = p.height, maxY = -1, count = 0;
    for (int y = 0; y < p.height; y++)
        for (int x = 0; x < p.width; x++)
            if (differs(p.at(x, y), background)) {
                count++;
                minX = std::min(minX, x), maxX = std::max(maxX, x);
                minY = std::min(minY, y), maxY = std::max(maxY, y);
            }
    // A torus seen face on: a ring that fills most of the height.
    EXPECT_GT(count, p.width * p.height / 10);
    EXPECT_LT(count, p.width * p.height * 9 / 10);
    EXPECT_GT(maxY - minY, p.height * 3 / 4);
    EXPECT_NEAR((minX + maxX) / 2.0, (p.width - 1) / 2.0, 3.0);
    EXPECT_NEAR((minY + maxY) / 2.0, (p.height - 1) / 2.0, 3.0);
    // The hole in the middle shows the background.
    EXPECT_FALSE(differs(p.at(p.width / 2, p.height / 2), background));
}

TEST_F(ObjtoolView, DrawModesGiveDifferentPictures)
{
    Picture smooth, flat, colour, wire;
    snapshot("smooth.ppm", {"--size", "200x200", "--mode", "smooth"}, &smooth);
    snapshot("flat.ppm", {"--size", "200x200", "--mode", "flat"}, &flat);
    snapshot("colour.ppm", {"--size", "200x200", "--mode", "color"}, &colour);
    snapshot("wire.ppm", {"--size", "200x200", "--wireframe"}, &wire);
    auto countDifferent = [](const Picture& a, const Picture& b) {
        int n = 0;
        for (int i = 0; i < a.width * a.height; i++)
            n += differs(a.pixels + 3 * i, b.pixels + 3 * i);
        return n;
    };
    // Faceted shading changes many pixels of the same silhouette.
    EXPECT_GT(countDifferent(smooth, flat), 2000);
    EXPECT_GT(countDifferent(smooth, wire), 2000);
    // The colour mode draws with the material's red.
    int red = 0, grey = 0;
    for (int i = 0; i < colour.width * colour.height; i++) {
        const unsigned char* c = colour.pixels + 3 * i;
        red += c[0] > 2 * c[1] + 20 && c[0] > 2 * c[2] + 20;
        const unsigned char* s = smooth.pixels + 3 * i;
        grey += s[0] > 2 * s[1] + 20;
    }
    EXPECT_GT(red, 2000);
    EXPECT_EQ(grey, 0);
}

// The output of a shell command, without the last line break.
std::string shell(const std::string& command)
{
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[512];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        ::pclose(pipe);
    }
    while (!out.empty() && out.back() == '\n')
        out.pop_back();
    return out;
}

// Polls the window's title until it contains `text`.
std::string waitForTitle(const std::string& window, const std::string& text)
{
    std::string title;
    for (int i = 0; i < 100; i++) {
        title = shell("xdotool getwindowname " + window);
        if (title.find(text) != std::string::npos)
            break;
        ::usleep(20000);
    }
    return title;
}

// The window's pixels, through ImageMagick's screen grab.
std::string grab(const std::string& window, const std::string& path)
{
    shell("import -window " + window + " ppm:" + path);
    return readFile(path);
}

TEST_F(ObjtoolView, KeysAndMouseDriveTheWindow)
{
    if (shell("command -v xdotool && command -v import").empty())
        GTEST_SKIP() << "xdotool or import missing";
    int pid = startObjtool({"view", dir.file("torus.obj"), "--size", "300x300"}, dir.file("out"), dir.file("err"));
    ASSERT_GT(pid, 0);
    std::string window = shell("timeout 10 xdotool search --sync --name '^torus.obj - 2304 triangles' | head -1");
    if (window.empty()) {
        waitObjtool(pid, 0);
        FAIL() << "no window; " << readFile(dir.file("err"));
    }
    // A model with materials starts in the material drawing.
    EXPECT_NE(waitForTitle(window, "material, lit, smoothing 90 deg").find("material, lit, smoothing 90 deg"),
              std::string::npos);
    shell("xdotool windowfocus --sync " + window);
    std::string before = grab(window, dir.file("before.ppm"));

    shell("xdotool key f");
    EXPECT_NE(waitForTitle(window, "flat,").find("flat, lit"), std::string::npos);
    shell("xdotool key bracketleft bracketleft bracketright l w");
    EXPECT_NE(waitForTitle(window, "85 deg").find("flat, unlit, wireframe, smoothing 85 deg"), std::string::npos);
    shell("xdotool key w l s n");
    EXPECT_NE(waitForTitle(window, "smooth, lit, smoothing").find("smooth, lit, smoothing 85 deg"), std::string::npos);

    // A left drag orbits the model: the picture changes.
    shell("xdotool mousemove --window " + window + " 150 150 mousedown 1 mousemove --window " + window +
          " 220 180 mouseup 1");
    std::string after;
    for (int i = 0; i < 50 && (after = grab(window, dir.file("after.ppm"))) == before; i++)
        ::usleep(20000);
    EXPECT_FALSE(before.empty());
    EXPECT_NE(after, before);

    shell("xdotool key q");
    EXPECT_EQ(waitObjtool(pid, 10), 0) << readFile(dir.file("err"));
}

TEST_F(ObjtoolView, ATexturedMultiMaterialModelShowsItsTextureAndColours)
{
    // Three quads: a PNG texture (green left, yellow right), plain red, and
    // blue with a texture that does not exist.
    for (const char* name : {"textured.obj", "textured.mtl", "checker texture.png"})
        std::filesystem::copy(testDataDir() / "models" / name, dir.path / name);
    RunResult r = runObjtool(
        {"view", dir.file("textured.obj"), "--snapshot", dir.file("shot.png"), "--size", "400x200", "--unlit"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "objtool: warning: textured.obj: texture \"" + dir.file("nowhere.jpg") +
                         "\": No such file or directory; drawn without it\n");
    EXPECT_EQ(readFile(dir.file("shot.png")).substr(0, 4), "\x89PNG");
    Picture p;
    ASSERT_TRUE(loadPng(dir.file("shot.png"), &p));
    ASSERT_EQ(p.width, 400);
    ASSERT_EQ(p.height, 200);
    // The quads span x = -3..3: find that span on the middle row, then
    // sample each quad's parts.
    int left = 0, right = p.width - 1;
    while (left < p.width && !differs(p.at(left, 100), p.at(0, 0)))
        left++;
    while (right > 0 && !differs(p.at(right, 100), p.at(0, 0)))
        right--;
    ASSERT_LT(left, right);
    auto sample = [&](float x) { return colourOf(p.at(static_cast<int>(left + (x + 3) / 6 * (right - left)), 100)); };
    EXPECT_EQ(sample(-2.6f), 'g');
    EXPECT_EQ(sample(-1.4f), 'y');
    EXPECT_EQ(sample(-0.5f), 'r');
    EXPECT_EQ(sample(0.5f), 'r');
    EXPECT_EQ(sample(2.0f), 'b');
    EXPECT_EQ(colourOf(p.at(5, 5)), 'k');

    // The same frame as PPM.
    r = runObjtool(
        {"view", dir.file("textured.obj"), "--snapshot", dir.file("shot.ppm"), "--size", "400x200", "--unlit"});
    ASSERT_EQ(r.status, 0) << r.err;
    Picture ppm;
    ASSERT_TRUE(load(dir.file("shot.ppm"), &ppm));
    EXPECT_EQ(std::memcmp(ppm.pixels, p.pixels, 400 * 200 * 3), 0);
}

TEST_F(ObjtoolView, LinesPointsAndVertexColoursAreDrawn)
{
    // A triangle coloured red, green and blue at its corners, a line and a
    // point beside it.
    writeFile(dir.file("coloured.obj"), "v -1 -1 0 1 0 0\nv 1 -1 0 0 1 0\nv 0 1 0 0 0 1\nv -1 1 0 1 1 1\n"
                                        "v 1 1 0 1 1 1\nv 1.2 0 0 1 1 0\nf 1 2 3\nl 4 5\np 6\n");
    RunResult r =
        runObjtool({"view", dir.file("coloured.obj"), "--snapshot", dir.file("c.ppm"), "--size", "200x200", "--unlit"});
    ASSERT_EQ(r.status, 0) << r.err;
    Picture p;
    ASSERT_TRUE(load(dir.file("c.ppm"), &p));
    int counts[128] = {};
    for (int y = 0; y < p.height; y++)
        for (int x = 0; x < p.width; x++)
            counts[static_cast<unsigned char>(colourOf(p.at(x, y)))]++;
    // Each corner's colour fills its own part of the triangle; the white
    // line and the yellow point show.
    auto count = [&](unsigned char colour) { return counts[colour]; };
    EXPECT_GT(count('r'), 300);
    EXPECT_GT(count('g'), 300);
    EXPECT_GT(count('b'), 300);
    EXPECT_GT(count('w'), 100);
    EXPECT_GT(count('y'), 4);

    // A model of lines and points alone is not an empty picture.
    std::filesystem::copy(testDataDir() / "models" / "lines_and_points.obj", dir.path / "lp.obj");
    r = runObjtool({"view", dir.file("lp.obj"), "--snapshot", dir.file("lp.ppm"), "--size", "100x100"});
    ASSERT_EQ(r.status, 0) << r.err;
    Picture lp;
    ASSERT_TRUE(load(dir.file("lp.ppm"), &lp));
    int drawn = 0;
    for (int i = 0; i < lp.width * lp.height; i++)
        drawn += differs(lp.pixels + 3 * i, lp.pixels);
    EXPECT_GT(drawn, 100);
}

// Solid 4 x 4 pictures of one colour in each format view reads.
void writeBmp(const std::string& path, const unsigned char rgb[3])
{
    std::string file = "BM";
    auto le32 = [&](unsigned v) {
        for (int i = 0; i < 4; i++)
            file += static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    auto le16 = [&](unsigned v) {
        file += static_cast<char>(v & 0xFF);
        file += static_cast<char>(v >> 8);
    };
    le32(54 + 48), le32(0), le32(54);
    le32(40), le32(4), le32(4), le16(1), le16(24), le32(0), le32(48), le32(2835), le32(2835), le32(0), le32(0);
    for (int i = 0; i < 16; i++)
        file += {static_cast<char>(rgb[2]), static_cast<char>(rgb[1]), static_cast<char>(rgb[0])};
    writeFile(path, file);
}

void writePpm(const std::string& path, const unsigned char rgb[3])
{
    std::string file = "P6\n4 4\n255\n";
    for (int i = 0; i < 16; i++)
        file.append(reinterpret_cast<const char*>(rgb), 3);
    writeFile(path, file);
}

void writePngFile(const std::string& path, const unsigned char rgb[3])
{
    std::vector<unsigned char> pixels;
    for (int i = 0; i < 16; i++)
        pixels.insert(pixels.end(), rgb, rgb + 3);
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = image.height = 4;
    image.format = PNG_FORMAT_RGB;
    png_image_write_to_file(&image, path.c_str(), 0, pixels.data(), 0, nullptr);
}

// A verbatim SGI picture: the 512-byte header, then the red, green and
// blue planes.
void writeSgi(const std::string& path, const unsigned char rgb[3])
{
    std::string file(512, '\0');
    const unsigned char header[] = {0x01, 0xDA, 0, 1, 0, 3, 0, 4, 0, 4, 0, 3, 0, 0, 0, 0, 0, 0, 0, 255};
    file.replace(0, sizeof header, reinterpret_cast<const char*>(header), sizeof header);
    for (int c = 0; c < 3; c++)
        file.append(16, static_cast<char>(rgb[c]));
    writeFile(path, file);
}

TEST_F(ObjtoolView, TexturesInEveryFormatViewReads)
{
    struct Format {
        const char* file;
        unsigned char rgb[3];
        char colour;
    } formats[] = {
        {"red.bmp", {255, 0, 0}, 'r'},      {"green.ppm", {0, 255, 0}, 'g'},     {"blue.png", {0, 0, 255}, 'b'},
        {"yellow.jpg", {255, 255, 0}, 'y'}, {"magenta.rgb", {255, 0, 255}, 'm'},
    };
    writeBmp(dir.file("red.bmp"), formats[0].rgb);
    writePpm(dir.file("green.ppm"), formats[1].rgb);
    writePngFile(dir.file("blue.png"), formats[2].rgb);
    if (std::system(("convert -size 4x4 xc:yellow " + dir.file("yellow.jpg") + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "ImageMagick's convert is missing";
    writeSgi(dir.file("magenta.rgb"), formats[4].rgb);
    // Five white quads side by side, each textured with one picture.
    std::string obj = "mtllib five.mtl\nvt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n", mtl;
    for (int i = 0; i < 5; i++) {
        const float x = i * 2.2f;
        obj += "v " + std::to_string(x) + " 0 0\nv " + std::to_string(x + 2) + " 0 0\nv " + std::to_string(x + 2) +
               " 2 0\nv " + std::to_string(x) + " 2 0\n";
        obj += "g q" + std::to_string(i) + "\nusemtl t" + std::to_string(i) + "\nf " + std::to_string(4 * i + 1) +
               "/1 " + std::to_string(4 * i + 2) + "/2 " + std::to_string(4 * i + 3) + "/3 " +
               std::to_string(4 * i + 4) + "/4\n";
        mtl += "newmtl t" + std::to_string(i) + "\nKd 1 1 1\nKa 1 1 1\nmap_Kd " + formats[i].file + "\n";
    }
    writeFile(dir.file("five.obj"), obj);
    writeFile(dir.file("five.mtl"), mtl);
    RunResult r =
        runObjtool({"view", dir.file("five.obj"), "--snapshot", dir.file("five.ppm"), "--size", "500x120", "--unlit"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    Picture p;
    ASSERT_TRUE(load(dir.file("five.ppm"), &p));
    const int row = p.height / 2;
    int left = 0, right = p.width - 1;
    while (left < p.width && !differs(p.at(left, row), p.at(0, 0)))
        left++;
    while (right > 0 && !differs(p.at(right, row), p.at(0, 0)))
        right--;
    ASSERT_LT(left, right);
    for (int i = 0; i < 5; i++) {
        const float centre = (i * 2.2f + 1.0f) / 10.8f;
        const unsigned char* pixel = p.at(static_cast<int>(left + centre * (right - left)), row);
        EXPECT_EQ(colourOf(pixel), formats[i].colour)
            << formats[i].file << ": " << int(pixel[0]) << " " << int(pixel[1]) << " " << int(pixel[2]);
    }
}

}  // namespace
