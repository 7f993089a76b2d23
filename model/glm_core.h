// The model library's readers without their process exits: OBJ and MTL
// text parsed from memory, failures handed back to the caller.  The
// file-level operations of glm.h (glmReadOBJ, glmReadMTL) are built on these
// and end the process where this layer returns an error.
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

// Parses OBJ text into a new model whose sourcePath is a copy of
// `sourcePath` (used for messages and to find material libraries; may be
// null).  The text need not be zero-terminated and is not changed.  Returns
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
// MTL text `text`.  Never fails.
void glmParseMTL(GlmMesh* model, const char* text, std::size_t size);

// Reads the material library file `name` beside model->sourcePath into the
// model; false with `error` filled when it cannot be read.  This is the
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
// with `error` (may be null) filled.  Checks model.
bool glmSaveOBJ(GlmMesh* model, const char* path, unsigned mode, const GlmWriteOptions* options, GlmWriteError* error);
