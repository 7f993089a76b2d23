// Positions of the planets and the Moon from libnova's theories.
#include "sky/sky.h"

#include "sky/leap_seconds.h"

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

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace {

// The astronomical unit in kilometres (IAU 2012), for the Moon's distance,
// which libnova gives in kilometres.
constexpr double KM_PER_AU = 149597870.7;

// Pluto's periodic terms were fitted to 1885-2099.
constexpr double PLUTO_FIRST_YEAR = 1885;
constexpr double PLUTO_LAST_YEAR = 2099;

// TT - TAI in seconds, fixed by definition.
constexpr double TT_MINUS_TAI = 32.184;

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

double julianDay(int year, int month, int day)
{
    ln_date date{year, month, day, 0, 0, 0.0};
    return ln_get_julian_day(&date);
}

}  // namespace

const double SKY_FIRST_DAY = julianDay(1800, 1, 1);
const double SKY_LAST_DAY = julianDay(2201, 1, 1);

const char* skyBodyName(int body)
{
    static const char* const names[SKY_BODY_COUNT] = {"Mercury", "Venus",  "Earth",  "Moon",    "Mars",
                                                      "Jupiter", "Saturn", "Uranus", "Neptune", "Pluto"};
    return body >= 0 && body < SKY_BODY_COUNT ? names[body] : "";
}

double skyTaiMinusUtc(double jdUtc)
{
    const std::vector<SkyLeapSecond>& table = skyLeapSeconds();
    if (table.empty() || jdUtc < table.front().jdUtc)
        return std::nan("");
    // The last entry at or before the instant; after the table's end its
    // last value holds.
    auto after = std::upper_bound(table.begin(), table.end(), jdUtc,
                                  [](double jd, const SkyLeapSecond& e) { return jd < e.jdUtc; });
    return (after - 1)->taiMinusUtc;
}

double skyTerrestrialTime(double jdUtc)
{
    const double taiMinusUtc = skyTaiMinusUtc(jdUtc);
    if (std::isnan(taiMinusUtc))
        return ln_get_jde(jdUtc);
    return jdUtc + (taiMinusUtc + TT_MINUS_TAI) / 86400.0;
}

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
