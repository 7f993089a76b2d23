// Windows bitmap loader: a decoder working on the bytes of a whole file, and
// the file operations that map the file and show what went wrong.

#include "image/image.h"
#include "image/image_core.h"
#include "image/image_internal.h"

#include "platform/file_map.h"
#include "core/i18n.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr std::uint32_t BI_RGB = 0;
constexpr std::uint32_t BI_RLE8 = 1;
constexpr std::uint32_t BI_RLE4 = 2;
constexpr std::uint32_t BI_BITFIELDS = 3;

// One colour channel of a 16- or 32-bit pixel, described by its mask.
struct Channel {
    std::uint32_t mask = 0;
    int shift = 0;
    int bits = 0;  // from the lowest to the highest set bit of the mask
};

Channel makeChannel(std::uint32_t mask)
{
    Channel c;
    c.mask = mask;
    if (mask) {
        c.shift = std::countr_zero(mask);
        c.bits = 32 - std::countl_zero(mask) - c.shift;
    }
    return c;
}

// The channel's value scaled to 8 bits: wider channels keep their top 8
// bits; narrower ones repeat their bits downwards (5 bits: v << 3 | v >> 2),
// so that full intensity is 255.
inline unsigned char channelValue(std::uint32_t pixel, const Channel& c)
{
    if (c.bits == 0)
        return 0;
    const std::uint32_t v = (pixel & c.mask) >> c.shift;
    if (c.bits >= 8)
        return static_cast<unsigned char>(v >> (c.bits - 8));
    std::uint32_t out = 0;
    for (int pos = 8 - c.bits; pos > -c.bits; pos -= c.bits)
        out |= pos >= 0 ? v << pos : v >> -pos;
    return static_cast<unsigned char>(out);
}

// Everything the pixel decoders need, taken from the headers.
struct DibLayout {
    const unsigned char* data;
    std::size_t size;
    std::int64_t width;
    std::int64_t height;  // always positive
    bool topDown;
    unsigned bits;
    std::uint32_t compression;
    Channel channels[3];  // red, green, blue (16 and 32 bits)
    std::size_t pixelOffset;
    std::size_t streamSize;  // RLE: the stream's bytes, as declared and present
    // Colour table as red, green, blue and a spare byte, so that one entry
    // is stored with a single 4-byte copy.  Entries the file lacks are black.
    unsigned char palette[256][4];
};

// Output row for the file's row `fileRow` (row 0 is the first stored).
inline unsigned char* outputRow(const DibLayout& d, unsigned char* out, std::int64_t fileRow)
{
    const std::int64_t row = d.topDown ? d.height - 1 - fileRow : fileRow;
    return out + row * d.width * 3;
}

// Palette pixels: every pixel but the row's last is stored with a 4-byte
// copy whose spare byte the next pixel overwrites.
template <typename IndexAt>
inline void paletteRow(const DibLayout& d, unsigned char* dst, IndexAt indexAt)
{
    const std::int64_t last = d.width - 1;
    for (std::int64_t x = 0; x < last; ++x, dst += 3)
        std::memcpy(dst, d.palette[indexAt(x)], 4);
    std::memcpy(dst, d.palette[indexAt(last)], 3);
}

void decodeRow(const DibLayout& d, const unsigned char* src, unsigned char* dst)
{
    const std::int64_t w = d.width;
    switch (d.bits) {
    case 1:
        paletteRow(d, dst, [src](std::int64_t x) { return (src[x >> 3] >> (7 - (x & 7))) & 1; });
        break;
    case 4:
        paletteRow(d, dst, [src](std::int64_t x) { return (x & 1) ? src[x >> 1] & 15 : src[x >> 1] >> 4; });
        break;
    case 8:
        paletteRow(d, dst, [src](std::int64_t x) { return src[x]; });
        break;
    case 24:
        for (std::int64_t x = 0; x < w; ++x, src += 3, dst += 3) {
            dst[0] = src[2];
            dst[1] = src[1];
            dst[2] = src[0];
        }
        break;
    case 16:
    case 32:
        for (std::int64_t x = 0; x < w; ++x, dst += 3) {
            const std::uint32_t pixel = d.bits == 16 ? readLe16(src + 2 * x) : readLe32(src + 4 * x);
            dst[0] = channelValue(pixel, d.channels[0]);
            dst[1] = channelValue(pixel, d.channels[1]);
            dst[2] = channelValue(pixel, d.channels[2]);
        }
        break;
    }
}

void decodeRows(const DibLayout& d, std::int64_t stride, unsigned char* out)
{
    const unsigned char* src = d.data + d.pixelOffset;
    for (std::int64_t row = 0; row < d.height; ++row, src += stride)
        decodeRow(d, src, outputRow(d, out, row));
}

// RLE4 and RLE8 into a zero-filled picture: runs and deltas are clipped to
// the picture, and pixels the stream skips stay black.  False when the stream
// ends before its end-of-bitmap escape and before the last row.
bool decodeRle(const DibLayout& d, unsigned char* out)
{
    const unsigned char* p = d.data + d.pixelOffset;
    const unsigned char* const end = p + d.streamSize;
    const bool four = d.bits == 4;
    std::int64_t x = 0;
    std::int64_t y = 0;
    // Pixels x .. x + count - 1 of the current row; indexAt(i) gives the i-th.
    auto put = [&](std::int64_t count, auto indexAt) {
        if (y >= d.height || x >= d.width)
            return;
        const std::int64_t n = std::min(count, d.width - x);
        unsigned char* dst = outputRow(d, out, y) + x * 3;
        for (std::int64_t i = 0; i < n; ++i, dst += 3)
            std::memcpy(dst, d.palette[indexAt(i)], 3);
    };
    while (y < d.height) {
        if (end - p < 2)
            return false;
        const unsigned count = p[0];
        const unsigned value = p[1];
        p += 2;
        if (count) {
            if (four)
                put(count, [value](std::int64_t i) { return (i & 1) ? value & 15 : value >> 4; });
            else
                put(count, [value](std::int64_t) { return value; });
            x += count;
        } else if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return true;
        } else if (value == 2) {  // delta: move right and up
            if (end - p < 2)
                return false;
            x += p[0];
            y += p[1];
            p += 2;
        } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
            const std::int64_t bytes = four ? (value + 1) / 2 : value;
            if (end - p < bytes)
                return false;
            const unsigned char* run = p;
            if (four)
                put(value, [run](std::int64_t i) { return (i & 1) ? run[i >> 1] & 15 : run[i >> 1] >> 4; });
            else
                put(value, [run](std::int64_t i) { return run[i]; });
            x += value;
            p += std::min<std::int64_t>((bytes + 1) & ~std::int64_t{1}, end - p);
        }
    }
    return true;
}

// The info headers read: the 12-byte core header, the 40-byte info header,
// the 52- and 56-byte ones that add the colour masks (and alpha), and the
// 108-byte (V4) and 124-byte (V5) ones, whose colour-space fields and
// profile are ignored.  They share the 40-byte header's first fields.
bool knownHeaderSize(std::uint32_t size)
{
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

bool supportedEncoding(unsigned bits, std::uint32_t compression)
{
    switch (compression) {
    case BI_RGB:
        return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case BI_RLE8:
        return bits == 8;
    case BI_RLE4:
        return bits == 4;
    case BI_BITFIELDS:
        return bits == 16 || bits == 32;
    default:
        return false;
    }
}

ImageRGB* loadDib(const char* path, const char* shownName)
{
    const DibFileOutcome outcome = decodeDibFile(path);
    reportDibOutcome(outcome, shownName);
    return outcome.image;
}

}  // namespace

DibFileOutcome decodeDibFile(const char* path)
{
    DibFileOutcome outcome{nullptr, false, IMAGE_OK};
    const FileMap file(path);
    // An empty file cannot be mapped, so it counts as one that failed to open.
    if (!file.valid() || file.size() == 0)
        return outcome;
    outcome.opened = true;
    outcome.status = decodeDib(file.data(), file.size(), &outcome.image);
    return outcome;
}

void reportDibOutcome(const DibFileOutcome& outcome, const char* shownName)
{
    if (!outcome.opened) {
        char text[256];
        std::snprintf(text, sizeof text, tr("Failed to open DIB file %s.\n"), shownName ? shownName : "(null)");
        reportImageError(text);
    } else if (outcome.status != IMAGE_OK) {
        reportImageError(imageStatusMessage(outcome.status));
    }
}

int dibColorCount(const void* header)
{
    const auto* h = static_cast<const unsigned char*>(header);
    unsigned bits;
    if (readLe32(h) == 12) {
        bits = readLe16(h + 10);
    } else {
        const std::uint32_t used = readLe32(h + 32);
        if (used != 0)
            return static_cast<int>(used & 0xFFFF);
        bits = readLe16(h + 14);
    }
    switch (bits) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

ImageStatus decodeDib(const unsigned char* data, std::size_t size, ImageRGB** image)
{
    if (!data)
        size = 0;
    const bool fileHeader = size >= 2 && data[0] == 'B' && data[1] == 'M';
    const std::size_t headerAt = fileHeader ? 14 : 0;
    if (size < headerAt + 4)
        return IMAGE_CONVERSION_ERROR;
    const unsigned char* const header = data + headerAt;
    const std::uint32_t headerSize = readLe32(header);
    if (!knownHeaderSize(headerSize))
        return IMAGE_UNKNOWN_FORMAT;
    if (size - headerAt < headerSize)
        return IMAGE_CONVERSION_ERROR;
    const bool core = headerSize == 12;
    const int count = dibColorCount(header);

    DibLayout d{};
    d.data = data;
    d.size = size;
    std::int64_t height;
    if (core) {
        d.width = readLe16(header + 4);
        height = readLe16(header + 6);
        d.bits = readLe16(header + 10);
        d.compression = BI_RGB;
    } else {
        d.width = static_cast<std::int32_t>(readLe32(header + 4));
        height = static_cast<std::int32_t>(readLe32(header + 8));
        d.bits = readLe16(header + 14);
        d.compression = readLe32(header + 16);
    }
    d.topDown = height < 0;
    d.height = height < 0 ? -height : height;
    if (d.width <= 0 || d.height == 0 || !supportedEncoding(d.bits, d.compression))
        return IMAGE_CONVERSION_ERROR;
    // Both sides are 32-bit fields, so the product cannot overflow.
    if (d.width * d.height > IMAGE_MAX_PIXELS)
        return IMAGE_OUT_OF_MEMORY;

    // Masks of 16- and 32-bit pixels for BI_BITFIELDS: inside the header
    // when it has room for them (52 bytes and more), else in three 32-bit
    // words after it.  Without BI_BITFIELDS they are 5-5-5 and 8-8-8, and
    // masks a longer header carries anyway are not consulted.  The alpha
    // mask of the 56-byte and later headers is never read: the picture is RGB.
    std::size_t tableAt = headerAt + headerSize;
    if (d.compression == BI_BITFIELDS) {
        const unsigned char* masks = header + 40;
        if (headerSize < 52) {
            if (size - tableAt < 12)
                return IMAGE_CONVERSION_ERROR;
            masks = data + tableAt;
            tableAt += 12;
        }
        for (int c = 0; c < 3; ++c)
            d.channels[c] = makeChannel(readLe32(masks + 4 * c));
    } else if (d.bits == 16) {
        d.channels[0] = makeChannel(0x7C00);
        d.channels[1] = makeChannel(0x03E0);
        d.channels[2] = makeChannel(0x001F);
    } else if (d.bits == 32) {
        d.channels[0] = makeChannel(0xFF0000);
        d.channels[1] = makeChannel(0x00FF00);
        d.channels[2] = makeChannel(0x0000FF);
    }

    // The colour table: 3-byte entries after a core header, 4-byte ones after
    // an info header.  Only the entries a pixel can index are read; indices
    // beyond the table stay black.
    const std::size_t entrySize = core ? 3 : 4;
    if (d.bits <= 8) {
        const std::size_t entries = std::min<std::size_t>(static_cast<std::size_t>(count), std::size_t{1} << d.bits);
        if ((size - tableAt) / entrySize < entries)
            return IMAGE_CONVERSION_ERROR;
        for (std::size_t i = 0; i < entries; ++i) {
            const unsigned char* e = data + tableAt + i * entrySize;
            d.palette[i][0] = e[2];
            d.palette[i][1] = e[1];
            d.palette[i][2] = e[0];
        }
    }

    // The pixels: where the file header says, else right after the table.
    d.pixelOffset = fileHeader ? readLe32(data + 10) : tableAt + static_cast<std::size_t>(count) * entrySize;
    if (d.pixelOffset > size)
        return IMAGE_CONVERSION_ERROR;
    const bool rle = d.compression == BI_RLE8 || d.compression == BI_RLE4;
    if (rle) {
        // biSizeImage is the stream's length; the file may hold less.
        const std::uint32_t declared = readLe32(header + 20);
        d.streamSize = size - d.pixelOffset;
        if (declared != 0 && declared < d.streamSize)
            d.streamSize = declared;
    }
    // Uncompressed rows must all be in the file before the picture is
    // allocated, so the memory taken follows the bytes the file holds.  A
    // run-length stream cannot be measured that way: its end-of-bitmap and
    // delta escapes legitimately leave most of a picture unstored, so a few
    // bytes may stand for a large one, and the pixel-count limit above is
    // its only bound.
    const std::int64_t stride = (static_cast<std::int64_t>(d.bits) * d.width + 31) / 32 * 4;
    if (!rle && static_cast<std::uint64_t>(stride * d.height) > size - d.pixelOffset)
        return IMAGE_CONVERSION_ERROR;

    const auto bytes = static_cast<std::size_t>(d.width * d.height * 3);
    auto* pixels = static_cast<unsigned char*>(rle ? std::calloc(bytes, 1) : std::malloc(bytes));
    if (!pixels)
        return IMAGE_OUT_OF_MEMORY;
    if (rle) {
        if (!decodeRle(d, pixels)) {
            std::free(pixels);
            return IMAGE_CONVERSION_ERROR;
        }
    } else {
        decodeRows(d, stride, pixels);
    }

    auto* record = static_cast<ImageRGB*>(std::malloc(sizeof(ImageRGB)));
    if (!record) {
        std::free(pixels);
        return IMAGE_OUT_OF_MEMORY;
    }
    record->width = static_cast<std::int32_t>(d.width);
    record->height = static_cast<std::int32_t>(d.height);
    record->pixels = pixels;
    *image = record;
    return IMAGE_OK;
}

ImageRGB* loadDibImage(const char* fileName) { return loadDib(fileName, fileName); }

ImageRGB* loadDibImageW(const wchar_t* fileName)
{
    const std::string name = wideToUtf8(fileName);
    return loadDib(fileName ? name.c_str() : nullptr, fileName ? name.c_str() : nullptr);
}
