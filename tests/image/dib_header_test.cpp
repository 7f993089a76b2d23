// Bitmaps with the longer info headers (52, 56, 108 = V4 and 124 = V5
// bytes) that image editors and converters write today: written here field
// by field and by ImageMagick, they decode to the same pixels as the same
// picture stored with the 40-byte header.

#include "tests/support/pictures.h"

#include "image/image.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace fs = std::filesystem;

namespace {

using Texts = std::vector<std::string>;

// Every channel value in use, bottom row first.
Picture testPicture(int width, int height)
{
    Picture p{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            p.pixels.push_back(static_cast<unsigned char>(x * 41 + y * 7));
            p.pixels.push_back(static_cast<unsigned char>(255 - x * 13 - y * 29));
            p.pixels.push_back(static_cast<unsigned char>((x ^ y) * 23 + 5));
        }
    return p;
}

struct Layout {
    std::uint32_t headerSize = 40;
    int bits = 24;           // 24: blue, green, red bytes; 16 or 32: packed by `masks`
    bool bitfields = false;  // BI_BITFIELDS: the masks are stored (in the header when it has room)
    std::uint32_t masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};  // red, green, blue, alpha
    bool fileHeader = true;
    bool profile = false;  // V5: an embedded colour profile after the pixels
};

// One 8-bit channel value placed under a mask of any width (top bits kept).
std::uint32_t packChannel(unsigned char value, std::uint32_t mask)
{
    if (!mask)
        return 0;
    int shift = 0;
    while (!(mask >> shift & 1))
        ++shift;
    int width = 0;
    while (width + shift < 32 && (mask >> (shift + width) & 1))
        ++width;
    const std::uint32_t v = width >= 8 ? std::uint32_t{value} << (width - 8) : value >> (8 - width);
    return v << shift & mask;
}

Bytes writeBitmap(const Picture& p, const Layout& l)
{
    // Without BI_BITFIELDS, 16 and 32 bits are 5-5-5 and 8-8-8 whatever the
    // header's mask fields hold; those fields then carry a red/blue swap that
    // a decoder must not use.
    const std::uint32_t fixed16[4] = {0x7C00, 0x03E0, 0x001F, 0};
    const std::uint32_t fixed32[4] = {0xFF0000, 0xFF00, 0xFF, 0};
    const std::uint32_t* packing = l.bitfields ? l.masks : l.bits == 16 ? fixed16 : fixed32;
    const std::uint32_t stored[4] = {l.masks[2], l.masks[1], l.masks[0], l.masks[3]};
    const std::uint32_t* headerMasks = l.bitfields ? l.masks : stored;

    Bytes pixels;
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            const unsigned char* px = &p.pixels[(static_cast<std::size_t>(y) * p.width + x) * 3];
            if (l.bits == 24) {
                pixels.insert(pixels.end(), {px[2], px[1], px[0]});
                continue;
            }
            std::uint32_t v = packChannel(px[0], packing[0]) | packChannel(px[1], packing[1]) |
                              packChannel(px[2], packing[2]) | packing[3];  // opaque
            if (l.bits == 16)
                putLe16(pixels, static_cast<std::uint16_t>(v));
            else
                putLe32(pixels, v);
        }
        while (pixels.size() % 4)
            pixels.push_back(0);
    }

    const bool masksAfter = l.bitfields && l.headerSize < 52;
    const std::uint32_t pixelsAt = (l.fileHeader ? 14 : 0) + l.headerSize + (masksAfter ? 12 : 0);
    const Bytes profile(48, 0x5A);

    Bytes h;
    putLe32(h, l.headerSize);
    putLe32(h, static_cast<std::uint32_t>(p.width));
    putLe32(h, static_cast<std::uint32_t>(p.height));
    putLe16(h, 1);
    putLe16(h, static_cast<std::uint16_t>(l.bits));
    putLe32(h, l.bitfields ? 3 : 0);
    putLe32(h, static_cast<std::uint32_t>(pixels.size()));
    putLe32(h, 2835);
    putLe32(h, 2835);
    putLe32(h, 0);  // colours used
    putLe32(h, 0);  // colours important
    if (l.headerSize >= 52)
        for (int c = 0; c < 3; ++c)
            putLe32(h, headerMasks[c]);
    if (l.headerSize >= 56)
        putLe32(h, headerMasks[3]);
    if (l.headerSize >= 108) {
        putLe32(h, l.profile ? 0x4D424544 : 0x73524742);  // 'MBED' or 'sRGB'
        for (int i = 0; i < 9; ++i)
            putLe32(h, 0x10000 * (i + 1));  // end points
        for (int i = 0; i < 3; ++i)
            putLe32(h, 0x20000);  // gamma
    }
    if (l.headerSize >= 124) {
        putLe32(h, 4);  // rendering intent
        putLe32(h, l.profile ? static_cast<std::uint32_t>(l.headerSize + pixels.size()) : 0);
        putLe32(h, l.profile ? static_cast<std::uint32_t>(profile.size()) : 0);
        putLe32(h, 0);
    }
    h.resize(l.headerSize, 0);
    if (masksAfter)
        for (int c = 0; c < 3; ++c)
            putLe32(h, l.masks[c]);

    Bytes file;
    if (l.fileHeader) {
        file = {'B', 'M'};
        putLe32(file, static_cast<std::uint32_t>(pixelsAt + pixels.size() + (l.profile ? profile.size() : 0)));
        putLe32(file, 0);
        putLe32(file, pixelsAt);
    }
    file.insert(file.end(), h.begin(), h.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    if (l.profile)
        file.insert(file.end(), profile.begin(), profile.end());
    return file;
}

struct Loaded : LoadedFile {
    explicit Loaded(const Bytes& bytes) : LoadedFile(bytes, loadDibImage) {}
};

std::uint32_t headerSizeOf(const Bytes& file) { return file[14] | file[15] << 8 | file[16] << 16 | file[17] << 24; }
unsigned bitsOf(const Bytes& file) { return file[28] | file[29] << 8; }

}  // namespace

TEST(DibHeaders, LongerHeadersDecodeLikeTheirFortyByteTwins)
{
    const Picture picture = testPicture(7, 5);
    Loaded twin(writeBitmap(picture, {}));
    ASSERT_NE(twin.image, nullptr);
    ASSERT_EQ(twin.pixels(), picture.pixels);

    for (std::uint32_t size : {52u, 56u, 108u, 124u}) {
        for (bool fileHeader : {true, false}) {
            Layout plain24{.headerSize = size, .fileHeader = fileHeader};
            Layout plain32{.headerSize = size, .bits = 32, .fileHeader = fileHeader};
            // Masks in an unusual order, and an alpha channel that is dropped.
            Layout masked32{.headerSize = size,
                            .bits = 32,
                            .bitfields = true,
                            .masks = {0x0000FF00, 0xFF000000, 0x00FF0000, 0x000000FF},
                            .fileHeader = fileHeader};
            for (const Layout& l : {plain24, plain32, masked32}) {
                SCOPED_TRACE("header " + std::to_string(size) + ", " + std::to_string(l.bits) + " bits" +
                             (l.bitfields ? ", masks" : "") + (fileHeader ? "" : ", no file header"));
                Loaded decoded(writeBitmap(picture, l));
                ASSERT_NE(decoded.image, nullptr) << (decoded.boxes.texts.empty() ? "" : decoded.boxes.texts[0]);
                EXPECT_TRUE(decoded.boxes.texts.empty());
                EXPECT_EQ(decoded.image->width, 7);
                EXPECT_EQ(decoded.image->height, 5);
                EXPECT_EQ(decoded.pixels(), twin.pixels());
            }
        }
    }
}

TEST(DibHeaders, MasksComeFromTheHeaderWhenItHasRoomForThem)
{
    // 16-bit 5-6-5: the 40-byte header keeps its masks after itself, the
    // longer ones inside; the pixels agree bit for bit.
    const Picture picture = testPicture(6, 3);
    const Layout fortyMasks{.bits = 16, .bitfields = true, .masks = {0xF800, 0x07E0, 0x001F, 0}};
    Loaded twin(writeBitmap(picture, fortyMasks));
    ASSERT_NE(twin.image, nullptr);
    for (std::uint32_t size : {52u, 56u, 108u, 124u}) {
        Layout l = fortyMasks;
        l.headerSize = size;
        Loaded decoded(writeBitmap(picture, l));
        ASSERT_NE(decoded.image, nullptr) << size;
        EXPECT_EQ(decoded.pixels(), twin.pixels()) << size;
    }

    // A V5 file with an embedded profile after its pixels: the profile is
    // ignored.
    Loaded profiled(writeBitmap(picture, {.headerSize = 124, .profile = true}));
    ASSERT_NE(profiled.image, nullptr);
    EXPECT_EQ(profiled.pixels(), picture.pixels);

    // Other header sizes are still unknown, and a header the file cuts short
    // is a damaged file.
    for (std::uint32_t size : {16u, 41u, 64u, 100u, 128u}) {
        Loaded unknown(writeBitmap(picture, {.headerSize = size}));
        EXPECT_EQ(unknown.image, nullptr) << size;
        EXPECT_EQ(unknown.boxes.texts, Texts{"Unknown DIB file format."}) << size;
    }
    Bytes cut = writeBitmap(picture, {.headerSize = 124});
    cut.resize(14 + 100);
    Loaded shortHeader(cut);
    EXPECT_EQ(shortHeader.image, nullptr);
    EXPECT_EQ(shortHeader.boxes.texts, Texts{"Image file conversion error."});
}

TEST(DibHeaders, ImageMagickBitmapsDecodeLikeTheirFortyByteTwins)
{
    TempDir dir;
    const Picture picture = testPicture(13, 6);
    writePpm(dir.path / "in.ppm", picture);
    const Bytes twinFile = convertWith(dir.path / "in.ppm", "", "BMP3", dir.path / "out.bmp");
    ASSERT_EQ(headerSizeOf(twinFile), 40u);
    Loaded twin(twinFile);
    ASSERT_NE(twin.image, nullptr);
    ASSERT_EQ(twin.pixels(), picture.pixels);

    // ImageMagick 6 writes a V5 header by default: 24 bits without masks,
    // 32 bits with masks once the picture has an alpha channel, and a
    // colour table for a palette picture (run-length encoded unless told not
    // to be, which the sky reader does not take).
    const struct {
        const char* options;
        unsigned bits;
    } variants[] = {{"", 24}, {"-alpha on", 32}, {"-type Palette", 8}, {"-type Palette -compress None", 8}};
    for (const auto& v : variants) {
        SCOPED_TRACE(v.options);
        const Bytes file = convertWith(dir.path / "in.ppm", v.options, "BMP", dir.path / "out.bmp");
        ASSERT_EQ(headerSizeOf(file), 124u);
        ASSERT_EQ(bitsOf(file), v.bits);
        Loaded decoded(file);
        ASSERT_NE(decoded.image, nullptr) << (decoded.boxes.texts.empty() ? "" : decoded.boxes.texts[0]);
        EXPECT_EQ(decoded.pixels(), twin.pixels());

        // The sky reader takes the uncompressed 8- and 24-bit ones alike.
        if (v.bits != 32 && file[30] == 0) {
            writeFileBytes(dir.path / "v5.bmp", file);
            ImageRGB sky{};
            testing::internal::CaptureStdout();
            readBmp((dir.path / "v5.bmp").string().c_str(), &sky);
            EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
            ASSERT_NE(sky.pixels, nullptr);
            EXPECT_EQ(Bytes(sky.pixels, sky.pixels + picture.pixels.size()), picture.pixels);
            std::free(sky.pixels);
        }
    }
}
