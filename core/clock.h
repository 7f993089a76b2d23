// The animation clock: each step advances every orbit and spin angle by a
// fixed increment times the rate the user chose, backwards if so chosen.
// Angles grow without bound; rotations don't mind.  Whether the clock runs
// is the front end's to arrange (the desktop installs an idle callback, the
// web program steps once a displayed frame); the core keeps only the flag.
#pragma once

// One step: every orbit of the body table, the ball, the band, then every
// spin, each by its rate times timeRate() (negated while timeBackwards).
void clockStep();

// The chosen rate, 2^timeRateExponent (1/16 to 64).
double timeRate();

// Whether the animation clock steps, as the front end was last told through
// PlatformHooks::setAnimating (core/controls.h): setAnimationClock records
// it and calls that hook.  Date mode takes the clock over and hands it back
// exactly as it found it.
void setAnimationClock(bool on);
bool animationClockOn();
