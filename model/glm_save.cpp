// glmSaveOBJ: the OBJ writer without process exits, replacing the OBJ file
// and its material library only once both are complete on disk.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "model/glm_core.h"
#include "model/glm_internal.h"
#include "platform/atomic_file.h"

namespace {

// One file being written, through platform/atomic_file.h: under a temporary
// name beside its target, or directly into a target that is not a regular
// file.
struct Target {
    const char* writer;  // "glmWriteOBJ" or "glmWriteMTL", for messages
    AtomicFile file;     // file.path: the final path, symbolic links resolved
    FILE* stream = nullptr;
};

bool report(GlmWriteError* error, GlmWriteErrorKind kind, int systemError, const Target& target, const char* verb)
{
    if (error) {
        error->kind = kind;
        error->systemError = systemError;
        std::snprintf(error->message, sizeof error->message, "%s() failed: can't %s file \"%s\": %s.\n", target.writer,
                      verb, target.file.path.c_str(), systemError ? std::strerror(systemError) : "out of memory");
    }
    return false;
}

// Opens `target` for writing; false with `error` filled.
bool open(Target& target, const std::string& path, GlmWriteError* error)
{
    if (const int why = atomicFileBegin(path.c_str(), ATOMIC_REPLACE, &target.file))
        return report(error, GLM_WRITE_CANT_OPEN, why, target, target.file.inPlace ? "open" : "create");
    target.stream = ::fdopen(target.file.fd, "w");
    if (!target.stream) {
        const int why = errno;
        atomicFileAbandon(&target.file);
        return report(error, GLM_WRITE_NO_MEMORY, why, target, "create");
    }
    target.file.fd = -1;  // the stream owns it now
    return true;
}

// Closes an unfinished file and removes its temporary file.
void abandon(Target& target)
{
    if (target.stream)
        std::fclose(target.stream);
    target.stream = nullptr;
    atomicFileAbandon(&target.file);
}

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

bool save(GlmMesh* model, const char* path, unsigned mode, const GlmWriteOptions& options, GlmWriteError* error)
{
    mode = glmAdjustMode(model, mode, GLM_WRITE_WARNINGS);
    const char* library = nullptr;
    if ((mode & MODE_MATERIAL) && (options.materialLibrary || model->materialLibrary))
        library = glmLibraryFileName(options.materialLibrary ? options.materialLibrary : model->materialLibrary);

    Target obj, mtl;
    obj.writer = "glmWriteOBJ";
    mtl.writer = "glmWriteMTL";
    std::string mtlPath;
    if (library)
        mtlPath = glmPathBeside(path, library);
    // The library first, as glmWriteOBJ writes it; nothing is renamed before
    // both files are complete.
    Target* order[2] = {library ? &mtl : nullptr, &obj};
    for (Target* target : order) {
        if (!target)
            continue;
        if (!open(*target, target == &mtl ? mtlPath : std::string(path), error)) {
            abandon(mtl);
            abandon(obj);
            return false;
        }
        GlmSink sink{target->stream};
        if (target == &mtl)
            glmWriteMTLText(model, sink, mode);
        else
            glmWriteOBJText(model, sink, mode, library);
        const int why = glmFinishFile(target->stream, sink.error, options.sync);
        target->stream = nullptr;
        if (why) {
            report(error, GLM_WRITE_FAILED, why, *target, "write");
            abandon(mtl);
            abandon(obj);
            return false;
        }
    }
    for (Target* target : order) {
        if (!target)
            continue;
        // The descriptor is closed (and synced) already: this renames.
        if (const int why = atomicFileCommit(&target->file, false)) {
            report(error, GLM_WRITE_CANT_REPLACE, why, *target, "replace");
            abandon(mtl);
            abandon(obj);
            return false;
        }
    }
    if (options.sync) {
        // The renames are done: a folder that cannot be synced changes
        // nothing about the files now in place.
        atomicFileSyncFolder(obj.file.path);
        if (library && directoryOf(mtl.file.path) != directoryOf(obj.file.path))
            atomicFileSyncFolder(mtl.file.path);
    }
    if (error) {
        error->kind = GLM_WRITE_OK;
        error->systemError = 0;
        error->message[0] = '\0';
    }
    return true;
}

}  // namespace

bool glmSaveOBJ(GlmMesh* model, const char* path, unsigned mode, const GlmWriteOptions* options, GlmWriteError* error)
{
    GlmError check;
    if (!glmCheckMesh(model, "glmWriteOBJ", &check)) {
        if (error) {
            error->kind = GLM_WRITE_BAD_MODEL;
            error->systemError = 0;
            std::snprintf(error->message, sizeof error->message, "%s", check.message);
        }
        return false;
    }
    const GlmWriteOptions defaults;
    try {
        return save(model, path, mode, options ? *options : defaults, error);
    } catch (const std::bad_alloc&) {
        if (error) {
            error->kind = GLM_WRITE_NO_MEMORY;
            error->systemError = ENOMEM;
            std::snprintf(error->message, sizeof error->message,
                          "glmWriteOBJ() failed: out of memory writing file \"%s\".\n", path);
        }
        return false;
    }
}
