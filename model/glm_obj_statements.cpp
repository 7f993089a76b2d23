// OBJ reader: the statement loop over one chunk of text, which tells the
// statements apart by their first token and calls each kind's parse
// function.  Values go into the chunk's arrays, numbered from its start;
// references are stored as final numbers.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "model/glm_internal.h"
#include "model/glm_obj_reader.h"
#include "model/glm_scan.h"

#define GLM_HOT inline __attribute__((always_inline))

using namespace glmscan;

namespace glmobj {

namespace {

// The corner forms, decided by the first corner of a face line.
enum class Form : unsigned char { Vertex, VertexUv, VertexUvNormal, VertexNormal };
constexpr bool hasUv(Form f) { return f == Form::VertexUv || f == Form::VertexUvNormal; }
constexpr bool hasNormal(Form f) { return f == Form::VertexNormal || f == Form::VertexUvNormal; }

struct Corner {
    long v, t, n;
};

// One corner read with the form's conversion ("%d", "%d/%d", "%d/%d/%d" or
// "%d//%d"); returns the count of numbers converted.  Numbers not converted
// keep their previous values; without `SkipSpace` the corner is read as
// sscanf reads a token alone.
template <Path P, bool SkipSpace = true>
GLM_HOT int readCorner(const char*& p, const char* end, Form form, Corner& c)
{
#if GLM_SCAN_X86
    // "v/t/n" corners, as most faces have, in one go on the vector paths.
    if constexpr (P != Path::Scalar)
        if (form == Form::VertexUvNormal && end - p >= 33 && scanReferenceTriple(p, c.v, c.t, c.n)) [[likely]]
            return 3;
#endif
    if (!scanLong<SkipSpace, P>(p, end, c.v))
        return 0;
    switch (form) {
    case Form::Vertex:
        return 1;
    case Form::VertexNormal:
        if (!matchChar(p, end, '/') || !matchChar(p, end, '/'))
            return 1;
        return scanLong<SkipSpace, P>(p, end, c.n) ? 2 : 1;
    case Form::VertexUv:
        if (!matchChar(p, end, '/'))
            return 1;
        return scanLong<SkipSpace, P>(p, end, c.t) ? 2 : 1;
    case Form::VertexUvNormal:
        if (!matchChar(p, end, '/') || !scanLong<SkipSpace, P>(p, end, c.t))
            return 1;
        if (!matchChar(p, end, '/'))
            return 2;
        return scanLong<SkipSpace, P>(p, end, c.n) ? 3 : 2;
    }
    return 0;
}

// Text as the C string functions see it: up to the first zero byte.
GLM_HOT std::string_view asCString(std::string_view text) { return text.substr(0, text.find('\0')); }

// A corner's references as final numbers.
struct Refs {
    unsigned v, t, n;
};

// A reference of kind K (0 vertex, 1 texture coordinate, 2 normal) made
// final: a negative one counts back from the entries read so far (-1 is
// the newest).  BAD when it can name no entry.  The largest is kept for the
// range check; a checking reading (Check) notes the first one above its
// total instead.
template <int K, bool Check>
GLM_HOT unsigned resolve(Chunk& ch, long raw)
{
    long long r = raw;
    if (raw < 0) [[unlikely]] {
        const std::uint64_t before[] = {ch.vertexBase + ch.vertices, ch.uvBase + ch.uvs, ch.normalBase + ch.normals};
        r = static_cast<long long>(before[K]) + 1 + raw;
        if (!ch.basesKnown)
            ch.ended = Chunk::End::NeedsBases;
    }
    const unsigned out = r < 1 || r >= BAD ? BAD : static_cast<unsigned>(r);
    std::uint64_t& max = K == 0 ? ch.values.maxVertex : K == 1 ? ch.values.maxUv : ch.values.maxNormal;
    max = std::max<std::uint64_t>(max, out);
    if constexpr (Check) {
        static constexpr const char* KINDS[] = {"vertex", "texture coordinate", "normal"};
        // Texture and normal references of a file without such entries are absent.
        if (!ch.bad.kind && (K == 0 || ch.totals[K]) && out > ch.totals[K]) {
            ch.bad.kind = KINDS[K], ch.bad.value = raw;
            ch.ended = Chunk::End::BadReference;
        }
    }
    return out;
}

// A corner's references made final; kinds the form does not carry are 0.
template <Form F, bool Check>
GLM_HOT Refs refsOf(Chunk& ch, const Corner& c)
{
    return {resolve<0, Check>(ch, c.v), hasUv(F) ? resolve<1, Check>(ch, c.t) : 0u,
            hasNormal(F) ? resolve<2, Check>(ch, c.n) : 0u};
}

// Whether the face ends at p without a look for another corner: a line
// feed and then the text's end or a statement's first letter or "#",
// where the corner reading would skip the line feed and find no number.
GLM_HOT bool endsFace(const char* p, const char* end)
{
    return p < end && *p == '\n' &&
           (p + 1 == end || static_cast<unsigned char>((p[1] | 0x20) - 'a') < 26 || p[1] == '#');
}

// The corners after the first (`c`) of a face whose form is F, turned into
// the fan (c0 c1 c2), (c0 c2 c3), ...: emit(F, c0, c1, c2, p) for every
// triangle, each corner resolved once as it is read.  One instance per
// form, so that reading a corner does not ask for the form again.
template <Path P, Form F, bool Check, class Emit>
GLM_HOT bool fanOut(const char*& p, const char* end, Corner c, Emit& emit, Chunk& ch)
{
    Refs c0 = refsOf<F, Check>(ch, c);
    readCorner<P>(p, end, F, c);
    Refs c1 = refsOf<F, Check>(ch, c);
    readCorner<P>(p, end, F, c);
    Refs c2 = refsOf<F, Check>(ch, c);
    if (!emit(F, c0, c1, c2, p))
        return false;
    while (!endsFace(p, end) && readCorner<P>(p, end, F, c) > 0) {
        c1 = c2;
        c2 = refsOf<F, Check>(ch, c);
        if (!emit(F, c0, c1, c2, p))
            return false;
    }
    return true;
}

// "f": a face line after its keyword.  Corners are read as scanf reads
// them, so a face may go on on the next lines; the first corner decides the
// form of all.  Calls emit for every triangle; stops when emit returns false.
template <Path P, bool Check, class Emit>
GLM_HOT bool parseFace(const char*& p, const char* end, Emit&& emit, Chunk& ch)
{
    p = skipSpace(p, end);
    const char* a = p;
    Corner c{0, 0, 0};
    Form form = Form::VertexUvNormal;
    // Most first corners are whole "v/t/n", "v/t" or "v" tokens: read in
    // place, such a token holds no "//" and its count of numbers is its form.
    const char* q = a;
    int numbers = readCorner<P, false>(q, end, form, c);
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
            readCorner<P>(q, b, form, c);
        } else if (readCorner<P>(q, b, Form::VertexUvNormal, c) == 3) {
            form = Form::VertexUvNormal;
        } else if (q = a, readCorner<P>(q, b, Form::VertexUv, c) == 2) {
            form = Form::VertexUv;
        } else {
            q = a;
            form = Form::Vertex;
            readCorner<P>(q, b, form, c);
        }
    }
    switch (form) {
    case Form::Vertex:
        return fanOut<P, Form::Vertex, Check>(p, end, c, emit, ch);
    case Form::VertexUv:
        return fanOut<P, Form::VertexUv, Check>(p, end, c, emit, ch);
    case Form::VertexUvNormal:
        return fanOut<P, Form::VertexUvNormal, Check>(p, end, c, emit, ch);
    case Form::VertexNormal:
        return fanOut<P, Form::VertexNormal, Check>(p, end, c, emit, ch);
    }
    return true;
}

// "v", "vn", "vt": one entry of `width` numbers from this line only, 0
// where the line has fewer; false when the array cannot grow.
template <Path P>
GLM_HOT bool parseValues(const char*& p, const char* end, Growing<float>& array, std::uint64_t& count, int width)
{
    if (!array.reserve(array.size + width))
        return false;
    float* dst = array.data + array.size;
    array.size += width;
    count++;
    dst[0] = dst[1] = dst[width - 1] = 0;
    scanFloats<P>(p, end, dst, width);
    return true;
}

// The colour of the vertex just read: three more numbers on its line
// ("v x y z r g b"), or 1 1 1 for a vertex without them once the chunk has
// colours.  The chunk's first colour gives the vertices before it 1 1 1.
template <Path P>
bool parseColor(const char*& p, const char* end, Values& out)
{
    float rgb[3];
    const bool given = scanFloats<P>(p, end, rgb, 3) == 3;
    if (!given && out.colors.size == 0)
        return true;
    if (!given)
        rgb[0] = rgb[1] = rgb[2] = 1.0f;
    if (out.colors.size == 0 && !out.colors.fill(out.vertices.size - 3, 1.0f))
        return false;
    return out.colors.append(rgb, 3);
}

// "l" (with `line`) and "p": vertex references on the rest of the line,
// for "l" each with an optional "/texture" reference; a word that is no
// reference ends the list.
template <bool Check>
bool parseElements(const char*& p, const char* end, Chunk& ch, bool line)
{
    Values& out = ch.values;
    Growing<unsigned>& vertexRefs = line ? out.lineVertexRefs : out.pointRefs;
    GlmPolyline polyline{static_cast<unsigned>(vertexRefs.size), 0};
    for (long v, t;; polyline.count++) {
        while (p < end && isSpace(*p) && *p != '\n')
            p++;
        if (!scanLong<false>(p, end, v))
            break;
        const unsigned vertex = resolve<0, Check>(ch, v);
        const bool withUv = line && matchChar(p, end, '/') && scanLong<false>(p, end, t);
        const unsigned uv = withUv ? resolve<1, Check>(ch, t) : 0;
        if (Check && ch.ended != Chunk::End::Read) {
            ch.bad.at = p;
            return true;
        }
        if (withUv && !ch.uvsUsedAt)
            ch.uvsUsedAt = p;
        if (!vertexRefs.append(&vertex, 1))
            return false;
        if (line && (withUv || out.lineUvRefs.size) &&
            ((out.lineUvRefs.size == 0 && !out.lineUvRefs.fill(vertexRefs.size - 1, 0)) ||
             !out.lineUvRefs.append(&uv, 1)))
            return false;
    }
    return !line || polyline.count == 0 || out.lines.append(&polyline, 1);
}

// A "g", "usemtl", "mtllib", "o" or "s" statement (told by the first letter
// of the keyword at `keyword`) as an event at the chunk's face count; `p`
// moves past its line.  Names and words end at a zero byte, as C strings do.
template <Path P>
void recordEvent(Chunk& ch, const char* keyword, const char*& p, const char* end)
{
    std::string_view rest = asCString(restOfLine<P>(p, end));
    EventKind kind = EventKind::MaterialLibrary;
    switch (*keyword) {
    case 'g':
        kind = EventKind::Group;
        break;
    case 'u':
        kind = EventKind::UseMaterial;
        rest = firstWord(rest);
        break;
    case 'o':
        kind = EventKind::Object;
        while (!rest.empty() && isSpace(rest[0]))
            rest.remove_prefix(1);
        break;
    case 's':
        kind = EventKind::Smoothing;
        rest = firstWord(rest);
        break;
    default:
        rest = firstWord(rest);
        if (rest.empty())
            return;  // "mtllib" naming nothing
        break;
    }
    ch.events.push_back({kind, keyword, rest, ch.values.faces.size});
}

template <bool Check, Path P>
void readStatements(const Job& job, Chunk& ch)
{
    const char* p = skipSpace(ch.begin, job.textEnd);
    const char* end = job.textEnd;
    const char* released = ch.begin;
    // Where the next piece of text is given back, or the text's end when
    // none is (no statement starts there): one comparison a line.
    const char* releaseAt =
        ch.releasesPages && static_cast<std::size_t>(end - released) > DROP_STEP ? released + DROP_STEP : end;
    Values& out = ch.values;
    auto& faces = out.faces;
    ch.firstToken = p;

    // Where the reading stops: the text read is given back.
    auto finish = [&] {
        ch.stop = p;
        if (ch.releasesPages)
            tuning::releasePages(released, std::min(p, ch.end));
    };
    // Names the array that could not grow, for the caller's message.
    auto outOfMemory = [&](const char* what, const auto& array) {
        char text[160];
        std::snprintf(text, sizeof text, "%s (%zu bytes)", what,
                      glmBytes(std::max<std::size_t>(array.capacity * 2, 4096), sizeof(*array.data)));
        ch.ended = Chunk::End::OutOfMemory;
        ch.what = text;
        finish();
    };
    auto emit = [&](Form form, const Refs& a, const Refs& b, const Refs& c, const char* at)
        __attribute__((always_inline))
    {
        if (Check && ch.ended != Chunk::End::Read) {
            ch.bad.at = at;
            return false;
        }
        if (faces.size == faces.capacity) [[unlikely]]
            if (!faces.reserve(faces.size + 1))
                return false;
        if (hasUv(form) && !ch.uvsUsedAt)
            ch.uvsUsedAt = at;
        if (hasNormal(form) && !ch.normalsUsedAt)
            ch.normalsUsedAt = at;
        GlmFace& face = faces.data[faces.size++];
        face.vertexRefs[0] = a.v, face.vertexRefs[1] = b.v, face.vertexRefs[2] = c.v;
        face.uvRefs[0] = a.t, face.uvRefs[1] = b.t, face.uvRefs[2] = c.t;
        face.normalRefs[0] = a.n, face.normalRefs[1] = b.n, face.normalRefs[2] = c.n;
        face.facetnormRef = 0;
        return true;
    };

    for (;;) {
        p = skipSpace(p, end);
        if (p >= ch.end)
            break;
        if (p >= releaseAt) [[unlikely]] {
            tuning::releasePages(released, p);
            released = p;
            releaseAt = static_cast<std::size_t>(end - p) > DROP_STEP ? p + DROP_STEP : end;
        }
        const char* keyword = p;
        // The statements most lines hold, "v", "vt", "vn" and "f" followed
        // by a blank, are told by their first characters; the others by
        // their whole first token.
        std::string_view tok;
        char first, second = '\0';
        if (end - p > 2 && isSpace(p[1]) && (*p == 'v' || *p == 'f')) [[likely]] {
            first = *p++;
        } else if (end - p > 2 && *p == 'v' && (p[1] == 't' || p[1] == 'n') && isSpace(p[2])) {
            first = 'v', second = p[1];
            p += 2;
        } else {
            tok = token(p, end);
            first = tok[0];
            second = tok.size() > 1 ? tok[1] : '\0';
        }
        switch (first) {
        case 'v':
            if (second == '\0') {
                if (!parseValues<P>(p, end, out.vertices, ch.vertices, 3))
                    return outOfMemory("the vertices", out.vertices);
                if (((p < end && *p != '\n') || out.colors.size) && !parseColor<P>(p, end, out)) [[unlikely]]
                    return outOfMemory("the vertex colours", out.colors);
            } else if (second == 'n') {
                if (!parseValues<P>(p, end, out.normals, ch.normals, 3))
                    return outOfMemory("the normals", out.normals);
            } else if (second == 't') {
                if (!parseValues<P>(p, end, out.uvs, ch.uvs, 2))
                    return outOfMemory("the texture coordinates", out.uvs);
            } else {
                ch.ended = Chunk::End::UnknownToken;  // refused: "vp" and the like
                ch.errorAt = keyword;
                ch.what = asCString(tok);
                ch.stop = keyword;
                return;
            }
            skipLine<P>(p, end);
            break;
        case 'f':
            // A reading that needs its bases, or a checking one past its bad
            // reference, stops here.
            if (!parseFace<P, Check>(p, end, emit, ch) || ch.ended != Chunk::End::Read) [[unlikely]]
                return ch.ended == Chunk::End::Read ? outOfMemory("the triangles", faces) : finish();
            break;
        case 'g':
        case 'u':
        case 'm':
            recordEvent<P>(ch, keyword, p, end);
            break;
        case '#':
            skipLine<P>(p, end);
            break;
        case 'l':
        case 'p':
            if (tok.size() == 1) {
                if (!parseElements<Check>(p, end, ch, first == 'l') || ch.ended != Chunk::End::Read)
                    return ch.ended == Chunk::End::Read ? outOfMemory("the lines and points", out.pointRefs) : finish();
                skipLine<P>(p, end);
                break;
            }
            [[fallthrough]];
        case 'o':
        case 's':
            if (tok.size() == 1) {
                recordEvent<P>(ch, keyword, p, end);
                break;
            }
            [[fallthrough]];
        default:  // every other keyword: read past, counted when asked
            if (job.countSkipped) {
                auto seen = std::find_if(ch.skipped.begin(), ch.skipped.end(), [&](auto& s) { return s.first == tok; });
                seen == ch.skipped.end() ? (void)ch.skipped.emplace_back(tok, 1) : (void)seen->second++;
            }
            skipLine<P>(p, end);
            break;
        }
    }
    finish();
}

// The statement loop on the path the readers take, chosen once a chunk.
// The SSE2 loop serves AVX2 too: its line search asks for AVX2 past the
// first 16 bytes of a line.
template <bool Check>
void readOnPath(const Job& job, Chunk& ch)
{
    if (activePath() == Path::Scalar)
        readStatements<Check, Path::Scalar>(job, ch);
    else
        readStatements<Check, Path::Sse2>(job, ch);
}

}  // namespace

void readChunk(const Job& job, Chunk& ch)
{
    if (ch.totals)
        readOnPath<true>(job, ch);
    else
        readOnPath<false>(job, ch);
}

}  // namespace glmobj
