// Read-only memory mapping of a whole file, released by its guard.
#pragma once

#include <cstddef>

// A mapped file.  `data` is null and `size` 0 for an empty file, whose
// open still succeeds; `valid()` tells whether the open itself worked.
class FileMap {
public:
    FileMap() = default;
    // Opens `path` (a Windows-style path is resolved as resolveWindowsPath
    // does) and maps all of it read-only.
    explicit FileMap(const char* path);
    ~FileMap();
    FileMap(const FileMap&) = delete;
    FileMap& operator=(const FileMap&) = delete;

    bool valid() const { return opened; }
    const unsigned char* data() const { return bytes; }
    std::size_t size() const { return length; }

private:
    const unsigned char* bytes = nullptr;
    std::size_t length = 0;
    bool opened = false;
};
