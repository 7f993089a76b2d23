// Headers that claim more than their file holds, and pictures of unusual
// shape.  A small file whose header claims a 16384 x 16384 picture is refused
// by every loader before the picture is allocated: the peak memory of a
// child process that loads it from disk stays far below the 768 MiB such a
// picture takes.  A picture 20000 pixels wide and one high is well within
// the pixel limit and decodes exactly in every format.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "image/image.h"
#include "model/glm.h"
#include "tests/support/files.h"
#include "tests/support/pictures.h"

namespace {

constexpr long PEAK_LIMIT_KB = 64 * 1024;

struct ChildRun {
    bool finished = false;  // exited normally
    bool refused = false;   // what the loader did
    long growthKb = 0;      // peak resident memory above that at the start
};

// Runs `load` in a forked child and measures how far it raised the child's
// peak resident memory.  `load` returns whether the file was refused.
ChildRun inChild(const std::function<bool()>& load)
{
    int out[2];
    if (pipe(out) != 0)
        return {};
    const pid_t pid = fork();
    if (pid == 0) {
        close(out[0]);
        setImageErrorPopups(0);
        rusage before{}, after{};
        getrusage(RUSAGE_SELF, &before);
        long result[2] = {load() ? 1 : 0, 0};
        getrusage(RUSAGE_SELF, &after);
        result[1] = after.ru_maxrss - before.ru_maxrss;
        const bool written = write(out[1], result, sizeof result) == static_cast<ssize_t>(sizeof result);
        _exit(written ? 0 : 1);
    }
    close(out[1]);
    ChildRun run;
    long result[2] = {0, 0};
    const bool read = pid > 0 && ::read(out[0], result, sizeof result) == static_cast<ssize_t>(sizeof result);
    close(out[0]);
    int status = 0;
    if (pid > 0)
        waitpid(pid, &status, 0);
    run.finished = read && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    run.refused = result[0] != 0;
    run.growthKb = result[1];
    return run;
}

void writeBytes(const std::filesystem::path& path, const Bytes& bytes) { writeFileBytes(path, bytes); }

// A bitmap with file header and 40-byte header, followed by `pixels`.
Bytes bitmap(std::int32_t width, std::int32_t height, const Bytes& pixels)
{
    return buildBmp({.width = width, .height = height, .pixels = pixels});
}

bool dibRefuses(const std::filesystem::path& path)
{
    ImageRGB* image = loadDibImage(path.c_str());
    freeImage(image);
    return !image;
}

bool bmpRefuses(const std::filesystem::path& path)
{
    ImageRGB image = {};
    testing::internal::CaptureStdout();
    readBmp(path.c_str(), &image);
    const std::string printed = testing::internal::GetCapturedStdout();
    std::free(image.pixels);
    return !image.pixels && printed == "Error reading BMP pixels\n";
}

bool sgiRefuses(const std::filesystem::path& path)
{
    ImageRGB* image = loadRgbImage(path.c_str());
    freeImage(image);
    return !image;
}

bool ppmRefuses(const std::filesystem::path& path)
{
    int w = 0, h = 0;
    testing::internal::CaptureStderr();
    unsigned char* pixels = glmLoadPPM(path.c_str(), &w, &h);
    testing::internal::GetCapturedStderr();
    std::free(pixels);
    return pixels == nullptr;
}

TEST(Claims, SmallFilesClaimingHugePicturesAreRefusedWithoutTheMemory)
{
    TempDir dir;
    const auto path = [&](const char* name) { return dir.path / name; };
    // 612 bytes claiming 16384 x 16384 x 3, verbatim and run-length; and
    // run-length tables of the full size that are all zero.
    writeBytes(path("verbatim.rgb"), buildSgi(0, 16384, 16384, 3, Bytes(100, 7)));
    writeBytes(path("rle.rgb"), buildSgi(1, 16384, 16384, 3, Bytes(100, 0)));
    writeBytes(path("zeroed.rgb"), buildSgi(1, 16384, 16384, 3, Bytes(std::size_t{16384} * 3 * 8, 0)));
    // 1 KB claiming 16384 x 16384 at 24 bits.
    writeBytes(path("huge.bmp"), bitmap(16384, 16384, Bytes(1024 - 54, 9)));
    writeBytes(path("topdown.bmp"), bitmap(16384, -16384, Bytes(1024 - 54, 9)));
    // A PPM claiming 16384 x 16384 with a 10-byte raster.
    const std::string ppm = "P6\n16384 16384\n255\n0123456789";
    writeFile(path("huge.ppm"), ppm);

    const struct {
        const char* name;
        bool (*refuses)(const std::filesystem::path&);
    } cases[] = {{"verbatim.rgb", sgiRefuses}, {"rle.rgb", sgiRefuses},  {"zeroed.rgb", sgiRefuses},
                 {"huge.bmp", dibRefuses},     {"huge.bmp", bmpRefuses}, {"topdown.bmp", dibRefuses},
                 {"topdown.bmp", bmpRefuses},  {"huge.ppm", ppmRefuses}};
    for (const auto& c : cases) {
        const ChildRun run = inChild([&] { return c.refuses(path(c.name)); });
        ASSERT_TRUE(run.finished) << c.name;
        EXPECT_TRUE(run.refused) << c.name;
        EXPECT_LT(run.growthKb, PEAK_LIMIT_KB) << c.name;
    }

    // The measurement itself: touching 128 MiB shows.
    const ChildRun control = inChild([] {
        volatile unsigned char* block = static_cast<unsigned char*>(std::malloc(128 << 20));
        if (!block)
            return false;
        for (std::size_t i = 0; i < (128 << 20); i += 4096)
            block[i] = 1;
        std::free(const_cast<unsigned char*>(block));
        return true;
    });
    ASSERT_TRUE(control.finished);
    EXPECT_GT(control.growthKb, PEAK_LIMIT_KB);
}

TEST(Claims, ShortFilesKeepBlackRowsOnlyWhileHalfTheRasterIsThere)
{
    // 8 rows of 4 pixels (stride 12): 4 rows present are kept with black
    // rows above them, 3 are too few.
    Bytes rows;
    for (int i = 0; i < 12 * 8; ++i)
        rows.push_back(static_cast<unsigned char>(i + 1));
    TempDir dir;
    for (int present : {4, 3}) {
        const Bytes file = bitmap(4, 8, Bytes(rows.begin(), rows.begin() + 12 * present));
        writeBytes(dir.path / "short.bmp", file);
        ImageRGB image = {};
        testing::internal::CaptureStdout();
        readBmp((dir.path / "short.bmp").c_str(), &image);
        EXPECT_EQ(testing::internal::GetCapturedStdout(), "Error reading BMP pixels\n");
        EXPECT_EQ(image.width, 4);
        EXPECT_EQ(image.height, 8);
        if (present == 4) {
            ASSERT_NE(image.pixels, nullptr);
            EXPECT_EQ(image.pixels[0], 3);  // blue, green, red turned round
            EXPECT_EQ(Bytes(image.pixels + 4 * 12, image.pixels + 8 * 12), Bytes(4 * 12, 0));
        } else {
            EXPECT_EQ(image.pixels, nullptr);
        }
        std::free(image.pixels);
    }
    // The same for a verbatim SGI file: 3 planes of 4 x 4, 24 of 48 bytes
    // present decode (the rest black), 23 are refused.
    for (std::size_t present : {24u, 23u}) {
        writeBytes(dir.path / "short.rgb", buildSgi(0, 4, 4, 3, Bytes(present, 200)));
        setImageErrorPopups(0);
        ImageRGB* image = loadRgbImage((dir.path / "short.rgb").c_str());
        setImageErrorPopups(1);
        if (present == 24) {
            ASSERT_NE(image, nullptr);
            EXPECT_EQ(image->pixels[0], 200);  // red of the first row
            EXPECT_EQ(image->pixels[2], 0);    // blue: missing
            std::free(image->pixels);
            std::free(image);
        } else {
            EXPECT_EQ(image, nullptr);
        }
    }
}

// A row of 20000 pixels, every one different from its neighbours.
Bytes wideRow()
{
    Bytes rgb;
    for (int x = 0; x < 20000; ++x) {
        rgb.push_back(static_cast<unsigned char>(x));
        rgb.push_back(static_cast<unsigned char>(x >> 8));
        rgb.push_back(static_cast<unsigned char>(x * 7 + 3));
    }
    return rgb;
}

TEST(Claims, PicturesTwentyThousandPixelsWideDecodeInEveryFormat)
{
    const Bytes rgb = wideRow();
    TempDir dir;
    setImageErrorPopups(0);

    Bytes bgr;
    for (std::size_t i = 0; i < rgb.size(); i += 3)
        bgr.insert(bgr.end(), {rgb[i + 2], rgb[i + 1], rgb[i]});
    writeBytes(dir.path / "wide.bmp", bitmap(20000, 1, bgr));
    ImageRGB* dib = loadDibImage((dir.path / "wide.bmp").c_str());
    ASSERT_NE(dib, nullptr);
    EXPECT_EQ(dib->width, 20000);
    EXPECT_EQ(Bytes(dib->pixels, dib->pixels + rgb.size()), rgb);
    std::free(dib->pixels);
    std::free(dib);

    ImageRGB sky = {};
    testing::internal::CaptureStdout();
    readBmp((dir.path / "wide.bmp").c_str(), &sky);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_NE(sky.pixels, nullptr);
    EXPECT_EQ(sky.width, 20000);
    EXPECT_EQ(Bytes(sky.pixels, sky.pixels + rgb.size()), rgb);
    std::free(sky.pixels);

    // SGI verbatim: the three planes one after another.
    Bytes planes;
    for (int c = 0; c < 3; ++c)
        for (std::size_t i = c; i < rgb.size(); i += 3)
            planes.push_back(rgb[i]);
    // Run-length: literal packets of up to 127 bytes per channel row.
    Bytes tables, packets;
    const std::uint32_t dataAt = 512 + 3 * 8;
    std::uint32_t lengths[3];
    for (int c = 0; c < 3; ++c) {
        putBe32(tables, dataAt + static_cast<std::uint32_t>(packets.size()));
        const std::size_t before = packets.size();
        for (std::size_t x = 0; x < 20000; x += 127) {
            const std::size_t n = std::min<std::size_t>(127, 20000 - x);
            packets.push_back(static_cast<unsigned char>(0x80 | n));
            packets.insert(packets.end(), planes.begin() + c * 20000 + x, planes.begin() + c * 20000 + x + n);
        }
        packets.push_back(0);
        lengths[c] = static_cast<std::uint32_t>(packets.size() - before);
    }
    for (std::uint32_t length : lengths)
        putBe32(tables, length);
    tables.insert(tables.end(), packets.begin(), packets.end());
    for (const Bytes& file : {buildSgi(0, 20000, 1, 3, planes), buildSgi(1, 20000, 1, 3, tables)}) {
        writeBytes(dir.path / "wide.rgb", file);
        ImageRGB* image = loadRgbImage((dir.path / "wide.rgb").c_str());
        ASSERT_NE(image, nullptr) << (file[2] ? "run-length" : "verbatim");
        EXPECT_EQ(image->width, 20000);
        EXPECT_EQ(Bytes(image->pixels, image->pixels + rgb.size()), rgb);
        std::free(image->pixels);
        std::free(image);
    }
    setImageErrorPopups(1);

    const std::string header = "P6\n20000 1\n255\n";
    Bytes ppm(header.begin(), header.end());
    ppm.resize(header.size() + rgb.size());
    std::copy(rgb.begin(), rgb.end(), ppm.begin() + header.size());
    writeBytes(dir.path / "wide.ppm", ppm);
    int w = 0, h = 0;
    unsigned char* pixels = glmLoadPPM((dir.path / "wide.ppm").c_str(), &w, &h);
    ASSERT_NE(pixels, nullptr);
    EXPECT_EQ(w, 20000);
    EXPECT_EQ(h, 1);
    EXPECT_EQ(Bytes(pixels, pixels + rgb.size()), rgb);
    std::free(pixels);
}

}  // namespace
