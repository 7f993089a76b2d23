// Close-ups of one body: a large sphere turning about the vertical axis,
// seen from a fixed camera inside it, with the spin axis drawn as a line.
#include <GL/glut.h>

#include "render/render.h"
#include "core/bodies.h"
#include "core/viewer_state.h"

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
    if (switchTexturing && !identificationPass)
        glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, textureIds[slot]);
    const BodyRow* body = bodyForSlot(slot);
    identifyBody(body ? bodyIndex(*body) : NO_BODY);
    drawSphere(0, 0, 0, 6, 30);
    identifyBody(NO_BODY);
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
    const BodyRow& moon = bodyTable[BODY_MOON];
    beginCloseUp();
    drawBody(slot, false);
    // The Moon orbits in the x-y plane outside the body's wall, so the
    // depth test hides it.
    glPushMatrix();
    glRotatef(*moon.orbit, 0, 0, 1);
    glTranslatef(8.5f, 0, 0);
    glBindTexture(GL_TEXTURE_2D, textureIds[moon.slot]);
    identifyBody(BODY_MOON);
    drawSphere(0, 0, 0, 1, 30);
    identifyBody(NO_BODY);
    glPopMatrix();
    endCloseUp();
}

void drawCloseUpWithRing()
{
    const BodyRow& saturn = bodyTable[BODY_SATURN];
    beginCloseUp();
    drawBody(saturn.slot, false);
    // The ring, 7.3 to 9 from the centre, also lies beyond the wall.
    glPushMatrix();
    glRotatef(*saturn.orbit, 0, 0, 1);
    glRotatef(45, 1, 0, 0);
    if (diskQuadric)
        gluDisk(diskQuadric, 7.3, 9, 40, 40);
    glPopMatrix();
    endCloseUp();
}

void drawCloseUpView(int mode)
{
    // The body table says which body a view mode shows and how.
    const BodyRow* body = bodyForViewMode(mode);
    if (!body)
        return;
    switch (body->closeUp) {
    case CLOSE_UP_ALONE:
        drawCloseUp(body->slot);
        break;
    case CLOSE_UP_WITH_MOON:
        drawCloseUpWithMoon(body->slot);
        break;
    case CLOSE_UP_WITH_RING:
        drawCloseUpWithRing();
        break;
    case NO_CLOSE_UP:
        break;
    }
}
