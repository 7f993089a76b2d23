// Decoding throughput of loadDibImage and of stb_image on the same files: a
// 4096 x 4096 picture stored as a 24-bit and as an 8-bit palettised bitmap,
// written once into a temporary folder before the runs.

#include "image/image.h"

#include <benchmark/benchmark.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#include <stb/stb_image.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/bytes.h"
#include "tests/support/pictures.h"

namespace fs = std::filesystem;

namespace {

constexpr int SIDE = 4096;

std::string writeBitmap(const char* name, int bits)
{
    const std::size_t stride = (static_cast<std::size_t>(SIDE) * bits / 8 + 3) & ~std::size_t{3};
    const std::uint32_t colours = bits == 8 ? 256 : 0;
    const std::uint32_t offset = 54 + 4 * colours;
    std::vector<unsigned char> b{'B', 'M'};
    putLe32(b, static_cast<std::uint32_t>(offset + stride * SIDE));
    putLe32(b, 0);
    putLe32(b, offset);
    for (std::uint32_t v : {40u, static_cast<std::uint32_t>(SIDE), static_cast<std::uint32_t>(SIDE)})
        putLe32(b, v);
    putLe16(b, 1);
    putLe16(b, static_cast<unsigned>(bits));
    for (std::uint32_t v : {0u, static_cast<std::uint32_t>(stride * SIDE), 2835u, 2835u, colours, 0u})
        putLe32(b, v);
    for (std::uint32_t i = 0; i < colours; ++i)
        putLe32(b, (i * 0x010307u) & 0xFFFFFF);
    std::uint32_t noise = 12345;
    for (int y = 0; y < SIDE; ++y) {
        const std::size_t start = b.size();
        for (std::size_t x = 0; x < stride; ++x) {
            noise = noise * 1664525u + 1013904223u;
            b.push_back(static_cast<unsigned char>((x + y) / 16 + (noise >> 29)));
        }
        (void)start;
    }
    const fs::path path = fs::temp_directory_path() / name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fwrite(b.data(), 1, b.size(), f);
    std::fclose(f);
    return path.string();
}

const std::string& file24()
{
    static const std::string path = writeBitmap("solar-bench-24.bmp", 24);
    return path;
}

const std::string& file8()
{
    static const std::string path = writeBitmap("solar-bench-8.bmp", 8);
    return path;
}

void decodeOurs(benchmark::State& state, const std::string& path)
{
    for (auto _ : state) {
        ImageRGB* image = loadDibImage(path.c_str());
        if (!image) {
            state.SkipWithError("loadDibImage failed");
            return;
        }
        benchmark::DoNotOptimize(image->pixels);
        freeImage(image);
    }
    state.SetBytesProcessed(state.iterations() * SIDE * SIDE * 3);
}

void decodeStb(benchmark::State& state, const std::string& path)
{
    for (auto _ : state) {
        int w, h, n;
        unsigned char* pixels = stbi_load(path.c_str(), &w, &h, &n, 3);
        if (!pixels) {
            state.SkipWithError("stbi_load failed");
            return;
        }
        benchmark::DoNotOptimize(pixels);
        stbi_image_free(pixels);
    }
    state.SetBytesProcessed(state.iterations() * SIDE * SIDE * 3);
}

void BM_LoadDibImage24(benchmark::State& state) { decodeOurs(state, file24()); }
void BM_StbImage24(benchmark::State& state) { decodeStb(state, file24()); }
void BM_LoadDibImage8(benchmark::State& state) { decodeOurs(state, file8()); }
void BM_StbImage8(benchmark::State& state) { decodeStb(state, file8()); }

BENCHMARK(BM_LoadDibImage24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StbImage24)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadDibImage8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StbImage8)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
