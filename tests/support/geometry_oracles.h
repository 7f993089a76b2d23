// The plain, literal forms of vertex welding and vertex normals, kept as
// references that the fast versions must match number for number.
#pragma once

#include "model/glm.h"

// Welding that compares every vertex with every kept vertex (quadratic).
void mergeVerticesOracle(GlmMesh* model, float epsilon);

// Vertex normals from one malloc'ed linked list per vertex, each link
// pushed at the head; a link sets the first corner of its face that names
// the vertex.
void vertexNormalsOracle(GlmMesh* model, float angle);
