// Dates for a front end, in one header: reading and writing instants
// (skyParseDate, skyFormatDate), the calendar (skyJulianDay,
// skyCalendarDate), terrestrial time from UTC (skyTerrestrialTimeWith: the
// leap seconds from 1972, before that the caller's estimate of Delta T),
// all from the sky layer's libnova-free part (sky/sky.h, target sky_time);
// and date mode with its placement (core/date_mode.h).
#pragma once

#include "core/date_mode.h"
#include "sky/sky.h"
