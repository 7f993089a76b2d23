// The exact OpenGL call stream of the sphere, the render state and the
// frames, recorded from real Mesa with apitrace and read back with
// "apitrace dump".
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "tests/render/sphere_cases.h"
#include "tests/support/apitrace.h"
#include "tests/support/files.h"

namespace {

namespace fs = std::filesystem;

using Call = GlCall;

// Runs the driver under apitrace and returns the calls between the
// glPassThrough markers, keyed by marker value.
std::map<int, std::vector<Call>> traceDriver(const char* what)
{
    const TempDir dir;
    const fs::path trace = dir.path / (std::string(what) + ".trace");
    std::map<int, std::vector<Call>> segments;
    if (!recordTrace(trace, {GL_TRACE_DRIVER, what}, dir.path / "log")) {
        ADD_FAILURE() << "tracing failed: " << readFile(dir.path / "log");
        return segments;
    }
    const std::vector<std::string> lines = dumpTrace(trace);
    EXPECT_FALSE(lines.empty());
    int marker = -1000;
    for (const std::string& line : lines) {
        Call call = parseCall(line);
        if (call.name == "glPassThrough") {
            marker = static_cast<int>(std::lround(call.num(0)));
            segments[marker];
            continue;
        }
        if (marker != -1000)
            segments[marker].push_back(std::move(call));
    }
    return segments;
}

// What apitrace prints for a float: seven significant digits.
double asDumped(float v)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.7g", static_cast<double>(v));
    return std::strtod(buf, nullptr);
}

// The sphere as the drawing rules lay it down: float angles from the float
// constants, sine and cosine in double on them, products in double rounded
// to float, positions in float, texture coordinates as double quotients
// rounded to float.
struct Vertex {
    float nx, ny, nz, s, t, x, y, z;
};
std::vector<std::vector<Vertex>> referenceSphere(const SphereCase& c)
{
    const float twoPi = 6.2831855f, halfPi = 1.5707964f;
    const int n = std::abs(c.n);
    const float r = std::fabs(c.radius);
    std::vector<std::vector<Vertex>> strips;
    auto vertex = [&](float lat, float lon, float s, float t) {
        const float ex = static_cast<float>(std::cos(double(lat)) * std::cos(double(lon)));
        const float ey = static_cast<float>(std::sin(double(lat)));
        const float ez = static_cast<float>(std::cos(double(lat)) * std::sin(double(lon)));
        return Vertex{ex, ey, ez, s, t, c.cx + r * ex, c.cy + r * ey, c.cz + r * ez};
    };
    for (int j = 0; j < n / 2; ++j) {
        const float lat1 = float(j) * twoPi / float(n) - halfPi;
        const float lat2 = float(j + 1) * twoPi / float(n) - halfPi;
        std::vector<Vertex> strip;
        for (int i = 0; i <= n; ++i) {
            const float lon = float(i) * twoPi / float(n);
            const float s = static_cast<float>(double(-i) / n);
            strip.push_back(vertex(lat2, lon, s, static_cast<float>(2.0 * (j + 1) / n)));
            strip.push_back(vertex(lat1, lon, s, static_cast<float>(2.0 * j / n)));
        }
        strips.push_back(strip);
    }
    return strips;
}

// The recorded stream cut into strips of vertices; fails on any call that
// is not part of a strip.
std::vector<std::vector<Vertex>> recordedStrips(const std::vector<Call>& calls)
{
    std::vector<std::vector<Vertex>> strips;
    Vertex v{};
    for (const Call& call : calls) {
        if (call.name == "glBegin") {
            EXPECT_EQ(call.args.at(0), "GL_TRIANGLE_STRIP");
            strips.emplace_back();
        } else if (call.name == "glNormal3f") {
            v.nx = float(call.num(0)), v.ny = float(call.num(1)), v.nz = float(call.num(2));
        } else if (call.name == "glTexCoord2f") {
            v.s = float(call.num(0)), v.t = float(call.num(1));
        } else if (call.name == "glVertex3f") {
            v.x = float(call.num(0)), v.y = float(call.num(1)), v.z = float(call.num(2));
            strips.back().push_back(v);
        } else if (call.name != "glEnd") {
            ADD_FAILURE() << "unexpected call " << call.text();
        }
    }
    return strips;
}

class SphereTrace : public ::testing::Test {
protected:
    static void SetUpTestSuite() { segments = traceDriver("sphere"); }
    static std::map<int, std::vector<Call>> segments;
    const std::vector<Call>& calls(int k) { return segments[k]; }
};
std::map<int, std::vector<Call>> SphereTrace::segments;

TEST_F(SphereTrace, StripsFollowTheDrawingRulesToTheLastDigit)
{
    for (int k : {0, 1, 2, 3}) {
        SCOPED_TRACE("case " + std::to_string(k));
        const auto want = referenceSphere(sphereCases[k]);
        const auto got = recordedStrips(calls(k));
        // Each vertex comes as normal, texture coordinate, position.
        std::size_t perVertex = 0;
        for (const Call& call : calls(k))
            perVertex += call.name == "glNormal3f";
        ASSERT_EQ(got.size(), want.size());
        for (std::size_t j = 0; j < want.size(); ++j) {
            ASSERT_EQ(got[j].size(), want[j].size()) << "strip " << j;
            for (std::size_t v = 0; v < want[j].size(); ++v) {
                const Vertex& a = got[j][v];
                const Vertex& b = want[j][v];
                const float ga[] = {a.nx, a.ny, a.nz, a.s, a.t, a.x, a.y, a.z};
                const float wb[] = {b.nx, b.ny, b.nz, b.s, b.t, b.x, b.y, b.z};
                for (int f = 0; f < 8; ++f)
                    ASSERT_EQ(ga[f], float(asDumped(wb[f]))) << "strip " << j << " vertex " << v << " field " << f;
            }
        }
        EXPECT_EQ(perVertex, want.size() * want.front().size());
    }
}

TEST_F(SphereTrace, BandsRunBottomToTopWithTheSeamClosed)
{
    // n = 4: two strips of ten vertices meeting at the equator.
    const auto octa = recordedStrips(calls(0));
    ASSERT_EQ(octa.size(), 2u);
    for (const auto& strip : octa)
        EXPECT_EQ(strip.size(), 10u);
    EXPECT_NEAR(octa[0][1].y, -1.0f, 1e-6);  // lower row of the first band: south pole
    EXPECT_NEAR(octa[0][0].y, 0.0f, 1e-6);   // its upper row: the equator
    EXPECT_NEAR(octa[1][0].y, 1.0f, 1e-6);   // the last band reaches the north pole

    for (int k : {0, 2, 3}) {
        const auto strips = recordedStrips(calls(k));
        const int n = sphereCases[k].n;
        for (const auto& strip : strips) {
            // Upper vertex first, then lower, then the next column's upper.
            EXPECT_GT(strip[0].t, strip[1].t);
            EXPECT_EQ(strip[2].t, strip[0].t);
            EXPECT_EQ(strip[0].s, 0.0f);
            EXPECT_FALSE(std::signbit(strip[0].s));
            EXPECT_EQ(strip[2].s, float(asDumped(float(-1.0 / n))));
            // The seam: the last column repeats the first with s = -1.
            const Vertex& first = strip[0];
            const Vertex& last = strip[2 * n];
            EXPECT_EQ(last.s, -1.0f);
            EXPECT_NEAR(last.x, first.x, 1e-5);
            EXPECT_NEAR(last.y, first.y, 1e-5);
            EXPECT_NEAR(last.z, first.z, 1e-5);
            // Longitude pi/2 (column n/4, upper vertex 2 * n/4) points along +z.
            if (n % 4 == 0) {
                EXPECT_NEAR(strip[n / 2].x, sphereCases[k].cx, 1e-5);
                EXPECT_GT(strip[n / 2].z, sphereCases[k].cz - 1e-5);
            }
        }
        // Bands climb: each strip's lower row is the previous one's upper.
        for (std::size_t j = 1; j < strips.size(); ++j)
            EXPECT_EQ(strips[j][1].t, strips[j - 1][0].t);
    }

    // An odd count leaves the top open: n = 5 stops at 54 degrees north.
    const auto open = recordedStrips(calls(1));
    ASSERT_EQ(open.size(), 2u);
    EXPECT_FLOAT_EQ(open.back()[0].t, 0.8f);
    EXPECT_NEAR(open.back()[0].y, std::sin(54.0 * M_PI / 180.0), 1e-6);
}

TEST_F(SphereTrace, DegenerateSpheresAreOnePointAndNegativeArgumentsAreAbsolute)
{
    for (int k : {4, 5, 9}) {
        const auto& got = calls(k);
        ASSERT_EQ(got.size(), 3u) << "case " << k;
        EXPECT_EQ(got[0].text(), "glBegin(GL_POINTS)");
        EXPECT_EQ(got[1].name, "glVertex3f");
        EXPECT_EQ(got[1].num(0), sphereCases[k].cx);
        EXPECT_EQ(got[1].num(1), sphereCases[k].cy);
        EXPECT_EQ(got[1].num(2), sphereCases[k].cz);
        EXPECT_EQ(got[2].text(), "glEnd()");
    }
    for (auto [negative, positive] : {std::pair{6, 3}, {7, 2}, {8, 0}}) {
        const auto& a = calls(negative);
        const auto& b = calls(positive);
        ASSERT_EQ(a.size(), b.size()) << "case " << negative;
        for (std::size_t i = 0; i < a.size(); ++i)
            ASSERT_EQ(a[i].text(), b[i].text()) << "case " << negative;
    }
}

TEST(RenderStateTrace, StateCallsComeInTheirOrderAroundTheTextureSteps)
{
    auto segments = traceDriver("init");
    const std::vector<Call>& calls = segments[0];
    std::size_t start = 0;
    while (start < calls.size() && calls[start].name != "glClearColor")
        ++start;
    ASSERT_LT(start, calls.size());
    const char* const expected[] = {
        "glClearColor(0, 0, 0, 0)",
        "glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE)",
        "glEnable(GL_NORMALIZE)",
        "glShadeModel(GL_SMOOTH)",
        "glClearDepth(1)",
        "glEnable(GL_DEPTH_TEST)",
        "glEnable(GL_COLOR_MATERIAL)",
        "glDepthFunc(GL_LEQUAL)",
        "glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST)",
        "glEnable(GL_LIGHTING)",
        "glEnable(GL_LIGHT0)",
        "glEnable(GL_LIGHT1)",
    };
    const std::size_t count = std::size(expected);
    ASSERT_LE(start + count, calls.size());
    for (std::size_t i = 0; i < count; ++i)
        EXPECT_EQ(calls[start + i].text(), expected[i]);
    // Texture loading comes before the state calls, the display lists after
    // the lights, and texturing is switched on last.
    for (std::size_t i = start; i < calls.size(); ++i) {
        EXPECT_NE(calls[i].name, "glGenTextures") << "at " << i;
        EXPECT_NE(calls[i].name, "glBindTexture") << "at " << i;
    }
    for (std::size_t i = 0; i < start + count; ++i)
        EXPECT_NE(calls[i].name, "glNewList") << "at " << i;
    EXPECT_EQ(calls.back().text(), "glEnable(GL_TEXTURE_2D)");
}

// A frame's calls reduced to its structure: matrix, texture and colour calls
// as they are; each run of sphere strips, quadric strips or GLUT solids as
// one line; the sky cube's and the axis's vertices one by one.
std::vector<std::string> frameOutline(const std::vector<Call>& calls)
{
    static const char* const kept[] = {"glPolygonMode", "glEnable",    "glDisable",     "glLoadIdentity", "glClear",
                                       "glPushMatrix",  "glPopMatrix", "glRotatef",     "glTranslatef",   "glScalef",
                                       "glBindTexture", "glColor3f",   "glMultMatrixf", "glTranslated",   "glFlush"};
    std::vector<std::string> out;
    std::string run;  // the kind of the current run of shape calls
    int count = 0;
    bool listVertices = false;
    auto endRun = [&] {
        if (!run.empty())
            out.push_back(run + " x" + std::to_string(count));
        run.clear();
        count = 0;
    };
    auto shape = [&](const std::string& kind) {
        if (run != kind)
            endRun();
        run = kind;
        ++count;
    };
    for (const Call& call : calls) {
        const std::string first = call.args.empty() ? "" : call.args[0];
        if (call.name == "glBegin" && (first == "GL_QUADS" || first == "GL_LINES")) {
            endRun();
            out.push_back(call.text());
            listVertices = true;
        } else if (call.name == "glBegin") {
            shape(first == "GL_TRIANGLE_STRIP" ? "drawSphere strips" : "quadric strips");
        } else if (call.name == "glDrawElements") {
            shape(first == "GL_TRIANGLES" ? "glutSolidCube" : "glutSolidSphere strips");
        } else if (call.name == "glEnd") {
            if (listVertices)
                out.push_back(call.text());
            listVertices = false;
        } else if (listVertices) {
            out.push_back(call.text());
        } else if (call.name.rfind("glXSwapBuffers", 0) == 0) {
            endRun();
            out.push_back("glXSwapBuffers");
        } else if (std::find(std::begin(kept), std::end(kept), call.name) != std::end(kept)) {
            endRun();
            out.push_back(call.text());
        }
    }
    endRun();
    return out;
}

// The outline of each frame against the one kept beside this test, written
// out from the drawing rules and checked by hand: every transform, texture
// and colour of the overview and of three close-ups, in order.  The outline
// recorded is written to FRAME_OUTLINE_RECORDED in the same layout: after a
// change to the drawing, review it and copy it over the kept one.
TEST(FrameTrace, FramesFollowTheirOutlineCallForCall)
{
    auto segments = traceDriver("frames");
    {
        std::ofstream recorded(FRAME_OUTLINE_RECORDED);
        for (int mode : {10, 0, 3, 6}) {
            recorded << "=== " << mode << '\n';
            for (const std::string& line : frameOutline(segments[mode]))
                recorded << line << '\n';
        }
    }
    SCOPED_TRACE("recorded outline: " FRAME_OUTLINE_RECORDED);
    std::ifstream in(FRAME_OUTLINE_FILE);
    ASSERT_TRUE(in) << FRAME_OUTLINE_FILE;
    std::map<int, std::vector<std::string>> expected;
    int mode = -1;
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("=== ", 0) == 0)
            mode = std::stoi(line.substr(4));
        else if (!line.empty())
            expected[mode].push_back(line);
    }
    ASSERT_EQ(expected.size(), 4u);
    for (const auto& [m, want] : expected) {
        const std::vector<std::string> got = frameOutline(segments[m]);
        const std::size_t common = std::min(got.size(), want.size());
        for (std::size_t i = 0; i < common; ++i)
            ASSERT_EQ(got[i], want[i]) << "view mode " << m << ", line " << i;
        EXPECT_EQ(got.size(), want.size()) << "view mode " << m;
    }
}

// Saturn's ring: the disk quadric faces +z and generates no texture
// coordinates, so the ring takes the one Saturn's sphere left current.
TEST(FrameTrace, RingIsDrawnWithOutwardNormalsAndNoTextureCoordinates)
{
    auto segments = traceDriver("frames");
    for (int mode : {10, 6}) {
        const std::vector<Call>& calls = segments[mode];
        auto tilt = std::find_if(calls.begin(), calls.end(),
                                 [](const Call& c) { return c.text() == "glRotatef(45, 1, 0, 0)"; });
        ASSERT_NE(tilt, calls.end()) << "view mode " << mode;
        int normals = 0, vertices = 0;
        for (auto it = tilt + 1; it != calls.end() && it->name != "glPopMatrix"; ++it) {
            EXPECT_NE(it->name.rfind("glTexCoord", 0), 0u) << it->text();
            if (it->name == "glNormal3f") {
                EXPECT_EQ(it->text(), "glNormal3f(0, 0, 1)");
                ++normals;
            }
            vertices += it->name == "glVertex2f" || it->name == "glVertex3f";
        }
        EXPECT_GT(normals, 0) << "view mode " << mode;
        EXPECT_GT(vertices, 40 * 40) << "view mode " << mode;
    }
}

}  // namespace
