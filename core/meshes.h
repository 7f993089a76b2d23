// The geometry of every shape the desktop renderer draws, as vertex arrays a
// renderer without fixed-function OpenGL (the WebGL one) can upload: the
// textured latitude-band sphere (render/sphere.cpp), the solids freeglut
// tessellates for the figure (glutSolidSphere, glutSolidCube), the shapes
// GLU tessellates with the renderer's quadrics (gluCylinder for the band and
// the limbs, gluDisk for Saturn's ring), and the immediate-mode shapes the
// renderer issues itself (orbit lines, the sky cube, a close-up's spin axis).
//
// Each mesh holds, vertex for vertex, the positions, normals and texture
// coordinates the desktop hands OpenGL, in the same order and with the same
// float values, so that both renderers light and texture the same surface.
// Strips, fans and quads come back as indexed triangles, each triangle
// wound as OpenGL winds it when it draws the desktop's primitive, so that
// front faces stay front faces (the desktop culls back faces: counter-
// clockwise is front).
//
// Standard library only: no GL, GLU or GLUT header.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Primitive kinds; the values are OpenGL's (and WebGL's) mode numbers, so a
// renderer may hand `primitive` to glDrawArrays/glDrawElements as it is.
enum MeshPrimitive {
    MESH_POINTS = 0,          // GL_POINTS
    MESH_LINES = 1,           // GL_LINES
    MESH_LINE_LOOP = 2,       // GL_LINE_LOOP
    MESH_LINE_STRIP = 3,      // GL_LINE_STRIP
    MESH_TRIANGLES = 4,       // GL_TRIANGLES
    MESH_TRIANGLE_STRIP = 5,  // GL_TRIANGLE_STRIP
};

struct Mesh {
    int primitive = MESH_TRIANGLES;  // a MeshPrimitive
    // Per vertex: 3 position floats, 3 normal floats, 2 texture coordinate
    // floats.  `normals` is empty when the desktop issues no normal with the
    // shape (it is then lit with the current normal, or unlit); `uvs` is
    // empty when it issues no texture coordinate (the shape takes the
    // current one: see sphereLastTexCoord).
    std::vector<float> positions, normals, uvs;
    // Vertex indices, taken `primitive`-wise; empty: the vertices in order.
    std::vector<std::uint32_t> indices;

    std::size_t vertexCount() const { return positions.size() / 3; }
};

// The most vertices a mesh holds.  A shape that would need more, a shape the
// desktop's routine refuses to draw (GLU's and freeglut's invalid counts and
// sizes), and a mesh memory ran out for come back empty: no vertices.
constexpr std::int64_t MESH_MAX_VERTICES = std::int64_t{1} << 26;

// drawSphere(cx, cy, cz, radius, n): n/2 latitude bands from the south pole
// up, each a strip of 2 (n + 1) vertices (upper then lower latitude, column
// by column; column n repeats column 0 with s = -1).  MESH_TRIANGLES,
// indexed: the strips' vertices in drawing order, each strip's n * 2
// triangles wound as GL winds a strip.  Negative radius and n count as their
// size; with fewer than 4 slices or no radius (NaN included) it is one
// MESH_POINTS vertex at the centre, without normal or texture coordinate.
// Positions are formed as drawSphere forms them (centre + radius * direction
// in float), so the centred form and a translated one differ in the last
// bits: use the overload with the centre the desktop passes.
Mesh sphereMesh(float radius, int n);
Mesh sphereMesh(float cx, float cy, float cz, float radius, int n);

// The texture coordinate drawSphere(.., n) issues last, which stays current
// after it: Saturn's ring (gluDisk, which issues none) is drawn right after
// Saturn's sphere and takes it.  False, `uv` untouched, when the sphere is
// a point (fewer than 4 slices: it issues none).
bool sphereLastTexCoord(int n, float uv[2]);

// glutSolidSphere(radius, slices, stacks) as Debian 12's freeglut 3.4 draws
// it: MESH_TRIANGLES, indexed, normals, no texture coordinates.
Mesh solidSphereMesh(double radius, int slices, int stacks);

// glutSolidCube(size) as freeglut 3.4 draws it: six faces of two triangles
// each, flat normals, no texture coordinates.  MESH_TRIANGLES, indexed.
Mesh solidCubeMesh(double size);

// gluCylinder(quadric, base, top, height, slices, stacks) as Mesa's libGLU
// 9.0 draws it with the desktop's cylinder quadric (GLU_FILL, GLU_SMOOTH
// normals, GLU_OUTSIDE, no texture coordinates): MESH_TRIANGLES, indexed
// from its quad strips, normals, no texture coordinates.
Mesh cylinderMesh(double base, double top, double height, int slices, int stacks);

// gluDisk(quadric, inner, outer, slices, loops) as libGLU draws it with the
// desktop's disk quadric (GLU_FILL, GLU_SMOOTH, GLU_OUTSIDE, no texture
// coordinates): MESH_TRIANGLES, indexed, normal (0, 0, 1) on every vertex,
// no texture coordinates (see sphereLastTexCoord).
Mesh diskMesh(double inner, double outer, int slices, int loops);

// The overview's orbit line: a circle of `radius` about the origin in the
// plane z = 0, leaving out the arc within gapHalfWidth radians of the angle
// gapAt.  MESH_LINE_STRIP of 257 vertices, positions only.
Mesh orbitMesh(double radius, double gapAt, double gapHalfWidth);
// The same for a body at distance `distance` (its sign ignored) of radius
// bodyRadius: the gap is a little wider than the body, as the overview
// draws it.
Mesh orbitLineMesh(double distance, double bodyRadius, double gapAt);

// The sky cube of half size `halfSize` (skyHalfSize) round the scene, every
// face counter-clockwise seen from inside, each face's texture running 0..1
// in both directions.  MESH_TRIANGLES, indexed from its quads (4 vertices
// and 2 triangles a face), texture coordinates, no normals.
Mesh skyCubeMesh(float halfSize);

// A close-up's spin axis: the line (0, -55, 0) - (0, 55, 0).  MESH_LINES,
// positions only.
Mesh closeUpAxisMesh();
