// Instants as people write them, and back; the time scales.  No libnova:
// the calendar arithmetic here is the one libnova's julian_day module does,
// step for step, so that every Julian day comes out bit for bit the same
// (the sky tests hold the two side by side), and the core built for the web
// page parses and shows dates as the desktop does.
#include "sky/sky.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "sky/leap_seconds.h"

namespace {

// TT - TAI in seconds, fixed by definition.
constexpr double TT_MINUS_TAI = 32.184;

// Reads exactly `digits` decimal digits at *p and moves past them.
bool readNumber(const char*& p, int digits, int* value)
{
    int v = 0;
    for (int i = 0; i < digits; ++i, ++p) {
        if (*p < '0' || *p > '9')
            return false;
        v = v * 10 + (*p - '0');
    }
    *value = v;
    return true;
}

bool expect(const char*& p, char c)
{
    if (*p != c)
        return false;
    ++p;
    return true;
}

bool leapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && leapYear(year) ? 29 : days[month - 1];
}

}  // namespace

// 1800-01-01 00:00 and 2201-01-01 00:00 UTC.
const double SKY_FIRST_DAY = 2378496.5;
const double SKY_LAST_DAY = 2524958.5;

double skyJulianDay(const SkyCalendarDate& date)
{
    int year = date.year, month = date.month;
    // January and February count as months 13 and 14 of the year before.
    if (month < 3) {
        --year;
        month += 12;
    }
    const int a = year / 100;
    // The Gregorian calendar from 1582-10-04 on (the Julian before).
    const bool gregorian =
        date.year > 1582 || (date.year == 1582 && (date.month > 10 || (date.month == 10 && date.day >= 4)));
    const int b = gregorian ? 2 - a + a / 4 : 0;
    const double days = date.day + date.hour / 24.0 + date.minute / 1440.0 + date.second / 86400.0;
    return static_cast<int>(365.25 * (year + 4716)) + static_cast<int>(30.6001 * (month + 1)) + days + b - 1524.5;
}

SkyCalendarDate skyCalendarDate(double jd)
{
    jd += 0.5;
    const double z = static_cast<int>(jd);
    double f = jd - z;
    int a;
    if (z < 2299161) {
        a = static_cast<int>(z);
    } else {
        const int alpha = static_cast<int>((z - 1867216.25) / 36524.25);
        a = static_cast<int>(z + 1 + alpha - static_cast<int>(alpha / 4));
    }
    const int b = a + 1524;
    const int c = static_cast<int>((b - 122.1) / 365.25);
    const int d = static_cast<int>(365.25 * c);
    const int e = static_cast<int>((b - d) / 30.6001);
    SkyCalendarDate date{};
    date.hour = static_cast<int>(f * 24);
    f -= static_cast<double>(date.hour) / 24;
    date.minute = static_cast<int>(f * 1440);
    f -= static_cast<double>(date.minute) / 1440;
    date.second = f * 86400;
    date.day = b - d - static_cast<int>(30.6001 * e);
    date.month = e < 14 ? e - 1 : e - 13;
    date.year = date.month > 2 ? c - 4716 : c - 4715;
    return date;
}

double skyNow()
{
    // The system clock counts seconds since 1970-01-01 00:00 UTC, the
    // Julian day 2440587.5, without leap seconds, as UTC days are counted.
    const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
    return 2440587.5 + std::chrono::duration<double>(sinceEpoch).count() / 86400.0;
}

SkyDateStatus skyParseDate(const char* text, double* jdUtc)
{
    if (!text)
        return SKY_DATE_UNREADABLE;
    double jd = 0;
    if (std::strcmp(text, "now") == 0) {
        jd = skyNow();
    } else {
        const char* p = text;
        int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
        if (!readNumber(p, 4, &year) || !expect(p, '-') || !readNumber(p, 2, &month) || !expect(p, '-') ||
            !readNumber(p, 2, &day))
            return SKY_DATE_UNREADABLE;
        if (*p == 'T' || *p == ' ') {
            ++p;
            if (!readNumber(p, 2, &hour) || !expect(p, ':') || !readNumber(p, 2, &minute))
                return SKY_DATE_UNREADABLE;
            if (*p == ':' && !(++p, readNumber(p, 2, &second)))
                return SKY_DATE_UNREADABLE;
            if (*p == 'Z')
                ++p;
        }
        if (*p != '\0')
            return SKY_DATE_UNREADABLE;
        if (month < 1 || month > 12 || day < 1 || day > daysInMonth(year, month) || hour > 23 || minute > 59 ||
            second > 59)
            return SKY_DATE_UNREADABLE;
        jd = skyJulianDay({year, month, day, hour, minute, static_cast<double>(second)});
    }
    if (!(jd >= SKY_FIRST_DAY && jd < SKY_LAST_DAY))
        return SKY_DATE_OUT_OF_RANGE;
    *jdUtc = jd;
    return SKY_DATE_OK;
}

void skyFormatDate(double jdUtc, char* out, std::size_t size)
{
    if (!out || size == 0)
        return;
    // Whole minutes counted from the Julian day's epoch, so that 21:29:59.9
    // shows as 21:30 and never as 21:29 or 21:60.
    const double minutes = std::floor(jdUtc * 1440.0 + 0.5);
    const SkyCalendarDate date = skyCalendarDate(minutes / 1440.0 + 1e-9);
    std::snprintf(out, size, "%04d-%02d-%02d %02d:%02d", date.year, date.month, date.day, date.hour, date.minute);
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

double skyTerrestrialTimeWith(double jdUtc, double (*beforeLeapSeconds)(double jdUtc))
{
    const double taiMinusUtc = skyTaiMinusUtc(jdUtc);
    if (std::isnan(taiMinusUtc))
        return beforeLeapSeconds ? beforeLeapSeconds(jdUtc) : std::nan("");
    return jdUtc + (taiMinusUtc + TT_MINUS_TAI) / 86400.0;
}
