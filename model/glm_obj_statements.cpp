// OBJ reader: the statements of one chunk of text, read in one pass
// (values into growing arrays, checked against the totals at the end), or
// by the counting pass (sizes, groups, materials) and the filling pass
// (numbers into arrays of the final size).
#include <sys/mman.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "model/glm_internal.h"
#include "model/glm_obj_reader.h"
#include "model/glm_scan.h"

using namespace glmscan;

namespace glmobj {

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
inline __attribute__((always_inline)) int readCorner(const char*& p, const char* end, Form form, Corner& c)
{
    if (!scanLong<Values, SkipSpace>(p, end, c.v))
        return 0;
    switch (form) {
    case Form::Vertex:
        return 1;
    case Form::VertexNormal:
        if (!matchChar(p, end, '/') || !matchChar(p, end, '/'))
            return 1;
        return scanLong<Values, SkipSpace>(p, end, c.n) ? 2 : 1;
    case Form::VertexUv:
        if (!matchChar(p, end, '/'))
            return 1;
        return scanLong<Values, SkipSpace>(p, end, c.t) ? 2 : 1;
    case Form::VertexUvNormal:
        if (!matchChar(p, end, '/') || !scanLong<Values, SkipSpace>(p, end, c.t))
            return 1;
        if (!matchChar(p, end, '/'))
            return 2;
        return scanLong<Values, SkipSpace>(p, end, c.n) ? 3 : 2;
    }
    return 0;
}

// Text as the C string functions see it: up to the first zero byte.
inline __attribute__((always_inline)) std::string_view asCString(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); i++)
        if (text[i] == '\0')
            return text.substr(0, i);
    return text;
}

// Hands a corner to the fan as it is read.
struct AsRead {
    template <Form F>
    const Corner& operator()(const Corner& c) const
    {
        return c;
    }
};

// The corners after the first (`c`) of a face whose form is F, turned into
// a fan: emit(F, c0, c1, c2, p) for every triangle, each corner passed
// through prepare<F> once as it is read (so a corner shared by several
// triangles is worked out once).  One instance per form, so that reading
// a corner does not ask for the form again.
template <bool Values, Form F, class Emit, class Prepare>
inline __attribute__((always_inline)) bool fanOut(const char*& p, const char* end, Corner c, Emit& emit,
                                                  Prepare& prepare)
{
    auto c0 = prepare.template operator()<F>(c);
    readCorner<Values>(p, end, F, c);
    auto c1 = prepare.template operator()<F>(c);
    readCorner<Values>(p, end, F, c);
    auto c2 = prepare.template operator()<F>(c);
    if (!emit(F, c0, c1, c2, p))
        return false;
    while (readCorner<Values>(p, end, F, c) > 0) {
        c1 = c2;
        c2 = prepare.template operator()<F>(c);
        if (!emit(F, c0, c1, c2, p))
            return false;
    }
    return true;
}

// Reads a face line after its keyword and calls emit(form, c0, c1, c2, p)
// for every triangle of the fan; stops early when emit returns false.
// Without `Values` the corners after the first are only stepped over.
template <bool Values, class Emit, class Prepare = AsRead>
inline __attribute__((always_inline)) bool parseFace(const char*& p, const char* end, Emit&& emit, Prepare prepare = {})
{
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
        while (p < end && !isSpace(*p))
            p++;
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
    switch (form) {
    case Form::Vertex:
        return fanOut<Values, Form::Vertex>(p, end, c, emit, prepare);
    case Form::VertexUv:
        return fanOut<Values, Form::VertexUv>(p, end, c, emit, prepare);
    case Form::VertexUvNormal:
        return fanOut<Values, Form::VertexUvNormal>(p, end, c, emit, prepare);
    case Form::VertexNormal:
        return fanOut<Values, Form::VertexNormal>(p, end, c, emit, prepare);
    }
    return true;
}

void dropPages(const Job& job, const char* from, const char* to)
{
    if (job.dropPages)
        releasePages(from, to);
}

}  // namespace

void releasePages(const char* from, const char* to)
{
    const std::uintptr_t page = 4096;
    std::uintptr_t a = (reinterpret_cast<std::uintptr_t>(from) + page - 1) & ~(page - 1);
    std::uintptr_t b = reinterpret_cast<std::uintptr_t>(to) & ~(page - 1);
    if (a < b)
        ::madvise(reinterpret_cast<void*>(a), b - a, MADV_DONTNEED);
}

namespace {

// A "g", "usemtl" or "mtllib" statement (told by the first letter of the
// keyword at `keyword`) as an event of the chunk, at the face count so far;
// `p` moves past its line.
void recordEvent(Chunk& ch, const char* keyword, const char*& p, const char* end)
{
    switch (*keyword) {
    case 'g':
        ch.events.push_back({EventKind::Group, keyword, asCString(restOfLine(p, end)), ch.faces});
        break;
    case 'u':
        ch.events.push_back({EventKind::UseMaterial, keyword, firstWord(asCString(restOfLine(p, end))), ch.faces});
        break;
    default: {
        std::string_view word = firstWord(asCString(restOfLine(p, end)));
        if (!word.empty())
            ch.events.push_back({EventKind::MaterialLibrary, keyword, word, ch.faces});
        break;
    }
    }
}

}  // namespace

void countChunk(Job& job, Chunk& ch)
{
    const char* p = ch.begin;
    const char* end = job.textEnd;
    p = skipSpace(p, end);
    ch.firstToken = p;
    for (;;) {
        p = skipSpace(p, end);
        if (p >= ch.end)
            break;
        const char* keyword = p;
        std::string_view tok = token(p, end);
        switch (tok[0]) {
        case 'v': {
            char second = tok.size() > 1 ? tok[1] : '\0';
            if (second == '\0')
                ch.vertices++;
            else if (second == 'n')
                ch.normals++;
            else if (second == 't')
                ch.uvs++;
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
        case 'u':
        case 'm':
            recordEvent(ch, keyword, p, end);
            break;
        default:  // comments and every other keyword
            skipLine(p, end);
            break;
        }
    }
    ch.stop = p;
    dropPages(job, ch.begin, std::min(p, ch.end));
}

namespace {

// Resolves a reference as written (negative: relative to the entries read
// so far) into 1 .. total; false when it falls outside.
inline bool resolve(long raw, std::uint64_t readSoFar, std::uint64_t total, unsigned& out)
{
    long long r = raw < 0 ? static_cast<long long>(readSoFar) + 1 + raw : raw;
    if (r < 1 || static_cast<unsigned long long>(r) > total)
        return false;
    out = static_cast<unsigned>(r);
    return true;
}

}  // namespace

void fillChunk(Job& job, Chunk& ch)
{
    GlmMesh* model = job.model;
    const char* p = ch.begin;
    const char* end = job.textEnd;
    std::uint64_t vertexNumber = ch.vertexBase, normalNumber = ch.normalBase, uvNumber = ch.uvBase;
    std::uint64_t faceIndex = ch.faceBase;
    const std::uint64_t vertexCount = model->vertexCount, normalCount = model->normalCount, uvCount = model->uvCount;
    Segment* segment = ch.segments.data();

    auto fail = [&](const char* at, const char* kind, long value) {
        ch.errorAt = at;
        ch.errorKind = GLM_READ_BAD_REFERENCE;
        char text[160];
        std::snprintf(text, sizeof text, "%s reference %ld", kind, value);
        ch.errorText = text;
        return false;
    };
    auto noteAbsent = [&](const char* at, const char* kind) {
        if (!ch.absentAt)
            ch.absentAt = at, ch.absentKind = kind;
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
            // A file without "vt" (or "vn") lines has nothing such a
            // reference could name: it is read as absent, and noted once.
            if (form == Form::VertexUv || form == Form::VertexUvNormal) {
                if (uvCount == 0)
                    noteAbsent(at, "texture coordinates");
                else if (!resolve(corner.t, uvNumber, uvCount, face.uvRefs[k]))
                    return fail(at, "texture coordinate", corner.t);
            }
            if (form == Form::VertexNormal || form == Form::VertexUvNormal) {
                if (normalCount == 0)
                    noteAbsent(at, "normals");
                else if (!resolve(corner.n, normalNumber, normalCount, face.normalRefs[k]))
                    return fail(at, "normal", corner.n);
            }
        }
        face.facetnormRef = 0;
        *segment->next++ = static_cast<unsigned>(faceIndex);
        faceIndex++;
        return true;
    };

    for (;;) {
        p = skipSpace(p, end);
        if (p >= ch.end)
            break;
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
            if (!parseFace<true>(p, end, emit))
                return;
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

// ---- The one-pass reading ----

void preferHugePages(void* block, std::size_t bytes)
{
    const std::uintptr_t huge = std::uintptr_t{2} << 20;
    std::uintptr_t a = (reinterpret_cast<std::uintptr_t>(block) + huge - 1) & ~(huge - 1);
    std::uintptr_t b = (reinterpret_cast<std::uintptr_t>(block) + bytes) & ~(huge - 1);
    if (a < b)
        ::madvise(reinterpret_cast<void*>(a), b - a, MADV_HUGEPAGE);
}

namespace {

// A reference as written, resolved against the entries read so far when
// negative (`relative` then set); 0 (and `bad` set) when it cannot name an
// entry.
inline unsigned absolute(long raw, std::uint64_t readSoFar, bool& bad, bool& relative)
{
    long long r = raw;
    if (raw < 0) [[unlikely]] {
        relative = true;
        r = static_cast<long long>(readSoFar) + 1 + raw;
    }
    if (r < 1 || r > static_cast<long long>(UINT32_MAX)) [[unlikely]] {
        bad = true;
        return 0;
    }
    return static_cast<unsigned>(r);
}

// A corner's references made absolute, for the one-pass reading.
struct Refs {
    unsigned v, t, n;
};

// Resolves each corner once as it is read (a fan's first corner serves all
// its triangles), against the chunk's counts so far; kinds the form does
// not carry are 0.
struct Resolve {
    Chunk& ch;
    ValueArrays& out;
    template <Form F>
    Refs operator()(const Corner& c)
    {
        Refs r{absolute(c.v, ch.vertices, out.badVertex, out.relative), 0, 0};
        out.maxVertex = std::max<std::uint64_t>(out.maxVertex, r.v);
        if constexpr (F == Form::VertexUv || F == Form::VertexUvNormal) {
            r.t = absolute(c.t, ch.uvs, out.badUv, out.relative);
            out.maxUv = std::max<std::uint64_t>(out.maxUv, r.t);
        }
        if constexpr (F == Form::VertexNormal || F == Form::VertexUvNormal) {
            r.n = absolute(c.n, ch.normals, out.badNormal, out.relative);
            out.maxNormal = std::max<std::uint64_t>(out.maxNormal, r.n);
        }
        return r;
    }
};

}  // namespace

void ValueArrays::release()
{
    std::free(vertices.data), std::free(normals.data), std::free(uvs.data), std::free(faces.data);
    *this = ValueArrays{};
}

bool ValueArrays::startModelArrays()
{
    if (!vertices.reserve(3) || !normals.reserve(3) || !uvs.reserve(2) || !faces.reserve(1))
        return false;
    std::fill_n(vertices.data, 3, 0.0f), std::fill_n(normals.data, 3, 0.0f), std::fill_n(uvs.data, 2, 0.0f);
    vertices.size = normals.size = 3, uvs.size = 2;
    return true;
}

OnePass readValues(Job& job, Chunk& ch, ValueArrays& out)
{
    const char* p = ch.begin;
    const char* end = job.textEnd;
    const char* dropped = ch.begin;
    auto &vertices = out.vertices, &normals = out.normals, &uvs = out.uvs;
    auto& faces = out.faces;
    p = skipSpace(p, end);
    ch.firstToken = p;

    // Names the array that could not grow, for the caller's message.
    auto outOfMemory = [&](const char* what, const auto& array) {
        char text[160];
        std::snprintf(text, sizeof text, "%s (%zu bytes)", what,
                      glmBytes(std::max<std::size_t>(array.capacity * 2, 4096), sizeof(*array.data)));
        ch.errorText = text;
        return OnePass::OutOfMemory;
    };
    auto emit = [&](Form form, const Refs& a, const Refs& b, const Refs& c, const char* at)
        __attribute__((always_inline))
    {
        if (faces.size == faces.capacity) [[unlikely]]
            if (!faces.reserve(faces.size + 1))
                return false;
        if ((form == Form::VertexUv || form == Form::VertexUvNormal) && !ch.absentAt)
            ch.absentAt = at;
        if ((form == Form::VertexNormal || form == Form::VertexUvNormal) && !ch.absentNormalAt)
            ch.absentNormalAt = at;
        GlmFace& face = faces.data[faces.size++];
        face.vertexRefs[0] = a.v, face.vertexRefs[1] = b.v, face.vertexRefs[2] = c.v;
        face.uvRefs[0] = a.t, face.uvRefs[1] = b.t, face.uvRefs[2] = c.t;
        face.normalRefs[0] = a.n, face.normalRefs[1] = b.n, face.normalRefs[2] = c.n;
        face.facetnormRef = 0;
        ch.faces++;
        return true;
    };

    for (;;) {
        p = skipSpace(p, end);
        if (p >= ch.end)
            break;
        if (job.dropPages && static_cast<std::size_t>(p - dropped) >= DROP_STEP) {
            dropPages(job, dropped, p);
            dropped = p;
        }
        const char* keyword = p;
        // The statements most lines hold, "v", "vt", "vn" and "f" followed
        // by a blank, are told by their first characters; the others by
        // their whole first token.
        char first, second;
        if (end - p > 2 && isSpace(p[1]) && (*p == 'v' || *p == 'f')) [[likely]] {
            first = *p, second = '\0';
            p += 1;
        } else if (end - p > 2 && *p == 'v' && (p[1] == 't' || p[1] == 'n') && isSpace(p[2])) {
            first = 'v', second = p[1];
            p += 2;
        } else {
            std::string_view tok = token(p, end);
            first = tok[0];
            second = tok.size() > 1 ? tok[1] : '\0';
        }
        switch (first) {
        case 'v': {
            // Appends one entry of `width` values, zero where the line has
            // fewer numbers; false when the array cannot grow.
            auto append = [&](Growing<float> & array, std::uint64_t & count, int width) __attribute__((always_inline))
            {
                if (!array.reserve(array.size + width))
                    return false;
                float* dst = array.data + array.size;
                array.size += width;
                count++;
                dst[0] = dst[1] = dst[width - 1] = 0;
                scanFloats(p, end, dst, width);
                return true;
            };
            if (second == '\0') {
                if (!append(vertices, ch.vertices, 3))
                    return outOfMemory("the vertices", vertices);
            } else if (second == 'n') {
                if (!append(normals, ch.normals, 3))
                    return outOfMemory("the normals", normals);
            } else if (second == 't') {
                if (!append(uvs, ch.uvs, 2))
                    return outOfMemory("the texture coordinates", uvs);
            } else {
                return OnePass::NeedsTwoPasses;  // refused: the two passes say why
            }
            skipLine(p, end);
            break;
        }
        case 'f':
            if (!parseFace<true>(p, end, emit, Resolve{ch, out}))
                return outOfMemory("the triangles", faces);
            break;
        case 'g':
        case 'u':
        case 'm':
            recordEvent(ch, keyword, p, end);
            break;
        default:  // comments and every other keyword
            skipLine(p, end);
            break;
        }
    }
    ch.stop = p;
    dropPages(job, dropped, std::min(p, ch.end));
    return OnePass::Read;
}

OnePass settleValues(Job& job, ValueArrays& whole)
{
    GlmMesh* model = job.model;
    std::uint64_t v = 0, n = 0, t = 0, f = 0;
    for (const Chunk& ch : job.chunks)
        v += ch.vertices, n += ch.normals, t += ch.uvs, f += ch.faces;
    // References are checked against the totals, which only the end of the
    // text tells: one out of range sends the text to the two passes, which
    // name the line.  Kinds the file has no array for are absent.
    if (whole.badVertex || (whole.badUv && t) || (whole.badNormal && n) || v > UINT32_MAX - 1 || n > UINT32_MAX - 1 ||
        t > UINT32_MAX - 1 || f > UINT32_MAX - 1)
        return OnePass::NeedsTwoPasses;
    const auto vertexCount = static_cast<unsigned>(v), normalCount = static_cast<unsigned>(n),
               uvCount = static_cast<unsigned>(t);
    GlmFace* faces = whole.faces.data;
    const std::size_t faceCount = whole.faces.size;
    // Faces of a form with texture (normal) references were seen where a
    // chunk noted one; only then can there be references to clear.
    bool uvFaces = false, normalFaces = false;
    for (const Chunk& ch : job.chunks)
        uvFaces |= ch.absentAt != nullptr, normalFaces |= ch.absentNormalAt != nullptr;
    if ((uvCount == 0 && uvFaces) || (normalCount == 0 && normalFaces)) {
        for (std::size_t i = 0; i < faceCount; i++) {
            GlmFace& face = faces[i];
            if (uvCount == 0)
                face.uvRefs[0] = face.uvRefs[1] = face.uvRefs[2] = 0;
            if (normalCount == 0)
                face.normalRefs[0] = face.normalRefs[1] = face.normalRefs[2] = 0;
        }
    }
    // The largest reference of each kind tells whether any is out of range.
    if (whole.maxVertex > vertexCount || (uvCount && whole.maxUv > uvCount) ||
        (normalCount && whole.maxNormal > normalCount))
        return OnePass::NeedsTwoPasses;

    // The warning names the first face that used a kind the file lacks.
    for (Chunk& ch : job.chunks) {
        const char* uvAt = uvCount == 0 ? ch.absentAt : nullptr;
        const char* normalAt = normalCount == 0 ? ch.absentNormalAt : nullptr;
        ch.absentAt = nullptr;
        if (uvAt && (!normalAt || uvAt <= normalAt))
            ch.absentAt = uvAt, ch.absentKind = "texture coordinates";
        else if (normalAt)
            ch.absentAt = normalAt, ch.absentKind = "normals";
    }

    // The arrays go to the model cut to size (a shrinking realloc keeps the
    // block when it fails).
    auto settle = [](auto& array) {
        auto* data = array.data;
        if (auto* cut =
                static_cast<decltype(data)>(std::realloc(data, std::max<std::size_t>(array.size, 1) * sizeof(*data))))
            data = cut;
        array.data = nullptr;
        return data;
    };
    model->vertices = settle(whole.vertices);
    model->faces = settle(whole.faces);
    model->normals = n ? settle(whole.normals) : nullptr;
    model->uvs = t ? settle(whole.uvs) : nullptr;
    whole.release();
    return OnePass::Read;
}

OnePass readInOnePass(Job& job, Chunk& ch)
{
    ValueArrays whole;
    whole.boundBy(static_cast<std::size_t>(job.textEnd - job.text));
    if (!whole.startModelArrays()) {
        ch.errorText = "the arrays";
        return OnePass::OutOfMemory;
    }
    OnePass result = readValues(job, ch, whole);
    if (result == OnePass::Read)
        result = settleValues(job, whole);
    whole.release();
    return result;
}

}  // namespace glmobj
