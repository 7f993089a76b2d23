// The model library without its process exits: OBJ and MTL text parsed
// from memory, the geometry operations that allocate, and writing, every
// failure handed back to the caller as a status and a message line.  No
// function here prints, ends the process or stops on a failed check: an
// allocation that fails, a model a caller built with references outside
// its arrays, a model without the arrays an operation needs, come back as
// failures, and the model is left as it was.  The operations of glm.h are
// built on these and end the process (or stop on their checks) where this
// layer returns a failure.
//
// Reading takes any bytes: a UTF-8 byte-order mark is skipped, text with a
// UTF-16 mark (little- or big-endian) is decoded to UTF-8 and read, and
// text with a NUL byte in its first 4 KiB and no UTF-16 mark is refused as
// no text (GLM_READ_NOT_TEXT).  All other text is read as bytes: names in
// CP949 or Latin-1 stay as they stand.
#pragma once

#include <cstddef>

#include "model/glm.h"

enum GlmReadErrorKind {
    GLM_READ_OK = 0,
    GLM_READ_CANT_OPEN,      // the OBJ file cannot be opened or read
    GLM_READ_UNKNOWN_TOKEN,  // a token beginning with "v" the reader does not know
    GLM_READ_BAD_REFERENCE,  // a face reference outside 1 .. count after resolving
    GLM_READ_MATERIAL_FILE,  // the material library cannot be opened or read
    GLM_READ_NO_MEMORY,      // an array of the model cannot be allocated
    GLM_READ_NOT_TEXT,       // the OBJ or MTL file is no text (NUL bytes near its start, no UTF-16 mark)
};

// What went wrong.  `message` is the complete line the file-level operations
// print (with its line break); unknown tokens go to standard output, every
// other failure to standard error.
struct GlmReadError {
    GlmReadErrorKind kind;
    char message[600];
};

// Loads material library `name` (the first word of an "mtllib" line) into
// model->materialTable, normally through glmParseMTL.  Returns false and
// fills `error` when there is no such library.
using GlmMaterialLoader = bool (*)(GlmMesh* model, const char* name, void* context, GlmReadError* error);

// Told, after a read, of the statements the reader skipped without keeping
// them (free-form geometry such as "curv", "surf", "cstype", "parm", and any
// unknown keyword; never comments, blank lines or a statement the model
// keeps): once per distinct keyword, in the order each first appears in the
// text, with how many times it appeared.  `keyword` is not zero-terminated.
using GlmSkipCounter = void (*)(const char* keyword, std::size_t length, unsigned long count, void* context);

struct GlmReadOptions {
    // Worker threads for the reading; 0 uses glmReaderThreads().  Small
    // texts are always read on the calling thread.
    unsigned threads = 0;
    // Bytes per chunk of text a thread reads at a time; 0 chooses (3 MiB
    // shared among the threads, 128 KiB to 1 MiB each).
    std::size_t chunkBytes = 0;
    // Supplies the material libraries; null reads the file `name` in the
    // directory of the model's source path (glmDirectoryOf).
    GlmMaterialLoader loadMaterials = nullptr;
    void* loaderContext = nullptr;
    // Told of the skipped statements once the text has been read without
    // failure, on the calling thread; nothing is told for a refused text.
    // Null (the default) counts nothing and costs nothing.
    GlmSkipCounter countSkipped = nullptr;
    void* skipContext = nullptr;
};

// The threads a read with `threads` 0 uses: the processors this process may
// run on (its affinity mask), fewer when a cgroup v2 CPU quota ("cpu.max")
// allows less.
unsigned glmReaderThreads();

// Parses OBJ text (see above for the encodings) into a new model whose
// sourcePath is a copy of
// `sourcePath` (used for messages and to find material libraries; may be
// null).  A text that is no text fails with GLM_READ_NOT_TEXT:
//   glmReadOBJ() failed: "PATH" is not a text file.
// The text need not be zero-terminated and is not changed.  Returns
// the model, which the caller releases with glmDestroy, or null with
// `error` filled.  Once the text is read, "glmFindMaterial" lines for
// unknown materials and the warning about references into arrays the text
// never defines go through glmMessage (the message handler, or standard
// output and standard error).
GlmMesh* glmParseOBJ(const char* text, std::size_t size, const char* sourcePath, const GlmReadOptions* options,
                     GlmReadError* error);

// glmParseOBJ on the file at `path`, which is mapped into memory, not copied.
GlmMesh* glmLoadOBJ(const char* path, const GlmReadOptions* options, GlmReadError* error);

// Replaces model->materialTable and materialCount with the materials of
// MTL text `text`.  Returns false, with `error` (may be null) filled and the
// old table kept, when the text is no text (GLM_READ_NOT_TEXT, "glmReadMTL()
// failed: "NAME" is not a text file.", NAME being `name`) or the table
// cannot be allocated (GLM_READ_NO_MEMORY).
bool glmParseMTL(GlmMesh* model, const char* text, std::size_t size, GlmReadError* error = nullptr,
                 const char* name = "");

// Reads the material library file `name` beside model->sourcePath into the
// model; false with `error` filled when it cannot be read, is no text or
// does not fit in memory.  This is the
// loader used when GlmReadOptions::loadMaterials is null.
bool glmLoadMTL(GlmMesh* model, const char* name, void* context, GlmReadError* error);

// Why glmParsePPM refused a picture: the text glmLoadPPM prints after the
// file name and a colon, without the line break ("Not a raw PPM file").
struct GlmPpmError {
    char message[128];
};

// Decodes a raw PPM ("P6") picture held in memory: the header as glmLoadPPM
// takes it, then width * height * 3 bytes of raster.  Returns a new block
// (malloc) of exactly those bytes and sets *width and *height; or null with
// `error` (may be null) filled and the outputs untouched.  Pictures over
// 2^28 pixels in all are refused, whatever their shape, and the raster is
// checked against `size` before anything is allocated.
unsigned char* glmParsePPM(const unsigned char* data, std::size_t size, int* width, int* height, GlmPpmError* error);

// ---- Writing without process exits ----

// Why glmSaveOBJ failed.
enum GlmWriteErrorKind {
    GLM_WRITE_OK = 0,
    GLM_WRITE_CANT_OPEN,     // a file (or its temporary file) cannot be created or opened
    GLM_WRITE_FAILED,        // writing, flushing to disk or closing failed (a full disk, a size limit)
    GLM_WRITE_CANT_REPLACE,  // the finished file cannot be renamed into place
    GLM_WRITE_NO_MEMORY,     // memory for the paths cannot be had
    GLM_WRITE_BAD_MODEL,     // no model, or a reference outside its array (see glmCheckMesh)
};

// What went wrong.  `message` is one complete line (with its line break)
// naming the file and the system's reason, for instance
//   glmWriteOBJ() failed: can't write file "out/car.obj": No space left on device.
// The OBJ file's failures begin "glmWriteOBJ() failed", the material
// library's "glmWriteMTL() failed".  `systemError` is the errno behind it
// (0 when there is none).
struct GlmWriteError {
    GlmWriteErrorKind kind;
    int systemError;
    char message[600];
};

struct GlmWriteOptions {
    // The material library to write beside the OBJ file and name on its
    // "mtllib" line instead of model->materialLibrary; only its last path
    // component is used.  Null keeps the model's.
    const char* materialLibrary = nullptr;
    // Flush both files to the disk (fsync) before they replace the old
    // ones, and the folder after the renames.  Only a caller that does not
    // need the files to survive a crash turns this off.
    bool sync = true;
};

// Writes `model` to `path` as glmWriteOBJ does (the same text for the same
// mode, the same warnings for requests the model cannot meet, the material
// library beside it with MODE_MATERIAL), but safely and without ending the
// process:
// - the OBJ text and the material library are each written to a new
//   temporary file in the target's folder, flushed to disk and closed, and
//   only when both are complete renamed into place, the library first and
//   the OBJ file last; the folder is synced after the renames.  A failure
//   before that removes the temporary files and leaves both old files as
//   they were; an existing file is never left half-written.
// - a replaced file keeps its permission bits (and, where allowed, its
//   owner); a new file gets 0666 less the umask.  A symbolic link is
//   followed: the file it points to is replaced, the link stays.
// - a target that exists and is not a regular file (a device such as
//   /dev/null, a FIFO) is written directly, never renamed over; its
//   failures are reported the same way.
// `options` may be null for the defaults.  Returns true on success; false
// with `error` (may be null) filled.  A null model, or one glmCheckMesh
// refuses, fails with GLM_WRITE_BAD_MODEL before any file is touched.
bool glmSaveOBJ(GlmMesh* model, const char* path, unsigned mode, const GlmWriteOptions* options, GlmWriteError* error);

// ---- Geometry operations without process exits ----

enum GlmStatus {
    GLM_OK = 0,
    GLM_NO_MEMORY,  // an array the operation needs cannot be allocated
    GLM_BAD_MODEL,  // no model, an array the operation needs is missing, or a reference outside its array
};

// What went wrong: `message` is one complete line with its line break, for
// instance
//   glm: out of memory: can't allocate vertex normals (120000012 bytes).
//   glmVertexNormals() failed: the model has no facet normals.
//   glmFaceNormals() failed: face 3 corner 1 names vertex 9 of 8.
// The out-of-memory line is the one glm.h's operations print before they
// end the process.
struct GlmError {
    GlmStatus status;
    char message[600];
};

// Checks that every reference of the model names an entry of its array:
// face vertex references in 1..vertexCount, texture coordinate, normal and
// facet normal references in 0..their count, group face lists within
// faceCount, group materials within the material table (when there is
// one), line and point references within theirs.  Returns false with
// `error` (may be null) filled as GLM_BAD_MODEL naming `operation` and the
// first reference outside.  glmSaveOBJ checks all of it first; each
// operation below checks the references it reads (glmVertexNormals, for
// one, ignores the normal references it replaces).  The reader makes only
// models that pass.
bool glmCheckMesh(const GlmMesh* model, const char* operation, GlmError* error);

// glmFaceNormals, glmVertexNormals, glmPlanarUVs, glmSphereUVs and
// glmMergeVertices of glm.h, with the same results, returning true; or
// false with `error` (may be null) filled and the model unchanged, when
// memory runs short (GLM_NO_MEMORY), when `model` is null or the model
// lacks what the operation needs (positions; facet normals for vertex
// normals; normals for sphere texture coordinates) or glmCheckMesh refuses
// it (GLM_BAD_MODEL).  The messages these operations would print (a vertex
// without a triangle) go through glmMessage as in glm.h.
bool glmComputeFaceNormals(GlmMesh* model, GlmError* error);
bool glmComputeVertexNormals(GlmMesh* model, float angle, GlmError* error);
bool glmComputePlanarUVs(GlmMesh* model, GlmError* error);
bool glmComputeSphereUVs(GlmMesh* model, GlmError* error);
bool glmWeldVertices(GlmMesh* model, float epsilon, GlmError* error);
