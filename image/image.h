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
ImageRGB* loadDibImage(const char* fileName);
ImageRGB* loadDibImageW(const wchar_t* fileName);

// Uncompressed 8- and 24-bit BMP reader; reports on standard output and
// fills the caller's record.
void readBmp(const char* fileName, ImageRGB* image);

// SGI RGB loader; null on failure, after its message.
ImageRGB* loadRgbImage(const char* fileName);
ImageRGB* loadRgbImageW(const wchar_t* fileName);
