#include "paint.h"

#include <map>

namespace {

std::uint32_t hash3(std::int32_t x, std::int32_t y, std::int32_t z, std::uint32_t seed)
{
    std::uint32_t h = seed * 0x27d4eb2dU;
    h ^= static_cast<std::uint32_t>(x) * 0x85ebca6bU;
    h = (h << 13 | h >> 19) * 5 + 0xe6546b64U;
    h ^= static_cast<std::uint32_t>(y) * 0xc2b2ae35U;
    h = (h << 13 | h >> 19) * 5 + 0xe6546b64U;
    h ^= static_cast<std::uint32_t>(z) * 0x9E3779B1U;
    h ^= h >> 16;
    h *= 0x85ebca6bU;
    h ^= h >> 13;
    h *= 0xc2b2ae35U;
    h ^= h >> 16;
    return h;
}

double gradientDot(std::uint32_t h, double x, double y, double z)
{
    // Twelve edge directions of a cube.
    switch (h % 12) {
    case 0:
        return x + y;
    case 1:
        return -x + y;
    case 2:
        return x - y;
    case 3:
        return -x - y;
    case 4:
        return x + z;
    case 5:
        return -x + z;
    case 6:
        return x - z;
    case 7:
        return -x - z;
    case 8:
        return y + z;
    case 9:
        return -y + z;
    case 10:
        return y - z;
    default:
        return -y - z;
    }
}

double fade(double t) { return t * t * t * (t * (t * 6 - 15) + 10); }
double lerp(double a, double b, double t) { return a + (b - a) * t; }

}  // namespace

Rgb ramp(const std::vector<RampStop>& stops, double t)
{
    if (t <= stops.front().at)
        return stops.front().colour;
    for (std::size_t i = 1; i < stops.size(); ++i)
        if (t <= stops[i].at)
            return mix(stops[i - 1].colour, stops[i].colour, (t - stops[i - 1].at) / (stops[i].at - stops[i - 1].at));
    return stops.back().colour;
}

double noise(Vec3 p, std::uint32_t seed)
{
    const double fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
    const auto ix = static_cast<std::int32_t>(fx), iy = static_cast<std::int32_t>(fy),
               iz = static_cast<std::int32_t>(fz);
    const double x = p.x - fx, y = p.y - fy, z = p.z - fz;
    const double u = fade(x), v = fade(y), w = fade(z);
    auto g = [&](int dx, int dy, int dz) {
        return gradientDot(hash3(ix + dx, iy + dy, iz + dz, seed), x - dx, y - dy, z - dz);
    };
    return lerp(lerp(lerp(g(0, 0, 0), g(1, 0, 0), u), lerp(g(0, 1, 0), g(1, 1, 0), u), v),
                lerp(lerp(g(0, 0, 1), g(1, 0, 1), u), lerp(g(0, 1, 1), g(1, 1, 1), u), v), w);
}

double fbm(Vec3 p, int octaves, std::uint32_t seed, double gain)
{
    double sum = 0, amplitude = 1, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amplitude * noise(p, seed + static_cast<std::uint32_t>(i) * 1013);
        norm += amplitude;
        amplitude *= gain;
        p = p * 2.03;
    }
    return sum / norm * 1.6;
}

Cells cells(Vec3 p, std::uint32_t seed)
{
    const double fx = std::floor(p.x), fy = std::floor(p.y), fz = std::floor(p.z);
    Cells c{9, 9};
    for (int dz = -1; dz <= 1; ++dz)
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx) {
                const auto cx = static_cast<std::int32_t>(fx) + dx, cy = static_cast<std::int32_t>(fy) + dy,
                           cz = static_cast<std::int32_t>(fz) + dz;
                const std::uint32_t h = hash3(cx, cy, cz, seed);
                const Vec3 feature{cx + (h & 1023) / 1023.0, cy + (h >> 10 & 1023) / 1023.0,
                                   cz + (h >> 20 & 1023) / 1023.0};
                const Vec3 d{feature.x - p.x, feature.y - p.y, feature.z - p.z};
                const double dist = std::sqrt(dot(d, d));
                if (dist < c.f1) {
                    c.f2 = c.f1;
                    c.f1 = dist;
                } else if (dist < c.f2) {
                    c.f2 = dist;
                }
            }
    return c;
}

double Random::next()
{
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    return static_cast<double>((state * 0x2545F4914F6CDD1Dull) >> 11) / 9007199254740992.0;
}

Vec3 Random::onSphere()
{
    const double y = range(-1, 1);
    const double a = range(0, 2 * M_PI);
    const double r = std::sqrt(1 - y * y);
    return {r * std::cos(a), y, r * std::sin(a)};
}

std::vector<std::uint8_t> Canvas::bytes() const
{
    std::vector<std::uint8_t> out;
    out.reserve(pixels.size() * 3);
    auto byte = [](double v) { return static_cast<std::uint8_t>(std::lround(std::clamp(v, 0.0, 255.0))); };
    for (const Rgb& c : pixels)
        out.insert(out.end(), {byte(c.r), byte(c.g), byte(c.b)});
    return out;
}

Vec3 spherePoint(int x, int y, int width, int height)
{
    const double lat = (y + 0.5) / height * M_PI - M_PI / 2;
    const double lon = (x + 0.5) / width * 2 * M_PI;
    return {std::cos(lat) * std::cos(lon), std::sin(lat), std::cos(lat) * std::sin(lon)};
}

double latitudeOf(int y, int height) { return (y + 0.5) / height * 180.0 - 90.0; }

Palettised palettise(const Canvas& canvas)
{
    // Popularity on a 5-5-5 grid, each table entry the mean of its cell's
    // pixels; then every pixel takes the nearest entry.
    const std::vector<std::uint8_t> rgb = canvas.bytes();
    const std::size_t count = rgb.size() / 3;
    struct Cell {
        std::size_t n = 0;
        double r = 0, g = 0, b = 0;
    };
    std::map<int, Cell> cellsByKey;
    for (std::size_t i = 0; i < count; ++i) {
        const int key = (rgb[3 * i] >> 3) << 10 | (rgb[3 * i + 1] >> 3) << 5 | rgb[3 * i + 2] >> 3;
        Cell& c = cellsByKey[key];
        ++c.n;
        c.r += rgb[3 * i];
        c.g += rgb[3 * i + 1];
        c.b += rgb[3 * i + 2];
    }
    std::vector<std::pair<std::size_t, int>> popular;
    for (const auto& [key, c] : cellsByKey)
        popular.emplace_back(c.n, key);
    std::sort(popular.begin(), popular.end(),
              [](auto a, auto b) { return a.first != b.first ? a.first > b.first : a.second < b.second; });
    if (popular.size() > 256)
        popular.resize(256);
    Palettised out;
    for (const auto& [n, key] : popular) {
        const Cell& c = cellsByKey[key];
        out.palette.push_back({static_cast<std::uint8_t>(std::lround(c.r / c.n)),
                               static_cast<std::uint8_t>(std::lround(c.g / c.n)),
                               static_cast<std::uint8_t>(std::lround(c.b / c.n))});
    }
    std::map<int, std::uint8_t> nearestByKey;
    out.indices.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const int key = (rgb[3 * i] >> 3) << 10 | (rgb[3 * i + 1] >> 3) << 5 | rgb[3 * i + 2] >> 3;
        auto found = nearestByKey.find(key);
        if (found == nearestByKey.end()) {
            const auto& c = cellsByKey[key];
            const double r = c.r / c.n, g = c.g / c.n, b = c.b / c.n;
            std::size_t best = 0;
            double bestDistance = 1e18;
            for (std::size_t e = 0; e < out.palette.size(); ++e) {
                const double dr = r - out.palette[e][0], dg = g - out.palette[e][1], db = b - out.palette[e][2];
                const double d = 2 * dr * dr + 4 * dg * dg + 3 * db * db;
                if (d < bestDistance) {
                    bestDistance = d;
                    best = e;
                }
            }
            found = nearestByKey.emplace(key, static_cast<std::uint8_t>(best)).first;
        }
        out.indices[i] = found->second;
    }
    return out;
}
