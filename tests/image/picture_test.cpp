// The PNG and JPEG codecs: round trips, the conversions to 8-bit RGB(A),
// and files cut short, damaged or too large, each refused with a message.

#include "image/picture.h"

#include <png.h>
#include <sys/stat.h>
#include <zlib.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "tests/support/files.h"
#include "tests/support/png_jpeg.h"
#include "tests/support/samples.h"
#include "tests/support/workout.h"

namespace {

// A decode's outcome, owning its pixels.
struct Decoded {
    PictureStatus status;
    PictureData picture{};
    char message[PICTURE_MESSAGE_SIZE] = "(untouched)";
    Decoded(const Bytes& bytes, int channels,
            PictureStatus (*decode)(const unsigned char*, std::size_t, int, PictureData*, char*) = decodePicture)
    {
        status = decode(bytes.data(), bytes.size(), channels, &picture, message);
    }
    ~Decoded() { freePicture(&picture); }
    Bytes pixels() const
    {
        return picture.pixels ? Bytes(picture.pixels,
                                      picture.pixels + std::size_t(picture.width) * picture.height * picture.channels)
                              : Bytes();
    }
};

Bytes pattern(int width, int height, int channels)
{
    Bytes pixels(std::size_t(width) * height * channels);
    for (std::size_t i = 0; i < pixels.size(); i++)
        pixels[i] = static_cast<unsigned char>((i * 37 + i / 7) & 0xFF);
    return pixels;
}

Bytes encoded(int width, int height, int channels, Bytes& pixels)
{
    pixels = pattern(width, height, channels);
    const PictureData picture{width, height, channels, pixels.data()};
    unsigned char* png = nullptr;
    std::size_t size = 0;
    char message[PICTURE_MESSAGE_SIZE];
    EXPECT_EQ(encodePng(picture, &png, &size, message), PICTURE_OK) << message;
    Bytes bytes(png, png + size);
    std::free(png);
    return bytes;
}

// A PNG of just a signature and a header chunk claiming a size.
Bytes pngHeaderOnly(std::uint32_t width, std::uint32_t height)
{
    Bytes b = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes chunk = {'I', 'H', 'D', 'R'};
    putBe32(chunk, width);
    putBe32(chunk, height);
    chunk.insert(chunk.end(), {8, 2, 0, 0, 0});
    putBe32(b, 13);
    b.insert(b.end(), chunk.begin(), chunk.end());
    putBe32(b, static_cast<std::uint32_t>(crc32(0, chunk.data(), static_cast<uInt>(chunk.size()))));
    return b;
}

}  // namespace

TEST(PictureCodecs, PngRoundTripsInThreeAndFourChannels)
{
    for (int channels : {3, 4}) {
        Bytes pixels;
        const Bytes png = encoded(13, 7, channels, pixels);
        Decoded d(png, channels, decodePng);
        ASSERT_EQ(d.status, PICTURE_OK) << d.message;
        EXPECT_EQ(d.picture.width, 13);
        EXPECT_EQ(d.picture.height, 7);
        EXPECT_EQ(d.picture.channels, channels);
        EXPECT_EQ(d.pixels(), pixels) << channels << " channels";
        EXPECT_STREQ(d.message, "");
    }
}

TEST(PictureCodecs, AlphaIsAddedOpaqueOrDroppedAsAsked)
{
    Bytes rgb, rgba;
    Decoded widened(encoded(3, 2, 3, rgb), 4);
    Decoded narrowed(encoded(3, 2, 4, rgba), 3);
    ASSERT_EQ(widened.status, PICTURE_OK);
    ASSERT_EQ(narrowed.status, PICTURE_OK);
    for (int i = 0; i < 6; i++) {
        EXPECT_EQ(Bytes(widened.picture.pixels + i * 4, widened.picture.pixels + i * 4 + 3),
                  Bytes(rgb.begin() + i * 3, rgb.begin() + i * 3 + 3));
        EXPECT_EQ(widened.picture.pixels[i * 4 + 3], 255);
        EXPECT_EQ(Bytes(narrowed.picture.pixels + i * 3, narrowed.picture.pixels + i * 3 + 3),
                  Bytes(rgba.begin() + i * 4, rgba.begin() + i * 4 + 3));
    }
}

TEST(PictureCodecs, WritePngReplacesTheFileWholeAndReadsBack)
{
    TempDir dir;
    const std::string path = dir.file("shot.png");
    writeFile(path, "an older file");
    ::chmod(path.c_str(), 0640);
    Bytes pixels = pattern(5, 4, 3);
    char message[PICTURE_MESSAGE_SIZE];
    ASSERT_EQ(writePng(path.c_str(), PictureData{5, 4, 3, pixels.data()}, message), PICTURE_OK) << message;
    PictureData back{};
    ASSERT_EQ(readPicture(path.c_str(), 3, &back, message), PICTURE_OK) << message;
    EXPECT_EQ(Bytes(back.pixels, back.pixels + pixels.size()), pixels);
    freePicture(&back);
    EXPECT_EQ(back.pixels, nullptr);
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    // Nothing but the picture is left in the folder.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1);

    const std::string nowhere = dir.file("no/such/folder/shot.png");
    EXPECT_EQ(writePng(nowhere.c_str(), PictureData{5, 4, 3, pixels.data()}, message), PICTURE_CANNOT_WRITE);
    EXPECT_NE(std::string(message).find(nowhere), std::string::npos) << message;
    EXPECT_EQ(writePng(path.c_str(), PictureData{0, 4, 3, pixels.data()}, message), PICTURE_CORRUPT);
    EXPECT_NE(message[0], '\0');
}

TEST(PictureCodecs, GreyPaletteSixteenBitAndInterlacedPngsBecomeRgb)
{
    struct Case {
        const char* what;
        PngLayout layout;
        Bytes rgba;  // the two pixels expected
    } cases[] = {
        {"grey 8",
         {.width = 2, .colourType = PNG_COLOR_TYPE_GRAY, .samples = {0, 200}},
         {0, 0, 0, 255, 200, 200, 200, 255}},
        {"grey 1",
         {.width = 2, .colourType = PNG_COLOR_TYPE_GRAY, .depth = 1, .samples = {1, 0}},
         {255, 255, 255, 255, 0, 0, 0, 255}},
        {"grey alpha",
         {.width = 2, .colourType = PNG_COLOR_TYPE_GRAY_ALPHA, .samples = {10, 20, 30, 40}},
         {10, 10, 10, 20, 30, 30, 30, 40}},
        {"palette 4 with tRNS",
         {.width = 2,
          .colourType = PNG_COLOR_TYPE_PALETTE,
          .depth = 4,
          .samples = {1, 0},
          .palette = {1, 2, 3, 250, 128, 7},
          .transparency = {99}},
         {250, 128, 7, 255, 1, 2, 3, 99}},
        {"rgb 16",
         {.width = 2,
          .colourType = PNG_COLOR_TYPE_RGB,
          .depth = 16,
          .samples = {0xFFFF, 0, 0x8080, 0x1212, 0x3434, 0x5656}},
         {255, 0, 128, 255, 0x12, 0x34, 0x56, 255}},
        {"rgba 16",
         {.width = 2,
          .colourType = PNG_COLOR_TYPE_RGB_ALPHA,
          .depth = 16,
          .samples = {0xFFFF, 0, 0, 0x8080, 0, 0xFFFF, 0, 0xFFFF}},
         {255, 0, 0, 128, 0, 255, 0, 255}},
        {"interlaced", {.width = 2, .samples = {1, 2, 3, 4, 5, 6}, .interlaced = true}, {1, 2, 3, 255, 4, 5, 6, 255}},
    };
    for (const Case& c : cases) {
        const Bytes png = buildPng(c.layout);
        Decoded four(png, 4, decodePng);
        ASSERT_EQ(four.status, PICTURE_OK) << c.what << ": " << four.message;
        EXPECT_EQ(four.pixels(), c.rgba) << c.what;
        Decoded three(png, 3, decodePng);
        ASSERT_EQ(three.status, PICTURE_OK) << c.what;
        EXPECT_EQ(three.pixels(), (Bytes{c.rgba[0], c.rgba[1], c.rgba[2], c.rgba[4], c.rgba[5], c.rgba[6]})) << c.what;
    }
}

TEST(PictureCodecs, JpegDecodesColourGreyAndProgressiveWithOpaqueAlpha)
{
    // Flat blocks come through quality 100 almost exactly.
    Bytes rgb;
    for (int i = 0; i < 16 * 8; i++)
        rgb.insert(rgb.end(), {200, 40, 90});
    for (bool progressive : {false, true}) {
        Decoded d(buildJpeg(16, 8, 3, rgb, progressive), 4, decodeJpeg);
        ASSERT_EQ(d.status, PICTURE_OK) << d.message;
        EXPECT_EQ(d.picture.width, 16);
        EXPECT_EQ(d.picture.height, 8);
        for (int i = 0; i < 16 * 8; i++) {
            EXPECT_NEAR(d.picture.pixels[i * 4], 200, 3);
            EXPECT_NEAR(d.picture.pixels[i * 4 + 1], 40, 3);
            EXPECT_NEAR(d.picture.pixels[i * 4 + 2], 90, 3);
            ASSERT_EQ(d.picture.pixels[i * 4 + 3], 255);
        }
    }
    Decoded grey(buildJpeg(8, 8, 1, Bytes(64, 77)), 3);
    ASSERT_EQ(grey.status, PICTURE_OK) << grey.message;
    for (int i = 0; i < 64; i++) {
        EXPECT_NEAR(grey.picture.pixels[i * 3], 77, 1);
        ASSERT_EQ(grey.picture.pixels[i * 3], grey.picture.pixels[i * 3 + 2]);
    }
}

TEST(PictureCodecs, TruncatedPngAndJpegAreRefusedWithAMessage)
{
    Bytes pixels;
    Bytes rgb(24 * 24 * 3);
    for (std::size_t i = 0; i < rgb.size(); i++)
        rgb[i] = static_cast<unsigned char>(i * 7);
    const Bytes files[] = {encoded(24, 24, 3, pixels), buildJpeg(24, 24, 3, rgb), buildJpeg(24, 24, 3, rgb, true)};
    for (const Bytes& file : files) {
        for (std::size_t cut = 1; cut < file.size(); cut++) {
            const Bytes part(file.begin(), file.begin() + cut);
            Decoded d(part, 3);
            ASSERT_NE(d.status, PICTURE_OK) << "cut at " << cut << " of " << file.size();
            EXPECT_EQ(d.picture.pixels, nullptr);
            EXPECT_NE(d.message[0], '\0');
            EXPECT_EQ(std::string(d.message).find('\n'), std::string::npos);
        }
    }
}

TEST(PictureCodecs, DamagedPngAndJpegAreRefusedAsCorrupt)
{
    Bytes pixels;
    Bytes png = encoded(8, 8, 3, pixels);
    png[png.size() - 20] ^= 0x55;  // inside the data chunk: its CRC no longer matches
    Decoded badCrc(png, 3);
    EXPECT_EQ(badCrc.status, PICTURE_CORRUPT);
    EXPECT_NE(std::string(badCrc.message).find("PNG"), std::string::npos) << badCrc.message;

    Bytes jpeg = buildJpeg(16, 16, 3, pattern(16, 16, 3));
    // A marker in the middle of the entropy-coded data.
    jpeg[jpeg.size() - 40] = 0xFF;
    jpeg[jpeg.size() - 39] = 0xD9;
    Decoded badScan(jpeg, 3);
    EXPECT_EQ(badScan.status, PICTURE_CORRUPT);
    EXPECT_NE(std::string(badScan.message).find("JPEG"), std::string::npos) << badScan.message;
}

TEST(PictureCodecs, SizeClaimsBeyondTheLimitOrTheBytesAreRefusedBeforeAllocating)
{
    Decoded huge(pngHeaderOnly(1u << 15, 1u << 14), 4);
    EXPECT_EQ(huge.status, PICTURE_TOO_LARGE) << huge.message;
    // Within the limit, but no deflate stream of these few bytes holds it.
    Decoded empty(pngHeaderOnly(16384, 16384), 4);
    EXPECT_EQ(empty.status, PICTURE_CORRUPT) << empty.message;
}

TEST(PictureCodecs, OtherFilesAreNamedForWhatTheyAreNot)
{
    const Bytes bmp = {'B', 'M', 0, 0, 0, 0, 0, 0};
    Decoded either(bmp, 3);
    EXPECT_EQ(either.status, PICTURE_UNKNOWN_FORMAT);
    EXPECT_STREQ(either.message, "not a PNG or JPEG picture");
    Bytes pixels;
    Decoded pngAsJpeg(encoded(2, 2, 3, pixels), 3, decodeJpeg);
    EXPECT_EQ(pngAsJpeg.status, PICTURE_UNKNOWN_FORMAT);
    Decoded wrongChannels(encoded(2, 2, 3, pixels), 2);
    EXPECT_NE(wrongChannels.status, PICTURE_OK);

    TempDir dir;
    const std::string missing = dir.file("missing.png");
    PictureData picture{};
    char message[PICTURE_MESSAGE_SIZE];
    EXPECT_EQ(readPicture(missing.c_str(), 3, &picture, message), PICTURE_CANNOT_OPEN);
    EXPECT_EQ(std::string(message), missing + ": No such file or directory");
    writeFileBytes(dir.file("b.bmp"), bmp);
    EXPECT_EQ(readPicture(dir.file("b.bmp").c_str(), 3, &picture, message), PICTURE_UNKNOWN_FORMAT);
    EXPECT_EQ(std::string(message), dir.file("b.bmp") + ": not a PNG or JPEG picture");
}

// The fuzzers' seeds are valid pictures, every one of them decoded, and
// every cut of one refused by the fuzzers' own checks.
TEST(PictureCodecs, EverySeedDecodesAndEveryCutOfOnePassesTheFuzzChecks)
{
    for (const auto& [samples, workout] :
         {std::pair{pngSamples(), &workoutPng}, std::pair{jpegSamples(), &workoutJpeg}})
        for (const SampleFile& f : samples) {
            Decoded d(f.bytes, 4);
            EXPECT_EQ(d.status, PICTURE_OK) << f.name << ": " << d.message;
            for (std::size_t cut = 0; cut <= f.bytes.size(); cut += 7)
                ASSERT_EQ(workout(f.bytes.data(), cut), nullptr) << f.name << " cut at " << cut;
        }
}
