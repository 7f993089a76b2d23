// The shapes the desktop renderer draws, vertex for vertex.  The arithmetic
// follows what each drawing routine hands OpenGL, operation for operation in
// the same precision, so that the floats come out bit for bit: drawSphere's
// from render/sphere.cpp; freeglut's and GLU's as their OpenGL calls show
// them (tests/render/meshes_test.cpp records those calls and compares).
#include "core/meshes.h"

#include <cmath>
#include <cstdint>
#include <new>
#include <numbers>

namespace {

// Strip and quad bookkeeping: triangles appended to `indices`, wound as
// OpenGL winds the primitive.  A triangle naming one vertex twice covers
// nothing and is left out.
void addTriangle(std::vector<std::uint32_t>& indices, std::uint32_t a, std::uint32_t b, std::uint32_t c)
{
    if (a == b || b == c || a == c)
        return;
    indices.push_back(a);
    indices.push_back(b);
    indices.push_back(c);
}

// A triangle strip over the vertices strip[0..count): triangle k is
// (k, k+1, k+2) for even k and (k+1, k, k+2) for odd k.
void addStrip(std::vector<std::uint32_t>& indices, const std::uint32_t* strip, std::size_t count)
{
    for (std::size_t k = 0; k + 2 < count; ++k) {
        if (k % 2 == 0)
            addTriangle(indices, strip[k], strip[k + 1], strip[k + 2]);
        else
            addTriangle(indices, strip[k + 1], strip[k], strip[k + 2]);
    }
}

// A quad a, b, c, d (counter-clockwise when front facing) as (a, b, c) and
// (a, c, d).
void addQuad(std::vector<std::uint32_t>& indices, std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
{
    addTriangle(indices, a, b, c);
    addTriangle(indices, a, c, d);
}

// A quad strip of `pairs` vertex pairs starting at vertex `first`: quad q is
// drawn as the polygon 2q, 2q+1, 2q+3, 2q+2.
void addQuadStrip(std::vector<std::uint32_t>& indices, std::uint32_t first, std::uint32_t pairs)
{
    for (std::uint32_t q = 0; q + 1 < pairs; ++q) {
        const std::uint32_t v = first + 2 * q;
        addQuad(indices, v, v + 1, v + 3, v + 2);
    }
}

void addPosition(Mesh& mesh, float x, float y, float z)
{
    mesh.positions.push_back(x);
    mesh.positions.push_back(y);
    mesh.positions.push_back(z);
}

void addNormal(Mesh& mesh, float x, float y, float z)
{
    mesh.normals.push_back(x);
    mesh.normals.push_back(y);
    mesh.normals.push_back(z);
}

// ---- drawSphere (render/sphere.cpp) ----

constexpr float TWO_PI_F = 6.2831855f;
constexpr float HALF_PI_F = 1.5707964f;

struct Latitude {
    double cosine;
    double sine;
};

Latitude latitude(std::int64_t band, std::int64_t n)
{
    const float theta = static_cast<float>(band) * TWO_PI_F / static_cast<float>(n) - HALF_PI_F;
    return {std::cos(static_cast<double>(theta)), std::sin(static_cast<double>(theta))};
}

void sphereVertex(Mesh& mesh, const Latitude& lat, double cosLon, double sinLon, float cx, float cy, float cz, float r,
                  float s, float t)
{
    const float ex = static_cast<float>(lat.cosine * cosLon);
    const float ey = static_cast<float>(lat.sine);
    const float ez = static_cast<float>(lat.cosine * sinLon);
    addNormal(mesh, ex, ey, ez);
    mesh.uvs.push_back(s);
    mesh.uvs.push_back(t);
    addPosition(mesh, cx + r * ex, cy + r * ey, cz + r * ez);
}

// drawSphere's slice count as it uses it: its size, in 64 bits.
std::int64_t sphereSlices(int slices)
{
    const std::int64_t n = slices;
    return n < 0 ? -n : n;
}

Mesh buildSphere(float cx, float cy, float cz, float radius, int slices)
{
    Mesh mesh;
    const std::int64_t n = sphereSlices(slices);
    if (radius < 0)
        radius = -radius;
    if (n < 4 || !(radius > 0)) {
        mesh.primitive = MESH_POINTS;
        addPosition(mesh, cx, cy, cz);
        return mesh;
    }
    const std::int64_t bands = n / 2;
    const std::int64_t stripLength = 2 * (n + 1);
    if (bands * stripLength > MESH_MAX_VERTICES)
        return {};

    mesh.positions.reserve(static_cast<std::size_t>(bands * stripLength * 3));
    mesh.normals.reserve(static_cast<std::size_t>(bands * stripLength * 3));
    mesh.uvs.reserve(static_cast<std::size_t>(bands * stripLength * 2));
    mesh.indices.reserve(static_cast<std::size_t>(bands * (stripLength - 2) * 3));
    std::vector<std::uint32_t> strip(static_cast<std::size_t>(stripLength));
    const double dn = static_cast<double>(n);
    for (std::int64_t j = 0; j < bands; ++j) {
        const Latitude lower = latitude(j, n);
        const Latitude upper = latitude(j + 1, n);
        const float tLower = static_cast<float>(2.0 * static_cast<double>(j) / dn);
        const float tUpper = static_cast<float>(2.0 * static_cast<double>(j + 1) / dn);
        const auto first = static_cast<std::uint32_t>(mesh.vertexCount());
        for (std::int64_t i = 0; i <= n; ++i) {
            const float lon = static_cast<float>(i) * TWO_PI_F / static_cast<float>(n);
            const double cosLon = std::cos(static_cast<double>(lon));
            const double sinLon = std::sin(static_cast<double>(lon));
            const float s = static_cast<float>(static_cast<double>(-i) / dn);
            sphereVertex(mesh, upper, cosLon, sinLon, cx, cy, cz, radius, s, tUpper);
            sphereVertex(mesh, lower, cosLon, sinLon, cx, cy, cz, radius, s, tLower);
        }
        for (std::size_t k = 0; k < strip.size(); ++k)
            strip[k] = first + static_cast<std::uint32_t>(k);
        addStrip(mesh.indices, strip.data(), strip.size());
    }
    return mesh;
}

// ---- freeglut's solids ----

// freeglut's angle tables: sines and cosines of i steps for i = 0 .. |count|,
// a step being a whole turn (or half of one) over `count`, negative to turn
// the other way.  The step is a float, each multiple formed in float and its
// sine taken in double, rounded to float.  A whole turn ends where it
// started; a half turn ends at the opposite pole.
struct CircleTable {
    std::vector<float> sine, cosine;
};

CircleTable glutCircle(int count, bool halfCircle)
{
    CircleTable table;
    const std::size_t size = static_cast<std::size_t>(std::abs(count));
    table.sine.resize(size + 1);
    table.cosine.resize(size + 1);
    const float angle =
        (halfCircle ? 1.0f : 2.0f) * static_cast<float>(std::numbers::pi) / static_cast<float>(count == 0 ? 1 : count);
    table.sine[0] = 0.0f;
    table.cosine[0] = 1.0f;
    for (std::size_t i = 1; i < size; ++i) {
        table.sine[i] = static_cast<float>(std::sin(static_cast<double>(angle * static_cast<float>(i))));
        table.cosine[i] = static_cast<float>(std::cos(static_cast<double>(angle * static_cast<float>(i))));
    }
    if (halfCircle) {
        table.sine[size] = 0.0f;
        table.cosine[size] = -1.0f;
    } else {
        table.sine[size] = table.sine[0];
        table.cosine[size] = table.cosine[0];
    }
    return table;
}

// ---- GLU's quadrics ----

// GLU's angle tables: sines and cosines of 2 pi i / slices for i = 0 ..
// slices, the last a copy of the first; rounded to float, and as the
// double the library scales before rounding (the cylinder's normals).
struct GluCircle {
    std::vector<float> sine, cosine;
    std::vector<double> wideSine, wideCosine;
};

GluCircle gluCircle(int slices)
{
    GluCircle table;
    const auto size = static_cast<std::size_t>(slices);
    table.sine.resize(size + 1);
    table.cosine.resize(size + 1);
    table.wideSine.resize(size + 1);
    table.wideCosine.resize(size + 1);
    for (std::size_t i = 0; i < size; ++i) {
        // The angle is formed in double and kept as a float.
        const auto angle = static_cast<float>(2.0 * std::numbers::pi * static_cast<double>(i) / slices);
        table.wideSine[i] = std::sin(static_cast<double>(angle));
        table.wideCosine[i] = std::cos(static_cast<double>(angle));
        table.sine[i] = static_cast<float>(table.wideSine[i]);
        table.cosine[i] = static_cast<float>(table.wideCosine[i]);
    }
    table.sine[size] = table.sine[0];
    table.cosine[size] = table.cosine[0];
    table.wideSine[size] = table.wideSine[0];
    table.wideCosine[size] = table.wideCosine[0];
    return table;
}

}  // namespace

Mesh sphereMesh(float radius, int n) { return sphereMesh(0, 0, 0, radius, n); }

Mesh sphereMesh(float cx, float cy, float cz, float radius, int n)
{
    try {
        return buildSphere(cx, cy, cz, radius, n);
    } catch (const std::bad_alloc&) {
        return {};
    }
}

bool sphereLastTexCoord(int slices, float uv[2])
{
    const std::int64_t n = sphereSlices(slices);
    if (n < 4)
        return false;
    const double dn = static_cast<double>(n);
    // The lower vertex of the last column of the top band.
    uv[0] = static_cast<float>(static_cast<double>(-n) / dn);
    uv[1] = static_cast<float>(2.0 * static_cast<double>(n / 2 - 1) / dn);
    return true;
}

Mesh solidSphereMesh(double radius, int slices, int stacks)
{
    if (slices < 1 || stacks < 2)
        return {};
    const std::int64_t vertices = static_cast<std::int64_t>(slices) * (stacks - 1) + 2;
    if (vertices > MESH_MAX_VERTICES)
        return {};
    try {
        Mesh mesh;
        const float r = static_cast<float>(radius);
        // Round the axis clockwise seen from +z; down from the +z pole.
        const CircleTable around = glutCircle(-slices, false);
        const CircleTable down = glutCircle(stacks, true);

        addPosition(mesh, 0, 0, r);
        addNormal(mesh, 0, 0, 1);
        for (int j = 1; j < stacks; ++j) {
            for (int i = 0; i < slices; ++i) {
                const float x = around.cosine[i] * down.sine[j];
                const float y = around.sine[i] * down.sine[j];
                const float z = down.cosine[j];
                addNormal(mesh, x, y, z);
                addPosition(mesh, x * r, y * r, z * r);
            }
        }
        addPosition(mesh, 0, 0, -r);
        addNormal(mesh, 0, 0, -1);

        // One strip per stack, each round the ring and back to its first
        // slice: the top stack pairs each first-ring vertex with the pole,
        // the middle ones pair the ring below with the ring above, the
        // bottom one pairs the pole with the last ring.
        const auto ring = [slices](int j, int i) {
            return static_cast<std::uint32_t>(1 + (j - 1) * slices + i % slices);
        };
        const auto bottom = static_cast<std::uint32_t>(vertices - 1);
        std::vector<std::uint32_t> strip;
        for (int stack = 0; stack < stacks; ++stack) {
            strip.clear();
            for (int i = 0; i <= slices; ++i) {
                if (stack == 0) {
                    strip.push_back(ring(1, i));
                    strip.push_back(0);
                } else if (stack == stacks - 1) {
                    strip.push_back(bottom);
                    strip.push_back(ring(stacks - 1, i));
                } else {
                    strip.push_back(ring(stack + 1, i));
                    strip.push_back(ring(stack, i));
                }
            }
            addStrip(mesh.indices, strip.data(), strip.size());
        }
        // One slice: every strip folds onto itself and nothing is drawn.
        if (mesh.indices.empty())
            return {};
        return mesh;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

Mesh solidCubeMesh(double size)
{
    // Faces +z, +x, +y, -x, -y, -z, each counter-clockwise from outside.
    static const float corners[6][4][3] = {
        {{1, 1, 1}, {-1, 1, 1}, {-1, -1, 1}, {1, -1, 1}},     {{1, 1, 1}, {1, -1, 1}, {1, -1, -1}, {1, 1, -1}},
        {{1, 1, 1}, {1, 1, -1}, {-1, 1, -1}, {-1, 1, 1}},     {{-1, 1, 1}, {-1, 1, -1}, {-1, -1, -1}, {-1, -1, 1}},
        {{-1, -1, -1}, {1, -1, -1}, {1, -1, 1}, {-1, -1, 1}}, {{1, -1, -1}, {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}},
    };
    static const float normals[6][3] = {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}, {0, 0, -1}};
    try {
        Mesh mesh;
        const float half = static_cast<float>(size) / 2.0f;
        for (int f = 0; f < 6; ++f) {
            for (const auto& c : corners[f]) {
                addPosition(mesh, c[0] * half, c[1] * half, c[2] * half);
                addNormal(mesh, normals[f][0], normals[f][1], normals[f][2]);
            }
            const auto v = static_cast<std::uint32_t>(4 * f);
            addQuad(mesh.indices, v, v + 1, v + 2, v + 3);
        }
        return mesh;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

Mesh cylinderMesh(double base, double top, double height, int slices, int stacks)
{
    if (slices < 2 || stacks < 1 || base < 0.0 || top < 0.0 || height < 0.0)
        return {};
    const std::int64_t vertices = static_cast<std::int64_t>(stacks) * (slices + 1) * 2;
    if (vertices > MESH_MAX_VERTICES)
        return {};
    // The side's slope: the normal leans outward by the height and along -z
    // by the widening, over their length.
    // In single precision, as GLU keeps them.
    const auto deltaRadius = static_cast<float>(base - top);
    const auto h = static_cast<float>(height);
    const float length = std::sqrt(deltaRadius * deltaRadius + h * h);
    if (length == 0.0f)
        return {};
    try {
        Mesh mesh;
        const GluCircle circle = gluCircle(slices);
        const float zNormal = deltaRadius / length;
        const float xyNormalRatio = h / length;
        for (int j = 0; j < stacks; ++j) {
            const float zLow = static_cast<float>(j * height / stacks);
            const float zHigh = static_cast<float>((j + 1) * height / stacks);
            const float radiusLow = static_cast<float>(base - deltaRadius * (static_cast<float>(j) / stacks));
            const float radiusHigh = static_cast<float>(base - deltaRadius * (static_cast<float>(j + 1) / stacks));
            const auto first = static_cast<std::uint32_t>(mesh.vertexCount());
            for (int i = 0; i <= slices; ++i) {
                const auto nx = static_cast<float>(xyNormalRatio * circle.wideSine[i]);
                const auto ny = static_cast<float>(xyNormalRatio * circle.wideCosine[i]);
                addNormal(mesh, nx, ny, zNormal);
                addPosition(mesh, radiusLow * circle.sine[i], radiusLow * circle.cosine[i], zLow);
                addNormal(mesh, nx, ny, zNormal);
                addPosition(mesh, radiusHigh * circle.sine[i], radiusHigh * circle.cosine[i], zHigh);
            }
            addQuadStrip(mesh.indices, first, static_cast<std::uint32_t>(slices + 1));
        }
        return mesh;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

Mesh diskMesh(double inner, double outer, int slices, int loops)
{
    if (slices < 2 || loops < 1 || inner < 0.0 || inner > outer)
        return {};
    const std::int64_t vertices = static_cast<std::int64_t>(loops) * (slices + 1) * 2 + 1;
    if (vertices > MESH_MAX_VERTICES)
        return {};
    try {
        Mesh mesh;
        const GluCircle circle = gluCircle(slices);
        const auto deltaRadius = static_cast<float>(outer - inner);
        // A disk without a hole ends in a fan round the centre, drawn first,
        // its rim clockwise from the top (counter-clockwise seen from +z
        // once a fan's winding is taken into account).
        int rings = loops;
        if (inner == 0.0) {
            rings = loops - 1;
            const float radius = static_cast<float>(outer - deltaRadius * (static_cast<float>(rings) / loops));
            addPosition(mesh, 0, 0, 0);
            for (int i = slices; i >= 0; --i)
                addPosition(mesh, radius * circle.sine[i], radius * circle.cosine[i], 0);
            for (std::uint32_t k = 1; k + 1 < mesh.vertexCount(); ++k)
                addTriangle(mesh.indices, 0, k, k + 1);
        }
        // Rings from the rim inward, each a quad strip outer then inner.
        for (int j = 0; j < rings; ++j) {
            const float radiusLow = static_cast<float>(outer - deltaRadius * (static_cast<float>(j) / loops));
            const float radiusHigh = static_cast<float>(outer - deltaRadius * (static_cast<float>(j + 1) / loops));
            const auto first = static_cast<std::uint32_t>(mesh.vertexCount());
            for (int i = 0; i <= slices; ++i) {
                addPosition(mesh, radiusLow * circle.sine[i], radiusLow * circle.cosine[i], 0);
                addPosition(mesh, radiusHigh * circle.sine[i], radiusHigh * circle.cosine[i], 0);
            }
            addQuadStrip(mesh.indices, first, static_cast<std::uint32_t>(slices + 1));
        }
        // GLU issues the one normal before drawing; every vertex takes it.
        mesh.normals.reserve(mesh.positions.size());
        for (std::size_t v = 0; v < mesh.vertexCount(); ++v)
            addNormal(mesh, 0, 0, 1);
        return mesh;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

Mesh orbitMesh(double radius, double gapAt, double gapHalfWidth)
{
    try {
        Mesh mesh;
        mesh.primitive = MESH_LINE_STRIP;
        constexpr int segments = 256;
        constexpr double twoPi = 2.0 * std::numbers::pi;
        const double span = twoPi - 2.0 * gapHalfWidth;
        for (int i = 0; i <= segments; ++i) {
            const double a = gapAt + gapHalfWidth + span * i / segments;
            addPosition(mesh, static_cast<float>(radius * std::cos(a)), static_cast<float>(radius * std::sin(a)), 0.0f);
        }
        return mesh;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

Mesh orbitLineMesh(double distance, double bodyRadius, double gapAt)
{
    const double r = std::fabs(distance);
    return orbitMesh(r, gapAt, std::asin(bodyRadius * 1.3 / r));
}

Mesh skyCubeMesh(float halfSize)
{
    // Faces x = -S, z = -S, y = S, y = -S, x = S, z = S.
    static const float corners[6][4][3] = {
        {{-1, -1, 1}, {-1, -1, -1}, {-1, 1, -1}, {-1, 1, 1}}, {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}},
        {{-1, 1, -1}, {1, 1, -1}, {1, 1, 1}, {-1, 1, 1}},     {{-1, -1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, -1, -1}},
        {{1, -1, 1}, {1, 1, 1}, {1, 1, -1}, {1, -1, -1}},     {{-1, -1, 1}, {-1, 1, 1}, {1, 1, 1}, {1, -1, 1}},
    };
    static const float texCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    try {
        Mesh mesh;
        for (int f = 0; f < 6; ++f) {
            for (int v = 0; v < 4; ++v) {
                const float* c = corners[f][v];
                addPosition(mesh, c[0] * halfSize, c[1] * halfSize, c[2] * halfSize);
                mesh.uvs.push_back(texCoords[v][0]);
                mesh.uvs.push_back(texCoords[v][1]);
            }
            const auto v = static_cast<std::uint32_t>(4 * f);
            addQuad(mesh.indices, v, v + 1, v + 2, v + 3);
        }
        return mesh;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

Mesh closeUpAxisMesh()
{
    Mesh mesh;
    mesh.primitive = MESH_LINES;
    mesh.positions = {0.0f, -55.0f, 0.0f, 0.0f, 55.0f, 0.0f};
    return mesh;
}
