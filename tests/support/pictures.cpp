#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;

bool readPpm(const fs::path& path, Picture& picture)
{
    std::ifstream in(path, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    if (!(in >> magic >> picture.width >> picture.height >> maxValue) || magic != "P6" || maxValue != 255)
        return false;
    in.get();
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * 3;
    picture.pixels.assign(rowBytes * static_cast<std::size_t>(picture.height), 0);
    // The file lists the top row first; ImageRGB starts at the bottom.
    for (int row = picture.height - 1; row >= 0; --row)
        in.read(reinterpret_cast<char*>(picture.pixels.data() + row * rowBytes),
                static_cast<std::streamsize>(rowBytes));
    return static_cast<bool>(in);
}

void writePpm(const fs::path& path, const Picture& picture)
{
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << picture.width << ' ' << picture.height << "\n255\n";
    const std::size_t rowBytes = static_cast<std::size_t>(picture.width) * 3;
    for (int row = picture.height - 1; row >= 0; --row)
        out.write(reinterpret_cast<const char*>(picture.pixels.data() + row * rowBytes),
                  static_cast<std::streamsize>(rowBytes));
}

void freeImage(ImageRGB* image)
{
    if (image) {
        std::free(image->pixels);
        std::free(image);
    }
}

LoadedFile::LoadedFile(const Bytes& bytes, ImageRGB* (*loader)(const char*))
{
    writeFileBytes(dir.path / "picture", bytes);
    image = loader((dir.path / "picture").string().c_str());
}

LoadedFile::~LoadedFile() { freeImage(image); }

Bytes LoadedFile::pixels() const
{
    return Bytes(image->pixels, image->pixels + static_cast<std::size_t>(image->width) * image->height * 3);
}

Bytes buildBmp(const BmpFields& s)
{
    Bytes header;
    const bool core = s.headerSize == 12;
    putLe32(header, s.headerSize);
    if (core) {
        putLe16(header, static_cast<std::uint16_t>(s.width));
        putLe16(header, static_cast<std::uint16_t>(s.height));
        putLe16(header, 1);
        putLe16(header, static_cast<std::uint16_t>(s.bits));
    } else {
        putLe32(header, static_cast<std::uint32_t>(s.width));
        putLe32(header, static_cast<std::uint32_t>(s.height));
        putLe16(header, 1);
        putLe16(header, static_cast<std::uint16_t>(s.bits));
        putLe32(header, s.compression);
        putLe32(header, static_cast<std::uint32_t>(s.compression ? s.pixels.size() : 0));
        putLe32(header, 2835);
        putLe32(header, 2835);
        putLe32(header, s.clrUsed);
        putLe32(header, 0);
        while (header.size() < s.headerSize)
            header.push_back(0);
    }
    for (std::uint32_t mask : s.masks)
        putLe32(header, mask);
    for (std::uint32_t entry : s.palette) {
        header.push_back(static_cast<unsigned char>(entry));
        header.push_back(static_cast<unsigned char>(entry >> 8));
        header.push_back(static_cast<unsigned char>(entry >> 16));
        if (!core)
            header.push_back(0);
    }
    Bytes file;
    if (s.fileHeader) {
        file = {'B', 'M'};
        putLe32(file, static_cast<std::uint32_t>(14 + header.size() + s.pixels.size()));
        putLe32(file, 0);
        putLe32(file, static_cast<std::uint32_t>(14 + header.size()));
    }
    file.insert(file.end(), header.begin(), header.end());
    file.insert(file.end(), s.pixels.begin(), s.pixels.end());
    return file;
}

Bytes rows24(int width, int height, const Bytes& rgb)
{
    Bytes out;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            out.insert(out.end(), {p[2], p[1], p[0]});
        }
        while (out.size() % 4)
            out.push_back(0);
    }
    return out;
}

Bytes buildSgi(unsigned storage, unsigned xsize, unsigned ysize, unsigned zsize, const Bytes& rest)
{
    Bytes b;
    putBe16(b, 474);
    b.push_back(static_cast<unsigned char>(storage));
    b.push_back(1);
    putBe16(b, 3);
    putBe16(b, xsize);
    putBe16(b, ysize);
    putBe16(b, zsize);
    b.resize(512, 0);
    b.insert(b.end(), rest.begin(), rest.end());
    return b;
}

Bytes convertWith(const fs::path& input, const std::string& options, const std::string& format, const fs::path& output)
{
    const std::string command =
        "convert '" + input.string() + "' " + options + " '" + format + ":" + output.string() + "'";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return readFileBytes(output);
}
