// The reader of uncompressed 8- and 24-bit BMP files used for the sky
// picture: a decoder over the file's bytes, and readBmp, which maps the file
// and prints what went wrong on standard output.

#include "image/image.h"
#include "image/image_core.h"
#include "image/image_internal.h"

#include "platform/file_map.h"
#include "core/i18n.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

int swapBytes = 0;
bool bmpTrace = false;

void checkByteOrder()
{
    const std::uint16_t one = 1;
    unsigned char first;
    std::memcpy(&first, &one, 1);
    swapBytes = first == 0 ? 1 : 0;
}

void swap32(std::uint32_t* word)
{
    const std::uint32_t w = *word;
    *word = (w >> 24) | (w >> 8 & 0xFF00) | (w << 8 & 0xFF0000) | (w << 24);
}

void swap16(std::uint16_t* word) { *word = static_cast<std::uint16_t>(*word >> 8 | *word << 8); }

const char* bmpStatusMessage(BmpStatus status)
{
    switch (status) {
    case BMP_OK:
        return "";
    case BMP_NOT_BMP:
        return "Error reading BMP file, file type incorrect\n";
    case BMP_SHORT_FILE_HEADER:
        return "Error reading BMP file header\n";
    case BMP_SHORT_INFO_HEADER:
        return "Error reading BMP Information record\n";
    case BMP_COMPRESSED:
        return "Sorry, this code cannot read compressed image files\n";
    case BMP_BAD_DEPTH:
        return "Sorry, this code can only read 8 bit or 24 bit image files\n";
    case BMP_NO_MEMORY:
        return "Error allocating pixel memory\n";
    case BMP_SHORT_PIXELS:
        return "Error reading BMP pixels\n";
    }
    return "";
}

BmpStatus decodeBmp(const unsigned char* data, std::size_t size, ImageRGB* image, BmpHeaderInfo* info)
{
    BmpHeaderInfo h{};
    auto finish = [&](BmpStatus status) {
        if (info)
            *info = h;
        return status;
    };
    if (!data)
        size = 0;
    if (size < 2 || data[0] != 'B' || data[1] != 'M')
        return finish(BMP_NOT_BMP);
    if (size < 14)
        return finish(BMP_SHORT_FILE_HEADER);
    h.fileSize = readLe32(data + 2);
    h.pixelOffset = readLe32(data + 10);
    if (size < 54)
        return finish(BMP_SHORT_INFO_HEADER);
    const unsigned char* const header = data + 14;
    h.headerSize = readLe32(header);
    h.width = static_cast<std::int32_t>(readLe32(header + 4));
    h.height = static_cast<std::int32_t>(readLe32(header + 8));
    h.planes = readLe16(header + 12);
    h.bitCount = readLe16(header + 14);
    h.compression = readLe32(header + 16);
    // A 12-byte core header has none of the fields read above.
    if (h.headerSize < 40)
        return finish(BMP_SHORT_INFO_HEADER);
    if (h.compression != 0)
        return finish(BMP_COMPRESSED);
    if (h.bitCount == 8) {
        h.colorTableSize = 256;
        h.bytesPerPixel = 1;
    } else if (h.bitCount == 24) {
        h.bytesPerPixel = 3;
    } else {
        return finish(BMP_BAD_DEPTH);
    }

    // The colour table follows the info header, whatever its size; it has
    // biClrUsed entries (256 when 0 or more).  Entries the file does not
    // hold stay black, as do indices beyond the table.
    unsigned char palette[256][3] = {};
    if (h.colorTableSize) {
        const std::uint32_t used = readLe32(header + 32);
        const std::uint64_t entries = (used > 0 && used < 256) ? used : 256;
        const std::uint64_t tableAt = 14 + std::uint64_t{h.headerSize};
        const std::uint64_t available = tableAt < size ? (size - tableAt) / 4 : 0;
        const std::uint64_t readable = std::min(entries, available);
        h.colorTableMissing = readable == 0;
        for (std::uint64_t i = 0; i < readable; ++i) {
            const unsigned char* e = data + tableAt + 4 * i;
            palette[i][0] = e[2];
            palette[i][1] = e[1];
            palette[i][2] = e[0];
        }
    }

    // A top-down file (negative height) is stored top row first; its rows
    // are turned round so the picture still starts with its bottom row.
    const bool topDown = h.height < 0;
    const std::int64_t width = h.width;
    const std::int64_t height = topDown ? -std::int64_t{h.height} : h.height;
    image->width = h.width;
    image->height = static_cast<std::int32_t>(std::min<std::int64_t>(height, INT32_MAX));
    // Both sides are 32-bit fields, so the product cannot overflow.
    if (width <= 0 || height == 0 || width * height > IMAGE_MAX_PIXELS) {
        image->pixels = nullptr;
        return finish(BMP_NO_MEMORY);
    }
    const std::int64_t rowBytes = width * h.bytesPerPixel;
    h.bytesPerRow = static_cast<int>((rowBytes + 3) & ~std::int64_t{3});
    // The rows must be in the file before the picture is allocated.  A file
    // that ends inside them keeps black rows for what is missing, but only
    // while at least half of the rows are there: less than that is a damaged
    // file rather than a cut one, and decoding it would turn a few bytes into
    // a large picture of nothing.  It is refused as a short file, without
    // pixels.
    const std::uint64_t raster = static_cast<std::uint64_t>(h.bytesPerRow) * static_cast<std::uint64_t>(height);
    const std::uint64_t present = h.pixelOffset < size ? size - h.pixelOffset : 0;
    if (present < raster - raster / 2) {
        image->pixels = nullptr;
        return finish(BMP_SHORT_PIXELS);
    }
    // Rows a short file lacks stay black.
    image->pixels = static_cast<unsigned char*>(std::calloc(static_cast<std::size_t>(width * height * 3), 1));
    if (!image->pixels)
        return finish(BMP_NO_MEMORY);

    const std::size_t stride = static_cast<std::size_t>(h.bytesPerRow);
    for (std::int64_t row = 0; row < height; ++row) {
        const std::uint64_t at = h.pixelOffset + static_cast<std::uint64_t>(row) * stride;
        if (at > size || size - at < stride)
            return finish(BMP_SHORT_PIXELS);
        const unsigned char* src = data + at;
        unsigned char* dst = image->pixels + (topDown ? height - 1 - row : row) * width * 3;
        if (h.bytesPerPixel == 1) {
            for (std::int64_t x = 0; x < width; ++x, dst += 3)
                std::memcpy(dst, palette[src[x]], 3);
        } else {
            for (std::int64_t x = 0; x < width; ++x, src += 3, dst += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
        }
    }
    return finish(BMP_OK);
}

void readBmp(const char* fileName, ImageRGB* image)
{
    checkByteOrder();
    const FileMap file(fileName);
    if (!file.valid()) {
        std::printf(tr("Could not open file '%s'\n"), fileName ? fileName : "(null)");
        return;
    }
    BmpHeaderInfo h{};
    const BmpStatus status = decodeBmp(file.data(), file.size(), image, &h);
    if (status == BMP_NOT_BMP) {
        std::fputs(tr(bmpStatusMessage(status)), stdout);
        return;
    }
    // The trace lines of each step reached, then the step's failure, in the
    // order the reader meets them.
    if (bmpTrace)
        std::printf("Size = %lu\nOffset = %lu\n", static_cast<unsigned long>(h.fileSize),
                    static_cast<unsigned long>(h.pixelOffset));
    if (status == BMP_SHORT_FILE_HEADER) {
        std::fputs(tr(bmpStatusMessage(status)), stdout);
        return;
    }
    if (bmpTrace)
        std::printf("Header size = %lu\nWidth = %lu\nHeight = %lu\nNumberColorPlanes = %hu\nBitsPerPixel = %hu\n"
                    "CompressionType = %lu\n",
                    static_cast<unsigned long>(h.headerSize), static_cast<unsigned long>(h.width),
                    static_cast<unsigned long>(h.height), h.planes, h.bitCount,
                    static_cast<unsigned long>(h.compression));
    if (status == BMP_SHORT_INFO_HEADER || status == BMP_COMPRESSED) {
        std::fputs(tr(bmpStatusMessage(status)), stdout);
        return;
    }
    if (status == BMP_BAD_DEPTH)
        std::fputs(tr(bmpStatusMessage(status)), stdout);
    if (bmpTrace)
        std::printf("ColorTableSize = %d\nBytesPerPixel = %d\n", h.colorTableSize, h.bytesPerPixel);
    if (status == BMP_BAD_DEPTH)
        return;
    if (h.colorTableMissing)
        std::fputs(tr("Error reading BMP Color Table\n"), stdout);
    if (status == BMP_NO_MEMORY) {
        std::fputs(tr(bmpStatusMessage(status)), stdout);
        return;
    }
    if (bmpTrace)
        std::printf("BytesPerRow = %d\n", h.bytesPerRow);
    if (status == BMP_SHORT_PIXELS)
        std::fputs(tr(bmpStatusMessage(status)), stdout);
}
