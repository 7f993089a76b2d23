// The display callback: the common prologue, the overview of the whole
// system (view mode 10) or a close-up, and the end of the frame.
#include <GL/glut.h>

#include <cmath>
#include <numbers>

#include "render/render.h"
#include "core/bodies.h"
#include "core/date_mode.h"
#include "core/viewer_state.h"

BodyAnchor bodyAnchors[BODY_ANCHOR_COUNT] = {};
void (*frameOverlay)() = nullptr;
bool identificationPass = false;

void identifyBody(int body)
{
    if (!identificationPass)
        return;
    const IdentificationColour c = body == NO_BODY ? IdentificationColour{0, 0, 0} : identificationColour(body);
    glColor3ub(c.r, c.g, c.b);
}

namespace {

inline void bindSlot(int slot) { glBindTexture(GL_TEXTURE_2D, textureIds[slot]); }

// GLU draws nothing sensible with a null quadric (gluNewQuadric fails only
// when memory runs out); skip the shape instead of crashing.
inline void cylinder(double base, double top, double height, int slices, int stacks)
{
    if (cylinderQuadric)
        gluCylinder(cylinderQuadric, base, top, height, slices, stacks);
}

// Two truncated cones meeting at their wide ends, spinning about a tilted
// axis above the sun.
void drawBand()
{
    glPushMatrix();
    bindSlot(SLOT_B3);
    glRotatef(bandSpin, 10, -90, -120);
    glPushMatrix();
    glScalef(0.2f, 0.2f, 0.2f);
    glTranslatef(80, 90, 0);
    glRotatef(120, 1, -1, 0);
    glPushMatrix();
    glTranslatef(0, 3, 0);
    glRotatef(90, 1, 0, 0);
    cylinder(10, 15, 3, 50, 10);
    glPopMatrix();
    glPushMatrix();
    glRotatef(90, 1, 0, 0);
    cylinder(15, 10, 3, 50, 10);
    glPopMatrix();
    glPopMatrix();
    glPopMatrix();
}

// A hip and a leg pointing down, or a shoulder and an arm hanging outward.
void drawLeg(float x)
{
    glPushMatrix();
    glTranslatef(x, -9.5f, 0);
    glutSolidSphere(2, 10, 10);
    glTranslatef(0, -1.5f, 0);
    glRotatef(90, 1, 0, 0);
    cylinder(2, 2, 16, 12, 10);
    glPopMatrix();
}

void drawArm(float angle, float x)
{
    glPushMatrix();
    glRotatef(angle, 0, 0, 1);
    glTranslatef(x, 3, 0);
    glutSolidSphere(2, 10, 10);
    glRotatef(90, 1, 0, 0);
    cylinder(2, 2, 15, 12, 10);
    glPopMatrix();
}

// The small person standing on top of the sun; its colour stays current.
void drawFigure()
{
    glPushMatrix();
    glColor3f(0.98f, 0.04f, 0.7f);
    identifyBody(NO_BODY);
    glScalef(0.03f, 0.03f, 0.03f);

    glPushMatrix();
    bindSlot(SLOT_PERSONFACE);
    glTranslatef(0, 152, 0);
    glutSolidSphere(10, 10, 10);
    glPopMatrix();

    glPushMatrix();
    glTranslatef(0, 130, 0);

    glPushMatrix();
    bindSlot(SLOT_PERSONBODY);
    glTranslatef(0, 1, 0);
    glScalef(1, 1.5f, 0.8f);
    glutSolidCube(12);
    glPopMatrix();

    glPushMatrix();
    bindSlot(SLOT_PERSONJEAN);
    drawLeg(3);
    drawLeg(-3);
    glPopMatrix();

    glPushMatrix();
    bindSlot(SLOT_PERSONFACE);
    drawArm(30, 11);
    drawArm(-30, -11);
    glPopMatrix();

    glPopMatrix();
    glPopMatrix();
}

// Notes where the current matrix puts a body's centre, for its name.
void recordAnchor(int body, float radius)
{
    if (!showNames)
        return;
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    bodyAnchors[body] = {true, {m[12], m[13], m[14]}, radius};
}

// A thin circle of the given radius about the current origin in the plane
// z = 0, untextured and unlit, leaving out the arc within gapHalfWidth
// (radians) of the angle gapAt, where the body sits: the near half of a
// sphere is culled, so a line through the body would show across it.  The
// state it touches is restored.
void drawOrbit(double radius, double gapAt, double gapHalfWidth)
{
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_LINE_BIT);
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_LIGHTING);
    // Opaque: the sky is drawn after the planets, so there is nothing yet
    // to blend with.
    glLineWidth(1.0f);
    glColor3f(0.45f, 0.55f, 0.75f);
    identifyBody(NO_BODY);
    constexpr int segments = 256;
    constexpr double twoPi = 2.0 * std::numbers::pi;
    const double span = twoPi - 2.0 * gapHalfWidth;
    glBegin(GL_LINE_STRIP);
    for (int i = 0; i <= segments; ++i) {
        const double a = gapAt + gapHalfWidth + span * i / segments;
        glVertex3f(static_cast<float>(radius * std::cos(a)), static_cast<float>(radius * std::sin(a)), 0.0f);
    }
    glEnd();
    glPopAttrib();
}

// A body's orbit line about the current origin, with the gap round the
// body (which sits at the angle gapAt, in radians) a little wider than the
// body.
void drawOrbitLine(const BodyRow& body, double gapAt)
{
    const double r = std::fabs(body.distance);
    drawOrbit(r, gapAt, std::asin(body.radius * 1.3 / r));
}

// The sun at the origin, turning about (1, 1, 1).
void drawSun(const BodyRow& sun)
{
    glPushMatrix();
    recordAnchor(bodyIndex(sun), static_cast<float>(sun.radius));
    bindSlot(sun.slot);
    glRotatef(*sun.spin, 1, 1, 1);
    identifyBody(bodyIndex(sun));
    drawSphere(0, 0, 0, static_cast<float>(sun.radius), sun.slices);
    identifyBody(NO_BODY);
    glPopMatrix();
}

// One planet on its orbit about the z axis, turning about (1, 1, 1), with
// the body circling it (the Moon, without a spin of its own) or its ring.
void drawPlanet(const BodyRow& planet)
{
    const BodyRow* moon = companionOf(bodyIndex(planet));
    const float orbit = orbitAngle(planet);
    glPushMatrix();
    glRotatef(orbit, 0, 0, 1);
    // After the orbit turn the planet sits on the x axis.
    if (showOrbits && planet.orbitLine)
        drawOrbitLine(planet, planet.distance < 0 ? std::numbers::pi : 0.0);
    glTranslatef(planet.distance, 0, 0);
    recordAnchor(bodyIndex(planet), static_cast<float>(planet.radius));
    if (moon && showOrbits && moon->orbitLine)
        drawOrbitLine(*moon, moonAngle(*moon, orbit) * std::numbers::pi / 180.0);
    glPushMatrix();
    glRotatef(*planet.spin, 1, 1, 1);
    bindSlot(planet.slot);
    identifyBody(bodyIndex(planet));
    drawSphere(0, 0, 0, static_cast<float>(planet.radius), planet.slices);
    identifyBody(NO_BODY);
    glPopMatrix();
    // Both are drawn at the planet's matrix without a push of their own: a
    // planet with a moon and a ring would need one round the moon.
    if (moon) {
        glRotatef(moonAngle(*moon, orbit), 0, 0, 1);
        glTranslatef(moon->distance, 0, 0);
        recordAnchor(bodyIndex(*moon), static_cast<float>(moon->radius));
        bindSlot(moon->slot);
        identifyBody(bodyIndex(*moon));
        drawSphere(0, 0, 0, static_cast<float>(moon->radius), moon->slices);
        identifyBody(NO_BODY);
    } else if (planet.ring) {
        // The ring turns by Saturn's orbit angle once more (in date mode the
        // date's, so ring and planet stay together), then tilts 45 degrees;
        // it keeps Saturn's texture at the last texture coordinate issued.
        glRotatef(orbit, 0, 0, 1);
        glRotatef(45, 1, 0, 0);
        if (diskQuadric)
            gluDisk(diskQuadric, 1.3, 2.0, 40, 40);
    }
    glPopMatrix();
}

// The cube of space round the scene; every face winds counter-clockwise
// seen from inside, so culling keeps the inner sides.
void drawSkyCube()
{
    const float s = skyHalfSize;
    // Faces x = -S, z = -S, y = S, y = -S, x = S, z = S.
    static const float corners[6][4][3] = {
        {{-1, -1, 1}, {-1, -1, -1}, {-1, 1, -1}, {-1, 1, 1}}, {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1}},
        {{-1, 1, -1}, {1, 1, -1}, {1, 1, 1}, {-1, 1, 1}},     {{-1, -1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, -1, -1}},
        {{1, -1, 1}, {1, 1, 1}, {1, 1, -1}, {1, -1, -1}},     {{-1, -1, 1}, {-1, 1, 1}, {1, 1, 1}, {1, -1, 1}},
    };
    static const float texCoords[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glBindTexture(GL_TEXTURE_2D, SKY_TEXTURE);
    glBegin(GL_QUADS);
    for (const auto& face : corners) {
        for (int v = 0; v < 4; ++v) {
            glTexCoord2f(texCoords[v][0], texCoords[v][1]);
            glVertex3f(face[v][0] * s, face[v][1] * s, face[v][2] * s);
        }
    }
    glEnd();
}

void drawOverview()
{
    glColor3f(0.75f, 0.75f, 0.75f);
    identifyBody(NO_BODY);
    glPushMatrix();
    // After the prologue's rotations: dragging turns the scene in eye space.
    gluLookAt(eyeX, 0, eyeZ, centerX, 0, centerZ, 0, 1, 0);

    drawBand();
    drawFigure();

    glPushMatrix();
    bindSlot(SLOT_BBB);
    glRotatef(ballSpin, -25, -24, 0);
    drawSphere(-25, -24, 0, 3, 20);
    glPopMatrix();

    // The sun first, then the planets in the table's order; moons are drawn
    // with their planets.
    for (const BodyRow& body : bodyTable)
        if (body.isBody && body.centre == NO_BODY)
            drawSun(body);
    for (const BodyRow& body : bodyTable)
        if (body.isBody && body.centre == BODY_SUN)
            drawPlanet(body);

    drawSkyCube();
    glPopMatrix();
}

}  // namespace

void drawScene()
{
    for (BodyAnchor& anchor : bodyAnchors)
        anchor.drawn = false;
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glEnable(GL_TEXTURE_2D);
    if (identificationPass) {
        glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_LIGHTING);
        glDisable(GL_BLEND);
        identifyBody(NO_BODY);
    }
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glRotatef(viewRotX, 1, 0, 0);
    glRotatef(viewRotY, 0, 1, 0);
    const BodyRow* shown = bodyForViewMode(viewMode);
    if (shown && shown->closeUp != NO_CLOSE_UP) {
        drawCloseUpView(viewMode);
    } else {
        // 10, and anything the menu never stores, shows the whole system.
        drawOverview();
    }
    if (identificationPass)
        glPopAttrib();
}

void display()
{
    drawScene();
    if (frameOverlay)
        frameOverlay();
    glFlush();
    glutSwapBuffers();
}
