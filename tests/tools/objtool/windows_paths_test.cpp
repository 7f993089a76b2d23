// Models from Windows: a material library and a texture named with
// backslashes and another letter case are found beside the model, as the
// viewer finds its own pictures, and the model keeps the names as written.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "model/glm.h"
#include "tests/support/png_jpeg.h"
#include "tests/tools/objtool/support.h"

namespace {

struct Frame {
    int width = 0, height = 0;
    unsigned char* pixels = nullptr;
    ~Frame() { std::free(pixels); }
    const unsigned char* at(int x, int y) const { return pixels + 3 * (y * width + x); }
};

}  // namespace

TEST(ObjtoolViewWindowsPaths, AnMtlNamingDotBackslashTexJpgDrawsTexJpgBesideIt)
{
    if (const char* display = std::getenv("DISPLAY"); !display || !*display)
        GTEST_SKIP() << "no DISPLAY";
    // The window's GL driver leaks at exit in frames the sanitizer's leak
    // check cannot name; the view's own tests switch it off the same way.
    const char* asan = std::getenv("ASAN_OPTIONS");
    ::setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
    TempDir dir;
    // A yellow picture under a lower-case name; the library names it
    // ".\Tex.JPG", and the model names the library ".\Model.MTL".
    Bytes yellow;
    for (int i = 0; i < 16 * 16; i++)
        yellow.insert(yellow.end(), {255, 255, 0});
    writeFileBytes(dir.file("tex.jpg"), buildJpeg(16, 16, 3, yellow));
    writeFile(dir.file("model.mtl"), "newmtl skin\nKd 1 1 1\nKa 1 1 1\nmap_Kd .\\Tex.JPG\n");
    writeFile(dir.file("quad.obj"), "mtllib .\\Model.MTL\nv -1 -1 0\nv 1 -1 0\nv 1 1 0\nv -1 1 0\n"
                                    "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nusemtl skin\nf 1/1 2/2 3/3 4/4\n");

    const RunResult r =
        runObjtool({"view", dir.file("quad.obj"), "--snapshot", dir.file("quad.ppm"), "--size", "120x120", "--unlit"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");  // no warning about the library or the picture
    Frame frame;
    frame.pixels = glmLoadPPM(dir.file("quad.ppm").c_str(), &frame.width, &frame.height);
    ASSERT_NE(frame.pixels, nullptr);
    const unsigned char* centre = frame.at(frame.width / 2, frame.height / 2);
    // Yellow from the picture, not the material's white.
    EXPECT_GT(centre[0], 200);
    EXPECT_GT(centre[1], 200);
    EXPECT_LT(centre[2], 60) << int(centre[0]) << " " << int(centre[1]) << " " << int(centre[2]);

    // The model keeps the library's name as the file wrote it.
    GlmMesh* model = readBack(dir.file("quad.obj"));
    ASSERT_NE(model, nullptr);
    EXPECT_STREQ(model->materialLibrary, ".\\Model.MTL");
    ASSERT_GE(model->materialCount, 2u);  // the default material and "skin"
    glmDestroy(model);
}
