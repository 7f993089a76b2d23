// The leap-second table behind the sky's clock: from 1972 on, UTC runs a
// whole number of seconds behind atomic time (TAI), a number that grows by
// one at each leap second.  The table comes from the list that Debian's
// tzdata installs, /usr/share/zoneinfo/leap-seconds.list, or from a copy
// of its entries built in here where that file is missing or unreadable.
// skyTerrestrialTime in sky.h is the one user; the reader is open for the
// tests and for tools that want to check another copy of the list.
#pragma once

#include <string>
#include <vector>

// From the instant jdUtc (a Julian day in UTC) on, TAI - UTC is
// taiMinusUtc seconds.
struct SkyLeapSecond {
    double jdUtc;
    int taiMinusUtc;
};

// The list's path on Debian.
extern const char* const SKY_LEAP_SECONDS_FILE;

// Reads a list in the format of leap-seconds.list: one entry a line, the
// instant in seconds since 1900-01-01 00:00 UTC (NTP's count) and TAI - UTC
// in seconds, separated by blanks; '#' starts a comment, on a line of its
// own or after an entry.  Blank lines are skipped.  Returns false, leaving
// *entries empty, when the text holds no entry, when a line is anything else
// or when the instants do not increase.
bool skyParseLeapSeconds(const std::string& text, std::vector<SkyLeapSecond>* entries);

// Reads the list at path; false when it cannot be read or parsed.
bool skyReadLeapSeconds(const char* path, std::vector<SkyLeapSecond>* entries);

// The entries built into this layer: those of tzdata's list as of its last
// leap second (2017-01-01, TAI - UTC = 37 s).
const std::vector<SkyLeapSecond>& skyBuiltInLeapSeconds();

// The table in use: SKY_LEAP_SECONDS_FILE when it reads and is no shorter
// than the built-in one (leap seconds are never withdrawn, so the longer
// list is the newer), the built-in entries otherwise.  Read once, on the
// first call.
const std::vector<SkyLeapSecond>& skyLeapSeconds();
