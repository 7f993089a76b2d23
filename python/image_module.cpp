// solar_system.image: Windows bitmaps and SGI RGB pictures as numpy arrays.
// The decoding cores do the work; they show and print nothing, and the
// message boxes of the file-level loaders are switched off besides.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "image/image.h"
#include "image/image_core.h"

namespace py = pybind11;

namespace {

[[noreturn]] void raiseImageError(const std::string& message)
{
    py::object type = py::module_::import("solar_system").attr("ImageError");
    py::object error = type(message);
    PyErr_SetObject(type.ptr(), error.ptr());
    throw py::error_already_set();
}

// The whole file, or false with the system's reason.
bool readFile(const std::string& path, std::vector<unsigned char>& bytes, int& reason)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        reason = errno;
        return false;
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        reason = S_ISDIR(info.st_mode) ? EISDIR : errno;
        ::close(fd);
        return false;
    }
    try {
        if (S_ISREG(info.st_mode))
            bytes.reserve(static_cast<std::size_t>(info.st_size));
        unsigned char buffer[1 << 16];
        for (;;) {
            const ssize_t n = ::read(fd, buffer, sizeof buffer);
            if (n == 0)
                break;
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                reason = errno;
                ::close(fd);
                return false;
            }
            bytes.insert(bytes.end(), buffer, buffer + n);
        }
    } catch (const std::bad_alloc&) {
        reason = ENOMEM;
        ::close(fd);
        return false;
    }
    ::close(fd);
    return true;
}

// An SGI picture starts with the magic number 474 in either byte order;
// everything else goes to the bitmap decoder, which knows its own headers.
bool isSgi(const std::vector<unsigned char>& bytes)
{
    return bytes.size() >= 2 && ((bytes[0] == 0x01 && bytes[1] == 0xDA) || (bytes[0] == 0xDA && bytes[1] == 0x01));
}

py::array_t<std::uint8_t> load(const py::object& path)
{
    py::bytes encoded = py::module_::import("os").attr("fsencode")(path);
    const std::string file = encoded;
    if (file.find('\0') != std::string::npos)
        throw py::value_error("path holds a NUL character");
    std::vector<unsigned char> bytes;
    int reason = 0;
    ImageRGB* picture = nullptr;
    ImageStatus status = IMAGE_OK;
    bool read;
    {
        py::gil_scoped_release released;
        read = readFile(file, bytes, reason);
        if (read)
            status = isSgi(bytes) ? decodeRgb(bytes.data(), bytes.size(), &picture)
                                  : decodeDib(bytes.data(), bytes.size(), &picture);
    }
    if (!read) {
        py::object name = py::module_::import("os").attr("fsdecode")(path);
        raiseImageError(name.cast<std::string>() + ": " + std::strerror(reason));
    }
    if (status != IMAGE_OK)
        raiseImageError(imageStatusMessage(status));
    const std::size_t width = static_cast<std::size_t>(picture->width);
    const std::size_t height = static_cast<std::size_t>(picture->height);
    py::array_t<std::uint8_t> out;
    try {
        out = py::array_t<std::uint8_t>(
            {static_cast<py::ssize_t>(height), static_cast<py::ssize_t>(width), py::ssize_t{3}});
    } catch (...) {
        std::free(picture->pixels);
        std::free(picture);
        throw;
    }
    // The decoders give the bottom row first; numpy and Pillow expect the top.
    const std::size_t row = width * 3;
    std::uint8_t* o = out.mutable_data();
    for (std::size_t y = 0; y < height; ++y)
        std::memcpy(o + y * row, picture->pixels + (height - 1 - y) * row, row);
    std::free(picture->pixels);
    std::free(picture);
    return out;
}

}  // namespace

PYBIND11_MODULE(image, m)
{
    py::module_::import("solar_system");
    // The module reports through exceptions; no loader may open a box.
    setImageErrorPopups(0);

    m.doc() = R"(Windows bitmaps (DIB/BMP) and SGI RGB pictures as numpy arrays.

load(path) decodes either format, chosen by the file's content, into an
H x W x 3 uint8 array of red, green, blue with the top row first (row 0 is
the top of the picture, as numpy and Pillow expect; the C decoders hand back
the bottom row first).  Failures raise solar_system.ImageError; no message
box ever opens.)";

    m.def("load", &load, py::arg("path"),
          R"(Decodes the DIB/BMP or SGI RGB picture at path (str or os.PathLike).

Returns an H x W x 3 uint8 array, red, green, blue, top row first.
Bitmaps: 1, 4, 8, 16, 24 and 32 bits, RLE4/RLE8, bit-field masks, core,
info, V4 and V5 headers, with or without the file header.  SGI: verbatim or
run-length, either byte order, 1 to 4 channels (1 and 2 give grey).
Raises ImageError with the decoder's message, or the system's reason when
the file cannot be read.  The GIL is released while decoding.)");
}
