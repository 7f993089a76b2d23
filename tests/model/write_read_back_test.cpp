// Every file the writer writes, the reader reads back: random models (faces
// of every form mixed in one model, references into arrays the text never
// defines, kept statements) written in every mode and read again.  Counts
// and references must come back as written, each face in the form its own
// references allow, and every number as its "%f" text reads.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "model/glm.h"
#include "model/glm_core.h"
#include "tests/support/files.h"
#include "tests/support/models.h"

namespace {

// The float a "%f" line of the writer reads back as.
float asWritten(float value)
{
    char text[400];
    std::snprintf(text, sizeof text, "%f", value);
    return std::strtof(text, nullptr);
}

// Entries 1..count of `width` floats each, every one as its "%f" text.
void expectWrittenFloats(const float* original, const float* back, unsigned count, unsigned width, const char* what)
{
    for (unsigned i = width; i < width * (count + 1); i++) {
        const float want = asWritten(original[i]);
        ASSERT_TRUE(back[i] == want || (std::isnan(back[i]) && std::isnan(want)))
            << what << " float " << i << ": " << back[i] << " != " << want;
    }
}

template <typename Run>
const Run* runOf(const Run* runs, unsigned count, unsigned face)
{
    const Run* found = nullptr;
    for (unsigned i = 0; i < count && runs[i].firstFace <= face; i++)
        found = &runs[i];
    return found;
}

bool allSet(const unsigned* refs) { return refs[0] && refs[1] && refs[2]; }

// A random model: the shared random OBJ text, now and then with a coloured
// vertex and points, and, half the time, facet normals of which some faces
// lose theirs.
GlmMesh* randomModel(std::mt19937& rng, const MtlTexts& texts)
{
    std::string text = randomObj(rng, true, false) + "\n";
    if (rng() % 2)
        text += "v 0.5 0.25 1 0.1 0.2 0.3\np 1 -1\n";
    GlmReadOptions options;
    options.threads = 1;
    options.loadMaterials = loadMtlTexts;
    options.loaderContext = const_cast<MtlTexts*>(&texts);
    GlmReadError error;
    GlmMesh* model = glmParseOBJ(text.data(), text.size(), "random.obj", &options, &error);
    EXPECT_TRUE(model) << error.message << text;
    if (model && model->faceCount && rng() % 2) {
        glmFaceNormals(model);
        for (unsigned i = 0; i < model->faceCount; i++)
            if (rng() % 4 == 0)
                model->faces[i].facetnormRef = 0;
    }
    return model;
}

void expectReadBack(const GlmMesh* m, const GlmMesh* back, unsigned mode)
{
    const bool smooth = (mode & MODE_SMOOTH) && m->normals;
    const bool flat = (mode & MODE_FLAT) && m->facetnorms && !smooth;
    const bool texture = (mode & MODE_TEXTURE) && m->uvs;
    const bool material = (mode & MODE_MATERIAL) && m->materialTable;
    const bool keepAll = mode & MODE_KEEP_ALL;

    ASSERT_EQ(back->vertexCount, m->vertexCount);
    expectWrittenFloats(m->vertices, back->vertices, m->vertexCount, 3, "vertex");
    const unsigned normalCount = smooth ? m->normalCount : flat ? m->facetnormCount : 0;
    ASSERT_EQ(back->normalCount, normalCount);
    if (normalCount)
        expectWrittenFloats(smooth ? m->normals : m->facetnorms, back->normals, normalCount, 3, "normal");
    ASSERT_EQ(back->uvCount, texture ? m->uvCount : 0);
    if (texture && m->uvCount)
        expectWrittenFloats(m->uvs, back->uvs, m->uvCount, 2, "uv");

    // Faces come back in the order they were written, group by group; a
    // group named NAME comes back as " NAME" (the blank after "g" stays).
    ASSERT_EQ(back->faceCount, m->faceCount);
    std::map<std::string, const GlmFaceGroup*> backGroups;
    for (const GlmFaceGroup* g = back->groupList; g; g = g->next)
        backGroups[g->name] = g;
    unsigned written = 0;
    for (const GlmFaceGroup* g = m->groupList; g; g = g->next) {
        const GlmFaceGroup* found = backGroups[" " + std::string(g->name)];
        ASSERT_TRUE(found) << "group \"" << g->name << "\"";
        ASSERT_EQ(found->faceCount, g->faceCount) << g->name;
        if (material) {
            EXPECT_STREQ(back->materialTable[found->materialIndex].name, m->materialTable[g->materialIndex].name);
        }
        for (unsigned k = 0; k < g->faceCount; k++, written++) {
            ASSERT_EQ(found->faceList[k], written);
            const GlmFace& a = m->faces[g->faceList[k]];
            const GlmFace& b = back->faces[written];
            const unsigned facet[3] = {a.facetnormRef, a.facetnormRef, a.facetnormRef};
            const unsigned* normals = smooth ? a.normalRefs : facet;
            const bool withUvs = texture && allSet(a.uvRefs), withNormals = (smooth || flat) && allSet(normals);
            for (int c = 0; c < 3; c++) {
                ASSERT_EQ(b.vertexRefs[c], a.vertexRefs[c]) << "face " << written;
                ASSERT_EQ(b.uvRefs[c], withUvs ? a.uvRefs[c] : 0u) << "face " << written;
                ASSERT_EQ(b.normalRefs[c], withNormals ? normals[c] : 0u) << "face " << written;
            }
            if (keepAll) {
                // An object is never ended in OBJ: a face outside any object
                // may come back inside the one written before it.
                const GlmObjectRun* object = runOf(m->objectRuns, m->objectRunCount, g->faceList[k]);
                const GlmObjectRun* backObject = runOf(back->objectRuns, back->objectRunCount, written);
                if (object) {
                    ASSERT_TRUE(backObject);
                    EXPECT_STREQ(backObject->name, object->name);
                }
                const GlmSmoothingRun* run = runOf(m->smoothingRuns, m->smoothingRunCount, g->faceList[k]);
                const GlmSmoothingRun* backRun = runOf(back->smoothingRuns, back->smoothingRunCount, written);
                EXPECT_EQ(backRun ? backRun->group : 0, run ? run->group : 0) << "face " << written;
            }
        }
    }

    if (!keepAll) {
        EXPECT_FALSE(back->colors || back->objectRuns || back->smoothingRuns || back->lines || back->pointVertexRefs);
        return;
    }
    ASSERT_EQ(back->colors != nullptr, m->colors != nullptr);
    if (m->colors)
        expectWrittenFloats(m->colors, back->colors, m->vertexCount, 3, "colour");
    ASSERT_EQ(back->lineCount, m->lineCount);
    ASSERT_EQ(back->lineRefCount, m->lineRefCount);
    for (unsigned i = 0; i < m->lineCount; i++) {
        const GlmPolyline& line = m->lines[i];
        EXPECT_EQ(back->lines[i].first, line.first);
        ASSERT_EQ(back->lines[i].count, line.count);
        bool withUvs = texture && m->lineUvRefs;
        for (unsigned k = 0; withUvs && k < line.count; k++)
            withUvs = m->lineUvRefs[line.first + k] != 0;
        for (unsigned k = line.first; k < line.first + line.count; k++) {
            EXPECT_EQ(back->lineVertexRefs[k], m->lineVertexRefs[k]);
            EXPECT_EQ(back->lineUvRefs ? back->lineUvRefs[k] : 0, withUvs ? m->lineUvRefs[k] : 0);
        }
    }
    ASSERT_EQ(back->pointCount, m->pointCount);
    for (unsigned i = 0; i < m->pointCount; i++)
        EXPECT_EQ(back->pointVertexRefs[i], m->pointVertexRefs[i]);
}

TEST(GlmWriteReadBack, RandomModelsReadBackInEveryMode)
{
    TempDir dir;
    const std::string path = dir.file("out.obj");
    GlmMessageHandler previous = glmSetMessageHandler([](FILE*, const char*, void*) {}, nullptr);
    std::mt19937 rng(27);
    unsigned mixedUvs = 0, mixedNormals = 0;
    for (int round = 0; round < 40 && !testing::Test::HasFatalFailure(); round++) {
        MtlTexts texts;
        texts.others = std::string_view();
        std::string library = randomMtl(rng);
        texts.byName["lib.mtl"] = library;
        GlmMesh* model = randomModel(rng, texts);
        if (!model)
            break;
        unsigned withUvs = 0, withNormals = 0;
        for (unsigned i = 0; i < model->faceCount; i++) {
            withUvs += allSet(model->faces[i].uvRefs);
            withNormals += allSet(model->faces[i].normalRefs);
        }
        mixedUvs += model->uvs && withUvs && withUvs < model->faceCount;
        mixedNormals += model->normals && withNormals && withNormals < model->faceCount;
        for (unsigned mode = 0; mode < 128 && !testing::Test::HasFatalFailure(); mode++) {
            if (mode & (MODE_COLOR | MODE_OUTLINE))
                continue;
            SCOPED_TRACE("round " + std::to_string(round) + ", mode " + std::to_string(mode));
            GlmWriteOptions options;
            options.sync = false;
            GlmWriteError error;
            ASSERT_TRUE(glmSaveOBJ(model, path.c_str(), mode, &options, &error)) << error.message;
            GlmReadError readError;
            GlmMesh* back = glmLoadOBJ(path.c_str(), nullptr, &readError);
            ASSERT_TRUE(back) << readError.message << readFile(path);
            expectReadBack(model, back, mode);
            glmDestroy(back);
        }
        glmDestroy(model);
    }
    glmSetMessageHandler(previous, nullptr);
    // The cases this is about did come up.
    EXPECT_GT(mixedUvs, 5u);
    EXPECT_GT(mixedNormals, 5u);
}

// The smallest cases, by their text: a face without texture coordinates
// or normals in a model whose other faces have them.
TEST(GlmWriteReadBack, FacesWithoutSomeReferencesTakeTheShorterForm)
{
    TempDir dir;
    writeFile(dir.file("in.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\n"
                                  "f 1/1/1 2/1/1 3/1/1\nf 1 2 3\nf 1/1 2/1 3/1\nf 1//1 2//1 3//1\n");
    GlmMesh* model = glmReadOBJ(dir.file("in.obj").c_str());
    const std::string out = dir.file("out.obj");
    glmWriteOBJ(model, out.c_str(), MODE_SMOOTH | MODE_TEXTURE);
    EXPECT_NE(readFile(out).find("f 1/1/1 2/1/1 3/1/1\nf 1 2 3\nf 1/1 2/1 3/1\nf 1//1 2//1 3//1\n"), std::string::npos)
        << readFile(out);
    glmFaceNormals(model);
    model->faces[1].facetnormRef = 0;
    glmWriteOBJ(model, out.c_str(), MODE_FLAT | MODE_TEXTURE);
    EXPECT_NE(readFile(out).find("f 1/1/1 2/1/1 3/1/1\nf 1 2 3\nf 1/1/3 2/1/3 3/1/3\nf 1//4 2//4 3//4\n"),
              std::string::npos)
        << readFile(out);
    glmDestroy(model);
}

}  // namespace
