// Shared by the render tests and benchmarks: the viewer's real window with a
// flat-colour picture in every texture slot, so that each body can be told
// apart by the colour of its pixels.
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <string>
#include <vector>

struct Rgb {
    unsigned char r, g, b;
    bool operator==(const Rgb&) const = default;
};

constexpr int WINDOW_WIDTH = 900;
constexpr int WINDOW_HEIGHT = 800;

// The colour uploaded into each slot, and into the sky texture.
extern const Rgb slotColours[17];
constexpr Rgb SKY_COLOUR{30, 40, 90};

// glutInit, the 900 x 800 "Solar System" window with the viewer's reshape
// and display callbacks, the cylinder quadric, initRenderState (image error
// boxes silenced), the test pictures, and the first reshape.
void openViewerWindow(int* argc, char** argv);
// Destroys the window and its context, so that nothing of the driver's
// frame buffers outlives the run.
void closeViewerWindow();

// A test program's main: runs every test with the viewer's window open
// (opened only when tests run, not when they are merely listed).
int runTestsInViewerWindow(int argc, char** argv);

// Puts the flat test colours into every slot texture and the sky texture,
// with the texture state the scene is drawn under.
void installTestTextures();
// Fills texture name `name` with a w x h picture of the given pixels.
void uploadTexture(GLuint name, int w, int h, const unsigned char* rgb);

// Puts every viewer global back to its start value (resetViewerState), then
// runs reshape for the window size.
void resetViewer();

// A frame read back from the window, bottom row first.
struct Frame {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;
    Rgb at(int x, int y) const
    {
        const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 3;
        return {rgb[i], rgb[i + 1], rgb[i + 2]};
    }
};

// A world point of the overview in window coordinates (bottom row 0),
// through the drag rotations and the walk camera the frame is drawn with.
void projectOverviewPoint(double x, double y, double z, double* wx, double* wy);

// Runs display() and reads back the picture it drew.
Frame drawFrame();
// Reads back the last picture drawn.  Mesa's software rasteriser copies the
// back buffer to the window on a swap and keeps it, so the back buffer
// still holds the frame just shown.
Frame readFrame();

// Writes the frame as a PNG into $SOLAR_SHOT_DIR, if that is set.
void saveShot(const Frame& frame, const std::string& name);
