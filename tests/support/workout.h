// What the fuzz targets do with one input, shared with the regression tests
// so that a saved input is replayed exactly as the fuzzer ran it.  Each
// function returns null when everything held, or what went wrong.  Crashes,
// leaks and undefined behaviour are left to the sanitizers.
#pragma once

#include <cstddef>

// The decoding cores of the picture readers; a decoded picture must respect
// the size bounds and its block must hold width x height x 3 bytes.
const char* workoutDib(const unsigned char* data, std::size_t size);
const char* workoutBmp(const unsigned char* data, std::size_t size);
const char* workoutSgi(const unsigned char* data, std::size_t size);
const char* workoutPpm(const unsigned char* data, std::size_t size);
// The PNG and JPEG cores, each asked for 3 and for 4 channels; a refusal
// must hand out no pixels and say why in one line.
const char* workoutPng(const unsigned char* data, std::size_t size);
const char* workoutJpeg(const unsigned char* data, std::size_t size);

// Whether decodeDib takes the input for an RLE4 or RLE8 bitmap: the one kind
// of picture input that may claim a large picture in a few bytes, which the
// DIB fuzzer runs apart under a higher allocation cap.
bool dibIsRunLength(const unsigned char* data, std::size_t size);

// The OBJ core on the input's text before the first NUL byte, with the text
// after it as every "mtllib" line's library (no NUL: no library).  The
// threaded reader cut into tiny chunks must build the same model as the
// one-thread reader; a model read must be sound; then every geometry
// operation runs on it and the writer's files (in `scratchDir`) must read
// back with the same number of triangles.
const char* workoutObj(const unsigned char* data, std::size_t size, const char* scratchDir);
