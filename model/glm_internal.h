// Internal helpers shared by the model library's sources.
#pragma once

#include "model/glm.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
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
// cannot read.  `bytes` 0 leaves the size out (when it is not known).
[[noreturn]] void glmOutOfMemory(const char* what, std::size_t bytes);

// malloc / realloc that never return null: they end through glmOutOfMemory
// naming `what`.  A request of 0 bytes asks for 1, so that null always
// means failure.
inline void* glmAllocate(std::size_t bytes, const char* what)
{
    void* block = std::malloc(bytes ? bytes : 1);
    if (!block)
        glmOutOfMemory(what, bytes);
    return block;
}
inline void* glmReallocate(void* block, std::size_t bytes, const char* what)
{
    void* grown = std::realloc(block, bytes ? bytes : 1);
    if (!grown)
        glmOutOfMemory(what, bytes);
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
