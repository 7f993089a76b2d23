// Checks shared by the picture fuzz targets: a decoded picture must respect
// the size bounds, and its pixel block must hold at least width x height x 3
// bytes (the allocator knows each block's size).
#pragma once

#include <sanitizer/allocator_interface.h>

#include <cstdint>
#include <cstdlib>

#include "image/image_core.h"

inline void checkPicture(const ImageRGB& image) {
    if (image.width <= 0 || image.height <= 0 || image.width > IMAGE_MAX_SIDE ||
        image.height > IMAGE_MAX_SIDE ||
        std::int64_t{image.width} * image.height > IMAGE_MAX_PIXELS || !image.pixels)
        std::abort();
    const std::size_t bytes = std::size_t(image.width) * std::size_t(image.height) * 3;
    if (__sanitizer_get_allocated_size(image.pixels) < bytes) std::abort();
}
