// The date clock as GLUT's idle callback.
#include "app/date_mode.h"

#include <GL/glut.h>

void stepDateClock()
{
    dateClockStep();
    glutPostRedisplay();
}
