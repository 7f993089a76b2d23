// Raw PPM ("P6") reader: a core that decodes a picture held in memory, and
// glmLoadPPM, which maps (or reads) the file and reports the core's verdict.
#include <sys/mman.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdarg>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "model/glm.h"
#include "model/glm_core.h"
#include "model/glm_internal.h"

namespace {

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

// Largest picture accepted: 2^28 pixels in all, in any shape, as for the
// other picture readers.
constexpr long long PPM_MAX_PIXELS = 1LL << 28;

// One header line without its line feed; false at the end of the text.
// Header lines are short: a longer one is not a header.
bool readHeaderLine(const unsigned char*& p, const unsigned char* end, std::string_view& line)
{
    const unsigned char* start = p;
    while (p < end && *p != '\n') {
        if (static_cast<std::size_t>(p - start) > 4096)
            return false;
        p++;
    }
    line = std::string_view(reinterpret_cast<const char*>(start), static_cast<std::size_t>(p - start));
    if (p < end) {
        p++;  // the line feed
        return true;
    }
    return !line.empty();
}

// Reads the decimal numbers of `text` (up to a "#" comment) into numbers[found..2].
// False when the text holds anything else, or a number beyond int.
bool takeNumbers(std::string_view text, std::size_t from, int* numbers, int& found, int& taken)
{
    taken = 0;
    std::size_t i = from;
    while (i < text.size() && text[i] != '#') {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f') {
            i++;
            continue;
        }
        if (c < '0' || c > '9' || found == 3)
            return false;
        long long value = 0;
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; i++) {
            value = value * 10 + (text[i] - '0');
            if (value > INT_MAX)
                return false;
        }
        numbers[found++] = static_cast<int>(value);
        taken++;
    }
    return true;
}

__attribute__((format(printf, 2, 3))) unsigned char* refuse(GlmPpmError* error, const char* format, ...)
{
    if (error) {
        va_list args;
        va_start(args, format);
        std::vsnprintf(error->message, sizeof error->message, format, args);
        va_end(args);
    }
    return nullptr;
}

}  // namespace

unsigned char* glmParsePPM(const unsigned char* data, std::size_t size, int* width, int* height, GlmPpmError* error)
{
    const unsigned char* p = data;
    const unsigned char* end = data + size;
    std::string_view line;
    if (!readHeaderLine(p, end, line) || line.substr(0, 2) != "P6")
        return refuse(error, "Not a raw PPM file");
    // Width, height and maximum value: on the first line after "P6" or on
    // the lines that follow, comments ("#" to the end of a line) anywhere.
    int numbers[3] = {0, 0, 0};
    int found = 0, taken = 0;
    bool firstLine = true;
    for (;;) {
        std::size_t from = firstLine ? 2 : 0;
        if (firstLine && line.size() > 2 && line[2] != ' ' && line[2] != '\t' && line[2] != '\r')
            return refuse(error, "Not a raw PPM file");
        bool comment = !firstLine && !line.empty() && line[0] == '#';
        if (!comment) {
            if (!takeNumbers(line, from, numbers, found, taken) || (!firstLine && taken == 0))
                return refuse(error, "bad PPM header");
        }
        firstLine = false;
        if (found == 3)
            break;
        if (!readHeaderLine(p, end, line))
            return refuse(error, "PPM header ends early");
    }
    int w = numbers[0], h = numbers[1], maximum = numbers[2];
    if (w <= 0 || h <= 0 || maximum <= 0)
        return refuse(error, "bad PPM size %d x %d or maximum value %d", w, h, maximum);
    if (maximum > 255)
        return refuse(error, "PPM maximum value %d above 255 is not supported", maximum);
    if (static_cast<long long>(w) * h > PPM_MAX_PIXELS)
        return refuse(error, "PPM size %d x %d is too large", w, h);
    // The raster is checked against the text before anything is allocated,
    // so a short file cannot ask for a large block.
    std::size_t bytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 3;
    if (static_cast<std::size_t>(end - p) < bytes)
        return refuse(error, "PPM raster shorter than %d x %d pixels", w, h);
    auto* pixels = static_cast<unsigned char*>(std::malloc(bytes));
    if (!pixels)
        return refuse(error, "PPM size %d x %d is too large", w, h);
    std::memcpy(pixels, p, bytes);
    *width = w;
    *height = h;
    return pixels;
}

unsigned char* glmLoadPPM(const char* path, int* width, int* height)
{
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path, "rb"));
    if (!file) {
        glmMessage(stderr, "%s: %s\n", path, std::strerror(errno));
        return nullptr;
    }
    GlmPpmError error = {};
    unsigned char* pixels = nullptr;
    struct stat info;
    const int fd = fileno(file.get());
    void* map = MAP_FAILED;
    std::size_t size = 0;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0) {
        size = static_cast<std::size_t>(info.st_size);
        map = ::mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
    }
    if (map != MAP_FAILED) {
        pixels = glmParsePPM(static_cast<const unsigned char*>(map), size, width, height, &error);
        ::munmap(map, size);
    } else {
        // Not mappable (empty, a pipe, a device): read it.
        std::string text;
        char buffer[1 << 16];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;)
            text.append(buffer, n);
        pixels = glmParsePPM(reinterpret_cast<const unsigned char*>(text.data()), text.size(), width, height, &error);
    }
    if (!pixels)
        glmMessage(stderr, "%s: %s\n", path, error.message);
    return pixels;
}
