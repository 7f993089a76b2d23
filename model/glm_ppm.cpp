// Raw PPM ("P6") reader.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "model/glm.h"

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

// One header line without its line feed; false at the end of the file.
// Header lines are short: a longer one is not a header.
bool readHeaderLine(FILE* file, std::string& line) {
    line.clear();
    for (int c; (c = std::getc(file)) != EOF;) {
        if (c == '\n') return true;
        if (line.size() > 4096) return false;
        line.push_back(static_cast<char>(c));
    }
    return !line.empty();
}

// Reads the decimal numbers of `text` (up to a "#" comment) into numbers[found..2].
// False when the text holds anything else, or a number beyond int.
bool takeNumbers(const std::string& text, std::size_t from, int* numbers, int& found, int& taken) {
    taken = 0;
    std::size_t i = from;
    while (i < text.size() && text[i] != '#') {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f') {
            i++;
            continue;
        }
        if (c < '0' || c > '9' || found == 3) return false;
        long long value = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; i++) {
            value = value * 10 + (text[i] - '0');
            if (value > INT_MAX) return false;
        }
        numbers[found++] = static_cast<int>(value);
        taken++;
    }
    return true;
}

}  // namespace

unsigned char* glmLoadPPM(const char* path, int* width, int* height) {
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file) {
        std::perror(path);
        return nullptr;
    }
    std::string line;
    if (!readHeaderLine(file.get(), line) || line.compare(0, 2, "P6") != 0) {
        std::fprintf(stderr, "%s: Not a raw PPM file\n", path);
        return nullptr;
    }
    // Width, height and maximum value: on the first line after "P6" or on
    // the lines that follow, comments ("#" to the end of a line) anywhere.
    int numbers[3] = {0, 0, 0};
    int found = 0, taken = 0;
    bool firstLine = true;
    for (;;) {
        std::size_t from = firstLine ? 2 : 0;
        if (firstLine && line.size() > 2 && line[2] != ' ' && line[2] != '\t' && line[2] != '\r') {
            std::fprintf(stderr, "%s: Not a raw PPM file\n", path);
            return nullptr;
        }
        bool comment = !firstLine && !line.empty() && line[0] == '#';
        if (!comment) {
            if (!takeNumbers(line, from, numbers, found, taken) || (!firstLine && taken == 0)) {
                std::fprintf(stderr, "%s: bad PPM header\n", path);
                return nullptr;
            }
        }
        firstLine = false;
        if (found == 3) break;
        if (!readHeaderLine(file.get(), line)) {
            std::fprintf(stderr, "%s: PPM header ends early\n", path);
            return nullptr;
        }
    }
    int w = numbers[0], h = numbers[1], maximum = numbers[2];
    if (w <= 0 || h <= 0 || maximum <= 0) {
        std::fprintf(stderr, "%s: bad PPM size %d x %d or maximum value %d\n", path, w, h, maximum);
        return nullptr;
    }
    if (maximum > 255) {
        std::fprintf(stderr, "%s: PPM maximum value %d above 255 is not supported\n", path, maximum);
        return nullptr;
    }
    std::size_t bytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(h);
    if (bytes > SIZE_MAX / 3 || bytes > static_cast<std::size_t>(PTRDIFF_MAX) / 3) {
        std::fprintf(stderr, "%s: PPM size %d x %d is too large\n", path, w, h);
        return nullptr;
    }
    bytes *= 3;
    auto* pixels = static_cast<unsigned char*>(std::malloc(bytes));
    if (!pixels) {
        std::fprintf(stderr, "%s: PPM size %d x %d is too large\n", path, w, h);
        return nullptr;
    }
    if (std::fread(pixels, 1, bytes, file.get()) != bytes) {
        std::fprintf(stderr, "%s: PPM raster shorter than %d x %d pixels\n", path, w, h);
        std::free(pixels);
        return nullptr;
    }
    *width = w;
    *height = h;
    return pixels;
}
