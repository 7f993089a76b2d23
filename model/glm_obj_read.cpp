// OBJ reader: a read as a whole.  The text is read once; then the material
// libraries are loaded, an unknown "v" keyword or too many entries refuse
// it, the groups are built, the references checked against the totals, the
// findings reported and the arrays handed to the model.  glmReadOBJ and the
// stream passes end the process where the core returns an error.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "model/glm.h"
#include "model/glm_core.h"
#include "model/glm_internal.h"
#include "model/glm_obj_reader.h"

namespace glmobj {

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

// What a read makes: a whole model, only what glmFirstPass counts, or the
// arrays glmFillPass fills in a model the first pass counted.
enum class Stage { Whole, CountOnly, FillCounted };

// The line of `at`, counted only for a message that names it.
unsigned lineOf(const Job& job, const char* at) { return 1 + static_cast<unsigned>(std::count(job.text, at, '\n')); }

// The first reference outside its array: the whole text read again in one
// piece, each reference checked against the totals as it is read.
BadReference findBadReference(const Job& job)
{
    Chunk ch(job.text, job.textEnd);
    ch.basesKnown = true;
    const std::uint64_t totals[] = {job.whole.vertices, job.whole.uvs, job.whole.normals};
    ch.totals = totals;
    readChunk(job, ch);
    ch.values.release();
    return ch.bad;
}

// Prints what the reading found worth a word before `failedAt`: the
// look-up message of every unknown material, and the warning about
// references into arrays the file never defines.
void reportFindings(const Job& job, const std::vector<const Event*>& unknownMaterials, const char* failedAt)
{
    for (const Event* event : unknownMaterials)
        if (event->position < failedAt)
            glmMessage(stdout, "glmFindMaterial():  can't find material \"%s\".\n", std::string(event->text).c_str());
    const char* uvAt = job.whole.uvs ? nullptr : job.whole.uvsUsedAt;
    const char* normalAt = job.whole.normals ? nullptr : job.whole.normalsUsedAt;
    const bool uvFirst = uvAt && (!normalAt || uvAt <= normalAt);
    const char* absentAt = uvFirst ? uvAt : normalAt;
    if (absentAt && absentAt < failedAt) {
        std::fflush(stdout);
        glmMessage(stderr,
                   "glmReadOBJ() warning: \"%s\" line %u: the file defines no %s; references to them are read as "
                   "absent.\n",
                   pathText(job), lineOf(job, absentAt), uvFirst ? "texture coordinates" : "normals");
    }
}

// The array cut to size (a failed shrinking realloc keeps the block), or
// copied into `into` that the caller allocated; null when empty but `always`.
template <typename T>
T* take(Growing<T>& array, T* into, bool always = false)
{
    T* data = array.data;
    if (into) {
        std::memcpy(into, data, array.size * sizeof(T));
        return into;
    }
    if (!array.size && !always)
        return nullptr;
    if (auto* cut = static_cast<T*>(std::realloc(data, std::max<std::size_t>(array.size, 1) * sizeof(T))))
        data = cut;
    array.data = nullptr;
    return data;
}

// Hands the values read to the model, references into arrays the file
// never defines cleared.
void settle(Job& job)
{
    GlmMesh* model = job.model;
    const Chunk& read = job.whole;
    Values& whole = job.whole.values;
    const bool noUvs = !read.uvs && read.uvsUsedAt, noNormals = !read.normals && read.normalsUsedAt;
    for (std::size_t i = 0; i < whole.faces.size && (noUvs || noNormals); i++) {
        GlmFace& face = whole.faces.data[i];
        if (noUvs)
            face.uvRefs[0] = face.uvRefs[1] = face.uvRefs[2] = 0;
        if (noNormals)
            face.normalRefs[0] = face.normalRefs[1] = face.normalRefs[2] = 0;
    }
    whole.lineUvRefs.size = read.uvs ? whole.lineUvRefs.size : 0;
    if (whole.colors.size)
        std::fill_n(whole.colors.data, 3, 0.0f);
    model->vertices = take(whole.vertices, model->vertices, true);
    model->normals = read.normals ? take(whole.normals, model->normals) : nullptr;
    model->uvs = read.uvs ? take(whole.uvs, model->uvs) : nullptr;
    model->faces = take(whole.faces, model->faces, true);
    model->colors = take(whole.colors, model->colors);
    model->lineCount = static_cast<unsigned>(whole.lines.size);
    model->lines = take(whole.lines, model->lines);
    model->lineRefCount = static_cast<unsigned>(whole.lineVertexRefs.size);
    model->lineVertexRefs = take(whole.lineVertexRefs, model->lineVertexRefs);
    model->lineUvRefs = take(whole.lineUvRefs, model->lineUvRefs);
    model->pointCount = static_cast<unsigned>(whole.pointRefs.size);
    model->pointVertexRefs = take(whole.pointRefs, model->pointVertexRefs);
}

// The read of job.text into job.model; false with `error` filled.
bool readModel(Job& job, const GlmReadOptions& options, Stage stage, GlmReadError* error)
{
    GlmMesh* model = job.model;
    const Chunk* failed = readText(job);
    if (failed && failed->ended == Chunk::End::OutOfMemory) {
        setError(error, GLM_READ_NO_MEMORY, "glmReadOBJ() failed: out of memory: can't allocate %s reading \"%s\".\n",
                 failed->what.c_str(), pathText(job));
        return false;
    }
    if (!loadLibraries(job, options, failed ? failed->errorAt : job.textEnd, error))
        return false;
    if (failed) {
        setError(error, GLM_READ_UNKNOWN_TOKEN, "glmFirstPass(): Unknown token \"%s\".\n", failed->what.c_str());
        return false;
    }
    const std::uint64_t faces = job.whole.values.faces.size, limit = UINT_MAX - 1;
    if (job.whole.vertices > limit || job.whole.normals > limit || job.whole.uvs > limit || faces > limit) {
        setError(error, GLM_READ_CANT_OPEN, "glmReadOBJ() failed: \"%s\" holds too many entries.\n", pathText(job));
        return false;
    }
    if (stage == Stage::FillCounted &&
        (job.whole.vertices != model->vertexCount || job.whole.normals != model->normalCount ||
         job.whole.uvs != model->uvCount || faces != model->faceCount)) {
        setError(error, GLM_READ_CANT_OPEN,
                 "glmFillPass() failed: the stream does not hold the text the first pass counted.\n");
        return false;
    }
    model->vertexCount = static_cast<unsigned>(job.whole.vertices);
    model->normalCount = static_cast<unsigned>(job.whole.normals);
    model->uvCount = static_cast<unsigned>(job.whole.uvs);
    model->faceCount = static_cast<unsigned>(faces);
    std::vector<const Event*> unknownMaterials;
    if (!buildGroups(job, unknownMaterials, error))
        return false;
    if (stage == Stage::CountOnly)
        return true;

    // Every reference within its array, or the first that is not refuses
    // the text; the maxima tell whether there is one.
    const Values& whole = job.whole.values;
    BadReference bad;
    if (whole.maxVertex > job.whole.vertices || (job.whole.uvs && whole.maxUv > job.whole.uvs) ||
        (job.whole.normals && whole.maxNormal > job.whole.normals)) {
        job.whole.values.release();
        bad = findBadReference(job);
    }
    reportFindings(job, unknownMaterials, bad.kind ? bad.at : job.textEnd);
    if (bad.kind) {
        setError(error, GLM_READ_BAD_REFERENCE,
                 "glmReadOBJ() failed: \"%s\" line %u: %s reference %ld is out of range.\n", pathText(job),
                 lineOf(job, bad.at), bad.kind, bad.value);
        return false;
    }
    settle(job);
    buildRuns(job);
    if (options.countSkipped)
        for (const auto& [keyword, count] : job.whole.skipped)
            options.countSkipped(keyword.data(), keyword.size(), count, options.skipContext);
    return true;
}

// readModel with the bookkeeping's own allocations checked; the values
// not handed to the model are released on every path.
bool run(Job& job, const GlmReadOptions& options, Stage stage, GlmReadError* error)
{
    bool ok;
    try {
        ok = readModel(job, options, stage, error);
    } catch (const GlmNoMemory& failure) {
        setError(error, GLM_READ_NO_MEMORY, "glmReadOBJ() failed: out of memory: can't allocate %s reading \"%s\".\n",
                 failure.what_, pathText(job));
        ok = false;
    } catch (const std::bad_alloc&) {
        setError(error, GLM_READ_NO_MEMORY,
                 "glmReadOBJ() failed: out of memory: can't allocate the reader's bookkeeping for \"%s\".\n",
                 pathText(job));
        ok = false;
    }
    job.whole.values.release();
    return ok;
}

GlmMesh* parse(const char* text, std::size_t size, const char* sourcePath, const GlmReadOptions* options,
               GlmReadError* error, bool mapped)
{
    GlmReadOptions defaults;
    if (!options)
        options = &defaults;
    error->kind = GLM_READ_OK;
    error->message[0] = '\0';
    // The whole text is decoded, when it must be, before the statements are
    // read: the statement loop sees bytes only.
    std::string decoded;
    GlmMesh* model = nullptr;
    try {
        if (!glmTextToRead(text, size, decoded)) {
            setError(error, GLM_READ_NOT_TEXT, "glmReadOBJ() failed: \"%s\" is not a text file.\n",
                     sourcePath ? sourcePath : "");
            return nullptr;
        }
        if (!decoded.empty())
            mapped = false;  // the pages read are the decoded copy's, not the file's
        model = static_cast<GlmMesh*>(glmAllocate(sizeof(GlmMesh), "a model"));
        std::memset(model, 0, sizeof(GlmMesh));
        model->sourcePath = glmCopyText(sourcePath ? sourcePath : "");
    } catch (const std::bad_alloc&) {
        if (model)
            glmDestroy(model);
        setError(error, GLM_READ_NO_MEMORY, "glmReadOBJ() failed: out of memory: can't hold \"%s\" in memory.\n",
                 sourcePath ? sourcePath : "");
        return nullptr;
    }
    Job job;
    job.text = text, job.textEnd = text + size, job.sourcePath = sourcePath, job.mapped = mapped;
    job.threads = options->threads ? options->threads : glmReaderThreads();
    job.chunkBytes = options->chunkBytes;
    job.countSkipped = options->countSkipped != nullptr;
    job.model = model;
    if (!run(job, *options, Stage::Whole, error)) {
        glmDestroy(model);
        return nullptr;
    }
    return model;
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

// The rest of a stream read on this thread into a model that has its
// sourcePath: glmFirstPass's counts, or glmFillPass's arrays.
void readStream(GlmMesh* model, FILE* file, Stage stage)
{
    std::string text, decoded;
    const char* start = nullptr;
    std::size_t size = 0;
    bool isText = false;
    try {
        char buffer[1 << 16];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            text.append(buffer, n);
        start = text.data(), size = text.size();
        isText = glmTextToRead(start, size, decoded);
    } catch (const std::bad_alloc&) {
        glmOutOfMemory("the text of the stream", 0);
    }
    GlmReadError error;
    if (!isText) {
        setError(&error, GLM_READ_NOT_TEXT, "glmReadOBJ() failed: \"%s\" is not a text file.\n",
                 model->sourcePath ? model->sourcePath : "");
        reportAndExit(error);
    }
    Job job;
    job.text = start, job.textEnd = start + size, job.sourcePath = model->sourcePath;
    job.model = model;
    // The fill pass keeps the material table the first pass read.
    GlmReadOptions options;
    if (stage == Stage::FillCounted)
        options.loadMaterials = [](GlmMesh*, const char*, void*, GlmReadError*) { return true; };
    if (!run(job, options, stage, &error))
        reportAndExit(error);
    if (stage == Stage::CountOnly)
        for (GlmFaceGroup* g = model->groupList; g; g = g->next)
            g->faceCount = 0;
}

}  // namespace

void glmFirstPass(GlmMesh* model, FILE* file) { readStream(model, file, Stage::CountOnly); }

void glmFillPass(GlmMesh* model, FILE* file) { readStream(model, file, Stage::FillCounted); }
