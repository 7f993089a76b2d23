// Pictures for objtool view: texture files of any kind the viewer knows
// (BMP and SGI through our decoders, PPM through the model library, PNG and
// JPEG through the picture codecs), and PNG snapshots.
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "image/image_core.h"
#include "image/picture.h"
#include "model/glm_core.h"
#include "platform/win_path.h"
#include "tools/objtool/objtool.h"

namespace {

bool startsWith(const std::string& data, const char* magic, std::size_t length)
{
    return data.size() >= length && std::memcmp(data.data(), magic, length) == 0;
}

// Rows given top first, turned to bottom first.
void flipRows(Picture* picture)
{
    const std::size_t stride = static_cast<std::size_t>(picture->width) * 3;
    for (int top = 0, bottom = picture->height - 1; top < bottom; top++, bottom--)
        std::swap_ranges(picture->pixels.begin() + top * stride, picture->pixels.begin() + (top + 1) * stride,
                         picture->pixels.begin() + bottom * stride);
}

bool fromImage(ImageStatus status, ImageRGB* image, Picture* picture, std::string* why)
{
    if (status != IMAGE_OK) {
        *why = imageStatusMessage(status);
        return false;
    }
    picture->width = image->width;
    picture->height = image->height;
    picture->pixels.assign(image->pixels, image->pixels + static_cast<std::size_t>(image->width) * image->height * 3);
    std::free(image->pixels);
    std::free(image);
    return true;
}

// A PNG or JPEG through the picture codecs, rows turned bottom first.
bool fromCodec(const std::string& data, Picture* picture, std::string* why)
{
    PictureData decoded{};
    char message[PICTURE_MESSAGE_SIZE];
    if (decodePicture(reinterpret_cast<const unsigned char*>(data.data()), data.size(), 3, &decoded, message) !=
        PICTURE_OK) {
        *why = message;
        return false;
    }
    picture->width = decoded.width;
    picture->height = decoded.height;
    picture->pixels.assign(decoded.pixels,
                           decoded.pixels + static_cast<std::size_t>(decoded.width) * decoded.height * 3);
    freePicture(&decoded);
    flipRows(picture);
    return true;
}

}  // namespace

bool loadPicture(const std::string& path, Picture* picture, std::string* why)
{
    // A name written the Windows way (".\\Tex.JPG" for tex.jpg) is found
    // as the viewer finds its own pictures.
    std::ifstream file(resolveWindowsPath(path), std::ios::binary);
    if (!file) {
        *why = std::strerror(errno);
        return false;
    }
    std::string data((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        *why = "cannot be read";
        return false;
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
    if (startsWith(data, "\x89PNG", 4) || startsWith(data, "\xFF\xD8\xFF", 3))
        return fromCodec(data, picture, why);
    if (startsWith(data, "P6", 2)) {
        GlmPpmError error;
        int width = 0, height = 0;
        unsigned char* pixels = glmParsePPM(bytes, data.size(), &width, &height, &error);
        if (!pixels) {
            *why = error.message;
            return false;
        }
        picture->width = width;
        picture->height = height;
        picture->pixels.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 3);
        std::free(pixels);
        flipRows(picture);
        return true;
    }
    if (startsWith(data, "\x01\xDA", 2) || startsWith(data, "\xDA\x01", 2)) {
        ImageRGB* image = nullptr;
        ImageStatus status = decodeRgb(bytes, data.size(), &image);
        return fromImage(status, image, picture, why);
    }
    if (startsWith(data, "BM", 2) || data.size() >= 4) {
        ImageRGB* image = nullptr;
        ImageStatus status = decodeDib(bytes, data.size(), &image);
        if (status == IMAGE_OK || startsWith(data, "BM", 2))
            return fromImage(status, image, picture, why);
    }
    *why = "not a picture objtool knows (BMP, SGI, PPM, PNG or JPEG)";
    return false;
}

bool encodePng(const Picture& picture, std::string* png)
{
    // The codecs take rows top first.
    Picture topFirst = picture;
    flipRows(&topFirst);
    unsigned char* bytes = nullptr;
    std::size_t size = 0;
    if (encodePng(PictureData{topFirst.width, topFirst.height, 3, topFirst.pixels.data()}, &bytes, &size, nullptr) !=
        PICTURE_OK)
        return false;
    png->assign(reinterpret_cast<const char*>(bytes), size);
    std::free(bytes);
    return true;
}
