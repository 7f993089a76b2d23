// OpenGL call streams recorded with apitrace: run a program under
// "apitrace trace", read the trace back with "apitrace dump", and take each
// printed call apart.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

// One call as the dump prints it, "glVertex3f(1, -0.5, 2)": the name and the
// arguments as printed ("mode = GL_TRIANGLES" when dumped with names).
struct GlCall {
    std::string name;
    std::vector<std::string> args;
    double num(std::size_t i) const;
    std::string text() const;  // back in the printed form
};

// Splits a dumped line at its top-level commas; a line without arguments
// is all name.
GlCall parseCall(const std::string& line);

// The command line that runs `program` (and its arguments) under apitrace,
// writing the trace to `trace`.  Allows a sanitizer build of the program to
// run behind apitrace's preloaded wrapper by setting ASAN_OPTIONS in this
// process's environment (leak checking off: the wrapper's own blocks).
std::vector<std::string> tracedCommand(const std::filesystem::path& trace, const std::vector<std::string>& program);

// Runs `program` under apitrace; its standard output goes to `out`, its
// errors (and apitrace's messages) to `err`, or also to `out` when `err` is
// empty.  True when the program and apitrace both succeeded.
bool recordTrace(const std::filesystem::path& trace, const std::vector<std::string>& program,
                 const std::filesystem::path& out, const std::filesystem::path& err = {});

// The recorded calls one per line, without call numbers, with argument
// names when `argNames`.  Empty when the trace cannot be dumped.
std::vector<std::string> dumpTrace(const std::filesystem::path& trace, bool argNames = false);

// The OpenGL calls among dumped lines, the window system's glX calls left out.
std::vector<std::string> glCallsOnly(const std::vector<std::string>& lines);
