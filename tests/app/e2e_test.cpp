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
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

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
            if (chdir(VIEWER_WORKDIR) != 0)
                _exit(126);
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
// controls existed.
std::vector<unsigned long> goldenFirstFrame() { return readPng(testDataDir() / "viewer" / "first-frame.png"); }

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

}  // namespace
