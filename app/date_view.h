// Date mode's share of the viewer state: whether the overview shows the sky
// of an instant, and the positions of that instant.  Written only by the
// date mode (app/date_mode.cpp); read by the overview, which turns the
// longitudes into its orbit angles.  The animation angles are never touched.
#pragma once

#include "sky/sky.h"

// On while the overview shows the bodies at their true longitudes.
extern bool dateMode;
// The instant shown, a Julian day in UTC, and every body's position then.
extern double dateInstant;
extern SkyPosition datePositions[SKY_BODY_COUNT];
