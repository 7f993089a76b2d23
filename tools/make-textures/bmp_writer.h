// Writes Windows bitmaps the way common painting programs store them:
// BITMAPFILEHEADER, 40-byte BITMAPINFOHEADER, bottom-up rows padded to 4 bytes.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// 24 bits per pixel; `rgb` holds width * height red, green, blue triples,
// bottom row first.  False when the file cannot be written.
bool writeBmp24(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);

// 8 bits per pixel through a table of up to 256 colours; `indices` holds
// width * height entries, bottom row first.
bool writeBmp8(const std::string& path, int width, int height, const std::vector<std::uint8_t>& indices,
               const std::vector<std::array<std::uint8_t, 3>>& palette);
