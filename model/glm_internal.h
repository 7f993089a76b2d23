// Internal helpers shared by the model library's sources.
#pragma once

#include "model/glm.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

// Prints the runtime's assertion line for `expression` and aborts.
[[noreturn]] void glmCheckFailed(const char* expression, unsigned line, const char* function);

// Precondition check: stops the program with the failed expression, the
// library's name and the line.  Always on: a violated precondition is a
// caller's bug, and a clean stop beats reading through a null pointer.
#define GLM_CHECK(expr) ((expr) ? (void)0 : glmCheckFailed(#expr, __LINE__, __PRETTY_FUNCTION__))

// Ends the process when memory for `what` cannot be had: the message
// "glm: out of memory: can't allocate WHAT (N bytes)." on standard error and
// exit status 1, the route the file-level operations take for a file they
// cannot read.  `bytes` 0 leaves the size out (when it is not known).  Only
// the glm.h operations call it, never the core.
[[noreturn]] void glmOutOfMemory(const char* what, std::size_t bytes);

// What the library's own allocations throw when memory cannot be had: what
// was wanted and how much (0 when not known).  A std::bad_alloc, so that
// every handler of that catches it too.  The core operations turn it into a
// status; the glm.h operations into glmOutOfMemory.
struct GlmNoMemory : std::bad_alloc {
    GlmNoMemory(const char* item, std::size_t size) : what_(item), bytes(size) {}
    const char* what_;
    std::size_t bytes;
};

// The line glmOutOfMemory prints for `failure`, with its line break.
void glmNoMemoryMessage(const GlmNoMemory& failure, char* message, std::size_t size);

// malloc / realloc that never return null: they throw GlmNoMemory naming
// `what`.  A request of 0 bytes asks for 1, so that null always means
// failure.
inline void* glmAllocate(std::size_t bytes, const char* what)
{
    void* block = std::malloc(bytes ? bytes : 1);
    if (!block)
        throw GlmNoMemory(what, bytes);
    return block;
}
inline void* glmReallocate(void* block, std::size_t bytes, const char* what)
{
    void* grown = std::realloc(block, bytes ? bytes : 1);
    if (!grown)
        throw GlmNoMemory(what, bytes);
    return grown;
}

// `count` elements of `size` bytes, or SIZE_MAX when that overflows (which
// no allocator grants).
inline std::size_t glmBytes(std::size_t count, std::size_t size)
{
    std::size_t bytes;
    return __builtin_mul_overflow(count, size, &bytes) ? SIZE_MAX : bytes;
}

// `count` elements of T from the C allocator, checked as glmAllocate checks.
template <typename T>
T* glmAllocArray(std::size_t count, const char* what)
{
    return static_cast<T*>(glmAllocate(glmBytes(count, sizeof(T)), what));
}

// Releases a C-allocated array when the scope ends, on every path.
struct GlmFreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T>
using GlmCArray = std::unique_ptr<T[], GlmFreeDeleter>;

// A malloc'ed, zero-terminated copy of the `length` bytes at `text`.
inline char* glmCopyText(const char* text, std::size_t length)
{
    char* copy = static_cast<char*>(glmAllocate(length + 1, "a name"));
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

inline char* glmCopyText(const char* text) { return glmCopyText(text, std::strlen(text)); }

// The directory of `path` (up to and with its last "/", as glmDirectoryOf
// cuts it; nothing without one) followed by `name`: where a material
// library named beside an OBJ file lies.  Throws std::bad_alloc.
inline std::string glmPathBeside(const char* path, const char* name)
{
    const char* slash = path ? std::strrchr(path, '/') : nullptr;
    std::string joined(path ? path : "", slash ? static_cast<std::size_t>(slash - path + 1) : 0);
    return joined += name;
}

// The text a reader parses, from the bytes of an OBJ or MTL file: the
// bytes themselves (names in any 8-bit code page stay bytes), after a UTF-8
// byte-order mark when there is one, or, after a UTF-16 mark (little- or
// big-endian), the text decoded to UTF-8 into `decoded`.  Moves `text` and
// `size` to what to parse.  False when the bytes are no text: a NUL byte in
// their first 4 KiB and no UTF-16 mark.  Throws std::bad_alloc when the
// decoded text cannot be held.
bool glmTextToRead(const char*& text, std::size_t& size, std::string& decoded);

// glmEnsureGroup without its process exit: throws GlmNoMemory, leaving the
// group list as it was.
GlmFaceGroup* glmAddGroup(GlmMesh* model, const char* name);

struct GlmError;
// Fills `error` (may be null) with `status` and the printf-style message;
// returns false, for `return glmFail(...)`.
bool glmFail(GlmError* error, int status, const char* format, ...) __attribute__((format(printf, 3, 4)));
// Clears `error` (may be null) to GLM_OK; returns true.
bool glmSucceed(GlmError* error);

// The parts of a model glmCheckParts checks: what an operation reads.
enum : unsigned {
    GLM_PARTS_VERTICES = 1,    // face vertex references (and the positions they name)
    GLM_PARTS_CORNERS = 2,     // face texture coordinate and normal references
    GLM_PARTS_FACETS = 4,      // face facet normal references
    GLM_PARTS_GROUPS = 8,      // group face lists
    GLM_PARTS_MATERIALS = 16,  // group materials
    GLM_PARTS_LINES = 32,      // line and point references
    GLM_PARTS_ALL = 63,        // all of it, every array present that its count says
};
// glmCheckMesh of the parts named; every operation checks the references
// it reads, and no more (a normal reference glmVertexNormals replaces may
// hold anything).
bool glmCheckParts(const GlmMesh* model, unsigned parts, const char* operation, GlmError* error);

// Fills `error` with the out-of-memory line of `failure`; returns false.
bool glmFailNoMemory(GlmError* error, const GlmNoMemory& failure);
// For a glm.h operation built on a core one that failed: prints the
// message on standard error and ends the process with status 1 (out of
// memory), or stops as a failed check does (a model the core refuses).
[[noreturn]] void glmEndOnError(const GlmError& error, const char* function);

// The author, contact and web-address lines of the files the writers make.
inline constexpr const char* GLM_HEADER_AUTHOR = "Solar System developers";
inline constexpr const char* GLM_HEADER_CONTACT = "solar-system@localhost";
inline constexpr const char* GLM_HEADER_WEB = "file:///usr/share/doc/solar-system/";

#include <cstdio>

// Hands a warning or notice to the installed message handler, or prints it
// on `stream` (stdout or stderr) when there is none.  printf-style.
void glmMessage(FILE* stream, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Drops the mode requests the model cannot satisfy, in the fixed order the
// writer and the drawing share, printing warnings[k] on standard output for
// each step k that applies: flat without facet normals, smooth without
// normals, texture without uvs, flat with smooth, colour without materials,
// material without materials, colour with material.  Returns the mode left.
unsigned glmAdjustMode(const GlmMesh* model, unsigned mode, const char* const warnings[7]);

// ---- Writing ----

// A text file being written.  Every write is checked: the first one that
// fails keeps its errno in `error`, and the writes after it are skipped, so
// a writer runs to its end and its caller looks once.
struct GlmSink {
    FILE* file;
    int error = 0;  // errno of the first failed write; 0 while all went well
    void print(const char* format, ...) __attribute__((format(printf, 2, 3)));
    void text(const char* text);
};

// Flushes `file`, with `sync` also to the disk (fsync; a device or FIFO
// that cannot be synced is not a failure), and closes it.  Returns the
// errno of the first failure, `error` when that is already set, or 0.
int glmFinishFile(FILE* file, int error, bool sync);

// The first seven comment lines of a written OBJ or MTL file; `kind` is
// "OBJ" or "MTL".
void glmWriteHeader(GlmSink& sink, const char* kind);

// The whole material library text: header, then every entry (with
// MODE_KEEP_ALL in `mode` each entry's kept statements after its modelled
// ones).
void glmWriteMTLText(const GlmMesh* model, GlmSink& sink, unsigned mode);

// The whole OBJ text for a mode already adjusted by glmAdjustMode;
// `library` (or null) is the name the "mtllib" line gives.
void glmWriteOBJText(const GlmMesh* model, GlmSink& sink, unsigned mode, const char* library);

// The warnings glmWriteOBJ and glmSaveOBJ print when dropping a request.
extern const char* const GLM_WRITE_WARNINGS[7];

// The file name a "mtllib" name is written under beside the OBJ file: its
// last component ("a/b/car.mtl" gives "car.mtl"), or null, after a warning,
// when that names no file ("", "." or "..").
const char* glmLibraryFileName(const char* name);
