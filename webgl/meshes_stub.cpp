// Stand-in for core/meshes.cpp until it lands in main.
#include "webgl/meshes_stub.h"

#include <cmath>
#include <numbers>

namespace {
void vertex(Mesh& m, double x, double y, double z, double nx, double ny, double nz)
{
    m.positions.insert(m.positions.end(), {float(x), float(y), float(z)});
    m.normals.insert(m.normals.end(), {float(nx), float(ny), float(nz)});
}
void quad(Mesh& m, std::uint32_t a, std::uint32_t b, std::uint32_t c, std::uint32_t d)
{
    m.indices.insert(m.indices.end(), {a, b, c, a, c, d});
}
constexpr double PI = std::numbers::pi;
}  // namespace

Mesh sphereMesh(float radius, int n) { return sphereMesh(0, 0, 0, radius, n); }

Mesh sphereMesh(float cx, float cy, float cz, float radius, int n)
{
    Mesh m;
    const float TWO_PI = 6.2831855f, HALF_PI = 1.5707964f;
    for (int j = 0; j < n / 2; ++j) {
        for (int i = 0; i <= n; ++i) {
            const float lon = float(i) * TWO_PI / float(n);
            for (int b : {j + 1, j}) {
                const float theta = float(b) * TWO_PI / float(n) - HALF_PI;
                const float ex = float(std::cos(double(theta)) * std::cos(double(lon)));
                const float ey = float(std::sin(double(theta)));
                const float ez = float(std::cos(double(theta)) * std::sin(double(lon)));
                m.positions.insert(m.positions.end(), {cx + radius * ex, cy + radius * ey, cz + radius * ez});
                m.normals.insert(m.normals.end(), {ex, ey, ez});
                m.uvs.insert(m.uvs.end(), {float(double(-i) / n), float(2.0 * b / n)});
            }
        }
    }
    const std::uint32_t row = 2 * (n + 1);
    for (int j = 0; j < n / 2; ++j)
        for (int k = 0; k + 2 < int(row); ++k) {
            const std::uint32_t base = j * row + k;
            if (k % 2 == 0)
                m.indices.insert(m.indices.end(), {base, base + 1, base + 2});
            else
                m.indices.insert(m.indices.end(), {base + 1, base, base + 2});
        }
    return m;
}

Mesh solidSphereMesh(double radius, int slices, int stacks)
{
    Mesh m;
    for (int s = 0; s <= stacks; ++s) {
        const double phi = PI * s / stacks;
        for (int i = 0; i <= slices; ++i) {
            const double lam = 2 * PI * i / slices;
            const double x = std::sin(phi) * std::cos(lam), y = std::sin(phi) * std::sin(lam), z = std::cos(phi);
            vertex(m, radius * x, radius * y, radius * z, x, y, z);
        }
    }
    for (int s = 0; s < stacks; ++s)
        for (int i = 0; i < slices; ++i) {
            const std::uint32_t a = s * (slices + 1) + i, b = a + slices + 1;
            quad(m, a, b, b + 1, a + 1);
        }
    return m;
}

Mesh solidCubeMesh(double size)
{
    Mesh m;
    const double h = size / 2;
    const int faces[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (const auto& f : faces) {
        // Two axes u, v with u x v = n.
        double n[3] = {double(f[0]), double(f[1]), double(f[2])};
        double u[3] = {n[1] != 0 ? 0.0 : -n[2] - 0.0, 0, 0};
        if (n[0] != 0) {
            u[0] = 0;
            u[1] = 1;
            u[2] = 0;
        } else if (n[1] != 0) {
            u[0] = 0;
            u[1] = 0;
            u[2] = 1;
        } else {
            u[0] = 1;
            u[1] = 0;
            u[2] = 0;
        }
        double v[3] = {n[1] * u[2] - n[2] * u[1], n[2] * u[0] - n[0] * u[2], n[0] * u[1] - n[1] * u[0]};
        const std::uint32_t base = m.positions.size() / 3;
        const int corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
        for (const auto& c : corners)
            vertex(m, h * (n[0] + c[0] * u[0] + c[1] * v[0]), h * (n[1] + c[0] * u[1] + c[1] * v[1]),
                   h * (n[2] + c[0] * u[2] + c[1] * v[2]), n[0], n[1], n[2]);
        quad(m, base, base + 1, base + 2, base + 3);
    }
    return m;
}

Mesh cylinderMesh(double base, double top, double height, int slices, int stacks)
{
    Mesh m;
    const double slope = (base - top) / height;
    for (int s = 0; s <= stacks; ++s) {
        const double z = height * s / stacks, r = base + (top - base) * s / stacks;
        for (int i = 0; i <= slices; ++i) {
            const double a = 2 * PI * i / slices;
            const double l = std::sqrt(1 + slope * slope);
            vertex(m, r * std::sin(a), r * std::cos(a), z, std::sin(a) / l, std::cos(a) / l, slope / l);
        }
    }
    for (int s = 0; s < stacks; ++s)
        for (int i = 0; i < slices; ++i) {
            const std::uint32_t a = s * (slices + 1) + i, b = a + slices + 1;
            quad(m, a, a + 1, b + 1, b);
        }
    return m;
}

Mesh diskMesh(double inner, double outer, int slices, int loops)
{
    Mesh m;
    for (int l = 0; l <= loops; ++l) {
        const double r = inner + (outer - inner) * l / loops;
        for (int i = 0; i <= slices; ++i) {
            const double a = 2 * PI * i / slices;
            vertex(m, r * std::sin(a), r * std::cos(a), 0, 0, 0, 1);
        }
    }
    for (int l = 0; l < loops; ++l)
        for (int i = 0; i < slices; ++i) {
            const std::uint32_t a = l * (slices + 1) + i, b = a + slices + 1;
            quad(m, a, b, b + 1, a + 1);
        }
    return m;
}

void sphereLastTexCoord(int n, float uv[2])
{
    uv[0] = -1.0f;
    uv[1] = float(2.0 * (n / 2 - 1) / n);
}

Mesh orbitMesh(double radius, double gapAt, double gapHalfWidth)
{
    Mesh m;
    m.primitive = MESH_LINE_STRIP;
    const double span = 2 * PI - 2.0 * gapHalfWidth;
    for (int i = 0; i <= 256; ++i) {
        const double a = gapAt + gapHalfWidth + span * i / 256;
        m.positions.insert(m.positions.end(), {float(radius * std::cos(a)), float(radius * std::sin(a)), 0.0f});
    }
    return m;
}

Mesh orbitLineMesh(double distance, double bodyRadius, double gapAt)
{
    const double r = std::fabs(distance);
    return orbitMesh(r, gapAt, std::asin(bodyRadius * 1.3 / r));
}

Mesh skyCubeMesh(float s)
{
    static const float corners[6][4][3] = {
        {{-1, -1, 1}, {-1, -1, -1}, {-1, 1, -1}, {-1, 1, 1}}, {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}},
        {{-1, 1, -1}, {1, 1, -1}, {1, 1, 1}, {-1, 1, 1}},     {{-1, -1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, -1, -1}},
        {{1, -1, 1}, {1, 1, 1}, {1, 1, -1}, {1, -1, -1}},     {{-1, -1, 1}, {-1, 1, 1}, {1, 1, 1}, {1, -1, 1}},
    };
    static const float texCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    Mesh m;
    for (const auto& face : corners) {
        const std::uint32_t base = m.positions.size() / 3;
        for (int v = 0; v < 4; ++v) {
            m.positions.insert(m.positions.end(), {face[v][0] * s, face[v][1] * s, face[v][2] * s});
            m.uvs.insert(m.uvs.end(), {texCoords[v][0], texCoords[v][1]});
        }
        quad(m, base, base + 1, base + 2, base + 3);
    }
    return m;
}

Mesh closeUpAxisMesh()
{
    Mesh m;
    m.primitive = MESH_LINES;
    m.positions = {0, -55, 0, 0, 55, 0};
    return m;
}
