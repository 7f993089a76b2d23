// The Solar System model library: Wavefront OBJ models with MTL material
// libraries in memory — reading, writing, normals, geometry operations,
// drawing — and a reader for raw PPM pictures.
//
// Conventions
// - A model is a GlmMesh created by glmReadOBJ and released by glmDestroy.
//   The mesh owns every array, string, material and group reachable from it;
//   all of it comes from the C allocator (malloc/free).  An operation that
//   recomputes an array frees the old one first.
// - Vertices, normals, texture coordinates and facet normals are numbered
//   from 1, as in an OBJ file: entry i of `vertices` is floats 3i..3i+2, of
//   `uvs` floats 2i..2i+1; each such array has one spare entry 0 in front.
//   Faces, face indices inside groups and materials are numbered from 0.
// - Warnings go to standard output; a vertex without a triangle and an
//   unopenable PPM file are reported on standard error.  The file-level
//   operations end the process with exit status 1 when an OBJ or MTL file
//   cannot be opened or an OBJ file holds an unknown "v" keyword.
// - Preconditions are assertions naming the failed expression.
// - Single-threaded: one thread at a time may use a model.
#pragma once

#include <cstdio>

// One triangle.  References are 1-based indices into the model's arrays;
// a reference a face's form does not carry is 0.
struct GlmFace {
    unsigned vertexRefs[3];  // winding order
    unsigned normalRefs[3];
    unsigned uvRefs[3];
    unsigned facetnormRef;
};

// A named group of triangles, one link of the model's group list.
struct GlmFaceGroup {
    char* name;              // compared byte for byte
    unsigned faceCount;
    unsigned* faceList;      // faceCount 0-based indices into faces
    unsigned materialIndex;  // 0-based index into materialTable; 0 = "default"
    GlmFaceGroup* next;
};

// One material.  Colours are red, green, blue, alpha.
struct GlmMtlEntry {
    char* name;  // null until a "newmtl" line names the entry
    float diffuseColor[4];
    float ambientColor[4];
    float specularColor[4];
    float emissionColor[4];  // never set or read by the library
    float specularExponent;  // OpenGL shininess, 0..128
};

// The model record.
struct GlmMesh {
    char* sourcePath;       // the path glmReadOBJ was given
    char* materialLibrary;  // first word of the "mtllib" line, or null
    unsigned vertexCount;
    float* vertices;        // vertexCount + 1 entries of x, y, z
    unsigned normalCount;
    float* normals;         // normalCount + 1 entries, or null
    unsigned uvCount;
    float* uvs;             // uvCount + 1 entries of u, v, or null
    unsigned facetnormCount;
    float* facetnorms;      // facetnormCount + 1 entries, or null
    unsigned faceCount;
    GlmFace* faces;         // faceCount entries from 0
    unsigned materialCount;
    GlmMtlEntry* materialTable;  // entry 0 is "default"; null without "mtllib"
    unsigned groupCount;
    GlmFaceGroup* groupList;     // newest group first; "default" is last
    float placement[3];          // 0, 0, 0; no operation uses it
};

// Mode flags for glmWriteOBJ and glmDraw.
constexpr unsigned MODE_PLAIN = 0;      // positions only
constexpr unsigned MODE_FLAT = 1;       // one facet normal per triangle
constexpr unsigned MODE_SMOOTH = 2;     // one normal per corner
constexpr unsigned MODE_TEXTURE = 4;    // texture coordinates per corner
constexpr unsigned MODE_COLOR = 8;      // group material's diffuse as colour
constexpr unsigned MODE_MATERIAL = 16;  // group material
constexpr unsigned MODE_OUTLINE = 32;   // drawing only: one line loop a triangle

// ---- Vector helpers (vectors are three consecutive floats) ----

float glmLarger(float a, float b);                  // b when b > a, else a
float glmAbsolute(float f);                         // -f when f < 0, else f
float glmDotProduct(const float* u, const float* v);
void glmCrossProduct(const float* u, const float* v, float* n);  // n = u x v
// Divides v by its length in place; a zero vector is left as it is.
void glmMakeUnit(float* v);
// True when |u - v| < epsilon on each axis separately (strictly less).
bool glmNearlyEqual(const float* u, const float* v, float epsilon);

// ---- Groups and materials ----

// First group named `name` (byte for byte) from the head of groupList, or null.
GlmFaceGroup* glmGroupByName(GlmMesh* model, const char* name);
// glmGroupByName, or a new empty group with material 0 at the head of the list.
GlmFaceGroup* glmEnsureGroup(GlmMesh* model, const char* name);
// Index of the first material named `name`; 0 after a message when none is.
unsigned glmFindMaterial(GlmMesh* model, const char* name);

// Releases the model and everything it owns.
void glmDestroy(GlmMesh* model);

// ---- OBJ reader ----

// Reads the OBJ file at `path` (and the material library it names) into a
// new model that the caller owns.  Ends the process with status 1 when a file
// cannot be opened or the file is malformed as described above.
GlmMesh* glmReadOBJ(const char* path);
// The counting pass and the filling pass over an open stream.
void glmFirstPass(GlmMesh* model, FILE* file);
void glmFillPass(GlmMesh* model, FILE* file);

// ---- MTL reader and writer ----

// A copy of `path` cut after its last "/" ("" without one); caller frees it.
char* glmDirectoryOf(const char* path);
// Reads material library `name` beside model->sourcePath into materialTable.
void glmReadMTL(GlmMesh* model, const char* name);
// Writes materialTable to file `name` in the directory of objPath.
void glmWriteMTL(GlmMesh* model, const char* objPath, const char* name);

// ---- OBJ writer ----

// Writes the model to `path` with what `mode` asks for and the model has.
void glmWriteOBJ(GlmMesh* model, const char* path, unsigned mode);

// ---- Normals and geometry operations ----
//
// These change the model in place.  Moving, scaling or welding vertices
// does not recompute normals; a degenerate model (no vertices, all vertices
// at the origin, collinear corners) gives finite results, never NaN.

// Extents |max| + |min| of each axis into dimensions[0..2] (x from 2 to 4
// has the extent 6); all 0 for a model without vertices.
void glmExtents(GlmMesh* model, float* dimensions);
// Moves the bounding box's centre to the origin, then scales so that the
// largest extent becomes 2; returns the scale applied.  When the largest
// extent gives no usable scale (0, too small for 2 / extent to stay finite,
// or not finite) the model is only moved and 1 is returned.
float glmCenterAndScale(GlmMesh* model);
// Multiplies / offsets the positions of vertices 1..vertexCount.
void glmResize(GlmMesh* model, float factor);
void glmShift(GlmMesh* model, const float* offset);
// Exchanges corners 0 and 2 of every face (vertex, and normal and texture
// references when the model has them) and negates every facet normal and
// normal: applied twice it restores the model.
void glmFlipWinding(GlmMesh* model);
// One unit facet normal per face (a zero vector for collinear corners);
// face i refers to facet normal i + 1.
void glmFaceNormals(GlmMesh* model);
// Replaces the normals: every face corner gets the normalised sum of the
// facet normals of the faces at its vertex whose dot product with the
// reference face's (the highest-numbered face using the vertex) exceeds
// cos(angle), or a copy of its own face's facet normal when its face is not
// among them.  Numbering runs vertex by vertex, the vertex's average first,
// then the copies, highest-numbered face first.  A vertex used by no face
// gets no normal and a line on standard error.  Linear in the faces.
void glmVertexNormals(GlmMesh* model, float angle);
// One texture coordinate per vertex from x and z, the largest extent
// mapping to 0..1 (every vertex at (0.5, 0.5) without a usable extent); the
// faces in the groups take their vertex references as texture references.
void glmPlanarUVs(GlmMesh* model);
// One texture coordinate per normal from its direction, the poles on the
// x axis; the faces in the groups take their normal references.
void glmSphereUVs(GlmMesh* model);
// Welds vertices: in increasing order, each vertex takes the number of the
// first kept vertex that is glmNearlyEqual to it (closer than epsilon on
// every axis) or becomes a new kept vertex at its own position; faces are
// renumbered.  Linear in practice (a hash grid); epsilon <= 0 or NaN welds
// nothing, and a vertex with an infinite or NaN coordinate is never welded.
void glmMergeVertices(GlmMesh* model, float epsilon);

// ---- Drawing ----

// Sends the model to OpenGL in immediate mode, group by group from the head
// of groupList: one GL_TRIANGLES batch per group (a GL_LINE_LOOP per face
// with MODE_OUTLINE), with facet normals (MODE_FLAT), corner normals
// (MODE_SMOOTH), texture coordinates (MODE_TEXTURE), each group's diffuse
// colour (MODE_COLOR, enabling GL_COLOR_MATERIAL) or material (MODE_MATERIAL,
// disabling it).  Requests the model cannot meet, and MODE_FLAT beside
// MODE_SMOOTH and MODE_COLOR beside MODE_MATERIAL, are dropped with a warning
// on standard output.  Changes no other GL state.
void glmDraw(GlmMesh* model, unsigned mode);
// Compiles glmDraw(model, mode) into a new display list and returns its name,
// which the caller deletes.  Returns 0, draws nothing and says so on standard
// error when GL gives no list name (no context, or inside glBegin/glEnd).
unsigned glmCompileList(GlmMesh* model, unsigned mode);

// ---- PPM reader ----

// Reads a raw "P6" picture: width * height * 3 bytes, first row of the file
// first; the caller frees it.  Null (after a message on standard error) on
// failure; width and height are written only on success.
unsigned char* glmLoadPPM(const char* path, int* width, int* height);
