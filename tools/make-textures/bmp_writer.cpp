#include "bmp_writer.h"

#include <cstdio>
#include <memory>

namespace {

void put16(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}

void put32(std::vector<std::uint8_t>& b, std::uint32_t v)
{
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}

bool writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    return file && std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
}

// Both headers; the pixel rows follow the colour table.
std::vector<std::uint8_t> headers(int width, int height, int bits, std::uint32_t colours, std::uint32_t imageSize)
{
    const std::uint32_t offset = 14 + 40 + 4 * colours;
    std::vector<std::uint8_t> b{'B', 'M'};
    put32(b, offset + imageSize);
    put32(b, 0);
    put32(b, offset);
    put32(b, 40);
    put32(b, static_cast<std::uint32_t>(width));
    put32(b, static_cast<std::uint32_t>(height));
    put16(b, 1);
    put16(b, static_cast<std::uint32_t>(bits));
    put32(b, 0);  // BI_RGB
    put32(b, imageSize);
    put32(b, 2835);  // 72 dots per inch
    put32(b, 2835);
    put32(b, colours);
    put32(b, 0);
    return b;
}

std::size_t strideOf(int width, int bits) { return (static_cast<std::size_t>(width) * bits + 31) / 32 * 4; }

}  // namespace

bool writeBmp24(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb)
{
    const std::size_t stride = strideOf(width, 24);
    std::vector<std::uint8_t> b = headers(width, height, 24, 0, static_cast<std::uint32_t>(stride * height));
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = &rgb[static_cast<std::size_t>(y) * width * 3];
        for (int x = 0; x < width; ++x)
            b.insert(b.end(), {row[3 * x + 2], row[3 * x + 1], row[3 * x]});
        b.resize(b.size() + stride - static_cast<std::size_t>(width) * 3, 0);
    }
    return writeFile(path, b);
}

bool writeBmp8(const std::string& path, int width, int height, const std::vector<std::uint8_t>& indices,
               const std::vector<std::array<std::uint8_t, 3>>& palette)
{
    const std::size_t stride = strideOf(width, 8);
    std::vector<std::uint8_t> b = headers(width, height, 8, static_cast<std::uint32_t>(palette.size()),
                                          static_cast<std::uint32_t>(stride * height));
    for (const auto& c : palette)
        b.insert(b.end(), {c[2], c[1], c[0], 0});
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = &indices[static_cast<std::size_t>(y) * width];
        b.insert(b.end(), row, row + width);
        b.resize(b.size() + stride - static_cast<std::size_t>(width), 0);
    }
    return writeFile(path, b);
}
