// Windows-style names on a case-sensitive file system.

#include "tests/support/pictures.h"

#include "platform/file_map.h"
#include "platform/win_path.h"

#include <gtest/gtest.h>

TEST(WindowsPath, BackslashesAndCaseResolveToTheOneExistingFile)
{
    TempDir dir;
    std::filesystem::create_directories(dir.path / "image" / "Deep");
    writeFileBytes(dir.path / "image" / "Deep" / "earth.bmp", {1, 2, 3});
    const std::string root = dir.path.string();
    const std::string expected = root + "/image/Deep/earth.bmp";
    EXPECT_EQ(resolveWindowsPath(root + "\\image\\deep\\Earth.BMP"), expected);
    EXPECT_EQ(resolveWindowsPath(root + "/.\\Image\\DEEP\\earth.bmp"), root + "/./image/Deep/earth.bmp");
    EXPECT_EQ(resolveWindowsPath(expected), expected);
    // Nothing matches: the name is kept with '/' separators, and opens fail.
    EXPECT_EQ(resolveWindowsPath(root + "\\image\\Moon.bmp"), root + "/image/Moon.bmp");

    const FileMap mapped((root + "\\IMAGE\\deep\\EARTH.bmp").c_str());
    ASSERT_TRUE(mapped.valid());
    EXPECT_EQ(Bytes(mapped.data(), mapped.data() + mapped.size()), (Bytes{1, 2, 3}));
    EXPECT_FALSE(FileMap((root + "\\image\\Moon.bmp").c_str()).valid());
    EXPECT_FALSE(FileMap(root.c_str()).valid());  // a folder is not a file

    writeFileBytes(dir.path / "empty", {});
    const FileMap empty((dir.path / "empty").string().c_str());
    EXPECT_TRUE(empty.valid());
    EXPECT_EQ(empty.size(), 0u);
}
