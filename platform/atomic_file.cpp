#include "platform/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace {

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

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

// Moves `from` to `to`; with `keep`, only when `to` does not exist.
int place(const std::string& from, const std::string& to, bool keep)
{
    if (!keep)
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    // A file system without the no-replace rename: a hard link fails just
    // the same on a name that exists.
    if (::link(from.c_str(), to.c_str()) != 0)
        return errno;
    ::unlink(from.c_str());
    return 0;
}

}  // namespace

int atomicFileBegin(const char* path, AtomicFileMode mode, AtomicFile* file)
{
    file->path = path;
    file->temp.clear();
    file->fd = -1;
    file->mode = mode;
    struct stat info;
    if (::lstat(path, &info) == 0 && S_ISLNK(info.st_mode)) {
        // Replace the file the link points to, not the link.
        if (char* resolved = ::realpath(path, nullptr)) {
            file->path = resolved;
            std::free(resolved);
        }
    }
    const bool exists = ::stat(file->path.c_str(), &info) == 0;
    if (exists && mode == ATOMIC_CREATE_NEW)
        return EEXIST;
    if (exists && S_ISDIR(info.st_mode))
        return EISDIR;
    if (exists && !S_ISREG(info.st_mode)) {
        file->fd = ::open(file->path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        return file->fd >= 0 ? 0 : errno;
    }
    const std::size_t slash = file->path.rfind('/');
    const std::string directory = slash == std::string::npos ? "" : file->path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? file->path : file->path.substr(slash + 1);
    for (unsigned attempt = 0; file->fd < 0 && attempt < 100; attempt++) {
        file->temp = temporaryName(directory, name, attempt);
        // 0666: a new file gets it less the umask, as any created file does.
        file->fd = ::open(file->temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (file->fd < 0 && errno != EEXIST)
            break;
    }
    if (file->fd < 0) {
        const int why = errno;
        file->temp.clear();
        return why;
    }
    if (exists) {
        // The replacement keeps the old file's permissions, and its owner
        // when this process may give it (root may; others keep their own).
        if (::fchown(file->fd, info.st_uid, info.st_gid) != 0) {
            // Not allowed: the file stays ours, which the caller can change.
        }
        ::fchmod(file->fd, info.st_mode & 07777);
    }
    return 0;
}

int atomicFileCommit(AtomicFile* file, bool sync)
{
    if (file->fd >= 0) {
        // A device or pipe written in place cannot be synced: EINVAL is no failure.
        int why = sync && ::fsync(file->fd) != 0 && errno != EINVAL ? errno : 0;
        if (::close(file->fd) != 0 && !why)
            why = errno;
        file->fd = -1;
        if (why) {
            atomicFileAbandon(file);
            return why;
        }
    }
    if (file->temp.empty())
        return 0;
    if (const int why = place(file->temp, file->path, file->mode == ATOMIC_CREATE_NEW)) {
        atomicFileAbandon(file);
        return why;
    }
    file->temp.clear();
    return 0;
}

void atomicFileAbandon(AtomicFile* file)
{
    if (file->fd >= 0)
        ::close(file->fd);
    file->fd = -1;
    if (!file->temp.empty())
        ::unlink(file->temp.c_str());
    file->temp.clear();
}

void atomicFileSyncFolder(const std::string& path)
{
    const int fd = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    // The rename is done: a folder that cannot be synced changes nothing
    // about the file now in place.
    ::fsync(fd);
    ::close(fd);
}

int writeFileAtomically(const char* path, const void* data, std::size_t size, AtomicFileMode mode, bool sync)
{
    AtomicFile file;
    if (const int why = atomicFileBegin(path, mode, &file))
        return why;
    const auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t written = ::write(file.fd, bytes, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            const int why = written < 0 ? errno : EIO;
            atomicFileAbandon(&file);
            return why;
        }
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    if (const int why = atomicFileCommit(&file, sync))
        return why;
    if (sync)
        atomicFileSyncFolder(file.path);
    return 0;
}
