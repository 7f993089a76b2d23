// --positions, --json and --date.
#include "app/sky_options.h"

#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>

#include "app/date_mode.h"
#include "platform/i18n.h"
#include "sky/sky.h"

namespace {

// "--name VALUE" or "--name=VALUE": the value and how many arguments the
// option took, or a null value when it has none.
struct Value {
    const char* text = nullptr;
    int used = 1;
};

bool isOption(const char* arg, const char* name, Value* value, bool valueOptional, int i, int argc, char** argv)
{
    const std::size_t n = std::strlen(name);
    if (std::strncmp(arg, name, n) != 0)
        return false;
    if (arg[n] == '=') {
        value->text = arg + n + 1;
        return true;
    }
    if (arg[n] != '\0')
        return false;
    // An optional value is taken only when it cannot be another option.
    if (i + 1 < argc && !(valueOptional && argv[i + 1][0] == '-')) {
        value->text = argv[i + 1];
        value->used = 2;
    }
    return true;
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

void printTable(const SkyPosition* positions)
{
    // A data table: fixed columns, English names and a point for decimals
    // whatever the language, so scripts can read it.
    std::printf("%-8s %10s %9s %14s\n", "body", "longitude", "latitude", "distance(AU)");
    for (int body = 0; body < SKY_BODY_COUNT; ++body) {
        const SkyPosition& p = positions[body];
        std::printf("%-8s %10.4f %9.4f %14.8f%s\n", skyBodyName(body), p.longitude, p.latitude, p.distance,
                    p.approximate ? "  approximate" : "");
    }
}

void printJson(const SkyPosition* positions)
{
    // Keys in the order a reader expects them, body first.
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (int body = 0; body < SKY_BODY_COUNT; ++body) {
        const SkyPosition& p = positions[body];
        list.push_back({{"body", skyBodyName(body)},
                        {"longitude", p.longitude},
                        {"latitude", p.latitude},
                        {"distance", p.distance},
                        {"approximate", p.approximate}});
    }
    std::printf("%s\n", list.dump(2).c_str());
}

}  // namespace

int handleSkyOptions(int argc, char** argv)
{
    bool positions = false, json = false;
    const char* positionsWhen = nullptr;
    const char* dateWhen = nullptr;
    for (int i = 1; i < argc;) {
        const char* arg = argv[i];
        Value value;
        if (isOption(arg, "--positions", &value, true, i, argc, argv)) {
            positions = true;
            positionsWhen = value.text;
        } else if (isOption(arg, "--date", &value, false, i, argc, argv)) {
            if (!value.text) {
                std::fprintf(stderr, "solar-system: %s\n", tr("--date needs a date, such as 2026-12-08"));
                return 2;
            }
            dateWhen = value.text;
        } else if (isOption(arg, "--json", &value, true, i, argc, argv)) {
            json = true;
            if (value.text)
                positionsWhen = value.text;
        }
        i += value.used;
    }

    double dateJd = 0;
    if (dateWhen && !readDate(dateWhen, &dateJd))
        return 2;
    if (positions || json) {
        double jd = 0;
        if (positionsWhen) {
            if (!readDate(positionsWhen, &jd))
                return 2;
        } else {
            jd = dateWhen ? dateJd : skyNow();
        }
        SkyPosition list[SKY_BODY_COUNT];
        skyPositions(jd, list);
        if (json)
            printJson(list);
        else
            printTable(list);
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    }
    if (dateWhen)
        beginDateModeAt(dateJd);
    return -1;
}

const char* skyOptionsHelp()
{
    return tr("  --positions [WHEN]  print where each planet and the Moon is at WHEN (default now) and exit\n"
              "  --json              print those positions as JSON\n"
              "  --date WHEN         open at WHEN in date mode, its clock stopped\n"
              "  WHEN is now, YYYY-MM-DD, YYYY-MM-DDTHH:MMZ or \"YYYY-MM-DD HH:MM\" (UTC, 1800 to 2200)\n");
}
