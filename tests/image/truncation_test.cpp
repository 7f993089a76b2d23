// Every prefix of a valid picture file is refused or decoded cleanly: the
// decoding cores never read past the bytes they are given (each prefix lives
// in a heap block of exactly its length, so AddressSanitizer sees any
// over-read), hand out nothing on failure and leak nothing.
#include <gtest/gtest.h>

#include <cstdlib>
#include <algorithm>
#include <cstring>

#include "image/image_core.h"
#include "tests/support/bytes.h"
#include "tests/support/pictures.h"
#include "tests/support/samples.h"

namespace {

std::vector<SampleFile> dibFiles()
{
    std::vector<SampleFile> files = dibSamples();
    for (SampleFile& f : bitmapSuiteFiles({"good/pal1.bmp", "good/pal4rle.bmp", "good/pal8rle.bmp", "good/pal8os2.bmp",
                                           "good/rgb16-565.bmp", "good/rgb24.bmp", "good/pal8topdown.bmp",
                                           "good/rgb32bf.bmp", "good/pal8v5.bmp", "questionable/pal8rletrns.bmp",
                                           "questionable/rgb32h52.bmp", "questionable/rgba32h56.bmp"}))
        files.push_back(std::move(f));
    return files;
}

using Decoder = ImageStatus (*)(const unsigned char*, std::size_t, ImageRGB**);

// Every prefix of every file decodes to a picture of the full file's size,
// or is refused with one of the `refusals` and nothing handed out.
// `refusedUpTo`: prefixes up to this length must be refused.
void everyPrefix(const std::vector<SampleFile>& files, Decoder decode, std::vector<ImageStatus> refusals,
                 std::size_t refusedUpTo)
{
    for (const SampleFile& file : files) {
        ImageRGB* full = nullptr;
        ASSERT_EQ(decode(file.bytes.data(), file.bytes.size(), &full), IMAGE_OK) << file.name;
        for (std::size_t n = 0; n < file.bytes.size(); ++n) {
            Prefix prefix(file.bytes, n);
            ImageRGB* image = nullptr;
            ImageStatus status = decode(prefix.data, prefix.size, &image);
            if (n <= refusedUpTo) {
                ASSERT_NE(status, IMAGE_OK) << file.name << " cut at " << n;
            }
            if (status == IMAGE_OK) {
                ASSERT_NE(image, nullptr);
                ASSERT_EQ(image->width, full->width) << file.name << " cut at " << n;
                ASSERT_EQ(image->height, full->height) << file.name << " cut at " << n;
                freeImage(image);
            } else {
                ASSERT_EQ(image, nullptr) << file.name << " cut at " << n;
                ASSERT_NE(std::find(refusals.begin(), refusals.end(), status), refusals.end())
                    << file.name << " cut at " << n << ": " << imageStatusMessage(status);
            }
        }
        freeImage(full);
    }
}

TEST(Truncation, DibEveryPrefixIsRefusedOrDecoded)
{
    // A bitmap needs at least its 12-byte core header.
    everyPrefix(dibFiles(), decodeDib, {IMAGE_UNKNOWN_FORMAT, IMAGE_CONVERSION_ERROR}, 11);
}

TEST(Truncation, SgiEveryPrefixIsRefusedOrDecoded)
{
    // Missing bytes read as zero: without the channel count's low byte
    // (offset 10 or 11) the picture has no channels.
    everyPrefix(sgiSamples(), decodeRgb, {IMAGE_INVALID_RGB}, 10);
}

std::vector<SampleFile> bmpFiles()
{
    std::vector<SampleFile> files = bmpSamples();
    for (SampleFile& f : bitmapSuiteFiles({"good/pal8.bmp", "good/pal8w125.bmp", "good/rgb24.bmp", "good/pal8-0.bmp"}))
        files.push_back(std::move(f));
    return files;
}

// The sky reader's status follows from where the file ends: the signature,
// the file header, the info header, then whole rows of pixels.
TEST(Truncation, BmpEveryPrefixFailsAtTheRightStep)
{
    for (const SampleFile& file : bmpFiles()) {
        ImageRGB full = {};
        BmpHeaderInfo info = {};
        ASSERT_EQ(decodeBmp(file.bytes.data(), file.bytes.size(), &full, &info), BMP_OK) << file.name;
        const std::size_t stride = info.bytesPerRow;
        const std::size_t rowBytes = std::size_t(full.width) * 3;
        const std::size_t pixelEnd = info.pixelOffset + stride * std::size_t(full.height);
        for (std::size_t n = 0; n < file.bytes.size(); ++n) {
            Prefix prefix(file.bytes, n);
            ImageRGB image = {};
            BmpStatus status = decodeBmp(prefix.data, prefix.size, &image, nullptr);
            BmpStatus expected = n < 2          ? BMP_NOT_BMP
                                 : n < 14       ? BMP_SHORT_FILE_HEADER
                                 : n < 54       ? BMP_SHORT_INFO_HEADER
                                 : n < pixelEnd ? BMP_SHORT_PIXELS
                                                : BMP_OK;
            ASSERT_EQ(status, expected) << file.name << " cut at " << n;
            // Less than half of the rows: refused without pixels.
            if (status == BMP_SHORT_PIXELS &&
                2 * (n - std::min(n, std::size_t{info.pixelOffset})) < stride * std::size_t(full.height)) {
                ASSERT_EQ(image.pixels, nullptr) << file.name << " cut at " << n;
            } else if (status == BMP_SHORT_PIXELS) {
                ASSERT_NE(image.pixels, nullptr);
                ASSERT_EQ(image.width, full.width);
                ASSERT_EQ(image.height, full.height);
                // Bottom-up files: the rows read so far are the picture's.
                std::size_t rowsRead = n > info.pixelOffset ? (n - info.pixelOffset) / stride : 0;
                if (info.height > 0) {
                    ASSERT_EQ(std::memcmp(image.pixels, full.pixels, rowsRead * rowBytes), 0)
                        << file.name << " cut at " << n;
                }
            } else if (status != BMP_OK) {
                ASSERT_EQ(image.pixels, nullptr) << file.name << " cut at " << n;
            }
            std::free(image.pixels);
        }
        std::free(full.pixels);
    }
}

}  // namespace
