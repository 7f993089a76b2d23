// The input arithmetic: the walk camera and the drag that turns the whole
// scene.  Done in double precision and rounded to float when stored, into
// the viewer state's eye, centre and rotation.
#pragma once

// The front ends' special keys, as the controls table lists them.  The
// values are GLUT's own, so that the desktop's mapping keeps every number.
enum CoreKey {
    CORE_KEY_F1 = 1,
    CORE_KEY_F11 = 11,
    CORE_KEY_F12 = 12,
    CORE_KEY_LEFT = 100,
    CORE_KEY_UP = 101,
    CORE_KEY_RIGHT = 102,
    CORE_KEY_DOWN = 103,
};

// Mouse buttons as the controls table lists them (GLUT's numbers): a wheel
// notch arrives as a press of WHEEL_UP or WHEEL_DOWN.
enum CoreButton {
    CORE_BUTTON_LEFT = 0,
    CORE_BUTTON_MIDDLE = 1,
    CORE_BUTTON_RIGHT = 2,
    CORE_BUTTON_WHEEL_UP = 3,
    CORE_BUTTON_WHEEL_DOWN = 4,
};

// mouseState while the left button is held (-1 otherwise).
constexpr int CORE_BUTTON_HELD = 0;

// Walks one step forward (CORE_KEY_UP) or back (CORE_KEY_DOWN) along the
// heading; any other key only puts the look-at point one unit ahead of the
// eye.
void updateCamera(int key);

// Turns the heading by one step, left for CORE_KEY_LEFT and right for any
// other key, and puts the look-at point ahead again.
void turnCamera(int key);

// What a new window size sets: the eye 50 units back, looking ahead.
void resetCamera();

// The drag: the left button pressed at (x, y), and released.
void dragPress(int x, int y);
void dragRelease();
// The pointer at (x, y): while the left button is held, turns the scene one
// degree per pixel moved (right or down turns it further) and returns true;
// otherwise does nothing and returns false.
bool dragTo(int x, int y);
