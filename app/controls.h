// Every control of the viewer, defined once: the keys, special keys and
// mouse buttons that trigger it, what it does, and the line the help panel
// shows for it.  The keyboard, special-key and mouse callbacks dispatch
// through this table, and the help panel lists it.
#pragma once

struct Control {
    // How the help panel, the README and the manual page name the input,
    // e.g. "F1 / h / ?" (English; shown through tr()).
    const char* input;
    // What it does, one line (English; shown through tr()).
    const char* help;
    // Ordinary keys that trigger it ("" for none; Esc is "\x1b").
    const char* keys;
    // GLUT special keys that trigger it, 0 where unused.
    int specialKeys[2];
    // GLUT mouse buttons whose press triggers it, -1 where unused.
    int buttons[2];
    // Runs the control, given the key, special key or button.  Null where
    // the mouse and motion callbacks do the work themselves (drag, click,
    // the menu on the right button).
    void (*run)(int code);
};

extern const Control controls[];
extern const int CONTROL_COUNT;

// The control an input triggers, or null.
const Control* controlForKey(unsigned char key);
const Control* controlForSpecialKey(int key);
const Control* controlForButton(int button);
