// The viewer's callbacks and the body menu.  Every function here
// runs on the thread of the GLUT main loop, one callback at a time.
#pragma once

// Input: viewport and projection, walk camera, keys, mouse buttons and drag.
void reshape(int width, int height);
void updateCamera(int key);
void specialKey(int key, int x, int y);
void keyboard(unsigned char key, int x, int y);
void mouse(int button, int state, int x, int y);
void motion(int x, int y);

// Animation clock: the idle callback, one step per call.
void animate();
// The chosen rate, 2^timeRateExponent (1/16 to 64).
double timeRate();
// Installs animate as GLUT's idle callback (on) or removes the idle callback,
// and remembers which, since GLUT cannot be asked: date mode takes the idle
// callback over and hands it back exactly as it found it.
void setAnimateInstalled(bool on);
bool animateInstalled();

// Menu callback: the body table's entry of that value sets its view mode
// (1..10 a body's close-up, 11 the overview) and shows its fact box if it
// has one.
void selectBody(int value);
// Creates the body menu with selectBody as its callback, one entry per menu
// value of the body table, and leaves it the current menu.
void buildBodyMenu();
