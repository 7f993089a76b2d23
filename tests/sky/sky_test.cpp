// Positions of a date: the sky layer against libnova's own functions, and
// against events an almanac lists; the date parser.
#include <gtest/gtest.h>
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
#include <ctime>
#include <string>
#include <vector>

#include "sky/leap_seconds.h"
#include "sky/sky.h"

namespace {

double at(const char* when)
{
    double jd = 0;
    EXPECT_EQ(skyParseDate(when, &jd), SKY_DATE_OK) << when;
    return jd;
}

// The signed difference a - b of two longitudes, in (-180, 180].
double angleBetween(double a, double b)
{
    double d = std::fmod(a - b, 360.0);
    if (d <= -180)
        d += 360;
    if (d > 180)
        d -= 360;
    return d;
}

struct Positions {
    SkyPosition p[SKY_BODY_COUNT];
    explicit Positions(double jd) { skyPositions(jd, p); }
    const SkyPosition& operator[](SkyBody body) const { return p[body]; }
};

// ---------------------------------------------------------------------------
// Against libnova itself: the layer adds nothing to the theories but the time
// scale (terrestrial time: from 1972 UTC plus its leap seconds plus 32.184 s,
// before that libnova's Delta T) and the [0, 360) range.

TEST(SkyPositions, AreLibnovasOwnTheories)
{
    using Theory = void (*)(double, ln_helio_posn*);
    const struct {
        SkyBody body;
        Theory theory;
    } planets[] = {
        {SKY_MERCURY, ln_get_mercury_helio_coords}, {SKY_VENUS, ln_get_venus_helio_coords},
        {SKY_EARTH, ln_get_earth_helio_coords},     {SKY_MARS, ln_get_mars_helio_coords},
        {SKY_JUPITER, ln_get_jupiter_helio_coords}, {SKY_SATURN, ln_get_saturn_helio_coords},
        {SKY_URANUS, ln_get_uranus_helio_coords},   {SKY_NEPTUNE, ln_get_neptune_helio_coords},
        {SKY_PLUTO, ln_get_pluto_helio_coords},
    };
    // TT - UTC in seconds, 0 where libnova's Delta T gives it: 32 leap
    // seconds in 2000, 37 since 2017 (and held after the list ends).
    const struct {
        const char* when;
        double ttMinusUtc;
    } instants[] = {{"1800-01-01", 0},
                    {"1950-06-15T06:00Z", 0},
                    {"2000-01-01 12:00", 64.184},
                    {"2026-12-08T21:30Z", 69.184},
                    {"2200-12-31 23:59", 69.184}};
    for (const auto& [when, ttMinusUtc] : instants) {
        SCOPED_TRACE(when);
        const double jd = at(when);
        const double jde = ttMinusUtc ? jd + ttMinusUtc / 86400.0 : ln_get_jde(jd);
        const Positions sky(jd);
        for (const auto& planet : planets) {
            SCOPED_TRACE(skyBodyName(planet.body));
            ln_helio_posn expected;
            planet.theory(jde, &expected);
            EXPECT_NEAR(angleBetween(sky[planet.body].longitude, expected.L), 0.0, 1e-9);
            EXPECT_DOUBLE_EQ(sky[planet.body].latitude, expected.B);
            EXPECT_DOUBLE_EQ(sky[planet.body].distance, expected.R);
        }
        // The Moon: libnova's ecliptic coordinates and its Earth-Moon
        // distance, which comes from a shorter series than the vector the
        // layer reads (they agree to a few kilometres).
        ln_lnlat_posn moon;
        ln_get_lunar_ecl_coords(jde, &moon, 0);
        EXPECT_NEAR(angleBetween(sky[SKY_MOON].longitude, moon.lng), 0.0, 1e-9);
        EXPECT_NEAR(sky[SKY_MOON].latitude, moon.lat, 1e-9);
        EXPECT_NEAR(sky[SKY_MOON].distance * 149597870.7, ln_get_lunar_earth_dist(jde), 20.0);
    }
}

TEST(SkyPositions, HaveLongitudesInRangeAndSensibleDistances)
{
    // Every 173 days from 1800 to 2200 (a step that walks through the
    // Moon's phases and the planets' years): ranges hold everywhere, Pluto's
    // theory included far outside its span.
    const struct {
        double min, max;
    } distance[SKY_BODY_COUNT] = {{0.30, 0.47}, {0.71, 0.73}, {0.98, 1.02}, {0.0023, 0.0028}, {1.38, 1.67},
                                  {4.9, 5.5},   {9.0, 10.1},  {18.2, 20.2}, {29.7, 30.4},     {29, 50}};
    for (double jd = SKY_FIRST_DAY; jd < SKY_LAST_DAY; jd += 173) {
        const Positions sky(jd);
        for (int body = 0; body < SKY_BODY_COUNT; ++body) {
            const SkyPosition& p = sky.p[body];
            ASSERT_GE(p.longitude, 0.0) << skyBodyName(body) << " at JD " << jd;
            ASSERT_LT(p.longitude, 360.0) << skyBodyName(body) << " at JD " << jd;
            ASSERT_LE(std::abs(p.latitude), 20.0) << skyBodyName(body) << " at JD " << jd;
            ASSERT_GE(p.distance, distance[body].min) << skyBodyName(body) << " at JD " << jd;
            ASSERT_LE(p.distance, distance[body].max) << skyBodyName(body) << " at JD " << jd;
        }
    }
}

TEST(SkyPositions, MarkPlutoApproximateOutsideItsTheorysYears)
{
    EXPECT_TRUE(Positions(at("1884-12-31T23:59Z"))[SKY_PLUTO].approximate);
    EXPECT_FALSE(Positions(at("1885-01-01"))[SKY_PLUTO].approximate);
    EXPECT_FALSE(Positions(at("2099-12-31T23:59Z"))[SKY_PLUTO].approximate);
    EXPECT_TRUE(Positions(at("2100-01-01"))[SKY_PLUTO].approximate);
    const Positions y1850(at("1850-01-01"));
    for (int body = 0; body < SKY_BODY_COUNT; ++body)
        EXPECT_EQ(y1850.p[body].approximate, body == SKY_PLUTO) << skyBodyName(body);
}

// ---------------------------------------------------------------------------
// The clock: UTC's leap seconds from 1972, libnova's Delta T before.

TEST(SkyClock, CountsTheLeapSecondsFrom1972AndHoldsTheLastAfterwards)
{
    const struct {
        const char* when;
        double taiMinusUtc;
    } steps[] = {
        {"1972-01-01", 10},           {"1972-06-30T23:59:59Z", 10}, {"1972-07-01", 11},           {"1999-01-01", 32},
        {"2008-12-31T23:59:59Z", 33}, {"2009-01-01", 34},           {"2016-12-31T23:59:59Z", 36}, {"2017-01-01", 37},
        {"2026-12-08", 37},           {"2200-12-31T23:59Z", 37},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.when);
        const double jd = at(step.when);
        EXPECT_EQ(skyTaiMinusUtc(jd), step.taiMinusUtc);
        EXPECT_NEAR((skyTerrestrialTime(jd) - jd) * 86400.0, step.taiMinusUtc + 32.184, 1e-4);
    }
    // Before 1972: libnova's Delta T, as before.
    for (const char* when : {"1800-01-01", "1900-06-01", "1971-12-31T23:59:59Z"}) {
        SCOPED_TRACE(when);
        EXPECT_TRUE(std::isnan(skyTaiMinusUtc(at(when))));
        EXPECT_EQ(skyTerrestrialTime(at(when)), ln_get_jde(at(when)));
    }
}

TEST(SkyClock, BuiltInLeapSecondsAreThoseOfTzdatasList)
{
    std::vector<SkyLeapSecond> file;
    if (!skyReadLeapSeconds(SKY_LEAP_SECONDS_FILE, &file))
        GTEST_SKIP() << SKY_LEAP_SECONDS_FILE << " is not there (Debian's tzdata installs it)";
    const std::vector<SkyLeapSecond>& builtIn = skyBuiltInLeapSeconds();
    // A newer list may add leap seconds; the ones built in must be its own.
    ASSERT_GE(file.size(), builtIn.size());
    for (size_t i = 0; i < builtIn.size(); ++i) {
        EXPECT_EQ(builtIn[i].jdUtc, file[i].jdUtc) << i;
        EXPECT_EQ(builtIn[i].taiMinusUtc, file[i].taiMinusUtc) << i;
    }
    EXPECT_EQ(skyLeapSeconds().size(), file.size());
    // The first is 1972-01-01 00:00 UTC.
    EXPECT_EQ(builtIn.front().jdUtc, at("1972-01-01"));
}

TEST(SkyClock, LeapSecondListsAreReadOrRefusedWhole)
{
    std::vector<SkyLeapSecond> t;
    // Comments of every kind, blank lines, tabs, CRLF, no final newline.
    ASSERT_TRUE(skyParseLeapSeconds("#\tcomment\n#$\t3960835200\n\n2272060800\t10\t# 1 Jan 1972\r\n"
                                    "  2287785600 11\n#@\t3991593600\n3692217600  37",
                                    &t));
    ASSERT_EQ(t.size(), 3u);
    EXPECT_EQ(t[0].jdUtc, at("1972-01-01"));
    EXPECT_EQ(t[1].taiMinusUtc, 11);
    EXPECT_EQ(t[2].jdUtc, at("2017-01-01"));
    EXPECT_EQ(t[2].taiMinusUtc, 37);
    // Anything else refuses the list, leaving nothing half read.
    for (const char* bad : {"", "# only comments\n", "2272060800\n", "2272060800 10 11\n", "2272060800 ten\n",
                            "-5 10\n", "2272060800 10\n2272060800 11\n", "2287785600 11\n2272060800 10\n",
                            "x2272060800 10\n", "99999999999999999999 10\n"}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(skyParseLeapSeconds(bad, &t));
        EXPECT_TRUE(t.empty());
    }
    EXPECT_FALSE(skyReadLeapSeconds("/nonexistent/leap-seconds.list", &t));
}

// ---------------------------------------------------------------------------
// Against an almanac.  Times are the published ones (UTC, to the minute);
// the tolerances allow for what separates the almanac's definition from
// equal geometric longitudes in the J2000 frame:
//  - almanacs use apparent places: the Sun is displaced by aberration
//    (20.5") and a planet by its light time (minutes of its motion);
//  - the event is given to the minute.
// Each is at most a few hundredths of a degree, far below the error a wrong
// frame (0.35 degrees of precession), a wrong body or a day's slip makes.

// Opposition: the planet's geocentric longitude is the Sun's plus 180
// degrees, so Sun, Earth and planet are in a line and the heliocentric
// longitudes of Earth and planet are equal.
TEST(SkyAlmanac, AtOppositionsOuterPlanetsShareTheEarthsLongitude)
{
    const struct {
        const char* when;
        SkyBody planet;
    } oppositions[] = {
        {"2020-10-13T23:20Z", SKY_MARS},    {"2022-12-08T05:42Z", SKY_MARS},   {"2025-01-16T02:38Z", SKY_MARS},
        {"2023-11-03T05:03Z", SKY_JUPITER}, {"2023-08-27T08:28Z", SKY_SATURN},
    };
    for (const auto& o : oppositions) {
        SCOPED_TRACE(std::string(skyBodyName(o.planet)) + " at " + o.when);
        const Positions sky(at(o.when));
        // Mars moves 0.46 degrees a day relative to the Earth; its light
        // time at opposition (3.5 to 5 minutes) and aberration stay under
        // 0.01 degrees.
        EXPECT_NEAR(angleBetween(sky[o.planet].longitude, sky[SKY_EARTH].longitude), 0.0, 0.02);
        EXPECT_GT(sky[o.planet].distance, sky[SKY_EARTH].distance);
    }
}

// Inferior conjunction: the planet passes between the Sun and the Earth,
// so again the heliocentric longitudes are equal.
TEST(SkyAlmanac, AtInferiorConjunctionsVenusAndMercuryShareTheEarthsLongitude)
{
    const struct {
        const char* when;
        SkyBody planet;
        double tolerance;
    } conjunctions[] = {
        // Venus gains 0.6 degrees a day on the Earth.
        {"2023-08-13T11:16Z", SKY_VENUS, 0.02},
        {"2025-03-23T01:08Z", SKY_VENUS, 0.02},
        // Mercury gains 3 to 5 degrees a day, and almanacs round its
        // conjunctions to the hour: 0.1 degrees is half an hour of it.
        {"2024-04-11T23:00Z", SKY_MERCURY, 0.1},
        {"2025-03-24T20:00Z", SKY_MERCURY, 0.1},
    };
    for (const auto& c : conjunctions) {
        SCOPED_TRACE(std::string(skyBodyName(c.planet)) + " at " + c.when);
        const Positions sky(at(c.when));
        EXPECT_NEAR(angleBetween(sky[c.planet].longitude, sky[SKY_EARTH].longitude), 0.0, c.tolerance);
        EXPECT_LT(sky[c.planet].distance, sky[SKY_EARTH].distance);
    }
}

// At the March equinox the Sun's apparent longitude of date is 0, so the
// Earth's heliocentric longitude of date is 180 degrees.  The layer gives
// J2000 longitudes, smaller by the general precession since 2000.0:
// 50.29 arcseconds a year (the IAU value; its change over a century is
// under 0.1%).  Aberration and nutation move the Sun's apparent place by
// at most 38 arcseconds (0.011 degrees), and the Earth moves 0.04 degrees
// an hour, 0.0007 in the minute the time is given to.
TEST(SkyAlmanac, AtMarchEquinoxesTheEarthIsAt180DegreesOfDate)
{
    const struct {
        const char* when;
        double year;
    } equinoxes[] = {
        {"2000-03-20T07:35Z", 2000.21},
        {"2024-03-20T03:06Z", 2024.21},
        {"2025-03-20T09:01Z", 2025.21},
        {"2026-03-20T14:46Z", 2026.21},
    };
    for (const auto& e : equinoxes) {
        SCOPED_TRACE(e.when);
        const double precession = 50.29 / 3600.0 * (e.year - 2000.0);
        const Positions sky(at(e.when));
        EXPECT_NEAR(angleBetween(sky[SKY_EARTH].longitude + precession, 180.0), 0.0, 0.02);
    }
    // About 179.65 in the J2000 frame in 2025.
    EXPECT_NEAR(Positions(at("2025-03-20T09:01Z"))[SKY_EARTH].longitude, 179.65, 0.02);
}

// At new moon the Moon's geocentric longitude equals the Sun's, which is
// the Earth's heliocentric longitude plus 180 degrees.  The Moon gains 0.5
// degrees an hour on the Sun: the minute of the time is 0.008 degrees,
// the Sun's aberration 0.006.
TEST(SkyAlmanac, AtNewMoonsTheMoonHasTheSunsLongitude)
{
    for (const char* when : {"2025-01-29T12:36Z", "2024-04-08T18:21Z", "2017-08-21T18:30Z", "2000-01-06T18:14Z"}) {
        SCOPED_TRACE(when);
        const Positions sky(at(when));
        EXPECT_NEAR(angleBetween(sky[SKY_MOON].longitude, sky[SKY_EARTH].longitude + 180.0), 0.0, 0.04);
    }
    // At full moon (2025-01-13 22:27 UTC) it stands opposite.
    const Positions full(at("2025-01-13T22:27Z"));
    EXPECT_NEAR(angleBetween(full[SKY_MOON].longitude, full[SKY_EARTH].longitude), 0.0, 0.04);
}

// ---------------------------------------------------------------------------
// The date parser.

TEST(SkyDates, ReadTheIsoFormsAsUtc)
{
    ln_date date{2026, 12, 8, 0, 0, 0};
    const double midnight = ln_get_julian_day(&date);
    EXPECT_DOUBLE_EQ(at("2026-12-08"), midnight);
    EXPECT_DOUBLE_EQ(at("2026-12-08T21:30Z"), midnight + 21.5 / 24);
    EXPECT_DOUBLE_EQ(at("2026-12-08 21:30"), midnight + 21.5 / 24);
    EXPECT_DOUBLE_EQ(at("2026-12-08T21:30"), midnight + 21.5 / 24);
    EXPECT_DOUBLE_EQ(at("2026-12-08 21:30:36Z"), midnight + (21.5 + 0.01) / 24);
    EXPECT_DOUBLE_EQ(at("2024-02-29"), at("2024-03-01") - 1);
    EXPECT_DOUBLE_EQ(at("2000-02-29T23:59:59Z"), at("2000-03-01") - 1.0 / 86400);
}

TEST(SkyDates, NowIsTheSystemClock)
{
    double jd = 0;
    ASSERT_EQ(skyParseDate("now", &jd), SKY_DATE_OK);
    const double unixEpoch = 2440587.5;
    EXPECT_NEAR(jd, unixEpoch + std::time(nullptr) / 86400.0, 5.0 / 86400);
    EXPECT_NEAR(skyNow(), jd, 5.0 / 86400);
}

TEST(SkyDates, RefuseWhatIsNotAnInstant)
{
    for (const char* text : {"",
                             "tomorrow",
                             "NOW",
                             "2026-12-8",
                             "26-12-08",
                             "2026/12/08",
                             "2026-13-01",
                             "2026-00-10",
                             "2026-02-29",
                             "2026-04-31",
                             "2026-12-00",
                             "2026-12-08T24:00Z",
                             "2026-12-08T21:60Z",
                             "2026-12-08T21:30:60Z",
                             "2026-12-08T21Z",
                             "2026-12-08T21:30+02:00",
                             "2026-12-08 21:30 ",
                             " 2026-12-08",
                             "2026-12-08x",
                             "2026-12-08T",
                             "2026-12-08T21:3",
                             "1900-02-29"}) {
        double jd = 42;
        EXPECT_EQ(skyParseDate(text, &jd), SKY_DATE_UNREADABLE) << '"' << text << '"';
        EXPECT_EQ(jd, 42) << '"' << text << '"';
    }
    double jd = 42;
    EXPECT_EQ(skyParseDate(nullptr, &jd), SKY_DATE_UNREADABLE);
}

TEST(SkyDates, AcceptTheYears1800To2200Only)
{
    double jd = 42;
    for (const char* text : {"1799-12-31T23:59Z", "2201-01-01", "0001-01-01", "9999-12-31"}) {
        EXPECT_EQ(skyParseDate(text, &jd), SKY_DATE_OUT_OF_RANGE) << text;
        EXPECT_EQ(jd, 42);
    }
    EXPECT_EQ(skyParseDate("1800-01-01", &jd), SKY_DATE_OK);
    EXPECT_EQ(jd, SKY_FIRST_DAY);
    EXPECT_EQ(skyParseDate("2200-12-31T23:59:59Z", &jd), SKY_DATE_OK);
}

TEST(SkyDates, FormatToTheMinuteInUtc)
{
    char text[32];
    for (const char* when : {"2026-12-08 21:30", "1800-01-01 00:00", "2200-12-31 23:59", "2024-02-29 12:05"}) {
        skyFormatDate(at(when), text, sizeof text);
        EXPECT_STREQ(text, when);
    }
    // Rounded to the nearest minute, never to minute 60.
    skyFormatDate(at("2026-12-08T21:29:59Z"), text, sizeof text);
    EXPECT_STREQ(text, "2026-12-08 21:30");
    skyFormatDate(at("2026-12-31T23:59:45Z"), text, sizeof text);
    EXPECT_STREQ(text, "2027-01-01 00:00");
    // A short buffer gets a terminated prefix.
    char shortText[5];
    skyFormatDate(at("2026-12-08"), shortText, sizeof shortText);
    EXPECT_STREQ(shortText, "2026");
}

}  // namespace
