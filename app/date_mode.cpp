// Date mode and its clock.
#include "app/date_mode.h"

#include <GL/glut.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "app/viewer.h"
#include "core/i18n.h"

double dateClockRate = 1.0;
bool dateClockRunning = false;

namespace {

using SteadyClock = std::chrono::steady_clock;

// Whether the animation's clock was GLUT's idle callback when date mode
// began; put back when it ends.
bool animationWasInstalled = false;
// Whether an instant has been chosen yet (now, or --date).
bool instantChosen = false;
// Wall-clock time of the last date-clock step.
SteadyClock::time_point lastStep;
// Where the left button went down, to tell a click from a drag.
int pressX = 0, pressY = 0;
// A release this many pixels or fewer from its press is a click.
constexpr int CLICK_SLOP = 3;

void show(double jdUtc)
{
    dateInstant = jdUtc;
    skyPositions(jdUtc, datePositions);
}

double withinRange(double jdUtc)
{
    if (jdUtc < SKY_FIRST_DAY)
        return SKY_FIRST_DAY;
    if (jdUtc > SKY_LAST_DAY)
        return SKY_LAST_DAY;
    return jdUtc;
}

void runDateClock(bool run)
{
    dateClockRunning = run;
    lastStep = SteadyClock::now();
    glutIdleFunc(run ? stepDateClock : nullptr);
}

}  // namespace

void toggleDateMode()
{
    if (!dateMode) {
        animationWasInstalled = animateInstalled();
        if (!instantChosen) {
            // A system clock outside 1800-2200 is wrong; show its nearest end.
            show(withinRange(skyNow()));
            instantChosen = true;
        }
        dateMode = true;
        runDateClock(dateClockRunning);
    } else {
        dateMode = false;
        setAnimateInstalled(animationWasInstalled);
    }
    glutPostRedisplay();
}

void beginDateModeAt(double jdUtc)
{
    // At start the animation's clock is not installed (the viewer waits for
    // its first click), so that is what leaving date mode restores.
    animationWasInstalled = false;
    show(withinRange(jdUtc));
    instantChosen = true;
    dateClockRunning = false;
    dateMode = true;
}

void toggleDateClock()
{
    runDateClock(!dateClockRunning);
    glutPostRedisplay();
}

void dateModeClick(int state, int x, int y)
{
    if (state == GLUT_DOWN) {
        pressX = x;
        pressY = y;
    } else if (std::abs(x - pressX) <= CLICK_SLOP && std::abs(y - pressY) <= CLICK_SLOP) {
        toggleDateClock();
    }
}

void stepDateClock()
{
    const SteadyClock::time_point now = SteadyClock::now();
    const double seconds = std::chrono::duration<double>(now - lastStep).count();
    lastStep = now;
    const double wanted = dateInstant + seconds * dateClockRate;
    const double reached = withinRange(wanted);
    show(reached);
    if (reached != wanted)
        runDateClock(false);  // the end of the years the theories serve
    glutPostRedisplay();
}

std::string dateStatusText()
{
    if (!dateMode)
        return {};
    char date[32];
    skyFormatDate(dateInstant, date, sizeof date);
    char text[256];
    if (!dateClockRunning)
        std::snprintf(text, sizeof text, tr("%s UTC, paused. Distances and sizes are not to scale."), date);
    else if (dateClockRate >= 0)
        std::snprintf(text, sizeof text,
                      tr("%s UTC, %g× forwards (1× is a day a second). Distances and sizes are not to "
                         "scale."),
                      date, dateClockRate);
    else
        std::snprintf(text, sizeof text,
                      tr("%s UTC, %g× backwards (1× is a day a second). Distances and sizes are not to "
                         "scale."),
                      date, -dateClockRate);
    std::string status = text;
    if (datePositions[SKY_PLUTO].approximate)
        status += tr(" Pluto's place is rough before 1885 and after 2099.");
    return status;
}
