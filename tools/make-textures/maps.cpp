// The maps of the bodies and their conversion into slot pictures.  The maps
// are chosen for sharpness and for terms that let a derived picture be
// shipped (see the README's credits): the Earth from xplanet's NASA map, the
// Moon from Stellarium's 4096 x 2048 map, every other body from Stellarium.

#include "maps.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

const BodyMap bodyMaps[BODY_MAP_COUNT] = {
    {"Sun", "Sun.bmp", "usr/share/stellarium/textures/sun.png", "stellarium-data"},
    {"Mercury", "Mercury.bmp", "usr/share/stellarium/textures/mercury.png", "stellarium-data"},
    {"Venus", "Venus.bmp", "usr/share/stellarium/textures/venus.png", "stellarium-data"},
    {"Earth", "earth.bmp", "usr/share/xplanet/images/earth.jpg", "xplanet-images"},
    {"Moon", "Moon.bmp", "usr/share/stellarium/textures/moon_4k.jpg", "stellarium-data"},
    {"Mars", "Mars.bmp", "usr/share/stellarium/textures/mars.png", "stellarium-data"},
    {"Jupiter", "Jupiter.bmp", "usr/share/stellarium/textures/jupiter.png", "stellarium-data"},
    {"Saturn", "saturn.bmp", "usr/share/stellarium/textures/saturn.png", "stellarium-data"},
    {"Uranus", "Uranus.bmp", "usr/share/stellarium/textures/uranus.png", "stellarium-data"},
    {"Neptune", "Neptune.bmp", "usr/share/stellarium/textures/neptune.png", "stellarium-data"},
    {"Pluto", "Pluto.bmp", "usr/share/stellarium/textures/pluto.png", "stellarium-data"},
};

int powerOfTwoAtMost(int size, int limit)
{
    const int bound = std::min(size, limit);
    int p = 1;
    while (p <= bound / 2)
        p *= 2;
    return p;
}

namespace {

// One source pixel's share of a target pixel.
struct Tap {
    int source;
    float weight;
};

// For each of `to` target pixels along one side, the source pixels among
// `from` that lie under it and the fraction of the target each covers.
// Target pixel t spans [t * from, (t + 1) * from) and source pixel s spans
// [s * to, (s + 1) * to), both in units of 1 / (from * to) of the side, so
// the overlaps are exact integers.
std::vector<std::vector<Tap>> areaTaps(int from, int to)
{
    std::vector<std::vector<Tap>> taps(static_cast<std::size_t>(to));
    for (int t = 0; t < to; ++t) {
        const long long lo = static_cast<long long>(t) * from, hi = lo + from;
        for (int s = static_cast<int>(lo / to); s < from && static_cast<long long>(s) * to < hi; ++s) {
            const long long overlap =
                std::min(hi, static_cast<long long>(s + 1) * to) - std::max(lo, static_cast<long long>(s) * to);
            if (overlap > 0)
                taps[static_cast<std::size_t>(t)].push_back(
                    {s, static_cast<float>(overlap) / static_cast<float>(from)});
        }
    }
    return taps;
}

}  // namespace

SlotPicture slotPictureFromMap(const unsigned char* pixels, int width, int height, int channels)
{
    SlotPicture picture;
    picture.width = powerOfTwoAtMost(width, MAX_MAP_WIDTH);
    picture.height = powerOfTwoAtMost(height, MAX_MAP_HEIGHT);
    const std::vector<std::vector<Tap>> across = areaTaps(width, picture.width);
    const std::vector<std::vector<Tap>> down = areaTaps(height, picture.height);

    // Across first, every map row to the picture's width, in floats.
    const std::size_t rowFloats = static_cast<std::size_t>(picture.width) * 3;
    std::vector<float> narrow(rowFloats * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = pixels + static_cast<std::size_t>(y) * width * channels;
        float* out = &narrow[static_cast<std::size_t>(y) * rowFloats];
        for (int x = 0; x < picture.width; ++x)
            for (const Tap& tap : across[static_cast<std::size_t>(x)])
                for (int c = 0; c < 3; ++c)
                    out[3 * x + c] += tap.weight * row[static_cast<std::size_t>(tap.source) * channels + c];
    }

    // Then down; the picture's row 0 is the map's bottom (the south), and
    // its column x is the map's column width - 1 - x.
    picture.rgb.resize(rowFloats * static_cast<std::size_t>(picture.height));
    std::vector<float> sum(rowFloats);
    for (int y = 0; y < picture.height; ++y) {
        std::fill(sum.begin(), sum.end(), 0.0f);
        for (const Tap& tap : down[static_cast<std::size_t>(y)]) {
            const float* in = &narrow[static_cast<std::size_t>(tap.source) * rowFloats];
            for (std::size_t i = 0; i < rowFloats; ++i)
                sum[i] += tap.weight * in[i];
        }
        std::uint8_t* out = &picture.rgb[static_cast<std::size_t>(picture.height - 1 - y) * rowFloats];
        for (int x = 0; x < picture.width; ++x)
            for (int c = 0; c < 3; ++c) {
                const float v = std::clamp(sum[3 * static_cast<std::size_t>(picture.width - 1 - x) + c], 0.0f, 255.0f);
                out[3 * x + c] = static_cast<std::uint8_t>(std::lround(v));
            }
    }
    return picture;
}
