// The leap-second table: tzdata's list, or the entries built in here.
#include "sky/leap_seconds.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <utility>

namespace {

// 1900-01-01 00:00 UTC, where the list's count of seconds starts.
constexpr double NTP_EPOCH_JD = 2415020.5;

double fromNtp(long long seconds) { return NTP_EPOCH_JD + static_cast<double>(seconds) / 86400.0; }

bool blank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

// Reads one entry from [p, end), a line with its comment cut off; true and
// *entry set for an entry, true and *empty set for a blank line, false for
// anything else.
bool parseLine(const char* p, const char* end, SkyLeapSecond* entry, bool* empty)
{
    while (p < end && blank(*p))
        ++p;
    *empty = p == end;
    if (*empty)
        return true;
    long long ntp = 0;
    int offset = 0;
    auto r = std::from_chars(p, end, ntp);
    if (r.ec != std::errc() || ntp < 0 || r.ptr == end || !blank(*r.ptr))
        return false;
    p = r.ptr;
    while (p < end && blank(*p))
        ++p;
    r = std::from_chars(p, end, offset);
    if (r.ec != std::errc())
        return false;
    for (p = r.ptr; p < end; ++p)
        if (!blank(*p))
            return false;
    *entry = {fromNtp(ntp), offset};
    return true;
}

// tzdata's entries: seconds since 1900 and TAI - UTC.
constexpr struct {
    long long ntp;
    int taiMinusUtc;
} BUILT_IN[] = {
    {2272060800, 10},  // 1 Jan 1972
    {2287785600, 11},  // 1 Jul 1972
    {2303683200, 12},  // 1 Jan 1973
    {2335219200, 13},  // 1 Jan 1974
    {2366755200, 14},  // 1 Jan 1975
    {2398291200, 15},  // 1 Jan 1976
    {2429913600, 16},  // 1 Jan 1977
    {2461449600, 17},  // 1 Jan 1978
    {2492985600, 18},  // 1 Jan 1979
    {2524521600, 19},  // 1 Jan 1980
    {2571782400, 20},  // 1 Jul 1981
    {2603318400, 21},  // 1 Jul 1982
    {2634854400, 22},  // 1 Jul 1983
    {2698012800, 23},  // 1 Jul 1985
    {2776982400, 24},  // 1 Jan 1988
    {2840140800, 25},  // 1 Jan 1990
    {2871676800, 26},  // 1 Jan 1991
    {2918937600, 27},  // 1 Jul 1992
    {2950473600, 28},  // 1 Jul 1993
    {2982009600, 29},  // 1 Jul 1994
    {3029443200, 30},  // 1 Jan 1996
    {3076704000, 31},  // 1 Jul 1997
    {3124137600, 32},  // 1 Jan 1999
    {3345062400, 33},  // 1 Jan 2006
    {3439756800, 34},  // 1 Jan 2009
    {3550089600, 35},  // 1 Jul 2012
    {3644697600, 36},  // 1 Jul 2015
    {3692217600, 37},  // 1 Jan 2017
};

}  // namespace

const char* const SKY_LEAP_SECONDS_FILE = "/usr/share/zoneinfo/leap-seconds.list";

bool skyParseLeapSeconds(const std::string& text, std::vector<SkyLeapSecond>* entries)
{
    entries->clear();
    std::vector<SkyLeapSecond> read;
    const char* p = text.data();
    const char* const end = p + text.size();
    while (p < end) {
        const char* lineEnd = p;
        while (lineEnd < end && *lineEnd != '\n')
            ++lineEnd;
        const char* content = p;
        while (content < lineEnd && *content != '#')
            ++content;
        SkyLeapSecond entry{};
        bool empty = false;
        if (!parseLine(p, content, &entry, &empty))
            return false;
        if (!empty) {
            if (!read.empty() && !(entry.jdUtc > read.back().jdUtc))
                return false;
            read.push_back(entry);
        }
        p = lineEnd < end ? lineEnd + 1 : end;
    }
    if (read.empty())
        return false;
    *entries = std::move(read);
    return true;
}

bool skyReadLeapSeconds(const char* path, std::vector<SkyLeapSecond>* entries)
{
    entries->clear();
    std::FILE* f = std::fopen(path, "rb");
    if (!f)
        return false;
    std::string text;
    char buffer[4096];
    size_t n;
    // The list is a few kilobytes; anything far larger is not it.
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0 && text.size() < (1u << 20))
        text.append(buffer, n);
    const bool ok = !std::ferror(f) && text.size() < (1u << 20);
    std::fclose(f);
    return ok && skyParseLeapSeconds(text, entries);
}

const std::vector<SkyLeapSecond>& skyBuiltInLeapSeconds()
{
    static const std::vector<SkyLeapSecond> table = [] {
        std::vector<SkyLeapSecond> t;
        for (const auto& e : BUILT_IN)
            t.push_back({fromNtp(e.ntp), e.taiMinusUtc});
        return t;
    }();
    return table;
}

const std::vector<SkyLeapSecond>& skyLeapSeconds()
{
    static const std::vector<SkyLeapSecond> table = [] {
        std::vector<SkyLeapSecond> file;
        if (skyReadLeapSeconds(SKY_LEAP_SECONDS_FILE, &file) && file.size() >= skyBuiltInLeapSeconds().size())
            return file;
        return skyBuiltInLeapSeconds();
    }();
    return table;
}
