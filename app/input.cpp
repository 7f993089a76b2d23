// Walk camera and input callbacks.  Camera and drag arithmetic is done in
// double precision and rounded to float when stored.
#include <GL/glut.h>

#include <cmath>

#include "app/controls.h"
#include "app/date_mode.h"
#include "app/viewer.h"
#include "core/viewer_state.h"

void reshape(int width, int height)
{
    // A window can be squeezed to zero height; keep the aspect ratio finite.
    const int h = height > 0 ? height : 1;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glClearColor(0, 0, 0, 0);
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(60.0, static_cast<double>(width) / h, 0.01, 1000.0);
    eyeZ = 50.0f;
    updateCamera(0);
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
}

void updateCamera(int key)
{
    const double h = heading;
    if (key == GLUT_KEY_UP) {
        eyeZ = static_cast<float>(eyeZ - std::cos(h) * moveStep);
        eyeX = static_cast<float>(eyeX + std::sin(h) * moveStep);
    } else if (key == GLUT_KEY_DOWN) {
        eyeZ = static_cast<float>(eyeZ + std::cos(h) * moveStep);
        eyeX = static_cast<float>(eyeX - std::sin(h) * moveStep);
    }
    // The look-at point stays one unit ahead of the eye along the heading.
    centerZ = static_cast<float>(eyeZ - std::cos(h));
    centerX = static_cast<float>(eyeX + std::sin(h));
}

void specialKey(int key, int, int)
{
    // Arrows, F1, F11 and F12 (the table of controls); page and other keys
    // do nothing at all.
    const Control* control = controlForSpecialKey(key);
    if (!control)
        return;
    control->run(key);
    glutPostRedisplay();
}

void keyboard(unsigned char key, int, int)
{
    // Esc ends the process inside; every other key, known or not, redisplays.
    if (const Control* control = controlForKey(key))
        control->run(key);
    glutPostRedisplay();
}

void mouse(int button, int state, int x, int y)
{
    if (button != GLUT_LEFT_BUTTON) {
        // The wheel (a press per notch); the middle button does nothing.
        const Control* control = controlForButton(button);
        if (control && state == GLUT_DOWN) {
            control->run(button);
            glutPostRedisplay();
        }
        return;
    }
    if (state == GLUT_DOWN) {
        mouseState = GLUT_DOWN;
        mouseButton = GLUT_LEFT_BUTTON;
        mouseLastX = x;
        mouseLastY = y;
    } else {
        mouseState = -1;
    }
    // While the animation runs, holding the left button pauses it and
    // releasing the button resumes it; a space-bar pause is left alone.
    if (dateMode)
        dateModeClick(state, x, y);  // a click starts or stops the date clock
    else if (animating)
        setAnimateInstalled(state != GLUT_DOWN);
    glutPostRedisplay();
}

void motion(int x, int y)
{
    if (mouseButton != GLUT_LEFT_BUTTON || mouseState != GLUT_DOWN)
        return;
    // One degree per pixel: dragging right or down turns the scene further.
    constexpr double sensitivity = 1.0;
    viewRotY = static_cast<float>(viewRotY - (mouseLastX - x) / sensitivity);
    viewRotX = static_cast<float>(viewRotX - (mouseLastY - y) / sensitivity);
    mouseLastX = x;
    mouseLastY = y;
    glutPostRedisplay();
}
