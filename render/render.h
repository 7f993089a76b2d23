// Scene rendering: the textured sphere, the render state, the overview and
// the close-ups.
#pragma once

#include "core/bodies.h"
#include "render/gl_handles.h"

// A sphere of latitude bands (triangle strips) with normals and texture
// coordinates; n is the slice count around the equator.  Negative values
// count as their size; fewer than 4 slices or no radius draws the centre
// as one point.  Binds nothing and changes no enable state.
void drawSphere(float cx, float cy, float cz, float radius, int n);

// Creates cylinderQuadric (filled); called once, before the window opens
// (GLU needs no context for it).
void createCylinderQuadric();

// Fixed OpenGL state for the whole run; loads the textures.  Always true.
bool initRenderState();

// The GLUT display callback: the scene, then frameOverlay if one is set,
// then the swap.
void display();
// The scene alone into the back buffer: the overview (viewMode 10) or a
// close-up, without overlays, flush or swap.
void drawScene();
// Drawn over every frame before the swap (text panels, names); it must
// leave the OpenGL state as it found it.  Null for none.
extern void (*frameOverlay)();

// Where the overview drew each body in its last frame, in eye coordinates,
// recorded only while showNames is on.  Indexed by the body table's index
// (Body, state/bodies.h); a row that is no body is never drawn.
struct BodyAnchor {
    bool drawn;
    float eye[3];  // the body's centre
    float radius;  // in world units
};
constexpr int BODY_ANCHOR_COUNT = BODY_ROW_COUNT;
extern BodyAnchor bodyAnchors[BODY_ANCHOR_COUNT];

// Close-ups of one body, drawn from a fixed camera inside the body.
void drawCloseUp(int slot);
void drawCloseUpWithMoon(int slot);
void drawCloseUpWithRing();

// The close-up the body table gives for a view mode (0..9, Sun to Pluto);
// other modes draw nothing.
void drawCloseUpView(int mode);

// The flat-colour identification pass, for tests comparing renderers (off
// by default; off, the frames are untouched): each body (enum Body) drawn
// in identificationColour, everything else black, without lighting or
// texturing.  The WebGL renderer draws the same pass.
extern bool identificationPass;
struct IdentificationColour {
    unsigned char r, g, b;
};
constexpr IdentificationColour identificationColour(int body)
{
    return {static_cast<unsigned char>(40 + 20 * body), static_cast<unsigned char>(255 - 20 * body), 128};
}
// In the pass, makes the body's colour current (NO_BODY: black); outside
// it, does nothing.
void identifyBody(int body);
