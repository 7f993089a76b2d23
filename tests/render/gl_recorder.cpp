// The recording side of gl_recorder.h: OpenGL entry points defined in the
// test executable, which exports them (ENABLE_EXPORTS), so that every caller
// in the process reaches them before libGL's.  Each passes the call on to
// the next definition, libGL's, found with dlsym(RTLD_NEXT).
#define GL_GLEXT_PROTOTYPES
#include "tests/render/gl_recorder.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace {

// libGL's definition of `name`, looked up once.
template <typename F>
F next(const char* name)
{
    void* symbol = dlsym(RTLD_NEXT, name);
    if (!symbol) {
        std::fprintf(stderr, "gl_recorder: libGL has no %s\n", name);
        std::abort();
    }
    return reinterpret_cast<F>(symbol);
}

#define FORWARD(name, type) static const auto real = next<type>(#name)

bool recording = false;
bool inside = false;  // between glBegin and glEnd
Recording current;
float normal[3] = {0, 0, 1};
float uv[2] = {0, 0};
GLuint query = 0;

// The normal and texture coordinate GL holds now; only outside glBegin/glEnd.
void readCurrent()
{
    GLfloat n[4] = {0, 0, 1, 0}, t[4] = {0, 0, 0, 1};
    glGetFloatv(GL_CURRENT_NORMAL, n);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, t);
    normal[0] = n[0];
    normal[1] = n[1];
    normal[2] = n[2];
    uv[0] = t[0];
    uv[1] = t[1];
}

void vertex(float x, float y, float z)
{
    if (!recording || !inside || current.primitives.empty())
        return;
    current.primitives.back().vertices.push_back({{x, y, z}, {normal[0], normal[1], normal[2]}, {uv[0], uv[1]}});
}

void setNormal(float x, float y, float z)
{
    normal[0] = x;
    normal[1] = y;
    normal[2] = z;
    if (recording)
        ++current.normalSources;
}

void setTexCoord(float s, float t)
{
    uv[0] = s;
    uv[1] = t;
    if (recording)
        ++current.texCoordSources;
}

// One enabled client array as GL describes it.
struct Array {
    bool enabled = false;
    GLint size = 0;
    GLint type = 0;
    GLint stride = 0;
    const unsigned char* data = nullptr;

    bool readable() const { return !enabled || (data && (type == GL_FLOAT || type == GL_DOUBLE)); }
    void read(std::size_t index, float* out) const
    {
        const std::size_t element = type == GL_DOUBLE ? sizeof(double) : sizeof(float);
        const std::size_t step = stride ? static_cast<std::size_t>(stride) : static_cast<std::size_t>(size) * element;
        const unsigned char* p = data + index * step;
        for (int c = 0; c < size; ++c) {
            if (type == GL_DOUBLE) {
                double d;
                std::memcpy(&d, p + c * element, sizeof d);
                out[c] = static_cast<float>(d);
            } else {
                std::memcpy(&out[c], p + c * element, sizeof(float));
            }
        }
    }
};

Array clientArray(GLenum cap, GLenum sizeName, GLenum typeName, GLenum strideName, GLenum pointerName)
{
    Array a;
    a.enabled = glIsEnabled(cap);
    if (!a.enabled)
        return a;
    a.size = 3;
    if (sizeName)
        glGetIntegerv(sizeName, &a.size);
    glGetIntegerv(typeName, &a.type);
    glGetIntegerv(strideName, &a.stride);
    void* pointer = nullptr;
    glGetPointerv(pointerName, &pointer);
    a.data = static_cast<const unsigned char*>(pointer);
    return a;
}

// A draw from the client arrays: the vertices `indices` names, in order.
template <typename IndexAt>
void recordArrays(GLenum mode, std::size_t count, IndexAt indexAt)
{
    if (!recording)
        return;
    readCurrent();
    const Array positions = clientArray(GL_VERTEX_ARRAY, GL_VERTEX_ARRAY_SIZE, GL_VERTEX_ARRAY_TYPE,
                                        GL_VERTEX_ARRAY_STRIDE, GL_VERTEX_ARRAY_POINTER);
    const Array normals =
        clientArray(GL_NORMAL_ARRAY, 0, GL_NORMAL_ARRAY_TYPE, GL_NORMAL_ARRAY_STRIDE, GL_NORMAL_ARRAY_POINTER);
    const Array texCoords =
        clientArray(GL_TEXTURE_COORD_ARRAY, GL_TEXTURE_COORD_ARRAY_SIZE, GL_TEXTURE_COORD_ARRAY_TYPE,
                    GL_TEXTURE_COORD_ARRAY_STRIDE, GL_TEXTURE_COORD_ARRAY_POINTER);
    GLint buffer = 0;
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &buffer);
    if (!positions.enabled || buffer != 0 || !positions.readable() || !normals.readable() || !texCoords.readable() ||
        positions.size < 2 || positions.size > 4 || (texCoords.enabled && texCoords.size < 2)) {
        ++current.unreadDraws;
        return;
    }
    current.normalSources += normals.enabled;
    current.texCoordSources += texCoords.enabled;
    RecordedPrimitive primitive{mode, {}};
    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t index = indexAt(k);
        float p[4] = {0, 0, 0, 1}, n[3] = {normal[0], normal[1], normal[2]}, t[4] = {uv[0], uv[1], 0, 1};
        positions.read(index, p);
        if (normals.enabled)
            normals.read(index, n);
        if (texCoords.enabled)
            texCoords.read(index, t);
        primitive.vertices.push_back({{p[0], p[1], p[2]}, {n[0], n[1], n[2]}, {t[0], t[1]}});
    }
    current.primitives.push_back(std::move(primitive));
}

}  // namespace

void startRecording()
{
    current = Recording{};
    readCurrent();
    if (query == 0)
        glGenQueries(1, &query);
    glBeginQuery(GL_PRIMITIVES_GENERATED, query);
    recording = true;
}

Recording stopRecording()
{
    recording = false;
    glEndQuery(GL_PRIMITIVES_GENERATED);
    GLint generated = -1;
    glGetQueryObjectiv(query, GL_QUERY_RESULT, &generated);
    current.generated = glGetError() == GL_NO_ERROR ? generated : -1;
    return std::move(current);
}

// ---- the entry points ----

void GLAPIENTRY glBegin(GLenum mode)
{
    FORWARD(glBegin, void (*)(GLenum));
    if (recording) {
        // The normal and texture coordinate may have changed without a call
        // seen here (glPopAttrib, a draw from arrays): take GL's.
        readCurrent();
        current.primitives.push_back({mode, {}});
    }
    inside = true;
    real(mode);
}

void GLAPIENTRY glEnd()
{
    FORWARD(glEnd, void (*)());
    inside = false;
    real();
}

void GLAPIENTRY glVertex2f(GLfloat x, GLfloat y)
{
    FORWARD(glVertex2f, void (*)(GLfloat, GLfloat));
    vertex(x, y, 0);
    real(x, y);
}

void GLAPIENTRY glVertex2i(GLint x, GLint y)
{
    FORWARD(glVertex2i, void (*)(GLint, GLint));
    vertex(static_cast<float>(x), static_cast<float>(y), 0);
    real(x, y);
}

void GLAPIENTRY glVertex3f(GLfloat x, GLfloat y, GLfloat z)
{
    FORWARD(glVertex3f, void (*)(GLfloat, GLfloat, GLfloat));
    vertex(x, y, z);
    real(x, y, z);
}

void GLAPIENTRY glVertex3fv(const GLfloat* v)
{
    FORWARD(glVertex3fv, void (*)(const GLfloat*));
    vertex(v[0], v[1], v[2]);
    real(v);
}

// GL keeps what it is given in single precision.
void GLAPIENTRY glVertex3d(GLdouble x, GLdouble y, GLdouble z)
{
    FORWARD(glVertex3d, void (*)(GLdouble, GLdouble, GLdouble));
    vertex(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    real(x, y, z);
}

void GLAPIENTRY glVertex3dv(const GLdouble* v)
{
    FORWARD(glVertex3dv, void (*)(const GLdouble*));
    vertex(static_cast<float>(v[0]), static_cast<float>(v[1]), static_cast<float>(v[2]));
    real(v);
}

void GLAPIENTRY glNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    FORWARD(glNormal3f, void (*)(GLfloat, GLfloat, GLfloat));
    setNormal(x, y, z);
    real(x, y, z);
}

void GLAPIENTRY glNormal3fv(const GLfloat* v)
{
    FORWARD(glNormal3fv, void (*)(const GLfloat*));
    setNormal(v[0], v[1], v[2]);
    real(v);
}

void GLAPIENTRY glNormal3d(GLdouble x, GLdouble y, GLdouble z)
{
    FORWARD(glNormal3d, void (*)(GLdouble, GLdouble, GLdouble));
    setNormal(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
    real(x, y, z);
}

void GLAPIENTRY glTexCoord2f(GLfloat s, GLfloat t)
{
    FORWARD(glTexCoord2f, void (*)(GLfloat, GLfloat));
    setTexCoord(s, t);
    real(s, t);
}

void GLAPIENTRY glTexCoord2fv(const GLfloat* v)
{
    FORWARD(glTexCoord2fv, void (*)(const GLfloat*));
    setTexCoord(v[0], v[1]);
    real(v);
}

void GLAPIENTRY glTexCoord2d(GLdouble s, GLdouble t)
{
    FORWARD(glTexCoord2d, void (*)(GLdouble, GLdouble));
    setTexCoord(static_cast<float>(s), static_cast<float>(t));
    real(s, t);
}

void GLAPIENTRY glDrawArrays(GLenum mode, GLint first, GLsizei count)
{
    FORWARD(glDrawArrays, void (*)(GLenum, GLint, GLsizei));
    if (count > 0)
        recordArrays(mode, static_cast<std::size_t>(count),
                     [first](std::size_t k) { return static_cast<std::size_t>(first) + k; });
    real(mode, first, count);
}

void GLAPIENTRY glDrawElements(GLenum mode, GLsizei count, GLenum type, const void* indices)
{
    FORWARD(glDrawElements, void (*)(GLenum, GLsizei, GLenum, const void*));
    GLint elementBuffer = 0;
    if (recording)
        glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elementBuffer);
    if (recording && (elementBuffer != 0 || !indices)) {
        ++current.unreadDraws;
    } else if (count > 0) {
        recordArrays(mode, static_cast<std::size_t>(count), [type, indices](std::size_t k) -> std::size_t {
            switch (type) {
            case GL_UNSIGNED_BYTE:
                return static_cast<const GLubyte*>(indices)[k];
            case GL_UNSIGNED_SHORT:
                return static_cast<const GLushort*>(indices)[k];
            default:
                return static_cast<const GLuint*>(indices)[k];
            }
        });
    }
    real(mode, count, type, indices);
}

// Entry points the shapes are not expected to use: a call to one while
// recording makes the recording incomplete.
void GLAPIENTRY glDrawRangeElements(GLenum mode, GLuint start, GLuint end, GLsizei count, GLenum type,
                                    const void* indices)
{
    FORWARD(glDrawRangeElements, void (*)(GLenum, GLuint, GLuint, GLsizei, GLenum, const void*));
    if (recording)
        ++current.unreadDraws;
    real(mode, start, end, count, type, indices);
}

void GLAPIENTRY glArrayElement(GLint i)
{
    FORWARD(glArrayElement, void (*)(GLint));
    if (recording)
        ++current.unreadDraws;
    real(i);
}

// ---- taking primitives apart ----

namespace {

void triangle(std::vector<Element>& out, const RecordedVertex& a, const RecordedVertex& b, const RecordedVertex& c)
{
    out.push_back({3, {a, b, c}});
}

}  // namespace

std::vector<Element> elementsOf(const Recording& recording)
{
    std::vector<Element> out;
    for (const RecordedPrimitive& p : recording.primitives) {
        const auto& v = p.vertices;
        const std::size_t n = v.size();
        switch (p.mode) {
        case GL_POINTS:
            for (const auto& x : v)
                out.push_back({1, {x, x, x}});
            break;
        case GL_LINES:
            for (std::size_t k = 0; k + 1 < n; k += 2)
                out.push_back({2, {v[k], v[k + 1], v[k + 1]}});
            break;
        case GL_LINE_STRIP:
        case GL_LINE_LOOP:
            for (std::size_t k = 0; k + 1 < n; ++k)
                out.push_back({2, {v[k], v[k + 1], v[k + 1]}});
            if (p.mode == GL_LINE_LOOP && n > 1)
                out.push_back({2, {v[n - 1], v[0], v[0]}});
            break;
        case GL_TRIANGLES:
            for (std::size_t k = 0; k + 2 < n; k += 3)
                triangle(out, v[k], v[k + 1], v[k + 2]);
            break;
        case GL_TRIANGLE_STRIP:
            for (std::size_t k = 0; k + 2 < n; ++k) {
                if (k % 2 == 0)
                    triangle(out, v[k], v[k + 1], v[k + 2]);
                else
                    triangle(out, v[k + 1], v[k], v[k + 2]);
            }
            break;
        case GL_TRIANGLE_FAN:
        case GL_POLYGON:
            for (std::size_t k = 1; k + 1 < n; ++k)
                triangle(out, v[0], v[k], v[k + 1]);
            break;
        case GL_QUADS:
            for (std::size_t k = 0; k + 3 < n; k += 4) {
                triangle(out, v[k], v[k + 1], v[k + 2]);
                triangle(out, v[k], v[k + 2], v[k + 3]);
            }
            break;
        case GL_QUAD_STRIP:
            for (std::size_t k = 0; k + 3 < n; k += 2) {
                triangle(out, v[k], v[k + 1], v[k + 3]);
                triangle(out, v[k], v[k + 3], v[k + 2]);
            }
            break;
        default:
            break;
        }
    }
    return out;
}

long primitivesOf(GLenum mode, std::size_t count)
{
    const long n = static_cast<long>(count);
    switch (mode) {
    case GL_POINTS:
        return n;
    case GL_LINES:
        return n / 2;
    case GL_LINE_STRIP:
        return n > 1 ? n - 1 : 0;
    case GL_LINE_LOOP:
        return n > 1 ? n : 0;
    case GL_TRIANGLES:
        return n / 3;
    case GL_TRIANGLE_STRIP:
    case GL_TRIANGLE_FAN:
        return n > 2 ? n - 2 : 0;
    case GL_QUADS:
        return n / 4;
    case GL_QUAD_STRIP:
        return n > 3 ? (n - 2) / 2 : 0;
    case GL_POLYGON:
        return n > 2 ? 1 : 0;
    default:
        return 0;
    }
}
