// Fuzz target: the SGI RGB decoding core behind loadRgbImage.
#include <cstdlib>

#include "fuzz/image_check.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    ImageRGB* image = nullptr;
    if (decodeRgb(data, size, &image) == IMAGE_OK) {
        checkPicture(*image);
        std::free(image->pixels);
        std::free(image);
    } else if (image) {
        std::abort();
    }
    return 0;
}
