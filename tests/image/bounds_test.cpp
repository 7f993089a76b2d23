// Resource bounds and hostile header values: pictures over 2^28 pixels are
// refused before anything large is allocated, whatever their shape; size
// arithmetic never overflows (UndefinedBehaviorSanitizer watches it in the
// sanitizer build); and tables and run-length streams that point outside
// the file or the row are refused.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image/image_core.h"
#include "tests/support/files.h"
#include "tests/support/pictures.h"

namespace {

// A bitmap with file header, 40-byte header, `colours` grey entries and the
// pixel bytes given (not necessarily as many as the header claims).
Bytes bitmap(std::int32_t width, std::int32_t height, int bits, unsigned compression, const Bytes& pixels,
             unsigned colours = 0)
{
    BmpFields fields{.width = width, .height = height, .bits = bits, .compression = compression, .clrUsed = colours};
    for (unsigned i = 0; i < colours; ++i)
        fields.palette.push_back(i * 0x010101u);
    fields.pixels = pixels;
    return buildBmp(fields);
}

using Decoder = ImageStatus (*)(const unsigned char*, std::size_t, ImageRGB**);

// How `decode` ends on `file`; the picture, if any, is released.
ImageStatus statusOf(Decoder decode, const Bytes& file)
{
    ImageRGB* image = nullptr;
    ImageStatus status = decode(file.data(), file.size(), &image);
    freeImage(image);
    return status;
}
ImageStatus dibStatus(const Bytes& file) { return statusOf(decodeDib, file); }
ImageStatus sgiStatus(const Bytes& file) { return statusOf(decodeRgb, file); }

BmpStatus bmpStatus(const Bytes& file)
{
    ImageRGB image = {};
    BmpStatus status = decodeBmp(file.data(), file.size(), &image, nullptr);
    std::free(image.pixels);
    return status;
}

TEST(Bounds, DibRefusesPicturesOverThePixelLimitAndAbsurdHeaders)
{
    const Bytes row16384(16384 * 3, 0x40), row40000(40000 * 3, 0x40);
    EXPECT_EQ(dibStatus(bitmap(40000, 1, 24, 0, row40000)), IMAGE_OK);
    EXPECT_EQ(dibStatus(bitmap(1, 40000, 8, 0, Bytes(40000 * 4, 1), 2)), IMAGE_OK);
    // Run-length files claim their size cheaply: an end-of-bitmap escape
    // alone stands for a whole picture, so the pixel limit is their bound.
    const Bytes endOfBitmap = {0, 1};
    EXPECT_EQ(dibStatus(bitmap(4, 16384, 8, 1, endOfBitmap, 2)), IMAGE_OK);
    EXPECT_EQ(dibStatus(bitmap(1, 20000, 8, 1, endOfBitmap, 2)), IMAGE_OK);
    EXPECT_EQ(dibStatus(bitmap(1 << 14, (1 << 14) + 1, 8, 1, endOfBitmap, 2)), IMAGE_OUT_OF_MEMORY);
    EXPECT_EQ(dibStatus(bitmap((1 << 28) + 1, 1, 8, 1, endOfBitmap, 2)), IMAGE_OUT_OF_MEMORY);
    EXPECT_EQ(dibStatus(bitmap(1, -(1 << 28) - 1, 8, 1, endOfBitmap, 2)), IMAGE_OUT_OF_MEMORY);
    // Uncompressed rows must be in the file, whatever the shape.
    EXPECT_EQ(dibStatus(bitmap(16384, 16384, 24, 0, row16384)), IMAGE_CONVERSION_ERROR);
    EXPECT_EQ(dibStatus(bitmap(1 << 27, 2, 1, 0, row16384, 2)), IMAGE_CONVERSION_ERROR);
    // Headers whose sizes overflow 32-bit arithmetic, or are negative.
    for (auto [w, h] : {std::pair{INT_MAX, INT_MAX}, {INT_MIN, 1}, {1, INT_MIN}, {-1, 1}, {0x40000000, 4}})
        EXPECT_NE(dibStatus(bitmap(w, h, 24, 0, row16384)), IMAGE_OK) << w << " x " << h;
}

TEST(Bounds, DibRunLengthStreamsStayInsideTheImage)
{
    // Runs past the row end, deltas past the image, absolute runs past the
    // file: refused or clipped, never written outside the picture.
    const Bytes streams[] = {
        {255, 1, 255, 1, 255, 1, 0, 1},        // runs far wider than the row
        {0, 2, 255, 255, 5, 1, 0, 1},          // a delta far beyond the image
        {0, 200, 1, 2, 3},                     // an absolute run the file cuts
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 9, 1},  // more end-of-lines than rows
        {3, 7, 3, 7},                          // no end-of-bitmap at all
    };
    for (const Bytes& stream : streams) {
        dibStatus(bitmap(3, 2, 8, 1, stream, 2));   // RLE8, index 7 beyond the table
        dibStatus(bitmap(3, 2, 4, 2, stream, 2));   // RLE4
        dibStatus(bitmap(3, -2, 8, 1, stream, 2));  // top-down run-length: refused or flipped
    }
}

TEST(Bounds, BmpRefusesPicturesOverThePixelLimitAndAbsurdHeaders)
{
    EXPECT_EQ(bmpStatus(bitmap(40000, 1, 24, 0, Bytes(40000 * 3, 1))), BMP_OK);
    EXPECT_EQ(bmpStatus(bitmap(5000, 1, 8, 0, Bytes(5000, 1), 256)), BMP_OK);  // a row wider than 3072 bytes
    ImageRGB image = {};
    const Bytes big = bitmap(1 << 15, (1 << 13) + 1, 24, 0, Bytes(64, 1));
    EXPECT_EQ(decodeBmp(big.data(), big.size(), &image, nullptr), BMP_NO_MEMORY);
    EXPECT_EQ(image.pixels, nullptr);
    // Within the limit but not in the file: refused as a short file.
    const Bytes absent = bitmap(1 << 15, 1 << 13, 24, 0, Bytes(64, 1));
    EXPECT_EQ(decodeBmp(absent.data(), absent.size(), &image, nullptr), BMP_SHORT_PIXELS);
    EXPECT_EQ(image.pixels, nullptr);
    for (auto [w, h] : {std::pair{INT_MAX, INT_MAX}, {INT_MIN, 1}, {1, INT_MIN}, {-5, 1}, {1, -16385}})
        EXPECT_NE(bmpStatus(bitmap(w, h, 24, 0, Bytes(64, 1))), BMP_OK) << w << " x " << h;
}

// Run-length tables for a one-row, one-channel picture.
Bytes rowTable(std::uint32_t start, std::uint32_t length, const Bytes& packets)
{
    Bytes b;
    putBe32(b, start);
    putBe32(b, length);
    b.insert(b.end(), packets.begin(), packets.end());
    return b;
}

TEST(Bounds, SgiRefusesOversizedPicturesAndStraysOutsideTheFileOrRow)
{
    EXPECT_EQ(sgiStatus(buildSgi(0, 65535, 1, 3, Bytes(65535 * 3, 9))), IMAGE_OK);
    EXPECT_EQ(sgiStatus(buildSgi(0, 1, 65535, 1, Bytes(65535, 9))), IMAGE_OK);
    EXPECT_EQ(sgiStatus(buildSgi(0, 65535, 65535, 3, {})), IMAGE_OUT_OF_MEMORY);
    EXPECT_EQ(sgiStatus(buildSgi(0, 16384, 16384, 3, Bytes(64, 9))), IMAGE_INVALID_RGB);
    EXPECT_EQ(sgiStatus(buildSgi(1, 16384, 16384, 3, Bytes(64, 9))), IMAGE_INVALID_RGB);
    const Bytes fine = {0x83, 1, 2, 3, 0};
    EXPECT_EQ(sgiStatus(buildSgi(1, 3, 1, 1, rowTable(520, 5, fine))), IMAGE_OK);
    // Row starts and lengths past the file, wrapping 32 bits, or a row whose
    // packets expand beyond its 3 pixels: refused, never read or written
    // outside (the sanitizer build checks the "never").
    const Bytes strays[] = {
        rowTable(0xFFFFFFF0u, 5, fine),       rowTable(520, 0xFFFFFFFFu, fine),
        rowTable(0xFFFFFFFFu, 2, fine),       rowTable(520, 5, {0x7F, 9, 0}),  // a run of 127 into a row of 3
        rowTable(520, 5, {0xFF, 1, 2, 3, 4}),                                  // a literal of 127 the row cannot hold
        rowTable(520, 2, {0x83, 1, 2, 3, 0}),                                  // a literal longer than the stored row
    };
    for (const Bytes& rest : strays) {
        ImageStatus status = sgiStatus(buildSgi(1, 3, 1, 1, rest));
        EXPECT_TRUE(status == IMAGE_OK || status == IMAGE_INVALID_RGB) << imageStatusMessage(status);
    }
}

}  // namespace
