// Date mode: the overview shows where the planets and the Moon truly are at
// an instant (their directions true, distances and sizes schematic), and a
// date clock of its own moves that instant.  The `d` key enters and leaves
// it; --date starts the viewer in it.  The animation's angles, its flag and
// its idle callback are never touched: leaving date mode hands them back
// exactly as they were.
#pragma once

#include <string>

#include "core/viewer_state.h"

// The `d` key.  Entering: the instant is now the first time (or the --date
// instant), afterwards the one shown when date mode was left; the date
// clock runs if it ran then.  Leaving: the animation's idle callback is put
// back as it was.  Requests a redisplay.
void toggleDateMode();

// --date: date mode from the start, at jdUtc, with the date clock stopped.
// Called before the window exists; makes no GLUT call.
void beginDateModeAt(double jdUtc);

// Space in date mode: starts or stops the date clock.  Requests a redisplay.
void toggleDateClock();

// The left button in date mode, after the drag state is updated: a release
// within a few pixels of its press (a click, not a drag) starts or stops
// the date clock.
void dateModeClick(int state, int x, int y);

// The idle callback while the date clock runs: moves the instant by the
// wall-clock time since the last call (a monotonic clock) times the rate,
// and stops the clock at either end of 1800-2200.
void stepDateClock();

// Days of sky per second of wall-clock time: 1 at 1x forwards, negative
// backwards.  The speed controls set it; read at every step.
extern double dateClockRate;
// Whether the date clock runs (its own flag, apart from `animating`).
extern bool dateClockRunning;

// The status line for date mode: the instant in UTC, whether the clock runs
// and at what rate, and that distances and sizes are schematic.  Empty
// outside date mode.
std::string dateStatusText();
