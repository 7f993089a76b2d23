// Checked writing: glmSaveOBJ replacing files safely and reporting every
// failure (full devices, full file systems, size limits, folders that
// cannot be written), glmWriteOBJ ending through the failure route, what
// MODE_KEEP_ALL adds to the text, the kept MTL statements, the geometry
// operations carrying the kept data, and the message handler.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>
#include <vector>

#include "model/glm.h"
#include "model/glm_core.h"
#include "tests/support/mesh_builder.h"
#include "tests/support/models.h"

namespace {

template <typename T>
T* cArray(std::initializer_list<T> values)
{
    T* array = static_cast<T*>(std::malloc(values.size() * sizeof(T)));
    std::copy(values.begin(), values.end(), array);
    return array;
}

char* cText(const char* text) { return strdup(text); }

// Six vertices, four faces in two groups ("a": faces 0 and 1 with material
// 1, "b": faces 2 and 3 with material 2; "b" is written first), and every
// kind of kept data: colours, two objects, three smoothing runs, two lines
// (the first with texture coordinates), two points and kept material
// statements.
GlmMesh* makeRichMesh()
{
    GlmMesh* m = makeMesh({0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 0, 1, 1, 0, 1}, {1, 2, 3, 1, 3, 4, 1, 4, 5, 2, 6, 3},
                          {{"a", {0, 1}, 1}, {"b", {2, 3}, 2}});
    addMaterials(m, 3);
    std::free(m->materialTable[1].keptStatements);
    m->materialTable[1].keptStatements = cText("Ni 1.45\nmap_Kd -s 2 2 1 wood grain.png");
    m->materialTable[2].keptStatements = cText("Pr 0.3");
    m->colors = cArray<float>({0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 0, 0.5f, 0.25f, 0.125f, 0, 0.5f, 1});
    m->objectRunCount = 2;
    m->objectRuns = static_cast<GlmObjectRun*>(std::malloc(2 * sizeof(GlmObjectRun)));
    m->objectRuns[0] = {0, cText("first")};
    m->objectRuns[1] = {2, cText("second one")};
    m->smoothingRunCount = 3;
    m->smoothingRuns = cArray<GlmSmoothingRun>({{0, 1}, {1, 0}, {3, 2}});
    m->lineCount = 2;
    m->lines = cArray<GlmPolyline>({{0, 3}, {3, 2}});
    m->lineRefCount = 5;
    m->lineVertexRefs = cArray<unsigned>({1, 2, 3, 4, 5});
    m->lineUvRefs = cArray<unsigned>({1, 2, 3, 0, 0});
    m->pointCount = 2;
    m->pointVertexRefs = cArray<unsigned>({5, 6});
    m->uvCount = 3;
    m->uvs = cArray<float>({0, 0, 0, 0, 1, 0, 1, 1});
    for (unsigned f = 0; f < m->faceCount; f++)
        for (int k = 0; k < 3; k++)
            m->faces[f].uvRefs[k] = 1 + static_cast<unsigned>(k);
    return m;
}

// The same model without any of the kept data.
GlmMesh* strip(GlmMesh* m)
{
    std::free(m->colors);
    m->colors = nullptr;
    for (unsigned i = 0; i < m->objectRunCount; i++)
        std::free(m->objectRuns[i].name);
    std::free(m->objectRuns);
    m->objectRuns = nullptr;
    m->objectRunCount = 0;
    std::free(m->smoothingRuns);
    m->smoothingRuns = nullptr;
    m->smoothingRunCount = 0;
    std::free(m->lines);
    std::free(m->lineVertexRefs);
    std::free(m->lineUvRefs);
    m->lines = nullptr;
    m->lineVertexRefs = m->lineUvRefs = nullptr;
    m->lineCount = m->lineRefCount = 0;
    std::free(m->pointVertexRefs);
    m->pointVertexRefs = nullptr;
    m->pointCount = 0;
    for (unsigned i = 0; i < m->materialCount; i++) {
        std::free(m->materialTable[i].keptStatements);
        m->materialTable[i].keptStatements = nullptr;
    }
    return m;
}

bool has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

std::string writeWithGlm(GlmMesh* m, const TempDir& dir, const char* name, unsigned mode)
{
    captureStdout([&] { glmWriteOBJ(m, dir.file(name).c_str(), mode); });
    return readFile(dir.file(name));
}

// Files other than `keep` in `dir` (leftover temporary files).
std::vector<std::string> strayFiles(const std::filesystem::path& dir, std::initializer_list<const char*> keep)
{
    std::vector<std::string> stray;
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::string name = entry.path().filename().string();
        if (std::find_if(keep.begin(), keep.end(), [&](const char* k) { return name == k; }) == keep.end())
            stray.push_back(name);
    }
    return stray;
}

// A model whose text is far larger than `bytes`, with a material library.
GlmMesh* makeLargeModel()
{
    GlmMesh* m = makeUvSphere(40, 80);
    addMaterials(m, 2);
    m->materialLibrary = cText("big.mtl");
    return m;
}

// Runs `body` in a forked child and returns its exit status (or -1): for
// what must not touch the test process (resource limits, mount
// namespaces).
template <class Body>
int inChild(Body body)
{
    std::fflush(stdout);
    pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// ---- MODE_KEEP_ALL ----

TEST(GlmKeepAll, WritesObjectsSmoothingLinesPointsAndColoursWhereTheFormatPutsThem)
{
    TempDir dir;
    GlmMesh* m = makeRichMesh();
    m->materialLibrary = cText("rich.mtl");
    std::string text = writeWithGlm(m, dir, "rich.obj", MODE_MATERIAL | MODE_KEEP_ALL);
    EXPECT_TRUE(has(text, "\n# 6 vertices\nv 0.000000 0.000000 0.000000 1.000000 0.000000 0.000000\n"
                          "v 1.000000 0.000000 0.000000 0.000000 1.000000 0.000000\n"))
        << text;
    EXPECT_TRUE(has(text, "v 1.000000 0.000000 1.000000 0.000000 0.500000 1.000000\n"));
    // Faces go out group "b" first; "o" and "s" come where the value
    // changes in that order, after "g" and "usemtl".
    EXPECT_TRUE(has(text, "g b\nusemtl m2\no second one\nf 1 4 5\ns 2\nf 2 6 3\n\n"
                          "g a\nusemtl m1\no first\ns 1\nf 1 2 3\ns off\nf 1 3 4\n\n"))
        << text;
    // Without texture coordinates written, lines carry vertices only.
    EXPECT_TRUE(has(text, "\n# 2 lines\nl 1 2 3\nl 4 5\n\n# 2 points\np 5\np 6\n")) << text;
    std::string mtl = readFile(dir.file("rich.mtl"));
    EXPECT_TRUE(has(mtl, "newmtl m1\n"));
    EXPECT_TRUE(has(mtl, "Ns 125.000000\nNi 1.45\nmap_Kd -s 2 2 1 wood grain.png\n\nnewmtl m2\n")) << mtl;
    EXPECT_TRUE(has(mtl, "Ns 187.500000\nPr 0.3\n\n")) << mtl;

    std::string textured = writeWithGlm(m, dir, "t.obj", MODE_TEXTURE | MODE_KEEP_ALL);
    EXPECT_TRUE(has(textured, "\nl 1/1 2/2 3/3\nl 4 5\n")) << textured;
    glmDestroy(m);
}

TEST(GlmKeepAll, WithoutTheFlagTheTextIsTheSameAsForAModelWithoutKeptData)
{
    TempDir dir;
    const unsigned modes[] = {MODE_PLAIN, MODE_TEXTURE, MODE_MATERIAL, MODE_TEXTURE | MODE_MATERIAL | MODE_COLOR};
    for (unsigned mode : modes) {
        GlmMesh* rich = makeRichMesh();
        GlmMesh* bare = strip(makeRichMesh());
        rich->materialLibrary = cText("rich.mtl");
        bare->materialLibrary = cText("bare.mtl");
        std::string richText = writeWithGlm(rich, dir, "rich.obj", mode);
        std::string bareText = writeWithGlm(bare, dir, "bare.obj", mode);
        if (mode & MODE_MATERIAL) {
            EXPECT_EQ(readFile(dir.file("rich.mtl")), readFile(dir.file("bare.mtl")));
            bareText.replace(bareText.find("bare.mtl"), 8, "rich.mtl");
        }
        EXPECT_EQ(richText, bareText) << mode;
        // With the flag and no kept data, the text is the same again.
        EXPECT_EQ(writeWithGlm(bare, dir, "bare.obj", mode | MODE_KEEP_ALL), writeWithGlm(bare, dir, "b.obj", mode));
        glmDestroy(rich);
        glmDestroy(bare);
    }
}

TEST(GlmKeepAll, MtlReaderKeepsEveryStatementItDoesNotInterpretInFileOrder)
{
    GlmMesh* m = makeMesh({0, 0, 0}, {});
    std::string mtl = readFile(testDataDir() / "models" / "kitchen_sink.mtl");
    glmParseMTL(m, mtl.data(), mtl.size());
    // "norm" begins with n: it starts a material named by its first word,
    // as every such line always has.
    ASSERT_EQ(m->materialCount, 4u);
    EXPECT_STREQ(m->materialTable[1].name, "wood");
    EXPECT_STREQ(m->materialTable[3].name, "metal");
    EXPECT_EQ(m->materialTable[0].keptStatements, nullptr);
    EXPECT_STREQ(
        m->materialTable[1].keptStatements,
        "Ni 1.45\nd 0.9\nTr 0.1\nTf 1 1 1\nillum 2\nmap_Kd -s 2 2 1 -o 0.5 0 0 -bm 1 -clamp on wood grain.png\n"
        "map_Bump -bm 0.3 wood bump.png\nKe 0 0 0");
    EXPECT_STREQ(m->materialTable[2].keptStatements,
                 "Pr 0.3\nPm 1.0\nPs 0.1\nPc 0.05\nPcr 0.02\naniso 0.4\nanisor 0.1\nmap_Pr metal rough.png");
    EXPECT_EQ(m->materialTable[3].keptStatements, nullptr);
    // The interpreted keys keep their meaning.
    EXPECT_FLOAT_EQ(m->materialTable[1].diffuseColor[0], 0.6f);
    EXPECT_FLOAT_EQ(m->materialTable[1].specularExponent, 32.0f);
    EXPECT_FLOAT_EQ(m->materialTable[2].specularExponent, 900.0f / 1000.0f * 128.0f);

    // Line breaks "\r\n", statements before the first newmtl, and colour
    // keys without numbers.
    const char crlf[] = "illum 1\r\nnewmtl x\r\nKd spectral file.rfl\r\nKa 1 1 1\r\nd 0.5\r\n";
    glmParseMTL(m, crlf, sizeof crlf - 1);
    ASSERT_EQ(m->materialCount, 2u);
    EXPECT_STREQ(m->materialTable[0].keptStatements, "illum 1");
    EXPECT_STREQ(m->materialTable[1].keptStatements, "Kd spectral file.rfl\nd 0.5");
    glmDestroy(m);
}

// The material library's text after its "default" entries: each writing
// puts the reader's "default" in the file, and each reading adds another.
std::string entriesAfterDefaults(const std::string& mtl)
{
    std::size_t at = 0;
    while (mtl.compare(mtl.find("newmtl ", at), 15, "newmtl default\n") == 0)
        at = mtl.find("newmtl ", at) + 1;
    return mtl.substr(mtl.find("newmtl ", at));
}

TEST(GlmKeepAll, MaterialStatementsSurviveWritingAndWritingAgainGivesTheSameBytes)
{
    TempDir dir;
    for (const char* folder : {"one", "two", "three", "plain"})
        std::filesystem::create_directory(dir.path / folder);
    std::filesystem::copy(testDataDir() / "models" / "kitchen_sink.mtl", dir.path / "in.mtl");
    writeFile(dir.file("in.obj"), "mtllib in.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nusemtl metal\nf 1 2 3\n");
    const unsigned mode = MODE_MATERIAL | MODE_KEEP_ALL;
    GlmMesh* first = glmReadOBJ(dir.file("in.obj").c_str());
    std::string text1 = writeWithGlm(first, dir, "one/x.obj", mode);
    GlmMesh* second = glmReadOBJ(dir.file("one/x.obj").c_str());
    ASSERT_EQ(second->materialCount, first->materialCount + 1);
    for (unsigned i = 0; i < first->materialCount; i++) {
        const char* a = first->materialTable[i].keptStatements;
        const char* b = second->materialTable[i + 1].keptStatements;
        EXPECT_STREQ(a ? a : "", b ? b : "") << i;
        EXPECT_EQ(std::memcmp(first->materialTable[i].diffuseColor, second->materialTable[i + 1].diffuseColor,
                              3 * sizeof(float)),
                  0);
    }
    std::string text2 = writeWithGlm(second, dir, "two/x.obj", mode);
    GlmMesh* third = glmReadOBJ(dir.file("two/x.obj").c_str());
    std::string text3 = writeWithGlm(third, dir, "three/x.obj", mode);
    // Each reading adds a "default" group and material beside the written
    // ones; apart from those, the text no longer changes.
    EXPECT_EQ(objTextWithoutGroups(text1), objTextWithoutGroups(text2));
    EXPECT_EQ(objTextWithoutGroups(text2), objTextWithoutGroups(text3));
    EXPECT_TRUE(has(objTextWithoutGroups(text3), "usemtl metal\nf 1 2 3\n")) << text3;
    const std::string mtl1 = readFile(dir.file("one/in.mtl")), mtl3 = readFile(dir.file("three/in.mtl"));
    EXPECT_TRUE(has(mtl1, "Ns 900.000000\nPr 0.3\nPm 1.0\n")) << mtl1;
    EXPECT_EQ(entriesAfterDefaults(mtl1), entriesAfterDefaults(mtl3));
    // Without the flag, nothing kept is written.
    writeWithGlm(first, dir, "plain/x.obj", MODE_MATERIAL);
    const std::string plain = readFile(dir.file("plain/in.mtl"));
    EXPECT_FALSE(has(plain, "Pr 0.3"));
    EXPECT_FALSE(has(plain, "Ni 1.45"));
    glmDestroy(first);
    glmDestroy(second);
    glmDestroy(third);
}

// ---- Geometry operations keep the kept data consistent ----

TEST(GlmKeepAll, WeldingRenumbersLinesAndPointsAndColoursFollowTheKeptVertex)
{
    // Vertices 1 and 4 coincide, so do 2 and 5: 6 vertices become 4.
    GlmMesh* m = makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 5, 5, 5}, {1, 2, 3, 4, 5, 6});
    m->colors = cArray<float>({0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1, 0, 0, 1, 1, 1, 0, 1});
    m->lineCount = 1;
    m->lines = cArray<GlmPolyline>({{0, 3}});
    m->lineRefCount = 3;
    m->lineVertexRefs = cArray<unsigned>({4, 5, 6});
    m->pointCount = 2;
    m->pointVertexRefs = cArray<unsigned>({5, 3});
    glmMergeVertices(m, 0.001f);
    ASSERT_EQ(m->vertexCount, 4u);
    EXPECT_EQ(std::vector<unsigned>(m->lineVertexRefs, m->lineVertexRefs + 3), (std::vector<unsigned>{1, 2, 4}));
    EXPECT_EQ(std::vector<unsigned>(m->pointVertexRefs, m->pointVertexRefs + 2), (std::vector<unsigned>{2, 3}));
    // Kept vertex 1 is old vertex 1 (red), 2 is old 2 (green), 3 old 3
    // (blue), 4 old 6 (magenta).
    EXPECT_EQ(std::vector<float>(m->colors + 3, m->colors + 15),
              (std::vector<float>{1, 0, 0, 0, 1, 0, 0, 0, 1, 1, 0, 1}));
    glmDestroy(m);
}

TEST(GlmKeepAll, GeneratedTextureCoordinatesReachTheLines)
{
    GlmMesh* m = makeRichMesh();
    glmPlanarUVs(m);
    EXPECT_EQ(std::vector<unsigned>(m->lineUvRefs, m->lineUvRefs + 5), (std::vector<unsigned>{1, 2, 3, 4, 5}));
    glmFaceNormals(m);
    glmVertexNormals(m, 90.0f);
    captureStdout([&] { glmSphereUVs(m); });
    // Lines have no normals to take coordinates from: they lose theirs
    // rather than keep references into the replaced array.
    EXPECT_EQ(m->lineUvRefs, nullptr);
    glmDestroy(m);
}

// ---- glmSaveOBJ ----

TEST(GlmSaveObj, WritesTheSameTextAsGlmWriteObjAndLeavesNoTemporaryFiles)
{
    TempDir dir;
    GlmMesh* m = makeRichMesh();
    m->materialLibrary = cText("sub/../lib.mtl");
    for (unsigned mode : {MODE_PLAIN, MODE_MATERIAL | MODE_TEXTURE, MODE_MATERIAL | MODE_KEEP_ALL}) {
        std::string expected = writeWithGlm(m, dir, "a.obj", mode);
        std::string expectedMtl = readFile(dir.file("lib.mtl"));
        std::filesystem::remove(dir.path / "lib.mtl");
        GlmWriteError error{};
        ASSERT_TRUE(glmSaveOBJ(m, dir.file("b.obj").c_str(), mode, nullptr, &error)) << error.message;
        EXPECT_EQ(error.kind, GLM_WRITE_OK);
        EXPECT_EQ(readFile(dir.file("b.obj")), expected);
        EXPECT_EQ(readFile(dir.file("lib.mtl")), expectedMtl);
        EXPECT_EQ(strayFiles(dir.path, {"a.obj", "b.obj", "lib.mtl"}), std::vector<std::string>{});
    }
    // The options name another library; the model keeps its own name.
    GlmWriteOptions options;
    options.materialLibrary = "other/b.mtl";
    options.sync = false;
    ASSERT_TRUE(glmSaveOBJ(m, dir.file("b.obj").c_str(), MODE_MATERIAL, &options, nullptr));
    EXPECT_TRUE(has(readFile(dir.file("b.obj")), "\nmtllib b.mtl\n"));
    EXPECT_TRUE(has(readFile(dir.file("b.mtl")), "newmtl m2\n"));
    EXPECT_STREQ(m->materialLibrary, "sub/../lib.mtl");
    glmDestroy(m);
}

TEST(GlmSaveObj, NewFilesGetTheUmaskAndReplacedFilesKeepTheirPermissions)
{
    TempDir dir;
    GlmMesh* m = makeRichMesh();
    m->materialLibrary = cText("p.mtl");
    mode_t old = ::umask(027);
    bool saved = glmSaveOBJ(m, dir.file("p.obj").c_str(), MODE_MATERIAL, nullptr, nullptr);
    struct stat obj, mtl;
    ::stat(dir.file("p.obj").c_str(), &obj);
    ::stat(dir.file("p.mtl").c_str(), &mtl);
    EXPECT_TRUE(saved);
    EXPECT_EQ(obj.st_mode & 07777, 0640u);
    EXPECT_EQ(mtl.st_mode & 07777, 0640u);

    ::chmod(dir.file("p.obj").c_str(), 0604);
    ::chmod(dir.file("p.mtl").c_str(), 0711);
    ::umask(0);
    saved = glmSaveOBJ(m, dir.file("p.obj").c_str(), MODE_MATERIAL, nullptr, nullptr);
    ::umask(old);
    ::stat(dir.file("p.obj").c_str(), &obj);
    ::stat(dir.file("p.mtl").c_str(), &mtl);
    EXPECT_TRUE(saved);
    EXPECT_EQ(obj.st_mode & 07777, 0604u);
    EXPECT_EQ(mtl.st_mode & 07777, 0711u);

    // A symbolic link stays a link; the file it names is replaced.
    ::symlink("p.obj", dir.file("link.obj").c_str());
    ASSERT_TRUE(glmSaveOBJ(m, dir.file("link.obj").c_str(), MODE_PLAIN, nullptr, nullptr));
    struct stat link;
    ::lstat(dir.file("link.obj").c_str(), &link);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    EXPECT_FALSE(has(readFile(dir.file("p.obj")), "mtllib"));
    glmDestroy(m);
}

TEST(GlmSaveObj, AFullDeviceIsReportedAndStaysTheDevice)
{
    GlmMesh* m = makeRichMesh();
    GlmWriteError error{};
    EXPECT_FALSE(glmSaveOBJ(m, "/dev/full", MODE_PLAIN, nullptr, &error));
    EXPECT_EQ(error.kind, GLM_WRITE_FAILED);
    EXPECT_EQ(error.systemError, ENOSPC);
    EXPECT_STREQ(error.message, "glmWriteOBJ() failed: can't write file \"/dev/full\": No space left on device.\n");
    struct stat info;
    ASSERT_EQ(::stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    // /dev/null takes everything: written directly, never renamed over.
    EXPECT_TRUE(glmSaveOBJ(m, "/dev/null", MODE_PLAIN, nullptr, &error));
    ASSERT_EQ(::stat("/dev/null", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
    glmDestroy(m);
}

TEST(GlmSaveObj, AFifoIsWrittenDirectly)
{
    TempDir dir;
    ASSERT_EQ(::mkfifo(dir.file("pipe.obj").c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = readFile(dir.file("pipe.obj")); });
    GlmMesh* m = makeRichMesh();
    EXPECT_TRUE(glmSaveOBJ(m, dir.file("pipe.obj").c_str(), MODE_PLAIN, nullptr, nullptr));
    reader.join();
    EXPECT_EQ(received, writeWithGlm(m, dir, "file.obj", MODE_PLAIN));
    struct stat info;
    ::lstat(dir.file("pipe.obj").c_str(), &info);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    glmDestroy(m);
}

TEST(GlmSaveObj, AFolderThatCannotBeWrittenIsReported)
{
    TempDir dir;
    writeFile(dir.file("plain"), "a file, not a folder");
    GlmMesh* m = makeRichMesh();
    GlmWriteError error{};
    EXPECT_FALSE(glmSaveOBJ(m, dir.file("plain/x.obj").c_str(), MODE_PLAIN, nullptr, &error));
    EXPECT_EQ(error.kind, GLM_WRITE_CANT_OPEN);
    EXPECT_EQ(error.systemError, ENOTDIR);
    EXPECT_TRUE(has(error.message, "plain/x.obj\": Not a directory.\n")) << error.message;
    EXPECT_EQ(readFile(dir.file("plain")), "a file, not a folder");

    ::mkdir(dir.file("folder.obj").c_str(), 0755);
    EXPECT_FALSE(glmSaveOBJ(m, dir.file("folder.obj").c_str(), MODE_PLAIN, nullptr, &error));
    EXPECT_EQ(error.systemError, EISDIR);
    glmDestroy(m);
}

// Old files "big.obj" and "big.mtl" in `folder`, then glmSaveOBJ over them
// with `mode`; the child's status tells what it saw: 0 the save failed with
// `expected` and both old files are as they were with nothing else beside
// them, 10 + n otherwise.
int saveOverOldFiles(const std::string& folder, unsigned mode, int expected)
{
    const std::string oldObj = "old obj\n", oldMtl = "old mtl\n";
    writeFile(folder + "/big.obj", oldObj);
    writeFile(folder + "/big.mtl", oldMtl);
    GlmMesh* m = makeLargeModel();
    GlmWriteError error{};
    bool saved = glmSaveOBJ(m, (folder + "/big.obj").c_str(), mode, nullptr, &error);
    if (saved)
        return 10;
    if (error.systemError != expected || error.kind != GLM_WRITE_FAILED) {
        std::fprintf(stderr, "%s", error.message);
        return 11;
    }
    if (readFile(folder + "/big.obj") != oldObj || readFile(folder + "/big.mtl") != oldMtl)
        return 12;
    if (!strayFiles(folder, {"big.obj", "big.mtl"}).empty())
        return 13;
    return 0;
}

TEST(GlmSaveObj, AFileSizeLimitReachedPartWayLeavesBothOldFilesIntact)
{
    TempDir dir;
    for (unsigned mode : {MODE_PLAIN, MODE_MATERIAL}) {
        int status = inChild([&] {
            std::signal(SIGXFSZ, SIG_IGN);
            struct rlimit limit = {8192, 8192};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            return saveOverOldFiles(dir.path.string(), mode, EFBIG);
        });
        EXPECT_EQ(status, 0) << mode;
    }
    // The material library fails first: the OBJ file is not touched either.
    int status = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = {8192, 8192};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        writeFile(dir.file("m.obj"), "old obj\n");
        writeFile(dir.file("m.mtl"), "old mtl\n");
        GlmMesh* m = makeRichMesh();
        m->materialLibrary = cText("m.mtl");
        std::free(m->materialTable[1].keptStatements);
        m->materialTable[1].keptStatements = cText(std::string(20000, 'x').c_str());
        GlmWriteError error{};
        if (glmSaveOBJ(m, dir.file("m.obj").c_str(), MODE_MATERIAL | MODE_KEEP_ALL, nullptr, &error))
            return 10;
        if (std::strncmp(error.message, "glmWriteMTL() failed: can't write file", 38) != 0)
            return 11;
        return readFile(dir.file("m.obj")) == "old obj\n" && readFile(dir.file("m.mtl")) == "old mtl\n" ? 0 : 12;
    });
    EXPECT_EQ(status, 0);
}

// A private mount namespace for the child: tmpfs and read-only mounts stay
// its own.  Returns false where the system does not allow one.
bool privateMounts()
{
    return ::unshare(CLONE_NEWNS) == 0 && ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
}

TEST(GlmSaveObj, AFullFileSystemLeavesBothOldFilesIntact)
{
    TempDir dir;
    const std::string folder = dir.file("small");
    ::mkdir(folder.c_str(), 0755);
    for (unsigned mode : {MODE_PLAIN, MODE_MATERIAL}) {
        int status = inChild([&] {
            if (!privateMounts() || ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0)
                return 77;
            return saveOverOldFiles(folder, mode, ENOSPC);
        });
        if (status == 77)
            GTEST_SKIP() << "no private mount namespace here";
        EXPECT_EQ(status, 0) << mode;
    }
}

TEST(GlmSaveObj, AReadOnlyFolderIsReportedAndChangesNothing)
{
    TempDir dir;
    const std::string folder = dir.file("ro");
    ::mkdir(folder.c_str(), 0755);
    writeFile(folder + "/x.obj", "old obj\n");
    int status = inChild([&] {
        if (!privateMounts() || ::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
            ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0)
            return 77;
        GlmMesh* m = makeRichMesh();
        GlmWriteError error{};
        if (glmSaveOBJ(m, (folder + "/x.obj").c_str(), MODE_PLAIN, nullptr, &error))
            return 10;
        if (error.kind != GLM_WRITE_CANT_OPEN || error.systemError != EROFS)
            return 11;
        return readFile(folder + "/x.obj") == "old obj\n" ? 0 : 12;
    });
    if (status == 77)
        GTEST_SKIP() << "no private mount namespace here";
    EXPECT_EQ(status, 0);
    EXPECT_EQ(strayFiles(folder, {"x.obj"}), std::vector<std::string>{});
}

// ---- glmWriteOBJ and glmWriteMTL end through the failure route ----

TEST(GlmWriteObjDeathTest, AWriteThatFailsEndsTheProcessNamingTheFileAndTheReason)
{
    GlmMesh* m = makeRichMesh();
    EXPECT_EXIT(glmWriteOBJ(m, "/dev/full", MODE_PLAIN), testing::ExitedWithCode(1),
                "^glmWriteOBJ\\(\\) failed: can't write file \"/dev/full\": No space left on device.\n$");
    TempDir dir;
    ::symlink("/dev/full", dir.file("lib.mtl").c_str());
    m->materialLibrary = cText("lib.mtl");
    EXPECT_EXIT(glmWriteOBJ(m, dir.file("x.obj").c_str(), MODE_MATERIAL), testing::ExitedWithCode(1),
                "glmWriteMTL\\(\\) failed: can't write file \".*lib.mtl\": No space left on device.\n$");
    glmDestroy(m);
}

// ---- Messages ----

struct Heard {
    FILE* stream;
    std::string text;
};

void listen(FILE* stream, const char* text, void* context)
{
    static_cast<std::vector<Heard>*>(context)->push_back({stream, text});
}

TEST(GlmMessages, EveryWarningOfTheNonReaderOperationsReachesTheHandler)
{
    std::vector<Heard> heard;
    glmSetMessageHandler(listen, &heard);
    TempDir dir;
    GlmMesh* m = makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0, 9, 9, 9}, {1, 2, 3});
    std::string printed = captureStdout([&] {
        glmFindMaterial(m, "nothing");
        glmWriteOBJ(m, dir.file("w.obj").c_str(), MODE_SMOOTH);
        GlmWriteError error{};
        glmSaveOBJ(m, dir.file("s.obj").c_str(), MODE_TEXTURE, nullptr, &error);
        glmFaceNormals(m);
        glmVertexNormals(m, 90.0f);
        int w, h;
        glmLoadPPM(dir.file("none.ppm").c_str(), &w, &h);
        m->materialLibrary = cText("..");
        addMaterials(m, 1);
        glmWriteOBJ(m, dir.file("w.obj").c_str(), MODE_MATERIAL);
    });
    glmSetMessageHandler(nullptr, nullptr);
    EXPECT_EQ(printed, "");
    ASSERT_EQ(heard.size(), 6u);
    EXPECT_EQ(heard[0].stream, stdout);
    EXPECT_EQ(heard[0].text, "glmFindMaterial():  can't find material \"nothing\".\n");
    EXPECT_EQ(heard[1].text, "glmWriteOBJ() warning: smooth normal output requested with no normals defined.\n");
    EXPECT_EQ(heard[2].text,
              "glmWriteOBJ() warning: texture coordinate output requested with no texture coordinates defined.\n");
    EXPECT_EQ(heard[3].stream, stderr);
    EXPECT_EQ(heard[3].text, "glmVertexNormals(): vertex w/o a triangle\n");
    EXPECT_EQ(heard[4].stream, stderr);
    EXPECT_EQ(heard[4].text, dir.file("none.ppm") + ": No such file or directory\n");
    EXPECT_EQ(heard[5].text, "glmWriteOBJ() warning: material library \"..\" names no file; none written.\n");
    glmDestroy(m);
}

TEST(GlmMessages, WithoutAHandlerTheStreamsGetTheSameTexts)
{
    GlmMesh* m = makeMesh({0, 0, 0, 1, 0, 0, 0, 1, 0}, {1, 2, 3});
    std::string printed = captureStdout([&] { glmFindMaterial(m, "x"); });
    EXPECT_EQ(printed, "glmFindMaterial():  can't find material \"x\".\n");
    testing::internal::CaptureStderr();
    int w, h;
    glmLoadPPM("/nonexistent/p.ppm", &w, &h);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "/nonexistent/p.ppm: No such file or directory\n");
    glmDestroy(m);
}

}  // namespace
