// objtool info and convert, run as a process on generated models; the
// converted files are read back with the model library.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "tests/tools/objtool/support.h"

namespace {

using nlohmann::json;

// A cube of 8 shared corners as six quads in two groups, with materials.
const char CUBE_OBJ[] = "# cube\n"
                        "mtllib cube.mtl\n"
                        "v -1 -1 -1\nv 1 -1 -1\nv 1 1 -1\nv -1 1 -1\n"
                        "v -1 -1 1\nv 1 -1 1\nv 1 1 1\nv -1 1 1\n"
                        "g caps\n"
                        "usemtl red\n"
                        "f 5 6 7 8\nf 1 4 3 2\n"
                        "g sides\n"
                        "usemtl blue\n"
                        "f 1 2 6 5\nf 2 3 7 6\nf 3 4 8 7\nf 4 1 5 8\n"
                        "g caps\n";
const char CUBE_MTL[] = "newmtl red\nKd 1 0 0\nNs 500\n\nnewmtl blue\nKd 0 0 1\n";

// The same cube with every face on its own four corners, each a little off.
std::string splitCubeObj()
{
    const int faces[6][4] = {{5, 6, 7, 8}, {1, 4, 3, 2}, {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 4, 8, 7}, {4, 1, 5, 8}};
    const float corners[9][3] = {{0, 0, 0},   {-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                                 {-1, -1, 1}, {1, -1, 1},   {1, 1, 1},   {-1, 1, 1}};
    std::ostringstream obj;
    int n = 0;
    for (const auto& face : faces)
        for (int c : face) {
            float jitter = (n++ % 3) * 1e-6f;
            obj << "v " << corners[c][0] + jitter << " " << corners[c][1] - jitter << " " << corners[c][2] << "\n";
        }
    for (int f = 0; f < 6; f++)
        obj << "f " << 4 * f + 1 << " " << 4 * f + 2 << " " << 4 * f + 3 << " " << 4 * f + 4 << "\n";
    return obj.str();
}

// "f v/t/n v/t/n v/t/n" with positive numbers.
bool isFullFaceLine(const std::string& line)
{
    unsigned v[3], t[3], n[3];
    char end;
    return std::sscanf(line.c_str(), "f %u/%u/%u %u/%u/%u %u/%u/%u%c", &v[0], &t[0], &n[0], &v[1], &t[1], &n[1], &v[2],
                       &t[2], &n[2], &end) == 9 &&
           v[0] && t[0] && n[0] && v[1] && t[1] && n[1] && v[2] && t[2] && n[2];
}

json infoJson(const std::string& path)
{
    RunResult r = runObjtool({"info", path, "--json"});
    EXPECT_EQ(r.status, 0) << r.err;
    return json::parse(r.out);
}

void expectVector(const json& value, float x, float y, float z)
{
    ASSERT_EQ(value.size(), 3u) << value;
    EXPECT_FLOAT_EQ(value[0].get<float>(), x);
    EXPECT_FLOAT_EQ(value[1].get<float>(), y);
    EXPECT_FLOAT_EQ(value[2].get<float>(), z);
}

const float* vertexOf(const GlmMesh* m, unsigned ref) { return &m->vertices[3 * ref]; }
const float* normalOf(const GlmMesh* m, unsigned ref) { return &m->normals[3 * ref]; }

// The unit normal of a face from its corner positions.
void faceNormal(const GlmMesh* m, const GlmFace& f, float n[3])
{
    const float *p0 = vertexOf(m, f.vertexRefs[0]), *p1 = vertexOf(m, f.vertexRefs[1]),
                *p2 = vertexOf(m, f.vertexRefs[2]);
    float a[3] = {p1[0] - p0[0], p1[1] - p0[1], p1[2] - p0[2]}, b[3] = {p2[0] - p0[0], p2[1] - p0[1], p2[2] - p0[2]};
    n[0] = a[1] * b[2] - a[2] * b[1];
    n[1] = a[2] * b[0] - a[0] * b[2];
    n[2] = a[0] * b[1] - a[1] * b[0];
    float length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    for (int k = 0; k < 3; k++)
        n[k] /= length;
}

// One "objtool: ..." line on standard error and nothing else.
TEST(ObjtoolInfo, CubeWithGroupsAndMaterials)
{
    TempDir dir;
    writeFile(dir.file("cube.obj"), CUBE_OBJ);
    writeFile(dir.file("cube.mtl"), CUBE_MTL);
    json info = infoJson(dir.file("cube.obj"));
    EXPECT_EQ(info["vertices"], 8);
    EXPECT_EQ(info["normals"], 0);
    EXPECT_EQ(info["texcoords"], 0);
    EXPECT_EQ(info["facetNormals"], 0);
    EXPECT_EQ(info["triangles"], 12);
    EXPECT_EQ(info["groupCount"], 3);
    EXPECT_EQ(info["materialCount"], 3);
    EXPECT_EQ(info["materialLibrary"], "cube.mtl");
    EXPECT_EQ(info["materials"], json::array({"default", "red", "blue"}));
    expectVector(info["bounds"]["min"], -1, -1, -1);
    expectVector(info["bounds"]["max"], 1, 1, 1);
    expectVector(info["bounds"]["extents"], 2, 2, 2);
    expectVector(info["bounds"]["centre"], 0, 0, 0);
    // File order; "caps" met again at the end takes the material then current.
    ASSERT_EQ(info["groups"].size(), 3u);
    EXPECT_EQ(info["groups"][0], json({{"name", "default"}, {"triangles", 0}, {"material", "default"}}));
    EXPECT_EQ(info["groups"][1], json({{"name", " caps"}, {"triangles", 4}, {"material", "blue"}}));
    EXPECT_EQ(info["groups"][2], json({{"name", " sides"}, {"triangles", 8}, {"material", "blue"}}));
    EXPECT_EQ(info["warnings"], json::array());

    RunResult text = runObjtool({"info", dir.file("cube.obj")});
    EXPECT_EQ(text.status, 0);
    EXPECT_NE(text.out.find("triangles:           12"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("material library:    cube.mtl"), std::string::npos);
}

TEST(ObjtoolInfo, FansRelativeReferencesAndCrLf)
{
    TempDir dir;
    writeFile(dir.file("fan.obj"), "v 0 0 0\r\nv 2 0 0\r\nv 2 3 0\r\nv 0 3 0\r\nv 1 4 -1\r\n"
                                   "vt 0 0\r\nvt 1 0\r\nvt 1 1\r\n"
                                   "vn 0 0 1\r\n"
                                   "g poly\r\n"
                                   "f -5 -4 -3 -2 -1\r\n"
                                   "f -5/-3/-1 -4/-2/-1 -3/-1/-1 -2/-1/-1\r\n"
                                   "usemtl missing\r\n"
                                   "f 1 2 3\r\n");
    json info = infoJson(dir.file("fan.obj"));
    EXPECT_EQ(info["vertices"], 5);
    EXPECT_EQ(info["normals"], 1);
    EXPECT_EQ(info["texcoords"], 3);
    EXPECT_EQ(info["triangles"], 3 + 2 + 1);
    EXPECT_EQ(info["groupCount"], 2);
    EXPECT_EQ(info["materialCount"], 0);
    EXPECT_TRUE(info["materialLibrary"].is_null());
    expectVector(info["bounds"]["min"], 0, 0, -1);
    expectVector(info["bounds"]["max"], 2, 4, 0);
    expectVector(info["bounds"]["extents"], 2, 4, 1);
    expectVector(info["bounds"]["centre"], 1, 2, -0.5f);
    ASSERT_EQ(info["groups"].size(), 2u);
    EXPECT_EQ(info["groups"][1]["name"], " poly");  // no carriage return kept
    EXPECT_EQ(info["groups"][1]["triangles"], 6);
    EXPECT_TRUE(info["groups"][1]["material"].is_null());
    ASSERT_EQ(info["warnings"].size(), 1u);
    EXPECT_NE(info["warnings"][0].get<std::string>().find("\"missing\""), std::string::npos);

    // The relative references resolved to the right corners.
    GlmMesh* model = readBack(dir.file("fan.obj"));
    ASSERT_TRUE(model);
    EXPECT_EQ(model->faces[2].vertexRefs[0], 1u);
    EXPECT_EQ(model->faces[2].vertexRefs[2], 5u);
    EXPECT_EQ(model->faces[3].uvRefs[0], 1u);
    EXPECT_EQ(model->faces[3].normalRefs[1], 1u);
    glmDestroy(model);
}

TEST(ObjtoolInfo, MissingOrUnreadableMaterialLibraryIsAWarning)
{
    TempDir dir;
    writeFile(dir.file("a.obj"), std::string(CUBE_OBJ));  // cube.mtl is missing
    ::mkdir(dir.file("b.mtl").c_str(), 0755);
    std::string b = CUBE_OBJ;
    b.replace(b.find("cube.mtl"), 8, "b.mtl");
    writeFile(dir.file("b.obj"), b);
    for (const char* name : {"a.obj", "b.obj"}) {
        json info = infoJson(dir.file(name));
        EXPECT_EQ(info["triangles"], 12) << name;
        EXPECT_EQ(info["materials"], json::array({"default"})) << name;
        EXPECT_EQ(info["groups"][1]["material"], "default") << name;
        ASSERT_GE(info["warnings"].size(), 1u) << name;
        EXPECT_NE(info["warnings"][0].get<std::string>().find("using the default material"), std::string::npos)
            << info["warnings"];
    }
    // convert goes on too, and says so on standard error.
    RunResult r = runObjtool({"convert", dir.file("a.obj"), dir.file("out.obj")});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.err.find("objtool: warning: material library"), std::string::npos) << r.err;
    EXPECT_TRUE(fileExists(dir.file("out.obj")));
}

TEST(ObjtoolConvert, WeldingASplitCubeLeavesEightCorners)
{
    TempDir dir;
    writeFile(dir.file("split.obj"), splitCubeObj());
    RunResult r = runObjtool({"convert", dir.file("split.obj"), dir.file("welded.obj"), "--weld", "0.0001"});
    ASSERT_EQ(r.status, 0) << r.err;
    GlmMesh* model = readBack(dir.file("welded.obj"));
    ASSERT_TRUE(model);
    EXPECT_EQ(model->vertexCount, 8u);
    EXPECT_EQ(model->faceCount, 12u);
    // Every corner of the cube is still used.
    std::vector<int> used(9);
    for (unsigned i = 0; i < model->faceCount; i++)
        for (unsigned ref : model->faces[i].vertexRefs)
            used.at(ref)++;
    for (int v = 1; v <= 8; v++)
        EXPECT_GT(used[v], 0) << v;
    glmDestroy(model);

    // A weld of 0 keeps every vertex.
    r = runObjtool({"convert", dir.file("split.obj"), dir.file("kept.obj"), "--weld", "0"});
    ASSERT_EQ(r.status, 0) << r.err;
    model = readBack(dir.file("kept.obj"));
    ASSERT_TRUE(model);
    EXPECT_EQ(model->vertexCount, 24u);
    glmDestroy(model);
}

TEST(ObjtoolConvert, SmoothingAtNinetyKeepsTheCubeHardAndAtOneEightyAverages)
{
    TempDir dir;
    writeFile(dir.file("cube.obj"), CUBE_OBJ);
    writeFile(dir.file("cube.mtl"), CUBE_MTL);
    RunResult r =
        runObjtool({"convert", dir.file("cube.obj"), dir.file("hard.obj"), "--smooth", "90", "--mode", "smooth"});
    ASSERT_EQ(r.status, 0) << r.err;
    GlmMesh* hard = readBack(dir.file("hard.obj"));
    ASSERT_TRUE(hard);
    ASSERT_TRUE(hard->normals);
    for (unsigned i = 0; i < hard->faceCount; i++) {
        float expected[3];
        faceNormal(hard, hard->faces[i], expected);
        for (unsigned ref : hard->faces[i].normalRefs)
            for (int k = 0; k < 3; k++)
                EXPECT_NEAR(normalOf(hard, ref)[k], expected[k], 1e-5) << "face " << i;
    }
    glmDestroy(hard);

    r = runObjtool({"convert", dir.file("cube.obj"), dir.file("soft.obj"), "--smooth", "180", "--mode", "smooth"});
    ASSERT_EQ(r.status, 0) << r.err;
    GlmMesh* soft = readBack(dir.file("soft.obj"));
    ASSERT_TRUE(soft);
    EXPECT_EQ(soft->normalCount, 8u);
    std::vector<unsigned> normalOfVertex(9, 0);
    for (unsigned i = 0; i < soft->faceCount; i++) {
        for (int c = 0; c < 3; c++) {
            unsigned v = soft->faces[i].vertexRefs[c], n = soft->faces[i].normalRefs[c];
            if (!normalOfVertex[v])
                normalOfVertex[v] = n;
            EXPECT_EQ(normalOfVertex[v], n) << "vertex " << v << " has two normals";
            // The averaged normal points out of the cube along every axis.
            for (int k = 0; k < 3; k++)
                EXPECT_GT(normalOf(soft, n)[k] * vertexOf(soft, v)[k], 0.1f);
        }
    }
    glmDestroy(soft);
}

TEST(ObjtoolConvert, OperationsRunInTheOrderGiven)
{
    TempDir dir;
    writeFile(dir.file("box.obj"), "v 2 -1 0\nv 10 -1 0\nv 10 1 3\nv 2 1 3\nf 1 2 3 4\n");
    struct Case {
        std::vector<std::string> ops;
        float limit;
    } cases[] = {
        {{"--unitize"}, 1.0f},
        {{"--scale", "3", "--unitize"}, 1.0f},
        {{"--unitize", "--scale", "0.5"}, 0.5f},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"convert", dir.file("box.obj"), dir.file("out.obj")};
        args.insert(args.end(), c.ops.begin(), c.ops.end());
        RunResult r = runObjtool(args);
        ASSERT_EQ(r.status, 0) << r.err;
        json info = infoJson(dir.file("out.obj"));
        float largest = 0;
        for (int k = 0; k < 3; k++) {
            EXPECT_GE(info["bounds"]["min"][k].get<float>(), -c.limit - 1e-6f) << info["bounds"];
            EXPECT_LE(info["bounds"]["max"][k].get<float>(), c.limit + 1e-6f) << info["bounds"];
            EXPECT_NEAR(info["bounds"]["centre"][k].get<float>(), 0.0f, 1e-6f);
            largest = std::max(largest, info["bounds"]["extents"][k].get<float>());
        }
        EXPECT_NEAR(largest, 2 * c.limit, 1e-5f);
    }
}

TEST(ObjtoolConvert, SphereTextureWithNormalsWritesFullCorners)
{
    TempDir dir;
    writeFile(dir.file("cube.obj"), CUBE_OBJ);
    writeFile(dir.file("cube.mtl"), CUBE_MTL);
    RunResult r = runObjtool({"convert", dir.file("cube.obj"), dir.file("uv.obj"), "--smooth", "60", "--sphere-uv",
                              "--mode", "smooth", "--mode", "texture"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string text = readFile(dir.file("uv.obj"));
    int faces = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind("f ", 0) != 0)
            continue;
        faces++;
        EXPECT_TRUE(isFullFaceLine(line)) << line;
    }
    EXPECT_EQ(faces, 12);
    GlmMesh* model = readBack(dir.file("uv.obj"));
    ASSERT_TRUE(model);
    EXPECT_EQ(model->uvCount, model->normalCount);
    for (unsigned i = 0; i < model->faceCount; i++)
        for (int c = 0; c < 3; c++)
            EXPECT_EQ(model->faces[i].uvRefs[c], model->faces[i].normalRefs[c]);
    glmDestroy(model);

    // Sphere mapping needs normals: without them objtool says so.
    r = runObjtool({"convert", dir.file("cube.obj"), dir.file("none.obj"), "--sphere-uv"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("--sphere-uv needs normals"), std::string::npos) << r.err;
    EXPECT_FALSE(fileExists(dir.file("none.obj")));
}

TEST(ObjtoolConvert, MaterialsAndTheInputAreNeverOverwrittenBehindTheUsersBack)
{
    TempDir dir;
    writeFile(dir.file("cube.obj"), CUBE_OBJ);
    writeFile(dir.file("cube.mtl"), CUBE_MTL);
    RunResult r = runObjtool({"convert", dir.file("cube.obj"), dir.file("out.obj"), "--mode", "material"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(readFile(dir.file("cube.mtl")), CUBE_MTL);
    EXPECT_NE(readFile(dir.file("out.obj")).find("mtllib out.mtl\n"), std::string::npos);
    // The written library holds the "default" entry too, which reads back
    // as a material of its own after the reader's own "default".
    json info = infoJson(dir.file("out.obj"));
    EXPECT_EQ(info["materials"], json::array({"default", "default", "red", "blue"}));
    int caps = 0;
    for (const json& group : info["groups"]) {
        if (group["name"].get<std::string>().find("caps") == std::string::npos)
            continue;
        caps++;
        EXPECT_EQ(group["material"], "blue");
        EXPECT_EQ(group["triangles"], 4);
    }
    EXPECT_EQ(caps, 1);

    // Named explicitly, the input is replaced, and no temporary file is left.
    r = runObjtool({"convert", dir.file("cube.obj"), dir.file("cube.obj"), "--unitize", "--scale", "2"});
    ASSERT_EQ(r.status, 0) << r.err;
    info = infoJson(dir.file("cube.obj"));
    expectVector(info["bounds"]["max"], 2, 2, 2);
    int files = 0;
    for (auto& entry : std::filesystem::directory_iterator(dir.path.string())) {
        files++;
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
    }
    EXPECT_EQ(files, 4);  // cube.obj cube.mtl out.obj out.mtl
}

TEST(ObjtoolErrors, BadInvocationsGetOneMessageAndAStatus)
{
    TempDir dir;
    writeFile(dir.file("cube.obj"), CUBE_OBJ);
    writeFile(dir.file("cube.mtl"), CUBE_MTL);
    writeFile(dir.file("plain"), "not a folder");
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    } cases[] = {
        {{"convert", dir.file("cube.obj"), dir.file("o.obj"), "--frobnicate"}, 2, "unknown option \"--frobnicate\""},
        {{"info", dir.file("cube.obj"), "-x"}, 2, "unknown option \"-x\""},
        {{"frob"}, 2, "unknown command \"frob\""},
        {{"convert", dir.file("cube.obj")}, 2, "give one input and one output"},
        {{"convert", dir.file("cube.obj"), dir.file("o.obj"), "--scale"}, 2, "--scale wants a number"},
        {{"convert", dir.file("cube.obj"), dir.file("o.obj"), "--smooth", "abc"}, 2, "not \"abc\""},
        {{"convert", dir.file("cube.obj"), dir.file("o.obj"), "--smooth", "200"}, 2, "0 to 180"},
        {{"convert", dir.file("cube.obj"), dir.file("o.obj"), "--mode", "shiny"}, 2, "not \"shiny\""},
        {{"view", dir.file("cube.obj"), "--size", "0x10"}, 2, "--size wants"},
        {{"info", dir.file("nothing.obj")}, 1, "nothing.obj: No such file or directory"},
        {{"convert", dir.file("nothing.obj"), dir.file("o.obj")}, 1, "No such file or directory"},
        {{"info", dir.path.string()}, 1, "is a directory"},
        {{"convert", dir.path.string(), dir.file("o.obj")}, 1, "is a directory"},
        {{"convert", dir.file("cube.obj"), dir.path.string()}, 1, "is a directory"},
        {{"convert", dir.file("cube.obj"), dir.file("no/such/o.obj")}, 1, "cannot write"},
        {{"convert", dir.file("cube.obj"), dir.file("plain/o.obj")}, 1, "cannot write"},
        {{"view", dir.file("cube.obj"), "--snapshot", dir.file("plain/s.ppm")}, 1, "cannot write"},
    };
    for (const Case& c : cases) {
        RunResult r = runObjtool(c.args);
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        EXPECT_EQ(r.status, c.status) << r.err;
        expectOneMessage(r, c.message);
        EXPECT_EQ(r.out, "");
    }
    EXPECT_FALSE(fileExists(dir.file("o.obj")));
}

TEST(ObjtoolErrors, FilesTheReaderRefusesEndWithObjtoolsOwnMessage)
{
    TempDir dir;
    writeFile(dir.file("range.obj"), "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 9\n");
    writeFile(dir.file("token.obj"), "v 0 0 0\nvp 1 2\n");
    writeFile(dir.file("keep.obj"), "precious");
    for (const char* name : {"range.obj", "token.obj"}) {
        RunResult r = runObjtool({"convert", dir.file(name), dir.file("keep.obj")});
        EXPECT_EQ(r.status, 1) << name;
        expectOneMessage(r, std::string(name) + ": not a model objtool can read");
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(readFile(dir.file("keep.obj")), "precious");
        r = runObjtool({"info", dir.file(name), "--json"});
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, "");
    }
    RunResult r = runObjtool({"info", dir.file("range.obj")});
    EXPECT_NE(r.err.find("9"), std::string::npos) << r.err;  // the library's detail is kept
}

TEST(ObjtoolErrors, WriterFailuresInsideTheLibraryAreReportedByObjtool)
{
    // The material library beside the output cannot be created (a folder
    // has its name): the library's writer ends its process, objtool reports.
    TempDir dir;
    writeFile(dir.file("cube.obj"), CUBE_OBJ);
    writeFile(dir.file("cube.mtl"), CUBE_MTL);
    ::mkdir(dir.file("out").c_str(), 0755);
    ::mkdir(dir.file("out/cube.mtl").c_str(), 0755);
    writeFile(dir.file("out/model.obj"), "precious");
    RunResult r = runObjtool({"convert", dir.file("cube.obj"), dir.file("out/model.obj"), "--mode", "material"});
    EXPECT_EQ(r.status, 1);
    expectOneMessage(r, "model.obj: cannot write: glmWriteMTL() failed");
    EXPECT_EQ(readFile(dir.file("out/model.obj")), "precious");
    int files = 0;
    for (auto& entry : std::filesystem::directory_iterator(dir.file("out")))
        files += entry.is_regular_file();
    EXPECT_EQ(files, 1);
}

TEST(ObjtoolErrors, ViewWithoutADisplaySaysSo)
{
    TempDir dir;
    writeFile(dir.file("cube.obj"), CUBE_OBJ);
    writeFile(dir.file("cube.mtl"), CUBE_MTL);
    RunResult r = runObjtool({"view", dir.file("cube.obj"), "--snapshot", dir.file("s.ppm")}, true);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("objtool: view: ", 0), 0u) << r.err;
    EXPECT_FALSE(fileExists(dir.file("s.ppm")));
    for (auto& entry : std::filesystem::directory_iterator(dir.path.string()))
        EXPECT_NE(entry.path().filename().string()[0], '.') << entry.path();
}

TEST(ObjtoolHelp, HelpAndManPage)
{
    for (const char* word : {"--help", "help"}) {
        RunResult r = runObjtool({word});
        EXPECT_EQ(r.status, 0);
        for (const char* text : {"info", "convert", "view", "--smooth ANGLE", "--snapshot"})
            EXPECT_NE(r.out.find(text), std::string::npos) << text;
    }
    RunResult r = runObjtool({});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("usage: objtool"), std::string::npos);
    r = runObjtool({"--version"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("objtool ", 0), 0u) << r.out;
    EXPECT_EQ(r.out.find('\n'), r.out.size() - 1) << r.out;

    if (std::system("command -v man >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "man is not installed";
    TempDir dir;
    std::string command =
        "MANWIDTH=80 man --warnings -l '" OBJTOOL_MAN_PAGE "' >/dev/null 2>'" + dir.file("warnings") + "'";
    EXPECT_EQ(std::system(command.c_str()), 0);
    EXPECT_EQ(readFile(dir.file("warnings")), "");
}

}  // namespace

TEST(ObjtoolErrors, FilesThatAreNoTextAreNamedSoAndUtf16Reads)
{
    TempDir dir;
    const std::string bmp = (testDataDir() / "bmpsuite" / "good" / "pal1.bmp").string();
    RunResult r = runObjtool({"info", bmp});
    EXPECT_EQ(r.status, 1);
    expectOneMessage(r, "pal1.bmp: not a text file");
    r = runObjtool({"info", (testDataDir() / "models" / "box_UTF16BE.obj").string()});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("12"), std::string::npos) << r.out;  // its twelve triangles
}

#if !defined(__SANITIZE_ADDRESS__)
// objtool under an address-space limit (the shell's "ulimit -v", on one
// processor so that the reader uses one thread): the largest limit under
// which smoothing fails ends with status 1 and the library's line, never
// with an abort, and nothing written.
TEST(ObjtoolErrors, RunningOutOfMemoryEndsWithTheLibrarysMessageAndStatusOne)
{
    TempDir dir;
    writeFile(dir.file("big.obj"), torusObj(500, 500));
    auto run = [&](long kib) {
        const std::string command =
            "ulimit -v " + std::to_string(kib) + " && exec taskset -c 0 " OBJTOOL_BINARY " convert --smooth 90 " +
            dir.file("big.obj") + " " + dir.file("out.obj") + " >" + dir.file("out.txt") + " 2>" + dir.file("err.txt");
        const int status = std::system(("sh -c '" + command + "'").c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    };
    // The smallest limit (to 4 MiB) that lets it through, between 16 MiB and 4 GiB.
    long low = 16 << 10, high = 4l << 20;
    ASSERT_EQ(run(high), 0) << readFile(dir.file("err.txt"));
    while (high - low > (4 << 10)) {
        const long middle = (low + high) / 2;
        (run(middle) == 0 ? high : low) = middle;
    }
    std::filesystem::remove(dir.file("out.obj"));
    EXPECT_EQ(run(low), 1);
    const std::string err = readFile(dir.file("err.txt"));
    EXPECT_NE(err.find("objtool: "), std::string::npos) << err;
    EXPECT_NE(err.find("out of memory: can't allocate"), std::string::npos) << err;
    EXPECT_FALSE(fileExists(dir.file("out.obj")));
}
#endif
