// Internal pieces of the OBJ reader: the statement loop over one chunk of
// text (glm_obj_statements.cpp), chunks on threads appended in file order
// (glm_obj_chunks.cpp), groups, materials and runs from the recorded
// statements (glm_obj_groups.cpp), the read as a whole, its messages, files
// and streams (glm_obj_read.cpp).  Each chunk's values go into arrays
// numbered from the chunk's start; the append adds its offsets, so the
// text's arrays come out as one front-to-back reading makes them.
// References are checked against the totals once the text is read.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "model/glm.h"
#include "model/glm_core.h"
#include "platform/memory_tuning.h"

namespace glmobj {

// An array that grows as entries are read.
template <typename T>
struct Growing {
    T* data = nullptr;
    std::size_t size = 0, capacity = 0;  // in T
    // Entries the array can come to at most, as far as the text tells (0:
    // unknown).  Past 1 MiB the array moves into a block of that size, which
    // costs address space only and never has to grow (growing a block of
    // huge pages by remapping can bring in all of it).
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
                tuning::preferHugePages(block, bound * sizeof(T));
                if (size)
                    std::memcpy(block, data, size * sizeof(T));
                std::free(data);
                data = block;
                capacity = bound;
                return true;
            }
            // No such block to be had: grow as usual.
        }
        // Past 1 MiB, a block the allocator maps on its own (glibc maps every
        // request above 32 MiB): it grows by remapping, never by copying,
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
    // Appends `count` copies of `value`.
    bool fill(std::size_t count, T value)
    {
        if (!reserve(size + count))
            return false;
        std::fill_n(data + size, count, value);
        size += count;
        return true;
    }
};

// The values of a chunk or of the text.  Colours and line texture references
// start at the first entry with one; the entries before get 1 1 1 and 0.
struct Values {
    Growing<float> vertices, normals, uvs, colors;
    Growing<GlmFace> faces;
    Growing<GlmPolyline> lines;
    Growing<unsigned> lineVertexRefs, lineUvRefs, pointRefs;
    // The largest reference of each kind: one above its total refuses the text.
    std::uint64_t maxVertex = 0, maxUv = 0, maxNormal = 0;
    void release();
    void empty();  // sizes and maxima 0, blocks kept for the next chunk
};

// A reference that names no entry whatever the totals (0, before the first, past 32 bits).
inline constexpr unsigned BAD = UINT32_MAX;

// "g", "usemtl", "mtllib", "o" and "s" statements, in file order.
enum class EventKind : unsigned char { Group, UseMaterial, MaterialLibrary, Object, Smoothing };
struct Event {
    EventKind kind;
    const char* position;   // start of the keyword
    std::string_view text;  // group or object name, first word of the line
    std::uint64_t face;     // faces before it: in the chunk, then in the text
};

// The first reference outside its array, found by a checking reading.
struct BadReference {
    const char* kind = nullptr;  // "vertex", "texture coordinate", "normal"
    long value = 0;              // as written
    const char* at = nullptr;    // where the statement's last corner read ends
};

struct Chunk {
    Chunk(const char* from, const char* to) : begin(from), end(to) {}
    const char* begin;
    const char* end;  // statements starting at or after this belong to the next chunk
    const char* firstToken = nullptr;
    const char* stop = nullptr;  // where the reading stopped
    bool releasesPages = false;  // gives the text it has read back as it goes (a mapped file)
    // Entries before the chunk, when known (the first chunk, or one read
    // again by the append): relative references then resolve.  Without
    // them the reading stops at the first relative reference.
    bool basesKnown = false;
    std::uint64_t vertexBase = 0, normalBase = 0, uvBase = 0;
    std::uint64_t vertices = 0, normals = 0, uvs = 0;  // read in the chunk
    Values values;
    std::vector<Event> events;
    std::vector<std::pair<std::string_view, unsigned long>> skipped;  // kept only when counted
    // First statement with references to texture coordinates or normals.
    const char* uvsUsedAt = nullptr;
    const char* normalsUsedAt = nullptr;
    // How the reading ended, when not at the chunk's end.
    enum class End : unsigned char { Read, UnknownToken, NeedsBases, OutOfMemory, BadReference } ended = End::Read;
    const char* errorAt = nullptr;
    std::string what;  // the unknown token, or the array that could not grow
    // A checking reading (totals set) stops at the first bad reference.
    const std::uint64_t* totals = nullptr;  // vertices, uvs, normals
    BadReference bad;
};

struct Job {
    const char* text = nullptr;
    const char* textEnd = nullptr;
    const char* sourcePath = nullptr;
    bool mapped = false;  // the text is a private file mapping: pages read are given back
    unsigned threads = 1;
    std::size_t chunkBytes = 0;
    bool countSkipped = false;
    std::vector<Chunk> chunks;
    // Every chunk appended in file order: the whole text's values, events
    // (faces counted from the text's start), counts and findings.
    Chunk whole{nullptr, nullptr};
    GlmMesh* model = nullptr;
};

// Text read this far behind is given back to the system as the reading goes.
inline constexpr std::size_t DROP_STEP = std::size_t{8} << 20;

// ---- The statement loop (glm_obj_statements.cpp) ----

// Reads the statements of one chunk into its values, events and counts.
void readChunk(const Job& job, Chunk& ch);

// ---- Chunks and threads (glm_obj_chunks.cpp) ----

// Reads the text into job.whole, in chunks on job.threads threads when it is
// large.  Returns the chunk that ended the reading early (unknown token, out
// of memory), or null.
const Chunk* readText(Job& job);

// ---- Groups, materials and runs (glm_obj_groups.cpp) ----

// The material libraries of the events before `upTo`, in file order.
bool loadLibraries(Job& job, const GlmReadOptions& options, const char* upTo, GlmReadError* error);
// Groups with their face lists and materials, and the "usemtl" events naming
// unknown materials; false with `error` filled when out of memory.
bool buildGroups(Job& job, std::vector<const Event*>& unknownMaterials, GlmReadError* error);
// The object and smoothing runs, from the events.
void buildRuns(Job& job);

// ---- Messages (glm_obj_read.cpp) ----

void setError(GlmReadError* error, GlmReadErrorKind kind, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
const char* pathText(const Job& job);

}  // namespace glmobj
