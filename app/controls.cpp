// What the controls need of the desktop: GLUT's key codes, and the hooks
// the core calls for the platform's part.
#include "app/controls.h"

#include <GL/freeglut.h>

#include <cstdlib>

#include "app/date_mode.h"
#include "app/screenshot.h"
#include "app/viewer.h"
#include "platform/message_box.h"

namespace {

void quit() { std::exit(-1); }

// Full screen and back to the size and place the window had before.
struct {
    bool on = false;
    int x = 0, y = 0, width = 900, height = 800;
} fullScreen;

void toggleFullScreen()
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

void installAnimate(bool on) { glutIdleFunc(on ? animate : nullptr); }

void installDateClock(bool run) { glutIdleFunc(run ? stepDateClock : nullptr); }

void redisplay() { glutPostRedisplay(); }

void setLighting(bool on)
{
    if (on)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);
}

void screenshot() { takeScreenshot(); }

void showFacts(const char* caption, const char* text) { showMessageBox(caption, text); }

constexpr PlatformHooks DESKTOP_HOOKS = {
    .quit = quit,
    .fullScreen = toggleFullScreen,
    .screenshot = screenshot,
    .setAnimating = installAnimate,
    .redisplay = redisplay,
    .setLighting = setLighting,
    .setDateClock = installDateClock,
    .showFacts = showFacts,
    .skyPositions = skyPositions,
};

}  // namespace

int coreKeyFromGlut(int glutKey)
{
    switch (glutKey) {
    case GLUT_KEY_UP:
        return CORE_KEY_UP;
    case GLUT_KEY_DOWN:
        return CORE_KEY_DOWN;
    case GLUT_KEY_LEFT:
        return CORE_KEY_LEFT;
    case GLUT_KEY_RIGHT:
        return CORE_KEY_RIGHT;
    case GLUT_KEY_F1:
        return CORE_KEY_F1;
    case GLUT_KEY_F11:
        return CORE_KEY_F11;
    case GLUT_KEY_F12:
        return CORE_KEY_F12;
    default:
        return 0;
    }
}

void installDesktopHooks() { setPlatformHooks(DESKTOP_HOOKS); }
