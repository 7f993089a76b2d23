// Running the objtool program in tests: the process with its output and
// status, and models read back.  Folders and files: tests/support/files.h.
#pragma once

#include <string>
#include <vector>

#include "model/glm.h"
#include "tests/support/files.h"

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

// Expects one line "objtool: ..." on standard error holding `fragment`.
void expectOneMessage(const RunResult& r, const std::string& fragment);

// Reads a model with the library (null when it refuses it).
GlmMesh* readBack(const std::string& path);

// A torus around the z axis (facing a viewer on the z axis), without normals.
std::string torusObj(int rings, int sides);
