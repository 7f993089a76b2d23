// Every prefix of valid files through each decoding core: refused or
// decoded, never read outside the bytes given (the prefix is copied into a
// buffer of exactly its size, so AddressSanitizer sees any overrun).

#include "support.h"

#include "image/image_core.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

template <typename Decode>
void forEveryPrefix(const Bytes& file, Decode decode)
{
    for (std::size_t n = 0; n <= file.size(); ++n) {
        std::unique_ptr<unsigned char[]> copy(new unsigned char[n ? n : 1]);
        if (n)
            std::memcpy(copy.get(), file.data(), n);
        decode(copy.get(), n);
    }
}

}  // namespace

TEST(Truncation, DibPrefixesAreRefusedOrDecoded)
{
    const std::vector<std::string> names = {"good/pal1.bmp", "good/pal4rle.bmp", "good/pal8rle.bmp",
                                            "good/pal8os2.bmp", "good/rgb16-565.bmp", "good/rgb32bf.bmp",
                                            "good/pal8topdown.bmp", "questionable/pal8rletrns.bmp"};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const Bytes file = readFileBytes(testDataDir() / "bmpsuite" / name);
        ASSERT_FALSE(file.empty());
        int decoded = 0;
        forEveryPrefix(file, [&](const unsigned char* data, std::size_t size) {
            ImageRGB* image = nullptr;
            const ImageStatus status = decodeDib(data, size, &image);
            if (status == IMAGE_OK) {
                ++decoded;
                EXPECT_EQ(image->width, 127);
                freeImage(image);
            } else {
                EXPECT_EQ(image, nullptr);
            }
        });
        EXPECT_GE(decoded, 1);  // at least the whole file
    }
}

TEST(Truncation, BmpReaderPrefixesAreRefusedOrDecoded)
{
    for (const char* name : {"good/pal8.bmp", "good/rgb24.bmp", "questionable/pal8offs.bmp"}) {
        SCOPED_TRACE(name);
        const Bytes file = readFileBytes(testDataDir() / "bmpsuite" / name);
        ImageRGB full{};
        BmpHeaderInfo info{};
        ASSERT_EQ(decodeBmp(file.data(), file.size(), &full, &info), BMP_OK);
        std::free(full.pixels);
        const std::size_t raster = std::size_t(info.bytesPerRow) * std::size_t(std::abs(info.height));
        forEveryPrefix(file, [&](const unsigned char* data, std::size_t size) {
            ImageRGB image{};
            const BmpStatus status = decodeBmp(data, size, &image, nullptr);
            // A cut file keeps its rows while at least half of them are there.
            const bool halfThere = size >= info.pixelOffset && 2 * (size - info.pixelOffset) >= raster;
            EXPECT_EQ(status == BMP_OK || (status == BMP_SHORT_PIXELS && halfThere), image.pixels != nullptr)
                << size;
            std::free(image.pixels);
        });
    }
}

TEST(Truncation, SgiPrefixesAreRefusedOrDecoded)
{
    TempDir dir;
    Picture p{9, 5, {}};
    for (int i = 0; i < 9 * 5 * 3; ++i)
        p.pixels.push_back(static_cast<unsigned char>(i < 60 ? 40 : i * 29));
    writePpm(dir.path / "x.ppm", p);
    for (const char* options : {"-compress RLE", "-compress None"}) {
        const std::string command = "convert '" + (dir.path / "x.ppm").string() + "' " + options + " 'sgi:" +
                                    (dir.path / "x.rgb").string() + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
        const Bytes file = readFileBytes(dir.path / "x.rgb");
        forEveryPrefix(file, [](const unsigned char* data, std::size_t size) {
            ImageRGB* image = nullptr;
            if (decodeRgb(data, size, &image) == IMAGE_OK) {
                EXPECT_EQ(image->width, 9);
                freeImage(image);
            }
        });
    }
}
