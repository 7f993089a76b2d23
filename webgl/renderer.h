// The WebGL 2 renderer: the scene the desktop's OpenGL 1.1 renderer draws
// (render/), drawn through one pair of GLSL ES 3.00 shaders that reproduce
// what the fixed-function state of the desktop does to it: OpenGL's default
// lights (light 0 white from the viewer's direction, a scene ambient of 0.2)
// lighting the current colour per vertex, textures replacing the lit colour,
// back faces culled, depth test less-or-equal.  The meshes come from the
// core (core/meshes.h), the state it draws from the core's globals.
//
// It needs a current WebGL 2 (OpenGL ES 3.0) context for every call but
// webglIdentificationColour.  Nothing here loads pictures: the program
// uploads each slot's picture into webglTexture(slot) and reports it with
// webglTextureReady; until then the slot's surfaces are drawn untextured
// and lit, as the desktop draws a slot whose picture is missing.
#pragma once

#include "core/bodies.h"
#include "core/viewer_state.h"

// The sky picture's slot, after the body and scene slots.
constexpr int WEBGL_SKY_SLOT = TEXTURE_SLOT_COUNT;
constexpr int WEBGL_TEXTURE_COUNT = TEXTURE_SLOT_COUNT + 1;

// Compiles the shaders and makes the textures; false when a shader does
// not compile or link (the reason on stderr).
bool webglInit();
// What the desktop's reshape sets: the viewport and the projection
// (60 degrees vertically, near 0.01, far 1000).
void webglViewport(int width, int height);
// The scene into the drawing buffer: the overview (view mode 10) or the
// close-up of viewMode, as render/ draws it.
void webglDrawScene();

// The texture object of a slot (WEBGL_SKY_SLOT for the sky), and the note
// that its picture is in place.  Out-of-range slots: 0, ignored.
unsigned int webglTexture(int slot);
void webglTextureReady(int slot);

// The flat-colour pass for tests: each body (enum Body) in
// webglIdentificationColour, everything else black, no lighting or texture.
extern bool webglIdentificationPass;
void webglIdentificationColour(int body, unsigned char rgb[3]);

// Where the last frame drew each body's centre, in eye coordinates, and its
// radius; indexed by enum Body.  drawn is false for a body not in the frame
// (every body in a close-up).
struct WebglAnchor {
    bool drawn;
    float eye[3];
    float radius;
};
extern WebglAnchor webglAnchors[BODY_ROW_COUNT];
// A point in eye coordinates on the canvas, as gluProject puts it: x right,
// y up from the bottom-left corner, depth 0..1.  False when it cannot be
// projected (on the eye plane).
bool webglProject(const float eye[3], double window[3]);
