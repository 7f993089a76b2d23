// Internal pieces of the OBJ reader, shared by its sources:
// - glm_obj_statements.cpp reads the statements of one chunk of text,
// - glm_obj_chunks.cpp cuts the text into chunks and runs them on threads,
// - glm_obj_groups.cpp keeps the groups, materials and array sizes,
// - glm_obj_read.cpp reads files and puts the passes together.
//
// Normally one pass over the text in memory: each chunk's values go into
// arrays that grow as they fill (the model's own on one thread; on several,
// per-chunk arrays appended in file order), references are checked against
// the totals at the end.  Texts that pass cannot take are read in two: the
// counting pass finds the sizes of every array and the groups, the filling
// pass stores the numbers into arrays allocated once at their final size,
// per-chunk counts telling it where each chunk's entries start.  Either way
// the result is the same as one front-to-back reading.
#pragma once

#include <cstddef>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "model/glm.h"
#include "model/glm_core.h"

namespace glmobj {

enum class EventKind : unsigned char { Group, UseMaterial, MaterialLibrary };

// A "g", "usemtl" or "mtllib" line met by the counting pass.
struct Event {
    EventKind kind;
    const char* position;       // start of the keyword
    std::string_view text;      // group name, or the line's first word
    std::uint64_t facesBefore;  // faces of the chunk before the line
};

// Where the faces between two group lines go.
struct Segment {
    GlmFaceGroup* group;
    unsigned* next;  // next free slot of the group's face list
};

struct Chunk {
    Chunk(const char* from, const char* to) : begin(from), end(to) {}
    const char* begin;
    const char* end;  // statements starting at or after this belong to the next chunk
    const char* firstToken = nullptr;
    const char* stop = nullptr;  // where the counting pass stopped
    std::uint64_t vertices = 0, normals = 0, uvs = 0, faces = 0;
    std::vector<Event> events;
    // First failure found in this chunk.
    const char* errorAt = nullptr;
    GlmReadErrorKind errorKind = GLM_READ_OK;
    std::string errorText;
    // Set between the passes.
    std::uint64_t vertexBase = 0, normalBase = 0, uvBase = 0, faceBase = 0;
    std::vector<Segment> segments;
    bool outOfMemory = false;  // a worker could not grow this chunk's lists
    // First face in this chunk with references into an array the file never
    // defines ("texture coordinates" or "normals"), read as absent.
    const char* absentAt = nullptr;
    const char* absentKind = nullptr;
    const char* absentNormalAt = nullptr;  // the one pass: first face with normal references
};

struct Job {
    const char* text;
    const char* textEnd;
    const char* sourcePath;
    bool dropPages;  // the text is a private file mapping: release pages once parsed
    unsigned threads;
    std::size_t chunkBytes;
    std::vector<Chunk> chunks;
    GlmMesh* model;
};

// ---- Statements (glm_obj_statements.cpp) ----

// Gives the whole pages within [from, to) of a private file mapping back
// to the system; they are read from the file again if touched later.
void releasePages(const char* from, const char* to);
// Text read this far behind is given back to the system as the reading goes.
inline constexpr std::size_t DROP_STEP = std::size_t{8} << 20;

// The counting pass over one chunk: counts, group/material events, the
// first unknown "v" keyword.
void countChunk(Job& job, Chunk& ch);
// The filling pass over one chunk: numbers into the model's arrays, faces
// into their segments' slots; stops at the first reference out of range.
void fillChunk(Job& job, Chunk& ch);

// Asks for transparent huge pages over the whole 2 MiB pages of a block:
// an array written once front to back then takes one page fault per 2 MiB
// instead of one per 4 KiB, which saves most of the cost of touching it.
void preferHugePages(void* block, std::size_t bytes);

// An array that grows as entries are read.
template <typename T>
struct Growing {
    T* data = nullptr;
    std::size_t size = 0, capacity = 0;  // in T
    // Entries the array can come to at most, as far as the text tells
    // (0: unknown).  Past 1 MiB the array moves into a block of that size:
    // untouched, it costs address space only, and the array never has to
    // grow again (growing a block of huge pages by remapping can bring in
    // all of it).
    std::size_t bound = 0;
    bool reserve(std::size_t needed)
    {
        if (needed <= capacity)
            return true;
        std::size_t want = std::max<std::size_t>({needed, capacity * 2, 4096 / sizeof(T)});
        const std::size_t large = std::size_t{1} << 20;
        if (want * sizeof(T) > large && capacity * sizeof(T) <= large && bound >= want &&
            bound * sizeof(T) > (std::size_t{33} << 20) && bound <= PTRDIFF_MAX / sizeof(T)) {
            if (T* block = static_cast<T*>(std::malloc(bound * sizeof(T)))) {
                preferHugePages(block, bound * sizeof(T));
                if (size)
                    std::memcpy(block, data, size * sizeof(T));
                std::free(data);
                data = block;
                capacity = bound;
                return true;
            }
            // No such block to be had: grow as usual.
        }
        // Past 1 MiB, ask for a block the allocator always maps on its own
        // (glibc maps every request above 32 MiB, whatever its threshold
        // has grown to): such a block grows by remapping, never by copying,
        // and its unused tail costs address space, not memory.
        if (want * sizeof(T) > large)
            want = std::max(want, (std::size_t{33} << 20) / sizeof(T));
        T* grown = static_cast<T*>(std::realloc(data, want * sizeof(T)));
        if (!grown)
            return false;
        data = grown;
        capacity = want;
        return true;
    }
    // Appends `count` entries; false when the array cannot grow.
    bool append(const T* from, std::size_t count)
    {
        if (!reserve(size + count))
            return false;
        if (count)
            std::memcpy(data + size, from, count * sizeof(T));
        size += count;
        return true;
    }
};

// The values of a text or of one chunk as the one-pass reading gathers
// them: floats of the vertices, normals and uvs, the faces with their
// references as written (made absolute where relative), and what was wrong
// with those references.
struct ValueArrays {
    Growing<float> vertices, normals, uvs;
    Growing<GlmFace> faces;
    bool badVertex = false, badNormal = false, badUv = false;  // a reference that names no entry
    bool relative = false;                                     // a negative reference
    // The largest references made; wider than a reference, so that storing
    // a face's references (unsigned) cannot be taken to change them.
    std::uint64_t maxVertex = 0, maxUv = 0, maxNormal = 0;
    void release();
    // Bounds the arrays by what a text of `bytes` can hold: a vertex per
    // 2 bytes ("v" and a line feed), a normal or uv per 3, a triangle per
    // 2 (each corner past the third of a face line adds one).
    void boundBy(std::size_t bytes)
    {
        vertices.bound = 3 * (bytes / 2 + 2), normals.bound = 3 * (bytes / 3 + 2);
        uvs.bound = 2 * (bytes / 3 + 2), faces.bound = bytes / 2 + 2;
    }
    // The spare entry 0 of the model's arrays; false when out of memory.
    bool startModelArrays();
};

// How a one-pass reading ended.
enum class OnePass { Read, NeedsTwoPasses, OutOfMemory };

// Reads the statements of one chunk in one pass, appending values and faces
// to `out`; counts and events go to the chunk as with the counting pass.
// References are resolved against the chunk's own counts.  An unknown "v"
// keyword gives NeedsTwoPasses (the two passes report it); OutOfMemory
// names the array in ch.errorText.
OnePass readValues(Job& job, Chunk& ch, ValueArrays& out);
// Checks the references of `whole` (every chunk's values, in order) against
// the totals of job.chunks, reads references into arrays the file never
// defines as absent (noting where, in the chunks), and hands the arrays to
// the model cut to size.  NeedsTwoPasses when a reference is out of range,
// with the arrays released.
OnePass settleValues(Job& job, ValueArrays& whole);
// The whole text (one chunk) in one pass straight into the model's arrays:
// counts, events and arrays as the two passes leave them, the groups' face
// lists still to be made from the events.  A text the two passes would
// refuse gives NeedsTwoPasses with nothing kept.
OnePass readInOnePass(Job& job, Chunk& ch);
// The chunks in one pass each on job.threads threads, their values
// appended in order to the model's arrays as they are done, a few chunks
// ahead at most; then settleValues.  NeedsTwoPasses also when a chunk holds
// a relative reference or a statement runs across a cut.
OnePass readChunksInOnePass(Job& job);

// ---- Chunks and threads (glm_obj_chunks.cpp) ----

// Cuts the text into chunks at line starts (one chunk for one thread or a
// small text).
void splitChunks(Job& job);
// Runs work(job, chunk) for every chunk on up to job.threads threads.
void forEachChunk(Job& job, void (*work)(Job&, Chunk&));
// The counting pass: true when the chunks read consistently (every chunk
// stopped where the next one starts, up to the first failure).
bool countPass(Job& job);
// The chunk holding the first failure, or chunks.size().
std::size_t firstFailedChunk(const Job& job);

// ---- Groups, materials and sizes (glm_obj_groups.cpp) ----

// Material libraries in file order, then the first unknown token.
bool loadLibraries(Job& job, const GlmReadOptions& options, GlmReadError* error);
// Totals and each chunk's first entry numbers.
bool sumCounts(Job& job, GlmReadError* error);
// Gives every stretch of faces its group and its place in the group's face
// list.  With `create` the groups are created and their lists allocated
// (first pass); otherwise they must exist with lists of room enough.
// False with `error` filled when a face list cannot be allocated or a group
// is missing.
bool placeGroups(Job& job, bool create, GlmReadError* error);
// The material of every group: the one current at its last group or
// "usemtl" line.  Returns the "usemtl" lines naming unknown materials.
std::vector<const Event*> assignMaterials(Job& job);

// ---- Messages (glm_obj_read.cpp) ----

void setError(GlmReadError* error, GlmReadErrorKind kind, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
const char* pathText(const Job& job);
unsigned lineOf(const Job& job, const char* at);

}  // namespace glmobj
