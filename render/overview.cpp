// The display callback: the common prologue, the overview of the whole
// system (view mode 10) or a close-up, and the end of the frame.
#include <GL/glut.h>

#include <cmath>
#include <numbers>

#include "app/date_view.h"
#include "app/viewer_state.h"
#include "render/render.h"

BodyAnchor bodyAnchors[BODY_ANCHOR_COUNT] = {};
void (*frameOverlay)() = nullptr;

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
void recordAnchor(int slot, float radius)
{
    if (!showNames)
        return;
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    bodyAnchors[slot] = {true, {m[12], m[13], m[14]}, radius};
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

enum Companion { NO_COMPANION, MOON, RING };

// One planet on its orbit about the z axis, turning about (1, 1, 1).  The
// signs of the distances alternate, so at angle 0 the planets lie on
// alternate sides of the sun.
struct Planet {
    int slot;
    const float* orbit;
    float distance;
    const float* spin;
    float radius;
    Companion companion;
};

const Planet planets[] = {
    {SLOT_MERCURY, &mercuryOrbit, 4.5f, &mercurySpin, 0.62f, NO_COMPANION},
    {SLOT_VENUS, &venusOrbit, -6.4f, &venusSpin, 0.9f, NO_COMPANION},
    {SLOT_EARTH, &earthOrbit, 9.6f, &earthSpin, 0.8f, MOON},
    {SLOT_MARS, &marsOrbit, -12.3f, &marsSpin, 0.64f, NO_COMPANION},
    {SLOT_JUPITER, &jupiterOrbit, 15.2f, &jupiterSpin, 1.5f, NO_COMPANION},
    {SLOT_SATURN, &saturnOrbit, -19.6f, &saturnSpin, 1.3f, RING},
    {SLOT_URANUS, &uranusOrbit, 22.2f, &uranusSpin, 1.1f, NO_COMPANION},
    {SLOT_NEPTUNE, &neptuneOrbit, -25.4f, &neptuneSpin, 1.0f, NO_COMPANION},
    {SLOT_PLUTO, &plutoOrbit, 28.6f, &plutoSpin, 0.9f, NO_COMPANION},
};

// The body the sky layer gives the position of, for a planet's slot.
SkyBody skyBodyOf(int slot)
{
    switch (slot) {
    case SLOT_MERCURY:
        return SKY_MERCURY;
    case SLOT_VENUS:
        return SKY_VENUS;
    case SLOT_EARTH:
        return SKY_EARTH;
    case SLOT_MARS:
        return SKY_MARS;
    case SLOT_JUPITER:
        return SKY_JUPITER;
    case SLOT_SATURN:
        return SKY_SATURN;
    case SLOT_URANUS:
        return SKY_URANUS;
    case SLOT_NEPTUNE:
        return SKY_NEPTUNE;
    default:
        return SKY_PLUTO;
    }
}

// The angle a planet's orbit is drawn at: the animation's, or in date mode
// the direction of the planet's true heliocentric longitude.  Rotations
// about +z turn counter-clockwise seen from +z, the ecliptic's north, and
// longitude 0 lies along +x.  A planet placed at a negative distance sits
// half a turn from its angle, so it is turned half a turn less.
float orbitAngle(const Planet& planet)
{
    if (!dateMode)
        return *planet.orbit;
    const double longitude = datePositions[skyBodyOf(planet.slot)].longitude;
    return static_cast<float>(planet.distance < 0 ? longitude - 180.0 : longitude);
}

// The Moon's angle about the Earth.  It is drawn inside the Earth's orbit
// rotation, so on screen its direction from the Earth is the two angles
// added: in date mode, its geocentric longitude less the Earth's angle.
float moonAngle(float earthAngle)
{
    if (!dateMode)
        return moonOrbit;
    return static_cast<float>(datePositions[SKY_MOON].longitude - earthAngle);
}

void drawPlanet(const Planet& planet)
{
    const float orbit = orbitAngle(planet);
    glPushMatrix();
    glRotatef(orbit, 0, 0, 1);
    if (showOrbits) {
        // After the orbit turn the planet sits on the x axis.
        const double r = std::fabs(planet.distance);
        drawOrbit(r, planet.distance < 0 ? std::numbers::pi : 0.0, std::asin(planet.radius * 1.3 / r));
    }
    glTranslatef(planet.distance, 0, 0);
    recordAnchor(planet.slot, planet.radius);
    if (planet.companion == MOON && showOrbits)
        drawOrbit(1.5, moonAngle(orbit) * std::numbers::pi / 180.0, std::asin(0.27 * 1.3 / 1.5));
    glPushMatrix();
    glRotatef(*planet.spin, 1, 1, 1);
    bindSlot(planet.slot);
    drawSphere(0, 0, 0, planet.radius, 30);
    glPopMatrix();
    if (planet.companion == MOON) {
        // The Moon circles Earth without a spin of its own.
        glRotatef(moonAngle(orbit), 0, 0, 1);
        glTranslatef(1.5f, 0, 0);
        recordAnchor(SLOT_MOON, 0.27f);
        bindSlot(SLOT_MOON);
        drawSphere(0, 0, 0, 0.27f, 30);
    } else if (planet.companion == RING) {
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

    glPushMatrix();
    recordAnchor(SLOT_SUN, 3);
    bindSlot(SLOT_SUN);
    glRotatef(sunSpin, 1, 1, 1);
    drawSphere(0, 0, 0, 3, 30);
    glPopMatrix();

    for (const Planet& planet : planets)
        drawPlanet(planet);

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
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glRotatef(viewRotX, 1, 0, 0);
    glRotatef(viewRotY, 0, 1, 0);
    if (viewMode >= 0 && viewMode <= 9) {
        drawCloseUpView(viewMode);
    } else {
        // 10, and anything the menu never stores, shows the whole system.
        drawOverview();
    }
}

void display()
{
    drawScene();
    if (frameOverlay)
        frameOverlay();
    glFlush();
    glutSwapBuffers();
}
