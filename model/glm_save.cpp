// glmSaveOBJ: the OBJ writer without process exits, replacing the OBJ file
// and its material library only once both are complete on disk.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "model/glm_core.h"
#include "model/glm_internal.h"

namespace {

// One file being written: under a temporary name beside its target, or
// directly into a target that is not a regular file.
struct Target {
    const char* writer;  // "glmWriteOBJ" or "glmWriteMTL", for messages
    std::string path;    // the final path, symbolic links resolved
    std::string temp;    // the temporary file; empty when written directly
    FILE* file = nullptr;
};

bool report(GlmWriteError* error, GlmWriteErrorKind kind, int systemError, const Target& target, const char* verb)
{
    if (error) {
        error->kind = kind;
        error->systemError = systemError;
        std::snprintf(error->message, sizeof error->message, "%s() failed: can't %s file \"%s\": %s.\n", target.writer,
                      verb, target.path.c_str(), systemError ? std::strerror(systemError) : "out of memory");
    }
    return false;
}

// A name no other file in the folder has: ".NAME.XXXXXX" beside the target.
std::string temporaryName(const std::string& directory, const std::string& name, unsigned attempt)
{
    static unsigned long counter = 0;
    unsigned long seed = static_cast<unsigned long>(::getpid()) * 2654435761ul ^
                         static_cast<unsigned long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                         (++counter + attempt) * 0x9E3779B97F4A7C15ul;
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string suffix;
    for (int i = 0; i < 6; i++, seed /= 62)
        suffix += letters[seed % 62];
    return directory + "." + name + "." + suffix;
}

// Opens `target` for writing; false with `error` filled.
bool open(Target& target, GlmWriteError* error)
{
    struct stat info;
    if (::lstat(target.path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        // Replace the file the link points to, not the link.
        if (char* resolved = ::realpath(target.path.c_str(), nullptr)) {
            target.path = resolved;
            std::free(resolved);
        }
    }
    const bool exists = ::stat(target.path.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) {
        // A device or FIFO is written as it is; renaming over it would put a
        // regular file in its place.  A folder fails here with EISDIR.
        target.file = std::fopen(target.path.c_str(), "w");
        return target.file ? true : report(error, GLM_WRITE_CANT_OPEN, errno, target, "open");
    }
    const std::size_t slash = target.path.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : target.path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target.path : target.path.substr(slash + 1);
    int fd = -1;
    for (unsigned attempt = 0; fd < 0 && attempt < 100; attempt++) {
        target.temp = temporaryName(directory, name, attempt);
        // 0666: a new file gets it less the umask, as any created file does.
        fd = ::open(target.temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        const int why = errno;
        target.temp.clear();
        return report(error, GLM_WRITE_CANT_OPEN, why, target, "create");
    }
    if (exists) {
        // The replacement keeps the old file's permissions, and its owner
        // when this process may give it (root may; others keep their own).
        if (::fchown(fd, info.st_uid, info.st_gid) != 0) {
            // Not allowed: the file stays ours, which the caller can change.
        }
        ::fchmod(fd, info.st_mode & 07777);
    }
    target.file = ::fdopen(fd, "w");
    if (!target.file) {
        const int why = errno;
        ::close(fd);
        ::unlink(target.temp.c_str());
        target.temp.clear();
        return report(error, GLM_WRITE_NO_MEMORY, why, target, "create");
    }
    return true;
}

// Closes an unfinished file and removes its temporary file.
void abandon(Target& target)
{
    if (target.file)
        std::fclose(target.file);
    target.file = nullptr;
    if (!target.temp.empty())
        ::unlink(target.temp.c_str());
    target.temp.clear();
}

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

void syncDirectory(const std::string& directory)
{
    int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    // The renames are done: a folder that cannot be synced changes nothing
    // about the files now in place.
    ::fsync(fd);
    ::close(fd);
}

bool save(GlmMesh* model, const char* path, unsigned mode, const GlmWriteOptions& options, GlmWriteError* error)
{
    mode = glmAdjustMode(model, mode, GLM_WRITE_WARNINGS);
    const char* library = nullptr;
    if ((mode & MODE_MATERIAL) && (options.materialLibrary || model->materialLibrary))
        library = glmLibraryFileName(options.materialLibrary ? options.materialLibrary : model->materialLibrary);

    Target obj, mtl;
    obj.writer = "glmWriteOBJ";
    obj.path = path;
    mtl.writer = "glmWriteMTL";
    if (library)
        mtl.path = glmPathBeside(path, library);
    // The library first, as glmWriteOBJ writes it; nothing is renamed before
    // both files are complete.
    Target* order[2] = {library ? &mtl : nullptr, &obj};
    for (Target* target : order) {
        if (!target)
            continue;
        if (!open(*target, error)) {
            abandon(mtl);
            abandon(obj);
            return false;
        }
        GlmSink sink{target->file};
        if (target == &mtl)
            glmWriteMTLText(model, sink, mode);
        else
            glmWriteOBJText(model, sink, mode, library);
        const int why = glmFinishFile(target->file, sink.error, options.sync);
        target->file = nullptr;
        if (why) {
            report(error, GLM_WRITE_FAILED, why, *target, "write");
            abandon(mtl);
            abandon(obj);
            return false;
        }
    }
    for (Target* target : order) {
        if (!target || target->temp.empty())
            continue;
        if (::rename(target->temp.c_str(), target->path.c_str()) != 0) {
            report(error, GLM_WRITE_CANT_REPLACE, errno, *target, "replace");
            abandon(mtl);
            abandon(obj);
            return false;
        }
        target->temp.clear();
    }
    if (options.sync) {
        syncDirectory(directoryOf(obj.path));
        if (library && directoryOf(mtl.path) != directoryOf(obj.path))
            syncDirectory(directoryOf(mtl.path));
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
