// The WebGL renderer against the desktop's: the wasm program of the web
// build (SOLAR_WEB_SITE, made by scripts/build-web.sh) loaded in headless
// Chromium on a 900 x 800 canvas, its identification pass read back from a
// screenshot, and each body's centre compared with the desktop's pass drawn
// here in the viewer's window under Xvfb.  Skipped when the site, Chromium
// or Python (the web server) is not there.
#include <GL/freeglut.h>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>

#include "app/viewer.h"
#include "core/bodies.h"
#include "core/viewer_state.h"
#include "image/picture.h"
#include "render/render.h"
#include "tests/support/render_fixture.h"

namespace fs = std::filesystem;

namespace {

struct Centre {
    long pixels = 0;
    double x = 0, y = 0;  // pixels from the top left
};

// Each body's colour in a top-first RGB picture: pixel count and centre.
std::map<int, Centre> bodyCentres(const unsigned char* rgb, int width, int height)
{
    std::map<int, Centre> centres;
    for (int body = 0; body < BODY_ROW_COUNT; ++body) {
        if (!bodyTable[body].isBody)
            continue;
        const IdentificationColour c = identificationColour(body);
        Centre centre;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) {
                const unsigned char* p = rgb + (static_cast<std::size_t>(y) * width + x) * 3;
                if (std::abs(p[0] - c.r) <= 2 && std::abs(p[1] - c.g) <= 2 && std::abs(p[2] - c.b) <= 2) {
                    ++centre.pixels;
                    centre.x += x;
                    centre.y += y;
                }
            }
        if (centre.pixels) {
            centre.x /= static_cast<double>(centre.pixels);
            centre.y /= static_cast<double>(centre.pixels);
        }
        centres[body] = centre;
    }
    return centres;
}

// The site's program and a page of its own in a fresh folder, served on
// 127.0.0.1 by Python's web server for the test's lifetime.
class WebSite {
public:
    WebSite()
    {
        const fs::path site = SOLAR_WEB_SITE;
        if (!fs::exists(site / "solar-system.wasm") || !fs::exists(site / "solar-system.js")) {
            missing_ = "no web build at " + site.string() + " (scripts/build-web.sh makes it)";
            return;
        }
        if (std::system("command -v chromium >/dev/null && command -v python3 >/dev/null") != 0) {
            missing_ = "chromium or python3 is not installed";
            return;
        }
        char pattern[] = "/tmp/webgl-smoke-XXXXXX";
        if (!mkdtemp(pattern)) {
            missing_ = "no temporary folder";
            return;
        }
        root_ = pattern;
        fs::copy_file(site / "solar-system.js", root_ / "solar-system.js");
        fs::copy_file(site / "solar-system.wasm", root_ / "solar-system.wasm");
        fs::copy_file(SMOKE_PAGE, root_ / "index.html");
        if (fs::exists(site / "image"))
            fs::create_directory_symlink(fs::absolute(site / "image"), root_ / "image");
        port_ = freePort();
        server_ = fork();
        if (server_ == 0) {
            if (!std::freopen("/dev/null", "w", stderr) || !std::freopen("/dev/null", "w", stdout))
                _exit(127);
            execlp("python3", "python3", "-m", "http.server", std::to_string(port_).c_str(), "--bind", "127.0.0.1",
                   "--directory", root_.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        // Until the server answers.
        for (int tries = 0; tries < 50; ++tries) {
            if (std::system(("python3 -c \"import urllib.request; urllib.request.urlopen('http://127.0.0.1:" +
                             std::to_string(port_) + "/index.html')\" 2>/dev/null")
                                .c_str()) == 0)
                break;
            usleep(100000);
        }
    }
    ~WebSite()
    {
        if (server_ > 0) {
            kill(server_, SIGTERM);
            waitpid(server_, nullptr, 0);
        }
        std::error_code ignored;
        if (!root_.empty())
            fs::remove_all(root_, ignored);
    }
    const std::string& missing() const { return missing_; }

    // A screenshot of the page with the query, decoded (RGB, top row first).
    bool shoot(const std::string& query, PictureData* picture, std::string* why)
    {
        const fs::path shot = root_ / ("shot-" + std::to_string(shots_++) + ".png");
        const std::string command =
            "timeout 120 chromium --headless --no-sandbox --use-angle=swiftshader --enable-unsafe-swiftshader"
            " --user-data-dir=" +
            (root_ / ("profile-" + std::to_string(shots_))).string() +
            " --window-size=900,800 --hide-scrollbars --force-device-scale-factor=1 --virtual-time-budget=8000"
            " --screenshot=" +
            shot.string() + " 'http://127.0.0.1:" + std::to_string(port_) + "/index.html?" + query +
            "' >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0 || !fs::exists(shot)) {
            *why = "chromium made no screenshot: " + command;
            return false;
        }
        char message[PICTURE_MESSAGE_SIZE] = "";
        if (readPicture(shot.c_str(), 3, picture, message) != PICTURE_OK) {
            *why = message;
            return false;
        }
        return true;
    }

private:
    static int freePort()
    {
        const int s = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        int port = 8700;
        if (s >= 0 && bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
            port = ntohs(address.sin_port);
        if (s >= 0)
            close(s);
        return port;
    }

    std::string missing_;
    fs::path root_;
    int port_ = 0;
    pid_t server_ = -1;
    int shots_ = 0;
};

// The desktop's frame, top row first.
std::vector<unsigned char> topFirst(const Frame& frame)
{
    std::vector<unsigned char> rgb(frame.rgb.size());
    const std::size_t row = static_cast<std::size_t>(frame.width) * 3;
    for (int y = 0; y < frame.height; ++y)
        std::copy_n(frame.rgb.begin() + static_cast<long>((frame.height - 1 - y) * row), row,
                    rgb.begin() + static_cast<long>(y * row));
    return rgb;
}

class WebglAgainstDesktop : public ::testing::Test {
protected:
    void SetUp() override
    {
        installTestTextures();
        resetViewer();
    }
    void TearDown() override
    {
        identificationPass = false;
        glutIdleFunc(nullptr);
        resetViewer();
    }

    // The desktop's pass after `steps` clock steps, against the web's.
    void compareAfter(WebSite& site, int steps)
    {
        PictureData web{};
        std::string why;
        ASSERT_TRUE(site.shoot("id=1&steps=" + std::to_string(steps), &web, &why)) << why;
        ASSERT_EQ(web.width, WINDOW_WIDTH);
        ASSERT_EQ(web.height, WINDOW_HEIGHT);

        for (int step = 0; step < steps; ++step)
            animate();
        glutIdleFunc(nullptr);
        identificationPass = true;
        const Frame frame = drawFrame();
        identificationPass = false;
        const std::vector<unsigned char> desktop = topFirst(frame);

        const auto webCentres = bodyCentres(web.pixels, web.width, web.height);
        const auto desktopCentres = bodyCentres(desktop.data(), frame.width, frame.height);
        freePicture(&web);
        double largest = 0;
        for (const auto& [body, expected] : desktopCentres) {
            const Centre& got = webCentres.at(body);
            const char* name = bodyTable[body].name;
            if (expected.pixels == 0) {
                EXPECT_EQ(got.pixels, 0) << name << " after " << steps << " steps";
                continue;
            }
            ASSERT_GT(got.pixels, 0) << name << " missing from the web frame after " << steps << " steps";
            EXPECT_NEAR(got.x, expected.x, 2.0) << name << " after " << steps << " steps";
            EXPECT_NEAR(got.y, expected.y, 2.0) << name << " after " << steps << " steps";
            largest = std::max({largest, std::abs(got.x - expected.x), std::abs(got.y - expected.y)});
        }
        std::printf("after %d steps: centres at most %.3f px apart\n", steps, largest);
    }
};

// Without pictures every surface is lit by the two renderers' own
// arithmetic: OpenGL's per-vertex lighting on the desktop, the shaders on
// the web.  Nearly every pixel agrees within a few levels.
TEST_F(WebglAgainstDesktop, UntexturedLightingAgrees)
{
    WebSite site;
    if (!site.missing().empty())
        GTEST_SKIP() << site.missing();
    PictureData web{};
    std::string why;
    ASSERT_TRUE(site.shoot("pictures=0", &web, &why)) << why;
    ASSERT_EQ(web.width, WINDOW_WIDTH);
    ASSERT_EQ(web.height, WINDOW_HEIGHT);

    // Every texture without an image: texturing has no effect.
    for (int slot = 0; slot < TEXTURE_SLOT_COUNT; ++slot) {
        glBindTexture(GL_TEXTURE_2D, textureIds[slot]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    }
    glBindTexture(GL_TEXTURE_2D, SKY_TEXTURE);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr);
    const Frame frame = drawFrame();
    saveShot(frame, "untextured-desktop");
    const std::vector<unsigned char> desktop = topFirst(frame);

    long lit = 0, differing = 0;
    for (std::size_t i = 0; i < desktop.size(); i += 3) {
        bool dark = true, differs = false;
        for (int k = 0; k < 3; ++k) {
            dark = dark && desktop[i + k] == 0 && web.pixels[i + k] == 0;
            differs = differs || std::abs(desktop[i + k] - web.pixels[i + k]) > 6;
        }
        lit += !dark;
        differing += differs;
    }
    freePicture(&web);
    EXPECT_GT(lit, 100000);
    EXPECT_LT(differing, lit / 100) << differing << " of " << lit << " pixels differ by more than 6 levels";
}

TEST_F(WebglAgainstDesktop, EveryBodyCentreAgreesWithin2PxAtStartAndAfter500Steps)
{
    WebSite site;
    if (!site.missing().empty())
        GTEST_SKIP() << site.missing();
    compareAfter(site, 0);
    resetViewer();
    compareAfter(site, 500);
}

}  // namespace

int main(int argc, char** argv) { return runTestsInViewerWindow(argc, argv); }
