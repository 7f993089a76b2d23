// objtool view: a GLUT window showing one model, or one rendered frame
// written as a raw PPM picture (--snapshot).
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <string>
#include <vector>

#include "tools/objtool/objtool.h"

namespace {

enum DrawMode { DRAW_FLAT, DRAW_SMOOTH, DRAW_TEXTURE, DRAW_COLOR, DRAW_MATERIAL };
const char* const DRAW_MODE_NAMES[] = {"flat", "smooth", "texture", "color", "material"};

constexpr float FIELD_OF_VIEW = 30.0f;  // degrees, vertical
constexpr float ANGLE_STEP = 5.0f;

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
bool dragging = false;
int dragX = 0, dragY = 0;

GLuint modelList = 0;
bool listStale = true;
GLuint checkerTexture = 0;
// The texture of each material's "map_Kd" picture, by material index; 0
// where there is none or it could not be read.
std::vector<GLuint> materialTextures;

// --snapshot: the picture is written from the first frame, then the main
// loop ends.
bool snapshot = false;
bool snapshotPng = false;  // a name ending in ".png" gets PNG, any other PPM
OutputFile snapshotFile;
bool snapshotWritten = false;

unsigned modeFlags()
{
    switch (drawMode) {
    case DRAW_FLAT:
        return MODE_FLAT;
    case DRAW_SMOOTH:
        return MODE_SMOOTH;
    case DRAW_TEXTURE:
        return MODE_SMOOTH | MODE_TEXTURE;
    case DRAW_COLOR:
        return MODE_SMOOTH | MODE_COLOR;
    case DRAW_MATERIAL:
        return MODE_SMOOTH | MODE_MATERIAL;
    }
    return MODE_SMOOTH;
}

void showWarnings(const std::vector<std::string>& lines) { reportWarnings(lines, modelName + ": "); }

void updateTitle()
{
    char text[512];
    std::snprintf(text, sizeof text, "%s - %u triangles - %s, %s%s, smoothing %g deg", modelName.c_str(),
                  model->faceCount, DRAW_MODE_NAMES[drawMode], lighting ? "lit" : "unlit",
                  wireframe ? ", wireframe" : "", smoothAngle);
    glutSetWindowTitle(text);
}

void recomputeNormals()
{
    if (model->vertexCount == 0)
        return;
    showWarnings(captureOutput([] {
        glmFaceNormals(model);
        glmVertexNormals(model, smoothingAngle(smoothAngle));
    }));
    listStale = true;
}

// The picture file a material's "map_Kd" statement names (the last one
// wins), past its options; "" when it has none.  The name is the rest of
// the line, so names with spaces work.
std::string diffuseMapOf(const GlmMtlEntry& material)
{
    if (!material.keptStatements)
        return "";
    // Options and the number of values each takes; -o, -s and -t take one
    // to three numbers.
    static const std::pair<const char*, int> OPTIONS[] = {
        {"-blendu", 1}, {"-blendv", 1}, {"-cc", 1}, {"-clamp", 1}, {"-texres", 1}, {"-imfchan", 1}, {"-type", 1},
        {"-bm", 1},     {"-boost", 1},  {"-mm", 2}, {"-o", -3},    {"-s", -3},     {"-t", -3},
    };
    std::string found;
    std::string text = material.keptStatements;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? text.size() + 1 : end + 1;
        if (line.size() < 7 || strncasecmp(line.c_str(), "map_kd", 6) != 0 || (line[6] != ' ' && line[6] != '\t'))
            continue;
        std::size_t p = 6;
        auto skipBlanks = [&] {
            while (p < line.size() && (line[p] == ' ' || line[p] == '\t'))
                p++;
        };
        auto word = [&] {
            skipBlanks();
            std::size_t from = p;
            while (p < line.size() && line[p] != ' ' && line[p] != '\t')
                p++;
            return line.substr(from, p - from);
        };
        for (bool option = true; option;) {
            skipBlanks();
            std::size_t mark = p;
            std::string w = word();
            option = false;
            for (const auto& [name, values] : OPTIONS) {
                if (w != name)
                    continue;
                option = true;
                for (int k = 0; k < std::abs(values); k++) {
                    std::size_t before = p;
                    std::string value = word();
                    float number;
                    if (values < 0 && k > 0 && !parseFloat(value.c_str(), &number)) {
                        p = before;  // fewer numbers than three
                        break;
                    }
                }
            }
            if (!option)
                p = mark;
        }
        skipBlanks();
        std::string name = line.substr(p);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t' || name.back() == '\r'))
            name.pop_back();
        if (!name.empty())
            found = name;
    }
    return found;
}

// Loads every material's diffuse map as a texture; a picture that cannot be
// read is one warning, and its material is drawn without it.
void loadMaterialTextures()
{
    materialTextures.assign(model->materialTable ? model->materialCount : 0, 0);
    char* directory = glmDirectoryOf(model->sourcePath ? model->sourcePath : "");
    const std::string folder = directory ? directory : "";
    std::free(directory);
    for (unsigned i = 0; i < materialTextures.size(); i++) {
        std::string file = diffuseMapOf(model->materialTable[i]);
        if (file.empty())
            continue;
        std::string path = file[0] == '/' ? file : folder + file;
        Picture picture;
        std::string why;
        if (!loadPicture(path, &picture, &why)) {
            warn(modelName + ": texture \"" + path + "\": " + why + "; drawn without it");
            continue;
        }
        GLuint name = 0;
        glGenTextures(1, &name);
        glBindTexture(GL_TEXTURE_2D, name);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
        // Mipmaps scale any size to powers of two, which every GL takes.
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, picture.width, picture.height, GL_RGB, GL_UNSIGNED_BYTE,
                          picture.pixels.data());
        materialTextures[i] = name;
    }
}

// The material mode: each group with its material, its diffuse map where it
// has one and the model has texture coordinates, and the vertex colours
// where the model has them.
void drawWithMaterials()
{
    const bool colours = model->colors != nullptr;
    if (colours)
        glEnable(GL_COLOR_MATERIAL);
    else
        glDisable(GL_COLOR_MATERIAL);
    for (const GlmFaceGroup* group = model->groupList; group; group = group->next) {
        GLuint texture = 0;
        if (model->materialTable && group->materialIndex < model->materialCount) {
            const GlmMtlEntry& m = model->materialTable[group->materialIndex];
            glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, m.ambientColor);
            glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, m.diffuseColor);
            glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, m.specularColor);
            glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m.specularExponent);
            glColor3fv(m.diffuseColor);
            if (model->uvs && group->materialIndex < materialTextures.size())
                texture = materialTextures[group->materialIndex];
        }
        if (texture) {
            glEnable(GL_TEXTURE_2D);
            glBindTexture(GL_TEXTURE_2D, texture);
        } else {
            glDisable(GL_TEXTURE_2D);
        }
        glBegin(GL_TRIANGLES);
        for (unsigned i = 0; i < group->faceCount; i++) {
            const GlmFace& f = model->faces[group->faceList[i]];
            if (model->facetnorms && f.facetnormRef)
                glNormal3fv(&model->facetnorms[3 * f.facetnormRef]);
            for (int k = 0; k < 3; k++) {
                if (model->normals && f.normalRefs[k])
                    glNormal3fv(&model->normals[3 * f.normalRefs[k]]);
                if (texture)
                    glTexCoord2fv(&model->uvs[2 * f.uvRefs[k]]);
                if (colours)
                    glColor3fv(&model->colors[3 * f.vertexRefs[k]]);
                glVertex3fv(&model->vertices[3 * f.vertexRefs[k]]);
            }
        }
        glEnd();
    }
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_COLOR_MATERIAL);
}

// Lines and points, unlit, in their vertex colours or a light grey.
void drawLinesAndPoints()
{
    if ((!model->lineCount || !model->lineVertexRefs) && (!model->pointCount || !model->pointVertexRefs))
        return;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_POINT_BIT | GL_LINE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glLineWidth(2.0f);
    glPointSize(5.0f);
    glColor3f(0.95f, 0.95f, 0.85f);
    auto vertex = [](unsigned v) {
        if (v == 0 || v > model->vertexCount)
            return;
        if (model->colors)
            glColor3fv(&model->colors[3 * v]);
        glVertex3fv(&model->vertices[3 * v]);
    };
    for (unsigned i = 0; model->lines && model->lineVertexRefs && i < model->lineCount; i++) {
        glBegin(GL_LINE_STRIP);
        for (unsigned k = 0; k < model->lines[i].count; k++)
            vertex(model->lineVertexRefs[model->lines[i].first + k]);
        glEnd();
    }
    if (model->pointVertexRefs && model->pointCount) {
        glBegin(GL_POINTS);
        for (unsigned i = 0; i < model->pointCount; i++)
            vertex(model->pointVertexRefs[i]);
        glEnd();
    }
    glPopAttrib();
}

void rebuildList()
{
    if (modelList)
        glDeleteLists(modelList, 1);
    if (drawMode == DRAW_MATERIAL) {
        modelList = glGenLists(1);
        glNewList(modelList, GL_COMPILE);
        drawWithMaterials();
        glEndList();
        listStale = false;
        return;
    }
    if (drawMode == DRAW_TEXTURE && !model->uvs && model->vertexCount > 0) {
        // Without texture coordinates of its own the model gets a planar
        // projection, so the texture mode still shows something.
        showWarnings(captureOutput([] { glmPlanarUVs(model); }));
    }
    const unsigned flags = modeFlags();
    showWarnings(captureOutput([flags] { modelList = glmCompileList(model, flags); }));
    listStale = false;
}

// A grey checkerboard for the texture mode.
void makeCheckerTexture()
{
    constexpr int SIZE = 64;
    std::vector<unsigned char> pixels(SIZE * SIZE * 3);
    for (int y = 0; y < SIZE; y++)
        for (int x = 0; x < SIZE; x++) {
            unsigned char value = ((x / 8) + (y / 8)) % 2 ? 255 : 90;
            for (int c = 0; c < 3; c++)
                pixels[(y * SIZE + x) * 3 + c] = value;
        }
    glGenTextures(1, &checkerTexture);
    glBindTexture(GL_TEXTURE_2D, checkerTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, SIZE, SIZE, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void initState()
{
    glClearColor(0.12f, 0.13f, 0.16f, 1.0f);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_NORMALIZE);
    glShadeModel(GL_SMOOTH);
    glLightModeli(GL_LIGHT_MODEL_TWO_SIDE, GL_TRUE);
    const GLfloat ambient[] = {0.25f, 0.25f, 0.25f, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, ambient);
    const GLfloat white[] = {1.0f, 1.0f, 1.0f, 1.0f};
    glLightfv(GL_LIGHT0, GL_DIFFUSE, white);
    glLightfv(GL_LIGHT0, GL_SPECULAR, white);
    glEnable(GL_LIGHT0);
    glColorMaterial(GL_FRONT_AND_BACK, GL_AMBIENT_AND_DIFFUSE);
    makeCheckerTexture();
    loadMaterialTextures();
}

void display()
{
    if (listStale)
        rebuildList();
    glViewport(0, 0, windowWidth, windowHeight);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // The camera stands far enough back for the bounding sphere to fit the
    // narrower side of the window.
    const float aspect = windowHeight > 0 ? static_cast<float>(windowWidth) / windowHeight : 1.0f;
    const float halfAngle = FIELD_OF_VIEW / 2 * 3.14159265f / 180;
    float distance = modelRadius / std::sin(halfAngle) * 1.05f;
    if (aspect < 1.0f)
        distance /= aspect;
    distance *= zoom;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW, aspect, std::fmax(distance - modelRadius * 2, 0.01f), distance + modelRadius * 2);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat lightDirection[] = {0.4f, 0.6f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, lightDirection);
    glTranslatef(0.0f, 0.0f, -distance);
    glRotatef(pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(yaw, 0.0f, 1.0f, 0.0f);

    if (lighting)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, wireframe ? GL_LINE : GL_FILL);
    if (drawMode == DRAW_TEXTURE) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, checkerTexture);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    if (drawMode != DRAW_COLOR && drawMode != DRAW_MATERIAL) {
        // The material mode's list sets its own; the others use a plain grey.
        glDisable(GL_COLOR_MATERIAL);
        const GLfloat diffuse[] = {0.8f, 0.8f, 0.8f, 1.0f}, ambient[] = {0.2f, 0.2f, 0.2f, 1.0f},
                      specular[] = {0.3f, 0.3f, 0.3f, 1.0f};
        glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, diffuse);
        glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, ambient);
        glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, specular);
        glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, 32.0f);
        glColor3f(0.85f, 0.85f, 0.85f);
    }
    if (modelList)
        glCallList(modelList);
    drawLinesAndPoints();

    if (snapshot && !snapshotWritten) {
        glFinish();
        std::vector<unsigned char> rows(static_cast<std::size_t>(windowWidth) * windowHeight * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadBuffer(GL_BACK);
        glReadPixels(0, 0, windowWidth, windowHeight, GL_RGB, GL_UNSIGNED_BYTE, rows.data());
        std::string picture;
        bool ok = true;
        if (snapshotPng) {
            Picture frame;
            frame.width = windowWidth;
            frame.height = windowHeight;
            frame.pixels = std::move(rows);
            ok = encodePng(frame, &picture);
            if (!ok)
                errno = ENOMEM;
        } else {
            // OpenGL gives the bottom row first; PPM wants the top row first.
            picture = "P6\n" + std::to_string(windowWidth) + " " + std::to_string(windowHeight) + "\n255\n";
            const std::size_t stride = static_cast<std::size_t>(windowWidth) * 3;
            for (int y = windowHeight - 1; y >= 0; y--)
                picture.append(reinterpret_cast<const char*>(rows.data()) + y * stride, stride);
        }
        for (std::size_t done = 0; ok && done < picture.size();) {
            ssize_t n = ::write(snapshotFile.fd, picture.data() + done, picture.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            ok = n > 0;
            if (ok)
                done += static_cast<std::size_t>(n);
        }
        if (!ok) {
            fail(snapshotFile.finalPath + ": cannot write: " + std::strerror(errno));
            outputAbandon(&snapshotFile);
        } else {
            snapshotWritten = outputCommit(&snapshotFile);
        }
        snapshot = false;
        glutLeaveMainLoop();
        return;
    }
    glutSwapBuffers();
}

void reshape(int width, int height)
{
    windowWidth = width;
    windowHeight = height;
    glutPostRedisplay();
}

void keyboard(unsigned char key, int, int)
{
    switch (key) {
    case 'f':
        drawMode = DRAW_FLAT;
        listStale = true;
        break;
    case 's':
        drawMode = DRAW_SMOOTH;
        listStale = true;
        break;
    case 't':
        drawMode = DRAW_TEXTURE;
        listStale = true;
        break;
    case 'c':
        drawMode = DRAW_COLOR;
        listStale = true;
        break;
    case 'm':
        drawMode = DRAW_MATERIAL;
        listStale = true;
        break;
    case 'l':
        lighting = !lighting;
        break;
    case 'w':
        wireframe = !wireframe;
        break;
    case 'n':
        recomputeNormals();
        break;
    case '[':
        smoothAngle = std::fmax(0.0f, smoothAngle - ANGLE_STEP);
        break;
    case ']':
        smoothAngle = std::fmin(180.0f, smoothAngle + ANGLE_STEP);
        break;
    case '+':
    case '=':
        zoom = std::fmax(0.05f, zoom * 0.9f);
        break;
    case '-':
    case '_':
        zoom = std::fmin(20.0f, zoom / 0.9f);
        break;
    case 'r':
        yaw = pitch = 0.0f;
        zoom = 1.0f;
        break;
    case 'q':
    case 27:
        glutLeaveMainLoop();
        return;
    default:
        return;
    }
    updateTitle();
    glutPostRedisplay();
}

void mouse(int button, int state, int x, int y)
{
    if (button == GLUT_LEFT_BUTTON) {
        dragging = state == GLUT_DOWN;
        dragX = x;
        dragY = y;
    }
}

void motion(int x, int y)
{
    if (!dragging)
        return;
    yaw += (x - dragX) * 0.5f;
    pitch += (y - dragY) * 0.5f;
    pitch = std::fmax(-90.0f, std::fmin(90.0f, pitch));
    dragX = x;
    dragY = y;
    glutPostRedisplay();
}

void wheel(int, int direction, int, int)
{
    zoom = direction > 0 ? std::fmax(0.05f, zoom * 0.9f) : std::fmin(20.0f, zoom / 0.9f);
    glutPostRedisplay();
}

// GLUT's fatal errors (no display, no visual) end the process; objtool
// says what happened first.
void glutError(const char* format, va_list args)
{
    char text[512];
    std::vsnprintf(text, sizeof text, format, args);
    fail(std::string("view: ") + text);
    if (snapshotFile.fd >= 0 || !snapshotFile.tempPath.empty())
        outputAbandon(&snapshotFile);
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
    for (int i = 0; i < 5; i++)
        if (!std::strcmp(text, DRAW_MODE_NAMES[i])) {
            drawMode = static_cast<DrawMode>(i);
            return true;
        }
    if (!std::strcmp(text, "colour")) {
        drawMode = DRAW_COLOR;
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
    for (int i = 0; i < argc; i++) {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        if (!std::strcmp(arg, "--snapshot") && value) {
            snapshotPath = value;
            i++;
        } else if (!std::strcmp(arg, "--size") && value) {
            if (!parseSize(value, &windowWidth, &windowHeight)) {
                fail(std::string("view: --size wants WIDTHxHEIGHT from 1x1 to 8192x8192, not \"") + value + "\"");
                return EXIT_USAGE;
            }
            i++;
        } else if (!std::strcmp(arg, "--mode") && value) {
            modeGiven = true;
            if (!parseDrawMode(value)) {
                fail(std::string("view: --mode wants flat, smooth, texture, color or material, not \"") + value + "\"");
                return EXIT_USAGE;
            }
            i++;
        } else if (!std::strcmp(arg, "--angle") && value) {
            if (!parseFloat(value, &smoothAngle) || smoothAngle < 0.0f || smoothAngle > 180.0f) {
                fail(std::string("view: --angle wants 0 to 180 degrees, not \"") + value + "\"");
                return EXIT_USAGE;
            }
            i++;
        } else if (!std::strcmp(arg, "--wireframe")) {
            wireframe = true;
        } else if (!std::strcmp(arg, "--unlit")) {
            lighting = false;
        } else if (arg[0] == '-' && arg[1] != '\0') {
            bool known = !std::strcmp(arg, "--snapshot") || !std::strcmp(arg, "--size") ||
                         !std::strcmp(arg, "--mode") || !std::strcmp(arg, "--angle");
            fail(std::string("view: ") + (known ? "missing value after " : "unknown option ") + "\"" + arg +
                 "\" (see objtool --help)");
            return EXIT_USAGE;
        } else if (!path) {
            path = arg;
        } else {
            fail("view: one model at a time (see objtool --help)");
            return EXIT_USAGE;
        }
    }
    if (!path) {
        fail("view: no model given (objtool view FILE.obj)");
        return EXIT_USAGE;
    }

    std::vector<std::string> warnings;
    model = loadModel(path, &warnings);
    if (!model)
        return EXIT_FAILED;
    modelName = baseName(path);
    showWarnings(warnings);
    // A model with materials of its own, or colours, is shown with them.
    if (!modeGiven && ((model->materialTable && model->materialCount > 1) || model->colors))
        drawMode = DRAW_MATERIAL;

    if (model->vertexCount > 0) {
        showWarnings(captureOutput([] {
            unitize(model);
            // Lines and points alone need no normals (and every vertex would
            // be one "without a triangle").
            if (model->faceCount > 0) {
                glmFaceNormals(model);
                if (!model->normals)
                    glmVertexNormals(model, smoothingAngle(smoothAngle));
            }
        }));
        float radius = 0.0f;
        for (unsigned i = 1; i <= model->vertexCount; i++) {
            const float* v = &model->vertices[3 * i];
            float r = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
            if (std::isfinite(r) && r > radius)
                radius = r;
        }
        if (radius > 0.0f)
            modelRadius = radius;
    }

    if (snapshotPath) {
        snapshot = true;
        const std::string name = snapshotPath;
        snapshotPng = name.size() >= 4 && strcasecmp(name.c_str() + name.size() - 4, ".png") == 0;
        if (!outputBegin(snapshotPath, &snapshotFile)) {
            glmDestroy(model);
            return EXIT_FAILED;
        }
    }

    glutInitErrorFunc(glutError);
    glutInitWarningFunc(glutWarning);
    int glutArgc = 1;
    char programName[] = "objtool";
    char* glutArgv[] = {programName, nullptr};
    glutInit(&glutArgc, glutArgv);
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(windowWidth, windowHeight);
    glutInitWindowPosition(0, 0);
    glutCreateWindow("objtool");
    updateTitle();
    initState();
    glutDisplayFunc(display);
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyboard);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutMouseWheelFunc(wheel);
    glutMainLoop();

    const bool wantedSnapshot = snapshotPath != nullptr;
    if (wantedSnapshot && !snapshotWritten) {
        if (snapshotFile.fd >= 0) {
            fail(std::string(snapshotPath) + ": the window closed before a frame was drawn");
            outputAbandon(&snapshotFile);
        }
    }
    glmDestroy(model);
    model = nullptr;
    return wantedSnapshot && !snapshotWritten ? EXIT_FAILED : EXIT_OK;
}
