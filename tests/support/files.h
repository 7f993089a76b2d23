// Helpers of the hostile-input tests.
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/hostile/samples.h"

// The test data folder (bitmap suite), tests/data.
inline std::filesystem::path testdataDir() { return HOSTILE_TESTDATA_DIR; }

// A file's bytes; empty when it cannot be read.
inline Bytes readFile(const std::filesystem::path& path) {
    Bytes bytes;
    if (FILE* f = std::fopen(path.c_str(), "rb")) {
        unsigned char chunk[65536];
        std::size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
        std::fclose(f);
    }
    return bytes;
}

inline void writeFile(const std::filesystem::path& path, const unsigned char* data, std::size_t size) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
}

// The first `n` bytes of `bytes` in a heap block of exactly n bytes, so that
// AddressSanitizer reports any read past the prefix.  (A null pointer for
// n = 0: a reader must not touch the data at all then.)
struct Prefix {
    unsigned char* data;
    std::size_t size;
    Prefix(const Bytes& bytes, std::size_t n)
        : data(n ? new unsigned char[n] : nullptr), size(n) {
        std::copy(bytes.begin(), bytes.begin() + n, data);
    }
    ~Prefix() { delete[] data; }
    Prefix(const Prefix&) = delete;
    Prefix& operator=(const Prefix&) = delete;
};

// A scratch folder removed with everything in it at the end of its scope.
struct ScratchDir {
    std::filesystem::path path;
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "hostile-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
};

// Valid files of the bitmap suite that the readers take, small enough to cut
// at every byte.
inline std::vector<SampleFile> bitmapSuiteFiles(const std::vector<std::string>& names) {
    std::vector<SampleFile> files;
    for (const std::string& name : names) {
        Bytes bytes = readFile(testdataDir() / "bmpsuite" / name);
        if (!bytes.empty()) files.push_back({name, std::move(bytes)});
    }
    return files;
}
