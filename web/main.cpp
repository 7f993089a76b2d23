// The wasm program: the WebGL 2 context on the page's canvas and the
// browser-driven main loop.  The page starts it with ss_start (web/api.cpp);
// main itself only returns, leaving the runtime alive for the page's calls.
#include <GLES3/gl3.h>
#include <emscripten.h>
#include <emscripten/html5.h>

#include "web/api.h"
#include "web/pictures.h"
#include "web/viewer.h"
#include "webgl/renderer.h"

namespace {

int width = 0;
int height = 0;
bool paused = false;
bool started = false;

void frame() { ss_frame(); }

}  // namespace

bool startViewer(int w, int h)
{
    if (started) {
        resizeViewer(w, h);
        return true;
    }
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.alpha = false;
    attributes.depth = true;
    attributes.antialias = false;  // the desktop draws without multisampling
    // Kept after each frame, so that the page can read pixels (screenshots,
    // tests) at any time.
    attributes.preserveDrawingBuffer = true;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context("#scene", &attributes);
    if (context <= 0)
        return false;
    emscripten_webgl_make_context_current(context);
    if (!webglInit())
        return false;
    started = true;
    resizeViewer(w, h);
    loadPictures();
    emscripten_set_main_loop(frame, 0, 0);
    return true;
}

void resizeViewer(int w, int h)
{
    width = w > 0 ? w : 1;
    height = h > 0 ? h : 1;
    emscripten_set_canvas_element_size("#scene", width, height);
    webglViewport(width, height);
}

int viewerWidth() { return width; }
int viewerHeight() { return height; }

void setPagePaused(bool on) { paused = on; }
bool pagePaused() { return paused; }

int main() { return 0; }
