// Bytes of hand-built files: little- and big-endian fields, and a prefix of
// a file in a heap block of its exact size.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

using Bytes = std::vector<unsigned char>;

// Appends 16- and 32-bit values in little- or big-endian byte order.
inline void putLe16(Bytes& b, std::uint32_t v)
{
    b.push_back(static_cast<unsigned char>(v));
    b.push_back(static_cast<unsigned char>(v >> 8));
}
inline void putLe32(Bytes& b, std::uint32_t v)
{
    putLe16(b, v & 0xFFFF);
    putLe16(b, v >> 16);
}
inline void putBe16(Bytes& b, std::uint32_t v)
{
    b.push_back(static_cast<unsigned char>(v >> 8));
    b.push_back(static_cast<unsigned char>(v));
}
inline void putBe32(Bytes& b, std::uint32_t v)
{
    putBe16(b, v >> 16);
    putBe16(b, v & 0xFFFF);
}

// The first `n` bytes of `bytes` in a heap block of exactly n bytes, so that
// AddressSanitizer reports any read past the prefix.  (A null pointer for
// n = 0: a reader must not touch the data at all then.)
struct Prefix {
    unsigned char* data;
    std::size_t size;
    Prefix(const Bytes& bytes, std::size_t n) : data(n ? new unsigned char[n] : nullptr), size(n)
    {
        std::copy(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(n), data);
    }
    ~Prefix() { delete[] data; }
    Prefix(const Prefix&) = delete;
    Prefix& operator=(const Prefix&) = delete;
};
