// objtool view: a GLUT window showing one model, or one rendered frame
// written as a picture (--snapshot).  This file reads the command line and
// the model and runs the window; view.h names the other parts.
#include <GL/freeglut.h>
#include <unistd.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "model/glm_core.h"
#include "tools/objtool/objtool.h"
#include "tools/objtool/view.h"

const char* const DRAW_MODE_NAMES[DRAW_MODE_COUNT] = {"flat", "smooth", "texture", "color", "material"};

ViewState view;

void showWarnings(const std::vector<std::string>& lines) { reportWarnings(lines, view.modelName + ": "); }

void updateTitle()
{
    char text[512];
    std::snprintf(text, sizeof text, "%s - %u triangles - %s, %s%s, smoothing %g deg", view.modelName.c_str(),
                  view.model->faceCount, DRAW_MODE_NAMES[view.drawMode], view.lighting ? "lit" : "unlit",
                  view.wireframe ? ", wireframe" : "", view.smoothAngle);
    glutSetWindowTitle(text);
}

namespace {

void display()
{
    drawFrame();
    if (snapshotPending()) {
        snapshotTake(view.windowWidth, view.windowHeight);
        glutLeaveMainLoop();
        return;
    }
    glutSwapBuffers();
}

void reshape(int width, int height)
{
    view.windowWidth = width;
    view.windowHeight = height;
    glutPostRedisplay();
}

// GLUT's fatal errors (no display, no visual) end the process; objtool
// says what happened first.
void glutError(const char* format, va_list args)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    fail(std::string("view: ") + text);
    snapshotAbandon();
    std::fflush(stdout);
    ::_exit(EXIT_FAILED);
}

void glutWarning(const char* format, va_list args)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    warn(std::string("view: ") + text);
}

bool parseSize(const char* text, int* width, int* height)
{
    char extra;
    int w, h;
    if (std::sscanf(text, "%dx%d%c", &w, &h, &extra) != 2)
        return false;
    if (w < 1 || h < 1 || w > 8192 || h > 8192)
        return false;
    *width = w;
    *height = h;
    return true;
}

bool parseDrawMode(const char* text)
{
    for (int i = 0; i < DRAW_MODE_COUNT; i++)
        if (!std::strcmp(text, DRAW_MODE_NAMES[i])) {
            view.drawMode = static_cast<DrawMode>(i);
            return true;
        }
    if (!std::strcmp(text, "colour")) {
        view.drawMode = DRAW_COLOR;
        return true;
    }
    return false;
}

}  // namespace

int commandView(int argc, char** argv)
{
    const char* path = nullptr;
    const char* snapshotPath = nullptr;
    bool modeGiven = false;
    const std::vector<Option> options = {
        {"--snapshot", "a file",
         [&](const char* value, std::string*) {
             snapshotPath = value;
             return true;
         }},
        {"--size", "WIDTHxHEIGHT from 1x1 to 8192x8192",
         [](const char* value, std::string*) { return parseSize(value, &view.windowWidth, &view.windowHeight); }},
        {"--mode", "flat, smooth, texture, color or material",
         [&](const char* value, std::string*) {
             modeGiven = true;
             return parseDrawMode(value);
         }},
        {"--angle", "0 to 180 degrees",
         [](const char* value, std::string*) {
             return parseFloat(value, &view.smoothAngle) && view.smoothAngle >= 0.0f && view.smoothAngle <= 180.0f;
         }},
        {"--wireframe", nullptr,
         [](const char*, std::string*) {
             view.wireframe = true;
             return true;
         }},
        {"--unlit", nullptr,
         [](const char*, std::string*) {
             view.lighting = false;
             return true;
         }},
    };
    if (!parseArguments("view", argc, argv, options, MissingValue::SAY_MISSING, oneModel(&path)))
        return EXIT_USAGE;
    if (!path) {
        fail("view: no model given (objtool view FILE.obj)");
        return EXIT_USAGE;
    }

    std::vector<std::string> warnings;
    view.model = loadModel(path, &warnings);
    if (!view.model)
        return EXIT_FAILED;
    view.modelName = baseName(path);
    showWarnings(warnings);
    // A model with materials of its own, or colours, is shown with them.
    if (!modeGiven && ((view.model->materialTable && view.model->materialCount > 1) || view.model->colors))
        view.drawMode = DRAW_MATERIAL;

    if (view.model->vertexCount > 0) {
        // The normals come through the core: a failure (out of memory) is
        // told after the capture with the library's message.
        GlmError error{GLM_OK, ""};
        bool done = true;
        showWarnings(captureOutput([&] {
            unitize(view.model);
            // Lines and points alone need no normals (and every vertex would
            // be one "without a triangle").
            if (view.model->faceCount > 0) {
                done = glmComputeFaceNormals(view.model, &error);
                if (done && !view.model->normals)
                    done = glmComputeVertexNormals(view.model, smoothingAngle(view.smoothAngle), &error);
            }
        }));
        if (!done) {
            fail("view: " + libraryMessage(error.message));
            return EXIT_FAILED;
        }
        float radius = 0.0f;
        for (unsigned i = 1; i <= view.model->vertexCount; i++) {
            const float* v = &view.model->vertices[3 * i];
            float r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
            if (std::isfinite(r) && r > radius)
                radius = r;
        }
        if (radius > 0.0f)
            view.modelRadius = radius;
    }

    if (snapshotPath && !snapshotBegin(snapshotPath)) {
        glmDestroy(view.model);
        return EXIT_FAILED;
    }

    glutInitErrorFunc(glutError);
    glutInitWarningFunc(glutWarning);
    int glutArgc = 1;
    char programName[] = "objtool";
    char* glutArgv[] = {programName, nullptr};
    glutInit(&glutArgc, glutArgv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(view.windowWidth, view.windowHeight);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("objtool");
    updateTitle();
    initDrawing();
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyboard);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutMouseWheelFunc(wheel);
    glutMainLoop();

    const bool failed = snapshotPath && !snapshotEnd();
    glmDestroy(view.model);
    view.model = nullptr;
    return failed ? EXIT_FAILED : EXIT_OK;
}
