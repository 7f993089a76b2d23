// The real solar-system binary on a private X server, driven like a user
// would drive it: xdotool for keys, mouse and the menu, Xlib to look at the
// window and its picture.
#include <gtest/gtest.h>
// Xlib after gtest: its macros (None, Bool) clash with gtest's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "sky/sky.h"
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
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

using Output = CommandOutput;
Output run(const std::string& command) { return runCommand(command); }

// A working folder whose image/ holds the pictures make-textures paints
// without maps (--painted), made once per process; the viewer takes the
// pictures of its working folder first.  Empty if painting failed.
std::string paintedPicturesFolder()
{
    static TempDir folder;
    static const bool painted =
        run("'" MAKE_TEXTURES "' '" + (folder.path / "image").string() + "' --painted 2>&1").status == 0;
    return painted ? folder.path.string() : std::string();
}

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
// A viewer started among the pictures make-textures paints without maps.
// The date-mode tests find the bodies by their brightness along their
// orbits, and the painted pictures are brighter than the real maps' dark
// oceans and plains.  The pictures are painted before the viewer is
// started, in this process.
template <typename Base>
class AmongPaintedPictures : public Base {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(paintedPicturesFolder().empty()) << "make-textures --painted failed";
        Base::SetUp();
    }
    std::string workDir() override { return paintedPicturesFolder(); }
};

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

// A PNG file as window pixels (0xRRGGBB, top row first); empty if unreadable.
std::vector<unsigned long> readPng(const std::string& path, int* width = nullptr, int* height = nullptr)
{
    int w = 0, h = 0, channels = 0;
    unsigned char* data = stbi_load(path.c_str(), &w, &h, &channels, 3);
    std::vector<unsigned long> pixels;
    if (!data)
        return pixels;
    pixels.reserve(static_cast<size_t>(w) * h);
    for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i)
        pixels.push_back((static_cast<unsigned long>(data[i * 3]) << 16) | (data[i * 3 + 1] << 8) | data[i * 3 + 2]);
    stbi_image_free(data);
    if (width)
        *width = w;
    if (height)
        *height = h;
    return pixels;
}

// The first frame of the viewer before names, orbits, help and the time
// controls existed, with the pictures the build makes from the real maps.
std::vector<unsigned long> goldenFirstFrame() { return readPng(testDataDir() / "viewer" / "first-frame.png"); }
// The same frame with every body painted (make-textures --painted).
std::vector<unsigned long> paintedFirstFrame() { return readPng(testDataDir() / "viewer" / "first-frame-painted.png"); }

// Counts the pixels that differ; a size mismatch counts as all of them.
size_t differing(const std::vector<unsigned long>& a, const std::vector<unsigned long>& b)
{
    if (a.size() != b.size())
        return std::max(a.size(), b.size());
    size_t n = 0;
    for (size_t i = 0; i < a.size(); ++i)
        n += a[i] != b[i];
    return n;
}

class ViewerControls : public Viewer {
protected:
    // Waits until the window shows the golden first frame again.
    bool backToGolden(const Picture& golden)
    {
        const auto end = Clock::now() + 5s;
        while (Clock::now() < end) {
            if (differing(capture(), golden) == 0)
                return true;
            std::this_thread::sleep_for(50ms);
        }
        return false;
    }
    // Waits until at least `pixels` pixels differ from the reference; the
    // picture then, or empty.
    Picture differsFrom(const Picture& reference, size_t pixels = 200)
    {
        const auto end = Clock::now() + 5s;
        while (Clock::now() < end) {
            Picture now = capture();
            if (differing(now, reference) >= pixels)
                return now;
            std::this_thread::sleep_for(50ms);
        }
        return {};
    }
    void key(const std::string& name)
    {
        xdotool("mousemove 450 50");
        xdotool("key " + name);
    }
    void shot(const std::string& name) { screenshot(name.c_str()); }
};

TEST_F(ViewerControls, FirstFrameEqualsTheGoldenPicture)
{
    const Picture golden = goldenFirstFrame();
    ASSERT_EQ(golden.size(), 900u * 800u) << "tests/data/viewer/first-frame.png unreadable";
    EXPECT_EQ(differing(capture(), golden), 0u);
    pressEsc();
    EXPECT_EQ(exitStatus(), 255);
}

// The painted fallback: started among pictures make-textures painted
// without maps, the viewer shows the first frame it showed before the
// bodies had real maps.
class ViewerAmongPaintedPictures : public AmongPaintedPictures<ViewerControls> {};

TEST_F(ViewerAmongPaintedPictures, FirstFrameEqualsThePaintedGoldenPicture)
{
    const Picture golden = paintedFirstFrame();
    ASSERT_EQ(golden.size(), 900u * 800u) << "tests/data/viewer/first-frame-painted.png unreadable";
    EXPECT_EQ(differing(capture(), golden), 0u);
    pressEsc();
    EXPECT_EQ(exitStatus(), 255);
}

TEST_F(ViewerControls, EachPanelAndDisplayGoesAndLeavesTheFirstFrame)
{
    const Picture golden = goldenFirstFrame();
    ASSERT_EQ(differing(capture(), golden), 0u);
    struct Toggle {
        const char* on;
        const char* off;
        const char* shot;
    };
    const Toggle toggles[] = {
        {"F1", "F1", "help.png"},      {"h", "h", ""},     {"question", "question", ""}, {"n", "n", "names.png"},
        {"o", "o", "orbits.png"},      {"b", "b", ""},     {"plus", "0", "status.png"},  {"minus", "plus", ""},
        {"KP_Add", "KP_Subtract", ""}, {"equal", "0", ""},
    };
    for (const Toggle& t : toggles) {
        SCOPED_TRACE(std::string(t.on) + " then " + t.off);
        key(t.on);
        const Picture on = differsFrom(golden);
        EXPECT_FALSE(on.empty()) << "nothing appeared";
        if (*t.shot)
            shot(t.shot);
        key(t.off);
        EXPECT_TRUE(backToGolden(golden)) << "the first frame did not come back";
    }
    // With the help open, Esc still ends the process at once.
    key("F1");
    differsFrom(golden);
    pressEsc();
    EXPECT_EQ(exitStatus(), 255);
}

TEST_F(ViewerControls, HelpIsACentredPanelAndNamesSitBelowTheBodies)
{
    const Picture golden = goldenFirstFrame();
    key("F1");
    const Picture help = changedFrom(golden);
    ASSERT_FALSE(help.empty());
    // The panel covers the middle of the window, not its corners.
    auto changedIn = [&](const Picture& p, int x0, int y0, int x1, int y1) {
        size_t n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x)
                n += p[y * 900 + x] != golden[y * 900 + x];
        return n;
    };
    EXPECT_GT(changedIn(help, 300, 300, 600, 500), 30000u);
    EXPECT_EQ(changedIn(help, 0, 0, 100, 100), 0u);
    key("F1");
    ASSERT_TRUE(backToGolden(golden));

    key("n");
    const Picture names = differsFrom(golden, 3000);
    ASSERT_FALSE(names.empty());
    shot("names.png");
    // Names sit in the band just below the row of planets (y = 400 at
    // start); the sun's centre keeps its colour, nothing above changes.
    EXPECT_GT(changedIn(names, 0, 405, 900, 470), 3000u);
    EXPECT_EQ(changedIn(names, 430, 380, 470, 420), 0u);
    EXPECT_EQ(changedIn(names, 0, 0, 900, 360), 0u);
    key("o");
    const Picture both = differsFrom(names);
    ASSERT_FALSE(both.empty());
    shot("names-orbits.png");
    pressEsc();
    EXPECT_EQ(exitStatus(), 255);
}

TEST_F(ViewerControls, F11FillsTheScreenAndComesBack)
{
    const Picture golden = goldenFirstFrame();
    key("F11");
    XWindowAttributes a;
    const auto end = Clock::now() + 5s;
    do {
        std::this_thread::sleep_for(100ms);
        XGetWindowAttributes(x, window, &a);
    } while (a.width == 900 && Clock::now() < end);
    EXPECT_EQ(a.width, 1280);
    EXPECT_EQ(a.height, 1024);
    key("F11");
    const auto back = Clock::now() + 5s;
    do {
        std::this_thread::sleep_for(100ms);
        XGetWindowAttributes(x, window, &a);
    } while (a.width != 900 && Clock::now() < back);
    expectWindowAtTopLeft900x800(window);
    // Back at its size the camera stands where it started: the first frame.
    EXPECT_TRUE(backToGolden(golden));
    pressEsc();
    EXPECT_EQ(exitStatus(), 255);
}

TEST_F(ViewerControls, WheelWalksLikeTheArrowKeys)
{
    xdotool("mousemove 450 400");
    xdotool("click --repeat 4 --delay 50 4");  // wheel up: forward
    const Picture walked = differsFrom(goldenFirstFrame());
    EXPECT_FALSE(walked.empty());
    xdotool("click --repeat 4 --delay 50 5");  // and back
    EXPECT_TRUE(backToGolden(goldenFirstFrame()));
    pressEsc();
    EXPECT_EQ(exitStatus(), 255);
}

// The viewer with a home folder of its own, its standard output in a file.
class ViewerScreenshots : public ViewerControls {
protected:
    std::vector<std::string> command() override
    {
        std::filesystem::create_directories(home.path / "Pictures");
        // No configured pictures folder: xdg-user-dir answers the home
        // folder, and ~/Pictures is taken.
        return {"/bin/sh", "-c",
                "unset XDG_CONFIG_HOME; HOME='" + home.path.string() + "' exec '" VIEWER_BINARY "' > '" +
                    home.file("stdout") + "'"};
    }
    TempDir home;
};

TEST_F(ViewerScreenshots, F12WritesThePictureWithoutTheNotice)
{
    key("n");  // names are part of the picture, the notice is not
    const Picture named = differsFrom(goldenFirstFrame());
    ASSERT_FALSE(named.empty());
    key("F12");
    std::filesystem::path written;
    const auto end = Clock::now() + 10s;
    while (written.empty() && Clock::now() < end) {
        std::this_thread::sleep_for(100ms);
        std::error_code error;
        for (const auto& entry : std::filesystem::directory_iterator(home.path / "Pictures", error))
            written = entry.path();
    }
    ASSERT_FALSE(written.empty()) << "no file in ~/Pictures";
    const std::string name = written.filename().string();
    EXPECT_TRUE(name.size() == std::string("solar-system-YYYY-MM-DD-HHMMSS.png").size() &&
                name.rfind("solar-system-20", 0) == 0 && name.ends_with(".png"))
        << name;

    // The notice shows in the window meanwhile.
    const Picture withNotice = differsFrom(named);
    EXPECT_FALSE(withNotice.empty()) << "no notice";
    screenshot("screenshot-notice.png");

    // Two seconds on the notice is gone; the window then shows exactly
    // what the file holds.
    std::this_thread::sleep_for(2500ms);
    int w = 0, h = 0;
    const Picture file = readPng(written.string(), &w, &h);
    EXPECT_EQ(w, 900);
    EXPECT_EQ(h, 800);
    EXPECT_EQ(differing(capture(), named), 0u) << "the notice did not go";
    EXPECT_EQ(differing(file, named), 0u) << "the file is not the window's picture";
    EXPECT_GT(differing(file, withNotice), 100u);

    pressEsc();
    EXPECT_EQ(exitStatus(), 255);
    EXPECT_EQ(readFile(home.path / "stdout"), written.string() + "\n");
}

// ---------------------------------------------------------------------------
// The sky of a date, from the real binary with its real pictures.

// The overview's plane z = 0 seen by the starting camera (eye at z = 50,
// 60 degrees of vertical field over 800 rows, square pixels): the sun's
// centre at the window's centre, and this many pixels per world unit.
const double PIXELS_PER_UNIT = 400.0 / (50.0 * std::tan(30.0 * 3.14159265358979323846 / 180.0));

struct Rgb {
    int r, g, b;
};
Rgb rgbAt(const std::vector<unsigned long>& picture, int x, int y)
{
    const unsigned long p = picture[static_cast<size_t>(y) * 900 + x];
    return {static_cast<int>(p >> 16 & 0xff), static_cast<int>(p >> 8 & 0xff), static_cast<int>(p & 0xff)};
}

// A body found on the circle of its orbit: the middle of the longest run of
// pixels brighter than the dark sky (stars are a pixel or two, a body a
// whole chord), its angle counter-clockwise from +x, the run's length in
// degrees, and the run's mean colour.
struct Found {
    double angle = 0, length = 0;
    Rgb colour{};
};
Found findOnOrbit(const std::vector<unsigned long>& picture, double radiusUnits)
{
    const double radius = radiusUnits * PIXELS_PER_UNIT;
    constexpr int SAMPLES = 2880;  // every eighth of a degree
    std::vector<bool> bright(SAMPLES);
    for (int k = 0; k < SAMPLES; ++k) {
        const double a = k * 2 * 3.14159265358979323846 / SAMPLES;
        const int x = static_cast<int>(std::lround(450 + radius * std::cos(a)));
        const int y = static_cast<int>(std::lround(400 - radius * std::sin(a)));
        const Rgb c = rgbAt(picture, x, y);
        bright[k] = std::max({c.r, c.g, c.b}) > 60;
    }
    // Start the walk on a dark sample so that no run is cut in two.
    int origin = 0;
    while (origin < SAMPLES && bright[origin])
        ++origin;
    int bestStart = 0, bestLength = 0;
    for (int k = 0, start = -1; k <= SAMPLES; ++k) {
        const bool on = k < SAMPLES && bright[(origin + k) % SAMPLES];
        if (on && start < 0)
            start = k;
        if (!on && start >= 0) {
            if (k - start > bestLength) {
                bestLength = k - start;
                bestStart = start;
            }
            start = -1;
        }
    }
    Found found;
    found.length = bestLength * 360.0 / SAMPLES;
    found.angle = std::fmod((origin + bestStart + (bestLength - 1) / 2.0) * 360.0 / SAMPLES, 360.0);
    long r = 0, g = 0, b = 0;
    for (int k = 0; k < bestLength; ++k) {
        const double a = (origin + bestStart + k) * 2 * 3.14159265358979323846 / SAMPLES;
        const Rgb c = rgbAt(picture, static_cast<int>(std::lround(450 + radius * std::cos(a))),
                            static_cast<int>(std::lround(400 - radius * std::sin(a))));
        r += c.r;
        g += c.g;
        b += c.b;
    }
    if (bestLength > 0)
        found.colour = {static_cast<int>(r / bestLength), static_cast<int>(g / bestLength),
                        static_cast<int>(b / bestLength)};
    return found;
}

double angleBetween(double a, double b) { return std::remainder(a - b, 360.0); }

// The true heliocentric longitude of a body at an instant.
double longitudeAt(const char* when, SkyBody body)
{
    double jd = 0;
    EXPECT_EQ(skyParseDate(when, &jd), SKY_DATE_OK);
    SkyPosition positions[SKY_BODY_COUNT];
    skyPositions(jd, positions);
    return positions[body].longitude;
}

// The Earth's disc (radius 0.8 at 9.6 units) spans 9.5 degrees of its
// orbit, Mars's (0.64 at 12.3) 6 and Venus's (0.9 at 6.4) 16.
constexpr double EARTH_ORBIT = 9.6, MARS_ORBIT = 12.3, VENUS_ORBIT = 6.4;

void expectSunAtTheCentre(const std::vector<unsigned long>& picture)
{
    const Rgb sun = rgbAt(picture, 450, 400);
    EXPECT_GT(sun.r, 180);
    EXPECT_GT(sun.r, sun.b + 80) << "the sun's orange";
}

// The opposition of Mars on 2025-01-16 at 02:38 UTC: Sun, Earth and Mars
// in one line, the Earth between.
class ViewerAtMarsOpposition : public AmongPaintedPictures<Viewer> {
protected:
    std::vector<std::string> command() override { return {VIEWER_BINARY, "--date", "2025-01-16T02:38Z"}; }
};

TEST_F(ViewerAtMarsOpposition, ShowsSunEarthAndMarsInALine)
{
    screenshot("date-mars-opposition.png");
    const Picture picture = capture();
    ASSERT_EQ(picture.size(), 900u * 800u);
    expectSunAtTheCentre(picture);
    const Found earth = findOnOrbit(picture, EARTH_ORBIT), mars = findOnOrbit(picture, MARS_ORBIT);
    EXPECT_GT(earth.length, 0.6 * 9.5);
    EXPECT_GT(mars.length, 0.6 * 6.0);
    EXPECT_GT(earth.colour.b, earth.colour.r) << "the Earth is blue";
    EXPECT_GT(mars.colour.r, mars.colour.b + 40) << "Mars is red";
    // On one ray from the sun, the Earth on the inner orbit: Earth between.
    EXPECT_NEAR(angleBetween(earth.angle, mars.angle), 0.0, 2.0) << earth.angle << " vs " << mars.angle;
    // And that ray is the Earth's true longitude, 116 degrees: longitude 0
    // along +x, counter-clockwise seen from the north.
    EXPECT_NEAR(angleBetween(earth.angle, longitudeAt("2025-01-16T02:38Z", SKY_EARTH)), 0.0, 2.0);

    // Space runs the date clock: the picture changes; the Parts' keys
    // still work (Esc ends the program with its status).
    xdotool("mousemove 450 100");
    xdotool("key space");
    // A day a second: in a second and a half the Moon goes 20 degrees round
    // the Earth, and the planets a little way.
    std::this_thread::sleep_for(1500ms);
    EXPECT_GT(difference(picture, capture()), 0.0) << "the date clock did not run";
    pressEsc();
    EXPECT_EQ(exitStatus(), 255);
}

// Venus at its greatest elongations of 2025: east of the Sun in the
// evening sky on 2025-01-10, west of it in the morning sky on 2025-06-01.
// Seen from the north, east is counter-clockwise: from the Earth, Venus
// stands counter-clockwise of the Sun in January and clockwise in June.
double venusSide(const std::vector<unsigned long>& picture, const char* when)
{
    const Found earth = findOnOrbit(picture, EARTH_ORBIT), venus = findOnOrbit(picture, VENUS_ORBIT);
    EXPECT_GT(earth.length, 0.6 * 9.5);
    EXPECT_GT(venus.length, 0.6 * 16.0);
    EXPECT_NEAR(angleBetween(venus.angle, longitudeAt(when, SKY_VENUS)), 0.0, 2.0);
    EXPECT_NEAR(angleBetween(earth.angle, longitudeAt(when, SKY_EARTH)), 0.0, 2.0);
    // The cross product (Sun - Earth) x (Venus - Earth), y upwards.
    const double ea = earth.angle * 3.14159265358979323846 / 180, va = venus.angle * 3.14159265358979323846 / 180;
    const double ex = EARTH_ORBIT * std::cos(ea), ey = EARTH_ORBIT * std::sin(ea);
    const double vx = VENUS_ORBIT * std::cos(va), vy = VENUS_ORBIT * std::sin(va);
    return (-ex) * (vy - ey) - (-ey) * (vx - ex);
}

class ViewerAtVenusEveningElongation : public AmongPaintedPictures<Viewer> {
protected:
    std::vector<std::string> command() override { return {VIEWER_BINARY, "--date", "2025-01-10"}; }
};

TEST_F(ViewerAtVenusEveningElongation, ShowsVenusEastOfTheSun)
{
    screenshot("date-venus-east.png");
    const Picture picture = capture();
    expectSunAtTheCentre(picture);
    EXPECT_GT(venusSide(picture, "2025-01-10"), 0.0);
}

class ViewerAtVenusMorningElongation : public AmongPaintedPictures<Viewer> {
protected:
    std::vector<std::string> command() override { return {VIEWER_BINARY, "--date", "2025-06-01"}; }
};

TEST_F(ViewerAtVenusMorningElongation, ShowsVenusWestOfTheSun)
{
    screenshot("date-venus-west.png");
    const Picture picture = capture();
    expectSunAtTheCentre(picture);
    EXPECT_LT(venusSide(picture, "2025-06-01"), 0.0);
}

// d and d again: the first picture comes back pixel for pixel.
TEST_F(Viewer, DateModeKeyShowsTheDateAndGivesThePictureBack)
{
    const Picture before = capture();
    xdotool("mousemove 450 100");
    xdotool("key d");
    const Picture dated = changedFrom(before);
    ASSERT_FALSE(dated.empty()) << "d changed nothing";
    screenshot("date-now.png");
    xdotool("key d");
    waitForStillPicture();
    EXPECT_EQ(difference(before, capture()), 0.0);
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
