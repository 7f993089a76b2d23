// Makes the viewer's pictures: the 17 slot textures and the sky; or the
// application icon.
//   make-textures FOLDER [--maps-root DIR | --painted]
//   make-textures --icon FILE.png [SIZE]
// The bodies' pictures (slots 0 to 10) come from real maps that Debian
// packages ship (maps.h), scaled and mirrored; a body whose map is missing
// is painted instead, and one line says which.  Everything else is painted
// procedurally from fixed seeds.  Either way each run writes the same files.
// Painted bodies are 512 x 256 maps wrapped round a sphere (bottom row at
// the south pole), the sky is 1024 x 1024, the figure's pictures are 8-bit
// palettised.

#include "bmp_writer.h"
#include "icon.h"
#include "maps.h"
#include "paint.h"

#include "image/picture.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

namespace {

constexpr int BODY_W = 512;
constexpr int BODY_H = 256;

// A picture of the given size, each pixel painted by paint(x, y).
template <typename Paint>
Canvas painted(int width, int height, Paint paint)
{
    Canvas c(width, height);
    forEachPixel(c, paint);
    return c;
}

// ---- relief ------------------------------------------------------------------

struct Crater {
    Vec3 centre;
    double radius;  // radians
    double depth;
    double reachCos;  // cosine of the widest angle the crater still touches
};

std::vector<Crater> scatterCraters(Random& rnd, int count, double minRadius, double maxRadius)
{
    std::vector<Crater> craters;
    for (int i = 0; i < count; ++i) {
        // Many small craters, few large ones.
        const double r = minRadius * std::pow(maxRadius / minRadius, std::pow(rnd.next(), 2.2));
        craters.push_back({rnd.onSphere(), r, rnd.range(0.6, 1.0), std::cos(std::min(2.0 * r, M_PI))});
    }
    return craters;
}

// Height of the cratered ground at p: bowls with raised rims and a soft
// blanket of ejecta around them.
double craterHeight(const std::vector<Crater>& craters, Vec3 p)
{
    double h = 0;
    for (const Crater& c : craters) {
        const double cosAngle = dot(p, c.centre);
        if (cosAngle < c.reachCos)
            continue;
        const double d = std::acos(std::min(1.0, cosAngle)) / c.radius;
        const double size = c.radius * c.depth;
        if (d < 1)
            h += size * (d * d - 0.85);
        h += size * 0.55 * std::exp(-std::pow((d - 1) / 0.18, 2));
        if (d > 1)
            h += size * 0.1 * (2 - d);
    }
    return h;
}

// Light from the upper left: the brightness of a height field's slopes.
std::vector<double> reliefShade(const std::vector<double>& height, int w, int h, double strength)
{
    std::vector<double> shade(height.size());
    auto at = [&](int x, int y) {
        x = (x + w) % w;
        y = std::clamp(y, 0, h - 1);
        return height[static_cast<std::size_t>(y) * w + x];
    };
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double facingWest = at(x + 1, y) - at(x - 1, y);
            const double facingNorth = at(x, y - 1) - at(x, y + 1);
            shade[static_cast<std::size_t>(y) * w + x] =
                std::clamp(1 + strength * (facingWest + facingNorth), 0.35, 1.6);
        }
    return shade;
}

// A rocky body: albedo(p, latitude) times the relief of its craters.
Canvas rockyBody(std::uint32_t seed, int craterCount, double maxCrater, double strength,
                 const std::function<Rgb(Vec3, double)>& albedo)
{
    Random rnd(seed);
    const std::vector<Crater> craters = scatterCraters(rnd, craterCount, 0.012, maxCrater);
    Canvas c(BODY_W, BODY_H);
    Canvas heights(BODY_W, BODY_H);
    forEachPixel(heights, [&](int x, int y) {
        const Vec3 p = spherePoint(x, y, BODY_W, BODY_H);
        const double h = craterHeight(craters, p) + 0.004 * fbm(p * 24, 4, seed + 7);
        return Rgb{h, 0, 0};
    });
    std::vector<double> height;
    for (const Rgb& v : heights.pixels)
        height.push_back(v.r);
    const std::vector<double> shade = reliefShade(height, BODY_W, BODY_H, strength);
    forEachPixel(c, [&](int x, int y) {
        const Vec3 p = spherePoint(x, y, BODY_W, BODY_H);
        return albedo(p, latitudeOf(y, BODY_H)) * shade[static_cast<std::size_t>(y) * BODY_W + x];
    });
    return c;
}

// ---- bodies --------------------------------------------------------------------

Canvas paintSun()
{
    Random rnd(11);
    std::vector<Vec3> spots;
    for (int i = 0; i < 7; ++i) {
        const double lat = rnd.range(8, 30) * (i % 2 ? 1 : -1) * M_PI / 180, lon = rnd.range(0, 2 * M_PI);
        spots.push_back({std::cos(lat) * std::cos(lon), std::sin(lat), std::cos(lat) * std::sin(lon)});
    }
    return painted(BODY_W, BODY_H, [&](int x, int y) {
        const Vec3 p = spherePoint(x, y, BODY_W, BODY_H);
        const Cells cell = cells(p * 22 + Vec3{0.3 * fbm(p * 30, 2, 5), 0, 0}, 3);
        const double granule = smoothstep(0.0, 0.45, cell.f2 - cell.f1);
        const double large = fbm(p * 3.5, 4, 9);
        const double fine = fbm(p * 60, 2, 4);
        double v = 0.42 + 0.33 * granule + 0.16 * large + 0.06 * fine;
        for (const Vec3& s : spots) {
            const double d = std::acos(std::min(1.0, dot(p, s))) / 0.045;
            v -= 0.55 * (1 - smoothstep(0.45, 0.6, d)) + 0.22 * (1 - smoothstep(0.6, 1.2, d));
        }
        // Bright faculae in the active belts.
        v += 0.1 * smoothstep(0.3, 0.7, fbm(p * 9, 3, 13)) * smoothstep(0.0, 0.4, std::abs(p.y));
        return ramp({{0.0, {60, 10, 0}},
                     {0.25, {150, 40, 0}},
                     {0.45, {225, 105, 10}},
                     {0.65, {250, 165, 35}},
                     {0.85, {255, 215, 90}},
                     {1.0, {255, 245, 180}}},
                    v);
    });
}

Canvas paintMercury()
{
    return rockyBody(21, 650, 0.2, 6.0, [](Vec3 p, double) {
        const double v = fbm(p * 3, 5, 22);
        const double fine = fbm(p * 20, 3, 23);
        return mix(Rgb{115, 108, 100}, Rgb{170, 160, 148}, clamp01(0.5 + 0.45 * v + 0.15 * fine));
    });
}

Canvas paintMoon()
{
    return rockyBody(31, 420, 0.18, 5.0, [](Vec3 p, double) {
        // Dark maria gather on one hemisphere; bright highlands elsewhere.
        const double maria = fbm(p * 1.8, 5, 32) + 0.35 * p.x;
        const double m = smoothstep(0.0, 0.35, maria);
        const double fine = fbm(p * 16, 3, 33);
        const Rgb highland = mix(Rgb{150, 148, 142}, Rgb{200, 198, 190}, clamp01(0.5 + 0.5 * fine));
        const Rgb mare = mix(Rgb{70, 70, 74}, Rgb{100, 100, 104}, clamp01(0.5 + 0.5 * fine));
        return mix(highland, mare, m);
    });
}

Canvas paintPluto()
{
    // The bright heart-shaped plain: two overlapping lobes near the equator.
    const Vec3 lobeA{-0.82, 0.3, 0.5}, lobeB{-0.95, 0.12, 0.1};
    return rockyBody(41, 300, 0.14, 4.5, [=](Vec3 p, double lat) {
        const double v = fbm(p * 2.5, 5, 42);
        Rgb ground = ramp({{-0.6, {95, 72, 58}}, {0.0, {150, 130, 112}}, {0.6, {200, 188, 172}}}, v);
        const double heart = std::max(dot(p, lobeA * (1 / std::sqrt(dot(lobeA, lobeA)))),
                                      dot(p, lobeB * (1 / std::sqrt(dot(lobeB, lobeB)))));
        ground = mix(ground, Rgb{232, 226, 214}, smoothstep(0.88, 0.93, heart + 0.03 * fbm(p * 8, 3, 43)));
        // A dark reddish band along the equator.
        ground = mix(ground, Rgb{105, 62, 45},
                     0.55 * (1 - smoothstep(5, 22, std::abs(lat + 8 * v))) * smoothstep(-0.1, 0.3, fbm(p * 3, 3, 44)) *
                         (heart < 0.85));
        return ground;
    });
}

Canvas paintVenus()
{
    return painted(BODY_W, BODY_H, [](int x, int y) {
        const Vec3 p = spherePoint(x, y, BODY_W, BODY_H);
        const Vec3 warp{fbm(p * 2, 4, 51), fbm(p * 2 + Vec3{5, 1, 3}, 4, 52), fbm(p * 2 + Vec3{2, 7, 1}, 4, 53)};
        const Vec3 q = Vec3{p.x * 2.5, p.y * 6, p.z * 2.5} + warp * 0.9;
        double v = 0.5 + 0.35 * fbm(q, 6, 54);
        // The sideways Y-shaped streaks of the upper clouds.
        v += 0.12 * std::sin(p.y * 9 + 3 * fbm(p * 3, 3, 55));
        return ramp({{0.0, {150, 105, 50}},
                     {0.3, {200, 155, 85}},
                     {0.55, {228, 195, 130}},
                     {0.8, {245, 225, 175}},
                     {1.0, {252, 244, 215}}},
                    v);
    });
}

Canvas paintEarth()
{
    return painted(BODY_W, BODY_H, [](int x, int y) {
        const Vec3 p = spherePoint(x, y, BODY_W, BODY_H);
        const double lat = latitudeOf(y, BODY_H);
        const double continent = fbm(p * 1.1, 7, 61) + 0.2 * fbm(p * 4, 4, 62);
        const double coast = 0.12;
        Rgb ground;
        if (continent < coast) {
            const double depth = clamp01((coast - continent) * 2.2);
            ground = ramp({{0.0, {40, 120, 170}}, {0.15, {22, 78, 140}}, {1.0, {8, 28, 82}}}, depth);
        } else {
            const double elevation = continent - coast;
            const double moisture = fbm(p * 2.5, 5, 63) + 0.35 * std::cos(lat * M_PI / 180 * 4);
            const double absLat = std::abs(lat);
            Rgb land = mix(Rgb{58, 108, 42}, Rgb{28, 80, 30}, clamp01(0.5 + moisture));
            const double dry =
                smoothstep(0.0, -0.35, moisture) * smoothstep(8, 20, absLat) * (1 - smoothstep(35, 45, absLat));
            land = mix(land, Rgb{205, 175, 120}, clamp01(dry * 1.3));
            land = mix(land, Rgb{125, 122, 95}, smoothstep(50, 65, absLat));
            land = mix(land, Rgb{120, 95, 70}, smoothstep(0.35, 0.6, elevation));
            land = mix(land, Rgb{235, 235, 235}, smoothstep(0.62, 0.72, elevation));
            ground = land * (0.92 + 0.16 * fbm(p * 30, 3, 64));
        }
        // Ice caps, ragged at their edges.
        const double ice = smoothstep(70, 74, std::abs(lat) + 5 * fbm(p * 6, 4, 65));
        ground = mix(ground, Rgb{236, 242, 248}, ice);
        // Clouds: swirled bands, densest in the storm belts.
        const Vec3 warp{fbm(p * 3, 3, 66), fbm(p * 3 + Vec3{4, 4, 4}, 3, 67), fbm(p * 3 + Vec3{8, 1, 2}, 3, 68)};
        const double cloudField = fbm(Vec3{p.x * 3, p.y * 8, p.z * 3} + warp * 1.6, 6, 69);
        const double belt = 0.18 * std::cos(lat * M_PI / 180 * 6) - 0.1;
        const double cloud = smoothstep(0.1, 0.65, cloudField + belt) * 0.85;
        return mix(ground, Rgb{250, 250, 252}, cloud);
    });
}

Canvas paintMars()
{
    return rockyBody(71, 260, 0.12, 4.0, [](Vec3 p, double lat) {
        const double v = fbm(p * 2.2, 6, 72);
        Rgb ground = ramp({{-0.8, {130, 52, 26}}, {0.0, {185, 88, 45}}, {0.8, {222, 140, 88}}}, v);
        const double dark = smoothstep(0.05, 0.35, fbm(p * 1.6, 5, 73) - 0.1 * p.y);
        ground = mix(ground, Rgb{92, 48, 32}, 0.75 * dark);
        // The great canyon, a dark gash just south of the equator.
        const double canyon = std::exp(-std::pow((lat + 8 + 3 * fbm(p * 8, 3, 74)) / 1.6, 2)) *
                              smoothstep(0.2, 0.5, p.x) * smoothstep(-0.9, -0.2, p.z);
        ground = mix(ground, Rgb{75, 35, 22}, 0.8 * canyon);
        const double cap = smoothstep(74, 79, std::abs(lat) + 4 * fbm(p * 7, 4, 75));
        return mix(ground, Rgb{242, 238, 232}, cap);
    });
}

Canvas paintJupiter()
{
    const double spotLat = -22 * M_PI / 180, spotLon = 1.1;
    return painted(BODY_W, BODY_H, [=](int x, int y) {
        const Vec3 p = spherePoint(x, y, BODY_W, BODY_H);
        const double lat = (y + 0.5) / BODY_H * M_PI - M_PI / 2;
        const double lon = (x + 0.5) / BODY_W * 2 * M_PI;
        // Latitude disturbed by stretched turbulence, then banded.
        const double turbulence = fbm(Vec3{p.x * 5, p.y * 26, p.z * 5}, 5, 81);
        const double yy = std::sin(lat) + 0.025 * turbulence + 0.01 * fbm(p * 20, 3, 82);
        const double band = std::sin(yy * 17) * 0.6 + std::sin(yy * 31 + 1.3) * 0.3 + std::sin(yy * 7 + 0.5) * 0.35;
        Rgb colour = ramp({{-1.2, {120, 78, 52}},
                           {-0.5, {170, 115, 75}},
                           {0.0, {205, 165, 120}},
                           {0.5, {232, 218, 192}},
                           {1.2, {245, 238, 222}}},
                          band + 0.25 * fbm(Vec3{p.x * 10, p.y * 40, p.z * 10}, 4, 83));
        // Greyer, mottled polar regions.
        colour = mix(colour, Rgb{160, 140, 120} * (0.9 + 0.2 * fbm(p * 14, 3, 84)),
                     smoothstep(0.75, 0.95, std::abs(std::sin(lat))));
        // The Great Red Spot: an oval with a paler collar.
        double dLon = std::remainder(lon - spotLon, 2 * M_PI);
        const double ex = dLon * std::cos(lat) / 0.2, ey = (lat - spotLat) / 0.11;
        const double r = std::sqrt(ex * ex + ey * ey) + 0.08 * fbm(p * 18, 3, 85);
        colour = mix(colour, Rgb{236, 214, 190}, 0.8 * (1 - smoothstep(1.05, 1.35, r)) * smoothstep(0.75, 1.0, r));
        const Rgb spot =
            mix(Rgb{200, 92, 58}, Rgb{165, 70, 45}, clamp01(0.5 + std::sin(r * 9 + std::atan2(ey, ex) * 2) * 0.5));
        colour = mix(colour, spot, 1 - smoothstep(0.8, 1.0, r));
        return colour;
    });
}

Canvas paintSaturn()
{
    return painted(BODY_W, BODY_H, [](int x, int y) {
        const Vec3 p = spherePoint(x, y, BODY_W, BODY_H);
        const double s = p.y + 0.008 * fbm(Vec3{p.x * 6, p.y * 30, p.z * 6}, 4, 91);
        const double band = std::sin(s * 14) * 0.5 + std::sin(s * 29 + 0.7) * 0.3 + std::sin(s * 5) * 0.4;
        Rgb colour = ramp({{-1.0, {180, 150, 105}}, {0.0, {218, 196, 150}}, {1.0, {240, 226, 188}}}, band);
        colour = mix(colour, Rgb{170, 170, 160}, smoothstep(0.85, 0.98, std::abs(p.y)));
        return colour * (0.97 + 0.06 * fbm(p * 25, 2, 92));
    });
}

Canvas paintUranus()
{
    return painted(BODY_W, BODY_H, [](int x, int y) {
        const Vec3 p = spherePoint(x, y, BODY_W, BODY_H);
        const double band = std::sin(p.y * 11 + 0.3 * fbm(p * 4, 3, 101)) * 0.04;
        Rgb colour = mix(Rgb{150, 212, 222}, Rgb{190, 236, 240}, clamp01(0.45 + band * 5 + 0.3 * p.y));
        return colour * (0.97 + 0.04 * fbm(p * 10, 3, 102));
    });
}

Canvas paintNeptune()
{
    const double spotLat = -20 * M_PI / 180, spotLon = 2.4;
    Random rnd(111);
    std::vector<std::pair<double, double>> streaks;
    for (int i = 0; i < 9; ++i)
        streaks.push_back({rnd.range(-55, 40) * M_PI / 180, rnd.range(0, 2 * M_PI)});
    return painted(BODY_W, BODY_H, [=](int x, int y) {
        const Vec3 p = spherePoint(x, y, BODY_W, BODY_H);
        const double lat = (y + 0.5) / BODY_H * M_PI - M_PI / 2;
        const double lon = (x + 0.5) / BODY_W * 2 * M_PI;
        const double s = p.y + 0.02 * fbm(Vec3{p.x * 4, p.y * 18, p.z * 4}, 4, 112);
        const double band = std::sin(s * 9) * 0.5 + std::sin(s * 23) * 0.2;
        Rgb colour = ramp({{-0.7, {28, 52, 150}}, {0.0, {45, 85, 200}}, {0.7, {75, 125, 228}}}, band);
        const double dLon = std::remainder(lon - spotLon, 2 * M_PI) * std::cos(lat);
        const double r = std::hypot(dLon / 0.17, (lat - spotLat) / 0.09);
        colour = mix(colour, Rgb{20, 34, 110}, 1 - smoothstep(0.7, 1.0, r));
        for (const auto& [sLat, sLon] : streaks) {
            const double dx = std::remainder(lon - sLon, 2 * M_PI) * std::cos(lat) / 0.22;
            const double dy = (lat - sLat) / 0.018;
            colour = mix(colour, Rgb{225, 235, 255}, 0.85 * std::exp(-(dx * dx + dy * dy)));
        }
        return colour;
    });
}

// ---- the ball, the band and c -------------------------------------------------

Canvas paintBall()
{
    // A beach ball: six coloured gores and white caps.
    const Rgb gores[] = {{230, 40, 45}, {252, 210, 40}, {35, 95, 220}, {245, 245, 245}, {40, 175, 85}, {250, 130, 30}};
    return painted(BODY_W, BODY_H, [&](int x, int y) {
        const double lat = latitudeOf(y, BODY_H);
        const double u = (x + 0.5) / BODY_W * 6;
        const int gore = static_cast<int>(u) % 6;
        const double edge = std::min(u - std::floor(u), std::ceil(u) - u);
        Rgb colour = gores[gore] * (0.85 + 0.15 * smoothstep(0.0, 0.12, edge));
        const double cap = std::abs(lat);
        if (cap > 72)
            colour = Rgb{248, 248, 248};
        else if (cap > 69)
            colour = Rgb{200, 30, 40};
        return colour;
    });
}

Rgb hue(double h)
{
    h = h - std::floor(h);
    return Rgb{255 * clamp01(std::abs(h * 6 - 3) - 1), 255 * clamp01(2 - std::abs(h * 6 - 2)),
               255 * clamp01(2 - std::abs(h * 6 - 4))};
}

Canvas paintBand()
{
    // Rainbow chevrons between gold edges.  The scene textures the band at a
    // single texture coordinate on the picture's top and bottom rows, so
    // those edges give the band its colour.
    const int w = 512, h = 128;
    return painted(w, h, [&](int x, int y) {
        const double v = (y + 0.5) / h;
        const double chevron = (x + 0.5) / 64.0 + std::abs(v - 0.5) * 1.2;
        Rgb colour = hue(std::floor(chevron * 2) / 8 + 0.05) * 0.92;
        colour =
            mix(colour, Rgb{30, 20, 60}, 0.7 * (1 - smoothstep(0.0, 0.08, std::abs(std::remainder(chevron * 2, 1.0)))));
        const double pipe = std::min(v, 1 - v);
        if (pipe < 0.1) {
            const Rgb gold = mix(Rgb{255, 205, 60}, Rgb{200, 130, 20}, std::abs(std::sin(x * 0.2)) * 0.3);
            colour = mix(gold, colour, smoothstep(0.075, 0.1, pipe));
        }
        return colour;
    });
}

Canvas paintC()
{
    // Interference rings in full colour.
    const int size = 256;
    return painted(size, size, [&](int x, int y) {
        const double u = (x + 0.5) / size * 2 * M_PI, v = (y + 0.5) / size * 2 * M_PI;
        const double field = std::sin(u * 3) + std::sin(v * 2 + std::sin(u)) + std::sin((u + v) * 1.5) +
                             std::sin(std::hypot(std::sin(u) * 3, std::cos(v) * 3) * 3);
        return hue(field / 8 + 0.5) * (0.75 + 0.25 * std::cos(field * 3));
    });
}

// ---- the figure ----------------------------------------------------------------

// Inside an ellipse centred at (cx, cy) with half axes (rx, ry): <= 1.
double ellipse(double x, double y, double cx, double cy, double rx, double ry)
{
    return std::hypot((x - cx) / rx, (y - cy) / ry);
}

Canvas paintFace()
{
    // A friendly face filling the picture; its skin runs to every edge, so
    // a single sample anywhere near the border is skin coloured.
    const int size = 256;
    const Rgb skin{236, 188, 150}, shadow{205, 150, 115}, hair{78, 48, 28};
    return painted(size, size, [&](int px, int py) {
        const double x = (px + 0.5) / size, y = 1 - (py + 0.5) / size;  // y grows downwards here
        Rgb colour = skin * (0.96 + 0.05 * fbm(Vec3{x * 40, y * 40, 0}, 2, 121));
        // Face outline shading and ears.
        const double face = ellipse(x, y, 0.5, 0.52, 0.36, 0.44);
        colour = mix(colour, shadow, 0.35 * smoothstep(0.92, 1.05, face) * (1 - smoothstep(1.05, 1.3, face)));
        // Hair: a cap with a side-swept fringe and short sideburns; it stays
        // clear of the picture's sides.
        const double fringe = 0.2 + 0.06 * smoothstep(0.3, 0.75, x) - 0.03 * std::abs(std::sin(x * 22));
        const bool cap = y < fringe && ellipse(x, y, 0.5, 0.3, 0.39, 0.31) < 1;
        const bool sideburn = y < 0.38 && std::abs(x - 0.5) > 0.31 && ellipse(x, y, 0.5, 0.36, 0.385, 0.36) < 1;
        if (cap || sideburn)
            colour =
                hair * (0.8 + 0.35 * std::abs(std::sin(x * 140 + y * 30)) + 0.1 * fbm(Vec3{x * 30, y * 30, 1}, 2, 122));
        // Eyebrows, eyes, nose, cheeks, mouth.
        for (double ex : {0.35, 0.65}) {
            if (std::abs(y - (0.33 - 0.02 * std::sin((x - ex) * 14 + 1.57))) < 0.012 && std::abs(x - ex) < 0.08)
                colour = hair;
            const double eye = ellipse(x, y, ex, 0.41, 0.075, 0.042);
            if (eye < 1) {
                colour = Rgb{250, 250, 250};
                const double iris = std::hypot(x - ex, y - 0.41);
                if (iris < 0.035)
                    colour = mix(Rgb{60, 120, 170}, Rgb{30, 70, 120}, iris / 0.035);
                if (iris < 0.016)
                    colour = Rgb{15, 15, 20};
                if (std::hypot(x - ex + 0.012, y - 0.40) < 0.007)
                    colour = Rgb{255, 255, 255};
            } else if (eye < 1.15) {
                colour = Rgb{60, 40, 30};
            }
            colour = mix(colour, Rgb{240, 140, 130}, 0.35 * (1 - smoothstep(0.0, 0.08, std::hypot(x - ex, y - 0.56))));
        }
        const double nose = ellipse(x, y, 0.52, 0.53, 0.035, 0.07);
        colour = mix(colour, shadow, 0.5 * (1 - smoothstep(0.7, 1.0, nose)) * smoothstep(0.5, 0.53, x));
        // A smile: corners raised, lips thickest in the middle.
        const double across = (x - 0.5) / 0.13;
        if (std::abs(across) < 1) {
            const double line = 0.70 - 0.045 * across * across;
            const double lips = 0.028 * (1 - across * across) + 0.004;
            const double d = y - line;
            if (d > -lips * 0.45 && d < lips)
                colour = std::abs(d) < 0.004 ? Rgb{120, 40, 45} : (d < 0 ? Rgb{200, 90, 95} : Rgb{215, 105, 105});
        }
        return colour;
    });
}

Canvas paintShirt()
{
    // Red flannel check with a button placket and a collar.
    const int size = 256;
    return painted(size, size, [&](int px, int py) {
        const double x = px + 0.5, y = py + 0.5;
        const double stripeX = std::abs(std::remainder(x, 48.0)), stripeY = std::abs(std::remainder(y, 48.0));
        Rgb colour{196, 34, 38};
        const double darkX = stripeX < 9 ? 1.0 : 0.0, darkY = stripeY < 9 ? 1.0 : 0.0;
        colour = mix(colour, Rgb{60, 12, 20}, 0.35 * darkX + 0.35 * darkY);
        if (std::abs(stripeX - 17) < 1.2 || std::abs(stripeY - 17) < 1.2)
            colour = mix(colour, Rgb{240, 210, 120}, 0.6);
        // Twill weave.
        colour = colour * (0.92 + 0.08 * std::sin((x + y) * 1.6));
        // Placket down the middle with buttons.
        if (std::abs(x - 128) < 9) {
            colour = colour * 0.88;
            if (std::abs(x - 128) > 7.5)
                colour = colour * 0.7;
            for (double by = 40; by < 220; by += 44)
                if (std::hypot(x - 128, y - by) < 5.5)
                    colour = std::hypot(x - 127, y - by - 1) < 1.4 ? Rgb{120, 110, 95} : Rgb{235, 228, 210};
        }
        // Collar points at the top.
        const double fromTop = 256 - y;
        if (fromTop < 40 && std::abs(x - 128) < 70 - fromTop && std::abs(x - 128) > fromTop * 0.6)
            colour = mix(colour, Rgb{150, 25, 30}, 0.5);
        return colour;
    });
}

Canvas paintJeans()
{
    // Blue denim: diagonal twill, faded highlights, orange double stitching.
    const int size = 256;
    return painted(size, size, [&](int px, int py) {
        const double x = px + 0.5, y = py + 0.5;
        const double twill = 0.5 + 0.5 * std::sin((x + y * 0.5) * 1.9);
        const double fade = smoothstep(-0.2, 0.6, fbm(Vec3{x / 60, y / 90, 0}, 4, 131));
        Rgb colour = mix(Rgb{32, 55, 100}, Rgb{62, 96, 150}, 0.35 * twill + 0.45 * fade);
        colour = colour * (0.93 + 0.1 * fbm(Vec3{x / 3, y / 3, 0}, 2, 132));
        for (double seam : {60.0, 196.0}) {
            const double d = std::abs(x - seam);
            if (d < 3)
                colour = colour * 0.75;
            if ((std::abs(d - 5) < 0.9 || std::abs(d - 9) < 0.9) && std::fmod(y, 8) < 5)
                colour = Rgb{214, 140, 50};
        }
        return colour;
    });
}

// ---- the sky -----------------------------------------------------------------

Canvas paintSky()
{
    const int size = 1024;
    Canvas c(size, size);
    forEachPixel(c, [&](int px, int py) {
        const Vec3 q{px / 260.0, py / 260.0, 0.5};
        const Vec3 warp{fbm(q, 4, 141), fbm(q + Vec3{3, 7, 0}, 4, 142), 0};
        const double cloud = fbm(q + warp * 1.2, 6, 143);
        const double tint = fbm(q * 0.7 + Vec3{9, 2, 1}, 3, 144);
        const double dust = smoothstep(0.1, 0.5, fbm(q * 2.2 + warp, 5, 145));
        const double glow = smoothstep(-0.1, 0.9, cloud) * (1 - 0.75 * dust);
        const Rgb nebula = mix(mix(Rgb{95, 40, 140}, Rgb{30, 75, 160}, clamp01(0.5 + tint)), Rgb{175, 60, 110},
                               smoothstep(0.3, 0.8, cloud) * clamp01(0.3 - tint * 2));
        return Rgb{3, 4, 11} + nebula * (0.6 * glow * glow);
    });
    // Stars: many faint, few bright, tinted from blue-white to orange.
    Random rnd(151);
    const Rgb tints[] = {{170, 195, 255}, {235, 240, 255}, {255, 250, 235}, {255, 225, 170}, {255, 190, 140}};
    for (int i = 0; i < 5200; ++i) {
        const double sx = rnd.range(0, size), sy = rnd.range(0, size);
        const double brightness = std::pow(rnd.next(), 6.0) * 1.4 + 0.12;
        const Rgb tint = tints[static_cast<int>(rnd.next() * 5)];
        const double radius = 0.55 + 1.6 * brightness;
        const int reach = static_cast<int>(std::ceil(radius * 3 + (brightness > 0.9 ? 8 : 0)));
        for (int y = static_cast<int>(sy) - reach; y <= static_cast<int>(sy) + reach; ++y)
            for (int x = static_cast<int>(sx) - reach; x <= static_cast<int>(sx) + reach; ++x) {
                if (x < 0 || y < 0 || x >= size || y >= size)
                    continue;
                const double dx = x + 0.5 - sx, dy = y + 0.5 - sy;
                double light = brightness * std::exp(-(dx * dx + dy * dy) / (radius * radius * 0.5));
                if (brightness > 0.9)  // diffraction spikes of the brightest stars
                    light += 0.35 * brightness * (std::exp(-dy * dy * 4) + std::exp(-dx * dx * 4)) *
                             std::exp(-std::hypot(dx, dy) / 4.5);
                Rgb& pixel = c.at(x, y);
                pixel = pixel + tint * std::min(light, 1.2);
            }
    }
    return c;
}

bool save24(const std::filesystem::path& dir, const char* name, const Canvas& c)
{
    return writeBmp24((dir / name).string(), c.width, c.height, c.bytes());
}

bool save8(const std::filesystem::path& dir, const char* name, const Canvas& c)
{
    const Palettised p = palettise(c);
    return writeBmp8((dir / name).string(), c.width, c.height, p.indices, p.palette);
}

// The painted stand-ins of the bodies, by slot.
Canvas (*const paintedBodies[BODY_MAP_COUNT])() = {
    paintSun,     paintMercury, paintVenus,  paintEarth,   paintMoon,  paintMars,
    paintJupiter, paintSaturn,  paintUranus, paintNeptune, paintPluto,
};

// How making one body's picture ended.
enum class BodyOutcome { FROM_MAP, NO_MAP, FAILED };

// Makes the picture of body `slot` from its map under `root`.  NO_MAP when
// the map is not there (nothing written); FAILED, after one line on
// standard error, when it is there but cannot be read, or the picture
// cannot be written.
BodyOutcome pictureFromMap(const std::filesystem::path& dir, const std::filesystem::path& root, int slot)
{
    const BodyMap& map = bodyMaps[slot];
    const std::filesystem::path file = root / map.file;
    std::error_code error;
    if (!std::filesystem::exists(file, error))
        return BodyOutcome::NO_MAP;
    PictureData decoded{};
    char message[PICTURE_MESSAGE_SIZE] = "";
    if (readPicture(file.c_str(), 3, &decoded, message) != PICTURE_OK) {
        std::fprintf(stderr, "make-textures: %s\n", message);
        return BodyOutcome::FAILED;
    }
    const SlotPicture picture = slotPictureFromMap(decoded.pixels, decoded.width, decoded.height, decoded.channels);
    freePicture(&decoded);
    if (!writeBmp24((dir / map.picture).string(), picture.width, picture.height, picture.rgb)) {
        std::fprintf(stderr, "make-textures: cannot write %s\n", (dir / map.picture).string().c_str());
        return BodyOutcome::FAILED;
    }
    return BodyOutcome::FROM_MAP;
}

void printUsage(std::FILE* out)
{
    std::fprintf(out, "usage: make-textures FOLDER [--maps-root DIR | --painted]\n"
                      "       make-textures --icon FILE.png [SIZE]\n"
                      "\n"
                      "Makes the viewer's pictures (Sun.bmp ... space2.bmp) in FOLDER.  The pictures\n"
                      "of the Sun, the planets and the Moon come from the maps that the Debian\n"
                      "packages stellarium-data and xplanet-images install, looked for under DIR\n"
                      "(default /), scaled and mirrored so that each reads as on a globe; a body\n"
                      "whose map is missing is painted, and one line names those bodies.\n"
                      "--painted paints every body.  The other pictures are always painted.\n"
                      "--icon paints the SIZE x SIZE icon (16 to 4096, default 256) into FILE.png.\n"
                      "Exit status: 0 success, 1 a map could not be read or a file written, 2 usage.\n");
}

int usageError(const char* what)
{
    std::fprintf(stderr, "make-textures: %s (see --help)\n", what);
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 2 && std::string(argv[1]) == "--help") {
        printUsage(stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (argc == 2 && std::string(argv[1]) == "--version") {
        std::printf("make-textures %s\n", SOLAR_SYSTEM_VERSION);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    if (argc >= 3 && argc <= 4 && std::string(argv[1]) == "--icon") {
        const int size = argc == 4 ? std::atoi(argv[3]) : 256;
        if (size < 16 || size > 4096) {
            std::fprintf(stderr, "make-textures: icon size must be 16 to 4096\n");
            return 2;
        }
        if (!writeIcon(argv[2], paintSaturn(), size)) {
            std::fprintf(stderr, "make-textures: cannot write %s\n", argv[2]);
            return 1;
        }
        return 0;
    }

    const char* folder = nullptr;
    const char* mapsRoot = nullptr;
    bool allPainted = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--maps-root") {
            if (i + 1 == argc || mapsRoot)
                return usageError("--maps-root takes one folder");
            mapsRoot = argv[++i];
        } else if (arg == "--painted") {
            allPainted = true;
        } else if (!arg.empty() && arg[0] == '-') {
            return usageError(("unknown option " + arg).c_str());
        } else if (folder) {
            return usageError("one FOLDER only");
        } else {
            folder = argv[i];
        }
    }
    if (!folder)
        return usageError("usage: make-textures FOLDER [--maps-root DIR | --painted] | --icon FILE.png [SIZE]");
    if (allPainted && mapsRoot)
        return usageError("--painted and --maps-root exclude each other");
    const std::filesystem::path dir = folder;
    const std::filesystem::path root = mapsRoot ? mapsRoot : "/";
    std::error_code error;
    std::filesystem::create_directories(dir, error);

    int failures = 0;
    std::string fellBack, missingPackages;
    for (int slot = 0; slot < BODY_MAP_COUNT; ++slot) {
        const BodyOutcome outcome = allPainted ? BodyOutcome::NO_MAP : pictureFromMap(dir, root, slot);
        if (outcome == BodyOutcome::FAILED)
            ++failures;
        if (outcome != BodyOutcome::NO_MAP)
            continue;
        if (!allPainted) {
            fellBack += std::string(fellBack.empty() ? "" : ", ") + bodyMaps[slot].body;
            if (missingPackages.find(bodyMaps[slot].package) == std::string::npos)
                missingPackages += std::string(missingPackages.empty() ? "" : ", ") + bodyMaps[slot].package;
        }
        if (!save24(dir, bodyMaps[slot].picture, paintedBodies[slot]())) {
            std::fprintf(stderr, "make-textures: cannot write %s\n", (dir / bodyMaps[slot].picture).string().c_str());
            ++failures;
        }
    }

    struct Picture {
        const char* name;
        Canvas (*paint)();
        bool palettised;
    };
    const Picture pictures[] = {
        {"c.bmp", paintC, false},
        {"bbb.bmp", paintBall, false},
        {"personface.bmp", paintFace, true},
        {"personbody.bmp", paintShirt, true},
        {"personjean.bmp", paintJeans, true},
        {"b3.bmp", paintBand, false},
        {"space2.bmp", paintSky, false},
    };
    for (const Picture& p : pictures) {
        const Canvas canvas = p.paint();
        if (!(p.palettised ? save8(dir, p.name, canvas) : save24(dir, p.name, canvas))) {
            std::fprintf(stderr, "make-textures: cannot write %s\n", (dir / p.name).string().c_str());
            ++failures;
        }
    }
    if (!fellBack.empty())
        std::fprintf(stderr, "make-textures: painted %s: their maps (%s) are not under %s\n", fellBack.c_str(),
                     missingPackages.c_str(), root.string().c_str());
    return failures ? 1 : 0;
}
