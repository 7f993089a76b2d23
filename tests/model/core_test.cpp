// The core without process exits: models a caller built wrong come back as
// GLM_BAD_MODEL naming the first reference outside its array, the model
// untouched, where the glm.h operations stop as a failed check does.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "model/glm.h"
#include "model/glm_core.h"
#include "tests/support/files.h"
#include "tests/support/mesh_builder.h"

namespace {

TEST(GlmCore, ModelsBuiltWrongAreRefusedByNameAndLeftAsTheyWere)
{
    GlmError error;
    EXPECT_FALSE(glmComputeFaceNormals(nullptr, &error));
    EXPECT_EQ(error.status, GLM_BAD_MODEL);
    EXPECT_STREQ(error.message, "glmFaceNormals() failed: no model.\n");

    GlmMesh* model = makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0}, {1, 2, 3, 1, 3, 9});
    EXPECT_FALSE(glmComputeFaceNormals(model, &error));
    EXPECT_EQ(error.status, GLM_BAD_MODEL);
    EXPECT_STREQ(error.message, "glmFaceNormals() failed: face 1 corner 2 names vertex 9 of 3.\n");
    EXPECT_FALSE(model->facetnorms);
    EXPECT_FALSE(glmWeldVertices(model, 0.1f, &error));
    EXPECT_EQ(model->vertexCount, 3u);
    EXPECT_DEATH(glmFaceNormals(model), "glm:[0-9]+: .*Assertion `glmFaceNormals\\(\\) failed: face 1 corner 2 names "
                                        "vertex 9 of 3\\.' failed");
    model->faces[1].vertexRefs[2] = 2;

    EXPECT_FALSE(glmComputeVertexNormals(model, 90.0f, &error));
    EXPECT_STREQ(error.message, "glmVertexNormals() failed: the model has no facet normals.\n");
    EXPECT_FALSE(glmComputeSphereUVs(model, &error));
    EXPECT_STREQ(error.message, "glmSphereUVs() failed: the model has no normals.\n");
    ASSERT_TRUE(glmComputeFaceNormals(model, &error)) << error.message;
    EXPECT_EQ(error.status, GLM_OK);
    model->faces[0].facetnormRef = 7;
    EXPECT_FALSE(glmComputeVertexNormals(model, 90.0f, &error));
    EXPECT_STREQ(error.message, "glmVertexNormals() failed: face 0 corner 0 names facet normal 7 of 2.\n");
    model->faces[0].facetnormRef = 1;
    ASSERT_TRUE(glmComputeVertexNormals(model, 90.0f, &error)) << error.message;
    ASSERT_TRUE(glmComputeSphereUVs(model, &error)) << error.message;
    ASSERT_TRUE(glmComputePlanarUVs(model, &error)) << error.message;
    ASSERT_TRUE(glmWeldVertices(model, 0.1f, &error)) << error.message;
    EXPECT_TRUE(glmCheckMesh(model, "test", &error)) << error.message;

    // The writer refuses before it touches a file.
    TempDir dir;
    model->groupList->faceList[0] = 5;
    GlmWriteError writeError;
    EXPECT_FALSE(glmSaveOBJ(model, dir.file("out.obj").c_str(), MODE_PLAIN, nullptr, &writeError));
    EXPECT_EQ(writeError.kind, GLM_WRITE_BAD_MODEL);
    EXPECT_STREQ(writeError.message, "glmWriteOBJ() failed: group \"default\" names face 5 of 2.\n");
    EXPECT_FALSE(std::filesystem::exists(dir.file("out.obj")));
    EXPECT_FALSE(glmSaveOBJ(nullptr, dir.file("out.obj").c_str(), MODE_PLAIN, nullptr, &writeError));
    EXPECT_EQ(writeError.kind, GLM_WRITE_BAD_MODEL);
    glmDestroy(model);
}

}  // namespace
