// Decoding cores of the picture loaders.  Each core decodes a picture held in
// memory (a byte range: the whole file), reads nothing outside that range,
// shows and prints nothing, and tells its caller how it ended.  The file
// operations of image.h are thin layers over them that open the file, map
// it, call the core and report the outcome in their own way (message box or
// standard output).
#pragma once

#include "image/image.h"

#include <cstddef>
#include <cstdint>

// Largest picture any loader accepts: 2^28 pixels in all (768 MiB of RGB),
// in any shape the format's size fields can describe.  Larger claims are
// refused as if memory ran out.  Below that, every loader checks the size
// the header claims against the bytes the file holds before it allocates
// the picture, so that the memory taken follows the file's size; only the
// run-length bitmaps, which may legitimately leave most of a picture
// unstored, rely on this limit alone.
constexpr std::int64_t IMAGE_MAX_PIXELS = std::int64_t{1} << 28;

// How a DIB or SGI decode ended.  imageStatusMessage gives the text the
// loaders show for it.
enum ImageStatus {
    IMAGE_OK = 0,
    IMAGE_OUT_OF_MEMORY,     // "Out of memory."
    IMAGE_UNKNOWN_FORMAT,    // "Unknown DIB file format."
    IMAGE_CONVERSION_ERROR,  // "Image file conversion error."
    IMAGE_INVALID_RGB,       // "Invalid rgb file."
};
const char* imageStatusMessage(ImageStatus status);

// ---- Windows bitmaps (DIB/BMP) ---------------------------------------------

// Decodes a bitmap with or without the 14-byte file header and with a 12-,
// 40-, 52-, 56-, 108- (V4) or 124-byte (V5) header: 1, 4 and 8 bits through the colour table, 16 (5-5-5), 24
// and 32 bits, BI_BITFIELDS masks for 16 and 32 bits, RLE4 and RLE8.  Top-down
// rows are flipped so the bottom row comes first.  On IMAGE_OK *image is a
// new malloc'd record with malloc'd pixels; otherwise *image is untouched.
ImageStatus decodeDib(const unsigned char* data, std::size_t size, ImageRGB** image);

// A bitmap file decoded as loadDibImage decodes it, but without any message:
// what went wrong is kept in the outcome, and reportDibOutcome shows the box
// loadDibImage would have shown.  A caller can so decode on another thread
// and report on its own, in its own order.
struct DibFileOutcome {
    ImageRGB* image;     // the picture (malloc'd, the caller's) on success, else null
    bool opened;         // false: the file could not be opened or is empty
    ImageStatus status;  // how the decode ended, when opened
};
DibFileOutcome decodeDibFile(const char* path);
// The box loadDibImage shows for this outcome, naming the file shownName
// ("Failed to open DIB file ..."); nothing for a decoded picture.
void reportDibOutcome(const DibFileOutcome& outcome, const char* shownName);

// ---- Uncompressed 8- and 24-bit BMP (the sky reader) -------------------------

// How decodeBmp ended; bmpStatusMessage gives the line readBmp prints.
enum BmpStatus {
    BMP_OK = 0,
    BMP_NOT_BMP,            // "Error reading BMP file, file type incorrect\n"
    BMP_SHORT_FILE_HEADER,  // "Error reading BMP file header\n"
    BMP_SHORT_INFO_HEADER,  // "Error reading BMP Information record\n"
    BMP_COMPRESSED,         // "Sorry, this code cannot read compressed image files\n"
    BMP_BAD_DEPTH,          // "Sorry, this code can only read 8 bit or 24 bit image files\n"
    BMP_NO_MEMORY,          // "Error allocating pixel memory\n"
    BMP_SHORT_PIXELS,       // "Error reading BMP pixels\n"
};
const char* bmpStatusMessage(BmpStatus status);

// The header values decodeBmp read, for the reader's trace lines.
struct BmpHeaderInfo {
    std::uint32_t fileSize, pixelOffset;
    std::uint32_t headerSize, compression;
    std::int32_t width, height;
    std::uint16_t planes, bitCount;
    int colorTableSize, bytesPerPixel, bytesPerRow;
    bool colorTableMissing;  // no colour-table entry could be read
};

// Decodes an uncompressed 8- or 24-bit BMP into the caller's record.  The
// record is untouched when the status is one of the header failures; from
// BMP_NO_MEMORY on, width and height are set (height made positive for a
// top-down file); after BMP_SHORT_PIXELS pixels holds the rows read so far
// and black rows for the rest, or is null when less than half of the rows
// are in the file.  `info` (may be null) receives the header.
BmpStatus decodeBmp(const unsigned char* data, std::size_t size, ImageRGB* image, BmpHeaderInfo* info);

// ---- SGI RGB ----------------------------------------------------------------

// An SGI picture being read.  Bytes beyond the end of the data read as zero,
// as a short read leaves them.
class FileMap;

struct RgbFile {
    std::uint16_t magic, type, dimension, xsize, ysize, zsize;
    bool bigEndian;
    const unsigned char* data;  // the whole file
    std::size_t size;
    FileMap* mapping;              // the file mapping this record owns, or null
    unsigned char* rowBuffers[3];  // one decoded row of red, green, blue (xsize bytes each)
    std::uint32_t* rowStart;       // run-length files: ysize * zsize entries each
    std::uint32_t* rowLength;
};

// Opens an SGI picture held in memory, which must outlive the record.  Null
// on failure with *status telling why (IMAGE_INVALID_RGB for a bad magic,
// 2 bytes per channel, no channels, an empty size, a verbatim raster less
// than half present, or run-length tables or rows outside the file;
// IMAGE_OUT_OF_MEMORY).
RgbFile* openRgbMemory(const unsigned char* data, std::size_t size, ImageStatus* status);

// Decodes a whole SGI picture held in memory: verbatim or run-length, either
// byte order, 1 to 4 channels (1 and 2 give grey from channel 0; a fourth
// channel is ignored).  On IMAGE_OK *image is a new malloc'd record whose
// pixels are exactly width * height * 3 bytes.
ImageStatus decodeRgb(const unsigned char* data, std::size_t size, ImageRGB** image);
