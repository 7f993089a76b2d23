// The platform-free core driven as a front end drives it: keys and buttons
// in the core's codes, a hook table that records what the core asks of the
// platform, a translator of its own.  No window, no GL.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/bodies.h"
#include "core/camera.h"
#include "core/clock.h"
#include "core/controls.h"
#include "core/date_mode.h"
#include "core/i18n.h"
#include "core/texts.h"
#include "core/viewer_state.h"

namespace {

// What the core asked of the platform, one line per call.
std::vector<std::string> calls;
double positionsAskedFor = 0;

void record(const std::string& call) { calls.push_back(call); }

const PlatformHooks RECORDING = {
    .quit = [] { record("quit"); },
    .fullScreen = [] { record("fullScreen"); },
    .screenshot = [] { record("screenshot"); },
    .setAnimating = [](bool on) { record(on ? "animating on" : "animating off"); },
    .redisplay = [] { record("redisplay"); },
    .setLighting = [](bool on) { record(on ? "lighting on" : "lighting off"); },
    .setDateClock = [](bool run) { record(run ? "date clock on" : "date clock off"); },
    .showFacts = [](const char* caption, const char* text) { record(std::string("facts ") + caption + "|" + text); },
    .skyPositions =
        [](double jdUtc, SkyPosition positions[SKY_BODY_COUNT]) {
            positionsAskedFor = jdUtc;
            for (int i = 0; i < SKY_BODY_COUNT; ++i)
                positions[i] = {10.0 * i, 0, 1, false};
        },
};

class Core : public ::testing::Test {
protected:
    void SetUp() override
    {
        setPlatformHooks(RECORDING);
        setTranslator(nullptr);
        animating = true;
        setAnimationClock(false);
        lightingOn = 1;
        timeRateExponent = 0;
        timeBackwards = false;
        showHelp = showNames = showOrbits = false;
        heading = 0;
        eyeX = 0;
        resetCamera();
        viewRotX = viewRotY = 0;
        mouseState = -1;
        calls.clear();
    }
    void TearDown() override
    {
        if (dateMode)
            toggleDateMode();
        setTranslator(nullptr);
    }
};

TEST_F(Core, EveryKeyOfTheTableRunsItsControlAndPlatformWorkGoesThroughTheHooks)
{
    EXPECT_TRUE(specialKeyPressed(CORE_KEY_F11));
    EXPECT_TRUE(specialKeyPressed(CORE_KEY_F12));
    EXPECT_TRUE(keyPressed('\x1b'));
    EXPECT_EQ(calls, (std::vector<std::string>{"fullScreen", "screenshot", "quit"}));
    calls.clear();

    EXPECT_TRUE(keyPressed('l'));
    EXPECT_EQ(lightingOn, 0);
    EXPECT_TRUE(keyPressed(' '));
    EXPECT_FALSE(animating);
    EXPECT_TRUE(keyPressed(' '));
    EXPECT_EQ(calls, (std::vector<std::string>{"lighting off", "animating off", "animating on"}));
    EXPECT_TRUE(animationClockOn());

    EXPECT_TRUE(specialKeyPressed(CORE_KEY_F1));
    EXPECT_TRUE(keyPressed('h'));
    EXPECT_TRUE(keyPressed('?'));
    EXPECT_TRUE(showHelp);
    EXPECT_TRUE(keyPressed('n') && keyPressed('o'));
    EXPECT_TRUE(showNames && showOrbits);
    for (char key : std::string("++++++++"))
        keyPressed(key);
    EXPECT_EQ(timeRate(), 64.0);
    keyPressed('b');
    EXPECT_EQ(dateClockRate, -64.0);
    keyPressed('0');
    EXPECT_EQ(timeRate(), 1.0);
    EXPECT_EQ(dateClockRate, 1.0);

    // Keys and buttons the table does not list do nothing.
    calls.clear();
    EXPECT_FALSE(keyPressed('a'));
    EXPECT_FALSE(keyPressed(0));
    EXPECT_FALSE(specialKeyPressed(2));
    EXPECT_FALSE(specialKeyPressed(0));
    EXPECT_FALSE(buttonPressed(CORE_BUTTON_MIDDLE));
    EXPECT_FALSE(buttonPressed(CORE_BUTTON_RIGHT));
    EXPECT_TRUE(calls.empty());
}

TEST_F(Core, NoHooksInstalledIsNoFault)
{
    setPlatformHooks(PlatformHooks{});
    EXPECT_TRUE(keyPressed('\x1b'));
    EXPECT_TRUE(specialKeyPressed(CORE_KEY_F12));
    EXPECT_TRUE(keyPressed('d'));
    EXPECT_TRUE(dateMode);
    EXPECT_TRUE(chooseBody(5));
    toggleDateMode();
    EXPECT_TRUE(calls.empty());
}

TEST_F(Core, TheWalkCameraWalksAlongItsHeadingAndTheDragTurnsTheScene)
{
    EXPECT_EQ(eyeZ, 50.0f);
    EXPECT_EQ(centerZ, 49.0f);
    specialKeyPressed(CORE_KEY_UP);
    EXPECT_FLOAT_EQ(eyeZ, 50.0f - moveStep);
    buttonPressed(CORE_BUTTON_WHEEL_DOWN);
    EXPECT_FLOAT_EQ(eyeZ, 50.0f);
    // A quarter turn to the right in steps, then a step: along +x.
    while (heading < std::acos(0.0) - 1e-6)
        specialKeyPressed(CORE_KEY_RIGHT);
    buttonPressed(CORE_BUTTON_WHEEL_UP);
    EXPECT_GT(eyeX, 0.5f * moveStep);
    EXPECT_GT(centerX, eyeX);
    specialKeyPressed(CORE_KEY_LEFT);
    EXPECT_LT(heading, std::acos(0.0));

    EXPECT_FALSE(dragTo(10, 10)) << "no button held";
    leftButton(true, 100, 100);
    EXPECT_TRUE(dragTo(130, 90));
    EXPECT_EQ(viewRotY, 30.0f);
    EXPECT_EQ(viewRotX, -10.0f);
    leftButton(false, 130, 90);
    EXPECT_FALSE(dragTo(200, 200));
    EXPECT_EQ(viewRotY, 30.0f);
}

TEST_F(Core, HoldingTheLeftButtonPausesTheRunningAnimationOnly)
{
    EXPECT_EQ(clockAfterLeftButton(true), CLOCK_STOP);
    EXPECT_EQ(clockAfterLeftButton(false), CLOCK_RUN);
    leftButton(true, 5, 5);
    leftButton(false, 5, 5);
    EXPECT_EQ(calls, (std::vector<std::string>{"animating off", "animating on"}));
    // Paused with the space bar: the button leaves the clock alone.
    animating = false;
    calls.clear();
    EXPECT_EQ(clockAfterLeftButton(true), CLOCK_AS_IS);
    leftButton(true, 5, 5);
    leftButton(false, 5, 5);
    EXPECT_TRUE(calls.empty());
}

TEST_F(Core, TheClockStepsEveryAngleAtTheChosenRate)
{
    for (int exponent = TIME_RATE_EXPONENT_MIN; exponent <= TIME_RATE_EXPONENT_MAX; ++exponent) {
        for (bool backwards : {false, true}) {
            timeRateExponent = exponent;
            timeBackwards = backwards;
            earthOrbit = earthSpin = bandSpin = 0.0f;
            clockStep();
            const double rate = (backwards ? -1 : 1) * std::ldexp(1.0, exponent);
            EXPECT_EQ(timeRate(), std::ldexp(1.0, exponent));
            EXPECT_EQ(earthOrbit, static_cast<float>(bodyTable[BODY_EARTH].orbitRate * rate)) << exponent;
            EXPECT_EQ(earthSpin, static_cast<float>(bodyTable[BODY_EARTH].spinRate * rate)) << exponent;
            EXPECT_EQ(bandSpin, static_cast<float>(0.7 * rate)) << exponent;
        }
    }
}

TEST_F(Core, DateModeTakesTheClockOverAndHandsItBack)
{
    setAnimationClock(true);
    calls.clear();
    keyPressed('d');
    ASSERT_TRUE(dateMode);
    EXPECT_NEAR(positionsAskedFor, skyNow(), 60.0 / 86400);
    EXPECT_EQ(datePositions[SKY_MARS].longitude, 40.0);
    EXPECT_EQ(calls, (std::vector<std::string>{"date clock off", "redisplay"}));
    // Space and a click run the date clock, never the animation's; a drag
    // does not.
    calls.clear();
    keyPressed(' ');
    leftButton(true, 50, 50);
    leftButton(false, 52, 51);
    leftButton(true, 50, 50);
    leftButton(false, 90, 50);
    EXPECT_EQ(calls, (std::vector<std::string>{"date clock on", "redisplay", "date clock off", "redisplay"}));
    EXPECT_TRUE(animating);
    // The placement: true longitudes in date mode, the animation's outside.
    const BodyRow& mars = bodyTable[BODY_MARS];
    EXPECT_EQ(orbitAngle(mars), mars.distance < 0 ? 40.0f - 180.0f : 40.0f);
    calls.clear();
    keyPressed('d');
    EXPECT_EQ(calls, (std::vector<std::string>{"animating on", "redisplay"}));
    EXPECT_EQ(orbitAngle(mars), *mars.orbit);
    EXPECT_EQ(dateStatusText(), "");
}

TEST_F(Core, TheDateClockStopsAtTheEndOfTheYearsServed)
{
    beginDateModeAt(SKY_LAST_DAY - 0.5);
    EXPECT_TRUE(calls.empty()) << "the start asks no hook but the positions";
    dateClockRate = 1e9;
    toggleDateClock();
    dateClockStep();
    EXPECT_EQ(dateInstant, SKY_LAST_DAY);
    EXPECT_FALSE(dateClockRunning);
    EXPECT_EQ(calls.back(), "date clock off");
    dateClockRate = 1;
}

// A translator of the test's own: every text in brackets, a context before
// a bar.
const char* bracketed(const char* context, const char* msgid)
{
    static std::vector<std::string> kept;
    if (std::strcmp(msgid, "untranslated") == 0)
        return nullptr;
    kept.push_back(std::string("[") + (context ? std::string(context) + "|" : "") + msgid + "]");
    return kept.back().c_str();
}

TEST_F(Core, EveryTextGoesThroughTheInstalledTranslator)
{
    EXPECT_STREQ(tr("Time"), "Time");
    setTranslator(bracketed);
    EXPECT_STREQ(tr("Time"), "[Time]");
    EXPECT_STREQ(trContext("body menu", "Mars"), "[body menu|Mars]");
    EXPECT_STREQ(tr("untranslated"), "untranslated");
    EXPECT_STREQ(tr(""), "");
    EXPECT_EQ(tr(nullptr), nullptr);

    // The core's texts: status line, help rows, credits, menu, fact box.
    keyPressed('+');
    EXPECT_EQ(statusLine(), "[Time] 2×, [forwards]");
    const auto rows = helpRows();
    ASSERT_EQ(static_cast<int>(rows.size()), CONTROL_COUNT);
    EXPECT_EQ(rows[0].first, std::string("[") + controls[0].input + "]");
    EXPECT_EQ(helpTitle(), "[Controls]");
    EXPECT_EQ(creditsTitle(), "[Map credits]");
    for (const auto& [body, credit] : creditLines())
        EXPECT_TRUE(body.front() == '[' && credit.front() == '[') << body;
    const BodyRow& mars = *bodyForMenuValue(5);
    EXPECT_STREQ(menuLabel(mars), "[body menu|Mars]");
    EXPECT_STREQ(bodyNameText(mars), "[Mars]");
    calls.clear();
    EXPECT_TRUE(chooseBody(5));
    EXPECT_EQ(viewMode, mars.viewMode);
    EXPECT_EQ(calls, (std::vector<std::string>{std::string("facts ") + factCaption(mars) + "|" + factText(mars),
                                               "redisplay"}));
    EXPECT_FALSE(chooseBody(99));

    setTranslator(nullptr);
    EXPECT_STREQ(tr("Time"), "Time");
    viewMode = OVERVIEW_VIEW_MODE;
}

}  // namespace
