// OBJ writer: the model as a Wavefront OBJ text file, with what the mode
// asks for and the model has.  The text is built by glmWriteOBJText; the
// file-level glmWriteOBJ writes it in place and ends the process when that
// fails, glmSaveOBJ (glm_save.cpp) replaces files safely and hands failures
// back.
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "model/glm.h"
#include "model/glm_internal.h"

const char* const GLM_WRITE_WARNINGS[7] = {
    "glmWriteOBJ() warning: flat normal output requested with no facet normals defined.\n",
    "glmWriteOBJ() warning: smooth normal output requested with no normals defined.\n",
    "glmWriteOBJ() warning: texture coordinate output requested with no texture coordinates defined.\n",
    "glmWriteOBJ() warning: flat normal output requested and smooth normal output requested (using smooth).\n",
    "glmWriteOBJ() warning: color output requested with no colors (materials) defined.\n",
    "glmWriteOBJ() warning: material output requested with no materials defined.\n",
    "glmWriteOBJ() warning: color and material output requested outputting only materials.\n",
};

void GlmSink::print(const char* format, ...)
{
    if (error)
        return;
    std::va_list args;
    va_start(args, format);
    errno = 0;
    if (std::vfprintf(file, format, args) < 0)
        error = errno ? errno : EIO;
    va_end(args);
}

void GlmSink::text(const char* text)
{
    if (error)
        return;
    errno = 0;
    if (std::fputs(text, file) == EOF)
        error = errno ? errno : EIO;
}

int glmFinishFile(FILE* file, int error, bool sync)
{
    errno = 0;
    if (std::fflush(file) != 0 && !error)
        error = errno ? errno : EIO;
    // EINVAL and EROFS: a FIFO, a terminal or a device has nothing to sync.
    if (sync && !error && ::fsync(::fileno(file)) != 0 && errno != EINVAL && errno != EROFS)
        error = errno;
    errno = 0;
    if (std::fclose(file) != 0 && !error)
        error = errno ? errno : EIO;
    return error;
}

const char* glmLibraryFileName(const char* name)
{
    const char* slash = std::strrchr(name, '/');
    const char* base = slash ? slash + 1 : name;
    if (!*base || !std::strcmp(base, ".") || !std::strcmp(base, "..")) {
        glmMessage(stdout, "glmWriteOBJ() warning: material library \"%s\" names no file; none written.\n", name);
        return nullptr;
    }
    return base;
}

namespace {

// What MODE_KEEP_ALL adds to the faces: the object and smoothing group each
// face is in, written as "o" and "s" lines where they change in the order
// the faces go out.
class RunTracker {
public:
    explicit RunTracker(const GlmMesh* model) : model_(model) {}

    void beforeFace(GlmSink& sink, unsigned face)
    {
        const GlmObjectRun* object = find(model_->objectRuns, model_->objectRunCount, face);
        if (object && object != object_) {
            // Runs with the same name are one object: "o" comes again only
            // when the name changes.
            if (!object_ || std::strcmp(object->name, object_->name) != 0)
                sink.print("o %s\n", object->name);
            object_ = object;
        }
        const GlmSmoothingRun* run = find(model_->smoothingRuns, model_->smoothingRunCount, face);
        unsigned group = run ? run->group : 0;
        if (group != smoothing_) {
            if (group)
                sink.print("s %u\n", group);
            else
                sink.text("s off\n");
            smoothing_ = group;
        }
    }

private:
    // The run that holds `face`: the last one starting at or before it.
    template <typename Run>
    static const Run* find(const Run* runs, unsigned count, unsigned face)
    {
        const Run* after =
            std::upper_bound(runs, runs + count, face, [](unsigned f, const Run& r) { return f < r.firstFace; });
        return after == runs ? nullptr : after - 1;
    }

    const GlmMesh* model_;
    const GlmObjectRun* object_ = nullptr;
    unsigned smoothing_ = 0;  // a file starts outside any smoothing group
};

void writeLinesAndPoints(const GlmMesh* model, GlmSink& sink, bool texture)
{
    if (model->lineCount > 0 && model->lines && model->lineVertexRefs) {
        sink.print("\n# %u lines\n", model->lineCount);
        for (unsigned i = 0; i < model->lineCount; i++) {
            const GlmPolyline& line = model->lines[i];
            const unsigned* v = model->lineVertexRefs + line.first;
            const unsigned* t = model->lineUvRefs ? model->lineUvRefs + line.first : nullptr;
            // "v/vt" only when every corner has a texture coordinate and the
            // coordinates are written.
            bool withUvs = texture && t && std::all_of(t, t + line.count, [](unsigned r) { return r != 0; });
            sink.text("l");
            for (unsigned k = 0; k < line.count; k++) {
                if (withUvs)
                    sink.print(" %u/%u", v[k], t[k]);
                else
                    sink.print(" %u", v[k]);
            }
            sink.text("\n");
        }
    }
    if (model->pointCount > 0 && model->pointVertexRefs) {
        sink.print("\n# %u points\n", model->pointCount);
        for (unsigned i = 0; i < model->pointCount; i++)
            sink.print("p %u\n", model->pointVertexRefs[i]);
    }
}

}  // namespace

void glmWriteOBJText(const GlmMesh* model, GlmSink& sink, unsigned mode, const char* library)
{
    glmWriteHeader(sink, "OBJ");
    sink.text("#  \n");
    if (library)
        sink.print("\nmtllib %s\n\n", library);

    const bool keepAll = mode & MODE_KEEP_ALL;
    sink.print("\n# %d vertices\n", model->vertexCount);
    for (unsigned i = 1; i <= model->vertexCount; i++) {
        const float* v = model->vertices + 3 * i;
        if (keepAll && model->colors) {
            const float* c = model->colors + 3 * i;
            sink.print("v %f %f %f %f %f %f\n", v[0], v[1], v[2], c[0], c[1], c[2]);
        } else {
            sink.print("v %f %f %f\n", v[0], v[1], v[2]);
        }
    }
    const bool smooth = mode & MODE_SMOOTH, flat = mode & MODE_FLAT, texture = mode & MODE_TEXTURE;
    if (smooth || flat) {
        unsigned count = smooth ? model->normalCount : model->facetnormCount;
        const float* normals = smooth ? model->normals : model->facetnorms;
        sink.print("\n# %d normals\n", count);
        for (unsigned i = 1; i <= count; i++) {
            const float* n = normals + 3 * i;
            sink.print("vn %f %f %f\n", n[0], n[1], n[2]);
        }
    }
    if (texture) {
        sink.print("\n# %d texcoords\n", model->uvCount);
        for (unsigned i = 1; i <= model->uvCount; i++) {
            const float* t = model->uvs + 2 * i;
            sink.print("vt %f %f\n", t[0], t[1]);
        }
    }
    sink.print("\n# %d groups\n# %d faces (triangles)\n\n", model->groupCount, model->faceCount);

    RunTracker runs(model);
    for (GlmFaceGroup* group = model->groupList; group && !sink.error; group = group->next) {
        sink.print("g %s\n", group->name);
        if (mode & MODE_MATERIAL)
            sink.print("usemtl %s\n", model->materialTable[group->materialIndex].name);
        for (unsigned i = 0; i < group->faceCount; i++) {
            if (keepAll)
                runs.beforeFace(sink, group->faceList[i]);
            const GlmFace& f = model->faces[group->faceList[i]];
            const unsigned* v = f.vertexRefs;
            if (texture && (smooth || flat)) {
                // With facet normals every corner names the face's own normal.
                const unsigned* t = f.uvRefs;
                unsigned n[3] = {f.facetnormRef, f.facetnormRef, f.facetnormRef};
                if (smooth)
                    n[0] = f.normalRefs[0], n[1] = f.normalRefs[1], n[2] = f.normalRefs[2];
                sink.print("f %d/%d/%d %d/%d/%d %d/%d/%d\n", v[0], t[0], n[0], v[1], t[1], n[1], v[2], t[2], n[2]);
            } else if (texture) {
                const unsigned* t = f.uvRefs;
                sink.print("f %d/%d %d/%d %d/%d\n", v[0], t[0], v[1], t[1], v[2], t[2]);
            } else if (smooth) {
                const unsigned* n = f.normalRefs;
                sink.print("f %d//%d %d//%d %d//%d\n", v[0], n[0], v[1], n[1], v[2], n[2]);
            } else if (flat) {
                unsigned n = f.facetnormRef;
                sink.print("f %d//%d %d//%d %d//%d\n", v[0], n, v[1], n, v[2], n);
            } else {
                sink.print("f %d %d %d\n", v[0], v[1], v[2]);
            }
        }
        sink.text("\n");
    }
    if (keepAll)
        writeLinesAndPoints(model, sink, texture);
}

void glmWriteOBJ(GlmMesh* model, const char* path, unsigned mode)
{
    GLM_CHECK(model);
    mode = glmAdjustMode(model, mode, GLM_WRITE_WARNINGS);

    FILE* file = std::fopen(path, "w");
    if (!file) {
        std::fflush(stdout);
        std::fprintf(stderr, "glmWriteOBJ() failed: can't open file \"%s\" to write.\n", path);
        std::exit(1);
    }
    // The library name comes from the file that was read; "mtllib ../../x"
    // must not make a write land outside the output's folder.  The library
    // is written beside the OBJ file under its last path component, and the
    // mtllib line names it so.
    const char* library = nullptr;
    if ((mode & MODE_MATERIAL) && model->materialLibrary) {
        library = glmLibraryFileName(model->materialLibrary);
        if (library)
            glmWriteMTL(model, path, library, mode);
    }
    GlmSink sink{file};
    glmWriteOBJText(model, sink, mode, library);
    if (int error = glmFinishFile(file, sink.error, false)) {
        std::fflush(stdout);
        std::fprintf(stderr, "glmWriteOBJ() failed: can't write file \"%s\": %s.\n", path, std::strerror(error));
        std::exit(1);
    }
}
