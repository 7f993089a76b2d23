// Where the Sun's planets and the Moon are at an instant, from libnova:
// VSOP87 for the planets (the Earth included), the ELP 2000-82B lunar
// theory for the Moon, and Meeus's periodic terms for Pluto.  No series of
// our own: this layer picks libnova's functions, hands them the right time
// scale and puts their results in one shape.
//
// Frame: every position is referred to the mean ecliptic and equinox of
// J2000.0, the frame libnova's planetary and lunar theories give directly
// (its VSOP87 and Pluto results are J2000 heliocentric coordinates, and its
// lunar coordinates are referred to the inertial mean ecliptic of J2000),
// so no precession is applied.  Longitudes of date would exceed these by
// the precession since 2000, about 50.3" a year (0.36 degrees by 2026).
//
// Time: instants are Julian days in UTC; libnova's theories take
// terrestrial time (TT).  From 1972-01-01, when UTC took its leap seconds,
// TT = UTC + (TAI - UTC) + 32.184 s exactly, with TAI - UTC from the
// leap-second list of Debian's tzdata (/usr/share/zoneinfo/leap-seconds.list)
// or, on a system without it, from a built-in copy of its entries (see
// sky/leap_seconds.h).  After the list's last entry its last value holds: a
// leap second not yet announced cannot be known, and one missed moves the
// Moon by 0.00015 degrees.  Before 1972 TT comes from libnova's estimate of
// Delta T, the best there is for those years.  (libnova's Delta T runs on
// past 2009 by a formula that in the 2020s gives about a minute more than the
// true 69.184 s: 0.01 degrees of the Moon's motion.)
//
// GL-free and GLUT-free; nothing here keeps state between calls but the
// leap-second table, read once.  This header includes no libnova header,
// and the dates, the leap seconds and terrestrial time from 1972 on need no
// libnova either (sky/date.cpp, sky/leap_seconds.cpp: the target sky_time,
// which the core builds on, for the web page too); the positions and the
// Delta T estimate before 1972 are libnova's (sky/positions.cpp: sky).
#pragma once

#include <cstddef>

// The bodies, in the order a list of them is printed.
enum SkyBody {
    SKY_MERCURY,
    SKY_VENUS,
    SKY_EARTH,
    SKY_MOON,
    SKY_MARS,
    SKY_JUPITER,
    SKY_SATURN,
    SKY_URANUS,
    SKY_NEPTUNE,
    SKY_PLUTO,
};
constexpr int SKY_BODY_COUNT = 10;

// The body's English name ("Mercury" ... "Pluto"), or "" for another value.
const char* skyBodyName(int body);

// One body's position.  Planets: heliocentric ecliptic longitude and
// latitude in degrees, distance from the Sun in AU.  Moon: geocentric
// ecliptic longitude and latitude, distance from the Earth's centre in AU.
// Longitude is in [0, 360), latitude in [-90, 90].
struct SkyPosition {
    double longitude;
    double latitude;
    double distance;
    // True where the theory is used outside the span it was fitted to
    // (Pluto before 1885 or after 2099): a rough position only.
    bool approximate;
};

// The instants this layer accepts: 1800-01-01 00:00 to 2200-12-31 24:00 UTC.
extern const double SKY_FIRST_DAY;
extern const double SKY_LAST_DAY;

// Every body's position at the Julian day jdUtc (UTC), indexed by SkyBody.
// Instants outside [SKY_FIRST_DAY, SKY_LAST_DAY] are computed as well, but
// the theories lose accuracy there; callers refuse them first.
void skyPositions(double jdUtc, SkyPosition positions[SKY_BODY_COUNT]);

// TAI - UTC in seconds at the Julian day jdUtc (UTC): a whole number from
// 1972 on, the last one known after the leap-second table ends; NaN before
// 1972, when UTC had no whole-second offset.
double skyTaiMinusUtc(double jdUtc);

// The Julian ephemeris day (terrestrial time) of the Julian day jdUtc (UTC),
// the instant the theories are fed: from the leap-second table from 1972
// on, from libnova's Delta T before.
double skyTerrestrialTime(double jdUtc);
// The same without libnova: before 1972 the terrestrial time is
// beforeLeapSeconds(jdUtc), an estimate of Delta T the caller supplies (NaN
// when it is null).
double skyTerrestrialTimeWith(double jdUtc, double (*beforeLeapSeconds)(double jdUtc));

// A date of the calendar: the Gregorian from 1582-10-04 on, the Julian
// before, as libnova's ln_date.
struct SkyCalendarDate {
    int year;
    int month;  // 1..12
    int day;    // 1..31
    int hour;
    int minute;
    double second;
};

// The Julian day of a date and back, the arithmetic of libnova's
// ln_get_julian_day and ln_get_date to the last bit.
double skyJulianDay(const SkyCalendarDate& date);
SkyCalendarDate skyCalendarDate(double jd);

// The Julian day (UTC) of the system clock (no libnova).
double skyNow();

// What skyParseDate made of a text.
enum SkyDateStatus {
    SKY_DATE_OK,
    SKY_DATE_UNREADABLE,    // not one of the forms below, or no such day or time
    SKY_DATE_OUT_OF_RANGE,  // a real instant, but before 1800 or after 2200
};

// Reads an instant in UTC: "now", "YYYY-MM-DD", or "YYYY-MM-DD" followed by
// "T" or a space and "HH:MM" or "HH:MM:SS", with an optional "Z" after the
// time.  On SKY_DATE_OK *jdUtc is the Julian day; otherwise it is left
// alone.
SkyDateStatus skyParseDate(const char* text, double* jdUtc);

// Writes the instant as "YYYY-MM-DD HH:MM" (UTC, rounded to the minute)
// into out, which holds size bytes (17 are enough).
void skyFormatDate(double jdUtc, char* out, std::size_t size);
