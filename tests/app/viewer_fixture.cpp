#include "viewer_fixture.h"

#include <GL/freeglut.h>

#include "app/date_mode.h"
#include "app/viewer.h"
#include "core/viewer_state.h"
#include "tests/support/pin_libraries.h"

// freeglut keeps no getter for the idle callback nor for pending redisplays,
// and on a shared X server a covered window is never redrawn.  These spies
// see the viewer's calls and hand them on to the real GLUT: a definition in
// the executable takes precedence over the library's.
namespace {
void (*installedIdle)() = nullptr;
int redisplayRequests = 0;

template <typename F>
F realGlut(const char* name)
{
    return reinterpret_cast<F>(dlsym(RTLD_NEXT, name));
}
}  // namespace

extern "C" void glutIdleFunc(void (*callback)())
{
    static const auto real = realGlut<void (*)(void (*)())>("glutIdleFunc");
    installedIdle = callback;
    real(callback);
}

extern "C" void glutPostRedisplay()
{
    static const auto real = realGlut<void (*)()>("glutPostRedisplay");
    ++redisplayRequests;
    real();
}

namespace {
void plainDisplay()
{
    glClear(GL_COLOR_BUFFER_BIT);
    glutSwapBuffers();
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
        glutDisplayFunc(plainDisplay);
        glutMainLoopEvent();
        pinLoadedLibraries();
    }
    setAnimateInstalled(false);
}

bool redisplayRequestedBy(const std::function<void()>& fn)
{
    const int before = redisplayRequests;
    fn();
    return redisplayRequests != before;
}

bool clockInstalled() { return installedIdle == animate; }

IdleCallback idleCallback() { return installedIdle; }
