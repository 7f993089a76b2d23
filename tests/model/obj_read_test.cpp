// The OBJ reader on hand-written texts: corner forms, fans, groups,
// materials, references, line breaks, and the failures.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>

#include "model/glm.h"
#include "model/glm_core.h"
#include "tests/support/obj_oracle.h"
#include "tests/support/models.h"

namespace {

using Libraries = std::map<std::string, std::string>;

struct Parsed {
    GlmMesh* model = nullptr;
    GlmReadError error{};
    Parsed(const std::string& text, Libraries libraries = {})
    {
        libs.byName = std::move(libraries);
        GlmReadOptions options;
        options.loadMaterials = loadMtlTexts;
        options.loaderContext = &libs;
        model = glmParseOBJ(text.data(), text.size(), "dir/test.obj", &options, &error);
    }
    ~Parsed()
    {
        if (model)
            glmDestroy(model);
    }
    GlmMesh* operator->() const { return model; }
    const GlmFace& face(unsigned i) const { return model->faces[i]; }
    MtlTexts libs;
};

const std::string TRIANGLE_VERTICES = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 2 0\n";

std::vector<unsigned> refs(const unsigned* r) { return {r[0], r[1], r[2]}; }
using R = std::vector<unsigned>;

TEST(GlmReadObj, FacesWithoutGroupLineGoToDefault)
{
    Parsed m(TRIANGLE_VERTICES + "f 1 2 3\nf 1 3 4\n");
    ASSERT_TRUE(m.model) << m.error.message;
    EXPECT_EQ(m->groupCount, 1u);
    EXPECT_STREQ(m->groupList->name, "default");
    EXPECT_EQ(m->groupList->faceCount, 2u);
    EXPECT_EQ(m->vertexCount, 5u);
    EXPECT_EQ(m->normals, nullptr);
    EXPECT_EQ(m->uvs, nullptr);
    EXPECT_EQ(m->materialTable, nullptr);
    EXPECT_EQ(m->facetnorms, nullptr);
    EXPECT_EQ(m->vertices[3 * 2], 1.0f);
}

TEST(GlmReadObj, PolygonsBecomeFansInOrder)
{
    Parsed m(TRIANGLE_VERTICES + "f 1 2 3 4\nf 1 2 3 4 5\n");
    ASSERT_TRUE(m.model) << m.error.message;
    ASSERT_EQ(m->faceCount, 5u);
    EXPECT_EQ(refs(m.face(0).vertexRefs), (R{1, 2, 3}));
    EXPECT_EQ(refs(m.face(1).vertexRefs), (R{1, 3, 4}));
    EXPECT_EQ(refs(m.face(2).vertexRefs), (R{1, 2, 3}));
    EXPECT_EQ(refs(m.face(3).vertexRefs), (R{1, 3, 4}));
    EXPECT_EQ(refs(m.face(4).vertexRefs), (R{1, 4, 5}));
    EXPECT_EQ(refs(m.face(4).uvRefs), (R{0, 0, 0}));  // not carried by the form
}

TEST(GlmReadObj, CornerFormsFillTheirReferences)
{
    std::string head = "v 0 0 0\nv 1 0 0\nv 1 1 0\n";
    for (int i = 0; i < 9; i++)
        head += "vt 0 0\nvn 0 0 1\n";
    Parsed m(head + "f 1/4/7 2/5/8 3/6/9\nf 1//7 2//8 3//9\nf 1/4 2/5 3/6\n");
    ASSERT_TRUE(m.model) << m.error.message;
    EXPECT_EQ(refs(m.face(0).vertexRefs), (R{1, 2, 3}));
    EXPECT_EQ(refs(m.face(0).uvRefs), (R{4, 5, 6}));
    EXPECT_EQ(refs(m.face(0).normalRefs), (R{7, 8, 9}));
    EXPECT_EQ(refs(m.face(1).normalRefs), (R{7, 8, 9}));
    EXPECT_EQ(refs(m.face(1).uvRefs), (R{0, 0, 0}));
    EXPECT_EQ(refs(m.face(2).uvRefs), (R{4, 5, 6}));
    EXPECT_EQ(refs(m.face(2).normalRefs), (R{0, 0, 0}));
}

TEST(GlmReadObj, CornerWithFewerNumbersKeepsThePreviousCornersValues)
{
    std::string head = TRIANGLE_VERTICES;
    for (int i = 0; i < 9; i++)
        head += "vt 0 0\nvn 0 0 1\n";
    Parsed m(head + "f 1/2/3 4/5 2/7/8\n");
    ASSERT_TRUE(m.model) << m.error.message;
    EXPECT_EQ(refs(m.face(0).vertexRefs), (R{1, 4, 2}));
    EXPECT_EQ(refs(m.face(0).uvRefs), (R{2, 5, 7}));
    EXPECT_EQ(refs(m.face(0).normalRefs), (R{3, 3, 8}));
}

TEST(GlmReadObj, NegativeReferencesCountBackFromTheLastRead)
{
    Parsed m("v 0 0 0\nv 1 0 0\nv 1 1 0\nvt 0 0\nvt 1 1\nf -3/-1 -2/-2 -1/-1\nv 5 5 5\nf -1 -2 -4\n");
    ASSERT_TRUE(m.model) << m.error.message;
    EXPECT_EQ(refs(m.face(0).vertexRefs), (R{1, 2, 3}));
    EXPECT_EQ(refs(m.face(0).uvRefs), (R{2, 1, 2}));
    EXPECT_EQ(refs(m.face(1).vertexRefs), (R{4, 3, 1}));
}

TEST(GlmReadObj, GroupsKeepTheBlankAndCollectBothStretches)
{
    Libraries libs{{"m.mtl", "newmtl red\nnewmtl blue\n"}};
    Parsed m("mtllib m.mtl\n" + TRIANGLE_VERTICES +
                 "f 1 2 3\ng a\nusemtl red\nf 1 2 3\ng b\nusemtl blue\nf 1 2 3\ng a\nf 1 2 3\n"
                 "g default\nf 1 2 3\n",
             libs);
    ASSERT_TRUE(m.model) << m.error.message;
    ASSERT_EQ(m->groupCount, 4u);
    GlmFaceGroup* g = m->groupList;
    EXPECT_STREQ(g->name, " default");  // the blank makes it a group of its own
    EXPECT_STREQ(g->next->name, " b");
    EXPECT_STREQ(g->next->next->name, " a");
    EXPECT_STREQ(g->next->next->next->name, "default");
    GlmFaceGroup* a = glmGroupByName(m.model, " a");
    ASSERT_EQ(a->faceCount, 2u);
    EXPECT_EQ(a->faceList[0], 1u);
    EXPECT_EQ(a->faceList[1], 3u);
    EXPECT_EQ(a->materialIndex, 2u);  // "blue" was current at its second group line
    EXPECT_EQ(glmGroupByName(m.model, " b")->materialIndex, 2u);
    EXPECT_STREQ(m->materialLibrary, "m.mtl");
}

TEST(GlmReadObj, UsemtlInMidGroupChangesTheWholeGroup)
{
    Libraries libs{{"m.mtl", "newmtl red\nnewmtl blue\n"}};
    Parsed m("mtllib m.mtl\n" + TRIANGLE_VERTICES + "g a\nusemtl red\nf 1 2 3\nusemtl blue\nf 1 2 3\n", libs);
    ASSERT_TRUE(m.model) << m.error.message;
    EXPECT_EQ(glmGroupByName(m.model, " a")->materialIndex, 2u);
    EXPECT_EQ(glmGroupByName(m.model, " a")->faceCount, 2u);
}

TEST(GlmReadObj, UnknownMaterialPrintsTheLookUpMessageAndUsesDefault)
{
    Libraries libs{{"m.mtl", "newmtl red\n"}};
    std::string out = captureStdout([&] {
        Parsed m("mtllib m.mtl\n" + TRIANGLE_VERTICES + "g a\nusemtl red\nf 1 2 3\nusemtl green\n", libs);
        ASSERT_TRUE(m.model);
        EXPECT_EQ(glmGroupByName(m.model, " a")->materialIndex, 0u);
    });
    EXPECT_EQ(out, "glmFindMaterial():  can't find material \"green\".\n");
}

TEST(GlmReadObj, LaterMaterialLibraryReplacesTheTable)
{
    Libraries libs{{"a.mtl", "newmtl red\nnewmtl blue\n"}, {"b.mtl", "newmtl green\n"}};
    Parsed m("mtllib a.mtl extra\nmtllib b.mtl\r\n" + TRIANGLE_VERTICES, libs);
    ASSERT_TRUE(m.model) << m.error.message;
    EXPECT_STREQ(m->materialLibrary, "b.mtl");
    ASSERT_EQ(m->materialCount, 2u);
    EXPECT_STREQ(m->materialTable[1].name, "green");
}

TEST(GlmReadObj, LongLinesAndCarriageReturnsBelongWhereTheyShould)
{
    std::string name(300, 'x');
    Parsed m(TRIANGLE_VERTICES + "g " + name + "\r\nf 1 2 3\r\ng plain\r\nf 1 2 3\n# " + std::string(500, 'v') +
             "\nv 1 2 3\r\n");
    ASSERT_TRUE(m.model) << m.error.message;
    EXPECT_TRUE(glmGroupByName(m.model, (" " + name).c_str()));
    EXPECT_TRUE(glmGroupByName(m.model, " plain"));
    EXPECT_EQ(m->vertexCount, 6u);
    EXPECT_EQ(m->vertices[3 * 6 + 2], 3.0f);
}

TEST(GlmReadObj, ValueLinesReadOnlyTheirOwnLine)
{
    // Missing numbers are 0; a face written after a vertex's numbers on the
    // same line is not a face, in either pass.
    Parsed m("v 1 2\nv 1 2 3 f 1 2 3\nvt 0.5\nv 4 5 6 7\n");
    ASSERT_TRUE(m.model) << m.error.message;
    EXPECT_EQ(m->vertexCount, 3u);
    EXPECT_EQ(m->faceCount, 0u);
    EXPECT_EQ(m->vertices[3 * 1 + 2], 0.0f);
    EXPECT_EQ(m->uvs[2 * 1 + 1], 0.0f);
    EXPECT_EQ(m->vertices[3 * 3 + 2], 6.0f);
}

TEST(GlmReadObj, ReferencesOutsideTheArraysAreRefused)
{
    struct Case {
        const char* face;
        const char* message;
    } cases[] = {
        {"f 0 1 2", "line 6: vertex reference 0 is out of range"},
        {"f 1 2 6", "line 6: vertex reference 6 is out of range"},
        {"f -6 1 2", "line 6: vertex reference -6 is out of range"},
        {"vt 0 0\nf 1/1 2/2 3/2", "line 7: texture coordinate reference 2 is out of range"},
        {"vn 0 0 1\nf 1//1 2//1 3//-2", "line 7: normal reference -2 is out of range"},
        {"f 1 2 99999999999999999999999", "vertex reference 9223372036854775807 is out of range"},
    };
    for (const Case& c : cases) {
        Parsed m(TRIANGLE_VERTICES + c.face + "\n");
        EXPECT_FALSE(m.model) << c.face;
        EXPECT_EQ(m.error.kind, GLM_READ_BAD_REFERENCE);
        EXPECT_NE(std::string(m.error.message).find(c.message), std::string::npos) << m.error.message;
        EXPECT_NE(std::string(m.error.message).find("\"dir/test.obj\""), std::string::npos);
    }
}

// Faces naming texture coordinates or normals in a file that has none: the
// references are absent, with one warning naming the file and first line.
TEST(GlmReadObj, ReferencesIntoArraysTheFileNeverDefinesAreAbsent)
{
    TempDir dir;
    struct Case {
        const char* text;
        const char* warning;
        unsigned uvRef;  // the texture reference the faces keep
    } cases[] = {
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/1/1 2/2/2 3/3/3\n",
         "line 4: the file defines no texture coordinates; references to them are read as absent", 0},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\n# note\nf 1//1 2//2 3//3\nf 1//-1 2//5 3//9\n",
         "line 5: the file defines no normals", 0},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nvt 0 0\nf 1/1/1 2/1/2 3/1/3\nf 1/1/1 2/1/1 3/1/1\n",
         "line 5: the file defines no normals", 1},
    };
    for (const Case& c : cases) {
        std::string path = dir.file("absent.obj");
        writeFile(path, c.text);
        GlmReadOptions options;
        GlmReadError error;
        testing::internal::CaptureStderr();
        GlmMesh* model = glmLoadOBJ(path.c_str(), &options, &error);
        std::string warnings = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(model) << c.text << error.message;
        EXPECT_EQ(std::count(warnings.begin(), warnings.end(), '\n'), 1) << warnings;
        EXPECT_NE(warnings.find("glmReadOBJ() warning: \"" + path + "\" " + c.warning), std::string::npos) << warnings;
        EXPECT_EQ(model->normals, nullptr);
        for (unsigned i = 0; i < model->faceCount; i++) {
            EXPECT_EQ(refs(model->faces[i].vertexRefs), (R{1, 2, 3}));
            EXPECT_EQ(refs(model->faces[i].uvRefs), (R{c.uvRef, c.uvRef, c.uvRef}));
            EXPECT_EQ(refs(model->faces[i].normalRefs), (R{0, 0, 0}));
        }
        glmDestroy(model);
    }
    // The file-level reader carries on, and writing the model in any mode
    // gives a file that reads back to the same triangle without a warning.
    std::string path = dir.file("absent.obj");
    writeFile(path, cases[0].text);
    EXPECT_EXIT(
        {
            GlmMesh* model = glmReadOBJ(path.c_str());
            const bool read = model && model->faceCount == 1;
            // Released first: the leak check of the sanitizer build would
            // otherwise change the child's exit status.
            if (model)
                glmDestroy(model);
            std::exit(read ? 0 : 2);
        },
        testing::ExitedWithCode(0), "line 4: the file defines no texture coordinates");
    GlmMesh* model = nullptr;
    testing::internal::CaptureStderr();
    model = glmReadOBJ(path.c_str());
    testing::internal::GetCapturedStderr();
    for (unsigned mode = 0; mode < 64; mode++) {
        std::string out = dir.file("out.obj");
        captureStdout([&] { glmWriteOBJ(model, out.c_str(), mode); });
        testing::internal::CaptureStderr();
        GlmMesh* back = glmReadOBJ(out.c_str());
        EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << mode;
        ASSERT_EQ(back->faceCount, 1u) << mode;
        ASSERT_EQ(back->vertexCount, 3u);
        EXPECT_EQ(std::memcmp(back->vertices, model->vertices, 4 * 3 * sizeof(float)), 0) << mode;
        EXPECT_EQ(back->uvs, nullptr);
        EXPECT_EQ(back->normals, nullptr);
        EXPECT_EQ(std::memcmp(&back->faces[0], &model->faces[0], sizeof(GlmFace)), 0) << mode;
        glmDestroy(back);
    }
    glmDestroy(model);
}

TEST(GlmReadObj, UnknownVKeywordIsRefused)
{
    Parsed m(TRIANGLE_VERTICES + "vp 1 2\n");
    EXPECT_FALSE(m.model);
    EXPECT_EQ(m.error.kind, GLM_READ_UNKNOWN_TOKEN);
    EXPECT_STREQ(m.error.message, "glmFirstPass(): Unknown token \"vp\".\n");
}

TEST(GlmReadObjDeathTest, FileLevelFailuresEndTheProcessWithStatusOne)
{
    TempDir dir;
    EXPECT_EXIT(glmReadOBJ(dir.file("none.obj").c_str()), testing::ExitedWithCode(1),
                "glmReadOBJ\\(\\) failed: can't open data file \".*none.obj\"\\.");
    writeFile(dir.file("vp.obj"), "v 1 2 3\nvp 1 2\n");
    EXPECT_EXIT(glmReadOBJ(dir.file("vp.obj").c_str()), testing::ExitedWithCode(1), "");
    writeFile(dir.file("bad.obj"), "v 1 2 3\nf 1 1 2\n");
    EXPECT_EXIT(glmReadOBJ(dir.file("bad.obj").c_str()), testing::ExitedWithCode(1),
                "bad.obj\" line 2: vertex reference 2 is out of range");
    writeFile(dir.file("lib.obj"), "mtllib missing.mtl\n");
    EXPECT_EXIT(glmReadOBJ(dir.file("lib.obj").c_str()), testing::ExitedWithCode(1),
                "glmReadMTL\\(\\) failed: can't open material file \".*/missing.mtl\"\\.");
}

TEST(GlmReadObj, FileReaderFindsTheLibraryBesideTheModel)
{
    TempDir dir;
    writeFile(dir.file("car.mtl"), "newmtl paint\nKd 1 0 0\n");
    writeFile(dir.file("car.obj"), "mtllib car.mtl\nv 0 0 0\ng body\nusemtl paint\nf 1 1 1\n");
    GlmMesh* model = glmReadOBJ(dir.file("car.obj").c_str());
    ASSERT_EQ(model->materialCount, 2u);
    EXPECT_EQ(model->materialTable[1].diffuseColor[0], 1.0f);
    EXPECT_EQ(glmGroupByName(model, " body")->materialIndex, 1u);
    EXPECT_EQ(model->placement[0], 0.0f);
    glmDestroy(model);
}

TEST(GlmReadObj, StreamPassesGiveTheSameModel)
{
    TempDir dir;
    std::mt19937 rng(7);
    writeFile(dir.file("lib.mtl"), randomMtl(rng));
    writeFile(dir.file("m.obj"), randomObj(rng, true, false));
    std::string path = dir.file("m.obj");
    GlmMesh* whole = glmReadOBJ(path.c_str());
    auto* model = static_cast<GlmMesh*>(std::calloc(1, sizeof(GlmMesh)));
    model->sourcePath = strdup(path.c_str());
    FILE* file = std::fopen(path.c_str(), "r");
    glmFirstPass(model, file);
    model->vertices = static_cast<float*>(std::calloc(3 * (model->vertexCount + 1), sizeof(float)));
    if (model->normalCount)
        model->normals = static_cast<float*>(std::calloc(3 * (model->normalCount + 1), 4));
    if (model->uvCount)
        model->uvs = static_cast<float*>(std::calloc(2 * (model->uvCount + 1), 4));
    model->faces = static_cast<GlmFace*>(std::calloc(model->faceCount + 1, sizeof(GlmFace)));
    std::rewind(file);
    captureStdout([&] { glmFillPass(model, file); });
    std::fclose(file);
    EXPECT_EQ(modelDifference(whole, model), "");
    glmDestroy(whole);
    glmDestroy(model);
}

}  // namespace
