// The table of controls and what each one does.
#include "app/controls.h"

#include <GL/freeglut.h>

#include <cstdlib>
#include <cstring>

#include "app/date_mode.h"
#include "app/screenshot.h"
#include "app/viewer.h"
#include "core/viewer_state.h"

namespace {

void walk(int key) { updateCamera(key); }

void turn(int key)
{
    if (key == GLUT_KEY_LEFT)
        heading = static_cast<float>(static_cast<double>(heading) - turnStep);
    else
        heading = static_cast<float>(static_cast<double>(heading) + turnStep);
    updateCamera(key);
}

// The wheel walks as the arrow keys do: away from the user is forward.
void wheel(int button) { updateCamera(button == 3 ? GLUT_KEY_UP : GLUT_KEY_DOWN); }

void quit(int) { std::exit(-1); }

// In date mode space runs the date clock and never the animation.
void toggleAnimation(int)
{
    if (dateMode) {
        toggleDateClock();
        return;
    }
    animating = !animating;
    setAnimateInstalled(animating);
}

void toggleDate(int) { toggleDateMode(); }

void toggleLighting(int)
{
    lightingOn = lightingOn == 0 ? 1 : 0;
    if (lightingOn)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);
}

void toggleHelp(int) { showHelp = !showHelp; }
void toggleNames(int) { showNames = !showNames; }
void toggleOrbits(int) { showOrbits = !showOrbits; }

// The date clock runs at the same rate and in the same direction as the
// animation: one day a second at 1x forwards.
void rateChanged() { dateClockRate = timeBackwards ? -timeRate() : timeRate(); }

void faster(int)
{
    if (timeRateExponent < TIME_RATE_EXPONENT_MAX)
        ++timeRateExponent;
    rateChanged();
}

void slower(int)
{
    if (timeRateExponent > TIME_RATE_EXPONENT_MIN)
        --timeRateExponent;
    rateChanged();
}

void reverse(int)
{
    timeBackwards = !timeBackwards;
    rateChanged();
}

void normalTime(int)
{
    timeRateExponent = 0;
    timeBackwards = false;
    rateChanged();
}

// Full screen and back to the size and place the window had before.
struct {
    bool on = false;
    int x = 0, y = 0, width = 900, height = 800;
} fullScreen;

void toggleFullScreen(int)
{
    if (!fullScreen.on) {
        fullScreen.x = glutGet(GLUT_WINDOW_X);
        fullScreen.y = glutGet(GLUT_WINDOW_Y);
        fullScreen.width = glutGet(GLUT_WINDOW_WIDTH);
        fullScreen.height = glutGet(GLUT_WINDOW_HEIGHT);
        glutFullScreen();
        fullScreen.on = true;
    } else {
        glutLeaveFullScreen();
        glutReshapeWindow(fullScreen.width, fullScreen.height);
        glutPositionWindow(fullScreen.x, fullScreen.y);
        fullScreen.on = false;
    }
}

void screenshot(int) { takeScreenshot(); }

}  // namespace

// Keypad keys arrive as the characters they carry ("+", "-", "0").
const Control controls[] = {
    {"Up / Down", "walk forward / back", "", {GLUT_KEY_UP, GLUT_KEY_DOWN}, {-1, -1}, walk},
    {"Left / Right", "turn left / right", "", {GLUT_KEY_LEFT, GLUT_KEY_RIGHT}, {-1, -1}, turn},
    {"mouse wheel", "walk forward / back", "", {0, 0}, {3, 4}, wheel},
    {"left drag", "rotate the whole scene (overview)", "", {0, 0}, {-1, -1}, nullptr},
    {"left click", "start the animation; hold the button to pause it", "", {0, 0}, {-1, -1}, nullptr},
    {"space", "pause / resume the animation", " ", {0, 0}, {-1, -1}, toggleAnimation},
    {"l", "lighting on / off", "l", {0, 0}, {-1, -1}, toggleLighting},
    {"d", "date mode: the sky of an instant, and back", "d", {0, 0}, {-1, -1}, toggleDate},
    {"right button", "menu of bodies: a close-up and its facts", "", {0, 0}, {-1, -1}, nullptr},
    {"F1 / h / ?", "this help (the same key closes it)", "h?", {GLUT_KEY_F1, 0}, {-1, -1}, toggleHelp},
    {"n", "names of the bodies on / off", "n", {0, 0}, {-1, -1}, toggleNames},
    {"o", "orbits on / off", "o", {0, 0}, {-1, -1}, toggleOrbits},
    {"+ / =", "time faster (up to 64×)", "+=", {0, 0}, {-1, -1}, faster},
    {"-", "time slower (down to 1/16×)", "-", {0, 0}, {-1, -1}, slower},
    {"b", "time backwards / forwards", "b", {0, 0}, {-1, -1}, reverse},
    {"0", "time at 1× forwards again", "0", {0, 0}, {-1, -1}, normalTime},
    {"F11", "full screen on / off", "", {GLUT_KEY_F11, 0}, {-1, -1}, toggleFullScreen},
    {"F12", "screenshot into the Pictures folder", "", {GLUT_KEY_F12, 0}, {-1, -1}, screenshot},
    {"Esc", "quit", "\x1b", {0, 0}, {-1, -1}, quit},
};
const int CONTROL_COUNT = sizeof controls / sizeof controls[0];

const Control* controlForKey(unsigned char key)
{
    if (key == 0)
        return nullptr;
    for (const Control& control : controls)
        if (control.run && std::strchr(control.keys, key))
            return &control;
    return nullptr;
}

const Control* controlForSpecialKey(int key)
{
    if (key == 0)
        return nullptr;
    for (const Control& control : controls)
        if (control.run && (control.specialKeys[0] == key || control.specialKeys[1] == key))
            return &control;
    return nullptr;
}

const Control* controlForButton(int button)
{
    if (button < 0)
        return nullptr;
    for (const Control& control : controls)
        if (control.run && (control.buttons[0] == button || control.buttons[1] == button))
            return &control;
    return nullptr;
}
