// Small procedural-painting kit: gradient noise, cell noise, colours and
// pictures wrapped round a sphere.  Everything is deterministic: the same
// seed paints the same picture on every machine.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

struct Vec3 {
    double x, y, z;
};
inline Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
inline Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline double dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// A colour with channels in 0..255 (kept as doubles while painting).
struct Rgb {
    double r, g, b;
};
inline Rgb operator*(Rgb c, double s) { return {c.r * s, c.g * s, c.b * s}; }
inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb mix(Rgb a, Rgb b, double t) { return a * (1 - t) + b * t; }
inline double clamp01(double v) { return v < 0 ? 0 : v > 1 ? 1 : v; }
inline double smoothstep(double e0, double e1, double x)
{
    const double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
// A colour ramp: stops at increasing positions.
struct RampStop {
    double at;
    Rgb colour;
};
Rgb ramp(const std::vector<RampStop>& stops, double t);

// Gradient noise in about -1..1, and its sums over octaves.
double noise(Vec3 p, std::uint32_t seed);
double fbm(Vec3 p, int octaves, std::uint32_t seed, double gain = 0.5);
// Cell noise: distances to the nearest and second-nearest feature points.
struct Cells {
    double f1, f2;
};
Cells cells(Vec3 p, std::uint32_t seed);

// A deterministic random number generator for scattering features.
struct Random {
    std::uint64_t state;
    explicit Random(std::uint64_t seed) : state(seed * 0x9E3779B97F4A7C15ull + 1) {}
    double next();  // 0 <= value < 1
    double range(double lo, double hi) { return lo + (hi - lo) * next(); }
    Vec3 onSphere();
};

// A picture being painted: width * height colours, bottom row first.
struct Canvas {
    int width, height;
    std::vector<Rgb> pixels;
    Canvas(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, Rgb{0, 0, 0}) {}
    Rgb& at(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
    // Red, green, blue bytes, bottom row first.
    std::vector<std::uint8_t> bytes() const;
};

// A texture wrapped round a sphere: row 0 is the south pole, columns run
// once round the equator.  Gives the point on the unit sphere (y is the
// axis) and the latitude in degrees for pixel (x, y).
Vec3 spherePoint(int x, int y, int width, int height);
double latitudeOf(int y, int height);

// Calls paint(x, y) for every pixel, spreading rows over the machine's cores.
template <typename Paint>
void forEachPixel(Canvas& canvas, Paint paint);

// Reduces a picture to at most 256 colours: the table and each pixel's index.
struct Palettised {
    std::vector<std::uint8_t> indices;
    std::vector<std::array<std::uint8_t, 3>> palette;
};
Palettised palettise(const Canvas& canvas);

#include "paint_impl.h"
