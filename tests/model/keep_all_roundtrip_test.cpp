// Nothing lost in a round trip: every model of the hand-written corpus
// (tests/data/models) is read, written with MODE_KEEP_ALL in every mode,
// read back and compared — what the mode writes and everything the model
// keeps (objects, smoothing groups, lines, points, colours, material
// statements) — and writing the read-back model again gives the same text
// (once the group order, which every reading reverses, is back).
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "model/glm.h"
#include "model/glm_core.h"
#include "tests/support/models.h"

namespace {

// Faces in the order the writer puts them out: group by group from the head.
std::vector<unsigned> writtenOrder(const GlmMesh* m)
{
    std::vector<unsigned> order;
    for (const GlmFaceGroup* g = m->groupList; g; g = g->next)
        order.insert(order.end(), g->faceList, g->faceList + g->faceCount);
    return order;
}

template <typename Run>
const Run* runOf(const Run* runs, unsigned count, unsigned face)
{
    const Run* found = nullptr;
    for (unsigned i = 0; i < count && runs[i].firstFace <= face; i++)
        found = &runs[i];
    return found;
}

std::string objectOf(const GlmMesh* m, unsigned face)
{
    const GlmObjectRun* run = runOf(m->objectRuns, m->objectRunCount, face);
    return run ? run->name : "";
}

unsigned smoothingOf(const GlmMesh* m, unsigned face)
{
    const GlmSmoothingRun* run = runOf(m->smoothingRuns, m->smoothingRunCount, face);
    return run ? run->group : 0;
}

// Written with "%f": six decimals.
void expectNear(const float* a, const float* b, unsigned count, const char* what)
{
    for (unsigned i = 0; i < count; i++)
        ASSERT_NEAR(a[i], b[i], 5e-7f) << what << " " << i;
}

std::vector<unsigned> refs(const unsigned* a, unsigned count)
{
    return a ? std::vector<unsigned>(a, a + count) : std::vector<unsigned>();
}

// What the corpus files hold, counted by hand from their text.
struct Expected {
    const char* file;
    unsigned objects, smoothingRuns, lines, lineRefs, points;
    bool colours;
};

const Expected CORPUS[] = {
    {"kitchen_sink.obj", 2, 3, 2, 6, 3, true},
    {"lines_and_points.obj", 0, 0, 2, 7, 3, false},
    {"textured.obj", 0, 0, 0, 0, 0, false},
    {"freeform.obj", 0, 0, 0, 0, 0, false},
};

class KeepAllRoundTrip : public testing::TestWithParam<Expected> {};

TEST_P(KeepAllRoundTrip, ReadsBackWhatEachModeWritesAndEverythingKept)
{
    const Expected& expected = GetParam();
    TempDir dir;
    for (const auto& entry : std::filesystem::directory_iterator(testDataDir() / "models"))
        std::filesystem::copy(entry.path(), dir.path / entry.path().filename());
    GlmMesh* model = glmReadOBJ(dir.file(expected.file).c_str());
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->objectRunCount, expected.objects);
    EXPECT_EQ(model->smoothingRunCount, expected.smoothingRuns);
    EXPECT_EQ(model->lineCount, expected.lines);
    EXPECT_EQ(model->lineRefCount, expected.lineRefs);
    EXPECT_EQ(model->pointCount, expected.points);
    EXPECT_EQ(model->colors != nullptr, expected.colours);
    if (model->faceCount > 0)
        glmFaceNormals(model);

    const unsigned modes[] = {
        MODE_PLAIN,
        MODE_FLAT,
        MODE_SMOOTH,
        MODE_TEXTURE,
        MODE_SMOOTH | MODE_TEXTURE,
        MODE_FLAT | MODE_TEXTURE,
        MODE_MATERIAL,
        MODE_SMOOTH | MODE_TEXTURE | MODE_MATERIAL,
    };
    const std::vector<unsigned> order = writtenOrder(model);
    for (unsigned mode : modes) {
        SCOPED_TRACE("mode " + std::to_string(mode));
        const std::string folder = dir.file("m" + std::to_string(mode));
        std::filesystem::create_directory(folder);
        GlmWriteError error{};
        std::string printed;
        bool saved = false;
        printed = captureStdout(
            [&] { saved = glmSaveOBJ(model, (folder + "/out.obj").c_str(), mode | MODE_KEEP_ALL, nullptr, &error); });
        ASSERT_TRUE(saved) << error.message;
        const unsigned kept = mode & (model->normals ? ~0u : ~MODE_SMOOTH) & (model->uvs ? ~0u : ~MODE_TEXTURE) &
                              (model->materialTable ? ~0u : ~MODE_MATERIAL);
        GlmMesh* back = glmReadOBJ((folder + "/out.obj").c_str());

        // Positions and colours.
        ASSERT_EQ(back->vertexCount, model->vertexCount);
        expectNear(back->vertices + 3, model->vertices + 3, 3 * model->vertexCount, "vertex");
        ASSERT_EQ(back->colors != nullptr, model->colors != nullptr);
        if (model->colors)
            expectNear(back->colors + 3, model->colors + 3, 3 * model->vertexCount, "colour");

        // Faces, in the order written, with what the mode writes, and the
        // object and smoothing group of each.
        ASSERT_EQ(back->faceCount, model->faceCount);
        for (unsigned i = 0; i < order.size(); i++) {
            const GlmFace &a = model->faces[order[i]], &b = back->faces[i];
            EXPECT_EQ(refs(b.vertexRefs, 3), refs(a.vertexRefs, 3)) << i;
            if ((kept & MODE_TEXTURE) != 0) {
                EXPECT_EQ(refs(b.uvRefs, 3), refs(a.uvRefs, 3)) << i;
            }
            if ((kept & MODE_SMOOTH) != 0) {
                EXPECT_EQ(refs(b.normalRefs, 3), refs(a.normalRefs, 3)) << i;
            }
            EXPECT_EQ(objectOf(back, i), objectOf(model, order[i])) << i;
            EXPECT_EQ(smoothingOf(back, i), smoothingOf(model, order[i])) << i;
        }

        // Lines and points; the lines' texture references go out with the
        // texture coordinates.
        ASSERT_EQ(back->lineCount, model->lineCount);
        ASSERT_EQ(back->lineRefCount, model->lineRefCount);
        for (unsigned i = 0; i < model->lineCount; i++)
            EXPECT_EQ(back->lines[i].count, model->lines[i].count);
        EXPECT_EQ(refs(back->lineVertexRefs, back->lineRefCount), refs(model->lineVertexRefs, model->lineRefCount));
        if ((kept & MODE_TEXTURE) != 0) {
            EXPECT_EQ(refs(back->lineUvRefs, back->lineRefCount), refs(model->lineUvRefs, model->lineRefCount));
        }
        EXPECT_EQ(refs(back->pointVertexRefs, back->pointCount), refs(model->pointVertexRefs, model->pointCount));

        // Materials: the written "default" reads back as entry 1.
        if ((kept & MODE_MATERIAL) != 0) {
            ASSERT_EQ(back->materialCount, model->materialCount + 1);
            for (unsigned i = 0; i < model->materialCount; i++) {
                const GlmMtlEntry &a = model->materialTable[i], &b = back->materialTable[i + 1];
                EXPECT_STREQ(b.name, a.name);
                EXPECT_STREQ(b.keptStatements ? b.keptStatements : "", a.keptStatements ? a.keptStatements : "");
                expectNear(b.diffuseColor, a.diffuseColor, 3, "diffuse");
                expectNear(b.ambientColor, a.ambientColor, 3, "ambient");
                expectNear(b.specularColor, a.specularColor, 3, "specular");
            }
        }

        // Written again, the text is the same but for the groups the
        // reader adds and their order: each reading reverses the order of
        // the groups (the newest is the head of the list, and the writer
        // starts there), so the text comes back after two round trips.
        GlmMesh* current = back;
        std::string text;
        for (const char* again : {"/again", "/again/again"}) {
            if (current->faceCount > 0)
                glmFaceNormals(current);
            std::filesystem::create_directory(folder + again);
            const std::string path = folder + again + "/out.obj";
            captureStdout([&] { saved = glmSaveOBJ(current, path.c_str(), mode | MODE_KEEP_ALL, nullptr, &error); });
            ASSERT_TRUE(saved) << error.message;
            text = readFile(path);
            if (current != back)
                glmDestroy(current);
            current = glmReadOBJ(path.c_str());
        }
        glmDestroy(current);
        EXPECT_EQ(objTextWithoutGroups(text), objTextWithoutGroups(readFile(folder + "/out.obj")));
        glmDestroy(back);
    }
    glmDestroy(model);
}

INSTANTIATE_TEST_SUITE_P(Corpus, KeepAllRoundTrip, testing::ValuesIn(CORPUS),
                         [](const testing::TestParamInfo<Expected>& info) {
                             std::string name = info.param.file;
                             name = name.substr(0, name.find('.'));
                             return name;
                         });

// The free-form statements are counted, once per keyword in the order each
// first appears; everything kept is not.
TEST(KeepAllSkipped, FreeFormStatementsAreCountedByKeyword)
{
    std::string text = readFile(testDataDir() / "models" / "freeform.obj");
    std::vector<std::pair<std::string, unsigned long>> told;
    GlmReadOptions options;
    options.countSkipped = [](const char* keyword, std::size_t length, unsigned long count, void* context) {
        static_cast<std::vector<std::pair<std::string, unsigned long>>*>(context)->push_back(
            {std::string(keyword, length), count});
    };
    options.skipContext = &told;
    GlmReadError error{};
    GlmMesh* m = glmParseOBJ(text.data(), text.size(), "freeform.obj", &options, &error);
    ASSERT_NE(m, nullptr) << error.message;
    EXPECT_EQ(told, (std::vector<std::pair<std::string, unsigned long>>{
                        {"cstype", 1}, {"deg", 1}, {"curv", 2}, {"parm", 2}, {"end", 2}}));
    glmDestroy(m);
}

}  // namespace
