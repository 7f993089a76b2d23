// Writes the generated seed files of the fuzz targets:
//   fuzz_seeds DIR   creates DIR/dib, DIR/bmp, DIR/sgi, DIR/ppm, DIR/png, DIR/jpeg and DIR/obj.
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/samples.h"

namespace fs = std::filesystem;

static bool writeAll(const fs::path& dir, const std::vector<SampleFile>& files)
{
    fs::create_directories(dir);
    for (const SampleFile& s : files) {
        FILE* f = std::fopen((dir / s.name).c_str(), "wb");
        if (!f)
            return false;
        bool ok = std::fwrite(s.bytes.data(), 1, s.bytes.size(), f) == s.bytes.size();
        ok = std::fclose(f) == 0 && ok;
        if (!ok)
            return false;
    }
    return true;
}

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds DIR\n");
        return 2;
    }
    fs::path root = argv[1];
    bool ok = writeAll(root / "dib", dibSamples()) && writeAll(root / "bmp", bmpSamples()) &&
              writeAll(root / "sgi", sgiSamples()) && writeAll(root / "ppm", ppmSamples()) &&
              writeAll(root / "png", pngSamples()) && writeAll(root / "jpeg", jpegSamples()) &&
              writeAll(root / "obj", objSamples());
    if (!ok)
        std::perror(argv[1]);
    return ok ? 0 : 1;
}
