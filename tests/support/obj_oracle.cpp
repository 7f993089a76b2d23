// The reference reader: two passes over one stdio stream, tokens with
// "%s", corners with "%ld/%ld/%ld" and the like, numbers of a value line
// with sscanf("%f %f %f") on that line.
#include "tests/support/obj_oracle.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

struct LineBuffer {
    char* data = nullptr;
    std::size_t capacity = 0;
    ~LineBuffer() { std::free(data); }
};

// "%s" without a length limit; false at the end of the file.
bool readToken(FILE* f, std::string& tok)
{
    char buf[128];
    int start = 0, stop = 0;
    if (std::fscanf(f, " %n%127s%n", &start, buf, &stop) != 1)
        return false;
    tok.assign(buf, static_cast<std::size_t>(stop - start));
    if (stop - start == 127)
        for (int c; (c = std::getc(f)) != EOF;) {
            if (std::isspace(c)) {
                std::ungetc(c, f);
                break;
            }
            tok.push_back(static_cast<char>(c));
        }
    return true;
}

// The rest of the line with its line feed; empty at the end of the file.
std::string restOfLine(FILE* f, LineBuffer& line)
{
    ssize_t n = ::getline(&line.data, &line.capacity, f);
    return n > 0 ? std::string(line.data, static_cast<std::size_t>(n)) : std::string();
}

void skipLine(FILE* f, LineBuffer& line) { ::getline(&line.data, &line.capacity, f); }

// The first word of a line as sscanf("%s") finds it, or "".
std::string firstWord(const std::string& rest)
{
    std::vector<char> word(rest.size() + 1);
    return std::sscanf(rest.c_str(), "%s", word.data()) == 1 ? std::string(word.data()) : std::string();
}

// A group name: the rest of the line without "\n" and a "\r" before it.
std::string groupName(std::string rest)
{
    if (!rest.empty() && rest.back() == '\n')
        rest.pop_back();
    if (!rest.empty() && rest.back() == '\r')
        rest.pop_back();
    return std::string(rest.c_str());
}

bool readMaterials(GlmMesh* model, const std::string& name, std::string* error)
{
    std::string path = model->sourcePath;
    std::size_t slash = path.rfind('/');
    path = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) + name;
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) {
        *error = "glmReadMTL() failed: can't open material file \"" + path + "\".\n";
        return false;
    }
    LineBuffer line;
    std::string tok;
    unsigned count = 1;
    while (readToken(f, tok)) {
        if (tok[0] == 'n')
            count++;
        skipLine(f, line);
    }
    std::rewind(f);
    for (unsigned i = 0; i < model->materialCount; i++)
        std::free(model->materialTable[i].name);
    std::free(model->materialTable);
    model->materialCount = count;
    model->materialTable = static_cast<GlmMtlEntry*>(std::calloc(count, sizeof(GlmMtlEntry)));
    for (unsigned i = 0; i < count; i++) {
        GlmMtlEntry& m = model->materialTable[i];
        for (int k = 0; k < 3; k++) {
            m.diffuseColor[k] = 0.8f;
            m.ambientColor[k] = 0.2f;
            m.specularColor[k] = 0.0f;
            m.emissionColor[k] = 0.0f;
        }
        m.diffuseColor[3] = m.ambientColor[3] = m.specularColor[3] = m.emissionColor[3] = 1.0f;
        m.specularExponent = 65.0f;
    }
    model->materialTable[0].name = strdup("default");
    GlmMtlEntry* current = &model->materialTable[0];
    unsigned index = 0;
    while (readToken(f, tok)) {
        char second = tok.size() > 1 ? tok[1] : '\0';
        if (tok[0] == 'n') {
            std::string word = firstWord(restOfLine(f, line));
            if (index + 1 < count) {
                current = &model->materialTable[++index];
                current->name = strdup(word.c_str());
            } else {
                current = nullptr;
            }
        } else if (current && tok[0] == 'N' && second == 's') {
            float value;
            if (std::sscanf(restOfLine(f, line).c_str(), "%f", &value) == 1) {
                value = value / 1000.0f;
                value = value * 128.0f;
                current->specularExponent = value;
            }
        } else if (current && tok[0] == 'K' && (second == 'a' || second == 'd' || second == 's')) {
            float* color = second == 'a'   ? current->ambientColor
                           : second == 'd' ? current->diffuseColor
                                           : current->specularColor;
            float values[3];
            int read = std::sscanf(restOfLine(f, line).c_str(), "%f %f %f", &values[0], &values[1], &values[2]);
            for (int i = 0; i < read; i++)
                color[i] = values[i];
        } else {
            skipLine(f, line);
        }
    }
    std::fclose(f);
    return true;
}

enum Form { V, VT, VTN, VN };
const char* const FORMATS[] = {"%ld", "%ld/%ld", "%ld/%ld/%ld", "%ld//%ld"};

struct Corner {
    long v, t, n;
};

int readCorner(FILE* f, Form form, Corner& c)
{
    switch (form) {
    case V:
        return std::fscanf(f, FORMATS[V], &c.v);
    case VT:
        return std::fscanf(f, FORMATS[VT], &c.v, &c.t);
    case VTN:
        return std::fscanf(f, FORMATS[VTN], &c.v, &c.t, &c.n);
    case VN:
        return std::fscanf(f, FORMATS[VN], &c.v, &c.n);
    }
    return 0;
}

// Reads one face line after its keyword; emit(form, c0, c1, c2) per triangle.
template <class Emit>
bool readFace(FILE* f, Emit emit)
{
    std::string first;
    if (!readToken(f, first))
        first.clear();
    const char* s = first.c_str();
    Corner c{0, 0, 0};
    Form form;
    if (std::strstr(s, "//")) {
        form = VN;
        std::sscanf(s, FORMATS[VN], &c.v, &c.n);
    } else if (std::sscanf(s, FORMATS[VTN], &c.v, &c.t, &c.n) == 3) {
        form = VTN;
    } else if (std::sscanf(s, FORMATS[VT], &c.v, &c.t) == 2) {
        form = VT;
    } else {
        form = V;
        std::sscanf(s, FORMATS[V], &c.v);
    }
    Corner c0 = c;
    readCorner(f, form, c);
    Corner c1 = c;
    readCorner(f, form, c);
    Corner c2 = c;
    if (!emit(form, c0, c1, c2))
        return false;
    while (readCorner(f, form, c) > 0) {
        c1 = c2;
        c2 = c;
        if (!emit(form, c0, c1, c2))
            return false;
    }
    return true;
}

bool firstPass(GlmMesh* model, FILE* f, std::string* error)
{
    GlmFaceGroup* group = glmEnsureGroup(model, "default");
    unsigned vertices = 0, normals = 0, uvs = 0, faces = 0;
    LineBuffer line;
    std::string tok;
    while (readToken(f, tok)) {
        switch (tok[0]) {
        case 'v': {
            char second = tok.size() > 1 ? tok[1] : '\0';
            if (second == '\0')
                vertices++;
            else if (second == 'n')
                normals++;
            else if (second == 't')
                uvs++;
            else {
                *error = "glmFirstPass(): Unknown token \"" + std::string(tok.c_str()) + "\".\n";
                return false;
            }
            skipLine(f, line);
            break;
        }
        case 'm': {
            std::string word = firstWord(restOfLine(f, line));
            if (word.empty())
                break;
            std::free(model->materialLibrary);
            model->materialLibrary = strdup(word.c_str());
            if (!readMaterials(model, word, error))
                return false;
            break;
        }
        case 'g':
            group = glmEnsureGroup(model, groupName(restOfLine(f, line)).c_str());
            break;
        case 'f':
            readFace(f, [&](Form, const Corner&, const Corner&, const Corner&) {
                faces++;
                group->faceCount++;
                return true;
            });
            break;
        default:
            skipLine(f, line);
            break;
        }
    }
    model->vertexCount = vertices;
    model->normalCount = normals;
    model->uvCount = uvs;
    model->faceCount = faces;
    for (GlmFaceGroup* g = model->groupList; g; g = g->next) {
        g->faceList = g->faceCount ? static_cast<unsigned*>(std::malloc(sizeof(unsigned) * g->faceCount)) : nullptr;
        g->faceCount = 0;
    }
    return true;
}

bool resolve(long raw, unsigned readSoFar, unsigned total, unsigned& out)
{
    long long r = raw < 0 ? static_cast<long long>(readSoFar) + 1 + raw : raw;
    if (r < 1 || r > static_cast<long long>(total))
        return false;
    out = static_cast<unsigned>(r);
    return true;
}

bool fillPass(GlmMesh* model, FILE* f, std::string* error)
{
    GlmFaceGroup* group = glmGroupByName(model, "default");
    unsigned material = 0, vertices = 0, normals = 0, uvs = 0, faces = 0;
    LineBuffer line;
    std::string tok;
    auto fail = [&](const char* kind, long value) {
        long position = std::ftell(f);
        std::rewind(f);
        unsigned lineNumber = 1;
        for (long i = 0; i < position; i++)
            if (std::getc(f) == '\n')
                lineNumber++;
        char text[600];
        std::snprintf(text, sizeof text, "glmReadOBJ() failed: \"%s\" line %u: %s reference %ld is out of range.\n",
                      model->sourcePath, lineNumber, kind, value);
        *error = text;
        return false;
    };
    auto emit = [&](Form form, const Corner& a, const Corner& b, const Corner& c) {
        GlmFace& face = model->faces[faces];
        const Corner* corners[3] = {&a, &b, &c};
        for (int k = 0; k < 3; k++) {
            if (!resolve(corners[k]->v, vertices, model->vertexCount, face.vertexRefs[k]))
                return fail("vertex", corners[k]->v);
            face.uvRefs[k] = face.normalRefs[k] = 0;
            // References into an array the file never defines are absent.
            if ((form == VT || form == VTN) && model->uvCount &&
                !resolve(corners[k]->t, uvs, model->uvCount, face.uvRefs[k]))
                return fail("texture coordinate", corners[k]->t);
            if ((form == VN || form == VTN) && model->normalCount &&
                !resolve(corners[k]->n, normals, model->normalCount, face.normalRefs[k]))
                return fail("normal", corners[k]->n);
        }
        face.facetnormRef = 0;
        group->faceList[group->faceCount++] = faces++;
        return true;
    };
    while (readToken(f, tok)) {
        switch (tok[0]) {
        case 'v': {
            float x[3] = {0, 0, 0};
            std::string rest = restOfLine(f, line);
            if (tok.size() == 1 || tok[1] == '\0') {
                std::sscanf(rest.c_str(), "%f %f %f", &x[0], &x[1], &x[2]);
                std::memcpy(model->vertices + 3 * ++vertices, x, sizeof(float) * 3);
            } else if (tok[1] == 'n') {
                std::sscanf(rest.c_str(), "%f %f %f", &x[0], &x[1], &x[2]);
                std::memcpy(model->normals + 3 * ++normals, x, sizeof(float) * 3);
            } else if (tok[1] == 't') {
                std::sscanf(rest.c_str(), "%f %f", &x[0], &x[1]);
                std::memcpy(model->uvs + 2 * ++uvs, x, sizeof(float) * 2);
            }
            break;
        }
        case 'u':
            material = glmFindMaterial(model, firstWord(restOfLine(f, line)).c_str());
            group->materialIndex = material;
            break;
        case 'g':
            group = glmGroupByName(model, groupName(restOfLine(f, line)).c_str());
            group->materialIndex = material;
            break;
        case 'f':
            if (!readFace(f, emit))
                return false;
            break;
        default:
            skipLine(f, line);
            break;
        }
    }
    return true;
}

}  // namespace

GlmMesh* oracleReadOBJ(const char* path, std::string* error)
{
    FILE* f = std::fopen(path, "r");
    if (!f) {
        *error = std::string("glmReadOBJ() failed: can't open data file \"") + path + "\".\n";
        return nullptr;
    }
    auto* model = static_cast<GlmMesh*>(std::calloc(1, sizeof(GlmMesh)));
    model->sourcePath = strdup(path);
    bool ok = firstPass(model, f, error);
    if (ok) {
        model->vertices = static_cast<float*>(std::calloc(3 * (model->vertexCount + 1), sizeof(float)));
        if (model->normalCount)
            model->normals = static_cast<float*>(std::calloc(3 * (model->normalCount + 1), sizeof(float)));
        if (model->uvCount)
            model->uvs = static_cast<float*>(std::calloc(2 * (model->uvCount + 1), sizeof(float)));
        model->faces = static_cast<GlmFace*>(std::malloc(sizeof(GlmFace) * (model->faceCount ? model->faceCount : 1)));
        std::rewind(f);
        ok = fillPass(model, f, error);
    }
    std::fclose(f);
    if (!ok) {
        glmDestroy(model);
        return nullptr;
    }
    return model;
}
