// The animation clock on the desktop: GLUT's idle callback takes one step
// of the core's clock (core/clock.h) and asks for a frame.
#include <GL/glut.h>

#include "app/controls.h"
#include "app/viewer.h"
#include "core/clock.h"

namespace {
// The core's hooks are the desktop's from the start: every part of the
// viewer that runs the clock links this file.
[[maybe_unused]] const bool hooksInstalled = (installDesktopHooks(), true);
}  // namespace

void animate()
{
    clockStep();
    glutPostRedisplay();
}

void setAnimateInstalled(bool on) { setAnimationClock(on); }

bool animateInstalled() { return animationClockOn(); }
