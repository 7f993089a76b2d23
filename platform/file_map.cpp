#include "platform/file_map.h"

#include "platform/win_path.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

FileMap::FileMap(const char* path)
{
    if (!path)
        return;
    const std::string resolved = resolveWindowsPath(path);
    const int fd = ::open(resolved.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        if (info.st_size == 0) {
            opened = true;  // an empty file maps to an empty range
        } else {
            // Pictures are read whole, so their pages are faulted in at once;
            // a file far larger than any picture is left to fault on demand.
            const bool readAhead = info.st_size <= (off_t{1} << 28);
            void* view = ::mmap(nullptr, static_cast<std::size_t>(info.st_size), PROT_READ,
                                MAP_PRIVATE | (readAhead ? MAP_POPULATE : 0), fd, 0);
            if (view != MAP_FAILED) {
                bytes = static_cast<const unsigned char*>(view);
                length = static_cast<std::size_t>(info.st_size);
                opened = true;
            }
        }
    }
    // The mapping keeps the file's pages; the descriptor is no longer needed.
    ::close(fd);
}

FileMap::~FileMap()
{
    if (bytes)
        ::munmap(const_cast<unsigned char*>(bytes), length);
}
