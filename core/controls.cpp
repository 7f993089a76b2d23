// The table of controls and what each one does.
#include "core/controls.h"

#include <cstring>

#include "core/bodies.h"
#include "core/clock.h"
#include "core/date_mode.h"
#include "core/i18n.h"
#include "core/viewer_state.h"

namespace {

PlatformHooks hooks{};

void walk(int key) { updateCamera(key); }

void turn(int key) { turnCamera(key); }

// The wheel walks as the arrow keys do: away from the user is forward.
void wheel(int button) { updateCamera(button == CORE_BUTTON_WHEEL_UP ? CORE_KEY_UP : CORE_KEY_DOWN); }

void quit(int)
{
    if (hooks.quit)
        hooks.quit();
}

// In date mode space runs the date clock and never the animation.
void toggleAnimation(int)
{
    if (dateMode) {
        toggleDateClock();
        return;
    }
    animating = !animating;
    setAnimationClock(animating);
}

void toggleDate(int) { toggleDateMode(); }

void toggleLighting(int)
{
    lightingOn = lightingOn == 0 ? 1 : 0;
    if (hooks.setLighting)
        hooks.setLighting(lightingOn != 0);
}

void toggleHelp(int) { showHelp = !showHelp; }
void toggleNames(int) { showNames = !showNames; }
void toggleOrbits(int) { showOrbits = !showOrbits; }

// The date clock runs at the same rate and in the same direction as the
// animation: one day a second at 1x forwards.
void rateChanged() { dateClockRate = timeBackwards ? -timeRate() : timeRate(); }

void faster(int)
{
    if (timeRateExponent < TIME_RATE_EXPONENT_MAX)
        ++timeRateExponent;
    rateChanged();
}

void slower(int)
{
    if (timeRateExponent > TIME_RATE_EXPONENT_MIN)
        --timeRateExponent;
    rateChanged();
}

void reverse(int)
{
    timeBackwards = !timeBackwards;
    rateChanged();
}

void normalTime(int)
{
    timeRateExponent = 0;
    timeBackwards = false;
    rateChanged();
}

void toggleFullScreen(int)
{
    if (hooks.fullScreen)
        hooks.fullScreen();
}

void screenshot(int)
{
    if (hooks.screenshot)
        hooks.screenshot();
}

}  // namespace

// Keypad keys arrive as the characters they carry ("+", "-", "0").
const Control controls[] = {
    {"Up / Down", "walk forward / back", "", {CORE_KEY_UP, CORE_KEY_DOWN}, {-1, -1}, walk},
    {"Left / Right", "turn left / right", "", {CORE_KEY_LEFT, CORE_KEY_RIGHT}, {-1, -1}, turn},
    {"mouse wheel", "walk forward / back", "", {0, 0}, {CORE_BUTTON_WHEEL_UP, CORE_BUTTON_WHEEL_DOWN}, wheel},
    {"left drag", "rotate the whole scene (overview)", "", {0, 0}, {-1, -1}, nullptr},
    {"left click", "start the animation; hold the button to pause it", "", {0, 0}, {-1, -1}, nullptr},
    {"space", "pause / resume the animation", " ", {0, 0}, {-1, -1}, toggleAnimation},
    {"l", "lighting on / off", "l", {0, 0}, {-1, -1}, toggleLighting},
    {"d", "date mode: the sky of an instant, and back", "d", {0, 0}, {-1, -1}, toggleDate},
    {"right button", "menu of bodies: a close-up and its facts", "", {0, 0}, {-1, -1}, nullptr},
    {"F1 / h / ?", "this help (the same key closes it)", "h?", {CORE_KEY_F1, 0}, {-1, -1}, toggleHelp},
    {"n", "names of the bodies on / off", "n", {0, 0}, {-1, -1}, toggleNames},
    {"o", "orbits on / off", "o", {0, 0}, {-1, -1}, toggleOrbits},
    {"+ / =", "time faster (up to 64×)", "+=", {0, 0}, {-1, -1}, faster},
    {"-", "time slower (down to 1/16×)", "-", {0, 0}, {-1, -1}, slower},
    {"b", "time backwards / forwards", "b", {0, 0}, {-1, -1}, reverse},
    {"0", "time at 1× forwards again", "0", {0, 0}, {-1, -1}, normalTime},
    {"F11", "full screen on / off", "", {CORE_KEY_F11, 0}, {-1, -1}, toggleFullScreen},
    {"F12", "screenshot into the Pictures folder", "", {CORE_KEY_F12, 0}, {-1, -1}, screenshot},
    {"Esc", "quit", "\x1b", {0, 0}, {-1, -1}, quit},
};
const int CONTROL_COUNT = sizeof controls / sizeof controls[0];

const Control* controlForKey(unsigned char key)
{
    if (key == 0)
        return nullptr;
    for (const Control& control : controls)
        if (control.run && std::strchr(control.keys, key))
            return &control;
    return nullptr;
}

const Control* controlForSpecialKey(int coreKey)
{
    if (coreKey == 0)
        return nullptr;
    for (const Control& control : controls)
        if (control.run && (control.specialKeys[0] == coreKey || control.specialKeys[1] == coreKey))
            return &control;
    return nullptr;
}

const Control* controlForButton(int button)
{
    if (button < 0)
        return nullptr;
    for (const Control& control : controls)
        if (control.run && (control.buttons[0] == button || control.buttons[1] == button))
            return &control;
    return nullptr;
}

bool keyPressed(unsigned char key)
{
    const Control* control = controlForKey(key);
    if (control)
        control->run(key);
    return control != nullptr;
}

bool specialKeyPressed(int coreKey)
{
    const Control* control = controlForSpecialKey(coreKey);
    if (control)
        control->run(coreKey);
    return control != nullptr;
}

bool buttonPressed(int button)
{
    const Control* control = controlForButton(button);
    if (control)
        control->run(button);
    return control != nullptr;
}

ClockWish clockAfterLeftButton(bool down)
{
    if (!animating)
        return CLOCK_AS_IS;
    return down ? CLOCK_STOP : CLOCK_RUN;
}

void leftButton(bool down, int x, int y)
{
    if (down)
        dragPress(x, y);
    else
        dragRelease();
    if (dateMode) {
        dateModeClick(down, x, y);  // a click starts or stops the date clock
        return;
    }
    const ClockWish wish = clockAfterLeftButton(down);
    if (wish != CLOCK_AS_IS)
        setAnimationClock(wish == CLOCK_RUN);
}

bool chooseBody(int value)
{
    const BodyRow* entry = bodyForMenuValue(value);
    if (!entry)
        return false;  // not an entry of the menu
    // Stored first, so frames drawn while the box is open show the body.
    viewMode = entry->viewMode;
    if (entry->factCaption && hooks.showFacts)
        hooks.showFacts(tr(entry->factCaption), tr(entry->factText));
    if (hooks.redisplay)
        hooks.redisplay();
    return true;
}

void setPlatformHooks(const PlatformHooks& table) { hooks = table; }

const PlatformHooks& platformHooks() { return hooks; }
