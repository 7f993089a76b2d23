// objtool view's drawing: the model in the chosen mode, with its materials
// and textures, vertex colours, lines and points, into the back buffer.
#include <GL/gl.h>
#include <GL/glu.h>
#include <strings.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "model/glm_core.h"
#include "tools/objtool/objtool.h"
#include "tools/objtool/view.h"

namespace {

constexpr float FIELD_OF_VIEW = 30.0f;  // degrees, vertical

GLuint modelList = 0;
GLuint checkerTexture = 0;
// The texture of each material's "map_Kd" picture, by material index; 0
// where there is none or it could not be read.
std::vector<GLuint> materialTextures;

unsigned modeFlags()
{
    switch (view.drawMode) {
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
    materialTextures.assign(view.model->materialTable ? view.model->materialCount : 0, 0);
    char* directory = glmDirectoryOf(view.model->sourcePath ? view.model->sourcePath : "");
    const std::string folder = directory ? directory : "";
    std::free(directory);
    for (unsigned i = 0; i < materialTextures.size(); i++) {
        std::string file = diffuseMapOf(view.model->materialTable[i]);
        if (file.empty())
            continue;
        std::string path = file[0] == '/' ? file : folder + file;
        Picture picture;
        std::string why;
        if (!loadPicture(path, &picture, &why)) {
            warn(view.modelName + ": texture \"" + path + "\": " + why + "; drawn without it");
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
    const bool colours = view.model->colors != nullptr;
    if (colours)
        glEnable(GL_COLOR_MATERIAL);
    else
        glDisable(GL_COLOR_MATERIAL);
    for (const GlmFaceGroup* group = view.model->groupList; group; group = group->next) {
        GLuint texture = 0;
        if (view.model->materialTable && group->materialIndex < view.model->materialCount) {
            const GlmMtlEntry& m = view.model->materialTable[group->materialIndex];
            glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, m.ambientColor);
            glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, m.diffuseColor);
            glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, m.specularColor);
            glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m.specularExponent);
            glColor3fv(m.diffuseColor);
            if (view.model->uvs && group->materialIndex < materialTextures.size())
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
            const GlmFace& f = view.model->faces[group->faceList[i]];
            if (view.model->facetnorms && f.facetnormRef)
                glNormal3fv(&view.model->facetnorms[3 * f.facetnormRef]);
            for (int k = 0; k < 3; k++) {
                if (view.model->normals && f.normalRefs[k])
                    glNormal3fv(&view.model->normals[3 * f.normalRefs[k]]);
                if (texture)
                    glTexCoord2fv(&view.model->uvs[2 * f.uvRefs[k]]);
                if (colours)
                    glColor3fv(&view.model->colors[3 * f.vertexRefs[k]]);
                glVertex3fv(&view.model->vertices[3 * f.vertexRefs[k]]);
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
    if ((!view.model->lineCount || !view.model->lineVertexRefs) &&
        (!view.model->pointCount || !view.model->pointVertexRefs))
        return;
    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT | GL_POINT_BIT | GL_LINE_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_TEXTURE_2D);
    glLineWidth(2.0f);
    glPointSize(5.0f);
    glColor3f(0.95f, 0.95f, 0.85f);
    auto vertex = [](unsigned v) {
        if (v == 0 || v > view.model->vertexCount)
            return;
        if (view.model->colors)
            glColor3fv(&view.model->colors[3 * v]);
        glVertex3fv(&view.model->vertices[3 * v]);
    };
    for (unsigned i = 0; view.model->lines && view.model->lineVertexRefs && i < view.model->lineCount; i++) {
        glBegin(GL_LINE_STRIP);
        for (unsigned k = 0; k < view.model->lines[i].count; k++)
            vertex(view.model->lineVertexRefs[view.model->lines[i].first + k]);
        glEnd();
    }
    if (view.model->pointVertexRefs && view.model->pointCount) {
        glBegin(GL_POINTS);
        for (unsigned i = 0; i < view.model->pointCount; i++)
            vertex(view.model->pointVertexRefs[i]);
        glEnd();
    }
    glPopAttrib();
}

void rebuildList()
{
    if (modelList)
        glDeleteLists(modelList, 1);
    if (view.drawMode == DRAW_MATERIAL) {
        modelList = glGenLists(1);
        glNewList(modelList, GL_COMPILE);
        drawWithMaterials();
        glEndList();
        view.listStale = false;
        return;
    }
    if (view.drawMode == DRAW_TEXTURE && !view.model->uvs && view.model->vertexCount > 0) {
        // Without texture coordinates of its own the model gets a planar
        // projection, so the texture mode still shows something.
        GlmError error{GLM_OK, ""};
        bool done = true;
        std::vector<std::string> lines = captureOutput([&] { done = glmComputePlanarUVs(view.model, &error); });
        if (!done)
            lines.push_back(libraryMessage(error.message));
        showWarnings(lines);
    }
    const unsigned flags = modeFlags();
    showWarnings(captureOutput([flags] { modelList = glmCompileList(view.model, flags); }));
    view.listStale = false;
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

}  // namespace

void drawFrame()
{
    if (view.listStale)
        rebuildList();
    glViewport(0, 0, view.windowWidth, view.windowHeight);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // The camera stands far enough back for the bounding sphere to fit the
    // narrower side of the window.
    const float aspect = view.windowHeight > 0 ? static_cast<float>(view.windowWidth) / view.windowHeight : 1.0f;
    const float halfAngle = FIELD_OF_VIEW / 2 * 3.14159265f / 180;
    float distance = view.modelRadius / std::sin(halfAngle) * 1.05f;
    if (aspect < 1.0f)
        distance /= aspect;
    distance *= view.zoom;
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(FIELD_OF_VIEW, aspect, std::fmax(distance - view.modelRadius * 2, 0.01f),
                   distance + view.modelRadius * 2);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    const GLfloat lightDirection[] = {0.4f, 0.6f, 1.0f, 0.0f};
    glLightfv(GL_LIGHT0, GL_POSITION, lightDirection);
    glTranslatef(0.0f, 0.0f, -distance);
    glRotatef(view.pitch, 1.0f, 0.0f, 0.0f);
    glRotatef(view.yaw, 0.0f, 1.0f, 0.0f);

    if (view.lighting)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);
    glPolygonMode(GL_FRONT_AND_BACK, view.wireframe ? GL_LINE : GL_FILL);
    if (view.drawMode == DRAW_TEXTURE) {
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, checkerTexture);
    } else {
        glDisable(GL_TEXTURE_2D);
    }
    if (view.drawMode != DRAW_COLOR && view.drawMode != DRAW_MATERIAL) {
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
}

void initDrawing()
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

void recomputeNormals()
{
    if (view.model->vertexCount == 0)
        return;
    // A failure (out of memory) is shown with the warnings; the model keeps
    // the normals it had and the view goes on.
    GlmError error{GLM_OK, ""};
    bool done = true;
    std::vector<std::string> lines = captureOutput([&] {
        done = glmComputeFaceNormals(view.model, &error) &&
               glmComputeVertexNormals(view.model, smoothingAngle(view.smoothAngle), &error);
    });
    if (!done)
        lines.push_back(libraryMessage(error.message));
    showWarnings(lines);
    view.listStale = true;
}
