// Vector helpers, group and material look-ups, release, precondition checks.
#include <cmath>
#include <cstdlib>

#include "model/glm.h"
#include "model/glm_core.h"
#include "tests/support/models.h"

namespace {

GlmMesh* parse(const std::string& text)
{
    GlmReadError error;
    GlmMesh* model = glmParseOBJ(text.data(), text.size(), "test.obj", nullptr, &error);
    EXPECT_TRUE(model) << error.message;
    return model;
}

TEST(GlmVectors, HelpersFollowTheirDefinitions)
{
    EXPECT_EQ(glmLarger(2, 3), 3);
    EXPECT_EQ(glmLarger(3, 2), 3);
    float z = glmAbsolute(-0.0f);
    EXPECT_TRUE(std::signbit(z));  // strict comparison with 0 keeps -0
    EXPECT_EQ(glmAbsolute(-2.5f), 2.5f);
    const float u[3] = {1, 2, 3}, v[3] = {4, 5, 6};
    EXPECT_EQ(glmDotProduct(u, v), 32);
    float n[3];
    glmCrossProduct(u, v, n);
    EXPECT_EQ(n[0], -3);
    EXPECT_EQ(n[1], 6);
    EXPECT_EQ(n[2], -3);
    float w[3] = {3, 0, 4};
    glmMakeUnit(w);
    EXPECT_FLOAT_EQ(w[0], 0.6f);
    EXPECT_FLOAT_EQ(w[2], 0.8f);
    float zero[3] = {0, 0, 0};
    glmMakeUnit(zero);  // left as it is, no NaN
    EXPECT_EQ(zero[0], 0);
    EXPECT_EQ(zero[1], 0);
    EXPECT_EQ(zero[2], 0);
}

TEST(GlmVectors, NearlyEqualIsStrictOnEachAxis)
{
    const float a[3] = {0, 0, 0}, b[3] = {0.5f, 0.25f, 0}, c[3] = {0.5f, 0.25f, 0.5f};
    EXPECT_TRUE(glmNearlyEqual(a, b, 0.6f));
    EXPECT_FALSE(glmNearlyEqual(a, b, 0.5f));  // difference exactly epsilon
    EXPECT_FALSE(glmNearlyEqual(a, c, 0.5f));
}

TEST(GlmGroups, NamesCompareByteForByteAndNewGroupsGoFirst)
{
    GlmMesh* model = parse("v 0 0 0\nf 1 1 1\ng wheel\nf 1 1 1\n");
    ASSERT_TRUE(model);
    EXPECT_TRUE(glmGroupByName(model, " wheel"));
    EXPECT_FALSE(glmGroupByName(model, "wheel"));
    GlmFaceGroup* created = glmEnsureGroup(model, "wheel");
    EXPECT_EQ(model->groupList, created);
    EXPECT_EQ(model->groupCount, 3u);
    EXPECT_EQ(created->faceCount, 0u);
    EXPECT_EQ(created->materialIndex, 0u);
    EXPECT_EQ(glmEnsureGroup(model, " wheel"), glmGroupByName(model, " wheel"));
    EXPECT_EQ(model->groupCount, 3u);
    glmDestroy(model);
}

TEST(GlmMaterials, LookUpFindsTheLowestIndexOrPrintsAndGivesDefault)
{
    GlmMesh* model = parse("v 0 0 0\n");
    ASSERT_TRUE(model);
    std::string out = captureStdout([&] { EXPECT_EQ(glmFindMaterial(model, "red"), 0u); });
    EXPECT_EQ(out, "glmFindMaterial():  can't find material \"red\".\n");
    const char mtl[] = "newmtl red\nnewmtl blue\nnewmtl red\n";
    glmParseMTL(model, mtl, sizeof mtl - 1);
    EXPECT_EQ(glmFindMaterial(model, "red"), 1u);
    EXPECT_EQ(glmFindMaterial(model, "blue"), 2u);
    EXPECT_EQ(glmFindMaterial(model, "default"), 0u);
    glmDestroy(model);
}

TEST(GlmDestroy, ReleasesAModelWithoutOptionalArrays)
{
    auto* model = static_cast<GlmMesh*>(std::calloc(1, sizeof(GlmMesh)));
    model->vertices = static_cast<float*>(std::malloc(3 * sizeof(float)));
    glmEnsureGroup(model, "default");
    glmDestroy(model);  // the sanitizer build checks nothing leaks
}

TEST(GlmChecksDeathTest, PreconditionsStopWithTheExpression)
{
    EXPECT_DEATH(glmDestroy(nullptr), "glm:[0-9]+: .*Assertion `model' failed");
    EXPECT_DEATH(glmGroupByName(nullptr, "x"), "Assertion `model' failed");
    const float u[3] = {0, 0, 0};
    EXPECT_DEATH(glmCrossProduct(u, u, nullptr), "Assertion `n' failed");
    EXPECT_DEATH(glmDotProduct(nullptr, u), "Assertion `u' failed");
    EXPECT_DEATH(glmMakeUnit(nullptr), "Assertion `v' failed");
    EXPECT_DEATH(glmWriteOBJ(nullptr, "/dev/null", MODE_PLAIN), "Assertion `model' failed");
}

}  // namespace
