// The viewer's whole state: plain globals, initialised statically, read and
// written only on the thread that runs the GLUT callbacks.
#pragma once

#include <GL/glu.h>
#include <cstdint>

// What display() draws: 10 is the overview, 0..9 the close-ups of the Sun,
// Mercury, Venus, Earth, Mars, Jupiter, Saturn, Uranus, Neptune and Pluto.
extern int viewMode;
// The user's wish that the animation run (toggled by the space bar).
extern bool animating;
// Whether GL_LIGHTING is enabled (0 or 1).
extern int lightingOn;

// What the user switched on beyond the plain scene; all off at start.
extern bool showHelp;    // the panel listing every control
extern bool showNames;   // each body's name beside it, or the close-up's title
extern bool showOrbits;  // a thin circle along each body's path
// Speed of the animation: each step adds 2^timeRateExponent times every
// increment (MIN..MAX, 0 at start), subtracting it while timeBackwards.
constexpr int TIME_RATE_EXPONENT_MIN = -4;  // 1/16x
constexpr int TIME_RATE_EXPONENT_MAX = 6;   // 64x
extern int timeRateExponent;
extern bool timeBackwards;

// Walk camera: heading in radians, positions in world units (y is always 0).
extern float heading;
extern float turnStep;
extern float moveStep;
extern float eyeX;
extern float eyeZ;
extern float centerX;
extern float centerZ;

// Mouse drag: whole-scene rotation in degrees and the last handled event.
extern float viewRotX;
extern float viewRotY;
extern int mouseButton;
extern int mouseState;
extern int mouseLastX;
extern int mouseLastY;

// Animation angles in degrees; grown by the clock, never reduced modulo 360.
extern float mercuryOrbit;
extern float venusOrbit;
extern float earthOrbit;
extern float moonOrbit;
extern float marsOrbit;
extern float jupiterOrbit;
extern float saturnOrbit;
extern float uranusOrbit;
extern float neptuneOrbit;
extern float plutoOrbit;
extern float sunSpin;
extern float mercurySpin;
extern float venusSpin;
extern float earthSpin;
extern float marsSpin;
extern float jupiterSpin;
extern float saturnSpin;
extern float uranusSpin;
extern float neptuneSpin;
extern float plutoSpin;
extern float ballSpin;
extern float bandSpin;

// Half the edge of the sky cube, in world units.
extern float skyHalfSize;

// GLU quadrics: cylinders of the overview, and the flat rings.
extern GLUquadric* cylinderQuadric;
extern GLUquadric* diskQuadric;
// Creates cylinderQuadric (filled); called once, before the window opens.
void createCylinderQuadric();

// Picture slots, the index into textureIds.
enum TextureSlot {
    SLOT_SUN = 0,
    SLOT_MERCURY = 1,
    SLOT_VENUS = 2,
    SLOT_EARTH = 3,
    SLOT_MOON = 4,
    SLOT_MARS = 5,
    SLOT_JUPITER = 6,
    SLOT_SATURN = 7,
    SLOT_URANUS = 8,
    SLOT_NEPTUNE = 9,
    SLOT_PLUTO = 10,
    SLOT_C = 11,
    SLOT_BBB = 12,
    SLOT_PERSONFACE = 13,
    SLOT_PERSONBODY = 14,
    SLOT_PERSONJEAN = 15,
    SLOT_B3 = 16,
};
constexpr int TEXTURE_SLOT_COUNT = 17;

// OpenGL texture names generated for the slots at start-up (0 until then).
extern std::uint32_t textureIds[TEXTURE_SLOT_COUNT];

// The literal texture name of the sky picture; never generated.
constexpr GLuint SKY_TEXTURE = 18;
