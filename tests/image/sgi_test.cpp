// The SGI loader against pictures written by ImageMagick.

#include "tests/support/pictures.h"

#include "image/image.h"
#include "image/image_core.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;

namespace {

using Texts = std::vector<std::string>;

// Runs of equal pixels (for the run-length packets) beside noisy ones.
Picture testPicture(int width, int height)
{
    Picture p{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const bool flat = x < width / 2;
            p.pixels.push_back(static_cast<unsigned char>(flat ? y * 10 : (x * 37 + y * 11) & 255));
            p.pixels.push_back(static_cast<unsigned char>(flat ? 200 : (x * y * 5) & 255));
            p.pixels.push_back(static_cast<unsigned char>(flat ? 255 - y : (x ^ y) * 3));
        }
    return p;
}

// The same file in little-endian order: magic, the five 16-bit fields and
// both row tables byte-swapped.
Bytes littleEndian(Bytes file)
{
    std::swap(file[0], file[1]);
    for (int i = 2; i < 12; i += 2)
        std::swap(file[i], file[i + 1]);
    if (file[3] == 1) {  // storage byte, now the high byte
        const std::size_t entries = std::size_t{2} * (file[8] | file[9] << 8) * (file[10] | file[11] << 8);
        for (std::size_t e = 0; e < entries; ++e) {
            unsigned char* p = &file[512 + 4 * e];
            std::swap(p[0], p[3]);
            std::swap(p[1], p[2]);
        }
    }
    return file;
}

// Loads `bytes` from a real file through loadRgbImage.
struct Decoded : LoadedFile {
    explicit Decoded(const Bytes& bytes) : LoadedFile(bytes, loadRgbImage) {}
};

}  // namespace

TEST(SgiLoader, RoundTripsImageMagickFilesInBothStoragesAndByteOrders)
{
    TempDir dir;
    const Picture picture = testPicture(37, 23);
    writePpm(dir.path / "x.ppm", picture);
    const struct {
        const char* options;
        unsigned char storage;
    } variants[] = {{"", 1}, {"-compress RLE", 1}, {"-compress None", 0}};
    for (const auto& v : variants) {
        SCOPED_TRACE(v.options);
        const Bytes big = convertWith(dir.path / "x.ppm", v.options, "sgi", dir.path / "x.rgb");
        ASSERT_GT(big.size(), 512u);
        ASSERT_EQ(big[2], v.storage);
        for (const Bytes& file : {big, littleEndian(big)}) {
            Decoded d(file);
            ASSERT_NE(d.image, nullptr) << (d.boxes.texts.empty() ? "" : d.boxes.texts[0]);
            EXPECT_EQ(d.image->width, 37);
            EXPECT_EQ(d.image->height, 23);
            EXPECT_EQ(d.pixels(), picture.pixels);
            EXPECT_TRUE(d.boxes.texts.empty());
        }
    }
}

TEST(SgiLoader, FourChannelsLoadAsColourAndOneChannelAsGrey)
{
    TempDir dir;
    const Picture picture = testPicture(20, 9);
    {
        // RGBA: the alpha plane is a fourth channel that is never read.
        std::ofstream pam(dir.path / "x.pam", std::ios::binary);
        pam << "P7\nWIDTH 20\nHEIGHT 9\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n";
        for (int row = 8; row >= 0; --row)
            for (int x = 0; x < 20; ++x) {
                pam.write(reinterpret_cast<const char*>(&picture.pixels[(row * 20 + x) * 3]), 3);
                pam.put(static_cast<char>(x * 12));
            }
    }
    for (const char* options : {"-compress RLE", "-compress None"}) {
        const Bytes file = convertWith(dir.path / "x.pam", options, "sgi", dir.path / "rgba.rgb");
        ASSERT_EQ(file[11], 4);
        Decoded d(file);
        ASSERT_NE(d.image, nullptr);
        EXPECT_EQ(d.pixels(), picture.pixels);
    }

    writePpm(dir.path / "x.ppm", picture);
    const Bytes grey = convertWith(dir.path / "x.ppm", "-colorspace Gray", "sgi", dir.path / "grey.rgb");
    ASSERT_EQ(grey[11], 1);
    Decoded d(grey);
    ASSERT_NE(d.image, nullptr);
    for (int i = 0; i < 20 * 9; ++i) {
        EXPECT_EQ(d.image->pixels[i * 3], d.image->pixels[i * 3 + 1]);
        EXPECT_EQ(d.image->pixels[i * 3], d.image->pixels[i * 3 + 2]);
    }
}

TEST(SgiLoader, BadFilesAreRefusedWithTheirMessage)
{
    TempDir dir;
    writePpm(dir.path / "x.ppm", testPicture(8, 4));
    const Bytes good = convertWith(dir.path / "x.ppm", "-compress RLE", "sgi", dir.path / "x.rgb");

    Bytes magic = good;
    magic[0] = 'B';
    Bytes wide = good;
    wide[3] = 2;  // two bytes per channel
    Bytes overflow = good;
    // Row 0 of red now starts at its own length-table entry: whatever it
    // holds, the first count byte 0x7F asks for 127 pixels of an 8-pixel row.
    const std::size_t firstRow = (good[512] << 24 | good[513] << 16 | good[514] << 8 | good[515]);
    overflow[firstRow] = 0x7F;
    for (const Bytes& file : {magic, wide, overflow}) {
        Decoded d(file);
        EXPECT_EQ(d.image, nullptr);
        EXPECT_EQ(d.boxes.texts, Texts{"Invalid rgb file."});
    }

    Decoded empty(Bytes{});
    EXPECT_EQ(empty.boxes.texts, Texts{"Invalid rgb file."});

    RecordedBoxes boxes;
    EXPECT_EQ(loadRgbImage("missing.rgb"), nullptr);
    EXPECT_EQ(loadRgbImageW(L"missing\u00e9.rgb"), nullptr);
    EXPECT_EQ(boxes.texts,
              (Texts{"Failed to open image file missing.rgb.\n", "Failed to open image file missing\u00e9.rgb.\n"}));
}

TEST(SgiLoader, StepsReadRowsAndTablesWithinTheFile)
{
    TempDir dir;
    const Picture picture = testPicture(8, 4);
    writePpm(dir.path / "x.ppm", picture);
    const Bytes file = convertWith(dir.path / "x.ppm", "-compress RLE", "sgi", dir.path / "x.rgb");

    RecordedBoxes boxes;
    RgbFile* f = openRgbFile((dir.path / "x.rgb").string().c_str(), false);
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->xsize, 8);
    EXPECT_EQ(f->ysize, 4);
    EXPECT_EQ(f->zsize, 3);
    unsigned char row[8];
    ASSERT_TRUE(readRgbRow(f, row, 2, 1));  // green of row 2
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(row[x], picture.pixels[(2 * 8 + x) * 3 + 1]);
    EXPECT_FALSE(readRgbRow(f, row, 4, 0));
    EXPECT_FALSE(readRgbRow(f, row, 0, 3));
    closeRgbFile(f);
    closeRgbFile(nullptr);

    EXPECT_TRUE(boxes.texts.empty());

    // Tables cut by the end of the file, rows that reach past it, and tables
    // of zeros (rows inside the header) are a damaged file.
    ImageRGB* image = nullptr;
    for (std::size_t n : {std::size_t{512 + 4 * 12}, std::size_t{512 + 8 * 12}, file.size() - 1}) {
        Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(n));
        EXPECT_EQ(decodeRgb(cut.data(), cut.size(), &image), IMAGE_INVALID_RGB) << n;
    }
    Bytes zeroed = file;
    std::fill(zeroed.begin() + 512, zeroed.begin() + 512 + 8 * 12, 0);
    EXPECT_EQ(decodeRgb(zeroed.data(), zeroed.size(), &image), IMAGE_INVALID_RGB);
    EXPECT_EQ(image, nullptr);
}
