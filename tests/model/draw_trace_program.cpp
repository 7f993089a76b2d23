// Draws small models with glmDraw in every mode inside a real GL context,
// so that a recorder of GL calls (apitrace) can capture the exact call
// stream.  Each case starts with glPushName(case number) — ignored by GL
// outside selection mode — and a line "case <number> <name>" on standard
// output, followed by the case's warnings.

#include <GL/glut.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/glm.h"
#include "tests/support/mesh_builder.h"

namespace {

// Four vertices, three faces in four groups (one empty), every kind of
// array present, references that differ from the face numbers.
GlmMesh* fullModel()
{
    GlmMesh* m = makeMesh({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {1, 2, 3, 2, 4, 3, 1, 3, 4},
                          {{"default", {2}, 0}, {"g1", {0}, 1}, {"g2", {1}, 1}, {"empty", {}, 2}});
    addMaterials(m, 3);
    m->normalCount = 4;
    m->normals = static_cast<float*>(std::malloc(15 * sizeof(float)));
    m->uvCount = 3;
    m->uvs = static_cast<float*>(std::malloc(8 * sizeof(float)));
    m->facetnormCount = 3;
    m->facetnorms = static_cast<float*>(std::malloc(12 * sizeof(float)));
    for (unsigned i = 0; i <= 4; ++i) {
        float n[3] = {float(i), 0.5f, -float(i)};
        std::memcpy(&m->normals[3 * i], n, sizeof n);
    }
    for (unsigned i = 0; i <= 3; ++i) {
        m->uvs[2 * i] = 0.25f * i;
        m->uvs[2 * i + 1] = 1 - 0.25f * i;
    }
    const float facets[12] = {0, 0, 0, 0, 0, 1, 0, 1, 0, 1, 0, 0};
    std::memcpy(m->facetnorms, facets, sizeof facets);
    const unsigned normalRefs[3][3] = {{1, 2, 3}, {4, 1, 2}, {3, 4, 1}};
    const unsigned uvRefs[3][3] = {{1, 2, 3}, {3, 2, 1}, {2, 2, 2}};
    const unsigned facetRefs[3] = {3, 1, 2};
    for (int f = 0; f < 3; ++f) {
        std::memcpy(m->faces[f].normalRefs, normalRefs[f], sizeof normalRefs[f]);
        std::memcpy(m->faces[f].uvRefs, uvRefs[f], sizeof uvRefs[f]);
        m->faces[f].facetnormRef = facetRefs[f];
    }
    return m;
}

}  // namespace

int main(int argc, char** argv)
{
    glutInit(&argc, argv);
    glutInitDisplayMode(GLUT_RGB | GLUT_DOUBLE | GLUT_DEPTH);
    glutInitWindowSize(64, 64);
    glutCreateWindow("glmDraw trace");

    GlmMesh* full = fullModel();
    GlmMesh* bare = makeMesh({1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 3});
    struct Case {
        const char* name;
        GlmMesh* model;
        unsigned mode;
    } cases[] = {
        {"plain", full, MODE_PLAIN},
        {"flat", full, MODE_FLAT},
        {"smooth", full, MODE_SMOOTH},
        {"flat+smooth", full, MODE_FLAT | MODE_SMOOTH},
        {"texture", full, MODE_TEXTURE},
        {"color", full, MODE_COLOR},
        {"material", full, MODE_MATERIAL},
        {"color+material", full, MODE_COLOR | MODE_MATERIAL},
        {"outline", full, MODE_OUTLINE},
        {"outline+smooth+texture", full, MODE_OUTLINE | MODE_SMOOTH | MODE_TEXTURE},
        {"everything", full, MODE_FLAT | MODE_SMOOTH | MODE_TEXTURE | MODE_MATERIAL},
        {"missing", bare, MODE_FLAT | MODE_SMOOTH | MODE_TEXTURE | MODE_COLOR | MODE_MATERIAL},
    };
    unsigned number = 0;
    for (const Case& c : cases) {
        std::printf("case %u %s\n", ++number, c.name);
        std::fflush(stdout);
        glPushName(number);
        glmDraw(c.model, c.mode);
        std::fflush(stdout);
    }
    std::printf("case %u compile\n", ++number);
    std::fflush(stdout);
    glPushName(number);
    unsigned list = glmCompileList(full, MODE_SMOOTH | MODE_COLOR);
    glCallList(list);
    glDeleteLists(list, 1);
    glPushName(++number);
    glFinish();
    glmDestroy(full);
    glmDestroy(bare);
    return 0;
}
