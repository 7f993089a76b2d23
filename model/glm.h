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

// Extents |max| + |min| of each axis into dimensions[0..2].
void glmExtents(GlmMesh* model, float* dimensions);
// Moves the model's box centre to the origin and scales the largest extent
// to 2; returns the scale applied.
float glmCenterAndScale(GlmMesh* model);
void glmResize(GlmMesh* model, float factor);
void glmShift(GlmMesh* model, const float* offset);
// Reverses every triangle's winding and negates all normals.
void glmFlipWinding(GlmMesh* model);
// One unit facet normal per face; face i refers to facet normal i + 1.
void glmFaceNormals(GlmMesh* model);
// Per-corner normals averaged over faces within `angle` degrees.
void glmVertexNormals(GlmMesh* model, float angle);
// Texture coordinates from x and z, one per vertex.
void glmPlanarUVs(GlmMesh* model);
// Texture coordinates from the normals' directions, one per normal.
void glmSphereUVs(GlmMesh* model);
// Welds vertices closer than epsilon on every axis; first kept vertex wins.
void glmMergeVertices(GlmMesh* model, float epsilon);

// ---- Drawing ----

// Sends the model to OpenGL in immediate mode, group by group.
void glmDraw(GlmMesh* model, unsigned mode);
// Compiles glmDraw(model, mode) into a new display list and returns its name.
unsigned glmCompileList(GlmMesh* model, unsigned mode);

// ---- PPM reader ----

// Reads a raw "P6" picture: width * height * 3 bytes, first row of the file
// first; the caller frees it.  Null (after a message on standard error) on
// failure; width and height are written only on success.
unsigned char* glmLoadPPM(const char* path, int* width, int* height);
