// Windows-style relative paths on a case-sensitive file system.
#pragma once

#include <string>
#include <string_view>

// Returns a path naming the file that `name` means on a case-insensitive
// Windows file system: the name itself when it exists as written; otherwise
// backslashes become '/' and each component is matched case-insensitively
// against its directory, so "image\Sun.bmp" and ".\Image\sun.BMP" find the
// same file.  A component with no match is kept as written (the later open
// then fails in the ordinary way).
std::string resolveWindowsPath(std::string_view name);
