// The viewer's globals as the tests set them: the animation angles as a
// list, and every global back at its start value.  Header-only, for tests
// that link the viewer state (the viewer callbacks, the render fixture).
#pragma once

#include <array>

#include "core/viewer_state.h"

// The 22 animation angles, in the order the clock advances them.
inline std::array<float*, 22> animationAngles()
{
    return {&mercuryOrbit, &venusOrbit,  &earthOrbit,   &moonOrbit,  &marsOrbit, &jupiterOrbit,
            &saturnOrbit,  &uranusOrbit, &neptuneOrbit, &plutoOrbit, &ballSpin,  &bandSpin,
            &sunSpin,      &mercurySpin, &venusSpin,    &earthSpin,  &marsSpin,  &jupiterSpin,
            &saturnSpin,   &uranusSpin,  &neptuneSpin,  &plutoSpin};
}

// Puts every viewer global back to the value it has when the program starts.
inline void resetViewerState()
{
    viewMode = 10;
    animating = 1;
    lightingOn = 1;
    heading = 0.0f;
    eyeX = eyeZ = centerX = centerZ = 0.0f;
    viewRotX = viewRotY = 0.0f;
    mouseButton = 0;
    mouseState = -1;
    mouseLastX = mouseLastY = 0;
    for (float* angle : animationAngles())
        *angle = 0.0f;
    showHelp = showNames = showOrbits = false;
    timeRateExponent = 0;
    timeBackwards = false;
}
