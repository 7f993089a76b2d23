// A real GLUT window (and OpenGL context) for the viewer's callbacks to act
// on, and what the callbacks asked of GLUT.
#pragma once

#include <functional>

#include "tests/support/viewer_globals.h"  // animationAngles, resetViewerState

// Opens a small window (initialising GLUT if needed) and removes any idle
// callback.
void openTestWindow();

// Whether fn asked GLUT for a redisplay.
bool redisplayRequestedBy(const std::function<void()>& fn);

// Whether the animation clock is GLUT's idle callback right now.
bool clockInstalled();
// GLUT's idle callback right now (null when none).
using IdleCallback = void (*)();
IdleCallback idleCallback();
