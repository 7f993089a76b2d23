// The core's meshes against what the desktop really hands OpenGL: each
// shape is drawn in the viewer's window (drawSphere, freeglut's solids and
// GLU's quadrics with the renderer's own quadric objects, whole frames of
// the overview and every close-up) while gl_recorder notes every vertex,
// normal and texture coordinate, and the triangles, lines and points they
// form must equal the mesh's, float for float and in the same order.  GL's
// own count of the primitives it drew shows the recording missed nothing.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "core/bodies.h"
#include "core/meshes.h"
#include "core/viewer_state.h"
#include "render/render.h"
#include "tests/render/gl_recorder.h"
#include "tests/render/sphere_cases.h"
#include "tests/support/render_fixture.h"

namespace {

// A mesh's point, line or triangle as the comparison sees it (`kind`
// corners); a mesh without normals or texture coordinates leaves the
// current ones unchecked.
struct Expected {
    int kind;
    float position[3][3];
    const float* normal[3];
    const float* uv[3];
};

// The elements (triangles, lines, points) of a mesh in its drawing order.
std::vector<Expected> elementsOf(const Mesh& mesh)
{
    const std::size_t count = mesh.indices.empty() ? mesh.vertexCount() : mesh.indices.size();
    const auto index = [&](std::size_t k) -> std::size_t { return mesh.indices.empty() ? k : mesh.indices[k]; };
    const bool normals = !mesh.normals.empty();
    const bool uvs = !mesh.uvs.empty();
    std::vector<Expected> out;
    const auto add = [&](int kind, std::initializer_list<std::size_t> ks) {
        Expected e{kind, {}, {}, {}};
        int c = 0;
        for (std::size_t k : ks) {
            const std::size_t v = index(k);
            std::memcpy(e.position[c], &mesh.positions[3 * v], 3 * sizeof(float));
            e.normal[c] = normals ? &mesh.normals[3 * v] : nullptr;
            e.uv[c] = uvs ? &mesh.uvs[2 * v] : nullptr;
            ++c;
        }
        out.push_back(e);
    };
    switch (mesh.primitive) {
    case MESH_POINTS:
        for (std::size_t k = 0; k < count; ++k)
            add(1, {k});
        break;
    case MESH_LINES:
        for (std::size_t k = 0; k + 1 < count; k += 2)
            add(2, {k, k + 1});
        break;
    case MESH_LINE_STRIP:
    case MESH_LINE_LOOP:
        for (std::size_t k = 0; k + 1 < count; ++k)
            add(2, {k, k + 1});
        if (mesh.primitive == MESH_LINE_LOOP && count > 1)
            add(2, {count - 1, 0});
        break;
    case MESH_TRIANGLES:
        for (std::size_t k = 0; k + 2 < count; k += 3)
            add(3, {k, k + 1, k + 2});
        break;
    case MESH_TRIANGLE_STRIP:
        for (std::size_t k = 0; k + 2 < count; ++k)
            add(3, k % 2 ? std::initializer_list<std::size_t>{k + 1, k, k + 2}
                         : std::initializer_list<std::size_t>{k, k + 1, k + 2});
        break;
    default:
        ADD_FAILURE() << "unknown primitive " << mesh.primitive;
    }
    return out;
}

bool same(const float* a, const float* b, int n)
{
    for (int i = 0; i < n; ++i)
        if (!(a[i] == b[i]))
            return false;
    return true;
}

// A triangle with two equal corners covers nothing; GL draws such a strip
// triangle as nothing, and the meshes leave them out.
bool degenerate(const Element& e)
{
    if (e.kind != 3)
        return false;
    const auto eq = [](const RecordedVertex& a, const RecordedVertex& b) {
        return same(a.position, b.position, 3) && same(a.normal, b.normal, 3) && same(a.uv, b.uv, 2);
    };
    return eq(e.v[0], e.v[1]) || eq(e.v[1], e.v[2]) || eq(e.v[0], e.v[2]);
}

bool degenerate(const Expected& e)
{
    if (e.kind != 3)
        return false;
    const auto eq = [&](int a, int b) {
        return same(e.position[a], e.position[b], 3) && (!e.normal[a] || same(e.normal[a], e.normal[b], 3)) &&
               (!e.uv[a] || same(e.uv[a], e.uv[b], 2));
    };
    return eq(0, 1) || eq(1, 2) || eq(0, 2);
}

std::string describe(const float* v, int n)
{
    std::ostringstream s;
    s.precision(9);
    s << '(';
    for (int i = 0; i < n; ++i)
        s << (i ? ", " : "") << v[i];
    return s.str() + ')';
}

std::vector<Element> drawn(const Recording& recording)
{
    std::vector<Element> out;
    for (const Element& e : elementsOf(recording))
        if (!degenerate(e))
            out.push_back(e);
    return out;
}

std::vector<Expected> meshElements(const Mesh& mesh)
{
    std::vector<Expected> out;
    for (const Expected& e : elementsOf(mesh))
        if (!degenerate(e))
            out.push_back(e);
    return out;
}

// Compares got[from ..) with the mesh's elements; returns how many it took.
std::size_t expectSame(const std::vector<Element>& got, std::size_t from, const Mesh& mesh, const std::string& what)
{
    const std::vector<Expected> want = meshElements(mesh);
    if (from + want.size() > got.size()) {
        ADD_FAILURE() << what << ": the mesh has " << want.size() << " elements, the trace "
                      << got.size() - std::min(from, got.size()) << " left";
        return want.size();
    }
    int reported = 0;
    for (std::size_t k = 0; k < want.size() && reported < 3; ++k) {
        const Element& g = got[from + k];
        const Expected& w = want[k];
        if (g.kind != w.kind) {
            ADD_FAILURE() << what << ": element " << k << " is of kind " << g.kind << " in the trace, " << w.kind
                          << " in the mesh";
            ++reported;
            continue;
        }
        for (int c = 0; c < w.kind; ++c) {
            std::string problem;
            if (!same(g.v[c].position, w.position[c], 3))
                problem = "position " + describe(g.v[c].position, 3) + " drawn, " + describe(w.position[c], 3) +
                          " in the mesh";
            else if (w.normal[c] && !same(g.v[c].normal, w.normal[c], 3))
                problem =
                    "normal " + describe(g.v[c].normal, 3) + " drawn, " + describe(w.normal[c], 3) + " in the mesh";
            else if (w.uv[c] && !same(g.v[c].uv, w.uv[c], 2))
                problem =
                    "texture coordinate " + describe(g.v[c].uv, 2) + " drawn, " + describe(w.uv[c], 2) + " in the mesh";
            if (!problem.empty()) {
                ADD_FAILURE() << what << ": element " << k << " corner " << c << ": " << problem;
                ++reported;
                break;
            }
        }
    }
    return want.size();
}

// What GL counts as drawn for a recording, to be equal to its own count.
long primitivesRecorded(const Recording& recording)
{
    long n = 0;
    for (const RecordedPrimitive& p : recording.primitives)
        n += primitivesOf(p.mode, p.vertices.size());
    return n;
}

// Records one shape alone and compares it with its mesh, including whether
// the shape hands GL normals and texture coordinates at all.
template <typename Draw>
void expectShape(Draw draw, const Mesh& mesh, const std::string& what)
{
    startRecording();
    draw();
    const Recording recording = stopRecording();
    EXPECT_EQ(recording.unreadDraws, 0) << what;
    EXPECT_EQ(recording.generated, primitivesRecorded(recording)) << what << ": GL drew what was not recorded";
    const std::vector<Element> got = drawn(recording);
    // A shape that draws nothing may still hand over normals.
    if (!got.empty()) {
        EXPECT_EQ(recording.normalSources > 0, !mesh.normals.empty()) << what << ": normals";
        EXPECT_EQ(recording.texCoordSources > 0, !mesh.uvs.empty()) << what << ": texture coordinates";
    }
    const std::size_t taken = expectSame(got, 0, mesh, what);
    EXPECT_EQ(taken, got.size()) << what << ": the trace has elements past the mesh's";
}

std::string name(const char* shape, std::initializer_list<double> args)
{
    std::ostringstream s;
    s << shape << '(';
    const char* comma = "";
    for (double a : args)
        s << comma << a, comma = ", ";
    return s.str() + ')';
}

TEST(Meshes, TheSphereIsDrawSpheresBandsForEveryCase)
{
    for (const SphereCase& c : sphereCases)
        expectShape([&] { drawSphere(c.cx, c.cy, c.cz, c.radius, c.n); }, sphereMesh(c.cx, c.cy, c.cz, c.radius, c.n),
                    name("drawSphere", {c.cx, c.cy, c.cz, c.radius, static_cast<double>(c.n)}));
    // Every slice count the viewer uses, and an odd and a large one.
    for (int n : {6, 7, 10, 16, 20, 24, 30, 31, 64, 101})
        expectShape([&] { drawSphere(0, 0, 0, 0.75f, n); }, sphereMesh(0.75f, n), name("drawSphere", {0.75, 1.0 * n}));
}

TEST(Meshes, TheCentredSphereIsTheSphereAtTheOrigin)
{
    const Mesh a = sphereMesh(2.5f, 20);
    const Mesh b = sphereMesh(0, 0, 0, 2.5f, 20);
    EXPECT_EQ(a.positions, b.positions);
    EXPECT_EQ(a.normals, b.normals);
    EXPECT_EQ(a.uvs, b.uvs);
    EXPECT_EQ(a.indices, b.indices);
    EXPECT_EQ(a.primitive, MESH_TRIANGLES);
    // n / 2 bands of n + 1 vertex pairs, 2 n triangles each.
    EXPECT_EQ(a.vertexCount(), 10u * 21 * 2);
    EXPECT_EQ(a.indices.size(), 10u * 40 * 3);
}

TEST(Meshes, TheLastTextureCoordinateIsTheOneGlHoldsAfterTheSphere)
{
    for (int n : {4, 5, 20, 30, -30}) {
        drawSphere(0, 0, 0, 1, n);
        GLfloat t[4];
        glGetFloatv(GL_CURRENT_TEXTURE_COORDS, t);
        float uv[2] = {7, 7};
        ASSERT_TRUE(sphereLastTexCoord(n, uv)) << n;
        EXPECT_EQ(uv[0], t[0]) << n;
        EXPECT_EQ(uv[1], t[1]) << n;
    }
    float uv[2] = {7, 7};
    EXPECT_FALSE(sphereLastTexCoord(3, uv));
    EXPECT_EQ(uv[0], 7);
}

TEST(Meshes, TheSolidSphereIsFreeglutsForTheFiguresAndOtherCounts)
{
    struct Case {
        double radius;
        int slices, stacks;
    };
    // The figure's head and joints first; then small, odd, flat and turned
    // inside out; no slices and one stack draw nothing.
    const Case cases[] = {{10, 10, 10}, {2, 10, 10}, {1, 4, 3},  {0.5, 33, 17}, {3, 7, 2},
                          {1, 1, 2},    {-2, 3, 2},  {1, 2, 40}, {1, 0, 3},     {1, 3, 1}};
    for (const Case& c : cases)
        expectShape([&] { glutSolidSphere(c.radius, c.slices, c.stacks); },
                    solidSphereMesh(c.radius, c.slices, c.stacks),
                    name("glutSolidSphere", {c.radius, 1.0 * c.slices, 1.0 * c.stacks}));
    // freeglut ends the program on a negative count; the mesh is empty.
    EXPECT_EQ(solidSphereMesh(1, -3, 3).vertexCount(), 0u);
}

TEST(Meshes, TheSolidCubeIsFreeglutsForTheFiguresBodyAndOtherSizes)
{
    for (double size : {12.0, 1.0, 0.3, 7.25, -2.0, 0.0})
        expectShape([&] { glutSolidCube(size); }, solidCubeMesh(size), name("glutSolidCube", {size}));
}

TEST(Meshes, TheCylinderIsGlusWithTheDesktopsQuadric)
{
    ASSERT_NE(cylinderQuadric, nullptr);
    struct Case {
        double base, top, height;
        int slices, stacks;
    };
    // The band's two cones and the limbs first; then cones to a point, a
    // flat ring, and counts and sizes GLU refuses.
    const Case cases[] = {{10, 15, 3, 50, 10}, {15, 10, 3, 50, 10}, {2, 2, 16, 12, 10}, {2, 2, 15, 12, 10},
                          {0, 1, 2, 5, 3},     {1, 0, 2, 5, 3},     {1, 2, 0, 3, 1},    {0.3, 0.7, 1.1, 7, 9},
                          {1, 1, 0, 3, 1},     {1, 1, 2, 1, 1},     {1, 1, 2, 3, 0},    {-1, 1, 2, 3, 1},
                          {1, 1, -2, 3, 1}};
    for (const Case& c : cases)
        expectShape([&] { gluCylinder(cylinderQuadric, c.base, c.top, c.height, c.slices, c.stacks); },
                    cylinderMesh(c.base, c.top, c.height, c.slices, c.stacks),
                    name("gluCylinder", {c.base, c.top, c.height, 1.0 * c.slices, 1.0 * c.stacks}));
}

TEST(Meshes, TheDiskIsGlusWithTheDesktopsQuadric)
{
    ASSERT_NE(diskQuadric, nullptr);
    struct Case {
        double inner, outer;
        int slices, loops;
    };
    // The overview's ring and the close-up's first; then disks without a
    // hole (a fan in the middle), a ring of no width, and refused counts.
    const Case cases[] = {{1.3, 2.0, 40, 40}, {7.3, 9, 40, 40}, {0, 2, 4, 2}, {0, 1, 5, 1}, {0.5, 0.5, 6, 2},
                          {0.25, 3, 9, 4},    {1, 2, 4, 0},     {2, 1, 3, 1}, {1, 2, 2, 1}, {-1, 2, 4, 1}};
    for (const Case& c : cases)
        expectShape([&] { gluDisk(diskQuadric, c.inner, c.outer, c.slices, c.loops); },
                    diskMesh(c.inner, c.outer, c.slices, c.loops),
                    name("gluDisk", {c.inner, c.outer, 1.0 * c.slices, 1.0 * c.loops}));
}

// ---- what a renderer relies on, without GL ----

// +1 when triangle t's counter-clockwise side faces along `reference` (its
// vertex normals, or for the sky the direction from the centre), -1 when
// against it, 0 when it has no area to speak of.
int facing(const Mesh& mesh, std::size_t t, bool byPosition)
{
    const float* p = mesh.positions.data();
    const float* ref = byPosition ? mesh.positions.data() : mesh.normals.data();
    const std::uint32_t* v = &mesh.indices[3 * t];
    double u[3], w[3], r[3];
    for (int i = 0; i < 3; ++i) {
        u[i] = p[3 * v[1] + i] - p[3 * v[0] + i];
        w[i] = p[3 * v[2] + i] - p[3 * v[0] + i];
        r[i] = ref[3 * v[0] + i] + ref[3 * v[1] + i] + ref[3 * v[2] + i];
    }
    const double g[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
    const double area = std::sqrt(g[0] * g[0] + g[1] * g[1] + g[2] * g[2]);
    const double along = (g[0] * r[0] + g[1] * r[1] + g[2] * r[2]) / std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
    if (area < 1e-9)
        return 0;
    return along > 0.5 * area ? 1 : along < -0.5 * area ? -1 : 0;
}

void expectWellFormed(const Mesh& mesh, const std::string& what)
{
    const std::size_t n = mesh.vertexCount();
    EXPECT_EQ(mesh.positions.size(), 3 * n) << what;
    EXPECT_TRUE(mesh.normals.empty() || mesh.normals.size() == 3 * n) << what;
    EXPECT_TRUE(mesh.uvs.empty() || mesh.uvs.size() == 2 * n) << what;
    if (mesh.primitive == MESH_TRIANGLES && !mesh.indices.empty()) {
        ASSERT_EQ(mesh.indices.size() % 3, 0u) << what;
        for (std::size_t k = 0; k < mesh.indices.size(); k += 3) {
            const std::uint32_t a = mesh.indices[k], b = mesh.indices[k + 1], c = mesh.indices[k + 2];
            ASSERT_TRUE(a < n && b < n && c < n) << what << ": triangle " << k / 3;
            ASSERT_TRUE(a != b && b != c && a != c) << what << ": triangle " << k / 3 << " names a vertex twice";
        }
    }
}

TEST(MeshGeometry, EveryMeshHoldsWholeVerticesAndTrianglesOfThem)
{
    expectWellFormed(sphereMesh(1, 4), "sphere of 4");
    expectWellFormed(sphereMesh(1, 5), "sphere of 5");
    expectWellFormed(sphereMesh(0.5f, 2, 3, 6, 31), "sphere of 31");
    expectWellFormed(sphereMesh(1, 3), "point");
    expectWellFormed(solidSphereMesh(10, 10, 10), "solid sphere");
    expectWellFormed(solidSphereMesh(1, 3, 2), "solid sphere of 2 stacks");
    expectWellFormed(solidCubeMesh(12), "cube");
    expectWellFormed(cylinderMesh(10, 15, 3, 50, 10), "cylinder");
    expectWellFormed(diskMesh(1.3, 2, 40, 40), "disk");
    expectWellFormed(diskMesh(0, 2, 40, 3), "disk without a hole");
    expectWellFormed(orbitLineMesh(-19.6, 0.9, 1.25), "orbit");
    expectWellFormed(skyCubeMesh(30), "sky");
    expectWellFormed(closeUpAxisMesh(), "axis");
    EXPECT_EQ(orbitLineMesh(-19.6, 0.9, 1.25).vertexCount(), 257u);
    EXPECT_EQ(sphereMesh(1, 3).primitive, MESH_POINTS);
}

TEST(MeshGeometry, EachShapeShowsTheSideTheDesktopShows)
{
    // drawSphere's bands are clockwise from outside; at the poles the
    // triangles shrink to slivers and are not judged.
    const Mesh sphere = sphereMesh(1, 20);
    int judged = 0, inward = 0;
    for (std::size_t t = 0; t < sphere.indices.size() / 3; ++t) {
        bool atPole = false;
        for (int c = 0; c < 3; ++c)
            atPole = atPole || std::fabs(sphere.positions[3 * sphere.indices[3 * t + c] + 1]) > 0.9999f;
        if (atPole)
            continue;
        ++judged;
        inward += facing(sphere, t, false) == -1;
    }
    // Every triangle of the eight bands between the two polar ones.
    EXPECT_EQ(judged, 8 * 40);
    EXPECT_EQ(inward, judged);
    struct Outward {
        const char* what;
        Mesh mesh;
    };
    const Outward outward[] = {{"solid sphere", solidSphereMesh(2, 10, 10)}, {"cube", solidCubeMesh(12)},
                               {"cone", cylinderMesh(10, 15, 3, 50, 10)},    {"limb", cylinderMesh(2, 2, 16, 12, 10)},
                               {"ring", diskMesh(1.3, 2, 40, 40)},           {"disk", diskMesh(0, 2, 12, 3)}};
    for (const Outward& o : outward)
        for (std::size_t t = 0; t < o.mesh.indices.size() / 3; ++t)
            ASSERT_EQ(facing(o.mesh, t, false), 1) << o.what << " triangle " << t;
    const Mesh sky = skyCubeMesh(30);
    for (std::size_t t = 0; t < sky.indices.size() / 3; ++t)
        EXPECT_EQ(facing(sky, t, true), -1) << "sky triangle " << t;
}

TEST(MeshGeometry, ShapesTooLargeToHoldComeBackEmpty)
{
    EXPECT_EQ(sphereMesh(1, 1 << 20).vertexCount(), 0u);
    EXPECT_EQ(sphereMesh(1, -(1 << 20)).vertexCount(), 0u);
    EXPECT_EQ(solidSphereMesh(1, 1 << 20, 1 << 10).vertexCount(), 0u);
    EXPECT_EQ(cylinderMesh(1, 1, 1, 1 << 20, 1 << 10).vertexCount(), 0u);
    EXPECT_EQ(diskMesh(1, 2, 1 << 20, 1 << 10).vertexCount(), 0u);
    EXPECT_EQ(sphereMesh(1, 512).vertexCount(), 256u * 513 * 2);
}

// ---- whole frames ----

// A shape of a frame, in drawing order.
struct Shape {
    std::string what;
    Mesh mesh;
};

// The ring takes the texture coordinate its planet's sphere left current.
Mesh ringMesh(double inner, double outer, int sphereSlices)
{
    Mesh ring = diskMesh(inner, outer, 40, 40);
    float uv[2];
    if (sphereLastTexCoord(sphereSlices, uv))
        for (std::size_t v = 0; v < ring.vertexCount(); ++v)
            ring.uvs.insert(ring.uvs.end(), {uv[0], uv[1]});
    return ring;
}

// The overview as the desktop draws it: the band, the figure, the ball, the
// sun, each planet with its orbit line, moon or ring, and the sky.
std::vector<Shape> overviewShapes()
{
    std::vector<Shape> shapes = {
        {"band, upper cone", cylinderMesh(10, 15, 3, 50, 10)},
        {"band, lower cone", cylinderMesh(15, 10, 3, 50, 10)},
        {"figure's head", solidSphereMesh(10, 10, 10)},
        {"figure's body", solidCubeMesh(12)},
    };
    for (const char* side : {"right", "left"}) {
        shapes.push_back({std::string(side) + " hip", solidSphereMesh(2, 10, 10)});
        shapes.push_back({std::string(side) + " leg", cylinderMesh(2, 2, 16, 12, 10)});
    }
    for (const char* side : {"right", "left"}) {
        shapes.push_back({std::string(side) + " shoulder", solidSphereMesh(2, 10, 10)});
        shapes.push_back({std::string(side) + " arm", cylinderMesh(2, 2, 15, 12, 10)});
    }
    shapes.push_back({"ball", sphereMesh(-25, -24, 0, 3, 20)});
    for (const BodyRow& body : bodyTable)
        if (body.isBody && body.centre == NO_BODY)
            shapes.push_back({body.name, sphereMesh(static_cast<float>(body.radius), body.slices)});
    for (const BodyRow& planet : bodyTable) {
        if (!planet.isBody || planet.centre != BODY_SUN)
            continue;
        const BodyRow* moon = companionOf(bodyIndex(planet));
        if (showOrbits && planet.orbitLine)
            shapes.push_back(
                {std::string(planet.name) + "'s orbit",
                 orbitLineMesh(planet.distance, planet.radius, planet.distance < 0 ? std::numbers::pi : 0)});
        if (moon && showOrbits && moon->orbitLine)
            shapes.push_back({std::string(moon->name) + "'s orbit",
                              orbitLineMesh(moon->distance, moon->radius, *moon->orbit * std::numbers::pi / 180.0)});
        shapes.push_back({planet.name, sphereMesh(static_cast<float>(planet.radius), planet.slices)});
        if (moon)
            shapes.push_back({moon->name, sphereMesh(static_cast<float>(moon->radius), moon->slices)});
        else if (planet.ring)
            shapes.push_back({std::string(planet.name) + "'s ring", ringMesh(1.3, 2.0, planet.slices)});
    }
    shapes.push_back({"sky", skyCubeMesh(skyHalfSize)});
    return shapes;
}

// A close-up: the large body, its moon or ring, the spin axis.
std::vector<Shape> closeUpShapes(const BodyRow& body)
{
    std::vector<Shape> shapes = {{body.name, sphereMesh(6, 30)}};
    if (body.closeUp == CLOSE_UP_WITH_MOON)
        shapes.push_back({"moon", sphereMesh(1, 30)});
    if (body.closeUp == CLOSE_UP_WITH_RING)
        shapes.push_back({"ring", ringMesh(7.3, 9, 30)});
    shapes.push_back({"axis", closeUpAxisMesh()});
    return shapes;
}

void expectFrame(const std::vector<Shape>& shapes, const std::string& what)
{
    startRecording();
    display();
    const Recording recording = stopRecording();
    EXPECT_EQ(recording.unreadDraws, 0) << what;
    EXPECT_EQ(recording.generated, primitivesRecorded(recording)) << what << ": GL drew what was not recorded";
    const std::vector<Element> got = drawn(recording);
    std::size_t at = 0;
    for (const Shape& shape : shapes)
        at += expectSame(got, at, shape.mesh, what + ", " + shape.what);
    EXPECT_EQ(at, got.size()) << what << ": the frame draws more than its shapes";
}

class MeshFrames : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetViewer();
        // Every angle a different value, so that a moon's orbit gap and the
        // spins are not all zero.
        float value = 11;
        for (const BodyRow& body : bodyTable) {
            if (body.orbit)
                *body.orbit = value += 7.5f;
            if (body.spin)
                *body.spin = value += 3.25f;
        }
    }
    void TearDown() override { resetViewer(); }
};

TEST_F(MeshFrames, TheOverviewIsTheCoresShapes)
{
    viewMode = OVERVIEW_VIEW_MODE;
    expectFrame(overviewShapes(), "overview");
}

TEST_F(MeshFrames, TheOverviewWithOrbitsIsTheCoresShapes)
{
    viewMode = OVERVIEW_VIEW_MODE;
    showOrbits = true;
    expectFrame(overviewShapes(), "overview with orbits");
}

TEST_F(MeshFrames, EveryCloseUpIsTheCoresShapes)
{
    int closeUps = 0;
    for (int mode = 0; mode < OVERVIEW_VIEW_MODE; ++mode) {
        const BodyRow* body = bodyForViewMode(mode);
        if (!body || body->closeUp == NO_CLOSE_UP)
            continue;
        viewMode = mode;
        expectFrame(closeUpShapes(*body), std::string("close-up of ") + body->name);
        ++closeUps;
    }
    EXPECT_EQ(closeUps, 10);
}

}  // namespace

int main(int argc, char** argv) { return runTestsInViewerWindow(argc, argv); }
