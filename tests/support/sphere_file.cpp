#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/support/sphere_file.h"

namespace {

constexpr int STACKS = 501, SLICES = 1000;

// Vertex number of ring i (0 = north pole .. STACKS = south pole), column j.
long vertexNumber(int i, int j) { return 1L + static_cast<long>(i) * (SLICES + 1) + j; }

struct Writer {
    FILE* file;
    std::string buffer;
    void put(const char* text, int length)
    {
        buffer.append(text, static_cast<std::size_t>(length));
        if (buffer.size() > (1 << 20))
            flush();
    }
    void flush()
    {
        std::fwrite(buffer.data(), 1, buffer.size(), file);
        buffer.clear();
    }
};

}  // namespace

std::string writeSphereFile(const std::string& path, SphereForm form)
{
    if (std::filesystem::exists(path))
        return path;
    std::string partial = path + ".part";
    Writer out{std::fopen(partial.c_str(), "w"), {}};
    if (!out.file)
        return path;
    const bool full = form != SphereForm::Plain;
    char line[160];
    if (full) {
        std::string library = std::filesystem::path(path).stem().string() + ".mtl";
        std::string libraryPath = (std::filesystem::path(path).parent_path() / library).string();
        if (FILE* mtl = std::fopen(libraryPath.c_str(), "w")) {
            for (int g = 0; g < 4; g++)
                std::fprintf(mtl, "newmtl band%d\nKa 0.2 0.2 0.2\nKd 0.%d 0.5 0.5\nKs 0 0 0\nNs 250\n\n", g, 2 * g + 1);
            std::fclose(mtl);
        }
        out.put(line, std::snprintf(line, sizeof line, "# UV sphere, %d stacks, %d slices\nmtllib %s\n", STACKS, SLICES,
                                    library.c_str()));
    }
    const double pi = 3.14159265358979323846;
    for (int i = 0; i <= STACKS; i++)
        for (int j = 0; j <= SLICES; j++) {
            double theta = pi * i / STACKS, phi = 2 * pi * j / SLICES;
            double x = std::sin(theta) * std::cos(phi), y = std::cos(theta), z = std::sin(theta) * std::sin(phi);
            out.put(line, std::snprintf(line, sizeof line, "v %f %f %f\n", x, y, z));
        }
    if (full) {
        for (int i = 0; i <= STACKS; i++)
            for (int j = 0; j <= SLICES; j++)
                out.put(line, std::snprintf(line, sizeof line, "vt %f %f\n", static_cast<double>(j) / SLICES,
                                            1.0 - static_cast<double>(i) / STACKS));
        for (int i = 0; i <= STACKS; i++)
            for (int j = 0; j <= SLICES; j++) {
                double theta = pi * i / STACKS, phi = 2 * pi * j / SLICES;
                out.put(line, std::snprintf(line, sizeof line, "vn %f %f %f\n", std::sin(theta) * std::cos(phi),
                                            std::cos(theta), std::sin(theta) * std::sin(phi)));
            }
    }
    auto corner = [&](char* at, long v) {
        return full ? std::sprintf(at, " %ld/%ld/%ld", v, v, v) : std::sprintf(at, " %ld", v);
    };
    for (int i = 0, lastBand = -1; i < STACKS; i++) {
        int band = i * 4 / STACKS;
        if (full && band != lastBand && (lastBand = band, true))
            out.put(line, std::snprintf(line, sizeof line, "g band%d\nusemtl band%d\n", band, band));
        for (int j = 0; j < SLICES; j++) {
            long a = vertexNumber(i, j), b = vertexNumber(i + 1, j), c = vertexNumber(i + 1, j + 1),
                 d = vertexNumber(i, j + 1);
            auto face = [&](std::initializer_list<long> corners) {
                int n = std::sprintf(line, "f");
                for (long v : corners)
                    n += corner(line + n, v);
                line[n++] = '\n';
                out.put(line, n);
            };
            if (i == 0)
                face({a, b, c});
            else if (i == STACKS - 1)
                face({a, b, d});
            else if (form == SphereForm::Quads)
                face({a, b, c, d});
            else
                face({a, b, c}), face({a, c, d});
        }
    }
    out.flush();
    std::fclose(out.file);
    std::filesystem::rename(partial, path);
    return path;
}

std::string writeTorusFile(const std::string& path)
{
    if (std::filesystem::exists(path))
        return path;
    constexpr int AROUND = 800, ACROSS = 800;  // quads along the ring and round the tube
    constexpr double RING = 3.0, TUBE = 1.0;
    std::string partial = path + ".part";
    Writer out{std::fopen(partial.c_str(), "w"), {}};
    if (!out.file)
        return path;
    char line[160];
    out.put(line, std::snprintf(line, sizeof line, "# torus, %d x %d quads\ng torus\n", AROUND, ACROSS));
    const double pi = 3.14159265358979323846;
    // Vertex (i, j) for i in 0..AROUND, j in 0..ACROSS: the seam is doubled
    // so that texture coordinates run from 0 to 1.
    for (int i = 0; i <= AROUND; i++)
        for (int j = 0; j <= ACROSS; j++) {
            double u = 2 * pi * i / AROUND, w = 2 * pi * j / ACROSS;
            double r = RING + TUBE * std::cos(w);
            out.put(line, std::snprintf(line, sizeof line, "v %f %f %f\n", r * std::cos(u), TUBE * std::sin(w),
                                        r * std::sin(u)));
        }
    for (int i = 0; i <= AROUND; i++)
        for (int j = 0; j <= ACROSS; j++)
            out.put(line, std::snprintf(line, sizeof line, "vt %f %f\n", static_cast<double>(i) / AROUND,
                                        static_cast<double>(j) / ACROSS));
    for (int i = 0; i <= AROUND; i++)
        for (int j = 0; j <= ACROSS; j++) {
            double u = 2 * pi * i / AROUND, w = 2 * pi * j / ACROSS;
            out.put(line, std::snprintf(line, sizeof line, "vn %f %f %f\n", std::cos(w) * std::cos(u), std::sin(w),
                                        std::cos(w) * std::sin(u)));
        }
    auto number = [](int i, int j) { return 1L + static_cast<long>(i) * (ACROSS + 1) + j; };
    for (int i = 0; i < AROUND; i++)
        for (int j = 0; j < ACROSS; j++) {
            long a = number(i, j), b = number(i, j + 1), c = number(i + 1, j + 1), d = number(i + 1, j);
            out.put(line, std::snprintf(line, sizeof line, "f %ld/%ld/%ld %ld/%ld/%ld %ld/%ld/%ld %ld/%ld/%ld\n", a, a,
                                        a, b, b, b, c, c, c, d, d, d));
        }
    out.flush();
    std::fclose(out.file);
    std::filesystem::rename(partial, path);
    return path;
}
