// The body menu: a close-up of the chosen body and a box with its facts,
// both as the body table gives them.
#include <GL/glut.h>

#include "app/viewer.h"
#include "core/i18n.h"
#include "platform/message_box.h"
#include "core/bodies.h"
#include "core/viewer_state.h"

void selectBody(int value)
{
    const BodyRow* entry = bodyForMenuValue(value);
    if (!entry)
        return;  // not an entry of the menu
    // Stored first, so frames drawn while the box is open show the body.
    viewMode = entry->viewMode;
    if (entry->factCaption)
        showMessageBox(tr(entry->factCaption), tr(entry->factText));
    glutPostRedisplay();
}

void buildBodyMenu()
{
    glutCreateMenu(selectBody);
    // GLUT draws the menu in a bitmap font without Hangul: the labels are
    // Latin in every language.  Entries go in the order of their values.
    for (int value = 1; const BodyRow* entry = bodyForMenuValue(value); ++value)
        glutAddMenuEntry(trContext("body menu", entry->menuLabel), value);
}
