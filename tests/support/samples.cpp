#include "tests/support/samples.h"

#include <cstdint>
#include <cstdio>

#include "tests/support/files.h"
#include "tests/support/png_jpeg.h"

namespace {

// A picture with runs and with stretches of distinct values, so that both
// kinds of run-length packet occur.
unsigned pixelIndex(int x, int y, unsigned colours)
{
    unsigned v = x < 6 ? unsigned(x + y) : unsigned(x / 5 + 2 * y);
    return v % colours;
}
unsigned char channel(int x, int y, int c) { return static_cast<unsigned char>((x * 37 + y * 11 + c * 85) & 0xFF); }

struct BmpLayout {
    int width = 5, height = 3;
    int bits = 24;
    unsigned compression = 0;  // 0 plain, 1 RLE8, 2 RLE4, 3 bit fields
    bool fileHeader = true;
    bool coreHeader = false;
    bool topDown = false;
    unsigned colours = 0;  // palette entries written (0: none)
};

// Run-length rows (RLE8, or RLE4 with `nibbles`): runs of equal pixels,
// absolute stretches of distinct ones, an end-of-line escape per row and an
// end-of-bitmap escape last; `withDelta` skips two pixels of row 1.
Bytes rleRows(const BmpLayout& l, bool nibbles, bool withDelta)
{
    auto index = [&](int x, int y) { return static_cast<unsigned char>(pixelIndex(x, y, l.colours)); };
    Bytes out;
    for (int y = 0; y < l.height; ++y) {
        int x = 0;
        if (withDelta && y == 1) {  // skip two pixels: they stay black
            out.insert(out.end(), {0, 2, 2, 0});
            x = 2;
        }
        while (x < l.width) {
            const unsigned char v = index(x, y);
            int run = 1;
            while (x + run < l.width && run < 255 && index(x + run, y) == v)
                ++run;
            if (run >= 2) {
                out.insert(out.end(), {(unsigned char)run, (unsigned char)(nibbles ? v << 4 | v : v)});
                x += run;
                continue;
            }
            int lit = 1;
            while (x + lit < l.width && lit < 255 && index(x + lit, y) != index(x + lit - 1, y))
                ++lit;
            if (lit >= 3) {
                out.insert(out.end(), {0, (unsigned char)lit});
                const std::size_t start = out.size();
                for (int i = 0; i < lit; i += nibbles ? 2 : 1)
                    out.push_back(nibbles ? index(x + i, y) << 4 | (i + 1 < lit ? index(x + i + 1, y) : 0)
                                          : index(x + i, y));
                if ((out.size() - start) & 1)
                    out.push_back(0);  // absolute runs end on a word
            } else {
                for (int i = 0; i < lit; ++i)
                    out.insert(out.end(), {1, (unsigned char)(nibbles ? index(x + i, y) << 4 : index(x + i, y))});
            }
            x += lit;
        }
        out.insert(out.end(), {0, (unsigned char)(y + 1 == l.height ? 1 : 0)});
    }
    return out;
}

Bytes plainRows(const BmpLayout& l)
{
    Bytes out;
    for (int r = 0; r < l.height; ++r) {
        int y = l.topDown ? l.height - 1 - r : r;  // picture row y, 0 = bottom
        std::size_t start = out.size();
        if (l.bits <= 8) {
            unsigned acc = 0;
            int filled = 0;
            for (int x = 0; x < l.width; ++x) {
                acc = acc << l.bits | pixelIndex(x, y, l.colours);
                filled += l.bits;
                if (filled == 8) {
                    out.push_back(acc);
                    acc = 0;
                    filled = 0;
                }
            }
            if (filled)
                out.push_back(acc << (8 - filled));
        } else {
            for (int x = 0; x < l.width; ++x) {
                unsigned r8 = channel(x, y, 0), g8 = channel(x, y, 1), b8 = channel(x, y, 2);
                if (l.bits == 16 && l.compression == 3)
                    putLe16(out, (r8 >> 3) << 11 | (g8 >> 2) << 5 | b8 >> 3);
                else if (l.bits == 16)
                    putLe16(out, (r8 >> 3) << 10 | (g8 >> 3) << 5 | b8 >> 3);
                else {
                    out.insert(out.end(), {(unsigned char)b8, (unsigned char)g8, (unsigned char)r8});
                    if (l.bits == 32)
                        out.push_back(0);
                }
            }
        }
        while ((out.size() - start) % 4)
            out.push_back(0);
    }
    return out;
}

Bytes makeBmp(const BmpLayout& l, bool rleDelta = false)
{
    Bytes pixels = l.compression == 1 || l.compression == 2 ? rleRows(l, l.compression == 2, rleDelta) : plainRows(l);
    Bytes head;
    if (l.coreHeader) {
        putLe32(head, 12);
        putLe16(head, l.width);
        putLe16(head, l.height);
        putLe16(head, 1);
        putLe16(head, l.bits);
        for (unsigned i = 0; i < l.colours; ++i)
            head.insert(head.end(), {(unsigned char)(i * 40), (unsigned char)(255 - i * 13), (unsigned char)(i * 77)});
    } else {
        putLe32(head, 40);
        putLe32(head, l.width);
        putLe32(head, l.topDown ? -l.height : l.height);
        putLe16(head, 1);
        putLe16(head, l.bits);
        putLe32(head, l.compression);
        putLe32(head, pixels.size());
        putLe32(head, 2835);
        putLe32(head, 2835);
        putLe32(head, l.colours);
        putLe32(head, 0);
        if (l.compression == 3) {
            putLe32(head, 0xF800);
            putLe32(head, 0x07E0);
            putLe32(head, 0x001F);
        }
        for (unsigned i = 0; i < l.colours; ++i)
            head.insert(head.end(),
                        {(unsigned char)(i * 40), (unsigned char)(255 - i * 13), (unsigned char)(i * 77), 0});
    }
    Bytes file;
    if (l.fileHeader) {
        file.push_back('B');
        file.push_back('M');
        putLe32(file, 14 + head.size() + pixels.size());
        putLe32(file, 0);
        putLe32(file, 14 + head.size());
    }
    file.insert(file.end(), head.begin(), head.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

std::string describe(const BmpLayout& l, const char* extra = "")
{
    char name[96];
    std::snprintf(name, sizeof name, "%s%dbit%s%s%s_%dx%d%s.bmp", l.fileHeader ? "" : "bare_", l.bits,
                  l.compression == 1   ? "_rle8"
                  : l.compression == 2 ? "_rle4"
                  : l.compression == 3 ? "_fields"
                                       : "",
                  l.coreHeader ? "_core" : "", l.topDown ? "_topdown" : "", l.width, l.height, extra);
    return name;
}

struct SgiLayout {
    int width = 6, height = 4, channels = 3;
    bool rle = false;
    bool bigEndian = true;
};

Bytes rleRow(const unsigned char* row, int n)
{
    Bytes out;
    int x = 0;
    while (x < n) {
        int run = 1;
        while (x + run < n && run < 127 && row[x + run] == row[x])
            ++run;
        if (run >= 3) {
            out.push_back(run);
            out.push_back(row[x]);
            x += run;
            continue;
        }
        int lit = 0;
        while (x + lit < n && lit < 127 &&
               !(x + lit + 2 < n && row[x + lit] == row[x + lit + 1] && row[x + lit] == row[x + lit + 2]))
            ++lit;
        out.push_back(0x80 | lit);
        out.insert(out.end(), row + x, row + x + lit);
        x += lit;
    }
    out.push_back(0);
    return out;
}

Bytes makeSgi(const SgiLayout& l)
{
    auto put16 = l.bigEndian ? putBe16 : putLe16;
    auto put32 = l.bigEndian ? putBe32 : putLe32;
    Bytes file;
    put16(file, 474);
    put16(file, (l.rle ? 1u : 0u) << 8 | 1u);  // storage, bytes per channel
    put16(file, l.channels == 1 ? 2 : 3);
    put16(file, l.width);
    put16(file, l.height);
    put16(file, l.channels);
    put32(file, 0);
    put32(file, 255);
    file.resize(512, 0);
    std::vector<Bytes> rows;
    for (int z = 0; z < l.channels; ++z)
        for (int y = 0; y < l.height; ++y) {
            Bytes row(l.width);
            for (int x = 0; x < l.width; ++x)
                row[x] = x < l.width / 2 ? channel(x, y, z) : channel(0, y, z);
            rows.push_back(l.rle ? rleRow(row.data(), l.width) : row);
        }
    if (l.rle) {
        std::uint32_t offset = 512 + 8 * rows.size();
        for (const Bytes& r : rows) {
            put32(file, offset);
            offset += r.size();
        }
        for (const Bytes& r : rows)
            put32(file, r.size());
    }
    for (const Bytes& r : rows)
        file.insert(file.end(), r.begin(), r.end());
    return file;
}

Bytes text(const std::string& s) { return Bytes(s.begin(), s.end()); }

Bytes makePpm(const std::string& header, int width, int height)
{
    Bytes file = text(header);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            for (int c = 0; c < 3; ++c)
                file.push_back(channel(x, y, c));
    return file;
}

}  // namespace

std::vector<SampleFile> dibSamples()
{
    std::vector<SampleFile> out;
    auto add = [&](BmpLayout l, bool delta = false) {
        out.push_back({describe(l, delta ? "_delta" : ""), makeBmp(l, delta)});
    };
    add({.width = 13, .height = 3, .bits = 1, .colours = 2});
    add({.width = 9, .height = 4, .bits = 4, .colours = 12});
    add({.width = 7, .height = 3, .bits = 8, .colours = 20});
    add({.width = 5, .height = 3, .bits = 16});
    add({.width = 5, .height = 3, .bits = 16, .compression = 3});
    add({.width = 5, .height = 3, .bits = 24});
    add({.width = 3, .height = 2, .bits = 32});
    add({.width = 14, .height = 4, .bits = 8, .compression = 1, .colours = 9});
    add({.width = 14, .height = 4, .bits = 8, .compression = 1, .colours = 9}, true);
    add({.width = 15, .height = 3, .bits = 4, .compression = 2, .colours = 10});
    add({.width = 7, .height = 3, .bits = 4, .coreHeader = true, .colours = 16});
    add({.width = 5, .height = 2, .bits = 8, .coreHeader = true, .colours = 256});
    add({.width = 14, .height = 4, .bits = 8, .colours = 9});
    add({.width = 15, .height = 3, .bits = 4, .colours = 10});
    add({.width = 6, .height = 3, .bits = 24, .topDown = true});
    add({.width = 7, .height = 3, .bits = 8, .fileHeader = false, .colours = 20});
    add({.width = 5, .height = 2, .bits = 24, .fileHeader = false});
    add({.width = 7, .height = 2, .bits = 4, .fileHeader = false, .coreHeader = true, .colours = 16});
    return out;
}

std::vector<SampleFile> bmpSamples()
{
    std::vector<SampleFile> out;
    for (BmpLayout l : {BmpLayout{.width = 5, .height = 3, .bits = 24}, BmpLayout{.width = 4, .height = 2, .bits = 24},
                        BmpLayout{.width = 7, .height = 3, .bits = 8, .colours = 20},
                        BmpLayout{.width = 9, .height = 2, .bits = 8, .colours = 256},
                        BmpLayout{.width = 5, .height = 3, .bits = 24, .topDown = true}})
        out.push_back({describe(l), makeBmp(l)});
    return out;
}

std::vector<SampleFile> sgiSamples()
{
    std::vector<SampleFile> out;
    for (bool rle : {false, true})
        for (bool bigEndian : {true, false})
            for (int channels : {1, 3, 4}) {
                SgiLayout l{.width = 9, .height = 4, .channels = channels, .rle = rle, .bigEndian = bigEndian};
                char name[64];
                std::snprintf(name, sizeof name, "%s_%s_%dch.rgb", rle ? "rle" : "verbatim", bigEndian ? "be" : "le",
                              channels);
                out.push_back({name, makeSgi(l)});
            }
    return out;
}

std::vector<SampleFile> ppmSamples()
{
    return {
        {"lines3.ppm", makePpm("P6\n2\n3\n255\n", 2, 3)},
        {"lines2.ppm", makePpm("P6\n# a comment\n2 3\n255\n", 2, 3)},
        {"line1.ppm", makePpm("P6\n4 4 255\n", 4, 4)},
        {"oneline.ppm", makePpm("P6 3 2 255\n", 3, 2)},
        {"comments.ppm", makePpm("P6\n# one\n3\n# two\n1\n# three\n255\n", 3, 1)},
    };
}

std::vector<ObjSample> objTexts()
{
    const std::string materials =
        "# two materials\n"
        "newmtl red\nKa 0.1 0 0\nKd 0.9 0.1 0.1\nKs 0.5 0.5 0.5\nNs 500\nNi 1.5\nd 1\nillum 2\n\n"
        "newmtl blue\nKd 0 0 1\nmap_Kd blue.ppm\nKe 0 0 0\n";
    return {
        {"cube_vtn.obj",
         "# a unit cube\nmtllib cube.mtl\n"
         "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv 0 0 1\nv 1 0 1\nv 1 1 1\nv 0 1 1\n"
         "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
         "vn 0 0 -1\nvn 0 0 1\nvn 0 -1 0\nvn 0 1 0\nvn -1 0 0\nvn 1 0 0\n"
         "g front\nusemtl red\nf 1/1/1 4/4/1 3/3/1 2/2/1\nf 5/1/2 6/2/2 7/3/2 8/4/2\n"
         "g sides\nusemtl blue\nf 1/1/3 2/2/3 6/3/3 5/4/3\nf 4/1/4 8/2/4 7/3/4 3/4/4\n"
         "f 1/1/5 5/2/5 8/3/5 4/4/5\ng front\nf 2/1/6 3/2/6 7/3/6 6/4/6\n",
         materials},
        {"fan_plain.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\nv -1 1 0\nf 1 2 3 4 5\n", ""},
        {"normals_only.obj",
         "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0 0 1\nvn 0 0 1\nvn 1 0 0\n"
         "g a\nf 1//1 2//1 3//1\ng b\nf 1//2 3//2 4//2\n",
         ""},
        {"uv_only.obj", "v 0 0 0\nv 2 0 0\nv 0 2 0\nvt 0 0\nvt 1 0\nvt 0 1\nf 1/1 2/2 3/3\n", ""},
        {"relative.obj", "v 0 0 0\nv 1 0 0\nv 1 1 0\nf -3 -2 -1\nv 0 1 0\nvt 0.5 0.5\nf -4/-1 -2/-1 -1/-1\n", ""},
        {"crlf.obj", "mtllib m.mtl\r\nv 1.5e0 -2 3\r\nv 4 5 6\r\nv 7 8 9\r\ng wheel\r\nusemtl red\r\nf 1 2 3\r\n",
         "newmtl red\r\nKd 1 0 0\r\nNs 1000\r\n"},
        {"no_final_break.obj", "v 0 0 0\nv 0 1 0\nv 1 0 0\ng last\nf 1 2 3", ""},
        {"tabs_comments.obj",
         "# comment\n\n\tv\t0 0 0\nv 1 0 0  # trailing\nv 0 1 0\n\n# between\ns off\no thing\nf 1 2 3\n", ""},
        {"kept.obj",
         "o first\ns 1\nv 0 0 0 1 0 0\nv 1 0 0\nv 0 1 0 0 0 1\nvt 0 0\nvt 1 1\nf 1 2 3\ns off\nl 1/1 2/2 -1/-1\n"
         "p 1 -2\no second\ncstype bspline\ncurv 0 1 1 2\nparm u 0 1\nend\nf -3 -2 -1\n",
         ""},
        {"merge_me.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nv 0.0000001 0 0\nv 1 0.0000001 0\nv 0 1 0\nf 1 2 3\nf 4 5 6\n",
         ""},
    };
}

namespace {

// Values 0..max in a pattern over `count` samples.
std::vector<std::uint16_t> samplesUpTo(std::size_t count, unsigned max)
{
    std::vector<std::uint16_t> values(count);
    for (std::size_t i = 0; i < count; i++)
        values[i] = static_cast<std::uint16_t>((i * 2654435761u >> 7) % (max + 1));
    return values;
}

}  // namespace

std::vector<SampleFile> pngSamples()
{
    // libpng's colour types: 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA.
    struct Kind {
        const char* name;
        int colourType, depth, channels;
        bool interlaced;
    } kinds[] = {
        {"rgb8.png", 2, 8, 3, false},           {"rgba8.png", 6, 8, 4, false},   {"grey8.png", 0, 8, 1, false},
        {"grey1.png", 0, 1, 1, false},          {"grey2.png", 0, 2, 1, false},   {"greyalpha8.png", 4, 8, 2, false},
        {"rgb16.png", 2, 16, 3, false},         {"rgba16.png", 6, 16, 4, false}, {"palette4.png", 3, 4, 1, false},
        {"rgb8-interlaced.png", 2, 8, 3, true},
    };
    std::vector<SampleFile> out;
    for (const Kind& k : kinds) {
        PngLayout layout{
            .width = 5, .height = 3, .colourType = k.colourType, .depth = k.depth, .interlaced = k.interlaced};
        layout.samples = samplesUpTo(std::size_t(15) * k.channels, k.colourType == 3 ? 5 : (1u << k.depth) - 1);
        if (k.colourType == 3) {
            layout.palette = {0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 90, 90, 90};
            layout.transparency = {0, 128};
        }
        out.push_back({k.name, buildPng(layout)});
    }
    return out;
}

std::vector<SampleFile> jpegSamples()
{
    Bytes colour(std::size_t(19) * 11 * 3), grey(std::size_t(9) * 17);
    for (std::size_t i = 0; i < colour.size(); i++)
        colour[i] = static_cast<unsigned char>(i * 13 + i / 57 * 40);
    for (std::size_t i = 0; i < grey.size(); i++)
        grey[i] = static_cast<unsigned char>(i * 5);
    return {{"colour.jpg", buildJpeg(19, 11, 3, colour)},
            {"colour-progressive.jpg", buildJpeg(19, 11, 3, colour, true)},
            {"grey.jpg", buildJpeg(9, 17, 1, grey)},
            {"grey-progressive.jpg", buildJpeg(9, 17, 1, grey, true)}};
}

std::vector<SampleFile> objSamples()
{
    std::vector<SampleFile> out;
    for (const ObjSample& s : objTexts()) {
        Bytes b = text(s.obj);
        b.push_back(0);
        b.insert(b.end(), s.mtl.begin(), s.mtl.end());
        out.push_back({s.name, b});
    }
    // The first sample again in every encoding the readers decode: marked
    // UTF-8, and UTF-16 either way round for the OBJ text (its separator
    // a NUL character) and for the material library.
    const std::vector<ObjSample> texts = objTexts();
    const ObjSample& first = texts.front();
    auto utf16 = [](const std::string& from, bool bigEndian) {
        Bytes b = {static_cast<unsigned char>(bigEndian ? 0xFE : 0xFF),
                   static_cast<unsigned char>(bigEndian ? 0xFF : 0xFE)};
        for (unsigned char c : from) {
            b.push_back(bigEndian ? 0 : c);
            b.push_back(bigEndian ? c : 0);
        }
        return b;
    };
    auto join = [](Bytes obj, std::size_t separator, const Bytes& mtl) {
        obj.insert(obj.end(), separator, 0);
        obj.insert(obj.end(), mtl.begin(), mtl.end());
        return obj;
    };
    const Bytes mark = {0xEF, 0xBB, 0xBF};
    Bytes markedObj = mark, markedMtl = mark;
    markedObj.insert(markedObj.end(), first.obj.begin(), first.obj.end());
    markedMtl.insert(markedMtl.end(), first.mtl.begin(), first.mtl.end());
    out.push_back({"utf8_marked.obj", join(markedObj, 1, markedMtl)});
    out.push_back({"utf16le.obj", join(utf16(first.obj, false), 2, utf16(first.mtl, false))});
    out.push_back({"utf16be.obj", join(utf16(first.obj, true), 2, utf16(first.mtl, true))});
    out.push_back({"mtl_utf16be.obj", join(text(first.obj), 1, utf16(first.mtl, true))});
    return out;
}

std::vector<SampleFile> bitmapSuiteFiles(const std::vector<std::string>& names)
{
    std::vector<SampleFile> files;
    for (const std::string& name : names) {
        Bytes bytes = readFileBytes(testDataDir() / "bmpsuite" / name);
        if (!bytes.empty())
            files.push_back({name, std::move(bytes)});
    }
    return files;
}
