// objtool view --snapshot: the first frame drawn, read back from the window
// and written as a PNG (a ".png" name) or raw PPM picture, through a
// temporary file renamed into place only when complete.
#include <GL/gl.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tools/objtool/objtool.h"
#include "tools/objtool/view.h"

namespace {

bool pending = false;
bool png = false;
std::string givenPath;  // as the command line gives it, for messages
OutputFile file;
bool written = false;

// The picture as the file's bytes; false when it cannot be encoded.
bool encode(std::vector<unsigned char> rows, int width, int height, std::string* picture)
{
    if (png) {
        Picture frame;
        frame.width = width;
        frame.height = height;
        frame.pixels = std::move(rows);
        return encodePng(frame, picture);
    }
    // OpenGL gives the bottom row first; PPM wants the top row first.
    *picture = "P6\n" + std::to_string(width) + " " + std::to_string(height) + "\n255\n";
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    for (int y = height - 1; y >= 0; y--)
        picture->append(reinterpret_cast<const char*>(rows.data()) + y * stride, stride);
    return true;
}

bool writeAll(int fd, const std::string& bytes)
{
    for (std::size_t done = 0; done < bytes.size();) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

bool snapshotBegin(const char* path)
{
    givenPath = path;
    png = givenPath.size() >= 4 && strcasecmp(givenPath.c_str() + givenPath.size() - 4, ".png") == 0;
    if (!outputBegin(path, &file))
        return false;
    pending = true;
    return true;
}

bool snapshotPending() { return pending; }

void snapshotTake(int width, int height)
{
    pending = false;
    glFinish();
    std::vector<unsigned char> rows(static_cast<std::size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
    std::string picture;
    bool ok = encode(std::move(rows), width, height, &picture);
    if (!ok)
        errno = ENOMEM;
    ok = ok && writeAll(file.fd, picture);
    if (!ok) {
        fail(file.finalPath + ": cannot write: " + std::strerror(errno));
        outputAbandon(&file);
        return;
    }
    written = outputCommit(&file);
}

bool snapshotEnd()
{
    if (written)
        return true;
    if (file.fd >= 0) {
        fail(givenPath + ": the window closed before a frame was drawn");
        outputAbandon(&file);
    }
    return false;
}

void snapshotAbandon()
{
    if (file.fd >= 0 || !file.tempPath.empty())
        outputAbandon(&file);
}
