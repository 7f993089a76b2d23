// solar-system --positions, --json and --date: the real binary, with no
// display at all, since printing positions opens no window.
#include <gtest/gtest.h>

#include <libnova/dynamical_time.h>
#include <libnova/lunar.h>

#include <cmath>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "sky/sky.h"
#include "tests/support/x_session.h"

namespace {

// The viewer with DISPLAY unset, standard error kept apart or folded in.
CommandOutput viewer(const std::string& args, bool withErrors = false)
{
    return runCommand(std::string("env -u DISPLAY ") + VIEWER_BINARY + " " + args +
                      (withErrors ? " 2>&1" : " 2>/dev/null"));
}

struct Row {
    std::string body;
    double longitude, latitude, distance;
    bool approximate;
    std::string frame;  // the row's last field
};

std::vector<Row> readTable(const std::string& text)
{
    std::istringstream in(text);
    std::string header;
    std::getline(in, header);
    EXPECT_EQ(header.rfind("body", 0), 0u) << header;
    std::vector<Row> rows;
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        Row row{};
        std::string mark;
        fields >> row.body >> row.longitude >> row.latitude >> row.distance;
        EXPECT_FALSE(fields.fail()) << line;
        fields >> mark;
        row.approximate = mark == "approximate";
        row.frame = mark;
        if (row.approximate)
            fields >> row.frame;
        std::string more;
        EXPECT_FALSE(fields >> more) << line;
        rows.push_back(row);
    }
    return rows;
}

TEST(Positions, TableAndJsonAgreeWithEachOtherAndWithTheSkyLayer)
{
    const CommandOutput table = viewer("--positions 2026-12-08T21:30Z");
    ASSERT_EQ(table.status, 0) << table.text;
    const CommandOutput json = viewer("--json '2026-12-08 21:30'");
    ASSERT_EQ(json.status, 0) << json.text;

    const std::vector<Row> rows = readTable(table.text);
    const nlohmann::json list = nlohmann::json::parse(json.text);
    ASSERT_TRUE(list.is_array());
    ASSERT_EQ(rows.size(), static_cast<size_t>(SKY_BODY_COUNT));
    ASSERT_EQ(list.size(), rows.size());

    double jd = 0;
    ASSERT_EQ(skyParseDate("2026-12-08T21:30Z", &jd), SKY_DATE_OK);
    SkyPosition sky[SKY_BODY_COUNT];
    skyPositions(jd, sky);
    for (int i = 0; i < SKY_BODY_COUNT; ++i) {
        const nlohmann::json& o = list[i];
        SCOPED_TRACE(rows[i].body);
        ASSERT_EQ(o.size(), 6u) << o.dump();
        EXPECT_EQ(o.at("body"), skyBodyName(i));
        EXPECT_EQ(rows[i].body, skyBodyName(i));
        // The table rounds to 4 and 8 decimals; JSON keeps every digit.
        EXPECT_NEAR(rows[i].longitude, o.at("longitude").get<double>(), 0.5e-4);
        EXPECT_NEAR(rows[i].latitude, o.at("latitude").get<double>(), 0.5e-4);
        EXPECT_NEAR(rows[i].distance, o.at("distance").get<double>(), 0.5e-8);
        EXPECT_EQ(rows[i].approximate, o.at("approximate").get<bool>());
        // The frame: the Moon about the Earth, the planets about the Sun.
        EXPECT_EQ(o.at("center"), i == SKY_MOON ? "earth" : "sun");
        EXPECT_EQ(rows[i].frame, i == SKY_MOON ? "geocentric" : "heliocentric");
        EXPECT_DOUBLE_EQ(o.at("longitude").get<double>(), sky[i].longitude);
        EXPECT_DOUBLE_EQ(o.at("distance").get<double>(), sky[i].distance);
    }
    // The Moon's distance is in AU as well: about 0.0026.
    EXPECT_NEAR(list[SKY_MOON].at("distance").get<double>(), 0.00257, 0.0002);
}

TEST(Positions, MarkPlutoApproximateOutsideItsYearsInBothForms)
{
    const std::vector<Row> rows = readTable(viewer("--positions 1850-01-01").text);
    ASSERT_EQ(rows.size(), static_cast<size_t>(SKY_BODY_COUNT));
    for (int i = 0; i < SKY_BODY_COUNT; ++i) {
        EXPECT_EQ(rows[i].approximate, i == SKY_PLUTO) << rows[i].body;
        EXPECT_EQ(rows[i].frame, i == SKY_MOON ? "geocentric" : "heliocentric") << rows[i].body;
    }
    const nlohmann::json list = nlohmann::json::parse(viewer("--json 1850-01-01").text);
    EXPECT_TRUE(list[SKY_PLUTO].at("approximate").get<bool>());
    EXPECT_FALSE(list[SKY_MARS].at("approximate").get<bool>());
}

// The Moon's longitude from libnova at the Julian ephemeris day jde.
double moonLongitude(double jde)
{
    ln_rect_posn r;
    ln_get_lunar_geo_posn(jde, &r, 0);
    return std::atan2(r.Y, r.X) * 180.0 / M_PI;
}

double degreesBetween(double a, double b) { return std::remainder(a - b, 360.0); }

// The clock is true UTC: terrestrial time is UTC plus the leap seconds
// (TAI - UTC) plus 32.184 s, where libnova's Delta T, extrapolated past
// 2009, puts the Moon a minute or more ahead.
TEST(Positions, TheMoonIsWhereLibnovaPutsItAtTrueTerrestrialTime)
{
    const struct {
        const char* when;
        double taiMinusUtc;
    } instants[] = {
        {"2026-12-08T00:00Z", 37},
        {"2011-03-15T12:00Z", 34},
        {"2016-06-30T18:00Z", 36},
        {"2020-02-29T06:00Z", 37},
    };
    for (const auto& instant : instants) {
        SCOPED_TRACE(instant.when);
        const nlohmann::json list = nlohmann::json::parse(viewer(std::string("--json ") + instant.when).text);
        const double moon = list.at(SKY_MOON).at("longitude").get<double>();
        double jd = 0;
        ASSERT_EQ(skyParseDate(instant.when, &jd), SKY_DATE_OK);
        const double tt = jd + (instant.taiMinusUtc + 32.184) / 86400.0;
        EXPECT_NEAR(degreesBetween(moon, moonLongitude(tt)), 0.0, 1e-9);

        // Against the old clock, libnova's TT: the Moon has moved by its
        // rate over the difference of the two, 40 to 70 s in these years.
        const double oldTt = ln_get_jde(jd);
        const double ratePerDay = degreesBetween(moonLongitude(oldTt + 0.01), moonLongitude(oldTt - 0.01)) / 0.02;
        const double expected = ratePerDay * (tt - oldTt);
        EXPECT_NEAR(degreesBetween(moon, moonLongitude(oldTt)), expected, 1e-6);
        EXPECT_GT(std::abs(expected), 0.004);
    }
}

TEST(Positions, WithoutADateAreThoseOfNowAndWithDateThoseOfThatDate)
{
    const nlohmann::json now = nlohmann::json::parse(viewer("--json").text);
    SkyPosition sky[SKY_BODY_COUNT];
    skyPositions(skyNow(), sky);
    // The Moon moves 0.55 degrees an hour: a minute apart is plenty.
    EXPECT_NEAR(now[SKY_MOON].at("longitude").get<double>(), sky[SKY_MOON].longitude, 0.01);

    const CommandOutput withDate = viewer("--date 2025-01-16T02:38Z --positions");
    ASSERT_EQ(withDate.status, 0);
    EXPECT_EQ(withDate.text, viewer("--positions 2025-01-16T02:38Z").text);
}

TEST(Positions, BadDatesExitWith2AndOneLineNamingThem)
{
    const struct {
        const char* args;
        const char* named;
    } cases[] = {
        {"--positions 2026-02-30", "2026-02-30"},
        {"--positions tomorrow", "tomorrow"},
        {"--json 1700-01-01", "1700-01-01"},
        {"--date 2201-01-01", "2201-01-01"},
        {"--date '2026-12-08 25:00'", "2026-12-08 25:00"},
        {"--date", "--date"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args);
        const CommandOutput out = viewer(c.args, true);
        EXPECT_EQ(out.status, 2);
        EXPECT_EQ(out.text.rfind("solar-system: ", 0), 0u) << out.text;
        EXPECT_NE(out.text.find(c.named), std::string::npos) << out.text;
        EXPECT_EQ(out.text.find('\n'), out.text.size() - 1) << out.text;
    }
    // Out of range says so.
    EXPECT_NE(viewer("--lang en --positions 1799-12-31", true).text.find("1800 to 2200"), std::string::npos);
}

}  // namespace
