// Fuzz target: the OBJ reading core with its material library, then every
// geometry operation and the writer on the model that loaded.
//
// Input: the OBJ text, a NUL byte, then the text of the material library
// that every "mtllib" line gets.  Without a NUL byte there is no library and
// an "mtllib" line fails the read as an unopenable file would.
//
// Checks beyond the sanitizers:
// - every reference of the model read lies within its array;
// - the threaded reader, cut into tiny chunks, builds exactly the model the
//   one-thread reader builds (or fails the same way);
// - the file the writer makes from a processed model reads back with the
//   same number of triangles.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "model/glm.h"
#include "model/glm_core.h"

namespace {

struct MtlSource {
    const char* text;
    std::size_t size;
    bool present;
};

bool loadMaterials(GlmMesh* model, const char* name, void* context, GlmReadError* error) {
    auto* source = static_cast<MtlSource*>(context);
    if (!source->present) {
        error->kind = GLM_READ_MATERIAL_FILE;
        std::snprintf(error->message, sizeof error->message,
                      "glmReadMTL() failed: can't open material file \"%s\".\n", name);
        return false;
    }
    glmParseMTL(model, source->text, source->size);
    return true;
}

bool sameText(const char* a, const char* b) { return (!a && !b) || (a && b && std::strcmp(a, b) == 0); }

// Entries 1..count of a 1-based array of `width` floats, bit for bit.
bool sameEntries(const float* a, const float* b, unsigned count, unsigned width) {
    if (!count) return true;
    if (!a || !b) return false;
    return std::memcmp(a + width, b + width, sizeof(float) * width * count) == 0;
}

bool sameModel(const GlmMesh* a, const GlmMesh* b) {
    if (a->vertexCount != b->vertexCount || a->normalCount != b->normalCount || a->uvCount != b->uvCount ||
        a->faceCount != b->faceCount || a->materialCount != b->materialCount || a->groupCount != b->groupCount ||
        !sameText(a->materialLibrary, b->materialLibrary))
        return false;
    if (!sameEntries(a->vertices, b->vertices, a->vertexCount, 3) ||
        !sameEntries(a->normals, b->normals, a->normalCount, 3) || !sameEntries(a->uvs, b->uvs, a->uvCount, 2))
        return false;
    for (unsigned i = 0; i < a->faceCount; ++i) {
        const GlmFace& f = a->faces[i];
        const GlmFace& g = b->faces[i];
        if (std::memcmp(f.vertexRefs, g.vertexRefs, sizeof f.vertexRefs) ||
            std::memcmp(f.normalRefs, g.normalRefs, sizeof f.normalRefs) ||
            std::memcmp(f.uvRefs, g.uvRefs, sizeof f.uvRefs))
            return false;
    }
    for (unsigned i = 0; i < a->materialCount; ++i) {
        const GlmMtlEntry& m = a->materialTable[i];
        const GlmMtlEntry& n = b->materialTable[i];
        if (!sameText(m.name, n.name) || std::memcmp(m.diffuseColor, n.diffuseColor, sizeof m.diffuseColor) ||
            std::memcmp(m.ambientColor, n.ambientColor, sizeof m.ambientColor) ||
            std::memcmp(m.specularColor, n.specularColor, sizeof m.specularColor) ||
            std::memcmp(&m.specularExponent, &n.specularExponent, sizeof(float)))
            return false;
    }
    const GlmFaceGroup* g = a->groupList;
    const GlmFaceGroup* h = b->groupList;
    for (; g && h; g = g->next, h = h->next) {
        if (!sameText(g->name, h->name) || g->faceCount != h->faceCount || g->materialIndex != h->materialIndex ||
            (g->faceCount && std::memcmp(g->faceList, h->faceList, sizeof(unsigned) * g->faceCount)))
            return false;
    }
    return !g && !h;
}

// Every reference lies within its array (0 only for a kind the face's form
// does not carry), every group's material exists, and the groups' face lists
// name every face exactly once.
bool soundModel(const GlmMesh* m) {
    for (unsigned i = 0; i < m->faceCount; ++i) {
        const GlmFace& f = m->faces[i];
        for (int k = 0; k < 3; ++k)
            if (f.vertexRefs[k] < 1 || f.vertexRefs[k] > m->vertexCount || f.normalRefs[k] > m->normalCount ||
                f.uvRefs[k] > m->uvCount)
                return false;
    }
    std::vector<unsigned char> seen(m->faceCount, 0);
    for (const GlmFaceGroup* g = m->groupList; g; g = g->next) {
        if (m->materialTable ? g->materialIndex >= m->materialCount : g->materialIndex != 0) return false;
        for (unsigned i = 0; i < g->faceCount; ++i)
            if (g->faceList[i] >= m->faceCount || seen[g->faceList[i]]++) return false;
    }
    for (unsigned char s : seen)
        if (!s) return false;
    return true;
}

// A scratch folder for the writer, removed when the fuzzer ends.
std::filesystem::path scratch;
void removeScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(scratch, ignored);
}

// Writes the model, reads the file back and checks the triangle count.
void writeAndReread(GlmMesh* model, unsigned mode) {
    const std::string path = (scratch / "out.obj").string();
    glmWriteOBJ(model, path.c_str(), mode);
    GlmReadOptions options;
    options.threads = 1;
    GlmReadError error;
    GlmMesh* back = glmLoadOBJ(path.c_str(), &options, &error);
    if (!back) {
        std::fprintf(stderr, "written model does not read back: %s", error.message);
        std::abort();
    }
    if (back->faceCount != model->faceCount) std::abort();
    glmDestroy(back);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string pattern = (std::filesystem::temp_directory_path() / "fuzz-obj-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    scratch = pattern;
    std::atexit(removeScratch);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
    const char* text = reinterpret_cast<const char*>(data);
    const void* nul = std::memchr(data, 0, size);
    const std::size_t objSize = nul ? static_cast<const unsigned char*>(nul) - data : size;
    MtlSource mtl{nul ? text + objSize + 1 : nullptr, nul ? size - objSize - 1 : 0, nul != nullptr};

    GlmReadOptions one;
    one.threads = 1;
    one.loadMaterials = loadMaterials;
    one.loaderContext = &mtl;
    GlmReadOptions many = one;
    many.threads = 2;
    many.chunkBytes = 16;
    GlmReadError error1, error2;
    GlmMesh* model = glmParseOBJ(text, objSize, "fuzz/in.obj", &one, &error1);
    GlmMesh* twin = glmParseOBJ(text, objSize, "fuzz/in.obj", &many, &error2);
    if (!model != !twin) std::abort();
    if (!model) {
        if (error1.kind != error2.kind || error1.kind == GLM_READ_OK) std::abort();
        return 0;
    }
    if (!soundModel(model) || !sameModel(model, twin)) std::abort();
    glmDestroy(twin);

    // The library name comes from the input: write it under a fixed name
    // inside the scratch folder.
    if (model->materialLibrary) {
        std::free(model->materialLibrary);
        model->materialLibrary = static_cast<char*>(std::malloc(sizeof "out.mtl"));
        std::memcpy(model->materialLibrary, "out.mtl", sizeof "out.mtl");
    }

    float dimensions[3];
    glmExtents(model, dimensions);
    glmFaceNormals(model);
    glmVertexNormals(model, 90.0f);
    glmSphereUVs(model);
    writeAndReread(model, MODE_SMOOTH | MODE_TEXTURE | MODE_MATERIAL);
    glmVertexNormals(model, 0.0f);
    glmVertexNormals(model, 180.0f);
    glmPlanarUVs(model);
    glmFlipWinding(model);
    glmCenterAndScale(model);
    const float offset[3] = {1.0f, -2.0f, 0.5f};
    glmShift(model, offset);
    glmResize(model, 3.0f);
    glmMergeVertices(model, 0.0f);
    glmMergeVertices(model, 0.25f);
    glmVertexNormals(model, 45.0f);
    writeAndReread(model, MODE_FLAT | MODE_TEXTURE | MODE_COLOR);
    glmMergeVertices(model, 1e30f);
    writeAndReread(model, MODE_PLAIN);
    glmDestroy(model);
    return 0;
}
