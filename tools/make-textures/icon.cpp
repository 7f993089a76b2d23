#include "icon.h"

#include <cmath>
#include <vector>

#include "image/picture.h"

namespace {

struct Rgba {
    double r, g, b, a;
};

// The ring plane's normal, which is also the planet's axis: tilted towards
// the viewer so the ring opens into an ellipse, and leaning to one side.
Vec3 ringAxis()
{
    const double open = 22 * M_PI / 180, lean = -18 * M_PI / 180;
    const Vec3 upright{0, std::cos(open), std::sin(open)};
    return {upright.x * std::cos(lean) - upright.y * std::sin(lean),
            upright.x * std::sin(lean) + upright.y * std::cos(lean), upright.z};
}

Vec3 normalised(Vec3 v) { return v * (1 / std::sqrt(dot(v, v))); }
Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

// One sample of the icon at (x, y) in planet radii, +y up, viewer at +z.
Rgba sample(double x, double y, const Canvas& surface)
{
    static const Vec3 axis = ringAxis();
    static const Vec3 east = normalised(cross(axis, Vec3{0, 0, 1}));
    static const Vec3 north = cross(east, axis);
    static const Vec3 light = normalised(Vec3{-0.5, 0.6, 0.8});

    // The ring plane through the centre: the point under (x, y) and its depth.
    const double ringZ = -(axis.x * x + axis.y * y) / axis.z;
    const double ringR = std::sqrt(x * x + y * y + ringZ * ringZ);
    Rgba ring{0, 0, 0, 0};
    if (ringR > 1.25 && ringR < 2.15) {
        const double t = (ringR - 1.25) / 0.9;
        const double bands = 0.55 + 0.25 * std::sin(t * 40) + 0.2 * std::sin(t * 97 + 1.3);
        const double gap = (t > 0.58 && t < 0.63) ? 0.15 : 1.0;  // the dark division
        const Rgb c = ramp({{0, {150, 130, 100}}, {0.5, {215, 195, 155}}, {1, {190, 175, 140}}}, t);
        ring = {c.r, c.g, c.b, std::min(1.0, bands * gap * 1.1)};
    }

    const double r2 = x * x + y * y;
    if (r2 < 1) {
        const Vec3 n{x, y, std::sqrt(1 - r2)};
        if (ring.a > 0 && ringZ > n.z)
            return ring;  // the near half of the ring hides the planet
        const double lat = std::asin(std::max(-1.0, std::min(1.0, dot(n, axis))));
        const double lon = std::atan2(dot(n, north), dot(n, east)) + M_PI;
        const int u = std::min(surface.width - 1, static_cast<int>(lon / (2 * M_PI) * surface.width));
        const int v = std::min(surface.height - 1, static_cast<int>((lat / M_PI + 0.5) * surface.height));
        const Rgb c = const_cast<Canvas&>(surface).at(u, v);
        const double shade = 0.25 + 0.75 * std::max(0.0, dot(n, light));
        return {c.r * shade, c.g * shade, c.b * shade, 1};
    }
    return ring;
}

}  // namespace

bool writeIcon(const std::filesystem::path& file, const Canvas& surface, int size)
{
    // Four by four samples a pixel smooth the edges into the alpha channel.
    constexpr int SS = 4;
    const double scale = 2.2 / (size / 2.0);
    std::vector<unsigned char> rgba(static_cast<std::size_t>(size) * size * 4);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            Rgba sum{0, 0, 0, 0};
            for (int sy = 0; sy < SS; ++sy) {
                for (int sx = 0; sx < SS; ++sx) {
                    const double x = (px + (sx + 0.5) / SS - size / 2.0) * scale;
                    const double y = (size / 2.0 - (py + (sy + 0.5) / SS)) * scale;
                    const Rgba s = sample(x, y, surface);
                    sum = {sum.r + s.r * s.a, sum.g + s.g * s.a, sum.b + s.b * s.a, sum.a + s.a};
                }
            }
            unsigned char* out = &rgba[(static_cast<std::size_t>(py) * size + px) * 4];
            const double a = sum.a / (SS * SS);
            auto channel = [&](double premultiplied) {
                return static_cast<unsigned char>(sum.a > 0 ? std::lround(std::min(255.0, premultiplied / sum.a)) : 0);
            };
            out[0] = channel(sum.r);
            out[1] = channel(sum.g);
            out[2] = channel(sum.b);
            out[3] = static_cast<unsigned char>(std::lround(a * 255));
        }
    }

    return writePng(file.c_str(), PictureData{size, size, 4, rgba.data()}, nullptr) == PICTURE_OK;
}
