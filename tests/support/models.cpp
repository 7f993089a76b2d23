#include "tests/support/models.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

std::string floatsDiffer(const char* what, const float* a, const float* b, unsigned n)
{
    if (!a || !b)
        return (a || b) ? std::string(what) + ": one is null" : "";
    for (unsigned i = 0; i < n; i++)
        if (std::memcmp(&a[i], &b[i], sizeof(float)) != 0)
            return std::string(what) + " float " + std::to_string(i) + ": " + std::to_string(a[i]) + " vs " +
                   std::to_string(b[i]);
    return "";
}

std::string text(const char* s) { return s ? "\"" + std::string(s) + "\"" : "null"; }

}  // namespace

std::string modelDifference(const GlmMesh* a, const GlmMesh* b)
{
#define SAME(field)                                                                                                    \
    do {                                                                                                               \
        if (a->field != b->field)                                                                                      \
            return std::string(#field) + ": " + std::to_string(a->field) + " vs " + std::to_string(b->field);          \
    } while (0)
    if (text(a->sourcePath) != text(b->sourcePath))
        return "sourcePath";
    if (text(a->materialLibrary) != text(b->materialLibrary))
        return "materialLibrary " + text(a->materialLibrary) + " vs " + text(b->materialLibrary);
    SAME(vertexCount);
    SAME(normalCount);
    SAME(uvCount);
    SAME(facetnormCount);
    SAME(faceCount);
    SAME(materialCount);
    SAME(groupCount);
    std::string d;
    if (!(d = floatsDiffer("vertices", a->vertices, b->vertices, 3 * (a->vertexCount + 1))).empty())
        return d;
    if (!(d = floatsDiffer("normals", a->normals, b->normals, a->normals ? 3 * (a->normalCount + 1) : 0)).empty())
        return d;
    if (!(d = floatsDiffer("uvs", a->uvs, b->uvs, a->uvs ? 2 * (a->uvCount + 1) : 0)).empty())
        return d;
    for (unsigned i = 0; i < a->faceCount; i++)
        if (std::memcmp(&a->faces[i], &b->faces[i], sizeof(GlmFace)) != 0) {
            const GlmFace &x = a->faces[i], &y = b->faces[i];
            char buf[300];
            std::snprintf(buf, sizeof buf, "face %u: v %u %u %u/%u %u %u t %u %u %u/%u %u %u n %u %u %u/%u %u %u", i,
                          x.vertexRefs[0], x.vertexRefs[1], x.vertexRefs[2], y.vertexRefs[0], y.vertexRefs[1],
                          y.vertexRefs[2], x.uvRefs[0], x.uvRefs[1], x.uvRefs[2], y.uvRefs[0], y.uvRefs[1], y.uvRefs[2],
                          x.normalRefs[0], x.normalRefs[1], x.normalRefs[2], y.normalRefs[0], y.normalRefs[1],
                          y.normalRefs[2]);
            return buf;
        }
    for (unsigned i = 0; i < a->materialCount; i++) {
        const GlmMtlEntry &x = a->materialTable[i], &y = b->materialTable[i];
        if (text(x.name) != text(y.name))
            return "material name " + text(x.name) + " vs " + text(y.name);
        if (!(d = floatsDiffer("diffuse", x.diffuseColor, y.diffuseColor, 4)).empty() ||
            !(d = floatsDiffer("ambient", x.ambientColor, y.ambientColor, 4)).empty() ||
            !(d = floatsDiffer("specular", x.specularColor, y.specularColor, 4)).empty() ||
            !(d = floatsDiffer("exponent", &x.specularExponent, &y.specularExponent, 1)).empty())
            return "material " + std::to_string(i) + " " + d;
    }
    for (const GlmFaceGroup *g = a->groupList, *h = b->groupList; g && h; g = g->next, h = h->next) {
        if (std::strcmp(g->name, h->name) != 0)
            return "group name " + text(g->name) + " vs " + text(h->name);
        if (g->faceCount != h->faceCount || g->materialIndex != h->materialIndex)
            return "group " + text(g->name) + " count or material";
        if (g->faceCount && std::memcmp(g->faceList, h->faceList, sizeof(unsigned) * g->faceCount) != 0)
            return "group " + text(g->name) + " face list";
    }
    return "";
#undef SAME
}

namespace {

std::string pick(std::mt19937& rng, std::initializer_list<const char*> options)
{
    std::uniform_int_distribution<std::size_t> d(0, options.size() - 1);
    return *(options.begin() + d(rng));
}

int uniform(std::mt19937& rng, int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }

// A number in one of C's decimal forms (and, rarely, the others scanf reads).
std::string randomNumber(std::mt19937& rng)
{
    double value = std::uniform_real_distribution<double>(-10, 10)(rng);
    if (uniform(rng, 0, 9) == 0)
        value *= std::pow(10.0, uniform(rng, -45, 40));
    char buf[80];
    switch (uniform(rng, 0, 15)) {
    case 0:
        std::snprintf(buf, sizeof buf, "%e", value);
        break;
    case 1:
        std::snprintf(buf, sizeof buf, "%.9g", value);
        break;
    case 2:
        std::snprintf(buf, sizeof buf, "%+f", value);
        break;
    case 3:
        std::snprintf(buf, sizeof buf, "%.3E", value);
        break;
    case 4:
        std::snprintf(buf, sizeof buf, "%d", static_cast<int>(value));
        break;
    case 5:
        std::snprintf(buf, sizeof buf, "%.17g", value);
        break;
    case 6:
        std::snprintf(buf, sizeof buf, "%.25f", value / 1000);
        break;
    case 7:
        return pick(rng, {".5", "-.25", "5.", "+0", "-0.000000", "1e", "2.5e+", "1.5.5", "0x1.8p3", "inf", "-Infinity",
                          "nan", "7E-46", "3.4028236e38", "1e-39", "00012.50", "0.1234567890123456789012345",
                          "123456789012345678901234567890"});
    default:
        std::snprintf(buf, sizeof buf, "%f", value);
        break;
    }
    return buf;
}

}  // namespace

std::string randomMtl(std::mt19937& rng)
{
    std::string out = "# materials\n";
    for (const char* name : {"red", "green", "blue", "red"}) {
        out += std::string("newmtl ") + name + "\n";
        for (const char* key : {"Ka", "Kd", "Ks", "Ke", "Ni"})
            if (uniform(rng, 0, 3))
                out += std::string(key) + " " + randomNumber(rng) + " " + randomNumber(rng) + " " + randomNumber(rng) +
                       "\n";
        if (uniform(rng, 0, 1))
            out += "Ns " + randomNumber(rng) + "\n";
        out += pick(rng, {"illum 2\n", "d 1.0\n", "map_Kd wood.ppm\n", "\n"});
    }
    return out;
}

std::string randomObj(std::mt19937& rng, bool materials, bool bad)
{
    const std::string eol = uniform(rng, 0, 2) == 0 ? "\r\n" : "\n";
    auto sep = [&] { return pick(rng, {" ", " ", " ", "\t", "  ", " \t "}); };
    std::string out;
    if (materials)
        out += "mtllib lib.mtl" + eol;
    unsigned v = 0, t = 0, n = 0;
    // Half of the files use relative references, which a chunk read on a
    // thread resolves only once the chunks before it are known.
    const bool relative = uniform(rng, 0, 1) == 0;
    int lines = uniform(rng, 5, 300);
    int badLine = bad ? uniform(rng, 0, lines - 1) : -1;
    for (int line = 0; line < lines; line++) {
        int kind = uniform(rng, 0, 19);
        if (v == 0 || kind < 6) {
            out += "v" + sep() + randomNumber(rng) + sep() + randomNumber(rng) + sep() + randomNumber(rng);
            if (uniform(rng, 0, 9) == 0)
                out += sep() + "1.0";
            v++;
        } else if (kind < 8) {
            out += "vt" + sep() + randomNumber(rng) + sep() + randomNumber(rng);
            if (uniform(rng, 0, 4) == 0)
                out += sep() + "0.0";
            t++;
        } else if (kind < 10) {
            out += "vn" + sep() + randomNumber(rng) + sep() + randomNumber(rng) + sep() + randomNumber(rng);
            n++;
        } else if (kind < 15) {
            int form = uniform(rng, 0, 3);  // v, v/t, v/t/n, v//n
            // Now and then a face names texture coordinates or normals
            // that the file has none of.
            bool absent = uniform(rng, 0, 7) == 0;
            if ((form == 1 || form == 2) && t == 0 && !absent)
                form = 0;
            if ((form == 2 || form == 3) && n == 0 && !absent)
                form = 0;
            auto ref = [&](unsigned count) {
                if (count == 0)
                    return std::string("1");  // valid once the file has such an entry
                int r = uniform(rng, 1, static_cast<int>(count));
                return std::to_string(relative && uniform(rng, 0, 2) == 0 ? r - static_cast<int>(count) - 1 : r);
            };
            out += "f";
            // Now and then a polygon long enough for a line of hundreds of characters.
            int corners = uniform(rng, 0, 4) ? 3 : uniform(rng, 0, 4) ? uniform(rng, 3, 7) : uniform(rng, 30, 60);
            for (int c = 0; c < corners; c++) {
                out += (c == 3 && uniform(rng, 0, 5) == 0) ? eol : sep();
                out += ref(v);
                if (form == 1)
                    out += "/" + ref(t);
                if (form == 2)
                    out += "/" + ref(t) + "/" + ref(n);
                if (form == 3)
                    out += "//" + ref(n);
            }
        } else if (kind == 15) {
            out += "g" + pick(rng, {" wheel", " body", " wheel", " default", "", " two words", "\twheel"});
        } else if (kind == 16 && materials) {
            out += "usemtl " + pick(rng, {"red", "green", "blue", "nosuch", "default"});
        } else if (kind == 17) {
            if (uniform(rng, 0, 8) == 0)
                out += "# " + std::string(static_cast<std::size_t>(uniform(rng, 100, 400)), 'x');
            else
                out += pick(rng, {"# comment", "#", "", "o thing", "s 1", "s off", "   ", "\t"});
        } else {
            out += pick(rng, {"# v 1 2 3", "", "l 1 2"});
        }
        if (line == badLine)
            out += pick(rng, {" f 0 1 2", "\nf 1 2 99999", "\nf -99999 1 1", "\nvp 1 2", "\nf 1/0 1/1 1/1",
                              "\nf 1//9999 1//1 1//1", "\nf 1"});
        out += eol;
    }
    if (uniform(rng, 0, 3) == 0)
        out.resize(out.size() - eol.size());  // no final line break
    return out;
}

bool loadMtlTexts(GlmMesh* model, const char* name, void* context, GlmReadError* error)
{
    const auto* texts = static_cast<const MtlTexts*>(context);
    std::string_view text;
    if (auto found = texts->byName.find(name); found != texts->byName.end()) {
        text = found->second;
    } else if (texts->others) {
        text = *texts->others;
    } else {
        error->kind = GLM_READ_MATERIAL_FILE;
        std::snprintf(error->message, sizeof error->message, "glmReadMTL() failed: can't open material file \"%s\".\n",
                      name);
        return false;
    }
    glmParseMTL(model, text.data(), text.size());
    return true;
}

std::string objTextWithoutGroups(const std::string& text)
{
    std::string result, block;
    bool blockHasFaces = false;
    auto endBlock = [&] {
        if (blockHasFaces)
            result += block;
        block.clear();
        blockHasFaces = false;
    };
    bool inGroups = false;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start + 1);
        start = end == std::string::npos ? text.size() : end + 1;
        if (line.rfind("# ", 0) == 0 && line.find(" groups\n") != std::string::npos)
            continue;
        if (line.rfind("g ", 0) == 0) {
            endBlock();
            inGroups = true;
            continue;
        }
        if (!inGroups || line.rfind("l ", 0) == 0 || line.rfind("p ", 0) == 0 || line.rfind("# ", 0) == 0) {
            endBlock();
            inGroups = inGroups && line.rfind("# ", 0) != 0 && line.rfind("l ", 0) != 0 && line.rfind("p ", 0) != 0;
            result += line;
            continue;
        }
        blockHasFaces = blockHasFaces || line.rfind("f ", 0) == 0;
        block += line;
    }
    endBlock();
    return result;
}
