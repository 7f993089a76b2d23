// Entry point: options and language, quadric, window, callbacks, body menu,
// render state, main loop.
#include <GL/glut.h>

#include "app/options.h"
#include "app/controls.h"
#include "app/overlay.h"
#include "app/viewer.h"
#include "core/i18n.h"
#include "platform/message_box.h"
#include "render/render.h"
#include "render/texture_set.h"
#include "core/viewer_state.h"

int main(int argc, char** argv)
{
    // The core asks GLUT, GTK and the sky layer through these; --date needs
    // them already.
    installDesktopHooks();
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

    buildBodyMenu();
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
