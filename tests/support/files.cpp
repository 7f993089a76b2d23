#include "tests/support/files.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace fs = std::filesystem;

fs::path testDataDir() { return SOLAR_TESTDATA_DIR; }

namespace {

// Folders still to remove when a death test's child process calls exit().
std::vector<fs::path>& livingDirs()
{
    static auto* dirs = new std::vector<fs::path>;  // outlives every exit handler
    return *dirs;
}

void removeLivingDirs()
{
    std::error_code ignored;
    for (const fs::path& dir : livingDirs())
        fs::remove_all(dir, ignored);
}

}  // namespace

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "solar-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        std::abort();
    path = pattern;
    static bool registered = (std::atexit(removeLivingDirs), true);
    (void)registered;
    livingDirs().push_back(path);
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::remove_all(path, ignored);
    std::erase(livingDirs(), path);
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

Bytes readFileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void writeFile(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

void writeFileBytes(const fs::path& path, const unsigned char* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary);
    if (size)
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void writeFileBytes(const fs::path& path, const Bytes& bytes) { writeFileBytes(path, bytes.data(), bytes.size()); }
