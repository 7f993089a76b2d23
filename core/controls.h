// Every control of the viewer, defined once: the keys, special keys and
// mouse buttons that trigger it, what it does, and the line the help panel
// shows for it.  Each front end hands its keys and buttons to this table
// (the desktop from GLUT's callbacks, the web program from the page's
// events), and the help panel lists it.  What only the platform can do
// (quit, full screen, a screenshot, running the clocks, redisplay, message
// boxes) goes through the hook table the front end installs.
#pragma once

#include "core/camera.h"
#include "sky/sky.h"

struct Control {
    // How the help panel, the README and the manual page name the input,
    // e.g. "F1 / h / ?" (English; shown through tr()).
    const char* input;
    // What it does, one line (English; shown through tr()).
    const char* help;
    // Ordinary keys that trigger it ("" for none; Esc is "\x1b").
    const char* keys;
    // Special keys (CoreKey) that trigger it, 0 where unused.
    int specialKeys[2];
    // Mouse buttons (CoreButton) whose press triggers it, -1 where unused.
    int buttons[2];
    // Runs the control, given the key, special key or button.  Null where
    // the front end's mouse and motion handling does the work itself (drag,
    // click, the menu on the right button).
    void (*run)(int code);
};

extern const Control controls[];
extern const int CONTROL_COUNT;

// The control an input triggers, or null.
const Control* controlForKey(unsigned char key);
const Control* controlForSpecialKey(int coreKey);
const Control* controlForButton(int button);

// Runs the control an input triggers; false when none does.
bool keyPressed(unsigned char key);
bool specialKeyPressed(int coreKey);
bool buttonPressed(int button);  // a press; releases trigger nothing

// What holding the left button does to the animation clock outside date
// mode: while the animation runs, holding the button stops the clock and
// releasing it runs the clock again; a space-bar pause is left alone.
enum ClockWish { CLOCK_AS_IS, CLOCK_STOP, CLOCK_RUN };
ClockWish clockAfterLeftButton(bool down);

// The left button went down or up at (x, y): the drag's state, then in
// date mode a click (not a drag) starts or stops the date clock, and
// otherwise the clock follows clockAfterLeftButton.
void leftButton(bool down, int x, int y);

// The body menu's entry of that value (1..10 a body's close-up, 11 the
// overview): its view mode, and its fact box through the showFacts hook if
// it has one, then a redisplay.  False, and nothing done, for any other
// value.
bool chooseBody(int value);

// What the front end does for the core.  Null hooks are skipped.
//
// setAnimating and setDateClock share one slot, as GLUT's single idle
// callback does on the desktop: each call says what is to be stepped from
// now on, once a frame or whenever idle: clockStep() (setAnimating(true)),
// dateClockStep() (setDateClock(true)) or nothing (either with false).
// Entering date mode calls setDateClock and so ends the animation's
// stepping; leaving it calls setAnimating with what ran before.
struct PlatformHooks {
    void (*quit)();                  // Esc: end the viewer
    void (*fullScreen)();            // F11: full screen on / off
    void (*screenshot)();            // F12
    void (*setAnimating)(bool on);   // step clockStep() from now on, or nothing
    void (*redisplay)();             // draw a frame soon
    void (*setLighting)(bool on);    // lightingOn changed
    void (*setDateClock)(bool run);  // step dateClockStep() from now on, or nothing
    // A body's fact box, caption and text already in the chosen language.
    void (*showFacts)(const char* caption, const char* text);
    // Every body's position at the Julian day jdUtc (UTC), for date mode.
    void (*skyPositions)(double jdUtc, SkyPosition positions[SKY_BODY_COUNT]);
};
void setPlatformHooks(const PlatformHooks& hooks);
const PlatformHooks& platformHooks();
