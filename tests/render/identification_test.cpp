// The identification pass of the desktop renderer in a real window under
// Xvfb: each body in its own flat colour where the camera puts its centre,
// everything else black, and the ordinary frames untouched by it.  The web
// page's tests compare the WebGL renderer's pass against this one.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <set>
#include <sstream>

#include "app/viewer.h"
#include "core/bodies.h"
#include "core/viewer_state.h"
#include "render/render.h"
#include "tests/support/render_fixture.h"

namespace {

struct Centroid {
    long pixels = 0;
    double x = 0, y = 0;  // window coordinates, bottom row 0
};

Rgb colourOf(int body)
{
    const IdentificationColour c = identificationColour(body);
    return {c.r, c.g, c.b};
}

// Every colour in the frame with its pixel count and centroid.
std::map<int, Centroid> centroids(const Frame& frame)
{
    std::map<int, Centroid> found;
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x) {
            const Rgb c = frame.at(x, y);
            Centroid& entry = found[(c.r << 16) | (c.g << 8) | c.b];
            ++entry.pixels;
            entry.x += x;
            entry.y += y;
        }
    for (auto& [colour, entry] : found) {
        entry.x /= static_cast<double>(entry.pixels);
        entry.y /= static_cast<double>(entry.pixels);
    }
    return found;
}

int key(Rgb c) { return (c.r << 16) | (c.g << 8) | c.b; }

// Where a body's centre is in the world: planets on their orbit angle about
// the sun, the Moon on its own about the Earth (turned by the Earth's).
void worldCentre(int body, double out[3])
{
    const BodyRow& row = bodyTable[body];
    out[0] = out[1] = out[2] = 0;
    if (row.centre == NO_BODY)
        return;
    const double a = *row.orbit * std::numbers::pi / 180.0;
    if (row.centre == BODY_SUN) {
        out[0] = row.distance * std::cos(a);
        out[1] = row.distance * std::sin(a);
        return;
    }
    const BodyRow& planet = bodyTable[row.centre];
    const double p = *planet.orbit * std::numbers::pi / 180.0;
    const double lx = planet.distance + row.distance * std::cos(a), ly = row.distance * std::sin(a);
    out[0] = lx * std::cos(p) - ly * std::sin(p);
    out[1] = lx * std::sin(p) + ly * std::cos(p);
}

// The frame holds black and the bodies' colours only, and each body's
// pixels are centred within 2 px of where the camera puts its centre; the
// ring crossing Saturn hides a band of it, which moves its centre by up to
// 4 px.
void expectBodiesWhereTheCameraPutsThem(const Frame& frame, const std::string& what)
{
    const std::map<int, Centroid> found = centroids(frame);
    std::set<int> allowed = {0};
    for (int body = 0; body < BODY_ROW_COUNT; ++body)
        if (bodyTable[body].isBody)
            allowed.insert(key(colourOf(body)));
    for (const auto& [colour, entry] : found)
        EXPECT_TRUE(allowed.count(colour)) << what << ": colour " << std::hex << colour << std::dec << " on "
                                           << entry.pixels << " pixels is neither black nor a body's";
    int checked = 0;
    for (int body = 0; body < BODY_ROW_COUNT; ++body) {
        if (!bodyTable[body].isBody)
            continue;
        double centre[3], wx, wy;
        worldCentre(body, centre);
        projectOverviewPoint(centre[0], centre[1], centre[2], &wx, &wy);
        const auto it = found.find(key(colourOf(body)));
        // A body whose centre is out of the window is left out (its visible
        // part is no disc).
        if (wx < 20 || wx > frame.width - 20 || wy < 20 || wy > frame.height - 20) {
            continue;
        }
        ++checked;
        ASSERT_NE(it, found.end()) << what << ": " << bodyTable[body].name << " not in the frame";
        const double tolerance = bodyTable[body].ring ? 4.0 : 2.0;
        EXPECT_NEAR(it->second.x, wx, tolerance) << what << ": " << bodyTable[body].name;
        EXPECT_NEAR(it->second.y, wy, tolerance) << what << ": " << bodyTable[body].name;
    }
    EXPECT_GE(checked, 8) << what;
}

class IdentificationPass : public ::testing::Test {
protected:
    void SetUp() override
    {
        installTestTextures();
        resetViewer();
    }
    void TearDown() override
    {
        identificationPass = false;
        glutIdleFunc(nullptr);
        resetViewer();
    }
};

TEST_F(IdentificationPass, EveryBodyIsItsColourWhereTheCameraPutsIt)
{
    identificationPass = true;
    const Frame start = drawFrame();
    saveShot(start, "identification-start");
    expectBodiesWhereTheCameraPutsThem(start, "at start");

    for (int step = 0; step < 500; ++step)
        animate();
    glutIdleFunc(nullptr);
    const Frame later = drawFrame();
    saveShot(later, "identification-500-steps");
    expectBodiesWhereTheCameraPutsThem(later, "after 500 steps");

    // Turned by a drag: the pass follows the camera.
    viewRotY = 12;
    viewRotX = -8;
    const Frame turned = drawFrame();
    saveShot(turned, "identification-turned");
    expectBodiesWhereTheCameraPutsThem(turned, "turned");
}

TEST_F(IdentificationPass, LightingOffAndOrbitsOnChangeNothingInIt)
{
    identificationPass = true;
    const Frame plain = drawFrame();
    keyboard('l', 0, 0);
    keyboard('o', 0, 0);
    const Frame changed = drawFrame();
    keyboard('l', 0, 0);
    keyboard('o', 0, 0);
    // Orbit lines are black on black; unlit or lit, a flat colour is flat.
    EXPECT_EQ(plain.rgb, changed.rgb);
}

TEST_F(IdentificationPass, CloseUpsFillTheViewWithTheirBody)
{
    identificationPass = true;
    for (int mode = 0; mode < OVERVIEW_VIEW_MODE; ++mode) {
        viewMode = mode;
        const BodyRow* body = bodyForViewMode(mode);
        ASSERT_NE(body, nullptr);
        const Frame frame = drawFrame();
        const std::map<int, Centroid> found = centroids(frame);
        const auto it = found.find(key(colourOf(bodyIndex(*body))));
        ASSERT_NE(it, found.end()) << body->name;
        // The eye is inside the body: its inner wall fills the view but for
        // the spin axis (black) down the middle.
        EXPECT_GT(it->second.pixels, static_cast<long>(frame.width) * frame.height * 9 / 10) << body->name;
        EXPECT_TRUE(frame.at(frame.width / 4, frame.height / 2) == colourOf(bodyIndex(*body))) << body->name;
    }
}

TEST_F(IdentificationPass, OffTheFramesAreWhatTheyWereBeforeIt)
{
    const Frame before = drawFrame();
    identificationPass = true;
    const Frame pass = drawFrame();
    identificationPass = false;
    const Frame after = drawFrame();
    EXPECT_NE(before.rgb, pass.rgb);
    EXPECT_EQ(before.rgb, after.rgb);
    viewMode = 3;
    const Frame closeBefore = drawFrame();
    identificationPass = true;
    drawFrame();
    identificationPass = false;
    EXPECT_EQ(closeBefore.rgb, drawFrame().rgb);
}

}  // namespace

int main(int argc, char** argv) { return runTestsInViewerWindow(argc, argv); }
