// Walk camera, keys, mouse, reshape and the animation state machine,
// exercised through the real callbacks on a real GLUT window.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>

#include "app/controls.h"
#include "app/status_line.h"
#include "app/viewer.h"
#include "core/viewer_state.h"
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
    // F1 (help), F11 (full screen) and F12 (screenshot) have a meaning now.
    for (int key :
         {GLUT_KEY_F2, GLUT_KEY_F3, GLUT_KEY_F4, GLUT_KEY_F5, GLUT_KEY_F6, GLUT_KEY_F7, GLUT_KEY_F8, GLUT_KEY_F9,
          GLUT_KEY_F10, GLUT_KEY_PAGE_UP, GLUT_KEY_PAGE_DOWN, GLUT_KEY_HOME, GLUT_KEY_END, GLUT_KEY_INSERT})
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

// The keys and buttons added beside the original controls.
class NewControls : public Input {
protected:
    void TearDown() override
    {
        showHelp = showNames = showOrbits = false;
        timeRateExponent = 0;
        timeBackwards = false;
    }
};

TEST_F(NewControls, WheelWalksWithTheArrowKeysStep)
{
    EXPECT_TRUE(redisplayRequestedBy([] { mouse(3, GLUT_DOWN, 1, 1); }));
    EXPECT_FLOAT_EQ(eyeZ, 49.475f);
    EXPECT_FLOAT_EQ(centerZ, 48.475f);
    // A notch is a press and a release; only the press walks.
    EXPECT_FALSE(redisplayRequestedBy([] { mouse(3, GLUT_UP, 1, 1); }));
    EXPECT_FLOAT_EQ(eyeZ, 49.475f);
    EXPECT_TRUE(redisplayRequestedBy([] { mouse(4, GLUT_DOWN, 1, 1); }));
    EXPECT_EQ(eyeZ, 50.0f);
    EXPECT_EQ(centerZ, 49.0f);
    // Nothing else moves: no drag state, no animation.
    EXPECT_EQ(mouseState, -1);
    EXPECT_EQ(viewRotX, 0.0f);
    EXPECT_FALSE(clockInstalled());
}

TEST_F(NewControls, PanelsAndDisplaysToggleOnTheirKeys)
{
    for (unsigned char key : std::string("h?")) {
        EXPECT_TRUE(type(key));
        EXPECT_TRUE(showHelp) << key;
        EXPECT_TRUE(type(key));
        EXPECT_FALSE(showHelp) << key;
    }
    EXPECT_TRUE(press(GLUT_KEY_F1));
    EXPECT_TRUE(showHelp);
    EXPECT_TRUE(press(GLUT_KEY_F1));
    EXPECT_FALSE(showHelp);

    type('n');
    EXPECT_TRUE(showNames);
    type('o');
    EXPECT_TRUE(showOrbits);
    type('n');
    type('o');
    EXPECT_FALSE(showNames);
    EXPECT_FALSE(showOrbits);
    // None of them touches the animation or the lighting.
    EXPECT_TRUE(animating);
    EXPECT_FALSE(clockInstalled());
    EXPECT_EQ(lightingOn, 1);
}

TEST_F(NewControls, RateDoublesAndHalvesBetweenOneSixteenthAnd64)
{
    EXPECT_EQ(timeRate(), 1.0);
    for (int i = 0; i < 10; ++i)
        type(i % 2 ? '+' : '=');
    EXPECT_EQ(timeRate(), 64.0);
    for (int i = 0; i < 20; ++i)
        type('-');
    EXPECT_EQ(timeRate(), 1.0 / 16);
    type('+');
    EXPECT_EQ(timeRate(), 1.0 / 8);

    type('b');
    EXPECT_TRUE(timeBackwards);
    EXPECT_NE(statusText().find("backwards"), std::string::npos);
    EXPECT_NE(statusText().find("1/8"), std::string::npos);
    type('0');
    EXPECT_EQ(timeRate(), 1.0);
    EXPECT_FALSE(timeBackwards);
    EXPECT_EQ(statusText(), "");

    // The status line speaks while the rate or the direction differs.
    type('b');
    EXPECT_NE(statusText(), "");
    type('b');
    EXPECT_EQ(statusText(), "");
    type('+');
    EXPECT_NE(statusText().find("2"), std::string::npos);
}

TEST_F(NewControls, PauseAndStartWorkAsBeforeAtAnyRate)
{
    type('+');
    type('b');
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 5, 5);
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 5, 5);
    EXPECT_TRUE(clockInstalled());
    type(' ');
    EXPECT_FALSE(clockInstalled());
    EXPECT_FALSE(animating);
    // A pause made with the original keys shows no status of its own.
    type('0');
    EXPECT_EQ(statusText(), "");
    type(' ');
    EXPECT_TRUE(clockInstalled());
}

TEST_F(NewControls, EveryControlIsReachedThroughTheTable)
{
    // Each key and button listed in the table dispatches to its own entry,
    // and no two entries claim the same input.
    for (int i = 0; i < CONTROL_COUNT; ++i) {
        const Control& c = controls[i];
        SCOPED_TRACE(c.input);
        EXPECT_NE(std::string(c.help), "");
        for (const char* k = c.keys; *k; ++k)
            EXPECT_EQ(controlForKey(static_cast<unsigned char>(*k)), &c);
        for (int key : c.specialKeys) {
            if (key) {
                EXPECT_EQ(controlForSpecialKey(key), &c);
            }
        }
        for (int button : c.buttons) {
            if (button >= 0) {
                EXPECT_EQ(controlForButton(button), &c);
            }
        }
    }
    EXPECT_EQ(controlForKey('a'), nullptr);
    EXPECT_EQ(controlForKey('L'), nullptr);
    EXPECT_EQ(controlForSpecialKey(GLUT_KEY_F2), nullptr);
    EXPECT_EQ(controlForButton(GLUT_MIDDLE_BUTTON), nullptr);
}

}  // namespace
