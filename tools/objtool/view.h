// objtool view, shared between its sources: the state of the window and
// what each part offers.  view.cpp parses the command line, loads the model
// and runs the window; view_draw.cpp draws a frame; view_snapshot.cpp
// writes one frame as a picture (--snapshot); view_keys.cpp holds the key
// table and the mouse.
#pragma once

#include <string>
#include <vector>

#include "model/glm.h"

enum DrawMode { DRAW_FLAT, DRAW_SMOOTH, DRAW_TEXTURE, DRAW_COLOR, DRAW_MATERIAL };
constexpr int DRAW_MODE_COUNT = 5;
extern const char* const DRAW_MODE_NAMES[DRAW_MODE_COUNT];

// What the window shows and how.
struct ViewState {
    GlmMesh* model = nullptr;
    std::string modelName;
    float modelRadius = 1.0f;  // bounding sphere after unitizing

    DrawMode drawMode = DRAW_SMOOTH;
    bool lighting = true;
    bool wireframe = false;
    float smoothAngle = 90.0f;
    float yaw = 0.0f, pitch = 0.0f;
    float zoom = 1.0f;  // distance factor: below 1 is closer
    int windowWidth = 800, windowHeight = 800;

    bool listStale = true;  // the model's display list must be compiled again
};
extern ViewState view;

// The library's warnings, prefixed with the model's name.
void showWarnings(const std::vector<std::string>& lines);

// The window's title: model, triangles, mode, lighting and smoothing angle.
void updateTitle();

// ---- Drawing (view_draw.cpp) ----

// The GL state, the checkerboard and the materials' textures; once, after
// the window is made.
void initDrawing();
// Draws the model into the back buffer, compiling its list again first when
// it is stale.
void drawFrame();
// Facet and vertex normals again at the current smoothing angle.
void recomputeNormals();

// ---- Snapshot (view_snapshot.cpp) ----

// Makes the temporary file of `path` (PNG for a ".png" name, raw PPM
// otherwise); false after a message.
bool snapshotBegin(const char* path);
// True from snapshotBegin until a frame is taken.
bool snapshotPending();
// Reads the back buffer's `width` x `height` pixels and writes them into
// the snapshot file, renamed into place; a failure is one message.
void snapshotTake(int width, int height);
// After the window: true when the frame was written; otherwise false, after
// saying so when no frame was drawn, with the temporary file removed.
bool snapshotEnd();
// Removes the temporary file, if any (GLUT is ending the process).
void snapshotAbandon();

// ---- Keys and mouse (view_keys.cpp) ----

void keyboard(unsigned char key, int x, int y);
void mouse(int button, int state, int x, int y);
void motion(int x, int y);
void wheel(int wheelNumber, int direction, int x, int y);
