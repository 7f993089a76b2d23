// Positions of the planets and the Moon from libnova's theories.
#include "sky/sky.h"

#include <libnova/dynamical_time.h>
#include <libnova/earth.h>
#include <libnova/julian_day.h>
#include <libnova/jupiter.h>
#include <libnova/lunar.h>
#include <libnova/mars.h>
#include <libnova/mercury.h>
#include <libnova/neptune.h>
#include <libnova/pluto.h>
#include <libnova/saturn.h>
#include <libnova/uranus.h>
#include <libnova/venus.h>

#include <cmath>
#include <numbers>

namespace {

// The astronomical unit in kilometres (IAU 2012), for the Moon's distance,
// which libnova gives in kilometres.
constexpr double KM_PER_AU = 149597870.7;

// Pluto's periodic terms were fitted to 1885-2099.
constexpr double PLUTO_FIRST_YEAR = 1885;
constexpr double PLUTO_LAST_YEAR = 2099;

double degrees(double radians) { return radians * (180.0 / std::numbers::pi); }

// [0, 360): libnova leaves some longitudes (Pluto's) outside that range.
double normalised(double longitude)
{
    double l = std::fmod(longitude, 360.0);
    if (l < 0)
        l += 360.0;
    // fmod of a tiny negative value plus 360 rounds to 360 itself.
    return l >= 360.0 ? 0.0 : l;
}

using HelioFunction = void (*)(double, ln_helio_posn*);

SkyPosition heliocentric(HelioFunction theory, double jde)
{
    ln_helio_posn p;
    theory(jde, &p);
    return {normalised(p.L), p.B, p.R, false};
}

// The Moon from its rectangular geocentric coordinates (J2000 mean ecliptic,
// kilometres): longitude, latitude and distance all from one vector.
SkyPosition moon(double jde)
{
    ln_rect_posn r;
    ln_get_lunar_geo_posn(jde, &r, 0);
    const double planar = std::hypot(r.X, r.Y);
    return {normalised(degrees(std::atan2(r.Y, r.X))), degrees(std::atan2(r.Z, planar)),
            std::hypot(planar, r.Z) / KM_PER_AU, false};
}

double yearOf(double jdUtc)
{
    ln_date date;
    ln_get_date(jdUtc, &date);
    return date.years;
}

}  // namespace

const char* skyBodyName(int body)
{
    static const char* const names[SKY_BODY_COUNT] = {"Mercury", "Venus",  "Earth",  "Moon",    "Mars",
                                                      "Jupiter", "Saturn", "Uranus", "Neptune", "Pluto"};
    return body >= 0 && body < SKY_BODY_COUNT ? names[body] : "";
}

double skyTerrestrialTime(double jdUtc) { return skyTerrestrialTimeWith(jdUtc, ln_get_jde); }

void skyPositions(double jdUtc, SkyPosition positions[SKY_BODY_COUNT])
{
    // The theories run on terrestrial time.
    const double jde = skyTerrestrialTime(jdUtc);
    positions[SKY_MERCURY] = heliocentric(ln_get_mercury_helio_coords, jde);
    positions[SKY_VENUS] = heliocentric(ln_get_venus_helio_coords, jde);
    positions[SKY_EARTH] = heliocentric(ln_get_earth_helio_coords, jde);
    positions[SKY_MOON] = moon(jde);
    positions[SKY_MARS] = heliocentric(ln_get_mars_helio_coords, jde);
    positions[SKY_JUPITER] = heliocentric(ln_get_jupiter_helio_coords, jde);
    positions[SKY_SATURN] = heliocentric(ln_get_saturn_helio_coords, jde);
    positions[SKY_URANUS] = heliocentric(ln_get_uranus_helio_coords, jde);
    positions[SKY_NEPTUNE] = heliocentric(ln_get_neptune_helio_coords, jde);
    positions[SKY_PLUTO] = heliocentric(ln_get_pluto_helio_coords, jde);
    const double year = yearOf(jdUtc);
    positions[SKY_PLUTO].approximate = year < PLUTO_FIRST_YEAR || year > PLUTO_LAST_YEAR;
}
