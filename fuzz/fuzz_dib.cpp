// Fuzz target: the DIB/BMP decoding core behind loadDibImage.
#include <cstdlib>

#include "fuzz/image_check.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    ImageRGB* image = nullptr;
    if (decodeDib(data, size, &image) == IMAGE_OK) {
        checkPicture(*image);
        std::free(image->pixels);
        std::free(image);
    } else if (image) {
        std::abort();  // a failed decode hands out nothing
    }
    return 0;
}
