// The texture set in a real window under the test X server, on the pictures
// that make-textures paints: what OpenGL holds afterwards, the message boxes
// and lines of the failure cases, and the exact call order (apitrace).

#include "tests/support/pictures.h"

#include "image/image.h"
#include "render/texture_set.h"
#include "core/viewer_state.h"
#include "tests/support/apitrace.h"
#include "tests/support/pin_libraries.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;

namespace {

struct SlotSize {
    int width, height;
};
// What make-textures makes for each slot: the Earth and the Moon from maps
// of 2048 x 1024 and more, the other bodies from maps of 512 x 256.
const SlotSize slotSizes[TEXTURE_SLOT_COUNT] = {
    {512, 256}, {512, 256}, {512, 256}, {2048, 1024}, {2048, 1024}, {512, 256}, {512, 256}, {512, 256}, {512, 256},
    {512, 256}, {512, 256}, {256, 256}, {512, 256},   {256, 256},   {256, 256}, {256, 256}, {512, 128},
};

GLint texLevel(GLenum what)
{
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &value);
    return value;
}

GLint texParam(GLenum what)
{
    GLint value = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, what, &value);
    return value;
}

// A working folder holding image/ with the generated pictures; the texture
// set runs in it with fresh globals, and its OpenGL objects go afterwards.
class TextureSet : public testing::Test {
protected:
    void SetUp() override
    {
        fs::create_directory(dir.path / "image");
        for (const auto& entry : fs::directory_iterator(SOLAR_PICTURE_DIR))
            if (entry.path().extension() == ".bmp")
                fs::copy_file(entry.path(), dir.path / "image" / entry.path().filename());
        ASSERT_TRUE(fs::exists(dir.path / "image" / "space2.bmp"));
        previous = fs::current_path();
        fs::current_path(dir.path);
    }
    void TearDown() override
    {
        fs::current_path(previous);
        glDeleteTextures(TEXTURE_SLOT_COUNT, textureIds);
        const GLuint sky = SKY_TEXTURE;
        glDeleteTextures(1, &sky);
        glDeleteLists(1, TEXTURE_SLOT_COUNT);
        for (std::uint32_t& id : textureIds)
            id = 0;
        for (ImageRGB*& image : textureListImages) {
            freeImage(image);
            image = nullptr;
        }
        std::free(skyImage.pixels);
        skyImage = {};
    }
    // Both passes, as render-state initialisation runs them.
    void load()
    {
        testing::internal::CaptureStdout();
        loadTextures();
        compileTextureLists();
        printed = testing::internal::GetCapturedStdout();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    // The slot's texture holds exactly the picture its display list kept:
    // the one decode both passes share.
    void expectTextureHoldsListImage(int slot)
    {
        const ImageRGB* image = textureListImages[slot];
        ASSERT_NE(image, nullptr);
        glBindTexture(GL_TEXTURE_2D, textureIds[slot]);
        Bytes uploaded(static_cast<size_t>(image->width) * image->height * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, uploaded.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        EXPECT_EQ(uploaded, Bytes(image->pixels, image->pixels + uploaded.size()));
    }
    void expectSlotsTextured(int except)
    {
        for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot) {
            SCOPED_TRACE(slot);
            EXPECT_NE(textureIds[slot], 0u);
            EXPECT_NE(textureIds[slot], SKY_TEXTURE);
            glBindTexture(GL_TEXTURE_2D, textureIds[slot]);
            EXPECT_EQ(texParam(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
            EXPECT_EQ(texParam(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
            if (slot == except) {
                EXPECT_EQ(texLevel(GL_TEXTURE_WIDTH), 0);
                EXPECT_EQ(textureListImages[slot], nullptr);
                continue;
            }
            EXPECT_EQ(texLevel(GL_TEXTURE_WIDTH), slotSizes[slot].width);
            EXPECT_EQ(texLevel(GL_TEXTURE_HEIGHT), slotSizes[slot].height);
            ASSERT_NE(textureListImages[slot], nullptr);
            EXPECT_EQ(textureListImages[slot]->width, slotSizes[slot].width);
            EXPECT_TRUE(glIsList(static_cast<GLuint>(slot + 1)));
        }
        glBindTexture(GL_TEXTURE_2D, SKY_TEXTURE);
    }

    TempDir dir;
    fs::path previous;
    RecordedBoxes boxes;
    std::string printed;
};

}  // namespace

TEST_F(TextureSet, AllPicturesPresentGiveEveryTextureItsImageAndTheDrawingState)
{
    load();
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(printed, "");

    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ(bound, static_cast<GLint>(SKY_TEXTURE));  // still bound when start-up ends
    EXPECT_EQ(texLevel(GL_TEXTURE_WIDTH), 1024);
    EXPECT_EQ(texLevel(GL_TEXTURE_HEIGHT), 1024);
    EXPECT_EQ(texParam(GL_TEXTURE_MIN_FILTER), GL_LINEAR);
    EXPECT_EQ(texParam(GL_TEXTURE_MAG_FILTER), GL_LINEAR);
    EXPECT_EQ(texParam(GL_TEXTURE_WRAP_S), GL_REPEAT);
    EXPECT_EQ(texParam(GL_TEXTURE_WRAP_T), GL_REPEAT);
    EXPECT_EQ(skyImage.width, 1024);
    EXPECT_NE(skyImage.pixels, nullptr);

    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(mode, GL_REPLACE);
    for (GLenum cap :
         {GL_TEXTURE_2D, GL_CULL_FACE, GL_COLOR_MATERIAL, GL_LIGHTING, GL_LIGHT0, GL_NORMALIZE, GL_DEPTH_TEST})
        EXPECT_TRUE(glIsEnabled(cap)) << cap;
    GLint polygon[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, polygon);
    EXPECT_EQ(polygon[0], GL_FILL);

    expectSlotsTextured(-1);
    // The texture holds exactly the decoded picture.
    expectTextureHoldsListImage(SLOT_EARTH);
}

TEST_F(TextureSet, MissingMoonIsPassedOverOnceAndNamedOnceByTheSecondPass)
{
    fs::remove(dir.path / "image" / "Moon.bmp");
    load();
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Failed to open DIB file .\\Image\\Moon.bmp.\n"});
    EXPECT_EQ(printed, "");
    expectSlotsTextured(SLOT_MOON);
    EXPECT_TRUE(glIsList(SLOT_MOON + 1));  // compiled, without an image
}

TEST_F(TextureSet, BrokenPicturesAreNamedByBothPassesInTodaysOrder)
{
    // An empty Mars counts as a file that does not open, a Jupiter of
    // garbage as one that does not decode; the Moon is missing.  Each pass
    // reports in slot order: the first passes over the missing Moon quietly.
    writeFile(dir.path / "image" / "Mars.bmp", "");
    writeFile(dir.path / "image" / "Jupiter.bmp", std::string(600, 'x'));
    fs::remove(dir.path / "image" / "Moon.bmp");
    load();
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{
                               "Failed to open DIB file image/Mars.bmp.\n",
                               "Unknown DIB file format.",
                               "Failed to open DIB file .\\Image\\Moon.bmp.\n",
                               "Failed to open DIB file ./image/Mars.bmp.\n",
                               "Unknown DIB file format.",
                           }));
    EXPECT_EQ(printed, "");
    for (int slot : {SLOT_MOON, SLOT_MARS, SLOT_JUPITER}) {
        glBindTexture(GL_TEXTURE_2D, textureIds[slot]);
        EXPECT_EQ(texLevel(GL_TEXTURE_WIDTH), 0) << slot;
        EXPECT_EQ(textureListImages[slot], nullptr) << slot;
    }
    glBindTexture(GL_TEXTURE_2D, textureIds[SLOT_SATURN]);
    EXPECT_EQ(texLevel(GL_TEXTURE_WIDTH), 512);
    EXPECT_NE(textureListImages[SLOT_SATURN], nullptr);
}

TEST_F(TextureSet, EachPictureIsDecodedOnceForBothPasses)
{
    testing::internal::CaptureStdout();
    loadTextures();
    // Spoil Mars in place between the passes: the second pass must not read
    // it again, and takes over the picture the first one decoded.
    writeFile(dir.path / "image" / "Mars.bmp", std::string(600, 'x'));
    compileTextureLists();
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(boxes.texts.empty());
    ASSERT_NE(textureListImages[SLOT_MARS], nullptr);
    EXPECT_EQ(textureListImages[SLOT_MARS]->width, 512);
    expectTextureHoldsListImage(SLOT_MARS);
}

TEST_F(TextureSet, DecodingAheadShowsNothingUntilTheFirstPass)
{
    fs::remove(dir.path / "image" / "Moon.bmp");
    writeFile(dir.path / "image" / "Jupiter.bmp", std::string(600, 'x'));
    startDecodingTextures();
    usleep(200000);  // time enough to decode everything
    EXPECT_TRUE(boxes.texts.empty());
    load();
    EXPECT_EQ(boxes.texts,
              (std::vector<std::string>{"Unknown DIB file format.", "Failed to open DIB file .\\Image\\Moon.bmp.\n",
                                        "Unknown DIB file format."}));
    glBindTexture(GL_TEXTURE_2D, textureIds[SLOT_EARTH]);
    EXPECT_EQ(texLevel(GL_TEXTURE_WIDTH), slotSizes[SLOT_EARTH].width);
}

TEST_F(TextureSet, MissingSkyPrintsOneLineAndLeavesTheSkyWithoutAnImage)
{
    fs::remove(dir.path / "image" / "space2.bmp");
    load();
    EXPECT_EQ(printed, "Could not open file '.\\Image\\space2.bmp'\n");
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(skyImage.width, 0);
    EXPECT_EQ(skyImage.pixels, nullptr);
    glBindTexture(GL_TEXTURE_2D, SKY_TEXTURE);
    EXPECT_EQ(texLevel(GL_TEXTURE_WIDTH), 0);
    expectSlotsTextured(-1);
}

TEST_F(TextureSet, ExistenceCheckIsQuietAndFollowsWindowsNames)
{
    EXPECT_EQ(loadImageIfExists(nullptr), nullptr);
    EXPECT_EQ(loadImageIfExists("image\\Vulcan.bmp"), nullptr);
    ImageRGB* saturn = loadImageIfExists("IMAGE\\SATURN.BMP");
    ASSERT_NE(saturn, nullptr);
    EXPECT_EQ(saturn->width, 512);
    freeImage(saturn);
    EXPECT_TRUE(boxes.texts.empty());
}

TEST_F(TextureSet, CallsFollowTheStartUpOrder)
{
    // Record the driver's calls with apitrace and read them back.
    const fs::path trace = dir.path / "set.trace";
    ASSERT_TRUE(recordTrace(trace, {TEXTURE_TRACE_DRIVER, dir.path.string()}, "/dev/null"));
    std::vector<std::string> calls;
    bool inside = false;
    for (const std::string& line : dumpTrace(trace)) {
        if (line == "glPassThrough(0)")
            inside = true;
        else if (line == "glPassThrough(2)")
            break;
        else if (inside)
            calls.push_back(line);
    }

    std::vector<std::string> expected;
    std::string names;
    for (int id = 1; id <= TEXTURE_SLOT_COUNT; ++id)
        names += (id > 1 ? ", " : "") + std::to_string(id);
    expected.push_back("glGenTextures(17, {" + names + "})");
    auto image = [](const char* format, int w, int h) {
        return "glTexImage2D(GL_TEXTURE_2D, 0, " + std::string(format) + ", " + std::to_string(w) + ", " +
               std::to_string(h) + ", 0, GL_RGB, GL_UNSIGNED_BYTE, blob(" + std::to_string(w * h * 3) + "))";
    };
    for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot) {
        expected.push_back("glBindTexture(GL_TEXTURE_2D, " + std::to_string(slot + 1) + ")");
        expected.push_back("glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR)");
        expected.push_back("glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR)");
        expected.push_back(image("3", slotSizes[slot].width, slotSizes[slot].height));
    }
    for (const char* line :
         {"glEnable(GL_TEXTURE_2D)", "glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE)",
          "glBindTexture(GL_TEXTURE_2D, 18)", "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST)",
          "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST)",
          "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT)",
          "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT)",
          "glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE)"})
        expected.push_back(line);
    expected.push_back(image("GL_RGB", 1024, 1024));
    for (const char* line : {"glEnable(GL_CULL_FACE)", "glEnable(GL_COLOR_MATERIAL)", "glEnable(GL_LIGHTING)",
                             "glEnable(GL_LIGHT0)", "glEnable(GL_NORMALIZE)", "glEnable(GL_TEXTURE_2D)",
                             "glEnable(GL_DEPTH_TEST)", "glPolygonMode(GL_FRONT, GL_FILL)", "glPassThrough(1)",
                             "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT)",
                             "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR)",
                             "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR)",
                             "glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT)"})
        expected.push_back(line);
    for (int list = 1; list <= TEXTURE_SLOT_COUNT; ++list) {
        expected.push_back("glNewList(" + std::to_string(list) + ", GL_COMPILE)");
        expected.push_back(image("3", slotSizes[list - 1].width, slotSizes[list - 1].height));
        expected.push_back("glEndList()");
    }
    EXPECT_EQ(calls, expected);
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Test discovery lists the tests without a display.
    if (!testing::GTEST_FLAG(list_tests)) {
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutInitWindowSize(64, 64);
        glutCreateWindow("texture set");
        // The context is current: its driver is loaded and stays so.
        pinLoadedLibraries();
    }
    return RUN_ALL_TESTS();
}
