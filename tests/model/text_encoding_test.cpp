// Every text file read or refused by name: OBJ and MTL files with a UTF-8
// mark, in UTF-16 with a mark, in an 8-bit code page, and files that are no
// text at all.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "model/glm.h"
#include "model/glm_core.h"
#include "tests/support/files.h"
#include "tests/support/models.h"

namespace {

// `text` (ASCII or UTF-8 without surrogates beyond the BMP) as UTF-16 with
// its byte-order mark.
std::string utf16(const std::string& text, bool bigEndian)
{
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (unsigned char c : text) {
        out += bigEndian ? '\0' : static_cast<char>(c);
        out += bigEndian ? static_cast<char>(c) : '\0';
    }
    return out;
}

const char* const BOX_TEXT = "mtllib box.mtl\nv 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nvt 0 0\nvn 0 0 1\n"
                             "g side\nusemtl red\nf 1/1/1 2/1/1 3/1/1 4/1/1\n";
const char* const BOX_MTL = "newmtl red\nKd 1 0 0\nillum 2\n";

struct Read {
    GlmReadError error{};
    GlmMesh* model = nullptr;
    explicit Read(const std::string& path) { model = glmLoadOBJ(path.c_str(), nullptr, &error); }
    ~Read()
    {
        if (model)
            glmDestroy(model);
    }
};

TEST(GlmTextEncoding, Utf16BoxFromDebianReadsAsTheBoxItIs)
{
    const std::string path = (testDataDir() / "models" / "box_UTF16BE.obj").string();
    std::string printed = captureStdout([&] {
        Read read(path);
        ASSERT_TRUE(read.model) << read.error.message;
        EXPECT_EQ(read.model->vertexCount, 8u);
        EXPECT_EQ(read.model->faceCount, 12u);  // six quadrilaterals
        EXPECT_EQ(read.model->vertices[3], -0.5f);
        EXPECT_EQ(read.model->vertices[3 * 8 + 2], 0.5f);
        EXPECT_EQ(read.model->faces[0].vertexRefs[0], 4u);
        ASSERT_EQ(read.model->objectRunCount, 1u);
        EXPECT_STREQ(read.model->objectRuns[0].name, "1");
    });
    // It names a material it has no library for, and says so as any file would.
    EXPECT_EQ(printed, "glmFindMaterial():  can't find material \"Default\".\n");
}

TEST(GlmTextEncoding, MarkedAndUtf16FilesReadAsThePlainText)
{
    TempDir dir;
    writeFile(dir.file("box.mtl"), BOX_MTL);
    writeFile(dir.file("plain.obj"), BOX_TEXT);
    Read plain(dir.file("plain.obj"));
    ASSERT_TRUE(plain.model) << plain.error.message;
    EXPECT_EQ(plain.model->materialTable[1].diffuseColor[0], 1.0f);

    auto variants = [](const char* text) {
        return std::vector<std::string>{"\xEF\xBB\xBF" + std::string(text), utf16(text, false), utf16(text, true)};
    };
    for (const std::string& obj : variants(BOX_TEXT)) {
        for (const std::string& mtl : variants(BOX_MTL)) {
            writeFile(dir.file("box.mtl"), mtl);
            writeFile(dir.file("plain.obj"), obj);
            Read read(dir.file("plain.obj"));
            ASSERT_TRUE(read.model) << read.error.message;
            EXPECT_EQ(modelDifference(read.model, plain.model), "") << obj.substr(0, 3) << " / " << mtl.substr(0, 3);
        }
    }
}

TEST(GlmTextEncoding, Utf16NamesBecomeUtf8AndOtherBytesStayAsTheyStand)
{
    // "g 태양" in UTF-16 LE, then an object named by a character beyond the
    // basic plane (a surrogate pair) and a lone surrogate.
    std::u16string units = u"v 0\nf 1 1 1\ng \uD0DC\uC591\no ";
    units += {char16_t(0xD83C), char16_t(0xDF1E), char16_t(0xD800), u'\n'};
    std::string le = "\xFF\xFE";
    for (char16_t unit : units) {
        le += static_cast<char>(unit & 0xFF);
        le += static_cast<char>(unit >> 8);
    }
    GlmReadError error;
    GlmMesh* model = glmParseOBJ(le.data(), le.size(), "sun.obj", nullptr, &error);
    ASSERT_TRUE(model) << error.message;
    ASSERT_TRUE(glmGroupByName(model, " \xED\x83\x9C\xEC\x96\x91"));
    EXPECT_EQ(glmGroupByName(model, " \xED\x83\x9C\xEC\x96\x91")->faceCount, 0u);
    ASSERT_EQ(model->objectRunCount, 1u);
    EXPECT_STREQ(model->objectRuns[0].name, "\xF0\x9F\x8C\x9E\xEF\xBF\xBD");
    glmDestroy(model);

    // The same name in CP949, as a Korean Windows editor writes it: bytes.
    const std::string cp949 = "v 0 0 0\ng \xC5\xC2\xBE\xE7\nf 1 1 1\n";
    model = glmParseOBJ(cp949.data(), cp949.size(), "sun.obj", nullptr, &error);
    ASSERT_TRUE(model) << error.message;
    ASSERT_TRUE(glmGroupByName(model, " \xC5\xC2\xBE\xE7"));
    EXPECT_EQ(glmGroupByName(model, " \xC5\xC2\xBE\xE7")->faceCount, 1u);
    glmDestroy(model);
}

TEST(GlmTextEncoding, FilesThatAreNoTextAreRefusedByName)
{
    TempDir dir;
    const std::string bmp = (testDataDir() / "bmpsuite" / "good" / "pal1.bmp").string();
    Read picture(bmp);
    EXPECT_FALSE(picture.model);
    EXPECT_EQ(picture.error.kind, GLM_READ_NOT_TEXT);
    EXPECT_EQ(std::string(picture.error.message), "glmReadOBJ() failed: \"" + bmp + "\" is not a text file.\n");
    EXPECT_EXIT(glmReadOBJ(bmp.c_str()), testing::ExitedWithCode(1),
                "^glmReadOBJ\\(\\) failed: \".*pal1.bmp\" is not a text file\\.\n$");

    // A NUL byte further than 4 KiB in is read as today: as a byte.
    std::string late = "v 0 0 0\n# " + std::string(5000, 'x') + "\n";
    late += '\0';
    late += "\nv 1 1 1\n";
    GlmReadError error;
    GlmMesh* model = glmParseOBJ(late.data(), late.size(), "late.obj", nullptr, &error);
    ASSERT_TRUE(model) << error.message;
    EXPECT_EQ(model->vertexCount, 2u);

    // The material library: refused by its path, and a table parsed from
    // memory is kept when the text is none.
    writeFile(dir.file("box.obj"), BOX_TEXT);
    writeFileBytes(dir.file("box.mtl"), readFileBytes(bmp));
    Read withPicture(dir.file("box.obj"));
    EXPECT_FALSE(withPicture.model);
    EXPECT_EQ(withPicture.error.kind, GLM_READ_NOT_TEXT);
    EXPECT_EQ(std::string(withPicture.error.message),
              "glmReadMTL() failed: \"" + dir.file("box.mtl") + "\" is not a text file.\n");
    ASSERT_TRUE(glmParseMTL(model, BOX_MTL, std::string(BOX_MTL).size()));
    const Bytes bytes = readFileBytes(bmp);
    EXPECT_FALSE(glmParseMTL(model, reinterpret_cast<const char*>(bytes.data()), bytes.size(), &error, "pic.mtl"));
    EXPECT_EQ(error.kind, GLM_READ_NOT_TEXT);
    EXPECT_STREQ(error.message, "glmReadMTL() failed: \"pic.mtl\" is not a text file.\n");
    ASSERT_EQ(model->materialCount, 2u);
    EXPECT_STREQ(model->materialTable[1].name, "red");
    glmDestroy(model);
}

}  // namespace
