// F12: the window's picture as a PNG in the user's pictures folder.
#include <GL/glut.h>
#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "app/overlay.h"
#include "app/screenshot.h"
#include "platform/i18n.h"

namespace {

bool isFolder(const std::string& path)
{
    std::error_code error;
    return !path.empty() && std::filesystem::is_directory(path, error);
}

// What `xdg-user-dir PICTURES` answers, or "" when it is missing or fails.
std::string xdgPictures()
{
    FILE* pipe = popen("xdg-user-dir PICTURES 2>/dev/null", "r");
    if (!pipe)
        return "";
    std::string out;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    if (pclose(pipe) != 0)
        return "";
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r'))
        out.pop_back();
    return out;
}

// Opens a new file, never one that exists: a second shot within the same
// second gets "-2", "-3", ... before the extension.
FILE* createNew(const std::string& folder, const std::string& stem, std::string& path)
{
    for (int n = 1; n < 100; ++n) {
        path = folder + "/" + stem + (n == 1 ? "" : "-" + std::to_string(n)) + ".png";
        if (FILE* file = std::fopen(path.c_str(), "wbx"))
            return file;
        if (errno != EEXIST)
            return nullptr;
    }
    return nullptr;
}

bool writePngTo(FILE* file, int width, int height, const unsigned char* rgb)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    std::vector<png_bytep> rows(static_cast<size_t>(height));
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    for (int r = 0; r < height; ++r)
        rows[static_cast<size_t>(r)] = const_cast<png_bytep>(rgb + static_cast<size_t>(r) * width * 3);
    png_set_rows(png, info, rows.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace

std::string screenshotFolder()
{
    const char* home = std::getenv("HOME");
    const std::string homeFolder = home ? home : "";
    // xdg-user-dir answers the home folder itself when no pictures folder is
    // configured; a ~/Pictures that exists is the better place then.
    const std::string xdg = xdgPictures();
    if (isFolder(xdg) && std::filesystem::path(xdg) != std::filesystem::path(homeFolder))
        return xdg;
    if (!homeFolder.empty()) {
        const std::string pictures = homeFolder + "/Pictures";
        if (isFolder(pictures))
            return pictures;
    }
    if (isFolder(xdg))
        return xdg;
    return ".";
}

bool writePng(const std::string& path, int width, int height, const unsigned char* rgbTopFirst)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return false;
    const bool written = writePngTo(file, width, height, rgbTopFirst);
    return std::fclose(file) == 0 && written;
}

std::string takeScreenshot()
{
    const int width = glutGet(GLUT_WINDOW_WIDTH);
    const int height = glutGet(GLUT_WINDOW_HEIGHT);
    if (width <= 0 || height <= 0)
        return "";
    std::vector<unsigned char> rgb(static_cast<size_t>(width) * height * 3);
    readScreenshotPixels(width, height, rgb.data());

    // Named by the local time of the shot.
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char stem[64];
    std::strftime(stem, sizeof stem, "solar-system-%Y-%m-%d-%H%M%S", &local);

    const std::string folder = screenshotFolder();
    std::string path;
    FILE* file = createNew(folder, stem, path);
    bool written = file != nullptr;
    const int openError = errno;
    if (file) {
        written = writePngTo(file, width, height, rgb.data());
        written = std::fclose(file) == 0 && written;
        if (!written)
            std::remove(path.c_str());  // no half-written picture left behind
    }
    if (!written) {
        std::fprintf(stderr, "solar-system: cannot write a screenshot into %s: %s\n", folder.c_str(),
                     file ? "write failed" : std::strerror(openError));
        showNotice(tr("Screenshot failed"));
        return "";
    }
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
    showNotice(std::string(tr("Screenshot saved")) + ": " + std::filesystem::path(path).filename().string());
    return path;
}
