// Files of the tests: the test data folder, scratch folders, whole-file
// reading and writing.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "tests/support/bytes.h"

// The repository's test data, tests/data (bitmap suite, fuzz regressions).
std::filesystem::path testDataDir();

// A fresh folder under the system's temporary folder, removed with its files
// at the end of its scope, or at exit() in a death test's child process.
struct TempDir {
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    // A file in the folder, as text for the C interfaces.
    std::string file(const std::string& name) const { return (path / name).string(); }
    std::filesystem::path path;
};

// A file's text or bytes; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);
Bytes readFileBytes(const std::filesystem::path& path);

void writeFile(const std::filesystem::path& path, const std::string& text);
void writeFileBytes(const std::filesystem::path& path, const Bytes& bytes);
void writeFileBytes(const std::filesystem::path& path, const unsigned char* data, std::size_t size);
