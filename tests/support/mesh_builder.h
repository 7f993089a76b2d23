// Builds GlmMesh records by hand for the geometry and drawing tests and the
// benchmarks, laid out exactly as the OBJ reader lays them out: C-allocated
// arrays, 1-based with a spare entry 0, groups newest first.  Release them
// with glmDestroy.
#pragma once

#include <initializer_list>
#include <vector>

#include "model/glm.h"

// A group of faces; groups are created in the order given, so the last one
// ends up at the head of groupList.
struct GroupSpec {
    const char* name;
    std::vector<unsigned> faces;
    unsigned materialIndex;
};

// A model with the given positions (x, y, z per vertex), triangles (three
// 1-based vertex numbers each) and groups; without groups, all faces are in
// one group "default".
GlmMesh* makeMesh(const std::vector<float>& xyz, const std::vector<unsigned>& triangles,
                  std::initializer_list<GroupSpec> groups = {});

// Gives the model `count` materials named "default", "m1", "m2", ... with
// distinct colours derived from their index.
void addMaterials(GlmMesh* model, unsigned count);

// A copy of a C-allocated array of `count` + 1 entries of `width` floats.
float* copyFloats(const float* a, unsigned count, unsigned width);

// A UV sphere of radius 1: `stacks` bands from pole to pole, the first and
// last as fans, `slices` segments round.  Each ring between the poles has
// slices + 1 vertices (the seam's repeated), each pole one copy per fan
// triangle.  Faces are spread over four groups "q0".."q3" by slice quarter
// beside an empty "default".  501 stacks and 1000 slices give 1,000,000
// triangles and 502,500 vertices, 500,002 of them distinct.
GlmMesh* makeUvSphere(unsigned stacks, unsigned slices);

// A w x h grid of squares (two triangles each) in the plane y = 0.
GlmMesh* makeFlatGrid(unsigned w, unsigned h);
