// Walk camera, keys, mouse, reshape and the animation state machine,
// exercised through the real callbacks on a real GLUT window.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "app/viewer.h"
#include "app/viewer_state.h"
#include "viewer_fixture.h"

namespace {

class Input : public ::testing::Test {
protected:
    void SetUp() override
    {
        openTestWindow();
        resetViewerState();
        glEnable(GL_LIGHTING);  // as render-state initialisation leaves it
        reshape(900, 800);
    }
    static bool press(int specialKeyCode)
    {
        return redisplayRequestedBy([&] { specialKey(specialKeyCode, 0, 0); });
    }
    static bool type(unsigned char key)
    {
        return redisplayRequestedBy([&] { keyboard(key, 0, 0); });
    }
};

TEST_F(Input, UpArrowWalksForwardAndDownArrowWalksBack)
{
    ASSERT_EQ(eyeZ, 50.0f);
    EXPECT_TRUE(press(GLUT_KEY_UP));
    EXPECT_FLOAT_EQ(eyeZ, 49.475f);
    EXPECT_FLOAT_EQ(centerZ, 48.475f);
    EXPECT_EQ(eyeX, 0.0f);
    EXPECT_EQ(centerX, 0.0f);
    EXPECT_TRUE(press(GLUT_KEY_DOWN));
    EXPECT_EQ(eyeZ, 50.0f);
    EXPECT_EQ(centerZ, 49.0f);
    EXPECT_EQ(eyeX, 0.0f);
    EXPECT_EQ(heading, 0.0f);
}

TEST_F(Input, TurningChangesOnlyTheDirectionOfView)
{
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(press(GLUT_KEY_LEFT));
    EXPECT_EQ(heading, -0.5f);
    EXPECT_EQ(eyeX, 0.0f);
    EXPECT_EQ(eyeZ, 50.0f);
    EXPECT_FLOAT_EQ(centerX, static_cast<float>(std::sin(-0.5)));
    EXPECT_FLOAT_EQ(centerZ, static_cast<float>(50.0 - std::cos(-0.5)));

    press(GLUT_KEY_UP);
    EXPECT_FLOAT_EQ(eyeX, static_cast<float>(std::sin(-0.5) * 0.525));
    EXPECT_FLOAT_EQ(eyeZ, static_cast<float>(50.0 - std::cos(-0.5) * 0.525));
    EXPECT_FLOAT_EQ(centerX, static_cast<float>(std::sin(-0.5) * 1.525));
    EXPECT_FLOAT_EQ(centerZ, static_cast<float>(50.0 - std::cos(-0.5) * 1.525));

    // The heading is never wrapped, however far the viewer turns.
    for (int i = 0; i < 64; ++i)
        press(GLUT_KEY_RIGHT);
    EXPECT_EQ(heading, 7.5f);
}

TEST_F(Input, OtherSpecialKeysDoNothing)
{
    for (int key : {GLUT_KEY_F1, GLUT_KEY_F12, GLUT_KEY_PAGE_UP, GLUT_KEY_PAGE_DOWN, GLUT_KEY_HOME, GLUT_KEY_END,
                    GLUT_KEY_INSERT})
        EXPECT_FALSE(press(key)) << "key " << key;
    EXPECT_EQ(heading, 0.0f);
    EXPECT_EQ(eyeZ, 50.0f);
}

TEST_F(Input, OrdinaryKeysOnlyRedisplay)
{
    for (unsigned char key : std::string("aL1\r\t\x7f")) {
        EXPECT_TRUE(type(key)) << "key " << int(key);
        EXPECT_EQ(lightingOn, 1);
        EXPECT_TRUE(animating);
    }
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

TEST_F(Input, LKeyTogglesLighting)
{
    EXPECT_TRUE(type('l'));
    EXPECT_EQ(lightingOn, 0);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_TRUE(type('l'));
    EXPECT_EQ(lightingOn, 1);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
}

TEST_F(Input, EscEndsTheProcessWithStatusMinusOne)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(keyboard(27, 0, 0), ::testing::ExitedWithCode(255), "");
    // Whatever the state: walking, paused, a close-up.
    EXPECT_EXIT(
        {
            specialKey(GLUT_KEY_UP, 0, 0);
            keyboard(' ', 0, 0);
            viewMode = 4;
            keyboard(27, 0, 0);
        },
        ::testing::ExitedWithCode(255), "");
}

TEST_F(Input, LeftDragTurnsTheSceneOneDegreePerPixel)
{
    EXPECT_TRUE(redisplayRequestedBy([] { mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 200); }));
    EXPECT_TRUE(redisplayRequestedBy([] { motion(104, 202); }));
    EXPECT_TRUE(redisplayRequestedBy([] { motion(110, 205); }));
    EXPECT_EQ(viewRotY, 10.0f);
    EXPECT_EQ(viewRotX, 5.0f);
    EXPECT_EQ(mouseLastX, 110);
    EXPECT_EQ(mouseLastY, 205);

    // Dragging left and up turns it back.
    motion(90, 195);
    EXPECT_EQ(viewRotY, -10.0f);
    EXPECT_EQ(viewRotX, -5.0f);

    // After the release a drag changes nothing; the button is remembered.
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 90, 195);
    EXPECT_EQ(mouseState, -1);
    EXPECT_EQ(mouseButton, GLUT_LEFT_BUTTON);
    EXPECT_FALSE(redisplayRequestedBy([] { motion(300, 300); }));
    EXPECT_EQ(viewRotY, -10.0f);
    EXPECT_EQ(viewRotX, -5.0f);
}

TEST_F(Input, MiddleButtonChangesNothing)
{
    EXPECT_FALSE(redisplayRequestedBy([] { mouse(GLUT_MIDDLE_BUTTON, GLUT_DOWN, 100, 200); }));
    EXPECT_FALSE(redisplayRequestedBy([] { motion(110, 205); }));
    EXPECT_FALSE(redisplayRequestedBy([] { mouse(GLUT_MIDDLE_BUTTON, GLUT_UP, 110, 205); }));
    EXPECT_FALSE(redisplayRequestedBy([] { mouse(3, GLUT_DOWN, 1, 1); }));  // wheel
    EXPECT_EQ(mouseState, -1);
    EXPECT_EQ(mouseLastX, 0);
    EXPECT_EQ(viewRotX, 0.0f);
    EXPECT_EQ(viewRotY, 0.0f);
    EXPECT_TRUE(animating);
    EXPECT_FALSE(clockInstalled());
}

TEST_F(Input, ReshapeMovesTheCameraBackKeepingXAndHeading)
{
    press(GLUT_KEY_RIGHT);
    for (int i = 0; i < 5; ++i)
        press(GLUT_KEY_UP);
    const float x = eyeX;
    ASSERT_NE(x, 0.0f);
    ASSERT_LT(eyeZ, 50.0f);

    EXPECT_FALSE(redisplayRequestedBy([] { reshape(640, 480); }));
    EXPECT_EQ(eyeZ, 50.0f);
    EXPECT_EQ(eyeX, x);
    EXPECT_EQ(heading, 0.125f);
    EXPECT_FLOAT_EQ(centerX, static_cast<float>(x + std::sin(0.125)));
    EXPECT_FLOAT_EQ(centerZ, static_cast<float>(50.0 - std::cos(0.125)));

    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));

    // 60 degrees vertical field of view, aspect 4:3.
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const double f = 1.0 / std::tan(std::numbers::pi / 6.0);
    EXPECT_NEAR(projection[5], f, 1e-6);
    EXPECT_NEAR(projection[0], f * 3.0 / 4.0, 1e-6);
}

TEST_F(Input, ReshapeToZeroHeightKeepsTheProjectionFinite)
{
    reshape(900, 0);
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    for (double v : projection)
        EXPECT_TRUE(std::isfinite(v));
    EXPECT_EQ(eyeZ, 50.0f);
    reshape(0, 0);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    for (double v : projection)
        EXPECT_TRUE(std::isfinite(v));
}

// The animation state machine: the flag `animating` and whether the clock
// is installed as GLUT's idle callback.
struct Transition {
    const char* from;   // events that lead to the starting state
    const char* event;  // ' ' space, 'p' left press, 'r' left release
    bool animatingAfter;
    bool runningAfter;
};

void send(const char* events)
{
    for (; *events; ++events) {
        if (*events == ' ')
            keyboard(' ', 0, 0);
        else
            mouse(GLUT_LEFT_BUTTON, *events == 'p' ? GLUT_DOWN : GLUT_UP, 10, 10);
    }
}

TEST_F(Input, AnimationStateTable)
{
    const Transition table[] = {
        {"", " ", false, false},    // Ready   --space-->   Paused
        {"", "p", true, false},     // Ready   --press-->   Ready
        {"", "r", true, true},      // Ready   --release--> Running
        {"pr", " ", false, false},  // Running --space-->   Paused
        {"pr", "p", true, false},   // Running --press-->   Ready
        {"pr", "r", true, true},    // Running --release--> Running
        {" ", " ", true, true},     // Paused  --space-->   Running
        {" ", "p", false, false},   // Paused  --press-->   Paused
        {" ", "r", false, false},   // Paused  --release--> Paused
        {" ", "pr", false, false},  // Paused: clicks never start it
    };
    for (const Transition& t : table) {
        SCOPED_TRACE(std::string("from \"") + t.from + "\" on \"" + t.event + "\"");
        resetViewerState();
        openTestWindow();
        send(t.from);
        EXPECT_TRUE(redisplayRequestedBy([&] { send(t.event); }));
        EXPECT_EQ(animating, t.animatingAfter);
        EXPECT_EQ(clockInstalled(), t.runningAfter);
    }
}

TEST_F(Input, NothingMovesAtStart)
{
    EXPECT_FALSE(clockInstalled());
    // However many redisplays the input callbacks ask for.
    for (int i = 0; i < 5; ++i)
        keyboard('x', 0, 0);
    EXPECT_FALSE(clockInstalled());
    for (float* angle : animationAngles())
        EXPECT_EQ(*angle, 0.0f);
}

}  // namespace
