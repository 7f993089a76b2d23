#include "core/clock.h"

#include <cmath>

#include "core/bodies.h"
#include "core/controls.h"
#include "core/viewer_state.h"

namespace {
// The signed rate of this step: a power of two, so that scaling an
// increment by it is exact and 1x forwards adds the increment itself.
double stepScale = 1.0;

// The sum is formed in double precision and rounded to float when stored.
inline void advance(float& angle, double step) { angle = static_cast<float>(angle + step * stepScale); }

bool clockOn = false;
}  // namespace

double timeRate() { return std::ldexp(1.0, timeRateExponent); }

void clockStep()
{
    stepScale = timeBackwards ? -timeRate() : timeRate();
    // Every orbit, the ball and the band, then every spin: the rates are
    // the body table's.
    for (const BodyRow& body : bodyTable)
        if (body.orbit)
            advance(*body.orbit, body.orbitRate);
    advance(ballSpin, 0.04);
    advance(bandSpin, 0.7);
    for (const BodyRow& body : bodyTable)
        if (body.spin)
            advance(*body.spin, body.spinRate);
}

void setAnimationClock(bool on)
{
    clockOn = on;
    if (platformHooks().setAnimating)
        platformHooks().setAnimating(on);
}

bool animationClockOn() { return clockOn; }
