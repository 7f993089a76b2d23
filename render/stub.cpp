// Placeholder until the scene lands: clears and swaps.
#include "render/render.h"

#include <GL/glut.h>

void drawSphere(float, float, float, float, int) {}
bool initRenderState() { return true; }
void display()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glFlush();
    glutSwapBuffers();
}
void drawCloseUp(int) {}
void drawCloseUpWithMoon(int) {}
void drawCloseUpWithRing() {}
