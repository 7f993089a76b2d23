// Fuzz target: the 8- and 24-bit BMP decoding core behind readBmp.
#include <cstdlib>

#include "fuzz/image_check.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    ImageRGB image = {};
    BmpHeaderInfo info;
    BmpStatus status = decodeBmp(data, size, &image, &info);
    // A complete picture, or the rows read so far of a short one, must lie
    // within its block.
    if (status == BMP_OK || status == BMP_SHORT_PIXELS) checkPicture(image);
    else if (image.pixels) std::abort();
    std::free(image.pixels);
    return 0;
}
