// The body menu: a close-up of the chosen body and a box with its facts,
// both as the body table gives them.
#include <GL/glut.h>

#include "app/viewer.h"
#include "core/bodies.h"
#include "core/controls.h"
#include "core/texts.h"

void selectBody(int value) { chooseBody(value); }

void buildBodyMenu()
{
    glutCreateMenu(selectBody);
    // GLUT draws the menu in a bitmap font without Hangul: the labels are
    // Latin in every language.  Entries go in the order of their values.
    for (int value = 1; const BodyRow* entry = bodyForMenuValue(value); ++value)
        glutAddMenuEntry(menuLabel(*entry), value);
}
