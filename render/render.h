// Scene rendering: the textured sphere, the render state, the overview and
// the close-ups.
#pragma once

// A sphere of latitude bands (triangle strips) with normals and texture
// coordinates; n is the slice count around the equator.  Negative values
// count as their size; fewer than 4 slices or no radius draws the centre
// as one point.  Binds nothing and changes no enable state.
void drawSphere(float cx, float cy, float cz, float radius, int n);

// Fixed OpenGL state for the whole run; loads the textures.  Always true.
bool initRenderState();

// The GLUT display callback: overview (viewMode 10) or a close-up.
void display();

// Close-ups of one body, drawn from a fixed camera inside the body.
void drawCloseUp(int slot);
void drawCloseUpWithMoon(int slot);
void drawCloseUpWithRing();

// The close-up of view mode 0..9 (Sun to Pluto); other modes draw nothing.
void drawCloseUpView(int mode);
