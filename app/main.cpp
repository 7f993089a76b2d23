// Entry point: options and language, quadric, window, callbacks, body menu,
// render state, main loop.
#include <GL/glut.h>

#include "app/controls.h"
#include "app/options.h"
#include "app/viewer.h"
#include "app/viewer_state.h"
#include "platform/i18n.h"
#include "platform/message_box.h"
#include "render/render.h"
#include "render/texture_set.h"

int main(int argc, char** argv)
{
    ViewerOptions options;
    if (const int status = parseOptions(argc, argv, options); status >= 0)
        return status;

    // The pictures need no window: they decode while it opens.
    startDecodingTextures();
    createCylinderQuadric();
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(900, 800);
    glutInitWindowPosition(0, 0);
    glutCreateWindow(tr("Solar System"));

    glutReshapeFunc(reshape);
    glutDisplayFunc(display);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutSpecialFunc(specialKey);
    glutKeyboardFunc(keyboard);

    glutCreateMenu(selectBody);
    // GLUT draws the menu in a bitmap font without Hangul: the labels are
    // Latin in every language.
    static constexpr const char* labels[] = {
        NC_("body menu", "Sun"),    NC_("body menu", "Mecury"),  NC_("body menu", "Venus"),
        NC_("body menu", "Earth"),  NC_("body menu", "Mars"),    NC_("body menu", "Jupiter"),
        NC_("body menu", "Saturn"), NC_("body menu", "Uranus"),  NC_("body menu", "Neptune"),
        NC_("body menu", "Pluto"),  NC_("body menu", "Kosmara"),
    };
    int value = 1;
    for (const char* label : labels)
        glutAddMenuEntry(trContext("body menu", label), value++);
    glutAttachMenu(GLUT_RIGHT_BUTTON);

    initRenderState();
    frameOverlay = drawOverlays;  // names, help, status: nothing until asked for

    // A fact box blocks the menu callback; keep the window painted meanwhile.
    // Only from here on: boxes shown while the textures load must not draw
    // (the loader relies on the texture it left bound).
    setMessageBoxRepaint(display);
    glutMainLoop();
    return 0;
}
