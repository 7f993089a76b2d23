// Date mode on the desktop: the core's date mode (core/date_mode.h) with
// GLUT's idle callback running its clock.  --date starts the viewer in it.
#pragma once

#include "core/date_mode.h"

// The idle callback while the date clock runs: one step of the date clock
// (dateClockStep), then a redisplay.
void stepDateClock();
