// The body table against every part of the viewer that reads it: each row
// is walked through the menu, the fact boxes, the close-ups, the overview,
// the names, the sky layer and the clock, in the viewer's real window.  A
// row that one of them does not cover fails here.
#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <set>
#include <string>

#include "app/viewer.h"
#include "platform/i18n.h"
#include "render/render.h"
#include "sky/sky.h"
#include "core/bodies.h"
#include "core/viewer_state.h"
#include "tests/support/message_boxes.h"
#include "tests/support/render_fixture.h"
#include "tests/support/viewer_globals.h"

namespace {

bool near(Rgb a, Rgb b) { return std::abs(a.r - b.r) <= 3 && std::abs(a.g - b.g) <= 3 && std::abs(a.b - b.b) <= 3; }

bool hasHangul(const std::string& text)
{
    for (unsigned char c : text)  // lead bytes of U+AC00..U+D7A3
        if (c >= 0xEA && c <= 0xED)
            return true;
    return false;
}

std::string rowName(const BodyRow& row) { return row.name ? row.name : "(Kosmara)"; }

class BodyTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        installTestTextures();
        resetViewer();
    }
    void TearDown() override
    {
        selectLanguageFrom("ko", std::string());
        resetViewer();
    }
};

TEST_F(BodyTable, MenuListsItsElevenEntriesInOrderAndEachSetsItsRowsViewModeAndBox)
{
    // The entries run 1, 2, ... without a gap, the bodies first in their
    // own spelling, and Kosmara last.
    const char* const labels[] = {"Sun",     "Mecury", "Venus",  "Earth",   "Mars",
                                  "Jupiter", "Saturn", "Uranus", "Neptune", "Pluto"};
    int entries = 0;
    while (bodyForMenuValue(entries + 1))
        ++entries;
    ASSERT_GE(entries, 11);
    for (int value = 1; value <= 10; ++value)
        EXPECT_STREQ(bodyForMenuValue(value)->menuLabel, labels[value - 1]);
    EXPECT_STREQ(bodyForMenuValue(entries)->menuLabel, "Kosmara");
    EXPECT_FALSE(bodyForMenuValue(entries)->isBody);
    int rowsInMenu = 0;
    for (const BodyRow& row : bodyTable) {
        SCOPED_TRACE(rowName(row));
        if (row.menuValue == NO_MENU_ENTRY) {
            // Only the Moon: it has no entry, so no close-up and no box either.
            EXPECT_EQ(bodyIndex(row), BODY_MOON);
            EXPECT_EQ(row.menuLabel, nullptr);
            EXPECT_EQ(row.viewMode, NO_VIEW_MODE);
            EXPECT_EQ(row.closeUp, NO_CLOSE_UP);
            EXPECT_EQ(row.factCaption, nullptr);
            EXPECT_EQ(row.factText, nullptr);
            continue;
        }
        ++rowsInMenu;
        RecordedBoxes boxes{nullptr};
        viewMode = -5;
        selectBody(row.menuValue);
        EXPECT_EQ(viewMode, row.viewMode);
        if (!row.isBody) {
            // Kosmara: the overview, no box.
            EXPECT_EQ(viewMode, OVERVIEW_VIEW_MODE);
            EXPECT_TRUE(boxes.texts.empty());
            continue;
        }
        ASSERT_NE(row.factCaption, nullptr);
        ASSERT_EQ(boxes.texts.size(), 1u);
        EXPECT_EQ(boxes.captions[0], row.factCaption);
        EXPECT_EQ(boxes.texts[0], row.factText);
        EXPECT_EQ(std::count(boxes.texts[0].begin(), boxes.texts[0].end(), '\n'), 5);
    }
    EXPECT_EQ(rowsInMenu, entries);
}

TEST_F(BodyTable, EveryCloseUpShowsItsRowsPictureAndTheOverviewEveryOtherMode)
{
    std::set<int> modes;
    for (const BodyRow& row : bodyTable) {
        if (row.closeUp == NO_CLOSE_UP)
            continue;
        SCOPED_TRACE(rowName(row));
        EXPECT_NE(row.viewMode, OVERVIEW_VIEW_MODE);
        EXPECT_TRUE(modes.insert(row.viewMode).second) << "view mode " << row.viewMode << " twice";
        viewMode = row.viewMode;
        // Off the axis line, the inner wall of the body fills the view.
        const Frame frame = drawFrame();
        for (int x : {WINDOW_WIDTH / 4, 3 * WINDOW_WIDTH / 4})
            EXPECT_TRUE(near(frame.at(x, WINDOW_HEIGHT / 2), slotColours[row.slot])) << "x " << x;
    }
    // The Sun and the nine planets keep the view modes 0 to 9.
    for (int mode = 0; mode <= 9; ++mode)
        EXPECT_EQ(modes.count(mode), 1u) << "view mode " << mode;
    // The overview shows the sky round the sun, which no close-up does.
    viewMode = OVERVIEW_VIEW_MODE;
    EXPECT_TRUE(near(drawFrame().at(2, 2), SKY_COLOUR));
}

TEST_F(BodyTable, OverviewDrawsEveryBodyWhereItsRowPlacesIt)
{
    showNames = true;  // the overview notes where it drew each body
    const Frame frame = drawFrame();
    GLdouble projection[16];
    GLint viewport[4];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    static const GLdouble identity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    for (const BodyRow& row : bodyTable) {
        SCOPED_TRACE(rowName(row));
        const BodyAnchor& anchor = bodyAnchors[bodyIndex(row)];
        if (!row.isBody) {
            EXPECT_FALSE(anchor.drawn);
            continue;
        }
        ASSERT_TRUE(anchor.drawn);
        EXPECT_EQ(bodyForSlot(row.slot), &row) << "the texture set takes slot " << row.slot << "'s picture elsewhere";
        EXPECT_EQ(anchor.radius, static_cast<float>(row.radius));
        // At angle 0 a body lies its distance along x from its centre; the
        // camera only turns and moves, so eye distances are world distances.
        if (row.centre != NO_BODY) {
            const BodyAnchor& centre = bodyAnchors[row.centre];
            ASSERT_TRUE(centre.drawn);
            const double d =
                std::hypot(anchor.eye[0] - centre.eye[0], anchor.eye[1] - centre.eye[1], anchor.eye[2] - centre.eye[2]);
            EXPECT_NEAR(d, std::fabs(row.distance), 1e-4);
        }
        GLdouble x, y, z;
        ASSERT_TRUE(
            gluProject(anchor.eye[0], anchor.eye[1], anchor.eye[2], identity, projection, viewport, &x, &y, &z));
        const Rgb got = frame.at(static_cast<int>(std::lround(x)), static_cast<int>(std::lround(y)));
        EXPECT_TRUE(near(got, slotColours[row.slot])) << int(got.r) << "," << int(got.g) << "," << int(got.b);
    }
}

TEST_F(BodyTable, EveryBodyHasANameInBothCatalogsAndItsKoreanNameCaptionsItsBox)
{
    ASSERT_TRUE(selectLanguageFrom("ko", SOLAR_LOCALE_DIR));
    for (const BodyRow& row : bodyTable) {
        if (!row.isBody) {
            EXPECT_EQ(row.name, nullptr);
            continue;
        }
        SCOPED_TRACE(rowName(row));
        const std::string korean = tr(row.name);
        EXPECT_TRUE(hasHangul(korean)) << korean;
        if (row.factCaption) {
            EXPECT_EQ(korean, row.factCaption);
        }
    }
    ASSERT_TRUE(selectLanguageFrom("en", SOLAR_LOCALE_DIR));
    for (const BodyRow& row : bodyTable) {
        if (!row.isBody)
            continue;
        SCOPED_TRACE(rowName(row));
        EXPECT_STREQ(tr(row.name), row.name);
        if (row.factCaption) {
            EXPECT_STREQ(tr(row.factCaption), row.name);
            EXPECT_FALSE(hasHangul(tr(row.factText))) << tr(row.factText);
        }
    }
}

TEST_F(BodyTable, EverySkyBodyIsOneRowAndPositionsNameItSo)
{
    for (int sky = 0; sky < SKY_BODY_COUNT; ++sky) {
        const BodyRow* row = bodyForSkyBody(sky);
        ASSERT_NE(row, nullptr) << skyBodyName(sky);
        EXPECT_STREQ(row->name, skyBodyName(sky));
    }
    for (const BodyRow& row : bodyTable) {
        if (row.isBody && row.centre != NO_BODY) {  // all but the Sun, which the sky layer leaves out
            EXPECT_NE(row.skyBody, NO_SKY_BODY) << rowName(row);
        }
    }

    // The real binary lists them in the sky layer's order under the table's names.
    std::FILE* out = popen("env -u DISPLAY " VIEWER_BINARY " --json 2026-12-08", "r");
    ASSERT_NE(out, nullptr);
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, out)) > 0;)
        text.append(buffer, n);
    ASSERT_EQ(pclose(out), 0);
    const nlohmann::json list = nlohmann::json::parse(text);
    ASSERT_EQ(list.size(), static_cast<std::size_t>(SKY_BODY_COUNT));
    for (int sky = 0; sky < SKY_BODY_COUNT; ++sky)
        EXPECT_EQ(list[sky].at("body"), bodyForSkyBody(sky)->name);
}

TEST_F(BodyTable, ClockAdvancesExactlyTheAnimationAnglesAtTheirRowsRates)
{
    std::set<float*> fromTable = {&ballSpin, &bandSpin};
    for (const BodyRow& row : bodyTable) {
        for (float* angle : {row.orbit, row.spin}) {
            if (angle) {
                EXPECT_TRUE(fromTable.insert(angle).second) << rowName(row) << ": an angle twice";
            }
        }
    }
    const auto all = animationAngles();
    EXPECT_EQ(fromTable, std::set<float*>(all.begin(), all.end()));

    animate();
    glutIdleFunc(nullptr);
    for (const BodyRow& row : bodyTable) {
        SCOPED_TRACE(rowName(row));
        if (row.orbit) {
            EXPECT_EQ(*row.orbit, static_cast<float>(row.orbitRate));
        }
        if (row.spin) {
            EXPECT_EQ(*row.spin, static_cast<float>(row.spinRate));
        }
    }
}

}  // namespace

int main(int argc, char** argv) { return runTestsInViewerWindow(argc, argv); }
