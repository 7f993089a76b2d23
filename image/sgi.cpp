// SGI RGB loader: verbatim and run-length pictures of either byte order.
// The decoder works on the bytes of the whole file; bytes beyond its end
// read as zero, as a short read leaves them, so nothing outside is touched.

#include "image/image.h"
#include "image/image_core.h"
#include "image/image_internal.h"

#include "platform/file_map.h"
#include "core/i18n.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr std::uint16_t SGI_MAGIC = 474;
constexpr std::uint16_t SGI_MAGIC_SWAPPED = 0xDA01;
constexpr std::uint64_t SGI_HEADER_SIZE = 512;

// Channels whose rows are ever read: red, green, blue (or grey alone).
int channelsRead(const RgbFile* f) { return std::min<int>(f->zsize, 3); }

// Copies bytes [offset, offset + count) of the file into `dst`, zeros where
// the file ends first.
void copyFromFile(const RgbFile* f, std::uint64_t offset, std::size_t count, unsigned char* dst)
{
    std::size_t available = 0;
    if (offset < f->size)
        available = static_cast<std::size_t>(std::min<std::uint64_t>(count, f->size - offset));
    if (available)
        std::memcpy(dst, f->data + offset, available);
    std::memset(dst + available, 0, count - available);
}

std::uint32_t tableEntry(const RgbFile* f, std::uint64_t offset)
{
    unsigned char bytes[4];
    copyFromFile(f, offset, 4, bytes);
    return f->bigEndian ? (std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
                           std::uint32_t{bytes[2]} << 8 | bytes[3])
                        : readLe32(bytes);
}

// Decodes one stored run-length row.  The packets are read only within the
// row's stored length and the file (bytes beyond read as zero, which ends
// the row); false when they expand past the row's xsize bytes.
bool expandRow(const RgbFile* f, std::uint64_t start, std::uint64_t length, unsigned char* out)
{
    const std::uint64_t end = std::min<std::uint64_t>(start + length, f->size);
    std::uint64_t p = start;
    auto next = [&]() -> unsigned { return p < end ? f->data[p++] : 0; };
    std::size_t x = 0;
    const std::size_t width = f->xsize;
    for (;;) {
        const unsigned count = next();
        const std::size_t n = count & 0x7F;
        if (n == 0)
            return true;
        if (n > width - x)
            return false;
        if (count & 0x80) {
            for (std::size_t i = 0; i < n; ++i)
                out[x + i] = static_cast<unsigned char>(next());
        } else {
            std::memset(out + x, static_cast<int>(next()), n);
        }
        x += n;
    }
}

// One row of pixels from its red, green and blue rows, which may be 65535
// pixels long.  In the fuzz build every loop test and every pointer step
// calls the coverage tracer (the overflow checks of pointer steps are
// compared too), which costs far more than the copy; so the loop takes eight
// pixels a step, and the pointer checks are left out: every index lies
// inside rows of `width` bytes and a block of width * 3.
__attribute__((no_sanitize("pointer-overflow"))) void interleave(const unsigned char* r, const unsigned char* g,
                                                                 const unsigned char* b, std::size_t width,
                                                                 unsigned char* dst)
{
    std::size_t x = 0;
    for (; width - x >= 8; x += 8, dst += 24) {
        for (int i = 0; i < 8; ++i) {  // a fixed count: unrolled
            dst[3 * i] = r[x + i];
            dst[3 * i + 1] = g[x + i];
            dst[3 * i + 2] = b[x + i];
        }
    }
    for (; x < width; ++x, dst += 3) {
        dst[0] = r[x];
        dst[1] = g[x];
        dst[2] = b[x];
    }
}

void freeRgbFile(RgbFile* f)
{
    for (unsigned char* buffer : f->rowBuffers)
        std::free(buffer);
    std::free(f->rowStart);
    std::free(f->rowLength);
    delete f->mapping;
    std::free(f);
}

// Fills image->pixels with the picture; bottom row (row 0) first.
ImageStatus fillRgbPixels(RgbFile* f, ImageRGB* image)
{
    const std::size_t width = f->xsize;
    const std::size_t height = f->ysize;
    image->pixels = static_cast<unsigned char*>(std::malloc(width * height * 3));
    if (!image->pixels)
        return IMAGE_OUT_OF_MEMORY;
    // One and two channels are grey: channel 0 stands for all three.
    const bool grey = f->zsize < 3;
    unsigned char* dst = image->pixels;
    for (std::size_t y = 0; y < height; ++y) {
        for (int c = 0; c < (grey ? 1 : 3); ++c) {
            if (!readRgbRow(f, f->rowBuffers[c], static_cast<int>(y), c)) {
                std::free(image->pixels);
                image->pixels = nullptr;
                return IMAGE_INVALID_RGB;
            }
        }
        interleave(f->rowBuffers[0], f->rowBuffers[grey ? 0 : 1], f->rowBuffers[grey ? 0 : 2], width, dst);
        dst += width * 3;
    }
    return IMAGE_OK;
}

}  // namespace

RgbFile* openRgbMemory(const unsigned char* data, std::size_t size, ImageStatus* status)
{
    auto* f = static_cast<RgbFile*>(std::calloc(1, sizeof(RgbFile)));
    if (!f) {
        *status = IMAGE_OUT_OF_MEMORY;
        return nullptr;
    }
    f->data = data;
    f->size = data ? size : 0;
    auto fail = [f, status](ImageStatus why) -> RgbFile* {
        *status = why;
        freeRgbFile(f);
        return nullptr;
    };

    unsigned char header[12];
    copyFromFile(f, 0, sizeof header, header);
    f->magic = readLe16(header);
    if (f->magic != SGI_MAGIC && f->magic != SGI_MAGIC_SWAPPED)
        return fail(IMAGE_INVALID_RGB);
    f->bigEndian = f->magic == SGI_MAGIC_SWAPPED;
    std::uint16_t* const fields[] = {&f->type, &f->dimension, &f->xsize, &f->ysize, &f->zsize};
    for (int i = 0; i < 5; ++i) {
        const unsigned char* p = header + 2 + 2 * i;
        *fields[i] = f->bigEndian ? static_cast<std::uint16_t>(p[0] << 8 | p[1]) : readLe16(p);
    }
    // The low byte of the type field is the bytes per channel: only 1 (or
    // the 0 of old writers) is a picture of 8-bit channels.
    if ((f->type & 0xFF) > 1 || f->xsize == 0 || f->ysize == 0 || f->zsize == 0)
        return fail(IMAGE_INVALID_RGB);
    // The 16-bit size fields bound each side; the pixel count is bounded as
    // for every loader.
    if (std::int64_t{f->xsize} * f->ysize > IMAGE_MAX_PIXELS)
        return fail(IMAGE_OUT_OF_MEMORY);
    const bool runLength = (f->type >> 8) == 1;
    const std::uint64_t entries = std::uint64_t{f->ysize} * f->zsize;
    const std::uint64_t body = f->size > SGI_HEADER_SIZE ? f->size - SGI_HEADER_SIZE : 0;
    if (runLength) {
        // Both row tables must be in the file; whether the rows they point
        // at are is checked as the tables are read.
        if (body / 8 < entries)
            return fail(IMAGE_INVALID_RGB);
    } else {
        // A verbatim file holds its whole raster.  One that ends inside it
        // keeps black rows for what is missing, but only while at least half
        // of the raster is there: less than that is a damaged file rather
        // than a cut one, and decoding it would turn a few bytes into a
        // large picture of nothing.
        const std::uint64_t raster = std::uint64_t{f->xsize} * f->ysize * f->zsize;
        if (body < raster - raster / 2)
            return fail(IMAGE_INVALID_RGB);
    }
    for (unsigned char*& buffer : f->rowBuffers)
        if (!(buffer = static_cast<unsigned char*>(std::malloc(f->xsize))))
            return fail(IMAGE_OUT_OF_MEMORY);

    if (runLength) {
        // Run-length: a table of row starts, then one of row lengths, each
        // ysize * zsize entries; only those of the channels read are kept.
        // Every row, kept or not, must lie inside the file after the tables
        // (zeroed tables are a damaged file, not a black picture).  Rows may
        // share their stored bytes, so a small file can still stand for a
        // large picture: there the pixel-count limit above is the bound.
        const std::size_t kept = std::size_t{f->ysize} * static_cast<std::size_t>(channelsRead(f));
        const std::uint64_t rowsFrom = SGI_HEADER_SIZE + 8 * entries;
        for (std::uint64_t i = 0; i < entries; ++i) {
            const std::uint64_t start = tableEntry(f, SGI_HEADER_SIZE + 4 * i);
            const std::uint64_t length = tableEntry(f, SGI_HEADER_SIZE + 4 * (entries + i));
            if (start < rowsFrom || start > f->size || length > f->size - start)
                return fail(IMAGE_INVALID_RGB);
        }
        f->rowStart = static_cast<std::uint32_t*>(std::malloc(kept * 4));
        f->rowLength = static_cast<std::uint32_t*>(std::malloc(kept * 4));
        if (!f->rowStart || !f->rowLength)
            return fail(IMAGE_OUT_OF_MEMORY);
        for (std::size_t i = 0; i < kept; ++i) {
            f->rowStart[i] = tableEntry(f, SGI_HEADER_SIZE + 4 * i);
            f->rowLength[i] = tableEntry(f, SGI_HEADER_SIZE + 4 * (entries + i));
        }
    }
    *status = IMAGE_OK;
    return f;
}

bool readRgbRow(RgbFile* f, unsigned char* buffer, int y, int z)
{
    if (!f || !buffer || y < 0 || y >= f->ysize || z < 0 || z >= channelsRead(f))
        return false;
    const std::size_t index = static_cast<std::size_t>(y) + static_cast<std::size_t>(z) * f->ysize;
    if (f->rowStart) {
        std::memset(buffer, 0, f->xsize);
        return expandRow(f, f->rowStart[index], f->rowLength[index], buffer);
    }
    copyFromFile(f, SGI_HEADER_SIZE + std::uint64_t{index} * f->xsize, f->xsize, buffer);
    return true;
}

bool readRgbPixels(RgbFile* f, ImageRGB* image)
{
    const ImageStatus status = fillRgbPixels(f, image);
    if (status != IMAGE_OK)
        reportImageError(imageStatusMessage(status));
    return status == IMAGE_OK;
}

void closeRgbFile(RgbFile* f)
{
    if (f)
        freeRgbFile(f);
}

ImageStatus decodeRgb(const unsigned char* data, std::size_t size, ImageRGB** image)
{
    ImageStatus status;
    RgbFile* f = openRgbMemory(data, size, &status);
    if (!f)
        return status;
    auto* record = static_cast<ImageRGB*>(std::malloc(sizeof(ImageRGB)));
    if (!record) {
        closeRgbFile(f);
        return IMAGE_OUT_OF_MEMORY;
    }
    record->width = f->xsize;
    record->height = f->ysize;
    status = fillRgbPixels(f, record);
    closeRgbFile(f);
    if (status != IMAGE_OK) {
        std::free(record);
        return status;
    }
    *image = record;
    return IMAGE_OK;
}

RgbFile* openRgbFile(const void* fileName, bool wide)
{
    std::string name;
    if (wide)
        name = wideToUtf8(static_cast<const wchar_t*>(fileName));
    else if (fileName)
        name = static_cast<const char*>(fileName);
    auto* file = new FileMap(fileName ? name.c_str() : nullptr);
    if (!file->valid()) {
        delete file;
        char text[256];
        std::snprintf(text, sizeof text, tr("Failed to open image file %s.\n"), fileName ? name.c_str() : "(null)");
        reportImageError(text);
        return nullptr;
    }
    ImageStatus status;
    RgbFile* f = openRgbMemory(file->data(), file->size(), &status);
    if (!f) {
        delete file;
        reportImageError(imageStatusMessage(status));
        return nullptr;
    }
    f->mapping = file;
    return f;
}

namespace {

ImageRGB* loadRgb(const void* fileName, bool wide)
{
    RgbFile* f = openRgbFile(fileName, wide);
    if (!f)
        return nullptr;
    auto* image = static_cast<ImageRGB*>(std::malloc(sizeof(ImageRGB)));
    if (!image) {
        reportImageError(imageStatusMessage(IMAGE_OUT_OF_MEMORY));
        closeRgbFile(f);
        return nullptr;
    }
    image->width = f->xsize;
    image->height = f->ysize;
    // A picture that could not be read in full is refused, not handed out
    // without pixels.
    const bool read = readRgbPixels(f, image);
    closeRgbFile(f);
    if (!read) {
        std::free(image);
        return nullptr;
    }
    return image;
}

}  // namespace

ImageRGB* loadRgbImage(const char* fileName) { return loadRgb(fileName, false); }
ImageRGB* loadRgbImageW(const wchar_t* fileName) { return loadRgb(fileName, true); }
