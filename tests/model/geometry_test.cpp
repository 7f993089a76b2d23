// Size, placement, winding, normals, texture coordinates and welding.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

#include "model/glm.h"
#include "tests/support/mesh_builder.h"
#include "tests/support/geometry_oracles.h"

namespace {

struct MeshDeleter {
    void operator()(GlmMesh* m) const { glmDestroy(m); }
};
using Mesh = std::unique_ptr<GlmMesh, MeshDeleter>;

std::vector<float> vertexList(const GlmMesh* m)
{
    return std::vector<float>(m->vertices + 3, m->vertices + 3 * (m->vertexCount + 1));
}

std::vector<unsigned> vertexRefs(const GlmMesh* m)
{
    std::vector<unsigned> r;
    for (unsigned i = 0; i < m->faceCount; ++i)
        r.insert(r.end(), m->faces[i].vertexRefs, m->faces[i].vertexRefs + 3);
    return r;
}

std::vector<unsigned> normalRefs(const GlmMesh* m)
{
    std::vector<unsigned> r;
    for (unsigned i = 0; i < m->faceCount; ++i)
        r.insert(r.end(), m->faces[i].normalRefs, m->faces[i].normalRefs + 3);
    return r;
}

// Hand-made facet normals, one per face, so that dot products are exact.
void setFacetNormals(GlmMesh* m, const std::vector<float>& normals)
{
    std::free(m->facetnorms);
    m->facetnormCount = m->faceCount;
    m->facetnorms = static_cast<float*>(std::calloc(3 * (m->faceCount + 1), sizeof(float)));
    std::memcpy(m->facetnorms + 3, normals.data(), normals.size() * sizeof(float));
    for (unsigned i = 0; i < m->faceCount; ++i)
        m->faces[i].facetnormRef = i + 1;
}

// Two triangles that share vertices 1 and 3.
Mesh twoFaces(const std::vector<float>& facetNormals)
{
    Mesh m(makeMesh({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}, {1, 2, 3, 1, 3, 4}));
    setFacetNormals(m.get(), facetNormals);
    return m;
}

}  // namespace

// ---- Extents, centring and scaling ----

TEST(Extents, MeasureFromTheOriginAndCentreThenScale)
{
    Mesh m(makeMesh({2, -1, 0, 4, 1, 0, 3, 0, 0}, {1, 2, 3}));
    float d[3];
    glmExtents(m.get(), d);
    EXPECT_EQ(d[0], 6.0f);  // |4| + |2|, not 4 - 2
    EXPECT_EQ(d[1], 2.0f);
    EXPECT_EQ(d[2], 0.0f);
    EXPECT_EQ(glmCenterAndScale(m.get()), 2.0f / 6.0f);
    const float s = 2.0f / 6.0f;
    EXPECT_EQ(vertexList(m.get()), (std::vector<float>{-1 * s, -1 * s, 0, 1 * s, 1 * s, 0, 0, 0, 0}));

    Mesh wide(makeMesh({-1, 0.5f, 0, 3, -0.5f, 0.25f}, {}));
    EXPECT_EQ(glmCenterAndScale(wide.get()), 0.5f);
    EXPECT_EQ(vertexList(wide.get()), (std::vector<float>{-1, 0.25f, -0.0625f, 1, -0.25f, 0.0625f}));
}

TEST(Extents, ModelsWithoutSizeStayFinite)
{
    // No vertices: nothing past the spare entry 0 may be read (ASan checks).
    Mesh empty(makeMesh({}, {}));
    float d[3] = {9, 9, 9};
    glmExtents(empty.get(), d);
    EXPECT_EQ(d[0], 0.0f);
    EXPECT_EQ(d[1], 0.0f);
    EXPECT_EQ(d[2], 0.0f);
    EXPECT_EQ(glmCenterAndScale(empty.get()), 1.0f);
    glmPlanarUVs(empty.get());
    EXPECT_EQ(empty->uvCount, 0u);

    // Every vertex at the origin: moved, not scaled, and the planar mapping
    // puts each in the middle of the picture.
    Mesh point(makeMesh({0, 0, 0, 0, -0.0f, 0, 0, 0, 0}, {1, 2, 3}));
    EXPECT_EQ(glmCenterAndScale(point.get()), 1.0f);
    for (float c : vertexList(point.get()))
        EXPECT_EQ(c, 0.0f);
    glmPlanarUVs(point.get());
    ASSERT_EQ(point->uvCount, 3u);
    for (unsigned i = 1; i <= 3; ++i) {
        EXPECT_EQ(point->uvs[2 * i], 0.5f);
        EXPECT_EQ(point->uvs[2 * i + 1], 0.5f);
    }

    // So small that 2 / extent overflows: treated the same way.
    Mesh tiny(makeMesh({1e-45f, 0, 0, -1e-45f, 1e-45f, 0}, {}));
    glmPlanarUVs(tiny.get());
    EXPECT_EQ(tiny->uvs[2], 0.5f);
    EXPECT_EQ(glmCenterAndScale(tiny.get()), 1.0f);
    for (float c : vertexList(tiny.get()))
        EXPECT_TRUE(std::isfinite(c));
}

// ---- Winding and facet normals ----

TEST(Winding, FlipReversesAndTwiceRestores)
{
    Mesh m(makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}, {1, 2, 3, 1, 3, 4}));
    glmFaceNormals(m.get());
    glmVertexNormals(m.get(), 30);
    glmPlanarUVs(m.get());
    Mesh before(makeMesh(vertexList(m.get()), vertexRefs(m.get())));
    std::vector<GlmFace> faces(m->faces, m->faces + m->faceCount);
    std::vector<float> normals(m->normals, m->normals + 3 * (m->normalCount + 1));
    std::vector<float> facets(m->facetnorms, m->facetnorms + 3 * (m->facetnormCount + 1));

    glmFlipWinding(m.get());
    EXPECT_EQ(vertexRefs(m.get()), (std::vector<unsigned>{3, 2, 1, 4, 3, 1}));
    EXPECT_EQ(m->faces[0].normalRefs[0], faces[0].normalRefs[2]);
    EXPECT_EQ(m->faces[1].uvRefs[2], faces[1].uvRefs[0]);
    EXPECT_EQ(m->facetnorms[5], -facets[5]);
    EXPECT_EQ(m->normals[3], -normals[3]);

    glmFlipWinding(m.get());
    EXPECT_EQ(std::memcmp(m->faces, faces.data(), faces.size() * sizeof(GlmFace)), 0);
    EXPECT_EQ(std::vector<float>(m->normals, m->normals + normals.size()), normals);
    EXPECT_EQ(std::vector<float>(m->facetnorms, m->facetnorms + facets.size()), facets);
}

TEST(FaceNormals, UnitCrossProductAndZeroForCollinearCorners)
{
    Mesh m(makeMesh({0, 0, 0, 2, 0, 0, 0, 3, 0, 4, 0, 0}, {1, 2, 3, 1, 3, 2, 1, 2, 4}));
    glmFaceNormals(m.get());
    ASSERT_EQ(m->facetnormCount, 3u);
    for (unsigned i = 0; i < 3; ++i)
        EXPECT_EQ(m->faces[i].facetnormRef, i + 1);
    EXPECT_EQ(std::vector<float>(m->facetnorms + 3, m->facetnorms + 12),
              (std::vector<float>{0, 0, 1, 0, 0, -1, 0, 0, 0}));
    // Recomputing replaces the array (the old one is freed: LSan checks).
    glmFaceNormals(m.get());
    EXPECT_EQ(m->facetnorms[5], 1.0f);
}

// ---- Vertex normals ----

TEST(VertexNormals, NumbersVertexByVertexAverageFirst)
{
    // Faces at a right angle, angle 45: apart everywhere they meet.
    Mesh m = twoFaces({0, 0, 1, 1, 0, 0});
    glmVertexNormals(m.get(), 45);
    ASSERT_EQ(m->normalCount, 6u);
    // Vertex 1: average of face 1 (#1), copy of face 0 (#2); vertex 2: #3;
    // vertex 3: average of face 1 (#4), copy of face 0 (#5); vertex 4: #6.
    EXPECT_EQ(normalRefs(m.get()), (std::vector<unsigned>{2, 3, 5, 1, 4, 6}));
    EXPECT_EQ(std::vector<float>(m->normals + 3, m->normals + 21),
              (std::vector<float>{1, 0, 0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0}));
}

TEST(VertexNormals, AngleThresholdsZeroNinetyAndOneEighty)
{
    // Angle 0: threshold 1.0, which no dot product exceeds: copies only.
    Mesh zero = twoFaces({0, 0, 1, 0, 0, 1});
    glmVertexNormals(zero.get(), 0);
    EXPECT_EQ(zero->normalCount, 6u);

    // Angle 90: threshold -4.371139e-08, from the single-precision pi.
    // A right angle (dot 0) and a dot of -4.35e-08 join the average;
    // -4.40e-08 stays apart.
    for (float x : {0.0f, -4.35e-8f}) {
        Mesh m = twoFaces({1, 0, 0, x, 1, 0});
        glmVertexNormals(m.get(), 90);
        EXPECT_EQ(m->normalCount, 4u) << x;
    }
    Mesh apart = twoFaces({1, 0, 0, -4.40e-8f, 1, 0});
    glmVertexNormals(apart.get(), 90);
    EXPECT_EQ(apart->normalCount, 6u);

    // Angle 180: threshold -1; only an exactly opposite face stays apart.
    Mesh opposite = twoFaces({0, 0, 1, 0, 0, -1});
    glmVertexNormals(opposite.get(), 180);
    EXPECT_EQ(opposite->normalCount, 6u);
    Mesh almost = twoFaces({0, 0, 1, 0, 0.6f, -0.8f});
    glmVertexNormals(almost.get(), 180);
    EXPECT_EQ(almost->normalCount, 4u);
}

TEST(VertexNormals, LonelyVertexReportedOnceAndGetsNoNormal)
{
    Mesh m(makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0, 5, 5, 5}, {1, 2, 3}));
    glmFaceNormals(m.get());
    testing::internal::CaptureStderr();
    glmVertexNormals(m.get(), 90);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "glmVertexNormals(): vertex w/o a triangle\n");
    EXPECT_EQ(m->normalCount, 3u);
}

TEST(VertexNormals, FlatGridSharesOneNormalPerVertex)
{
    Mesh m(makeFlatGrid(7, 5));
    glmFaceNormals(m.get());
    glmVertexNormals(m.get(), 45);
    ASSERT_EQ(m->normalCount, m->vertexCount);
    for (unsigned i = 1; i <= m->normalCount; ++i) {
        EXPECT_EQ(m->normals[3 * i + 0], 0.0f);
        EXPECT_EQ(std::fabs(m->normals[3 * i + 1]), 1.0f);
        EXPECT_EQ(m->normals[3 * i + 2], 0.0f);
    }
    for (unsigned i = 0; i < m->faceCount; ++i) {
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(m->faces[i].normalRefs[k], m->faces[i].vertexRefs[k]);
    }
}

TEST(VertexNormals, DegenerateFacesGiveEveryCornerAValidFiniteNormal)
{
    // Face 0 names vertex 1 twice (collinear corners: zero facet normal).
    Mesh m(makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0}, {1, 2, 1, 1, 2, 3}));
    for (unsigned i = 0; i < m->faceCount; ++i)
        std::fill_n(m->faces[i].normalRefs, 3, 999u);
    glmFaceNormals(m.get());
    for (float angle : {0.0f, 90.0f, 180.0f}) {
        glmVertexNormals(m.get(), angle);
        for (unsigned ref : normalRefs(m.get())) {
            ASSERT_GE(ref, 1u);
            ASSERT_LE(ref, m->normalCount);
        }
        for (unsigned i = 3; i < 3 * (m->normalCount + 1); ++i)
            EXPECT_TRUE(std::isfinite(m->normals[i]));
    }
    // Besides the second corner of vertex 1, numbering as the plain lists.
    Mesh plain(makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0}, {1, 2, 1, 1, 2, 3}));
    glmFaceNormals(plain.get());
    vertexNormalsOracle(plain.get(), 180);
    EXPECT_EQ(plain->normalCount, m->normalCount);
    std::vector<unsigned> expected = normalRefs(plain.get());
    expected[2] = m->faces[0].normalRefs[2];
    EXPECT_EQ(normalRefs(m.get()), expected);
}

TEST(VertexNormals, MatchesTheListFormOnRandomTerrain)
{
    // A height field with few distinct heights: many coplanar neighbours,
    // creases and exact ties, in random face order.
    std::mt19937 rng(7);
    for (int round = 0; round < 6; ++round) {
        const unsigned w = 12, h = 9;
        std::vector<float> xyz;
        for (unsigned z = 0; z <= h; ++z) {
            for (unsigned x = 0; x <= w; ++x)
                xyz.insert(xyz.end(), {float(x), float(rng() % 3) * 0.5f, float(z)});
        }
        xyz.insert(xyz.end(), {50, 50, 50});  // no face uses it
        std::vector<unsigned> tris;
        auto at = [&](unsigned x, unsigned z) { return z * (w + 1) + x + 1; };
        for (unsigned z = 0; z < h; ++z) {
            for (unsigned x = 0; x < w; ++x) {
                tris.insert(tris.end(), {at(x, z), at(x, z + 1), at(x + 1, z + 1)});
                tris.insert(tris.end(), {at(x + 1, z + 1), at(x + 1, z), at(x, z)});
            }
        }
        for (size_t i = tris.size() / 3; i > 1; --i) {
            size_t j = rng() % i;
            for (int k = 0; k < 3; ++k)
                std::swap(tris[3 * (i - 1) + k], tris[3 * j + k]);
        }
        for (float angle : {0.0f, 30.0f, 45.0f, 90.0f, 135.0f, 180.0f}) {
            Mesh fast(makeMesh(xyz, tris));
            Mesh plain(makeMesh(xyz, tris));
            glmFaceNormals(fast.get());
            glmFaceNormals(plain.get());
            testing::internal::CaptureStderr();
            glmVertexNormals(fast.get(), angle);
            vertexNormalsOracle(plain.get(), angle);
            std::string messages = testing::internal::GetCapturedStderr();
            EXPECT_EQ(messages, "glmVertexNormals(): vertex w/o a triangle\n"
                                "glmVertexNormals(): vertex w/o a triangle\n");
            ASSERT_EQ(fast->normalCount, plain->normalCount) << angle;
            EXPECT_EQ(std::memcmp(fast->normals + 3, plain->normals + 3, 3 * fast->normalCount * sizeof(float)), 0);
            EXPECT_EQ(normalRefs(fast.get()), normalRefs(plain.get())) << angle;
        }
    }
}

// ---- Texture coordinates ----

TEST(TextureCoordinates, PlanarUsesXAndZ)
{
    Mesh m(makeMesh({-1, 0.25f, 0, 1, 0.25f, 0.5f, 0, 0.25f, -1}, {1, 2, 3}));
    glmPlanarUVs(m.get());
    ASSERT_EQ(m->uvCount, 3u);
    EXPECT_EQ(std::vector<float>(m->uvs + 2, m->uvs + 8), (std::vector<float>{0, 0.5f, 1, 0.75f, 0.5f, 0}));
    for (int k = 0; k < 3; ++k)
        EXPECT_EQ(m->faces[0].uvRefs[k], m->faces[0].vertexRefs[k]);
}

TEST(TextureCoordinates, SphereSwapsXAndZ)
{
    Mesh m(makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0}, {1, 2, 3, 3, 2, 1}));
    const std::vector<float> normals = {0, 0, 1, 1, 0, 0, 0, 1, 0, 0.6f, 0, 0.8f, 0, 0, 0};
    m->normalCount = 5;
    m->normals = static_cast<float*>(std::calloc(18, sizeof(float)));
    std::memcpy(m->normals + 3, normals.data(), normals.size() * sizeof(float));
    for (int k = 0; k < 3; ++k) {
        m->faces[0].normalRefs[k] = k + 1;
        m->faces[1].normalRefs[k] = 5 - k;
    }
    glmSphereUVs(m.get());
    ASSERT_EQ(m->uvCount, 5u);
    const float* uv = m->uvs;
    EXPECT_EQ(uv[2], 0.5f);  // (0, 0, 1)
    EXPECT_EQ(uv[3], 0.5f);
    EXPECT_EQ(uv[4], 0.0f);  // (1, 0, 0): r = 0
    EXPECT_EQ(uv[5], 0.0f);
    EXPECT_FLOAT_EQ(uv[6], 1.0f);  // (0, 1, 0): asin(1) + pi/2
    EXPECT_EQ(uv[7], 0.5f);
    EXPECT_EQ(uv[8], 0.5f);  // y = 0
    EXPECT_FLOAT_EQ(uv[9], static_cast<float>(std::acos(0.6) / M_PI));
    EXPECT_EQ(uv[10], 0.0f);  // zero normal: r = 0
    EXPECT_EQ(uv[11], 0.0f);
    EXPECT_EQ(m->faces[1].uvRefs[0], 5u);
    EXPECT_EQ(m->faces[1].uvRefs[2], 3u);
}

// ---- Welding ----

namespace {

// Runs the grid and the plain rule on the same points and compares.
void expectSameWelding(const std::vector<float>& xyz, float epsilon)
{
    std::vector<unsigned> tris;
    for (unsigned i = 1; i + 2 <= xyz.size() / 3; i += 3)
        tris.insert(tris.end(), {i, i + 1, i + 2});
    Mesh fast(makeMesh(xyz, tris));
    Mesh plain(makeMesh(xyz, tris));
    glmMergeVertices(fast.get(), epsilon);
    mergeVerticesOracle(plain.get(), epsilon);
    ASSERT_EQ(fast->vertexCount, plain->vertexCount) << "epsilon " << epsilon;
    EXPECT_EQ(std::memcmp(fast->vertices + 3, plain->vertices + 3, 3 * fast->vertexCount * sizeof(float)), 0);
    EXPECT_EQ(vertexRefs(fast.get()), vertexRefs(plain.get())) << "epsilon " << epsilon;
}

}  // namespace

TEST(Merge, ChainsDoNotPropagate)
{
    const float e = 0.1f;
    Mesh m(makeMesh({0, 0, 0, 0.6f * e, 0, 0, 1.2f * e, 0, 0}, {1, 2, 3}));
    glmMergeVertices(m.get(), e);
    ASSERT_EQ(m->vertexCount, 2u);
    EXPECT_EQ(vertexRefs(m.get()), (std::vector<unsigned>{1, 1, 2}));
    EXPECT_EQ(vertexList(m.get()), (std::vector<float>{0, 0, 0, 1.2f * e, 0, 0}));

    // Exactly epsilon apart is not near; all distinct keeps order.
    Mesh distinct(makeMesh({0, 0, 0, 0.25f, 0, 0, 0.25f, 0.25f, 0, 0, 0.25f, 0.25f}, {4, 3, 2, 1, 2, 3}));
    glmMergeVertices(distinct.get(), 0.25f);
    EXPECT_EQ(distinct->vertexCount, 4u);
    EXPECT_EQ(vertexRefs(distinct.get()), (std::vector<unsigned>{4, 3, 2, 1, 2, 3}));
}

TEST(Merge, MatchesThePlainRuleOnRandomClouds)
{
    std::mt19937 rng(11);
    const float inf = std::numeric_limits<float>::infinity();
    for (int round = 0; round < 20; ++round) {
        // Points on a lattice of eighths (exact epsilon-apart pairs for
        // epsilon 0.25 and 0.5), some jittered by an ulp, some repeated.
        std::vector<float> xyz;
        const unsigned n = 300 + rng() % 300;
        for (unsigned i = 0; i < n; ++i) {
            for (int k = 0; k < 3; ++k) {
                float c = static_cast<int>(rng() % 17 - 8) * 0.125f;
                if (rng() % 4 == 0)
                    c = std::nextafter(c, rng() % 2 ? inf : -inf);
                if (rng() % 8 == 0)
                    c *= 0.1f;
                xyz.push_back(c);
            }
        }
        for (float e : {0.25f, 0.5f, 0.1f, 0.125f, 0.3f, 1.0f, 3.0f})
            expectSameWelding(xyz, e);
    }
}

TEST(Merge, EpsilonsAndCoordinatesAtTheLimits)
{
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float big = std::numeric_limits<float>::max();
    std::mt19937 rng(5);
    std::vector<float> xyz;
    for (int i = 0; i < 200; ++i) {
        float scale = std::ldexp(1.0f, static_cast<int>(rng() % 250) - 125);
        for (int k = 0; k < 3; ++k)
            xyz.push_back(static_cast<int>(rng() % 5 - 2) * scale);
    }
    // Non-finite coordinates never compare near, not even to themselves.
    xyz.insert(xyz.end(), {nan, 0, 0, nan, 0, 0, inf, 1, 1, inf, 1, 1, -inf, 0, 0, 0, 0, 0});
    xyz.insert(xyz.end(), {big, big, big, -big, -big, -big, big, big, big, 1e-45f, 0, 0, 0, 0, 1e-45f});
    for (float e : {0.0f, -1.0f, nan, 1e-45f, 1e-38f, 1e-20f, 1e-3f, 1.0f, 1e20f, 1e38f, big, inf}) {
        expectSameWelding(xyz, e);
    }

    // Tiny epsilon against huge coordinates (cell numbers beyond any
    // integer): only exact copies merge.
    std::vector<float> far;
    for (int i = 0; i < 300; ++i) {
        far.insert(far.end(), {1e30f + static_cast<float>(rng() % 4) * 1e23f, -1e30f, static_cast<float>(rng() % 3)});
    }
    far.insert(far.end(), {1e-30f, 0, 0, 2e-30f, 0, 0, 0, 0, 0});
    for (float e : {1e-30f, 1.5e-30f, 1e-7f, 1.0f, 2e23f})
        expectSameWelding(far, e);

    // Infinite epsilon welds all finite points whose differences stay finite.
    Mesh all(makeMesh({3e38f, 0, 0, 1, 2, 3, -1e30f, 5, 5, -3e38f, 0, 0}, {1, 2, 3, 2, 3, 4}));
    glmMergeVertices(all.get(), inf);
    EXPECT_EQ(all->vertexCount, 2u);
    EXPECT_EQ(vertexRefs(all.get()), (std::vector<unsigned>{1, 1, 1, 1, 1, 2}));
    EXPECT_EQ(all->vertices[6], -3e38f);
}

// ---- A model read from a file ----

TEST(FromFile, WeldSmoothAndMapACubeExportedFacePerFace)
{
    // Six quads, each with its own four copies of the corners, as exporters
    // write hard-edged cubes.  Corner c is at (±1, ±1, ±1) from bits x=1,
    // y=2, z=4; the quads wind outwards.
    const int quads[6][4] = {{0, 4, 6, 2}, {1, 3, 7, 5}, {0, 1, 5, 4}, {2, 6, 7, 3}, {0, 2, 3, 1}, {4, 5, 7, 6}};
    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("glm-geometry-" + std::to_string(getpid()));
    fs::create_directories(dir);
    fs::path path = dir / "cube.obj";
    {
        std::ofstream obj(path);
        for (const auto& q : quads) {
            for (int c : q)
                obj << "v " << (c & 1 ? 1 : -1) << ' ' << (c & 2 ? 1 : -1) << ' ' << (c & 4 ? 1 : -1) << '\n';
        }
        for (int f = 0; f < 6; ++f)
            obj << "f " << 4 * f + 1 << ' ' << 4 * f + 2 << ' ' << 4 * f + 3 << ' ' << 4 * f + 4 << '\n';
    }
    Mesh m(glmReadOBJ(path.string().c_str()));
    fs::remove_all(dir);
    ASSERT_EQ(m->vertexCount, 24u);
    ASSERT_EQ(m->faceCount, 12u);

    glmMergeVertices(m.get(), 1e-4f);
    ASSERT_EQ(m->vertexCount, 8u);
    glmFaceNormals(m.get());

    // At 90 degrees the triangles of the three faces at a corner (right
    // angles) average: one unit normal per corner, pointing outwards into
    // the corner's octant.
    glmVertexNormals(m.get(), 90);
    EXPECT_EQ(m->normalCount, 8u);
    for (unsigned i = 0; i < m->faceCount; ++i) {
        for (int k = 0; k < 3; ++k) {
            const float* n = &m->normals[3 * m->faces[i].normalRefs[k]];
            const float* v = &m->vertices[3 * m->faces[i].vertexRefs[k]];
            EXPECT_NEAR(glmDotProduct(n, n), 1.0f, 1e-6f);
            for (int a = 0; a < 3; ++a)
                EXPECT_GT(n[a] * v[a], 0.2f);
        }
    }

    // At 45 degrees every corner keeps its own face's direction.
    glmVertexNormals(m.get(), 45);
    for (unsigned i = 0; i < m->faceCount; ++i) {
        const float* facet = &m->facetnorms[3 * m->faces[i].facetnormRef];
        for (int k = 0; k < 3; ++k) {
            const float* n = &m->normals[3 * m->faces[i].normalRefs[k]];
            EXPECT_EQ(std::vector<float>(n, n + 3), std::vector<float>(facet, facet + 3));
        }
    }

    glmSphereUVs(m.get());
    EXPECT_EQ(m->uvCount, m->normalCount);
    for (unsigned i = 0; i < m->faceCount; ++i) {
        for (int k = 0; k < 3; ++k)
            EXPECT_EQ(m->faces[i].uvRefs[k], m->faces[i].normalRefs[k]);
    }
}

// ---- Preconditions ----

TEST(PreconditionsDeathTest, NameTheMissingArrayAndTheLibrary)
{
    testing::FLAGS_gtest_death_test_style = "threadsafe";
    Mesh m(makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0}, {1, 2, 3}));
    EXPECT_DEATH(glmVertexNormals(m.get(), 90), "glm:[0-9]+: .*model->facetnorms");
    EXPECT_DEATH(glmSphereUVs(m.get()), "glm:[0-9]+: .*model->normals");
    EXPECT_DEATH(glmExtents(m.get(), nullptr), "dimensions");
    EXPECT_DEATH(glmFlipWinding(nullptr), "glm:[0-9]+: .*model");
}
