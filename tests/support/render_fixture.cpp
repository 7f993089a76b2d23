#include "tests/support/render_fixture.h"

#include <gtest/gtest.h>

#include <GL/freeglut.h>

#include <cstdlib>
#include <filesystem>

#include "app/viewer.h"
#include "image/image.h"
#include "platform/message_box.h"
#include "render/render.h"
#include "core/viewer_state.h"
#include "tests/support/pin_libraries.h"
#include "tests/support/viewer_globals.h"

#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb/stb_image_write.h>

const Rgb slotColours[17] = {
    {255, 200, 0},    // Sun
    {160, 160, 160},  // Mercury
    {230, 140, 40},   // Venus
    {0, 90, 255},     // Earth
    {250, 250, 250},  // Moon
    {220, 30, 20},    // Mars
    {200, 150, 100},  // Jupiter
    {240, 220, 120},  // Saturn
    {100, 230, 230},  // Uranus
    {40, 40, 200},    // Neptune
    {150, 90, 60},    // Pluto
    {10, 10, 10},     // c, never bound
    {0, 200, 0},      // bbb: the ball
    {255, 180, 150},  // personface
    {200, 0, 200},    // personbody
    {0, 0, 120},      // personjean
    {120, 255, 0},    // b3: the band
};

void uploadTexture(GLuint name, int w, int h, const unsigned char* rgb)
{
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, w, h, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

namespace {

void uploadFlat(GLuint name, Rgb c)
{
    unsigned char pixels[4 * 4 * 3];
    for (int i = 0; i < 16; ++i) {
        pixels[i * 3] = c.r;
        pixels[i * 3 + 1] = c.g;
        pixels[i * 3 + 2] = c.b;
    }
    uploadTexture(name, 4, 4, pixels);
}

void ignoreBox(const char*, const char*) {}

}  // namespace

void installTestTextures()
{
    // The picture loader generates the names when it finds its files; the
    // tests never ship those files, so make sure every slot has one.
    bool missing = false;
    for (unsigned id : textureIds)
        missing = missing || id == 0;
    if (missing)
        glGenTextures(TEXTURE_SLOT_COUNT, textureIds);
    for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot)
        uploadFlat(textureIds[slot], slotColours[slot]);
    uploadFlat(SKY_TEXTURE, SKY_COLOUR);
    // The state the texture set leaves: textures replace the lit colour,
    // back faces are culled.
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_CULL_FACE);
    glPolygonMode(GL_FRONT, GL_FILL);
}

void resetViewer()
{
    resetViewerState();
    reshape(WINDOW_WIDTH, WINDOW_HEIGHT);
}

void openViewerWindow(int* argc, char** argv)
{
    // The entry point creates the cylinder quadric before GLUT starts.
    createCylinderQuadric();
    glutInit(argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(WINDOW_WIDTH, WINDOW_HEIGHT);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("Solar System");
    glutReshapeFunc(reshape);
    glutDisplayFunc(display);
    setImageErrorPopups(0);
    setMessageBoxRecorder(ignoreBox);
    initRenderState();
    installTestTextures();
    // Let the window appear and GLUT deliver its first reshape and expose.
    for (int i = 0; i < 20; ++i)
        glutMainLoopEvent();
    pinLoadedLibraries();
    resetViewer();
}

void closeViewerWindow()
{
    if (const int window = glutGetWindow())
        glutDestroyWindow(window);
    glutMainLoopEvent();
}

Frame readFrame()
{
    Frame frame;
    frame.width = glutGet(GLUT_WINDOW_WIDTH);
    frame.height = glutGet(GLUT_WINDOW_HEIGHT);
    frame.rgb.resize(static_cast<std::size_t>(frame.width) * frame.height * 3);
    glFinish();
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, frame.width, frame.height, GL_RGB, GL_UNSIGNED_BYTE, frame.rgb.data());
    return frame;
}

Frame drawFrame()
{
    display();
    return readFrame();
}

void saveShot(const Frame& frame, const std::string& name)
{
    const char* dir = std::getenv("SOLAR_SHOT_DIR");
    if (!dir || !*dir)
        return;
    std::filesystem::create_directories(dir);
    const std::string path = std::string(dir) + "/" + name + ".png";
    // PNG rows run top to bottom; GL's run bottom to top.
    stbi_flip_vertically_on_write(1);
    stbi_write_png(path.c_str(), frame.width, frame.height, 3, frame.rgb.data(), frame.width * 3);
}

namespace {

class ViewerWindow : public ::testing::Environment {
public:
    ViewerWindow(int* argc, char** argv) : argc_(argc), argv_(argv) {}
    void SetUp() override { openViewerWindow(argc_, argv_); }
    void TearDown() override { closeViewerWindow(); }

private:
    int* argc_;
    char** argv_;
};

}  // namespace

int runTestsInViewerWindow(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    static int storedArgc;
    storedArgc = argc;
    ::testing::AddGlobalTestEnvironment(new ViewerWindow(&storedArgc, argv));
    return RUN_ALL_TESTS();
}

void projectOverviewPoint(double x, double y, double z, double* wx, double* wy)
{
    GLdouble model[16], proj[16];
    GLint viewport[4];
    glPushMatrix();
    glLoadIdentity();
    glRotatef(viewRotX, 1, 0, 0);
    glRotatef(viewRotY, 0, 1, 0);
    gluLookAt(eyeX, 0, eyeZ, centerX, 0, centerZ, 0, 1, 0);
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glPopMatrix();
    glGetDoublev(GL_PROJECTION_MATRIX, proj);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble wz;
    gluProject(x, y, z, model, proj, viewport, wx, wy, &wz);
}
