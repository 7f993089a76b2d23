// Animation clock: every idle call advances each orbit and spin angle by a
// fixed step, times the rate the user chose, backwards if so chosen.  Angles
// grow without bound; OpenGL rotations don't mind.
#include <GL/glut.h>

#include <cmath>

#include "app/viewer.h"
#include "app/viewer_state.h"

namespace {
// The signed rate of this step: a power of two, so that scaling an
// increment by it is exact and 1x forwards adds the increment itself.
double stepScale = 1.0;

// The sum is formed in double precision and rounded to float when stored.
inline void advance(float& angle, double step) { angle = static_cast<float>(angle + step * stepScale); }
}  // namespace

double timeRate() { return std::ldexp(1.0, timeRateExponent); }

void animate()
{
    stepScale = timeBackwards ? -timeRate() : timeRate();
    advance(mercuryOrbit, 0.9);
    advance(venusOrbit, 0.7);
    advance(earthOrbit, 0.5);
    advance(moonOrbit, 0.75);
    advance(marsOrbit, 0.625);
    advance(jupiterOrbit, 0.65);
    advance(saturnOrbit, 0.6);
    advance(uranusOrbit, 0.55);
    advance(neptuneOrbit, 0.45);
    advance(plutoOrbit, 0.4);
    advance(ballSpin, 0.04);
    advance(bandSpin, 0.7);
    advance(sunSpin, 0.04);
    advance(mercurySpin, 0.0172);
    advance(venusSpin, 0.004);
    advance(earthSpin, 1.0);
    advance(marsSpin, 1.1);
    advance(jupiterSpin, 2.4);
    advance(saturnSpin, 2.24);
    advance(uranusSpin, 1.38);
    advance(neptuneSpin, 1.48);
    advance(plutoSpin, 0.15);
    glutPostRedisplay();
}

namespace {
bool animateIsInstalled = false;
}  // namespace

void setAnimateInstalled(bool on)
{
    glutIdleFunc(on ? animate : nullptr);
    animateIsInstalled = on;
}

bool animateInstalled() { return animateIsInstalled; }
