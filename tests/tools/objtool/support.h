// Running the objtool program in tests: temporary folders, files, the
// process with its output and status, and models read back.
#pragma once

#include <string>
#include <vector>

#include "model/glm.h"

// A fresh folder under the system's temporary folder, removed with its files.
struct ScratchDir {
    ScratchDir();
    ~ScratchDir();
    std::string path(const std::string& name) const { return dir + "/" + name; }
    std::string dir;
};

void writeFile(const std::string& path, const std::string& text);
std::string readFile(const std::string& path);
bool fileExists(const std::string& path);

struct RunResult {
    int status = -1;  // exit status, or -1 when the process did not exit normally
    std::string out;
    std::string err;
};

// Runs objtool with `args`; with `withoutDisplay` the DISPLAY variable is
// removed from its environment.
RunResult runObjtool(const std::vector<std::string>& args, bool withoutDisplay = false);

// Starts objtool without waiting for it, its output into the given files;
// returns the process id, or -1.
int startObjtool(const std::vector<std::string>& args, const std::string& outPath, const std::string& errPath);
// Waits up to `seconds` for the process: its exit status, or -1 when it did
// not end normally or in time (it is then killed).
int waitObjtool(int pid, double seconds);

// Reads a model with the library (null when it refuses it).
GlmMesh* readBack(const std::string& path);

// A torus around the z axis (facing a viewer on the z axis), without normals.
std::string torusObj(int rings, int sides);
