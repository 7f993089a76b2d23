// The viewer's callbacks and the table of body facts.  Every function here
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

// Menu callback: value 1..10 shows a body's close-up and its fact box,
// 11 returns to the overview.
void selectBody(int value);

// A body's fact box: its Korean name and six lines of facts (UTF-8).
struct BodyFacts {
    const char* caption;
    const char* text;
};
constexpr int BODY_COUNT = 10;
// Sun, Mercury, Venus, Earth, Mars, Jupiter, Saturn, Uranus, Neptune, Pluto.
extern const BodyFacts bodyFacts[BODY_COUNT];
