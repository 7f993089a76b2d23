// The fixed OpenGL state every frame is drawn under, set once at start-up
// with the window's context current; and the overview's cylinder quadric,
// made before the window opens.
#include <GL/glu.h>

#include "render/render.h"
#include "render/texture_set.h"
#include "core/viewer_state.h"

void createCylinderQuadric()
{
    cylinderQuadric = gluNewQuadric();
    gluQuadricDrawStyle(cylinderQuadric, GLU_FILL);
}

bool initRenderState()
{
    diskQuadric = gluNewQuadric();
    // Slot textures and the sky; also switches on culling, lighting and
    // texturing and leaves the sky texture bound.
    loadTextures();

    glClearColor(0, 0, 0, 0);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glEnable(GL_NORMALIZE);
    glShadeModel(GL_SMOOTH);
    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_COLOR_MATERIAL);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);

    // Saturn's rings: smooth outward normals, no generated texture
    // coordinates (they take the texture coordinate last issued).
    if (diskQuadric) {
        gluQuadricNormals(diskQuadric, GLU_SMOOTH);
        gluQuadricOrientation(diskQuadric, GLU_OUTSIDE);
        gluQuadricTexture(diskQuadric, GL_FALSE);
    }

    glEnable(GL_LIGHTING);
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHT1);

    // Runs while the sky texture is still bound: its first parameter calls
    // act on that texture.
    compileTextureLists();

    glEnable(GL_TEXTURE_2D);
    return true;
}
