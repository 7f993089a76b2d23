// Helpers shared by the loaders' file layers.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

// Shows `text` in a box captioned "Error" while imageErrorPopups is on.
void reportImageError(const char* text);

// A wide file name as UTF-8: surrogate pairs are joined, so both UTF-16 and
// 32-bit wchar_t strings convert; invalid units become U+FFFD.
std::string wideToUtf8(const wchar_t* name);

// Little-endian fields at any alignment.
inline std::uint16_t readLe16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
inline std::uint32_t readLe32(const unsigned char* p)
{
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
