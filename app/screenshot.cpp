// F12: the window's picture as a PNG in the user's pictures folder.
#include <GL/glut.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "app/overlay.h"
#include "app/screenshot.h"
#include "image/picture.h"
#include "platform/atomic_file.h"
#include "core/i18n.h"

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

// Writes the encoded picture as a new file, never over one that exists: a
// second shot within the same second gets "-2", "-3", ... before the
// extension.  The file appears only once it is whole.  0 or an errno value.
int writeNew(const std::string& folder, const std::string& stem, const unsigned char* png, std::size_t size,
             std::string& path)
{
    for (int n = 1; n < 100; ++n) {
        path = folder + "/" + stem + (n == 1 ? "" : "-" + std::to_string(n)) + ".png";
        const int why = writeFileAtomically(path.c_str(), png, size, ATOMIC_CREATE_NEW, false);
        if (why != EEXIST)
            return why;
    }
    return EEXIST;
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
    const PictureData picture{width, height, 3, const_cast<unsigned char*>(rgbTopFirst)};
    return writePng(path.c_str(), picture, nullptr) == PICTURE_OK;
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
    unsigned char* png = nullptr;
    std::size_t size = 0;
    char message[PICTURE_MESSAGE_SIZE];
    const PictureStatus encoded = encodePng(PictureData{width, height, 3, rgb.data()}, &png, &size, message);
    const int why = encoded == PICTURE_OK ? writeNew(folder, stem, png, size, path) : 0;
    std::free(png);
    if (encoded != PICTURE_OK || why) {
        std::fprintf(stderr, "solar-system: cannot write a screenshot into %s: %s\n", folder.c_str(),
                     encoded != PICTURE_OK ? message : std::strerror(why));
        showNotice(tr("Screenshot failed"));
        return "";
    }
    std::printf("%s\n", path.c_str());
    std::fflush(stdout);
    showNotice(std::string(tr("Screenshot saved")) + ": " + std::filesystem::path(path).filename().string());
    return path;
}
