// objtool convert keeping what the input says (objects, smoothing groups,
// lines, points, colours, material statements), naming what it cannot
// keep, and failing with one message when the output cannot be written,
// the old files untouched.  info reports the kept data.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "tests/tools/objtool/support.h"

namespace {

using json = nlohmann::json;

bool has(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

struct Corpus {
    TempDir dir;
    Corpus()
    {
        for (const auto& entry : std::filesystem::directory_iterator(testDataDir() / "models"))
            std::filesystem::copy(entry.path(), dir.path / entry.path().filename());
    }
};

// Runs `script` with sh in a private mount namespace (unshare -m), where
// mounts stay its own; false when the system allows none.
bool privateShell(const std::string& script, std::string* output)
{
    TempDir scratch;
    const std::string out = scratch.file("out");
    const std::string command = "unshare -m --propagation private sh -c '" + script + "' > " + out + " 2>&1";
    int status = std::system(command.c_str());
    *output = readFile(out);
    return status == 0;
}

// ---- What convert keeps (needs the OBJ reader that keeps them) ----

TEST(ObjtoolKeep, ConvertKeepsObjectsSmoothingLinesPointsColoursAndMaterialStatements)
{
    Corpus c;
    std::filesystem::create_directory(c.dir.path / "out");
    RunResult r = runObjtool({"convert", c.dir.file("kitchen_sink.obj"), c.dir.file("out/out.obj")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    std::string obj = readFile(c.dir.file("out/out.obj"));
    for (const char* piece :
         {"v 0.000000 0.000000 0.000000 1.000000 0.000000 0.000000\n", "\no the mast\ns 2\nf ",
          "\no base plate\ns 1\nf ", "\ns off\nf ", "\nl 1/1 2/2 3/3\nl 4 5 6\n", "\np 5\np 6\np 1\n"})
        EXPECT_TRUE(has(obj, piece)) << piece << "\n" << obj;
    std::string mtl = readFile(c.dir.file("out/kitchen_sink.mtl"));
    for (const char* piece :
         {"Ns 250.000000\nNi 1.45\nd 0.9\nTr 0.1\nTf 1 1 1\nillum 2\n"
          "map_Kd -s 2 2 1 -o 0.5 0 0 -bm 1 -clamp on wood grain.png\n",
          "Pr 0.3\nPm 1.0\nPs 0.1\nPc 0.05\nPcr 0.02\naniso 0.4\nanisor 0.1\nmap_Pr metal rough.png\n"})
        EXPECT_TRUE(has(mtl, piece)) << piece << "\n" << mtl;

    // --modelled-only writes what the modes write and nothing else.
    std::filesystem::create_directory(c.dir.path / "bare");
    r = runObjtool({"convert", c.dir.file("kitchen_sink.obj"), c.dir.file("bare/bare.obj"), "--modelled-only"});
    ASSERT_EQ(r.status, 0) << r.err;
    obj = readFile(c.dir.file("bare/bare.obj"));
    for (const char* piece : {"\no ", "\ns ", "\nl ", "\np ", "0.000000 1.000000 0.000000 0.000000\n"})
        EXPECT_FALSE(has(obj, piece)) << piece;
    const std::string bareMtl = readFile(c.dir.file("bare/kitchen_sink.mtl"));
    EXPECT_TRUE(has(bareMtl, "newmtl metal\n"));
    EXPECT_FALSE(has(bareMtl, "Pr 0.3"));
}

TEST(ObjtoolKeep, AFileOfLinesAloneComesOutWithItsLines)
{
    Corpus c;
    RunResult r = runObjtool({"convert", c.dir.file("lines_and_points.obj"), c.dir.file("out.obj")});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string obj = readFile(c.dir.file("out.obj"));
    EXPECT_TRUE(has(obj, "\nl 1 2 3 4 1\nl 1/1 3/2\n\n# 3 points\np 2\np 4\np 3\n")) << obj;
}

TEST(ObjtoolKeep, StatementsNothingKeepsAreNamedInOneWarning)
{
    Corpus c;
    RunResult r = runObjtool({"convert", c.dir.file("freeform.obj"), c.dir.file("out.obj")});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "objtool: warning: freeform.obj: 8 statements not kept in the output: cstype (1), deg (1), "
                     "curv (2), parm (2), end (2)\n");
    // vp is refused, as it always was.
    writeFile(c.dir.file("vp.obj"), "v 0 0 0\nvp 0.5\n");
    r = runObjtool({"convert", c.dir.file("vp.obj"), c.dir.file("vp-out.obj")});
    EXPECT_EQ(r.status, 1);
    expectOneMessage(r, "vp.obj: not a model objtool can read");
}

TEST(ObjtoolKeep, InfoCountsObjectsSmoothingGroupsLinesPointsAndColours)
{
    Corpus c;
    RunResult r = runObjtool({"info", c.dir.file("kitchen_sink.obj"), "--json"});
    ASSERT_EQ(r.status, 0) << r.err;
    json info = json::parse(r.out);
    EXPECT_EQ(info["objectCount"], 2);
    EXPECT_EQ(info["objects"], json::array({"base plate", "the mast"}));
    EXPECT_EQ(info["smoothingGroupCount"], 2);
    EXPECT_EQ(info["smoothingGroups"], json::array({1, 2}));
    EXPECT_EQ(info["lines"], 2);
    EXPECT_EQ(info["points"], 3);
    EXPECT_EQ(info["vertexColors"], 6);
    r = runObjtool({"info", c.dir.file("kitchen_sink.obj")});
    EXPECT_TRUE(has(r.out, "objects:             2\nsmoothing groups:    2\nlines:               2\n"
                           "points:              3\nvertex colours:      6\n"))
        << r.out;
}

// ---- Write failures: one message, status 1, old files untouched ----

TEST(ObjtoolWriteFailures, AFullDeviceIsOneMessageAndStaysTheDevice)
{
    Corpus c;
    RunResult r = runObjtool({"convert", c.dir.file("textured.obj"), "/dev/full", "--mode", "plain"});
    EXPECT_EQ(r.status, 1);
    expectOneMessage(r, "/dev/full: cannot write: glmWriteOBJ() failed: can't write file \"/dev/full\": No space left "
                        "on device.");
    EXPECT_EQ(r.out, "");
    struct stat info;
    ASSERT_EQ(::stat("/dev/full", &info), 0);
    EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST(ObjtoolWriteFailures, AFullFileSystemLeavesTheOldFilesAsTheyWere)
{
    Corpus c;
    // A model far larger than the 32 KiB file system.
    std::string big = "mtllib textured.mtl\nusemtl red\n";
    for (int i = 0; i < 3000; i++)
        big += "v " + std::to_string(i) + " 0 0\nv " + std::to_string(i) + " 1 0\nv " + std::to_string(i) + " 0 1\n";
    for (int i = 0; i < 3000; i++)
        big +=
            "f " + std::to_string(3 * i + 1) + " " + std::to_string(3 * i + 2) + " " + std::to_string(3 * i + 3) + "\n";
    writeFile(c.dir.file("big.obj"), big);
    const std::string small = c.dir.file("small");
    std::filesystem::create_directory(small);
    std::string output;
    bool ran = privateShell("mount -t tmpfs -o size=32k tmpfs " + small + " && printf old > " + small +
                                "/out.obj && printf oldlib > " + small + "/out.mtl && " + OBJTOOL_BINARY + " convert " +
                                c.dir.file("big.obj") + " " + small + "/out.obj; echo status $?; cat " + small +
                                "/out.obj " + small + "/out.mtl; echo; ls -A " + small,
                            &output);
    if (!ran || has(output, "unshare:") || has(output, "mount:"))
        GTEST_SKIP() << "no private mount namespace here: " << output;
    EXPECT_TRUE(has(output, "No space left on device.\nstatus 1\noldoldlib\nout.mtl\nout.obj\n")) << output;
    EXPECT_EQ(std::count(output.begin(), output.end(), '\n'), 5) << output;  // one message line
}

TEST(ObjtoolWriteFailures, AReadOnlyFolderIsOneMessage)
{
    Corpus c;
    const std::string folder = c.dir.file("ro");
    std::filesystem::create_directory(folder);
    writeFile(folder + "/out.obj", "old");
    std::string output;
    bool ran = privateShell("mount --bind " + folder + " " + folder + " && mount -o remount,ro,bind " + folder + " " +
                                folder + " && " + OBJTOOL_BINARY + " convert " + c.dir.file("textured.obj") + " " +
                                folder + "/out.obj; echo status $?",
                            &output);
    if (!ran || has(output, "unshare:") || has(output, "mount:"))
        GTEST_SKIP() << "no private mount namespace here: " << output;
    EXPECT_TRUE(has(output, "out.obj: cannot write: glmWriteMTL() failed: can't create file")) << output;
    EXPECT_TRUE(has(output, "Read-only file system.\nstatus 1\n")) << output;
    EXPECT_EQ(readFile(folder + "/out.obj"), "old");
}

}  // namespace
