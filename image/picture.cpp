// PNG through libpng's classic interface and JPEG through libjpeg(-turbo),
// both reading from memory.  Each library reports a failure by a long jump
// out of its own code; the jump lands in the one function that set it,
// which frees what it holds and returns a status.  Locals that live across
// the jump are volatile or plain pointers set before it.
#include "image/picture.h"

// jpeglib.h needs size_t and FILE declared before it.
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
// After jpeglib.h: the codes of its messages.
#include <jerror.h>
#include <png.h>

#include <cerrno>
#include <csetjmp>
#include <cstdarg>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "image/image_core.h"
#include "platform/atomic_file.h"

namespace {

// A deflate stream expands its input at most 1032 times; a PNG whose rows
// need more bytes than that from the whole file is damaged, and is refused
// before anything is allocated for its pixels.
constexpr std::uint64_t DEFLATE_MAX_RATIO = 1032;

// Memory libjpeg may take for its own buffers (a progressive picture keeps
// every coefficient): enough for an 8192 x 8192 colour picture.
constexpr long JPEG_MAX_MEMORY = 512L << 20;

PictureStatus say(char* message, PictureStatus status, const char* format, ...) __attribute__((format(printf, 3, 4)));
PictureStatus say(char* message, PictureStatus status, const char* format, ...)
{
    if (message) {
        va_list arguments;
        va_start(arguments, format);
        std::vsnprintf(message, PICTURE_MESSAGE_SIZE, format, arguments);
        va_end(arguments);
        // One line: a library's text might hold a newline.
        for (char* c = message; *c; c++)
            if (*c == '\n' || *c == '\r')
                *c = ' ';
    }
    return status;
}

std::uint64_t bigEndian32(const unsigned char* p)
{
    return std::uint64_t{p[0]} << 24 | std::uint64_t{p[1]} << 16 | std::uint64_t{p[2]} << 8 | p[3];
}

void clear(PictureData* picture) { *picture = PictureData{0, 0, 0, nullptr}; }

bool isPng(const unsigned char* data, std::size_t size) { return size >= 4 && std::memcmp(data, "\x89PNG", 4) == 0; }
bool isJpeg(const unsigned char* data, std::size_t size)
{
    return size >= 3 && std::memcmp(data, "\xFF\xD8\xFF", 3) == 0;
}

// ---- PNG -------------------------------------------------------------------

struct PngState {
    const unsigned char* data;
    std::size_t size;
    std::size_t at;
    char text[PICTURE_MESSAGE_SIZE];
    bool noMemory;
    unsigned char* out;  // the encoder's buffer
    std::size_t outSize, outCapacity;
};

void pngFailed(png_structp png, png_const_charp text)
{
    auto* state = static_cast<PngState*>(png_get_error_ptr(png));
    std::snprintf(state->text, sizeof state->text, "%s", text);
    if (std::strstr(text, "memory"))
        state->noMemory = true;
    png_longjmp(png, 1);
}

void pngWarned(png_structp, png_const_charp) {}

void pngRead(png_structp png, png_bytep out, png_size_t length)
{
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (length > state->size - state->at)
        png_error(png, "the file ends early");
    std::memcpy(out, state->data + state->at, length);
    state->at += length;
}

void pngWrite(png_structp png, png_bytep bytes, png_size_t length)
{
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (length > state->outCapacity - state->outSize) {
        std::size_t capacity = state->outCapacity ? state->outCapacity : 65536;
        while (capacity - state->outSize < length)
            capacity *= 2;
        auto* grown = static_cast<unsigned char*>(std::realloc(state->out, capacity));
        if (!grown) {
            state->noMemory = true;
            png_error(png, "out of memory");
        }
        state->out = grown;
        state->outCapacity = capacity;
    }
    std::memcpy(state->out + state->outSize, bytes, length);
    state->outSize += length;
}

void pngFlush(png_structp) {}

// ---- JPEG ------------------------------------------------------------------

struct JpegError {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char text[JMSG_LENGTH_MAX];
    bool noMemory;
};

void jpegFailed(j_common_ptr info)
{
    auto* error = reinterpret_cast<JpegError*>(info->err);
    error->manager.format_message(info, error->text);
    error->noMemory = error->manager.msg_code == JERR_OUT_OF_MEMORY || error->manager.msg_code == JERR_NO_BACKING_STORE;
    std::longjmp(error->jump, 1);
}

// libjpeg goes on after a warning (data cut short is filled with grey,
// damaged data is skipped); a picture with any is refused instead.
void jpegMessage(j_common_ptr info, int level)
{
    if (level < 0)
        jpegFailed(info);
}

}  // namespace

PictureStatus decodePng(const unsigned char* data, std::size_t size, int channels, PictureData* picture, char* message)
{
    clear(picture);
    if (channels != 3 && channels != 4)
        return say(message, PICTURE_CORRUPT, "cannot give PNG pixels of %d channels", channels);
    if (!isPng(data, size))
        return say(message, PICTURE_UNKNOWN_FORMAT, "not a PNG picture");
    // The size the header claims, checked before libpng reads further.
    if (size >= 26 && std::memcmp(data + 12, "IHDR", 4) == 0) {
        const std::uint64_t width = bigEndian32(data + 16), height = bigEndian32(data + 20);
        const int depth = data[24], colourType = data[25];
        const int channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
        if (width * height > static_cast<std::uint64_t>(IMAGE_MAX_PIXELS))
            return say(message, PICTURE_TOO_LARGE, "PNG picture of %llu x %llu pixels is too large",
                       static_cast<unsigned long long>(width), static_cast<unsigned long long>(height));
        const std::uint64_t packed = (width * channels * depth + 7) / 8;
        if ((packed + 1) * height > DEFLATE_MAX_RATIO * size + 65536)
            return say(message, PICTURE_CORRUPT, "damaged PNG data: %llu x %llu pixels cannot come from %zu bytes",
                       static_cast<unsigned long long>(width), static_cast<unsigned long long>(height), size);
    }
    PngState state{};
    state.data = data;
    state.size = size;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &state, pngFailed, pngWarned);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return say(message, PICTURE_NO_MEMORY, "out of memory decoding a PNG picture");
    }
    unsigned char* volatile pixels = nullptr;
    png_bytep* volatile rows = nullptr;
    volatile PictureStatus status = PICTURE_CORRUPT;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::free(rows);
        std::free(pixels);
        if (state.noMemory)
            return say(message, PICTURE_NO_MEMORY, "out of memory decoding a PNG picture");
        return say(message, status, "damaged PNG data: %s", state.text);
    }
    png_set_read_fn(png, &state, pngRead);
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);

    // Palette, grey and 16-bit pictures all come out as 8-bit RGB(A);
    // transparency given by a tRNS chunk becomes alpha.
    png_set_expand(png);
    png_set_scale_16(png);
    png_set_gray_to_rgb(png);
    if (channels == 4)
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    else
        png_set_strip_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const std::size_t stride = static_cast<std::size_t>(width) * channels;
    if (png_get_rowbytes(png, info) != stride)
        png_error(png, "unexpected row layout");

    pixels = static_cast<unsigned char*>(std::malloc(stride * height));
    rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    if (!pixels || !rows) {
        state.noMemory = true;
        png_error(png, "out of memory");
    }
    for (png_uint_32 y = 0; y < height; y++)
        rows[y] = pixels + y * stride;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::free(rows);
    *picture = PictureData{static_cast<int>(width), static_cast<int>(height), channels, pixels};
    if (message)
        message[0] = '\0';
    return PICTURE_OK;
}

PictureStatus decodeJpeg(const unsigned char* data, std::size_t size, int channels, PictureData* picture, char* message)
{
    clear(picture);
    if (channels != 3 && channels != 4)
        return say(message, PICTURE_CORRUPT, "cannot give JPEG pixels of %d channels", channels);
    if (!isJpeg(data, size))
        return say(message, PICTURE_UNKNOWN_FORMAT, "not a JPEG picture");
    jpeg_decompress_struct info;
    JpegError error{};
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegFailed;
    error.manager.emit_message = jpegMessage;
    unsigned char* volatile pixels = nullptr;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        std::free(pixels);
        if (error.noMemory)
            return say(message, PICTURE_NO_MEMORY, "out of memory decoding a JPEG picture: %s", error.text);
        return say(message, PICTURE_CORRUPT, "damaged JPEG data: %s", error.text);
    }
    jpeg_create_decompress(&info);
    info.mem->max_memory_to_use = JPEG_MAX_MEMORY;
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
        std::snprintf(error.text, sizeof error.text, "no picture in the file");
        std::longjmp(error.jump, 1);
    }
    if (static_cast<std::uint64_t>(info.image_width) * info.image_height >
        static_cast<std::uint64_t>(IMAGE_MAX_PIXELS)) {
        const unsigned width = info.image_width, height = info.image_height;
        jpeg_destroy_decompress(&info);
        return say(message, PICTURE_TOO_LARGE, "JPEG picture of %u x %u pixels is too large", width, height);
    }
    info.out_color_space = channels == 4 ? JCS_EXT_RGBA : JCS_RGB;
    jpeg_start_decompress(&info);
    const std::size_t stride = static_cast<std::size_t>(info.output_width) * channels;
    pixels = static_cast<unsigned char*>(std::malloc(stride * info.output_height));
    if (!pixels) {
        error.noMemory = true;
        std::snprintf(error.text, sizeof error.text, "%u x %u pixels", info.output_width, info.output_height);
        std::longjmp(error.jump, 1);
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = pixels + info.output_scanline * stride;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    *picture = PictureData{static_cast<int>(info.output_width), static_cast<int>(info.output_height), channels, pixels};
    jpeg_destroy_decompress(&info);
    if (message)
        message[0] = '\0';
    return PICTURE_OK;
}

PictureStatus decodePicture(const unsigned char* data, std::size_t size, int channels, PictureData* picture,
                            char* message)
{
    if (isPng(data, size))
        return decodePng(data, size, channels, picture, message);
    if (isJpeg(data, size))
        return decodeJpeg(data, size, channels, picture, message);
    clear(picture);
    return say(message, PICTURE_UNKNOWN_FORMAT, "not a PNG or JPEG picture");
}

PictureStatus readPicture(const char* path, int channels, PictureData* picture, char* message)
{
    clear(picture);
    FILE* file = std::fopen(path, "rb");
    if (!file)
        return say(message, PICTURE_CANNOT_OPEN, "%s: %s", path, std::strerror(errno));
    unsigned char* data = nullptr;
    std::size_t size = 0, capacity = 0;
    int why = 0;
    for (;;) {
        if (size == capacity) {
            capacity = capacity ? capacity * 2 : 65536;
            auto* grown = static_cast<unsigned char*>(std::realloc(data, capacity));
            if (!grown) {
                why = ENOMEM;
                break;
            }
            data = grown;
        }
        const std::size_t got = std::fread(data + size, 1, capacity - size, file);
        size += got;
        if (got == 0) {
            if (std::ferror(file))
                why = errno ? errno : EIO;
            break;
        }
    }
    std::fclose(file);
    if (why) {
        std::free(data);
        return why == ENOMEM ? say(message, PICTURE_NO_MEMORY, "%s: out of memory reading the file", path)
                             : say(message, PICTURE_CANNOT_OPEN, "%s: %s", path, std::strerror(why));
    }
    char text[PICTURE_MESSAGE_SIZE];
    const PictureStatus status = decodePicture(data, size, channels, picture, text);
    std::free(data);
    if (status != PICTURE_OK)
        return say(message, status, "%s: %s", path, text);
    if (message)
        message[0] = '\0';
    return PICTURE_OK;
}

PictureStatus encodePng(const PictureData& picture, unsigned char** pngBytes, std::size_t* size, char* message)
{
    *pngBytes = nullptr;
    *size = 0;
    if ((picture.channels != 3 && picture.channels != 4) || picture.width <= 0 || picture.height <= 0 ||
        !picture.pixels)
        return say(message, PICTURE_CORRUPT, "cannot encode a picture of %d x %d pixels of %d channels", picture.width,
                   picture.height, picture.channels);
    if (static_cast<std::int64_t>(picture.width) * picture.height > IMAGE_MAX_PIXELS)
        return say(message, PICTURE_TOO_LARGE, "picture of %d x %d pixels is too large", picture.width, picture.height);
    PngState state{};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, pngFailed, pngWarned);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return say(message, PICTURE_NO_MEMORY, "out of memory encoding a PNG picture");
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::free(state.out);
        if (state.noMemory)
            return say(message, PICTURE_NO_MEMORY, "out of memory encoding a PNG picture");
        return say(message, PICTURE_CORRUPT, "cannot encode a PNG picture: %s", state.text);
    }
    png_set_write_fn(png, &state, pngWrite, pngFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width), static_cast<png_uint_32>(picture.height), 8,
                 picture.channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const std::size_t stride = static_cast<std::size_t>(picture.width) * picture.channels;
    for (int y = 0; y < picture.height; y++)
        png_write_row(png, picture.pixels + y * stride);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    *pngBytes = state.out;
    *size = state.outSize;
    if (message)
        message[0] = '\0';
    return PICTURE_OK;
}

PictureStatus writePng(const char* path, const PictureData& picture, char* message)
{
    unsigned char* bytes = nullptr;
    std::size_t size = 0;
    char text[PICTURE_MESSAGE_SIZE];
    const PictureStatus status = encodePng(picture, &bytes, &size, text);
    if (status != PICTURE_OK)
        return say(message, status, "%s: %s", path, text);
    const int why = writeFileAtomically(path, bytes, size, ATOMIC_REPLACE, false);
    std::free(bytes);
    if (why)
        return say(message, PICTURE_CANNOT_WRITE, "%s: %s", path, std::strerror(why));
    if (message)
        message[0] = '\0';
    return PICTURE_OK;
}

void freePicture(PictureData* picture)
{
    if (!picture)
        return;
    std::free(picture->pixels);
    clear(picture);
}
