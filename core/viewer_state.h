// The viewer's whole state: plain globals, initialised statically, read and
// written only on the thread that runs the front end's callbacks.  The layer
// below the renderers and the callbacks: it includes no GL, GLU, GLUT or GTK
// header and holds no OpenGL object (the desktop renderer's are in
// render/gl_handles.h).
#pragma once

#include "sky/sky.h"

// What display() draws: 10 is the overview, 0..9 the close-ups of the Sun,
// Mercury, Venus, Earth, Mars, Jupiter, Saturn, Uranus, Neptune and Pluto
// (the view modes of the body table, core/bodies.h).
extern int viewMode;
constexpr int OVERVIEW_VIEW_MODE = 10;
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

// Picture slots: the body table's pictures (the desktop renderer's
// textureIds, render/gl_handles.h, are indexed by them).
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

// Date mode's share: whether the overview shows the sky of an instant, and
// the positions of that instant.  Written only by the date mode
// (core/date_mode.cpp); read by the overview, which turns the longitudes
// into its orbit angles.  The animation angles are never touched.
// On while the overview shows the bodies at their true longitudes.
extern bool dateMode;
// The instant shown, a Julian day in UTC, and every body's position then.
extern double dateInstant;
extern SkyPosition datePositions[SKY_BODY_COUNT];
