// Fuzz target: the raw PPM decoding core behind glmLoadPPM.
#include <sanitizer/allocator_interface.h>

#include <cstdlib>

#include "model/glm_core.h"

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    int width = -1, height = -1;
    GlmPpmError error;
    unsigned char* pixels = glmParsePPM(data, size, &width, &height, &error);
    if (pixels) {
        if (width <= 0 || height <= 0 || width > 16384 || height > 16384) std::abort();
        // The block holds exactly width x height x 3 bytes.
        if (__sanitizer_get_allocated_size(pixels) != std::size_t(width) * std::size_t(height) * 3) std::abort();
        std::free(pixels);
    } else if (width != -1 || height != -1) {
        std::abort();  // a refused picture leaves the outputs alone
    }
    return 0;
}
