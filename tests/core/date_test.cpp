// The sky layer's libnova-free calendar and time scale, which the core
// builds on for the web page too, against libnova's own functions over a
// wide grid of dates and times: every Julian day equal to the last bit.
#include <gtest/gtest.h>
#include <libnova/dynamical_time.h>
#include <libnova/julian_day.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "sky/sky.h"

namespace {

const int LAST_DAY[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

TEST(CoreCalendar, JulianDaysAreLibnovasToTheLastBit)
{
    // Julian and Gregorian years, the switch of 1582, leap years and
    // centuries; months' first, middle and last days; times round the day.
    const int hours[] = {0, 1, 11, 12, 13, 23};
    const int minutes[] = {0, 1, 29, 30, 59};
    const double seconds[] = {0, 1, 29, 30, 59, 59.5};
    int compared = 0;
    for (int year = 1000; year <= 3000; year += year < 1500 || year > 2400 ? 97 : 1) {
        for (int month = 1; month <= 12; ++month) {
            for (int day : {1, 4, 5, 14, 15, 28, LAST_DAY[month - 1]}) {
                for (int h : hours)
                    for (int m : minutes)
                        for (double s : seconds) {
                            if (year % 13 != 0 && !(h == 12 && m == 30))
                                continue;  // the full time grid in every thirteenth year
                            ln_date theirs{year, month, day, h, m, s};
                            const double expected = ln_get_julian_day(&theirs);
                            const double ours = skyJulianDay({year, month, day, h, m, s});
                            ASSERT_EQ(std::memcmp(&ours, &expected, sizeof ours), 0)
                                << year << '-' << month << '-' << day << ' ' << h << ':' << m << ':' << s << ": "
                                << ours << " vs " << expected;
                            ++compared;
                        }
            }
        }
    }
    EXPECT_GT(compared, 100000);
}

TEST(CoreCalendar, DatesOfJulianDaysAreLibnovas)
{
    // Whole days, halves, and fractions that fall on awkward binary values,
    // across the Julian-Gregorian switch and the years the viewer serves.
    for (double jd = 2000000.5; jd < 2600000; jd += 37.0137) {
        for (double fraction : {0.0, 0.25, 0.4999999, 0.5, 0.75, 0.999999, 1.0 / 3}) {
            const double at = std::floor(jd) + fraction;
            ln_date theirs;
            ln_get_date(at, &theirs);
            const SkyCalendarDate ours = skyCalendarDate(at);
            ASSERT_EQ(ours.year, theirs.years) << at;
            ASSERT_EQ(ours.month, theirs.months) << at;
            ASSERT_EQ(ours.day, theirs.days) << at;
            ASSERT_EQ(ours.hour, theirs.hours) << at;
            ASSERT_EQ(ours.minute, theirs.minutes) << at;
            ASSERT_EQ(ours.second, theirs.seconds) << at;
        }
    }
}

TEST(CoreCalendar, ParsedAndFormattedDatesAreLibnovas)
{
    // What --date and the status line made of a text with libnova.
    char text[32], shown[32], expected[32];
    for (int year = 1800; year <= 2200; year += 7)
        for (int month = 1; month <= 12; month += 5)
            for (int day : {1, 17, LAST_DAY[month - 1]})
                for (int minuteOfDay = 0; minuteOfDay < 1440; minuteOfDay += 173) {
                    const int h = minuteOfDay / 60, m = minuteOfDay % 60, s = (minuteOfDay * 7) % 60;
                    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02dZ", year, month, day, h, m, s);
                    double jd = 0;
                    ASSERT_EQ(skyParseDate(text, &jd), SKY_DATE_OK) << text;
                    ln_date date{year, month, day, h, m, static_cast<double>(s)};
                    ASSERT_EQ(jd, ln_get_julian_day(&date)) << text;
                    skyFormatDate(jd, shown, sizeof shown);
                    ln_date back;
                    ln_get_date(std::floor(jd * 1440.0 + 0.5) / 1440.0 + 1e-9, &back);
                    std::snprintf(expected, sizeof expected, "%04d-%02d-%02d %02d:%02d", back.years, back.months,
                                  back.days, back.hours, back.minutes);
                    ASSERT_STREQ(shown, expected) << text;
                }
    ln_date first{1800, 1, 1, 0, 0, 0}, last{2201, 1, 1, 0, 0, 0};
    EXPECT_EQ(SKY_FIRST_DAY, ln_get_julian_day(&first));
    EXPECT_EQ(SKY_LAST_DAY, ln_get_julian_day(&last));
}

TEST(CoreTimeScale, LeapSecondsWithoutLibnovaAndDeltaTFromTheCaller)
{
    double jd = 0;
    ASSERT_EQ(skyParseDate("2025-01-16T02:38Z", &jd), SKY_DATE_OK);
    // From 1972 the caller's estimate is never asked for.
    EXPECT_EQ(skyTerrestrialTimeWith(jd, nullptr), jd + (37 + 32.184) / 86400.0);
    EXPECT_EQ(skyTerrestrialTimeWith(jd, nullptr), skyTerrestrialTime(jd));
    ASSERT_EQ(skyParseDate("1972-01-01", &jd), SKY_DATE_OK);
    EXPECT_EQ(skyTerrestrialTimeWith(jd, nullptr), jd + (10 + 32.184) / 86400.0);
    // Before, it is the caller's: libnova's for the desktop, none at all
    // gives no time.
    ASSERT_EQ(skyParseDate("1971-12-31T23:59Z", &jd), SKY_DATE_OK);
    EXPECT_TRUE(std::isnan(skyTerrestrialTimeWith(jd, nullptr)));
    EXPECT_EQ(skyTerrestrialTimeWith(jd, ln_get_jde), ln_get_jde(jd));
    EXPECT_EQ(skyTerrestrialTime(jd), ln_get_jde(jd));
}

}  // namespace
