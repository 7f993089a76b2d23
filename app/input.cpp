// Input callbacks: GLUT's keys, buttons and pointer handed to the core's
// controls and input arithmetic (core/controls.h, core/camera.h).
#include <GL/glut.h>

#include "app/controls.h"
#include "app/viewer.h"

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
    resetCamera();
    glEnable(GL_DEPTH_TEST);
    glMatrixMode(GL_MODELVIEW);
}

void specialKey(int key, int, int)
{
    // Arrows, F1, F11 and F12 (the table of controls); page and other keys
    // do nothing at all.
    if (specialKeyPressed(coreKeyFromGlut(key)))
        glutPostRedisplay();
}

void keyboard(unsigned char key, int, int)
{
    // Esc ends the process inside; every other key, known or not, redisplays.
    keyPressed(key);
    glutPostRedisplay();
}

void mouse(int button, int state, int x, int y)
{
    if (button != GLUT_LEFT_BUTTON) {
        // The wheel (a press per notch); the middle button does nothing.
        if (state == GLUT_DOWN && buttonPressed(button))
            glutPostRedisplay();
        return;
    }
    leftButton(state == GLUT_DOWN, x, y);
    glutPostRedisplay();
}

void motion(int x, int y)
{
    if (dragTo(x, y))
        glutPostRedisplay();
}
