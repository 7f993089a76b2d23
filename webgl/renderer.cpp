// The scene through WebGL 2: the overview and the close-ups of render/,
// transform by transform, with the state the desktop's fixed-function
// pipeline carries from one shape to the next (current colour, normal and
// texture coordinate, bound texture, texturing on or off) kept here, so that
// shapes without normals or texture coordinates of their own take the same
// leftovers as on the desktop.
#include "webgl/renderer.h"

#include <GLES3/gl3.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <numbers>
#include <tuple>
#include <vector>

#include "core/date_mode.h"
#include "core/meshes.h"
#include "webgl/matrix.h"

bool webglIdentificationPass = false;
WebglAnchor webglAnchors[BODY_ROW_COUNT] = {};

namespace {

// Per-vertex lighting as OpenGL 1.1 does it with the desktop's state:
// colour material (ambient and diffuse follow the current colour), the
// default scene ambient 0.2, light 0 (white, directional, from +z in eye
// space; ambient and specular add nothing with the default black material
// specular), light 1 (black: nothing), normals normalised.
const char* const vertexShaderSource = R"(#version 300 es
layout(location = 0) in vec3 position;
layout(location = 1) in vec3 normal;
layout(location = 2) in vec2 texCoord;
uniform mat4 modelView;
uniform mat4 projection;
uniform mat3 normalMatrix;
uniform vec4 colour;
uniform bool lighting;
out vec4 shade;
out vec2 surfaceCoord;
void main()
{
    gl_Position = projection * (modelView * vec4(position, 1.0));
    gl_PointSize = 1.0;
    if (lighting) {
        vec3 n = normalMatrix * normal;
        float len = length(n);
        n = len > 0.0 ? n / len : n;
        float diffuse = max(n.z, 0.0);
        shade = vec4(clamp(colour.rgb * 0.2 + colour.rgb * diffuse, 0.0, 1.0), colour.a);
    } else {
        shade = colour;
    }
    surfaceCoord = texCoord;
}
)";

// A textured fragment takes the texture's colour (the desktop's replace
// mode); any other the interpolated shade.
const char* const fragmentShaderSource = R"(#version 300 es
precision highp float;
in vec4 shade;
in vec2 surfaceCoord;
uniform bool texturing;
uniform sampler2D picture;
out vec4 fragColour;
void main()
{
    fragColour = texturing ? texture(picture, surfaceCoord) : shade;
}
)";

struct Uniforms {
    GLint modelView, projection, normalMatrix, colour, lighting, texturing, picture;
};

// A mesh in buffers, with what drawing it leaves as the current normal and
// texture coordinate (its last vertex's, where it has them).
struct GpuMesh {
    GLuint vao = 0;
    GLenum primitive = GL_TRIANGLES;
    GLsizei count = 0;
    bool indexed = false;
    bool hasNormals = false, hasUvs = false;
    float lastNormal[3] = {0, 0, 1};
    float lastUv[2] = {0, 0};
};

GLuint program = 0;
Uniforms uniforms{};
GLuint textures[WEBGL_TEXTURE_COUNT] = {};
bool textureReady[WEBGL_TEXTURE_COUNT] = {};
Mat4 projection = Mat4::identity();
int viewport[4] = {0, 0, 1, 1};

// The state the fixed-function pipeline carries between shapes.
struct Carried {
    float colour[4] = {1, 1, 1, 1};
    float normal[3] = {0, 0, 1};
    float texCoord[2] = {0, 0};
    bool texturing = true;
    int bound = -1;  // slot of the bound texture; -1 for none
};
Carried carried;
MatrixStack modelView;
// In the identification pass, the body whose colour shapes take; -1 black.
int identifiedBody = -1;

GLenum glPrimitive(int primitive)
{
    switch (primitive) {
    case MESH_TRIANGLE_STRIP:
        return GL_TRIANGLE_STRIP;
    case MESH_LINES:
        return GL_LINES;
    case MESH_LINE_LOOP:
        return GL_LINE_LOOP;
    case MESH_LINE_STRIP:
        return GL_LINE_STRIP;
    case MESH_POINTS:
        return GL_POINTS;
    default:
        return GL_TRIANGLES;
    }
}

GLuint arrayBuffer(const std::vector<float>& data, GLuint location, GLint size)
{
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data.size() * sizeof(float)), data.data(), GL_STATIC_DRAW);
    glEnableVertexAttribArray(location);
    glVertexAttribPointer(location, size, GL_FLOAT, GL_FALSE, 0, nullptr);
    return buffer;
}

GpuMesh upload(const Mesh& mesh)
{
    GpuMesh gpu;
    gpu.primitive = glPrimitive(mesh.primitive);
    const std::size_t vertices = mesh.positions.size() / 3;
    glGenVertexArrays(1, &gpu.vao);
    glBindVertexArray(gpu.vao);
    arrayBuffer(mesh.positions, 0, 3);
    gpu.hasNormals = mesh.normals.size() == vertices * 3 && vertices > 0;
    gpu.hasUvs = mesh.uvs.size() == vertices * 2 && vertices > 0;
    if (gpu.hasNormals)
        arrayBuffer(mesh.normals, 1, 3);
    if (gpu.hasUvs)
        arrayBuffer(mesh.uvs, 2, 2);
    std::size_t last = vertices > 0 ? vertices - 1 : 0;
    if (!mesh.indices.empty()) {
        GLuint buffer = 0;
        glGenBuffers(1, &buffer);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffer);
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.indices.size() * sizeof(std::uint32_t)),
                     mesh.indices.data(), GL_STATIC_DRAW);
        gpu.indexed = true;
        gpu.count = static_cast<GLsizei>(mesh.indices.size());
        last = mesh.indices.back();
    } else {
        gpu.count = static_cast<GLsizei>(vertices);
    }
    glBindVertexArray(0);
    if (gpu.hasNormals && last < vertices)
        for (int k = 0; k < 3; ++k)
            gpu.lastNormal[k] = mesh.normals[last * 3 + k];
    if (gpu.hasUvs && last < vertices)
        for (int k = 0; k < 2; ++k)
            gpu.lastUv[k] = mesh.uvs[last * 2 + k];
    return gpu;
}

// The sphere of drawSphere, cached by centre, radius and slice count.  What
// it leaves current is drawSphere's own last vertex's (the lower one of the
// last band's last column), whatever order the mesh lists its triangles in.
const GpuMesh& sphere(float cx, float cy, float cz, float radius, int slices)
{
    static std::map<std::tuple<float, float, float, float, int>, GpuMesh> cache;
    const auto key = std::make_tuple(cx, cy, cz, radius, slices);
    auto found = cache.find(key);
    if (found != cache.end())
        return found->second;
    GpuMesh gpu = upload(sphereMesh(cx, cy, cz, radius, slices));
    const int n = slices < 0 ? -slices : slices;
    if (n >= 4 && radius != 0) {
        const float theta = static_cast<float>(n / 2 - 1) * 6.2831855f / static_cast<float>(n) - 1.5707964f;
        const float lon = static_cast<float>(n) * 6.2831855f / static_cast<float>(n);
        const double c = std::cos(static_cast<double>(theta));
        gpu.lastNormal[0] = static_cast<float>(c * std::cos(static_cast<double>(lon)));
        gpu.lastNormal[1] = static_cast<float>(std::sin(static_cast<double>(theta)));
        gpu.lastNormal[2] = static_cast<float>(c * std::sin(static_cast<double>(lon)));
        sphereLastTexCoord(n, gpu.lastUv);
    }
    return cache.emplace(key, gpu).first->second;
}

// Any other mesh, made once under a key of its parameters.
template <typename Make>
const GpuMesh& cached(std::tuple<int, double, double, double, int, int> key, Make make)
{
    static std::map<std::tuple<int, double, double, double, int, int>, GpuMesh> cache;
    auto found = cache.find(key);
    if (found != cache.end())
        return found->second;
    return cache.emplace(key, upload(make())).first->second;
}

const GpuMesh& solidSphere(double radius, int slices, int stacks)
{
    return cached({0, radius, 0, 0, slices, stacks}, [&] { return solidSphereMesh(radius, slices, stacks); });
}
const GpuMesh& solidCube(double size)
{
    return cached({1, size, 0, 0, 0, 0}, [&] { return solidCubeMesh(size); });
}
const GpuMesh& cylinder(double base, double top, double height, int slices, int stacks)
{
    return cached({2, base, top, height, slices, stacks},
                  [&] { return cylinderMesh(base, top, height, slices, stacks); });
}
const GpuMesh& disk(double inner, double outer, int slices, int loops)
{
    return cached({3, inner, outer, 0, slices, loops}, [&] { return diskMesh(inner, outer, slices, loops); });
}

const GpuMesh& skyCube(float s)
{
    return cached({4, s, 0, 0, 0, 0}, [&] { return skyCubeMesh(s); });
}

const GpuMesh& axisLine()
{
    return cached({5, 0, 0, 0, 0, 0}, [] { return closeUpAxisMesh(); });
}

// Orbit lines change with the body's angle: one buffer, filled per line.
struct {
    GLuint vao = 0, buffer = 0;
} orbitLine;

// Draws a mesh at the current matrix with the carried state; colour
// overrides the current colour (null: the current one), lit and textured
// say whether lighting and texturing apply to it at all.
void draw(const GpuMesh& mesh, const float* colour = nullptr, bool lit = true, bool textured = true)
{
    const Mat4& mv = modelView.top();
    float normals[9];
    normalMatrix(mv, normals);
    glUniformMatrix4fv(uniforms.modelView, 1, GL_FALSE, mv.m);
    glUniformMatrix3fv(uniforms.normalMatrix, 1, GL_FALSE, normals);
    const bool useTexture = textured && carried.texturing && carried.bound >= 0 && textureReady[carried.bound];
    if (webglIdentificationPass) {
        unsigned char rgb[3] = {0, 0, 0};
        if (identifiedBody >= 0)
            webglIdentificationColour(identifiedBody, rgb);
        glUniform4f(uniforms.colour, rgb[0] / 255.0f, rgb[1] / 255.0f, rgb[2] / 255.0f, 1.0f);
        glUniform1i(uniforms.lighting, 0);
        glUniform1i(uniforms.texturing, 0);
    } else {
        glUniform4fv(uniforms.colour, 1, colour ? colour : carried.colour);
        glUniform1i(uniforms.lighting, lit && lightingOn ? 1 : 0);
        glUniform1i(uniforms.texturing, useTexture ? 1 : 0);
        if (useTexture)
            glBindTexture(GL_TEXTURE_2D, textures[carried.bound]);
    }
    glBindVertexArray(mesh.vao);
    if (!mesh.hasNormals)
        glVertexAttrib3fv(1, carried.normal);
    if (!mesh.hasUvs)
        glVertexAttrib2fv(2, carried.texCoord);
    if (mesh.indexed)
        glDrawElements(mesh.primitive, mesh.count, GL_UNSIGNED_INT, nullptr);
    else
        glDrawArrays(mesh.primitive, 0, mesh.count);
    glBindVertexArray(0);
    if (mesh.hasNormals)
        for (int k = 0; k < 3; ++k)
            carried.normal[k] = mesh.lastNormal[k];
    if (mesh.hasUvs)
        for (int k = 0; k < 2; ++k)
            carried.texCoord[k] = mesh.lastUv[k];
}

void setColour(float r, float g, float b)
{
    carried.colour[0] = r;
    carried.colour[1] = g;
    carried.colour[2] = b;
    carried.colour[3] = 1;
}

void bindSlot(int slot) { carried.bound = slot >= 0 && slot < WEBGL_TEXTURE_COUNT ? slot : -1; }

void drawSphere(float cx, float cy, float cz, float radius, int slices) { draw(sphere(cx, cy, cz, radius, slices)); }

void recordAnchor(int body, float radius)
{
    const Mat4& m = modelView.top();
    webglAnchors[body] = {true, {m.m[12], m.m[13], m.m[14]}, radius};
}

// ---- The overview (render/overview.cpp) ----

void drawBand()
{
    modelView.push();
    bindSlot(SLOT_B3);
    modelView.rotate(bandSpin, 10, -90, -120);
    modelView.push();
    modelView.scale(0.2f, 0.2f, 0.2f);
    modelView.translate(80, 90, 0);
    modelView.rotate(120, 1, -1, 0);
    modelView.push();
    modelView.translate(0, 3, 0);
    modelView.rotate(90, 1, 0, 0);
    draw(cylinder(10, 15, 3, 50, 10));
    modelView.pop();
    modelView.push();
    modelView.rotate(90, 1, 0, 0);
    draw(cylinder(15, 10, 3, 50, 10));
    modelView.pop();
    modelView.pop();
    modelView.pop();
}

void drawLeg(float x)
{
    modelView.push();
    modelView.translate(x, -9.5f, 0);
    draw(solidSphere(2, 10, 10));
    modelView.translate(0, -1.5f, 0);
    modelView.rotate(90, 1, 0, 0);
    draw(cylinder(2, 2, 16, 12, 10));
    modelView.pop();
}

void drawArm(float angle, float x)
{
    modelView.push();
    modelView.rotate(angle, 0, 0, 1);
    modelView.translate(x, 3, 0);
    draw(solidSphere(2, 10, 10));
    modelView.rotate(90, 1, 0, 0);
    draw(cylinder(2, 2, 15, 12, 10));
    modelView.pop();
}

void drawFigure()
{
    modelView.push();
    setColour(0.98f, 0.04f, 0.7f);
    modelView.scale(0.03f, 0.03f, 0.03f);

    modelView.push();
    bindSlot(SLOT_PERSONFACE);
    modelView.translate(0, 152, 0);
    draw(solidSphere(10, 10, 10));
    modelView.pop();

    modelView.push();
    modelView.translate(0, 130, 0);

    modelView.push();
    bindSlot(SLOT_PERSONBODY);
    modelView.translate(0, 1, 0);
    modelView.scale(1, 1.5f, 0.8f);
    draw(solidCube(12));
    modelView.pop();

    modelView.push();
    bindSlot(SLOT_PERSONJEAN);
    drawLeg(3);
    drawLeg(-3);
    modelView.pop();

    modelView.push();
    bindSlot(SLOT_PERSONFACE);
    drawArm(30, 11);
    drawArm(-30, -11);
    modelView.pop();

    modelView.pop();
    modelView.pop();
}

// A body's orbit line about the current origin with a gap round the body
// (at the angle gapAt, in radians), unlit and untextured; the carried state
// is left alone.  The line changes with the angle: one buffer, refilled.
void drawOrbitLine(const BodyRow& body, double gapAt)
{
    const Mesh mesh = orbitLineMesh(body.distance, body.radius, gapAt);
    if (!orbitLine.vao) {
        glGenVertexArrays(1, &orbitLine.vao);
        glGenBuffers(1, &orbitLine.buffer);
        glBindVertexArray(orbitLine.vao);
        glBindBuffer(GL_ARRAY_BUFFER, orbitLine.buffer);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
        glBindVertexArray(0);
    }
    glBindBuffer(GL_ARRAY_BUFFER, orbitLine.buffer);
    glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(mesh.positions.size() * sizeof(float)), mesh.positions.data(),
                 GL_STREAM_DRAW);
    GpuMesh line;
    line.vao = orbitLine.vao;
    line.primitive = glPrimitive(mesh.primitive);
    line.count = static_cast<GLsizei>(mesh.positions.size() / 3);
    static const float colour[4] = {0.45f, 0.55f, 0.75f, 1.0f};
    draw(line, colour, false, false);
}

void drawBodySphere(const BodyRow& body)
{
    identifiedBody = bodyIndex(body);
    drawSphere(0, 0, 0, static_cast<float>(body.radius), body.slices);
    identifiedBody = -1;
}

void drawSun(const BodyRow& sun)
{
    modelView.push();
    recordAnchor(bodyIndex(sun), static_cast<float>(sun.radius));
    bindSlot(sun.slot);
    modelView.rotate(*sun.spin, 1, 1, 1);
    drawBodySphere(sun);
    modelView.pop();
}

void drawPlanet(const BodyRow& planet)
{
    const BodyRow* moon = companionOf(bodyIndex(planet));
    const float orbit = orbitAngle(planet);
    modelView.push();
    modelView.rotate(orbit, 0, 0, 1);
    if (showOrbits && planet.orbitLine)
        drawOrbitLine(planet, planet.distance < 0 ? std::numbers::pi : 0.0);
    modelView.translate(planet.distance, 0, 0);
    recordAnchor(bodyIndex(planet), static_cast<float>(planet.radius));
    if (moon && showOrbits && moon->orbitLine)
        drawOrbitLine(*moon, moonAngle(*moon, orbit) * std::numbers::pi / 180.0);
    modelView.push();
    modelView.rotate(*planet.spin, 1, 1, 1);
    bindSlot(planet.slot);
    drawBodySphere(planet);
    modelView.pop();
    if (moon) {
        modelView.rotate(moonAngle(*moon, orbit), 0, 0, 1);
        modelView.translate(moon->distance, 0, 0);
        recordAnchor(bodyIndex(*moon), static_cast<float>(moon->radius));
        bindSlot(moon->slot);
        drawBodySphere(*moon);
    } else if (planet.ring) {
        // Saturn's texture at the sphere's last texture coordinate.
        modelView.rotate(orbit, 0, 0, 1);
        modelView.rotate(45, 1, 0, 0);
        draw(disk(1.3, 2.0, 40, 40));
    }
    modelView.pop();
}

void drawOverview()
{
    setColour(0.75f, 0.75f, 0.75f);
    modelView.push();
    modelView.multiply(lookAt(eyeX, 0, eyeZ, centerX, 0, centerZ, 0, 1, 0));

    drawBand();
    drawFigure();

    modelView.push();
    bindSlot(SLOT_BBB);
    modelView.rotate(ballSpin, -25, -24, 0);
    drawSphere(-25, -24, 0, 3, 20);
    modelView.pop();

    for (const BodyRow& body : bodyTable)
        if (body.isBody && body.centre == NO_BODY)
            drawSun(body);
    for (const BodyRow& body : bodyTable)
        if (body.isBody && body.centre == BODY_SUN)
            drawPlanet(body);

    bindSlot(WEBGL_SKY_SLOT);
    draw(skyCube(skyHalfSize));
    modelView.pop();
}

// ---- The close-ups (render/close_up.cpp) ----

void beginCloseUp()
{
    modelView.loadIdentity();
    modelView.push();
    modelView.multiply(lookAt(0, 0, -5, 0, 0, 0, 0, 1, 0));
}

void drawCloseUpBody(int slot, bool switchTexturing)
{
    modelView.push();
    modelView.rotate(earthSpin, 0, 1, 0);
    if (switchTexturing)
        carried.texturing = true;
    bindSlot(slot);
    const BodyRow* body = bodyForSlot(slot);
    identifiedBody = body ? bodyIndex(*body) : -1;
    drawSphere(0, 0, 0, 6, 30);
    identifiedBody = -1;
    if (switchTexturing)
        carried.texturing = false;
    modelView.pop();
}

void endCloseUp()
{
    draw(axisLine());
    modelView.pop();
}

void drawCloseUp(const BodyRow& body)
{
    const int slot = body.slot;
    if (slot < 0 || slot >= TEXTURE_SLOT_COUNT)
        return;
    beginCloseUp();
    switch (body.closeUp) {
    case CLOSE_UP_ALONE:
        drawCloseUpBody(slot, true);
        break;
    case CLOSE_UP_WITH_MOON: {
        const BodyRow& moon = bodyTable[BODY_MOON];
        drawCloseUpBody(slot, false);
        modelView.push();
        modelView.rotate(*moon.orbit, 0, 0, 1);
        modelView.translate(8.5f, 0, 0);
        bindSlot(moon.slot);
        identifiedBody = BODY_MOON;
        drawSphere(0, 0, 0, 1, 30);
        identifiedBody = -1;
        modelView.pop();
        break;
    }
    case CLOSE_UP_WITH_RING: {
        const BodyRow& saturn = bodyTable[BODY_SATURN];
        drawCloseUpBody(saturn.slot, false);
        modelView.push();
        modelView.rotate(*saturn.orbit, 0, 0, 1);
        modelView.rotate(45, 1, 0, 0);
        draw(disk(7.3, 9, 40, 40));
        modelView.pop();
        break;
    }
    case NO_CLOSE_UP:
        break;
    }
    endCloseUp();
}

GLuint compile(GLenum type, const char* source)
{
    const GLuint shader = glCreateShader(type);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = 0;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[1024] = "";
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "solar-system: a shader does not compile: %s\n", log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

}  // namespace

void webglIdentificationColour(int body, unsigned char rgb[3])
{
    rgb[0] = static_cast<unsigned char>(40 + 20 * body);
    rgb[1] = static_cast<unsigned char>(255 - 20 * body);
    rgb[2] = 128;
}

bool webglInit()
{
    const GLuint vertex = compile(GL_VERTEX_SHADER, vertexShaderSource);
    const GLuint fragment = compile(GL_FRAGMENT_SHADER, fragmentShaderSource);
    if (!vertex || !fragment)
        return false;
    program = glCreateProgram();
    glAttachShader(program, vertex);
    glAttachShader(program, fragment);
    glLinkProgram(program);
    GLint ok = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    if (!ok) {
        char log[1024] = "";
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        std::fprintf(stderr, "solar-system: the shaders do not link: %s\n", log);
        return false;
    }
    uniforms = {glGetUniformLocation(program, "modelView"),    glGetUniformLocation(program, "projection"),
                glGetUniformLocation(program, "normalMatrix"), glGetUniformLocation(program, "colour"),
                glGetUniformLocation(program, "lighting"),     glGetUniformLocation(program, "texturing"),
                glGetUniformLocation(program, "picture")};

    // Slot pictures linear-filtered and repeating (OpenGL's default wrap);
    // the sky as compileTextureLists leaves it: linear, repeating.
    glGenTextures(WEBGL_TEXTURE_COUNT, textures);
    for (GLuint texture : textures) {
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    }
    glBindTexture(GL_TEXTURE_2D, 0);

    glClearColor(0, 0, 0, 0);
    glClearDepthf(1.0f);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glFrontFace(GL_CCW);
    glDisable(GL_BLEND);
    return true;
}

void webglViewport(int width, int height)
{
    const int h = height > 0 ? height : 1;
    viewport[0] = 0;
    viewport[1] = 0;
    viewport[2] = width;
    viewport[3] = height;
    glViewport(0, 0, width, height);
    projection = perspective(60.0, static_cast<double>(width) / h, 0.01, 1000.0);
}

void webglDrawScene()
{
    for (WebglAnchor& anchor : webglAnchors)
        anchor.drawn = false;
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (!program)
        return;
    glUseProgram(program);
    glUniformMatrix4fv(uniforms.projection, 1, GL_FALSE, projection.m);
    glUniform1i(uniforms.picture, 0);
    glActiveTexture(GL_TEXTURE0);
    carried.texturing = true;
    identifiedBody = -1;
    modelView = MatrixStack();
    modelView.rotate(viewRotX, 1, 0, 0);
    modelView.rotate(viewRotY, 0, 1, 0);
    const BodyRow* shown = bodyForViewMode(viewMode);
    if (shown && shown->closeUp != NO_CLOSE_UP)
        drawCloseUp(*shown);
    else
        drawOverview();
}

unsigned int webglTexture(int slot) { return slot >= 0 && slot < WEBGL_TEXTURE_COUNT ? textures[slot] : 0; }

void webglTextureReady(int slot)
{
    if (slot >= 0 && slot < WEBGL_TEXTURE_COUNT)
        textureReady[slot] = true;
}

bool webglProject(const float eye[3], double window[3])
{
    const float* p = projection.m;
    double clip[4];
    for (int row = 0; row < 4; ++row)
        clip[row] = static_cast<double>(p[row]) * eye[0] + static_cast<double>(p[4 + row]) * eye[1] +
                    static_cast<double>(p[8 + row]) * eye[2] + static_cast<double>(p[12 + row]);
    if (clip[3] == 0)
        return false;
    for (int k = 0; k < 3; ++k)
        clip[k] = clip[k] / clip[3] * 0.5 + 0.5;
    window[0] = viewport[0] + clip[0] * viewport[2];
    window[1] = viewport[1] + clip[1] * viewport[3];
    window[2] = clip[2];
    return true;
}
