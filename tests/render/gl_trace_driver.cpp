// Issues the OpenGL calls that the trace tests record with apitrace:
//   sphere    every drawSphere case, each after glPassThrough(case number)
//   init      initRenderState
//   frames    one overview frame, then the Sun's, Earth's and Saturn's
//             close-ups, each after glPassThrough(view mode)
#include <GL/freeglut.h>

#include <cstring>

#include "app/viewer.h"
#include "image/image.h"
#include "platform/message_box.h"
#include "render/render.h"
#include "core/viewer_state.h"
#include "tests/render/sphere_cases.h"
#include "tests/support/render_fixture.h"

int main(int argc, char** argv)
{
    const char* what = argc > 1 ? argv[argc - 1] : "";
    if (std::strcmp(what, "init") == 0) {
        // The bare start-up sequence, without the test pictures.
        glutInit(&argc, argv);
        glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
        glutCreateWindow("Solar System");
        // No pictures beside the driver: keep the loaders' boxes quiet.
        setImageErrorPopups(0);
        setMessageBoxRecorder([](const char*, const char*) {});
        glPassThrough(0);
        initRenderState();
        glPassThrough(1);
        return 0;
    }
    openViewerWindow(&argc, argv);
    if (std::strcmp(what, "sphere") == 0) {
        for (int k = 0; k < SPHERE_CASE_COUNT; ++k) {
            const SphereCase& c = sphereCases[k];
            glPassThrough(static_cast<float>(k));
            drawSphere(c.cx, c.cy, c.cz, c.radius, c.n);
        }
        glPassThrough(-1);
        return 0;
    }
    if (std::strcmp(what, "frames") == 0) {
        // Every angle a different whole number, so that the outline shows
        // which one turns what; the drag rotation too.
        float* const angles[] = {&mercuryOrbit, &venusOrbit,  &earthOrbit,   &moonOrbit,  &marsOrbit, &jupiterOrbit,
                                 &saturnOrbit,  &uranusOrbit, &neptuneOrbit, &plutoOrbit, &ballSpin,  &bandSpin,
                                 &sunSpin,      &mercurySpin, &venusSpin,    &earthSpin,  &marsSpin,  &jupiterSpin,
                                 &saturnSpin,   &uranusSpin,  &neptuneSpin,  &plutoSpin};
        float value = 1;
        for (float* angle : angles)
            *angle = value++;
        viewRotX = 30;
        viewRotY = 40;
        for (int mode : {10, 0, 3, 6}) {
            viewMode = mode;
            glPassThrough(static_cast<float>(mode));
            display();
        }
        glPassThrough(-1);
        return 0;
    }
    return 2;
}
