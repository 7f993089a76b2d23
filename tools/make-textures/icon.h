// The application icon: Saturn and its ring, painted from the planet's own
// picture onto a lit sphere, on a transparent background.
#pragma once

#include <filesystem>

#include "paint.h"

// Writes a size x size RGBA PNG of the planet `surface` (a map wrapped
// round a sphere, as the viewer's body pictures are) with a ring.  False
// when the file cannot be written.
bool writeIcon(const std::filesystem::path& file, const Canvas& surface, int size);
