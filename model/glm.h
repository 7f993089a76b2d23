// The Solar System model library: Wavefront OBJ models with MTL material
// libraries in memory — reading, writing, normals, geometry operations,
// drawing — and a reader for raw PPM pictures.
//
// Conventions
// - A model is a GlmMesh created by glmReadOBJ (or glmParseOBJ/glmLoadOBJ of
//   glm_core.h) and released by glmDestroy.  The mesh owns every array,
//   string, material and group reachable from it; all of it comes from the C
//   allocator (malloc/free).  An operation that recomputes an array frees
//   the old one first.
// - Vertices, normals, texture coordinates and facet normals are numbered
//   from 1, as in an OBJ file: entry i of `vertices` is floats 3i..3i+2, of
//   `uvs` floats 2i..2i+1; each such array has one spare entry 0 in front
//   (zero after reading).  Faces, face indices inside groups and materials
//   are numbered from 0.  After reading, every face reference lies in
//   1..count of its array, or is 0 where the face's form carries none.
// - Warnings and notices go to the message handler installed
//   with glmSetMessageHandler when there is one, else to the stream each
//   function names below (most warnings to standard output; a vertex
//   without a triangle and the reader's warning about absent references to
//   standard error).  The PPM reader's failures go to standard error.  The
//   file-level operations end the process with exit status 1 when an OBJ
//   or MTL file cannot be opened or is no text (NUL bytes near its start
//   and no UTF-16 mark; a UTF-8 mark is skipped and UTF-16 text decoded),
//   an OBJ file holds an unknown "v" keyword (message on standard output)
//   or a face reference outside an array it defines (message on standard
//   error naming the file, line and value).  An allocation that fails ends
//   the process with status 1 and a message naming what could not be
//   allocated.  glm_core.h has the same readers, the geometry operations
//   that allocate and a writer, all without process exits: they hand every
//   such failure back as a status.
// - Preconditions are checks that stop the program with the failed
//   expression, "glm" and the line ("prog: glm:12: f: Assertion `model'
//   failed."); they are always on.
// - Single-threaded: one thread at a time may use a model.  glmReadOBJ
//   itself may use one thread per processor while it reads.
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
    char* name;  // compared byte for byte
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
    // Every statement of the entry the reader does not interpret ("Ni",
    // "d", "illum", "map_Kd -s 2 2 1 wood grain.png", "Pr", ...), each as
    // it stood in the file without its line break, in file order, joined by
    // "\n"; null when there is none.  Written back only with MODE_KEEP_ALL.
    char* keptStatements;
};

// From face `firstFace` on (0-based, in file order), the faces belong to
// object `name` ("o NAME", the rest of the line).
struct GlmObjectRun {
    unsigned firstFace;
    char* name;
};

// From face `firstFace` on, the faces are in smoothing group `group` ("s 3";
// "s off" and "s 0" are 0).
struct GlmSmoothingRun {
    unsigned firstFace;
    unsigned group;
};

// One "l" statement: `count` consecutive entries of the line reference
// arrays from `first`.
struct GlmPolyline {
    unsigned first;
    unsigned count;
};

// The model record.
struct GlmMesh {
    char* sourcePath;       // the path glmReadOBJ was given
    char* materialLibrary;  // first word of the "mtllib" line, or null
    unsigned vertexCount;
    float* vertices;  // vertexCount + 1 entries of x, y, z
    unsigned normalCount;
    float* normals;  // normalCount + 1 entries, or null
    unsigned uvCount;
    float* uvs;  // uvCount + 1 entries of u, v, or null
    unsigned facetnormCount;
    float* facetnorms;  // facetnormCount + 1 entries, or null
    unsigned faceCount;
    GlmFace* faces;  // faceCount entries from 0
    unsigned materialCount;
    GlmMtlEntry* materialTable;  // entry 0 is "default"; null without "mtllib"
    unsigned groupCount;
    GlmFaceGroup* groupList;  // newest group first; "default" is last
    float placement[3];       // 0, 0, 0; no operation uses it

    // What the file says that the library keeps but does not act on: read
    // by the OBJ reader, carried through the geometry operations (welding
    // renumbers line and point references; colours follow their vertices),
    // written back only with MODE_KEEP_ALL, never drawn by glmDraw.
    float* colors;  // vertexCount + 1 entries of r, g, b ("v x y z r g b"), or null
    unsigned objectRunCount;
    GlmObjectRun* objectRuns;  // in increasing firstFace order, or null
    unsigned smoothingRunCount;
    GlmSmoothingRun* smoothingRuns;  // in increasing firstFace order, or null
    unsigned lineCount;
    GlmPolyline* lines;  // lineCount "l" statements in file order, or null
    unsigned lineRefCount;
    unsigned* lineVertexRefs;  // lineRefCount 1-based vertex references
    unsigned* lineUvRefs;      // lineRefCount uv references (0 = none), or null when no line has one
    unsigned pointCount;
    unsigned* pointVertexRefs;  // pointCount 1-based vertex references ("p" statements), or null
};

// Mode flags for glmWriteOBJ and glmDraw.
constexpr unsigned MODE_PLAIN = 0;      // positions only
constexpr unsigned MODE_FLAT = 1;       // one facet normal per triangle
constexpr unsigned MODE_SMOOTH = 2;     // one normal per corner
constexpr unsigned MODE_TEXTURE = 4;    // texture coordinates per corner
constexpr unsigned MODE_COLOR = 8;      // group material's diffuse as colour
constexpr unsigned MODE_MATERIAL = 16;  // group material
constexpr unsigned MODE_OUTLINE = 32;   // drawing only: one line loop a triangle
constexpr unsigned MODE_KEEP_ALL = 64;  // writing only: also what the model keeps but does not act on

// ---- Messages ----

// Receives every warning and notice a library function would print, as the
// complete text it would print (line break included) and the stream it
// would go to (stdout or stderr).  Called on the thread that runs the
// library function; while reading on several threads, only after the
// workers have joined.  Messages that come before the process ends
// (unreadable files, out of memory) still go to their streams.
using GlmMessageHandler = void (*)(FILE* stream, const char* text, void* context);
// Installs `handler` for the whole process (null restores printing to the
// streams) and returns the previous one.  Not to be changed while another
// thread is inside the library.
GlmMessageHandler glmSetMessageHandler(GlmMessageHandler handler, void* context);

// ---- Vector helpers (vectors are three consecutive floats) ----

float glmLarger(float a, float b);                               // b when b > a, else a
float glmAbsolute(float f);                                      // -f when f < 0, else f (so -0 stays -0)
float glmDotProduct(const float* u, const float* v);             // checks u, v
void glmCrossProduct(const float* u, const float* v, float* n);  // n = u x v; checks u, v, n
// Divides v by its length (rounded to float) in place; a zero vector is left
// as it is rather than turned into NaNs.  Checks v.
void glmMakeUnit(float* v);
// True when |u - v| < epsilon on each axis separately (strictly less).
bool glmNearlyEqual(const float* u, const float* v, float epsilon);

// ---- Groups and materials ----

// First group named `name` (byte for byte) from the head of groupList, or
// null.  Checks model.
GlmFaceGroup* glmGroupByName(GlmMesh* model, const char* name);
// glmGroupByName, or else a new empty group (a copy of `name`, no face list,
// material 0) put at the head of the list; groupCount grows by 1.
GlmFaceGroup* glmEnsureGroup(GlmMesh* model, const char* name);
// Index of the first material named `name`, from entry 0 on.  When none is
// (also without materials) it prints
//   glmFindMaterial():  can't find material "NAME".
// on standard output and returns 0, the "default" material.
unsigned glmFindMaterial(GlmMesh* model, const char* name);

// Releases the model and everything it owns; null members are skipped.
// Checks model.
void glmDestroy(GlmMesh* model);

// ---- OBJ reader ----
//
// Statements are read token by token as the C library's "%s" reads them and
// dispatched on the first character (and, for "v", the second):
// - "v", "vn", "vt": a position, normal or texture coordinate; its numbers
//   ("%f", correctly rounded like strtof) are taken from that line only, a
//   missing one is 0, and the rest of the line is skipped.  Any other
//   keyword starting with "v" ("vp") is refused: "glmFirstPass(): Unknown
//   token "vp"." on standard output.
// - "f": a polygon, turned into the fan (c1 c2 c3), (c1 c3 c4), ...  The first
//   corner decides the form of all: "v//n", "v/t/n", "v/t" or "v".  Corners
//   are read like scanf reads "%d/%d/%d" (so a polygon may go on on the next
//   line); a corner with fewer numbers keeps the previous corner's others.
//   Negative references count back from the last entry read before the face
//   (-1 is the newest).  A reference outside 1..count after that refuses the
//   file, except that texture or normal references in a file with no "vt"
//   (or no "vn") lines at all are read as absent (0), with one warning on
//   standard error naming the file and the first line where it happened.
//   References the form does not carry are 0.
// - "g": the rest of the line without its line break ("\n" or "\r\n") names
//   the current group, the blank after "g" included ("g wheel" -> " wheel").
//   A name met again continues that group.  Faces before the first "g" line
//   belong to "default", created first and therefore last in groupList.
// - "usemtl": the first word names the current material; it becomes the
//   material of the current group, and of every group named while it is
//   current.  A group has one material: the last one assigned to it.
//   Unknown names print glmFindMaterial's message and use 0.
// - "mtllib": the first word names a material library in the OBJ file's
//   directory, read at once (glmReadMTL); a later line replaces it.
// - "o": the rest of the line, leading blanks and line break dropped, names
//   the object of the faces that follow; "s N" puts them in smoothing group
//   N ("s off", "s 0" and a word that is no number are 0).  Both are kept
//   as runs (objectRuns, smoothingRuns) starting at the first face read
//   after the statement, only where the value changes; of several before
//   the same face the last counts.  A run may start at faceCount.
// - "l v1 v2 ..." (each "v" or "v/vt") and "p v1 v2 ...": the references
//   on the rest of the line, up to the first word that is none, resolved
//   and checked as face references are; kept in lines, lineVertexRefs,
//   lineUvRefs (null when no line has a texture reference; 0 where an
//   element has none) and pointVertexRefs.
// - "v x y z r g b": a vertex line with six numbers or more carries a
//   colour in its fourth to sixth.  colors is null when no vertex has one;
//   otherwise every vertex has an entry, 1 1 1 for those without.
// - anything else ("#" comments, "curv", "surf", "cstype", "parm", "deg",
//   "end", ... and unknown keywords) is skipped to the end of its line;
//   GlmReadOptions::countSkipped counts these statements but comments.
//   Keywords are told by their first character as above ("mg" is read as
//   "mtllib", "usemap" as "usemtl"); "o", "s", "l" and "p" only alone.
// The file is read once, front to back, into arrays that grow as they fill
// and are cut to size at the end; large files are cut into chunks at line
// starts and read by several threads (glmReaderThreads of glm_core.h), each
// chunk's values appended in file order, with the same result.  The file
// is mapped, not copied, and the pages already read are given back.
// Warnings go through glmMessage: the message handler when one is
// installed (glmSetMessageHandler), else the streams named above.

// Reads the OBJ file at `path` (and the material library it names) into a
// new model that the caller owns (glmDestroy).  sourcePath is a copy of
// `path`; normals and uvs are null when the file has none, facetnorms is
// null, placement is 0, 0, 0.  Ends the process with status 1 when the file
// or its library cannot be opened or the file is refused (see above), or
// when either is no text:
//   glmReadOBJ() failed: "PATH" is not a text file.
GlmMesh* glmReadOBJ(const char* path);
// The reading in two steps over an open stream, each taking it from its
// current position to its end (both read the whole text as glmReadOBJ
// does).  glmFirstPass counts into a model whose sourcePath is set: counts,
// groups with face lists of their final size (faceCount 0), the material
// table; it reports nothing about references.  The caller then allocates
// vertices, faces and, when counted, normals and uvs, and rewinds;
// glmFillPass fills them from the same text (and sets the kept lines,
// points, colours and runs), printing what glmReadOBJ prints.  Both end the
// process on the failures glmReadOBJ ends it on.
void glmFirstPass(GlmMesh* model, FILE* file);
void glmFillPass(GlmMesh* model, FILE* file);

// ---- MTL reader and writer ----

// A copy of `path` cut after its last "/" (kept); "" without one.  Only "/"
// separates directories.  The caller frees the result.
char* glmDirectoryOf(const char* path);
// Reads material library `name` (joined unchanged to the directory of
// model->sourcePath) into materialTable and materialCount, releasing the old
// table.  Entry 0 is "default", the file's "newmtl" entries follow in order;
// every entry starts as diffuse 0.8 0.8 0.8 1, ambient 0.2 0.2 0.2 1,
// specular 0 0 0 1, emission 0 0 0 1, exponent 65.  "Ka", "Kd", "Ks" set
// red, green, blue of the current entry (numbers missing on the line keep
// their values); "Ns" is read on the file's 0..1000 scale and stored on
// OpenGL's 0..128 (/ 1000 then * 128, in float); every other statement
// (and a colour key with no number, "Kd spectral ...") changes nothing and
// is kept, as it stands in the file, in the entry's keptStatements.  Any
// line beginning with "n" ("norm" too) starts an entry named by its first
// word.  Keys before the first "newmtl" belong to "default".
// Ends the process with status 1 when the file cannot be opened or is no
// text (a UTF-8 mark is skipped, UTF-16 with its mark decoded):
//   glmReadMTL() failed: can't open material file "PATH".
//   glmReadMTL() failed: "PATH" is not a text file.
void glmReadMTL(GlmMesh* model, const char* name);
// Writes materialTable to file `name` in the directory of objPath: an
// eight-line comment header, an empty line, then per entry (entry 0
// included) "newmtl", "Ka", "Kd", "Ks" with "%f" numbers, "Ns" back on the
// 0..1000 scale (65 -> 507.812500), with MODE_KEEP_ALL in `mode` the entry's
// keptStatements (one per line), and an empty line.  Every write is checked:
// ends the process with status 1 when the file cannot be opened for
// writing, or when writing or closing it fails:
//   glmWriteMTL() failed: can't write file "PATH": REASON.
void glmWriteMTL(GlmMesh* model, const char* objPath, const char* name, unsigned mode = MODE_PLAIN);

// ---- OBJ writer ----

// Writes the model to `path` with what `mode` asks for and the model has.
// Requests the model cannot satisfy are dropped first, each with its
// "glmWriteOBJ() warning: ..." line on standard output, in this order: flat
// without facet normals, smooth without normals, texture without uvs, flat
// with smooth (smooth wins), colour without materials, material without
// materials, colour with material (material wins).  The file then holds a
// comment header; with MODE_MATERIAL "mtllib" (and the library, written by
// glmWriteMTL beside the file under the last path component of
// materialLibrary, so a name such as "../x.mtl" never writes outside the
// output's folder; a name that ends in no file is skipped with a warning);
// the vertices; the normals (MODE_SMOOTH) or
// facet normals (MODE_FLAT); the uvs (MODE_TEXTURE); the group and face
// counts; then each group from the head: "g NAME", with MODE_MATERIAL
// "usemtl NAME", and its faces as "f v/t/n" (texture with smooth or flat
// normals; flat writes the face's facet normal at all three corners),
// "f v/t", "f v//n" or "f v".  Each face takes the form its own references
// allow: a face with a 0 texture coordinate (or normal) reference at any
// corner is written without texture coordinates (or normals), so that no
// 0 reference is ever written.  Numbers use "%f" and "%d".
// With MODE_KEEP_ALL it also writes what the model keeps: each vertex's
// colour after its position ("v x y z r g b") when the model has colours;
// before a face, "o NAME" when the face's object differs from the last one
// written and "s N" ("s off" for 0) when its smoothing group does, in the
// order the faces are written; after the groups the lines ("l v v ...", or
// "l v/t ..." with MODE_TEXTURE when every corner has a texture coordinate)
// and the points ("p v", one a line); and the material library's kept
// statements.  Without it the text is exactly as described above.
// Checks model.  The file is written in place; every write is checked, and
// the process ends with status 1 when `path` cannot be opened for writing,
//   glmWriteOBJ() failed: can't open file "PATH" to write.
// or when writing or closing it fails (a full disk, a file size limit):
//   glmWriteOBJ() failed: can't write file "PATH": REASON.
// glmSaveOBJ (glm_core.h) replaces files safely and returns failures.
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

// Reads a raw "P6" picture: width * height * 3 bytes, red, green, blue, the
// file's first row first, rows unpadded; the caller frees it.  Width,
// height and the maximum value may stand on the "P6" line or on the lines
// after it; "#" starts a comment to the end of a line; the raster follows
// the line that ends the header.  Returns null after a message on standard
// error ("PATH: ..."; the system's error when the file cannot be opened) for
// a file that is not "P6", a header that ends early or holds anything but
// numbers, a width or height below 1, a maximum value outside 1..255, a size
// too large to allocate, or a raster shorter than the header promises.
// `width` and `height` are written only on success.
unsigned char* glmLoadPPM(const char* path, int* width, int* height);
