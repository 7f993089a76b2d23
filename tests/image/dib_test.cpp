// The DIB loader on hand-built files: layouts, depths, messages.

#include "tests/support/pictures.h"

#include "image/image.h"
#include "image/image_core.h"

#include <gtest/gtest.h>

namespace {

using Texts = std::vector<std::string>;

// Loads `bytes` from a real file through loadDibImage.
struct Loaded : LoadedFile {
    explicit Loaded(const Bytes& bytes) : LoadedFile(bytes, loadDibImage) {}
};

const Bytes sixPixels = {255, 0,  0,  0,  255, 0,  0,  0,  255,  // bottom row: red, green, blue
                         10,  20, 30, 40, 50,  60, 70, 80, 90};

}  // namespace

TEST(DibLoader, TwentyFourBitRowsComeOutUnpaddedInRedGreenBlueOrder)
{
    Loaded l(buildBmp({.width = 3, .height = 2, .bits = 24, .pixels = rows24(3, 2, sixPixels)}));
    ASSERT_NE(l.image, nullptr);
    EXPECT_EQ(l.image->width, 3);
    EXPECT_EQ(l.image->height, 2);
    EXPECT_EQ(l.pixels(), sixPixels);
    EXPECT_TRUE(l.boxes.texts.empty());
}

TEST(DibLoader, TopDownRowsAreTurnedRoundAndTheHeightIsPositive)
{
    Bytes stored = rows24(3, 1, Bytes(sixPixels.begin() + 9, sixPixels.end()));
    const Bytes bottom = rows24(3, 1, Bytes(sixPixels.begin(), sixPixels.begin() + 9));
    stored.insert(stored.end(), bottom.begin(), bottom.end());
    Loaded l(buildBmp({.width = 3, .height = -2, .bits = 24, .pixels = stored}));
    ASSERT_NE(l.image, nullptr);
    EXPECT_EQ(l.image->height, 2);
    EXPECT_EQ(l.pixels(), sixPixels);
}

TEST(DibLoader, PaletteFilesUseTheirTableAndBlackBeyondIt)
{
    // 16 used entries; index 200 lies beyond them.
    std::vector<std::uint32_t> palette(16);
    for (int i = 0; i < 16; ++i)
        palette[i] = static_cast<std::uint32_t>(i * 0x100000 + i * 0x10 + 1);
    Loaded l(
        buildBmp({.width = 4, .height = 1, .bits = 8, .clrUsed = 16, .palette = palette, .pixels = {0, 15, 200, 7}}));
    ASSERT_NE(l.image, nullptr);
    EXPECT_EQ(l.pixels(), (Bytes{0, 0, 1, 0xF0, 0, 0xF1, 0, 0, 0, 0x70, 0, 0x71}));
}

TEST(DibLoader, CoreHeaderAndBareInfoHeaderGiveTheSamePictureAsTheUsualFile)
{
    const std::vector<std::uint32_t> palette = {0x000000, 0xFF8000, 0x0080FF, 0xFFFFFF};
    const Bytes rows = {0x01, 0x23, 0, 0, 0x32, 0x10, 0, 0};  // 4 bits, 4 x 2
    BmpFields usual{.width = 4, .height = 2, .bits = 4, .clrUsed = 4, .palette = palette, .pixels = rows};
    Loaded a(buildBmp(usual));
    ASSERT_NE(a.image, nullptr);

    BmpFields core = usual;
    core.headerSize = 12;
    core.palette.resize(16);  // a core table has an entry for every index
    Loaded b(buildBmp(core));
    ASSERT_NE(b.image, nullptr);

    BmpFields bare = usual;
    bare.fileHeader = false;
    Loaded c(buildBmp(bare));
    ASSERT_NE(c.image, nullptr);

    EXPECT_EQ(a.pixels(), (Bytes{0,   0,   0,   255, 128, 0,   0,   128, 255, 255, 255, 255,  //
                                 255, 255, 255, 0,   128, 255, 255, 128, 0,   0,   0,   0}));
    EXPECT_EQ(b.pixels(), a.pixels());
    EXPECT_EQ(c.pixels(), a.pixels());
}

TEST(DibLoader, SixteenAndThirtyTwoBitPixelsKeepFullIntensity)
{
    // 5-5-5: full red, half green (16 -> 132), full blue; then 5-6-5 masks.
    Loaded a(buildBmp({.width = 2, .height = 1, .bits = 16, .pixels = {0x00, 0x7C, 0x1F, 0x02}}));
    ASSERT_NE(a.image, nullptr);
    EXPECT_EQ(a.pixels(), (Bytes{255, 0, 0, 0, 132, 255}));

    Loaded b(buildBmp({.width = 2,
                       .height = 1,
                       .bits = 16,
                       .compression = 3,
                       .masks = {0xF800, 0x07E0, 0x001F},
                       .pixels = {0xE0, 0x07, 0x1F, 0xF8}}));
    ASSERT_NE(b.image, nullptr);
    EXPECT_EQ(b.pixels(), (Bytes{0, 255, 0, 255, 0, 255}));

    Loaded c(buildBmp({.width = 1, .height = 1, .bits = 32, .pixels = {1, 2, 3, 99}}));
    ASSERT_NE(c.image, nullptr);
    EXPECT_EQ(c.pixels(), (Bytes{3, 2, 1}));
}

TEST(DibLoader, RunLengthStreamsClipRunsAndLeaveSkippedPixelsBlack)
{
    const std::vector<std::uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    // Row 0: a run of 6 (clipped to 3); end of line; row 1: delta right 1,
    // then an absolute run of 3 (clipped); end of bitmap.
    const Bytes stream = {6, 1, 0, 0, 0, 2, 1, 0, 0, 3, 2, 3, 1, 0, 0, 1};
    Loaded l(buildBmp(
        {.width = 3, .height = 3, .bits = 8, .compression = 1, .clrUsed = 4, .palette = palette, .pixels = stream}));
    ASSERT_NE(l.image, nullptr);
    EXPECT_EQ(l.pixels(), (Bytes{255, 0, 0, 255, 0,   0, 255, 0, 0,    //
                                 0,   0, 0, 0,   255, 0, 0,   0, 255,  //
                                 0,   0, 0, 0,   0,   0, 0,   0, 0}));

    // The same stream cut before its end-of-bitmap escape is refused.
    Loaded cut(buildBmp({.width = 3,
                         .height = 3,
                         .bits = 8,
                         .compression = 1,
                         .clrUsed = 4,
                         .palette = palette,
                         .pixels = Bytes(stream.begin(), stream.begin() + 9)}));
    EXPECT_EQ(cut.image, nullptr);
    EXPECT_EQ(cut.boxes.texts, Texts{"Image file conversion error."});
}

TEST(DibLoader, EachFailureShowsItsOneMessage)
{
    Loaded later(buildBmp({.width = 1, .height = 1, .headerSize = 64, .pixels = {1, 2, 3, 0}}));
    EXPECT_EQ(later.image, nullptr);
    EXPECT_EQ(later.boxes.texts, Texts{"Unknown DIB file format."});

    Loaded shortRows(buildBmp({.width = 4, .height = 4, .bits = 24, .pixels = Bytes(40, 7)}));
    EXPECT_EQ(shortRows.image, nullptr);
    EXPECT_EQ(shortRows.boxes.texts, Texts{"Image file conversion error."});

    Loaded huge(buildBmp({.width = 20000, .height = 20000, .bits = 24}));
    EXPECT_EQ(huge.image, nullptr);
    EXPECT_EQ(huge.boxes.texts, Texts{"Out of memory."});

    Loaded emptyFile(Bytes{});
    EXPECT_EQ(emptyFile.image, nullptr);
    ASSERT_EQ(emptyFile.boxes.texts.size(), 1u);
    EXPECT_EQ(emptyFile.boxes.texts[0].rfind("Failed to open DIB file ", 0), 0u);
}

TEST(DibLoader, MissingFileNamesItselfOnceAndQuietModeShowsNothing)
{
    RecordedBoxes boxes;
    EXPECT_EQ(loadDibImage("no\\such\\Picture.bmp"), nullptr);
    EXPECT_EQ(loadDibImageW(L"n\u00e4me\U0001F30D.bmp"), nullptr);
    EXPECT_EQ(boxes.texts, (Texts{"Failed to open DIB file no\\such\\Picture.bmp.\n",
                                  "Failed to open DIB file n\u00e4me\U0001F30D.bmp.\n"}));

    setImageErrorPopups(0);
    EXPECT_EQ(loadDibImage("missing.bmp"), nullptr);
    setImageErrorPopups(1);
    EXPECT_EQ(boxes.texts.size(), 2u);
}

TEST(DibLoader, WindowsNamesFindTheFileWhateverTheirCase)
{
    TempDir dir;
    std::filesystem::create_directory(dir.path / "image");
    writeFileBytes(dir.path / "image" / "Saturn.bmp",
                   buildBmp({.width = 3, .height = 2, .bits = 24, .pixels = rows24(3, 2, sixPixels)}));
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path);
    RecordedBoxes boxes;
    ImageRGB* first = loadDibImage("image\\saturn.bmp");
    ImageRGB* second = loadDibImage(".\\Image\\Saturn.bmp");
    std::filesystem::current_path(cwd);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Bytes(first->pixels, first->pixels + 18), sixPixels);
    EXPECT_EQ(Bytes(second->pixels, second->pixels + 18), sixPixels);
    freeImage(first);
    freeImage(second);
}

TEST(DibLoader, ColourCountFollowsTheHeader)
{
    Bytes core = {12, 0, 0, 0, 1, 0, 1, 0, 1, 0, 8, 0};
    EXPECT_EQ(dibColorCount(core.data()), 256);
    Bytes info(40, 0);
    info[0] = 40;
    info[14] = 4;
    EXPECT_EQ(dibColorCount(info.data()), 16);
    info[32] = 5;
    EXPECT_EQ(dibColorCount(info.data()), 5);
    info[32] = 0;
    info[14] = 24;
    EXPECT_EQ(dibColorCount(info.data()), 0);
}
