// Pictures for objtool view: texture files of any kind the viewer knows
// (BMP and SGI through our decoders, PPM through the model library, PNG
// through libpng, JPEG through libjpeg), and PNG snapshots.
// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <cerrno>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "image/image_core.h"
#include "model/glm_core.h"
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

bool decodePng(const std::string& data, Picture* picture, std::string* why)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data.data(), data.size())) {
        *why = image.message;
        return false;
    }
    image.format = PNG_FORMAT_RGB;
    if (static_cast<std::uint64_t>(image.width) * image.height > (1u << 28)) {
        png_image_free(&image);
        *why = "too large";
        return false;
    }
    picture->width = static_cast<int>(image.width);
    picture->height = static_cast<int>(image.height);
    picture->pixels.resize(PNG_IMAGE_SIZE(image));
    // A negative stride stores the rows bottom first, as OpenGL wants them.
    if (!png_image_finish_read(&image, nullptr, picture->pixels.data(), -static_cast<png_int_32>(image.width * 3),
                               nullptr)) {
        *why = image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void jpegFailed(j_common_ptr info)
{
    JpegError* error = reinterpret_cast<JpegError*>(info->err);
    error->manager.format_message(info, error->message);
    std::longjmp(error->jump, 1);
}

bool decodeJpeg(const std::string& data, Picture* picture, std::string* why)
{
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegFailed;
    std::vector<unsigned char>* pixels = &picture->pixels;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        *why = error.message;
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char*>(data.data()), data.size());
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    if (static_cast<std::uint64_t>(info.output_width) * info.output_height > (1u << 28)) {
        jpeg_destroy_decompress(&info);
        *why = "too large";
        return false;
    }
    picture->width = static_cast<int>(info.output_width);
    picture->height = static_cast<int>(info.output_height);
    pixels->resize(static_cast<std::size_t>(info.output_width) * info.output_height * 3);
    while (info.output_scanline < info.output_height) {
        // Bottom row first: the file's first row goes last.
        JSAMPROW row = pixels->data() +
                       static_cast<std::size_t>(info.output_height - 1 - info.output_scanline) * info.output_width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

bool loadPicture(const std::string& path, Picture* picture, std::string* why)
{
    std::ifstream file(path, std::ios::binary);
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
    if (startsWith(data, "\x89PNG", 4))
        return decodePng(data, picture, why);
    if (startsWith(data, "\xFF\xD8\xFF", 3))
        return decodeJpeg(data, picture, why);
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
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(picture.width);
    image.height = static_cast<png_uint_32>(picture.height);
    image.format = PNG_FORMAT_RGB;
    const png_int_32 stride = -static_cast<png_int_32>(picture.width * 3);  // bottom row first
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, picture.pixels.data(), stride, nullptr))
        return false;
    png->resize(size);
    if (!png_image_write_to_memory(&image, png->data(), &size, 0, picture.pixels.data(), stride, nullptr))
        return false;
    png->resize(size);
    return true;
}
