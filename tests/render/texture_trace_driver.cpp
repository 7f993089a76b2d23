// Loads the texture set in a real window, between glPassThrough markers, so
// that the trace test can record its OpenGL calls with apitrace:
//   image-texture-trace-driver <folder holding image/>
#include <GL/freeglut.h>

#include <unistd.h>

#include "render/texture_set.h"
#include "platform/message_box.h"

int main(int argc, char** argv)
{
    if (argc < 2 || chdir(argv[argc - 1]) != 0)
        return 2;
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutCreateWindow("Solar System");
    setMessageBoxRecorder([](const char*, const char*) {});
    glPassThrough(0);
    loadTextures();
    glPassThrough(1);
    compileTextureLists();
    glPassThrough(2);
    return 0;
}
