// objtool view's input: the keys as a table (key, what it does), the left
// button's orbit and the wheel's zoom.
#include <GL/freeglut.h>

#include <cmath>
#include <cstring>

#include "tools/objtool/view.h"

namespace {

constexpr float ANGLE_STEP = 5.0f;

void drawIn(DrawMode mode)
{
    view.drawMode = mode;
    view.listStale = true;
}

void zoomIn() { view.zoom = std::fmax(0.05f, view.zoom * 0.9f); }

void zoomOut() { view.zoom = std::fmin(20.0f, view.zoom / 0.9f); }

struct Key {
    const char* keys;  // every key that does it
    void (*action)();
    bool redraws;  // the title and the window change after it
};

const Key KEYS[] = {
    {"f", [] { drawIn(DRAW_FLAT); }, true},
    {"s", [] { drawIn(DRAW_SMOOTH); }, true},
    {"t", [] { drawIn(DRAW_TEXTURE); }, true},
    {"c", [] { drawIn(DRAW_COLOR); }, true},
    {"m", [] { drawIn(DRAW_MATERIAL); }, true},
    {"l", [] { view.lighting = !view.lighting; }, true},
    {"w", [] { view.wireframe = !view.wireframe; }, true},
    {"n", recomputeNormals, true},
    {"[", [] { view.smoothAngle = std::fmax(0.0f, view.smoothAngle - ANGLE_STEP); }, true},
    {"]", [] { view.smoothAngle = std::fmin(180.0f, view.smoothAngle + ANGLE_STEP); }, true},
    {"+=", zoomIn, true},
    {"-_", zoomOut, true},
    {"r",
     [] {
         view.yaw = view.pitch = 0.0f;
         view.zoom = 1.0f;
     },
     true},
    {"q\x1b", glutLeaveMainLoop, false},
};

bool dragging = false;
int dragX = 0, dragY = 0;

}  // namespace

void keyboard(unsigned char key, int, int)
{
    for (const Key& k : KEYS) {
        if (key == 0 || !std::strchr(k.keys, key))
            continue;
        k.action();
        if (k.redraws) {
            updateTitle();
            glutPostRedisplay();
        }
        return;
    }
}

void mouse(int button, int state, int x, int y)
{
    if (button == GLUT_LEFT_BUTTON) {
        dragging = state == GLUT_DOWN;
        dragX = x;
        dragY = y;
    }
}

void motion(int x, int y)
{
    if (!dragging)
        return;
    view.yaw += (x - dragX) * 0.5f;
    view.pitch += (y - dragY) * 0.5f;
    view.pitch = std::fmax(-90.0f, std::fmin(90.0f, view.pitch));
    dragX = x;
    dragY = y;
    glutPostRedisplay();
}

void wheel(int, int direction, int, int)
{
    if (direction > 0)
        zoomIn();
    else
        zoomOut();
    glutPostRedisplay();
}
