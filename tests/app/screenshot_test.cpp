// Where screenshots go and how they are written.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "app/screenshot.h"
#include "tests/support/files.h"
#include "tests/support/x_session.h"

#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace {

// Sets an environment variable for the scope, then puts it back.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

TEST(Screenshots, FolderIsTheXdgPicturesFolderElsePicturesElseTheWorkingDirectory)
{
    const TempDir home;
    const ScopedEnv homeVar("HOME", home.path.c_str());
    const ScopedEnv config("XDG_CONFIG_HOME", nullptr);
    namespace fs = std::filesystem;

    // Neither a configured folder nor ~/Pictures: xdg-user-dir's answer (the
    // home folder) where it is installed, else the working directory.
    const bool xdg = runCommand("command -v xdg-user-dir").status == 0;
    EXPECT_EQ(fs::path(screenshotFolder()), xdg ? home.path : fs::path("."));

    fs::create_directories(home.path / "Pictures");
    EXPECT_EQ(fs::path(screenshotFolder()), home.path / "Pictures");

    if (!xdg)
        GTEST_SKIP() << "xdg-user-dir is not installed";
    fs::create_directories(home.path / ".config");
    fs::create_directories(home.path / "Shots");
    writeFile(home.path / ".config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Shots\"\n");
    EXPECT_EQ(fs::path(screenshotFolder()), home.path / "Shots");
}

TEST(Screenshots, PngIsWrittenWholeOrReportedAsFailed)
{
    const TempDir dir;
    const unsigned char rgb[2 * 2 * 3] = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    ASSERT_TRUE(writePng(dir.file("a.png"), 2, 2, rgb));
    int w = 0, h = 0, channels = 0;
    unsigned char* back = stbi_load(dir.file("a.png").c_str(), &w, &h, &channels, 3);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(w, 2);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(channels, 3);
    EXPECT_TRUE(std::equal(rgb, rgb + sizeof rgb, back));  // top row first, as given
    stbi_image_free(back);
    EXPECT_FALSE(writePng(dir.file("no/such/folder/b.png"), 2, 2, rgb));
}

}  // namespace
