// Helpers of the picture tests: recorded message boxes, reference pictures,
// hand-built bitmaps and SGI headers, and pictures written by ImageMagick.
#pragma once

#include "image/image.h"
#include "tests/support/files.h"
#include "tests/support/message_boxes.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// A binary PPM read into ImageRGB layout (bottom row first).
struct Picture {
    int width = 0, height = 0;
    Bytes pixels;
};
bool readPpm(const std::filesystem::path& path, Picture& picture);
void writePpm(const std::filesystem::path& path, const Picture& picture);

// Frees a loader's record and its pixels.
void freeImage(ImageRGB* image);

// `bytes` written to a real file and loaded from it by `loader` (loadDibImage
// or loadRgbImage), with the message boxes shown meanwhile.
struct LoadedFile {
    LoadedFile(const Bytes& bytes, ImageRGB* (*loader)(const char*));
    ~LoadedFile();
    Bytes pixels() const;
    TempDir dir;
    RecordedBoxes boxes;
    ImageRGB* image;
};

// A bitmap built field by field: the 14-byte file header (optional), a 40-
// or 12-byte header, the colour table and the given pixel bytes.
struct BmpFields {
    int width = 1, height = 1, bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40;
    bool fileHeader = true;
    std::uint32_t clrUsed = 0;
    std::vector<std::uint32_t> palette = {};  // 0x00RRGGBB entries
    std::vector<std::uint32_t> masks = {};    // BI_BITFIELDS: red, green, blue
    Bytes pixels = {};                        // stored rows, padding included
};
Bytes buildBmp(const BmpFields& fields);
// Stored rows of a 24-bit picture from red, green, blue pixels (bottom first).
Bytes rows24(int width, int height, const Bytes& rgb);

// A big-endian SGI file: the 512-byte header of a three-dimensional picture,
// one byte per channel, `storage` 0 (verbatim) or 1 (run-length), then `rest`
// as it is.
Bytes buildSgi(unsigned storage, unsigned xsize, unsigned ysize, unsigned zsize, const Bytes& rest);

// ImageMagick's picture of `input` with the given options, written to
// `output` in `format` ("BMP3", "BMP", "sgi"); the bytes of the file.  A
// failed conversion fails the test.
Bytes convertWith(const std::filesystem::path& input, const std::string& options, const std::string& format,
                  const std::filesystem::path& output);
