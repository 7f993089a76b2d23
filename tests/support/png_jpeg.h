// PNG and JPEG files built in memory straight through libpng and libjpeg, in
// the layouts the picture codecs must convert (grey, palette, 16 bits,
// transparency, progressive): the codecs' tests and the fuzzers' seeds.
#pragma once

#include <cstdint>
#include <vector>

#include "tests/support/bytes.h"

// A PNG of `width` x `height` pixels.  `colourType` and `depth` are libpng's
// (PNG_COLOR_TYPE_*, 1 to 16 bits); `samples` holds one value per channel
// per pixel, rows top first, each value within the depth (palette indices
// for a palette picture).  `palette` gives RGB triples and `transparency`
// the tRNS chunk's alpha values (palette pictures) when not empty.
struct PngLayout {
    int width = 1, height = 1;
    int colourType = 2;  // PNG_COLOR_TYPE_RGB
    int depth = 8;
    std::vector<std::uint16_t> samples{};
    std::vector<std::uint8_t> palette{};
    std::vector<std::uint8_t> transparency{};
    bool interlaced = false;
};
Bytes buildPng(const PngLayout& layout);

// A JPEG of 1 (grey) or 3 (RGB) channels, rows top first, at quality 100.
Bytes buildJpeg(int width, int height, int channels, const Bytes& pixels, bool progressive = false);
