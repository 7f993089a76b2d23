// Reads the OBJ file named on the command line and prints two numbers: the
// bytes of the model's own arrays and the growth of the process's peak
// resident memory over the reading, in bytes.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "model/glm.h"

static long peakKiB() {
    FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    long value = -1;
    while (status && std::fgets(line, sizeof line, status))
        if (std::strncmp(line, "VmHWM:", 6) == 0) value = std::strtol(line + 6, nullptr, 10);
    if (status) std::fclose(status);
    return value;
}

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    long before = peakKiB();
    GlmMesh* model = glmReadOBJ(argv[1]);
    long after = peakKiB();
    unsigned long long arrays = sizeof(float) * 3ull * (model->vertexCount + 1) +
                                (model->normals ? sizeof(float) * 3ull * (model->normalCount + 1) : 0) +
                                (model->uvs ? sizeof(float) * 2ull * (model->uvCount + 1) : 0) +
                                sizeof(GlmFace) * 1ull * model->faceCount + sizeof(unsigned) * 1ull * model->faceCount;
    std::printf("%llu %lld\n", arrays, (after - before) * 1024ll);
    glmDestroy(model);
    return 0;
}
