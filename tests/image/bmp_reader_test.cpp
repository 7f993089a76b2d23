// readBmp: the sky picture's reader and the lines it prints.

#include "tests/support/pictures.h"

#include "image/image.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

struct Read {
    Read(const Bytes& bytes, ImageRGB start = {}) : image(start)
    {
        writeFileBytes(dir.path / "sky.bmp", bytes);
        testing::internal::CaptureStdout();
        readBmp((dir.path / "sky.bmp").string().c_str(), &image);
        printed = testing::internal::GetCapturedStdout();
    }
    ~Read() { std::free(image.pixels); }
    Bytes pixels() const { return Bytes(image.pixels, image.pixels + image.width * image.height * 3); }
    TempDir dir;
    ImageRGB image;
    std::string printed;
};

Bytes gradient(int width, int height)
{
    Bytes rgb;
    for (int i = 0; i < width * height; ++i)
        rgb.insert(rgb.end(), {static_cast<unsigned char>(i), static_cast<unsigned char>(i * 7),
                               static_cast<unsigned char>(255 - i)});
    return rgb;
}

}  // namespace

TEST(BmpReader, TwentyFourBitRowsSkipTheirPadding)
{
    const Bytes rgb = gradient(5, 3);  // 15 bytes of pixels, stride 16
    Read r(buildBmp({.width = 5, .height = 3, .bits = 24, .pixels = rows24(5, 3, rgb)}));
    EXPECT_EQ(r.printed, "");
    EXPECT_EQ(r.image.width, 5);
    EXPECT_EQ(r.image.height, 3);
    EXPECT_EQ(r.pixels(), rgb);
}

TEST(BmpReader, RowsWiderThanThreeThousandBytesAndTopDownFilesDecode)
{
    const Bytes rgb = gradient(1500, 2);
    Bytes stored = rows24(1500, 1, Bytes(rgb.begin() + 4500, rgb.end()));
    const Bytes bottom = rows24(1500, 1, Bytes(rgb.begin(), rgb.begin() + 4500));
    stored.insert(stored.end(), bottom.begin(), bottom.end());
    Read r(buildBmp({.width = 1500, .height = -2, .bits = 24, .pixels = stored}));
    EXPECT_EQ(r.printed, "");
    EXPECT_EQ(r.image.height, 2);
    EXPECT_EQ(r.pixels(), rgb);
}

TEST(BmpReader, PaletteIndicesGoThroughTheTableFoundAfterTheHeader)
{
    // A 56-byte header, 3 used entries, a gap before the pixels.
    BmpFields fields{.width = 4,
                     .height = 1,
                     .bits = 8,
                     .headerSize = 56,
                     .clrUsed = 3,
                     .palette = {0x102030, 0x405060, 0x708090},
                     .pixels = {2, 1, 0, 9}};
    Bytes file = buildBmp(fields);
    file.insert(file.end() - 4, {0xAA, 0xBB, 0xCC, 0xDD});
    file[10] += 4;
    Read r(file);
    EXPECT_EQ(r.printed, "");
    EXPECT_EQ(r.pixels(), (Bytes{0x70, 0x80, 0x90, 0x40, 0x50, 0x60, 0x10, 0x20, 0x30, 0, 0, 0}));
}

TEST(BmpReader, RefusalsPrintOneLineAndLeaveTheRecordAlone)
{
    const ImageRGB marker{7, 9, nullptr};
    const Bytes whole = buildBmp({});
    struct Case {
        Bytes file;
        const char* line;
    };
    const Case cases[] = {
        {{'P', '6'}, "Error reading BMP file, file type incorrect\n"},
        {{'B', 'M', 1, 2, 3}, "Error reading BMP file header\n"},
        {Bytes(whole.begin(), whole.begin() + 40), "Error reading BMP Information record\n"},
        {buildBmp({.width = 2, .height = 1, .bits = 16, .pixels = Bytes(4, 0)}),
         "Sorry, this code can only read 8 bit or 24 bit image files\n"},
        {buildBmp({.width = 2, .height = 1, .bits = 8, .compression = 1, .pixels = {0, 1}}),
         "Sorry, this code cannot read compressed image files\n"},
    };
    for (const Case& c : cases) {
        Read r(c.file, marker);
        EXPECT_EQ(r.printed, c.line);
        EXPECT_EQ(r.image.width, 7);
        EXPECT_EQ(r.image.height, 9);
        EXPECT_EQ(r.image.pixels, nullptr);
    }
    testing::internal::CaptureStdout();
    ImageRGB untouched = marker;
    readBmp("no\\such.bmp", &untouched);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "Could not open file 'no\\such.bmp'\n");
    EXPECT_EQ(untouched.width, 7);
}

TEST(BmpReader, AbsurdSizesAndShortFilesAreReported)
{
    Read huge(buildBmp({.width = 100000, .height = 100000, .bits = 24}));
    EXPECT_EQ(huge.printed, "Error allocating pixel memory\n");
    EXPECT_EQ(huge.image.width, 100000);
    EXPECT_EQ(huge.image.pixels, nullptr);

    // Two rows of three present: the first stays, the rest is black.
    const Bytes rgb = gradient(4, 3);
    Bytes file = buildBmp({.width = 4, .height = 3, .bits = 24, .pixels = rows24(4, 3, rgb)});
    file.resize(file.size() - 10);
    Read cut(file);
    EXPECT_EQ(cut.printed, "Error reading BMP pixels\n");
    ASSERT_NE(cut.image.pixels, nullptr);
    Bytes expected(rgb.begin(), rgb.begin() + 24);
    expected.resize(36, 0);
    EXPECT_EQ(cut.pixels(), expected);
}

TEST(BmpReader, TraceListsTheHeaderValuesAndByteOrderIsChecked)
{
    bmpTrace = true;
    Read r(buildBmp({.width = 5, .height = 1, .bits = 24, .pixels = Bytes(16, 0)}));
    bmpTrace = false;
    EXPECT_EQ(r.printed, "Size = 70\nOffset = 54\nHeader size = 40\nWidth = 5\nHeight = 1\nNumberColorPlanes = 1\n"
                         "BitsPerPixel = 24\nCompressionType = 0\nColorTableSize = 0\nBytesPerPixel = 3\n"
                         "BytesPerRow = 16\n");
    EXPECT_EQ(swapBytes, 0);  // this host is little-endian

    std::uint32_t word = 0x11223344;
    swap32(&word);
    EXPECT_EQ(word, 0x44332211u);
    std::uint16_t half = 0x1122;
    swap16(&half);
    EXPECT_EQ(half, 0x2211);
}
