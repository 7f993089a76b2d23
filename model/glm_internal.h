// Internal helpers shared by the model library's sources.
#pragma once

#include "model/glm.h"

#include <cstdlib>
#include <cstring>

// Prints the runtime's assertion line for `expression` and aborts.
[[noreturn]] void glmCheckFailed(const char* expression, unsigned line, const char* function);

// Precondition check: stops the program with the failed expression, the
// library's name and the line.  Always on: a violated precondition is a
// caller's bug, and a clean stop beats reading through a null pointer.
#define GLM_CHECK(expr) \
    ((expr) ? (void)0 : glmCheckFailed(#expr, __LINE__, __PRETTY_FUNCTION__))

// A malloc'ed, zero-terminated copy of the `length` bytes at `text`.
inline char* glmCopyText(const char* text, std::size_t length) {
    char* copy = static_cast<char*>(std::malloc(length + 1));
    std::memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

inline char* glmCopyText(const char* text) { return glmCopyText(text, std::strlen(text)); }

// The author, contact and web-address lines of the files the writers make.
inline constexpr const char* GLM_HEADER_AUTHOR = "Solar System developers";
inline constexpr const char* GLM_HEADER_CONTACT = "solar-system@localhost";
inline constexpr const char* GLM_HEADER_WEB = "file:///usr/share/doc/solar-system/";

#include <cstdio>

// Drops the mode requests the model cannot satisfy, in the fixed order the
// writer and the drawing share, printing warnings[k] on standard output for
// each step k that applies: flat without facet normals, smooth without
// normals, texture without uvs, flat with smooth, colour without materials,
// material without materials, colour with material.  Returns the mode left.
unsigned glmAdjustMode(const GlmMesh* model, unsigned mode, const char* const warnings[7]);

// The first seven comment lines of a written OBJ or MTL file; `kind` is
// "OBJ" or "MTL".
void glmWriteHeader(FILE* file, const char* kind);
