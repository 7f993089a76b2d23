// OBJ writer: the model as a Wavefront OBJ text file, with what the mode
// asks for and the model has.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/glm.h"
#include "model/glm_internal.h"

namespace {

const char* const WRITE_WARNINGS[7] = {
    "glmWriteOBJ() warning: flat normal output requested with no facet normals defined.\n",
    "glmWriteOBJ() warning: smooth normal output requested with no normals defined.\n",
    "glmWriteOBJ() warning: texture coordinate output requested with no texture coordinates defined.\n",
    "glmWriteOBJ() warning: flat normal output requested and smooth normal output requested (using smooth).\n",
    "glmWriteOBJ() warning: color output requested with no colors (materials) defined.\n",
    "glmWriteOBJ() warning: material output requested with no materials defined.\n",
    "glmWriteOBJ() warning: color and material output requested outputting only materials.\n",
};

// The last component of a library name ("a/b/car.mtl" gives "car.mtl"), or
// null when that names no file ("", "." or "..").
const char* libraryFileName(const char* name)
{
    const char* slash = std::strrchr(name, '/');
    const char* base = slash ? slash + 1 : name;
    if (!*base || !std::strcmp(base, ".") || !std::strcmp(base, ".."))
        return nullptr;
    return base;
}

}  // namespace

void glmWriteOBJ(GlmMesh* model, const char* path, unsigned mode)
{
    GLM_CHECK(model);
    mode = glmAdjustMode(model, mode, WRITE_WARNINGS);

    FILE* file = std::fopen(path, "w");
    if (!file) {
        std::fflush(stdout);
        std::fprintf(stderr, "glmWriteOBJ() failed: can't open file \"%s\" to write.\n", path);
        std::exit(1);
    }
    glmWriteHeader(file, "OBJ");
    std::fputs("#  \n", file);

    if ((mode & MODE_MATERIAL) && model->materialLibrary) {
        // The library name comes from the file that was read; "mtllib
        // ../../x" must not make a write land outside the output's folder.
        // The library is written beside the OBJ file under its last path
        // component, and the mtllib line names it so.
        const char* name = libraryFileName(model->materialLibrary);
        if (name) {
            std::fprintf(file, "\nmtllib %s\n\n", name);
            glmWriteMTL(model, path, name);
        } else {
            std::printf("glmWriteOBJ() warning: material library \"%s\" names no file; none written.\n",
                        model->materialLibrary);
        }
    }

    std::fprintf(file, "\n# %d vertices\n", model->vertexCount);
    for (unsigned i = 1; i <= model->vertexCount; i++) {
        const float* v = model->vertices + 3 * i;
        std::fprintf(file, "v %f %f %f\n", v[0], v[1], v[2]);
    }
    const bool smooth = mode & MODE_SMOOTH, flat = mode & MODE_FLAT, texture = mode & MODE_TEXTURE;
    if (smooth || flat) {
        unsigned count = smooth ? model->normalCount : model->facetnormCount;
        const float* normals = smooth ? model->normals : model->facetnorms;
        std::fprintf(file, "\n# %d normals\n", count);
        for (unsigned i = 1; i <= count; i++) {
            const float* n = normals + 3 * i;
            std::fprintf(file, "vn %f %f %f\n", n[0], n[1], n[2]);
        }
    }
    if (texture) {
        std::fprintf(file, "\n# %d texcoords\n", model->uvCount);
        for (unsigned i = 1; i <= model->uvCount; i++) {
            const float* t = model->uvs + 2 * i;
            std::fprintf(file, "vt %f %f\n", t[0], t[1]);
        }
    }
    std::fprintf(file, "\n# %d groups\n# %d faces (triangles)\n\n", model->groupCount, model->faceCount);

    for (GlmFaceGroup* group = model->groupList; group; group = group->next) {
        std::fprintf(file, "g %s\n", group->name);
        if (mode & MODE_MATERIAL)
            std::fprintf(file, "usemtl %s\n", model->materialTable[group->materialIndex].name);
        for (unsigned i = 0; i < group->faceCount; i++) {
            const GlmFace& f = model->faces[group->faceList[i]];
            const unsigned* v = f.vertexRefs;
            if (texture && (smooth || flat)) {
                // With facet normals every corner names the face's own normal.
                const unsigned* t = f.uvRefs;
                unsigned n[3] = {f.facetnormRef, f.facetnormRef, f.facetnormRef};
                if (smooth)
                    n[0] = f.normalRefs[0], n[1] = f.normalRefs[1], n[2] = f.normalRefs[2];
                std::fprintf(file, "f %d/%d/%d %d/%d/%d %d/%d/%d\n", v[0], t[0], n[0], v[1], t[1], n[1], v[2], t[2],
                             n[2]);
            } else if (texture) {
                const unsigned* t = f.uvRefs;
                std::fprintf(file, "f %d/%d %d/%d %d/%d\n", v[0], t[0], v[1], t[1], v[2], t[2]);
            } else if (smooth) {
                const unsigned* n = f.normalRefs;
                std::fprintf(file, "f %d//%d %d//%d %d//%d\n", v[0], n[0], v[1], n[1], v[2], n[2]);
            } else if (flat) {
                unsigned n = f.facetnormRef;
                std::fprintf(file, "f %d//%d %d//%d %d//%d\n", v[0], n, v[1], n, v[2], n);
            } else {
                std::fprintf(file, "f %d %d %d\n", v[0], v[1], v[2]);
            }
        }
        std::fputs("\n", file);
    }
    std::fclose(file);
}
