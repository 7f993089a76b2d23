// Every control of the viewer, defined once: the keys, special keys and
// mouse buttons that trigger it, what it does, and the line the help panel
// shows for it.  The keyboard, special-key and mouse callbacks dispatch
// through this table, and the help panel lists it.
#pragma once

#include <string>

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

// What the status line says now ("" for nothing): the rate and direction of
// time while they differ from 1x forwards.  Another mode with a status of
// its own plugs in here.
std::string statusText();

// The English names of the bodies (tr() gives the chosen language), Sun to
// Pluto by TextureSlot, the Moon at 4.
extern const char* const bodyNames[11];

// The short notice shown in the window ("" for none), e.g. after a
// screenshot; it goes away by itself after two seconds.
extern std::string noticeText;
void showNotice(const std::string& text);

// Draws the help panel, the names, the status line and the notice over the
// frame; registered as the renderer's frameOverlay.  Issues no OpenGL call
// when there is nothing to show.
void drawOverlays();

// F12: the window's picture, without the notice, as a PNG into the user's
// pictures folder; prints the path on standard output.  Returns the path,
// or "" when it could not be written (the reason goes to standard error).
std::string takeScreenshot();
// Where takeScreenshot writes: `xdg-user-dir PICTURES`, else $HOME/Pictures,
// else the working directory.
std::string screenshotFolder();
// Draws the frame again without the notice and reads it back from the back
// buffer: width x height RGB pixels, top row first.
void readScreenshotPixels(int width, int height, unsigned char* rgbTopFirst);
// Writes rows of RGB pixels, top row first, as a PNG; false on failure.
bool writePng(const std::string& path, int width, int height, const unsigned char* rgbTopFirst);
