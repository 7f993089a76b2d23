// The textured sphere: latitude bands from the south pole upward, each band
// one triangle strip with a unit normal and a texture coordinate per vertex.
#include <GL/gl.h>

#include <cmath>
#include <cstdint>

#include "render/render.h"

namespace {

// 2 pi and pi / 2, held in single precision.  The angles are formed in
// float arithmetic from these, so every sphere is bit-for-bit reproducible.
constexpr float TWO_PI = 6.2831855f;
constexpr float HALF_PI = 1.5707964f;

// Cosine and sine of one latitude, taken in double on the float angle.
struct Latitude {
    double cosine;
    double sine;
};

inline Latitude latitude(std::int64_t band, std::int64_t n)
{
    const float theta = static_cast<float>(band) * TWO_PI / static_cast<float>(n) - HALF_PI;
    return {std::cos(static_cast<double>(theta)), std::sin(static_cast<double>(theta))};
}

// One vertex: direction e from the latitude and longitude (products in
// double, rounded to float), point c + r e in float, then normal, texture
// coordinate and position.
inline void emitVertex(const Latitude& lat, double cosLon, double sinLon, float cx, float cy, float cz, float r,
                       float s, float t)
{
    const float ex = static_cast<float>(lat.cosine * cosLon);
    const float ey = static_cast<float>(lat.sine);
    const float ez = static_cast<float>(lat.cosine * sinLon);
    const float px = cx + r * ex;
    const float py = cy + r * ey;
    const float pz = cz + r * ez;
    glNormal3f(ex, ey, ez);
    glTexCoord2f(s, t);
    glVertex3f(px, py, pz);
}

}  // namespace

void drawSphere(float cx, float cy, float cz, float radius, int slices)
{
    // 64-bit count: negating INT_MIN, and i <= n at INT_MAX, stay defined.
    std::int64_t n = slices;
    if (n < 0)
        n = -n;
    if (radius < 0)
        radius = -radius;
    // Too few slices for a solid, or no size (a NaN radius counts as none):
    // the sphere shrinks to its centre.
    if (n < 4 || !(radius > 0)) {
        glBegin(GL_POINTS);
        glVertex3f(cx, cy, cz);
        glEnd();
        return;
    }

    const double dn = static_cast<double>(n);
    for (std::int64_t j = 0; j < n / 2; ++j) {
        const Latitude lower = latitude(j, n);
        const Latitude upper = latitude(j + 1, n);
        const float tLower = static_cast<float>(2.0 * static_cast<double>(j) / dn);
        const float tUpper = static_cast<float>(2.0 * static_cast<double>(j + 1) / dn);
        glBegin(GL_TRIANGLE_STRIP);
        for (std::int64_t i = 0; i <= n; ++i) {
            const float lon = static_cast<float>(i) * TWO_PI / static_cast<float>(n);
            const double cosLon = std::cos(static_cast<double>(lon));
            const double sinLon = std::sin(static_cast<double>(lon));
            // s runs 0 .. -1 round the sphere; column n repeats column 0's
            // position with s = -1, closing the seam.
            const float s = static_cast<float>(static_cast<double>(-i) / dn);
            emitVertex(upper, cosLon, sinLon, cx, cy, cz, radius, s, tUpper);
            emitVertex(lower, cosLon, sinLon, cx, cy, cz, radius, s, tLower);
        }
        glEnd();
    }
}
