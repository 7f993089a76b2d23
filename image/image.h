// Decoded pictures and the loaders that produce them.
#pragma once

#include <cstdint>

// A decoded picture: width x height pixels, 3 bytes each (red, green, blue),
// bottom row first, rows not padded.  The loaders that return a record
// allocate it and its pixels with malloc; the receiver frees pixels, then
// the record.
struct ImageRGB {
    std::int32_t width;
    std::int32_t height;
    unsigned char* pixels;
};

// Process-wide switch, initially on: while on, the DIB and SGI loaders show
// their errors in a message box captioned "Error"; while off they fail quietly.
extern unsigned char imageErrorPopups;
void setImageErrorPopups(unsigned char flag);

// Windows bitmap (DIB/BMP) loader; null on failure, after its message.
// Windows-style names ("image\Sun.bmp") are resolved case-insensitively.
ImageRGB* loadDibImage(const char* fileName);
// The same with a wide name (UTF-16 code units, or whole code points where
// wchar_t is 32 bits), shown in UTF-8 in the "Failed to open" message.
ImageRGB* loadDibImageW(const wchar_t* fileName);
// Colour-table entries of a 12-byte core header or of an info header (40
// bytes or one of the longer ones that begin like it).
int dibColorCount(const void* header);

// Uncompressed 8- and 24-bit BMP reader; reports on standard output and
// fills the caller's record.
void readBmp(const char* fileName, ImageRGB* image);
// Set by checkByteOrder at the start of every readBmp: 1 on a big-endian host.
extern int swapBytes;
void checkByteOrder();
void swap32(std::uint32_t* word);
void swap16(std::uint16_t* word);
// When on, readBmp prints the header values it reads.  Off; nothing turns it on.
extern bool bmpTrace;

// SGI RGB loader; null on failure, after its message.
ImageRGB* loadRgbImage(const char* fileName);
ImageRGB* loadRgbImageW(const wchar_t* fileName);

// The SGI loader's steps.  openRgbFile takes a narrow name, or a wide one
// when `wide` is true.  readRgbRow fills `buffer` (xsize bytes) with row y of
// channel z and returns false for a row that does not decode within it.
// readRgbPixels allocates and fills image->pixels; false when it could not.
struct RgbFile;
RgbFile* openRgbFile(const void* fileName, bool wide);
bool readRgbRow(RgbFile* rgbFile, unsigned char* buffer, int y, int z);
bool readRgbPixels(RgbFile* rgbFile, ImageRGB* image);
void closeRgbFile(RgbFile* rgbFile);
