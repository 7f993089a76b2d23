#include "viewer_fixture.h"

#include <GL/freeglut.h>

#include <dlfcn.h>
#include <link.h>

#include <chrono>
#include <thread>

#include "app/viewer.h"
#include "app/viewer_state.h"

namespace {
void (*installedIdle)() = nullptr;
}

// Sees which idle callback the viewer installs, then hands it on to GLUT.
// freeglut keeps no getter for it; a definition in the executable takes
// precedence over the library's for the viewer's calls.
extern "C" void glutIdleFunc(void (*callback)())
{
    using IdleFunc = void (*)(void (*)());
    static const auto real = reinterpret_cast<IdleFunc>(dlsym(RTLD_NEXT, "glutIdleFunc"));
    installedIdle = callback;
    real(callback);
}

namespace {
int framesDrawn = 0;

void countingDisplay()
{
    ++framesDrawn;
    glClear(GL_COLOR_BUFFER_BIT);
    glutSwapBuffers();
}

void pumpEvents(std::chrono::milliseconds period)
{
    const auto end = std::chrono::steady_clock::now() + period;
    while (std::chrono::steady_clock::now() < end) {
        glutMainLoopEvent();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}
// The GL driver is unloaded at exit before the leak checker runs, which
// then cannot name the driver's allocations nor apply the suppressions for
// system libraries: keep every loaded library in memory to the end.
void pinLoadedLibraries()
{
    dl_iterate_phdr(
        [](dl_phdr_info* info, size_t, void*) {
            if (info->dlpi_name && info->dlpi_name[0])
                dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
            return 0;
        },
        nullptr);
}
}  // namespace

void openTestWindow()
{
    if (!glutGet(GLUT_INIT_STATE)) {
        static int argc = 1;
        static char name[] = "app_tests";
        static char* argv[] = {name, nullptr};
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutInitWindowSize(64, 64);
        glutCreateWindow("app tests");
        glutDisplayFunc(countingDisplay);
        pinLoadedLibraries();
        pumpEvents(std::chrono::milliseconds(150));
    }
    glutIdleFunc(nullptr);
}

int redisplaysCausedBy(const std::function<void()>& fn)
{
    pumpEvents(std::chrono::milliseconds(10));
    const int before = framesDrawn;
    fn();
    glutMainLoopEvent();
    return framesDrawn - before;
}

bool clockInstalled()
{
    return installedIdle == animate;
}

void resetViewerState()
{
    viewMode = 10;
    animating = 1;
    lightingOn = 1;
    heading = 0.0f;
    eyeX = eyeZ = centerX = centerZ = 0.0f;
    viewRotX = viewRotY = 0.0f;
    mouseButton = 0;
    mouseState = -1;
    mouseLastX = mouseLastY = 0;
    for (float* angle : animationAngles())
        *angle = 0.0f;
}

std::array<float*, 22> animationAngles()
{
    return {&mercuryOrbit, &venusOrbit, &earthOrbit, &moonOrbit,   &marsOrbit,
            &jupiterOrbit, &saturnOrbit, &uranusOrbit, &neptuneOrbit, &plutoOrbit,
            &ballSpin,     &bandSpin,    &sunSpin,     &mercurySpin,  &venusSpin,
            &earthSpin,    &marsSpin,    &jupiterSpin, &saturnSpin,   &uranusSpin,
            &neptuneSpin,  &plutoSpin};
}
