// Date mode: the overview shows where the planets and the Moon truly are at
// an instant (their directions true, distances and sizes schematic), and a
// date clock of its own moves that instant.  The `d` key enters and leaves
// it; the front end may start the viewer in it.  The animation's angles,
// its flag and its clock are never touched: leaving date mode hands them
// back exactly as they were.  The positions come from the front end's
// skyPositions hook, the clock's running from its setDateClock hook
// (core/controls.h).
#pragma once

#include <string>

#include "core/bodies.h"
#include "core/viewer_state.h"

// The `d` key.  Entering: the instant is now the first time (or the start
// instant), afterwards the one shown when date mode was left; the date
// clock runs if it ran then.  Leaving: the animation's clock is put back as
// it was.  Requests a redisplay.
void toggleDateMode();

// Date mode from the start, at jdUtc, with the date clock stopped.  Calls
// no hook but skyPositions.
void beginDateModeAt(double jdUtc);

// Space in date mode: starts or stops the date clock.  Requests a redisplay.
void toggleDateClock();

// The left button in date mode, after the drag state is updated: a release
// within a few pixels of its press (a click, not a drag) starts or stops
// the date clock.
void dateModeClick(bool down, int x, int y);

// One step of the running date clock: moves the instant by the wall-clock
// time since the last step (a monotonic clock) times the rate, and stops
// the clock at either end of 1800-2200.
void dateClockStep();

// Days of sky per second of wall-clock time: 1 at 1x forwards, negative
// backwards.  The speed controls set it; read at every step.
extern double dateClockRate;
// Whether the date clock runs (its own flag, apart from `animating`).
extern bool dateClockRunning;

// The placement: the angle a planet's orbit is drawn at, the animation's
// or in date mode the direction of its true heliocentric longitude; and a
// moon's angle about its planet, drawn inside the planet's rotation.
float orbitAngle(const BodyRow& planet);
float moonAngle(const BodyRow& moon, float planetAngle);

// The status line for date mode: the instant in UTC, whether the clock runs
// and at what rate, and that distances and sizes are schematic.  Empty
// outside date mode.
std::string dateStatusText();
