// Close-ups of one body: a large sphere turning about the vertical axis,
// seen from a fixed camera inside it, with the spin axis drawn as a line.
#include <GL/glut.h>

#include "app/viewer_state.h"
#include "render/render.h"

namespace {

// The frame all close-ups share, from the identity up to the camera: it
// drops the whole-scene drag rotations of the prologue.
void beginCloseUp()
{
    glLoadIdentity();
    glPushMatrix();
    gluLookAt(0, 0, -5, 0, 0, 0, 0, 1, 0);
}

// The body: radius 6 round an eye 5 from its centre, so the eye is inside
// and the inner surface fills the view.
void drawBody(int slot, bool switchTexturing)
{
    glPushMatrix();
    glRotatef(earthSpin, 0, 1, 0);
    if (switchTexturing)
        glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureIds[slot]);
    drawSphere(0, 0, 0, 6, 30);
    if (switchTexturing)
        glDisable(GL_TEXTURE_2D);
    glPopMatrix();
}

// The spin axis, 110 long, then back to the identity.
void endCloseUp()
{
    glBegin(GL_LINES);
    glVertex3d(0, -55, 0);
    glVertex3d(0, 55, 0);
    glEnd();
    glPopMatrix();
}

}  // namespace

void drawCloseUp(int slot)
{
    if (slot < 0 || slot >= TEXTURE_SLOT_COUNT)
        return;
    beginCloseUp();
    drawBody(slot, true);
    endCloseUp();
}

void drawCloseUpWithMoon(int slot)
{
    if (slot < 0 || slot >= TEXTURE_SLOT_COUNT)
        return;
    beginCloseUp();
    drawBody(slot, false);
    // The Moon orbits in the x-y plane outside the body's wall, so the
    // depth test hides it.
    glPushMatrix();
    glRotatef(moonOrbit, 0, 0, 1);
    glTranslatef(8.5f, 0, 0);
    glBindTexture(GL_TEXTURE_2D, textureIds[SLOT_MOON]);
    drawSphere(0, 0, 0, 1, 30);
    glPopMatrix();
    endCloseUp();
}

void drawCloseUpWithRing()
{
    beginCloseUp();
    drawBody(SLOT_SATURN, false);
    // The ring, 7.3 to 9 from the centre, also lies beyond the wall.
    glPushMatrix();
    glRotatef(saturnOrbit, 0, 0, 1);
    glRotatef(45, 1, 0, 0);
    if (diskQuadric)
        gluDisk(diskQuadric, 7.3, 9, 40, 40);
    glPopMatrix();
    endCloseUp();
}

void drawCloseUpView(int mode)
{
    // The Moon has no close-up of its own: from Mars on, the slot is the
    // view mode plus one.
    switch (mode) {
    case 3:
        drawCloseUpWithMoon(SLOT_EARTH);
        break;
    case 6:
        drawCloseUpWithRing();
        break;
    default:
        if (mode >= 0 && mode <= 9)
            drawCloseUp(mode < 4 ? mode : mode + 1);
        break;
    }
}
