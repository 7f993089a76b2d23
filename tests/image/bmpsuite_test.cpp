// Every picture of the BMP suite through both BMP readers, against the
// reference decodes listed in its manifest.

#include "tests/support/pictures.h"

#include "image/image.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace {

struct SuiteFile {
    std::string file;
    int bits = 0;
    int headerSize = 0;
    std::string compression;
    int width = 0, height = 0;
    std::string reference;
    std::string notes;
    bool notes_say(const std::string& text) const { return notes.find(text) != std::string::npos; }
};

std::vector<SuiteFile> manifest()
{
    std::ifstream in(testDataDir() / "bmpsuite" / "MANIFEST.tsv");
    std::vector<SuiteFile> files;
    std::string line;
    std::getline(in, line);  // column names
    while (std::getline(in, line)) {
        std::vector<std::string> cols;
        std::stringstream fields(line);
        for (std::string col; std::getline(fields, col, '\t');)
            cols.push_back(col);
        if (cols.size() < 9)
            continue;
        SuiteFile f;
        f.file = cols[0];
        f.bits = std::atoi(cols[1].c_str());
        f.headerSize = std::atoi(cols[2].c_str());
        f.compression = cols[3];
        f.width = std::atoi(cols[5].c_str());
        f.height = std::atoi(cols[6].c_str());
        f.reference = cols[7];
        f.notes = cols[8];
        files.push_back(f);
    }
    return files;
}

std::string suitePath(const SuiteFile& f) { return (testDataDir() / "bmpsuite" / f.file).string(); }

bool loadReference(const SuiteFile& f, Picture& ref)
{
    std::string name = f.file.substr(0, f.file.size() - 4) + ".ref.ppm";
    return readPpm(testDataDir() / "bmpsuite" / name, ref);
}

// Channels of 7, 10, 11, 12 and 18 bits: the reference rounds or floors
// where the loader keeps the top bits or repeats them, so they may be this
// far apart.
const std::map<std::string, int> channelTolerance = {
    {"questionable/rgb32-111110.bmp", 1},
    {"questionable/rgb32-7187.bmp", 2},
    {"questionable/rgba32-1010102.bmp", 1},
    {"questionable/rgba32-81284.bmp", 1},
};

// Compares a decode with the reference.  `skippedBlack`: pixels an RLE stream
// skips are black here and palette entry 0 in the reference.
void expectMatches(const SuiteFile& f, const ImageRGB& image, const Picture& ref, bool skippedBlack)
{
    ASSERT_EQ(image.width, ref.width) << f.file;
    ASSERT_EQ(image.height, ref.height) << f.file;
    const auto tolerance = channelTolerance.count(f.file) ? channelTolerance.at(f.file) : 0;
    int wrong = 0;
    for (std::size_t i = 0; i < ref.pixels.size(); i += 3) {
        const unsigned char* ours = image.pixels + i;
        if (skippedBlack && ours[0] == 0 && ours[1] == 0 && ours[2] == 0)
            continue;
        for (int c = 0; c < 3; ++c)
            if (std::abs(ours[c] - ref.pixels[i + c]) > tolerance)
                ++wrong;
    }
    EXPECT_EQ(wrong, 0) << f.file << ": channels that differ from the reference";
}

// The file is a bad one: refusing it and decoding it are both right.
bool eitherWay(const SuiteFile& f) { return f.notes_say("refuse or decode"); }

}  // namespace

TEST(BmpSuite, DibLoaderDecodesOrRefusesEveryFileAsTheManifestSays)
{
    const auto files = manifest();
    ASSERT_GT(files.size(), 80u);
    for (const SuiteFile& f : files) {
        SCOPED_TRACE(f.file);
        RecordedBoxes boxes;
        ImageRGB* image = loadDibImage(suitePath(f).c_str());

        if (f.notes_say("dib: must refuse \"Unknown DIB file format.\"")) {
            EXPECT_EQ(image, nullptr);
            EXPECT_EQ(boxes.texts, std::vector<std::string>{"Unknown DIB file format."});
        } else if (f.notes_say("dib: outside the required") || f.notes_say("dib: must refuse (width")) {
            EXPECT_EQ(image, nullptr);
            EXPECT_EQ(boxes.texts, std::vector<std::string>{"Image file conversion error."});
        } else if (f.file == "bad/reallybig.bmp") {
            EXPECT_EQ(image, nullptr);
            EXPECT_EQ(boxes.texts, std::vector<std::string>{"Out of memory."});
        } else if (f.file == "bad/shortfile.bmp") {
            EXPECT_EQ(image, nullptr);
            EXPECT_EQ(boxes.texts, std::vector<std::string>{"Image file conversion error."});
        } else if (eitherWay(f)) {
            // Decoded or refused with one message; a decode has the header's size.
            if (image) {
                EXPECT_TRUE(boxes.texts.empty());
                EXPECT_EQ(image->width, f.width);
                EXPECT_EQ(image->height, std::abs(f.height));
            } else {
                EXPECT_EQ(boxes.texts.size(), 1u);
            }
        } else {
            ASSERT_NE(image, nullptr) << (boxes.texts.empty() ? "" : boxes.texts[0]);
            EXPECT_TRUE(boxes.texts.empty());
            EXPECT_EQ(image->width, f.width);
            EXPECT_EQ(image->height, std::abs(f.height));
            Picture ref;
            if (f.reference != "no" && !f.notes_say("APPROXIMATE ref")) {
                ASSERT_TRUE(loadReference(f, ref));
                expectMatches(f, *image, ref, f.notes_say("compare defined pixels only"));
            }
        }
        freeImage(image);
    }
}

TEST(BmpSuite, IndicesBeyondTheColourTableAreBlack)
{
    // 101 table entries; the reference paints higher indices grey, we black.
    const auto path = testDataDir() / "bmpsuite" / "bad" / "pal8badindex.bmp";
    const Bytes file = readFileBytes(path);
    Picture ref;
    ASSERT_TRUE(readPpm(testDataDir() / "bmpsuite" / "bad" / "pal8badindex.ref.ppm", ref));
    const std::size_t offset = file[10] | file[11] << 8;
    const std::size_t stride = 128;

    auto check = [&](const ImageRGB& image) {
        int outside = 0;
        for (int y = 0; y < ref.height; ++y) {
            for (int x = 0; x < ref.width; ++x) {
                const unsigned index = file[offset + y * stride + x];
                const std::size_t at = (static_cast<std::size_t>(y) * ref.width + x) * 3;
                const Bytes expected = index < 101 ? Bytes(&ref.pixels[at], &ref.pixels[at] + 3) : Bytes{0, 0, 0};
                ASSERT_EQ(Bytes(image.pixels + at, image.pixels + at + 3), expected) << x << "," << y;
                outside += index >= 101;
            }
        }
        EXPECT_GT(outside, 1000);
    };
    RecordedBoxes boxes;
    ImageRGB* image = loadDibImage(path.string().c_str());
    ASSERT_NE(image, nullptr);
    check(*image);
    freeImage(image);

    ImageRGB sky{};
    testing::internal::CaptureStdout();
    readBmp(path.string().c_str(), &sky);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    ASSERT_NE(sky.pixels, nullptr);
    check(sky);
    std::free(sky.pixels);
}

TEST(BmpSuite, BmpReaderDecodesUncompressed8And24BitFilesAndRefusesTheRest)
{
    for (const SuiteFile& f : manifest()) {
        if (f.file == "bad/pal8badindex.bmp")
            continue;  // its own test
        SCOPED_TRACE(f.file);
        // What the reader takes: 8 or 24 bits, uncompressed, a header of 40
        // bytes or more, a sane size; top-down files are turned round.
        const bool takes = (f.bits == 8 || f.bits == 24) && f.compression.rfind("0=", 0) == 0 && f.headerSize >= 40 &&
                           f.width > 0 && std::abs(f.height) <= 16384 && f.width <= 16384;
        ImageRGB image{};
        testing::internal::CaptureStdout();
        readBmp(suitePath(f).c_str(), &image);
        const std::string printed = testing::internal::GetCapturedStdout();
        if (!takes) {
            EXPECT_EQ(image.pixels, nullptr);
            EXPECT_NE(printed, "");
            EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
            std::free(image.pixels);
            continue;
        }
        ASSERT_NE(image.pixels, nullptr) << printed;
        EXPECT_EQ(printed, "");
        // Beyond what the manifest expects of this reader: top-down files only.
        if (f.notes_say("bmp: refuses")) {
            EXPECT_LT(f.height, 0);
        }
        Picture ref;
        if (f.reference != "no") {
            ASSERT_TRUE(loadReference(f, ref));
            expectMatches(f, image, ref, false);
        }
        std::free(image.pixels);
    }
}
