// Where the viewer's data files (its pictures) are found.
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The folder of the running executable (from /proc/self/exe), without a
// trailing '/'; empty when it cannot be told.
std::string executableFolder();

// The folders searched for data files, in order: the working directory
// (""), the installed data folder beside the executable
// (<bindir>/../share/solar-system), and the executable's own folder (a build
// tree keeps the pictures beside the viewer).  The executable's folder comes
// from /proc/self/exe, so an installed tree still works after it is moved.
std::vector<std::string> dataSearchFolders();

// The path under which the data file `name` (relative, Windows-style names
// allowed: "image\Sun.bmp") exists in the first folder of
// dataSearchFolders() that holds it, each component matched
// case-insensitively.  When no folder holds it, `name` itself, so that the
// caller's open fails and reports the name as the program wrote it.
std::string findDataFile(std::string_view name);
