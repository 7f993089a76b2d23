// The file-level loaders over truncated files on disk: every prefix of a
// valid file gives a picture or exactly one of the loader's own messages, and
// every mapping, handle and block is released on each path (LeakSanitizer
// checks the last part in the sanitizer build).
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

#include "image/image.h"
#include "tests/support/files.h"
#include "tests/support/pictures.h"
#include "tests/support/samples.h"

namespace {

// Runs `load` on every prefix of `file` written to disk; each call must give
// a picture and no box, or null and exactly one "Error" box with an allowed
// text.
template <typename Load>
void everyPrefixOnDisk(const SampleFile& file, const std::set<std::string>& allowed, Load load, std::size_t first = 0)
{
    TempDir dir;
    const std::filesystem::path path = dir.path / file.name;
    RecordedBoxes boxes;
    for (std::size_t n = first; n <= file.bytes.size(); ++n) {
        writeFileBytes(path, file.bytes.data(), n);
        boxes.clear();
        ImageRGB* image = load(path.c_str());
        if (image) {
            EXPECT_TRUE(boxes.texts.empty()) << file.name << " cut at " << n;
            freeImage(image);
        } else {
            ASSERT_EQ(boxes.texts.size(), 1u) << file.name << " cut at " << n;
            ASSERT_TRUE(allowed.count(boxes.texts[0])) << file.name << " cut at " << n << ": " << boxes.texts[0];
        }
    }
}

TEST(TruncatedFiles, DibLoaderShowsOneMessageOrLoads)
{
    const std::set<std::string> allowed = {"Unknown DIB file format.", "Image file conversion error."};
    for (const SampleFile& file : dibSamples())
        if (file.name == "8bit_rle8_14x4.bmp" || file.name == "24bit_5x3.bmp" || file.name == "4bit_core_7x3.bmp")
            everyPrefixOnDisk(file, allowed, loadDibImage, 1);
    // An empty file cannot be mapped: the loader reports it as unopenable.
    TempDir dir;
    writeFileBytes(dir.path / "empty.bmp", nullptr, 0);
    RecordedBoxes boxes;
    EXPECT_EQ(loadDibImage((dir.path / "empty.bmp").c_str()), nullptr);
    ASSERT_EQ(boxes.texts.size(), 1u);
    EXPECT_EQ(boxes.texts[0], "Failed to open DIB file " + (dir.path / "empty.bmp").string() + ".\n");
}

TEST(TruncatedFiles, SgiLoaderShowsOneMessageOrLoads)
{
    const std::set<std::string> allowed = {"Invalid rgb file."};
    for (const SampleFile& file : sgiSamples())
        if (file.name == "rle_be_3ch.rgb" || file.name == "verbatim_le_4ch.rgb")
            everyPrefixOnDisk(file, allowed, loadRgbImage);
}

TEST(TruncatedFiles, BmpReaderPrintsItsLinesAndKeepsTheRecordSound)
{
    const SampleFile file = bmpSamples()[2];  // 8-bit, palettised
    TempDir dir;
    const std::filesystem::path path = dir.path / file.name;
    for (std::size_t n = 0; n <= file.bytes.size(); ++n) {
        writeFileBytes(path, file.bytes.data(), n);
        ImageRGB image = {};
        testing::internal::CaptureStdout();
        readBmp(path.c_str(), &image);
        std::string out = testing::internal::GetCapturedStdout();
        if (n == file.bytes.size()) {
            EXPECT_EQ(out, "");
            EXPECT_NE(image.pixels, nullptr);
        } else {
            EXPECT_FALSE(out.empty()) << "cut at " << n;
            EXPECT_EQ(out.back(), '\n') << "cut at " << n;
        }
        std::free(image.pixels);
    }
}

}  // namespace
