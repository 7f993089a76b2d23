// The wasm program's own state between the page's calls: the WebGL 2
// context, the canvas size and the main loop.
#pragma once

// Creates the WebGL 2 context on the canvas #scene at the given size,
// prepares the renderer, starts fetching the pictures and the main loop
// (one ss_frame per displayed frame).  False when the browser gives no
// WebGL 2 context or the shaders do not build.
bool startViewer(int width, int height);
// The canvas's drawing buffer and the projection at a new size.
void resizeViewer(int width, int height);
int viewerWidth();
int viewerHeight();

// The page's pause (a hidden page): no clock steps while it holds.
void setPagePaused(bool paused);
bool pagePaused();
