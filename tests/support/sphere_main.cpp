// Writes one benchmark model: model_sphere_file PATH triangles|quads|plain|torus
#include <cstring>

#include "tests/support/sphere_file.h"

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    if (std::strcmp(argv[2], "torus") == 0) {
        writeTorusFile(argv[1]);
        return 0;
    }
    SphereForm form = std::strcmp(argv[2], "quads") == 0   ? SphereForm::Quads
                      : std::strcmp(argv[2], "plain") == 0 ? SphereForm::Plain
                                                           : SphereForm::Triangles;
    writeSphereFile(argv[1], form);
    return 0;
}
