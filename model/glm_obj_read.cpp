// OBJ reader.  Two passes over the text in memory: the counting pass finds
// the sizes of every array and the groups, the filling pass stores the
// numbers into arrays allocated once at their final size.  Both passes split
// a large text at line starts into chunks that worker threads take one after
// the other; per-chunk counts tell the filling pass where each chunk's
// entries start, so the result is the same as one front-to-back reading.
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>
#include <vector>

#include "model/glm.h"
#include "model/glm_core.h"
#include "model/glm_internal.h"
#include "model/glm_scan.h"

using namespace glmscan;

namespace {

// The corner forms, decided by the first corner of a face line.
enum class Form : unsigned char { Vertex, VertexUv, VertexUvNormal, VertexNormal };

struct Corner {
    long v, t, n;
};

// One corner read with the form's conversion ("%d", "%d/%d", "%d/%d/%d" or
// "%d//%d"); returns the count of numbers converted.  Numbers not converted
// keep their previous values; without `Values` no number is stored; without
// `SkipSpace` the corner is read as sscanf reads a token alone.
template <bool Values = true, bool SkipSpace = true>
GLM_HOT int readCorner(const char*& p, const char* end, Form form, Corner& c) {
    if (!scanLong<Values, SkipSpace>(p, end, c.v)) return 0;
    switch (form) {
    case Form::Vertex:
        return 1;
    case Form::VertexNormal:
        if (!matchChar(p, end, '/') || !matchChar(p, end, '/')) return 1;
        return scanLong<Values, SkipSpace>(p, end, c.n) ? 2 : 1;
    case Form::VertexUv:
        if (!matchChar(p, end, '/')) return 1;
        return scanLong<Values, SkipSpace>(p, end, c.t) ? 2 : 1;
    case Form::VertexUvNormal:
        if (!matchChar(p, end, '/') || !scanLong<Values, SkipSpace>(p, end, c.t)) return 1;
        if (!matchChar(p, end, '/')) return 2;
        return scanLong<Values, SkipSpace>(p, end, c.n) ? 3 : 2;
    }
    return 0;
}

// Text as the C string functions see it: up to the first zero byte.
GLM_HOT std::string_view asCString(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); i++)
        if (text[i] == '\0') return text.substr(0, i);
    return text;
}

// Reads a face line after its keyword and calls emit(form, c0, c1, c2, p)
// for every triangle of the fan; stops early when emit returns false.
// Without `Values` the corners after the first are only stepped over.
template <bool Values, class Emit>
inline bool parseFace(const char*& p, const char* end, Emit&& emit) {
    p = skipSpace(p, end);
    const char* a = p;
    Corner c{0, 0, 0};
    Form form = Form::VertexUvNormal;
    // Most first corners are whole "v/t/n", "v/t" or "v" tokens: read in
    // place, such a token holds no "//" and its count of numbers is its form.
    const char* q = a;
    int numbers = readCorner<true, false>(q, end, form, c);
    if (numbers > 0 && (q == end || isSpace(*q))) {
        form = numbers == 3 ? Form::VertexUvNormal : numbers == 2 ? Form::VertexUv : Form::Vertex;
        p = q;
    } else {
        // The first corner as a C string (up to a zero byte), and whether
        // it holds "//"; p moves past the whole token.
        bool doubleSlash = false;
        char previous = 0;
        while (p < end && *p != '\0' && !isSpace(*p)) {
            doubleSlash |= previous == '/' && *p == '/';
            previous = *p++;
        }
        const char* b = p;
        while (p < end && !isSpace(*p)) p++;
        c = Corner{0, 0, 0};
        q = a;
        if (doubleSlash) {
            form = Form::VertexNormal;
            readCorner(q, b, form, c);
        } else if (readCorner(q, b, Form::VertexUvNormal, c) == 3) {
            form = Form::VertexUvNormal;
        } else if (q = a, readCorner(q, b, Form::VertexUv, c) == 2) {
            form = Form::VertexUv;
        } else {
            q = a;
            form = Form::Vertex;
            readCorner(q, b, form, c);
        }
    }
    Corner c0 = c;
    readCorner<Values>(p, end, form, c);
    Corner c1 = c;
    readCorner<Values>(p, end, form, c);
    Corner c2 = c;
    if (!emit(form, c0, c1, c2, p)) return false;
    while (readCorner<Values>(p, end, form, c) > 0) {
        c1 = c2;
        c2 = c;
        if (!emit(form, c0, c1, c2, p)) return false;
    }
    return true;
}

enum class EventKind : unsigned char { Group, UseMaterial, MaterialLibrary };

// A "g", "usemtl" or "mtllib" line met by the counting pass.
struct Event {
    EventKind kind;
    const char* position;   // start of the keyword
    std::string_view text;  // group name, or the line's first word
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

// Gives the pages of [from, to) back to the system; they are read from the
// file again if touched later.
void dropPages(const Job& job, const char* from, const char* to) {
    if (!job.dropPages) return;
    const std::uintptr_t page = 4096;
    std::uintptr_t a = (reinterpret_cast<std::uintptr_t>(from) + page - 1) & ~(page - 1);
    std::uintptr_t b = reinterpret_cast<std::uintptr_t>(to) & ~(page - 1);
    if (a < b) ::madvise(reinterpret_cast<void*>(a), b - a, MADV_DONTNEED);
}

void countChunk(Job& job, Chunk& ch) {
    const char* p = ch.begin;
    const char* end = job.textEnd;
    p = skipSpace(p, end);
    ch.firstToken = p;
    for (;;) {
        p = skipSpace(p, end);
        if (p >= ch.end) break;
        const char* keyword = p;
        std::string_view tok = token(p, end);
        switch (tok[0]) {
        case 'v': {
            char second = tok.size() > 1 ? tok[1] : '\0';
            if (second == '\0') ch.vertices++;
            else if (second == 'n') ch.normals++;
            else if (second == 't') ch.uvs++;
            else {
                ch.errorAt = keyword;
                ch.errorKind = GLM_READ_UNKNOWN_TOKEN;
                ch.errorText = asCString(tok);
                ch.stop = keyword;
                return;
            }
            skipLine(p, end);
            break;
        }
        case 'f':
            parseFace<false>(p, end, [&](Form, const Corner&, const Corner&, const Corner&, const char*) {
                ch.faces++;
                return true;
            });
            break;
        case 'g':
            ch.events.push_back({EventKind::Group, keyword, asCString(restOfLine(p, end)), ch.faces});
            break;
        case 'u':
            ch.events.push_back(
                {EventKind::UseMaterial, keyword, firstWord(asCString(restOfLine(p, end))), ch.faces});
            break;
        case 'm': {
            std::string_view word = firstWord(asCString(restOfLine(p, end)));
            if (!word.empty()) ch.events.push_back({EventKind::MaterialLibrary, keyword, word, ch.faces});
            break;
        }
        default:  // comments and every other keyword
            skipLine(p, end);
            break;
        }
    }
    ch.stop = p;
    dropPages(job, ch.begin, std::min(p, ch.end));
}

// Resolves a reference as written (negative: relative to the entries read
// so far) into 1 .. total; false when it falls outside.
inline bool resolve(long raw, std::uint64_t readSoFar, std::uint64_t total, unsigned& out) {
    long long r = raw < 0 ? static_cast<long long>(readSoFar) + 1 + raw : raw;
    if (r < 1 || static_cast<unsigned long long>(r) > total) return false;
    out = static_cast<unsigned>(r);
    return true;
}

void fillChunk(Job& job, Chunk& ch) {
    GlmMesh* model = job.model;
    const char* p = ch.begin;
    const char* end = job.textEnd;
    std::uint64_t vertexNumber = ch.vertexBase, normalNumber = ch.normalBase, uvNumber = ch.uvBase;
    std::uint64_t faceIndex = ch.faceBase;
    const std::uint64_t vertexCount = model->vertexCount, normalCount = model->normalCount,
                        uvCount = model->uvCount;
    Segment* segment = ch.segments.data();

    auto fail = [&](const char* at, const char* kind, long value) {
        ch.errorAt = at;
        ch.errorKind = GLM_READ_BAD_REFERENCE;
        char text[160];
        std::snprintf(text, sizeof text, "%s reference %ld", kind, value);
        ch.errorText = text;
        return false;
    };
    auto emit = [&](Form form, const Corner& a, const Corner& b, const Corner& c, const char* at) {
        GlmFace& face = model->faces[faceIndex];
        const Corner* corners[3] = {&a, &b, &c};
        for (int k = 0; k < 3; k++) {
            const Corner& corner = *corners[k];
            if (!resolve(corner.v, vertexNumber, vertexCount, face.vertexRefs[k]))
                return fail(at, "vertex", corner.v);
            face.uvRefs[k] = 0;
            face.normalRefs[k] = 0;
            if (form == Form::VertexUv || form == Form::VertexUvNormal)
                if (!resolve(corner.t, uvNumber, uvCount, face.uvRefs[k]))
                    return fail(at, "texture coordinate", corner.t);
            if (form == Form::VertexNormal || form == Form::VertexUvNormal)
                if (!resolve(corner.n, normalNumber, normalCount, face.normalRefs[k]))
                    return fail(at, "normal", corner.n);
        }
        face.facetnormRef = 0;
        *segment->next++ = static_cast<unsigned>(faceIndex);
        faceIndex++;
        return true;
    };

    for (;;) {
        p = skipSpace(p, end);
        if (p >= ch.end) break;
        std::string_view tok = token(p, end);
        switch (tok[0]) {
        case 'v': {
            char second = tok.size() > 1 ? tok[1] : '\0';
            float values[3] = {0, 0, 0};
            if (second == '\0') {
                scanFloats(p, end, values, 3);
                float* dst = model->vertices + 3 * ++vertexNumber;
                dst[0] = values[0], dst[1] = values[1], dst[2] = values[2];
            } else if (second == 'n') {
                scanFloats(p, end, values, 3);
                float* dst = model->normals + 3 * ++normalNumber;
                dst[0] = values[0], dst[1] = values[1], dst[2] = values[2];
            } else if (second == 't') {
                scanFloats(p, end, values, 2);
                float* dst = model->uvs + 2 * ++uvNumber;
                dst[0] = values[0], dst[1] = values[1];
            }
            skipLine(p, end);
            break;
        }
        case 'f':
            if (!parseFace<true>(p, end, emit)) return;
            break;
        case 'g':
            segment++;
            skipLine(p, end);
            break;
        default:
            skipLine(p, end);
            break;
        }
    }
    dropPages(job, ch.begin, std::min(p, ch.end));
}

// Runs work(chunk) for every chunk on up to job.threads threads.
template <class Work>
void forEachChunk(Job& job, Work work) {
    std::atomic<std::size_t> next{0};
    auto worker = [&] {
        for (std::size_t i; (i = next.fetch_add(1)) < job.chunks.size();) work(job, job.chunks[i]);
    };
    unsigned extra = std::min<std::size_t>(job.threads, job.chunks.size()) - 1;
    std::vector<std::thread> helpers;
    try {
        for (unsigned i = 0; i < extra; i++) helpers.emplace_back(worker);
    } catch (const std::system_error&) {
        // No more threads to be had: the ones running (and this one) do the rest.
    }
    worker();
    for (auto& t : helpers) t.join();
}

// Chunk boundaries: line starts whose first character is a letter or "#",
// so that no number line continuing a face is cut off its face.
void splitChunks(Job& job) {
    job.chunks.clear();
    const std::size_t size = static_cast<std::size_t>(job.textEnd - job.text);
    const std::size_t chunkSize = job.chunkBytes ? job.chunkBytes : std::size_t{4} << 20;
    // An empty text is one empty chunk, so that there is always a chunk.
    if (job.threads <= 1 || size == 0 || (!job.chunkBytes && size < 2 * chunkSize)) {
        job.chunks.emplace_back(job.text, job.textEnd);
        return;
    }
    const char* begin = job.text;
    while (begin < job.textEnd) {
        const char* cut = job.textEnd;
        if (static_cast<std::size_t>(job.textEnd - begin) > chunkSize + chunkSize / 2) {
            const char* p = begin + chunkSize;
            while (p < job.textEnd) {
                skipLine(p, job.textEnd);
                if (p < job.textEnd && (((*p | 0x20) >= 'a' && (*p | 0x20) <= 'z') || *p == '#')) {
                    cut = p;
                    break;
                }
            }
        }
        job.chunks.emplace_back(begin, cut);
        begin = cut;
    }
}

// The counting pass: true when the chunks read consistently (every chunk
// stopped where the next one starts, up to the first failure).
bool countPass(Job& job) {
    forEachChunk(job, countChunk);
    for (std::size_t i = 1; i < job.chunks.size(); i++) {
        if (job.chunks[i - 1].errorAt) break;
        if (job.chunks[i - 1].stop != job.chunks[i].firstToken) return false;
    }
    return true;
}

unsigned lineOf(const Job& job, const char* at) {
    return 1 + static_cast<unsigned>(std::count(job.text, at, '\n'));
}

void setError(GlmReadError* error, GlmReadErrorKind kind, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
void setError(GlmReadError* error, GlmReadErrorKind kind, const char* format, ...) {
    error->kind = kind;
    va_list args;
    va_start(args, format);
    std::vsnprintf(error->message, sizeof error->message, format, args);
    va_end(args);
}

const char* pathText(const Job& job) { return job.sourcePath ? job.sourcePath : ""; }

// The chunk holding the first failure, or chunks.size().
std::size_t firstFailedChunk(const Job& job) {
    for (std::size_t i = 0; i < job.chunks.size(); i++)
        if (job.chunks[i].errorAt) return i;
    return job.chunks.size();
}

// Material libraries in file order, then the first unknown token.
bool loadLibraries(Job& job, const GlmReadOptions& options, GlmReadError* error) {
    std::size_t failed = firstFailedChunk(job);
    for (std::size_t i = 0; i < job.chunks.size() && i <= failed; i++) {
        for (const Event& event : job.chunks[i].events) {
            if (event.kind != EventKind::MaterialLibrary) continue;
            std::string name(event.text);
            std::free(job.model->materialLibrary);
            job.model->materialLibrary = glmCopyText(name.c_str());
            GlmMaterialLoader load = options.loadMaterials ? options.loadMaterials : glmLoadMTL;
            if (!load(job.model, name.c_str(), options.loaderContext, error)) return false;
        }
    }
    if (failed < job.chunks.size()) {
        setError(error, GLM_READ_UNKNOWN_TOKEN, "glmFirstPass(): Unknown token \"%s\".\n",
                 job.chunks[failed].errorText.c_str());
        return false;
    }
    return true;
}

// Totals and each chunk's first entry numbers.
bool sumCounts(Job& job, GlmReadError* error) {
    std::uint64_t v = 0, n = 0, t = 0, f = 0;
    for (Chunk& ch : job.chunks) {
        ch.vertexBase = v, ch.normalBase = n, ch.uvBase = t, ch.faceBase = f;
        v += ch.vertices, n += ch.normals, t += ch.uvs, f += ch.faces;
    }
    const std::uint64_t limit = UINT_MAX - 1;
    if (v > limit || n > limit || t > limit || f > limit) {
        setError(error, GLM_READ_CANT_OPEN, "glmReadOBJ() failed: \"%s\" holds too many entries.\n",
                 pathText(job));
        return false;
    }
    GlmMesh* model = job.model;
    model->vertexCount = static_cast<unsigned>(v);
    model->normalCount = static_cast<unsigned>(n);
    model->uvCount = static_cast<unsigned>(t);
    model->faceCount = static_cast<unsigned>(f);
    return true;
}

// Gives every group line its group and every stretch of faces its place in
// its group's face list.  With `create` the groups are created (first pass);
// otherwise they must exist and their lists have room for the faces.
bool placeGroups(Job& job, bool create) {
    GlmMesh* model = job.model;
    GlmFaceGroup* current = create ? glmEnsureGroup(model, "default") : glmGroupByName(model, "default");
    if (!current) return false;
    std::vector<std::uint64_t> stretch;  // faces per segment, all chunks in order
    std::string name;
    for (Chunk& ch : job.chunks) {
        ch.segments.assign(1, Segment{current, nullptr});
        std::uint64_t before = 0;
        for (const Event& event : ch.events) {
            if (event.kind != EventKind::Group) continue;
            stretch.push_back(event.facesBefore - before);
            before = event.facesBefore;
            name.assign(event.text);
            current = create ? glmEnsureGroup(model, name.c_str()) : glmGroupByName(model, name.c_str());
            if (!current) return false;
            ch.segments.push_back(Segment{current, nullptr});
        }
        stretch.push_back(ch.faces - before);
    }
    for (GlmFaceGroup* g = model->groupList; g; g = g->next) g->faceCount = 0;
    std::size_t s = 0;
    for (Chunk& ch : job.chunks)
        for (Segment& seg : ch.segments) seg.group->faceCount += static_cast<unsigned>(stretch[s++]);
    if (create) {
        for (GlmFaceGroup* g = model->groupList; g; g = g->next) {
            std::free(g->faceList);
            g->faceList = g->faceCount ? static_cast<unsigned*>(std::malloc(sizeof(unsigned) * g->faceCount))
                                       : nullptr;
        }
    }
    for (GlmFaceGroup* g = model->groupList; g; g = g->next) g->faceCount = 0;
    s = 0;
    for (Chunk& ch : job.chunks)
        for (Segment& seg : ch.segments) {
            seg.next = seg.group->faceList + seg.group->faceCount;
            seg.group->faceCount += static_cast<unsigned>(stretch[s++]);
        }
    return true;
}

// The material of every group: the one current at its last group or
// "usemtl" line.  Returns the "usemtl" lines naming unknown materials.
std::vector<const Event*> assignMaterials(Job& job) {
    GlmMesh* model = job.model;
    std::vector<const Event*> unknown;
    unsigned material = 0;
    std::string name;
    for (Chunk& ch : job.chunks) {
        std::size_t segment = 0;
        GlmFaceGroup* group = ch.segments[0].group;
        for (const Event& event : ch.events) {
            if (event.kind == EventKind::Group) {
                group = ch.segments[++segment].group;
                group->materialIndex = material;
            } else if (event.kind == EventKind::UseMaterial) {
                name.assign(event.text);
                material = 0;
                bool found = false;
                for (unsigned i = 0; i < model->materialCount && !found; i++)
                    if (model->materialTable[i].name && name == model->materialTable[i].name)
                        material = i, found = true;
                if (!found) unknown.push_back(&event);
                group->materialIndex = material;
            }
        }
    }
    return unknown;
}

void allocateArrays(GlmMesh* model) {
    model->vertices = static_cast<float*>(std::malloc(sizeof(float) * 3 * (model->vertexCount + 1)));
    std::fill_n(model->vertices, 3, 0.0f);
    if (model->normalCount) {
        model->normals = static_cast<float*>(std::malloc(sizeof(float) * 3 * (model->normalCount + 1)));
        std::fill_n(model->normals, 3, 0.0f);
    }
    if (model->uvCount) {
        model->uvs = static_cast<float*>(std::malloc(sizeof(float) * 2 * (model->uvCount + 1)));
        std::fill_n(model->uvs, 2, 0.0f);
    }
    model->faces = static_cast<GlmFace*>(std::malloc(sizeof(GlmFace) * std::max(model->faceCount, 1u)));
}

// The filling pass; prints the look-up message of every unknown material
// named before the first failure.
bool fillPass(Job& job, const std::vector<const Event*>& unknownMaterials, GlmReadError* error) {
    forEachChunk(job, fillChunk);
    std::size_t failed = firstFailedChunk(job);
    const char* failedAt = failed < job.chunks.size() ? job.chunks[failed].errorAt : job.textEnd;
    for (const Event* event : unknownMaterials)
        if (event->position < failedAt)
            std::printf("glmFindMaterial():  can't find material \"%s\".\n", std::string(event->text).c_str());
    if (failed == job.chunks.size()) return true;
    const Chunk& ch = job.chunks[failed];
    setError(error, GLM_READ_BAD_REFERENCE, "glmReadOBJ() failed: \"%s\" line %u: %s is out of range.\n",
             pathText(job), lineOf(job, ch.errorAt), ch.errorText.c_str());
    return false;
}

GlmMesh* newModel(const char* sourcePath) {
    auto* model = static_cast<GlmMesh*>(std::calloc(1, sizeof(GlmMesh)));
    model->sourcePath = glmCopyText(sourcePath ? sourcePath : "");
    return model;
}

GlmMesh* parse(const char* text, std::size_t size, const char* sourcePath, const GlmReadOptions* options,
               GlmReadError* error, bool mapped) {
    GlmReadOptions defaults;
    if (!options) options = &defaults;
    error->kind = GLM_READ_OK;
    error->message[0] = '\0';
    Job job{text, text + size, sourcePath, mapped, 1, options->chunkBytes, {}, newModel(sourcePath)};
    job.threads = options->threads ? options->threads : std::max(1u, std::thread::hardware_concurrency());
    splitChunks(job);
    if (!countPass(job)) {
        // A statement ran across a chunk boundary: read the text in one piece.
        job.threads = 1;
        splitChunks(job);
        countPass(job);
    }
    bool ok = loadLibraries(job, *options, error) && sumCounts(job, error) && placeGroups(job, true);
    if (ok) {
        std::vector<const Event*> unknown = assignMaterials(job);
        allocateArrays(job.model);
        ok = fillPass(job, unknown, error);
    }
    if (!ok) {
        glmDestroy(job.model);
        return nullptr;
    }
    return job.model;
}

// The rest of a stream, read into memory.
std::string slurp(FILE* file) {
    std::string text;
    char buffer[1 << 16];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
    return text;
}

[[noreturn]] void reportAndExit(const GlmReadError& error) {
    std::fflush(stdout);
    std::fputs(error.message, error.kind == GLM_READ_UNKNOWN_TOKEN ? stdout : stderr);
    std::exit(1);
}

}  // namespace

GlmMesh* glmParseOBJ(const char* text, std::size_t size, const char* sourcePath, const GlmReadOptions* options,
                     GlmReadError* error) {
    return parse(text, size, sourcePath, options, error, false);
}

GlmMesh* glmLoadOBJ(const char* path, const GlmReadOptions* options, GlmReadError* error) {
    int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    struct stat info;
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        if (fd >= 0) ::close(fd);
        setError(error, GLM_READ_CANT_OPEN, "glmReadOBJ() failed: can't open data file \"%s\".\n", path);
        return nullptr;
    }
    GlmMesh* model = nullptr;
    std::size_t size = static_cast<std::size_t>(info.st_size);
    void* map = S_ISREG(info.st_mode) && size > 0 ? ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0)
                                                  : MAP_FAILED;
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
    while ((n = ::read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    if (n < 0) {
        setError(error, GLM_READ_CANT_OPEN, "glmReadOBJ() failed: can't open data file \"%s\".\n", path);
        return nullptr;
    }
    return parse(text.data(), text.size(), path, options, error, false);
}

GlmMesh* glmReadOBJ(const char* path) {
    GlmReadError error;
    GlmMesh* model = glmLoadOBJ(path, nullptr, &error);
    if (!model) reportAndExit(error);
    return model;
}

namespace {

// The counting pass over `text`, the rest of a stream, on this thread.
Job countText(GlmMesh* model, const std::string& text) {
    Job job{text.data(), text.data() + text.size(), model->sourcePath, false, 1, 0, {}, model};
    splitChunks(job);
    countPass(job);
    return job;
}

}  // namespace

void glmFirstPass(GlmMesh* model, FILE* file) {
    std::string text = slurp(file);
    Job job = countText(model, text);
    GlmReadOptions options;
    GlmReadError error;
    if (!loadLibraries(job, options, &error) || !sumCounts(job, &error)) reportAndExit(error);
    placeGroups(job, true);
    for (GlmFaceGroup* g = model->groupList; g; g = g->next) g->faceCount = 0;
}

void glmFillPass(GlmMesh* model, FILE* file) {
    std::string text = slurp(file);
    Job job = countText(model, text);
    GlmReadError error;
    const Chunk& ch = job.chunks[0];
    if (ch.errorAt || ch.vertices != model->vertexCount || ch.normals != model->normalCount ||
        ch.uvs != model->uvCount || ch.faces != model->faceCount || !placeGroups(job, false)) {
        setError(&error, GLM_READ_CANT_OPEN,
                 "glmFillPass() failed: the stream does not hold the text the first pass counted.\n");
        reportAndExit(error);
    }
    std::vector<const Event*> unknown = assignMaterials(job);
    if (!fillPass(job, unknown, &error)) reportAndExit(error);
}
