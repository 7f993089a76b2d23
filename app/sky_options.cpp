// --positions, --json and --date.
#include "app/sky_options.h"

#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>

#include "app/date_mode.h"
#include "core/i18n.h"
#include "sky/sky.h"
#include "core/bodies.h"

namespace {

// A body's name in the table and the JSON: the body table's msgid, English
// in every language.
const char* bodyName(int skyBody)
{
    const BodyRow* body = bodyForSkyBody(skyBody);
    return body ? body->name : "";
}

// Reads WHEN; on failure prints the one-line message and returns false.
bool readDate(const char* text, double* jdUtc)
{
    switch (skyParseDate(text, jdUtc)) {
    case SKY_DATE_OK:
        return true;
    case SKY_DATE_OUT_OF_RANGE:
        std::fprintf(stderr, "solar-system: %s\n",
                     (std::string(tr("the date is outside the years 1800 to 2200: ")) + text).c_str());
        return false;
    case SKY_DATE_UNREADABLE:
        break;
    }
    std::fprintf(stderr, "solar-system: %s\n",
                 (std::string(tr("cannot read the date (write YYYY-MM-DD, YYYY-MM-DDTHH:MMZ, "
                                 "\"YYYY-MM-DD HH:MM\" or now, in UTC): ")) +
                  text)
                     .c_str());
    return false;
}

// The planets are heliocentric, the Moon geocentric.
bool geocentric(int body) { return body == SKY_MOON; }

void printTable(const SkyPosition* positions)
{
    // A data table: fixed columns, English names and a point for decimals
    // whatever the language, so scripts can read it.  The frame comes last,
    // after the optional "approximate", so that readers of the first fields
    // read them as before.
    std::printf("%-8s %10s %9s %14s  %-11s  %s\n", "body", "longitude", "latitude", "distance(AU)", "", "frame");
    for (int body = 0; body < SKY_BODY_COUNT; ++body) {
        const SkyPosition& p = positions[body];
        std::printf("%-8s %10.4f %9.4f %14.8f  %-11s  %s\n", bodyName(body), p.longitude, p.latitude, p.distance,
                    p.approximate ? "approximate" : "", geocentric(body) ? "geocentric" : "heliocentric");
    }
}

void printJson(const SkyPosition* positions)
{
    // Keys in the order a reader expects them, body first.
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (int body = 0; body < SKY_BODY_COUNT; ++body) {
        const SkyPosition& p = positions[body];
        list.push_back({{"body", bodyName(body)},
                        {"longitude", p.longitude},
                        {"latitude", p.latitude},
                        {"distance", p.distance},
                        {"approximate", p.approximate},
                        {"center", geocentric(body) ? "earth" : "sun"}});
    }
    std::printf("%s\n", list.dump(2).c_str());
}

}  // namespace

int runSkyOptions(bool positions, bool json, const char* positionsWhen, const char* dateWhen)
{
    double dateJd = 0;
    if (*dateWhen && !readDate(dateWhen, &dateJd))
        return 2;
    if (positions) {
        double jd = 0;
        if (*positionsWhen) {
            if (!readDate(positionsWhen, &jd))
                return 2;
        } else {
            jd = *dateWhen ? dateJd : skyNow();
        }
        SkyPosition list[SKY_BODY_COUNT];
        skyPositions(jd, list);
        if (json)
            printJson(list);
        else
            printTable(list);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }
    if (*dateWhen)
        beginDateModeAt(dateJd);
    return -1;
}
