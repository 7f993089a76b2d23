// Records the geometry a program hands OpenGL, from inside the program: the
// test executable defines glBegin, glVertex3f, glDrawElements and the rest
// (gl_recorder.cpp) and exports them, so that the renderer's own calls and
// those freeglut and libGLU make resolve to these definitions first.  Each
// one notes what it is given and passes the call on to libGL, which still
// draws.
//
// Every primitive is kept as OpenGL assembles it: its mode and its vertices,
// each with the normal and texture coordinate current when it was issued
// (immediate mode), or taken from the enabled arrays (glDrawArrays,
// glDrawElements with client-side arrays).
#pragma once

#include <GL/gl.h>

#include <cstddef>
#include <vector>

struct RecordedVertex {
    float position[3];
    float normal[3];
    float uv[2];
};

struct RecordedPrimitive {
    GLenum mode;
    std::vector<RecordedVertex> vertices;
};

struct Recording {
    std::vector<RecordedPrimitive> primitives;
    // How often normals and texture coordinates were handed over: glNormal*
    // and glTexCoord* calls, and draws reading a normal or texture
    // coordinate array.
    int normalSources = 0;
    int texCoordSources = 0;
    // Draw calls the recorder does not take apart (a client array of a type
    // it does not read, a buffer object); a complete recording has none.
    int unreadDraws = 0;
    // GL_PRIMITIVES_GENERATED over the recording: what libGL itself drew
    // (-1 when the query is not available).
    long generated = -1;
};

// Starts a recording; the current normal and texture coordinate are read
// from GL, so a context must be current.
void startRecording();
// Ends it and hands it over.
Recording stopRecording();

// What OpenGL rasterises a primitive of `count` vertices as: triangles,
// lines or points (quads and polygons counted as the triangles they are cut
// into: quad a b c d as a b c and a c d, polygon as a fan).
struct Element {
    int kind;  // 1 point, 2 line, 3 triangle
    RecordedVertex v[3];
};
// The elements of a recording in drawing order.
std::vector<Element> elementsOf(const Recording& recording);
// The number of primitives a draw of `mode` with `count` vertices gives,
// counted as GL_PRIMITIVES_GENERATED counts them (a quad or a polygon is
// one).
long primitivesOf(GLenum mode, std::size_t count);
