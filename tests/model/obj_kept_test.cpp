// The OBJ reader keeps what a file says beyond faces: object names,
// smoothing groups, lines, points and vertex colours; it counts the
// statements it skips, and hands its warnings to the message handler.
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "model/glm.h"
#include "model/glm_core.h"
#include "tests/support/model_checks.h"
#include "tests/support/models.h"

namespace {

using Counts = std::vector<std::pair<std::string, unsigned long>>;

void countInto(const char* keyword, std::size_t length, unsigned long count, void* context)
{
    static_cast<Counts*>(context)->emplace_back(std::string(keyword, length), count);
}

// Reads `text` with `threads` threads over pieces of `chunkBytes` (0: the
// reader's choice); `skipped` receives the skipped statements when given.
GlmMesh* read(const std::string& text, unsigned threads = 1, std::size_t chunkBytes = 0, Counts* skipped = nullptr,
              GlmReadError* error = nullptr)
{
    GlmReadOptions options;
    options.threads = threads;
    options.chunkBytes = chunkBytes;
    if (skipped) {
        options.countSkipped = countInto;
        options.skipContext = skipped;
    }
    GlmReadError local;
    return glmParseOBJ(text.data(), text.size(), "kept.obj", &options, error ? error : &local);
}

std::vector<unsigned> span(const unsigned* refs, unsigned first, unsigned count)
{
    return std::vector<unsigned>(refs + first, refs + first + count);
}
using U = std::vector<unsigned>;

const std::string SQUARE = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";

TEST(GlmReadKept, ObjectsAndSmoothingGroupsAreRunsWhereTheyChange)
{
    GlmMesh* m = read(SQUARE + "o  first part\r\ns 1\nf 1 2 3\nf 1 3 4\n"
                               "s 1\nf 1 2 3\n"                   // the same group: no new run
                               "o second\ns off\ns 2\nf 1 2 3\n"  // the last before a face counts
                               "s 0\nf 1 3 4\no second\nf 1 2 3\no third\n");
    ASSERT_TRUE(m);
    ASSERT_EQ(m->objectRunCount, 3u);
    EXPECT_EQ(m->objectRuns[0].firstFace, 0u);
    EXPECT_STREQ(m->objectRuns[0].name, "first part");  // leading blanks and the line break go
    EXPECT_EQ(m->objectRuns[1].firstFace, 3u);
    EXPECT_STREQ(m->objectRuns[1].name, "second");
    EXPECT_EQ(m->objectRuns[2].firstFace, 6u);  // after the last face: names no face yet
    EXPECT_STREQ(m->objectRuns[2].name, "third");
    ASSERT_EQ(m->smoothingRunCount, 3u);
    EXPECT_EQ(m->smoothingRuns[0].firstFace, 0u);
    EXPECT_EQ(m->smoothingRuns[0].group, 1u);
    EXPECT_EQ(m->smoothingRuns[1].firstFace, 3u);
    EXPECT_EQ(m->smoothingRuns[1].group, 2u);
    EXPECT_EQ(m->smoothingRuns[2].firstFace, 4u);
    EXPECT_EQ(m->smoothingRuns[2].group, 0u);
    EXPECT_EQ(m->faceCount, 6u);
    EXPECT_TRUE(soundModel(m));
    glmDestroy(m);
}

TEST(GlmReadKept, LinesAndPointsResolveLikeFaces)
{
    GlmMesh* m =
        read(SQUARE + "vt 0 0\nvt 1 0\nl 1 2 3\nl 1/1 2/2 -1/-1\np 4 -4 2\nl 4\nl\np\n" + "v 5 5 5\nl -1 1/2\n");
    ASSERT_TRUE(m);
    ASSERT_EQ(m->lineCount, 4u);
    EXPECT_EQ(m->lines[0].first, 0u);
    EXPECT_EQ(m->lines[0].count, 3u);
    EXPECT_EQ(m->lines[1].first, 3u);
    EXPECT_EQ(m->lines[2].count, 1u);
    ASSERT_EQ(m->lineRefCount, 9u);
    EXPECT_EQ(span(m->lineVertexRefs, 0, 9), (U{1, 2, 3, 1, 2, 4, 4, 5, 1}));
    ASSERT_TRUE(m->lineUvRefs);
    EXPECT_EQ(span(m->lineUvRefs, 0, 9), (U{0, 0, 0, 1, 2, 2, 0, 0, 2}));
    ASSERT_EQ(m->pointCount, 3u);
    EXPECT_EQ(span(m->pointVertexRefs, 0, 3), (U{4, 1, 2}));
    EXPECT_EQ(m->faceCount, 0u);
    EXPECT_TRUE(soundModel(m));
    glmDestroy(m);

    // Without texture references the array stays null; without lines all do.
    m = read(SQUARE + "l 1 2\n");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->lineUvRefs, nullptr);
    glmDestroy(m);
    m = read(SQUARE + "f 1 2 3\n");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->lines, nullptr);
    EXPECT_EQ(m->lineVertexRefs, nullptr);
    EXPECT_EQ(m->pointVertexRefs, nullptr);
    EXPECT_EQ(m->colors, nullptr);
    EXPECT_EQ(m->objectRuns, nullptr);
    EXPECT_EQ(m->smoothingRuns, nullptr);
    glmDestroy(m);
}

TEST(GlmReadKept, LineAndPointReferencesOutsideTheArraysAreRefused)
{
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"l 1 5\n", "line 5: vertex reference 5 is out of range"},
        {"f 1 2 3\np 2\np 0\n", "line 7: vertex reference 0 is out of range"},
        {"vt 0 0\nl 1/1 2/-2\n", "line 6: texture coordinate reference -2 is out of range"},
        {"l -5 1\n", "line 5: vertex reference -5 is out of range"},
    };
    for (const Case& c : cases)
        for (unsigned threads : {1u, 2u}) {
            GlmReadError error;
            GlmMesh* m = read(SQUARE + c.text, threads, threads == 2 ? 8 : 0, nullptr, &error);
            EXPECT_FALSE(m) << c.text;
            EXPECT_EQ(error.kind, GLM_READ_BAD_REFERENCE);
            EXPECT_NE(std::string(error.message).find(c.message), std::string::npos) << error.message;
        }
    // Texture references of a file without "vt" lines are absent, as in faces.
    testing::internal::CaptureStderr();
    GlmMesh* m = read(SQUARE + "l 1/7 2/8\n");
    const std::string warning = testing::internal::GetCapturedStderr();
    ASSERT_TRUE(m);
    EXPECT_EQ(m->lineUvRefs, nullptr);
    EXPECT_NE(warning.find("\"kept.obj\" line 5: the file defines no texture coordinates"), std::string::npos)
        << warning;
    glmDestroy(m);
}

TEST(GlmReadKept, VertexColoursSitBesideThePositions)
{
    GlmMesh* m = read("v 0 0 0\nv 1 0 0 0.5 0.25 1\nv 0 1 0 1.0\nv 1 1 1 0 0 0 extra\n");
    ASSERT_TRUE(m);
    ASSERT_TRUE(m->colors);
    const float expected[] = {0, 0, 0, 1, 1, 1, 0.5f, 0.25f, 1, 1, 1, 1, 0, 0, 0};
    EXPECT_EQ(std::memcmp(m->colors, expected, sizeof expected), 0);
    EXPECT_EQ(m->vertices[3 * 2], 1.0f);  // the positions are as before
    EXPECT_EQ(m->vertices[3 * 4 + 2], 1.0f);
    glmDestroy(m);
    // A fourth number alone is a weight, not a colour.
    m = read("v 0 0 0 1\nv 1 1 1 0.5 0.5\r\n");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->colors, nullptr);
    glmDestroy(m);
}

TEST(GlmReadKept, SkippedStatementsAreCountedOncePerKeywordInOrder)
{
    Counts skipped;
    GlmMesh* m = read(SQUARE + "# comment\n\ncstype bspline\ndeg 3\ncurv 0 1 1 2 3 4\nparm u 0 0 0 1 1 1\nend\n"
                               "o kept\ns 1\nl 1 2\np 3\ncurv 0 1 1 2\nlod 3\nsurf 0 1 0 1 1 2\n\x01weird 1\nf 1 2 3\n"
                               "usemtl none\nparm v 0 1\n",
                      1, 0, &skipped);
    ASSERT_TRUE(m);
    const Counts expected = {{"cstype", 1}, {"deg", 1}, {"curv", 2}, {"parm", 2},
                             {"end", 1},    {"lod", 1}, {"surf", 1}, {"\x01weird", 1}};
    EXPECT_EQ(skipped, expected);
    glmDestroy(m);
    // The same counts when the text is read in pieces on two threads.
    Counts threaded;
    m = read(SQUARE + "# comment\n\ncstype bspline\ndeg 3\ncurv 0 1 1 2 3 4\nparm u 0 0 0 1 1 1\nend\n"
                      "o kept\ns 1\nl 1 2\np 3\ncurv 0 1 1 2\nlod 3\nsurf 0 1 0 1 1 2\n\x01weird 1\nf 1 2 3\n"
                      "usemtl none\nparm v 0 1\n",
             2, 12, &threaded);
    ASSERT_TRUE(m);
    EXPECT_EQ(threaded, expected);
    glmDestroy(m);
    // "vp" is refused as before, whoever counts.
    GlmReadError error;
    Counts none;
    EXPECT_FALSE(read(SQUARE + "curv 1\nvp 1 2\n", 1, 0, &none, &error));
    EXPECT_STREQ(error.message, "glmFirstPass(): Unknown token \"vp\".\n");
}

// A random text of every kept statement, with relative references, so that
// the pieces of a threaded read must resolve against the ones before them.
std::string randomKeptText(std::mt19937& rng)
{
    auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::string text;
    int v = 0, t = 0;
    for (int line = 0; line < 400; line++) {
        const int kind = v < 3 ? 0 : pick(10);
        auto ref = [&](int count) {
            int r = 1 + pick(count);
            return std::to_string(pick(2) ? r : r - count - 1);
        };
        if (kind == 0) {
            text += "v " + std::to_string(pick(9)) + " 1 2" + (pick(3) ? "" : " 0.5 0.25 1") + "\n";
            v++;
        } else if (kind == 1) {
            text += "vt 0." + std::to_string(pick(9)) + " 1\n";
            t++;
        } else if (kind == 2) {
            text += "f " + ref(v) + " " + ref(v) + " " + ref(v) + (pick(2) ? " " + ref(v) : "") + "\n";
        } else if (kind == 3) {
            text += "l " + ref(v) + (t && pick(2) ? "/" + ref(t) : "") + " " + ref(v) + "\n";
        } else if (kind == 4) {
            text += "p " + ref(v) + " " + ref(v) + "\n";
        } else if (kind == 5) {
            text += "o part" + std::to_string(pick(3)) + "\n";
        } else if (kind == 6) {
            text += pick(3) ? "s " + std::to_string(pick(4)) + "\n" : "s off\n";
        } else if (kind == 7) {
            text += pick(2) ? "g g" + std::to_string(pick(3)) + "\n" : "curv 0 1 2 3\n";
        } else {
            text += "f " + ref(v) + " " + ref(v) + " " + ref(v) + "\n";
        }
    }
    return text;
}

TEST(GlmReadKept, ThreadedReadsKeepWhatOneThreadKeeps)
{
    for (unsigned seed = 1; seed <= 40; seed++) {
        std::mt19937 rng(seed);
        const std::string text = randomKeptText(rng);
        Counts one, two;
        GlmMesh* single = read(text, 1, 0, &one);
        ASSERT_TRUE(single) << seed;
        EXPECT_TRUE(soundModel(single)) << seed;
        for (std::size_t chunk : {std::size_t{16}, std::size_t{61}, std::size_t{700}}) {
            two.clear();
            GlmMesh* threaded = read(text, 2, chunk, &two);
            ASSERT_TRUE(threaded) << seed;
            EXPECT_EQ(modelDifference(single, threaded), "") << "seed " << seed << " chunk " << chunk;
            EXPECT_TRUE(sameKeptStatements(single, threaded)) << "seed " << seed << " chunk " << chunk;
            EXPECT_EQ(one, two) << seed;
            glmDestroy(threaded);
        }
        glmDestroy(single);
    }
}

struct Captured {
    std::vector<std::pair<FILE*, std::string>> messages;
};

void capture(FILE* stream, const char* text, void* context)
{
    static_cast<Captured*>(context)->messages.emplace_back(stream, text);
}

TEST(GlmReadKept, WarningsGoToTheMessageHandler)
{
    Captured captured;
    GlmMessageHandler previous = glmSetMessageHandler(capture, &captured);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    GlmReadOptions options;
    options.loadMaterials = [](GlmMesh* model, const char*, void*, GlmReadError*) {
        glmParseMTL(model, "newmtl red\n", 11);
        return true;
    };
    const std::string text = "mtllib m.mtl\nv 0 0 0\nusemtl blue\nf 1/1 1/1 1/1\n";
    GlmReadError error;
    GlmMesh* m = glmParseOBJ(text.data(), text.size(), "h.obj", &options, &error);
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string err = testing::internal::GetCapturedStderr();
    glmSetMessageHandler(previous, nullptr);
    ASSERT_TRUE(m) << error.message;
    glmDestroy(m);
    EXPECT_EQ(out, "");
    EXPECT_EQ(err, "");
    ASSERT_EQ(captured.messages.size(), 2u);
    EXPECT_EQ(captured.messages[0].first, stdout);
    EXPECT_EQ(captured.messages[0].second, "glmFindMaterial():  can't find material \"blue\".\n");
    EXPECT_EQ(captured.messages[1].first, stderr);
    EXPECT_EQ(captured.messages[1].second,
              "glmReadOBJ() warning: \"h.obj\" line 4: the file defines no texture coordinates; references to them "
              "are read as absent.\n");
}

}  // namespace
