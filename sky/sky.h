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
// terrestrial time, which this layer forms with libnova's own estimate of
// Delta T (in the 2020s about a minute above the observed value, which
// moves the Moon by 0.01 degrees and the planets by far less).
//
// GL-free and GLUT-free; nothing here keeps state between calls.
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

// The body's English name ("Mercury" ... "Moon"), or "" for another value.
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

// The Julian day (UTC) of the system clock.
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
