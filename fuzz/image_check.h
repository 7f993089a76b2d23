// Checks shared by the picture fuzz targets: a decoded picture must respect
// the size bounds and its pixel block must hold exactly width x height x 3
// bytes (AddressSanitizer flags any shortfall when the block is read whole).
#pragma once

#include <cstdint>
#include <cstdlib>

#include "image/image_core.h"

inline void checkPicture(const ImageRGB& image) {
    if (image.width <= 0 || image.height <= 0 || image.width > IMAGE_MAX_SIDE ||
        image.height > IMAGE_MAX_SIDE ||
        std::int64_t{image.width} * image.height > IMAGE_MAX_PIXELS || !image.pixels)
        std::abort();
    std::size_t bytes = std::size_t(image.width) * std::size_t(image.height) * 3;
    unsigned sum = 0;
    for (std::size_t i = 0; i < bytes; ++i) sum += image.pixels[i];
    // Keeps the loop from being optimised away.
    volatile unsigned sink = sum;
    (void)sink;
}
