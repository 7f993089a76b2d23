// The real solar-system binary on a private X server, driven like a user
// would drive it: xdotool for keys, mouse and the menu, Xlib to look at the
// window and its picture.
#include <gtest/gtest.h>
// Xlib after gtest: its macros (None, Bool) clash with gtest's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "tests/support/apitrace.h"
#include "tests/support/files.h"
#include "tests/support/x_session.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using Output = CommandOutput;
Output run(const std::string& command) { return runCommand(command); }

// One action per call: chained after a mouse move, xdotool would send the
// next key or button to the window under the pointer as a synthetic event.
void xdotool(const std::string& args) { run("xdotool " + args); }

PrivateXServer* xServer = nullptr;
Display* x = nullptr;

class Viewer : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        // A private X server, so that no other test's window takes the
        // pointer or the keyboard.
        xServer = new PrivateXServer;
        ASSERT_TRUE(xServer->running()) << "Xvfb did not start";
        const std::string display = xServer->display();
        x = XOpenDisplay(display.c_str());
        ASSERT_NE(x, nullptr);
        std::filesystem::create_directories(SCREENSHOT_DIR);
    }

    static void TearDownTestSuite()
    {
        if (x)
            XCloseDisplay(x);
        x = nullptr;
        delete xServer;
        xServer = nullptr;
    }

    void SetUp() override
    {
        ASSERT_NE(x, nullptr);
        viewer = fork();
        if (viewer == 0) {
            if (chdir(workDir().c_str()) != 0)
                _exit(126);
            prepareChild();
            // In a sanitizer build the leak report at exit would replace the
            // exit status under test (and the GL driver, unloaded by then,
            // cannot be named in it); the unit tests check for leaks.
            const char* asan = std::getenv("ASAN_OPTIONS");
            setenv("ASAN_OPTIONS", (std::string(asan ? asan : "") + ":detect_leaks=0").c_str(), 1);
            std::vector<std::string> args = command();
            std::vector<char*> argv;
            for (std::string& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            execvp(argv[0], argv.data());
            _exit(127);
        }
        window = findWindow("^Solar System$", 20s);
        ASSERT_NE(window, 0u) << "no viewer window";
        dismissStartUpErrors();
        waitForStillPicture();
    }

    // How the viewer is started; no arguments of its own.
    virtual std::vector<std::string> command() { return {VIEWER_BINARY}; }
    // Where it runs (the build folder, beside its pictures).
    virtual std::string workDir() { return VIEWER_WORKDIR; }
    // Runs in the child before the viewer starts (environment, output).
    virtual void prepareChild() {}

    void TearDown() override
    {
        if (viewer > 0 && !exited) {
            kill(viewer, SIGTERM);
            waitpid(viewer, nullptr, 0);
        }
    }

    // Exit status of the viewer, or -1 if it is still running after a while.
    int exitStatus(std::chrono::milliseconds patience = 5000ms)
    {
        const auto end = Clock::now() + patience;
        while (Clock::now() < end) {
            int status = 0;
            if (waitpid(viewer, &status, WNOHANG) == viewer) {
                exited = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
            std::this_thread::sleep_for(20ms);
        }
        return -1;
    }

    using Picture = std::vector<unsigned long>;

    Picture capture()
    {
        XWindowAttributes a;
        XGetWindowAttributes(x, window, &a);
        Picture p;
        XImage* image = XGetImage(x, window, 0, 0, a.width, a.height, AllPlanes, ZPixmap);
        if (!image)
            return p;
        p.reserve(static_cast<size_t>(a.width) * a.height);
        for (int row = 0; row < a.height; ++row)
            for (int col = 0; col < a.width; ++col)
                p.push_back(XGetPixel(image, col, row) & 0xffffff);
        XDestroyImage(image);
        return p;
    }

    // Share of pixels that differ within the top rows (all rows by default).
    static double difference(const Picture& a, const Picture& b, size_t rows = 800)
    {
        const size_t n = std::min({a.size(), b.size(), rows * 900});
        if (n == 0)
            return 1.0;
        size_t differing = 0;
        for (size_t i = 0; i < n; ++i)
            differing += a[i] != b[i];
        return static_cast<double>(differing) / n;
    }

    // Where the pictures have not been painted, the image loaders report
    // each missing file in a box during start-up; a user would press OK.
    void dismissStartUpErrors()
    {
        int dismissed = 0;
        for (Window box; (box = findWindow("^Error$", 1500ms)) != 0 && dismissed < 100;) {
            xdotool("key Return");
            windowGone("^Error$", box, 3000ms);
            ++dismissed;
        }
        if (dismissed > 0)
            std::printf("dismissed %d picture error boxes at start-up\n", dismissed);
    }

    void waitForStillPicture()
    {
        Picture last = capture();
        const auto end = Clock::now() + 10s;
        while (Clock::now() < end) {
            std::this_thread::sleep_for(200ms);
            Picture now = capture();
            if (difference(last, now) == 0.0)
                return;
            last = std::move(now);
        }
    }

    // Waits until the picture differs from the reference in at least a
    // hundredth of its pixels; returns the new picture, or empty.
    Picture changedFrom(const Picture& reference, size_t rows = 800)
    {
        const auto end = Clock::now() + 5s;
        while (Clock::now() < end) {
            Picture now = capture();
            if (difference(reference, now, rows) > 0.01)
                return now;
            std::this_thread::sleep_for(50ms);
        }
        return {};
    }

    // Opens the menu with the right button inside the window and releases
    // the button over the given row (0 = "Sun" ... 10 = "Kosmara").
    void chooseFromMenu(int row)
    {
        xdotool("mousemove 200 150");
        xdotool("mousedown 3");
        const Window menu = findWindow("^freeglut menu$", 5s);
        ASSERT_NE(menu, 0u) << "menu did not open";
        XWindowAttributes a;
        XGetWindowAttributes(x, menu, &a);
        int mx = 0, my = 0;
        Window child;
        XTranslateCoordinates(x, menu, DefaultRootWindow(x), 0, 0, &mx, &my, &child);
        const int rowHeight = a.height / 11;
        xdotool("mousemove " + std::to_string(mx + a.width / 2) + " " +
                std::to_string(my + rowHeight * row + rowHeight / 2));
        // Let the menu see the pointer over the row before the release.
        std::this_thread::sleep_for(200ms);
        xdotool("mouseup 3");
    }

    void pressEsc()
    {
        xdotool("mousemove 450 100");
        xdotool("key Escape");
    }

    void screenshot(const char* name)
    {
        // The viewer's area of the screen, with any box over it.
        run(std::string("import -window root -crop 900x800+0+0 +repage '") + SCREENSHOT_DIR + "/" + name + "'");
    }

    pid_t viewer = 0;
    bool exited = false;
    Window window = 0;
};

// The geometry checks of the first test, shared with the one below.
void expectWindowAtTopLeft900x800(Window window)
{
    XWindowAttributes a;
    XGetWindowAttributes(x, window, &a);
    EXPECT_EQ(a.width, 900);
    EXPECT_EQ(a.height, 800);
    int rx = -1, ry = -1;
    Window child;
    XTranslateCoordinates(x, window, DefaultRootWindow(x), 0, 0, &rx, &ry, &child);
    EXPECT_EQ(rx, 0);
    EXPECT_EQ(ry, 0);
}

TEST_F(Viewer, OpensItsWindowAndEndsOnEscWithStatus255)
{
    char* name = nullptr;
    ASSERT_TRUE(XFetchName(x, window, &name));
    EXPECT_STREQ(name, "Solar System");
    XFree(name);
    expectWindowAtTopLeft900x800(window);
    screenshot("overview.png");

    pressEsc();
    EXPECT_EQ(exitStatus(), 255);
}

// GLUT's own options go to GLUT; the viewer's window stays as it is.
class ViewerWithGlutOptions : public Viewer {
protected:
    std::vector<std::string> command() override { return {VIEWER_BINARY, "-geometry", "320x200+40+30"}; }
};

TEST_F(ViewerWithGlutOptions, StillOpensItsWindowAndRuns)
{
    expectWindowAtTopLeft900x800(window);
    xdotool("mousemove 450 400");
    const Picture start = capture();
    xdotool("key Up");
    EXPECT_FALSE(changedFrom(start).empty());
    pressEsc();
    EXPECT_EQ(exitStatus(), 255);
}

TEST_F(Viewer, ArrowKeysAndLeftDragChangeThePicture)
{
    const Picture start = capture();
    xdotool("mousemove 450 400");
    xdotool("key --delay 30 Up Up Up Up Up Up Up Up Up Up");
    const Picture walked = changedFrom(start);
    EXPECT_FALSE(walked.empty()) << "walking forward changed nothing";

    xdotool("key --delay 30 Left Left Left");
    const Picture turned = changedFrom(walked);
    EXPECT_FALSE(turned.empty()) << "turning changed nothing";

    // A left drag turns the scene (and its click starts the animation).
    xdotool("mousedown 1");
    xdotool("mousemove_relative 20 10");
    xdotool("mousemove_relative 20 10");
    xdotool("mouseup 1");
    const Picture dragged = changedFrom(turned);
    EXPECT_FALSE(dragged.empty()) << "dragging changed nothing";
    xdotool("key space");  // pause

    pressEsc();
    EXPECT_EQ(exitStatus(), 255);
}

TEST_F(Viewer, MenuShowsEachBodyWithItsFactBox)
{
    const Picture overview = capture();
    const char* captions[] = {"태양", "수성", "금성", "지구", "화성", "목성", "토성", "천왕성", "해왕성", "명왕성"};
    for (int row = 0; row < 10; ++row) {
        SCOPED_TRACE(captions[row]);
        chooseFromMenu(row);
        const std::string title = std::string("^") + captions[row] + "$";
        const Window box = findWindow(title, 10s);
        if (box == 0)
            screenshot("failure-no-box.png");
        ASSERT_NE(box, 0u) << "no box";

        // The box has the keyboard focus.
        Window focus = 0;
        int revert = 0;
        const auto end = Clock::now() + 3s;
        while (focus != box && Clock::now() < end) {
            XGetInputFocus(x, &focus, &revert);
            std::this_thread::sleep_for(20ms);
        }
        EXPECT_EQ(focus, box);

        if (row == 4) {
            // Behind the box the window already shows the close-up.
            EXPECT_FALSE(changedFrom(overview, 300).empty());
            screenshot("mars-box.png");
        }
        xdotool("key Return");
        EXPECT_TRUE(windowGone(title, box, 5000ms)) << "Return did not dismiss the box";
    }

    // "Kosmara" brings the overview back, without a box.  (The very first
    // frame may differ in a few pixels: the band and the figure's limbs are
    // textured at the texture coordinate that the frame before left.)
    chooseFromMenu(10);
    const auto end = Clock::now() + 5s;
    while (difference(capture(), overview) > 0.001 && Clock::now() < end)
        std::this_thread::sleep_for(50ms);
    EXPECT_LT(difference(capture(), overview), 0.001);
    EXPECT_NE(run("xdotool search --onlyvisible --classname '^solar-system$'").status, 0) << "a box is open";

    pressEsc();
    EXPECT_EQ(exitStatus(), 255);
}

// The viewer recorded by apitrace: the OpenGL calls of the reshape callback
// and of the lighting key, in their order.
class TracedViewer : public Viewer {
protected:
    std::vector<std::string> command() override { return tracedCommand(trace, {VIEWER_BINARY}); }

    // The traced OpenGL calls as apitrace prints them, GLX calls left out.
    std::vector<std::string> glCalls() { return glCallsOnly(dumpTrace(trace)); }

    const TempDir dir;
    const std::filesystem::path trace = dir.path / "viewer.trace";
};

TEST_F(TracedViewer, ReshapeAndLightingKeyIssueTheirCallsInOrder)
{
    xdotool("mousemove 450 100");
    xdotool("key l");
    std::this_thread::sleep_for(300ms);
    xdotool("key l");
    std::this_thread::sleep_for(300ms);
    xdotool("key Escape");
    ASSERT_EQ(exitStatus(10000ms), 255);

    const std::vector<std::string> calls = glCalls();
    const std::vector<std::string> reshape = {
        "glClear(GL_DEPTH_BUFFER_BIT | GL_COLOR_BUFFER_BIT)",
        "glClearColor(0, 0, 0, 0)",
        "glViewport(0, 0, 900, 800)",
        "glMatrixMode(GL_PROJECTION)",
        "glLoadIdentity()",
        // 60 degrees, aspect 900/800, near 0.01, far 1000.
        "glMultMatrixd({1.539600717839002, 0, 0, 0, 0, 1.732050807568878, 0, 0, 0, 0, "
        "-1.000020000200002, -1, 0, 0, -0.02000020000200002, 0})",
        "glEnable(GL_DEPTH_TEST)",
        "glMatrixMode(GL_MODELVIEW)",
    };
    auto at = std::search(calls.begin(), calls.end(), reshape.begin(), reshape.end());
    ASSERT_NE(at, calls.end()) << "no reshape sequence among " << calls.size() << " calls";

    // After it, the first "l" switches lighting off and the second back on.
    at = std::find(at, calls.end(), "glDisable(GL_LIGHTING)");
    EXPECT_NE(at, calls.end());
    EXPECT_NE(std::find(at, calls.end(), "glEnable(GL_LIGHTING)"), calls.end());
}

// The language of the texts: the Mars box's caption, from the real binary,
// under each way of choosing it.
struct LanguageCase {
    const char* name;
    std::vector<std::string> args;
    // Variables to set; LANGUAGE, LC_ALL, LC_MESSAGES and LANG are unset first.
    std::vector<std::pair<std::string, std::string>> environment;
    const char* marsCaption;
};

class ViewerLanguage : public Viewer, public ::testing::WithParamInterface<LanguageCase> {
protected:
    std::vector<std::string> command() override
    {
        std::vector<std::string> args{VIEWER_BINARY};
        args.insert(args.end(), GetParam().args.begin(), GetParam().args.end());
        return args;
    }
    void prepareChild() override
    {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
            unsetenv(name);
        for (const auto& [name, value] : GetParam().environment)
            setenv(name.c_str(), value.c_str(), 1);
    }

    // Chooses Mars and returns whether its box shows `caption`.
    void expectMarsCaption(const std::string& caption)
    {
        chooseFromMenu(4);
        const Window box = findWindow("^" + caption + "$", 10s);
        EXPECT_NE(box, 0u) << "no box captioned " << caption;
        if (box == 0) {
            screenshot((std::string("failure-language-") + GetParam().name + ".png").c_str());
            return;
        }
        screenshot((std::string("language-") + GetParam().name + ".png").c_str());
        xdotool("key Return");
        EXPECT_TRUE(windowGone("^" + caption + "$", box, 5000ms));
    }
};

TEST_P(ViewerLanguage, MarsBoxIsCaptionedInTheChosenLanguage)
{
    expectMarsCaption(GetParam().marsCaption);
    pressEsc();
    EXPECT_EQ(exitStatus(), 255);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ViewerLanguage,
    ::testing::Values(LanguageCase{"KoreanByOption", {"--lang", "ko"}, {{"LC_ALL", "C.UTF-8"}}, "화성"},
                      LanguageCase{"EnglishByOption", {"--lang", "en"}, {{"LC_ALL", "C.UTF-8"}}, "Mars"},
                      LanguageCase{"AutoUnderEnglishLocale", {"--lang", "auto"}, {{"LANG", "en_US.UTF-8"}}, "Mars"},
                      LanguageCase{"AutoUnderKoreanLocale", {"--lang", "auto"}, {{"LANG", "ko_KR.UTF-8"}}, "화성"},
                      LanguageCase{"AutoUnderCLocale", {"--lang", "auto"}, {{"LC_ALL", "C"}}, "화성"},
                      LanguageCase{"NoOptionUnderEnglishLocale", {}, {{"LANG", "en_US.UTF-8"}}, "화성"}),
    [](const ::testing::TestParamInfo<LanguageCase>& info) { return std::string(info.param.name); });

// Catalogs are found beside the executable only: a working directory full
// of catalogs that would rename Mars changes nothing.
class ViewerAmongPlantedCatalogs : public Viewer {
protected:
    static void SetUpTestSuite()
    {
        Viewer::SetUpTestSuite();
        planted = new TempDir;
        const std::filesystem::path po = planted->path / "planted.po";
        writeFile(po, "msgid \"\"\nmsgstr \"Content-Type: text/plain; charset=UTF-8\\n\"\n\n"
                      "msgid \"화성\"\nmsgstr \"PLANTED\"\n\n"
                      "msgid \"Mars\"\nmsgstr \"PLANTED\"\n");
        for (const char* folder : {"locale/ko/LC_MESSAGES", "locale/en/LC_MESSAGES", "ko/LC_MESSAGES", "en/LC_MESSAGES",
                                   "share/locale/ko/LC_MESSAGES", "share/locale/en/LC_MESSAGES",
                                   "../share/locale/ko/LC_MESSAGES", "../share/locale/en/LC_MESSAGES", "."}) {
            const std::filesystem::path dir = planted->path / "work" / folder;
            std::filesystem::create_directories(dir);
            ASSERT_EQ(run("msgfmt -o '" + (dir / "solar-system.mo").string() + "' '" + po.string() + "'").status, 0);
        }
    }
    static void TearDownTestSuite()
    {
        delete planted;
        planted = nullptr;
        Viewer::TearDownTestSuite();
    }
    std::string workDir() override { return (planted->path / "work").string(); }

    void expectMars(const char* caption)
    {
        chooseFromMenu(4);
        const Window box = findWindow(std::string("^") + caption + "$", 10s);
        ASSERT_NE(box, 0u) << "no box captioned " << caption;
        EXPECT_EQ(findWindow("^PLANTED$", 100ms), 0u);
        xdotool("key Return");
        EXPECT_TRUE(windowGone(std::string("^") + caption + "$", box, 5000ms));
        pressEsc();
        EXPECT_EQ(exitStatus(), 255);
    }

    static TempDir* planted;
};
TempDir* ViewerAmongPlantedCatalogs::planted = nullptr;

TEST_F(ViewerAmongPlantedCatalogs, KeepsTodaysTexts) { expectMars("화성"); }

class EnglishViewerAmongPlantedCatalogs : public ViewerAmongPlantedCatalogs {
protected:
    std::vector<std::string> command() override { return {VIEWER_BINARY, "--lang", "en"}; }
};

TEST_F(EnglishViewerAmongPlantedCatalogs, KeepsItsOwnCatalog) { expectMars("Mars"); }

// A viewer whose catalogs are missing (a copy of the binary alone) shows
// today's texts, whatever language is asked for, and says nothing about it.
class ViewerWithoutCatalogs : public Viewer {
protected:
    static void SetUpTestSuite()
    {
        Viewer::SetUpTestSuite();
        copy = new TempDir;
        std::filesystem::copy_file(VIEWER_BINARY, copy->path / "solar-system");
        std::filesystem::permissions(copy->path / "solar-system", std::filesystem::perms::owner_all);
    }
    static void TearDownTestSuite()
    {
        delete copy;
        copy = nullptr;
        Viewer::TearDownTestSuite();
    }
    std::vector<std::string> command() override { return {(copy->path / "solar-system").string(), "--lang", "en"}; }
    void prepareChild() override
    {
        // Its output, to be read after it ends.
        const int out = open((copy->path / "output").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(out, 1);
        dup2(out, 2);
        close(out);
    }
    static TempDir* copy;
};
TempDir* ViewerWithoutCatalogs::copy = nullptr;

TEST_F(ViewerWithoutCatalogs, ShowsTodaysTextsWithoutAMessage)
{
    chooseFromMenu(4);
    const Window box = findWindow("^화성$", 10s);
    ASSERT_NE(box, 0u) << "no box captioned 화성";
    xdotool("key Return");
    EXPECT_TRUE(windowGone("^화성$", box, 5000ms));
    pressEsc();
    EXPECT_EQ(exitStatus(), 255);
    EXPECT_EQ(readFile(copy->path / "output"), "");
}

}  // namespace
