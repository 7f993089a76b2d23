// The installed product: `cmake --install` into a temporary prefix, the
// viewer started from unrelated folders (also after the prefix is moved),
// programs of other people built against the installed libraries with CMake
// and with pkg-config, the desktop entry and manual page, and the Debian
// packages cpack makes.  The viewer runs on the display of the test run.
#include <gtest/gtest.h>
// Xlib's macros (None, Bool) would clash with GoogleTest's names: after it.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/files.h"
#include "tests/support/x_session.h"

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// A shell command with its standard error folded into its output.
CommandOutput run(const std::string& command) { return runCommand(command + " 2>&1"); }

std::string quoted(const fs::path& path) { return "'" + path.string() + "'"; }

void writeFile(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// A 24-bit bitmap of one flat colour.
void writeFlatBitmap(const fs::path& path, int size, unsigned char r, unsigned char g, unsigned char b)
{
    const int stride = (size * 3 + 3) & ~3;
    const int imageBytes = stride * size;
    std::string bytes(54 + imageBytes, '\0');
    auto put32 = [&](int at, unsigned v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<char>(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, 54 + imageBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, size);
    put32(22, size);
    bytes[26] = 1;
    bytes[28] = 24;
    put32(34, imageBytes);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const int at = 54 + y * stride + x * 3;
            bytes[at] = static_cast<char>(b);
            bytes[at + 1] = static_cast<char>(g);
            bytes[at + 2] = static_cast<char>(r);
        }
    writeFile(path, bytes);
}

struct Rgb {
    int r, g, b;
};

// What a run of the viewer showed: whether an "Error" box appeared within
// three seconds, and the colour at the centre of the sun.
struct ViewerRun {
    bool errorBox = false;
    bool window = false;
    Rgb sunCentre{0, 0, 0};
};

// Starts `viewer` in `workdir` and watches it until its window has been
// up for three seconds (the pictures load before it shows; a loaded machine
// may take a while), or until an "Error" box appears; reads the sun's centre
// pixel and ends it.
ViewerRun runViewer(const fs::path& viewer, const fs::path& workdir)
{
    ViewerRun result;
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(workdir.c_str()) != 0)
            _exit(127);
        const int devnull = open("/dev/null", O_WRONLY);
        dup2(devnull, 1);
        dup2(devnull, 2);
        execl(viewer.c_str(), viewer.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    unsigned long window = 0;
    auto end = std::chrono::steady_clock::now() + 30s;
    while (std::chrono::steady_clock::now() < end) {
        if (findWindow("^Error$", 0ms)) {
            result.errorBox = true;
            break;
        }
        if (!window && (window = findWindow("^Solar System$", 0ms)) != 0)
            end = std::chrono::steady_clock::now() + 3s;
        std::this_thread::sleep_for(100ms);
    }
    if (window && !result.errorBox) {
        result.window = true;
        Display* display = XOpenDisplay(nullptr);
        if (display) {
            XWindowAttributes a;
            XGetWindowAttributes(display, window, &a);
            // The sun stands at the centre of the start-up overview.
            XImage* image = XGetImage(display, window, a.width / 2, a.height / 2, 1, 1, AllPlanes, ZPixmap);
            if (image) {
                const unsigned long p = XGetPixel(image, 0, 0);
                result.sunCentre = {static_cast<int>((p >> 16) & 255), static_cast<int>((p >> 8) & 255),
                                    static_cast<int>(p & 255)};
                XDestroyImage(image);
            }
            XCloseDisplay(display);
        }
    }
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return result;
}

// The sun's map is a warm yellow-white: strong red and green, less blue.
// Drawn untextured it is a flat grey-white.
bool looksLikeTexturedSun(Rgb c) { return c.r > 150 && c.r >= c.g && c.g > c.b + 40; }

fs::path tempRoot;
fs::path prefix;

class Installed : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        char pattern[] = "/tmp/solar-install-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        tempRoot = pattern;
        prefix = tempRoot / "prefix";
        const CommandOutput out = run("cmake --install " + quoted(BUILD_DIR) + " --prefix " + quoted(prefix));
        ASSERT_EQ(out.status, 0) << out.text;
    }
    static void TearDownTestSuite()
    {
        std::error_code ignored;
        fs::remove_all(tempRoot, ignored);
    }
};

TEST_F(Installed, ViewerFindsItsPicturesFromAnyFolderAndAfterTheTreeMoves)
{
    const fs::path elsewhere = tempRoot / "elsewhere";
    fs::create_directories(elsewhere);
    ViewerRun run1 = runViewer(prefix / "bin/solar-system", elsewhere);
    ASSERT_TRUE(run1.window);
    EXPECT_FALSE(run1.errorBox);
    EXPECT_TRUE(looksLikeTexturedSun(run1.sunCentre))
        << run1.sunCentre.r << "," << run1.sunCentre.g << "," << run1.sunCentre.b;

    const fs::path moved = tempRoot / "moved" / "somewhere";
    fs::create_directories(moved.parent_path());
    fs::rename(prefix, moved);
    ViewerRun run2 = runViewer(moved / "bin/solar-system", elsewhere);
    fs::rename(moved, prefix);
    ASSERT_TRUE(run2.window);
    EXPECT_FALSE(run2.errorBox);
    EXPECT_TRUE(looksLikeTexturedSun(run2.sunCentre))
        << run2.sunCentre.r << "," << run2.sunCentre.g << "," << run2.sunCentre.b;
}

TEST_F(Installed, PicturesInTheWorkingDirectoryComeFirst)
{
    const fs::path own = tempRoot / "own";
    writeFlatBitmap(own / "image" / "Sun.bmp", 64, 40, 200, 60);
    const ViewerRun result = runViewer(prefix / "bin/solar-system", own);
    ASSERT_TRUE(result.window);
    EXPECT_FALSE(result.errorBox);
    // Lighting scales the colour; green must still dominate.
    EXPECT_GT(result.sunCentre.g, 2 * result.sunCentre.r);
    EXPECT_GT(result.sunCentre.g, 2 * result.sunCentre.b);
}

TEST_F(Installed, MissingPicturesStillReportedWhenNoFolderHoldsThem)
{
    // A copy of the program without its data folder: every slot picture is
    // missing from every place, and the user is told.
    const fs::path bare = tempRoot / "bare" / "bin";
    fs::create_directories(bare);
    fs::copy_file(prefix / "bin/solar-system", bare / "solar-system");
    const ViewerRun result = runViewer(bare / "solar-system", tempRoot / "bare");
    EXPECT_TRUE(result.errorBox);
}

// A program of somebody else's: reads an OBJ and decodes a bitmap.
const char* consumerSource = R"(#include <cstdio>
#include <cstdlib>
#include "image/image.h"
#include "model/glm.h"
int main(int argc, char** argv)
{
    setImageErrorPopups(0);
    ImageRGB* image = loadDibImage(argv[2]);
    GlmMesh* model = glmReadOBJ(argv[1]);
    if (!image || !model)
        return 1;
    std::printf("%d %d %u %u\n", image->width, image->height, model->vertexCount, model->faceCount);
    std::free(image->pixels);
    std::free(image);
    glmDestroy(model);
    return 0;
}
)";

// Reads an OBJ with the model library alone.
const char* modelOnlySource = R"(#include <cstdio>
#include "model/glm.h"
int main(int, char** argv)
{
    GlmMesh* model = glmReadOBJ(argv[1]);
    std::printf("%u %u\n", model->vertexCount, model->faceCount);
    glmDestroy(model);
    return 0;
}
)";

void writeSamples(const fs::path& dir)
{
    writeFile(dir / "tetra.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nf 1 3 2\nf 1 2 4\nf 1 4 3\nf 2 3 4\n");
    writeFlatBitmap(dir / "flat.bmp", 16, 1, 2, 3);
}

TEST_F(Installed, ProgramsOfOtherPeopleFindThePackageAndLink)
{
    const fs::path project = tempRoot / "consumer";
    writeSamples(project);
    writeFile(project / "main.cpp", consumerSource);
    // The in-tree decoders-only program, built here against the package.
    fs::copy_file(DECODER_ONLY_SOURCE, project / "image_only.cpp");
    writeFile(project / "model_only.cpp", modelOnlySource);
    writeFile(project / "CMakeLists.txt", R"(cmake_minimum_required(VERSION 3.16)
project(Consumer CXX)
find_package(SolarSystem 1.0 REQUIRED)
add_executable(consumer main.cpp)
target_link_libraries(consumer PRIVATE SolarSystem::image SolarSystem::model)
add_executable(image_only image_only.cpp)
target_link_libraries(image_only PRIVATE SolarSystem::image)
add_executable(model_only model_only.cpp)
target_link_libraries(model_only PRIVATE SolarSystem::model)
)");
    const fs::path build = project / "build";
    CommandOutput out = run("cmake -S " + quoted(project) + " -B " + quoted(build) +
                            " -DCMAKE_PREFIX_PATH=" + quoted(prefix) + " && cmake --build " + quoted(build));
    ASSERT_EQ(out.status, 0) << out.text;

    out = run(quoted(build / "consumer") + " " + quoted(project / "tetra.obj") + " " + quoted(project / "flat.bmp"));
    EXPECT_EQ(out.status, 0) << out.text;
    EXPECT_EQ(out.text, "16 16 4 4\n");
    out = run(quoted(build / "image_only") + " " + quoted(project / "flat.bmp"));
    EXPECT_EQ(out.text, "16 16\n");

    // The decoders bring neither GLUT nor GL along.
    out = run("ldd " + quoted(build / "image_only"));
    ASSERT_EQ(out.status, 0) << out.text;
    EXPECT_EQ(out.text.find("libglut"), std::string::npos) << out.text;
    EXPECT_EQ(out.text.find("libGL"), std::string::npos) << out.text;

    // The model library brings GL and threads, nothing of the desktop.
    out = run(quoted(build / "model_only") + " " + quoted(project / "tetra.obj"));
    EXPECT_EQ(out.text, "4 4\n");
    out = run("ldd " + quoted(build / "model_only"));
    ASSERT_EQ(out.status, 0) << out.text;
    EXPECT_EQ(out.text.find("libgtk"), std::string::npos) << out.text;
    EXPECT_EQ(out.text.find("libgdk"), std::string::npos) << out.text;
    EXPECT_EQ(out.text.find("libglut"), std::string::npos) << out.text;

    // A version the package does not claim to serve is refused.
    writeFile(project / "v2" / "CMakeLists.txt",
              "cmake_minimum_required(VERSION 3.16)\nproject(V2 CXX)\nfind_package(SolarSystem 2.0 REQUIRED)\n");
    out = run("cmake -S " + quoted(project / "v2") + " -B " + quoted(project / "v2/build") +
              " -DCMAKE_PREFIX_PATH=" + quoted(prefix));
    EXPECT_NE(out.status, 0);
}

TEST_F(Installed, ProgramsOfOtherPeopleBuildWithPkgConfig)
{
    const fs::path project = tempRoot / "pkgconfig";
    writeSamples(project);
    writeFile(project / "main.cpp", consumerSource);
    const std::string pc = "PKG_CONFIG_PATH=" + quoted(prefix / INSTALL_LIBDIR / "pkgconfig") + " pkg-config";
    const CommandOutput out = run("c++ -o " + quoted(project / "consumer") + " " + quoted(project / "main.cpp") +
                                  " $(" + pc + " --cflags --libs solar-system-image solar-system-model)");
    ASSERT_EQ(out.status, 0) << out.text;
    const CommandOutput ran =
        run(quoted(project / "consumer") + " " + quoted(project / "tetra.obj") + " " + quoted(project / "flat.bmp"));
    EXPECT_EQ(ran.text, "16 16 4 4\n");

    // The model library alone links with its own pkg-config line.
    writeFile(project / "model_only.cpp", modelOnlySource);
    const CommandOutput model =
        run("c++ -o " + quoted(project / "model_only") + " " + quoted(project / "model_only.cpp") + " $(" + pc +
            " --cflags --libs solar-system-model)");
    ASSERT_EQ(model.status, 0) << model.text;
    EXPECT_EQ(run(quoted(project / "model_only") + " " + quoted(project / "tetra.obj")).text, "4 4\n");
}

TEST_F(Installed, PublicHeadersCompileOnTheirOwn)
{
    const fs::path include = prefix / "include/solar-system";
    int headers = 0;
    for (const auto& entry : fs::recursive_directory_iterator(include)) {
        if (entry.path().extension() != ".h")
            continue;
        ++headers;
        // Included first and alone, as a consumer's file would.
        const std::string name = fs::relative(entry.path(), include).string();
        const CommandOutput out = run("echo '#include \"" + name + "\"' | c++ -std=c++17 -Wall -Wextra -Werror " +
                                      "-fsyntax-only -x c++ -I " + quoted(include) + " -");
        EXPECT_EQ(out.status, 0) << entry.path() << "\n" << out.text;
    }
    EXPECT_EQ(headers, 3);
}

TEST_F(Installed, DesktopEntryValidatesAndManualPageRendersCleanly)
{
    CommandOutput out = run("desktop-file-validate " + quoted(prefix / "share/applications/solar-system.desktop"));
    EXPECT_EQ(out.status, 0) << out.text;
    // Hints are advice (the entry names two main categories on purpose:
    // Education and Science); errors and warnings are not.
    EXPECT_EQ(out.text.find("error"), std::string::npos) << out.text;
    EXPECT_EQ(out.text.find("warning"), std::string::npos) << out.text;
    out = run("MANWIDTH=80 man --warnings -l " + quoted(prefix / "share/man/man6/solar-system.6.gz") +
              " 2>&1 >/dev/null");
    EXPECT_EQ(out.status, 0);
    EXPECT_EQ(out.text, "");
    EXPECT_TRUE(fs::is_regular_file(prefix / "share/icons/hicolor/256x256/apps/solar-system.png"));
    out = run("file -b " + quoted(prefix / "share/icons/hicolor/256x256/apps/solar-system.png"));
    EXPECT_NE(out.text.find("PNG image data, 256 x 256, 8-bit/color RGBA"), std::string::npos) << out.text;
    // The desktop starts the viewer in the desktop's language.
    EXPECT_NE(readFile(prefix / "share/applications/solar-system.desktop").find("\nExec=solar-system --lang auto\n"),
              std::string::npos);
}

TEST_F(Installed, ViewerFindsItsCatalogsBesideItself)
{
    for (const char* language : {"ko", "en"})
        EXPECT_TRUE(fs::is_regular_file(prefix / "share/locale" / language / "LC_MESSAGES/solar-system.mo"))
            << language;
    // --help needs no display and speaks the language chosen.
    const std::string viewer = quoted(prefix / "bin/solar-system");
    CommandOutput out = run("cd / && env -u DISPLAY " + viewer + " --lang en --help");
    EXPECT_EQ(out.status, 0);
    EXPECT_TRUE(out.text.starts_with("Usage: solar-system")) << out.text;
    out = run("cd / && env -u DISPLAY " + viewer + " --help");
    EXPECT_EQ(out.status, 0);
    EXPECT_TRUE(out.text.starts_with("사용법: solar-system")) << out.text;
}

// The text of every `<tag ...>text</tag>` element of an XML document.
std::vector<std::string> elementTexts(const std::string& xml, const std::string& tag)
{
    std::vector<std::string> texts;
    const std::regex element("<" + tag + "(\\s[^>]*)?>([^<]*)</" + tag + ">");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), element); it != std::sregex_iterator(); ++it)
        texts.push_back((*it)[2]);
    return texts;
}

// The value of `key` in the main group of a desktop entry.
std::string desktopValue(const std::string& entry, const std::string& key)
{
    std::smatch match;
    const std::regex line("(^|\n)" + std::regex_replace(key, std::regex("[\\[\\]]"), "\\$&") + "=([^\n]*)");
    return std::regex_search(entry, match, line) ? match[2].str() : "";
}

TEST_F(Installed, AppStreamMetadataValidatesAndNamesTheInstalledEntryAndIcon)
{
    if (run("command -v appstreamcli").status != 0)
        GTEST_SKIP() << "appstreamcli is not installed (scripts/install-deps.sh test installs the appstream package)";
    // The whole installed tree: the metainfo file and the desktop entry it
    // names.  The one warning allowed is for the component id, which is not
    // in reverse-DNS form while the project owns no domain name.
    const CommandOutput out = run("appstreamcli validate-tree --no-net --pedantic " + quoted(prefix));
    std::istringstream lines(out.text);
    int checked = 0;
    for (std::string line; std::getline(lines, line);) {
        const std::string::size_type at = line.find_first_not_of(' ');
        if (at == std::string::npos)
            continue;
        if (line.compare(at, 3, "E: ") == 0 || line.compare(at, 3, "W: ") == 0) {
            EXPECT_NE(line.find(" cid-desktopapp-is-not-rdns "), std::string::npos) << out.text;
            ++checked;
        }
    }
    EXPECT_LE(checked, 1) << out.text;
    EXPECT_NE(out.text.find("solar-system.metainfo.xml"), std::string::npos) << "metainfo file not found:\n"
                                                                             << out.text;

    const std::string metainfo = readFile(prefix / "share/metainfo/solar-system.metainfo.xml");
    ASSERT_EQ(elementTexts(metainfo, "id"), std::vector<std::string>{"solar-system"});
    EXPECT_EQ(elementTexts(metainfo, "project_license"), std::vector<std::string>{"MIT"});
    const std::vector<std::string> launchables = elementTexts(metainfo, "launchable");
    ASSERT_EQ(launchables.size(), 1u);
    const std::string entry = readFile(prefix / "share/applications" / launchables[0]);
    ASSERT_FALSE(entry.empty()) << launchables[0] << " is not installed where the metainfo says";

    // Software centres list the program under the desktop entry's menu
    // categories, with its icon; both must agree with the metainfo.
    std::string categories;
    for (const std::string& category : elementTexts(metainfo, "category"))
        categories += category + ";";
    EXPECT_EQ(categories, desktopValue(entry, "Categories"));
    const std::vector<std::string> icons = elementTexts(metainfo, "icon");
    ASSERT_EQ(icons.size(), 1u);
    EXPECT_EQ(icons[0], desktopValue(entry, "Icon"));
    EXPECT_TRUE(fs::is_regular_file(prefix / "share/icons/hicolor/256x256/apps" / (icons[0] + ".png")));

    // The Korean names beside the English ones, in both files.
    EXPECT_EQ(desktopValue(entry, "Name[ko]"), "태양계");
    EXPECT_FALSE(desktopValue(entry, "Comment[ko]").empty());
    EXPECT_NE(metainfo.find("<name xml:lang=\"ko\">태양계</name>"), std::string::npos);

    // The release the metainfo announces is this one, with its date.
    EXPECT_TRUE(std::regex_search(metainfo, std::regex("<release version=\"" + std::string(PROJECT_VERSION) +
                                                       "\" date=\"[0-9]{4}-[0-9]{2}-[0-9]{2}\"")))
        << metainfo;
}

TEST(DebianPackage, CarriesItsDependsAndFilesAndRunsWhereverExtracted)
{
    char pattern[] = "/tmp/solar-deb-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const fs::path dir = pattern;
    CommandOutput out =
        run("cd " + quoted(dir) + " && cpack -G DEB --config " + quoted(fs::path(BUILD_DIR) / "CPackConfig.cmake"));
    ASSERT_EQ(out.status, 0) << out.text;
    const fs::path deb = dir / ("solar-system_" + std::string(PROJECT_VERSION) + "_amd64.deb");
    ASSERT_TRUE(fs::exists(deb)) << out.text;
    // The pictures, the same on every architecture, have a package of their own.
    const fs::path data = dir / ("solar-system-data_" + std::string(PROJECT_VERSION) + "_all.deb");
    ASSERT_TRUE(fs::exists(data)) << out.text;

    out = run("dpkg-deb --field " + quoted(deb) + " Depends");
    for (const char* dependency : {"libglut3.12", "libgtk-3-0", "fonts-nanum | fonts-noto-cjk", "libc6", "libfreetype6",
                                   "libfontconfig1", "libpng16-16", "solar-system-data (= " PROJECT_VERSION ")"})
        EXPECT_NE(out.text.find(dependency), std::string::npos) << dependency << " missing from: " << out.text;
    out = run("dpkg-deb --contents " + quoted(deb));
    for (const char* file :
         {"./usr/bin/solar-system", "./usr/bin/objtool", "./usr/share/applications/solar-system.desktop",
          "./usr/share/icons/hicolor/256x256/apps/solar-system.png", "./usr/share/man/man6/solar-system.6.gz",
          "./usr/share/metainfo/solar-system.metainfo.xml", "./usr/share/doc/solar-system/copyright",
          "./usr/share/locale/ko/LC_MESSAGES/solar-system.mo", "./usr/share/locale/en/LC_MESSAGES/solar-system.mo"})
        EXPECT_NE(out.text.find(file), std::string::npos) << file << " missing from the package";
    EXPECT_EQ(out.text.find("/usr/share/solar-system/image/"), std::string::npos)
        << "pictures in the program's package";
    out = run("dpkg-deb --contents " + quoted(data));
    for (const char* file :
         {"./usr/share/solar-system/image/Sun.bmp", "./usr/share/solar-system/image/earth.bmp",
          "./usr/share/solar-system/image/space2.bmp", "./usr/share/doc/solar-system-data/copyright"})
        EXPECT_NE(out.text.find(file), std::string::npos) << file << " missing from the data package";

    const fs::path root = dir / "root";
    for (const fs::path& package : {deb, data}) {
        out = run("dpkg-deb -x " + quoted(package) + " " + quoted(root));
        ASSERT_EQ(out.status, 0) << out.text;
    }
    const ViewerRun result = runViewer(root / "usr/bin/solar-system", dir);
    ASSERT_TRUE(result.window);
    EXPECT_FALSE(result.errorBox);
    EXPECT_TRUE(looksLikeTexturedSun(result.sunCentre));
    std::error_code ignored;
    fs::remove_all(dir, ignored);
}

}  // namespace
