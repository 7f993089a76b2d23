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
// float values (tests/render/meshes_test.cpp records the desktop's calls,
// freeglut's and GLU's included, and compares them float for float; the
// arithmetic repeats theirs in their precision; built with Debian's
// emscripten, every shape the desktop draws comes out with the same bits).  Meshes are in the shape's own
// coordinates: the desktop's matrix calls around them stay the renderer's.
//
// Strips, fans and quads come back as indexed MESH_TRIANGLES, each triangle
// wound as OpenGL winds it when it draws the desktop's primitive: strip
// triangle k is (k, k+1, k+2) for even k and (k+1, k, k+2) for odd k; a quad
// a b c d is (a, b, c) and (a, c, d); a fan is (centre, k, k+1).  Triangles
// naming one vertex twice (freeglut's pole strips fold onto themselves) draw
// nothing and are left out.  The desktop culls back faces with counter-
// clockwise front faces; drawn the same way, the meshes show the same sides:
//   - sphereMesh winds clockwise seen from outside: a sphere shows its
//     inner, far half (the close-ups look at it from inside; in the
//     overview the near half is culled);
//   - the solids, the cylinder and the disk face outward, along their
//     normals (the disk toward +z);
//   - the sky cube faces inward.
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
// it: poles on the z axis, the +z pole first, then stacks - 1 rings of
// `slices` vertices each (starting on +x and turning clockwise seen from
// +z), then the -z pole; one strip a stack.  MESH_TRIANGLES, indexed,
// normals (the unit directions), no texture coordinates: the figure takes
// the current one.  Empty for fewer than 2 slices (one draws nothing) or
// stacks, or negative slices (on which freeglut ends the program).
Mesh solidSphereMesh(double radius, int slices, int stacks);

// glutSolidCube(size) as freeglut 3.4 draws it: faces +z, +x, +y, -x, -y,
// -z, four vertices and two triangles each, flat normals, no texture
// coordinates.  MESH_TRIANGLES, indexed.
Mesh solidCubeMesh(double size);

// gluCylinder(quadric, base, top, height, slices, stacks) as Mesa's libGLU
// 9.0 draws it with the desktop's cylinder quadric (GLU_FILL, GLU_SMOOTH
// normals, GLU_OUTSIDE, no texture coordinates): along +z from radius `base`
// at z = 0 to `top` at z = height, slice 0 on +y turning toward +x; one quad
// strip a stack, lower then upper vertex, slice 0 repeated at the end.
// MESH_TRIANGLES, indexed, normals, no texture coordinates.  Empty where
// GLU draws nothing: fewer than 2 slices or 1 stack, a negative size, or no
// height and no slope.
Mesh cylinderMesh(double base, double top, double height, int slices, int stacks);

// gluDisk(quadric, inner, outer, slices, loops) as libGLU draws it with the
// desktop's disk quadric (GLU_FILL, GLU_SMOOTH, GLU_OUTSIDE, no texture
// coordinates): in the plane z = 0, slice 0 on +y turning toward +x; one
// quad strip a loop from the rim inward, outer then inner vertex (a disk
// without a hole starts with a fan round the centre for its innermost loop).
// MESH_TRIANGLES, indexed, normal (0, 0, 1) on every vertex (GLU issues it
// once, before the shape), no texture coordinates (the ring takes the one
// its planet left: sphereLastTexCoord).  Empty where GLU draws nothing:
// fewer than 2 slices or 1 loop, a negative inner radius or one past the
// outer.
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
