// Display lists of glmCompileList against immediate glmDraw, compared pixel
// by pixel in a real window (Mesa under the X server of DISPLAY).

#include <GL/glut.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "model/glm.h"
#include "tests/support/mesh_builder.h"
#include "tests/support/pin_libraries.h"

namespace {

constexpr int SIZE = 96;

class DrawPixels : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        int argc = 1;
        char name[] = "draw_pixels_test";
        char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutInitWindowSize(SIZE, SIZE);
        glutCreateWindow("glmCompileList pixels");
        pinLoadedLibraries();

        glViewport(0, 0, SIZE, SIZE);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-1.2, 1.2, -1.2, 1.2, -2, 2);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glRotatef(30, 1, 0.5f, 0);
        glEnable(GL_DEPTH_TEST);
        glEnable(GL_LIGHT0);
        const float light[4] = {0.3f, 0.6f, 1.0f, 0.0f};
        glLightfv(GL_LIGHT0, GL_POSITION, light);
        glReadBuffer(GL_BACK);
        glDrawBuffer(GL_BACK);

        // A 4 x 4 checker texture so that texture coordinates show.
        unsigned char texels[4 * 4 * 3];
        for (int i = 0; i < 16; ++i)
            std::fill_n(&texels[3 * i], 3, ((i ^ (i / 4)) & 1) ? 255 : 40);
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, texels);

        model = makeUvSphere(10, 14);
        addMaterials(model, 3);
        unsigned material = 0;
        for (GlmFaceGroup* g = model->groupList; g; g = g->next)
            g->materialIndex = material++ % 3;
        glmFaceNormals(model);
        glmVertexNormals(model, 60);
        glmSphereUVs(model);
    }

    static void TearDownTestSuite()
    {
        glmDestroy(model);
        glDeleteTextures(1, &texture);
    }

    // Lighting and texturing as the mode needs them; the library leaves
    // both to its caller.
    static void prepare(unsigned mode)
    {
        glClearColor(0.1f, 0.2f, 0.3f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glColor3f(1, 1, 1);
        if (mode & (MODE_FLAT | MODE_SMOOTH | MODE_MATERIAL)) {
            glEnable(GL_LIGHTING);
        } else {
            glDisable(GL_LIGHTING);
        }
        if (mode & MODE_TEXTURE) {
            glEnable(GL_TEXTURE_2D);
        } else {
            glDisable(GL_TEXTURE_2D);
        }
    }

    static std::vector<unsigned char> pixels()
    {
        std::vector<unsigned char> p(SIZE * SIZE * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, SIZE, SIZE, GL_RGB, GL_UNSIGNED_BYTE, p.data());
        return p;
    }

    static std::vector<unsigned char> drawn(unsigned mode)
    {
        prepare(mode);
        glmDraw(model, mode);
        return pixels();
    }

    static std::vector<unsigned char> replayed(unsigned list, unsigned mode)
    {
        prepare(mode);
        glCallList(list);
        return pixels();
    }

    static size_t distinctColours(const std::vector<unsigned char>& p)
    {
        std::vector<unsigned> colours;
        for (size_t i = 0; i < p.size(); i += 3)
            colours.push_back(p[i] << 16 | p[i + 1] << 8 | p[i + 2]);
        std::sort(colours.begin(), colours.end());
        return std::unique(colours.begin(), colours.end()) - colours.begin();
    }

    static inline GlmMesh* model = nullptr;
    static inline unsigned texture = 0;
};

}  // namespace

TEST_F(DrawPixels, ReplayDrawsTheSamePixelsInEveryMode)
{
    const unsigned modes[] = {MODE_PLAIN,
                              MODE_FLAT,
                              MODE_SMOOTH,
                              MODE_SMOOTH | MODE_TEXTURE,
                              MODE_COLOR,
                              MODE_SMOOTH | MODE_MATERIAL,
                              MODE_FLAT | MODE_MATERIAL | MODE_TEXTURE,
                              MODE_OUTLINE | MODE_COLOR};
    std::vector<unsigned> lists;
    for (unsigned mode : modes) {
        std::vector<unsigned char> immediate = drawn(mode);
        // Something beyond background and one flat colour was drawn.
        EXPECT_GE(distinctColours(immediate), mode == MODE_PLAIN ? 2u : 3u) << "mode " << mode;
        unsigned list = glmCompileList(model, mode);
        EXPECT_NE(list, 0u);
        EXPECT_EQ(std::count(lists.begin(), lists.end(), list), 0) << "list names repeat";
        lists.push_back(list);
        EXPECT_TRUE(replayed(list, mode) == immediate) << "mode " << mode;
    }
    for (unsigned list : lists)
        glDeleteLists(list, 1);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(DrawPixels, ListKeepsTheModelAsItWasWhenCompiled)
{
    std::vector<unsigned char> before = drawn(MODE_SMOOTH);
    unsigned list = glmCompileList(model, MODE_SMOOTH);
    glmResize(model, 0.5f);
    EXPECT_FALSE(drawn(MODE_SMOOTH) == before);
    EXPECT_TRUE(replayed(list, MODE_SMOOTH) == before);
    glmResize(model, 2.0f);
    glDeleteLists(list, 1);
}

TEST_F(DrawPixels, WarningsPrintWhileCompilingOnly)
{
    GlmMesh* bare = makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0}, {1, 2, 3});
    testing::internal::CaptureStdout();
    unsigned list = glmCompileList(bare, MODE_SMOOTH);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "glmDraw() warning: smooth render mode requested with no normals defined.\n");
    testing::internal::CaptureStdout();
    glCallList(list);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    glDeleteLists(list, 1);
    glmDestroy(bare);
}

TEST_F(DrawPixels, NoListNameMeansNothingDrawn)
{
    // glGenLists fails between glBegin and glEnd.  Feedback mode records
    // every vertex that reaches GL: none may, and the name is 0.
    std::vector<float> feedback(4096);
    glFeedbackBuffer(static_cast<GLsizei>(feedback.size()), GL_3D, feedback.data());
    glRenderMode(GL_FEEDBACK);
    glBegin(GL_POINTS);
    testing::internal::CaptureStderr();
    unsigned list = glmCompileList(model, MODE_PLAIN);
    std::string message = testing::internal::GetCapturedStderr();
    glEnd();
    EXPECT_EQ(glRenderMode(GL_RENDER), 0);
    EXPECT_EQ(list, 0u);
    EXPECT_EQ(message, "glmCompileList(): no display list name available.\n");
    while (glGetError() != GL_NO_ERROR) {
    }
}
