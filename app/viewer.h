// The viewer's callbacks and the body menu.  Every function here
// runs on the thread of the GLUT main loop, one callback at a time.
#pragma once

#include "core/camera.h"
#include "core/clock.h"

// Input: viewport and projection, keys, mouse buttons and drag, handed to
// the core's controls and its walk camera (core/camera.h).
void reshape(int width, int height);
void specialKey(int key, int x, int y);
void keyboard(unsigned char key, int x, int y);
void mouse(int button, int state, int x, int y);
void motion(int x, int y);

// Animation clock: the idle callback, one step of the core's clock
// (clockStep, core/clock.h) per call.
void animate();
// Installs animate as GLUT's idle callback (on) or removes the idle callback,
// and remembers which, since GLUT cannot be asked: date mode takes the idle
// callback over and hands it back exactly as it found it.  The core's
// setAnimationClock and animationClockOn under the desktop's names.
void setAnimateInstalled(bool on);
bool animateInstalled();

// Menu callback: the body table's entry of that value sets its view mode
// (1..10 a body's close-up, 11 the overview) and shows its fact box if it
// has one (chooseBody, core/controls.h).
void selectBody(int value);
// Creates the body menu with selectBody as its callback, one entry per menu
// value of the body table, and leaves it the current menu.
void buildBodyMenu();
