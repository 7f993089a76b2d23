// Date mode through the real callbacks on a real GLUT window: the d key,
// the date clock and its own pause, and the animation handed back intact.
#include <GL/glut.h>
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "app/date_mode.h"
#include "app/viewer.h"
#include "core/viewer_state.h"
#include "viewer_fixture.h"

namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

double at(const char* when)
{
    double jd = 0;
    EXPECT_EQ(skyParseDate(when, &jd), SKY_DATE_OK) << when;
    return jd;
}

// The animation as the Parts see it: every angle, the flag, the idle callback.
struct Animation {
    std::array<float, 22> angles;
    bool animating;
    IdleCallback idle;
    static Animation now()
    {
        Animation a{};
        const auto pointers = animationAngles();
        for (size_t i = 0; i < pointers.size(); ++i)
            a.angles[i] = *pointers[i];
        a.animating = ::animating;
        a.idle = idleCallback();
        return a;
    }
    // Bit for bit: the same floats, not merely equal ones.
    bool operator==(const Animation& o) const
    {
        return std::memcmp(angles.data(), o.angles.data(), sizeof angles) == 0 && animating == o.animating &&
               idle == o.idle;
    }
};

void click(int x, int y)
{
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, x, y);
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, x, y);
}

class DateMode : public ::testing::Test {
protected:
    void SetUp() override
    {
        resetViewerState();
        openTestWindow();
        reshape(900, 800);
    }
    void TearDown() override
    {
        if (dateMode)
            keyboard('d', 0, 0);
        resetViewerState();
        openTestWindow();
    }
};

TEST_F(DateMode, DKeyEntersAndLeavesWithARedisplay)
{
    EXPECT_EQ(dateStatusText(), "");
    EXPECT_TRUE(redisplayRequestedBy([] { keyboard('d', 0, 0); }));
    EXPECT_TRUE(dateMode);
    // The first time, the instant is now, and the positions are its.
    EXPECT_NEAR(dateInstant, skyNow(), 10.0 / 86400);
    SkyPosition now[SKY_BODY_COUNT];
    skyPositions(dateInstant, now);
    EXPECT_EQ(datePositions[SKY_MARS].longitude, now[SKY_MARS].longitude);
    EXPECT_EQ(datePositions[SKY_MOON].longitude, now[SKY_MOON].longitude);
    const std::string status = dateStatusText();
    EXPECT_NE(status.find(" UTC"), std::string::npos) << status;
    EXPECT_NE(status.find("not to scale"), std::string::npos) << status;
    EXPECT_TRUE(redisplayRequestedBy([] { keyboard('d', 0, 0); }));
    EXPECT_FALSE(dateMode);
    EXPECT_EQ(dateStatusText(), "");
}

// Whatever the animation was doing (ready at start, running, paused, or
// running with steps behind it), date mode freezes it and hands it back
// exactly: every angle bit for bit, the flag and the idle callback.
TEST_F(DateMode, LeavingHandsBackTheAnimationExactly)
{
    const struct {
        const char* name;
        const char* events;  // ' ' space, 'c' a left click
        int steps;
    } starts[] = {
        {"ready at start", "", 0},
        {"running", "c", 37},
        {"paused by space", "c ", 211},
        {"running again", "c  ", 5},
    };
    for (const auto& start : starts) {
        SCOPED_TRACE(start.name);
        resetViewerState();
        openTestWindow();
        for (const char* e = start.events; *e; ++e) {
            if (*e == ' ')
                keyboard(' ', 0, 0);
            else
                click(10, 10);
        }
        for (int i = 0; i < start.steps; ++i)
            animate();
        const Animation before = Animation::now();

        keyboard('d', 0, 0);
        ASSERT_TRUE(dateMode);
        EXPECT_FALSE(clockInstalled()) << "the animation must stand still in date mode";
        // Everything date mode offers: its clock run and stopped by space and
        // by clicks, a drag, walking, redraws, the menu and a close-up.
        keyboard(' ', 0, 0);
        std::this_thread::sleep_for(5ms);
        stepDateClock();
        click(300, 300);
        mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 100);
        motion(140, 120);
        mouse(GLUT_LEFT_BUTTON, GLUT_UP, 140, 120);
        keyboard(' ', 0, 0);
        stepDateClock();
        specialKey(GLUT_KEY_UP, 0, 0);
        keyboard('x', 0, 0);
        EXPECT_EQ(Animation::now().angles, before.angles);
        EXPECT_EQ(animating, before.animating);

        keyboard('d', 0, 0);
        EXPECT_FALSE(dateMode);
        EXPECT_TRUE(Animation::now() == before);
        EXPECT_EQ(clockInstalled(), before.idle == animate);
    }
}

TEST_F(DateMode, SpaceAndClicksStartAndStopTheDateClockOnly)
{
    keyboard('d', 0, 0);
    EXPECT_FALSE(dateClockRunning);
    EXPECT_EQ(idleCallback(), nullptr);

    EXPECT_TRUE(redisplayRequestedBy([] { keyboard(' ', 0, 0); }));
    EXPECT_TRUE(dateClockRunning);
    EXPECT_EQ(idleCallback(), stepDateClock);
    EXPECT_TRUE(animating);
    keyboard(' ', 0, 0);
    EXPECT_FALSE(dateClockRunning);
    EXPECT_EQ(idleCallback(), nullptr);

    click(200, 150);
    EXPECT_TRUE(dateClockRunning);
    EXPECT_EQ(idleCallback(), stepDateClock);
    // A click may wobble by a pixel or two.
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 200, 150);
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 202, 149);
    EXPECT_FALSE(dateClockRunning);
    EXPECT_EQ(idleCallback(), nullptr);

    // A drag turns the scene and leaves the clock alone.
    mouse(GLUT_LEFT_BUTTON, GLUT_DOWN, 100, 100);
    motion(130, 110);
    mouse(GLUT_LEFT_BUTTON, GLUT_UP, 130, 110);
    EXPECT_EQ(viewRotY, 30.0f);
    EXPECT_EQ(viewRotX, 10.0f);
    EXPECT_FALSE(dateClockRunning);
    EXPECT_TRUE(animating);

    // The clock's state is its own: leaving and coming back keeps it.
    keyboard(' ', 0, 0);
    keyboard('d', 0, 0);
    EXPECT_EQ(idleCallback(), nullptr);
    keyboard('d', 0, 0);
    EXPECT_TRUE(dateClockRunning);
    EXPECT_EQ(idleCallback(), stepDateClock);
}

// When a call ran: the steady clock just before and just after it.
struct Span {
    SteadyClock::time_point before, after;
};
template <typename F>
Span timed(F fn)
{
    const auto before = SteadyClock::now();
    fn();
    return {before, SteadyClock::now()};
}
double seconds(SteadyClock::duration d) { return std::chrono::duration<double>(d).count(); }

// The instant moved between the clock readings of calls a and b, times the
// rate: at least the time between them, at most the time across them.
void expectMovedBy(double days, Span a, Span b, double rate)
{
    const double least = seconds(b.before - a.after) * rate, most = seconds(b.after - a.before) * rate;
    EXPECT_GE(std::abs(days), std::abs(least) - 1e-9);
    EXPECT_LE(std::abs(days), std::abs(most) + 1e-9);
    EXPECT_EQ(days < 0, rate < 0);
}

// One day a second at 1x, by the wall clock, however often idle runs.
TEST_F(DateMode, TheDateClockKeepsWallClockTimeTimesItsRate)
{
    beginDateModeAt(at("2025-01-16T02:38Z"));
    double from = dateInstant;
    Span last = timed([] { keyboard(' ', 0, 0); });
    int calls = 0;
    Span step{};
    while (SteadyClock::now() - last.after < 400ms) {
        step = timed(stepDateClock);
        ++calls;
    }
    EXPECT_GT(calls, 5);
    expectMovedBy(dateInstant - from, last, step, 1.0);

    // The same with one call only: the rate of idle calls does not matter.
    from = dateInstant;
    last = step;
    std::this_thread::sleep_for(300ms);
    step = timed(stepDateClock);
    expectMovedBy(dateInstant - from, last, step, 1.0);

    // Four times as fast, backwards.
    dateClockRate = -4;
    from = dateInstant;
    last = step;
    std::this_thread::sleep_for(250ms);
    step = timed(stepDateClock);
    expectMovedBy(dateInstant - from, last, step, -4.0);
    EXPECT_LT(dateInstant - from, -0.99);
    SkyPosition expected[SKY_BODY_COUNT];
    skyPositions(dateInstant, expected);
    EXPECT_EQ(datePositions[SKY_EARTH].longitude, expected[SKY_EARTH].longitude);

    // Stopped, it keeps its instant, and runs on from there.
    keyboard(' ', 0, 0);
    from = dateInstant;
    std::this_thread::sleep_for(100ms);
    last = timed([] { keyboard(' ', 0, 0); });
    step = timed(stepDateClock);
    expectMovedBy(dateInstant - from, last, step, -4.0);
    EXPECT_GT(dateInstant - from, -0.2) << "the 100 ms it stood still do not count";
}

TEST_F(DateMode, TheDateClockStopsAtTheEndsOfItsYears)
{
    beginDateModeAt(at("2200-12-31T23:00Z"));
    keyboard('d', 0, 0);
    keyboard('d', 0, 0);
    keyboard(' ', 0, 0);
    dateClockRate = 10000;  // days a second
    std::this_thread::sleep_for(20ms);
    stepDateClock();
    EXPECT_EQ(dateInstant, SKY_LAST_DAY);
    EXPECT_FALSE(dateClockRunning);
    EXPECT_EQ(idleCallback(), nullptr);

    EXPECT_NE(dateStatusText().find("Pluto's place is rough"), std::string::npos) << "after 2099";
    dateClockRate = -1e6;
    keyboard(' ', 0, 0);
    std::this_thread::sleep_for(200ms);
    stepDateClock();
    EXPECT_EQ(dateInstant, SKY_FIRST_DAY);
    EXPECT_FALSE(dateClockRunning);
}

// --date: date mode from the start, paused at the instant; leaving it
// finds the animation as at start, waiting for its first click.
TEST_F(DateMode, StartingAtADateIsPausedAndLeavesTheAnimationAsAtStart)
{
    beginDateModeAt(at("2025-01-16T02:38Z"));
    EXPECT_TRUE(dateMode);
    EXPECT_FALSE(dateClockRunning);
    EXPECT_EQ(dateInstant, at("2025-01-16T02:38Z"));
    SkyPosition expected[SKY_BODY_COUNT];
    skyPositions(dateInstant, expected);
    EXPECT_EQ(datePositions[SKY_MARS].longitude, expected[SKY_MARS].longitude);
    EXPECT_EQ(dateStatusText(), "2025-01-16 02:38 UTC, paused. Distances and sizes are not to scale.");
    EXPECT_EQ(dateStatusText().find("Pluto"), std::string::npos);
    keyboard(' ', 0, 0);
    std::string running = dateStatusText();
    EXPECT_NE(running.find("1× forwards"), std::string::npos) << running;
    dateClockRate = -8;
    running = dateStatusText();
    EXPECT_NE(running.find("8× backwards"), std::string::npos) << running;
    keyboard(' ', 0, 0);

    keyboard('d', 0, 0);
    EXPECT_FALSE(dateMode);
    EXPECT_TRUE(animating);
    EXPECT_FALSE(clockInstalled());
    click(10, 10);
    EXPECT_TRUE(clockInstalled());
}

TEST_F(DateMode, DIsTheOnlyOrdinaryKeyThatDoesMoreThanRedisplay)
{
    for (unsigned char key : std::string("aDL1\r\t\x7f")) {
        keyboard(key, 0, 0);
        EXPECT_FALSE(dateMode) << "key " << int(key);
    }
    keyboard('d', 0, 0);
    EXPECT_TRUE(dateMode);
    // In date mode l still switches lighting, and other keys still redisplay.
    EXPECT_TRUE(redisplayRequestedBy([] { keyboard('l', 0, 0); }));
    EXPECT_EQ(lightingOn, 0);
    keyboard('l', 0, 0);
    EXPECT_TRUE(redisplayRequestedBy([] { keyboard('a', 0, 0); }));
    EXPECT_TRUE(dateMode);
}

}  // namespace
