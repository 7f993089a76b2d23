// Real frames from the viewer's window under Xvfb, read back with
// glReadPixels: every body is told apart by the flat colour of its slot.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <numbers>

#include "app/viewer.h"
#include "render/render.h"
#include "core/viewer_state.h"
#include "tests/support/render_fixture.h"

namespace {

bool near(Rgb a, Rgb b, int tolerance = 3)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance && std::abs(a.b - b.b) <= tolerance;
}

long countColour(const Frame& frame, Rgb colour)
{
    long n = 0;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x)
            n += near(frame.at(x, y), colour);
    return n;
}

struct Pixel {
    int x, y;
};

// A world point of the overview on the nearest pixel.
Pixel project(double x, double y, double z)
{
    double wx, wy;
    projectOverviewPoint(x, y, z, &wx, &wy);
    return {static_cast<int>(std::lround(wx)), static_cast<int>(std::lround(wy))};
}

struct Body {
    const char* name;
    int slot;
    const float* orbit;
    double distance;
};

const Body planets[] = {
    {"Mercury", SLOT_MERCURY, &mercuryOrbit, 4.5},  {"Venus", SLOT_VENUS, &venusOrbit, -6.4},
    {"Earth", SLOT_EARTH, &earthOrbit, 9.6},        {"Mars", SLOT_MARS, &marsOrbit, -12.3},
    {"Jupiter", SLOT_JUPITER, &jupiterOrbit, 15.2}, {"Saturn", SLOT_SATURN, &saturnOrbit, -19.6},
    {"Uranus", SLOT_URANUS, &uranusOrbit, 22.2},    {"Neptune", SLOT_NEPTUNE, &neptuneOrbit, -25.4},
    {"Pluto", SLOT_PLUTO, &plutoOrbit, 28.6},
};

Pixel planetPixel(const Body& body, float orbit)
{
    const double a = orbit * std::numbers::pi / 180.0;
    return project(body.distance * std::cos(a), body.distance * std::sin(a), 0);
}

Pixel moonPixel()
{
    const double e = earthOrbit * std::numbers::pi / 180.0;
    const double m = moonOrbit * std::numbers::pi / 180.0;
    const double lx = 9.6 + 1.5 * std::cos(m), ly = 1.5 * std::sin(m);
    return project(lx * std::cos(e) - ly * std::sin(e), lx * std::sin(e) + ly * std::cos(e), 0);
}

void expectBodyAt(const Frame& frame, Pixel p, int slot, const char* what)
{
    ASSERT_TRUE(p.x >= 0 && p.x < frame.width && p.y >= 0 && p.y < frame.height) << what;
    const Rgb got = frame.at(p.x, p.y);
    EXPECT_TRUE(near(got, slotColours[slot]))
        << what << " at (" << p.x << ", " << p.y << ") shows " << int(got.r) << "," << int(got.g) << "," << int(got.b);
}

class RenderFrames : public ::testing::Test {
protected:
    void SetUp() override
    {
        installTestTextures();
        resetViewer();
    }
    void TearDown() override
    {
        glutIdleFunc(nullptr);
        if (!lightingOn)
            keyboard('l', 0, 0);
        resetViewer();
    }
};

TEST_F(RenderFrames, EveryViewModeLeavesTheMatrixStacksAsItFoundThem)
{
    viewRotX = 15;
    viewRotY = -40;
    for (int mode = 0; mode <= 10; ++mode) {
        viewMode = mode;
        GLint modelBefore = 0, projBefore = 0, modelAfter = 0, projAfter = 0;
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelBefore);
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projBefore);
        display();
        glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelAfter);
        glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projAfter);
        EXPECT_EQ(modelAfter, modelBefore) << "view mode " << mode;
        EXPECT_EQ(projAfter, projBefore) << "view mode " << mode;
        GLint matrixMode = 0;
        glGetIntegerv(GL_MATRIX_MODE, &matrixMode);
        EXPECT_EQ(matrixMode, GL_MODELVIEW) << "view mode " << mode;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR)) << "view mode " << mode;
    }
}

TEST_F(RenderFrames, AtStartEveryBodyIsWhereTheCameraSeesIt)
{
    const Frame frame = drawFrame();
    saveShot(frame, "overview-start");
    expectBodyAt(frame, {WINDOW_WIDTH / 2, WINDOW_HEIGHT / 2}, SLOT_SUN, "Sun at the centre");
    expectBodyAt(frame, project(0, 0, 0), SLOT_SUN, "Sun");
    for (const Body& body : planets)
        expectBodyAt(frame, planetPixel(body, 0), body.slot, body.name);
    expectBodyAt(frame, moonPixel(), SLOT_MOON, "Moon beside Earth");
    expectBodyAt(frame, project(-25, -24, 0), SLOT_BBB, "ball");
    // The figure stands on the sun, just above its top.
    expectBodyAt(frame, project(0, 3.93, 0), SLOT_PERSONBODY, "figure's torso");
    // Everything else in view is the inside of the sky cube.
    for (Pixel corner : {Pixel{2, 2}, Pixel{897, 2}, Pixel{2, 797}, Pixel{897, 797}})
        EXPECT_TRUE(near(frame.at(corner.x, corner.y), SKY_COLOUR)) << corner.x << "," << corner.y;
}

TEST_F(RenderFrames, AnimationMovesEveryBodyAlongItsOrbit)
{
    const Frame before = drawFrame();
    for (int step = 0; step < 200; ++step)
        animate();
    glutIdleFunc(nullptr);
    const Frame after = drawFrame();
    saveShot(after, "overview-200-steps");
    for (const Body& body : planets) {
        expectBodyAt(after, planetPixel(body, *body.orbit), body.slot, body.name);
        const Pixel old = planetPixel(body, 0);
        EXPECT_FALSE(near(after.at(old.x, old.y), slotColours[body.slot])) << body.name << " did not move";
    }
    expectBodyAt(after, moonPixel(), SLOT_MOON, "Moon beside Earth");
    // The ball spins in place; the band turns about an axis through the sun.
    expectBodyAt(after, project(-25, -24, 0), SLOT_BBB, "ball");
    EXPECT_NE(countColour(before, slotColours[SLOT_B3]), countColour(after, slotColours[SLOT_B3]));
}

TEST_F(RenderFrames, WalkingForwardEnlargesTheSun)
{
    const long far = countColour(drawFrame(), slotColours[SLOT_SUN]);
    for (int step = 0; step < 20; ++step)
        specialKey(GLUT_KEY_UP, 0, 0);
    const Frame frame = drawFrame();
    const long closer = countColour(frame, slotColours[SLOT_SUN]);
    EXPECT_GT(closer, far * 13 / 10) << far << " -> " << closer;
    expectBodyAt(frame, {WINDOW_WIDTH / 2, WINDOW_HEIGHT / 2}, SLOT_SUN, "Sun ahead");
}

TEST_F(RenderFrames, LeftDragTurnsTheWholeScene)
{
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 450, 400);
    motion(480, 400);
    motion(480, 420);
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 480, 420);
    glutIdleFunc(nullptr);
    ASSERT_EQ(viewRotY, 30.0f);
    ASSERT_EQ(viewRotX, 20.0f);
    const Frame frame = drawFrame();
    const Pixel sun = project(0, 0, 0);
    EXPECT_GT(std::abs(sun.x - WINDOW_WIDTH / 2), 100);
    EXPECT_FALSE(near(frame.at(WINDOW_WIDTH / 2, WINDOW_HEIGHT / 2), slotColours[SLOT_SUN]));
    expectBodyAt(frame, sun, SLOT_SUN, "Sun after the drag");
    int inView = 0;
    for (const Body& body : planets) {
        const Pixel p = planetPixel(body, 0);
        if (p.x < 0 || p.x >= frame.width || p.y < 0 || p.y >= frame.height)
            continue;
        ++inView;
        expectBodyAt(frame, p, body.slot, body.name);
    }
    EXPECT_GE(inView, 4);
}

// The close-ups: view mode to the slot its body is drawn with.
constexpr int closeUpSlots[10] = {0, 1, 2, 3, 5, 6, 7, 8, 9, 10};

// Pixels of the columns round the window's centre, where the axis runs.
bool onAxis(int x) { return std::abs(x - WINDOW_WIDTH / 2) <= 2; }

TEST_F(RenderFrames, EachCloseUpFillsTheWindowWithItsBodyAndAxis)
{
    drawFrame();  // an overview first leaves the figure's colour current
    for (int mode = 0; mode <= 9; ++mode) {
        SCOPED_TRACE("view mode " + std::to_string(mode));
        viewMode = mode;
        viewRotY = 0;
        const Frame frame = drawFrame();
        if (mode == 3)
            saveShot(frame, "closeup-earth");
        if (mode == 6)
            saveShot(frame, "closeup-saturn");
        const Rgb body = slotColours[closeUpSlots[mode]];
        long off = 0, axis = 0;
        for (int y = 0; y < frame.height; ++y) {
            bool lineInRow = false;
            for (int x = 0; x < frame.width; ++x) {
                const bool isBody = near(frame.at(x, y), body);
                if (!onAxis(x))
                    off += !isBody;
                lineInRow = lineInRow || (onAxis(x) && !isBody);
            }
            axis += lineInRow;
        }
        EXPECT_EQ(off, 0) << "pixels outside the axis that are not the body";
        // Saturn's axis takes Saturn's own colour; every other one shows
        // from the top of the window to the bottom.
        if (mode != 6) {
            EXPECT_EQ(axis, frame.height);
        }
        // The drag rotation does not reach a close-up.
        viewRotY = 35;
        viewRotX = -20;
        EXPECT_EQ(drawFrame().rgb, frame.rgb);
        viewRotX = 0;
    }
}

TEST_F(RenderFrames, EarthsMoonStaysBehindTheWallAndLendsTheAxisItsColour)
{
    viewMode = 3;
    for (int step = 0; step < 3; ++step) {
        const Frame frame = drawFrame();
        for (int y = 0; y < frame.height; ++y) {
            for (int x = 0; x < frame.width; ++x) {
                if (!near(frame.at(x, y), slotColours[SLOT_MOON]))
                    continue;
                ASSERT_TRUE(onAxis(x)) << "Moon shows at (" << x << ", " << y << ")";
            }
        }
        EXPECT_TRUE(near(frame.at(WINDOW_WIDTH / 2, 100), slotColours[SLOT_MOON]) ||
                    near(frame.at(WINDOW_WIDTH / 2 - 1, 100), slotColours[SLOT_MOON]));
        for (int i = 0; i < 60; ++i)
            animate();  // the Moon moves on 45 degrees
    }
}

TEST_F(RenderFrames, SaturnsRingStaysBehindTheWall)
{
    // A picture whose every texel differs: a ring in view would show as a
    // band of the single texel it is drawn with.
    unsigned char picture[16 * 16 * 3];
    for (int t = 0; t < 16; ++t)
        for (int s = 0; s < 16; ++s) {
            unsigned char* p = picture + (t * 16 + s) * 3;
            p[0] = static_cast<unsigned char>(s * 16 + 8);
            p[1] = static_cast<unsigned char>(t * 16 + 8);
            p[2] = 128;
        }
    uploadTexture(textureIds[SLOT_SATURN], 16, 16, picture);
    for (float orbit : {0.0f, 30.0f, 90.0f}) {
        saturnOrbit = orbit;
        earthSpin = orbit;
        viewMode = 6;
        const Frame withRing = drawFrame();
        // The same body without its ring.
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawCloseUp(SLOT_SATURN);
        glutSwapBuffers();
        const Frame alone = readFrame();
        long differ = 0;
        for (int y = 0; y < withRing.height; ++y)
            for (int x = 0; x < withRing.width; ++x)
                differ += !onAxis(x) && !(withRing.at(x, y) == alone.at(x, y));
        EXPECT_EQ(differ, 0) << "at orbit " << orbit;
    }
}

TEST_F(RenderFrames, LightingSwitchShowsOnlyOnThePlainCloseUpsAxis)
{
    drawFrame();
    viewMode = 5;
    const Frame lit = drawFrame();
    keyboard('l', 0, 0);
    ASSERT_EQ(lightingOn, 0);
    const Frame unlit = drawFrame();
    long differ = 0;
    for (int y = 0; y < lit.height; ++y)
        for (int x = 0; x < lit.width; ++x) {
            if (lit.at(x, y) == unlit.at(x, y))
                continue;
            ++differ;
            EXPECT_TRUE(onAxis(x)) << x << "," << y;
            if (!onAxis(x))
                return;
        }
    EXPECT_GT(differ, WINDOW_HEIGHT / 2);
    // Unlit, the axis takes the figure's colour left current by the overview.
    const Rgb figure{250, 10, 179};
    bool found = false;
    for (int x = WINDOW_WIDTH / 2 - 2; x <= WINDOW_WIDTH / 2 + 2; ++x)
        found = found || near(unlit.at(x, 300), figure);
    EXPECT_TRUE(found);
}

// Date mode: each planet in the direction of its longitude (counter-
// clockwise from +x seen from +z), at its schematic distance, on its true
// side whatever the sign the overview gives that distance; the Moon in the
// direction of its own longitude from the Earth; the animation's angles
// ignored, and left as they were.
TEST_F(RenderFrames, DateModePutsEveryBodyOnItsTrueSide)
{
    // Animation angles that would put every body elsewhere.
    for (int step = 0; step < 123; ++step)
        animate();
    glutIdleFunc(nullptr);
    const float marsBefore = marsOrbit, moonBefore = moonOrbit;

    const SkyBody bodies[] = {SKY_MERCURY, SKY_VENUS,  SKY_EARTH,   SKY_MARS, SKY_JUPITER,
                              SKY_SATURN,  SKY_URANUS, SKY_NEPTUNE, SKY_PLUTO};
    // Spread round the circle, with planets at negative distances (Venus,
    // Mars, Saturn, Neptune) in every quadrant.
    const double longitudes[] = {10, 100, 200, 290, 45, 135, 225, 315, 80};
    for (int i = 0; i < 9; ++i)
        datePositions[bodies[i]] = {longitudes[i], 0, 1, false};
    datePositions[SKY_MOON] = {250, 0, 0.0026, false};
    dateMode = true;
    const Frame frame = drawFrame();
    saveShot(frame, "overview-date-mode");
    dateMode = false;

    auto along = [](double distance, double longitude) {
        const double a = longitude * std::numbers::pi / 180.0;
        return std::array<double, 2>{std::abs(distance) * std::cos(a), std::abs(distance) * std::sin(a)};
    };
    for (int i = 0; i < 9; ++i) {
        const auto p = along(planets[i].distance, longitudes[i]);
        expectBodyAt(frame, project(p[0], p[1], 0), planets[i].slot, planets[i].name);
    }
    const auto earth = along(9.6, 200), moon = along(1.5, 250);
    expectBodyAt(frame, project(earth[0] + moon[0], earth[1] + moon[1], 0), SLOT_MOON, "Moon from the Earth");

    // The ring stays with Saturn: every pixel of Saturn's colour lies within
    // the ring's outer radius of the planet's centre.
    const auto saturn = along(-19.6, 135);
    const Pixel centre = project(saturn[0], saturn[1], 0);
    const Pixel edge = project(saturn[0] + 2.2, saturn[1], 0);
    const int reach = edge.x - centre.x;
    long near_ = 0, all = 0;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) {
            if (!near(frame.at(x, y), slotColours[SLOT_SATURN]))
                continue;
            ++all;
            near_ += (x - centre.x) * (x - centre.x) + (y - centre.y) * (y - centre.y) <= reach * reach;
        }
    EXPECT_GT(all, 0);
    EXPECT_EQ(near_, all);

    EXPECT_EQ(marsOrbit, marsBefore);
    EXPECT_EQ(moonOrbit, moonBefore);
    // Back out of date mode, the animation's places again.
    const Frame parts = drawFrame();
    for (const Body& body : planets)
        expectBodyAt(parts, planetPixel(body, *body.orbit), body.slot, body.name);
}

}  // namespace

int main(int argc, char** argv) { return runTestsInViewerWindow(argc, argv); }
