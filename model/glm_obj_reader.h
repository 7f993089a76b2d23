// Internal pieces of the OBJ reader, shared by its sources:
// - glm_obj_statements.cpp reads the statements of one chunk of text,
// - glm_obj_chunks.cpp cuts the text into chunks and runs them on threads,
// - glm_obj_groups.cpp keeps the groups, materials and array sizes,
// - glm_obj_read.cpp reads files and puts the passes together.
//
// Two passes over the text in memory: the counting pass finds the sizes of
// every array and the groups, the filling pass stores the numbers into
// arrays allocated once at their final size.  Per-chunk counts tell the
// filling pass where each chunk's entries start, so the result is the same
// as one front-to-back reading.
#pragma once

#include <cstddef>
#include <cstdint>
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

// The counting pass over one chunk: counts, group/material events, the
// first unknown "v" keyword.
void countChunk(Job& job, Chunk& ch);
// The filling pass over one chunk: numbers into the model's arrays, faces
// into their segments' slots; stops at the first reference out of range.
void fillChunk(Job& job, Chunk& ch);

// How readInOnePass ended.
enum class OnePass { Read, NeedsTwoPasses, OutOfMemory };

// Reads the whole text (one chunk) in one pass straight into the model's
// arrays, which grow as they fill: counts, events and arrays as the two
// passes would leave them, the groups' face lists still to be made from
// the events.  A text the two passes would refuse (an unknown "v" keyword,
// a reference out of range) gives NeedsTwoPasses with nothing kept, so
// that they can report it.
OnePass readInOnePass(Job& job, Chunk& ch);

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
