// The fast reader against the stdio reference on random files: the same
// model to the last float bit, or the same failure.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "model/glm.h"
#include "model/glm_core.h"
#include "model/glm_scan.h"
#include "tests/support/obj_oracle.h"
#include "tests/support/models.h"

namespace {

void compareOnFile(const std::string& path, unsigned seed)
{
    std::string oracleError;
    GlmMesh* expected = nullptr;
    std::string expectedOut = captureStdout([&] { expected = oracleReadOBJ(path.c_str(), &oracleError); });
    // One thread, then two threads over pieces small enough to cut every few lines.
    for (std::size_t chunk : {std::size_t{0}, std::size_t{61}, std::size_t{700}}) {
        GlmReadOptions options;
        options.threads = chunk ? 2 : 1;
        options.chunkBytes = chunk;
        GlmReadError error;
        GlmMesh* model = nullptr;
        std::string out = captureStdout([&] { model = glmLoadOBJ(path.c_str(), &options, &error); });
        EXPECT_EQ(out, expectedOut) << "seed " << seed << " chunk " << chunk;
        if (expected) {
            ASSERT_TRUE(model) << "seed " << seed << " chunk " << chunk << ": " << error.message;
            ASSERT_EQ(modelDifference(expected, model), "") << "seed " << seed << " chunk " << chunk;
            glmDestroy(model);
        } else {
            ASSERT_FALSE(model) << "seed " << seed << " chunk " << chunk;
            EXPECT_EQ(error.message, oracleError) << "seed " << seed << " chunk " << chunk;
        }
    }
    if (expected)
        glmDestroy(expected);
}

TEST(GlmDifferential, RandomFilesReadExactlyAsTheReference)
{
    TempDir dir;
    for (unsigned seed = 1; seed <= 400; seed++) {
        std::mt19937 rng(seed);
        bool materials = seed % 3 != 0;
        bool bad = seed % 5 == 0;
        if (materials)
            writeFile(dir.file("lib.mtl"), randomMtl(rng));
        std::string path = dir.file("model" + std::to_string(seed % 7) + ".obj");
        writeFile(path, randomObj(rng, materials, bad));
        compareOnFile(path, seed);
        if (HasFatalFailure())
            return;
    }
}

TEST(GlmDifferential, FaceStatementsRunningAcrossLinesAndPieces)
{
    TempDir dir;
    std::string text;
    for (int i = 0; i < 40; i++)
        text += "v " + std::to_string(i) + " 1 2\n";
    for (int i = 0; i < 30; i++) {
        text += "f 1 2\n3 4\n";  // corners continued on the next line
        text += "f\n\n5 6 7\n";  // first corner on a later line
        text += "f 1/1 2/2\n";
    }
    writeFile(dir.file("cross.obj"), text);
    compareOnFile(dir.file("cross.obj"), 0);
    // A face keyword at a line's end takes the next line's keyword as its
    // first corner: wherever the pieces are cut, the reading is the same.
    for (int pad = 0; pad < 90; pad += 3) {
        std::string padded =
            "v 1 2 3\n#" + std::string(static_cast<std::size_t>(pad), 'x') + "\nv 1 2 3\nv 1 2 3\nf 1 2 3 f\nvp 1 2\n";
        for (int i = 0; i < 20; i++)
            padded += "v 1 1 1\n";
        writeFile(dir.file("eaten.obj"), padded);
        compareOnFile(dir.file("eaten.obj"), static_cast<unsigned>(pad));
    }
}

// Arrays that outgrow 1 MiB move into a block sized by the text: the
// entries read before the move, and those after, all end up in place.
TEST(GlmDifferential, ArraysPastOneMebibyteReadAsTheReference)
{
    TempDir dir;
    std::mt19937 rng(7);
    std::uniform_real_distribution<float> coordinate(-100.0f, 100.0f);
    std::string text = "g first\n";
    const int vertices = 220000;
    char line[96];
    for (int i = 0; i < vertices; i++) {
        std::snprintf(line, sizeof line, "v %.6f %.5f %.7f\n", coordinate(rng), coordinate(rng), coordinate(rng));
        text += line;
        if (i % 4 == 0) {
            std::snprintf(line, sizeof line, "vn %.4f %.4f %.4f\nvt %.5f %.5f\n", coordinate(rng), coordinate(rng),
                          coordinate(rng), coordinate(rng), coordinate(rng));
            text += line;
        }
    }
    text += "g second\n";
    for (int i = 1; i + 3 <= vertices; i += 3) {
        const int a = i, t = 1 + i / 4;
        std::snprintf(line, sizeof line, "f %d/%d/%d %d/%d/%d %d/%d/%d %d/%d/%d\n", a, t, t, a + 1, t, t, a + 2, t, t,
                      a == 1 ? 5 : a - 1, t, t);
        text += line;
    }
    const std::string path = dir.file("large.obj");
    writeFile(path, text);
    std::string error;
    GlmMesh* expected = oracleReadOBJ(path.c_str(), &error);
    ASSERT_TRUE(expected) << error;
    ASSERT_GT(std::size_t{expected->faceCount} * sizeof(GlmFace), std::size_t{1} << 20);
    for (unsigned threads : {1u, 2u}) {
        GlmReadOptions options;
        options.threads = threads;
        GlmReadError readError;
        GlmMesh* model = glmLoadOBJ(path.c_str(), &options, &readError);
        ASSERT_TRUE(model) << readError.message;
        EXPECT_EQ(modelDifference(expected, model), "") << threads << " threads";
        glmDestroy(model);
    }
    glmDestroy(expected);
}

TEST(GlmScan, FloatsRoundAsStrtofDoes)
{
    std::mt19937 rng(11);
    std::vector<std::string> texts = {"16777217",
                                      "16777219",
                                      "0.1",
                                      "3.4028235e38",
                                      "3.4028236e38",
                                      "1e-45",
                                      "7e-46",
                                      "1.17549435e-38",
                                      "-0",
                                      "1.00000005960464477539062500001",
                                      "1.000000059604644775390625",
                                      "9007199254740993",
                                      "2.5e-7",
                                      "1e22",
                                      "1e23",
                                      "123456789012345",
                                      "0.000001",
                                      "4.9406564584124654e-324"};
    char buf[64];
    for (int i = 0; i < 200000; i++) {
        std::uint32_t bits = static_cast<std::uint32_t>(rng());
        float f;
        std::memcpy(&f, &bits, 4);
        if (!std::isfinite(f))
            continue;
        // Exact midpoints between neighbours, and numbers printed short and long.
        double mid = (static_cast<double>(f) + static_cast<double>(std::nextafter(f, INFINITY))) / 2;
        std::snprintf(buf, sizeof buf, "%.*g", static_cast<int>(rng() % 17) + 1, i % 2 ? mid : f);
        texts.push_back(buf);
        std::snprintf(buf, sizeof buf, "%f", static_cast<double>(f) / (1 << (rng() % 20)));
        texts.push_back(buf);
    }
    for (const std::string& t : texts) {
        float expected = std::strtof(t.c_str(), nullptr), got = -1;
        const char* p = t.data();
        ASSERT_TRUE(glmscan::scanFloat(p, t.data() + t.size(), got)) << t;
        EXPECT_EQ(p, t.data() + t.size()) << t;
        ASSERT_EQ(std::memcmp(&expected, &got, 4), 0) << t << ": " << expected << " vs " << got;
    }
}

}  // namespace
