// The benchmark models: a UV sphere of 1,000,000 triangles (501 stacks of
// 1000 slices) written as OBJ text in one of three forms, and a torus of
// quads.
#pragma once

#include <string>

enum class SphereForm {
    Triangles,  // "v", "vt", "vn"; "f a/b/c" triangles in 4 groups with materials (about 105 MB)
    Quads,      // the same with four-corner faces where the stacks allow
    Plain,      // "v" lines and "f a b c" triangles only
};

// Writes a torus of 800 x 800 four-corner faces with positions, texture
// coordinates and normals ("f a/b/c" corners, one group; about 88 MB) to
// `path` unless it exists already; returns `path`.
std::string writeTorusFile(const std::string& path);

// Writes the sphere to `path` (and, for the forms with materials, its MTL
// library beside it) unless it exists already; returns `path`.
std::string writeSphereFile(const std::string& path, SphereForm form);
