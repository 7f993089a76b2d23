// Instants as people write them, and back.
#include "sky/sky.h"

#include <libnova/julian_day.h>

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

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

double skyNow() { return ln_get_julian_from_sys(); }

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
        ln_date date{year, month, day, hour, minute, static_cast<double>(second)};
        jd = ln_get_julian_day(&date);
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
    ln_date date;
    ln_get_date(minutes / 1440.0 + 1e-9, &date);
    std::snprintf(out, size, "%04d-%02d-%02d %02d:%02d", date.years, date.months, date.days, date.hours, date.minutes);
}
