// Small, valid picture and model files built in memory: the starting points
// of the truncation tests and the fuzzers' seed corpora.  Every file is
// deterministic, so a failure names the same bytes on every run.
#pragma once

#include <string>
#include <vector>

#include "tests/support/bytes.h"

struct SampleFile {
    std::string name;  // a file name that says what the file holds
    Bytes bytes;
};

// Windows bitmaps for the DIB loader: 1, 4, 8, 16, 24 and 32 bits, RLE4,
// RLE8, a core (12-byte) header, top-down rows, and headers without the
// 14-byte file header.
std::vector<SampleFile> dibSamples();
// The 8- and 24-bit uncompressed bitmaps the BMP reader takes.
std::vector<SampleFile> bmpSamples();
// SGI pictures: verbatim and run-length, both byte orders, 1, 3 and 4 channels.
std::vector<SampleFile> sgiSamples();
// Raw PPM pictures with the header on one, two and three lines and comments.
std::vector<SampleFile> ppmSamples();
// PNG pictures: RGB, RGBA, grey with and without alpha, palette with
// transparency, 1, 2, 4 and 16 bits, interlaced.
std::vector<SampleFile> pngSamples();
// JPEG pictures: colour, grey, progressive, with odd sizes.
std::vector<SampleFile> jpegSamples();
// OBJ files, each followed by a NUL byte and the text of the material library
// its "mtllib" line names (empty when it names none): the fuzzers' input form.
std::vector<SampleFile> objSamples();

// The OBJ and MTL texts of one objSamples() entry.
struct ObjSample {
    std::string name;
    std::string obj;
    std::string mtl;  // "" when the OBJ file names no library
};
std::vector<ObjSample> objTexts();

// Files of the bitmap suite (tests/data/bmpsuite, names like "good/pal8.bmp")
// that the readers take, small enough to cut at every byte; a file that
// cannot be read is left out.
std::vector<SampleFile> bitmapSuiteFiles(const std::vector<std::string>& names);
