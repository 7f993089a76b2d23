// Entry point: window, callbacks, menu, render state, main loop.
#include <GL/glut.h>

#include "render/render.h"

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(900, 800);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("Solar System");
    glutDisplayFunc(display);
    initRenderState();
    glutMainLoop();
    return 0;
}
