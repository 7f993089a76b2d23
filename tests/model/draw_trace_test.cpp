// The exact OpenGL call stream of glmDraw and glmCompileList, recorded from
// a real Mesa context by apitrace while the trace program draws a small
// model in every mode.
//
// The model (see draw_trace_program.cpp): vertices 1..4 at (1,2,3),
// (4,5,6), (7,8,9), (10,11,12); normal i = (i, 0.5, -i); texture
// coordinate i = (i/4, 1 - i/4); facet normals 1..3 = z, y, x axes.
//   face 0: vertices 1 2 3, normals 1 2 3, uvs 1 2 3, facet 3 — group g1
//   face 1: vertices 2 4 3, normals 4 1 2, uvs 3 2 1, facet 1 — group g2
//   face 2: vertices 1 3 4, normals 3 4 1, uvs 2 2 2, facet 2 — "default"
// Groups from the head: empty (material 2), g2 and g1 (material 1),
// default (material 0).

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/apitrace.h"
#include "tests/support/files.h"

namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

std::map<int, Lines> calls;  // case number -> GL calls, numbers stripped
std::string programOutput;

class DrawTrace : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        const TempDir dir;
        const fs::path trace = dir.path / "draw.trace";
        ASSERT_TRUE(recordTrace(trace, {MODEL_DRAW_TRACE_PROGRAM}, dir.path / "out.txt", dir.path / "err.txt"))
            << readFile(dir.path / "err.txt");
        programOutput = readFile(dir.path / "out.txt");

        int current = 0;
        for (const std::string& call : glCallsOnly(dumpTrace(trace, true))) {
            if (call.rfind("glPushName(name = ", 0) == 0) {
                current = std::stoi(call.substr(18));
                continue;
            }
            if (current != 0)
                calls[current].push_back(call);
        }
    }
};

std::string vec3(float x, float y, float z)
{
    std::ostringstream s;
    s << "{" << x << ", " << y << ", " << z << "}";
    return s.str();
}

const std::string B = "glBegin(mode = GL_TRIANGLES)";
const std::string LOOP = "glBegin(mode = GL_LINE_LOOP)";
const std::string E = "glEnd()";
std::string V(int i) { return "glVertex3fv(v = " + vec3(3 * i - 2, 3 * i - 1, 3 * i) + ")"; }
std::string N(int i) { return "glNormal3fv(v = " + vec3(i, 0.5f, -i) + ")"; }
std::string F(int i) { return "glNormal3fv(v = " + vec3(i == 3, i == 2, i == 1) + ")"; }
std::string T(int i)
{
    std::ostringstream s;
    s << "glTexCoord2fv(v = {" << 0.25f * i << ", " << 1 - 0.25f * i << "})";
    return s.str();
}
std::string C(int m) { return "glColor3fv(v = " + vec3(0.25f * (m + 1), 0.5f, 0.125f * (m + 1)) + ")"; }
Lines material(int m)
{
    float t = m + 1;
    std::ostringstream shininess;
    shininess << "glMaterialf(face = GL_FRONT_AND_BACK, pname = GL_SHININESS, param = " << 8 * t << ")";
    std::ostringstream a, d, s;
    a << "glMaterialfv(face = GL_FRONT_AND_BACK, pname = GL_AMBIENT, params = {0.125, " << 0.0625f * t << ", 0.25, 1})";
    d << "glMaterialfv(face = GL_FRONT_AND_BACK, pname = GL_DIFFUSE, params = {" << 0.25f * t << ", 0.5, " << 0.125f * t
      << ", 1})";
    s << "glMaterialfv(face = GL_FRONT_AND_BACK, pname = GL_SPECULAR, params = {0.5, 0.5, " << 0.125f * t << ", 0.75})";
    return {a.str(), d.str(), s.str(), shininess.str()};
}

Lines join(std::initializer_list<Lines> parts)
{
    Lines all;
    for (const Lines& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

}  // namespace

TEST_F(DrawTrace, WarningsInOrder)
{
    EXPECT_EQ(programOutput,
              "case 1 plain\ncase 2 flat\ncase 3 smooth\ncase 4 flat+smooth\n"
              "glmDraw() warning: flat render mode requested and smooth render mode requested (using smooth).\n"
              "case 5 texture\ncase 6 color\ncase 7 material\ncase 8 color+material\n"
              "glmDraw() warning: color and material render mode requested using only material mode.\n"
              "case 9 outline\ncase 10 outline+smooth+texture\ncase 11 everything\n"
              "glmDraw() warning: flat render mode requested and smooth render mode requested (using smooth).\n"
              "case 12 missing\n"
              "glmDraw() warning: flat render mode requested with no facet normals defined.\n"
              "glmDraw() warning: smooth render mode requested with no normals defined.\n"
              "glmDraw() warning: texture render mode requested with no texture coordinates defined.\n"
              "glmDraw() warning: color render mode requested with no materials defined.\n"
              "glmDraw() warning: material render mode requested with no materials defined.\n"
              "case 13 compile\n");
}

TEST_F(DrawTrace, PlainFlatAndSmooth)
{
    // One batch per group, the empty group's batch empty, "default" last.
    EXPECT_EQ(calls[1], (Lines{B, E, B, V(2), V(4), V(3), E, B, V(1), V(2), V(3), E, B, V(1), V(3), V(4), E}));
    // One facet normal per face through facetnormRef, before its corners.
    EXPECT_EQ(calls[2],
              (Lines{B, E, B, F(1), V(2), V(4), V(3), E, B, F(3), V(1), V(2), V(3), E, B, F(2), V(1), V(3), V(4), E}));
    const Lines smooth{B,    E,    B,    N(4), V(2), N(1), V(4), N(2), V(3), E,    B,    N(1), V(1),
                       N(2), V(2), N(3), V(3), E,    B,    N(3), V(1), N(4), V(3), N(1), V(4), E};
    EXPECT_EQ(calls[3], smooth);
    EXPECT_EQ(calls[4], smooth);  // flat dropped in favour of smooth
}

TEST_F(DrawTrace, TextureColourAndMaterial)
{
    EXPECT_EQ(calls[5], (Lines{B,    E,    B,    T(3), V(2), T(2), V(4), T(1), V(3), E,    B,    T(1), V(1),
                               T(2), V(2), T(3), V(3), E,    B,    T(2), V(1), T(2), V(3), T(2), V(4), E}));
    // Colour tracking switched on once; each group's diffuse colour before
    // its batch, the same for groups sharing a material.
    EXPECT_EQ(calls[6], (Lines{"glEnable(cap = GL_COLOR_MATERIAL)",
                               C(2),
                               B,
                               E,
                               C(1),
                               B,
                               V(2),
                               V(4),
                               V(3),
                               E,
                               C(1),
                               B,
                               V(1),
                               V(2),
                               V(3),
                               E,
                               C(0),
                               B,
                               V(1),
                               V(3),
                               V(4),
                               E}));
    const Lines materials = join({{"glDisable(cap = GL_COLOR_MATERIAL)"},
                                  material(2),
                                  {B, E},
                                  material(1),
                                  {B, V(2), V(4), V(3), E},
                                  material(1),
                                  {B, V(1), V(2), V(3), E},
                                  material(0),
                                  {B, V(1), V(3), V(4), E}});
    EXPECT_EQ(calls[7], materials);
    EXPECT_EQ(calls[8], materials);  // colour dropped in favour of material
}

TEST_F(DrawTrace, OutlinesAndCombinations)
{
    // A closed loop per triangle; nothing at all for the empty group.
    EXPECT_EQ(calls[9], (Lines{LOOP, V(2), V(4), V(3), E, LOOP, V(1), V(2), V(3), E, LOOP, V(1), V(3), V(4), E}));
    EXPECT_EQ(calls[10], (Lines{LOOP, N(4), T(3), V(2), N(1), T(2), V(4), N(2), T(1), V(3), E,
                                LOOP, N(1), T(1), V(1), N(2), T(2), V(2), N(3), T(3), V(3), E,
                                LOOP, N(3), T(2), V(1), N(4), T(2), V(3), N(1), T(2), V(4), E}));
    EXPECT_EQ(calls[11], join({{"glDisable(cap = GL_COLOR_MATERIAL)"},
                               material(2),
                               {B, E},
                               material(1),
                               {B, N(4), T(3), V(2), N(1), T(2), V(4), N(2), T(1), V(3), E},
                               material(1),
                               {B, N(1), T(1), V(1), N(2), T(2), V(2), N(3), T(3), V(3), E},
                               material(0),
                               {B, N(3), T(2), V(1), N(4), T(2), V(3), N(1), T(2), V(4), E}}));
    // Every request the bare model cannot meet dropped: positions only.
    EXPECT_EQ(calls[12], (Lines{B, V(1), V(2), V(3), E}));
}

TEST_F(DrawTrace, CompiledListHoldsTheSameCalls)
{
    const Lines& c = calls[13];
    ASSERT_GE(c.size(), 2u);
    const std::string prefix = "glGenLists(range = 1) = ";
    ASSERT_EQ(c[0].rfind(prefix, 0), 0u) << c[0];
    const std::string name = c[0].substr(prefix.size());
    EXPECT_NE(name, "0");
    EXPECT_EQ(c, join({{c[0],
                        "glNewList(list = " + name + ", mode = GL_COMPILE)",
                        "glEnable(cap = GL_COLOR_MATERIAL)",
                        C(2),
                        B,
                        E,
                        C(1),
                        B,
                        N(4),
                        V(2),
                        N(1),
                        V(4),
                        N(2),
                        V(3),
                        E,
                        C(1),
                        B,
                        N(1),
                        V(1),
                        N(2),
                        V(2),
                        N(3),
                        V(3),
                        E,
                        C(0),
                        B,
                        N(3),
                        V(1),
                        N(4),
                        V(3),
                        N(1),
                        V(4),
                        E,
                        "glEndList()",
                        "glCallList(list = " + name + ")",
                        "glDeleteLists(list = " + name + ", range = 1)"}}));
}
