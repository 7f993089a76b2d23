// OBJ reader: reading files and text.  glmParseOBJ and glmLoadOBJ run the
// two passes (see glm_obj_reader.h); glmReadOBJ and the stream passes end
// the process where those return an error.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "model/glm.h"
#include "model/glm_core.h"
#include "model/glm_internal.h"
#include "model/glm_obj_reader.h"

namespace glmobj {

unsigned lineOf(const Job& job, const char* at) { return 1 + static_cast<unsigned>(std::count(job.text, at, '\n')); }

void setError(GlmReadError* error, GlmReadErrorKind kind, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
void setError(GlmReadError* error, GlmReadErrorKind kind, const char* format, ...)
{
    error->kind = kind;
    va_list args;
    va_start(args, format);
    std::vsnprintf(error->message, sizeof error->message, format, args);
    va_end(args);
}

const char* pathText(const Job& job) { return job.sourcePath ? job.sourcePath : ""; }

}  // namespace glmobj

using namespace glmobj;

namespace {

// A C-allocated array of `count` + 1 entries of `width` floats with entry 0
// zeroed, or null with `error` filled.
float* allocateEntries(const Job& job, std::size_t count, std::size_t width, const char* what, GlmReadError* error)
{
    std::size_t bytes = glmBytes(glmBytes(count + 1, width), sizeof(float));
    auto* entries = static_cast<float*>(std::malloc(bytes));
    if (!entries) {
        setError(error, GLM_READ_NO_MEMORY,
                 "glmReadOBJ() failed: out of memory: can't allocate %s (%zu bytes) reading \"%s\".\n", what, bytes,
                 pathText(job));
        return nullptr;
    }
    std::fill_n(entries, width, 0.0f);
    return entries;
}

bool allocateArrays(const Job& job, GlmReadError* error)
{
    GlmMesh* model = job.model;
    model->vertices = allocateEntries(job, model->vertexCount, 3, "the vertices", error);
    if (!model->vertices)
        return false;
    if (model->normalCount) {
        model->normals = allocateEntries(job, model->normalCount, 3, "the normals", error);
        if (!model->normals)
            return false;
    }
    if (model->uvCount) {
        model->uvs = allocateEntries(job, model->uvCount, 2, "the texture coordinates", error);
        if (!model->uvs)
            return false;
    }
    std::size_t bytes = glmBytes(std::max(model->faceCount, 1u), sizeof(GlmFace));
    model->faces = static_cast<GlmFace*>(std::malloc(bytes));
    if (!model->faces) {
        setError(error, GLM_READ_NO_MEMORY,
                 "glmReadOBJ() failed: out of memory: can't allocate the triangles (%zu bytes) reading \"%s\".\n",
                 bytes, pathText(job));
        return false;
    }
    return true;
}

// True (with `error` filled) when a worker ran out of memory for its
// chunk's bookkeeping.
bool chunksOutOfMemory(const Job& job, GlmReadError* error)
{
    for (const Chunk& ch : job.chunks)
        if (ch.outOfMemory) {
            setError(error, GLM_READ_NO_MEMORY,
                     "glmReadOBJ() failed: out of memory: can't allocate the reader's bookkeeping for \"%s\".\n",
                     pathText(job));
            return true;
        }
    return false;
}

// Prints what the reading found worth a word before `failedAt`: the
// look-up message of every unknown material on standard output, and the
// warning about references into arrays the file never defines on standard
// error.
void reportFindings(const Job& job, const std::vector<const Event*>& unknownMaterials, const char* failedAt)
{
    for (const Event* event : unknownMaterials)
        if (event->position < failedAt)
            std::printf("glmFindMaterial():  can't find material \"%s\".\n", std::string(event->text).c_str());
    for (const Chunk& ch : job.chunks)
        if (ch.absentAt) {
            if (ch.absentAt < failedAt) {
                std::fflush(stdout);
                std::fprintf(stderr,
                             "glmReadOBJ() warning: \"%s\" line %u: the file defines no %s; references to "
                             "them are read as absent.\n",
                             pathText(job), lineOf(job, ch.absentAt), ch.absentKind);
            }
            break;
        }
}

// The filling pass, then its findings up to the first failure.
bool fillPass(Job& job, const std::vector<const Event*>& unknownMaterials, GlmReadError* error)
{
    forEachChunk(job, fillChunk);
    std::size_t failed = firstFailedChunk(job);
    const char* failedAt = failed < job.chunks.size() ? job.chunks[failed].errorAt : job.textEnd;
    reportFindings(job, unknownMaterials, failedAt);
    if (failed == job.chunks.size())
        return true;
    const Chunk& ch = job.chunks[failed];
    setError(error, GLM_READ_BAD_REFERENCE, "glmReadOBJ() failed: \"%s\" line %u: %s is out of range.\n", pathText(job),
             lineOf(job, ch.errorAt), ch.errorText.c_str());
    return false;
}

// Puts the faces read in one pass into their groups' face lists: in each
// chunk, the faces before its first group line go to its first segment,
// and so on.
void listFacesInOrder(Job& job)
{
    for (Chunk& ch : job.chunks) {
        std::size_t segment = 0;
        auto face = static_cast<unsigned>(ch.faceBase);
        const auto last = static_cast<unsigned>(ch.faceBase + ch.faces);
        for (const Event& event : ch.events) {
            if (event.kind != EventKind::Group)
                continue;
            const auto stretchEnd = static_cast<unsigned>(ch.faceBase + event.facesBefore);
            for (unsigned* slot = ch.segments[segment].next; face < stretchEnd;)
                *slot++ = face++;
            segment++;
        }
        for (unsigned* slot = ch.segments[segment].next; face < last;)
            *slot++ = face++;
    }
}

// The text in one pass, in one piece on this thread or in chunks on
// several; `done` is false when it has to be read in two passes after all.
bool readOnce(Job& job, const GlmReadOptions& options, GlmReadError* error, bool& done)
{
    done = false;
    OnePass result = job.chunks.size() == 1 ? readInOnePass(job, job.chunks[0]) : readChunksInOnePass(job);
    if (result == OnePass::NeedsTwoPasses) {
        for (Chunk& ch : job.chunks)
            ch = Chunk(ch.begin, ch.end);
        return true;
    }
    done = true;
    if (result == OnePass::OutOfMemory) {
        const char* what = "the arrays";
        for (const Chunk& ch : job.chunks)
            if (!ch.errorText.empty()) {
                what = ch.errorText.c_str();
                break;
            }
        setError(error, GLM_READ_NO_MEMORY, "glmReadOBJ() failed: out of memory: can't allocate %s reading \"%s\".\n",
                 what, pathText(job));
        return false;
    }
    if (!loadLibraries(job, options, error) || !sumCounts(job, error) || !placeGroups(job, true, error))
        return false;
    listFacesInOrder(job);
    reportFindings(job, assignMaterials(job), job.textEnd);
    return true;
}

GlmMesh* newModel(const char* sourcePath)
{
    auto* model = static_cast<GlmMesh*>(glmAllocate(sizeof(GlmMesh), "a model"));
    std::memset(model, 0, sizeof(GlmMesh));
    model->sourcePath = glmCopyText(sourcePath ? sourcePath : "");
    return model;
}

// Both passes over the text into job.model; false with `error` filled.
bool readText(Job& job, const GlmReadOptions& options, GlmReadError* error)
{
    splitChunks(job);
    {
        // One pass into growing arrays saves counting; the two passes are
        // for texts it cannot take.
        bool done;
        bool ok = readOnce(job, options, error, done);
        if (done)
            return ok;
    }
    if (!countPass(job) && !chunksOutOfMemory(job, error)) {
        // A statement ran across a chunk boundary: read the text in one piece.
        job.threads = 1;
        splitChunks(job);
        countPass(job);
    }
    if (chunksOutOfMemory(job, error))
        return false;
    if (!loadLibraries(job, options, error) || !sumCounts(job, error) || !placeGroups(job, true, error))
        return false;
    std::vector<const Event*> unknown = assignMaterials(job);
    return allocateArrays(job, error) && fillPass(job, unknown, error);
}

GlmMesh* parse(const char* text, std::size_t size, const char* sourcePath, const GlmReadOptions* options,
               GlmReadError* error, bool mapped)
{
    GlmReadOptions defaults;
    if (!options)
        options = &defaults;
    error->kind = GLM_READ_OK;
    error->message[0] = '\0';
    Job job{text, text + size, sourcePath, mapped, 1, options->chunkBytes, {}, newModel(sourcePath)};
    job.threads = options->threads ? options->threads : glmReaderThreads();
    bool ok;
    try {
        ok = readText(job, *options, error);
    } catch (const std::bad_alloc&) {
        // The chunk list, events or names outgrew the memory there is.
        setError(error, GLM_READ_NO_MEMORY,
                 "glmReadOBJ() failed: out of memory: can't allocate the reader's bookkeeping for \"%s\".\n",
                 pathText(job));
        ok = false;
    }
    if (!ok) {
        glmDestroy(job.model);
        return nullptr;
    }
    return job.model;
}

// The rest of a stream, read into memory.
std::string slurp(FILE* file)
{
    std::string text;
    char buffer[1 << 16];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        text.append(buffer, n);
    return text;
}

[[noreturn]] void reportAndExit(const GlmReadError& error)
{
    std::fflush(stdout);
    std::fputs(error.message, error.kind == GLM_READ_UNKNOWN_TOKEN ? stdout : stderr);
    std::exit(1);
}

}  // namespace

GlmMesh* glmParseOBJ(const char* text, std::size_t size, const char* sourcePath, const GlmReadOptions* options,
                     GlmReadError* error)
{
    return parse(text, size, sourcePath, options, error, false);
}

GlmMesh* glmLoadOBJ(const char* path, const GlmReadOptions* options, GlmReadError* error)
{
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        if (fd >= 0)
            ::close(fd);
        setError(error, GLM_READ_CANT_OPEN, "glmReadOBJ() failed: can't open data file \"%s\".\n", path);
        return nullptr;
    }
    GlmMesh* model = nullptr;
    std::size_t size = static_cast<std::size_t>(info.st_size);
    void* map = S_ISREG(info.st_mode) && size > 0 ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0) : MAP_FAILED;
    if (map != MAP_FAILED) {
        ::close(fd);
        model = parse(static_cast<const char*>(map), size, path, options, error, true);
        ::munmap(map, size);
        return model;
    }
    // Not mappable (empty, a pipe, a device): read it.
    std::string text;
    char buffer[1 << 16];
    ssize_t n;
    try {
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<std::size_t>(n));
    } catch (const std::bad_alloc&) {
        ::close(fd);
        setError(error, GLM_READ_NO_MEMORY, "glmReadOBJ() failed: out of memory: can't hold \"%s\" in memory.\n", path);
        return nullptr;
    }
    ::close(fd);
    if (n < 0) {
        setError(error, GLM_READ_CANT_OPEN, "glmReadOBJ() failed: can't open data file \"%s\".\n", path);
        return nullptr;
    }
    return parse(text.data(), text.size(), path, options, error, false);
}

GlmMesh* glmReadOBJ(const char* path)
{
    GlmReadError error;
    GlmMesh* model = glmLoadOBJ(path, nullptr, &error);
    if (!model)
        reportAndExit(error);
    return model;
}

namespace {

// The counting pass over `text`, the rest of a stream, on this thread.
Job countText(GlmMesh* model, const std::string& text)
{
    Job job{text.data(), text.data() + text.size(), model->sourcePath, false, 1, 0, {}, model};
    splitChunks(job);
    countPass(job);
    return job;
}

}  // namespace

namespace {

void streamFirstPass(GlmMesh* model, FILE* file)
{
    std::string text = slurp(file);
    Job job = countText(model, text);
    GlmReadOptions options;
    GlmReadError error;
    if (!loadLibraries(job, options, &error) || !sumCounts(job, &error) || !placeGroups(job, true, &error))
        reportAndExit(error);
    for (GlmFaceGroup* g = model->groupList; g; g = g->next)
        g->faceCount = 0;
}

void streamFillPass(GlmMesh* model, FILE* file)
{
    std::string text = slurp(file);
    Job job = countText(model, text);
    GlmReadError error;
    const Chunk& ch = job.chunks[0];
    if (ch.errorAt || ch.vertices != model->vertexCount || ch.normals != model->normalCount ||
        ch.uvs != model->uvCount || ch.faces != model->faceCount) {
        setError(&error, GLM_READ_CANT_OPEN,
                 "glmFillPass() failed: the stream does not hold the text the first pass counted.\n");
        reportAndExit(error);
    }
    if (!placeGroups(job, false, &error))
        reportAndExit(error);
    std::vector<const Event*> unknown = assignMaterials(job);
    if (!fillPass(job, unknown, &error))
        reportAndExit(error);
}

}  // namespace

// The stream passes have no error to hand back: running out of memory for
// the text or the bookkeeping ends the process, as the library's other
// allocations do.
void glmFirstPass(GlmMesh* model, FILE* file)
{
    try {
        streamFirstPass(model, file);
    } catch (const std::bad_alloc&) {
        glmOutOfMemory("the text of the stream", 0);
    }
}

void glmFillPass(GlmMesh* model, FILE* file)
{
    try {
        streamFillPass(model, file);
    } catch (const std::bad_alloc&) {
        glmOutOfMemory("the text of the stream", 0);
    }
}
